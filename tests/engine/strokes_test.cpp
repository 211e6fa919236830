// Brush strokes: advection and its truncation, limits of drag and hammer, region drag, flatten, mask painting, timer.
#include "engine/strokes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/brush_kernels.h"
#include "engine/edit_state.h"
#include "engine/engine_host.h"
#include "engine/render_driver.h"
#include "tests/engine/engine_fixture.h"
#include "tests/engine/recording_host.h"

namespace {

using Calls = std::vector<std::string>;

class Strokes : public ::testing::Test {
 protected:
  void SetUp() override {
    set_engine_host(&host);
    reset_edit_state();
    g_brush_size = 21;
    g_mask_exists = 1;  // no new-mask notice from the mask selector
    g_region_width = g_region_height = 101;
  }
  void TearDown() override {
    set_engine_host(nullptr);
    reset_edit_state();
  }
  void pick(int tool, int size) {
    g_current_tool = TOOL_NONE;
    g_tool_mode = TOOL_MODE_NONE;
    g_brush_size = size;
    select_tool(win, tool);
    host.calls.clear();
  }
  // Kernel cells with values that say where they came from.
  void numbered_kernel() {
    for (int r = 0; r < BRUSH_KERNEL_MAX; ++r)
      for (int k = 0; k < BRUSH_KERNEL_MAX; ++k)
        win.kernel[r][k] = {static_cast<float>(r * 1000 + k), static_cast<float>(-(r * 1000 + k))};
  }

  RecordingHost host;
  std::unique_ptr<MainWindowState> owned = std::make_unique<MainWindowState>();
  MainWindowState& win = *owned;
};

TEST_F(Strokes, BrushOnAnUndistortedAreaAddsTheKernelExactly) {
  TestImage img(64, 48);
  pick(TOOL_TWIST_LEFT, 21);
  apply_brush(win, 30, 20);
  EXPECT_EQ(g_project_modified, 1);
  EXPECT_EQ(host.calls, Calls{"present 20,10 21x21"});
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 64; ++x) {
      const bool in = x >= 20 && x <= 40 && y >= 10 && y <= 30;
      const DisplacementPair want = in ? win.kernel[y - 10][x - 20] : DisplacementPair{0, 0};
      ASSERT_EQ(img.pair(x, y).dx, want.dx) << x << "," << y;
      ASSERT_EQ(img.pair(x, y).dy, want.dy) << x << "," << y;
      ASSERT_EQ(img.undo(x, y).dx, want.dx);
    }
}

// trunc(u + 0.5) toward zero: -0.6 stays, -1.6 goes one back, 0.5 one on.
TEST_F(Strokes, BrushReadsTheKernelWhereTheStrokeMovedTheContent) {
  TestImage img(64, 48);
  numbered_kernel();
  const int x = 30, y = 20, c = 10;
  struct Case {
    int k, r;
    float udx, udy;
    int kk, rr;  // the cell read; -1: none
  } const cases[] = {
      {5, 5, -0.6f, 0.0f, 5, 5}, {6, 5, -1.6f, 0.0f, 5, 5}, {7, 5, 0.5f, 0.0f, 8, 5},    {8, 5, -0.7f, 0.49f, 8, 5},
      {9, 5, -1.7f, 1.5f, 8, 7}, {5, 9, 2.4f, -2.6f, 7, 7}, {0, 3, -1.6f, 0.0f, -1, -1}, {20, 3, 0.5f, 0.0f, -1, -1},
      {4, 0, 0.0f, -0.5f, 4, 0}, {4, 1, 0.0f, -1.5f, 4, 0}, {4, 2, 0.0f, -2.5f, 4, 0},   {6, 6, 1e30f, 0.0f, -1, -1},
      {7, 7, NAN, 0.0f, -1, -1},
  };
  for (const Case& t : cases) img.undo(x - c + t.k, y - c + t.r) = {t.udx, t.udy};
  apply_brush(win, x, y);
  for (const Case& t : cases) {
    SCOPED_TRACE(std::to_string(t.k) + "," + std::to_string(t.r));
    const DisplacementPair got = img.pair(x - c + t.k, y - c + t.r);
    if (t.kk < 0) {
      EXPECT_EQ(got.dx, 0.0f);
      EXPECT_EQ(got.dy, 0.0f);
    } else {
      EXPECT_EQ(got.dx, win.kernel[t.rr][t.kk].dx);
      EXPECT_EQ(got.dy, win.kernel[t.rr][t.kk].dy);
    }
  }
  // A second tick at one spot reads each cell where the first one moved the content.
  TestImage fresh(64, 48);
  g_brush_strength = 1;
  pick(TOOL_GROW, 21);
  apply_brush(win, 30, 20);
  apply_brush(win, 30, 20);
  int shifted = 0;
  for (int r = 0; r < 21; ++r)
    for (int k = 0; k < 21; ++k) {
      const DisplacementPair u = win.kernel[r][k];  // what the first tick added
      const int kk = k + static_cast<int>(std::trunc(u.dx + 0.5));
      const int rr = r + static_cast<int>(std::trunc(u.dy + 0.5));
      if (kk != k || rr != r) ++shifted;
      DisplacementPair add{0.0f, 0.0f};
      if (kk >= 0 && kk < 21 && rr >= 0 && rr < 21) add = win.kernel[rr][kk];
      ASSERT_EQ(fresh.pair(20 + k, 10 + r).dx, static_cast<float>(static_cast<double>(u.dx) + add.dx)) << k << "," << r;
      ASSERT_EQ(fresh.pair(20 + k, 10 + r).dy, static_cast<float>(static_cast<double>(u.dy) + add.dy)) << k << "," << r;
    }
  EXPECT_GT(shifted, 100);
}

