// What every command of the project shares: the options --device, --help and
// --version, and opening the simulated device they name.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/device.h"

namespace cli {

struct CommonOptions {
  std::optional<std::string> device;
  bool help = false;
  bool version = false;
  std::vector<std::string> rest;  // everything else, in order
};

// Takes --device DIR (or --device=DIR), --help (-h) and --version out of the
// arguments. Returns false with `error` set on a malformed option.
bool parse_common(int argc, char** argv, CommonOptions& options, std::string& error);

// Opens the device the options name (creating it on first use) and makes it
// the current device of this process.
std::unique_ptr<platform::Device> open_device(const CommonOptions& options, std::string& error);

// "NAME VERSION" for --version.
std::string version_line(const std::string& name);

}  // namespace cli
