#include "ui/text_element.h"

#include <algorithm>

#include "skin/properties.h"

namespace lv {

void TextElement::load(Properties& properties, NodeRecord record) {
  Element::load(properties, record);
  static const std::u16string kEmpty;
  text_ = properties.text(properties.get_string(record, u"text", kEmpty));
  font_ = properties.get_font(record, u"font", nullptr);
  color_ = properties.get_color(record, u"color", Color{0, 0, 0, 255});
  halign_ = halign_from_keyword(properties.get_string(record, u"halign", kEmpty));
  valign_ = valign_from_keyword(properties.get_string(record, u"valign", kEmpty));
  grow_ = properties.get_integer(record, u"grow", 0) != 0;
  grow_min_ = properties.get_integer(record, u"grow_min", 0) != 0;
  wrap_ = properties.get_integer(record, u"wrap", 0) != 0;
  ellipsis_ = properties.get_integer(record, u"ellipsis", 0) != 0;
  extent_ = {-1, -1};
  lines_.clear();
}

void TextElement::set_text(std::u16string_view id, std::u16string_view text) {
  if (id == this->id()) set_text(text);
  Element::set_text(id, text);
}

void TextElement::text_changed() {
  extent_ = {-1, -1};
  lines_.clear();
  if (grow_)
    invalidate_layout();
  else
    mark_dirty();
}

void TextElement::set_text(std::u16string_view text) {
  if (text == text_) return;
  text_ = std::u16string(text);
  text_changed();
}

void TextElement::set_font(FontRef font) {
  if (font == font_) return;
  font_ = std::move(font);
  text_changed();
}

void TextElement::set_color(Color color) {
  if (color == color_) return;
  color_ = color;
  mark_dirty();
}

Size TextElement::extent() {
  if (extent_.width < 0) {
    // Without a font there is nothing to measure or draw.
    extents_.clear();
    extent_ = font_ ? measure_text(font_.get(), text_, -1, &extents_) : Size{0, 0};
  }
  return extent_;
}

const std::vector<TextLine>& TextElement::lines() {
  if (lines_.empty() || extent_.width < 0) {
    extent();
    if (wrap_ && font_)
      lines_ = wrap_text(text_, width(), extents_, 0);
    else
      lines_ = {TextLine{0, static_cast<int>(text_.size())}};
    if (lines_.empty()) lines_ = {TextLine{0, 0}};
  }
  return lines_;
}

void TextElement::measure_width(Measure& range) {
  Element::measure_width(range);
  if (!grow_) return;
  const int32_t w = extent().width;
  range.preferred = std::max(range.preferred, w);
  if (grow_min_) range.minimum = std::max(range.minimum, w);
}

void TextElement::measure_height(Measure& range) {
  Element::measure_height(range);
  if (wrap_ && width() != wrapped_width_) {
    extent_ = {-1, -1};
    wrapped_width_ = width();
  }
  if (!grow_) return;
  const int32_t h = static_cast<int32_t>(lines().size()) * extent().height;
  range.preferred = std::max(range.preferred, h);
  if (grow_min_) range.minimum = std::max(range.minimum, h);
}

void TextElement::draw(RenderSurface& surface, Point origin) {
  if (!font_ || text_.empty()) return;
  const ClipScope clip(surface, origin, {width(), height()});
  const std::vector<TextLine> rows = lines();
  const int32_t line_height = extent().height;
  if (line_height <= 0) return;
  const int32_t total = line_height * static_cast<int32_t>(rows.size());
  int32_t top = origin.y;
  if (valign_ == VAlign::center) {
    const int32_t half = (height() - total) / 2;
    if (half >= 1) top += half;
  } else if (valign_ == VAlign::bottom) {
    top += height() - total;
  }
  const int32_t bottom = origin.y + height();
  bool cut = false;
  for (const TextLine& line : rows) {
    if (top >= bottom) break;
    if (wrap_ && ellipsis_ && top + line_height > bottom) {
      cut = true;
      break;
    }
    const std::u16string_view part = std::u16string_view(text_).substr(
        static_cast<size_t>(line.start), static_cast<size_t>(line.length));
    draw_text(font_.get(), surface, color_.red, color_.green, color_.blue, part, {origin.x, top},
              {width(), line_height}, halign_, VAlign::top, ellipsis_);
    top += line_height;
  }
  if (cut)
    draw_text(font_.get(), surface, color_.red, color_.green, color_.blue, u"\u2026", origin, {width(), height()},
              halign_, VAlign::bottom, false);
}

}  // namespace lv
