#include "skin/text.h"

#include <gtest/gtest.h>

#include "tests/testing/golden.h"

#include <cstdlib>
#include <filesystem>

#include "gfx/render_surface.h"
#include "platform/png.h"
#include "platform/text.h"
#include "platform/unicode.h"
#include "tests/testing/temp_device.h"

namespace {

using lv::FontDesc;
using lv::HAlign;
using lv::RenderSurface;
using lv::TextLine;
using lv::VAlign;

lv::FontRef tahoma(int size, int scale = 1, bool bold = false, bool italic = false, bool underline = false) {
  return lv::get_font(FontDesc{size, scale, bold, italic, underline, u"Tahoma"});
}

void fill_all(RenderSurface& s, lv::Pixel p) {
  for (int y = 0; y < s.size().height; ++y)
    for (int x = 0; x < s.size().width; ++x) s.target()->set(x, y, p);
}

TEST(TextKeywords, AreExactAndDefaultToCentre) {
  EXPECT_EQ(lv::halign_from_keyword(u"LEFT"), HAlign::left);
  EXPECT_EQ(lv::halign_from_keyword(u"CENTER"), HAlign::center);
  EXPECT_EQ(lv::halign_from_keyword(u"RIGHT"), HAlign::right);
  EXPECT_EQ(lv::halign_from_keyword(u"JUSTIFY"), HAlign::justify);
  for (auto k : {u"center", u"left", u"", u"VCENTER", u"LEFT "}) EXPECT_EQ(lv::halign_from_keyword(k), HAlign::center);
  EXPECT_EQ(lv::valign_from_keyword(u"TOP"), VAlign::top);
  EXPECT_EQ(lv::valign_from_keyword(u"VCENTER"), VAlign::center);
  EXPECT_EQ(lv::valign_from_keyword(u"BOTTOM"), VAlign::bottom);
  for (auto k : {u"top", u"CENTER", u""}) EXPECT_EQ(lv::valign_from_keyword(k), VAlign::center);
}

TEST(MeasureText, WidthFromTheFontHeightFromItsMetrics) {
  const auto font = tahoma(12);
  std::vector<int> extents;
  const lv::Size size = lv::measure_text(font.get(), u"Menu", -1, &extents);
  EXPECT_EQ(size.width, font->font()->extent(u"Menu").width);
  EXPECT_EQ(size.height, font->height());
  ASSERT_EQ(extents.size(), 4u);
  EXPECT_EQ(extents[3], size.width);
  // The bounded form measures the whole text too.
  EXPECT_EQ(lv::measure_text(font.get(), u"Menu", 5).width, size.width);
  EXPECT_GT(lv::measure_text(nullptr, u"Menu").width, 0);
}

TEST(DrawText, TouchedPixelsCarryTheMarkerBit) {
  RenderSurface surface({120, 40});
  fill_all(surface, lv::kKeyColor);
  lv::draw_text(tahoma(12).get(), surface, 255, 255, 255, u"Keyed Щ", {4, 4}, {112, 32}, HAlign::left, VAlign::top,
                false);
  int touched = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x) {
      const lv::Pixel p = surface.target()->at(x, y);
      if (p == lv::kKeyColor) continue;
      ++touched;
      EXPECT_TRUE(p & lv::kOpaqueBit) << x << "," << y;
    }
  EXPECT_GT(touched, 50);
}

