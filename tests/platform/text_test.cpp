// The device's text services on the installed fonts.
#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

using platform::Font;
using platform::FontQuality;
using platform::LogFont;
using platform::PixelRect;
using platform::TextHAlign;
using platform::TextStyle;
using platform::TextVAlign;

constexpr const char* kTahoma = "/usr/share/wine/fonts/tahoma.ttf";
constexpr const char* kTahomaBold = "/usr/share/wine/fonts/tahomabd.ttf";
constexpr const char* kLiberation = "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf";

std::unique_ptr<Font> make(int height, std::u16string face = u"Tahoma", int weight = platform::kWeightNormal,
                           bool italic = false, FontQuality quality = FontQuality::cleartype) {
  LogFont lf;
  lf.height = height;
  lf.face = std::move(face);
  lf.weight = weight;
  lf.italic = italic;
  lf.quality = quality;
  auto font = Font::create(lf);
  EXPECT_NE(font, nullptr);
  return font;
}

// A white canvas with the helpers to draw and look at it.
struct Canvas {
  int width, height;
  std::vector<uint16_t> px;
  Canvas(int w, int h, uint16_t fill = 0xFFFF) : width(w), height(h), px(static_cast<size_t>(w) * h, fill) {}
  platform::PixelBuffer buffer() { return {px.data(), static_cast<size_t>(width) * 2, width, height}; }
  void draw(const Font* font, std::u16string_view text, PixelRect box, TextStyle style = {},
            platform::TextColor color = {0, 0, 0}) {
    platform::draw_text(buffer(), {0, 0, width, height}, font, text, box, style, color);
  }
  uint16_t at(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }
  // The bounding box of pixels that differ from `background`.
  PixelRect ink(uint16_t background = 0xFFFF) const {
    PixelRect r{width, height, -1, -1};
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (at(x, y) != background) r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1),
                                          std::max(r.bottom, y + 1)};
    return r;
  }
};

TEST(TextFaces, NamesResolveToTheInstalledFaces) {
  struct Case {
    std::u16string face;
    int weight;
    bool italic;
    const char* file;
    bool synthetic_bold, synthetic_italic;
  };
  const Case cases[] = {
      {u"Tahoma", 400, false, kTahoma, false, false},
      {u"tahoma", 400, false, kTahoma, false, false},
      {u"Tahoma", 700, false, kTahomaBold, false, false},
      {u"Tahoma", 400, true, kTahoma, false, true},  // no italic Tahoma: slanted
      {u"Liberation Sans", 700, true, "/usr/share/fonts/truetype/liberation/LiberationSans-BoldItalic.ttf", false,
       false},
      {u"No Such Face Anywhere", 400, false, kLiberation, false, false},
      {u"", 400, false, kTahoma, false, false},
  };
  for (const auto& c : cases) {
    const auto font = make(-16, c.face, c.weight, c.italic);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->file(), c.file);
    EXPECT_EQ(font->synthetic_bold(), c.synthetic_bold) << font->file();
    EXPECT_EQ(font->synthetic_italic(), c.synthetic_italic) << font->file();
  }
  const auto long_name = make(-16, u"Tahoma" + std::u16string(40, u'x'));
  EXPECT_EQ(long_name->logical().face.size(), platform::kFaceNameMax);
  LogFont huge;
  huge.height = -100000;
  EXPECT_EQ(Font::create(huge), nullptr);
}

