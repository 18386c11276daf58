// The window system within one process: queues and filters, sends within and
// across threads, timers, capture, activation, characters, injected input,
// named mutexes, profiles.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "platform/device_input.h"
#include "platform/keys.h"
#include "platform/mutex.h"
#include "platform/profile.h"
#include "platform/screen.h"
#include "platform/window.h"
#include "tests/testing/temp_device.h"

namespace {

using namespace platform;

struct Event {
  WindowHandle window;
  uint32_t message;
  WParam wparam;
  LParam lparam;
};

std::vector<Event> events;

LResult recording(WindowHandle w, uint32_t m, WParam wp, LParam lp) {
  if (m != msg::paint && m != msg::create && m != msg::size && m != msg::set_focus && m != msg::kill_focus)
    events.push_back({w, m, wp, lp});
  if (m == msg::user + 1) return static_cast<LResult>(wp * 3);
  return default_window_proc(w, m, wp, lp);
}

class WindowTest : public testing_support::DeviceTest {
 protected:
  void SetUp() override {
    register_class({u"TestClass", recording, 0});
    events.clear();
  }
  void TearDown() override {
    for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
      if (is_window(*it)) destroy_window(*it);
    }
    Message m;
    while (peek_message(m)) {
    }
    unregister_class(u"TestClass");
    set_current_profile(device_profiles()[0]);
  }
  WindowHandle make(bool visible, Rect rect = {0, 0, 240, 320}, WindowHandle parent = 0) {
    CreateParams p;
    p.class_name = u"TestClass";
    p.title = u"Test";
    p.style = (visible ? style_visible : 0) | (parent ? style_child : 0);
    p.rect = rect;
    p.parent = parent;
    const WindowHandle w = create_window(p);
    made_.push_back(w);
    return w;
  }
  // Dispatches everything queued now.
  void pump() {
    Message m;
    while (peek_message(m)) dispatch_message(m);
  }
  std::vector<Event> of(uint32_t message) const {
    std::vector<Event> out;
    for (const auto& e : events) {
      if (e.message == message) out.push_back(e);
    }
    return out;
  }
  std::vector<WindowHandle> made_;
};

TEST_F(WindowTest, PeekAndGetHonourWindowAndRangeFilters) {
  const WindowHandle a = make(false), b = make(false);
  ASSERT_TRUE(a && b);
  post_message(a, msg::user + 1, 1);
  post_message(a, msg::user + 2, 2);
  post_message(b, msg::user + 3, 3);
  post_thread_message(msg::user + 4, 4);
  Message m;
  ASSERT_TRUE(peek_message(m, b));
  EXPECT_EQ(m.message, msg::user + 3);
  ASSERT_TRUE(peek_message(m, 0, msg::user + 2, msg::user + 2, false));
  EXPECT_EQ(m.wparam, 2u);
  ASSERT_TRUE(peek_message(m, 0, msg::user + 2, msg::user + 2));  // still there, now taken
  EXPECT_FALSE(peek_message(m, 0, msg::user + 2, msg::user + 2));
  EXPECT_FALSE(peek_message(m, b));
  ASSERT_TRUE(get_message(m));
  EXPECT_EQ(m.message, msg::user + 1);
  ASSERT_TRUE(get_message(m));
  EXPECT_EQ(m.window, 0u);  // the thread message
  EXPECT_EQ(m.message, msg::user + 4);

  post_quit_message(5);
  EXPECT_FALSE(peek_message(m, 0, msg::user, msg::user + 10));  // the quit lies outside the range
  EXPECT_FALSE(get_message(m));
  EXPECT_EQ(m.message, msg::quit);
  EXPECT_EQ(m.wparam, 5u);
  EXPECT_FALSE(peek_message(m));
  EXPECT_FALSE(post_message(0x7FFFFFFFull, msg::user));  // no such window
}

TEST_F(WindowTest, SendFromAnotherThreadWaitsForTheOwnerAndCanTimeOut) {
  const WindowHandle a = make(false);
  EXPECT_EQ(send_message(a, msg::user + 1, 7), 21);  // same thread: a plain call
  std::atomic<bool> done{false};
  std::optional<LResult> timed_out = 0;
  LResult result = 0;
  std::thread other([&] {
    timed_out = send_message_timeout(a, msg::user + 1, 1, 0, 50);  // nobody serves yet
    result = send_message(a, msg::user + 1, 5);
    done = true;
  });
  while (timed_out.has_value() && !done) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  while (!done) wait_message(10);  // serves the send
  other.join();
  EXPECT_FALSE(timed_out.has_value());
  EXPECT_EQ(result, 15);
  EXPECT_EQ(send_message(0x7FFFFFFFull, msg::user + 1, 5), 0);
}

