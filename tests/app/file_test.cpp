#include "app/file.h"

#include <gtest/gtest.h>

#include "app/log.h"
#include "app/registry.h"
#include "platform/device.h"
#include "platform/shell.h"
#include "tests/app/test_log_reader.h"
#include "tests/testing/temp_device.h"

namespace {

using namespace lv;
using testing_support::DeviceTest;

std::string read_all(std::u16string_view path) {
  File f(path, FileMode::read);
  std::string s(static_cast<size_t>(f.size()), '\0');
  s.resize(f.read(s.data(), s.size()));
  return s;
}

TEST_F(DeviceTest, FileModesOpenAsTheirNamesSay) {
  const std::u16string path = u"%app_path%/data.bin";
  EXPECT_FALSE(File(path, FileMode::read).is_open());
  {
    File f(path, FileMode::write);
    ASSERT_TRUE(f.is_open());
    EXPECT_EQ(f.write("abc", 3), 3u);
  }
  {
    File f(path, FileMode::append);
    ASSERT_TRUE(f.is_open());
    EXPECT_EQ(f.write("def", 3), 3u);
  }
  EXPECT_EQ(read_all(path), "abcdef");
  {
    // Two appenders (two processes sharing a log) never overwrite each other.
    File first(path, FileMode::append), second(path, FileMode::append);
    EXPECT_EQ(first.write("1", 1), 1u);
    EXPECT_EQ(second.write("2", 1), 1u);
    EXPECT_EQ(first.write("3", 1), 1u);
  }
  EXPECT_EQ(read_all(path), "abcdef123");
  {
    File f(path, FileMode::write);
    f.write("abcdef", 6);
  }
  {
    File f(path, FileMode::read_write);  // opens without truncating
    ASSERT_TRUE(f.is_open());
    EXPECT_EQ(f.seek(1), 1u);
    EXPECT_EQ(f.write("X", 1), 1u);
  }
  EXPECT_EQ(read_all(path), "aXcdef");
  {
    File f(path, FileMode::write);  // truncates
    ASSERT_TRUE(f.is_open());
  }
  EXPECT_EQ(read_all(path), "");
  File reader(path, FileMode::read);
  EXPECT_EQ(reader.write("no", 2), 0u);  // read-only
  File missing;
  EXPECT_EQ(missing.read(nullptr, 0), 0u);
  EXPECT_EQ(missing.size(), 0u);
}

TEST_F(DeviceTest, CreateDirectoriesMakesParentsFirstAndLogsEachLevel) {
  ASSERT_TRUE(reg_write_dword(kFrameKey, u"Log", 1));
  create_directories(u"\\a\\b\\c\\");
  log().flush();
  EXPECT_EQ(testing_support::log_text(device_.host(u"\\Temp\\Lumivale.exe.txt")),
            "CreateDirectoryW {\\a\\} result=true\n"
            "CreateDirectoryW {\\a\\b\\} result=true\n"
            "CreateDirectoryW {\\a\\b\\c\\} result=true\n");
  EXPECT_TRUE(file_info(u"\\a\\b\\c\\").is_directory);
  create_directories_expanded(u"%app_path%/skins/bin");
  EXPECT_TRUE(file_info(u"%app_path%/skins/bin").exists);
}

TEST_F(DeviceTest, FileInfoIgnoresOneTrailingSeparator) {
  ASSERT_TRUE(File(u"/Temp/f.txt", FileMode::write).write("1234", 4) == 4);
  FileInfo info = file_info(u"/temp/F.TXT");
  EXPECT_TRUE(info.exists);
  EXPECT_FALSE(info.is_directory);
  EXPECT_EQ(info.size, 4u);
  EXPECT_TRUE(file_info(u"%windows%\\").is_directory);
  EXPECT_FALSE(file_info(u"/Temp/none").exists);
}

TEST_F(DeviceTest, ExecuteFileStartsExistingFilesThroughTheShell) {
  EXPECT_TRUE(execute_file(u"%app_full_name%", u"run"));
  EXPECT_FALSE(execute_file(u"%windows%/nothing.exe", u""));
  const auto starts = device_.device().shell().starts();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].verb, u"open");
  EXPECT_EQ(starts[0].file, u"\\Program Files\\Lumivale\\Lumivale.exe");
  EXPECT_EQ(starts[0].parameters, u"run");
}

TEST_F(DeviceTest, FindInstalledFileUsesTheInstallDir) {
  std::u16string out = u"untouched";
  EXPECT_FALSE(find_installed_file(u"Maker Weather", u"weather.exe", out));
  EXPECT_EQ(out, u"untouched");
  ASSERT_TRUE(reg_write_string(u"HKEY_LOCAL_MACHINE\\Software\\Apps\\Maker Weather", u"InstallDir",
                               u"\\Program Files\\Weather"));
  EXPECT_FALSE(find_installed_file(u"Maker Weather", u"weather.exe", out));
  EXPECT_EQ(out, u"\\Program Files\\Weather\\weather.exe");  // the path, even when missing
  create_directories(u"\\Program Files\\Weather");
  ASSERT_TRUE(File(u"\\Program Files\\Weather\\weather.exe", FileMode::write).is_open());
  EXPECT_TRUE(find_installed_file(u"Maker Weather", u"weather.exe", out));
}

}  // namespace
