// The fatal report: how a broken invariant ends the process.
#pragma once

#include <string_view>

namespace lv {

// The exit code of a process ended by a fatal report. Not 0: whoever started
// the program must be able to tell a broken invariant from a normal stop.
inline constexpr int kFatalExitCode = 3;

// Logs "Gluck: " + text + " @ " + place, flushes the log, repeats the line on
// the host's standard error and ends the process at once (no destructors run,
// no message box).
[[noreturn]] void fatal_report(std::u16string_view place, std::u16string_view text);

}  // namespace lv
