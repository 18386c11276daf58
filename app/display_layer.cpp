#include "app/display_layer.h"

namespace lv {
namespace {
DisplayLayerOpener installed_opener = nullptr;
}

void set_display_layer_opener(DisplayLayerOpener opener) { installed_opener = opener; }

std::unique_ptr<DisplayLayer> open_display_layer(platform::WindowHandle window, DisplayParameters& parameters) {
  return installed_opener ? installed_opener(window, parameters) : nullptr;
}

}  // namespace lv
