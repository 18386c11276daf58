// "multinode": shows exactly one of its children, the current state; with
// "movie" set the states follow one another by time.
#pragma once

#include <memory>
#include <vector>

#include "skin/element.h"
#include "ui/button_element.h"

namespace lv {

class MultiNodeElement;

class MultiNodeListener {
 public:
  virtual ~MultiNodeListener() = default;
  // The new index is current_state() of the sender.
  virtual void on_state_changed(MultiNodeElement& sender, bool by_user) = 0;
  // Drags reported by a state that is a button.
  virtual Point on_drag(MultiNodeElement&, Point, Point) { return {}; }
};

class MultiNodeElement : public Element {
 public:
  MultiNodeElement();
  ~MultiNodeElement() override;
  ElementPtr remove_child(Element* child, size_t index) override;
  void insert_child(ElementPtr child, size_t index, Properties& properties, NodeRecord record,
                    std::u16string_view type_name) override;
  void load(Properties& properties, NodeRecord record) override;
  void tick(double seconds) override;

  size_t current_state() const { return current_; }
  size_t state_count() const { return states_.size(); }
  void set_state(size_t index, bool by_user);
  void next_state(bool by_user);
  void set_listener(MultiNodeListener* listener) { listener_ = listener; }
  bool movie() const { return movie_; }

 private:
  class Relay;
  struct State {
    Element* element;
    double delay;  // seconds; negative: the default delay
  };
  void show_current();

  std::vector<State> states_;
  std::vector<std::unique_ptr<Relay>> relays_;
  size_t current_ = 0;
  MultiNodeListener* listener_ = nullptr;
  bool movie_ = false;
  double default_delay_ = 1.0;
  double elapsed_ = 0.0;
};

}  // namespace lv
