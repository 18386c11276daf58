#include "app/paths.h"

#include <array>
#include <mutex>

#include "app/fatal.h"
#include "platform/shell.h"
#include "platform/unicode.h"

namespace lv {
namespace {

constexpr size_t kMaxPath = 1024;

bool is_separator(char16_t c) { return c == u'\\' || c == u'/'; }

size_t last_separator(std::u16string_view path) { return path.find_last_of(u"\\/"); }

struct ProgramPaths {
  std::u16string full_name;
  std::u16string dir;
  std::u16string name;
};

// Computed on the first expansion and kept until exit.
const ProgramPaths& program_paths() {
  static const ProgramPaths paths = [] {
    // The module name is read into a fixed buffer on the phone; a name that
    // fills it cannot be trusted.
    const std::u16string full = platform::module_file_name();
    if (full.size() > kMaxPath - 1) fatal_report(u"get_app_path()", u"path is more then MAX_PATH long");
    ProgramPaths p;
    p.full_name = full;
    const size_t sep = last_separator(full);
    p.dir = sep == std::u16string::npos ? std::u16string() : full.substr(0, sep);
    p.name = sep == std::u16string::npos ? full : full.substr(sep + 1);
    return p;
  }();
  return paths;
}

struct Macro {
  std::u16string_view name;
  int folder;  // a special folder id, or one of the program-derived kinds below
};
constexpr int kAppFullName = -1, kAppPath = -2, kAppName = -3;
constexpr std::array<Macro, 11> kMacros{{
    {u"%app_full_name%", kAppFullName},
    {u"%app_path%", kAppPath},
    {u"%app_name%", kAppName},
    {u"%my_documents%", platform::folder_personal},
    {u"%windows%", platform::folder_windows},
    {u"%startup%", platform::folder_startup},
    {u"%favorites%", platform::folder_favorites},
    {u"%programs%", platform::folder_programs},
    {u"%start_menu%", platform::folder_start_menu},
    {u"%appdata%", platform::folder_appdata},
    {u"%program_files%", platform::folder_program_files},
}};

std::u16string backslashes(std::u16string_view text) {
  std::u16string out(text);
  for (auto& c : out)
    if (c == u'/') c = u'\\';
  return out;
}

}  // namespace

const std::u16string& get_app_path() { return program_paths().full_name; }

std::u16string special_folder(int folder_id) {
  // Asked for on every expansion: the shell may move a folder while we run.
  return platform::special_folder_path(folder_id).value_or(std::u16string());
}

std::u16string expand_path(std::u16string_view path) {
  for (const auto& macro : kMacros) {
    if (path.substr(0, macro.name.size()) != macro.name) continue;
    std::u16string head;
    switch (macro.folder) {
      case kAppFullName: head = program_paths().full_name; break;
      case kAppPath: head = program_paths().dir; break;
      case kAppName: head = program_paths().name; break;
      default: head = special_folder(macro.folder); break;
    }
    return backslashes(head) + backslashes(path.substr(macro.name.size()));
  }
  return backslashes(path);
}

std::u16string path_dir(std::u16string_view path) {
  const size_t sep = last_separator(path);
  return sep == std::u16string_view::npos ? std::u16string() : std::u16string(path.substr(0, sep + 1));
}

std::u16string path_strip_separator(std::u16string_view path) {
  if (!path.empty() && is_separator(path.back())) path.remove_suffix(1);
  return std::u16string(path);
}

std::u16string path_file_name(std::u16string_view path) {
  const size_t sep = last_separator(path);
  return std::u16string(sep == std::u16string_view::npos ? path : path.substr(sep + 1));
}

std::u16string path_parent(std::u16string_view path) { return path_dir(path_strip_separator(path)); }

std::optional<size_t> path_extension_pos(std::u16string_view path) {
  const size_t dot = path.find_last_of(u'.');
  if (dot == std::u16string_view::npos) return std::nullopt;
  const size_t sep = last_separator(path);
  if (sep != std::u16string_view::npos && sep > dot) return std::nullopt;
  return dot;
}

std::u16string path_to_forward_slashes(std::u16string_view path) {
  std::u16string out(path);
  for (auto& c : out)
    if (c == u'\\') c = u'/';
  return out;
}

std::u16string path_normalise(std::u16string_view path) {
  return platform::to_lower(path_strip_separator(expand_path(path)));
}

bool paths_equal(std::u16string_view a, std::u16string_view b) {
  return path_normalise(a) == path_normalise(b);
}

}  // namespace lv
