// Reading the REGEDIT4-style text of a device image's default registry.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"
#include "platform/unicode.h"

namespace platform {
namespace {

struct KeyName {
  RegRoot root;
  std::u16string subkey;
};

std::optional<KeyName> parse_key_name(std::string_view text) {
  static constexpr std::pair<std::string_view, RegRoot> kRoots[] = {
      {"HKEY_CLASSES_ROOT", RegRoot::classes_root},
      {"HKEY_LOCAL_MACHINE", RegRoot::local_machine},
      {"HKEY_USERS", RegRoot::users},
      {"HKEY_CURRENT_USER", RegRoot::current_user},
  };
  for (const auto& [name, root] : kRoots) {
    if (text.substr(0, name.size()) != name) continue;
    const auto rest = text.substr(name.size());
    if (!rest.empty() && rest[0] != '\\') continue;
    return KeyName{root, from_utf8(rest.empty() ? rest : rest.substr(1))};
  }
  return std::nullopt;
}

// A quoted string starting at text[pos] == '"'; moves pos past the closing quote.
std::optional<std::string> parse_quoted(std::string_view text, size_t& pos) {
  std::string out;
  for (size_t i = pos + 1; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      out += text[++i];
    } else if (text[i] == '"') {
      pos = i + 1;
      return out;
    } else {
      out += text[i];
    }
  }
  return std::nullopt;
}

std::optional<std::vector<uint8_t>> parse_hex_bytes(std::string_view text) {
  std::vector<uint8_t> bytes;
  int digits = 0;
  unsigned value = 0;
  for (char c : text) {
    if (c == ',' || c == ' ' || c == '\t') {
      if (digits) bytes.push_back(static_cast<uint8_t>(value));
      digits = 0;
      value = 0;
      continue;
    }
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return std::nullopt;
    if (++digits > 2) return std::nullopt;
    value = value * 16 + static_cast<unsigned>(d);
  }
  if (digits) bytes.push_back(static_cast<uint8_t>(value));
  return bytes;
}

std::string trim(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return std::string(s.substr(b, e - b));
}

}  // namespace

int import_reg_text(Registry& registry, std::string_view text, std::vector<std::string>* errors) {
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  auto error = [&](int line, const std::string& what) {
    if (errors) errors->push_back("line " + std::to_string(line) + ": " + what);
  };
  int applied = 0;
  std::optional<KeyName> key;
  int line_no = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    // Join lines continued with a trailing backslash (long hex values).
    std::string line;
    const int first_line = line_no + 1;
    for (;;) {
      size_t end = text.find('\n', pos);
      if (end == std::string_view::npos) end = text.size();
      std::string part = trim(text.substr(pos, end - pos));
      pos = end + 1;
      ++line_no;
      if (!part.empty() && part.back() == '\\' && pos < text.size()) {
        part.pop_back();
        line += part;
        continue;
      }
      line += part;
      break;
    }
    if (line.empty() || line[0] == ';' || line == "REGEDIT4" ||
        line == "Windows Registry Editor Version 5.00")
      continue;
    if (line[0] == '[') {
      if (line.back() != ']') {
        error(first_line, "a key line must end with ']'");
        key.reset();
        continue;
      }
      const bool remove = line.size() > 2 && line[1] == '-';
      const auto name = parse_key_name(std::string_view(line).substr(remove ? 2 : 1, line.size() - (remove ? 3 : 2)));
      if (!name) {
        error(first_line, "unknown root in " + line);
        key.reset();
        continue;
      }
      if (remove) {
        registry.delete_key(name->root, name->subkey);
        key.reset();
      } else {
        key = name;
        if (registry.create_key(key->root, key->subkey)) ++applied;
      }
      continue;
    }
    if (!key) {
      error(first_line, "a value outside of any key");
      continue;
    }
    std::u16string value_name;
    size_t at = 0;
    if (line[0] == '@') {
      at = 1;
    } else if (line[0] == '"') {
      const auto name = parse_quoted(line, at);
      if (!name) {
        error(first_line, "unterminated value name");
        continue;
      }
      value_name = from_utf8(*name);
    } else {
      error(first_line, "expected a key, a value or a comment");
      continue;
    }
    if (at >= line.size() || line[at] != '=') {
      error(first_line, "expected '=' after the value name");
      continue;
    }
    const std::string data = trim(std::string_view(line).substr(at + 1));
    std::optional<RegValue> value;
    if (data == "-") {
      registry.delete_value(key->root, key->subkey, value_name);
      ++applied;
      continue;
    }
    if (!data.empty() && data[0] == '"') {
      size_t p = 0;
      const auto s = parse_quoted(data, p);
      if (s && p == data.size()) value = RegValue::string(from_utf8(*s));
    } else if (data.rfind("dword:", 0) == 0) {
      const std::string digits = data.substr(6);
      if (!digits.empty() && digits.size() <= 8 &&
          digits.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos)
        value = RegValue::dword(static_cast<uint32_t>(std::stoul(digits, nullptr, 16)));
    } else if (data.rfind("hex", 0) == 0) {
      uint32_t type = static_cast<uint32_t>(RegType::binary);
      size_t colon = data.find(':');
      bool ok = colon != std::string::npos;
      if (ok && colon > 3) {  // hex(N):
        const std::string inner = data.substr(3, colon - 3);
        ok = inner.size() > 2 && inner.front() == '(' && inner.back() == ')' &&
             inner.find_first_not_of("0123456789abcdefABCDEF", 1) == inner.size() - 1;
        if (ok) type = static_cast<uint32_t>(std::stoul(inner.substr(1, inner.size() - 2), nullptr, 16));
      }
      if (ok) {
        if (auto bytes = parse_hex_bytes(std::string_view(data).substr(colon + 1)))
          value = RegValue{static_cast<RegType>(type), std::move(*bytes)};
      }
    }
    if (!value) {
      error(first_line, "cannot read the value " + data);
      continue;
    }
    if (registry.set(key->root, key->subkey, value_name, *value)) ++applied;
  }
  return applied;
}

}  // namespace platform
