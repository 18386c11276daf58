// The device's window system: window classes, windows, a message queue per
// thread, timers, pointer capture, focus and activation, hot keys, window
// enumeration across every process of the device, and the message box.
//
// A window belongs to the thread that created it; its procedure runs only on
// that thread, from dispatch_message or when a message is sent to it. Window
// handles are unique on the whole device: the high 32 bits are the owning
// process id, so a handle of another process can be sent to, posted to and
// asked for its class, title, owner and visibility.
//
// Processes of one device meet through files and Unix sockets below
// ROOT/system/run (see docs/ARCHITECTURE.md). Requests that reach a process
// from outside (sends, posts, injected input, screenshots) are served on the
// thread that owns the target window, inside get_message / peek_message or
// while that thread waits for the reply of its own send.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

using WindowHandle = uint64_t;  // 0 is "no window"
using WParam = uint64_t;
using LParam = int64_t;
using LResult = int64_t;

struct Point {
  int x = 0;
  int y = 0;
  bool operator==(const Point&) const = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  bool contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  bool operator==(const Rect&) const = default;
};

// Message numbers. The values are the phone's own: programs and the shell
// exchange them across processes.
namespace msg {
constexpr uint32_t null = 0x0000;
constexpr uint32_t create = 0x0001;          // lparam: const CreateParams*
constexpr uint32_t destroy = 0x0002;
constexpr uint32_t move = 0x0003;            // lparam: (y << 16) | x of the client origin
constexpr uint32_t size = 0x0005;            // lparam: (height << 16) | width
constexpr uint32_t activate = 0x0006;        // wparam: activate_* ; lparam: the other window
constexpr uint32_t set_focus = 0x0007;       // wparam: the window that lost the focus
constexpr uint32_t kill_focus = 0x0008;      // wparam: the window that gets the focus
constexpr uint32_t set_text = 0x000C;
constexpr uint32_t paint = 0x000F;
constexpr uint32_t close = 0x0010;
constexpr uint32_t quit = 0x0012;            // wparam: the exit code
constexpr uint32_t erase_background = 0x0014;
constexpr uint32_t show_window = 0x0018;     // wparam: 1 shown, 0 hidden
constexpr uint32_t setting_change = 0x001A;  // wparam: what changed
constexpr uint32_t copy_data = 0x004A;       // wparam: sender window; lparam: const CopyData*
constexpr uint32_t help = 0x0053;
constexpr uint32_t key_down = 0x0100;        // wparam: virtual key; lparam: key data (see below)
constexpr uint32_t key_up = 0x0101;
constexpr uint32_t character = 0x0102;       // wparam: UTF-16 code unit; lparam: key data
constexpr uint32_t command = 0x0111;         // wparam: (notification << 16) | id; lparam: control
constexpr uint32_t timer = 0x0113;           // wparam: timer id
constexpr uint32_t ctl_color_edit = 0x0133;
constexpr uint32_t pointer_move = 0x0200;    // wparam: 1 while pressed; lparam: pointer_lparam
constexpr uint32_t pointer_down = 0x0201;
constexpr uint32_t pointer_up = 0x0202;
constexpr uint32_t capture_changed = 0x0215;  // lparam: the window that takes the capture (or 0)
constexpr uint32_t hot_key = 0x0312;          // wparam: hot-key id; lparam: (vk << 16) | modifiers
constexpr uint32_t user = 0x0400;
constexpr uint32_t app = 0x8000;
}  // namespace msg

// wparam of msg::activate.
constexpr WParam activate_inactive = 0;
constexpr WParam activate_active = 1;
constexpr WParam activate_click = 2;

// Key data (lparam of key and character messages): bits 0-15 repeat count (1),
// bit 30 set when the key was already down (auto-repeat), bit 31 set on release.
constexpr LParam key_data_previous_down = LParam{1} << 30;
constexpr LParam key_data_released = LParam{1} << 31;

// Hot-key modifiers (low half of the hot key's lparam). With mod_key_up the
// release of the key is delivered too, carrying mod_key_up.
constexpr uint32_t mod_alt = 0x0001;
constexpr uint32_t mod_control = 0x0002;
constexpr uint32_t mod_shift = 0x0004;
constexpr uint32_t mod_key_up = 0x1000;

// Pointer coordinates travel in the lparam as two signed 16-bit halves.
constexpr LParam pointer_lparam(int x, int y) {
  return static_cast<LParam>((static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16) |
                             static_cast<uint16_t>(x));
}
constexpr int pointer_x(LParam l) { return static_cast<int16_t>(static_cast<uint16_t>(l & 0xFFFF)); }
constexpr int pointer_y(LParam l) { return static_cast<int16_t>(static_cast<uint16_t>((l >> 16) & 0xFFFF)); }

// The payload of msg::copy_data. The receiver may read `data` only while it
// handles the message; a send to another process carries a copy of it.
struct CopyData {
  uint64_t tag = 0;
  uint32_t size = 0;  // bytes
  const void* data = nullptr;
};