TEST_F(WindowTest, TimersRepeatUntilKilled) {
  const WindowHandle a = make(false);
  ASSERT_EQ(set_timer(a, 2, 15), 2u);
  Message m;
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(get_message(m));
    EXPECT_EQ(m.message, msg::timer);
    EXPECT_EQ(m.wparam, 2u);
  }
  EXPECT_TRUE(kill_timer(a, 2));
  EXPECT_FALSE(kill_timer(a, 2));
  std::this_thread::sleep_for(std::chrono::milliseconds(40));
  EXPECT_FALSE(peek_message(m));
  EXPECT_EQ(set_timer(a, 0, 10), 0u);
}

TEST_F(WindowTest, PostedMessagesComeBeforePaintAndPaintBeforeTimers) {
  const WindowHandle a = make(true);
  pump();
  set_timer(a, 1, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  invalidate_window(a);
  post_message(a, msg::user + 5);
  Message m;
  ASSERT_TRUE(get_message(m));
  EXPECT_EQ(m.message, msg::user + 5);
  ASSERT_TRUE(get_message(m));
  EXPECT_EQ(m.message, msg::paint);
  dispatch_message(m);  // validates
  ASSERT_TRUE(get_message(m));
  EXPECT_EQ(m.message, msg::timer);
}

TEST_F(WindowTest, ActivationFollowsTheForegroundWindow) {
  const WindowHandle a = make(true);
  EXPECT_EQ(get_foreground_window(), a);
  EXPECT_EQ(get_active_window(), a);
  const WindowHandle b = make(true);
  EXPECT_EQ(get_foreground_window(), b);
  destroy_window(b);
  EXPECT_EQ(get_foreground_window(), a);
  const auto acts = of(msg::activate);
  ASSERT_EQ(acts.size(), 4u);
  EXPECT_EQ(acts[0].window, a);
  EXPECT_EQ(acts[0].wparam, activate_active);
  EXPECT_EQ(acts[1].window, a);
  EXPECT_EQ(acts[1].wparam, activate_inactive);
  EXPECT_EQ(static_cast<WindowHandle>(acts[1].lparam), b);
  EXPECT_EQ(acts[2].window, b);
  EXPECT_EQ(acts[2].wparam, activate_active);
  EXPECT_EQ(acts[3].window, a);  // back in front when b went away
  EXPECT_EQ(acts[3].wparam, activate_active);
}

TEST_F(WindowTest, CaptureChangesAreReportedAndLosingActivationCancelsThePress) {
  const WindowHandle a = make(true), child = make(true, {0, 0, 10, 10}, a);
  set_foreground_window(a);
  EXPECT_EQ(set_capture(a), 0u);
  EXPECT_EQ(set_capture(child), a);
  EXPECT_EQ(get_capture(), child);
  release_capture();
  EXPECT_EQ(get_capture(), 0u);
  auto changed = of(msg::capture_changed);
  ASSERT_EQ(changed.size(), 2u);
  EXPECT_EQ(changed[0].window, a);
  EXPECT_EQ(static_cast<WindowHandle>(changed[0].lparam), child);
  EXPECT_EQ(changed[1].window, child);
  EXPECT_EQ(changed[1].lparam, 0);

  events.clear();
  set_capture(a);
  make(true);  // another window comes to the front
  EXPECT_EQ(get_capture(), 0u);
  ASSERT_GE(events.size(), 2u);
  EXPECT_EQ(events[0].message, msg::capture_changed);  // the release before the deactivation
  EXPECT_EQ(events[0].window, a);
  EXPECT_EQ(events[1].message, msg::activate);
  EXPECT_EQ(events[1].wparam, activate_inactive);
}

TEST_F(WindowTest, TranslateGivesCharactersForKeysThatHaveThem) {
  const WindowHandle a = make(false);
  const std::vector<std::pair<uint32_t, int>> cases = {
      {0x41, 'a'}, {0x35, '5'}, {vk::numpad0 + 7, '7'}, {vk::star, '*'}, {vk::multiply, '*'},
      {vk::pound, '#'}, {vk::enter, '\r'}, {vk::back, 8}, {vk::space, ' '}, {vk::soft_left, -1}, {vk::left, -1}};
  for (const auto& [key, expected] : cases) {
    post_message(a, msg::key_down, key, 1);
    post_message(a, msg::key_up, key, 1 | key_data_released);
    Message m;
    ASSERT_TRUE(get_message(m));
    EXPECT_EQ(translate_message(m), expected >= 0) << key;
    ASSERT_TRUE(get_message(m));
    if (expected >= 0) {
      EXPECT_EQ(m.message, msg::character) << key;  // ahead of the release
      EXPECT_EQ(m.wparam, static_cast<WParam>(expected)) << key;
      ASSERT_TRUE(get_message(m));
    }
    EXPECT_EQ(m.message, msg::key_up) << key;
  }
}

TEST_F(WindowTest, InjectedInputReachesTheWindowUnderThePointAndTheFocus) {
  const WindowHandle a = make(true);
  const WindowHandle child = make(true, {10, 20, 60, 70}, a);
  set_foreground_window(a);
  pump();
  events.clear();
  ASSERT_TRUE(inject_pointer(PointerAction::down, 15, 30));
  ASSERT_TRUE(inject_pointer(PointerAction::up, 100, 100));
  ASSERT_TRUE(inject_key(vk::talk, true));
  ASSERT_TRUE(inject_key(vk::talk, true));  // held: an auto-repeat
  ASSERT_TRUE(inject_key(vk::talk, false));
  for (int i = 0; i < 50 && events.size() < 5; ++i) {
    wait_message(20);
    pump();
  }
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[0].window, child);
  EXPECT_EQ(events[0].message, msg::pointer_down);
  EXPECT_EQ(pointer_x(events[0].lparam), 5);
  EXPECT_EQ(pointer_y(events[0].lparam), 10);
  EXPECT_EQ(events[1].window, a);  // outside the child
  EXPECT_EQ(events[1].message, msg::pointer_up);
  EXPECT_EQ(pointer_x(events[1].lparam), 100);
  EXPECT_EQ(events[2].message, msg::key_down);
  EXPECT_EQ(events[2].wparam, vk::talk);
  EXPECT_EQ(events[2].lparam & key_data_previous_down, 0);
  EXPECT_NE(events[3].lparam & key_data_previous_down, 0);
  EXPECT_EQ(events[4].message, msg::key_up);
}

