#include "app/active.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "app/fatal.h"

namespace lv {
namespace {

std::atomic<uint32_t> next_active_id{1};

std::u16string number(int64_t value) {
  const std::string text = std::to_string(value);
  return std::u16string(text.begin(), text.end());
}

CActiveScheduler& current_scheduler(std::u16string_view place) {
  CActiveScheduler* scheduler = CActiveScheduler::instance();
  if (!scheduler) fatal_report(place, u"no active scheduler");
  return *scheduler;
}

// Ticks wrap after 49.7 days: compare them by signed difference.
int64_t ticks_until(uint32_t due, uint32_t now) { return static_cast<int32_t>(due - now); }

}  // namespace

CActive::CActive() : id_(next_active_id.fetch_add(1)) {}

CActive::~CActive() {
  if (is_active())
    fatal_report(u"CActive::~CActive()", u"Active object " + number(id_) + u" is already active");
}

void CActive::Cancel() {
  if (is_active()) current_scheduler(u"CActive::Cancel()").Cancel(*this);
}

CActiveScheduler::CActiveScheduler(std::unique_ptr<SchedulerWindow> window) : window_(std::move(window)) {}

CActiveScheduler::~CActiveScheduler() {
  const int count = active_counter_.load();
  if (count != 0)
    fatal_report(u"", u"Some active objects still live while scheduler is terminating active_counter=" +
                          number(count));
  window_->stop_timer();
}

void CActiveScheduler::set_active(CActive& object) {
  if (object.is_active())
    fatal_report(u"CActiveScheduler::set_active()", u"Object " + number(object.id()) + u" is already active");
  object.active_.store(true, std::memory_order_release);
  ++active_counter_;
}

void CActiveScheduler::notify(CActive& object) {
  if (!object.is_active())
    fatal_report(u"CActiveScheduler::notify()", u"Active object " + number(object.id()) + u" is not active");
  {
    const std::lock_guard guard(lock_);
    ready_.push_back(&object);
  }
  window_->post_ready();  // on every notify: there may be more messages than entries
}

void CActiveScheduler::process_actives() {
  for (;;) {
    CActive* object = nullptr;
    {
      const std::lock_guard guard(lock_);
      if (ready_.empty()) return;
      object = ready_.front();
      ready_.pop_front();
    }
    if (!object->is_active())
      fatal_report(u"CActiveScheduler::process_actives()",
                   u"Active object " + number(object->id()) + u" is not marked active");
    object->active_.store(false, std::memory_order_release);
    --active_counter_;
    object->RunL();
  }
}

bool CActiveScheduler::take_from_ready_queue(CActive& object) {
  const std::lock_guard guard(lock_);
  const auto it = std::find(ready_.begin(), ready_.end(), &object);
  if (it == ready_.end()) return false;
  ready_.erase(it);
  object.active_.store(false, std::memory_order_release);
  --active_counter_;
  return true;
}

void CActiveScheduler::Cancel(CActive& object) {
  if (!object.is_active()) return;
  object.DoCancel();
  bool took_ready_message = false;
  while (!take_from_ready_queue(object)) {
    window_->wait_ready();
    took_ready_message = true;
  }
  // The ready messages taken while waiting belonged to the other ready
  // objects too: make sure they still run.
  if (took_ready_message) window_->post_ready();
}

void CActiveScheduler::add_timer(TimerActive& timer) { timers_.push_back(&timer); }

void CActiveScheduler::check_timers() {
  window_->stop_timer();
  const uint32_t now = window_->now();
  int64_t nearest = kNoTimerDelay;
  // Notified timers leave the list before notify, in start order.
  std::vector<TimerActive*> due;
  std::erase_if(timers_, [&](TimerActive* timer) {
    const int64_t delay = ticks_until(timer->due_, now);
    if (delay < 1) {
      due.push_back(timer);
      return true;
    }
    nearest = std::min(nearest, delay);
    return false;
  });
  for (TimerActive* timer : due) notify(*timer);
  if (nearest < kNoTimerDelay) window_->start_timer(static_cast<uint32_t>(nearest));
}

uint32_t timer_milliseconds(double seconds) {
  // The largest delay the signed tick difference still sees as ahead.
  constexpr double kMax = static_cast<double>(std::numeric_limits<int32_t>::max());
  const double ms = seconds * 1000.0 + 0.5;
  if (!(ms >= 0.0)) return 0;  // negative or NaN
  if (ms >= kMax) return static_cast<uint32_t>(kMax);
  return static_cast<uint32_t>(ms);
}

void TimerActive::RunL() { owner_.listener_.on_timer(owner_); }

void TimerActive::DoCancel() {
  // Make it due now: check_timers notifies it at once and Cancel then finds
  // it in the ready queue, so on_timer is never called.
  CActiveScheduler& scheduler = current_scheduler(u"Timer::cancel");
  due_ = scheduler.now();
  scheduler.check_timers();
}

Timer::Timer(TimerListener& listener) : listener_(listener), timer_(std::make_unique<TimerActive>(*this)) {}

Timer::~Timer() {
  cancel();
  timer_.reset();
}

void Timer::start(double seconds) {
  CActiveScheduler& scheduler = current_scheduler(u"Timer::start");
  cancel();
  timer_->due_ = scheduler.now() + timer_milliseconds(seconds);
  scheduler.set_active(*timer_);
  scheduler.add_timer(*timer_);
  scheduler.check_timers();
}

void Timer::cancel() { timer_->Cancel(); }

bool Timer::is_running() const { return timer_->is_active(); }

}  // namespace lv
