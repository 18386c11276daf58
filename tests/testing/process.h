// Running the project's commands as real processes.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

struct ProcessResult {
  int exit_code = -1;  // 128 + signal when killed by one
  std::string out;
  std::string err;
};

// The path of a program the build put in its bin folder (LUMIVALE_BIN_DIR
// overrides it).
std::string bin_path(const std::string& name);

// Runs `argv` (argv[0] is the program path) and waits for it.
ProcessResult run_process(const std::vector<std::string>& argv);

}  // namespace testing_support
