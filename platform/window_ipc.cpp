#include "platform/window_ipc.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "platform/device.h"
#include "platform/diag.h"
#include "platform/shell.h"
#include "platform/unicode.h"

namespace platform::detail {
namespace fs = std::filesystem;
namespace {

// ---- byte encoding ------------------------------------------------------------

class Writer {
 public:
  template <typename T>
  void put(T v) {
    uint8_t b[sizeof(T)];
    std::memcpy(b, &v, sizeof(T));
    out.insert(out.end(), b, b + sizeof(T));
  }
  void bytes(const std::vector<uint8_t>& d) {
    put<uint32_t>(static_cast<uint32_t>(d.size()));
    out.insert(out.end(), d.begin(), d.end());
  }
  std::vector<uint8_t> out;
};

class Reader {
 public:
  explicit Reader(std::span<const uint8_t> in) : in_(in) {}
  template <typename T>
  bool get(T& v) {
    if (in_.size() - at_ < sizeof(T)) return false;
    std::memcpy(&v, in_.data() + at_, sizeof(T));
    at_ += sizeof(T);
    return true;
  }
  bool bytes(std::vector<uint8_t>& d) {
    uint32_t n = 0;
    if (!get(n) || in_.size() - at_ < n) return false;
    d.assign(in_.begin() + static_cast<std::ptrdiff_t>(at_), in_.begin() + static_cast<std::ptrdiff_t>(at_ + n));
    at_ += n;
    return true;
  }
  bool done() const { return at_ == in_.size(); }

 private:
  std::span<const uint8_t> in_;
  size_t at_ = 0;
};

std::string hex(std::string_view s) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(s.size() * 2);
  for (unsigned char c : s) {
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
  }
  return out.empty() ? "-" : out;
}

bool unhex(std::string_view s, std::string& out) {
  out.clear();
  if (s == "-") return true;
  if (s.size() % 2) return false;
  auto value = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  for (size_t i = 0; i < s.size(); i += 2) {
    const int hi = value(s[i]), lo = value(s[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out += static_cast<char>(hi << 4 | lo);
  }
  return true;
}

bool write_all(int fd, const uint8_t* p, size_t n) {
  while (n > 0) {
    const ssize_t w = ::send(fd, p, n, MSG_NOSIGNAL);
    if (w < 0) {
      if (errno == EINTR) continue;
      if (errno == EAGAIN) {
        pollfd pfd{fd, POLLOUT, 0};
        if (::poll(&pfd, 1, 5000) <= 0) return false;
        continue;
      }
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

bool read_all(int fd, uint8_t* p, size_t n, std::chrono::steady_clock::time_point deadline, bool forever) {
  while (n > 0) {
    int wait = -1;
    if (!forever) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) return false;
      wait = static_cast<int>(left.count());
    }
    pollfd pfd{fd, POLLIN, 0};
    const int ready = ::poll(&pfd, 1, wait);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    const ssize_t r = ::recv(fd, p, n, 0);
    if (r < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (r <= 0) return false;
    p += r;
    n -= static_cast<size_t>(r);
  }
  return true;
}

uint64_t fnv1a(std::string_view s) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : s) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

sockaddr_un abstract_address(const std::string& name, socklen_t& length) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  const size_t n = std::min(name.size(), sizeof(addr.sun_path) - 1);
  std::memcpy(addr.sun_path + 1, name.data(), n);
  length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + n);
  return addr;
}

int64_t now_ns() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

bool read_small_file(const fs::path& file, std::string& out, size_t limit) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return out.size() <= limit;
}

bool write_file_atomically(const fs::path& file, const std::string& text) {
  const fs::path tmp = file.string() + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    if (!out.flush()) return false;
  }
  std::error_code ec;
  fs::rename(tmp, file, ec);
  return !ec;
}

// ---- the registration -----------------------------------------------------------

class Registration {
 public:
  ~Registration() { stop(); }

