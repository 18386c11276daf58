#include <gtest/gtest.h>

#include <fstream>

#include "platform/device.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "tests/testing/temp_device.h"

namespace {

using namespace platform;
using testing_support::DeviceTest;

TEST_F(DeviceTest, NewDeviceHasTheSpecialFoldersOfThePhone) {
  for (int id : {folder_programs, folder_personal, folder_favorites, folder_startup, folder_start_menu,
                 folder_appdata, folder_windows, folder_program_files}) {
    const auto path = special_folder_path(id);
    ASSERT_TRUE(path);
    EXPECT_TRUE(directory_exists(*path)) << std::to_string(id);
  }
  EXPECT_FALSE(special_folder_path(9999));
  EXPECT_TRUE(file_exists(u"\\Program Files\\Lumivale\\Lumivale.exe"));
  EXPECT_TRUE(directory_exists(u"\\Temp"));
  // The image's placeholders for empty folders stay out of the device.
  EXPECT_FALSE(file_exists(u"\\Temp\\.keep"));
}

TEST_F(DeviceTest, PathsMatchWithoutRegardToCase) {
  const auto exact = device_.device().host_path(u"\\Windows\\Start Menu");
  const auto other = device_.device().host_path(u"\\windows\\START MENU");
  ASSERT_TRUE(exact && other);
  EXPECT_EQ(*exact, *other);
  EXPECT_EQ(*device_.device().host_path(u"/windows/start menu/"), *exact);
  // New names keep the case they were given, under the existing folder.
  ASSERT_TRUE(create_directory(u"\\WINDOWS\\New Folder"));
  EXPECT_TRUE(std::filesystem::is_directory(device_.root() / "fs" / "Windows" / "New Folder"));
  EXPECT_TRUE(directory_exists(u"\\windows\\new folder"));
}

TEST_F(DeviceTest, PathsThatClimbAboveTheRootAreRefused) {
  EXPECT_FALSE(device_.device().host_path(u"\\..\\system\\registry.db"));
  EXPECT_FALSE(device_.device().host_path(u"\\Windows\\..\\..\\etc\\passwd"));
  EXPECT_FALSE(FileHandle::open(u"..\\..\\x", FileAccess::write, Disposition::create_always));
  // ".." that stays inside is fine.
  EXPECT_EQ(*device_.device().host_path(u"\\Windows\\..\\Temp"), *device_.device().host_path(u"\\Temp"));
}

TEST_F(DeviceTest, DispositionsBehaveLikeThePhone) {
  const std::u16string path = u"\\Temp\\a.bin";
  EXPECT_FALSE(FileHandle::open(path, FileAccess::read, Disposition::open_existing));
  EXPECT_FALSE(FileHandle::open(path, FileAccess::write, Disposition::truncate_existing));
  {
    auto f = FileHandle::open(path, FileAccess::write, Disposition::create_new);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->write("hello", 5), 5u);
  }
  EXPECT_FALSE(FileHandle::open(path, FileAccess::write, Disposition::create_new));
  {
    auto f = FileHandle::open(path, FileAccess::read_write, Disposition::open_always);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->size(), 5u);
    EXPECT_EQ(f->seek(-2, SeekOrigin::end), 3u);
    char buf[8] = {};
    EXPECT_EQ(f->read(buf, sizeof buf), 2u);
    EXPECT_EQ(std::string(buf), "lo");
    EXPECT_FALSE(f->seek(-10, SeekOrigin::begin));
  }
  {
    auto f = FileHandle::open(path, FileAccess::write, Disposition::create_always);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->size(), 0u);
  }
  // A folder is not a file.
  EXPECT_FALSE(FileHandle::open(u"\\Temp", FileAccess::read, Disposition::open_existing));
}

