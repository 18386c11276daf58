#include "app/registry.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/device.h"
#include "tests/testing/temp_device.h"

namespace {

using namespace lv;
using platform::RegRoot;
using testing_support::DeviceTest;

TEST(KeyPath, RootsAreTestedAsPrefixesInOrder) {
  struct Case {
    const char16_t* text;
    std::optional<RegRoot> root;
    const char16_t* subkey;
  };
  const Case cases[] = {
      {u"HKEY_CURRENT_USER\\Software\\NELM", RegRoot::current_user, u"Software\\NELM"},
      {u"HKEY_LOCAL_MACHINE\\System\\State\\", RegRoot::local_machine, u"System\\State\\"},
      {u"HKEY_CLASSES_ROOT\\.lnk", RegRoot::classes_root, u".lnk"},
      {u"HKEY_USERS", RegRoot::users, u""},
      {u"HKEY_CURRENT_USERX\\a", RegRoot::current_user, u"\\a"},  // one character skipped, whatever it is
      {u"HKEY_CURRENT_CONFIG\\Software", std::nullopt, u""},
      {u"hkey_current_user\\Software", std::nullopt, u""},
      {u"", std::nullopt, u""},
  };
  for (const auto& c : cases) {
    const auto key = parse_key_path(c.text);
    ASSERT_EQ(key.has_value(), c.root.has_value());
    if (!key) continue;
    EXPECT_EQ(key->root, *c.root);
    EXPECT_EQ(key->subkey, c.subkey);
  }
}

TEST_F(DeviceTest, TypedReadsKeepTheDefaultOnAMismatch) {
  const std::u16string key = u"HKEY_CURRENT_USER\\Software\\NELM\\Test";
  ASSERT_TRUE(reg_write_string(key, u"Text", u"12"));
  ASSERT_TRUE(reg_write_dword(key, u"Number", 42));
  uint32_t number = 5;
  EXPECT_FALSE(reg_read_dword(key, u"Text", number));
  EXPECT_EQ(number, 5u);
  EXPECT_TRUE(reg_read_dword(key, u"number", number));
  EXPECT_EQ(number, 42u);
  std::u16string text = u"default";
  EXPECT_FALSE(reg_read_string(key, u"Number", text));
  EXPECT_EQ(text, u"default");
  EXPECT_TRUE(reg_read_string(key, u"Text", text));
  EXPECT_EQ(text, u"12");
  bool flag = false;
  EXPECT_TRUE(reg_read_bool(key, u"Number", flag));
  EXPECT_TRUE(flag);
  std::vector<uint8_t> bytes{9};
  EXPECT_FALSE(reg_read_bytes(key, u"Text", bytes));
  EXPECT_EQ(bytes, std::vector<uint8_t>{9});
}

TEST_F(DeviceTest, EmptyStringsAndBytesRead) {
  const std::u16string key = u"HKEY_LOCAL_MACHINE\\Software\\Apps\\X";
  ASSERT_TRUE(reg_write_string(key, u"Empty", u""));
  std::u16string text = u"default";
  EXPECT_TRUE(reg_read_string(key, u"Empty", text));
  EXPECT_EQ(text, u"");
  ASSERT_TRUE(device_.device().registry().set(RegRoot::local_machine, u"Software\\Apps\\X", u"Raw",
                                               platform::RegValue::binary({1, 2, 3})));
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(reg_read_bytes(key, u"Raw", bytes));
  EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(DeviceTest, ReadsNeverCreateKeysAndUnknownRootsFail) {
  uint32_t v = 0;
  EXPECT_FALSE(reg_read_dword(u"HKEY_CURRENT_USER\\Nowhere\\Deep", u"x", v));
  EXPECT_FALSE(device_.device().registry().key_exists(RegRoot::current_user, u"Nowhere"));
  EXPECT_FALSE(reg_write_dword(u"HKEY_CURRENT_CONFIG\\x", u"x", 1));
  EXPECT_TRUE(reg_write_dword(u"HKEY_CURRENT_USER\\New\\Key", u"x", 1));
  EXPECT_TRUE(device_.device().registry().key_exists(RegRoot::current_user, u"new\\key"));
}

TEST_F(DeviceTest, TheDefaultRegistryComesFromTheImage) {
  uint32_t log = 7;
  EXPECT_TRUE(reg_read_dword(kFrameKey, u"Log", log));
  EXPECT_EQ(log, 0u);
}

TEST(DamagedRegistry, ReadsGiveTheCallersDefault) {
  const auto root = testing_support::make_temp_dir("lumivale-damaged-");
  {
    std::string error;
    auto device = platform::Device::open(root, platform::default_device_image(), &error);
    ASSERT_TRUE(device) << error;
  }
  std::filesystem::remove(root / "system" / "registry.db-wal");
  std::filesystem::remove(root / "system" / "registry.db-shm");
  std::ofstream(root / "system" / "registry.db", std::ios::binary | std::ios::trunc) << std::string(8192, '\x01');
  std::string error;
  auto device = platform::Device::open(root, platform::default_device_image(), &error);
  ASSERT_TRUE(device);
  platform::Device::set_current(device.get());
  uint32_t v = 11;
  EXPECT_FALSE(reg_read_dword(kFrameKey, u"Log", v));
  EXPECT_EQ(v, 11u);
  EXPECT_FALSE(reg_write_dword(kFrameKey, u"Log", 1));
  platform::Device::set_current(nullptr);
  device.reset();
  std::filesystem::remove_all(root);
}

}  // namespace