  bool ensure(const RequestHandler& handler, const IdleHook& idle) {
    std::lock_guard lock(mutex_);
    Device* device = Device::current();
    if (!device) return false;
    if (running_ && serial_ == device->serial()) return true;
    stop_locked();
    return start_locked(*device, handler, idle);
  }

  void publish(ProcessRecord record) {
    std::lock_guard lock(mutex_);
    if (!running_) return;
    record.pid = this_process();
    record.socket = socket_name_;
    record.started = started_;
    if (record.module.empty()) record.module = module_file_name();
    if (!write_file_atomically(base_ + ".info", format_record(record))) diag("window system", "cannot write " + base_ + ".info");
  }

  void stop() {
    std::lock_guard lock(mutex_);
    stop_locked();
  }

 private:
  bool start_locked(Device& device, const RequestHandler& handler, const IdleHook& idle) {
    const std::string dir = (device.system_dir() / "run").string();
    std::error_code ec;
    fs::create_directories(dir, ec);
    std::random_device rd;
    const std::string nonce = std::to_string(rd() & 0xFFFFFF);
 dir_ = dir;
    base_ = dir + "/" + std::to_string(this_process()) + "." + nonce;
    lock_fd_ = ::open((base_ + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock_fd_ < 0 || ::flock(lock_fd_, LOCK_EX | LOCK_NB) != 0) {
      diag("window system", "cannot register in " + dir);
      close_fd(lock_fd_);
      return false;
    }
    socket_name_ = "lumivale/" + std::to_string(fnv1a(dir)) + "/" + std::to_string(this_process()) + "." + nonce;
    listen_fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    socklen_t len = 0;
    const sockaddr_un addr = abstract_address(socket_name_, len);
    if (listen_fd_ < 0 || ::bind(listen_fd_, reinterpret_cast<const sockaddr*>(&addr), len) != 0 ||
        ::listen(listen_fd_, 64) != 0) {
      diag("window system", std::string("cannot listen: ") + std::strerror(errno));
      close_fd(listen_fd_);
      ::unlink((base_ + ".lock").c_str());
      close_fd(lock_fd_);
      return false;
    }
    wake_fd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    started_ = now_ns();
    serial_ = device.serial();
    running_ = true;
    ProcessRecord empty;
    empty.pid = this_process();
    empty.socket = socket_name_;
    empty.started = started_;
    empty.module = module_file_name();
    write_file_atomically(base_ + ".info", format_record(empty));
    thread_ = std::thread([this, handler, idle] { serve(handler, idle); });
    return true;
  }

  void stop_locked() {
    if (!running_) return;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t w = ::write(wake_fd_, &one, sizeof one);
    if (thread_.joinable()) thread_.join();
    close_fd(wake_fd_);
    close_fd(listen_fd_);
    ::unlink((base_ + ".info").c_str());
    ::unlink((base_ + ".lock").c_str());
    close_fd(lock_fd_);
    running_ = false;
  }

  static void close_fd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }

  struct Client {
    std::shared_ptr<Connection> connection;
    std::vector<uint8_t> buffer;
  };

