// Points, sizes and rectangles in pixels, shared by all drawing code.
#pragma once

namespace lv {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
  int width = 0;
  int height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

// A rectangle given by its top-left corner and its size.
struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  Point position() const { return {x, y}; }
  Size size() const { return {width, height}; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

inline Rect make_rect(Point position, Size size) { return {position.x, position.y, size.width, size.height}; }

}  // namespace lv
