// Windows and window classes of this process; what other processes learn of
// them is published through the registration record.
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>

#include "platform/diag.h"
#include "platform/unicode.h"
#include "platform/window.h"
#include "platform/window_state.h"

namespace platform {
namespace detail {

ThreadQueue::ThreadQueue() : event_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
ThreadQueue::~ThreadQueue() {
  if (event_fd >= 0) ::close(event_fd);
}
void ThreadQueue::wake() {
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t w = ::write(event_fd, &one, sizeof one);
}
void ThreadQueue::drain() {
  uint64_t count = 0;
  [[maybe_unused]] const ssize_t r = ::read(event_fd, &count, sizeof count);
}

namespace {

LResult edit_procedure(WindowHandle window, uint32_t message, WParam wparam, LParam lparam);

void add_builtin_classes(State& s) {
  s.classes[u"edit"] = WindowClass{u"Edit", edit_procedure, 0};
  s.classes[u"static"] = WindowClass{u"Static", default_window_proc, 0};
}

// Characters typed into an "Edit" become its text; the parent hears of it.
LResult edit_procedure(WindowHandle window, uint32_t message, WParam wparam, LParam lparam) {
  if (message != msg::character) return default_window_proc(window, message, wparam, lparam);
  std::u16string text = window_text(window);
  const auto c = static_cast<char16_t>(wparam);
  if (c == 8) {
    if (text.empty()) return 0;
    text.pop_back();
  } else if (c == u'\r') {
    if (!(window_style(window) & style_edit_multiline)) return 0;  // single line: return does nothing
    text += u"\r\n";
  } else if (c >= 0x20) {
    text += c;
  } else {
    return 0;
  }
  set_window_text(window, text);
  int id = 0;
  WindowHandle parent = 0;
  {
    std::lock_guard lock(state().mutex);
    if (WindowRecord* r = find_local(window)) {
      id = r->control_id;
      parent = r->parent;
    }
  }
  if (parent) {
    send_message(parent, msg::command, (WParam{edit_changed} << 16) | static_cast<uint16_t>(id),
                 static_cast<LParam>(window));
  }
  return 0;
}

// The window's position on the screen: its parents' offsets added up.
Point screen_origin_locked(WindowHandle window) {
  Point p;
  for (WindowRecord* r = find_local(window); r; r = r->parent ? find_local(r->parent) : nullptr) {
    p.x += r->rect.left;
    p.y += r->rect.top;
  }
  return p;
}

void collect_subtree(WindowHandle window, std::vector<WindowHandle>& out) {
  // Children before their parent.
  std::vector<WindowHandle> children;
  {
    std::lock_guard lock(state().mutex);
    if (WindowRecord* r = find_local(window)) children = r->children;
  }
  for (WindowHandle c : children) collect_subtree(c, out);
  out.push_back(window);
}

std::optional<TopLevelWindow> remote_window(WindowHandle window) {
  const auto process = live_process(process_of(window));
  if (!process) return std::nullopt;
  for (const auto& w : process->windows) {
    if (w.window == window) return w;
  }
  return std::nullopt;
}

bool is_top_level_locked(const WindowRecord& r) { return r.parent == 0; }

}  // namespace

State& state() {
  static State* s = [] {
    auto* created = new State;  // outlives every thread that may still use it at exit
    add_builtin_classes(*created);
    return created;
  }();
  return *s;
}

std::shared_ptr<ThreadQueue> my_queue() {
  thread_local std::shared_ptr<ThreadQueue> queue = std::make_shared<ThreadQueue>();
  return queue;
}

WindowRecord* find_local(WindowHandle window) {
  auto& windows = state().windows;
  const auto it = windows.find(window);
  return it == windows.end() ? nullptr : it->second.get();
}

void republish() {
  ProcessRecord record;
  {
    State& s = state();
    std::lock_guard lock(s.mutex);
    std::vector<const WindowRecord*> tops;
    for (const auto& [handle, r] : s.windows) {
      if (is_top_level_locked(*r) && !r->destroying) tops.push_back(r.get());
    }
    std::sort(tops.begin(), tops.end(), [](auto* a, auto* b) { return a->serial > b->serial; });
    for (const WindowRecord* r : tops) {
      TopLevelWindow w;
      w.window = r->handle;
      w.class_name = r->class_name;
      w.title = r->title;
      w.owner = r->owner;
      w.visible = r->visible;
      w.process_id = this_process();
      w.rect = r->rect;
      record.windows.push_back(std::move(w));
    }
    record.hot_keys = s.hot_keys;
    record.all_keys = s.all_keys;
    record.screen = s.screen;
  }
  publish(std::move(record));
}

LResult call_procedure(WindowHandle window, uint32_t message, WParam wparam, LParam lparam) {
  std::shared_ptr<const WindowProc> procedure;
  {
    std::lock_guard lock(state().mutex);
    if (WindowRecord* r = find_local(window)) procedure = r->procedure;
  }
  return procedure && *procedure ? (*procedure)(window, message, wparam, lparam) : 0;
}

}  // namespace detail

using namespace detail;

// ---- classes -----------------------------------------------------------------

bool register_class(const WindowClass& window_class) {
  if (window_class.name.empty() || !window_class.procedure) return false;
  State& s = state();
  std::lock_guard lock(s.mutex);
  return s.classes.emplace(to_lower(window_class.name), window_class).second;
}

bool unregister_class(std::u16string_view name) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  const std::u16string key = to_lower(name);
  for (const auto& [h, r] : s.windows) {
    if (iequals(r->class_name, name)) return false;  // still in use
  }
  return s.classes.erase(key) > 0;
}

