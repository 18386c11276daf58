#include "app/game_base.h"

#include <algorithm>

#include "app/application.h"
#include "app/edit_overlay.h"
#include "app/fatal.h"
#include "app/log.h"
#include "app/registry.h"
#include "app/scheduler_window.h"
#include "app/single_instance.h"
#include "platform/clock.h"
#include "platform/profile.h"
#include "platform/screen.h"
#include "platform/shell_ui.h"

namespace lv {
namespace {

namespace msg = platform::msg;

// setting_change parameters that can change the screen's metrics.
constexpr platform::WParam kSettingReset = 0x3002;
constexpr platform::WParam kSettingWorkArea = 0x002F;
constexpr platform::WParam kSettingInputPanel = 0x00E0;
// command notification: the edit control's contents changed.
constexpr uint32_t kEditChanged = 0x0300;

// Edit control styles and messages of the device's "Edit" class.
constexpr uint32_t kEditMultiLine = 0x0004;
constexpr uint32_t kEditAutoVScroll = 0x0040;
constexpr uint32_t kEditAutoHScroll = 0x0080;
constexpr uint32_t kEditSetSelection = 0x00B1;
constexpr uint32_t kEditSetPasswordChar = 0x00CC;

std::u16string without_carriage_returns(std::u16string text) {
  std::erase(text, u'\r');
  return text;
}

std::u16string with_crlf(const std::u16string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c == u'\n') out += u'\r';
    out += c;
  }
  return out;
}

}  // namespace

GameBase::GameBase(Application& application, std::u16string name)
    : application_(application), name_(std::move(name)) {
  if (instance_) fatal_report(u"Application::Application", u"instance != 0");
  instance_ = this;
  // The device has no COM library to initialise.
  class_name_ = std::u16string(kClassPrefix) + name_;
  scheduler_ = std::make_unique<CActiveScheduler>(make_scheduler_window(class_name_));
  last_frame_tick_ = platform::tick_count();
  reg_read_bool(kFrameKey, u"SIPPreference", sip_preference_);
  // Frame recording (a trigger picture in \Temp) needs the picture reader and
  // the archive writer of the graphics subsystem; it stays off until then.

  log() << platform::tick_count() << u" GameBase 0\n";
  log() << platform::tick_count() << u" GameBase 1\n";
  platform::WindowClass window_class;
  window_class.name = class_name_;
  window_class.procedure = [this](platform::WindowHandle w, uint32_t m, platform::WParam wp, platform::LParam lp) {
    return window_proc(w, m, wp, lp);
  };
  window_class.style = 0x0003;  // redraw on horizontal and vertical size change
  log() << platform::tick_count() << u" GameBase 2\n";
  if (!platform::register_class(window_class)) return;

  log() << platform::tick_count() << u" GameBase 3\n";
  screen_ = current_display_config();
  log() << platform::tick_count() << u" GameBase 4\n";
  platform::CreateParams params;
  params.class_name = class_name_;
  params.title = name_;
  params.style = platform::style_visible | platform::style_clip_children;
  params.rect = {0, 0, screen_.screen_width, screen_.screen_height};
  main_window_ = platform::create_window(params);
  log() << platform::tick_count() << u" GameBase 5\n";
  if (main_window_) platform::set_focus(main_window_);

  release_instance_mutex();
  if (main_window_) {
    start_frame_timer();
    set_stop_window(main_window_);
  }
}

GameBase::~GameBase() {
  set_stop_window(0);
  stop_frame_timer();
  destroy_edit_windows();
  if (soft_key_bar_ && platform::is_window(soft_key_bar_)) platform::destroy_window(soft_key_bar_);
  soft_key_bar_ = 0;
  hand_overs_.clear();
  back_buffer_.clear();
  close_display();
  if (main_window_ && platform::is_window(main_window_)) platform::destroy_window(main_window_);
  main_window_ = 0;
  platform::unregister_class(class_name_);
  scheduler_.reset();
  release_instance_mutex();
  instance_ = nullptr;
}

