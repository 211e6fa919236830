// View arithmetic in 64 bits where a zoomed product could pass 32, with the 32-bit results kept.
#include "editor/core/view_geometry.h"

#include <cstdlib>
#include <limits>
#include <utility>

namespace {

int32_t saturate(int64_t v) {
  if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(v);
}

// A zoom that is not positive would divide by zero; the view then acts at 100 percent.
int64_t valid_zoom(int32_t zoom) { return zoom > 0 ? zoom : 100; }

}  // namespace

int32_t zoom_of_command(int command_id) {
  static constexpr int32_t zooms[] = {33, 50, 75, 100, 150, 200, 300};
  if (command_id < ZOOM_CMD_FIRST || command_id > ZOOM_CMD_LAST) return 0;
  return zooms[command_id - ZOOM_CMD_FIRST];
}

int32_t zoomed_size(int32_t size, int32_t zoom) { return saturate(int64_t{size} * valid_zoom(zoom) / 100); }

int32_t image_coord(int32_t window, int32_t scroll, int32_t zoom) {
  return saturate((int64_t{window} + scroll) * 100 / valid_zoom(zoom));
}

int32_t window_coord(int32_t image, int32_t scroll, int32_t zoom) {
  return saturate(int64_t{image} * valid_zoom(zoom) / 100 - scroll);
}

bool mode_shows_outline(int tool_mode) { return tool_mode >= 1 && tool_mode <= 7 && tool_mode != 3; }

int32_t brush_outline_radius(int32_t brush_size, int32_t zoom) {
  return saturate(int64_t{brush_size} * valid_zoom(zoom) / 200 - 1);
}

ClipRect brush_outline_rect(int32_t x, int32_t y, int32_t brush_size, int32_t zoom) {
  const int64_t q = int64_t{brush_size} * valid_zoom(zoom) / 200;
  int64_t left = x - q, right = x + q;
  if (left % 2 != 0) left -= 1;
  if ((right - left) % 2 != 0) right += 1;
  return {saturate(left), saturate(y - q), saturate(right), saturate(y + q)};
}

ScrollAxis fit_scroll_axis(int32_t zoomed, int32_t client, int32_t pos) {
  const int64_t over = int64_t{zoomed} - client;
  const int32_t max = over > 0 ? saturate(over) : 0;
  return {max, pos < max ? pos : max};
}

int32_t centre_scroll_axis(int32_t zoomed, int32_t client, int32_t max, int32_t pos) {
  if (max == 0) return saturate((int64_t{zoomed} - client) / 2);
  return pos < 0 ? 0 : pos;
}

ScrollMove scroll_move(int code, int32_t track, int32_t current, int32_t max) {
  int64_t step = 0;
  switch (code) {
    case 0: step = -SCROLL_LINE_STEP; break;
    case 1: step = SCROLL_LINE_STEP; break;
    case 2: step = -SCROLL_PAGE_STEP; break;
    case 3: step = SCROLL_PAGE_STEP; break;
    case 4:
    case 5: step = int64_t{track} - current; break;
    case 6: step = -int64_t{current}; break;
    case 7: step = int64_t{max} - current; break;
    default: break;
  }
  if (step == 0) return {false, current};
  int64_t pos = current + step;
  if (pos < 0) pos = 0;
  if (pos > max) pos = max;
  return {true, saturate(pos)};
}

namespace {

void put_clipped(std::vector<ViewPoint>& out, int64_t x, int64_t y, const ClipRect& clip) {
  if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom)
    out.push_back({static_cast<int32_t>(x), static_cast<int32_t>(y)});
}

}  // namespace

std::vector<ViewPoint> circle_axis_points(int32_t cx, int32_t cy, int32_t r, const ClipRect& clip) {
  std::vector<ViewPoint> out;
  const int64_t X = cx, Y = cy;
  put_clipped(out, X, Y + r, clip);
  put_clipped(out, X + r, Y, clip);
  put_clipped(out, X - r, Y, clip);
  put_clipped(out, X, Y - r, clip);
  return out;
}

std::vector<ViewPoint> circle_steps(int32_t r) {
  std::vector<ViewPoint> out;
  if (r <= 1) return out;
  int64_t x = 0, y = r, d = 1 - int64_t{r}, de = 3, dse = 5 - 2 * int64_t{r};
  do {
    if (d < 0) {
      d += de;
      de += 2;
      dse += 2;
    } else {
      d += dse;
      de += 2;
      dse += 4;
      y -= 1;
    }
    x += 1;
    out.push_back({static_cast<int32_t>(x), static_cast<int32_t>(y)});
  } while (y > x + 1);
  return out;
}

