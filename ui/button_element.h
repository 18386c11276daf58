// "button": shows "#normal", "#pressed" or "#disabled", reacts to the
// pointer and to its bound key, and reports to its listener.
#pragma once

#include "skin/element.h"

namespace lv {

class ButtonElement;

class ButtonListener {
 public:
  virtual ~ButtonListener() = default;
  // The click's result is what the button's event handling returns.
  virtual bool on_click(ButtonElement& button, Point position) = 0;
  virtual void on_press_changed(ButtonElement& button, Point position, bool cancelled) = 0;
  // An adjustment the button subtracts from the position it remembers.
  virtual Point on_drag(ButtonElement& button, Point position, Point delta) = 0;
};

class ButtonElement : public Element {
 public:
  void load(Properties& properties, NodeRecord record) override;
  void active_changed(bool active) override;
  void pointer_move(Point p) override;
  bool pointer_event(const PointerEvent& event) override;
  bool key_event(const KeyEvent& event) override;

  void set_listener(ButtonListener* listener) { listener_ = listener; }
  ButtonListener* listener() const { return listener_; }
  // Shows the text in every descendant "#text".
  void set_button_text(std::u16string_view text);
  const std::u16string& button_text() const { return text_; }
  int bound_key() const { return bound_key_; }
  bool pressed() const { return pointer_pressed_ || key_pressed_; }
  // The child now shown: "#normal", "#pressed" or "#disabled".
  Element* visual() const;

 private:
  void update_visual();
  bool apply_change(bool was, Point position, bool cancel, bool by_key);

  Element* normal_ = nullptr;
  Element* pressed_ = nullptr;
  Element* disabled_ = nullptr;
  int bound_key_ = 0;
  std::u16string text_;
  bool pointer_pressed_ = false;
  bool key_pressed_ = false;
  Point last_;
  ButtonListener* listener_ = nullptr;
};

}  // namespace lv
