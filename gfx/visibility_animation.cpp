#include "gfx/visibility_animation.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace lv {

VisibilityAnimation::VisibilityAnimation(double speed) : speed_(speed), op_(translucency_op(0)) {}

VisibilityAnimation::~VisibilityAnimation() = default;

void VisibilityAnimation::start(RenderSurface* from, int direction, RenderSurface* to) {
  from_ = RenderSurface();
  to_ = RenderSurface();
  if (from) from_.swap(*from);
  if (to) to_.swap(*to);
  direction_ = direction > 0 ? 1 : direction < 0 ? -1 : 0;
  progress_ = direction < 1 ? 1.0 : 0.0;
}

void VisibilityAnimation::update(double seconds) {
  if (direction_ == 0) return;
  progress_ += speed_ * 5.0 * direction_ * seconds;
  const bool ended = direction_ > 0 ? progress_ >= 1.0 : progress_ <= 0.0;
  if (!ended) return;
  progress_ = direction_ > 0 ? 1.0 : 0.0;
  direction_ = 0;
  from_ = RenderSurface();
  to_ = RenderSurface();
}

namespace {

// The new picture grows from the centre: by t^2 ("scale") or with an
// overshoot of about 1.24 at t = 2/3 ("pop").
class ScaleAnimation final : public VisibilityAnimation {
 public:
  explicit ScaleAnimation(bool pop) : VisibilityAnimation(pop ? 0.5 : 1.0), pop_(pop) {}
  std::unique_ptr<VisibilityAnimation> clone() const override { return std::make_unique<ScaleAnimation>(pop_); }

  void draw(RenderSurface& surface, Point position) override {
    blit(from_, surface, position, *copy_op());
    const Size size = to_.size();
    if (size.width == 0 || size.height == 0) return;
    const double t = progress();
    const double a = 1.5 * std::numbers::pi * t;
    const double s = pop_ ? 1.0 - std::cos(a) / (a + 1.0) : t * t;
    const int w = static_cast<int>(size.width * s);
    const int h = static_cast<int>(size.height * s);
    const Rect dst{position.x + (size.width - w) / 2, position.y + (size.height - h) / 2, w, h};
    blit_scaled(to_, surface, dst, {0, 0, size.width, size.height}, op());
  }

 private:
  bool pop_;
};

enum class Side { right, bottom, left, top };

// The new picture pushes the old one out, entering from one side.
class SlideAnimation final : public VisibilityAnimation {
 public:
  explicit SlideAnimation(Side side) : VisibilityAnimation(1.0), side_(side) {}
  std::unique_ptr<VisibilityAnimation> clone() const override { return std::make_unique<SlideAnimation>(side_); }

  void draw(RenderSurface& surface, Point position) override {
    const Size size = to_.size();
    const double u = 1.0 - progress();
    ClipScope scope(surface, position, size);
    Point from_at = position;
    Point to_at = position;
    switch (side_) {
      case Side::right: {
        const int x = static_cast<int>(u * size.width);
        from_at.x += x - size.width;
        to_at.x += x;
        break;
      }
      case Side::bottom: {
        const int y = static_cast<int>(u * size.height);
        from_at.y += y - size.height;
        to_at.y += y;
        break;
      }
      case Side::left: {
        const int x = static_cast<int>(u * -size.width);
        from_at.x += x + size.width;
        to_at.x += x;
        break;
      }
      case Side::top: {
        const int y = static_cast<int>(u * -size.height);
        from_at.y += y + size.height;
        to_at.y += y;
        break;
      }
    }
    blit(from_, surface, from_at, *copy_op());
    blit(to_, surface, to_at, op());
  }

 private:
  Side side_;
};

struct Vec3 {
  double x, y, z;
};

Vec3 mix(const Vec3& a, const Vec3& b, double t) {
  return {(1 - t) * a.x + t * b.x, (1 - t) * a.y + t * b.y, (1 - t) * a.z + t * b.z};
}

// The card turns about its horizontal centre line, its top edge swinging
// towards the viewer and down; the old picture is its front, the new one its
// back. Drawn row by row as a perspective-correct textured trapezoid.
class FlipAnimation final : public VisibilityAnimation {
 public:
  FlipAnimation() : VisibilityAnimation(0.5) {}
  std::unique_ptr<VisibilityAnimation> clone() const override { return std::make_unique<FlipAnimation>(); }

  void start(RenderSurface* from, int direction, RenderSurface* to) override {
    VisibilityAnimation::start(from, direction, to);
    const Size size = to_.size();
    width_ = size.width;
    height_ = size.height;
    const int cx = static_cast<int>(width_ * 0.5);
    const int cy = static_cast<int>(height_ * 0.5);
    if (cy == 0) return;  // nothing to turn
    const RenderSurface* pictures[2] = {&from_, &to_};
    for (int i = 0; i < 2; ++i) {
      const Size s = pictures[i]->size();
      const double y = static_cast<double>(s.height / 2 - cy) / cy;
      left_[i] = {static_cast<double>(-cx) / cy, y, 2.0};
      right_[i] = {static_cast<double>(s.width - cx) / cy, y, 2.0};
      half_height_[i] = s.height * 0.5 / cy;
    }
  }

