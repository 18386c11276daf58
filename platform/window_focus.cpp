// Pointer capture, focus, the device's foreground window and activation,
// hot keys, and where injected input lands within this process.
#include <algorithm>

#include "platform/clock.h"
#include "platform/shell_ui.h"
#include "platform/window.h"
#include "platform/window_state.h"

namespace platform {
namespace detail {
namespace {

WindowHandle top_level_of_locked(WindowHandle window) {
  WindowRecord* r = find_local(window);
  while (r && r->parent) r = find_local(r->parent);
  return r ? r->handle : 0;
}

bool is_within_locked(WindowHandle window, WindowHandle ancestor) {
  for (WindowRecord* r = find_local(window); r; r = r->parent ? find_local(r->parent) : nullptr) {
    if (r->handle == ancestor) return true;
  }
  return false;
}

// The deepest visible window of this process under a screen point.
WindowHandle window_at(Point p) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  std::vector<const WindowRecord*> tops;
  for (const auto& [h, r] : s.windows) {
    if (r->parent == 0 && r->visible && !r->destroying) tops.push_back(r.get());
  }
  std::sort(tops.begin(), tops.end(), [&](auto* a, auto* b) {
    if ((a->handle == s.active) != (b->handle == s.active)) return a->handle == s.active;
    return a->serial > b->serial;
  });
  for (const WindowRecord* top : tops) {
    if (!top->rect.contains(p)) continue;
    const WindowRecord* at = top;
    Point local{p.x - top->rect.left, p.y - top->rect.top};
    for (bool deeper = true; deeper;) {
      deeper = false;
      for (auto it = at->children.rbegin(); it != at->children.rend(); ++it) {
        const WindowRecord* c = find_local(*it);
        if (c && c->visible && !c->destroying && c->rect.contains(local)) {
          local = {local.x - c->rect.left, local.y - c->rect.top};
          at = c;
          deeper = true;
          break;
        }
      }
    }
    return at->handle;
  }
  return 0;
}

// Drops entries of windows that are gone, keeping the order.
void prune(std::vector<WindowHandle>& entries, const std::vector<ProcessRecord>& processes) {
  std::erase_if(entries, [&](WindowHandle h) {
    for (const auto& p : processes) {
      if (p.pid != process_of(h)) continue;
      return std::none_of(p.windows.begin(), p.windows.end(), [h](const TopLevelWindow& w) { return w.window == h; });
    }
    return true;
  });
  if (entries.size() > 256) entries.resize(256);
}

}  // namespace

void notify_foreground_changed(uint32_t pid) {
  if (pid == 0 || pid == this_process()) return;
  Request r;
  r.kind = RequestKind::foreground_changed;
  call(pid, r, 500);
}

void forget_foreground(WindowHandle window) {
  WindowHandle after = 0;
  {
    ForegroundList list;
    auto& entries = list.entries();
    std::erase(entries, window);
    const auto processes = live_processes();
    prune(entries, processes);
    list.save();
    after = device_foreground(entries, processes);
  }
  notify_foreground_changed(process_of(after));
  refresh_activation();
}

void refresh_activation() {
  State& s = state();
  {
    std::lock_guard lock(s.mutex);
    if (s.refreshing) {
      s.refresh_again = true;
      return;
    }
    s.refreshing = true;
  }
  for (;;) {
    {
      std::lock_guard lock(s.mutex);
      s.refresh_again = false;
    }
    const WindowHandle top = device_foreground(run_dir());
    s.known_foreground.store(top);
    WindowHandle old = 0, now_active = 0, capture = 0;
    {
      std::lock_guard lock(s.mutex);
      const WindowRecord* r = top && process_of(top) == this_process() ? find_local(top) : nullptr;
      now_active = r && !r->destroying ? top : 0;
      old = s.active;
      s.active = now_active;
      capture = s.capture;
    }
    if (old != now_active) {
      if (old) {
        if (capture) release_capture();  // a press in progress ends cancelled
        send_message(old, msg::activate, activate_inactive, static_cast<LParam>(top));
      }
      if (now_active) {
        send_message(now_active, msg::activate, activate_active, static_cast<LParam>(old));
        bool focus_inside = false;
        {
          std::lock_guard lock(s.mutex);
          const WindowRecord* r = find_local(now_active);
          focus_inside = r && r->queue->focus && is_within_locked(r->queue->focus, now_active);
        }
        if (!focus_inside) set_focus(now_active);
      }
    }
    std::lock_guard lock(s.mutex);
    if (!s.refresh_again) {
      s.refreshing = false;
      return;
    }
  }
}

void route_pointer(int action, int x, int y) {
  State& s = state();
  const Point screen{x, y};
  WindowHandle target = 0;
  {
    std::lock_guard lock(s.mutex);
    if (s.capture && find_local(s.capture)) target = s.capture;
  }
  if (!target) target = window_at(screen);
  if (!target) return;
  uint32_t message = msg::pointer_move;
  WParam buttons = 0;
  if (action == 0) {
    WindowHandle top = 0, active = 0;
    {
      std::lock_guard lock(s.mutex);
      top = top_level_of_locked(target);
      active = s.active;
      s.pointer_down = true;
    }
    if (top && top != active) set_foreground_window(top);  // a tap brings its window to the front
    message = msg::pointer_down;
    buttons = 1;
  } else if (action == 2) {
    std::lock_guard lock(s.mutex);
    s.pointer_down = false;
    message = msg::pointer_up;
  } else {
    std::lock_guard lock(s.mutex);
    buttons = s.pointer_down ? 1 : 0;
  }
  const Point client = screen_to_client(target, screen);
  post_local(Message{target, message, buttons, pointer_lparam(client.x, client.y), tick_count(), screen});
}

void route_key(uint32_t virtual_key, bool down, WindowHandle hot_key_window, int hot_key_id, uint32_t modifiers) {
  State& s = state();
  virtual_key &= 0xFF;
  bool was_down = false;
  WindowHandle target = 0;
  WindowHandle active_window = 0;
  {
    std::lock_guard lock(s.mutex);
    was_down = s.key_down[virtual_key];
    s.key_down[virtual_key] = down;
    if (!hot_key_window && s.active) {
      const WindowRecord* active = find_local(s.active);
      const WindowHandle focus = active ? active->queue->focus : 0;
      target = focus && is_within_locked(focus, s.active) ? focus : s.active;
      active_window = s.active;
    }
  }
  // A soft-key bar keeps the soft keys unless its owner overrode them.
  if (const WindowHandle bar = soft_key_taker(active_window, virtual_key)) target = bar;
  const uint32_t now = tick_count();
  if (hot_key_window) {
    if (!down && !(modifiers & mod_key_up)) return;
    const LParam data = (LParam{virtual_key} << 16) | (modifiers & ~mod_key_up) | (down ? 0 : mod_key_up);
    post_local(Message{hot_key_window, msg::hot_key, static_cast<WParam>(hot_key_id), data, now, {}});
    return;
  }
  if (!target) return;
  LParam data = 1;
  if (was_down) data |= key_data_previous_down;
  if (!down) data |= key_data_released | key_data_previous_down;
  post_local(Message{target, down ? msg::key_down : msg::key_up, virtual_key, data, now, {}});
}

}  // namespace detail