// ---- creation and destruction ----------------------------------------------------

WindowHandle create_window(const CreateParams& params) {
  const auto queue = my_queue();
  register_process();
  State& s = state();
  WindowHandle handle = 0;
  const bool child = (params.style & style_child) != 0;
  {
    std::lock_guard lock(s.mutex);
    const auto cls = s.classes.find(to_lower(params.class_name));
    if (cls == s.classes.end()) {
      diag("window system", "no window class " + to_utf8(params.class_name));
      return 0;
    }
    WindowRecord* parent = child ? find_local(params.parent) : nullptr;
    if (child && !parent) {
      diag("window system", "a child window needs a parent of this process");
      return 0;
    }
    auto record = std::make_unique<WindowRecord>();
    record->serial = s.next_serial++;
    handle = (WindowHandle{this_process()} << 32) | (record->serial & 0xFFFFFFFFu);
    record->handle = handle;
    record->class_name = cls->second.name;
    record->title = params.title;
    record->procedure = std::make_shared<const WindowProc>(cls->second.procedure);
    record->style = params.style;
    record->control_id = params.control_id;
    record->rect = params.rect;
    record->parent = child ? params.parent : 0;
    record->owner = child ? 0 : params.owner;
    record->visible = (params.style & style_visible) != 0;
    record->queue = queue;
    if (parent) parent->children.push_back(handle);
    s.windows.emplace(handle, std::move(record));
    if (!s.main_queue) s.main_queue = queue;
  }
  if (call_procedure(handle, msg::create, 0, reinterpret_cast<LParam>(&params)) == -1) {
    destroy_window(handle);
    return 0;
  }
  call_procedure(handle, msg::size, 0,
                 (LParam{params.rect.height() & 0xFFFF} << 16) | (params.rect.width() & 0xFFFF));
  if (!child) {
    republish();
    // An owned window (a bar, a popup) stays behind its owner's activation.
    if ((params.style & style_visible) && !params.owner) set_foreground_window(handle);
  }
  return handle;
}

bool destroy_window(WindowHandle window) {
  State& s = state();
  bool top_level = false;
  std::vector<WindowHandle> owned;
  {
    std::lock_guard lock(s.mutex);
    WindowRecord* r = find_local(window);
    if (!r || r->destroying || r->queue != my_queue()) return false;
    r->destroying = true;
    top_level = r->parent == 0;
    for (const auto& [h, other] : s.windows) {
      if (other->owner == window && !other->destroying) owned.push_back(h);
    }
  }
  for (WindowHandle o : owned) destroy_window(o);
  if (top_level) {
    republish();  // others stop seeing it before it goes
    forget_foreground(window);
  }
  std::vector<WindowHandle> order;
  collect_subtree(window, order);
  // The window hears of its destruction first, then its children.
  call_procedure(window, msg::destroy, 0, 0);
  for (WindowHandle w : order) {
    if (w != window) call_procedure(w, msg::destroy, 0, 0);
  }
  bool hot_keys_changed = false;
  {
    std::lock_guard lock(s.mutex);
    for (WindowHandle w : order) {
      WindowRecord* r = find_local(w);
      if (!r) continue;
      if (r->parent) {
        if (WindowRecord* p = find_local(r->parent)) std::erase(p->children, w);
      }
      {
        std::lock_guard qlock(r->queue->mutex);
        std::erase_if(r->queue->timers, [w](const TimerEntry& t) { return t.window == w; });
        std::erase_if(r->queue->posted, [w](const Message& m) { return m.window == w; });
      }
      if (r->queue->focus == w) r->queue->focus = 0;
      if (s.capture == w) s.capture = 0;
      if (s.active == w) s.active = 0;
      const size_t before = s.hot_keys.size();
      std::erase_if(s.hot_keys, [w](const HotKeyRecord& h) { return h.window == w; });
      hot_keys_changed |= before != s.hot_keys.size();
      s.windows.erase(w);
    }
  }
  if (hot_keys_changed && !top_level) republish();
  return true;
}

