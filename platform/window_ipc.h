// Inside the window system: how the processes of one device find and reach
// each other. Not for program code.
//
// ROOT/system/run holds, for every process with windows:
//   <pid>.<nonce>.lock  locked (flock) for the life of the process; a lock
//                       that can be taken means the process is gone
//   <pid>.<nonce>.info  what others may ask without a round trip: the socket
//                       name, the program file, the top-level windows and
//                       hot keys (rewritten by rename on every change)
// and "foreground", the device's activation order (newest first), guarded by
// "foreground.lock". Each process listens on an abstract Unix socket; one
// frame (32-bit length, then the body) carries a request or a reply.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/window.h"

namespace platform::detail {

enum class RequestKind : uint8_t {
  post = 1,       // a message for a window; acknowledged on receipt
  send = 2,       // a message for a window; answered with the procedure's result
  pointer = 3,    // injected stylus input; acknowledged on receipt
  key = 4,        // injected key; acknowledged on receipt
  screenshot = 5, // the screen's pixels, served when the target is idle
  foreground_changed = 6,  // re-read the activation order; acknowledged on receipt
  query = 7,      // is this window alive? answered by the I/O thread
};

struct Request {
  RequestKind kind = RequestKind::post;
  WindowHandle window = 0;
  uint32_t message = 0;
  uint64_t wparam = 0;
  int64_t lparam = 0;
  uint64_t tag = 0;       // copy-data tag
  int32_t x = 0;          // pointer position
  int32_t y = 0;
  uint32_t action = 0;    // pointer action, key down flag, hot-key id + 1
  uint32_t extra = 0;     // key: hot-key modifiers
  bool has_data = false;  // a copy-data payload travels
  std::vector<uint8_t> data;
};

struct Reply {
  bool ok = false;
  int64_t result = 0;
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> data;
};

constexpr size_t kMaxFrame = 16u << 20;

std::vector<uint8_t> encode(const Request& r);
std::vector<uint8_t> encode(const Reply& r);
bool decode(std::span<const uint8_t> bytes, Request& r);
bool decode(std::span<const uint8_t> bytes, Reply& r);

// Frames on a blocking socket. read_frame gives up after `timeout_ms`
// (negative: never) and refuses frames above kMaxFrame.
bool write_frame(int fd, std::span<const uint8_t> body);
bool read_frame(int fd, std::vector<uint8_t>& body, int timeout_ms);

// One accepted connection; replies may be written from any thread.
class Connection {
 public:
  explicit Connection(int fd) : fd_(fd) {}
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  void reply(const Reply& r);
  int fd() const { return fd_; }

 private:
  int fd_;
  std::mutex write_mutex_;
};

struct HotKeyRecord {
  WindowHandle window = 0;
  int id = 0;
  uint32_t modifiers = 0;
  uint32_t virtual_key = 0;
};

// What a process publishes about itself.
struct ProcessRecord {
  uint32_t pid = 0;
  std::string socket;  // abstract socket name (without the leading NUL)
  std::u16string module;
  int64_t started = 0;  // host nanoseconds, orders processes
  bool screen = false;
  bool all_keys = false;
  std::vector<TopLevelWindow> windows;  // newest first
  std::vector<HotKeyRecord> hot_keys;
};

std::string format_record(const ProcessRecord& r);
// False for a malformed record.
bool parse_record(std::string_view text, ProcessRecord& r);

// Every live process of the current device; registrations of dead processes
// are removed on the way. Ordered newest first.
std::vector<ProcessRecord> live_processes();
std::vector<ProcessRecord> live_processes(const std::string& dir);
std::optional<ProcessRecord> live_process(uint32_t pid);

// Connects to a process (blocking socket with close-on-exec); -1 on failure.
int connect_to(const ProcessRecord& process);
// One request, one reply, without serving anything meanwhile.
std::optional<Reply> call(uint32_t pid, const Request& request, int timeout_ms);

// This process's registration: lock and info files, the listening socket
// and its I/O thread. `handler` runs on the I/O thread for every request.
using RequestHandler = std::function<void(Request&&, std::shared_ptr<Connection>)>;
// Runs on the I/O thread about twice a second with the run folder, so that a
// process notices changes nobody told it about (a foreground process died).
using IdleHook = std::function<void(const std::string& dir)>;
// Registers with the current device (again when the current device changed).
// False when there is no device or the run folder is unusable.
bool ensure_registered(const RequestHandler& handler, const IdleHook& idle);
// Rewrites the info file (pid, socket and start time are filled in).
void publish(ProcessRecord record);
// Stops the I/O thread and removes the registration.
void unregister();

// The run folder of the current device, created on demand; empty without one.
std::string run_dir();

// The device's activation order, newest first, under its lock.
class ForegroundList {
 public:
  ForegroundList();  // takes the lock
  ~ForegroundList();
  ForegroundList(const ForegroundList&) = delete;
  ForegroundList& operator=(const ForegroundList&) = delete;
  std::vector<WindowHandle>& entries() { return entries_; }
  void save();

 private:
  int lock_fd_ = -1;
  std::string file_;
  std::vector<WindowHandle> entries_;
};
// Reads the order without changing it.
std::vector<WindowHandle> read_foreground_list(const std::string& dir);
// The device's foreground window: the newest entry of the order that is a
// visible top-level window of a live process (0 when there is none).
WindowHandle device_foreground(const std::vector<WindowHandle>& order, const std::vector<ProcessRecord>& processes);
WindowHandle device_foreground(const std::string& dir);

constexpr uint32_t process_of(WindowHandle window) { return static_cast<uint32_t>(window >> 32); }
uint32_t this_process();

}  // namespace platform::detail
