#include "app/active.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <thread>
#include <vector>

namespace {

using namespace lv;

// Stands in for the hidden scheduler window: counts posted ready messages,
// holds the armed window timer and a clock the test moves.
class FakeWindow final : public SchedulerWindow {
 public:
  struct State {
    uint32_t now = 1000;
    int ready_messages = 0;  // posted, not yet dispatched
    std::optional<uint32_t> timer;
    std::function<void()> on_wait;  // what completes while Cancel waits
  };
  explicit FakeWindow(State& state) : s_(state) {}
  void post_ready() override { ++s_.ready_messages; }
  void start_timer(uint32_t ms) override { s_.timer = ms; }
  void stop_timer() override { s_.timer.reset(); }
  void wait_ready() override {
    if (s_.on_wait) std::exchange(s_.on_wait, nullptr)();
    ASSERT_GT(s_.ready_messages, 0) << "Cancel would block for ever";
    --s_.ready_messages;
  }
  uint32_t now() override { return s_.now; }

 private:
  State& s_;
};

class Recorder final : public TimerListener {
 public:
  void on_timer(Timer& timer) override { fired.push_back(&timer); }
  std::vector<Timer*> fired;
};

class SchedulerTest : public ::testing::Test {
 protected:
  SchedulerTest() : scheduler_(std::make_unique<FakeWindow>(state_)) {}

  // What the message loop does with the window's messages.
  void dispatch_ready() {
    while (state_.ready_messages > 0) {
      --state_.ready_messages;
      scheduler_.process_actives();
    }
  }
  void advance(uint32_t ms) {
    state_.now += ms;
    scheduler_.check_timers();  // the window timer's message
    dispatch_ready();
  }

  FakeWindow::State state_;
  CActiveScheduler scheduler_;
  Recorder recorder_;
};

TEST_F(SchedulerTest, TimerFiresOnlyAfterItsDueTimeAndArmsTheWindowTimer) {
  Timer timer(recorder_);
  timer.start(0.25);
  EXPECT_EQ(state_.timer, 250u);
  advance(249);
  EXPECT_TRUE(recorder_.fired.empty());
  EXPECT_EQ(state_.timer, 1u);
  advance(1);
  ASSERT_EQ(recorder_.fired.size(), 1u);
  EXPECT_EQ(recorder_.fired[0], &timer);
  EXPECT_FALSE(state_.timer.has_value());
  EXPECT_EQ(scheduler_.active_count(), 0);
}

TEST_F(SchedulerTest, ZeroSecondTimerFiresAtTheNextMessageNotInsideStart) {
  Timer timer(recorder_);
  timer.start(0.0);
  EXPECT_TRUE(recorder_.fired.empty());
  EXPECT_EQ(state_.ready_messages, 1);
  dispatch_ready();
  EXPECT_EQ(recorder_.fired.size(), 1u);
}

TEST_F(SchedulerTest, RestartingARunningTimerKeepsOnlyTheSecondDueTime) {
  Timer timer(recorder_);
  timer.start(0.1);
  timer.start(0.5);
  advance(100);
  EXPECT_TRUE(recorder_.fired.empty());
  advance(400);
  EXPECT_EQ(recorder_.fired.size(), 1u);
  advance(1000);
  EXPECT_EQ(recorder_.fired.size(), 1u);
}

TEST_F(SchedulerTest, TimersDueAtTheSameTickFireInStartOrder) {
  Timer a(recorder_), b(recorder_), c(recorder_);
  b.start(0.05);
  a.start(0.05);
  c.start(0.02);
  advance(20);
  advance(30);
  EXPECT_EQ(recorder_.fired, (std::vector<Timer*>{&c, &b, &a}));
}

TEST_F(SchedulerTest, CancellingANotifiedTimerBeforeItRunsDropsIt) {
  Timer a(recorder_), b(recorder_);
  a.start(0.01);
  b.start(0.01);
  state_.now += 10;
  scheduler_.check_timers();  // both notified, RunL not yet run
  a.cancel();
  dispatch_ready();
  EXPECT_EQ(recorder_.fired, (std::vector<Timer*>{&b}));
  EXPECT_EQ(scheduler_.active_count(), 0);
}

TEST_F(SchedulerTest, CancellingAWaitingTimerLeavesTheOthersRunning) {
  Timer a(recorder_), b(recorder_);
  a.start(0.03);
  b.start(0.01);
  b.cancel();
  EXPECT_FALSE(b.is_running());
  EXPECT_EQ(state_.timer, 30u);
  advance(30);
  EXPECT_EQ(recorder_.fired, (std::vector<Timer*>{&a}));
}

TEST(TimerMilliseconds, RoundsToTheNearestMillisecondAndStaysInRange) {
  struct Case {
    double seconds;
    uint32_t ms;
  };
  for (const Case& c : {Case{0.0004, 0}, Case{0.0005, 1}, Case{0.1, 100}, Case{10.0, 10000}, Case{-3.0, 0},
                        Case{std::nan(""), 0}, Case{1e300, 2147483647u}})
    EXPECT_EQ(timer_milliseconds(c.seconds), c.ms) << c.seconds;
}

TEST_F(SchedulerTest, AFarTimerArmsNoWindowTimerAndFiresAtTheNextCheckAfterItsDueTime) {
  Timer far(recorder_), near(recorder_);
  far.start(10000.0);
  EXPECT_FALSE(state_.timer.has_value());
  state_.now += 10'000'000;
  EXPECT_TRUE(recorder_.fired.empty());
  near.start(1.0);  // any start checks the timers
  dispatch_ready();
  EXPECT_EQ(recorder_.fired, (std::vector<Timer*>{&far}));
  advance(1000);
  EXPECT_EQ(recorder_.fired, (std::vector<Timer*>{&far, &near}));
}

TEST_F(SchedulerTest, DueTimesAcrossTheTickWrapStillLieAhead) {
  state_.now = 0xFFFFFF00u;
  Timer timer(recorder_);
  timer.start(1.0);
  EXPECT_EQ(state_.timer, 1000u);
  advance(999);
  EXPECT_TRUE(recorder_.fired.empty());
  advance(1);
  EXPECT_EQ(recorder_.fired.size(), 1u);
}

// A timer that restarts itself and one that notifies again from RunL land at
// the end of the queue and run within the same pass.
class Chain final : public CActive {
 public:
  explicit Chain(CActiveScheduler& s, std::vector<std::string>& log) : s_(s), log_(log) {}
  void go() {
    s_.set_active(*this);
    s_.notify(*this);
  }
  void RunL() override {
    log_.push_back("chain " + std::to_string(--rounds));
    if (rounds > 0) go();
  }
  void DoCancel() override {}
  int rounds = 3;

