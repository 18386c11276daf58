#include "app/keys.h"

#include <array>

namespace lv {
namespace {

struct KeyRow {
  int code;
  std::u16string_view name;
  // Replaces the name in lookups when set; no row has one today, the slot is
  // kept so that a localised or legacy name can be given without a new table.
  std::u16string_view alternative_name = {};

  std::u16string_view lookup_name() const { return alternative_name.empty() ? name : alternative_name; }
};

constexpr std::array<KeyRow, key_count> kKeys = {{
    {0, u"None"},       {1, u"Shift"},     {2, u"Ctrl"},       {3, u"Alt"},
    {4, u"Left"},       {5, u"Right"},     {6, u"Up"},         {7, u"Down"},
    {8, u"Esc"},        {9, u"Enter"},     {10, u"Space"},     {11, u"Backspace"},
    {12, u"Del"},       {13, u"Insert"},   {14, u"Home"},      {15, u"End"},
    {16, u"PageDown"},  {17, u"PageUp"},   {18, u"Tab"},       {19, u"ContextMenu"},
    {20, u"A"},         {21, u"B"},        {22, u"C"},         {23, u"D"},
    {24, u"E"},         {25, u"F"},        {26, u"G"},         {27, u"H"},
    {28, u"I"},         {29, u"J"},        {30, u"K"},         {31, u"L"},
    {32, u"M"},         {33, u"N"},        {34, u"O"},         {35, u"P"},
    {36, u"Q"},         {37, u"R"},        {38, u"S"},         {39, u"T"},
    {40, u"U"},         {41, u"V"},        {42, u"W"},         {43, u"X"},
    {44, u"Y"},         {45, u"Z"},        {46, u"0"},         {47, u"1"},
    {48, u"2"},         {49, u"3"},        {50, u"4"},         {51, u"5"},
    {52, u"6"},         {53, u"7"},        {54, u"8"},         {55, u"9"},
    {56, u"*"},         {57, u"#"},        {58, u"CALL_MAKE"}, {59, u"CALL_END"},
    {60, u"SLIDE"},     {61, u"SOFT_LEFT"}, {62, u"SOFT_RIGHT"}, {63, u"VOLUME_UP"},
    {64, u"VOLUME_DOWN"}, {65, u"+"},      {66, u"-"},         {67, u"."},
    {68, u"/"},
}};

constexpr bool rows_in_code_order() {
  for (size_t i = 0; i < kKeys.size(); ++i)
    if (kKeys[i].code != static_cast<int>(i)) return false;
  return true;
}
static_assert(rows_in_code_order(), "key_name indexes the table by code");

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

std::optional<std::u16string_view> key_name(int code) {
  if (code < 0 || code >= key_count) return std::nullopt;
  return kKeys[static_cast<size_t>(code)].lookup_name();
}

std::optional<int> key_code_from_name(std::u16string_view name) {
  for (const KeyRow& row : kKeys)
    if (row.lookup_name() == name) return row.code;
  return std::nullopt;
}

}  // namespace lv
