// The program's own key codes and their names. Platform virtual keys never
// reach the forms: the window procedure turns them into these codes, and
// skins bind keys to buttons by these names ("bind_key").
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace lv {

enum KeyCode : int {
  key_none = 0,
  key_shift = 1,
  key_ctrl = 2,
  key_alt = 3,
  key_left = 4,
  key_right = 5,
  key_up = 6,
  key_down = 7,
  key_esc = 8,
  key_enter = 9,
  key_space = 10,
  key_backspace = 11,
  key_del = 12,
  key_insert = 13,
  key_home = 14,
  key_end = 15,
  key_page_down = 16,
  key_page_up = 17,
  key_tab = 18,
  key_context_menu = 19,
  key_a = 20,   // letters A-Z: 20-45
  key_z = 45,
  key_0 = 46,   // digits 0-9: 46-55
  key_9 = 55,
  key_star = 56,
  key_pound = 57,
  key_call_make = 58,
  key_call_end = 59,
  key_slide = 60,
  key_soft_left = 61,
  key_soft_right = 62,
  key_volume_up = 63,
  key_volume_down = 64,
  key_plus = 65,
  key_minus = 66,
  key_dot = 67,
  key_slash = 68,
  key_count = 69,
};

// The platform's virtual key (0-255) in the program's code; keys the program
// does not know become key_none.
int key_code_from_virtual_key(uint32_t virtual_key);

// The name of a code ("SOFT_LEFT"), or nullopt outside the table.
std::optional<std::u16string_view> key_name(int code);
// The code of a name, compared exactly and case-sensitively; nullopt when no
// row carries it.
std::optional<int> key_code_from_name(std::u16string_view name);

inline bool is_digit_key(int code) { return code >= key_0 && code <= key_9; }

}  // namespace lv