using namespace detail;

// ---- capture ----------------------------------------------------------------------

WindowHandle set_capture(WindowHandle window) {
  State& s = state();
  WindowHandle previous = 0;
  {
    std::lock_guard lock(s.mutex);
    if (!find_local(window)) return 0;
    previous = s.capture;
    s.capture = window;
  }
  if (previous && previous != window) send_message(previous, msg::capture_changed, 0, static_cast<LParam>(window));
  return previous;
}

bool release_capture() {
  State& s = state();
  WindowHandle previous = 0;
  {
    std::lock_guard lock(s.mutex);
    previous = s.capture;
    s.capture = 0;
  }
  if (previous) send_message(previous, msg::capture_changed, 0, 0);
  return true;
}

WindowHandle get_capture() {
  std::lock_guard lock(state().mutex);
  return state().capture;
}

// ---- focus ------------------------------------------------------------------------------

WindowHandle set_focus(WindowHandle window) {
  const auto q = my_queue();
  {
    std::lock_guard lock(state().mutex);
    const WindowRecord* r = find_local(window);
    if (window && (!r || r->queue != q)) return 0;
  }
  const WindowHandle previous = q->focus;
  if (previous == window) return previous;
  q->focus = window;
  if (previous && is_window(previous)) send_message(previous, msg::kill_focus, window, 0);
  if (window) send_message(window, msg::set_focus, previous, 0);
  focus_moved(window);
  return previous;
}

