// "text": a language text in a font and colour, aligned, optionally wrapped,
// grown to fit and cut with an ellipsis.
#pragma once

#include <string>
#include <vector>

#include "skin/color.h"
#include "skin/element.h"
#include "skin/font.h"
#include "skin/text.h"

namespace lv {

class TextElement : public Element {
 public:
  void set_text(std::u16string_view id, std::u16string_view text) override;
  void load(Properties& properties, NodeRecord record) override;
  void draw(RenderSurface& surface, Point origin) override;
  void measure_width(Measure& range) override;
  void measure_height(Measure& range) override;

  // The operations text kinds add.
  virtual void set_text(std::u16string_view text);
  virtual void set_color(Color color);
  virtual void set_font(FontRef font);

  const std::u16string& text() const { return text_; }
  Color color() const { return color_; }
  const FontRef& font() const { return font_; }
  // The lines for the current width (built when stale).
  const std::vector<TextLine>& lines();
  // The whole text as one line.
  Size extent();

 private:
  void text_changed();

  std::u16string text_;
  std::vector<TextLine> lines_;
  Size extent_{-1, -1};
  std::vector<int> extents_;
  int32_t wrapped_width_ = 0;
  FontRef font_;
  Color color_{0, 0, 0, 255};
  HAlign halign_ = HAlign::center;
  VAlign valign_ = VAlign::center;
  bool grow_ = false;
  bool grow_min_ = false;
  bool wrap_ = false;
  bool ellipsis_ = false;
};

}  // namespace lv
