// The device's telephony, reached through the library "phone.dll": its
// function "PhoneMakeCall" takes a make-call record and dials. There is no
// radio: a call is recorded as the start of the "tel:" address with the verb
// "call" in the device's shell log, where the stand-in phone program and the
// tests find it.
#pragma once

#include <cstdint>

namespace platform {

// The record's size as the phone's programs fill it in; other sizes are
// refused.
constexpr uint32_t kMakeCallInfoSize = 28;
constexpr uint32_t make_call_default = 0x0001;  // the user confirms nothing
constexpr uint32_t make_call_prompt = 0x0002;

struct MakeCallInfo {
  uint32_t size = 0;
  uint32_t flags = 0;
  const char16_t* destination = nullptr;  // the number to dial
  const char16_t* app_name = nullptr;
  const char16_t* called_party = nullptr;
  const char16_t* comment = nullptr;
};

// Results of PhoneMakeCall.
constexpr long phone_ok = 0;
constexpr long phone_invalid_argument = 0x80070057L;
constexpr long phone_failed = 0x80004005L;

// The type of "PhoneMakeCall".
using PhoneMakeCallFunction = long (*)(const MakeCallInfo* info);

}  // namespace platform
