#include "platform/shell_ui.h"

#include <map>
#include <mutex>

#include "platform/profile.h"

namespace platform {
namespace {

constexpr char16_t kBarClass[] = u"menu_worker";
constexpr char16_t kSipPrefClass[] = u"SIPPREF";
constexpr int kBarHeightAt96 = 26;
constexpr int kTaskbarHeightAt96 = 26;
constexpr int kPanelHeightAt96 = 80;

struct Bar {
  WindowHandle window = 0;
  uint32_t overridden = 0;  // bit 0: soft key 1, bit 1: soft key 2
};

struct ShellUi {
  std::mutex mutex;
  std::map<WindowHandle, Bar> bars;  // by owner
  bool taskbar = true;
  bool sip_button = true;
  bool panel = false;
  bool classes = false;
};

ShellUi& shell_ui() {
  static ShellUi ui;
  return ui;
}

int scaled(int pixels_at_96) { return pixels_at_96 * std::max(current_profile().dpi, 96) / 96; }

uint32_t soft_key_bit(uint32_t virtual_key) {
  return virtual_key == soft_key_1 ? 1u : virtual_key == soft_key_2 ? 2u : 0u;
}

LResult bar_proc(WindowHandle window, uint32_t message, WParam wparam, LParam lparam) {
  if (message == menu_bar_override_key) {
    const uint32_t bit = soft_key_bit(static_cast<uint32_t>(wparam));
    if (!bit) return 0;
    const uint32_t mask = static_cast<uint32_t>(lparam) & 0xFFFF;
    const uint32_t values = (static_cast<uint32_t>(lparam) >> 16) & 0xFFFF;
    if (!(mask & key_override_no_default)) return 1;
    ShellUi& ui = shell_ui();
    std::lock_guard lock(ui.mutex);
    for (auto& [owner, bar] : ui.bars) {
      if (bar.window != window) continue;
      if (values & key_override_no_default)
        bar.overridden |= bit;
      else
        bar.overridden &= ~bit;
    }
    return 1;
  }
  if (message == msg::destroy) {
    ShellUi& ui = shell_ui();
    std::lock_guard lock(ui.mutex);
    std::erase_if(ui.bars, [&](const auto& entry) { return entry.second.window == window; });
  }
  return default_window_proc(window, message, wparam, lparam);
}

void ensure_classes() {
  ShellUi& ui = shell_ui();
  {
    std::lock_guard lock(ui.mutex);
    if (ui.classes) return;
    ui.classes = true;
  }
  WindowClass bar;
  bar.name = kBarClass;
  bar.procedure = bar_proc;
  register_class(bar);
  WindowClass sip;
  sip.name = kSipPrefClass;
  sip.procedure = default_window_proc;
  register_class(sip);
}

void announce_panel_change() {
  for (const TopLevelWindow& w : top_level_windows())
    if (w.visible) post_message(w.window, msg::setting_change, setting_input_panel, 0);
}

}  // namespace

WindowHandle create_menu_bar(const MenuBarParams& params) {
  if (params.resource_id != menu_bar_one_button && params.resource_id != menu_bar_two_buttons) return 0;
  if (!is_window(params.owner) || menu_bar_of(params.owner)) return 0;
  ensure_classes();
  const DeviceProfile& profile = current_profile();
  const int height = scaled(kBarHeightAt96);
  CreateParams create;
  create.class_name = kBarClass;
  create.style = style_visible | style_popup;
  create.owner = params.owner;
  create.rect = {0, profile.screen_height - height, profile.screen_width, profile.screen_height};
  const WindowHandle window = create_window(create);
  if (!window) return 0;
  ShellUi& ui = shell_ui();
  std::lock_guard lock(ui.mutex);
  ui.bars[params.owner] = Bar{window, 0};
  return window;
}

WindowHandle menu_bar_of(WindowHandle owner) {
  ShellUi& ui = shell_ui();
  std::lock_guard lock(ui.mutex);
  const auto it = ui.bars.find(owner);
  return it == ui.bars.end() ? 0 : it->second.window;
}

bool set_full_screen(WindowHandle window, uint32_t flags) {
  if (!is_window(window)) return false;
  ShellUi& ui = shell_ui();
  std::lock_guard lock(ui.mutex);
  if (flags & full_screen_hide_taskbar) ui.taskbar = false;
  if (flags & full_screen_show_taskbar) ui.taskbar = true;
  if (flags & full_screen_hide_sip_button) ui.sip_button = false;
  if (flags & full_screen_show_sip_button) ui.sip_button = true;
  return true;
}

bool taskbar_shown() {
  ShellUi& ui = shell_ui();
  std::lock_guard lock(ui.mutex);
  return ui.taskbar;
}

bool sip_button_shown() {
  ShellUi& ui = shell_ui();
  std::lock_guard lock(ui.mutex);
  return ui.sip_button;
}

InputPanelInfo input_panel_info() {
  const DeviceProfile& profile = current_profile();
  InputPanelInfo info;
  {
    ShellUi& ui = shell_ui();
    std::lock_guard lock(ui.mutex);
    info.shown = ui.panel;
  }
  const int bar = scaled(kBarHeightAt96);
  const int bottom = profile.screen_height - bar;
  info.visible_desktop = {0, scaled(kTaskbarHeightAt96), profile.screen_width, bottom};
  if (info.shown) {
    info.panel = {0, bottom - scaled(kPanelHeightAt96), profile.screen_width, bottom};
    info.visible_desktop.bottom = info.panel.top;
  }
  return info;
}

bool show_input_panel(bool shown) {
  if (current_profile().edition == Edition::smartphone) return false;
  ShellUi& ui = shell_ui();
  {
    std::lock_guard lock(ui.mutex);
    if (ui.panel == shown) return true;
    ui.panel = shown;
  }
  announce_panel_change();
  return true;
}

void init_shell_controls() { ensure_classes(); }

namespace detail {

WindowHandle soft_key_taker(WindowHandle active, uint32_t virtual_key) {
  const uint32_t bit = soft_key_bit(virtual_key);
  if (!bit || !active) return 0;
  ShellUi& ui = shell_ui();
  std::lock_guard lock(ui.mutex);
  const auto it = ui.bars.find(active);
  if (it == ui.bars.end() || (it->second.overridden & bit)) return 0;
  return it->second.window;
}

void focus_moved(WindowHandle window) {
  const WindowHandle parent = window ? parent_window(window) : 0;
  if (!parent) return;
  for (const WindowHandle sibling : child_windows(parent)) {
    if (sibling != window && window_class_name(sibling) == kSipPrefClass) {
      show_input_panel(true);
      return;
    }
  }
}

void reset_shell_ui() {
  ShellUi& ui = shell_ui();
  std::lock_guard lock(ui.mutex);
  ui.bars.clear();
  ui.taskbar = ui.sip_button = true;
  ui.panel = false;
}

}  // namespace detail
}  // namespace platform
