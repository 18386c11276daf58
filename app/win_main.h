// The program's entry point on the device.
#pragma once

#include <string_view>

namespace lv {

// The start words a first start accepts; compared exactly, in full.
bool is_start_word(std::u16string_view command_line);

// Runs the program for one command line: hands it to a running instance, or
// refuses it, or starts and runs the main loop. Returns the exit code (0).
int win_main(std::u16string_view command_line);

}  // namespace lv
