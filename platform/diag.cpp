#include "platform/diag.h"

#include <cstdio>
#include <mutex>

namespace platform {

void diag(std::string_view area, std::string_view message) {
  static std::mutex lock;
  const std::lock_guard guard(lock);
  std::fprintf(stderr, "lumivale-device: %.*s: %.*s\n", static_cast<int>(area.size()), area.data(),
               static_cast<int>(message.size()), message.data());
}

}  // namespace platform
