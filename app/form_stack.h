// The application's stack of forms, seen from the frame: the entry points
// through which time, input and drawing reach the top form. The toolkit's
// form stack implements it; until it is installed the application runs with
// an empty stack, which answers every input as handled and draws the
// background colour.
#pragma once

#include <cstdint>
#include <memory>

#include "app/events.h"
#include "app/frame_target.h"

namespace lv {

class FormStack {
 public:
  virtual ~FormStack() = default;
  virtual bool empty() const = 0;
  // Advances a running transition or the top form by `seconds`.
  virtual void tick(double seconds) = 0;
  // Whether anything asked for a frame; with `count_previous`, a frame also
  // follows every needed one.
  virtual bool needs_redraw(bool count_previous) = 0;
  virtual void set_redraw() = 0;
  virtual void render_frame(const FrameTarget& target) = 0;
  virtual void pointer_move(const PointerEvent& event) = 0;
  virtual bool pointer_event(const PointerEvent& event) = 0;
  virtual bool text_input(const CharEvent& event) = 0;
  // The top form's key handling (after the application's emergency check).
  virtual bool key_event(const KeyEvent& event) = 0;
};

// The stack with no form in it.
class EmptyFormStack final : public FormStack {
 public:
  // The background colour (0, 0, 0) in RGB565.
  static constexpr uint16_t kBackground = 0x0000;

  bool empty() const override { return true; }
  void tick(double) override {}
  bool needs_redraw(bool count_previous) override;
  void set_redraw() override { redraw_ = true; }
  void render_frame(const FrameTarget& target) override;
  void pointer_move(const PointerEvent&) override {}
  bool pointer_event(const PointerEvent&) override { return true; }
  bool text_input(const CharEvent&) override { return true; }
  bool key_event(const KeyEvent&) override { return true; }

 private:
  bool redraw_ = true;
  bool previous_needed_ = false;
};

}  // namespace lv
