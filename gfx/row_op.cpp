// The pixel operators. Each operator is a pixel rule (a function of source
// and destination pixel without branches, so that the compiler turns the row
// loops into vector code) run by one row template that provides the four row
// functions, with fast paths for rows magnified 2 and 4 times.
#include "gfx/row_op.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace lv {

namespace {

// 32-bit stores into 16-bit pixel rows.
using Word [[gnu::may_alias]] = uint32_t;

struct CopyRule {
  static Pixel apply(Pixel s, Pixel) { return s; }
};

struct KeyRule {
  static Pixel apply(Pixel s, Pixel d) { return s == kKeyColor ? d : s; }
};

// Translucent source pixels are pre-weighted by their opacity; the
// destination is weighted by the rest.
template <int Level>
struct TranslucentRule {
  static Pixel weighted(Pixel d) {
    if constexpr (Level == 1) return quarter(d);
    if constexpr (Level == 2) return half(d);
    if constexpr (Level == 3) return static_cast<Pixel>(quarter(d) + half(d));
    return 0;
  }
  static Pixel apply(Pixel s, Pixel d) {
    const Pixel mixed = static_cast<Pixel>(s + weighted(d));
    const Pixel r = (s & kOpaqueBit) ? s : mixed;
    return s == kKeyColor ? d : r;
  }
};

struct OpaqueOnlyRule {
  static Pixel apply(Pixel s, Pixel d) { return (s & kOpaqueBit) ? s : d; }
};

template <class Rule>
inline void run_straight(Pixel* dst, int count, const Pixel* src) {
  if constexpr (std::is_same_v<Rule, CopyRule>) {
    std::memmove(dst, src, static_cast<size_t>(count) * sizeof(Pixel));
  } else {
    for (int i = 0; i < count; ++i) dst[i] = Rule::apply(src[i], dst[i]);
  }
}

// Every source pixel from src[0] on is used `Rep` times in a row.
template <class Rule, int Rep>
inline void run_repeated(Pixel* dst, int count, const Pixel* src) {
  const int whole = count / Rep;
  for (int j = 0; j < whole; ++j) {
    const Pixel s = src[j];
    for (int k = 0; k < Rep; ++k) dst[j * Rep + k] = Rule::apply(s, dst[j * Rep + k]);
  }
  if (count % Rep == 0) return;
  const Pixel s = src[whole];
  for (int k = whole * Rep; k < count; ++k) dst[k] = Rule::apply(s, dst[k]);
}

// Destination pixel i takes source pixel (start + i) >> shift.
template <class Rule>
inline void run_magnified(Pixel* dst, int count, const Pixel* src, int start, int shift) {
  if (count <= 0) return;
  if (shift <= 0) {
    run_straight<Rule>(dst, count, src + start);
    return;
  }
  const int rep = 1 << shift;
  // The pixels before the first whole repetition.
  int lead = std::min(count, (rep - (start & (rep - 1))) & (rep - 1));
  const Pixel first = src[start >> shift];
  for (int i = 0; i < lead; ++i) dst[i] = Rule::apply(first, dst[i]);
  dst += lead;
  count -= lead;
  if (count <= 0) return;
  const Pixel* from = src + ((start + lead) >> shift);
  if (shift == 1) {
    run_repeated<Rule, 2>(dst, count, from);
  } else if (shift == 2) {
    run_repeated<Rule, 4>(dst, count, from);
  } else {
    for (int i = 0; i < count; ++i) dst[i] = Rule::apply(from[i >> shift], dst[i]);
  }
}

template <class Rule>
class RuleOp final : public RowOp {
 public:
  void straight(Pixel* dst, int count, const Pixel* src, int, int) const override {
    run_straight<Rule>(dst, count, src);
  }

  void stretched(Pixel* dst, int count, const Pixel* src, int fx, int step) const override {
    if (count <= 0) return;
    // Whole-number ratios of 1, 2 and 4 run as plain or repeated copies.
    if (step == 1024) {
      run_straight<Rule>(dst, count, src + (fx >> 10));
      return;
    }
    if ((step == 512 || step == 256) && (fx & (step - 1)) == 0) {
      const int shift = step == 512 ? 1 : 2;
      run_magnified<Rule>(dst, count, src, fx >> (10 - shift), shift);
      return;
    }
    for (int i = 0; i < count; ++i) {
      dst[i] = Rule::apply(src[fx >> 10], dst[i]);
      fx += step;
    }
  }

  void magnified(Pixel* dst, int count, const Pixel* src, int start, int shift) const override {
    run_magnified<Rule>(dst, count, src, start, shift);
  }

  void magnified_wrapped(Pixel* dst, int count, const Pixel* src, int start, int shift, int wrap_start,
                         int wrap_end) const override {
    // Runs from start to the wrap end, then whole cycles from the wrap start.
    while (count > 0) {
      const int n = start < wrap_end ? std::min(count, wrap_end - start) : count;
      run_magnified<Rule>(dst, n, src, start, shift);
      dst += n;
      count -= n;
      start = wrap_start;
      if (wrap_start >= wrap_end) break;  // an empty cycle has nothing to repeat
    }
  }

