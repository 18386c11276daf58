// The shell's chrome: who gets the soft keys, the input panel and its
// announcements, the "SIPPREF" control, the full-screen switches.
#include "platform/shell_ui.h"

#include <gtest/gtest.h>

#include "platform/device_input.h"
#include "platform/keys.h"
#include "platform/profile.h"
#include "tests/testing/temp_device.h"

namespace {

using namespace platform;

std::vector<Message> seen;

LResult recording(WindowHandle w, uint32_t m, WParam wp, LParam lp) {
  if (m == msg::key_down || m == msg::setting_change) seen.push_back({w, m, wp, lp, 0, {}});
  return default_window_proc(w, m, wp, lp);
}

class ShellUiTest : public testing_support::DeviceTest {
 protected:
  void SetUp() override {
    detail::reset_shell_ui();
    register_class({u"ShellUiTest", recording, 0});
    CreateParams p;
    p.class_name = u"ShellUiTest";
    p.style = style_visible;
    p.rect = {0, 0, 240, 320};
    main_ = create_window(p);
    ASSERT_TRUE(main_);
    set_foreground_window(main_);
    seen.clear();
  }
  void TearDown() override {
    if (const WindowHandle bar = menu_bar_of(main_)) destroy_window(bar);
    destroy_window(main_);
    pump();
    unregister_class(u"ShellUiTest");
    set_current_profile(device_profiles()[0]);
    detail::reset_shell_ui();
  }
  void pump(size_t want = 0) {
    Message m;
    for (int i = 0; i < 50; ++i) {
      while (peek_message(m)) dispatch_message(m);
      if (seen.size() >= want) return;
      wait_message(20);
    }
  }
  std::vector<uint32_t> keys_reaching_main() const {
    std::vector<uint32_t> out;
    for (const Message& m : seen)
      if (m.message == msg::key_down && m.window == main_) out.push_back(static_cast<uint32_t>(m.wparam));
    return out;
  }
  WindowHandle main_ = 0;
};

TEST_F(ShellUiTest, TheBarKeepsTheSoftKeysUntilItsOwnerOverridesThem) {
  EXPECT_EQ(create_menu_bar({main_, menu_bar_empty, 4711}), 0u) << "unknown resource";
  const WindowHandle bar = create_menu_bar({main_, menu_bar_empty, menu_bar_two_buttons});
  ASSERT_TRUE(bar);
  EXPECT_EQ(menu_bar_of(main_), bar);
  EXPECT_EQ(window_rect(bar), (Rect{0, 320 - 26, 240, 320}));
  EXPECT_EQ(get_foreground_window(), main_) << "the bar does not take the front";

  const uint32_t keys[] = {vk::soft_left, vk::soft_right, vk::talk};
  for (uint32_t key : keys) ASSERT_TRUE(inject_key(key, true));
  pump(1);
  EXPECT_EQ(keys_reaching_main(), std::vector<uint32_t>{vk::talk});

  // The override of one key in both halves (mask and value).
  const LParam no_default = (LParam{key_override_no_default} << 16) | key_override_no_default;
  send_message(bar, menu_bar_override_key, soft_key_1, no_default);
  seen.clear();
  for (uint32_t key : keys) ASSERT_TRUE(inject_key(key, true));
  pump(2);
  EXPECT_EQ(keys_reaching_main(), (std::vector<uint32_t>{vk::soft_left, vk::talk}));

  destroy_window(bar);
  EXPECT_EQ(menu_bar_of(main_), 0u);
}

TEST_F(ShellUiTest, TheInputPanelCoversTheDesktopAndIsAnnounced) {
  const InputPanelInfo down = input_panel_info();
  EXPECT_FALSE(down.shown);
  EXPECT_EQ(down.visible_desktop, (Rect{0, 26, 240, 294}));
  ASSERT_TRUE(show_input_panel(true));
  const InputPanelInfo up = input_panel_info();
  EXPECT_TRUE(up.shown);
  EXPECT_EQ(up.panel, (Rect{0, 214, 240, 294}));
  EXPECT_EQ(up.visible_desktop.bottom, 214);
  pump(1);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].message, msg::setting_change);
  EXPECT_EQ(seen[0].wparam, setting_input_panel);
  ASSERT_TRUE(show_input_panel(true));  // no change, no announcement
  pump();
  EXPECT_EQ(seen.size(), 1u);

  set_current_profile(*find_device_profile("smartphone"));
  detail::reset_shell_ui();
  EXPECT_FALSE(show_input_panel(true)) << "a Smartphone has no input panel";
  EXPECT_FALSE(input_panel_info().shown);
}

TEST_F(ShellUiTest, AnEditBesideASipPrefControlRaisesThePanelWhenFocused) {
  init_shell_controls();
  CreateParams p;
  p.class_name = u"Edit";
  p.style = style_child | style_visible;
  p.parent = main_;
  const WindowHandle edit = create_window(p);
  set_focus(main_);
  EXPECT_FALSE(input_panel_info().shown) << "no SIPPREF control yet";
  set_focus(edit);
  EXPECT_FALSE(input_panel_info().shown);
  set_focus(main_);
  p.class_name = u"SIPPREF";
  p.style = style_child;
  ASSERT_TRUE(create_window(p));
  set_focus(edit);
  EXPECT_TRUE(input_panel_info().shown);
}

TEST_F(ShellUiTest, FullScreenFlagsSwitchTaskbarAndPanelButton) {
  EXPECT_TRUE(taskbar_shown());
  EXPECT_TRUE(sip_button_shown());
  ASSERT_TRUE(set_full_screen(main_, full_screen_hide_taskbar | full_screen_hide_sip_button));
  EXPECT_FALSE(taskbar_shown());
  EXPECT_FALSE(sip_button_shown());
  ASSERT_TRUE(set_full_screen(main_, full_screen_show_sip_button));
  EXPECT_FALSE(taskbar_shown());
  EXPECT_TRUE(sip_button_shown());
  EXPECT_FALSE(set_full_screen(0xDEAD, full_screen_show_taskbar));
}

}  // namespace