TEST_F(Strokes, BrushPartlyOutsideChangesOnlyPixelsInside) {
  TestImage img(30, 20);
  numbered_kernel();
  g_brush_size = 101;
  apply_brush(win, 2, 18);
  EXPECT_EQ(img.pair(0, 0).dx, win.kernel[50 - 18][48].dx);
  EXPECT_EQ(img.pair(29, 19).dx, win.kernel[51][77].dx);
  EXPECT_EQ(host.calls, Calls{"present 0,0 30x20"});
}

TEST_F(Strokes, RestoreScalesTowardsZeroAndDropsTinyComponents) {
  TestImage img(40, 40);
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 40; ++x) img.pair(x, y) = {2.0f, 0.1f};
  pick(TOOL_RESTORE, 21);
  g_brush_strength = 1;
  pick(TOOL_RESTORE, 21);
  apply_restore(win, 20, 20);
  const float f = win.kernel[10][10].dx;
  EXPECT_EQ(img.pair(20, 20).dx, static_cast<float>(2.0 * f));
  EXPECT_EQ(img.pair(20, 20).dy, 0.0f);  // (0.1 f)^2 < 0.005
  EXPECT_EQ(img.undo(20, 20).dx, static_cast<float>(2.0 * f - 2.0));
  EXPECT_EQ(img.pair(10, 10).dx, 2.0f);  // factor 1 at the corner
  EXPECT_EQ(img.pair(10, 10).dy, 0.1f);
  EXPECT_EQ(img.pair(9, 20).dx, 2.0f);
  EXPECT_EQ(g_project_modified, 1);
}

TEST_F(Strokes, MaskPaintingFollowsTheKeyWord) {
  TestImage img(50, 40);
  pick(TOOL_MASK, 21);
  std::fill(g_mask_bits, g_mask_bits + 50 * 40 / 8 + 1, 0);
  g_mask_applied = 1;  // plays no part in painting
  g_mouse_keys = 1;
  paint_mask(win, 25, 20);
  EXPECT_EQ(host.calls, Calls{"present 15,10 21x21"});
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 50; ++x) {
      const int i = std::abs(x - 25) + 1, j = std::abs(y - 20) + 1;
      ASSERT_EQ(mask_bit(x, y), std::abs(x - 25) <= 10 && std::abs(y - 20) <= 10 && i * i + j * j < 100)
          << x << "," << y;
    }
  EXPECT_EQ(img.pair(25, 20).dx, 0.0f);  // the field is not touched

  g_mouse_keys = 5;  // left button with shift: nothing
  paint_mask(win, 30, 20);
  EXPECT_FALSE(mask_bit(34, 20));
  g_mouse_keys = 3;
  paint_mask(win, 30, 20);
  EXPECT_FALSE(mask_bit(34, 20));
  g_mouse_keys = 2;
  paint_mask(win, 27, 20);
  EXPECT_FALSE(mask_bit(25, 20));
  EXPECT_TRUE(mask_bit(18, 20));
  EXPECT_EQ(g_project_modified, 1);
}

