// The desktop backend: an SDL2 window that shows the device's screen, with
// the mouse as the stylus and the keyboard as the phone's keys. SDL runs on
// a thread of its own, so the program's message loop never waits for it;
// input travels the same way lumivale-ctl's does (device_input.h).
#include <SDL.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "platform/device_input.h"
#include "platform/keys.h"
#include "platform/profile.h"
#include "platform/screen.h"
#include "platform/window.h"

namespace platform {
namespace {

constexpr uint32_t kNoKey = 0;

uint32_t virtual_key_for(const SDL_Keysym& key) {
  const bool shift = (key.mod & KMOD_SHIFT) != 0;
  const SDL_Keycode k = key.sym;
  if (k >= SDLK_a && k <= SDLK_z) return vk::letter_a + static_cast<uint32_t>(k - SDLK_a);
  if (k == SDLK_3 && shift) return vk::pound;
  if (k == SDLK_8 && shift) return vk::star;
  if (k >= SDLK_0 && k <= SDLK_9) return vk::digit0 + static_cast<uint32_t>(k - SDLK_0);
  if (k >= SDLK_KP_1 && k <= SDLK_KP_9) return vk::numpad0 + 1 + static_cast<uint32_t>(k - SDLK_KP_1);
  switch (k) {
    case SDLK_KP_0: return vk::numpad0;
    case SDLK_F1: return vk::soft_left;
    case SDLK_F2: return vk::soft_right;
    case SDLK_F3:
    case SDLK_HOME: return vk::talk;
    case SDLK_F4:
    case SDLK_END: return vk::end_call;
    case SDLK_ESCAPE: return vk::escape;
    case SDLK_BACKSPACE: return vk::back;
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return vk::enter;
    case SDLK_LEFT: return vk::left;
    case SDLK_RIGHT: return vk::right;
    case SDLK_UP: return vk::up;
    case SDLK_DOWN: return vk::down;
    case SDLK_SPACE: return vk::space;
    case SDLK_ASTERISK:
    case SDLK_KP_MULTIPLY:
    case SDLK_F8: return vk::star;
    case SDLK_HASH:
    case SDLK_F9: return vk::pound;
    case SDLK_PAGEUP:
    case SDLK_F6: return vk::volume_up;
    case SDLK_PAGEDOWN:
    case SDLK_F7: return vk::volume_down;
    case SDLK_KP_PLUS: return vk::add;
    case SDLK_KP_MINUS: return vk::subtract;
    case SDLK_KP_PERIOD: return vk::decimal;
    case SDLK_KP_DIVIDE: return vk::divide;
    default: return kNoKey;
  }
}

class DesktopBackend : public ScreenBackend {
 public:
  DesktopBackend(const DeviceProfile& profile, int zoom)
      : width_(profile.screen_width),
        height_(profile.screen_height),
        zoom_(zoom > 0 ? zoom : (profile.screen_width < 320 ? 2 : 1)),
        title_("Lumivale device - " + profile.name + " " + std::to_string(width_) + "x" + std::to_string(height_)),
        frame_(static_cast<size_t>(width_) * height_, 0) {}

  ~DesktopBackend() override {
    stop_.store(true);
    wake();
    if (thread_.joinable()) thread_.join();
  }

  bool start(std::string* error) {
    thread_ = std::thread([this] { run(); });
    std::unique_lock lock(mutex_);
    started_cv_.wait(lock, [this] { return started_; });
    if (!ok_) {
      if (error) *error = error_;
      lock.unlock();
      thread_.join();
      return false;
    }
    return true;
  }

  const char* name() const override { return "desktop"; }

  void show(const uint16_t* pixels, int width, int height, size_t stride) override {
    if (width != width_ || height != height_) return;
    {
      std::lock_guard lock(mutex_);
      for (int row = 0; row < height; ++row) {
        std::memcpy(&frame_[static_cast<size_t>(row) * width_],
                    reinterpret_cast<const uint8_t*>(pixels) + static_cast<size_t>(row) * stride,
                    static_cast<size_t>(width) * 2);
      }
      dirty_ = true;
    }
    wake();
  }

 private:
  void wake() {
    if (!event_type_) return;
    SDL_Event e{};
    e.type = event_type_;
    SDL_PushEvent(&e);
  }

