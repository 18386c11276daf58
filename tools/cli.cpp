#include "tools/cli.h"

namespace cli {

bool parse_common(int argc, char** argv, CommonOptions& options, std::string& error) {
  bool options_done = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (options_done) {
      options.rest.push_back(arg);
    } else if (arg == "--") {
      options_done = true;
    } else if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "--device") {
      if (i + 1 >= argc) {
        error = "--device needs a folder";
        return false;
      }
      options.device = argv[++i];
    } else if (arg.rfind("--device=", 0) == 0) {
      options.device = arg.substr(9);
    } else {
      options.rest.push_back(arg);
    }
  }
  return true;
}

std::unique_ptr<platform::Device> open_device(const CommonOptions& options, std::string& error) {
  auto device = platform::Device::open(platform::resolve_device_root(options.device),
                                       platform::default_device_image(), &error);
  if (device) platform::Device::set_current(device.get());
  return device;
}

std::string version_line(const std::string& name) { return name + " " + LUMIVALE_VERSION; }

}  // namespace cli