TEST_F(WindowTest, HotKeysTakeTheirKeyUnlessAllKeysIsOn) {
  const WindowHandle a = make(true);
  ASSERT_TRUE(register_hot_key(a, 3, mod_key_up, vk::soft_right));
  EXPECT_FALSE(register_hot_key(a, 4, 0, vk::soft_right));  // taken
  pump();
  events.clear();
  inject_key(vk::soft_right, true);
  inject_key(vk::soft_right, false);
  set_all_keys(true);
  inject_key(vk::soft_right, true);
  set_all_keys(false);
  for (int i = 0; i < 50 && events.size() < 3; ++i) {
    wait_message(20);
    pump();
  }
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].message, msg::hot_key);
  EXPECT_EQ(events[0].wparam, 3u);
  EXPECT_EQ(events[0].lparam, LParam{vk::soft_right} << 16);
  EXPECT_EQ(events[1].message, msg::hot_key);
  EXPECT_EQ(events[1].lparam, (LParam{vk::soft_right} << 16) | mod_key_up);
  EXPECT_EQ(events[2].message, msg::key_down);
  EXPECT_TRUE(unregister_hot_key(a, 3));
}

TEST_F(WindowTest, EnumerationListsTopLevelWindowsWithTheForegroundFirst) {
  const WindowHandle a = make(true);
  const WindowHandle hidden = make(false);
  make(true, {0, 0, 5, 5}, a);  // a child is never listed
  set_window_text(a, u"Front");
  const auto all = top_level_windows();
  ASSERT_EQ(all.size(), 2u);
  EXPECT_EQ(all[0].window, a);
  EXPECT_EQ(all[0].title, u"Front");
  EXPECT_EQ(all[0].class_name, u"TestClass");
  EXPECT_TRUE(all[0].visible);
  EXPECT_EQ(all[1].window, hidden);
  EXPECT_FALSE(all[1].visible);
  EXPECT_EQ(find_window(u"TestClass", u"Front"), a);
  EXPECT_EQ(find_window(u"Nothing"), 0u);
}

TEST_F(WindowTest, ScreenBlitClipsToTheWindow) {
  const WindowHandle a = make(true, {10, 10, 20, 20});
  const std::vector<uint16_t> red(30 * 30, 0xF800);
  ASSERT_TRUE(blit_to_window(a, -5, -5, red.data(), 60, 30, 30));
  const Screen& s = Screen::instance();
  EXPECT_EQ(s.pixels()[10 * s.width() + 10], 0xF800);
  EXPECT_EQ(s.pixels()[19 * s.width() + 19], 0xF800);
  EXPECT_NE(s.pixels()[20 * s.width() + 20], 0xF800);
  EXPECT_NE(s.pixels()[9 * s.width() + 9], 0xF800);
  ScreenPicture picture;
  ASSERT_TRUE(capture_screen(picture));
  EXPECT_EQ(picture.width, s.width());
  EXPECT_EQ(picture.pixels[15 * picture.width + 15], 0xF800);
}

