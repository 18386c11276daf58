#include "ui/kinds.h"

#include <algorithm>
#include <cmath>

#include "skin/properties.h"
#include "ui/button_element.h"
#include "ui/multinode_element.h"
#include "ui/text_element.h"

namespace lv {

// ---- color, clip ------------------------------------------------------------

ColorElement::ColorElement() : color_{255, 0, 255, 255} {}

void ColorElement::load(Properties& properties, NodeRecord record) {
  Element::load(properties, record);
  color_ = properties.get_color(record, u"color", Color{0, 0, 0, 255});
}

void ColorElement::set_color(Color color) {
  color_ = color;
  mark_dirty();
}

void ColorElement::draw(RenderSurface& surface, Point origin) {
  fill(surface, {origin.x, origin.y, width(), height()}, color_.red, color_.green, color_.blue);
}

void ClipElement::draw(RenderSurface& surface, Point origin) {
  const ClipScope clip(surface, origin, {width(), height()});
  Element::draw(surface, origin);
}

// ---- image ------------------------------------------------------------------

void ImageElement::load(Properties& properties, NodeRecord record) {
  Element::load(properties, record);
  src_ = properties.get_picture(record, u"src", PictureView{});
  mask_ = properties.get_picture(record, u"mask", PictureView{});
  alpha_ = properties.get_integer(record, u"alpha", -1);
  grow_ = properties.get_integer(record, u"grow", 0) != 0;
  save_aspect_ratio_ = properties.get_integer(record, u"save_aspect_ratio", 0) != 0;
  choose_operator();
}

void ImageElement::set_picture(PictureView view) {
  src_ = std::move(view);
  choose_operator();
  invalidate_layout();
  mark_dirty();
}

void ImageElement::choose_operator() {
  if (!mask_.is_empty() && mask_.size() == src_.size())
    op_ = mask_op(src_, mask_);
  else if (alpha_ != -1)
    op_ = translucency_op(alpha_);
  else
    op_ = nullptr;
}

void ImageElement::measure_width(Measure& range) {
  Element::measure_width(range);
  if (!grow_) return;
  const int32_t w = src_.size().width;
  range.preferred = std::max(range.preferred, w);
  range.minimum = std::max(range.minimum, w);
}

void ImageElement::measure_height(Measure& range) {
  Element::measure_height(range);
  if (!grow_) return;
  const Size pic = src_.size();
  int32_t h = pic.height;
  if (save_aspect_ratio_ && width() < pic.width && pic.width > 0) h = pic.height * width() / pic.width;
  range.preferred = std::max(range.preferred, h);
  range.minimum = std::max(range.minimum, h);
}

void ImageElement::draw(RenderSurface& surface, Point origin) {
  if (src_.is_empty()) return;
  if (save_aspect_ratio_) return draw_keeping_aspect(surface, origin);
  const auto copy = copy_op();
  src_.draw(surface, origin, {width(), height()}, op_ ? *op_ : *copy);
}

void ImageElement::draw_keeping_aspect(RenderSurface& surface, Point origin) {
  const Size pic = src_.size();
  const int32_t w = width(), h = height();
  if (pic.width <= 0 || pic.height <= 0) return;
  if (w < pic.width || h < pic.height) {
    // Shrink: the picture at its own size, scaled down to fit.
    RenderSurface own(pic);
    if (!own.target()) return;
    const auto copy = copy_op();
    src_.draw(own, {0, 0}, pic, *copy);
    const double scale = static_cast<int64_t>(w) * pic.height < static_cast<int64_t>(h) * pic.width
                             ? static_cast<double>(w) / pic.width
                             : static_cast<double>(h) / pic.height;
    const Size target{static_cast<int>(pic.width * scale), static_cast<int>(pic.height * scale)};
    blit_scaled(own, surface,
                {origin.x + (w - target.width) / 2, origin.y + (h - target.height) / 2, target.width, target.height},
                {0, 0, pic.width, pic.height}, *copy);
    return;
  }
  // Fits: enlarge by pixel repetition as often as it still fits, at most 16x.
  int n = 0;
  while (n < 4 && (pic.width << (n + 1)) <= w && (pic.height << (n + 1)) <= h) ++n;
  PictureView big = src_;
  for (Point* p : {&big.p0, &big.p1, &big.p2, &big.p3}) *p = {p->x << n, p->y << n};
  big.level = src_.level + n;
  const Size size = big.size();
  const auto copy = copy_op();
  big.draw(surface, {origin.x + (w - size.width) / 2, origin.y + (h - size.height) / 2}, size, op_ ? *op_ : *copy);
}

// ---- progress ---------------------------------------------------------------

void ProgressElement::load(Properties& properties, NodeRecord record) {
  Element::load(properties, record);
  bar_ = find_child(u"#line");
  if (bar_) bar_->set_geometry_observer(nullptr);
}

void ProgressElement::set_fraction(double fraction) {
  fraction_ = fraction;
  invalidate_layout();
  mark_dirty();
}

void ProgressElement::layout_x() { place(true); }
void ProgressElement::layout_y() { place(false); }

void ProgressElement::place(bool horizontal) {
  for (const auto& child : children()) {
    const AnchorMode mode = horizontal ? child->anchor_x() : child->anchor_y();
    const int32_t parent = horizontal ? width() : height();
    const int32_t bmin = horizontal ? child->border_min().x : child->border_min().y;
    const int32_t bmax = horizontal ? child->border_max().x : child->border_max().y;
    int32_t preferred = horizontal ? child->width_measure().preferred : child->height_measure().preferred;
    if (child.get() == bar_) {
      const double extent = (is_no_size(mode) ? parent : parent - bmin - bmax) * fraction_;
      preferred = extent < 1 ? 0 : static_cast<int32_t>(std::trunc(extent));
    }
    const Placement p = lv::place(mode, parent, bmin, bmax, preferred);
    if (horizontal)
      child->set_x_width(x() + p.pos, p.size);
    else
      child->set_y_height(y() + p.pos, p.size);
  }
}

// ---- tables -----------------------------------------------------------------

ElementPtr TableElement::remove_child(Element* child, size_t index) {
  ElementPtr removed = Element::remove_child(child, index);
  if (removed && index < ratios_.size()) ratios_.erase(ratios_.begin() + static_cast<ptrdiff_t>(index));
  return removed;
}

void TableElement::insert_child(ElementPtr child, size_t index, Properties& properties, NodeRecord record,
                                std::u16string_view type_name) {
  index = std::min(index, child_count());
  ratios_.insert(ratios_.begin() + static_cast<ptrdiff_t>(index),
                 record ? properties.get_integer(record, u"table_ratio", 0) : 0);
  Element::insert_child(std::move(child), index, properties, record, type_name);
}

void TableElement::set_ratio(size_t index, int32_t ratio) {
  if (index >= ratios_.size()) return;
  ratios_[index] = ratio;
  invalidate_layout();
}

void TableElement::measure_width(Measure& range) {
  if (horizontal_) measure_axis(range);
  else Element::measure_width(range);
}

void TableElement::measure_height(Measure& range) {
  if (!horizontal_) measure_axis(range);
  else Element::measure_height(range);
}

void TableElement::layout_x() {
  if (horizontal_) layout_axis();
  else Element::layout_x();
}

void TableElement::layout_y() {
  if (!horizontal_) layout_axis();
  else Element::layout_y();
}

void TableElement::measure_axis(Measure& range) {
  range.preferred = std::max(range.preferred, horizontal_ ? design_size().x : design_size().y);
  int32_t sum = 0, slack = 0;
  for (const auto& child : children()) {
    if (!child->visible()) continue;
    const Measure m = horizontal_ ? child->width_measure() : child->height_measure();
    const AnchorMode mode = horizontal_ ? child->anchor_x() : child->anchor_y();
    const int32_t margins = horizontal_ ? child->border_min().x + child->border_max().x
                                        : child->border_min().y + child->border_max().y;
    sum += is_no_size(mode) ? 0 : m.preferred + margins;
    slack += m.preferred - m.minimum;
  }
  range.preferred = std::max(range.preferred, sum);
  range.minimum = std::max(range.minimum, sum - slack);
}

void TableElement::layout_axis() {
  std::vector<Element*> cells_of;
  std::vector<TableCell> cells;
  int32_t margins = 0;
  for (size_t i = 0; i < child_count(); ++i) {
    Element* c = child(i);
    if (!c->visible()) continue;
    const Measure m = horizontal_ ? c->width_measure() : c->height_measure();
    const int32_t cm = horizontal_ ? c->border_min().x + c->border_max().x : c->border_min().y + c->border_max().y;
    cells_of.push_back(c);
    cells.push_back({m.preferred, m.minimum, cm, i < ratios_.size() ? ratios_[i] : 0});
    margins += cm;
  }
  const int32_t extent = horizontal_ ? width() : height();
  int32_t pos = horizontal_ ? x() : y();
  if (extent - margins < 1) {
    for (Element* c : cells_of) horizontal_ ? c->set_x_width(pos, 0) : c->set_y_height(pos, 0);
    return;
  }
  const std::vector<int32_t> widths = share_table_extent(cells, extent);
  for (size_t i = 0; i < cells_of.size(); ++i) {
    Element* c = cells_of[i];
    const int32_t cell = widths[i] + cells[i].margins;
    const Placement p = horizontal_
                            ? place(c->anchor_x(), cell, c->border_min().x, c->border_max().x, widths[i])
                            : place(c->anchor_y(), cell, c->border_min().y, c->border_max().y, widths[i]);
    if (horizontal_)
      c->set_x_width(pos + p.pos, p.size);
    else
      c->set_y_height(pos + p.pos, p.size);
    pos += cell;
  }
}

// ---- registration -------------------------------------------------------------

namespace {
template <class T>
ElementPtr make() {
  return std::make_unique<T>();
}
}  // namespace

void register_toolkit_kinds() {
  ElementRegistry::register_kind(u"node", make<Element>);
  ElementRegistry::register_kind(u"text", make<TextElement>);
  ElementRegistry::register_kind(u"color", make<ColorElement>);
  ElementRegistry::register_kind(u"image", make<ImageElement>);
  ElementRegistry::register_kind(u"htable", [] { return std::make_unique<TableElement>(true); });
  ElementRegistry::register_kind(u"vtable", [] { return std::make_unique<TableElement>(false); });
  ElementRegistry::register_kind(u"button", make<ButtonElement>);
  ElementRegistry::register_kind(u"multinode", make<MultiNodeElement>);
  ElementRegistry::register_kind(u"progress", make<ProgressElement>);
  ElementRegistry::register_kind(u"clip", make<ClipElement>);
}

void unregister_toolkit_kinds() {
  for (const char16_t* name :
       {u"node", u"text", u"color", u"image", u"htable", u"vtable", u"button", u"multinode", u"progress", u"clip"})
    ElementRegistry::unregister_kind(name);
}

}  // namespace lv