TEST_F(DeviceTest, FindFilesMatchesPatternsAndTellsFoldersApart) {
  ASSERT_TRUE(create_directory(u"\\Temp\\dir.lnk"));
  ASSERT_TRUE(write_whole_file(u"\\Temp\\Notes.LNK", "12345", 5));
  ASSERT_TRUE(write_whole_file(u"\\Temp\\b.txt", "x", 1));
  const auto links = find_files(u"\\temp\\*.lnk");
  ASSERT_EQ(links.size(), 2u);
  EXPECT_EQ(links[0].name, u"dir.lnk");
  EXPECT_TRUE(links[0].is_directory);
  EXPECT_EQ(links[1].name, u"Notes.LNK");
  EXPECT_FALSE(links[1].is_directory);
  EXPECT_EQ(links[1].size, 5u);
  EXPECT_EQ(find_files(u"\\Temp\\*.*").size(), 3u);
  EXPECT_EQ(find_files(u"\\Temp\\?.txt").size(), 1u);
  EXPECT_TRUE(find_files(u"\\Missing\\*").empty());

  const auto info = file_information(u"\\TEMP\\notes.lnk");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->name, u"Notes.LNK");
  EXPECT_GT(info->last_write_time, 0u);
  EXPECT_LE(info->creation_time, info->last_write_time);
}

TEST_F(DeviceTest, FolderOperations) {
  EXPECT_FALSE(create_directory(u"\\Temp"));           // exists
  EXPECT_FALSE(create_directory(u"\\No\\Such\\Dir"));  // parent missing
  ASSERT_TRUE(write_whole_file(u"\\Temp\\x", "1", 1));
  EXPECT_FALSE(move_file(u"\\Temp\\x", u"\\Program Files\\Lumivale\\Lumivale.exe"));  // never replaces
  EXPECT_TRUE(move_file(u"\\Temp\\x", u"\\Temp\\y"));
  EXPECT_FALSE(delete_file(u"\\Temp"));
  EXPECT_TRUE(delete_file(u"\\Temp\\y"));
  EXPECT_FALSE(file_exists(u"\\Temp\\y"));
}

TEST_F(DeviceTest, ShellRecordsStartsOfFilesThatExist) {
  Shell& shell = device_.device().shell();
  EXPECT_FALSE(shell.execute(u"open", u"\\Windows\\missing.exe", u""));
  EXPECT_TRUE(shell.execute(u"open", u"\\Program Files\\Lumivale\\Lumivale.exe", u"run\tnow"));
  EXPECT_TRUE(shell.execute(u"open", u"http://example.invalid/", u""));
  const auto starts = shell.starts();
  ASSERT_EQ(starts.size(), 2u);
  EXPECT_EQ(starts[0].file, u"\\Program Files\\Lumivale\\Lumivale.exe");
  EXPECT_EQ(starts[0].parameters, u"run now");
  EXPECT_EQ(starts[1].file, u"http://example.invalid/");
}

TEST(DeviceRoot, ResolvesFlagThenEnvironmentThenDefault) {
  setenv("XDG_DATA_HOME", "/tmp/xdg", 1);
  unsetenv("LUMIVALE_DEVICE");
  EXPECT_EQ(resolve_device_root(std::nullopt), "/tmp/xdg/lumivale/devices/default");
  setenv("LUMIVALE_DEVICE", "/tmp/env-device", 1);
  EXPECT_EQ(resolve_device_root(std::nullopt), "/tmp/env-device");
  EXPECT_EQ(resolve_device_root(std::string("/tmp/flag")), "/tmp/flag");
  unsetenv("LUMIVALE_DEVICE");
  unsetenv("XDG_DATA_HOME");
}

TEST(DeviceRoot, ABrokenImageIsReportedNotHalfUsed) {
  const auto root = testing_support::make_temp_dir("lumivale-noimage-");
  std::string error;
  EXPECT_FALSE(Device::open(root, root / "no-such-image", &error));
  EXPECT_NE(error.find("no fs folder"), std::string::npos);
  std::filesystem::remove_all(root);
}

}  // namespace
