// The device's shell: special folders, the running program's module name and
// starting files. Starting a program records the request in the device's
// shell log (system/shell.log, one tab-separated UTF-8 line per start) that
// tests and tools read.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The phone's special-folder ids.
enum SpecialFolder : int {
  folder_programs = 2,
  folder_personal = 5,
  folder_favorites = 6,
  folder_startup = 7,
  folder_start_menu = 11,
  folder_appdata = 26,
  folder_windows = 36,
  folder_program_files = 38,
};

// The device path of a special folder, or nullopt for an id the device lacks.
std::optional<std::u16string> special_folder_path(int folder_id);

// The full device path of this process's program file. Every process is a
// program on the device; Lumivale's own is "\Program Files\Lumivale\Lumivale.exe".
std::u16string module_file_name();
void set_module_file_name(std::u16string path);

struct ShellStart {
  std::u16string verb;
  std::u16string file;
  std::u16string parameters;
};

class Shell {
 public:
  explicit Shell(std::filesystem::path log_file) : log_file_(std::move(log_file)) {}

  // Accepts a start when the file exists on the device (an "http:" or other
  // URL is accepted as such) and records it.
  bool execute(std::u16string_view verb, std::u16string_view file, std::u16string_view parameters);
  // Every start recorded on this device, oldest first.
  std::vector<ShellStart> starts() const;

 private:
  std::filesystem::path log_file_;
};

}  // namespace platform
