// Message queues: posting, sending within and across processes, getting
// with filters, timers, and serving what other processes ask of this one.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/clock.h"
#include "platform/diag.h"
#include "platform/keys.h"
#include "platform/window.h"
#include "platform/window_state.h"

namespace platform {
namespace detail {
namespace {

bool in_range(uint32_t message, uint32_t first, uint32_t last) {
  return (first == 0 && last == 0) || (message >= first && message <= last);
}

bool matches(const Message& m, WindowHandle window, uint32_t first, uint32_t last) {
  return (window == 0 || m.window == window) && in_range(m.message, first, last);
}

void wait_on(int fd, int timeout_ms) {
  pollfd pfd{fd, POLLIN, 0};
  ::poll(&pfd, 1, timeout_ms);
}

int ms_until(Clock::time_point when) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(when - Clock::now()).count();
  return left <= 0 ? 0 : static_cast<int>(std::min<int64_t>(left + 1, 1 << 30));
}

// The queue of the thread that owns a window of this process.
std::shared_ptr<ThreadQueue> queue_of(WindowHandle window) {
  std::lock_guard lock(state().mutex);
  const WindowRecord* r = find_local(window);
  return r && !r->destroying ? r->queue : nullptr;
}

// Requests arrive here on the I/O thread.
void on_request(Request&& request, std::shared_ptr<Connection> connection) {
  State& s = state();
  auto ack = [&](bool ok) {
    Reply r;
    r.ok = ok;
    connection->reply(r);
  };
  switch (request.kind) {
    case RequestKind::query: {
      ack(queue_of(request.window) != nullptr);
      return;
    }
    case RequestKind::post: {
      Message m;
      m.window = request.window;
      m.message = request.message;
      m.wparam = request.wparam;
      m.lparam = request.lparam;
      m.time = tick_count();
      ack(post_local(m));
      return;
    }
    case RequestKind::send: {
      const auto q = queue_of(request.window);
      if (!q) {
        ack(false);
        return;
      }
      std::lock_guard lock(q->mutex);
      q->incoming.push_back({std::move(request), std::move(connection), nullptr});
      q->wake();
      return;
    }
    case RequestKind::pointer:
    case RequestKind::key:
    case RequestKind::foreground_changed:
    case RequestKind::screenshot: {
      std::shared_ptr<ThreadQueue> q;
      {
        std::lock_guard lock(s.mutex);
        q = s.main_queue;
      }
      if (!q) {
        ack(false);
        return;
      }
      const bool idle = request.kind == RequestKind::screenshot;
      if (!idle) ack(true);  // taken: the order of arrival is the order of handling
      std::lock_guard lock(q->mutex);
      (idle ? q->idle : q->incoming).push_back({std::move(request), idle ? std::move(connection) : nullptr, nullptr});
      q->wake();
      return;
    }
  }
}

// Runs on the I/O thread: a foreground change nobody announced (its process
// died) still reaches this process's windows.
void on_idle(const std::string& dir) {
  State& s = state();
  const WindowHandle front = device_foreground(dir);
  if (front == s.known_foreground.load()) return;
  std::shared_ptr<ThreadQueue> q;
  {
    std::lock_guard lock(s.mutex);
    q = s.main_queue;
  }
  if (!q) return;
  Request r;
  r.kind = RequestKind::foreground_changed;
  std::lock_guard lock(q->mutex);
  q->incoming.push_back({std::move(r), nullptr, nullptr});
  q->wake();
}

LResult serve_send(const Request& request) {
  if (request.message == msg::copy_data && request.has_data) {
    CopyData data;
    data.tag = request.tag;
    data.size = static_cast<uint32_t>(request.data.size());
    data.data = request.data.data();
    return call_procedure(request.window, msg::copy_data, request.wparam, reinterpret_cast<LParam>(&data));
  }
  return call_procedure(request.window, request.message, request.wparam, request.lparam);
}

void serve_idle(ThreadQueue& q) {
  std::deque<Incoming> items;
  {
    std::lock_guard lock(q.mutex);
    items.swap(q.idle);
  }
  for (auto& item : items) {
    if (item.request.kind == RequestKind::screenshot && item.connection) item.connection->reply(screenshot_reply());
  }
}

// Waits for a reply on `fd`, serving this thread's incoming sends meanwhile.
std::optional<Reply> await_reply(int fd, int timeout_ms) {
  const auto q = my_queue();
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
  for (;;) {
    q->drain();
    serve_incoming(*q);
    pollfd fds[2] = {{fd, POLLIN, 0}, {q->event_fd, POLLIN, 0}};
    const int wait = timeout_ms < 0 ? -1 : ms_until(deadline);
    if (timeout_ms >= 0 && wait == 0) return std::nullopt;
    const int ready = ::poll(fds, 2, wait);
    if (ready < 0 && errno != EINTR) return std::nullopt;
    if (fds[0].revents) {
      std::vector<uint8_t> body;
      Reply reply;
      if (!read_frame(fd, body, 5000) || !decode(body, reply)) return std::nullopt;
      return reply;
    }
  }
}

std::optional<LResult> remote_send(WindowHandle window, uint32_t message, WParam wparam, LParam lparam, int timeout_ms) {
  const auto process = live_process(process_of(window));
  if (!process) return std::nullopt;
  Request request;
  request.kind = RequestKind::send;
  request.window = window;
  request.message = message;
  request.wparam = wparam;
  request.lparam = lparam;
  if (message == msg::copy_data && lparam) {
    const auto* data = reinterpret_cast<const CopyData*>(lparam);
    if (data->size > kMaxFrame / 2) {
      diag("window system", "copy-data payload too large to send");
      return std::nullopt;
    }
    request.has_data = true;
    request.tag = data->tag;
    request.lparam = 0;
    const auto* bytes = static_cast<const uint8_t*>(data->data);
    if (bytes) request.data.assign(bytes, bytes + data->size);
  }
  const int fd = connect_to(*process);
  if (fd < 0) return std::nullopt;
  std::optional<LResult> result;
  if (write_frame(fd, encode(request))) {
    if (const auto reply = await_reply(fd, timeout_ms); reply && reply->ok) result = reply->result;
  }
  ::close(fd);
  return result;
}

std::optional<LResult> local_send(const std::shared_ptr<ThreadQueue>& target, WindowHandle window, uint32_t message,
                                  WParam wparam, LParam lparam, int timeout_ms) {
  const auto me = my_queue();
  auto call = std::make_shared<LocalCall>();
  call->window = window;
  call->message = message;
  call->wparam = wparam;
  call->lparam = lparam;
  call->waiter = me;
  {
    std::lock_guard lock(target->mutex);
    target->incoming.push_back({Request{}, nullptr, call});
    target->wake();
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms < 0 ? 0 : timeout_ms);
  for (;;) {
    me->drain();
    if (call->done.load()) return call->result;
    serve_incoming(*me);
    if (call->done.load()) return call->result;
    const int wait = timeout_ms < 0 ? -1 : ms_until(deadline);
    if (timeout_ms >= 0 && wait == 0) return std::nullopt;
    wait_on(me->event_fd, wait);
  }
}

std::optional<LResult> send_impl(WindowHandle window, uint32_t message, WParam wparam, LParam lparam, int timeout_ms) {
  if (window == 0) return std::nullopt;
  if (process_of(window) != this_process()) return remote_send(window, message, wparam, lparam, timeout_ms);
  const auto target = queue_of(window);
  if (!target) return std::nullopt;
  if (target == my_queue()) return call_procedure(window, message, wparam, lparam);
  return local_send(target, window, message, wparam, lparam, timeout_ms);
}

// The first window of this thread that waits for its paint message.
WindowHandle invalid_window(const ThreadQueue& q, WindowHandle filter) {
  State& s = state();
  std::lock_guard lock(s.mutex);
  WindowHandle best = 0;
  uint64_t best_serial = UINT64_MAX;
  for (const auto& [h, r] : s.windows) {
    if (r->queue.get() != &q || !r->invalid || r->destroying || (filter && h != filter)) continue;
    bool shown = true;
    for (const WindowRecord* w = r.get(); w; w = w->parent ? find_local(w->parent) : nullptr) shown &= w->visible;
    if (shown && r->serial < best_serial) {
      best = h;
      best_serial = r->serial;
    }
  }
  return best;
}

enum class Take { message, quit, none };

Take take(Message& out, WindowHandle window, uint32_t first, uint32_t last, bool remove, bool block) {
  const auto queue = my_queue();
  ThreadQueue& q = *queue;
  for (;;) {
    q.drain();
    serve_incoming(q);
    int wait = -1;
    {
      std::unique_lock lock(q.mutex);
      const auto it = std::find_if(q.posted.begin(), q.posted.end(),
                                   [&](const Message& m) { return matches(m, window, first, last); });
      if (it != q.posted.end()) {
        out = *it;
        if (remove) q.posted.erase(it);
        q.last_time = out.time;
        return Take::message;
      }
      if (q.quit && in_range(msg::quit, first, last)) {
        out = Message{0, msg::quit, static_cast<WParam>(q.quit_code), 0, tick_count(), {}};
        if (remove) q.quit = false;
        q.last_time = out.time;
        return Take::quit;
      }
    }
    if (in_range(msg::paint, first, last)) {
      if (const WindowHandle w = invalid_window(q, window)) {
        out = Message{w, msg::paint, 0, 0, tick_count(), {}};
        q.last_time = out.time;
        return Take::message;
      }
    }
    {
      std::unique_lock lock(q.mutex);
      const auto now = Clock::now();
      const bool timers_wanted = in_range(msg::timer, first, last);
      TimerEntry* due = nullptr;
      for (auto& t : q.timers) {
        if (window && t.window != window) continue;
        if (t.due <= now) {
          if (!due || t.due < due->due) due = &t;
        } else if (timers_wanted) {
          const int until = ms_until(t.due);
          wait = wait < 0 ? until : std::min(wait, until);
        }
      }
      if (due && timers_wanted) {
        out = Message{due->window, msg::timer, due->id, 0, tick_count(), {}};
        if (remove) due->due = now + std::chrono::milliseconds(due->interval_ms);
        q.last_time = out.time;
        return Take::message;
      }
      if (!q.idle.empty()) {
        lock.unlock();
        serve_idle(q);
        continue;
      }
    }
    if (!block) return Take::none;
    wait_on(q.event_fd, wait);
  }
}

}  // namespace

void serve_incoming(ThreadQueue& q) {
  for (;;) {
    Incoming item;
    {
      std::lock_guard lock(q.mutex);
      if (q.incoming.empty()) return;
      item = std::move(q.incoming.front());
      q.incoming.pop_front();
    }
    if (item.local) {
      item.local->result = call_procedure(item.local->window, item.local->message, item.local->wparam, item.local->lparam);
      item.local->done.store(true);
      item.local->waiter->wake();
      continue;
    }
    const Request& r = item.request;
    switch (r.kind) {
      case RequestKind::send: {
        Reply reply;
        reply.ok = true;
        reply.result = serve_send(r);
        if (item.connection) item.connection->reply(reply);
        break;
      }
      case RequestKind::pointer: route_pointer(static_cast<int>(r.action), r.x, r.y); break;
      case RequestKind::key:
        route_key(static_cast<uint32_t>(r.wparam), (r.action & 1) != 0, r.window, static_cast<int>(r.extra), r.message);
        break;
      case RequestKind::foreground_changed: refresh_activation(); break;
      default: break;
    }
  }
}

bool post_local(const Message& m) {
  const auto q = queue_of(m.window);
  if (!q) return false;
  std::lock_guard lock(q->mutex);
  q->posted.push_back(m);
  q->wake();
  return true;
}

void register_process() { ensure_registered(on_request, on_idle); }

}  // namespace detail

