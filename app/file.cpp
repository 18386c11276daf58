#include "app/file.h"

#include "app/log.h"
#include "app/paths.h"
#include "app/registry.h"
#include "platform/device.h"
#include "platform/shell.h"

namespace lv {

using platform::Disposition;
using platform::FileAccess;
using platform::FileHandle;

File::File(std::u16string_view path, FileMode mode) { open(path, mode); }

bool File::open(std::u16string_view path, FileMode mode) {
  const std::u16string expanded = expand_path(path);
  switch (mode) {
    case FileMode::read:
      handle_ = FileHandle::open(expanded, FileAccess::read, Disposition::open_existing);
      break;
    case FileMode::write:
      handle_ = FileHandle::open(expanded, FileAccess::write, Disposition::create_always);
      break;
    case FileMode::append:
      handle_ = FileHandle::open(expanded, FileAccess::append, Disposition::open_always);
      break;
    case FileMode::read_write:
      handle_ = FileHandle::open(expanded, FileAccess::read_write, Disposition::open_always);
      break;
  }
  return is_open();
}

size_t File::read(void* buffer, size_t size) {
  if (!handle_) return 0;
  return handle_->read(buffer, size).value_or(0);
}

size_t File::write(const void* data, size_t size) {
  if (!handle_) return 0;
  return handle_->write(data, size).value_or(0);
}

uint64_t File::size() const { return handle_ ? handle_->size().value_or(0) : 0; }

std::optional<uint64_t> File::seek(int64_t offset, platform::SeekOrigin origin) {
  if (!handle_) return std::nullopt;
  return handle_->seek(offset, origin);
}

bool File::flush() { return handle_ && handle_->flush(); }

FileInfo file_info(std::u16string_view path) {
  FileInfo info;
  const auto data = platform::file_information(path_strip_separator(expand_path(path)));
  if (!data) return info;
  info.exists = true;
  info.is_directory = data->is_directory;
  info.size = data->size;
  info.creation_time = data->creation_time;
  info.last_write_time = data->last_write_time;
  return info;
}

void create_directories(std::u16string_view path) {
  if (path.empty()) return;
  const std::u16string dir = path_strip_separator(path);
  const std::u16string parent = path_dir(dir);
  if (!parent.empty()) create_directories(parent);
  if (dir.empty()) return;  // the root itself
  const bool result = platform::create_directory(dir);
  log() << u"CreateDirectoryW {" << path << u"} result=" << result << u"\n";
}

void create_directories_expanded(std::u16string_view path) { create_directories(expand_path(path)); }

bool execute_file(std::u16string_view file, std::u16string_view parameters) {
  const std::u16string expanded = expand_path(file);
  log() << u"execute_file(" << file << u"} {" << parameters << u")\n";
  platform::Device* device = platform::Device::current();
  return device && device->shell().execute(u"open", expanded, parameters);
}

bool find_installed_file(std::u16string_view application_key, std::u16string_view file_name,
                         std::u16string& out) {
  std::u16string dir;
  const std::u16string key = u"HKEY_LOCAL_MACHINE\\Software\\Apps\\" + std::u16string(application_key);
  if (!reg_read_string(key, u"InstallDir", dir) || dir.empty()) return false;
  out = dir + u"\\" + std::u16string(file_name);
  return file_info(out).exists;
}

}  // namespace lv