  void serve(const RequestHandler& handler, const IdleHook& idle) {
    auto last_idle = std::chrono::steady_clock::now();
    std::vector<Client> clients;
    constexpr size_t kMaxClients = 256;
    for (;;) {
      std::vector<pollfd> fds;
      fds.push_back({wake_fd_, POLLIN, 0});
      fds.push_back({listen_fd_, POLLIN, 0});
      for (const auto& c : clients) fds.push_back({c.connection->fd(), POLLIN, 0});
      const int ready = ::poll(fds.data(), fds.size(), 500);
      if (ready < 0) {
        if (errno == EINTR) continue;
        diag("window system", std::string("poll failed: ") + std::strerror(errno));
        return;
      }
      if (fds[0].revents) return;
      if (const auto now = std::chrono::steady_clock::now(); now - last_idle >= std::chrono::milliseconds(500)) {
        last_idle = now;
        if (idle) idle(dir_);
      }
      std::vector<bool> dead(clients.size(), false);
      for (size_t i = 0; i < clients.size(); ++i) {
        if (!fds[i + 2].revents) continue;
        Client& c = clients[i];
        uint8_t chunk[65536];
        const ssize_t n = ::recv(c.connection->fd(), chunk, sizeof chunk, MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (n <= 0) {
          dead[i] = true;
          continue;
        }
        c.buffer.insert(c.buffer.end(), chunk, chunk + n);
        while (c.buffer.size() >= 4) {
          uint32_t length = 0;
          std::memcpy(&length, c.buffer.data(), 4);
          if (length > kMaxFrame) {
            diag("window system", "refused an oversized request");
            dead[i] = true;
            break;
          }
          if (c.buffer.size() < 4 + size_t{length}) break;
          Request request;
          const bool good = decode(std::span(c.buffer).subspan(4, length), request);
          c.buffer.erase(c.buffer.begin(), c.buffer.begin() + 4 + length);
          if (!good) {
            diag("window system", "refused a malformed request");
            dead[i] = true;
            break;
          }
          handler(std::move(request), c.connection);
        }
      }
      for (size_t i = clients.size(); i-- > 0;) {
        if (dead[i]) clients.erase(clients.begin() + static_cast<std::ptrdiff_t>(i));
      }
      if (fds[1].revents & POLLIN) {
        for (;;) {
          const int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
          if (fd < 0) break;
          if (clients.size() >= kMaxClients) {
            ::close(fd);
            continue;
          }
          clients.push_back({std::make_shared<Connection>(fd), {}});
        }
      }
    }
  }

  std::mutex mutex_;
  bool running_ = false;
  uint64_t serial_ = 0;
  std::string dir_;
  std::string base_;
  std::string socket_name_;
  int64_t started_ = 0;
  int lock_fd_ = -1;
  int listen_fd_ = -1;
  int wake_fd_ = -1;
  std::thread thread_;
};

Registration& registration() {
  static Registration r;
  return r;
}

}  // namespace

// ---- encoding -----------------------------------------------------------------------

std::vector<uint8_t> encode(const Request& r) {
  Writer w;
  w.put<uint8_t>(static_cast<uint8_t>(r.kind));
  w.put(r.window);
  w.put(r.message);
  w.put(r.wparam);
  w.put(r.lparam);
  w.put(r.tag);
  w.put(r.x);
  w.put(r.y);
  w.put(r.action);
  w.put(r.extra);
  w.put<uint8_t>(r.has_data ? 1 : 0);
  w.bytes(r.data);
  return std::move(w.out);
}

std::vector<uint8_t> encode(const Reply& r) {
  Writer w;
  w.put<uint8_t>(r.ok ? 1 : 0);
  w.put(r.result);
  w.put(r.width);
  w.put(r.height);
  w.bytes(r.data);
  return std::move(w.out);
}

bool decode(std::span<const uint8_t> bytes, Request& r) {
  Reader in(bytes);
  uint8_t kind = 0, has_data = 0;
  if (!in.get(kind) || kind < 1 || kind > 7) return false;
  r.kind = static_cast<RequestKind>(kind);
  if (!in.get(r.window) || !in.get(r.message) || !in.get(r.wparam) || !in.get(r.lparam) || !in.get(r.tag) ||
      !in.get(r.x) || !in.get(r.y) || !in.get(r.action) || !in.get(r.extra) || !in.get(has_data) || !in.bytes(r.data))
    return false;
  r.has_data = has_data != 0;
  return in.done();
}

bool decode(std::span<const uint8_t> bytes, Reply& r) {
  Reader in(bytes);
  uint8_t ok = 0;
  if (!in.get(ok) || !in.get(r.result) || !in.get(r.width) || !in.get(r.height) || !in.bytes(r.data)) return false;
  r.ok = ok != 0;
  return in.done();
}

bool write_frame(int fd, std::span<const uint8_t> body) {
  if (body.size() > kMaxFrame) return false;
  std::vector<uint8_t> frame(4 + body.size());
  const uint32_t n = static_cast<uint32_t>(body.size());
  std::memcpy(frame.data(), &n, 4);
  if (!body.empty()) std::memcpy(frame.data() + 4, body.data(), body.size());
  return write_all(fd, frame.data(), frame.size());
}

