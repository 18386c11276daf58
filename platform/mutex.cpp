#include "platform/mutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "platform/diag.h"
#include "platform/unicode.h"
#include "platform/window_ipc.h"

namespace platform {

struct NamedMutex::State {
  int lock_fd = -1;  // held exclusively by the owner
  int user_fd = -1;  // held shared by every open handle: tells whether the mutex exists
  std::thread::id owner;
  int count = 0;
  ~State() {
    if (lock_fd >= 0) ::close(lock_fd);
    if (user_fd >= 0) ::close(user_fd);
  }
};

namespace {

std::string file_stem(std::u16string_view name) {
  // Names may hold any character: the file is named after a hash of the
  // lower-case name, with a readable prefix.
  const std::string lower = to_utf8(to_lower(name));
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : lower) {
    h ^= c;
    h *= 1099511628211ull;
  }
  std::string prefix;
  for (char c : lower) {
    if (prefix.size() >= 40) break;
    const bool plain = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    prefix += plain ? c : '_';
  }
  char hash[17];
  std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(h));
  return prefix + "-" + hash;
}

bool lock_retrying(int fd, int operation) {
  while (::flock(fd, operation) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

}  // namespace

NamedMutex::NamedMutex(std::unique_ptr<State> state) : state_(std::move(state)) {}

NamedMutex::~NamedMutex() {
  if (state_->count > 0) ::flock(state_->lock_fd, LOCK_UN);
}

std::unique_ptr<NamedMutex> NamedMutex::open(std::u16string_view name, bool* already_existed) {
  const std::string dir = detail::run_dir();
  if (dir.empty()) return nullptr;
  const std::filesystem::path folder = std::filesystem::path(dir) / "mutex";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const std::string stem = (folder / file_stem(name)).string();
  auto state = std::make_unique<State>();
  state->lock_fd = ::open((stem + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  state->user_fd = ::open((stem + ".users").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (state->lock_fd < 0 || state->user_fd < 0) {
    diag("mutex", "cannot open " + stem);
    return nullptr;
  }
  // Nobody else has it open when the users file can be locked exclusively.
  const bool alone = ::flock(state->user_fd, LOCK_EX | LOCK_NB) == 0;
  lock_retrying(state->user_fd, LOCK_SH);
  if (already_existed) *already_existed = !alone;
  return std::unique_ptr<NamedMutex>(new NamedMutex(std::move(state)));
}

bool NamedMutex::wait(uint32_t timeout_ms) {
  State& s = *state_;
  if (s.count > 0 && s.owner == std::this_thread::get_id()) {
    ++s.count;
    return true;
  }
  if (timeout_ms == wait_infinite) {
    if (!lock_retrying(s.lock_fd, LOCK_EX)) return false;
  } else {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (::flock(s.lock_fd, LOCK_EX | LOCK_NB) != 0) {
      if (errno != EWOULDBLOCK && errno != EINTR) return false;
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
  }
  s.owner = std::this_thread::get_id();
  s.count = 1;
  return true;
}

bool NamedMutex::release() {
  State& s = *state_;
  if (s.count == 0 || s.owner != std::this_thread::get_id()) return false;
  if (--s.count == 0) {
    s.owner = {};
    ::flock(s.lock_fd, LOCK_UN);
  }
  return true;
}

}  // namespace platform
