// Text helpers of the simulated device: the phone's texts are UTF-16, the
// host's are UTF-8. Case folding follows the phone's file system and registry,
// which compare names without regard to case.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string to_utf8(std::u16string_view text);
// Invalid UTF-8 sequences become U+FFFD, so that no host name is ever lost.
std::u16string from_utf8(std::string_view text);

char16_t to_lower(char16_t c);
char16_t to_upper(char16_t c);
std::u16string to_lower(std::u16string_view text);
bool iequals(std::u16string_view a, std::u16string_view b);

// File-name pattern match with "*" (any run) and "?" (one character),
// without regard to case.
bool wildcard_match(std::u16string_view pattern, std::u16string_view name);

}  // namespace platform
