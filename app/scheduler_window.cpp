#include "app/scheduler_window.h"

#include "platform/clock.h"
#include "platform/window.h"

namespace lv {
namespace {

platform::LResult scheduler_proc(platform::WindowHandle window, uint32_t message, platform::WParam wparam,
                                 platform::LParam lparam) {
  CActiveScheduler* scheduler = CActiveScheduler::instance();
  if (scheduler && message == CActiveScheduler::kReadyMessage) {
    scheduler->process_actives();
    return 0;
  }
  if (scheduler && message == platform::msg::timer && wparam == CActiveScheduler::kTimerId) {
    scheduler->check_timers();
    return 0;
  }
  return platform::default_window_proc(window, message, wparam, lparam);
}

class HiddenSchedulerWindow final : public SchedulerWindow {
 public:
  explicit HiddenSchedulerWindow(const std::u16string& class_name) : class_name_(u"CActive" + class_name) {
    platform::register_class({class_name_, scheduler_proc, 0});
    platform::CreateParams params;
    params.class_name = class_name_;
    params.title = class_name_;
    params.style = platform::style_popup;  // hidden
    window_ = platform::create_window(params);
  }
  ~HiddenSchedulerWindow() override {
    if (window_) platform::destroy_window(window_);
    platform::unregister_class(class_name_);
  }
  void post_ready() override { platform::post_message(window_, CActiveScheduler::kReadyMessage); }
  void start_timer(uint32_t milliseconds) override { platform::set_timer(window_, CActiveScheduler::kTimerId, milliseconds); }
  void stop_timer() override { platform::kill_timer(window_, CActiveScheduler::kTimerId); }
  void wait_ready() override {
    platform::Message message;
    platform::get_message(message, window_, CActiveScheduler::kReadyMessage, CActiveScheduler::kReadyMessage);
  }
  uint32_t now() override { return platform::tick_count(); }

 private:
  std::u16string class_name_;
  platform::WindowHandle window_ = 0;
};

}  // namespace

std::unique_ptr<SchedulerWindow> make_scheduler_window(const std::u16string& class_name) {
  return std::make_unique<HiddenSchedulerWindow>(class_name);
}

}  // namespace lv
