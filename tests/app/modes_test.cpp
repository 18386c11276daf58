// Drawing modes of the frame with a stand-in display layer.
#include <gtest/gtest.h>

#include <vector>

#include "app/application.h"
#include "app/edit_overlay.h"
#include "platform/clock.h"
#include "platform/shell_ui.h"
#include "platform/window.h"
#include "tests/testing/temp_device.h"

namespace {

using namespace lv;

struct DisplayLog {
  int opened = 0;
  int presents = 0;
};
DisplayLog display_log;

class FakeDisplay final : public DisplayLayer {
 public:
  FakeDisplay() : pixels_(240 * 320, 0xFFFF) { ++display_log.opened; }
  int width() const override { return 240; }
  int height() const override { return 320; }
  int orientation() const override { return 0; }
  bool begin_frame() override { return true; }
  FrameTarget back_buffer() override { return {pixels_.data(), 240, 320, 480}; }
  void present() override { ++display_log.presents; }
  void set_game_input(bool) override {}

 private:
  std::vector<uint16_t> pixels_;
};

std::unique_ptr<DisplayLayer> open_fake(platform::WindowHandle, DisplayParameters&) {
  return std::make_unique<FakeDisplay>();
}

class CountingStack final : public FormStack {
 public:
  explicit CountingStack(int& ticks, int& renders) : ticks_(ticks), renders_(renders) {}
  bool empty() const override { return false; }
  void tick(double seconds) override {
    EXPECT_GE(seconds, 0.001);
    EXPECT_LE(seconds, 0.1);
    ++ticks_;
  }
  bool needs_redraw(bool) override { return redraw_; }
  void set_redraw() override { redraw_ = true; }
  void render_frame(const FrameTarget&) override {
    redraw_ = false;
    ++renders_;
  }
  void pointer_move(const PointerEvent&) override {}
  bool pointer_event(const PointerEvent&) override { return true; }
  bool text_input(const CharEvent&) override { return true; }
  bool key_event(const KeyEvent&) override { return true; }

 private:
  int& ticks_;
  int& renders_;
  bool redraw_ = false;
};

class Edit final : public OverlayEdit {
 public:
  platform::Rect edit_rect() const override { return {10, 10, 100, 30}; }
  bool multi_line() const override { return false; }
  bool password() const override { return false; }
  std::u16string edit_text() const override { return text; }
  void set_edit_text(const std::u16string& t) override { text = t; }
  uint32_t text_color() const override { return 0; }
  uint32_t background_color() const override { return 0xFFFFFF; }
  std::u16string text = u"hello\nworld";
};

class ModesTest : public testing_support::DeviceTest {
 protected:
  ModesTest() {
    platform::detail::reset_shell_ui();
    set_display_layer_opener(open_fake);
    display_log = {};
    app_ = std::make_unique<Application>(u"Lumivale");
    app_->set_form_stack(std::make_unique<CountingStack>(ticks_, renders_));
  }
  ~ModesTest() override {
    app_.reset();
    set_display_layer_opener(nullptr);
  }
  int ticks_ = 0, renders_ = 0;
  std::unique_ptr<Application> app_;
};

TEST_F(ModesTest, TheTextEditSwitchesToWindowedDrawingAndBack) {
  GameBase& base = app_->game_base();
  EXPECT_TRUE(base.is_windowed());
  app_->open_display(0);
  EXPECT_FALSE(base.is_windowed());
  EXPECT_TRUE(base.has_display());
  EXPECT_EQ(app_->client_rect(), (platform::Rect{0, 0, 240, 320}));

  Edit edit;
  app_->set_active_edit(&edit, true);
  EXPECT_FALSE(base.has_display());
  EXPECT_EQ(app_->active_edit(), &edit);
  app_->set_active_edit(nullptr, false);
  EXPECT_TRUE(base.has_display());  // back to the display layer
  EXPECT_EQ(display_log.opened, 2);

  app_->set_windowed(true);
  EXPECT_FALSE(base.has_display());
  app_->set_active_edit(&edit, false);
  app_->set_active_edit(nullptr, false);
  EXPECT_FALSE(base.has_display());  // windowed mode was chosen: it stays
  EXPECT_EQ(display_log.opened, 2);
}

// The soft-key bar, the taskbar and the input panel shape the window in the
// windowed modes; the display layer covers them all.
TEST_F(ModesTest, TheShellChromeShapesTheClientInWindowedModes) {
  GameBase& base = app_->game_base();
  const platform::WindowHandle bar = platform::menu_bar_of(base.main_window());
  ASSERT_TRUE(bar) << "the frame makes a soft-key bar";
  EXPECT_EQ(platform::window_rect(bar).height(), 26);

  app_->set_windowed(true);
  EXPECT_EQ(app_->client_rect(), (platform::Rect{0, 26, 240, 294}));
  EXPECT_EQ(platform::window_rect(bar).top, 320 - 26) << "the bar sits on the bottom edge";
  EXPECT_TRUE(platform::sip_button_shown());

  Edit edit;
  app_->set_active_edit(&edit, true);
  EXPECT_TRUE(platform::input_panel_info().shown) << "the edit took the focus beside its SIPPREF control";
  EXPECT_EQ(app_->client_rect().bottom, platform::input_panel_info().panel.top);
  app_->set_active_edit(nullptr, false);
  EXPECT_FALSE(platform::input_panel_info().shown);

  app_->open_display(0);
  EXPECT_EQ(app_->client_rect(), (platform::Rect{0, 0, 240, 320}));
  EXPECT_FALSE(platform::taskbar_shown());
  EXPECT_FALSE(platform::sip_button_shown());
  EXPECT_GE(platform::window_rect(bar).top, 320) << "the bar is moved out of sight";
}

TEST_F(ModesTest, AFrameDrawsOnlyWhenAskedAndNotTwiceInOneMillisecond) {
  app_->open_display(0);  // asks for a frame
  app_->frame(false);
  EXPECT_EQ(ticks_, 1);
  EXPECT_EQ(renders_, 1);
  app_->frame(false);
  EXPECT_EQ(renders_, 1);  // nothing asked for one
  app_->set_redraw();
  app_->frame(false);
  EXPECT_EQ(renders_, 2);
  EXPECT_EQ(display_log.presents, 2);

  // Two frames within one millisecond: the second one does nothing.
  for (int attempt = 0; attempt < 100; ++attempt) {
    ticks_ = 0;
    const uint32_t before = platform::tick_count();
    app_->frame(true);
    app_->frame(true);
    if (platform::tick_count() == before) {
      EXPECT_LE(ticks_, 1);
      return;
    }
  }
  GTEST_SKIP() << "the clock never stood still for two frames";
}

}  // namespace
