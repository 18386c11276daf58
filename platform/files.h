// The device's file system: files and folders named by device paths (see
// Device::host_path), on the current device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"

namespace platform {

// `append` writes only at the end: every write lands after what other
// handles (and other processes) wrote, so shared logs never overwrite.
enum class FileAccess : unsigned { read = 1, write = 2, read_write = 3, append = 6 };

enum class Disposition {
  create_new,         // fails when the file exists
  create_always,      // creates or truncates
  open_existing,      // fails when the file is missing
  open_always,        // opens or creates
  truncate_existing,  // opens and truncates; fails when missing
};

enum class SeekOrigin { begin, current, end };

// An open device file; closing happens on destruction.
class FileHandle {
 public:
  static std::unique_ptr<FileHandle> open(std::u16string_view path, FileAccess access,
                                          Disposition disposition);
  ~FileHandle();
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  // Bytes read (0 at the end), or nullopt on failure.
  std::optional<size_t> read(void* buffer, size_t size);
  std::optional<size_t> write(const void* data, size_t size);
  // The new position, or nullopt when it would be negative or the file cannot seek.
  std::optional<uint64_t> seek(int64_t offset, SeekOrigin origin);
  std::optional<uint64_t> size() const;
  // Writes go straight to the host; flushing makes them durable.
  bool flush();

 private:
  explicit FileHandle(int fd) : fd_(fd) {}
  int fd_;
};

struct FindData {
  std::u16string name;  // as stored on the device
  bool is_directory = false;
  uint64_t size = 0;
  FileTime creation_time = 0;
  FileTime last_write_time = 0;
};

// Entries of a folder whose names match the last part of `pattern` ("*" and
// "?", without regard to case; "*.*" matches every name), sorted by name
// without regard to case. "\Windows\Start Menu\*.lnk".
std::vector<FindData> find_files(std::u16string_view pattern);
// The entry a path names, or nullopt when there is none.
std::optional<FindData> file_information(std::u16string_view path);

bool file_exists(std::u16string_view path);
bool directory_exists(std::u16string_view path);
// Creates one folder; false when it exists already or its parent is missing.
bool create_directory(std::u16string_view path);
bool remove_directory(std::u16string_view path);
bool delete_file(std::u16string_view path);
bool move_file(std::u16string_view from, std::u16string_view to);

// Whole-file helpers for the platform's own use and for tools.
std::optional<std::vector<uint8_t>> read_whole_file(std::u16string_view path);
bool write_whole_file(std::u16string_view path, const void* data, size_t size);

}  // namespace platform