PointerEvent GameBase::pointer_at(int x, int y) const {
  PointerEvent event;
  event.x = x;
  event.y = y;
  event.time = platform::message_time();
  return event;
}

double GameBase::take_elapsed(uint32_t now) {
  // Unsigned difference: right across the tick count's wrap.
  const double elapsed = static_cast<double>(now - last_frame_tick_) * 0.001;
  last_frame_tick_ = now;
  return std::clamp(elapsed, 0.001, 0.1);
}

platform::LResult GameBase::window_proc(platform::WindowHandle window, uint32_t message, platform::WParam wparam,
                                        platform::LParam lparam) {
  switch (message) {
    case msg::create:
      main_window_ = window;
      create_soft_key_bar();
      apply_layout();
      break;
    case msg::destroy:
      if (window == main_window_) platform::post_quit_message(0);
      break;
    case msg::activate:
      if (wparam == platform::activate_inactive) {
        inactive_ = true;
        application_.listener().on_deactivate();
      } else {
        apply_layout();
        inactive_ = false;
        blocked_ = false;
        application_.listener().on_activate();
      }
      break;
    case msg::paint:
      paint();
      break;
    case msg::close:
      if (application_.listener().can_close()) platform::destroy_window(window);
      return 0;
    case msg::setting_change:
      if (wparam == kSettingReset || wparam == kSettingWorkArea || wparam == kSettingInputPanel)
        resolution_changed();
      break;
    case msg::copy_data:
      on_copy_data(reinterpret_cast<const platform::CopyData*>(lparam));
      return 1;
    case kHandOverMessage:
      on_hand_over();
      break;
    case msg::help:
      application_.listener().on_help();
      break;
    case msg::key_down:
    case msg::key_up:
    case msg::hot_key:
    case msg::character:
      on_key_message(message, wparam, lparam);
      break;
    case msg::command:
      if ((wparam >> 16) == kEditChanged && active_edit_ && edit_window_ &&
          static_cast<platform::WindowHandle>(lparam) == edit_window_)
        active_edit_->set_edit_text(without_carriage_returns(platform::window_text(edit_window_)));
      break;
    case msg::timer:
      if (wparam == kFrameTimerId && !inactive_ && !blocked_ && !display_) {
        application_.tick(take_elapsed(platform::tick_count()));
        platform::invalidate_window(main_window_, false);
      }
      break;
    case msg::pointer_move: {
      blocked_ = false;
      application_.pointer_move(pointer_at(platform::pointer_x(lparam), platform::pointer_y(lparam)));
      break;
    }
    case msg::pointer_down: {
      last_up_x_ = kNoPointerUp;
      last_up_y_ = kNoPointerUp;
      platform::set_capture(window);
      blocked_ = false;
      PointerEvent event = pointer_at(platform::pointer_x(lparam), platform::pointer_y(lparam));
      event.down = true;
      application_.pointer_event(event);
      break;
    }
    case msg::pointer_up:
      last_up_x_ = platform::pointer_x(lparam);
      last_up_y_ = platform::pointer_y(lparam);
      // The release reaches the forms from the capture-changed message.
      platform::release_capture();
      break;
    case msg::capture_changed: {
      PointerEvent event = pointer_at(last_up_x_, last_up_y_);
      event.cancelled = last_up_x_ == kNoPointerUp && last_up_y_ == kNoPointerUp;
      application_.pointer_event(event);
      break;
    }
    default:
      break;
  }
  return platform::default_window_proc(window, message, wparam, lparam);
}

void GameBase::on_copy_data(const platform::CopyData* data) {
  if (!data || data->tag != 0) return;
  std::u16string text;
  if (data->data && data->size >= sizeof(char16_t)) {
    const auto* chars = static_cast<const char16_t*>(data->data);
    text.assign(chars, data->size / sizeof(char16_t));  // an odd last byte is dropped
  }
  if (text == kCommandLineEmpty) text.clear();
  hand_overs_.push_back(std::move(text));
  // Acted on later, so that the sending process is released first.
  platform::post_message(main_window_, kHandOverMessage);
}

