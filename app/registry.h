// Registry access by textual key path: "HKEY_CURRENT_USER\Software\NELM".
// Reads never create a key; writes create it. Failures are not logged; the
// caller keeps its default.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry.h"

namespace lv {

struct KeyPath {
  platform::RegRoot root;
  std::u16string subkey;
};

// The root names are tried in the order classes root, local machine, users,
// current user as prefixes of the text; the subkey is what follows the root
// name and one more character. Any other text names no key.
std::optional<KeyPath> parse_key_path(std::u16string_view key_path);

// The settings roots of the frame and of the product.
inline constexpr std::u16string_view kFrameKey = u"HKEY_CURRENT_USER\\Software\\NELM";
inline constexpr std::u16string_view kProductKey = u"HKEY_CURRENT_USER\\Software\\NELM\\Lumivale";

bool reg_read_dword(std::u16string_view key_path, std::u16string_view name, uint32_t& out);
// A DWORD value, true when nonzero.
bool reg_read_bool(std::u16string_view key_path, std::u16string_view name, bool& out);
bool reg_write_dword(std::u16string_view key_path, std::u16string_view name, uint32_t value);
// A string value up to its terminator; an empty value reads as "".
bool reg_read_string(std::u16string_view key_path, std::u16string_view name, std::u16string& out);
bool reg_write_string(std::u16string_view key_path, std::u16string_view name, std::u16string_view text);
// A byte-array value.
bool reg_read_bytes(std::u16string_view key_path, std::u16string_view name, std::vector<uint8_t>& out);

}  // namespace lv
