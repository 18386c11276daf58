// Active objects: how asynchronous completions and timers reach the
// user-interface thread. An object is marked active when an operation starts
// for it; the operation's completion (from any thread) notifies the scheduler,
// which later calls the object's RunL on the user-interface thread, one object
// at a time. The scheduler drives itself through a hidden window, so the
// ordinary message loop runs it.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "app/singleton.h"

namespace lv {

class CActiveScheduler;

class CActive {
 public:
  CActive();
  // Destroying an object that is still active is a programming error.
  virtual ~CActive();
  CActive(const CActive&) = delete;
  CActive& operator=(const CActive&) = delete;

  // Called on the user-interface thread once the completion is processed.
  virtual void RunL() = 0;
  // Aborts the outstanding operation; it must then complete promptly.
  virtual void DoCancel() = 0;

  // Cancels through the current scheduler.
  void Cancel();

  bool is_active() const { return active_.load(std::memory_order_acquire); }
  uint32_t id() const { return id_; }

 private:
  friend class CActiveScheduler;
  std::atomic<bool> active_{false};
  uint32_t id_;
};

// What the scheduler needs from its hidden window: a posted "ready" message
// (0x0405), one window timer (id 1), and a wait for the next ready message.
class SchedulerWindow {
 public:
  virtual ~SchedulerWindow() = default;
  // Posts the ready message; callable from any thread.
  virtual void post_ready() = 0;
  virtual void start_timer(uint32_t milliseconds) = 0;
  virtual void stop_timer() = 0;
  // Blocks until the next ready message of this window arrives and removes it
  // from the queue without dispatching it.
  virtual void wait_ready() = 0;
  // The tick count the timers are measured with.
  virtual uint32_t now() = 0;
};

class TimerActive;

class CActiveScheduler : public Singleton<CActiveScheduler> {
 public:
  static constexpr uint32_t kReadyMessage = 0x0405;  // WM_USER + 5
  static constexpr uint32_t kTimerId = 1;
  // No window timer is armed for delays of this many ms or more.
  static constexpr int64_t kNoTimerDelay = 10'000'000;

  explicit CActiveScheduler(std::unique_ptr<SchedulerWindow> window);
  // Every active object must be idle by now.
  ~CActiveScheduler();

  void set_active(CActive& object);
  // Callable from any thread.
  void notify(CActive& object);
  // Runs every ready object in notification order (the ready message).
  void process_actives();
  // Notifies due timers and arms the window timer for the next one.
  void check_timers();
  // Aborts an active object: its RunL is not called.
  void Cancel(CActive& object);

  int active_count() const { return active_counter_.load(); }
  uint32_t now() { return window_->now(); }
  SchedulerWindow& window() { return *window_; }

 private:
  friend class Timer;
  void add_timer(TimerActive& timer);
  bool take_from_ready_queue(CActive& object);

  std::unique_ptr<SchedulerWindow> window_;
  std::mutex lock_;
  std::atomic<int> active_counter_{0};
  std::deque<CActive*> ready_;
  std::vector<TimerActive*> timers_;  // in start order
};

class Timer;

class TimerListener {
 public:
  virtual void on_timer(Timer& timer) = 0;

 protected:
  ~TimerListener() = default;
};

// A one-shot timer on the current scheduler. A listener with several timers
// tells them apart by the Timer's identity.
class Timer {
 public:
  explicit Timer(TimerListener& listener);
  // Cancels, then frees the timer object.
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  // Restarts the timer: a running one is cancelled first. The duration is
  // rounded to the nearest millisecond.
  void start(double seconds);
  void cancel();
  bool is_running() const;

 private:
  friend class TimerActive;
  TimerListener& listener_;
  std::unique_ptr<TimerActive> timer_;
};

// A timer's active object: its completion is signalled by the scheduler once
// the due time has passed.
class TimerActive final : public CActive {
 public:
  explicit TimerActive(Timer& owner) : owner_(owner) {}
  void RunL() override;
  void DoCancel() override;

 private:
  friend class CActiveScheduler;
  friend class Timer;
  Timer& owner_;
  uint32_t due_ = 0;
};

// Milliseconds for a timer of `seconds`: rounded to the nearest millisecond,
// negative and not-a-number durations give 0, and the result stays within
// the range the wrapping tick count can tell from the past.
uint32_t timer_milliseconds(double seconds);

}  // namespace lv
