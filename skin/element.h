// The element tree: every visible thing on screen is an Element, and elements
// mirror the node tree of the skin. An element loads itself from a record,
// creating one child per child record through the ElementRegistry; it is
// measured bottom-up, placed top-down (x for the whole tree, then y), drawn
// through draw_element and fed pointer and key events from its root.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/events.h"
#include "gfx/geometry.h"
#include "gfx/render_surface.h"
#include "gfx/row_op.h"
#include "gfx/visibility_animation.h"
#include "skin/anchor.h"
#include "skin/skin_file.h"

namespace lv {

class Element;
class Properties;
using ElementPtr = std::unique_ptr<Element>;

// {preferred, minimum}; preferred -1 marks a stale cache.
struct Measure {
  int32_t preferred = 0;
  int32_t minimum = 0;
};

// Told the new width after each horizontal placement and the new height after
// each vertical one.
class GeometryObserver {
 public:
  virtual ~GeometryObserver() = default;
  virtual void on_width(Element& element, int32_t width) = 0;
  virtual void on_height(Element& element, int32_t height) = 0;
};

class Element {
 public:
  Element();
  virtual ~Element();
  Element(const Element&) = delete;
  Element& operator=(const Element&) = delete;

  // ---- virtual operations, in slot order -------------------------------
  // Detaches the child at `index` without destroying it and hands it back.
  virtual ElementPtr remove_child(Element* child, size_t index);
  // Takes ownership; the last three arguments serve kinds that arrange their
  // children themselves.
  virtual void insert_child(ElementPtr child, size_t index, Properties& properties, NodeRecord record,
                            std::u16string_view type_name);
  virtual void child_visibility_changed() {}
  // One log line per element, children indented by a tab per level.
  virtual void dump(int depth) const;
  virtual void set_text(std::u16string_view id, std::u16string_view text);
  // Reads the element's attributes and builds its children.
  virtual void load(Properties& properties, NodeRecord record);
  virtual void active_changed(bool active);
  virtual void shown_changed(bool shown);
  virtual void tick(double seconds);
  virtual void draw(RenderSurface& surface, Point origin);
  virtual void layout_x();
  virtual void layout_y();
  virtual void measure_width(Measure& range);
  virtual void measure_height(Measure& range);
  virtual bool hit_test(Point p) const;
  virtual void pointer_move(Point p);
  virtual bool pointer_event(const PointerEvent& event);
  virtual bool key_event(const KeyEvent& event);

  // ---- tree ---------------------------------------------------------------
  const std::u16string& id() const { return id_; }
  void set_id(std::u16string id) { id_ = std::move(id); }
  Element* parent() const { return parent_; }
  const std::vector<ElementPtr>& children() const { return children_; }
  size_t child_count() const { return children_.size(); }
  Element* child(size_t index) const { return children_[index].get(); }
  // Appends a child created by code (not from a record).
  Element* add_child(ElementPtr child);
  // Destroys every child.
  void clear_children();
  // The first direct child with the id, else the first hit searching each
  // child's subtree in child order; never the element itself.
  Element* find_child(std::u16string_view id) const;
  // find_child, throwing quarde::NodeNotFound when there is none.
  Element& require_child(std::u16string_view id) const;
  template <class T>
  T* find_child_as(std::u16string_view id) const {
    return dynamic_cast<T*>(find_child(id));
  }

  // Replaces the children by the named node's tree; false and nothing
  // changed when the skin has no such node.
  bool load_from_skin(Properties& properties, std::u16string_view node_name);

  // ---- state --------------------------------------------------------------
  bool visible() const { return visible_; }
  bool shown() const { return shown_; }
  bool enabled() const { return enabled_; }
  bool active() const { return active_; }
  bool on_screen() const { return visible_ && shown_; }
  bool takes_input() const { return on_screen() && enabled_ && active_; }
  void set_visible(bool visible);
  // Shows or hides through the element's visibility animation, if it has one.
  void set_visible_animated(bool visible);
  void set_enabled(bool enabled);
  bool dirty() const { return dirty_; }
  void mark_dirty();  // this element and every ancestor
  void clear_dirty() { dirty_ = false; }

