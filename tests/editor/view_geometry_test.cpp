// View arithmetic: coordinates at every zoom, brush outline, scroll bars and steps, XOR shapes.
#include "editor/core/view_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>
#include <vector>

namespace {

TEST(ViewCoordinates, WindowToImageAndBackAtEveryZoom) {
  struct Case {
    int32_t zoom, window, scroll, image;
  } cases[] = {
      {33, 33, 0, 100},    {33, 10, -40, -90}, {50, 101, 0, 202},           {75, 74, 0, 98},
      {100, 10, -40, -30}, {100, 5, 20, 25},   {150, 149, 0, 99},           {200, 7, 3, 5},
      {300, 299, 0, 99},   {300, -50, 0, -16}, {300, 32767, 196000, 76255},
  };
  for (const Case& c : cases) EXPECT_EQ(image_coord(c.window, c.scroll, c.zoom), c.image) << c.zoom << " " << c.window;
  EXPECT_EQ(window_coord(99, 0, 300), 297);
  EXPECT_EQ(window_coord(-30, -40, 100), 10);
  EXPECT_EQ(window_coord(65535, 10, 300), 196595);
  for (int id = ZOOM_CMD_FIRST - 1; id <= ZOOM_CMD_LAST + 1; ++id) {
    static const int32_t zooms[] = {0, 33, 50, 75, 100, 150, 200, 300, 0};
    EXPECT_EQ(zoom_of_command(id), zooms[id - ZOOM_CMD_FIRST + 1]) << id;
  }
  EXPECT_EQ(zoomed_size(100, 33), 33);
  EXPECT_EQ(zoomed_size(65535, 300), 196605);
}

TEST(BrushOutline, RadiusAndRectangleWithEvenLeftAndWidth) {
  struct Case {
    int32_t size, zoom, radius;
  } radii[] = {{101, 100, 49}, {101, 33, 15}, {101, 300, 150}, {21, 33, 2}};
  for (const Case& c : radii) EXPECT_EQ(brush_outline_radius(c.size, c.zoom), c.radius) << c.size << "@" << c.zoom;

  struct Rect {
    int32_t x, y;
    ClipRect want;
  } rects[] = {{10, 20, {-40, -30, 60, 70}}, {11, 20, {-40, -30, 62, 70}}, {-1, 0, {-52, -50, 50, 50}}};
  for (const Rect& r : rects) {
    const ClipRect got = brush_outline_rect(r.x, r.y, 101, 100);
    EXPECT_EQ(got.left, r.want.left) << r.x;
    EXPECT_EQ(got.top, r.want.top) << r.x;
    EXPECT_EQ(got.right, r.want.right) << r.x;
    EXPECT_EQ(got.bottom, r.want.bottom) << r.x;
  }
  for (int mode = 0; mode <= 8; ++mode) EXPECT_EQ(mode_shows_outline(mode), mode != 0 && mode != 3 && mode != 8);
}

TEST(ScrollBars, FitClampsAndCentring) {
  struct Case {
    int32_t zoomed, client, pos, max, fitted, centred;
  } cases[] = {
      {400, 800, 0, 0, 0, -200},        // 400 x 300 at 100 % in 800 x 600
      {300, 600, 0, 0, 0, -150},        //
      {1200, 800, 500, 400, 400, 400},  // the same image at 300 %: a stored 500 is lowered
      {900, 600, -150, 300, -150, 0},   // centred before, scrolls now: raised to 0
      {401, 800, 7, 0, 0, -199},        // truncation toward zero
  };
  for (const Case& c : cases) {
    const ScrollAxis a = fit_scroll_axis(c.zoomed, c.client, c.pos);
    EXPECT_EQ(a.max, c.max) << c.zoomed;
    EXPECT_EQ(a.pos, c.fitted) << c.zoomed;
    EXPECT_EQ(centre_scroll_axis(c.zoomed, c.client, a.max, a.pos), c.centred) << c.zoomed;
  }
}

TEST(ScrollBars, StepTable) {
  struct Case {
    int code;
    int32_t track, current;
    bool moved;
    int32_t pos;
  } cases[] = {
      {0, 0, 0, true, 0},      {0, 0, 5, true, 4},    {1, 0, 5, true, 6},    {1, 0, 100, true, 100},
      {2, 0, 10, true, 0},     {3, 0, 10, true, 40},  {4, 70, 10, true, 70}, {5, 500, 10, true, 100},
      {5, 10, 10, false, 10},  {6, 0, 55, true, 0},   {6, 0, -40, true, 0},  {7, 0, 55, true, 100},
      {7, 0, 100, false, 100}, {8, 0, 55, false, 55}, {9, 0, 55, false, 55},
  };
  for (const Case& c : cases) {
    const ScrollMove m = scroll_move(c.code, c.track, c.current, 100);
    EXPECT_EQ(m.moved, c.moved) << c.code << " at " << c.current;
    EXPECT_EQ(m.pos, c.pos) << c.code << " at " << c.current;
  }
}

const ClipRect kWide{-1000, -1000, 1000, 1000};

TEST(XorCircle, SmallRadiiAndTheFirstStep) {
  const std::vector<ViewPoint> centre4(4, ViewPoint{5, 5});
  EXPECT_EQ(circle_points(5, 5, 0, kWide), centre4);
  EXPECT_EQ(circle_points(5, 5, 1, kWide), (std::vector<ViewPoint>{{5, 6}, {6, 5}, {4, 5}, {5, 4}}));
  EXPECT_EQ(circle_steps(2), (std::vector<ViewPoint>{{1, 2}}));
  EXPECT_EQ(octant_points(0, 0, 1, 2, kWide),
            (std::vector<ViewPoint>{{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}}));
}

TEST(XorCircle, LargeCircleIsRoundSymmetricAndClipped) {
  const int r = 40;
  const std::vector<ViewPoint> all = circle_points(0, 0, r, kWide);
  std::set<std::pair<int, int>> seen;
  for (const ViewPoint& p : all) {
    EXPECT_LT(std::fabs(std::hypot(p.x, p.y) - r), 1.0) << p.x << "," << p.y;
    seen.insert({p.x, p.y});
  }
  for (const auto& [x, y] : seen) EXPECT_TRUE(seen.count({y, -x})) << x << "," << y;
  // Clip edges: left and top inside, right and bottom outside.
  for (const ViewPoint& p : circle_points(0, 0, r, {0, 0, 40, 40})) {
    EXPECT_GE(p.x, 0);
    EXPECT_GE(p.y, 0);
    EXPECT_LT(p.x, 40);
    EXPECT_LT(p.y, 40);
  }
  EXPECT_GT(all.size(), 200u);
}

TEST(ClippedLine, OutcodesAndCutsAtTheClosedRectangle) {
  const ClipRect c{0, 0, 99, 49};
  struct Code {
    int x, y, code;
  } codes[] = {{0, 0, 0}, {99, 49, 0}, {50, 50, 1}, {50, -1, 2}, {100, 10, 4}, {-1, 10, 8}, {100, 50, 5}, {-5, -5, 10}};
  for (const Code& k : codes) EXPECT_EQ(clip_outcode(k.x, k.y, c), k.code) << k.x << "," << k.y;

  struct Line {
    ViewPoint a, b;
    bool visible;
    ViewPoint ca, cb;
  } lines[] = {
      {{10, 10}, {20, 30}, true, {10, 10}, {20, 30}},       // inside: unchanged
      {{10, 10}, {10, 90}, true, {10, 10}, {10, 49}},       // cut at the bottom row
      {{-20, 20}, {40, 20}, true, {0, 20}, {40, 20}},       // cut at the left column
      {{200, 10}, {300, 40}, false, {200, 10}, {300, 40}},  // beside the image
      {{-10, -10}, {-10, 100}, false, {-10, -10}, {-10, 100}}, {{-50, 25}, {150, 25}, true, {0, 25}, {99, 25}},
  };
  for (Line l : lines) {
    EXPECT_EQ(clip_line(l.a, l.b, c), l.visible) << l.ca.x << "," << l.ca.y;
    if (!l.visible) continue;
    EXPECT_EQ(l.a, l.ca);
    EXPECT_EQ(l.b, l.cb);
  }
}

TEST(XorLine, BresenhamFromEndToEnd) {
  EXPECT_EQ(line_points({3, 4}, {3, 4}), (std::vector<ViewPoint>{{3, 4}}));
  const std::vector<ViewPoint> shallow{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}};
  EXPECT_EQ(line_points({0, 0}, {5, 2}), shallow);
  EXPECT_EQ(line_points({5, 2}, {0, 0}), shallow);  // runs from the smaller x
  EXPECT_EQ(line_points({0, 0}, {-2, 5}), (std::vector<ViewPoint>{{0, 0}, {0, 1}, {-1, 2}, {-1, 3}, {-2, 4}, {-2, 5}}));
  EXPECT_EQ(line_points({0, 0}, {0, -3}).size(), 4u);
}

}  // namespace
