// Named mutexes shared by every process of the device. A mutex is a lock file
// below ROOT/system/run/mutex; the host releases it when its holder dies, so
// the next waiter gets it (the phone's "abandoned" mutex).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

namespace platform {

constexpr uint32_t wait_infinite = 0xFFFFFFFF;

class NamedMutex {
 public:
  // Creates or opens the mutex `name` (compared without regard to case) of
  // the current device. `already_existed` tells whether another handle
  // (of any process) had it open. Null when the device has no run folder.
  static std::unique_ptr<NamedMutex> open(std::u16string_view name, bool* already_existed = nullptr);
  ~NamedMutex();
  NamedMutex(const NamedMutex&) = delete;
  NamedMutex& operator=(const NamedMutex&) = delete;

  // Takes ownership; the owning thread may wait again (it must release as
  // often). False when `timeout_ms` passed first (0: just try).
  bool wait(uint32_t timeout_ms = wait_infinite);
  // False when the calling thread does not own it.
  bool release();

 private:
  struct State;
  explicit NamedMutex(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace platform