void GameBase::on_hand_over() {
  if (hand_overs_.empty()) return;
  const std::u16string command_line = std::move(hand_overs_.front());
  hand_overs_.pop_front();
  application_.listener().on_other_instance_started(command_line);
}

void GameBase::on_key_message(uint32_t message, platform::WParam wparam, platform::LParam lparam) {
  const uint32_t key_data = static_cast<uint32_t>(lparam);
  auto name_of = [](int code) { return key_name(code).value_or(u""); };
  if (message == msg::key_down || message == msg::key_up) {
    blocked_ = false;
    const bool down = message == msg::key_down;
    KeyEvent event;
    event.code = key_code_from_virtual_key(static_cast<uint32_t>(wparam));
    event.down = down;
    event.first = !down || (lparam & platform::key_data_previous_down) == 0;
    log() << (down ? u"WM_KEYDOWN = " : u"WM_KEYUP = ") << wparam << u"(" << name_of(event.code) << u")"
          << u" lParam=" << key_data << u" ticks=" << platform::tick_count() << u"\n";
    if (application_.listener().on_key(event)) return;
    application_.key_event(event);
  } else if (message == msg::hot_key) {
    KeyEvent event;
    event.code = key_code_from_virtual_key((key_data >> 16) & 0xFFFF);
    event.down = (key_data & platform::mod_key_up) == 0;
    event.first = true;
    log() << u"WM_HOTKEY = " << wparam << u"(" << name_of(event.code) << u")" << u" lParam=" << key_data
          << u" ticks=" << platform::tick_count() << u"\n";
    application_.key_event(event);  // hot keys do not ask the listener
  } else {
    const char16_t c = static_cast<char16_t>(wparam);
    log() << u"WM_CHAR=" << c << u" lParam=" << key_data << u" ticks=" << platform::tick_count() << u"\n";
    if (c > 0x1F) application_.text_input(CharEvent{std::u16string(1, c)});
  }
}

void GameBase::paint() {
  const platform::Rect client = platform::client_rect(main_window_);
  const int width = std::max(client.width(), 0);
  const int height = std::max(client.height(), 0);
  if (width != back_buffer_width_ || height != back_buffer_height_) {
    back_buffer_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    back_buffer_width_ = width;
    back_buffer_height_ = height;
  }
  const size_t stride = static_cast<size_t>(width) * sizeof(uint16_t);
  application_.render_frame(FrameTarget{back_buffer_.data(), width, height, stride});
  if (width > 0 && height > 0)
    platform::blit_to_window(main_window_, 0, 0, back_buffer_.data(), stride, width, height);
}

void GameBase::run() {
  if (!main_window_) return;  // nothing could ever end the loop
  for (;;) {
    platform::Message message;
    if (inactive_ || blocked_ || !display_) {
      if (!platform::get_message(message)) return;
    } else if (!platform::peek_message(message)) {
      frame(false);
      platform::wait_message(10);  // the idle pause; a message ends it early
      continue;
    } else if (message.message == msg::quit) {
      return;
    }
    platform::translate_message(message);
    platform::dispatch_message(message);
  }
}

void GameBase::pump() {
  platform::Message message;
  while (platform::peek_message(message)) {
    if (message.message == msg::quit) {
      // Leaves the quit message for the main loop.
      platform::post_quit_message(static_cast<int>(message.wparam));
      return;
    }
    platform::translate_message(message);
    platform::dispatch_message(message);
    if (message.message == msg::timer && message.wparam == kFrameTimerId && message.window == main_window_) break;
  }
  frame(true);
}

void GameBase::frame(bool only_if_time_passed) {
  const uint32_t now = platform::tick_count();
  if (only_if_time_passed && now == last_frame_tick_) return;
  application_.tick(take_elapsed(now));
  if (!application_.needs_redraw(true)) return;
  if (!display_ || !display_->begin_frame()) return;
  application_.render_frame(display_->back_buffer());
  display_->present();
}

void GameBase::bring_to_front() {
  if (!main_window_ || !platform::is_window_visible(main_window_)) return;
  platform::show_window(main_window_, platform::Show::show);
  platform::set_foreground_window(main_window_);
}

