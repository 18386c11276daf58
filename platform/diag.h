// The simulated device's own diagnostics: failures of the platform itself
// (a damaged registry store, an unreadable device image) go to the host's
// standard error, since the program's log may be the thing that failed.
#pragma once

#include <string_view>

namespace platform {

void diag(std::string_view area, std::string_view message);

}  // namespace platform
