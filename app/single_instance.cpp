#include "app/single_instance.h"

#include <atomic>
#include <memory>
#include <mutex>

#include "app/log.h"
#include "platform/clock.h"
#include "platform/mutex.h"

namespace lv {
namespace {

struct InstanceIdentity {
  std::u16string command_line;
  std::u16string name;
  std::u16string class_name;
  bool found = false;
  std::unique_ptr<platform::NamedMutex> mutex;
};

InstanceIdentity& identity() {
  static InstanceIdentity instance;
  return instance;
}

std::mutex stop_lock;
std::atomic<bool> stop_flag{false};
platform::WindowHandle stop_window = 0;

// How long one wait on the mutex lasts before a stop request is looked at.
constexpr uint32_t kMutexPollMs = 100;

}  // namespace

const std::u16string& instance_class_name() { return identity().class_name; }

void release_instance_mutex() {
  InstanceIdentity& id = identity();
  if (!id.mutex) return;
  id.mutex->release();
  id.mutex.reset();
}

bool show_running_instance(std::u16string_view command_line, std::u16string_view name) {
  log() << u"Application::show_running_instance_open_bracket cmd_line=" << command_line
        << u"\n";
  InstanceIdentity& id = identity();
  id.name = name;
  id.class_name = std::u16string(kClassPrefix) + std::u16string(name);
  id.command_line = command_line;
  id.found = false;
  id.mutex = platform::NamedMutex::open(id.class_name);
  if (!id.mutex) {
    log() << u"Application::show_running_instance_open_bracket mutex==0\n";
    return false;
  }
  // The first instance gets the mutex at once and keeps it until its main
  // window exists; a second one waits here until that window can be found.
  // The wait is cut into slices so that a stop request ends a start that
  // would otherwise wait for a first instance that never gets its window.
  while (!id.mutex->wait(kMutexPollMs)) {
    if (stop_requested()) return true;
  }
  platform::enum_windows(EnumProc);
  return id.found;
}

bool EnumProc(const platform::TopLevelWindow& window) {
  InstanceIdentity& id = identity();
  const std::u16string class_name = window.class_name.substr(0, 38);
  // The enumeration lists top-level windows only; skip the owned ones.
  if (window.owner != 0) return true;
  if (class_name == id.class_name) {
    log() << u"Application::EnumProc window found hwnd=" << window.window << u" 1\n";
    id.found = true;
    const std::u16string text = id.command_line.empty() ? std::u16string(kCommandLineEmpty) : id.command_line;
    platform::CopyData data;
    data.tag = 0;
    data.size = static_cast<uint32_t>(text.size() * sizeof(char16_t));
    data.data = text.data();
    platform::send_message(window.window, platform::msg::copy_data, 0, reinterpret_cast<platform::LParam>(&data));
    log() << u"Application::EnumProc window found 2\n";
    return false;
  }
  if (class_name == u"Dialog" && window.title.substr(0, 260) == id.name) {
    log() << u"Application::EnumProc window found 2\n";
    id.found = true;
    platform::set_foreground_window(window.window);
    return false;
  }
  return true;
}

void request_stop() {
  const std::lock_guard guard(stop_lock);
  stop_flag = true;
  if (stop_window) platform::post_message(stop_window, platform::msg::close);
}

bool stop_requested() { return stop_flag.load(); }

void set_stop_window(platform::WindowHandle window) {
  const std::lock_guard guard(stop_lock);
  stop_window = window;
  if (window && stop_flag) platform::post_message(window, platform::msg::close);
}

}  // namespace lv
