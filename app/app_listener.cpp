#include "app/app_listener.h"

#include "app/game_base.h"
#include "app/log.h"

namespace lv {

void AppListener::on_other_instance_started(const std::u16string& command_line) {
  log() << u"AppListener::on_other_instance_started cmd_line=" << command_line << u"\n";
  if (GameBase* base = GameBase::instance()) base->bring_to_front();
}

}  // namespace lv
