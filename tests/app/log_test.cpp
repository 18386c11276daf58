#include "app/log.h"

#include <gtest/gtest.h>

#include "app/fatal.h"
#include "app/registry.h"
#include "app/singleton.h"
#include "platform/device.h"
#include "tests/app/test_log_reader.h"
#include "tests/testing/temp_device.h"

namespace {

using namespace lv;
using testing_support::DeviceTest;
using testing_support::log_text;

class LogTest : public DeviceTest {
 protected:
  std::filesystem::path log_file() const { return device_.host(u"\\Temp\\Lumivale.exe.txt"); }
  void switch_log(uint32_t on) { ASSERT_TRUE(reg_write_dword(kFrameKey, u"Log", on)); }
};

TEST_F(LogTest, OffUnlessTheLogValueIsSet) {
  log() << u"nothing\n";
  EXPECT_FALSE(std::filesystem::exists(log_file()));
  switch_log(0);
  log() << u"still nothing\n";
  EXPECT_FALSE(std::filesystem::exists(log_file()));
}

TEST_F(LogTest, WritesUtf16WithMarkAndFormatsEveryKindOfValue) {
  switch_log(1);
  log() << u"Application::ResolutionChanged " << 2 << u"\n";
  log() << "narrow " << -7 << u' ' << 4000000000u << u" " << 1.5 << u" " << true << u"/" << false << u"\n";
  log() << u"\u0416\n";
  const std::string bytes = testing_support::read_bytes(log_file());
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE" "A\0", 4));
  EXPECT_EQ(log_text(log_file()),
            "Application::ResolutionChanged 2\n"
            "narrow -7 4000000000 1.500000 true/false\n"
            "\xD0\x96\n");
}

TEST_F(LogTest, SwitchingOffAndOnStartsANewFile) {
  switch_log(1);
  log() << u"first run\n";
  switch_log(0);
  log() << u"dropped\n";
  EXPECT_EQ(log_text(log_file()), "first run\n");
  switch_log(1);
  log() << u"second run\n";
  EXPECT_EQ(log_text(log_file()), "second run\n");
}

TEST_F(LogTest, ALogFileThatCannotBeCreatedStaysSilent) {
  std::filesystem::remove_all(device_.host(u"\\Temp"));
  switch_log(1);
  log() << u"lost\n";
  log().flush();
  EXPECT_FALSE(std::filesystem::exists(log_file()));
}

// The death tests fork without re-running the test, so the child shares this
// device's folder; it opens a connection of its own to the registry store.
void on_fresh_connection(const std::filesystem::path& root) {
  static std::unique_ptr<platform::Device> child_device;
  std::string error;
  child_device = platform::Device::open(root, platform::default_device_image(), &error);
  platform::Device::set_current(child_device.get());
}

TEST_F(LogTest, FatalReportLogsAndEndsWithAFailureCode) {
  GTEST_FLAG_SET(death_test_style, "fast");
  switch_log(1);
  EXPECT_EXIT(
      {
        on_fresh_connection(device_.root());
        fatal_report(u"RenderSurface::recreate", u"Clip is in effect, cannot resize");
      },
      ::testing::ExitedWithCode(kFatalExitCode), "Gluck: Clip is in effect, cannot resize @ RenderSurface::recreate");
  EXPECT_EQ(log_text(log_file()), "Gluck: Clip is in effect, cannot resize @ RenderSurface::recreate\n");
}

struct Guarded : Singleton<Guarded> {};

TEST_F(LogTest, ASecondSingletonIsFatal) {
  GTEST_FLAG_SET(death_test_style, "fast");
  Guarded first;
  EXPECT_EQ(Guarded::instance(), &first);
  EXPECT_EXIT(
      {
        on_fresh_connection(device_.root());
        Guarded second;
      },
      ::testing::ExitedWithCode(kFatalExitCode), "Gluck: Singleton is already instantiated @ Singleton::Singleton\\(\\)");
}

TEST(SingletonGuard, TheInstanceIsClearedOnDestruction) {
  { Guarded one; }
  EXPECT_EQ(Guarded::instance(), nullptr);
  Guarded again;
  EXPECT_EQ(Guarded::instance(), &again);
}

}  // namespace