void GameBase::minimise() {
  if (main_window_) platform::show_window(main_window_, platform::Show::minimize);
}

void GameBase::set_game_input(bool on) {
  game_input_ = on;
  if (display_) display_->set_game_input(on);
}

void GameBase::start_frame_timer() {
  if (main_window_) platform::set_timer(main_window_, kFrameTimerId, kFrameTimerMs);
}

void GameBase::stop_frame_timer() {
  if (main_window_) platform::kill_timer(main_window_, kFrameTimerId);
}

void GameBase::close_display() { display_.reset(); }

void GameBase::close_game_input_unless_wanted() {
  if (display_ && !game_input_) display_->set_game_input(false);
}

void GameBase::set_windowed(bool taskbar_shown) {
  windowed_ = true;
  taskbar_shown_ = taskbar_shown;
  if (active_edit_) return;
  application_.set_redraw();
  close_display();
  start_frame_timer();
  apply_layout();
}

void GameBase::open_display(int orientation) {
  if (orientation == display_parameters_.orientation && !windowed_) return;
  display_parameters_.orientation = orientation;
  windowed_ = false;
  close_display();
  if (active_edit_) return;
  application_.set_redraw();
  display_parameters_.width = 0;
  display_parameters_.height = 0;
  display_ = open_display_layer(main_window_, display_parameters_);
  // With an empty form stack the picture of the screen as it was becomes the
  // snapshot of the form stack once the toolkit's stack keeps one.
  stop_frame_timer();
  close_game_input_unless_wanted();
  apply_layout();
}

platform::Rect GameBase::client_rect() const {
  if (display_ && !windowed_ && !active_edit_) return {0, 0, display_->width(), display_->height()};
  int bottom_margin = soft_key_bar_visible_ ? soft_key_bar_height_ : 0;
  if (!Application::is_smartphone() && input_panel_shown())
    bottom_margin = screen_.screen_height - platform::input_panel_info().visible_desktop.bottom;
  const int x = 0;
  const int y = taskbar_shown_ ? soft_key_bar_height_ : 0;
  return {x, y, screen_.screen_width, screen_.screen_height - bottom_margin};
}

void GameBase::create_soft_key_bar() {
  // The bar only gives the shell something to show: the program draws its own
  // soft-key labels and takes both soft keys through the override.
  platform::MenuBarParams params;
  params.owner = main_window_;
  params.flags = platform::menu_bar_empty;
  params.resource_id = Application::is_smartphone() || platform::os_version().major > 4
                           ? platform::menu_bar_two_buttons
                           : platform::menu_bar_one_button;
  soft_key_bar_ = platform::create_menu_bar(params);
  if (!soft_key_bar_) return;
  constexpr platform::LParam kOverride =
      ((platform::key_override_no_default | platform::key_override_notify) << 16) |
      platform::key_override_no_default | platform::key_override_notify;
  platform::send_message(soft_key_bar_, platform::menu_bar_override_key, platform::soft_key_1, kOverride);
  platform::send_message(soft_key_bar_, platform::menu_bar_override_key, platform::soft_key_2, kOverride);
  soft_key_bar_height_ = platform::window_rect(soft_key_bar_).height();
}

void GameBase::move_soft_key_bar(bool on_screen) {
  if (!soft_key_bar_) return;
  const int top = on_screen ? screen_.screen_height - soft_key_bar_height_ : screen_.screen_height;
  platform::move_window(soft_key_bar_, 0, top, screen_.screen_width, soft_key_bar_height_, on_screen);
}

bool GameBase::input_panel_shown() const { return platform::input_panel_info().shown; }

void GameBase::store_sip_preference() {
  sip_preference_ = input_panel_shown();
  reg_write_dword(kFrameKey, u"SIPPreference", sip_preference_ ? 1 : 0);
}