TEST_F(Strokes, MaskPaintingAtTheEdgesStaysInItsRows) {
  TestImage img(50, 40);
  pick(TOOL_MASK, 21);
  std::fill(g_mask_bits, g_mask_bits + 50 * 40 / 8 + 1, 0);
  g_mouse_keys = 1;
  paint_mask(win, 1, 20);   // left edge: nothing wraps to the row above
  paint_mask(win, 48, 0);   // top right corner
  paint_mask(win, 48, 39);  // bottom right corner
  for (int y = 0; y < 40; ++y) {
    for (int x = 40; x < 50; ++x)
      if (y >= 10 && y <= 30) {
        ASSERT_FALSE(mask_bit(x, y)) << x << "," << y;
      }
    for (int x = 0; x < 12; ++x)
      if (y < 10 || y > 30) {
        ASSERT_FALSE(mask_bit(x, y)) << x << "," << y;
      }
  }
  EXPECT_TRUE(mask_bit(0, 20));
  EXPECT_TRUE(mask_bit(49, 0));
  EXPECT_TRUE(mask_bit(49, 39));
}

TEST_F(Strokes, FlattenExchangesWithTheNeighboursAndZeroesSmallComponents) {
  TestImage img(40, 40);
  win.kernel[0][0] = {0.5f, 0.0f};  // one cell at work, at pixel (10, 10)
  img.pair(10, 10) = {0.05f, 0.02f};
  img.pair(13, 10) = {0.0f, 0.0f};
  img.pair(10, 13) = {0.04f, 1.0f};
  apply_flatten(win, 20, 20);
  EXPECT_EQ(host.calls, Calls{"present 10,10 21x21"});
  // D = (0.025, 0.01), G = (0.005, -0.49): a' = (0.02, 0.5), b' = (0.025, 0.01), e' = (0.045, 0.51).
  EXPECT_EQ(img.pair(10, 10).dx, 0.0f);
  EXPECT_FLOAT_EQ(img.pair(10, 10).dy, 0.5f);
  EXPECT_EQ(img.pair(13, 10).dx, 0.0f);
  EXPECT_EQ(img.pair(13, 10).dy, 0.0f);
  EXPECT_FLOAT_EQ(img.pair(10, 13).dx, 0.045f);
  EXPECT_FLOAT_EQ(img.pair(10, 13).dy, 0.51f);
  EXPECT_FLOAT_EQ(img.undo(10, 10).dx, -0.05f);
}

TEST_F(Strokes, FlattenLeavesNoComponentBelowTheThreshold) {
  TestImage img(80, 80);
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> noise(-0.2f, 0.2f);
  for (int y = 0; y < 80; ++y)
    for (int x = 0; x < 80; ++x) img.pair(x, y) = {noise(rng), noise(rng)};
  pick(TOOL_FLATTEN, 31);
  g_brush_strength = 1;
  pick(TOOL_FLATTEN, 31);
  apply_flatten(win, 40, 40);
  int zeros = 0;
  // Every pixel whose own cell came last: exactly zero or at least 0.03.
  for (int y = 25; y < 25 + 28; ++y)
    for (int x = 25; x < 25 + 28; ++x)
      for (float v : {img.pair(x, y).dx, img.pair(x, y).dy}) {
        if (v == 0.0f) {
          ++zeros;
        } else {
          ASSERT_GE(std::fabs(v), 0.0299f) << x << "," << y;
        }
      }
  EXPECT_GT(zeros, 0);
}

TEST_F(Strokes, FlattenWithATinyBrushStillRenders) {
  TestImage img(20, 20);
  g_brush_size = 3;  // below the smallest brush: kept at 21
  win.kernel[0][0] = {0.5f, 0.0f};
  apply_flatten(win, 10, 10);
  EXPECT_EQ(host.calls, Calls{"present 0,0 20x20"});
}

