#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

#include "platform/device.h"
#include "platform/unicode.h"

namespace platform {
namespace fs = std::filesystem;
namespace {

std::optional<fs::path> resolve(std::u16string_view path) {
  Device* device = Device::current();
  if (!device) return std::nullopt;
  return device->host_path(path);
}

FileTime to_file_time(const timespec& ts) { return unix_to_local_file_time(ts.tv_sec, ts.tv_nsec); }

FindData find_data_of(const std::u16string& name, const struct stat& st) {
  FindData d;
  d.name = name;
  d.is_directory = S_ISDIR(st.st_mode);
  d.size = d.is_directory ? 0 : static_cast<uint64_t>(st.st_size);
  // The host keeps no creation time portably; the change time is the closest.
  d.creation_time = to_file_time(st.st_ctim);
  d.last_write_time = to_file_time(st.st_mtim);
  if (d.creation_time > d.last_write_time) d.creation_time = d.last_write_time;
  return d;
}

}  // namespace

std::unique_ptr<FileHandle> FileHandle::open(std::u16string_view path, FileAccess access,
                                             Disposition disposition) {
  const auto host = resolve(path);
  if (!host) return nullptr;
  int flags = O_CLOEXEC;
  switch (access) {
    case FileAccess::read: flags |= O_RDONLY; break;
    case FileAccess::write: flags |= O_WRONLY; break;
    case FileAccess::read_write: flags |= O_RDWR; break;
    case FileAccess::append: flags |= O_WRONLY | O_APPEND; break;
  }
  switch (disposition) {
    case Disposition::create_new: flags |= O_CREAT | O_EXCL; break;
    case Disposition::create_always: flags |= O_CREAT | O_TRUNC; break;
    case Disposition::open_existing: break;
    case Disposition::open_always: flags |= O_CREAT; break;
    case Disposition::truncate_existing: flags |= O_TRUNC; break;
  }
  if ((flags & O_TRUNC) && access == FileAccess::read) flags = (flags & ~O_RDONLY) | O_RDWR;
  const int fd = ::open(host->c_str(), flags, 0644);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<FileHandle>(new FileHandle(fd));
}

FileHandle::~FileHandle() { ::close(fd_); }

std::optional<size_t> FileHandle::read(void* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
}

std::optional<size_t> FileHandle::write(const void* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd_, static_cast<const char*>(data) + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;
    done += static_cast<size_t>(n);
  }
  return done;
}

std::optional<uint64_t> FileHandle::seek(int64_t offset, SeekOrigin origin) {
  const int whence = origin == SeekOrigin::begin ? SEEK_SET : origin == SeekOrigin::current ? SEEK_CUR : SEEK_END;
  const off_t pos = ::lseek(fd_, static_cast<off_t>(offset), whence);
  if (pos < 0) return std::nullopt;
  return static_cast<uint64_t>(pos);
}

std::optional<uint64_t> FileHandle::size() const {
  struct stat st {};
  if (fstat(fd_, &st) != 0) return std::nullopt;
  return static_cast<uint64_t>(st.st_size);
}

bool FileHandle::flush() { return ::fdatasync(fd_) == 0 || errno == EINVAL; }

std::vector<FindData> find_files(std::u16string_view pattern) {
  std::vector<FindData> out;
  const size_t sep = pattern.find_last_of(u"\\/");
  const std::u16string_view dir = sep == std::u16string_view::npos ? std::u16string_view() : pattern.substr(0, sep);
  std::u16string_view mask = sep == std::u16string_view::npos ? pattern : pattern.substr(sep + 1);
  if (mask == u"*.*") mask = u"*";
  const auto host_dir = resolve(dir);
  if (!host_dir || mask.empty()) return out;
  std::error_code ec;
  for (fs::directory_iterator it(*host_dir, ec), end; !ec && it != end; it.increment(ec)) {
    const std::u16string name = from_utf8(it->path().filename().string());
    if (!wildcard_match(mask, name)) continue;
    struct stat st {};
    if (::stat(it->path().c_str(), &st) != 0) continue;
    out.push_back(find_data_of(name, st));
  }
  std::sort(out.begin(), out.end(),
            [](const FindData& a, const FindData& b) { return to_lower(a.name) < to_lower(b.name); });
  return out;
}

std::optional<FindData> file_information(std::u16string_view path) {
  const auto host = resolve(path);
  if (!host) return std::nullopt;
  struct stat st {};
  if (::stat(host->c_str(), &st) != 0) return std::nullopt;
  // The root itself has no name of its own.
  return find_data_of(host->has_filename() ? from_utf8(host->filename().string()) : u"", st);
}

bool file_exists(std::u16string_view path) {
  const auto info = file_information(path);
  return info && !info->is_directory;
}

bool directory_exists(std::u16string_view path) {
  const auto info = file_information(path);
  return info && info->is_directory;
}

bool create_directory(std::u16string_view path) {
  const auto host = resolve(path);
  return host && ::mkdir(host->c_str(), 0755) == 0;
}

bool remove_directory(std::u16string_view path) {
  const auto host = resolve(path);
  return host && ::rmdir(host->c_str()) == 0;
}

bool delete_file(std::u16string_view path) {
  const auto host = resolve(path);
  struct stat st {};
  return host && ::lstat(host->c_str(), &st) == 0 && !S_ISDIR(st.st_mode) && ::unlink(host->c_str()) == 0;
}

bool move_file(std::u16string_view from, std::u16string_view to) {
  const auto a = resolve(from);
  const auto b = resolve(to);
  struct stat st {};
  // The phone's move never replaces an existing file.
  return a && b && ::lstat(b->c_str(), &st) != 0 && ::rename(a->c_str(), b->c_str()) == 0;
}

std::optional<std::vector<uint8_t>> read_whole_file(std::u16string_view path) {
  auto file = FileHandle::open(path, FileAccess::read, Disposition::open_existing);
  if (!file) return std::nullopt;
  const auto size = file->size();
  if (!size) return std::nullopt;
  std::vector<uint8_t> data(static_cast<size_t>(*size));
  const auto n = file->read(data.data(), data.size());
  if (!n) return std::nullopt;
  data.resize(*n);
  return data;
}

bool write_whole_file(std::u16string_view path, const void* data, size_t size) {
  auto file = FileHandle::open(path, FileAccess::write, Disposition::create_always);
  return file && file->write(data, size) == size;
}

}  // namespace platform
