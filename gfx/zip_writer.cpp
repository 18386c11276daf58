#include "gfx/zip_writer.h"

#include <algorithm>

#include "platform/zip.h"

namespace lv {

namespace {

constexpr std::string_view kComment = "no comment";

std::u16string with_slashes(std::u16string_view path) {
  std::u16string name(path);
  std::replace(name.begin(), name.end(), u'\\', u'/');
  return name;
}

// The directory part of a path, up to and including its last separator.
std::u16string_view directory_of(std::u16string_view path) {
  const size_t last = path.find_last_of(u"\\/");
  return last == std::u16string_view::npos ? std::u16string_view{} : path.substr(0, last + 1);
}

}  // namespace

ZipWriter::ZipWriter(std::u16string_view path) : archive_(platform::ZipArchiveWriter::create(path)) {}

ZipWriter::~ZipWriter() {
  if (!archive_) return;
  if (entry_open_) archive_->close_entry();
  archive_->close(kComment);
}

void ZipWriter::add_directories(std::u16string_view directory) {
  if (directory.empty()) return;
  // The parent first: the directory without its own trailing separator.
  add_directories(directory_of(directory.substr(0, directory.size() - 1)));
  std::u16string name = with_slashes(directory);
  if (std::find(directories_.begin(), directories_.end(), name) != directories_.end()) return;
  directories_.push_back(name);
  if (archive_->open_entry(name, {kComment, 2, 0})) archive_->close_entry();
}

bool ZipWriter::add_file(std::u16string_view path) {
  if (!archive_) return false;
  if (entry_open_) {
    archive_->close_entry();
    entry_open_ = false;
  }
  add_directories(directory_of(path));
  entry_open_ = archive_->open_entry(with_slashes(path), {kComment, 2, 0});
  return entry_open_;
}

size_t ZipWriter::write(const void* data, size_t size) {
  if (!archive_ || !entry_open_) return 0;
  return archive_->write(data, size) ? size : 0;
}

}  // namespace lv