bool read_frame(int fd, std::vector<uint8_t>& body, int timeout_ms) {
  const bool forever = timeout_ms < 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(forever ? 0 : timeout_ms);
  uint8_t head[4];
  if (!read_all(fd, head, 4, deadline, forever)) return false;
  uint32_t n = 0;
  std::memcpy(&n, head, 4);
  if (n > kMaxFrame) return false;
  body.resize(n);
  return read_all(fd, body.data(), n, deadline, forever);
}

Connection::~Connection() { ::close(fd_); }

void Connection::reply(const Reply& r) {
  std::lock_guard lock(write_mutex_);
  write_frame(fd_, encode(r));
}

// ---- records ---------------------------------------------------------------------------

std::string format_record(const ProcessRecord& r) {
  std::ostringstream out;
  out << "lumivale-process 1\n";
  out << "pid " << r.pid << "\n";
  out << "socket " << hex(r.socket) << "\n";
  out << "module " << hex(to_utf8(r.module)) << "\n";
  out << "started " << r.started << "\n";
  out << "screen " << (r.screen ? 1 : 0) << "\n";
  out << "allkeys " << (r.all_keys ? 1 : 0) << "\n";
  for (const auto& w : r.windows) {
    out << "window " << w.window << " " << w.owner << " " << (w.visible ? 1 : 0) << " " << w.rect.left << " "
        << w.rect.top << " " << w.rect.right << " " << w.rect.bottom << " " << hex(to_utf8(w.class_name)) << " "
        << hex(to_utf8(w.title)) << "\n";
  }
  for (const auto& h : r.hot_keys) {
    out << "hotkey " << h.window << " " << h.id << " " << h.modifiers << " " << h.virtual_key << "\n";
  }
  return out.str();
}

bool parse_record(std::string_view text, ProcessRecord& r) {
  std::istringstream in{std::string(text)};
  std::string line;
  if (!std::getline(in, line) || line != "lumivale-process 1") return false;
  r = ProcessRecord{};
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string key;
    fields >> key;
    std::string a, b;
    if (key == "pid") {
      if (!(fields >> r.pid)) return false;
    } else if (key == "socket") {
      if (!(fields >> a) || !unhex(a, r.socket)) return false;
    } else if (key == "module") {
      if (!(fields >> a) || !unhex(a, b)) return false;
      r.module = from_utf8(b);
    } else if (key == "started") {
      if (!(fields >> r.started)) return false;
    } else if (key == "screen") {
      int v = 0;
      if (!(fields >> v)) return false;
      r.screen = v != 0;
    } else if (key == "allkeys") {
      int v = 0;
      if (!(fields >> v)) return false;
      r.all_keys = v != 0;
    } else if (key == "window") {
      TopLevelWindow w;
      int visible = 0;
      std::string cls, title;
      if (!(fields >> w.window >> w.owner >> visible >> w.rect.left >> w.rect.top >> w.rect.right >> w.rect.bottom >>
            a >> b) ||
          !unhex(a, cls) || !unhex(b, title))
        return false;
      w.visible = visible != 0;
      w.class_name = from_utf8(cls);
      w.title = from_utf8(title);
      r.windows.push_back(std::move(w));
    } else if (key == "hotkey") {
      HotKeyRecord h;
      if (!(fields >> h.window >> h.id >> h.modifiers >> h.virtual_key)) return false;
      r.hot_keys.push_back(h);
    }  // unknown lines are left for newer versions
  }
  for (auto& w : r.windows) w.process_id = r.pid;
  return r.pid != 0 && !r.socket.empty();
}

std::string run_dir() {
  Device* device = Device::current();
  if (!device) return {};
  const fs::path dir = device->system_dir() / "run";
  std::error_code ec;
  fs::create_directories(dir, ec);
  return dir.string();
}

uint32_t this_process() { return static_cast<uint32_t>(::getpid()); }

std::vector<ProcessRecord> live_processes() { return live_processes(run_dir()); }

