// Reads what the program wrote to its log on the test device.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/unicode.h"

namespace testing_support {

// The raw bytes of a host file; empty when it is missing.
inline std::string read_bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The log's text after its FF FE mark, as UTF-8.
inline std::string log_text(const std::filesystem::path& file) {
  const std::string bytes = read_bytes(file);
  if (bytes.size() < 2 || bytes[0] != '\xFF' || bytes[1] != '\xFE') return "<no FF FE mark>";
  std::u16string text;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2)
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
  return platform::to_utf8(text);
}

}  // namespace testing_support
