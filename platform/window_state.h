// Inside the window system: the process's window table and the thread queues.
// Not for program code.
//
// Lock order: State::mutex before ThreadQueue::mutex. Window procedures are
// never called with a lock held.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/window.h"
#include "platform/window_ipc.h"

namespace platform::detail {

using Clock = std::chrono::steady_clock;

struct ThreadQueue;

// A send from another thread of this process, waiting for its result.
struct LocalCall {
  WindowHandle window = 0;
  uint32_t message = 0;
  WParam wparam = 0;
  LParam lparam = 0;
  LResult result = 0;
  std::atomic<bool> done{false};
  std::shared_ptr<ThreadQueue> waiter;
};

// Something that reached a thread from outside its own code: a send from
// another thread or process, or injected input, or a screenshot request.
struct Incoming {
  Request request;
  std::shared_ptr<Connection> connection;  // where the reply goes
  std::shared_ptr<LocalCall> local;
};

struct TimerEntry {
  WindowHandle window = 0;
  uint64_t id = 0;
  uint32_t interval_ms = 1;
  Clock::time_point due;
};

struct ThreadQueue {
  ThreadQueue();
  ~ThreadQueue();
  ThreadQueue(const ThreadQueue&) = delete;
  ThreadQueue& operator=(const ThreadQueue&) = delete;
  void wake();   // any thread
  void drain();  // the owning thread, before it looks at the queue

  std::mutex mutex;
  int event_fd = -1;
  std::deque<Message> posted;
  std::deque<Incoming> incoming;
  std::deque<Incoming> idle;  // served when nothing else is queued
  bool quit = false;
  int quit_code = 0;
  std::vector<TimerEntry> timers;
  // Owning thread only:
  uint32_t last_time = 0;
  WindowHandle focus = 0;
};

struct WindowRecord {
  WindowHandle handle = 0;
  std::u16string class_name;
  std::u16string title;
  std::shared_ptr<const WindowProc> procedure;
  uint32_t style = 0;
  int control_id = 0;
  Rect rect;  // relative to the parent's client area for a child, else screen
  WindowHandle parent = 0;
  WindowHandle owner = 0;
  bool visible = false;
  bool invalid = true;
  bool destroying = false;
  std::shared_ptr<ThreadQueue> queue;
  std::vector<WindowHandle> children;
  uint64_t serial = 0;  // creation order
};

struct State {
  std::mutex mutex;
  std::unordered_map<WindowHandle, std::unique_ptr<WindowRecord>> windows;
  std::map<std::u16string, WindowClass> classes;  // by lower-case name
  uint64_t next_serial = 1;
  std::shared_ptr<ThreadQueue> main_queue;  // serves input and device requests
  WindowHandle capture = 0;
  WindowHandle active = 0;
  bool all_keys = false;
  bool screen = false;
  std::vector<HotKeyRecord> hot_keys;
  std::array<bool, 256> key_down{};
  bool pointer_down = false;
  std::atomic<WindowHandle> known_foreground{0};
  bool refreshing = false;
  bool refresh_again = false;
};

State& state();
std::shared_ptr<ThreadQueue> my_queue();
// Requires state().mutex.
WindowRecord* find_local(WindowHandle window);
// Rewrites this process's published record.
void republish();
// Registers the process (needs a current device); harmless when it cannot.
void register_process();
// Calls the window's procedure on the calling thread; 0 for no window.
LResult call_procedure(WindowHandle window, uint32_t message, WParam wparam, LParam lparam);
// Queues a message for a window of this process.
bool post_local(const Message& m);
// Serves what reached the calling thread from outside.
void serve_incoming(ThreadQueue& q);
// The screen of this process has been opened.
void note_screen();
// Re-reads the device's foreground and sends this process's windows the
// activation messages that follow from it (any thread of the process).
void refresh_activation();
// Tells a process that the foreground changed (never waits long).
void notify_foreground_changed(uint32_t pid);
// Handling of injected input on the main thread.
void route_pointer(int action, int x, int y);
void route_key(uint32_t virtual_key, bool down, WindowHandle hot_key_window, int hot_key_id, uint32_t modifiers);
// The screen as a reply (main thread, when idle).
Reply screenshot_reply();
// Removes a window from the device's activation order; passes the foreground on.
void forget_foreground(WindowHandle window);

}  // namespace platform::detail