std::vector<ProcessRecord> live_processes(const std::string& dir) {
  std::vector<ProcessRecord> out;
  if (dir.empty()) return out;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path path = it->path();
    if (path.extension() != ".lock" || path.filename() == "foreground.lock") continue;
    const std::string base = (path.parent_path() / path.stem()).string();
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) continue;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      // Nobody holds it: the process ended without unregistering.
      ::unlink((base + ".info").c_str());
      ::unlink(path.c_str());
      ::close(fd);
      continue;
    }
    ::close(fd);
    std::string text;
    ProcessRecord record;
    if (!read_small_file(base + ".info", text, 1u << 20)) continue;  // still starting
    if (!parse_record(text, record)) {
      diag("window system", "ignored a malformed registration " + base + ".info");
      continue;
    }
    out.push_back(std::move(record));
  }
  std::sort(out.begin(), out.end(), [](const ProcessRecord& a, const ProcessRecord& b) { return a.started > b.started; });
  return out;
}

std::optional<ProcessRecord> live_process(uint32_t pid) {
  for (auto& p : live_processes()) {
    if (p.pid == pid) return std::move(p);
  }
  return std::nullopt;
}

int connect_to(const ProcessRecord& process) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  socklen_t len = 0;
  const sockaddr_un addr = abstract_address(process.socket, len);
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), len) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

std::optional<Reply> call(uint32_t pid, const Request& request, int timeout_ms) {
  const auto process = live_process(pid);
  if (!process) return std::nullopt;
  const int fd = connect_to(*process);
  if (fd < 0) return std::nullopt;
  std::optional<Reply> result;
  std::vector<uint8_t> body;
  Reply reply;
  if (write_frame(fd, encode(request)) && read_frame(fd, body, timeout_ms) && decode(body, reply)) result = std::move(reply);
  ::close(fd);
  return result;
}

bool ensure_registered(const RequestHandler& handler, const IdleHook& idle) { return registration().ensure(handler, idle); }
void publish(ProcessRecord record) { registration().publish(std::move(record)); }
void unregister() { registration().stop(); }

// ---- foreground order ------------------------------------------------------------------

namespace {
std::vector<WindowHandle> parse_handles(const std::string& text) {
  std::vector<WindowHandle> out;
  std::istringstream in(text);
  WindowHandle h = 0;
  while (in >> h && out.size() < 4096) out.push_back(h);
  return out;
}
}  // namespace

ForegroundList::ForegroundList() {
  const std::string dir = run_dir();
  if (dir.empty()) return;
  file_ = dir + "/foreground";
  lock_fd_ = ::open((dir + "/foreground.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (lock_fd_ >= 0) {
    while (::flock(lock_fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  std::string text;
  if (read_small_file(file_, text, 1u << 20)) entries_ = parse_handles(text);
}

ForegroundList::~ForegroundList() {
  if (lock_fd_ >= 0) ::close(lock_fd_);
}

void ForegroundList::save() {
  if (file_.empty()) return;
  std::string text;
  for (WindowHandle h : entries_) text += std::to_string(h) + "\n";
  if (!write_file_atomically(file_, text)) diag("window system", "cannot write " + file_);
}

std::vector<WindowHandle> read_foreground_list(const std::string& dir) {
  if (dir.empty()) return {};
  std::string text;
  if (!read_small_file(dir + "/foreground", text, 1u << 20)) return {};
  return parse_handles(text);
}

WindowHandle device_foreground(const std::vector<WindowHandle>& order, const std::vector<ProcessRecord>& processes) {
  for (WindowHandle h : order) {
    for (const auto& p : processes) {
      if (p.pid != process_of(h)) continue;
      for (const auto& w : p.windows) {
        if (w.window == h && w.visible) return h;
      }
    }
  }
  return 0;
}

WindowHandle device_foreground(const std::string& dir) {
  const auto order = read_foreground_list(dir);
  if (order.empty()) return 0;
  return device_foreground(order, live_processes(dir));
}

}  // namespace platform::detail