std::vector<ViewPoint> octant_points(int32_t cx, int32_t cy, int32_t x, int32_t y, const ClipRect& clip) {
  std::vector<ViewPoint> out;
  const int64_t X = cx, Y = cy;
  put_clipped(out, X + x, Y + y, clip);
  put_clipped(out, X + y, Y + x, clip);
  put_clipped(out, X + y, Y - x, clip);
  put_clipped(out, X + x, Y - y, clip);
  put_clipped(out, X - x, Y - y, clip);
  put_clipped(out, X - y, Y - x, clip);
  put_clipped(out, X - y, Y + x, clip);
  put_clipped(out, X - x, Y + y, clip);
  return out;
}

std::vector<ViewPoint> circle_points(int32_t cx, int32_t cy, int32_t r, const ClipRect& clip) {
  std::vector<ViewPoint> out = circle_axis_points(cx, cy, r, clip);
  for (const ViewPoint& s : circle_steps(r)) {
    const std::vector<ViewPoint> eight = octant_points(cx, cy, s.x, s.y, clip);
    out.insert(out.end(), eight.begin(), eight.end());
  }
  return out;
}

int clip_outcode(int32_t x, int32_t y, const ClipRect& clip) {
  int code = 0;
  if (y > clip.bottom)
    code |= 1;
  else if (y < clip.top)
    code |= 2;
  if (x > clip.right)
    code |= 4;
  else if (x < clip.left)
    code |= 8;
  return code;
}

bool clip_line(ViewPoint& p0, ViewPoint& p1, const ClipRect& clip) {
  int c0 = clip_outcode(p0.x, p0.y, clip), c1 = clip_outcode(p1.x, p1.y, clip);
  // Each point reaches the rectangle in a few moves; the bound only guards against a loop.
  for (int moves = 0; moves < 16; ++moves) {
    if ((c0 | c1) == 0) return true;
    if (c0 & c1) return false;
    const int code = c0 ? c0 : c1;
    const int64_t x0 = p0.x, y0 = p0.y, x1 = p1.x, y1 = p1.y;
    int64_t x, y;
    // The other point lies on the inner side of the crossed edge, so no divisor is 0.
    if (code & 1) {
      x = x0 + (x1 - x0) * (clip.bottom - y0) / (y1 - y0);
      y = clip.bottom;
    } else if (code & 2) {
      x = x0 + (x1 - x0) * (clip.top - y0) / (y1 - y0);
      y = clip.top;
    } else if (code & 4) {
      y = y0 + (y1 - y0) * (clip.right - x0) / (x1 - x0);
      x = clip.right;
    } else {
      y = y0 + (y1 - y0) * (clip.left - x0) / (x1 - x0);
      x = clip.left;
    }
    ViewPoint& p = c0 ? p0 : p1;
    p = {static_cast<int32_t>(x), static_cast<int32_t>(y)};
    (c0 ? c0 : c1) = clip_outcode(p.x, p.y, clip);
  }
  return false;
}

std::vector<ViewPoint> line_points(ViewPoint p0, ViewPoint p1) {
  const bool x_major = std::llabs(int64_t{p1.x} - p0.x) >= std::llabs(int64_t{p1.y} - p0.y);
  if (x_major ? p0.x > p1.x : p0.y > p1.y) std::swap(p0, p1);
  const int64_t major = x_major ? int64_t{p1.x} - p0.x : int64_t{p1.y} - p0.y;
  const int64_t minor_signed = x_major ? int64_t{p1.y} - p0.y : int64_t{p1.x} - p0.x;
  const int64_t minor = std::llabs(minor_signed), step = minor_signed < 0 ? -1 : 1;
  std::vector<ViewPoint> out;
  out.reserve(static_cast<size_t>(major) + 1);
  int64_t a = x_major ? p0.x : p0.y, b = x_major ? p0.y : p0.x;
  int64_t d = 2 * minor - major;
  for (int64_t i = 0;; ++i) {
    out.push_back(x_major ? ViewPoint{static_cast<int32_t>(a), static_cast<int32_t>(b)}
                          : ViewPoint{static_cast<int32_t>(b), static_cast<int32_t>(a)});
    if (i == major) break;
    if (d > 0) {
      b += step;
      d -= 2 * major;
    }
    d += 2 * minor;
    a += 1;
  }
  return out;
}
