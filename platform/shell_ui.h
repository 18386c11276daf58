// The shell's chrome around a program's window: the soft-key menu bar at the
// bottom of the screen, the taskbar and input-panel button that a program can
// hide for full-screen use, and the input panel (the on-screen keyboard of a
// touch phone) that covers the bottom of the desktop while it is up.
//
// The chrome is the shell's, one per process's device session: its state
// lives in this process, and changes of the input panel are announced to
// every top-level window of the device with msg::setting_change.
#pragma once

#include <cstdint>

#include "platform/window.h"

namespace platform {

// ---- soft-key menu bar ------------------------------------------------------

// The bar resources the shell knows: one empty button, and two buttons.
constexpr int menu_bar_one_button = 117;
constexpr int menu_bar_two_buttons = 1117;
// Flags of create_menu_bar: the bar shows no menu of its own.
constexpr uint32_t menu_bar_empty = 0x0001;

struct MenuBarParams {
  WindowHandle owner = 0;  // the program's top-level window
  uint32_t flags = 0;
  int resource_id = 0;
};

// Creates the bar window (class "menu_worker", owned by the owner, visible
// along the bottom edge, 26 pixels high at 96 dpi and scaled with the
// density); 0 for an unknown resource, a missing owner or an owner that has a
// bar already. The bar goes with its owner.
WindowHandle create_menu_bar(const MenuBarParams& params);
// The bar created for `owner`, or 0.
WindowHandle menu_bar_of(WindowHandle owner);

// Sent to the bar: wparam the virtual key (soft_key_1 or soft_key_2), lparam
// (values << 16) | mask of the key_override_* flags. Without an override the
// bar takes the soft keys itself; with "no default handling" they reach the
// owner as ordinary key messages.
constexpr uint32_t menu_bar_override_key = 0x0593;
constexpr uint32_t key_override_no_default = 0x0001;
constexpr uint32_t key_override_notify = 0x0002;
constexpr uint32_t soft_key_1 = 0x70;
constexpr uint32_t soft_key_2 = 0x71;

// ---- full screen ------------------------------------------------------------

constexpr uint32_t full_screen_show_taskbar = 0x0001;
constexpr uint32_t full_screen_hide_taskbar = 0x0002;
constexpr uint32_t full_screen_show_sip_button = 0x0004;
constexpr uint32_t full_screen_hide_sip_button = 0x0008;

// Shows or hides the taskbar and the input-panel button for `window`; false
// for a window that does not exist.
bool set_full_screen(WindowHandle window, uint32_t flags);
bool taskbar_shown();
bool sip_button_shown();

// ---- input panel ------------------------------------------------------------

struct InputPanelInfo {
  bool shown = false;
  Rect panel;            // where the panel lies on the screen (empty while down)
  Rect visible_desktop;  // the part of the screen between taskbar and bar or panel
};

// The setting_change parameter announcing an input-panel change.
constexpr WParam setting_input_panel = 0x00E0;

InputPanelInfo input_panel_info();
// Raises or lowers the panel; false on a device without one (a Smartphone).
bool show_input_panel(bool shown);

// Registers the shell's extra controls, among them "SIPPREF": a hidden child
// whose parent raises the input panel whenever one of its other children
// takes the focus.
void init_shell_controls();

namespace detail {
// The bar that takes `virtual_key` away from the active window `active`, or 0.
WindowHandle soft_key_taker(WindowHandle active, uint32_t virtual_key);
// Called by the window system after the focus moved to `window`.
void focus_moved(WindowHandle window);
// Forgets the chrome's state (tests start each case afresh).
void reset_shell_ui();
}  // namespace detail

}  // namespace platform
