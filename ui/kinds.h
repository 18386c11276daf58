// The element kinds the skins use, beyond the plain "node".
#pragma once

#include <memory>
#include <vector>

#include "gfx/picture.h"
#include "skin/color.h"
#include "skin/element.h"

namespace lv {

// "color": fills its rectangle with one colour; children are not drawn.
class ColorElement : public Element {
 public:
  ColorElement();
  void load(Properties& properties, NodeRecord record) override;
  void draw(RenderSurface& surface, Point origin) override;
  Color color() const { return color_; }
  void set_color(Color color);

 private:
  Color color_;
};

// "clip": draws its children clipped to its rectangle.
class ClipElement : public Element {
 public:
  void draw(RenderSurface& surface, Point origin) override;
};

// "image": a picture drawn as a nine-patch, through a mask or a translucency
// level, optionally keeping its aspect ratio.
class ImageElement : public Element {
 public:
  void load(Properties& properties, NodeRecord record) override;
  void draw(RenderSurface& surface, Point origin) override;
  void measure_width(Measure& range) override;
  void measure_height(Measure& range) override;

  const PictureView& picture() const { return src_; }
  // Replaces the picture (icons set theirs from code); the mask is dropped
  // when it no longer matches the picture's size.
  void set_picture(PictureView view);

 private:
  void choose_operator();
  void draw_keeping_aspect(RenderSurface& surface, Point origin);

  PictureView src_;
  PictureView mask_;
  int32_t alpha_ = -1;
  std::unique_ptr<RowOp> op_;  // null: copy_op
  bool grow_ = false;
  bool save_aspect_ratio_ = false;
};

// The operator that blends a source through a mask picture of the source's
// size: the mask's 5-bit blue value m weighs the source, m / 32.
std::unique_ptr<RowOp> mask_op(const PictureView& source, const PictureView& mask);

// "progress": places its child "#line" by a fraction of its extent.
class ProgressElement : public Element {
 public:
  void load(Properties& properties, NodeRecord record) override;
  void layout_x() override;
  void layout_y() override;
  double fraction() const { return fraction_; }
  // Lays the bar out again at the next layout.
  void set_fraction(double fraction);

 private:
  void place(bool horizontal);
  Element* bar_ = nullptr;
  double fraction_ = 0.0;
};

// "htable" and "vtable": share their axis among their visible children by
// measure and "table_ratio".
class TableElement : public Element {
 public:
  explicit TableElement(bool horizontal) : horizontal_(horizontal) {}
  ElementPtr remove_child(Element* child, size_t index) override;
  void insert_child(ElementPtr child, size_t index, Properties& properties, NodeRecord record,
                    std::u16string_view type_name) override;
  void child_visibility_changed() override { invalidate_layout(); }
  void layout_x() override;
  void layout_y() override;
  void measure_width(Measure& range) override;
  void measure_height(Measure& range) override;
  bool horizontal() const { return horizontal_; }
  // The "table_ratio" of the child at index, for tables built by code.
  void set_ratio(size_t index, int32_t ratio);

 private:
  void measure_axis(Measure& range);
  void layout_axis();
  bool horizontal_;
  std::vector<int32_t> ratios_;  // parallel to the children
};

// Registers the kinds of the toolkit in the element registry, and removes them.
void register_toolkit_kinds();
void unregister_toolkit_kinds();

}  // namespace lv
