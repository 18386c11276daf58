#include "app/fatal.h"

#include <unistd.h>

#include <cstdio>

#include "app/log.h"
#include "platform/unicode.h"

namespace lv {

void fatal_report(std::u16string_view place, std::u16string_view text) {
  LogSink& sink = log();
  sink << u"Gluck: " << text << u" @ " << place << u"\n";
  sink.flush();
  const std::string line = "Gluck: " + platform::to_utf8(text) + " @ " + platform::to_utf8(place) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
  _exit(kFatalExitCode);
}

}  // namespace lv
