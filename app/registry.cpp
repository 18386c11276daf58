#include "app/registry.h"

#include <array>
#include <utility>

#include "platform/device.h"

namespace lv {
namespace {

using platform::RegRoot;
using platform::RegStatus;
using platform::RegType;
using platform::RegValue;

platform::Registry* store() {
  platform::Device* device = platform::Device::current();
  return device ? &device->registry() : nullptr;
}

bool query(std::u16string_view key_path, std::u16string_view name, RegValue& out) {
  const auto key = parse_key_path(key_path);
  platform::Registry* registry = store();
  return key && registry && registry->query(key->root, key->subkey, name, out) == RegStatus::ok;
}

bool write(std::u16string_view key_path, std::u16string_view name, const RegValue& value) {
  const auto key = parse_key_path(key_path);
  platform::Registry* registry = store();
  return key && registry && registry->set(key->root, key->subkey, name, value);
}

}  // namespace

std::optional<KeyPath> parse_key_path(std::u16string_view key_path) {
  static constexpr std::array<std::pair<std::u16string_view, RegRoot>, 4> kRoots{{
      {u"HKEY_CLASSES_ROOT", RegRoot::classes_root},
      {u"HKEY_LOCAL_MACHINE", RegRoot::local_machine},
      {u"HKEY_USERS", RegRoot::users},
      {u"HKEY_CURRENT_USER", RegRoot::current_user},
  }};
  for (const auto& [name, root] : kRoots) {
    if (key_path.substr(0, name.size()) != name) continue;
    const size_t rest = std::min(key_path.size(), name.size() + 1);
    return KeyPath{root, std::u16string(key_path.substr(rest))};
  }
  return std::nullopt;
}

bool reg_read_dword(std::u16string_view key_path, std::u16string_view name, uint32_t& out) {
  RegValue value;
  if (!query(key_path, name, value)) return false;
  const auto dword = value.as_dword();
  if (!dword) return false;
  out = *dword;
  return true;
}

bool reg_read_bool(std::u16string_view key_path, std::u16string_view name, bool& out) {
  uint32_t value = 0;
  if (!reg_read_dword(key_path, name, value)) return false;
  out = value != 0;
  return true;
}

bool reg_write_dword(std::u16string_view key_path, std::u16string_view name, uint32_t value) {
  return write(key_path, name, RegValue::dword(value));
}

bool reg_read_string(std::u16string_view key_path, std::u16string_view name, std::u16string& out) {
  RegValue value;
  if (!query(key_path, name, value)) return false;
  // A value with no data at all reads as the empty text, whatever its type.
  if (value.data.empty()) {
    out.clear();
    return true;
  }
  if (value.type != RegType::string) return false;
  out = value.as_string();
  return true;
}

bool reg_write_string(std::u16string_view key_path, std::u16string_view name, std::u16string_view text) {
  return write(key_path, name, RegValue::string(text));
}

bool reg_read_bytes(std::u16string_view key_path, std::u16string_view name, std::vector<uint8_t>& out) {
  RegValue value;
  if (!query(key_path, name, value) || value.type != RegType::binary) return false;
  out = std::move(value.data);
  return true;
}

}  // namespace lv
