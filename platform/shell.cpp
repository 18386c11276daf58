#include "platform/shell.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <fstream>
#include <mutex>

#include "platform/files.h"
#include "platform/unicode.h"

namespace platform {
namespace {

std::mutex module_lock;
std::u16string& module_name() {
  static std::u16string name = u"\\Program Files\\Lumivale\\Lumivale.exe";
  return name;
}

bool is_url(std::u16string_view file) {
  const size_t colon = file.find(u':');
  if (colon == std::u16string_view::npos || colon < 2) return false;
  for (size_t i = 0; i < colon; ++i) {
    const char16_t c = file[i];
    if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))) return false;
  }
  return true;
}

// Tabs and line breaks inside a field would split the record.
std::string field(std::u16string_view text) {
  std::string s = to_utf8(text);
  for (char& c : s)
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  return s;
}

}  // namespace

std::optional<std::u16string> special_folder_path(int folder_id) {
  switch (folder_id) {
    case folder_programs: return u"\\Windows\\Start Menu\\Programs";
    case folder_personal: return u"\\My Documents";
    case folder_favorites: return u"\\Windows\\Favorites";
    case folder_startup: return u"\\Windows\\StartUp";
    case folder_start_menu: return u"\\Windows\\Start Menu";
    case folder_appdata: return u"\\Application Data";
    case folder_windows: return u"\\Windows";
    case folder_program_files: return u"\\Program Files";
    default: return std::nullopt;
  }
}

std::u16string module_file_name() {
  const std::lock_guard guard(module_lock);
  return module_name();
}

void set_module_file_name(std::u16string path) {
  const std::lock_guard guard(module_lock);
  module_name() = std::move(path);
}

bool Shell::execute(std::u16string_view verb, std::u16string_view file, std::u16string_view parameters) {
  if (file.empty() || (!is_url(file) && !file_exists(file))) return false;
  const std::string line = field(verb) + "\t" + field(file) + "\t" + field(parameters) + "\n";
  // Appends from several processes stay whole lines: one write under a lock.
  const int fd = ::open(log_file_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  ::flock(fd, LOCK_EX);
  const bool ok = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
  ::flock(fd, LOCK_UN);
  ::close(fd);
  return ok;
}

std::vector<ShellStart> Shell::starts() const {
  std::vector<ShellStart> out;
  std::ifstream in(log_file_);
  std::string line;
  while (std::getline(in, line)) {
    const size_t a = line.find('\t');
    const size_t b = a == std::string::npos ? a : line.find('\t', a + 1);
    if (b == std::string::npos) continue;
    out.push_back({from_utf8(line.substr(0, a)), from_utf8(line.substr(a + 1, b - a - 1)),
                   from_utf8(line.substr(b + 1))});
  }
  return out;
}

}  // namespace platform