using namespace detail;

bool post_message(WindowHandle window, uint32_t message, WParam wparam, LParam lparam) {
  Message m{window, message, wparam, lparam, tick_count(), {}};
  if (window == 0) {
    const auto q = my_queue();
    std::lock_guard lock(q->mutex);
    q->posted.push_back(m);
    q->wake();
    return true;
  }
  if (process_of(window) == this_process()) return post_local(m);
  Request request;
  request.kind = RequestKind::post;
  request.window = window;
  request.message = message;
  request.wparam = wparam;
  request.lparam = lparam;
  const auto reply = call(process_of(window), request, 1000);
  return reply && reply->ok;
}

bool post_thread_message(uint32_t message, WParam wparam, LParam lparam) {
  return post_message(0, message, wparam, lparam);
}

void post_quit_message(int exit_code) {
  const auto q = my_queue();
  std::lock_guard lock(q->mutex);
  q->quit = true;
  q->quit_code = exit_code;
  q->wake();
}

LResult send_message(WindowHandle window, uint32_t message, WParam wparam, LParam lparam) {
  return send_impl(window, message, wparam, lparam, -1).value_or(0);
}

std::optional<LResult> send_message_timeout(WindowHandle window, uint32_t message, WParam wparam, LParam lparam,
                                            uint32_t timeout_ms) {
  return send_impl(window, message, wparam, lparam, static_cast<int>(std::min<uint32_t>(timeout_ms, 1u << 30)));
}

