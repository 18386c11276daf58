#include "app/paths.h"

#include <gtest/gtest.h>

#include "platform/shell.h"
#include "platform/unicode.h"
#include "tests/testing/temp_device.h"

namespace {

using namespace lv;
using testing_support::DeviceTest;

struct ExpandCase {
  const char16_t* in;
  const char16_t* out;
};

class ExpandPath : public DeviceTest, public ::testing::WithParamInterface<ExpandCase> {};

TEST_P(ExpandPath, Expands) {
  EXPECT_EQ(platform::to_utf8(expand_path(GetParam().in)), platform::to_utf8(GetParam().out));
}

INSTANTIATE_TEST_SUITE_P(
    Macros, ExpandPath,
    ::testing::Values(
        ExpandCase{u"%app_path%/skins/bin/splash.skin", u"\\Program Files\\Lumivale\\skins\\bin\\splash.skin"},
        ExpandCase{u"/Temp/x.txt", u"\\Temp\\x.txt"},
        ExpandCase{u"a/%app_path%", u"a\\%app_path%"},  // only at the very start
        ExpandCase{u"%app_name%.txt", u"Lumivale.exe.txt"},
        ExpandCase{u"%app_full_name%", u"\\Program Files\\Lumivale\\Lumivale.exe"},
        ExpandCase{u"%windows%", u"\\Windows"},  // no trailing separator
        ExpandCase{u"%my_documents%/a", u"\\My Documents\\a"},
        ExpandCase{u"%startup%", u"\\Windows\\StartUp"}, ExpandCase{u"%favorites%", u"\\Windows\\Favorites"},
        ExpandCase{u"%programs%\\x.lnk", u"\\Windows\\Start Menu\\Programs\\x.lnk"},
        ExpandCase{u"%start_menu%", u"\\Windows\\Start Menu"}, ExpandCase{u"%appdata%", u"\\Application Data"},
        ExpandCase{u"%program_files%", u"\\Program Files"},
        ExpandCase{u"%windows%%windows%", u"\\Windows%windows%"},  // one macro only
        ExpandCase{u"%unknown%/a", u"%unknown%\\a"}, ExpandCase{u"", u""}));

struct PathCase {
  const char16_t* path;
  const char16_t* dir;
  const char16_t* file;
  const char16_t* parent;
  const char16_t* stripped;
};

TEST(PathFunctions, SplitPathsAsThePhoneDoes) {
  const PathCase cases[] = {
      {u"\\a\\b.txt", u"\\a\\", u"b.txt", u"\\a\\", u"\\a\\b.txt"},
      {u"\\a\\b\\", u"\\a\\b\\", u"", u"\\a\\", u"\\a\\b"},
      {u"name", u"", u"name", u"", u"name"},
      {u"/x/y", u"/x/", u"y", u"/x/", u"/x/y"},
      {u"", u"", u"", u"", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(platform::to_utf8(c.path));
    EXPECT_EQ(path_dir(c.path), c.dir);
    EXPECT_EQ(path_file_name(c.path), c.file);
    EXPECT_EQ(path_parent(c.path), c.parent);
    EXPECT_EQ(path_strip_separator(c.path), c.stripped);
  }
}

TEST(PathFunctions, ExtensionOnlyAfterTheLastSeparator) {
  EXPECT_EQ(path_extension_pos(u"\\a\\b.skin"), 4u);
  EXPECT_EQ(path_extension_pos(u"\\a.d\\b"), std::nullopt);
  EXPECT_EQ(path_extension_pos(u"x.tar.gz"), 5u);
  EXPECT_EQ(path_extension_pos(u"noext"), std::nullopt);
  EXPECT_EQ(path_to_forward_slashes(u"\\a\\b/c"), u"/a/b/c");
}

TEST_F(DeviceTest, NormalisedPathsCompareWithoutCaseOrTrailingSeparator) {
  EXPECT_TRUE(paths_equal(u"%windows%/", u"\\WINDOWS"));
  EXPECT_TRUE(paths_equal(u"%app_path%\\Skins", u"\\program files\\lumivale\\skins\\"));
  EXPECT_FALSE(paths_equal(u"\\Windows\\a", u"\\Windows\\b"));
  EXPECT_EQ(path_normalise(u"/Temp/X/"), u"\\temp\\x");
}

TEST(AppPath, TooLongAModulePathIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        platform::set_module_file_name(std::u16string(1024, u'a'));
        get_app_path();
      },
      ::testing::ExitedWithCode(3), "Gluck: path is more then MAX_PATH long @ get_app_path\\(\\)");
}

}  // namespace