struct Message {
  WindowHandle window = 0;
  uint32_t message = 0;
  WParam wparam = 0;
  LParam lparam = 0;
  uint32_t time = 0;  // tick count when the message was posted
  Point point;        // pointer position (screen) for pointer messages
};

using WindowProc = std::function<LResult(WindowHandle, uint32_t, WParam, LParam)>;

// ---- window classes ---------------------------------------------------------

struct WindowClass {
  std::u16string name;
  WindowProc procedure;
  uint32_t style = 0;  // kept for the program; the device draws no frames
};

// False when a class of that name (compared without regard to case) exists in
// this process, the name is empty or the procedure missing.
bool register_class(const WindowClass& window_class);
bool unregister_class(std::u16string_view name);

// ---- windows ----------------------------------------------------------------

// Window styles.
constexpr uint32_t style_visible = 0x10000000;
constexpr uint32_t style_child = 0x40000000;
constexpr uint32_t style_popup = 0x80000000;
constexpr uint32_t style_clip_children = 0x02000000;

// Passed as lparam of msg::create.
struct CreateParams {
  std::u16string class_name;
  std::u16string title;
  uint32_t style = 0;
  Rect rect;                  // screen coordinates, or the parent's client for a child
  WindowHandle parent = 0;    // a child window (style_child) lives inside its parent
  WindowHandle owner = 0;     // a top-level window may be owned by another top-level window
  void* create_data = nullptr;
};

// Creates a window of a registered class ("Edit" and "Static" are built in)
// and sends it msg::create before returning; a create handler that returns -1
// destroys it again and 0 is returned. A visible top-level window without
// owner becomes the device's foreground window.
WindowHandle create_window(const CreateParams& params);
// Sends msg::destroy to the window and its children (children first), drops
// their timers, capture, focus and hot keys. Only the owning thread may
// destroy a window.
bool destroy_window(WindowHandle window);

// True while the window exists; asks the owning process for other processes'
// top-level windows.
bool is_window(WindowHandle window);
bool is_window_visible(WindowHandle window);

enum class Show { hide, show, show_no_activate, minimize, restore };
// Returns whether the window was visible before.
bool show_window(WindowHandle window, Show how);

std::u16string window_text(WindowHandle window);
bool set_window_text(WindowHandle window, std::u16string_view text);
std::u16string window_class_name(WindowHandle window);
WindowHandle parent_window(WindowHandle window);
WindowHandle owner_window(WindowHandle window);
uint32_t window_style(WindowHandle window);
// The process id of the window's owner (0 for no window).
uint32_t window_process_id(WindowHandle window);

// Rectangles: window_rect in screen coordinates; client_rect at 0,0 with the
// window's size (windows have no frame on the device).
Rect window_rect(WindowHandle window);
Rect client_rect(WindowHandle window);
// x, y relative to the parent's client area for a child, screen otherwise.
// Sends msg::move and msg::size when they change; `repaint` invalidates.
bool move_window(WindowHandle window, int x, int y, int width, int height, bool repaint = true);
// Screen <-> client coordinates of a window.
Point client_to_screen(WindowHandle window, Point p);
Point screen_to_client(WindowHandle window, Point p);
// The window's children, oldest first.
std::vector<WindowHandle> child_windows(WindowHandle window);

// Replaces the window's procedure (subclassing); returns the previous one,
// which the new procedure calls for what it does not handle.
WindowProc set_window_proc(WindowHandle window, WindowProc procedure);
// The default handling: close destroys the window, paint validates it, and
// every other message returns 0.
LResult default_window_proc(WindowHandle window, uint32_t message, WParam wparam, LParam lparam);

// Painting: an invalid window receives msg::paint when its thread's queue
// holds nothing else; the paint handler (or default_window_proc) validates it.
bool invalidate_window(WindowHandle window, bool erase = false);
bool validate_window(WindowHandle window);
// Sends msg::paint at once when the window is invalid.
bool update_window(WindowHandle window);

// ---- messages ---------------------------------------------------------------

// Puts a message in the queue of the window's thread (any process); window 0
// posts to the calling thread. False when the window does not exist or its
// process cannot be reached at once (posting never waits).
bool post_message(WindowHandle window, uint32_t message, WParam wparam = 0, LParam lparam = 0);
bool post_thread_message(uint32_t message, WParam wparam = 0, LParam lparam = 0);  // the calling thread
void post_quit_message(int exit_code);

// Calls the window's procedure and returns its result. For a window of
// another thread or process the call waits for the reply, serving messages
// sent to the calling thread meanwhile. Across processes the wparam and
// lparam travel as plain values except for msg::copy_data, whose payload is
// copied; a process that dies or does not exist gives 0.
LResult send_message(WindowHandle window, uint32_t message, WParam wparam = 0, LParam lparam = 0);
// As send_message, giving up after `timeout_ms` (nullopt then).
std::optional<LResult> send_message_timeout(WindowHandle window, uint32_t message, WParam wparam, LParam lparam,
                                            uint32_t timeout_ms);

