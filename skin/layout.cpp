// Measuring and placing elements (the layout half of Element).
#include <algorithm>

#include "skin/element.h"

namespace lv {

void Element::invalidate_layout() {
  for (Element* e = this; e; e = e->parent_) {
    e->width_measure_.preferred = -1;
    e->height_measure_.preferred = -1;
    e->layout_pending_ = true;
  }
}

Measure Element::width_measure() {
  if (width_measure_.preferred == -1) {
    width_measure_ = {0, 0};
    measure_width(width_measure_);
  }
  return width_measure_;
}

Measure Element::height_measure() {
  if (height_measure_.preferred == -1) {
    height_measure_ = {0, 0};
    measure_height(height_measure_);
  }
  return height_measure_;
}

void Element::measure_width(Measure& range) { base_measure(true, range); }
void Element::measure_height(Measure& range) { base_measure(false, range); }
void Element::layout_x() { base_layout(true); }
void Element::layout_y() { base_layout(false); }

void Element::base_measure(bool horizontal, Measure& range) {
  const int32_t design = horizontal ? design_size_.x : design_size_.y;
  range.preferred = std::max(range.preferred, design);
  range.minimum = std::max(range.minimum, design);
  for (const auto& child : children_) {
    const Measure m = horizontal ? child->width_measure() : child->height_measure();
    const AnchorMode mode = horizontal ? child->anchor_x_ : child->anchor_y_;
    const int32_t margins = horizontal ? child->border_min_.x + child->border_max_.x
                                       : child->border_min_.y + child->border_max_.y;
    const int32_t contribution = is_no_size(mode) ? 0 : m.preferred + margins;
    range.preferred = std::max(range.preferred, contribution);
    range.minimum = std::max(range.minimum, m.minimum - m.preferred + contribution);
  }
}

void Element::base_layout(bool horizontal) {
  for (const auto& child : children_) {
    if (horizontal) {
      const Placement p = place(child->anchor_x_, width_, child->border_min_.x, child->border_max_.x,
                                child->width_measure().preferred);
      child->set_x_width(x_ + p.pos, p.size);
    } else {
      const Placement p = place(child->anchor_y_, height_, child->border_min_.y, child->border_max_.y,
                                child->height_measure().preferred);
      child->set_y_height(y_ + p.pos, p.size);
    }
  }
}

void Element::set_x_width(int32_t x, int32_t width) {
  if (x == x_ && width == width_ && !layout_pending_) return;
  x_ = x;
  width_ = width;
  layout_pending_ = true;
  height_measure_.preferred = -1;  // a new width may change the height
  mark_dirty();
  if (observer_) observer_->on_width(*this, width);
  layout_x();
}

void Element::set_y_height(int32_t y, int32_t height) {
  if (y == y_ && height == height_ && !layout_pending_) return;
  y_ = y;
  height_ = height;
  layout_pending_ = false;
  mark_dirty();
  if (observer_) observer_->on_height(*this, height);
  layout_y();
}

void layout_root(Element& root, int32_t width, int32_t height) {
  root.set_x_width(0, width);
  root.set_y_height(0, height);
}

void fit_to_width(Element& element, int32_t width) {
  if (!element.layout_pending()) return;
  element.set_x_width(0, width);
  element.set_y_height(0, element.height_measure().preferred);
}

}  // namespace lv
