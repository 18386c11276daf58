// The window system across processes: helper programs on one device, driven
// by this test and by lumivale-ctl.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <thread>

#include "platform/mutex.h"
#include "platform/png.h"
#include "platform/window.h"
#include "tests/platform/child.h"
#include "tests/testing/process.h"
#include "tests/testing/temp_device.h"

namespace {

using namespace platform;
using testing_support::bin_path;
using testing_support::Child;
using testing_support::run_process;

class Processes : public testing_support::DeviceTest {
 protected:
  std::unique_ptr<Child> helper(std::vector<std::string> args, std::vector<std::string> env = {}) {
    args.insert(args.begin(), {bin_path("lumivale-window-helper"), "--device", device_.root().string()});
    return std::make_unique<Child>(args, env);
  }
  // Starts a window helper and returns its window handle.
  WindowHandle window_helper(std::unique_ptr<Child>& child, std::vector<std::string> args = {},
                             std::vector<std::string> env = {}) {
    child = helper(std::move(args), std::move(env));
    const auto ready = child->wait_for("ready ");
    if (!ready) return 0;
    backend_ = ready->substr(ready.value().rfind(' ') + 1);
    return std::stoull(ready->substr(6));
  }
  testing_support::ProcessResult ctl(std::vector<std::string> args) {
    args.insert(args.begin(), {bin_path("lumivale-ctl"), "--device", device_.root().string()});
    return run_process(args);
  }
  std::string backend_;
};

TEST_F(Processes, SendsCrossProcessesWithTheirReply) {
  std::unique_ptr<Child> a;
  const WindowHandle window = window_helper(a, {"--class", "SkinnerClass_Lumivale"});
  ASSERT_NE(window, 0u);
  EXPECT_EQ(send_message(window, msg::user + 1, 4), 8);
  const std::u16string text = u"%CommandLineEmpty%";
  CopyData data{0, static_cast<uint32_t>(text.size() * 2), text.data()};
  EXPECT_EQ(send_message(window, msg::copy_data, 0, reinterpret_cast<LParam>(&data)), 1);
  EXPECT_EQ(a->wait_for("copydata "), "copydata 0 %CommandLineEmpty%");

  // A second program hands over to the first, as the single-instance start does.
  auto second = helper({"--send-user", "SkinnerClass_Lumivale", "21"});
  EXPECT_EQ(second->wait_for("result "), "result 42");
  EXPECT_EQ(second->wait(), 0);
  EXPECT_TRUE(post_message(window, msg::close));
  EXPECT_TRUE(a->wait_for("close"));
  EXPECT_EQ(a->wait(), 0);
  EXPECT_EQ(send_message(window, msg::user + 1, 4), 0);  // gone: no answer, no wait
}

TEST_F(Processes, EnumerationSeesOtherProcessesAndForgetsCrashedOnes) {
  std::unique_ptr<Child> a;
  const WindowHandle window = window_helper(a, {"--class", "Crasher", "--title", "Doomed"});
  ASSERT_NE(window, 0u);
  const auto listed = top_level_windows();
  ASSERT_FALSE(listed.empty());
  EXPECT_EQ(listed[0].window, window);  // in front
  EXPECT_EQ(listed[0].class_name, u"Crasher");
  EXPECT_EQ(listed[0].title, u"Doomed");
  EXPECT_EQ(listed[0].process_id, static_cast<uint32_t>(a->pid()));
  EXPECT_TRUE(is_window(window));
  EXPECT_EQ(window_text(window), u"Doomed");
  EXPECT_EQ(get_foreground_window(), window);

  a->kill(SIGKILL);
  a->wait();
  EXPECT_FALSE(is_window(window));
  EXPECT_EQ(find_window(u"Crasher"), 0u);
  EXPECT_EQ(get_foreground_window(), 0u);
  const std::string pid = std::to_string(a->pid()) + ".";
  for (const auto& entry : std::filesystem::directory_iterator(device_.root() / "system" / "run")) {
    EXPECT_NE(entry.path().filename().string().rfind(pid, 0), 0u) << entry.path();  // its files were removed
  }
  EXPECT_EQ(send_message(window, msg::user + 1, 4), 0);
}

TEST_F(Processes, ActivationMovesBetweenProcessesAndComesBackWhenOneDies) {
  std::unique_ptr<Child> a, b;
  // Each helper is active before it reports ready.
  ASSERT_NE(window_helper(a, {"--class", "First"}), 0u);
  ASSERT_NE(window_helper(b, {"--class", "Second"}), 0u);
  EXPECT_EQ(a->wait_for("activate "), "activate 0");
  b->kill(SIGKILL);
  b->wait();
  EXPECT_EQ(a->wait_for("activate ", 5000), "activate 1");  // noticed without being told
}

TEST_F(Processes, NamedMutexIsSharedAndFreedWhenItsOwnerDies) {
  auto holder = helper({"--hold-mutex", "SkinnerClass_Lumivale"});
  EXPECT_EQ(holder->wait_for("locked"), "locked new");
  bool existed = false;
  auto mutex = NamedMutex::open(u"SkinnerClass_Lumivale", &existed);
  ASSERT_TRUE(mutex);
  EXPECT_TRUE(existed);
  EXPECT_FALSE(mutex->wait(50));
  holder->kill(SIGKILL);
  holder->wait();
  EXPECT_TRUE(mutex->wait(5000));
  EXPECT_TRUE(mutex->release());
}

// Reads the screen through lumivale-ctl until the pixel at x, y is `rgb`.
bool screen_shows(const std::function<testing_support::ProcessResult(std::vector<std::string>)>& ctl,
                  const std::filesystem::path& file, int x, int y, uint32_t rgb) {
  for (int i = 0; i < 50; ++i) {
    if (ctl({"screenshot", file.string()}).exit_code == 0) {
      RgbaImage image;
      if (read_png_rgba(file, image) && x < image.width && y < image.height) {
        const uint8_t* p = &image.rgba[(static_cast<size_t>(y) * image.width + x) * 4];
        if ((uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2]) == rgb) return true;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

TEST_F(Processes, CtlDrivesTheProgramInFront) {
  const auto alone = ctl({"tap", "10", "20"});
  EXPECT_EQ(alone.exit_code, 1);
  EXPECT_NE(alone.err.find("no program window"), std::string::npos) << alone.err;
  EXPECT_NE(ctl({"screenshot", (device_.root() / "x.png").string()}).exit_code, 0);

  std::unique_ptr<Child> a;
  const WindowHandle window = window_helper(a, {"--class", "Driven", "--title", "Target"});
  ASSERT_NE(window, 0u);
  const auto listed = ctl({"windows"});
  EXPECT_EQ(listed.exit_code, 0);
  EXPECT_NE(listed.out.find(std::to_string(window) + "\t" + std::to_string(a->pid()) + "\tvisible\tDriven\tTarget"),
            std::string::npos)
      << listed.out;

  const auto shot = device_.root() / "screen.png";
  EXPECT_TRUE(screen_shows([&](auto args) { return ctl(args); }, shot, 5, 5, 0x0000FF));  // blue at start
  EXPECT_EQ(ctl({"tap", "10", "20"}).exit_code, 0);
  EXPECT_EQ(a->wait_for("pointer_down"), "pointer_down 10 20");
  EXPECT_EQ(a->wait_for("pointer_up"), "pointer_up 10 20");
  EXPECT_TRUE(screen_shows([&](auto args) { return ctl(args); }, shot, 5, 5, 0xFF0000));  // red after the tap

  EXPECT_EQ(ctl({"drag", "0", "0", "30", "60", "50"}).exit_code, 0);
  EXPECT_EQ(a->wait_for("pointer_down"), "pointer_down 0 0");
  EXPECT_EQ(a->wait_for("pointer_up"), "pointer_up 30 60");

  EXPECT_EQ(ctl({"key", "CALL_MAKE"}).exit_code, 0);
  EXPECT_EQ(a->wait_for("key_down"), "key_down 114 0");
  EXPECT_EQ(a->wait_for("key_up"), "key_up 114 3");
  EXPECT_EQ(ctl({"key", "5", "--down"}).exit_code, 0);
  EXPECT_EQ(ctl({"key", "5", "--down"}).exit_code, 0);
  EXPECT_EQ(a->wait_for("key_down"), "key_down 53 0");
  EXPECT_EQ(a->wait_for("char"), "char 53");
  EXPECT_EQ(a->wait_for("key_down"), "key_down 53 1");  // held: an auto-repeat
  const auto bad = ctl({"key", "SLIDE"});
  EXPECT_EQ(bad.exit_code, 1);
  EXPECT_NE(bad.err.find("SLIDE"), std::string::npos);
  EXPECT_EQ(ctl({"tap", "ten", "20"}).exit_code, 2);
}

TEST_F(Processes, HotKeysReachTheirWindowBehindAnother) {
  std::unique_ptr<Child> a, b;
  ASSERT_NE(window_helper(a, {"--class", "Behind", "--hotkey", "0x71"}), 0u);
  ASSERT_NE(window_helper(b, {"--class", "InFront"}), 0u);
  EXPECT_EQ(ctl({"key", "SOFT_RIGHT"}).exit_code, 0);
  EXPECT_EQ(a->wait_for("hotkey"), "hotkey 7 " + std::to_string(0x71 << 16));
  EXPECT_EQ(a->wait_for("hotkey"), "hotkey 7 " + std::to_string(0x71 << 16 | 0x1000));
  EXPECT_EQ(ctl({"key", "SOFT_LEFT"}).exit_code, 0);
  EXPECT_EQ(b->wait_for("key_down"), "key_down 112 0");
}

TEST(CtlProfiles, ListsTheBundledProfiles) {
  const auto r = run_process({bin_path("lumivale-ctl"), "profiles"});
  EXPECT_EQ(r.exit_code, 0);
  for (const char* name : {"pocketpc*\t240x320\t96 dpi", "vga\t480x640\t192 dpi", "landscape\t320x240",
                           "smartphone\t176x220\t96 dpi\tSmartphone"})
    EXPECT_NE(r.out.find(name), std::string::npos) << name;
}

// The desktop backend under a virtual X display: a window shows the screen
// and takes ctl's taps like any other.
TEST_F(Processes, DesktopWindowUnderAVirtualDisplay) {
  if (run_process({"/bin/sh", "-c", "command -v Xvfb"}).exit_code != 0) GTEST_SKIP() << "Xvfb is not installed";
  int display = 0;
  for (display = 90; display < 200; ++display) {
    struct stat st {};
    if (stat(("/tmp/.X11-unix/X" + std::to_string(display)).c_str(), &st) != 0 &&
        stat(("/tmp/.X" + std::to_string(display) + "-lock").c_str(), &st) != 0)
      break;
  }
  Child xvfb({"/usr/bin/Xvfb", ":" + std::to_string(display), "-screen", "0", "640x480x24", "-nolisten", "tcp"});
  const std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
  for (int i = 0; i < 100 && !std::filesystem::exists(socket); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(std::filesystem::exists(socket)) << "Xvfb did not start";

  std::unique_ptr<Child> a;
  const WindowHandle window =
      window_helper(a, {"--desktop", "--class", "OnDesktop"}, {"DISPLAY=:" + std::to_string(display)});
  ASSERT_NE(window, 0u);
  EXPECT_EQ(backend_, "desktop");
  EXPECT_EQ(ctl({"tap", "100", "200"}).exit_code, 0);
  EXPECT_EQ(a->wait_for("pointer_down"), "pointer_down 100 200");
  EXPECT_TRUE(screen_shows([&](auto args) { return ctl(args); }, device_.root() / "desk.png", 50, 50, 0xFF0000));
  a->kill(SIGTERM);
  a->wait();
  xvfb.kill(SIGTERM);
  xvfb.wait();
}

}  // namespace
