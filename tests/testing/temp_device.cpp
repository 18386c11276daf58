#include "tests/testing/temp_device.h"

#include <cstdlib>
#include <string>

namespace testing_support {

std::filesystem::path make_temp_dir(const char* prefix) {
  std::string pattern = (std::filesystem::temp_directory_path() / (std::string(prefix) + "XXXXXX")).string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

TempDevice::TempDevice() : root_(make_temp_dir("lumivale-test-")) {
  std::string error;
  device_ = platform::Device::open(root_, platform::default_device_image(), &error);
  if (!device_) throw std::runtime_error("cannot open a test device: " + error);
  platform::Device::set_current(device_.get());
}

TempDevice::~TempDevice() {
  if (platform::Device::current() == device_.get()) platform::Device::set_current(nullptr);
  device_.reset();
  std::error_code ec;
  std::filesystem::remove_all(root_, ec);
}

std::filesystem::path TempDevice::host(std::u16string_view device_path) const {
  return device_->host_path(device_path).value_or(std::filesystem::path());
}

}  // namespace testing_support