TEST_F(Strokes, DragAppliesStepsUpToAThirdOfTheBrush) {
  TestImage img(200, 200);
  pick(TOOL_DRAG, 101);
  const float w = win.kernel[50][50].dx;
  apply_drag(win, 100, 100, 133, 100);  // step 33: applied
  EXPECT_EQ(win.drag_x, 133);
  EXPECT_EQ(win.drag_y, 100);
  EXPECT_EQ(img.pair(133, 100).dx, static_cast<float>(w * -33.0));
  EXPECT_EQ(img.pair(133, 100).dy, 0.0f);
  EXPECT_EQ(img.pair(133 + 20, 100 - 7).dx, static_cast<float>(win.kernel[43][70].dx * -33.0));
  EXPECT_EQ(host.calls, Calls{"present 83,50 101x101"});

  TestImage fresh(200, 200);
  host.calls.clear();
  apply_drag(win, 133, 100, 133, 134);  // vertical step 34: dropped, anchor moves all the same
  EXPECT_EQ(win.drag_y, 134);
  apply_drag(win, 133, 134, 99, 134);  // horizontal step 34
  EXPECT_EQ(win.drag_x, 99);
  apply_drag(win, 99, 134, 99, 134);  // no motion
  EXPECT_TRUE(host.calls.empty());
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) ASSERT_EQ(fresh.pair(x, y).dx, 0.0f);
  EXPECT_EQ(g_project_modified, 1);

  apply_drag(win, 99, 134, 104, 130);
  EXPECT_EQ(fresh.pair(104, 130).dx, static_cast<float>(w * -5.0));
  EXPECT_EQ(fresh.pair(104, 130).dy, static_cast<float>(w * 4.0));
}

TEST_F(Strokes, HammerTurnsTheMotionByAQuarter) {
  TestImage img(200, 200);
  pick(TOOL_HAMMER, 101);
  const float w = win.kernel[50][75].dx;  // 25 right of the centre
  apply_hammer(win, 100, 100, 104, 100);  // rightwards: dy grows
  EXPECT_EQ(img.pair(129, 100).dx, 0.0f);
  EXPECT_EQ(img.pair(129, 100).dy, static_cast<float>(w * 4.0));
  EXPECT_EQ(win.drag_x, 104);
  TestImage fresh(200, 200);
  apply_hammer(win, 104, 100, 104, 96);  // upwards: dx grows
  EXPECT_EQ(fresh.pair(129, 96).dx, static_cast<float>(w * 4.0));
  EXPECT_EQ(fresh.pair(129, 96).dy, 0.0f);
  EXPECT_EQ(win.drag_y, 96);

  host.calls.clear();
  apply_hammer(win, 104, 96, 104, 130);   // 34 down: dropped
  apply_hammer(win, 104, 130, 138, 130);  // 34 right: dropped
  apply_hammer(win, 138, 130, 138, 130);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(win.drag_x, 138);
  EXPECT_EQ(win.drag_y, 130);
  EXPECT_EQ(fresh.pair(138, 130).dy, 0.0f);
}

TEST_F(Strokes, RegionDragPullsWithABilinearTent) {
  TestImage img(200, 200);
  apply_region_drag(win, 100, 100, 105, 100);  // L 5, h 6, m 30
  EXPECT_EQ(host.calls, (Calls{"wait", "unwait", "wait", "present 75,70 60x60", "unwait"}));
  EXPECT_EQ(img.pair(105, 100).dx, -5.0f);
  EXPECT_EQ(img.pair(105, 100).dy, 0.0f);
  EXPECT_EQ(img.pair(90, 100).dx, -2.5f);
  EXPECT_EQ(img.pair(105, 70).dx, 0.0f);
  EXPECT_NE(img.pair(105, 71).dx, 0.0f);
  EXPECT_NE(img.pair(134, 129).dx, 0.0f);
  EXPECT_EQ(img.pair(105, 130).dx, 0.0f);
  EXPECT_EQ(img.pair(135, 100).dx, 0.0f);
  EXPECT_EQ(img.pair(120, 115).dx, static_cast<float>(-5.0 * 0.5 * 0.5));
  EXPECT_EQ(img.undo(120, 115).dx, img.pair(120, 115).dx);
  EXPECT_EQ(g_project_modified, 1);
}

