// lumivale-ctl reg: the device registry by hand.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/registry.h"
#include "platform/device.h"
#include "platform/registry.h"
#include "platform/unicode.h"
#include "tools/ctl.h"

namespace ctl {
namespace {

using platform::RegType;
using platform::RegValue;

int usage(const char* what) {
  std::fprintf(stderr, "lumivale-ctl reg: %s (try lumivale-ctl --help)\n", what);
  return 2;
}

std::string hex(const std::vector<uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

std::string format_value(const RegValue& v) {
  switch (v.type) {
    case RegType::dword:
      if (auto d = v.as_dword()) return "dword:" + std::to_string(*d);
      break;
    case RegType::string: return "string:" + platform::to_utf8(v.as_string());
    case RegType::binary: return "binary:" + hex(v.data);
    default: break;
  }
  return "hex(" + std::to_string(static_cast<uint32_t>(v.type)) + "):" + hex(v.data);
}

std::optional<RegValue> parse_value(const std::string& text) {
  if (text.rfind("dword:", 0) == 0) {
    const std::string digits = text.substr(6);
    if (digits.empty() || digits[0] == '-') return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const unsigned long long n = std::strtoull(digits.c_str(), &end, 0);
    if (errno || *end || n > 0xFFFFFFFFull) return std::nullopt;
    return RegValue::dword(static_cast<uint32_t>(n));
  }
  if (text.rfind("string:", 0) == 0) return RegValue::string(platform::from_utf8(text.substr(7)));
  if (text.rfind("binary:", 0) == 0) {
    const std::string digits = text.substr(7);
    if (digits.size() % 2) return std::nullopt;
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < digits.size(); i += 2) {
      char* end = nullptr;
      const std::string pair = digits.substr(i, 2);
      const long b = std::strtol(pair.c_str(), &end, 16);
      if (*end || pair.find_first_of("+- ") != std::string::npos) return std::nullopt;
      bytes.push_back(static_cast<uint8_t>(b));
    }
    return RegValue::binary(std::move(bytes));
  }
  return std::nullopt;
}

}  // namespace

int run_reg(const std::vector<std::string>& args) {
  if (args.size() < 2) return usage("expected get, set, delete or list and a KEY");
  const std::string& verb = args[0];
  const auto key = lv::parse_key_path(platform::from_utf8(args[1]));
  if (!key) {
    std::fprintf(stderr, "lumivale-ctl reg: '%s' names no key (it must start with a root such as HKEY_CURRENT_USER)\n",
                 args[1].c_str());
    return 2;
  }
  platform::Registry& registry = platform::Device::current()->registry();
  if (!registry.usable()) {
    std::fputs("lumivale-ctl reg: the device's registry store cannot be opened\n", stderr);
    return 1;
  }
  if (verb == "get") {
    if (args.size() != 3) return usage("get takes KEY NAME");
    RegValue value;
    const auto status = registry.query(key->root, key->subkey, platform::from_utf8(args[2]), value);
    if (status != platform::RegStatus::ok) {
      std::fprintf(stderr, "lumivale-ctl reg: %s\n", status == platform::RegStatus::not_found ? "no such value" : "the registry cannot be read");
      return 1;
    }
    std::puts(format_value(value).c_str());
    return 0;
  }
  if (verb == "set") {
    if (args.size() != 4) return usage("set takes KEY NAME VALUE");
    const auto value = parse_value(args[3]);
    if (!value) return usage("VALUE must be dword:N, string:TEXT or binary:HEX");
    if (!registry.set(key->root, key->subkey, platform::from_utf8(args[2]), *value)) {
      std::fputs("lumivale-ctl reg: the value could not be written\n", stderr);
      return 1;
    }
    return 0;
  }
  if (verb == "delete") {
    if (args.size() > 3) return usage("delete takes KEY [NAME]");
    const auto status = args.size() == 3
                            ? registry.delete_value(key->root, key->subkey, platform::from_utf8(args[2]))
                            : registry.delete_key(key->root, key->subkey);
    if (status != platform::RegStatus::ok) {
      std::fprintf(stderr, "lumivale-ctl reg: %s\n",
                   status == platform::RegStatus::not_found ? "nothing to delete" : "the delete failed");
      return 1;
    }
    return 0;
  }
  if (verb == "list") {
    if (args.size() != 2) return usage("list takes KEY");
    const auto subkeys = registry.subkeys(key->root, key->subkey);
    const auto values = registry.values(key->root, key->subkey);
    if (!subkeys || !values) {
      std::fputs("lumivale-ctl reg: no such key\n", stderr);
      return 1;
    }
    for (const auto& name : *subkeys) std::printf("[%s]\n", platform::to_utf8(name).c_str());
    for (const auto& v : *values)
      std::printf("%s=%s\n", v.name.empty() ? "@" : platform::to_utf8(v.name).c_str(), format_value(v.value).c_str());
    return 0;
  }
  return usage("expected get, set, delete or list");
}

}  // namespace ctl