// ---- properties -------------------------------------------------------------------

bool is_window(WindowHandle window) {
  if (window == 0) return false;
  if (process_of(window) != this_process()) return remote_window(window).has_value();
  std::lock_guard lock(state().mutex);
  const WindowRecord* r = find_local(window);
  return r && !r->destroying;
}

bool is_window_visible(WindowHandle window) {
  if (process_of(window) != this_process()) {
    const auto w = remote_window(window);
    return w && w->visible;
  }
  std::lock_guard lock(state().mutex);
  for (WindowRecord* r = find_local(window); r; r = r->parent ? find_local(r->parent) : nullptr) {
    if (!r->visible) return false;
    if (!r->parent) return true;
  }
  return false;
}

bool show_window(WindowHandle window, Show how) {
  bool was_visible = false, now_visible = false, top_level = false;
  {
    std::lock_guard lock(state().mutex);
    WindowRecord* r = find_local(window);
    if (!r) return false;
    was_visible = r->visible;
    r->visible = how != Show::hide;
    now_visible = r->visible;
    top_level = r->parent == 0;
    if (now_visible && !was_visible) r->invalid = true;
    r->queue->wake();
  }
  if (was_visible != now_visible) call_procedure(window, msg::show_window, now_visible ? 1 : 0, 0);
  if (top_level) {
    republish();
    if (how == Show::hide || how == Show::minimize) {
      forget_foreground(window);
    } else if (how == Show::show || how == Show::restore) {
      set_foreground_window(window);
    }
  }
  return was_visible;
}

std::u16string window_text(WindowHandle window) {
  if (process_of(window) != this_process()) {
    const auto w = remote_window(window);
    return w ? w->title : std::u16string();
  }
  std::lock_guard lock(state().mutex);
  const WindowRecord* r = find_local(window);
  return r ? r->title : std::u16string();
}

bool set_window_text(WindowHandle window, std::u16string_view text) {
  bool top_level = false;
  {
    std::lock_guard lock(state().mutex);
    WindowRecord* r = find_local(window);
    if (!r) return false;
    r->title = text;
    r->invalid = true;
    top_level = r->parent == 0;
  }
  if (top_level) republish();
  return true;
}

std::u16string window_class_name(WindowHandle window) {
  if (process_of(window) != this_process()) {
    const auto w = remote_window(window);
    return w ? w->class_name : std::u16string();
  }
  std::lock_guard lock(state().mutex);
  const WindowRecord* r = find_local(window);
  return r ? r->class_name : std::u16string();
}

WindowHandle parent_window(WindowHandle window) {
  std::lock_guard lock(state().mutex);
  const WindowRecord* r = find_local(window);
  return r ? r->parent : 0;
}

WindowHandle owner_window(WindowHandle window) {
  if (process_of(window) != this_process()) {
    const auto w = remote_window(window);
    return w ? w->owner : 0;
  }
  std::lock_guard lock(state().mutex);
  const WindowRecord* r = find_local(window);
  return r ? r->owner : 0;
}

uint32_t window_style(WindowHandle window) {
  std::lock_guard lock(state().mutex);
  const WindowRecord* r = find_local(window);
  return r ? r->style | (r->visible ? style_visible : 0) : 0;
}

uint32_t window_process_id(WindowHandle window) { return is_window(window) ? process_of(window) : 0; }

Rect window_rect(WindowHandle window) {
  if (process_of(window) != this_process()) {
    const auto w = remote_window(window);
    return w ? w->rect : Rect{};
  }
  std::lock_guard lock(state().mutex);
  const WindowRecord* r = find_local(window);
  if (!r) return {};
  const Point o = screen_origin_locked(window);
  return {o.x, o.y, o.x + r->rect.width(), o.y + r->rect.height()};
}

Rect client_rect(WindowHandle window) {
  const Rect r = window_rect(window);
  return {0, 0, r.width(), r.height()};
}

bool move_window(WindowHandle window, int x, int y, int width, int height, bool repaint) {
  bool moved = false, resized = false, top_level = false;
  {
    std::lock_guard lock(state().mutex);
    WindowRecord* r = find_local(window);
    if (!r) return false;
    const Rect next{x, y, x + std::max(width, 0), y + std::max(height, 0)};
    moved = next.left != r->rect.left || next.top != r->rect.top;
    resized = next.width() != r->rect.width() || next.height() != r->rect.height();
    r->rect = next;
    if (repaint) {
      r->invalid = true;
      r->queue->wake();
    }
    top_level = r->parent == 0;
  }
  if (moved) call_procedure(window, msg::move, 0, pointer_lparam(x, y));
  if (resized) call_procedure(window, msg::size, 0, (LParam{height & 0xFFFF} << 16) | (width & 0xFFFF));
  if (top_level && (moved || resized)) republish();
  return true;
}

