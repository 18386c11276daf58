// The subcommands of lumivale-ctl. Each returns the process exit code.
#pragma once

#include <string>
#include <vector>

namespace ctl {

// "reg get|set|delete|list ...": args start after "reg".
int run_reg(const std::vector<std::string>& args);

}  // namespace ctl
