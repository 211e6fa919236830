// View arithmetic without the platform: zoom and scroll mapping, brush outline, scroll bars, XOR shapes.
#pragma once

#include <cstdint>
#include <vector>

#include "editor/resources/resource.h"

constexpr int ZOOM_CMD_FIRST = CMD_ZOOM_33;
constexpr int ZOOM_CMD_LAST = CMD_ZOOM_300;

constexpr int32_t SCROLL_LINE_STEP = 1;
constexpr int32_t SCROLL_PAGE_STEP = 30;

struct ViewPoint {
  int32_t x, y;
  bool operator==(const ViewPoint& o) const { return x == o.x && y == o.y; }
};

// Left, top, right, bottom; which edges belong to the inside depends on the user.
struct ClipRect {
  int32_t left, top, right, bottom;
};

// Zoom percent of commands ZOOM_CMD_FIRST..ZOOM_CMD_LAST; 0 for any other id.
int32_t zoom_of_command(int command_id);

// size * zoom / 100, truncated; saturated to 32 bits.
int32_t zoomed_size(int32_t size, int32_t zoom);
// Image coordinate of a window coordinate: (v + scroll) * 100 / zoom, truncated toward zero.
int32_t image_coord(int32_t window, int32_t scroll, int32_t zoom);
// Window coordinate of an image coordinate: v * zoom / 100 - scroll.
int32_t window_coord(int32_t image, int32_t scroll, int32_t zoom);

// Tool modes 1, 2 and 4 to 7 show the brush outline at the pointer while no button is held.
bool mode_shows_outline(int tool_mode);
// Radius the view draws the brush outline with: brush_size * zoom / 200 - 1.
int32_t brush_outline_radius(int32_t brush_size, int32_t zoom);
// The rectangle to invalidate around the outline centred at window point (x, y);
// left and width are kept even, right and bottom exclusive.
ClipRect brush_outline_rect(int32_t x, int32_t y, int32_t brush_size, int32_t zoom);

// One scroll bar's largest position and the position clamped to it (the view's first pass).
struct ScrollAxis {
  int32_t max, pos;
};
ScrollAxis fit_scroll_axis(int32_t zoomed, int32_t client, int32_t pos);
// Centres an image that fits (max 0: a zero or negative position), else keeps the position non-negative.
int32_t centre_scroll_axis(int32_t zoomed, int32_t client, int32_t max, int32_t pos);

// A scroll bar code (SB_LINEUP = 0 ... SB_BOTTOM = 7, others do nothing) applied at
// current; track is the thumb position of codes 4 and 5. moved is false when the
// step was 0: the window needs no repaint then.
struct ScrollMove {
  bool moved;
  int32_t pos;
};
ScrollMove scroll_move(int code, int32_t track, int32_t current, int32_t max);

// Midpoint circle. Points are kept only when left <= x < right and top <= y < bottom;
// a point listed twice shows unchanged when inverted.
// The four axis points, (0, r), (r, 0), (-r, 0), (0, -r) about the centre.
std::vector<ViewPoint> circle_axis_points(int32_t cx, int32_t cy, int32_t r, const ClipRect& clip);
// The offsets (x, y) of the eighth of the circle after each step; none for r <= 1.
std::vector<ViewPoint> circle_steps(int32_t r);
// The eight mirror points of offset (x, y), in the order they are inverted.
std::vector<ViewPoint> octant_points(int32_t cx, int32_t cy, int32_t x, int32_t y, const ClipRect& clip);
// The whole circle: the axis points, then the mirror points of every step.
std::vector<ViewPoint> circle_points(int32_t cx, int32_t cy, int32_t r, const ClipRect& clip);

// Region bits of a point against the closed rectangle: 1 below, 2 above, 4 right, 8 left.
int clip_outcode(int32_t x, int32_t y, const ClipRect& clip);
// Cohen-Sutherland: cuts the line to the closed rectangle; false when none of it is inside.
bool clip_line(ViewPoint& p0, ViewPoint& p1, const ClipRect& clip);
// Bresenham's line from end to end, both end points included.
std::vector<ViewPoint> line_points(ViewPoint p0, ViewPoint p1);