  // ---- geometry -------------------------------------------------------------
  int32_t x() const { return x_; }
  int32_t y() const { return y_; }
  int32_t width() const { return width_; }
  int32_t height() const { return height_; }
  Rect rect() const { return {x_, y_, width_, height_}; }
  AnchorMode anchor_x() const { return anchor_x_; }
  AnchorMode anchor_y() const { return anchor_y_; }
  void set_anchor(AnchorMode x, AnchorMode y) { anchor_x_ = x, anchor_y_ = y; }
  Point border_min() const { return border_min_; }
  Point border_max() const { return border_max_; }
  Point design_size() const { return design_size_; }
  void set_borders(Point border_min, Point border_max) { border_min_ = border_min, border_max_ = border_max; }
  void set_design_size(Point size) { design_size_ = size; }
  bool layout_pending() const { return layout_pending_; }
  void set_geometry_observer(GeometryObserver* observer) { observer_ = observer; }

  // Cached measures, recomputed when stale.
  Measure width_measure();
  Measure height_measure();
  // Stores the horizontal geometry and places the children when it changed
  // (or layout is pending); a new width makes the height measure stale.
  void set_x_width(int32_t x, int32_t width);
  void set_y_height(int32_t y, int32_t height);
  // Marks the measures stale and layout pending from here up to the root.
  void invalidate_layout();

  // ---- drawing ------------------------------------------------------------
  bool caching() const { return cache_; }
  const RenderSurface& cache_surface() const { return cache_surface_; }
  const RowOp* cache_op() const { return cache_op_.get(); }
  void set_cache(bool on, std::unique_ptr<RowOp> op);
  VisibilityAnimation* visibility_animation() const { return animation_.get(); }
  void set_visibility_animation(std::unique_ptr<VisibilityAnimation> animation) { animation_ = std::move(animation); }
  // Redraws the cache surface when dirty (always when caching is off).
  void refresh_cache();

  // Elements alive in the process, for diagnostics.
  static int64_t live_count();

 protected:
  // The base behaviour of measuring and placing along one axis, for kinds
  // that change one axis and keep the other.
  void base_measure(bool horizontal, Measure& range);
  void base_layout(bool horizontal);
  Element* captured_child() const { return captured_; }
  void release_capture() { captured_ = nullptr; }
  void set_captured(Element* child) { captured_ = child; }

 private:
  friend void draw_element(Element& element, RenderSurface& surface, Point origin);
  void insert_base(ElementPtr child, size_t index);
  Element* find_in_subtrees(std::u16string_view id) const;

  std::unique_ptr<VisibilityAnimation> animation_;
  std::u16string id_;
  Element* parent_ = nullptr;
  GeometryObserver* observer_ = nullptr;
  AnchorMode anchor_x_ = AnchorMode::BOTH_SIDE;
  AnchorMode anchor_y_ = AnchorMode::BOTH_SIDE;
  Point border_min_;
  Point design_size_;
  Measure width_measure_{-1, 0};
  Measure height_measure_{-1, 0};
  Point border_max_;
  bool visible_ = true;
  bool shown_ = true;
  bool enabled_ = true;
  bool active_ = true;
  bool dirty_ = true;
  bool layout_pending_ = true;
  Element* captured_ = nullptr;
  int32_t x_ = 0, y_ = 0, width_ = 0, height_ = 0;
  RenderSurface cache_surface_;
  bool cache_ = false;
  std::unique_ptr<RowOp> cache_op_;
  std::vector<ElementPtr> children_;
};

// The tree as dump() logs it, one line per element, for tools.
std::u16string describe_tree(const Element& root);

// The one way elements are drawn: through a running visibility animation, or
// (when visible) through the cache or directly; clears dirty.
void draw_element(Element& element, RenderSurface& surface, Point origin);

// Lays a root out at a size: x for the whole tree, then y.
void layout_root(Element& root, int32_t width, int32_t height);
// Lays an element out at a width and its preferred height, when pending.
void fit_to_width(Element& element, int32_t width);

// The cache operator of a "cache_alpha" value: copy_op for -1, else the
// translucency level alpha / 64.
std::unique_ptr<RowOp> cache_operator_for(int32_t cache_alpha);

// The process-wide map from a "type" name to the kind it creates.
class ElementRegistry {
 public:
  using Factory = std::function<ElementPtr()>;
  // Throws quarde::NodeAlreadyRegistered and keeps the old entry when the
  // name is taken.
  static void register_kind(std::u16string name, Factory factory);
  static void unregister_kind(std::u16string_view name);
  // Throws quarde::NodeNotRegistered for an unknown name.
  static ElementPtr create_kind(std::u16string_view name);
  static bool is_registered(std::u16string_view name);
};

}  // namespace lv
