// What the native text-edit overlay needs from the edit element it shows:
// the element's place, kind, text and colours, and where typed text goes.
#pragma once

#include <cstdint>
#include <string>

#include "platform/window.h"

namespace lv {

class OverlayEdit {
 public:
  // Client pixels of the main window.
  virtual platform::Rect edit_rect() const = 0;
  virtual bool multi_line() const = 0;
  virtual bool password() const = 0;
  // Line breaks as "\n".
  virtual std::u16string edit_text() const = 0;
  // The overlay's text changed (carriage returns removed).
  virtual void set_edit_text(const std::u16string& text) = 0;
  // 0x00RRGGBB.
  virtual uint32_t text_color() const = 0;
  virtual uint32_t background_color() const = 0;

 protected:
  ~OverlayEdit() = default;
};

}  // namespace lv