WindowHandle get_focus() { return my_queue()->focus; }

// ---- activation -------------------------------------------------------------------------

bool set_foreground_window(WindowHandle window) {
  if (!is_window(window)) return false;
  if (process_of(window) == this_process()) {
    std::lock_guard lock(state().mutex);
    const WindowRecord* r = find_local(window);
    if (!r || r->parent) return false;  // only top-level windows come to the front
  }
  WindowHandle before = 0;
  {
    ForegroundList list;
    auto& entries = list.entries();
    const auto processes = live_processes();
    before = device_foreground(entries, processes);
    std::erase(entries, window);
    entries.insert(entries.begin(), window);
    prune(entries, processes);
    list.save();
  }
  if (before != window) {
    if (before && process_of(before) != process_of(window)) notify_foreground_changed(process_of(before));
    notify_foreground_changed(process_of(window));
  }
  refresh_activation();
  return true;
}

WindowHandle get_foreground_window() { return device_foreground(run_dir()); }

WindowHandle get_active_window() {
  std::lock_guard lock(state().mutex);
  return state().active;
}

WindowHandle set_active_window(WindowHandle window) {
  const WindowHandle previous = get_active_window();
  set_foreground_window(window);
  return previous;
}

// ---- hot keys ------------------------------------------------------------------------------

bool register_hot_key(WindowHandle window, int id, uint32_t modifiers, uint32_t virtual_key) {
  register_process();
  State& s = state();
  const auto same_key = [&](const HotKeyRecord& h) {
    return h.virtual_key == virtual_key && (h.modifiers & ~mod_key_up) == (modifiers & ~mod_key_up);
  };
  for (const auto& p : live_processes()) {
    if (p.pid == this_process()) continue;
    if (std::any_of(p.hot_keys.begin(), p.hot_keys.end(), same_key)) return false;
  }
  {
    std::lock_guard lock(s.mutex);
    if (!find_local(window)) return false;
    for (const auto& h : s.hot_keys) {
      if (same_key(h) && !(h.window == window && h.id == id)) return false;
    }
    std::erase_if(s.hot_keys, [&](const HotKeyRecord& h) { return h.window == window && h.id == id; });
    s.hot_keys.push_back({window, id, modifiers, virtual_key & 0xFF});
  }
  republish();
  return true;
}

bool unregister_hot_key(WindowHandle window, int id) {
  bool removed = false;
  {
    std::lock_guard lock(state().mutex);
    removed = std::erase_if(state().hot_keys, [&](const HotKeyRecord& h) { return h.window == window && h.id == id; }) > 0;
  }
  if (removed) republish();
  return removed;
}

void set_all_keys(bool on) {
  {
    std::lock_guard lock(state().mutex);
    if (state().all_keys == on) return;
    state().all_keys = on;
  }
  republish();
}

bool all_keys() {
  std::lock_guard lock(state().mutex);
  return state().all_keys;
}

}  // namespace platform
