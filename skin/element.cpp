#include "skin/element.h"

#include <atomic>
#include <map>

#include "app/log.h"
#include "skin/node_errors.h"
#include "skin/properties.h"

namespace lv {
namespace {

std::atomic<int64_t> live_elements{0};

const std::u16string kEmpty;

std::map<std::u16string, ElementRegistry::Factory, std::less<>>& registry() {
  static std::map<std::u16string, ElementRegistry::Factory, std::less<>> kinds;
  return kinds;
}

AnchorMode anchor_from(const Properties& properties, NodeRecord record, std::u16string_view name) {
  return parse_anchor_mode(properties.get_string(record, name, kEmpty)).value_or(AnchorMode::BOTH_SIDE);
}

}  // namespace

Element::Element() { ++live_elements; }

Element::~Element() {
  // Children are told they have no parent first, so they do not detach.
  for (auto& child : children_) child->parent_ = nullptr;
  children_.clear();
  --live_elements;
}

int64_t Element::live_count() { return live_elements.load(); }

// ---- tree -------------------------------------------------------------------

ElementPtr Element::remove_child(Element* child, size_t index) {
  if (index >= children_.size() || children_[index].get() != child) return nullptr;
  if (captured_ == child) captured_ = nullptr;
  invalidate_layout();
  ElementPtr owned = std::move(children_[index]);
  children_.erase(children_.begin() + static_cast<ptrdiff_t>(index));
  owned->parent_ = nullptr;
  return owned;
}

void Element::insert_child(ElementPtr child, size_t index, Properties&, NodeRecord, std::u16string_view) {
  insert_base(std::move(child), index);
}

void Element::insert_base(ElementPtr child, size_t index) {
  Element* c = child.get();
  c->parent_ = this;
  const bool was_on_screen = c->on_screen();
  const bool was_taking = c->enabled_ && c->active_;
  c->active_ = enabled_ && active_;
  c->shown_ = visible_ && shown_;
  children_.insert(children_.begin() + static_cast<ptrdiff_t>(std::min(index, children_.size())), std::move(child));
  // A subtree inserted under a hidden or disabled parent learns it all the
  // way down, as if the parent had changed after the insertion.
  if (c->on_screen() != was_on_screen) c->shown_changed(c->on_screen());
  if ((c->enabled_ && c->active_) != was_taking) c->active_changed(c->enabled_ && c->active_);
  // Also when a measure was taken while layout was pending: it is stale now.
  if (!layout_pending_ || width_measure_.preferred != -1 || height_measure_.preferred != -1) invalidate_layout();
}

Element* Element::add_child(ElementPtr child) {
  // Through the kind's own insert_child, with no skin record behind it.
  static Properties no_skin;
  Element* c = child.get();
  insert_child(std::move(child), children_.size(), no_skin, NodeRecord{}, u"");
  return c;
}

void Element::clear_children() {
  for (auto& child : children_) child->parent_ = nullptr;
  captured_ = nullptr;
  children_.clear();
}

Element* Element::find_child(std::u16string_view id) const {
  for (const auto& child : children_)
    if (child->id_ == id) return child.get();
  return find_in_subtrees(id);
}

Element* Element::find_in_subtrees(std::u16string_view id) const {
  for (const auto& child : children_)
    if (Element* hit = child->find_child(id)) return hit;
  return nullptr;
}

Element& Element::require_child(std::u16string_view id) const {
  Element* child = find_child(id);
  if (!child) throw quarde::NodeNotFound(id_, std::u16string(id));
  return *child;
}

bool Element::load_from_skin(Properties& properties, std::u16string_view node_name) {
  const NodeRecord record = properties.find_node(node_name);
  if (!record) return false;
  clear_children();
  load(properties, record);
  invalidate_layout();
  return true;
}

void Element::load(Properties& properties, NodeRecord record) {
  id_ = properties.get_string(record, u"id", kEmpty);
  anchor_x_ = anchor_from(properties, record, u"anchor_x");
  anchor_y_ = anchor_from(properties, record, u"anchor_y");
  // A kind may preset these before loading; records without points keep them.
  if (record.attribute_count(AttrType::point) > 0) {
    border_min_ = properties.get_point(record, u"border_min", {0, 0});
    design_size_ = properties.get_point(record, u"design_size", {0, 0});
    border_max_ = properties.get_point(record, u"border_max", {0, 0});
  }
  if (record.attribute_count(AttrType::integer) + record.attribute_count(AttrType::font) > 0) {
    cache_ = properties.get_integer(record, u"cache", 0) != 0;
    cache_op_ = cache_ ? cache_operator_for(properties.get_integer(record, u"cache_alpha", -1)) : nullptr;
  }
  const size_t count = record.child_count();
  children_.reserve(children_.size() + count);
  for (size_t i = 0; i < count; ++i) {
    const NodeRecord child_record = record.child(i);
    const std::u16string& type = properties.get_string(child_record, u"type", kEmpty);
    ElementPtr child = ElementRegistry::create_kind(type);
    child->load(properties, child_record);
    insert_child(std::move(child), children_.size(), properties, child_record, type);
  }
  const std::u16string& animation = properties.get_string(record, u"visibility_animation", kEmpty);
  if (!animation.empty()) animation_ = make_visibility_animation(animation);
}

namespace {

void describe_line(const Element& e, int depth, std::u16string& out) {
  auto number = [&](int32_t v) {
    const std::string digits = std::to_string(v);
    out.append(digits.begin(), digits.end());
  };
  out.append(static_cast<size_t>(depth), u'\t');
  const Size cache = e.cache_surface().size();
  out += u"{" + e.id() + u"} position=";
  number(e.x()), out += u" ", number(e.y()), out += u" size=", number(e.width()), out += u" ", number(e.height());
  out += u" design_size=", number(e.design_size().x), out += u" ", number(e.design_size().y);
  out += u" rs.size=", number(cache.width), out += u" ", number(cache.height), out += u"\n";
}

void describe(const Element& e, int depth, std::u16string& out) {
  describe_line(e, depth, out);
  for (const auto& child : e.children()) describe(*child, depth + 1, out);
}

}  // namespace

std::u16string describe_tree(const Element& root) {
  std::u16string out;
  describe(root, 0, out);
  return out;
}

void Element::dump(int depth) const {
  std::u16string line;
  describe_line(*this, depth, line);
  log() << line;
  for (const auto& child : children_) child->dump(depth + 1);
}

void Element::set_text(std::u16string_view id, std::u16string_view text) {
  for (const auto& child : children_) child->set_text(id, text);
}

// ---- visibility and enabled state ------------------------------------------

void Element::mark_dirty() {
  for (Element* e = this; e; e = e->parent_) e->dirty_ = true;
}

void Element::set_visible(bool visible) {
  if (visible == visible_) return;
  const bool was = on_screen();
  visible_ = visible;
  if (on_screen() != was) shown_changed(on_screen());
  mark_dirty();
  if (parent_) parent_->child_visibility_changed();
}

void Element::set_enabled(bool enabled) {
  if (enabled == enabled_) return;
  const bool was = enabled_ && active_;
  enabled_ = enabled;
  if ((enabled_ && active_) != was) active_changed(enabled_ && active_);
  mark_dirty();
}

void Element::shown_changed(bool shown) {
  for (const auto& child : children_) {
    const bool was = child->on_screen();
    child->shown_ = visible_ && shown_;
    if (child->on_screen() != was) child->shown_changed(child->on_screen());
  }
  mark_dirty();
  if (!shown) {
    cache_surface_.release();
    if (captured_) {
      Element* child = captured_;
      captured_ = nullptr;
      PointerEvent cancel;
      cancel.cancelled = true;
      child->pointer_event(cancel);
    }
  }
}

void Element::active_changed(bool) {
  for (const auto& child : children_) {
    const bool was = child->enabled_ && child->active_;
    child->active_ = enabled_ && active_;
    if ((child->enabled_ && child->active_) != was) child->active_changed(child->enabled_ && child->active_);
  }
  mark_dirty();
}

void Element::set_visible_animated(bool visible) {
  if (visible == visible_) return;
  if (visible) set_visible(true);
  if (animation_) {
    if (!animation_->finished()) {
      animation_->reverse();
    } else {
      Element* root = this;
      while (root->parent_) root = root->parent_;
      layout_root(*root, root->width_, root->height_);
      if (cache_op_) animation_->set_op(cache_op_->clone());
      refresh_cache();
      animation_->start(nullptr, visible ? 1 : -1, &cache_surface_);
    }
    mark_dirty();
  }
  if (!visible) set_visible(false);
}

// ---- time, drawing ----------------------------------------------------------

void Element::tick(double seconds) {
  if (animation_ && !animation_->finished()) {
    animation_->update(seconds);
    mark_dirty();
    return;
  }
  for (const auto& child : children_) child->tick(seconds);
}

void Element::draw(RenderSurface& surface, Point origin) {
  for (const auto& child : children_)
    draw_element(*child, surface, {origin.x + child->x_ - x_, origin.y + child->y_ - y_});
}

void Element::set_cache(bool on, std::unique_ptr<RowOp> op) {
  cache_ = on;
  cache_op_ = on ? (op ? std::move(op) : copy_op()) : nullptr;
  if (!on) cache_surface_.release();
  mark_dirty();
}

void Element::refresh_cache() {
  if (cache_ && !dirty_ && cache_surface_.target() && cache_surface_.size() == Size{width_, height_}) return;
  cache_surface_.recreate({std::max(0, width_), std::max(0, height_)});
  fill(cache_surface_, {0, 0, width_, height_}, 255, 0, 255);
  draw(cache_surface_, {0, 0});
}

void draw_element(Element& element, RenderSurface& surface, Point origin) {
  if (element.animation_ && !element.animation_->finished()) {
    element.animation_->draw(surface, origin);
    return;
  }
  if (!element.visible_) return;
  if (element.cache_) {
    element.refresh_cache();
    blit(element.cache_surface_, surface, origin, *element.cache_op_);
  } else {
    element.draw(surface, origin);
  }
  element.dirty_ = false;
}

std::unique_ptr<RowOp> cache_operator_for(int32_t cache_alpha) {
  return cache_alpha == -1 ? copy_op() : translucency_op(cache_alpha);
}

// ---- events -----------------------------------------------------------------

bool Element::hit_test(Point p) const { return x_ <= p.x && p.x < x_ + width_ && y_ <= p.y && p.y < y_ + height_; }

void Element::pointer_move(Point p) {
  if (captured_) captured_->pointer_move(p);
}

bool Element::pointer_event(const PointerEvent& event) {
  if (captured_) {
    Element* child = captured_;
    if (!event.down || event.cancelled) captured_ = nullptr;
    child->pointer_event(event);
    return true;
  }
  for (auto it = children_.rbegin(); it != children_.rend(); ++it) {
    Element* child = it->get();
    if (!child->hit_test({event.x, event.y}) || !child->takes_input()) continue;
    if (!child->pointer_event(event)) continue;
    if (event.down) captured_ = child;
    return true;
  }
  return false;
}

bool Element::key_event(const KeyEvent& event) {
  for (const auto& child : children_)
    if (child->visible_ && child->key_event(event)) return true;
  return false;
}

// ---- registry -----------------------------------------------------------------

void ElementRegistry::register_kind(std::u16string name, Factory factory) {
  if (registry().contains(name)) throw quarde::NodeAlreadyRegistered(std::move(name));
  registry().emplace(std::move(name), std::move(factory));
}

void ElementRegistry::unregister_kind(std::u16string_view name) {
  if (const auto it = registry().find(name); it != registry().end()) registry().erase(it);
}

ElementPtr ElementRegistry::create_kind(std::u16string_view name) {
  const auto it = registry().find(name);
  if (it == registry().end()) throw quarde::NodeNotRegistered(std::u16string(name));
  return it->second();
}

bool ElementRegistry::is_registered(std::u16string_view name) { return registry().find(name) != registry().end(); }

}  // namespace lv