  std::unique_ptr<RowOp> clone() const override { return std::make_unique<RuleOp>(); }
};

// The five shared translucency operators, by level / 64.
const RowOp& translucency_instance(int index) {
  static const RuleOp<KeyRule> level0;
  static const RuleOp<TranslucentRule<1>> level1;
  static const RuleOp<TranslucentRule<2>> level2;
  static const RuleOp<TranslucentRule<3>> level3;
  static const RuleOp<OpaqueOnlyRule> level4;
  static const std::array<const RowOp*, 5> all{&level0, &level1, &level2, &level3, &level4};
  return *all[static_cast<size_t>(index)];
}

class TranslucencyOp final : public RowOp {
 public:
  explicit TranslucencyOp(int index) : index_(index), target_(translucency_instance(index)) {}
  void straight(Pixel* dst, int count, const Pixel* src, int src_x, int src_y) const override {
    target_.straight(dst, count, src, src_x, src_y);
  }
  void stretched(Pixel* dst, int count, const Pixel* src, int fx, int step) const override {
    target_.stretched(dst, count, src, fx, step);
  }
  void magnified(Pixel* dst, int count, const Pixel* src, int start, int shift) const override {
    target_.magnified(dst, count, src, start, shift);
  }
  void magnified_wrapped(Pixel* dst, int count, const Pixel* src, int start, int shift, int wrap_start,
                         int wrap_end) const override {
    target_.magnified_wrapped(dst, count, src, start, shift, wrap_start, wrap_end);
  }
  std::unique_ptr<RowOp> clone() const override { return std::make_unique<TranslucencyOp>(index_); }

 private:
  int index_;
  const RowOp& target_;
};

// In place: an odd first pixel alone, then two pixels per 32-bit word, then
// an odd last pixel alone.
template <class Step>
inline void run_in_place(Pixel* dst, int count, const Step& step) {
  if (count <= 0) return;
  if (reinterpret_cast<uintptr_t>(dst) & 2) {
    *dst = step.one(*dst);
    ++dst;
    --count;
  }
  Word* words = reinterpret_cast<Word*>(dst);
  const int pairs = count / 2;
  for (int i = 0; i < pairs; ++i) words[i] = step.two(words[i]);
  if (count & 1) dst[count - 1] = step.one(dst[count - 1]);
}

struct FillStep {
  Pixel colour;
  Word doubled;
  Pixel one(Pixel) const { return colour; }
  Word two(Word) const { return doubled; }
};

class FillOp final : public InPlaceOp {
 public:
  explicit FillOp(Pixel colour) : step_{colour, static_cast<Word>(colour) * 0x10001u} {}
  void row(Pixel* dst, int count) const override { run_in_place(dst, count, step_); }
  std::unique_ptr<InPlaceOp> clone() const override { return std::make_unique<FillOp>(step_.colour); }

 private:
  FillStep step_;
};

// Every channel scaled by K / 16, each term masked per channel so that no
// carry crosses into the next channel. T is one pixel (16 bits) or two (32).
template <int K, class T>
inline T scaled(T p) {
  constexpr T m2 = static_cast<T>(0x7BEF7BEFu);
  constexpr T m4 = static_cast<T>(0x39E739E7u);
  constexpr T m8 = static_cast<T>(0x18E318E3u);
  constexpr T m16 = static_cast<T>(0x08610861u);
  constexpr T unit = static_cast<T>(0x08610861u);
  const T h = static_cast<T>((p >> 1) & m2);
  const T q = static_cast<T>((p >> 2) & m4);
  const T e = static_cast<T>((p >> 3) & m8);
  const T s = static_cast<T>((p >> 4) & m16);
  if constexpr (K == 0) return 0;
  if constexpr (K == 1) return s;
  if constexpr (K == 2) return e;
  if constexpr (K == 3) return static_cast<T>(q - s);
  if constexpr (K == 4) return q;
  if constexpr (K == 5) return static_cast<T>(q + s + unit);
  if constexpr (K == 6) return static_cast<T>(h - e);
  if constexpr (K == 7) return static_cast<T>(h - s);
  if constexpr (K == 8) return h;
  if constexpr (K == 9) return static_cast<T>(h + s + unit);
  if constexpr (K == 10) return static_cast<T>(h + e + unit);
  if constexpr (K == 11) return static_cast<T>(h + e + s + unit);
  if constexpr (K == 12) return static_cast<T>(p - q);
  if constexpr (K == 13) return static_cast<T>(p - q + s);
  if constexpr (K == 14) return static_cast<T>(p - e);
  if constexpr (K == 15) return static_cast<T>(p - s);
  return p;
}

template <int K>
struct BrightnessStep {
  Pixel one(Pixel p) const { return scaled<K, Pixel>(p); }
  Word two(Word p) const { return scaled<K, Word>(p); }
};

template <int K>
class BrightnessOp final : public InPlaceOp {
 public:
  void row(Pixel* dst, int count) const override {
    if constexpr (K < 16) run_in_place(dst, count, BrightnessStep<K>{});
  }
  std::unique_ptr<InPlaceOp> clone() const override { return std::make_unique<BrightnessOp>(); }
};

template <int... K>
std::unique_ptr<InPlaceOp> make_brightness(int k, std::integer_sequence<int, K...>) {
  std::unique_ptr<InPlaceOp> op;
  ((k == K ? (op = std::make_unique<BrightnessOp<K>>(), true) : false) || ...);
  return op;
}

}  // namespace

std::unique_ptr<RowOp> copy_op() { return std::make_unique<RuleOp<CopyRule>>(); }

std::unique_ptr<RowOp> key_op() { return std::make_unique<RuleOp<KeyRule>>(); }

std::unique_ptr<RowOp> translucency_op(int level) {
  const int index = level < 0 ? 0 : level > 255 ? 4 : level / 64;
  return std::make_unique<TranslucencyOp>(index);
}

std::unique_ptr<InPlaceOp> brightness_op(int level) {
  // 64-bit: a level near the int limit must not overflow the rounding.
  const int k = static_cast<int>(std::clamp<int64_t>((static_cast<int64_t>(level) + 8) / 16, 0, 16));
  return make_brightness(k, std::make_integer_sequence<int, 17>{});
}

std::unique_ptr<InPlaceOp> fill_op(Pixel colour) { return std::make_unique<FillOp>(colour); }

}  // namespace lv
