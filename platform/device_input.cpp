#include "platform/device_input.h"

#include <algorithm>

#include "platform/window.h"
#include "platform/window_ipc.h"
#include "platform/window_state.h"

namespace platform {
using namespace detail;
namespace {

constexpr int kAckTimeoutMs = 2000;

bool fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

const ProcessRecord* find(const std::vector<ProcessRecord>& processes, uint32_t pid) {
  for (const auto& p : processes) {
    if (p.pid == pid) return &p;
  }
  return nullptr;
}

bool deliver(uint32_t pid, const Request& request, std::string* error) {
  const auto reply = call(pid, request, kAckTimeoutMs);
  if (!reply) return fail(error, "process " + std::to_string(pid) + " does not answer");
  if (!reply->ok) return fail(error, "process " + std::to_string(pid) + " has no window to take the input");
  return true;
}

}  // namespace

bool inject_pointer(PointerAction action, int x, int y, std::string* error) {
  if (run_dir().empty()) return fail(error, "no device");
  const WindowHandle front = device_foreground(run_dir());
  if (!front) return fail(error, "no program window is in front on the device (is the program running?)");
  Request r;
  r.kind = RequestKind::pointer;
  r.action = action == PointerAction::down ? 0 : action == PointerAction::move ? 1 : 2;
  r.x = x;
  r.y = y;
  return deliver(process_of(front), r, error);
}

bool inject_key(uint32_t virtual_key, bool down, std::string* error) {
  const std::string dir = run_dir();
  if (dir.empty()) return fail(error, "no device");
  const auto processes = live_processes(dir);
  const WindowHandle front = device_foreground(read_foreground_list(dir), processes);
  const ProcessRecord* front_process = front ? find(processes, process_of(front)) : nullptr;
  Request r;
  r.kind = RequestKind::key;
  r.wparam = virtual_key & 0xFF;
  r.action = down ? 1 : 0;
  if (!front_process || !front_process->all_keys) {
    // A hot key takes the key wherever its window is.
    for (const auto& p : processes) {
      for (const auto& h : p.hot_keys) {
        if (h.virtual_key != (virtual_key & 0xFF) || (h.modifiers & ~mod_key_up) != 0) continue;
        r.window = h.window;
        r.extra = static_cast<uint32_t>(h.id);
        r.message = h.modifiers;
        return deliver(p.pid, r, error);
      }
    }
  }
  if (!front_process) return fail(error, "no program window is in front on the device (is the program running?)");
  return deliver(front_process->pid, r, error);
}

bool capture_screen(ScreenPicture& out, std::string* error) {
  const std::string dir = run_dir();
  if (dir.empty()) return fail(error, "no device");
  const auto processes = live_processes(dir);
  const WindowHandle front = device_foreground(read_foreground_list(dir), processes);
  const ProcessRecord* target = front ? find(processes, process_of(front)) : nullptr;
  if (!target || !target->screen) {
    target = nullptr;
    for (const auto& p : processes) {  // newest first
      if (p.screen) {
        target = &p;
        break;
      }
    }
  }
  if (!target) return fail(error, "no running program on the device has a screen");
  Request r;
  r.kind = RequestKind::screenshot;
  // This process's own screen is read directly: its thread may be the one that would serve it.
  const auto reply = target->pid == this_process() ? std::optional<Reply>(screenshot_reply()) : call(target->pid, r, 10000);
  if (!reply) return fail(error, "process " + std::to_string(target->pid) + " does not answer");
  const size_t expected = static_cast<size_t>(std::max(reply->width, 0)) * std::max(reply->height, 0) * 2;
  if (!reply->ok || reply->width <= 0 || reply->height <= 0 || reply->width > 8192 || reply->height > 8192 ||
      reply->data.size() != expected)
    return fail(error, "process " + std::to_string(target->pid) + " sent no screen");
  out.width = reply->width;
  out.height = reply->height;
  out.pixels.resize(expected / 2);
  std::copy(reply->data.begin(), reply->data.end(), reinterpret_cast<uint8_t*>(out.pixels.data()));
  return true;
}

std::vector<DeviceProcess> device_processes() {
  std::vector<DeviceProcess> out;
  for (const auto& p : live_processes()) out.push_back({p.pid, p.module, p.screen});
  return out;
}

}  // namespace platform