TEST(DrawText, BoxesCutByTheSurfaceOrTheClipDrawTheSamePixels) {
  const auto font = tahoma(12, 1, true);
  RenderSurface whole({200, 40}), part({140, 40});
  fill_all(whole, 0x1234);
  fill_all(part, 0x1234);
  // The same line, its box 60 pixels further left on the smaller surface.
  lv::draw_text(font.get(), whole, 0, 0, 0, u"Partly outside the surface", {0, 4}, {200, 30}, HAlign::left,
                VAlign::center, false);
  lv::draw_text(font.get(), part, 0, 0, 0, u"Partly outside the surface", {-60, 4}, {200, 30}, HAlign::left,
                VAlign::center, false);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 140; ++x) ASSERT_EQ(part.target()->at(x, y), whole.target()->at(x + 60, y)) << x << "," << y;
  // A clip scope limits the drawing.
  RenderSurface clipped({200, 40});
  fill_all(clipped, 0x1234);
  {
    lv::ClipScope scope(clipped, {50, 0}, {40, 40});
    lv::draw_text(font.get(), clipped, 0, 0, 0, u"Partly outside the surface", {0, 4}, {200, 30}, HAlign::left,
                  VAlign::center, false);
  }
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x) {
      const bool inside = x >= 50 && x < 90;
      ASSERT_EQ(clipped.target()->at(x, y), inside ? whole.target()->at(x, y) : lv::Pixel{0x1234}) << x << "," << y;
    }
  // Nothing for empty text, an empty box or a surface without target.
  RenderSurface none;
  lv::draw_text(font.get(), none, 0, 0, 0, u"x", {0, 0}, {10, 10}, HAlign::left, VAlign::top, false);
  RenderSurface blank({20, 20});
  fill_all(blank, 0x1234);
  lv::draw_text(font.get(), blank, 0, 0, 0, u"", {0, 0}, {20, 20}, HAlign::left, VAlign::top, false);
  lv::draw_text(font.get(), blank, 0, 0, 0, u"x", {0, 0}, {0, 20}, HAlign::left, VAlign::top, false);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(blank.target()->at(x, y), 0x1234);
}

// Extents of a font whose every character is 10 pixels wide.
std::vector<int> even_extents(std::u16string_view text) {
  std::vector<int> e(text.size());
  for (size_t i = 0; i < text.size(); ++i) e[i] = static_cast<int>(i + 1) * 10;
  return e;
}

std::vector<std::u16string> wrapped(std::u16string_view text, int width, int indent = 0) {
  std::vector<std::u16string> out;
  for (const TextLine& l : lv::wrap_text(text, width, even_extents(text), indent))
    out.emplace_back(text.substr(l.start, l.length));
  return out;
}

TEST(WrapText, BreaksAtSpacesCutsLongWordsAndObeysLineFeeds) {
  using Lines = std::vector<std::u16string>;
  EXPECT_EQ(wrapped(u"abc def", 50), (Lines{u"abc", u"def"}));
  EXPECT_EQ(wrapped(u"abc def", 70), (Lines{u"abc def"}));
  EXPECT_EQ(wrapped(u"abcdefgh", 50), (Lines{u"abcde", u"fgh"}));
  EXPECT_EQ(wrapped(u"one two three", 80), (Lines{u"one two", u"three"}));
  EXPECT_EQ(wrapped(u"ab\ncd", 100), (Lines{u"ab", u"cd"}));
  EXPECT_EQ(wrapped(u"ab\n\ncd", 100), (Lines{u"ab", u"", u"cd"}));
  EXPECT_EQ(wrapped(u"ab\u200Bcd", 30), (Lines{u"ab", u"cd"}));
  EXPECT_EQ(wrapped(u"x abcdefgh", 50), (Lines{u"x abc", u"defgh"}));
  EXPECT_EQ(wrapped(u"", 50), (Lines{u""}));
  EXPECT_EQ(wrapped(u"abc", 5), (Lines{u"a", u"b", u"c"}));
  // The indent takes room on the first line only.
  EXPECT_EQ(wrapped(u"abc def", 50, 30), (Lines{u"", u"abc", u"def"}));
  EXPECT_EQ(wrapped(u"ab cd", 60, 10), (Lines{u"ab cd"}));
  EXPECT_EQ(wrapped(u"ab cd", 50, 10), (Lines{u"ab", u"cd"}));
  // Extents that do not cover the text give it back whole.
  EXPECT_EQ(lv::wrap_text(u"abc def", 10, {10, 20}), (std::vector<TextLine>{{0, 7}}));
}

