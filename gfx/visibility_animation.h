// Show and hide animations of elements and screen transitions, named by the
// skin attribute "visibility_animation".
#pragma once

#include <memory>
#include <string_view>

#include "gfx/geometry.h"
#include "gfx/render_surface.h"
#include "gfx/row_op.h"

namespace lv {

class VisibilityAnimation {
 public:
  virtual ~VisibilityAnimation();
  // A new, idle animation of the same kind.
  virtual std::unique_ptr<VisibilityAnimation> clone() const = 0;
  // Takes over the pictures (their bitmaps move into the animation and the
  // given surfaces are left empty; null stays empty and draws nothing) and
  // runs forward (direction +1, t = 0) or backward (direction below 1, t = 1).
  virtual void start(RenderSurface* from, int direction, RenderSurface* to);
  // Draws the current frame with the pictures' top-left corner at position.
  virtual void draw(RenderSurface& surface, Point position) = 0;

  // t += speed * 5 * direction * seconds; reaching 1 (forward) or 0
  // (backward) ends the animation and frees both pictures.
  void update(double seconds);
  bool finished() const { return direction_ == 0; }
  void reverse() { direction_ = -direction_; }

  int direction() const { return direction_; }
  double progress() const { return progress_; }
  double speed() const { return speed_; }

  // The operator the moving picture is drawn with; the key operator unless
  // replaced (an element's own cache blend).
  const RowOp& op() const { return *op_; }
  void set_op(std::unique_ptr<RowOp> op) { op_ = std::move(op); }

 protected:
  explicit VisibilityAnimation(double speed);

  RenderSurface from_;
  RenderSurface to_;

 private:
  int direction_ = 0;
  double progress_ = 0.0;
  double speed_;
  std::unique_ptr<RowOp> op_;
};

// "scale", "pop", "right", "bottom", "left", "top", "flip"; null for any
// other name (the empty one included).
std::unique_ptr<VisibilityAnimation> make_visibility_animation(std::u16string_view name);

}  // namespace lv