TEST(TextMetrics, AgreeWithTheDrawnGlyphs) {
  // (The face's bar "|" reaches one row below its own cell, so it is not in the sample.)
  const std::u16string sample = u"ÁÉÍÕÅ gjpqy_Щйё";
  for (const int height : {-11, -16, -32}) {
    for (const int weight : {400, 700}) {
      const auto font = make(height, u"Tahoma", weight);
      const auto& m = font->metrics();
      EXPECT_EQ(m.height, m.ascent + m.descent);
      EXPECT_EQ(m.internal_leading, m.height + height);
      Canvas canvas(400, 80);
      const PixelRect box{10, 10, 390, 70};
      canvas.draw(font.get(), sample, box);
      const PixelRect ink = canvas.ink();
      const int width = font->extent(sample).width;
      EXPECT_GE(ink.top, box.top) << height;
      EXPECT_LE(ink.bottom, box.top + m.height) << height;
      EXPECT_GE(ink.bottom, box.top + m.height - 1) << "descenders reach the cell bottom " << height;
      EXPECT_LE(ink.top, box.top + m.internal_leading + 1) << "accents reach the leading " << height;
      EXPECT_GE(ink.left, box.left - 1) << height;
      EXPECT_LE(ink.right, box.left + width + 1) << height;
      EXPECT_GE(ink.right, box.left + width - 3) << height;
    }
  }
  // A positive height is the cell height itself.
  EXPECT_EQ(make(20)->metrics().height, 20);
  // Tahoma at a character height of 11 pixels has a cell of 13.
  EXPECT_EQ(make(-11)->metrics().height, 13);
}

TEST(TextExtent, CumulativeExtentsPerCodeUnit) {
  const auto font = make(-16);
  std::vector<int> ext;
  const std::u16string text = u"Wa\U0001F600b c";  // a surrogate pair in the middle
  const auto e = font->extent(text, -1, &ext);
  ASSERT_EQ(ext.size(), text.size());
  EXPECT_EQ(ext.back(), e.width);
  EXPECT_EQ(ext[2], ext[3]);
  EXPECT_TRUE(std::is_sorted(ext.begin(), ext.end()));
  EXPECT_EQ(ext[0], font->extent(u"W").width);
  EXPECT_EQ(e.height, font->metrics().height);
  EXPECT_EQ(e.fit, static_cast<int>(text.size()));
  EXPECT_EQ(font->extent(text, ext[1]).fit, 2);
  EXPECT_EQ(font->extent(text, ext[1] - 1).fit, 1);
  EXPECT_EQ(font->extent(text, 0).fit, 0);
  EXPECT_EQ(font->extent(u"").width, 0);
  // Kerning pulls pairs together where the face kerns.
  const auto kerned = make(-16, u"Liberation Sans");
  EXPECT_LT(kerned->extent(u"AV").width, kerned->extent(u"A").width + kerned->extent(u"V").width);
}

TEST(TextDrawing, AlignsAndPlacesInTheBox) {
  const auto font = make(-16);
  const std::u16string text = u"Label";
  const int w = font->extent(text).width, h = font->metrics().height;
  const PixelRect box{20, 10, 220, 70};
  struct Case {
    TextHAlign halign;
    TextVAlign valign;
    int x, y;
  };
  const Case cases[] = {
      {TextHAlign::left, TextVAlign::top, 20, 10},
      {TextHAlign::center, TextVAlign::top, 20 + (200 - w) / 2, 10},
      {TextHAlign::right, TextVAlign::top, 220 - w, 10},
      {TextHAlign::left, TextVAlign::center, 20, 10 + (60 - h) / 2},
      {TextHAlign::right, TextVAlign::bottom, 220 - w, 70 - h},
  };
  for (const auto& c : cases) {
    Canvas aligned(240, 80), placed(240, 80);
    TextStyle style;
    style.halign = c.halign;
    style.valign = c.valign;
    aligned.draw(font.get(), text, box, style);
    placed.draw(font.get(), text, {c.x, c.y, c.x + w, c.y + h});
    EXPECT_EQ(aligned.px, placed.px) << static_cast<int>(c.halign) << static_cast<int>(c.valign);
  }
}

TEST(TextDrawing, EllipsisCutsAtTheCharacterOrAtTheWord) {
  const auto font = make(-16);
  const std::u16string text = u"Hello wonderful world";
  const int width = font->extent(u"Hello won...").width;
  const PixelRect box{0, 0, width, 30};
  const auto drawn = [&](std::u16string_view t, TextStyle style) {
    Canvas canvas(200, 30);
    canvas.draw(font.get(), t, box, style);
    return canvas.px;
  };
  TextStyle end;
  end.end_ellipsis = true;
  TextStyle word;
  word.word_ellipsis = true;
  EXPECT_EQ(drawn(text, end), drawn(u"Hello won...", {}));
  EXPECT_EQ(drawn(text, word), drawn(u"Hello...", {}));
  // A text that fits is left alone; a first word too wide is cut anyway.
  EXPECT_EQ(drawn(u"Hello", end), drawn(u"Hello", {}));
  EXPECT_EQ(drawn(u"Hellowonderful", word), drawn(u"Hellowon...", {}));
  // Without ellipsis the text is clipped at the box.
  Canvas clipped(200, 30);
  clipped.draw(font.get(), text, box);
  EXPECT_LE(clipped.ink().right, width);
}

