// What one process of the device reads from another: request and reply
// frames from its socket and the registration records in the run folder.
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/window_ipc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  platform::detail::Request request;
  if (platform::detail::decode(bytes, request)) platform::detail::encode(request);
  platform::detail::Reply reply;
  if (platform::detail::decode(bytes, reply)) platform::detail::encode(reply);
  platform::detail::ProcessRecord record;
  if (platform::detail::parse_record(std::string_view(reinterpret_cast<const char*>(data), size), record))
    platform::detail::format_record(record);
  return 0;
}