bool get_message(Message& out, WindowHandle window, uint32_t first, uint32_t last) {
  return take(out, window, first, last, true, true) == Take::message;
}

bool peek_message(Message& out, WindowHandle window, uint32_t first, uint32_t last, bool remove) {
  return take(out, window, first, last, remove, false) != Take::none;
}

bool wait_message(uint32_t timeout_ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  Message m;
  for (;;) {
    if (take(m, 0, 0, 0, false, false) != Take::none) return true;
    const int wait = ms_until(deadline);
    if (wait == 0) return false;
    wait_on(my_queue()->event_fd, std::min(wait, 10));
  }
}

bool translate_message(const Message& message) {
  if (message.message != msg::key_down) return false;
  const auto key = static_cast<uint32_t>(message.wparam);
  char16_t c = 0;
  bool shift = false;
  {
    std::lock_guard lock(state().mutex);
    shift = state().key_down[vk::shift];
  }
  if (key >= 0x41 && key <= 0x5A) {
    c = static_cast<char16_t>(shift ? key : key + 0x20);
  } else if (key >= 0x30 && key <= 0x39) {
    c = static_cast<char16_t>(key);
  } else if (key >= vk::numpad0 && key <= vk::numpad0 + 9) {
    c = static_cast<char16_t>(u'0' + (key - vk::numpad0));
  } else {
    switch (key) {
      case vk::space: c = u' '; break;
      case vk::enter: c = u'\r'; break;
      case vk::back: c = 8; break;
      case vk::escape: c = 0x1B; break;
      case vk::tab: c = u'\t'; break;
      case vk::multiply:
      case vk::star: c = u'*'; break;
      case vk::pound: c = u'#'; break;
      case vk::add: c = u'+'; break;
      case vk::subtract: c = u'-'; break;
      case vk::decimal: c = u'.'; break;
      case vk::divide: c = u'/'; break;
      default: return false;
    }
  }
  const auto q = queue_of(message.window);
  if (!q) return false;
  std::lock_guard lock(q->mutex);
  // Ahead of everything queued, so the character comes before the key's release.
  q->posted.push_front(Message{message.window, msg::character, c, message.lparam, message.time, message.point});
  q->wake();
  return true;
}

LResult dispatch_message(const Message& message) {
  if (message.window == 0) return 0;
  return call_procedure(message.window, message.message, message.wparam, message.lparam);
}

uint32_t message_time() { return my_queue()->last_time; }

uint64_t set_timer(WindowHandle window, uint64_t id, uint32_t interval_ms) {
  if (id == 0) return 0;
  const auto q = queue_of(window);
  if (!q) return 0;
  std::lock_guard lock(q->mutex);
  const auto due = Clock::now() + std::chrono::milliseconds(std::max<uint32_t>(interval_ms, 1));
  for (auto& t : q->timers) {
    if (t.window == window && t.id == id) {
      t.interval_ms = std::max<uint32_t>(interval_ms, 1);
      t.due = due;
      q->wake();
      return id;
    }
  }
  q->timers.push_back({window, id, std::max<uint32_t>(interval_ms, 1), due});
  q->wake();
  return id;
}

bool kill_timer(WindowHandle window, uint64_t id) {
  const auto q = queue_of(window);
  if (!q) return false;
  std::lock_guard lock(q->mutex);
  return std::erase_if(q->timers, [&](const TimerEntry& t) { return t.window == window && t.id == id; }) > 0;
}

}  // namespace platform