TEST(TextDrawing, TouchesNothingOutsideClipAndBox) {
  const auto font = make(-32, u"Tahoma", 700);
  Canvas canvas(120, 60, 0x1234);
  const PixelRect clip{10, 5, 100, 50};
  const PixelRect box{-20, -8, 90, 40};
  platform::draw_text(canvas.buffer(), clip, font.get(), u"Wide text Щ", box, {}, {255, 255, 255});
  const PixelRect ink = canvas.ink(0x1234);
  EXPECT_GE(ink.left, 10);
  EXPECT_GE(ink.top, 5);
  EXPECT_LE(ink.right, 90);
  EXPECT_LE(ink.bottom, 40);
  EXPECT_LT(ink.left, ink.right) << "something was drawn";
  // Empty boxes, empty text and a missing buffer draw nothing.
  Canvas untouched(40, 40);
  untouched.draw(font.get(), u"x", {10, 10, 10, 30});
  untouched.draw(font.get(), u"", {0, 0, 40, 40});
  platform::draw_text({}, {0, 0, 40, 40}, font.get(), u"x", {0, 0, 40, 40}, {}, {});
  EXPECT_EQ(untouched.px, Canvas(40, 40).px);
}

TEST(TextDrawing, EdgesFollowTheQuality) {
  const auto classify = [](FontQuality quality) {
    const auto font = make(-16, u"Tahoma", 400, false, quality);
    Canvas canvas(200, 30);
    canvas.draw(font.get(), u"Sub-pixel edges", {0, 0, 200, 30});
    bool partial = false, coloured = false;
    for (const uint16_t p : canvas.px) {
      const int r = p >> 11, g = (p >> 6) & 0x1F, b = p & 0x1F;  // green to 5 bits
      if (p != 0xFFFF && p != 0) partial = true;
      if (std::abs(r - g) > 1 || std::abs(g - b) > 1) coloured = true;
    }
    return std::make_pair(partial, coloured);
  };
  EXPECT_EQ(classify(FontQuality::cleartype), std::make_pair(true, true));
  EXPECT_EQ(classify(FontQuality::antialiased), std::make_pair(true, false));
  EXPECT_EQ(classify(FontQuality::non_antialiased), std::make_pair(false, false));
}

TEST(TextDrawing, BlendsOverTheBackgroundAndUnderlines) {
  const auto font = make(-16);
  Canvas red(100, 30, 0xF800);
  red.draw(font.get(), u"o", {0, 0, 100, 30}, {}, {0, 0, 255});
  bool mixed = false;
  for (const uint16_t p : red.px)
    if ((p >> 11) != 0 && (p & 0x1F) != 0) mixed = true;  // red background and blue text in one pixel
  EXPECT_TRUE(mixed);

  LogFont lf;
  lf.height = -16;
  lf.face = u"Tahoma";
  lf.underline = true;
  const auto underlined = Font::create(lf);
  Canvas plain(100, 30), under(100, 30);
  plain.draw(font.get(), u"ab", {0, 0, 100, 30});
  under.draw(underlined.get(), u"ab", {0, 0, 100, 30});
  const int baseline = font->metrics().ascent;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 100; ++x)
      if (plain.at(x, y) != under.at(x, y)) {
        EXPECT_GT(y, baseline - 1);
        EXPECT_LT(y, font->metrics().height);
        EXPECT_LT(x, font->extent(u"ab").width);
      }
  EXPECT_NE(plain.px, under.px);
  // Without a font the stock font draws.
  Canvas stock(100, 30), none(100, 30);
  stock.draw(platform::stock_font(), u"ab", {0, 0, 100, 30});
  none.draw(nullptr, u"ab", {0, 0, 100, 30});
  EXPECT_EQ(stock.px, none.px);
}

}  // namespace