TEST(NamedMutex, OwnershipIsExclusiveAndRecursive) {
  testing_support::TempDevice device;
  bool existed = true;
  auto first = NamedMutex::open(u"SkinnerClass_Lumivale", &existed);
  ASSERT_TRUE(first);
  EXPECT_FALSE(existed);
  auto second = NamedMutex::open(u"skinnerclass_lumivale", &existed);  // names ignore case
  EXPECT_TRUE(existed);
  ASSERT_TRUE(first->wait(0));
  EXPECT_TRUE(first->wait(0));
  EXPECT_FALSE(second->wait(20));
  EXPECT_FALSE(second->release());
  EXPECT_TRUE(first->release());
  EXPECT_FALSE(second->wait(0));  // still held once
  EXPECT_TRUE(first->release());
  EXPECT_TRUE(second->wait(0));
  EXPECT_FALSE(first->release());
}

TEST(MessageBox, IsPrintedAndRecorded) {
  testing_support::TempDevice device;
  testing::internal::CaptureStdout();
  EXPECT_EQ(message_box(0, u"Please run links\n", u"Lumivale"), id_ok);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "[Lumivale] Please run links\n");
  std::ifstream log(device.root() / "system" / "messages.log");
  std::string line;
  std::getline(log, line);
  EXPECT_EQ(line, "Lumivale\tPlease run links\\n");
}

TEST(Profiles, SystemQueriesFollowTheCurrentProfile) {
  ASSERT_GE(device_profiles().size(), 4u);
  EXPECT_EQ(device_profiles()[0].name, "pocketpc");
  for (const auto& [name, width, height, dpi, type] :
       std::vector<std::tuple<const char*, int, int, int, std::u16string>>{{"pocketpc", 240, 320, 96, u"PocketPC"},
                                                                          {"VGA", 480, 640, 192, u"PocketPC"},
                                                                          {"landscape", 320, 240, 96, u"PocketPC"},
                                                                          {"smartphone", 176, 220, 96, u"SmartPhone"}}) {
    const DeviceProfile* p = find_device_profile(name);
    ASSERT_TRUE(p) << name;
    set_current_profile(*p);
    EXPECT_EQ(system_metric(Metric::screen_width), width) << name;
    EXPECT_EQ(screen_caps(Caps::vertical_resolution), height) << name;
    EXPECT_EQ(screen_caps(Caps::logical_pixels_y), dpi) << name;
    EXPECT_EQ(platform_type(), type) << name;
  }
  EXPECT_FALSE(find_device_profile("nokia"));
  char16_t list[16];
  ASSERT_TRUE(emergency_number_list(list, sizeof list));
  EXPECT_EQ(std::u16string(list, 9), std::u16string(u"112\0" u"999\0\0", 9));
  EXPECT_FALSE(emergency_number_list(list, 8));  // "112" and "999" do not fit 4 characters
  EXPECT_TRUE(set_display_orientation(0));
  EXPECT_FALSE(set_display_orientation(1));
  set_current_profile(device_profiles()[0]);
}

TEST(Profiles, DisplayOptionsAreTakenFromTheCommandLine) {
  std::vector<std::string> args = {"--profile", "vga", "run", "--headless", "--zoom=3"};
  DisplayOptions options;
  std::string error;
  ASSERT_TRUE(take_display_options(args, options, error));
  EXPECT_EQ(args, std::vector<std::string>{"run"});
  EXPECT_EQ(options.profile, "vga");
  EXPECT_TRUE(options.headless);
  EXPECT_EQ(options.zoom, 3);
  for (std::vector<std::string> bad : {std::vector<std::string>{"--profile"}, {"--profile", "nokia"}, {"--zoom", "0"},
                                       {"--zoom=x"}}) {
    DisplayOptions o;
    EXPECT_FALSE(take_display_options(bad, o, error)) << bad[0];
    EXPECT_FALSE(error.empty());
  }
}

TEST(KeyNames, TableIsIndexedByCodeAndNamesGiveTheirDeviceKeys) {
  const auto keys = key_names();
  ASSERT_EQ(keys.size(), 69u);
  for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(keys[i].code, static_cast<int>(i));
  EXPECT_EQ(virtual_key_for_name(u"CALL_END"), vk::end_call);
  EXPECT_EQ(virtual_key_for_name(u"*"), vk::star);
  EXPECT_EQ(virtual_key_for_name(u"SOFT_LEFT"), 0x70u);
  EXPECT_EQ(virtual_key_for_name(u"SLIDE"), std::nullopt);
  EXPECT_EQ(virtual_key_for_name(u"call_end"), std::nullopt);
}

}  // namespace
