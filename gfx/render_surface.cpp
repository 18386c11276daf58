#include "gfx/render_surface.h"

#include <algorithm>
#include <utility>

#include "app/fatal.h"

namespace lv {

namespace {

int64_t g_pixel_count = 0;

int64_t pixels_of(const Bitmap* bitmap) {
  return bitmap ? static_cast<int64_t>(bitmap->width()) * bitmap->height() : 0;
}

}  // namespace

RenderSurface::RenderSurface() = default;

RenderSurface::RenderSurface(Size size) { recreate(size); }

RenderSurface::~RenderSurface() { g_pixel_count -= pixels_of(target_); }

RenderSurface::RenderSurface(RenderSurface&& other) noexcept { swap(other); }

RenderSurface& RenderSurface::operator=(RenderSurface&& other) noexcept {
  RenderSurface(std::move(other)).swap(*this);
  return *this;
}

RenderSurface RenderSurface::wrap(Bitmap& bitmap) {
  RenderSurface surface;
  surface.set_target(&bitmap, nullptr);
  surface.clip_ = {0, 0, bitmap.width(), bitmap.height()};
  return surface;
}

int64_t RenderSurface::pixel_count() { return g_pixel_count; }

void RenderSurface::check_no_clip() const {
  if (clip_depth_ != 0) fatal_report(u"RenderSurface::recreate", u"Clip is in effect, cannot resize");
}

void RenderSurface::set_target(Bitmap* target, std::unique_ptr<Bitmap> owned) {
  g_pixel_count -= pixels_of(target_);
  owned_ = std::move(owned);
  target_ = target;
  g_pixel_count += pixels_of(target_);
}

bool RenderSurface::recreate(Size size) {
  if (owned_ ? owned_->size() == size : size == Size{}) return false;
  check_no_clip();
  set_target(nullptr, nullptr);  // the old pixels go before the new ones come
  std::unique_ptr<Bitmap> bitmap = MemoryBitmap::create(size);
  Bitmap* raw = bitmap.get();
  set_target(raw, std::move(bitmap));
  clip_ = raw ? Clip{0, 0, raw->width(), raw->height()} : Clip{};
  return true;
}

void RenderSurface::adopt(std::unique_ptr<Bitmap> bitmap) {
  check_no_clip();
  Bitmap* raw = bitmap.get();
  set_target(raw, std::move(bitmap));
  clip_.x1 = raw ? raw->width() : 0;
  clip_.y1 = raw ? raw->height() : 0;
}

std::unique_ptr<Bitmap> RenderSurface::release() {
  check_no_clip();
  std::unique_ptr<Bitmap> bitmap = std::move(owned_);
  set_target(nullptr, nullptr);
  clip_.x1 = 0;
  clip_.y1 = 0;
  return bitmap;
}

void RenderSurface::swap(RenderSurface& other) noexcept {
  std::swap(clip_, other.clip_);
  std::swap(clip_depth_, other.clip_depth_);
  std::swap(target_, other.target_);
  std::swap(owned_, other.owned_);
}

Size RenderSurface::size() const { return target_ ? target_->size() : Size{}; }

void RenderSurface::set_clip(const Clip& requested) {
  const Size s = size();
  Clip c{std::max(0, requested.x0), std::max(0, requested.y0), std::min(s.width, requested.x1),
         std::min(s.height, requested.y1)};
  if (c.x1 <= c.x0 || c.y1 <= c.y0) {
    c.x1 = c.x0;
    c.y1 = c.y0;
  }
  clip_ = c;
}

ClipScope::ClipScope(RenderSurface& surface, Point position, Size size) : surface_(surface), saved_(surface.clip_) {
  ++surface_.clip_depth_;
  const Clip& c = saved_;
  // 64-bit sums: a far-away scope must not wrap around into the surface.
  const int64_t x1 = static_cast<int64_t>(position.x) + size.width;
  const int64_t y1 = static_cast<int64_t>(position.y) + size.height;
  surface_.set_clip({std::max(c.x0, position.x), std::max(c.y0, position.y),
                     static_cast<int>(std::min<int64_t>(c.x1, x1)), static_cast<int>(std::min<int64_t>(c.y1, y1))});
}

ClipScope::~ClipScope() {
  surface_.set_clip(saved_);
  --surface_.clip_depth_;
}

}  // namespace lv
