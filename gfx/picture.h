// Shared pictures and the nine-patch views elements hold of them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "gfx/bitmap.h"
#include "gfx/geometry.h"
#include "gfx/render_surface.h"
#include "gfx/row_op.h"

namespace lv {

// A loaded picture: one memory bitmap and the path it came from. Shared by
// reference counting; never changed after loading.
class Picture {
 public:
  Picture(std::unique_ptr<Bitmap> bitmap, std::u16string path);
  // The process-wide empty picture: size 0 x 0, draws nothing.
  static const std::shared_ptr<const Picture>& empty();

  Size size() const { return bitmap_ ? bitmap_->size() : Size{}; }
  const Bitmap* bitmap() const { return bitmap_.get(); }
  const std::u16string& path() const { return path_; }

 private:
  std::unique_ptr<Bitmap> bitmap_;
  std::u16string path_;
};

using PictureRef = std::shared_ptr<const Picture>;

// A nine-patch region of a shared picture. All points are in device pixels
// = source pixels * 2^level. p0 is the region's top-left corner, p1 the
// top-left corner of the repeated middle, p2 the middle's bottom-right
// corner (exclusive), p3 the region's bottom-right corner (exclusive).
struct PictureView {
  Point p0;
  Point p1;
  Point p2;
  Point p3;
  PictureRef picture = Picture::empty();
  int level = 0;
  uint8_t flag = 0;  // carried from the skin; drawing does not consult it

  // The whole picture as its middle, level 0.
  static PictureView of(PictureRef picture);

  // The region's size in device pixels.
  Size size() const { return {p3.x - p0.x, p3.y - p0.y}; }
  bool is_empty() const { return picture->size() == Size{}; }

  // Draws the view stretched to (position, size) through the operator:
  // borders copied, middle repeated, every source pixel covering
  // 2^level x 2^level device pixels.
  void draw(RenderSurface& surface, Point position, Size size, const RowOp& op) const;

  // The flag is not compared.
  friend bool operator==(const PictureView& a, const PictureView& b) {
    return a.p0 == b.p0 && a.p1 == b.p1 && a.p2 == b.p2 && a.p3 == b.p3 && a.picture == b.picture &&
           a.level == b.level;
  }
};

inline void draw_view(const PictureView& view, RenderSurface& surface, Point position, Size size,
                      const RowOp& op) {
  view.draw(surface, position, size, op);
}

// Loads path + ".bmp" (a device path, macros already expanded). A file that
// cannot be opened or is not a complete 16-bit bitmap gives the empty view
// and logs "load_565 " + path + " is not 16bit bitmap\n".
PictureView load_565(std::u16string_view path);

}  // namespace lv
