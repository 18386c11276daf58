#include "platform/keys.h"

#include <array>

namespace platform {
namespace {

using std::nullopt;

constexpr std::array<KeyName, 69> kKeys = {{
    {0, u"None", nullopt},
    {1, u"Shift", vk::shift},
    {2, u"Ctrl", vk::control},
    {3, u"Alt", vk::menu},
    {4, u"Left", vk::left},
    {5, u"Right", vk::right},
    {6, u"Up", vk::up},
    {7, u"Down", vk::down},
    {8, u"Esc", nullopt},  // the phone's escape key arrives as "Backspace"
    {9, u"Enter", vk::enter},
    {10, u"Space", vk::space},
    {11, u"Backspace", vk::back},
    {12, u"Del", vk::del},
    {13, u"Insert", vk::insert},
    {14, u"Home", vk::home},
    {15, u"End", vk::end},
    {16, u"PageDown", vk::page_down},
    {17, u"PageUp", vk::page_up},
    {18, u"Tab", vk::tab},
    {19, u"ContextMenu", vk::apps},
    {20, u"A", 0x41}, {21, u"B", 0x42}, {22, u"C", 0x43}, {23, u"D", 0x44}, {24, u"E", 0x45},
    {25, u"F", 0x46}, {26, u"G", 0x47}, {27, u"H", 0x48}, {28, u"I", 0x49}, {29, u"J", 0x4A},
    {30, u"K", 0x4B}, {31, u"L", 0x4C}, {32, u"M", 0x4D}, {33, u"N", 0x4E}, {34, u"O", 0x4F},
    {35, u"P", 0x50}, {36, u"Q", 0x51}, {37, u"R", 0x52}, {38, u"S", 0x53}, {39, u"T", 0x54},
    {40, u"U", 0x55}, {41, u"V", 0x56}, {42, u"W", 0x57}, {43, u"X", 0x58}, {44, u"Y", 0x59},
    {45, u"Z", 0x5A},
    {46, u"0", 0x30}, {47, u"1", 0x31}, {48, u"2", 0x32}, {49, u"3", 0x33}, {50, u"4", 0x34},
    {51, u"5", 0x35}, {52, u"6", 0x36}, {53, u"7", 0x37}, {54, u"8", 0x38}, {55, u"9", 0x39},
    {56, u"*", vk::star},
    {57, u"#", vk::pound},
    {58, u"CALL_MAKE", vk::talk},
    {59, u"CALL_END", vk::end_call},
    {60, u"SLIDE", nullopt},
    {61, u"SOFT_LEFT", vk::soft_left},
    {62, u"SOFT_RIGHT", vk::soft_right},
    {63, u"VOLUME_UP", vk::volume_up},
    {64, u"VOLUME_DOWN", vk::volume_down},
    {65, u"+", vk::add},
    {66, u"-", vk::subtract},
    {67, u".", vk::decimal},
    {68, u"/", vk::divide},
}};

}  // namespace

std::span<const KeyName> key_names() { return kKeys; }

std::optional<uint32_t> virtual_key_for_name(std::u16string_view name) {
  for (const auto& k : kKeys) {
    if (k.name == name) return k.virtual_key;
  }
  return std::nullopt;
}

}  // namespace platform
