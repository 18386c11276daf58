// The archive the recording mode writes its frames into.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/bmp.h"

namespace platform {
class ZipArchiveWriter;
}

namespace lv {

// A zip archive created anew at construction. Entries are deflated at the
// default level, carry the comment "no comment" and zero time stamps; the
// archive is closed with the comment "no comment" when the writer goes.
class ZipWriter : public ByteSink {
 public:
  explicit ZipWriter(std::u16string_view path);
  ~ZipWriter() override;
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // Whether the archive file could be created.
  bool is_open() const { return archive_ != nullptr; }
  // Closes the open entry, writes the entries of the path's directories that
  // this archive does not have yet (outermost first), and opens an entry named
  // by the path with "\" turned into "/". False when the archive refuses it.
  bool add_file(std::u16string_view path);
  // Appends to the open entry: the length, or 0 on an error.
  size_t write(const void* data, size_t size) override;

 private:
  void add_directories(std::u16string_view directory);

  std::unique_ptr<platform::ZipArchiveWriter> archive_;
  std::vector<std::u16string> directories_;
  bool entry_open_ = false;
};

}  // namespace lv