// Waits for a message for `window` (0: any window of this thread, and thread
// messages) whose number lies in [first, last] (0, 0: any). Messages sent to
// this thread are served while waiting. Returns false when the message taken
// is msg::quit (which ends the loop).
bool get_message(Message& out, WindowHandle window = 0, uint32_t first = 0, uint32_t last = 0);
// As get_message without waiting; false when nothing matches. `remove`
// false leaves the message queued.
bool peek_message(Message& out, WindowHandle window = 0, uint32_t first = 0, uint32_t last = 0,
                  bool remove = true);
// Waits until a message is queued for this thread or `timeout_ms` passed;
// true when one is there.
bool wait_message(uint32_t timeout_ms);
// Posts the character message (msg::character) for a key-down that gives a
// character: letters (lower case), digits, space, return "\r", back, escape,
// tab, the numeric pad's operators, and the phone's star (F8) and pound (F9).
bool translate_message(const Message& message);
// Calls the procedure of the message's window; 0 for thread messages.
LResult dispatch_message(const Message& message);
// The time stamp of the last message this thread took (get_message / peek).
uint32_t message_time();

// ---- timers -----------------------------------------------------------------

// Starts (or restarts) timer `id` of the window: msg::timer arrives every
// `interval_ms` (at least 1) when nothing else is queued. Returns the id, or 0.
uint64_t set_timer(WindowHandle window, uint64_t id, uint32_t interval_ms);
bool kill_timer(WindowHandle window, uint64_t id);

// ---- pointer capture, focus, activation --------------------------------------

// While a window has the capture, every pointer message of the device goes to
// it. Taking the capture from another window, and releasing it, sends
// msg::capture_changed to the window that had it (lparam: the new holder).
// The capture is also released when its window's process loses activation.
WindowHandle set_capture(WindowHandle window);
bool release_capture();
WindowHandle get_capture();

// The focus window of this thread: key and character messages go to it.
WindowHandle set_focus(WindowHandle window);
WindowHandle get_focus();

// The device has one foreground window. Making another one foreground sends
// msg::activate (activate_inactive) to this process's previously active window
// and, in the window's own process, msg::activate (activate_active) to the new
// one; a process hears about it even when another process changed it.
bool set_foreground_window(WindowHandle window);
WindowHandle get_foreground_window();
// The active top-level window of this process (0 when the foreground belongs
// to another process).
WindowHandle get_active_window();
// Makes the window active within this process and foreground on the device.
WindowHandle set_active_window(WindowHandle window);

// ---- hot keys ------------------------------------------------------------------

// Hot keys are device-wide: a key with a hot key arrives as msg::hot_key at
// the window that registered it, whichever process is in front, unless the
// foreground process asked for every key (set_all_keys). False when another
// window of the device registered the same key and modifiers.
bool register_hot_key(WindowHandle window, int id, uint32_t modifiers, uint32_t virtual_key);
bool unregister_hot_key(WindowHandle window, int id);
// The all-keys mode of this process: while its window is in front, every key
// arrives as key messages, hot keys included.
void set_all_keys(bool on);
bool all_keys();

// ---- enumeration ------------------------------------------------------------------

struct TopLevelWindow {
  WindowHandle window = 0;
  std::u16string class_name;
  std::u16string title;
  WindowHandle owner = 0;
  bool visible = false;
  uint32_t process_id = 0;
  Rect rect;
};

// Every top-level window of every live process of the device, the foreground
// window first, then the others of its process, then the other processes in
// the order they started (newest first). Windows of crashed processes are
// never listed (their registrations are removed on the way).
std::vector<TopLevelWindow> top_level_windows();
// Calls `visit` for each until it returns false.
void enum_windows(const std::function<bool(const TopLevelWindow&)>& visit);
// The first top-level window with the class (and title when given), or 0.
WindowHandle find_window(std::u16string_view class_name, std::optional<std::u16string_view> title = std::nullopt);

// ---- message box -------------------------------------------------------------------

constexpr uint32_t mb_ok = 0x0000;
constexpr uint32_t mb_ok_cancel = 0x0001;
constexpr uint32_t mb_yes_no = 0x0004;
constexpr int id_ok = 1;
constexpr int id_cancel = 2;
constexpr int id_yes = 6;
constexpr int id_no = 7;

// The device has no one to press a button: the box is printed to standard
// output as "[caption] text" and appended to ROOT/system/messages.log as one
// UTF-8 line "caption<TAB>text" (line breaks in the text written as "\n",
// backslashes as "\\"). Returns the first button: id_ok or id_yes.
int message_box(WindowHandle owner, std::u16string_view text, std::u16string_view caption, uint32_t flags = mb_ok);

}  // namespace platform
