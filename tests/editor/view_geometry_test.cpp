// View arithmetic: coordinates at every zoom, brush outline, scroll bars and steps, XOR shapes.
#include "editor/core/view_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using Points = std::vector<ViewPoint>;

TEST(ViewGeometry, CoordinatesAtEveryZoom) {
  struct Case {
    int32_t zoom, window, scroll, image;
  } cases[] = {{33, 33, 0, 100}, {50, 101, 0, 202}, {75, 74, 0, 98},    {100, 10, -40, -30},        {150, 149, 0, 99},
               {200, 7, 3, 5},   {300, 299, 0, 99}, {300, -50, 0, -16}, {300, 32767, 196000, 76255}};
  for (const Case& c : cases) EXPECT_EQ(image_coord(c.window, c.scroll, c.zoom), c.image) << c.zoom;
  EXPECT_EQ(window_coord(-30, -40, 100), 10);
  EXPECT_EQ(window_coord(65535, 10, 300), 196595);
  EXPECT_EQ(zoomed_size(100, 33), 33);
  EXPECT_EQ(zoom_of_command(111) + zoom_of_command(119), 0);
  EXPECT_EQ(zoom_of_command(112) + zoom_of_command(118), 333);
}

TEST(ViewGeometry, BrushOutlineRadiusAndEvenRectangle) {
  struct Radius {
    int32_t size, zoom, r;
  } radii[] = {{101, 100, 49}, {101, 33, 15}, {101, 300, 150}, {21, 33, 2}};
  for (const Radius& c : radii) EXPECT_EQ(brush_outline_radius(c.size, c.zoom), c.r) << c.zoom;
  struct Rect {
    int32_t x, left, right;
  } rects[] = {{10, -40, 60}, {11, -40, 62}, {-1, -52, 50}};
  for (const Rect& c : rects) {
    const ClipRect r = brush_outline_rect(c.x, 20, 101, 100);
    EXPECT_EQ(r.left, c.left) << c.x;
    EXPECT_EQ(r.right, c.right) << c.x;
    EXPECT_EQ(r.bottom - r.top, 100);
  }
}

TEST(ViewGeometry, ScrollBarFitCentringAndSteps) {
  struct Fit {
    int32_t zoomed, client, pos, max, centred;
  } fits[] = {{400, 800, 0, 0, -200},
              {300, 600, 0, 0, -150},
              {1200, 800, 500, 400, 400},
              {900, 600, -150, 300, 0},
              {401, 800, 7, 0, -199}};
  for (const Fit& c : fits) {
    const ScrollAxis a = fit_scroll_axis(c.zoomed, c.client, c.pos);
    EXPECT_EQ(a.max, c.max) << c.zoomed;
    EXPECT_EQ(centre_scroll_axis(c.zoomed, c.client, a.max, a.pos), c.centred) << c.zoomed;
  }
  struct Step {
    int code;
    int32_t track, current, pos;
    bool moved;
  } steps[] = {{0, 0, 0, 0, true},    {1, 0, 100, 100, true}, {2, 0, 40, 10, true},
               {3, 0, 90, 100, true}, {4, 70, 3, 70, true},   {5, 10, 10, 10, false},
               {6, 0, -40, 0, true},  {7, 0, 55, 100, true},  {8, 0, 55, 55, false}};
  for (const Step& c : steps) {
    const ScrollMove m = scroll_move(c.code, c.track, c.current, 100);
    EXPECT_EQ(m.pos, c.pos) << c.code;
    EXPECT_EQ(m.moved, c.moved) << c.code;
  }
}

TEST(ViewGeometry, MidpointCircle) {
  const ClipRect wide{-1000, -1000, 1000, 1000};
  EXPECT_EQ(circle_points(5, 5, 0, wide), Points(4, ViewPoint{5, 5}));
  EXPECT_EQ(circle_points(5, 5, 1, wide), (Points{{5, 6}, {6, 5}, {4, 5}, {5, 4}}));
  EXPECT_EQ(circle_points(0, 0, 2, {0, -5, 5, 5}), (Points{{0, 2}, {2, 0}, {0, -2}, {1, 2}, {2, 1}, {2, -1}, {1, -2}}));
  for (const ViewPoint& p : circle_points(0, 0, 40, wide)) EXPECT_LT(std::fabs(std::hypot(p.x, p.y) - 40), 1.0);
}

TEST(ViewGeometry, ClippedBresenhamLine) {
  const ClipRect c{0, 0, 99, 49};
  struct Line {
    ViewPoint a, b;
    bool visible;
    ViewPoint ca, cb;
  } lines[] = {{{10, 10}, {20, 30}, true, {10, 10}, {20, 30}},
               {{10, 10}, {10, 90}, true, {10, 10}, {10, 49}},
               {{-50, 25}, {150, 25}, true, {0, 25}, {99, 25}},
               {{200, 10}, {300, 40}, false, {}, {}},
               {{-10, -10}, {-10, 100}, false, {}, {}}};
  for (Line l : lines) {
    ASSERT_EQ(clip_line(l.a, l.b, c), l.visible) << l.a.x;
    EXPECT_TRUE(!l.visible || (l.a == l.ca && l.b == l.cb)) << l.a.x;
  }
  const Points shallow{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}};
  EXPECT_EQ(line_points({5, 2}, {0, 0}), shallow);
  EXPECT_EQ(line_points({0, 0}, {-2, 5}), (Points{{0, 0}, {0, 1}, {-1, 2}, {-1, 3}, {-2, 4}, {-2, 5}}));
  EXPECT_EQ(line_points({3, 4}, {3, 4}), (Points{{3, 4}}));
}

}  // namespace
