// Files, folders and starting files, on macro-expanded device paths.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/files.h"

namespace lv {

enum class FileMode {
  read = 0,        // open an existing file for reading
  write = 1,       // create anew, discarding old content
  append = 2,      // open or create, positioned at the end
  read_write = 3,  // open or create for both
};

class File {
 public:
  File() = default;
  File(std::u16string_view path, FileMode mode);
  bool open(std::u16string_view path, FileMode mode);
  bool is_open() const { return handle_ != nullptr; }
  void close() { handle_.reset(); }

  // Bytes done; 0 on failure or at the end.
  size_t read(void* buffer, size_t size);
  size_t write(const void* data, size_t size);
  uint64_t size() const;
  // The new position, or nullopt on failure.
  std::optional<uint64_t> seek(int64_t offset, platform::SeekOrigin origin = platform::SeekOrigin::begin);
  bool flush();

 private:
  std::unique_ptr<platform::FileHandle> handle_;
};

struct FileInfo {
  bool exists = false;
  bool is_directory = false;
  uint64_t size = 0;
  platform::FileTime creation_time = 0;
  platform::FileTime last_write_time = 0;
};

// Looks up an (expanded) path with one trailing separator removed.
FileInfo file_info(std::u16string_view path);

// Creates the folder and every missing parent, parents first, logging one
// "CreateDirectoryW {...} result=..." line per level.
void create_directories(std::u16string_view expanded_path);
void create_directories_expanded(std::u16string_view path);

// Starts a file through the shell (verb "open"); true when the shell accepted it.
bool execute_file(std::u16string_view file, std::u16string_view parameters);

// The file under the install folder an application recorded in
// "HKEY_LOCAL_MACHINE\Software\Apps\<application key>" "InstallDir"; true
// when that file exists.
bool find_installed_file(std::u16string_view application_key, std::u16string_view file_name,
                         std::u16string& out);

}  // namespace lv
