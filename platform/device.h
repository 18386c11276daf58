// The simulated phone: one host directory holds a device's whole state.
//
//   <root>/fs/       the device's file system; device path "\A\B" is <root>/fs/A/B
//   <root>/system/   the registry store, the shell log and runtime files
//
// Every process of the device opens the same root. The first open of a new
// root lays it out from the default device image (a copy of assets/device).
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class Registry;
class Shell;

class Device {
 public:
  // Opens the device at `root`, creating it from `image` on first use.
  // Returns null and fills `error` when the root cannot be made usable.
  static std::unique_ptr<Device> open(const std::filesystem::path& root,
                                      const std::filesystem::path& image, std::string* error);
  // The device every platform call of this process works on; null until set.
  static Device* current();
  static void set_current(Device* device);

  ~Device();
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path fs_root() const { return root_ / "fs"; }
  std::filesystem::path system_dir() const { return root_ / "system"; }

  // Maps a device path to its host path: "\" or "/" separate names, the path
  // counts from the device root, names match without regard to case (an
  // existing name is found whatever case the path uses; a new name keeps the
  // case given). A path whose ".." climbs above the root is refused.
  std::optional<std::filesystem::path> host_path(std::u16string_view device_path) const;

  // Distinct for every device opened by this process, so that caches tied to
  // a device (the log file) notice when the current device changes.
  uint64_t serial() const { return serial_; }

  Registry& registry() { return *registry_; }
  Shell& shell() { return *shell_; }

 private:
  explicit Device(std::filesystem::path root);

  std::filesystem::path root_;
  uint64_t serial_;
  std::unique_ptr<Registry> registry_;
  std::unique_ptr<Shell> shell_;
};

// "$XDG_DATA_HOME/lumivale/devices/default" (XDG_DATA_HOME defaulting to
// ~/.local/share).
std::filesystem::path default_device_root();
// The root a command uses: its --device value if given, else LUMIVALE_DEVICE,
// else the default root.
std::filesystem::path resolve_device_root(const std::optional<std::string>& flag_value);
// The image new devices are made from: LUMIVALE_DEVICE_IMAGE, else the one
// this build assembled.
std::filesystem::path default_device_image();

}  // namespace platform
