// Element trees: relayout after one change against a relayout of everything,
// and a cached five-layer icon against drawing its layers every frame.
#include <benchmark/benchmark.h>

#include <functional>

#include "gfx/picture.h"
#include "skin/element.h"
#include "ui/kinds.h"

namespace {

using namespace lv;

// 20 rows of 9 cells below one vertical table: about 200 elements.
std::unique_ptr<Element> make_grid(Element*& leaf) {
  auto root = std::make_unique<Element>();
  auto* rows = static_cast<TableElement*>(root->add_child(std::make_unique<TableElement>(false)));
  for (int r = 0; r < 20; ++r) {
    auto* row = static_cast<TableElement*>(rows->add_child(std::make_unique<TableElement>(true)));
    for (int c = 0; c < 9; ++c) {
      auto cell = std::make_unique<Element>();
      cell->set_design_size({10 + c, 12});
      leaf = row->add_child(std::move(cell));
    }
  }
  return root;
}

void BM_LayoutAfterOneChange(benchmark::State& state) {
  Element* leaf = nullptr;
  auto root = make_grid(leaf);
  layout_root(*root, 480, 640);
  int w = 10;
  for (auto _ : state) {
    leaf->set_design_size({w = 30 - w, 12});
    leaf->invalidate_layout();
    layout_root(*root, 480, 640);
  }
  state.SetLabel("one cell changed");
}
BENCHMARK(BM_LayoutAfterOneChange);

// Reference: everything stale, as after loading a new skin.
void BM_LayoutReferenceAllStale(benchmark::State& state) {
  Element* leaf = nullptr;
  auto root = make_grid(leaf);
  std::vector<Element*> all;
  std::function<void(Element&)> collect = [&](Element& e) {
    all.push_back(&e);
    for (const auto& c : e.children()) collect(*c);
  };
  collect(*root);
  for (auto _ : state) {
    for (Element* e : all) e->invalidate_layout();
    layout_root(*root, 480, 640);
  }
  state.SetLabel("every element stale");
}
BENCHMARK(BM_LayoutReferenceAllStale);

std::unique_ptr<Element> make_icon(bool cached) {
  auto icon = std::make_unique<Element>();
  auto bitmap = MemoryBitmap::create({48, 48});
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) bitmap->set(x, y, ((x + y) & 8) ? kKeyColor : static_cast<Pixel>(0x07E0 | kOpaqueBit));
  const PictureView view = PictureView::of(std::make_shared<Picture>(std::move(bitmap), u"layer"));
  for (int i = 0; i < 5; ++i) {
    auto* layer = static_cast<ImageElement*>(icon->add_child(std::make_unique<ImageElement>()));
    layer->set_picture(view);
  }
  if (cached) icon->set_cache(true, cache_operator_for(0));
  layout_root(*icon, 48, 48);
  return icon;
}

void draw_icon(benchmark::State& state, bool cached) {
  auto icon = make_icon(cached);
  RenderSurface screen(Size{240, 320});
  fill(screen, {0, 0, 240, 320}, 0, 0, 0);
  for (auto _ : state) {
    draw_element(*icon, screen, {96, 136});
    benchmark::DoNotOptimize(screen.target()->at(100, 140));
  }
}

void BM_CachedIconFiveLayers(benchmark::State& state) { draw_icon(state, true); }
void BM_IconReferenceUncached(benchmark::State& state) { draw_icon(state, false); }
BENCHMARK(BM_CachedIconFiveLayers);
BENCHMARK(BM_IconReferenceUncached);

}  // namespace

BENCHMARK_MAIN();