Point client_to_screen(WindowHandle window, Point p) {
  std::lock_guard lock(state().mutex);
  const Point o = screen_origin_locked(window);
  return {p.x + o.x, p.y + o.y};
}

Point screen_to_client(WindowHandle window, Point p) {
  std::lock_guard lock(state().mutex);
  const Point o = screen_origin_locked(window);
  return {p.x - o.x, p.y - o.y};
}

std::vector<WindowHandle> child_windows(WindowHandle window) {
  std::lock_guard lock(state().mutex);
  const WindowRecord* r = find_local(window);
  return r ? r->children : std::vector<WindowHandle>{};
}

WindowProc set_window_proc(WindowHandle window, WindowProc procedure) {
  std::lock_guard lock(state().mutex);
  WindowRecord* r = find_local(window);
  if (!r || !procedure) return {};
  WindowProc previous = r->procedure ? *r->procedure : WindowProc{};
  r->procedure = std::make_shared<const WindowProc>(std::move(procedure));
  return previous;
}

LResult default_window_proc(WindowHandle window, uint32_t message, WParam, LParam) {
  switch (message) {
    case msg::close: destroy_window(window); return 0;
    case msg::paint: validate_window(window); return 0;
    default: return 0;
  }
}

// ---- painting ------------------------------------------------------------------------

bool invalidate_window(WindowHandle window, bool) {
  std::lock_guard lock(state().mutex);
  WindowRecord* r = find_local(window);
  if (!r) return false;
  r->invalid = true;
  r->queue->wake();
  return true;
}

bool validate_window(WindowHandle window) {
  std::lock_guard lock(state().mutex);
  WindowRecord* r = find_local(window);
  if (!r) return false;
  r->invalid = false;
  return true;
}

bool update_window(WindowHandle window) {
  bool invalid = false;
  {
    std::lock_guard lock(state().mutex);
    const WindowRecord* r = find_local(window);
    if (!r) return false;
    invalid = r->invalid && r->visible;
  }
  if (invalid) call_procedure(window, msg::paint, 0, 0);
  return true;
}

// ---- enumeration ------------------------------------------------------------------------

std::vector<TopLevelWindow> top_level_windows() {
  auto processes = live_processes();
  const WindowHandle front = device_foreground(read_foreground_list(run_dir()), processes);
  // This process's own windows as they are now, not as last published.
  std::vector<TopLevelWindow> own;
  {
    State& s = state();
    std::lock_guard lock(s.mutex);
    std::vector<const WindowRecord*> tops;
    for (const auto& [h, r] : s.windows) {
      if (r->parent == 0 && !r->destroying) tops.push_back(r.get());
    }
    std::sort(tops.begin(), tops.end(), [](auto* a, auto* b) { return a->serial > b->serial; });
    for (const WindowRecord* r : tops) {
      own.push_back({r->handle, r->class_name, r->title, r->owner, r->visible, this_process(), r->rect});
    }
  }
  auto self = std::find_if(processes.begin(), processes.end(),
                           [](const ProcessRecord& p) { return p.pid == this_process(); });
  if (self != processes.end()) {
    self->windows = std::move(own);
  } else if (!own.empty()) {
    ProcessRecord record;
    record.pid = this_process();
    record.windows = std::move(own);
    processes.push_back(std::move(record));
  }
  if (front) {
    std::stable_partition(processes.begin(), processes.end(),
                          [front](const ProcessRecord& p) { return p.pid == process_of(front); });
  }
  std::vector<TopLevelWindow> out;
  for (auto& p : processes) {
    auto it = std::find_if(p.windows.begin(), p.windows.end(), [front](auto& w) { return w.window == front; });
    if (it != p.windows.end()) std::rotate(p.windows.begin(), it, it + 1);
    for (auto& w : p.windows) out.push_back(std::move(w));
  }
  return out;
}

void enum_windows(const std::function<bool(const TopLevelWindow&)>& visit) {
  for (const auto& w : top_level_windows()) {
    if (!visit(w)) return;
  }
}

WindowHandle find_window(std::u16string_view class_name, std::optional<std::u16string_view> title) {
  for (const auto& w : top_level_windows()) {
    if (w.class_name == class_name && (!title || w.title == *title)) return w.window;
  }
  return 0;
}

}  // namespace platform
