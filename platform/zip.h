// Zip archives written on the device (deflate from the host's compression
// library). The program's own archive rules live above, in lv::ZipWriter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace platform {

class ZipArchiveWriter {
 public:
  // Creates the archive anew at a device path; null when it cannot be made.
  static std::unique_ptr<ZipArchiveWriter> create(std::u16string_view device_path);
  // Closes the archive with `comment` (see close) if that was not done.
  ~ZipArchiveWriter();
  ZipArchiveWriter(const ZipArchiveWriter&) = delete;
  ZipArchiveWriter& operator=(const ZipArchiveWriter&) = delete;

  struct EntryOptions {
    std::string_view comment;
    uint32_t internal_attributes = 0;
    uint32_t external_attributes = 0;
  };
  // Starts a deflated entry (default level, time stamp fields 0) whose name is
  // converted to the system's code page. False when the archive refuses it.
  bool open_entry(std::u16string_view name, const EntryOptions& options);
  // False on an error of the archive.
  bool write(const void* data, size_t size);
  bool close_entry();
  // Writes the central directory with the archive comment.
  bool close(std::string_view comment);

 private:
  explicit ZipArchiveWriter(void* handle) : handle_(handle) {}
  void* handle_;
};

}  // namespace platform
