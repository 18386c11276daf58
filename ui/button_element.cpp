#include "ui/button_element.h"

#include "app/keys.h"
#include "skin/properties.h"

namespace lv {

void ButtonElement::load(Properties& properties, NodeRecord record) {
  Element::load(properties, record);
  normal_ = find_child(u"#normal");
  pressed_ = find_child(u"#pressed");
  disabled_ = find_child(u"#disabled");
  for (Element* e : {normal_, pressed_, disabled_})
    if (e) e->set_geometry_observer(nullptr);
  static const std::u16string kEmpty;
  bound_key_ = key_code_from_name(properties.get_string(record, u"bind_key", kEmpty)).value_or(0);
  const std::u16string& key = properties.get_string(record, u"text", kEmpty);
  if (!key.empty()) set_button_text(properties.text(key));
  update_visual();
}

void ButtonElement::set_button_text(std::u16string_view text) {
  if (text == text_) return;
  text_ = std::u16string(text);
  set_text(u"#text", text_);
}

Element* ButtonElement::visual() const {
  Element* chosen = !(enabled() && active()) ? disabled_ : pressed() ? pressed_ : normal_;
  return chosen ? chosen : normal_;
}

void ButtonElement::update_visual() {
  Element* shown = visual();
  for (Element* e : {normal_, pressed_, disabled_})
    if (e) e->set_visible(e == shown);
}

void ButtonElement::active_changed(bool active) {
  Element::active_changed(active);
  update_visual();
}

bool ButtonElement::pointer_event(const PointerEvent& event) {
  const bool was = pressed();
  const Point position{event.x, event.y};
  if (!event.move) {
    pointer_pressed_ = event.down && !event.cancelled;
    last_ = position;
  }
  if (pointer_pressed_ && listener_) listener_->on_drag(*this, position, {0, 0});
  apply_change(was, position, event.cancelled, false);
  return true;
}

void ButtonElement::pointer_move(Point p) {
  if (!pointer_pressed_) return;
  const Point delta{p.x - last_.x, p.y - last_.y};
  const Point adjust = listener_ ? listener_->on_drag(*this, p, delta) : Point{};
  last_ = {p.x - adjust.x, p.y - adjust.y};
}

bool ButtonElement::key_event(const KeyEvent& event) {
  if (bound_key_ == 0 || event.code != bound_key_) return false;
  const bool was = pressed();
  key_pressed_ = event.down;
  apply_change(was, {x() + width() / 2, y() + height() / 2}, false, true);
  return true;
}

bool ButtonElement::apply_change(bool was, Point position, bool cancel, bool by_key) {
  const bool now = pressed();
  if (was == now) return true;
  const bool usable = enabled() && active();
  if (listener_) listener_->on_press_changed(*this, position, !usable || cancel);
  update_visual();
  if (was && !now && usable && !cancel && (by_key || hit_test(position)))
    return listener_ ? listener_->on_click(*this, position) : true;
  return true;
}

}  // namespace lv
