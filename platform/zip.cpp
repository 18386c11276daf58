#include "platform/zip.h"

#include <zip.h>

#include <algorithm>
#include <string>

#include "platform/device.h"

namespace platform {

namespace {

// The system's code page: ASCII and the Latin-1 letters keep their byte,
// anything else becomes "?".
std::string to_code_page(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t c : text) out += (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) ? static_cast<char>(c) : '?';
  return out;
}

}  // namespace

std::unique_ptr<ZipArchiveWriter> ZipArchiveWriter::create(std::u16string_view device_path) {
  Device* device = Device::current();
  if (!device) return nullptr;
  const auto host = device->host_path(device_path);
  if (!host) return nullptr;
  zipFile handle = zipOpen64(host->c_str(), APPEND_STATUS_CREATE);
  if (!handle) return nullptr;
  return std::unique_ptr<ZipArchiveWriter>(new ZipArchiveWriter(handle));
}

ZipArchiveWriter::~ZipArchiveWriter() {
  if (handle_) zipClose(static_cast<zipFile>(handle_), nullptr);
}

bool ZipArchiveWriter::open_entry(std::u16string_view name, const EntryOptions& options) {
  if (!handle_) return false;
  zip_fileinfo info{};
  info.internal_fa = options.internal_attributes;
  info.external_fa = options.external_attributes;
  const std::string narrow = to_code_page(name);
  const std::string comment(options.comment);
  return zipOpenNewFileInZip(static_cast<zipFile>(handle_), narrow.c_str(), &info, nullptr, 0, nullptr, 0,
                             comment.c_str(), Z_DEFLATED, Z_DEFAULT_COMPRESSION) == ZIP_OK;
}

bool ZipArchiveWriter::write(const void* data, size_t size) {
  if (!handle_) return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  while (size > 0) {
    const unsigned chunk = static_cast<unsigned>(std::min<size_t>(size, 1u << 30));
    if (zipWriteInFileInZip(static_cast<zipFile>(handle_), bytes, chunk) != ZIP_OK) return false;
    bytes += chunk;
    size -= chunk;
  }
  return true;
}

bool ZipArchiveWriter::close_entry() {
  return handle_ && zipCloseFileInZip(static_cast<zipFile>(handle_)) == ZIP_OK;
}

bool ZipArchiveWriter::close(std::string_view comment) {
  if (!handle_) return false;
  const std::string text(comment);
  const bool ok = zipClose(static_cast<zipFile>(handle_), text.c_str()) == ZIP_OK;
  handle_ = nullptr;
  return ok;
}

}  // namespace platform
