// Pixel operations on a 480 x 640 surface, each beside the closest reference
// library operation and memcpy of the same bytes, with the ratio of medians.
//
//   gfx_bench [benchmark flags]                 all, 9 repetitions, ratio table
//   gfx_bench --callgrind-op NAME [COUNT]        runs one operation COUNT times
//                                               (for valgrind --tool=callgrind)
//   gfx_bench --list-ops                         the names --callgrind-op takes
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "gfx/picture.h"
#include "gfx/render_surface.h"

namespace {

using namespace lv;

constexpr int kWidth = 480;
constexpr int kHeight = 640;

// All pictures and surfaces the operations use, made once.
struct Scene {
  RenderSurface dst{Size{kWidth, kHeight}};
  RenderSurface src{Size{kWidth, kHeight}};        // opaque and translucent pixels, keys at random
  RenderSurface small{Size{kWidth / 2, kHeight / 2}};
  PictureView button;                              // 60 x 24, borders of 8 pixels
  PictureView button_level1;                       // the same drawn at level 1
  std::vector<uint32_t> argb;                      // premultiplied a8r8g8b8 source
  std::vector<uint8_t> scratch_a, scratch_b;       // memcpy reference
  pixman_image_t* p_dst = nullptr;
  pixman_image_t* p_src = nullptr;
  pixman_image_t* p_small = nullptr;
  pixman_image_t* p_argb = nullptr;
  pixman_image_t* p_button = nullptr;
  std::unique_ptr<RowOp> copy = copy_op(), key = key_op();
  std::unique_ptr<RowOp> level[4] = {translucency_op(0), translucency_op(64), translucency_op(128),
                                     translucency_op(192)};
  std::unique_ptr<InPlaceOp> dim = brightness_op(128);

  Scene() {
    std::mt19937 rng(42);
    auto random_pixel = [&] {
      const uint32_t r = rng();
      if (r % 4 == 0) return kKeyColor;  // a quarter of the pixels are keys, at random
      return static_cast<Pixel>(r % 2 ? (r >> 8) | kOpaqueBit : (r >> 8) & ~kOpaqueBit & 0x7BEF);
    };
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        src.target()->set(x, y, random_pixel());
        dst.target()->set(x, y, static_cast<Pixel>(rng()));
      }
    for (int y = 0; y < kHeight / 2; ++y)
      for (int x = 0; x < kWidth / 2; ++x) small.target()->set(x, y, static_cast<Pixel>(rng()));
    auto picture = MemoryBitmap::create({60, 24});
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 60; ++x) picture->set(x, y, random_pixel());
    button = PictureView::of(std::make_shared<const Picture>(std::move(picture), u"button"));
    button.p1 = {8, 8};
    button.p2 = {52, 16};
    button_level1 = button;
    button_level1.level = 1;
    button_level1.p1 = {16, 16};
    button_level1.p2 = {104, 32};
    button_level1.p3 = {120, 48};
    argb.resize(static_cast<size_t>(kWidth) * kHeight);
    for (auto& p : argb) {
      const uint32_t a = rng() % 256;
      auto channel = [&] { return (rng() % 256) * a / 255; };
      p = a << 24 | channel() << 16 | channel() << 8 | channel();
    }
    scratch_a.assign(static_cast<size_t>(kWidth) * kHeight * 2, 1);
    scratch_b.assign(scratch_a.size(), 2);
    p_dst = wrap_565(*dst.target());
    p_src = wrap_565(*src.target());
    p_small = wrap_565(*small.target());
    p_button = wrap_565(*button.picture->bitmap());
    p_argb = pixman_image_create_bits(PIXMAN_a8r8g8b8, kWidth, kHeight, argb.data(), kWidth * 4);
    pixman_transform_t half;
    pixman_transform_init_scale(&half, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
    pixman_image_set_transform(p_small, &half);
    pixman_image_set_filter(p_small, PIXMAN_FILTER_NEAREST, nullptr, 0);
  }
  ~Scene() {
    for (auto* image : {p_dst, p_src, p_small, p_argb, p_button}) pixman_image_unref(image);
  }
  static pixman_image_t* wrap_565(Bitmap& b) {
    return pixman_image_create_bits(PIXMAN_r5g6b5, b.width(), b.height(), reinterpret_cast<uint32_t*>(b.pixels()),
                                    b.pitch());
  }
  static pixman_image_t* wrap_565(const Bitmap& b) { return wrap_565(const_cast<Bitmap&>(b)); }
  uint32_t* bits(RenderSurface& s) { return reinterpret_cast<uint32_t*>(s.target()->pixels()); }
  int stride32(RenderSurface& s) { return s.target()->pitch() / 4; }
};

