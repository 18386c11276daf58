// The scheduler's hidden window: a top-level pop-up of class (and title)
// "CActive" + the program's window class name. The ready message runs the
// ready objects, window timer 1 checks the timers.
#pragma once

#include <memory>
#include <string>

#include "app/active.h"

namespace lv {

std::unique_ptr<SchedulerWindow> make_scheduler_window(const std::u16string& class_name);

}  // namespace lv
