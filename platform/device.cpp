#include "platform/device.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "platform/diag.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/unicode.h"

#ifndef LUMIVALE_DEFAULT_DEVICE_IMAGE
#define LUMIVALE_DEFAULT_DEVICE_IMAGE ""
#endif

namespace platform {
namespace fs = std::filesystem;
namespace {

std::atomic<Device*> current_device{nullptr};

constexpr const char* kCreatedMarker = "device.created";

// Holds an exclusive lock on a file while a device is laid out, so that two
// processes starting on a new root at once do not both copy the image.
class FileLock {
 public:
  explicit FileLock(const fs::path& file) : fd_(::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
    if (fd_ >= 0) ::flock(fd_, LOCK_EX);
  }
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_;
};

// Copies the image's file tree, leaving files the device already has alone
// (a lay-out interrupted half way is finished, never overwritten).
bool copy_tree(const fs::path& from, const fs::path& to, std::string* error) {
  std::error_code ec;
  fs::create_directories(to, ec);
  for (fs::recursive_directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path rel = fs::relative(it->path(), from, ec);
    if (ec) break;
    if (it->path().filename() == ".keep") continue;  // keeps empty folders in git
    const fs::path target = to / rel;
    if (it->is_directory(ec)) {
      fs::create_directories(target, ec);
    } else if (!fs::exists(target, ec)) {
      fs::copy_file(it->path(), target, ec);
    }
    if (ec) break;
  }
  if (ec && error) *error = "cannot copy the device image " + from.string() + ": " + ec.message();
  return !ec;
}

bool lay_out(const fs::path& root, const fs::path& image, std::string* error) {
  std::error_code ec;
  if (!fs::is_directory(image / "fs", ec)) {
    if (error) *error = "the device image " + image.string() + " has no fs folder";
    return false;
  }
  if (!copy_tree(image / "fs", root / "fs", error)) return false;
  auto registry = Registry::open(root / "system" / "registry.db");
  if (!registry->usable()) {
    if (error) *error = "cannot create the registry store in " + (root / "system").string();
    return false;
  }
  std::ifstream in(image / "registry.reg", std::ios::binary);
  if (in) {
    std::stringstream text;
    text << in.rdbuf();
    std::vector<std::string> problems;
    import_reg_text(*registry, text.str(), &problems);
    for (const auto& p : problems) diag("device image", (image / "registry.reg").string() + " " + p);
  }
  std::ofstream(root / "system" / kCreatedMarker) << "1\n";
  return true;
}

}  // namespace

Device::Device(fs::path root) : root_(std::move(root)) {
  static std::atomic<uint64_t> next_serial{1};
  serial_ = next_serial++;
}
Device::~Device() {
  Device* self = this;
  current_device.compare_exchange_strong(self, nullptr);
}

Device* Device::current() { return current_device.load(); }
void Device::set_current(Device* device) { current_device.store(device); }

std::unique_ptr<Device> Device::open(const fs::path& root_in, const fs::path& image, std::string* error) {
  std::error_code ec;
  fs::create_directories(root_in / "system", ec);
  if (ec) {
    if (error) *error = "cannot create the device root " + root_in.string() + ": " + ec.message();
    return nullptr;
  }
  const fs::path root = fs::canonical(root_in, ec);
  if (ec) {
    if (error) *error = "cannot resolve the device root " + root_in.string() + ": " + ec.message();
    return nullptr;
  }
  if (!fs::exists(root / "system" / kCreatedMarker)) {
    const FileLock lock(root / "system" / "layout.lock");
    if (!fs::exists(root / "system" / kCreatedMarker) && !lay_out(root, image, error)) return nullptr;
  }
  std::unique_ptr<Device> device(new Device(root));
  device->registry_ = Registry::open(root / "system" / "registry.db");
  device->shell_ = std::make_unique<Shell>(root / "system" / "shell.log");
  return device;
}

std::optional<fs::path> Device::host_path(std::u16string_view device_path) const {
  std::vector<std::u16string> parts;
  size_t start = 0;
  while (start <= device_path.size()) {
    size_t end = device_path.find_first_of(u"\\/", start);
    if (end == std::u16string_view::npos) end = device_path.size();
    const std::u16string_view part = device_path.substr(start, end - start);
    start = end + 1;
    if (part.empty() || part == u".") continue;
    if (part == u"..") {
      if (parts.empty()) return std::nullopt;  // would climb above the device root
      parts.pop_back();
      continue;
    }
    if (part.find(u'\0') != std::u16string_view::npos) return std::nullopt;
    parts.emplace_back(part);
  }
  fs::path host = fs_root();
  bool parent_exists = true;
  for (const auto& part : parts) {
    const std::string name = to_utf8(part);
    fs::path exact = host / name;
    struct stat st {};
    if (parent_exists && ::lstat(exact.c_str(), &st) != 0) {
      // Not there in this case: look for the name in another case.
      parent_exists = false;
      std::error_code ec;
      for (fs::directory_iterator it(host, ec), end; !ec && it != end; it.increment(ec)) {
        if (iequals(from_utf8(it->path().filename().string()), part)) {
          exact = it->path();
          parent_exists = true;
          break;
        }
      }
    }
    host = std::move(exact);
  }
  return host;
}

fs::path default_device_root() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  fs::path base;
  if (xdg && *xdg) {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = fs::path(home && *home ? home : "/tmp") / ".local" / "share";
  }
  return base / "lumivale" / "devices" / "default";
}

fs::path resolve_device_root(const std::optional<std::string>& flag_value) {
  if (flag_value && !flag_value->empty()) return *flag_value;
  const char* env = std::getenv("LUMIVALE_DEVICE");
  if (env && *env) return env;
  return default_device_root();
}

fs::path default_device_image() {
  const char* env = std::getenv("LUMIVALE_DEVICE_IMAGE");
  if (env && *env) return env;
  return LUMIVALE_DEFAULT_DEVICE_IMAGE;
}

}  // namespace platform
