#include "gfx/picture.h"

#include <algorithm>

#include "app/log.h"
#include "gfx/bmp.h"

namespace lv {

Picture::Picture(std::unique_ptr<Bitmap> bitmap, std::u16string path)
    : bitmap_(std::move(bitmap)), path_(std::move(path)) {}

const std::shared_ptr<const Picture>& Picture::empty() {
  static const std::shared_ptr<const Picture> picture = std::make_shared<const Picture>(nullptr, u"");
  return picture;
}

PictureView PictureView::of(PictureRef picture) {
  PictureView view;
  if (!picture) picture = Picture::empty();
  const Size s = picture->size();
  view.p2 = view.p3 = {s.width, s.height};
  view.picture = std::move(picture);
  return view;
}

namespace {

// One axis of a nine-patch, in device pixels: the leading border, the
// repeated middle and the trailing border as drawn after clipping.
struct AxisPlan {
  int dst = 0;           // first destination pixel drawn
  int lead_src = 0;      // source start of the leading part
  int lead = 0;          // pixels of the leading part
  int mid_src = 0;       // source start of the middle (its phase included)
  int mid = 0;           // pixels of the middle
  int trail_src = 0;     // source start of the trailing part
  int trail = 0;         // pixels of the trailing part
  int total() const { return lead + mid + trail; }
};

int drop(int& count, int amount) {
  const int taken = std::min(count, amount);
  count -= taken;
  return taken;
}

// c0 <= d + L and c1 >= d hold (the rectangle meets the clip).
AxisPlan plan_axis(int x0, int x1, int x2, int x3, int d, int length, int c0, int c1) {
  AxisPlan p;
  const int a = x1 - x0;
  const int b = x3 - x2;
  if (a + b < length) {
    p.lead = a;
    p.trail = b;
    p.trail_src = x2;
  } else {
    int l = length / 2;
    int r = (length - 1) / 2;
    if (a < l) {
      r += l - a;
      l = a;
    }
    if (b < r) {
      l += r - b;
      r = b;
    }
    p.lead = l;
    p.trail = r;
    p.trail_src = x3 - r;
  }
  p.mid = length - p.lead - p.trail;
  p.lead_src = x0;
  p.mid_src = x1;
  p.dst = d;
  if (d < c0) {
    int excess = c0 - d;
    const int from_lead = drop(p.lead, excess);
    p.lead_src += from_lead;
    excess -= from_lead;
    const int from_mid = drop(p.mid, excess);
    if (x2 > x1) p.mid_src = x1 + from_mid % (x2 - x1);
    excess -= from_mid;
    p.trail_src += drop(p.trail, excess);
    p.dst = c0;
  }
  if (d + length > c1) {
    int excess = d + length - c1;
    excess -= drop(p.trail, excess);
    excess -= drop(p.mid, excess);
    drop(p.lead, excess);
  }
  return p;
}

// The points must lie in order inside the (magnified) bitmap.
bool points_fit(int p0, int p1, int p2, int p3, int extent) {
  return 0 <= p0 && p0 <= p1 && p1 <= p2 && p2 <= p3 && p3 <= extent;
}

}  // namespace

void PictureView::draw(RenderSurface& surface, Point position, Size size, const RowOp& op) const {
  const Bitmap* source = picture ? picture->bitmap() : nullptr;
  Bitmap* target = surface.target();
  if (!source || !target || size.width < 1 || size.height < 1) return;
  if (level < 0 || level > 8) return;
  const int64_t extent_x = static_cast<int64_t>(source->width()) << level;
  const int64_t extent_y = static_cast<int64_t>(source->height()) << level;
  if (extent_x > INT32_MAX || extent_y > INT32_MAX) return;
  if (!points_fit(p0.x, p1.x, p2.x, p3.x, static_cast<int>(extent_x)) ||
      !points_fit(p0.y, p1.y, p2.y, p3.y, static_cast<int>(extent_y)))
    return;

  const Clip& clip = surface.clip();
  const Size s = surface.size();
  const int c0x = std::max({0, clip.x0, position.x});
  const int c0y = std::max({0, clip.y0, position.y});
  const int64_t right = static_cast<int64_t>(position.x) + size.width;
  const int64_t bottom = static_cast<int64_t>(position.y) + size.height;
  const int c1x = static_cast<int>(std::min<int64_t>({s.width, clip.x1, right}));
  const int c1y = static_cast<int>(std::min<int64_t>({s.height, clip.y1, bottom}));
  if (c1x <= c0x || c1y <= c0y) return;
  // Everything outside [c0, c1) is dropped by the plans, so the lengths can
  // be limited to what reaches the clip without changing the split.
  const AxisPlan px = plan_axis(p0.x, p1.x, p2.x, p3.x, position.x, size.width, c0x, c1x);
  const AxisPlan py = plan_axis(p0.y, p1.y, p2.y, p3.y, position.y, size.height, c0y, c1y);
  const bool has_mid_x = p2.x > p1.x;
  const bool has_mid_y = p2.y > p1.y;

  auto draw_row = [&](int dst_y, int src_y) {
    const Pixel* src = source->row(src_y >> level);
    Pixel* dst = target->row(dst_y) + px.dst;
    if (px.lead > 0) op.magnified(dst, px.lead, src, px.lead_src, level);
    dst += px.lead;
    if (px.mid > 0 && has_mid_x) op.magnified_wrapped(dst, px.mid, src, px.mid_src, level, p1.x, p2.x);
    dst += px.mid;
    if (px.trail > 0) op.magnified(dst, px.trail, src, px.trail_src, level);
  };

  int y = py.dst;
  for (int i = 0; i < py.lead; ++i) draw_row(y++, py.lead_src + i);
  if (has_mid_y) {
    int sy = py.mid_src;
    for (int i = 0; i < py.mid; ++i) {
      draw_row(y++, sy);
      sy = sy + 1 == p2.y ? p1.y : sy + 1;
    }
  } else {
    y += py.mid;
  }
  for (int i = 0; i < py.trail; ++i) draw_row(y++, py.trail_src + i);
}

PictureView load_565(std::u16string_view path) {
  std::u16string file(path);
  file += u".bmp";
  std::unique_ptr<Bitmap> bitmap = read_bmp_565_file(file);
  if (!bitmap) {
    log() << u"load_565 " << path << u" is not 16bit bitmap\n";
    return PictureView{};
  }
  return PictureView::of(std::make_shared<const Picture>(std::move(bitmap), std::move(file)));
}

}  // namespace lv
