#include "app/form_stack.h"

#include <algorithm>
#include <cstring>

namespace lv {

bool EmptyFormStack::needs_redraw(bool count_previous) {
  if (redraw_) return true;
  return count_previous && previous_needed_;
}

void EmptyFormStack::render_frame(const FrameTarget& target) {
  previous_needed_ = needs_redraw(false);
  redraw_ = false;
  if (!target.pixels) return;
  auto* row = reinterpret_cast<unsigned char*>(target.pixels);
  for (int y = 0; y < target.height; ++y, row += target.stride) {
    auto* pixels = reinterpret_cast<uint16_t*>(row);
    std::fill(pixels, pixels + target.width, kBackground);
  }
}

}  // namespace lv
