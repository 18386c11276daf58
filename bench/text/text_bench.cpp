// Text in skin fonts: drawing a label, measuring with extents, wrapping a
// paragraph. Beside them, the label drawn by a font whose glyph cache is cold
// (a new font per call, creation included), which is what the cache saves.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "gfx/render_surface.h"
#include "platform/text.h"
#include "skin/text.h"

namespace {

using namespace lv;

constexpr std::u16string_view kLabel = u"Missed calls: 3 (12)";  // 20 characters

std::u16string paragraph() {
  std::u16string text;
  while (text.size() < 500)
    text += u"The quick brown fox jumps over the lazy dog; Съешь же ещё этих мягких французских булок. ";
  text.resize(500);
  return text;
}

FontRef label_font() { return get_font(FontDesc{12, 1, false, false, false, u"Tahoma"}); }

void BM_draw_text_label(benchmark::State& state) {
  const FontRef font = label_font();
  RenderSurface surface({240, 320});
  fill(surface, {0, 0, 240, 320}, 255, 255, 255);
  for (auto _ : state) {
    draw_text(font.get(), surface, 0, 0, 0, kLabel, {4, 100}, {232, 24}, HAlign::left, VAlign::center, true);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_draw_text_label);

void BM_draw_text_label_cold_glyphs(benchmark::State& state) {
  std::vector<uint16_t> pixels(240 * 320, 0xFFFF);
  const platform::PixelBuffer buffer{pixels.data(), 480, 240, 320};
  platform::LogFont logical;
  logical.height = font_height_for(12, 1);
  logical.face = u"Tahoma";
  for (auto _ : state) {
    const auto font = platform::Font::create(logical);
    platform::draw_text(buffer, {0, 0, 240, 320}, font.get(), kLabel, {4, 100, 236, 124}, {}, {0, 0, 0});
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_draw_text_label_cold_glyphs);

void BM_measure_text_extents(benchmark::State& state) {
  const FontRef font = label_font();
  std::vector<int> extents;
  for (auto _ : state) {
    const Size size = measure_text(font.get(), kLabel, -1, &extents);
    benchmark::DoNotOptimize(size);
  }
}
BENCHMARK(BM_measure_text_extents);

void BM_wrap_text_paragraph(benchmark::State& state) {
  const FontRef font = label_font();
  const std::u16string text = paragraph();
  std::vector<int> extents;
  measure_text(font.get(), text, -1, &extents);
  for (auto _ : state) {
    auto lines = wrap_text(text, 232, extents);
    benchmark::DoNotOptimize(lines);
  }
}
BENCHMARK(BM_wrap_text_paragraph);

void BM_measure_and_wrap_paragraph(benchmark::State& state) {
  const FontRef font = label_font();
  const std::u16string text = paragraph();
  std::vector<int> extents;
  for (auto _ : state) {
    measure_text(font.get(), text, -1, &extents);
    auto lines = wrap_text(text, 232, extents);
    benchmark::DoNotOptimize(lines);
  }
}
BENCHMARK(BM_measure_and_wrap_paragraph);

}  // namespace

BENCHMARK_MAIN();