  void report(bool ok, std::string error) {
    std::lock_guard lock(mutex_);
    ok_ = ok;
    error_ = std::move(error);
    started_ = true;
    started_cv_.notify_all();
  }

  void run() {
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
      report(false, std::string("SDL cannot start: ") + SDL_GetError());
      return;
    }
    SDL_Window* window = SDL_CreateWindow(title_.c_str(), SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED,
                                          width_ * zoom_, height_ * zoom_, 0);
    SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
    SDL_Texture* texture =
        renderer ? SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, width_, height_)
                 : nullptr;
    if (!texture) {
      const std::string why = std::string("SDL window: ") + SDL_GetError();
      if (renderer) SDL_DestroyRenderer(renderer);
      if (window) SDL_DestroyWindow(window);
      SDL_Quit();
      report(false, why);
      return;
    }
    event_type_ = SDL_RegisterEvents(1);
    report(true, {});
    dirty_ = true;
    std::map<SDL_Scancode, uint32_t> held;  // the key each pressed host key produced
    bool pressed = false;
    while (!stop_.load()) {
      SDL_Event e;
      if (SDL_WaitEventTimeout(&e, 100)) {
        do {
          handle(e, held, pressed);
        } while (SDL_PollEvent(&e));
      }
      bool draw = false;
      {
        std::lock_guard lock(mutex_);
        if (dirty_) {
          SDL_UpdateTexture(texture, nullptr, frame_.data(), width_ * 2);
          dirty_ = false;
          draw = true;
        }
      }
      if (draw) {
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
      }
    }
    event_type_ = 0;
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
    SDL_Quit();
  }

  void handle(const SDL_Event& e, std::map<SDL_Scancode, uint32_t>& held, bool& pressed) {
    switch (e.type) {
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.button == SDL_BUTTON_LEFT) {
          pressed = true;
          inject_pointer(PointerAction::down, e.button.x / zoom_, e.button.y / zoom_);
        }
        break;
      case SDL_MOUSEMOTION:
        if (pressed) inject_pointer(PointerAction::move, e.motion.x / zoom_, e.motion.y / zoom_);
        break;
      case SDL_MOUSEBUTTONUP:
        if (e.button.button == SDL_BUTTON_LEFT && pressed) {
          pressed = false;
          inject_pointer(PointerAction::up, e.button.x / zoom_, e.button.y / zoom_);
        }
        break;
      case SDL_KEYDOWN: {
        uint32_t key = kNoKey;
        if (auto it = held.find(e.key.keysym.scancode); it != held.end()) {
          key = it->second;  // auto-repeat keeps the key of the first press
        } else {
          key = virtual_key_for(e.key.keysym);
          if (key != kNoKey) held[e.key.keysym.scancode] = key;
        }
        if (key != kNoKey) inject_key(key, true);
        break;
      }
      case SDL_KEYUP:
        if (auto it = held.find(e.key.keysym.scancode); it != held.end()) {
          inject_key(it->second, false);
          held.erase(it);
        }
        break;
      case SDL_QUIT:
        // The device is being switched off: ask this process's windows to close.
        for (const auto& w : top_level_windows()) {
          if (w.visible && w.process_id == static_cast<uint32_t>(::getpid())) post_message(w.window, msg::close);
        }
        break;
      case SDL_WINDOWEVENT: {
        std::lock_guard lock(mutex_);
        dirty_ = true;  // exposed or resized: draw again
        break;
      }
      default: break;
    }
  }

  const int width_;
  const int height_;
  const int zoom_;
  const std::string title_;
  std::mutex mutex_;
  std::condition_variable started_cv_;
  bool started_ = false;
  bool ok_ = false;
  std::string error_;
  std::vector<uint16_t> frame_;
  bool dirty_ = false;
  std::atomic<uint32_t> event_type_{0};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace

std::unique_ptr<ScreenBackend> make_desktop_backend(const DeviceProfile& profile, int zoom, std::string* error) {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!display || !*display) && (!wayland || !*wayland)) {
    if (error) *error = "no DISPLAY";
    return nullptr;
  }
  auto backend = std::make_unique<DesktopBackend>(profile, zoom);
  if (!backend->start(error)) return nullptr;
  return backend;
}

}  // namespace platform