void GameBase::apply_layout() {
  if (!main_window_) return;
  if (display_ && !windowed_ && !active_edit_) {
    platform::move_window(main_window_, 0, 0, screen_.screen_width, screen_.screen_height, true);
    platform::set_full_screen(main_window_,
                              platform::full_screen_hide_taskbar | platform::full_screen_hide_sip_button);
    move_soft_key_bar(false);
    return;
  }
  const platform::Rect client = client_rect();
  const int bottom = soft_key_bar_visible_ ? client.bottom : screen_.screen_height;
  platform::move_window(main_window_, client.left, client.top, client.width(), bottom - client.top, true);
  const uint32_t taskbar = taskbar_shown_ ? platform::full_screen_show_taskbar : platform::full_screen_hide_taskbar;
  if (!soft_key_bar_visible_) {
    platform::set_full_screen(main_window_, taskbar | platform::full_screen_hide_sip_button);
    move_soft_key_bar(false);
    store_sip_preference();
    platform::show_input_panel(false);
  } else {
    platform::set_full_screen(main_window_, taskbar | platform::full_screen_show_sip_button);
    move_soft_key_bar(true);
  }
}

void GameBase::resolution_changed() {
  const DisplayConfig fresh = current_display_config();
  if (!fresh.same_metrics(screen_)) {
    screen_ = fresh;
    log() << u"Application::ResolutionChanged 2\n";
    application_.listener().on_resolution_changed();
  }
  apply_layout();
}

void GameBase::destroy_edit_windows() {
  if (edit_window_ && platform::is_window(edit_window_)) platform::destroy_window(edit_window_);
  if (sip_pref_window_ && platform::is_window(sip_pref_window_)) platform::destroy_window(sip_pref_window_);
  edit_window_ = 0;
  sip_pref_window_ = 0;
}

void GameBase::set_active_edit(OverlayEdit* edit, bool create_window) {
  OverlayEdit* previous = active_edit_;
  active_edit_ = edit;
  if (!previous && edit) {
    close_display();
    start_frame_timer();
    apply_layout();
    if (sip_preference_) platform::show_input_panel(true);
    if (create_window && main_window_) {
      platform::CreateParams params;
      params.class_name = u"Edit";
      params.style = platform::style_child | platform::style_visible |
                     (edit->multi_line() ? kEditMultiLine | kEditAutoVScroll : kEditAutoHScroll);
      params.rect = edit->edit_rect();
      params.parent = main_window_;
      edit_window_ = platform::create_window(params);
      edit_rect_ = params.rect;
      // The shell raises the input panel whenever the edit takes the focus.
      platform::init_shell_controls();
      params.class_name = u"SIPPREF";
      params.style = platform::style_child;
      params.rect = {};
      sip_pref_window_ = platform::create_window(params);
      if (edit_window_) platform::set_focus(edit_window_);
    }
  } else if (previous && !edit) {
    destroy_edit_windows();
    if (!windowed_) {
      display_ = open_display_layer(main_window_, display_parameters_);
      stop_frame_timer();
      close_game_input_unless_wanted();
    }
    apply_layout();
    store_sip_preference();
    platform::show_input_panel(false);
    if (main_window_) platform::set_focus(main_window_);
  }
  if (active_edit_) sync_edit_window(previous != active_edit_);
}

void GameBase::sync_edit_window(bool edit_changed) {
  application_.set_redraw();
  if (!edit_window_) return;
  const platform::Rect rect = active_edit_->edit_rect();
  if (rect != edit_rect_) {
    platform::move_window(edit_window_, rect.left, rect.top, rect.width(), rect.height(), true);
    edit_rect_ = rect;
  }
  const std::u16string text = active_edit_->edit_text();
  if (without_carriage_returns(platform::window_text(edit_window_)) != text)
    platform::set_window_text(edit_window_, with_crlf(text));
  if (edit_changed) {
    const auto end = static_cast<platform::WParam>(platform::window_text(edit_window_).size());
    platform::send_message(edit_window_, kEditSetSelection, end, static_cast<platform::LParam>(end));
    platform::send_message(edit_window_, kEditSetPasswordChar, active_edit_->password() ? u'*' : 0, 0);
    platform::invalidate_window(edit_window_, true);
  }
}

}  // namespace lv
