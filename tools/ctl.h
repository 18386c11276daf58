// The subcommands of lumivale-ctl. Each returns the process exit code.
#pragma once

#include <string>
#include <vector>

namespace ctl {

// "reg get|set|delete|list ...": args start after "reg".
int run_reg(const std::vector<std::string>& args);

// profiles, windows, tap, drag, key, screenshot: args start after the command.
bool is_device_command(const std::string& command);
int run_device_command(const std::string& command, const std::vector<std::string>& args);

}  // namespace ctl