TEST_F(Strokes, RegionDragSpreadFactors) {
  struct Case {
    int L, m;
  } const cases[] = {{1, 6}, {7, 42}, {8, 40}, {17, 85}, {18, 72}, {40, 160}, {41, 123}};
  for (const Case& t : cases) {
    SCOPED_TRACE(t.L);
    TestImage img(400, 400);
    apply_region_drag(win, 200 - t.L, 200 + t.L / 2, 200, 200);  // L from the horizontal difference
    EXPECT_NE(img.pair(200 + t.m - 1, 200).dx, 0.0f);
    EXPECT_EQ(img.pair(200 + t.m, 200).dx, 0.0f);
    EXPECT_NE(img.pair(200 - t.m + 1, 200).dx, 0.0f);
    EXPECT_EQ(img.pair(200 - t.m, 200).dx, 0.0f);
    EXPECT_EQ(img.pair(200, 200).dx, static_cast<float>(-t.L));
    EXPECT_EQ(img.pair(200, 200).dy, static_cast<float>(t.L / 2));
  }
}

TEST_F(Strokes, RegionDragToTheSamePointChangesNothing) {
  TestImage img(50, 50);
  apply_region_drag(win, 20, 20, 20, 20);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(img.pair(20, 20).dx, 0.0f);
  EXPECT_EQ(g_project_modified, 1);
}

// A release far outside: only the part inside the image is visited, no int overflow.
TEST_F(Strokes, RegionDragFarOutsideTheImage) {
  TestImage img(60, 50);
  const int32_t x1 = 2000000000, y1 = -2000000000;
  apply_region_drag(win, 0, 0, x1, y1);
  const double m = 3.0 * 2000000000.0;
  auto t = [&](int x, int y) {
    return (1.0 - (x1 - static_cast<double>(x)) / m) * (1.0 - (y - static_cast<double>(y1)) / m);
  };
  EXPECT_EQ(img.pair(0, 0).dx, static_cast<float>(-2e9 * t(0, 0)));
  EXPECT_EQ(img.pair(59, 49).dy, static_cast<float>(2e9 * t(59, 49)));
  EXPECT_EQ(host.calls, (Calls{"wait", "unwait", "wait", "present 0,0 60x50", "unwait"}));

  // Tent square wholly outside: nothing changes, nothing is walked.
  TestImage other(60, 50);
  host.calls.clear();
  apply_region_drag(win, 2000000000, 2000000000, 2000000000 - 5, 2000000000);
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 60; ++x) ASSERT_EQ(other.pair(x, y).dx, 0.0f);
  EXPECT_EQ(host.calls, (Calls{"wait", "unwait", "wait", "unwait"}));

  // A difference beyond the int range: L = 4e9, m = 1.2e10 covers the image.
  apply_region_drag(win, -2000000000, 10, 2000000000, 10);
  EXPECT_EQ(other.pair(0, 10).dx, static_cast<float>(-4e9 * (1.0 - 2e9 / 1.2e10)));
  EXPECT_EQ(other.pair(0, 10).dy, 0.0f);
}

TEST_F(Strokes, TimerRepeatsTheRunningStrokeOrStopsItself) {
  TestImage img(50, 50);
  for (int state = 0; state <= 3; ++state)
    for (int mode = 0; mode <= 8; ++mode) {
      SCOPED_TRACE("state " + std::to_string(state) + " mode " + std::to_string(mode));
      win.drag_state = state;
      g_tool_mode = mode;
      win.cursor_x = 20;
      win.cursor_y = 20;
      win.drag_x = 22;
      win.drag_y = 20;
      g_project_modified = 0;
      host.timer_stops = 0;
      on_stroke_timer(win);
      const bool acts = (state == 1 && (mode == 1 || mode == 2 || mode == 5 || mode == 6)) ||
                        (state == 2 && (mode == 4 || mode == 7));
      EXPECT_EQ(g_project_modified, acts ? 1 : 0);
      EXPECT_EQ(host.timer_stops, acts ? 0 : 1);
      if (state == 2 && acts) {
        EXPECT_EQ(win.drag_x, 20);  // the anchor follows the cursor
      }
    }
}

}  // namespace