Scene& scene() {
  static Scene s;
  return s;
}

const Rect kAll{0, 0, kWidth, kHeight};

// Every operation by name; the groups pair ours with its references.
struct Operation {
  std::string name;
  std::function<void()> run;
};

std::vector<Operation> operations() {
  Scene& s = scene();
  std::vector<Operation> ops = {
      {"lv/fill", [&s] { fill(s.dst, kAll, 0x12, 0x34, 0x56); }},
      {"pixman/fill",
       [&s] { pixman_fill(s.bits(s.dst), s.stride32(s.dst), 16, 0, 0, kWidth, kHeight, 0x1234); }},
      {"lv/copy", [&s] { blit(s.src, s.dst, {0, 0}, *s.copy); }},
      {"pixman/blt",
       [&s] {
         pixman_blt(s.bits(s.src), s.bits(s.dst), s.stride32(s.src), s.stride32(s.dst), 16, 16, 0, 0, 0, 0, kWidth,
                    kHeight);
       }},
      {"memcpy", [&s] {
         std::memcpy(s.scratch_b.data(), s.scratch_a.data(), s.scratch_a.size());
         benchmark::ClobberMemory();
       }},
      {"lv/key", [&s] { blit(s.src, s.dst, {0, 0}, *s.key); }},
      {"lv/translucency1", [&s] { blit(s.src, s.dst, {0, 0}, *s.level[1]); }},
      {"lv/translucency2", [&s] { blit(s.src, s.dst, {0, 0}, *s.level[2]); }},
      {"lv/translucency3", [&s] { blit(s.src, s.dst, {0, 0}, *s.level[3]); }},
      {"lv/translucency4", [&s] { blit(s.src, s.dst, {0, 0}, *translucency_op(256)); }},
      {"pixman/over_8888_0565",
       [&s] {
         pixman_image_composite32(PIXMAN_OP_OVER, s.p_argb, nullptr, s.p_dst, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
       }},
      {"lv/brightness128", [&s] { apply(s.dst, kAll, *s.dim); }},
      {"lv/scaled_2x", [&s] { blit_scaled(s.small, s.dst, kAll, {0, 0, kWidth / 2, kHeight / 2}, *s.copy); }},
      {"pixman/scaled_nearest_src",
       [&s] {
         pixman_image_composite32(PIXMAN_OP_SRC, s.p_small, nullptr, s.p_dst, 0, 0, 0, 0, 0, 0, kWidth, kHeight);
       }},
      // The button stretched to 240 x 48 (level 0) and to 240 x 96 from its
      // doubled form (level 1), 40 times over the surface.
      {"lv/ninepatch_level0",
       [&s] {
         for (int i = 0; i < 40; ++i) s.button.draw(s.dst, {(i % 2) * 240, (i / 2) * 32}, {240, 48}, *s.key);
       }},
      {"lv/ninepatch_level1",
       [&s] {
         for (int i = 0; i < 40; ++i)
           s.button_level1.draw(s.dst, {(i % 2) * 240, (i / 2) * 32}, {240, 96}, *s.key);
       }},
      {"pixman/blt_button_area",
       [&s] {
         for (int i = 0; i < 40; ++i)
           pixman_blt(s.bits(s.src), s.bits(s.dst), s.stride32(s.src), s.stride32(s.dst), 16, 16, 0, 0,
                      (i % 2) * 240, (i / 2) * 32, 240, 48);
       }},
  };
  return ops;
}

// Ours against the reference it is measured by, with the target ratio.
struct Comparison {
  const char* ours;
  const char* reference;
  double target;  // 0: no target, shown for information
};
const Comparison kComparisons[] = {
    {"lv/fill", "pixman/fill", 1.2},
    {"lv/copy", "pixman/blt", 1.2},
    {"lv/key", "pixman/blt", 3.0},
    {"lv/translucency1", "pixman/blt", 3.0},
    {"lv/translucency2", "pixman/blt", 3.0},
    {"lv/translucency3", "pixman/blt", 3.0},
    {"lv/translucency4", "pixman/blt", 0},
    {"lv/translucency2", "pixman/over_8888_0565", 0},
    {"lv/brightness128", "memcpy", 0},
    {"lv/scaled_2x", "pixman/scaled_nearest_src", 1.0},
    {"lv/ninepatch_level0", "pixman/blt_button_area", 0},
    {"lv/ninepatch_level1", "pixman/blt_button_area", 0},
    {"lv/copy", "memcpy", 0},
    {"lv/fill", "memcpy", 0},
};

// Keeps the median of every benchmark while the console shows the runs.
class MedianReporter : public benchmark::ConsoleReporter {
 public:
  // CPU time, ns per operation: the build machine is shared, and wall time
  // counts the other processes too.
  std::map<std::string, double> medians;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs)
      if (run.aggregate_name == "median") medians[run.run_name.function_name] = run.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

int run_one(const std::string& name, long count) {
  for (const Operation& op : operations())
    if (op.name == name) {
      for (long i = 0; i < count; ++i) op.run();
      return 0;
    }
  std::fprintf(stderr, "gfx_bench: no operation named %s (see --list-ops)\n", name.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help") {
      std::puts(
          "Usage: gfx_bench [benchmark flags]\n"
          "       gfx_bench --callgrind-op NAME [COUNT]   run one operation COUNT (default 10) times\n"
          "       gfx_bench --list-ops\n"
          "Measures the pixel operations on a 480 x 640 surface beside the reference library and\n"
          "memcpy, 9 repetitions each, and prints the ratios of the medians.");
      return 0;
    }
    if (arg == "--list-ops") {
      for (const Operation& op : operations()) std::puts(op.name.c_str());
      return 0;
    }
    if (arg == "--callgrind-op") {
      if (i + 1 >= argc) {
        std::fputs("gfx_bench: --callgrind-op needs an operation name\n", stderr);
        return 2;
      }
      return run_one(argv[i + 1], i + 2 < argc ? std::atol(argv[i + 2]) : 10);
    }
  }
  for (const Operation& op : operations()) {
    auto run = op.run;
    benchmark::RegisterBenchmark(op.name.c_str(), [run](benchmark::State& state) {
      for (auto _ : state) {
        run();
        benchmark::ClobberMemory();
      }
    })->Repetitions(9)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);
  }
  benchmark::Initialize(&argc, argv);
  MedianReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n%-22s %-28s %10s %10s %8s %8s\n", "ours", "reference", "ours us", "ref us", "ratio", "target");
  int missed = 0;
  for (const Comparison& c : kComparisons) {
    const auto a = reporter.medians.find(c.ours), b = reporter.medians.find(c.reference);
    if (a == reporter.medians.end() || b == reporter.medians.end()) continue;
    const double ratio = a->second / b->second;
    const bool ok = c.target == 0 || ratio <= c.target;
    missed += !ok;
    char target[16] = "-";
    if (c.target > 0) std::snprintf(target, sizeof target, "%.1f", c.target);
    std::printf("%-22s %-28s %10.1f %10.1f %8.2f %8s%s\n", c.ours, c.reference, a->second, b->second,
                ratio, target, ok ? "" : "  MISSED");
  }
  benchmark::Shutdown();
  return 0;
}