TEST(WrapText, LinesOfARealParagraphFitAndCoverTheText) {
  const auto font = tahoma(12);
  std::u16string text;
  while (text.size() < 500)
    text += u"Съешь же ещё этих мягких французских булок, да выпей чаю. The quick brown fox jumps over "
            u"the lazy dog. Incomprehensibilities ";
  std::vector<int> extents;
  lv::measure_text(font.get(), text, -1, &extents);
  for (const int width : {60, 100, 236}) {
    const auto lines = lv::wrap_text(text, width, extents);
    int next = 0;
    for (const TextLine& l : lines) {
      ASSERT_GE(l.start, next);
      for (int i = next; i < l.start; ++i) EXPECT_LT(text[i], 0x21) << "only break characters are dropped";
      const int w = extents[l.start + l.length - 1] - (l.start > 0 ? extents[l.start - 1] : 0);
      if (l.length > 1) {
        EXPECT_LE(w, width) << platform::to_utf8(text.substr(l.start, l.length));
      }
      next = l.start + l.length;
    }
    EXPECT_EQ(next, static_cast<int>(text.size()));
    EXPECT_GT(lines.size(), static_cast<size_t>(extents.back() / width));
  }
}

// The golden pictures: a few lines in two sizes, bold, italic, underlined,
// Cyrillic, the alignments and the ellipsis, at both display scales.
RenderSurface render_sample(int scale) {
  RenderSurface s({240 * scale, 320 * scale});
  fill_all(s, lv::rgb565(250, 248, 240));
  struct Line {
    int size;
    bool bold, italic, underline;
    std::u16string_view text;
    HAlign halign;
    bool ellipsis;
  };
  const Line lines[] = {
      {10, false, false, false, u"Tahoma 10: The quick brown fox", HAlign::left, false},
      {12, false, false, false, u"Tahoma 12: jumps over the lazy dog", HAlign::left, false},
      {12, true, false, false, u"Bold 12: Missed calls (3)", HAlign::left, false},
      {16, false, false, false, u"16: 11:30 AM", HAlign::left, false},
      {12, false, false, false, u"Съешь же ещё этих мягких", HAlign::left, false},
      {16, true, false, false, u"Булок, да выпей чаю", HAlign::left, false},
      {12, false, true, false, u"Italic: Tuesday, March 10", HAlign::center, false},
      {12, false, false, true, u"Underlined link", HAlign::right, false},
      {12, false, false, false, u"An ellipsis cuts a text that is far too long", HAlign::left, true},
  };
  int y = 4;
  for (const Line& l : lines) {
    const auto font = lv::get_font(FontDesc{l.size, scale, l.bold, l.italic, l.underline, u"Tahoma"});
    lv::draw_text(font.get(), s, 20, 30, 60, l.text, {4 * scale, y * scale}, {232 * scale, 24 * scale}, l.halign,
                  VAlign::center, l.ellipsis);
    y += 26;
  }
  lv::fill(s, {0, y * scale, 240 * scale, 60 * scale}, 16, 40, 96);
  lv::draw_text(tahoma(12, scale, true).get(), s, 255, 255, 255, u"White on blue Щ", {0, y * scale},
                {240 * scale, 60 * scale}, HAlign::center, VAlign::center, false);
  return s;
}

TEST(TextGolden, MatchesTheCheckedInPictures) {
  ASSERT_EQ(tahoma(12)->font()->file(), "/usr/share/wine/fonts/tahoma.ttf") << "another font slipped in";
  ASSERT_EQ(tahoma(12, 1, true)->font()->file(), "/usr/share/wine/fonts/tahomabd.ttf");
  for (const int scale : {1, 2}) {
    const std::string name = "text_" + std::to_string(240 * scale) + "x" + std::to_string(320 * scale) + ".png";
    testing_support::expect_matches_golden(render_sample(scale), std::filesystem::path(LUMIVALE_GOLDEN_DIR) / name);
  }
}

}  // namespace
