// The main window and everything that touches the platform's windowing: the
// window class and window, the window procedure, the main loop, the choice
// between the display layer and the window's back buffer, the layout of the
// client area, the native text-edit overlay and pointer capture.
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/active.h"
#include "app/display_config.h"
#include "app/display_layer.h"
#include "app/events.h"
#include "platform/window.h"

namespace lv {

class Application;
class OverlayEdit;

class GameBase {
 public:
  static constexpr uint64_t kFrameTimerId = 2;
  static constexpr uint32_t kFrameTimerMs = 40;

  // A second GameBase ends the process through the fatal report.
  GameBase(Application& application, std::u16string name);
  ~GameBase();
  GameBase(const GameBase&) = delete;
  GameBase& operator=(const GameBase&) = delete;

  static GameBase* instance() { return instance_; }

  // The main loop, until the quit message.
  void run();
  // Runs pending messages without waiting, then one frame if time passed.
  void pump();
  void frame(bool only_if_time_passed);

  void bring_to_front();
  void minimise();
  void set_game_input(bool on);
  void set_windowed(bool taskbar_shown);
  void open_display(int orientation);
  platform::Rect client_rect() const;
  void apply_layout();
  void resolution_changed();
  void set_soft_key_bar_visible(bool visible) { soft_key_bar_visible_ = visible; }
  bool is_windowed() const { return windowed_; }
  OverlayEdit* active_edit() const { return active_edit_; }
  void set_active_edit(OverlayEdit* edit, bool create_window);
  void block_loop() { blocked_ = true; }
  bool is_blocked() const { return blocked_; }
  bool is_inactive() const { return inactive_; }
  bool has_display() const { return display_ != nullptr; }

  platform::WindowHandle main_window() const { return main_window_; }
  const DisplayConfig& screen() const { return screen_; }
  const std::u16string& class_name() const { return class_name_; }
  CActiveScheduler& scheduler() { return *scheduler_; }

  platform::LResult window_proc(platform::WindowHandle window, uint32_t message, platform::WParam wparam,
                                platform::LParam lparam);

 private:
  PointerEvent pointer_at(int x, int y) const;
  double take_elapsed(uint32_t now);
  void paint();
  void on_copy_data(const platform::CopyData* data);
  void on_hand_over();
  void on_key_message(uint32_t message, platform::WParam wparam, platform::LParam lparam);
  void close_display();
  void start_frame_timer();
  void stop_frame_timer();
  void close_game_input_unless_wanted();
  void destroy_edit_windows();
  void sync_edit_window(bool edit_changed);
  bool input_panel_shown() const;
  void create_soft_key_bar();
  // Along the bottom edge, or below the screen where it is out of sight.
  void move_soft_key_bar(bool on_screen);
  void store_sip_preference();

  static inline GameBase* instance_ = nullptr;

  Application& application_;
  std::u16string name_;
  std::u16string class_name_;
  std::unique_ptr<CActiveScheduler> scheduler_;
  platform::WindowHandle main_window_ = 0;
  platform::WindowHandle edit_window_ = 0;
  platform::WindowHandle sip_pref_window_ = 0;
  bool inactive_ = false;
  bool blocked_ = false;
  int last_up_x_ = kNoPointerUp;
  int last_up_y_ = kNoPointerUp;
  OverlayEdit* active_edit_ = nullptr;
  platform::Rect edit_rect_;
  bool sip_preference_ = false;
  platform::WindowHandle soft_key_bar_ = 0;
  int soft_key_bar_height_ = 0;  // 0: the device gave no soft-key bar
  uint32_t last_frame_tick_ = 0;
  std::unique_ptr<DisplayLayer> display_;
  bool windowed_ = true;
  bool taskbar_shown_ = true;
  bool game_input_ = true;
  DisplayParameters display_parameters_;
  std::vector<uint16_t> back_buffer_;
  int back_buffer_width_ = 0;
  int back_buffer_height_ = 0;
  std::deque<std::u16string> hand_overs_;
  DisplayConfig screen_;
  bool soft_key_bar_visible_ = true;
};

}  // namespace lv
