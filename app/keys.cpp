#include "app/keys.h"

#include <array>

#include "platform/keys.h"

namespace lv {
namespace {

// Virtual key -> program code for all 256 virtual keys; 0 where unmapped.
constexpr std::array<uint8_t, 256> make_virtual_key_table() {
  std::array<uint8_t, 256> t{};
  t[0x08] = key_backspace;  // back
  t[0x1B] = key_backspace;  // escape: the phone's back key
  t[0x09] = key_tab;
  t[0x0D] = key_enter;
  t[0x10] = key_shift;
  t[0x11] = key_ctrl;
  t[0x12] = key_alt;
  t[0x20] = key_space;
  t[0x21] = key_page_up;
  t[0x22] = key_page_down;
  t[0x23] = key_end;
  t[0x24] = key_home;
  t[0x25] = key_left;
  t[0x26] = key_up;
  t[0x27] = key_right;
  t[0x28] = key_down;
  t[0x2D] = key_insert;
  t[0x2E] = key_del;
  for (int i = 0; i < 10; ++i) {
    t[0x30 + i] = static_cast<uint8_t>(key_0 + i);
    t[0x60 + i] = static_cast<uint8_t>(key_0 + i);  // numeric pad
  }
  for (int i = 0; i < 26; ++i) t[0x41 + i] = static_cast<uint8_t>(key_a + i);
  t[0x5D] = key_context_menu;  // applications
  t[0x6A] = key_star;          // multiply
  t[0x77] = key_star;          // F8: the phone's star key
  t[0x6B] = key_plus;
  t[0x6D] = key_minus;
  t[0x6E] = key_dot;
  t[0x6F] = key_slash;
  t[0x70] = key_soft_left;   // F1
  t[0x71] = key_soft_right;  // F2
  t[0x72] = key_call_make;   // F3: talk
  t[0x73] = key_call_end;    // F4: end
  t[0x75] = key_volume_up;   // F6
  t[0x76] = key_volume_down; // F7
  t[0x78] = key_pound;       // F9: the phone's pound key
  return t;
}

constexpr std::array<uint8_t, 256> kVirtualKeys = make_virtual_key_table();

}  // namespace

int key_code_from_virtual_key(uint32_t virtual_key) {
  if (virtual_key >= kVirtualKeys.size()) return key_none;
  return kVirtualKeys[virtual_key];
}

// The names come from the device's one key table, which lumivale-ctl uses
// too, so that a key named there reaches the program as the same code.
std::optional<std::u16string_view> key_name(int code) {
  const auto table = platform::key_names();
  if (code < 0 || static_cast<size_t>(code) >= table.size()) return std::nullopt;
  return table[static_cast<size_t>(code)].name;
}

std::optional<int> key_code_from_name(std::u16string_view name) {
  for (const platform::KeyName& row : platform::key_names())
    if (row.name == name) return row.code;
  return std::nullopt;
}

}  // namespace lv
