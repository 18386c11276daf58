// The phone's virtual keys and the program's key names. The name table is
// shared by the program (which turns virtual keys into its key codes and skin
// key names into codes) and by lumivale-ctl (which turns a key name into the
// virtual key a press of that key produces on the device).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace platform {

// Virtual keys of the device. The phone's own keys are function keys.
namespace vk {
constexpr uint32_t back = 0x08;
constexpr uint32_t tab = 0x09;
constexpr uint32_t enter = 0x0D;  // also the action (centre) key
constexpr uint32_t shift = 0x10;
constexpr uint32_t control = 0x11;
constexpr uint32_t menu = 0x12;
constexpr uint32_t escape = 0x1B;
constexpr uint32_t space = 0x20;
constexpr uint32_t page_up = 0x21;
constexpr uint32_t page_down = 0x22;
constexpr uint32_t end = 0x23;
constexpr uint32_t home = 0x24;
constexpr uint32_t left = 0x25;
constexpr uint32_t up = 0x26;
constexpr uint32_t right = 0x27;
constexpr uint32_t down = 0x28;
constexpr uint32_t insert = 0x2D;
constexpr uint32_t del = 0x2E;
constexpr uint32_t digit0 = 0x30;  // '0'..'9' are 0x30..0x39
constexpr uint32_t letter_a = 0x41;  // 'A'..'Z' are 0x41..0x5A
constexpr uint32_t apps = 0x5D;
constexpr uint32_t numpad0 = 0x60;  // 0x60..0x69
constexpr uint32_t multiply = 0x6A;
constexpr uint32_t add = 0x6B;
constexpr uint32_t subtract = 0x6D;
constexpr uint32_t decimal = 0x6E;
constexpr uint32_t divide = 0x6F;
constexpr uint32_t soft_left = 0x70;    // F1
constexpr uint32_t soft_right = 0x71;   // F2
constexpr uint32_t talk = 0x72;         // F3
constexpr uint32_t end_call = 0x73;     // F4
constexpr uint32_t volume_up = 0x75;    // F6
constexpr uint32_t volume_down = 0x76;  // F7
constexpr uint32_t star = 0x77;         // F8
constexpr uint32_t pound = 0x78;        // F9
}  // namespace vk

// One row of the program's key table: its key code, the name skins and
// lumivale-ctl use, and the virtual key that produces the code on the device
// (nullopt for names no device key produces, such as "SLIDE").
struct KeyName {
  int code;
  std::u16string_view name;
  std::optional<uint32_t> virtual_key;
};

// Codes 0..68 in order, so that key_names()[code].code == code.
std::span<const KeyName> key_names();

// The virtual key for a key name (exact, case-sensitive), or nullopt.
std::optional<uint32_t> virtual_key_for_name(std::u16string_view name);

}  // namespace platform
