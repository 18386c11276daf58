#include "app/win_main.h"

#include <memory>
#include <string>

#include "app/application.h"
#include "app/log.h"
#include "app/single_instance.h"
#include "platform/clock.h"
#include "platform/window.h"

namespace lv {

bool is_start_word(std::u16string_view command_line) {
  return command_line == u"run" || command_line == u"lock" || command_line == u"runsplash";
}

int win_main(std::u16string_view command_line_in) {
  log() << platform::tick_count() << u"WinMain 0\n";
  const std::u16string command_line(command_line_in);
  log() << platform::tick_count() << u"WinMain 1\n";
  if (show_running_instance(command_line, kApplicationName)) return 0;

  log() << platform::tick_count() << u"WinMain 2\n";
  auto application = std::make_unique<Application>(std::u16string(kApplicationName));
  application->set_game_input(false);
  application->set_windowed(false);
  application->open_display(application->game_base().screen().orientation);
  log() << platform::tick_count() << u"WinMain 3\n";
  // The home screen's element kinds "icon_page" and "icon" are registered
  // here once the element registry exists.

  // The starter and the launcher document it creates (owned here, destroyed
  // after the starter) join this sequence once they exist.
  if (is_start_word(command_line)) {
    // The starter takes the command line and the document slot here.
    log() << platform::tick_count() << u"WinMain 4\n";
    if (application->game_base().main_window())
      application->run();
    else
      log() << u"WinMain no main window\n";
  } else {
    platform::message_box(0, u"Please run links\n", kApplicationName, platform::mb_ok);
    log() << platform::tick_count() << u"WinMain 5\n";
  }
  application.reset();
  log().flush();
  return 0;
}

}  // namespace lv