 private:
  CActiveScheduler& s_;
  std::vector<std::string>& log_;
};

TEST_F(SchedulerTest, ObjectsNotifiedAgainFromRunLRunInTheSamePass) {
  std::vector<std::string> log;
  Chain chain(scheduler_, log);
  chain.go();
  scheduler_.process_actives();
  EXPECT_EQ(log, (std::vector<std::string>{"chain 2", "chain 1", "chain 0"}));
}

// An operation completing on another thread.
class Worker final : public CActive {
 public:
  explicit Worker(CActiveScheduler& s) : s_(s) {}
  void start() {
    s_.set_active(*this);
    thread_ = std::thread([this] { s_.notify(*this); });
  }
  void join() { thread_.join(); }
  void RunL() override { ++runs; }
  void DoCancel() override {}
  int runs = 0;

 private:
  CActiveScheduler& s_;
  std::thread thread_;
};

TEST_F(SchedulerTest, NotifyFromAnotherThreadRunsOnTheNextPass) {
  Worker worker(scheduler_);
  worker.start();
  worker.join();
  EXPECT_EQ(worker.runs, 0);
  scheduler_.process_actives();
  EXPECT_EQ(worker.runs, 1);
}

// An operation that completes only once it is aborted.
class Pending final : public CActive {
 public:
  void RunL() override { ++runs; }
  void DoCancel() override { ++cancels; }
  int runs = 0, cancels = 0;
};

TEST_F(SchedulerTest, CancelWaitsForTheCompletionAndRepostsTheReadyMessage) {
  Pending pending;
  scheduler_.set_active(pending);
  Timer other(recorder_);
  other.start(0.0);  // another ready object, its message already posted
  state_.on_wait = [&] { scheduler_.notify(pending); };
  scheduler_.Cancel(pending);
  EXPECT_EQ(pending.cancels, 1);
  EXPECT_FALSE(pending.is_active());
  EXPECT_GE(state_.ready_messages, 1);  // the message taken while waiting is posted again
  dispatch_ready();
  EXPECT_EQ(pending.runs, 0);
  EXPECT_EQ(recorder_.fired, (std::vector<Timer*>{&other}));
  EXPECT_EQ(scheduler_.active_count(), 0);
}

using SchedulerDeathTest = SchedulerTest;

TEST_F(SchedulerDeathTest, MisuseEndsTheProcessWithTheFatalReport) {
  Worker worker(scheduler_);
  EXPECT_EXIT(scheduler_.notify(worker), ::testing::ExitedWithCode(3),
              "Gluck: Active object [0-9]+ is not active @ CActiveScheduler::notify\\(\\)");
  EXPECT_EXIT(
      {
        scheduler_.set_active(worker);
        scheduler_.set_active(worker);
      },
      ::testing::ExitedWithCode(3), "Gluck: Object [0-9]+ is already active @ CActiveScheduler::set_active\\(\\)");
  EXPECT_EXIT(
      {
        auto* doomed = new Worker(scheduler_);
        scheduler_.set_active(*doomed);
        delete doomed;
      },
      ::testing::ExitedWithCode(3), "Gluck: Active object [0-9]+ is already active @ CActive::~CActive\\(\\)");
}

TEST(SchedulerShutdownDeathTest, ActiveObjectsLeftAtShutdownAreFatal) {
  EXPECT_EXIT(
      {
        FakeWindow::State state;
        auto scheduler = std::make_unique<CActiveScheduler>(std::make_unique<FakeWindow>(state));
        Recorder recorder;
        auto* timer = new Timer(recorder);  // left running on purpose
        timer->start(5.0);
        scheduler.reset();
      },
      ::testing::ExitedWithCode(3),
      "Gluck: Some active objects still live while scheduler is terminating active_counter=1 @ \n");
}

}  // namespace
