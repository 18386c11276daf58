// A fresh simulated device in a temporary folder, made current for the test
// and removed afterwards.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/device.h"

namespace testing_support {

class TempDevice {
 public:
  TempDevice();
  ~TempDevice();
  TempDevice(const TempDevice&) = delete;
  TempDevice& operator=(const TempDevice&) = delete;

  platform::Device& device() { return *device_; }
  const std::filesystem::path& root() const { return root_; }
  // The host path of a device path, for checking what the program wrote.
  std::filesystem::path host(std::u16string_view device_path) const;

 private:
  std::filesystem::path root_;
  std::unique_ptr<platform::Device> device_;
};

// Makes a unique empty folder under the system's temporary folder.
std::filesystem::path make_temp_dir(const char* prefix);

// The test fixture most tests use.
class DeviceTest : public ::testing::Test {
 protected:
  TempDevice device_;
};

}  // namespace testing_support