  void draw(RenderSurface& surface, Point position) override {
    if (height_ / 2 == 0) return;
    const double t = progress();
    const Vec3 l = mix(left_[0], left_[1], t);
    const Vec3 r = mix(right_[0], right_[1], t);
    const double radius = (1 - t) * half_height_[0] + t * half_height_[1];
    const double theta = t * std::numbers::pi;
    const Vec3 e{0.0, radius * std::cos(theta), radius * std::sin(theta)};
    // The edge of the pictures' top row (v = 0) and of their bottom row (v = 1).
    const double z_top = l.z - e.z;
    const double z_bottom = l.z + e.z;
    if (z_top <= kNearest || z_bottom <= kNearest) return;  // the edge reached the viewer
    Edge top{project_x(l.x, z_top), project_x(r.x, z_top), project_y(l.y - e.y, z_top), 0.0, 1.0 / z_top};
    Edge bottom{project_x(l.x, z_bottom), project_x(r.x, z_bottom), project_y(l.y + e.y, z_bottom),
                1.0 / z_bottom, 1.0 / z_bottom};
    const bool back = bottom.sy < top.sy;
    const RenderSurface& picture = back ? to_ : from_;
    const Bitmap* source = picture.target();
    if (!source || source->width() == 0 || source->height() == 0) return;
    const Edge& upper = back ? bottom : top;
    const Edge& lower = back ? top : bottom;
    const double span = lower.sy - upper.sy;
    if (!(span > 0)) return;
    const double d_left = (lower.left - upper.left) / span;
    const double d_right = (lower.right - upper.right) / span;
    const double d_vz = (lower.vz - upper.vz) / span;
    const double d_iz = (lower.iz - upper.iz) / span;
    Edge row = upper;
    for (double y = upper.sy; y < lower.sy; y += 1.0) {
      const int index = static_cast<int>(y);
      if (index >= 0 && index < height_) {
        double v = row.vz / row.iz;
        if (back) v = 1.0 - v;
        draw_row(surface, position, index, row.left, row.right, v, *source);
      }
      row.left += d_left;
      row.right += d_right;
      row.vz += d_vz;
      row.iz += d_iz;
    }
  }

 private:
  static constexpr double kNearest = 1e-3;

  struct Edge {
    double left, right, sy, vz, iz;
  };

  double project_x(double x, double z) const { return x * height_ / z + width_ * 0.5; }
  double project_y(double y, double z) const { return y * height_ / z + height_ * 0.5; }

  void draw_row(RenderSurface& surface, Point position, int index, double left, double right, double v,
                const Bitmap& source) const {
    if (!(right > left)) return;
    const int first = static_cast<int>(left);
    const int start = std::max(first, 0);
    const int end = std::min(static_cast<int>(right), width_);
    if (end <= start) return;
    const double u0 = first < 0 ? -first / (right - left) : 0.0;
    const int w = source.width();
    const int h = source.height();
    const int src_y = std::clamp(static_cast<int>(v * h), 0, h - 1);
    int64_t u = static_cast<int64_t>(w * u0 * 1024);
    const int64_t step = static_cast<int64_t>(w / (right - left) * 1024);
    // The card stays inside the surface and its clip.
    Bitmap* target = surface.target();
    const Clip& clip = surface.clip();
    const int dst_y = position.y + index;
    if (!target || dst_y < std::max(0, clip.y0) || dst_y >= std::min(target->height(), clip.y1)) return;
    const int lo = std::max(0, clip.x0);
    const int hi = std::min(target->width(), clip.x1);
    const Pixel* src = source.row(src_y);
    Pixel* dst = target->row(dst_y);
    for (int column = start; column < end; ++column, u += step) {
      const int x = position.x + column;
      if (x < lo || x >= hi) continue;
      dst[x] = src[std::clamp<int64_t>(u >> 10, 0, w - 1)];
    }
  }

  int width_ = 0;
  int height_ = 0;
  Vec3 left_[2] = {};
  Vec3 right_[2] = {};
  double half_height_[2] = {};
};

}  // namespace

std::unique_ptr<VisibilityAnimation> make_visibility_animation(std::u16string_view name) {
  if (name == u"scale") return std::make_unique<ScaleAnimation>(false);
  if (name == u"pop") return std::make_unique<ScaleAnimation>(true);
  if (name == u"right") return std::make_unique<SlideAnimation>(Side::right);
  if (name == u"bottom") return std::make_unique<SlideAnimation>(Side::bottom);
  if (name == u"left") return std::make_unique<SlideAnimation>(Side::left);
  if (name == u"top") return std::make_unique<SlideAnimation>(Side::top);
  if (name == u"flip") return std::make_unique<FlipAnimation>();
  return nullptr;
}

}  // namespace lv
