// The input events the window procedure builds for the forms.
#pragma once

#include <cstdint>
#include <string>

#include "app/keys.h"

namespace lv {

// A key press or release in the program's codes (app/keys.h).
struct KeyEvent {
  int code = key_none;
  bool down = false;
  bool first = true;  // false for an auto-repeated press
};

// A typed character, one UTF-16 unit.
struct CharEvent {
  std::u16string text;
};

// The position a release carries when the capture ended without a
// pointer-up message.
inline constexpr int kNoPointerUp = -1000000;

// A stylus event in client pixels.
struct PointerEvent {
  int x = 0;
  int y = 0;
  uint32_t time = 0;  // message time in ms
  bool move = false;  // never set by the window procedure; elements use it
  bool down = false;
  bool cancelled = false;  // a release without a pointer-up (the capture was lost)
};

}  // namespace lv
