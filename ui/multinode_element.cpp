#include "ui/multinode_element.h"

#include <cstdlib>

#include "platform/unicode.h"
#include "skin/properties.h"

namespace lv {

// Listens to a state that is a button and passes its drags on.
class MultiNodeElement::Relay final : public ButtonListener, public GeometryObserver {
 public:
  explicit Relay(MultiNodeElement& owner) : owner_(owner) {}
  bool on_click(ButtonElement&, Point) override { return true; }
  void on_press_changed(ButtonElement&, Point, bool) override {}
  Point on_drag(ButtonElement&, Point position, Point delta) override {
    return owner_.listener_ ? owner_.listener_->on_drag(owner_, position, delta) : Point{};
  }
  void on_width(Element&, int32_t) override {}
  void on_height(Element&, int32_t) override {}

 private:
  MultiNodeElement& owner_;
};

MultiNodeElement::MultiNodeElement() = default;
MultiNodeElement::~MultiNodeElement() {
  // Buttons that outlive the relays (none: they are children) must not call them.
  for (const State& s : states_)
    if (auto* b = dynamic_cast<ButtonElement*>(s.element)) b->set_listener(nullptr), b->set_geometry_observer(nullptr);
}

void MultiNodeElement::insert_child(ElementPtr child, size_t index, Properties& properties, NodeRecord record,
                                    std::u16string_view type_name) {
  index = std::min(index, child_count());
  Element* c = child.get();
  if (child_count() > 0) c->set_visible(false);
  double delay = -1.0;
  if (record) {
    static const std::u16string kEmpty;
    const std::u16string& text = properties.get_string(record, u"delay", kEmpty);
    if (!text.empty()) delay = std::strtod(platform::to_utf8(text).c_str(), nullptr);
  }
  if (auto* button = dynamic_cast<ButtonElement*>(c)) {
    relays_.push_back(std::make_unique<Relay>(*this));
    button->set_listener(relays_.back().get());
    button->set_geometry_observer(relays_.back().get());
  }
  states_.insert(states_.begin() + static_cast<ptrdiff_t>(index), State{c, delay});
  Element::insert_child(std::move(child), index, properties, record, type_name);
}

ElementPtr MultiNodeElement::remove_child(Element* child, size_t index) {
  ElementPtr removed = Element::remove_child(child, index);
  if (!removed) return removed;
  if (index < states_.size()) states_.erase(states_.begin() + static_cast<ptrdiff_t>(index));
  current_ = states_.empty() ? 0 : current_ % states_.size();
  show_current();
  return removed;
}

void MultiNodeElement::load(Properties& properties, NodeRecord record) {
  Element::load(properties, record);
  movie_ = properties.get_integer(record, u"movie", 0) != 0;
  static const std::u16string kEmpty;
  const std::u16string& key = properties.get_string(record, u"text", kEmpty);
  if (!key.empty()) {
    const std::u16string text = properties.text(key);
    for (const State& s : states_)
      if (auto* b = dynamic_cast<ButtonElement*>(s.element)) b->set_button_text(text);
  }
}

void MultiNodeElement::show_current() {
  for (size_t i = 0; i < states_.size(); ++i) states_[i].element->set_visible(i == current_);
}

void MultiNodeElement::set_state(size_t index, bool by_user) {
  if (index == current_ || index >= states_.size()) return;
  current_ = index;
  show_current();
  if (listener_) listener_->on_state_changed(*this, by_user);
}

void MultiNodeElement::next_state(bool by_user) {
  if (!states_.empty()) set_state((current_ + 1) % states_.size(), by_user);
}

void MultiNodeElement::tick(double seconds) {
  Element::tick(seconds);
  if (!movie_ || !on_screen() || states_.empty()) return;
  elapsed_ += seconds;
  const double delay = states_[current_].delay < 0 ? default_delay_ : states_[current_].delay;
  if (elapsed_ >= delay) {
    elapsed_ -= delay;
    next_state(false);
  }
}

}  // namespace lv
