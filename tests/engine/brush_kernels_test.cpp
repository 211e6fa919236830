// Brush kernels and tool selection: kernel invariants per tool, exact values, selector state and host calls.
#include "engine/brush_kernels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "engine/edit_state.h"
#include "engine/engine_host.h"
#include "engine/render_driver.h"
#include "tests/engine/engine_fixture.h"
#include "tests/engine/recording_host.h"

namespace {

using Calls = std::vector<std::string>;

const Calls kOverlayOn = {"gray 109", "gray 202", "gray 107", "gray 104", "gray 203"};
const Calls kOverlayOff = {"enable 109", "enable 202", "enable 107",        "enable 104",
                           "enable 203", "wait",       "present 0,0 40x30", "unwait"};

Calls concat(std::initializer_list<Calls> parts) {
  Calls all;
  for (const Calls& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

class BrushKernels : public ::testing::Test {
 protected:
  void SetUp() override {
    set_engine_host(&host);
    reset_edit_state();
    g_region_width = g_region_height = 101;
  }
  void TearDown() override {
    set_engine_host(nullptr);
    reset_edit_state();
  }
  // Selects tool from no tool with the given size and strength, host calls forgotten.
  void pick(int tool, int size, int strength) {
    g_current_tool = TOOL_NONE;
    g_tool_mode = TOOL_MODE_NONE;
    g_brush_size = size;
    g_brush_strength = strength;
    ASSERT_TRUE(select_tool(win, tool));
    host.calls.clear();
  }
  DisplacementPair at(int X, int Y) const { return win.kernel[c() + Y][c() + X]; }
  int c() const { return g_brush_size / 2; }
  static float scaled(double v, int strength) { return static_cast<float>(1.7 * static_cast<float>(v) / strength); }

  RecordingHost host;
  TestImage img{40, 30};
  std::unique_ptr<MainWindowState> owned = std::make_unique<MainWindowState>();
  MainWindowState& win = *owned;
};

const int kDisplacementTools[] = {TOOL_GROW,   TOOL_SHRINK, TOOL_PINCH,    TOOL_TWIST_RIGHT, TOOL_TWIST_LEFT,
                                  TOOL_GROW_H, TOOL_GROW_V, TOOL_SHRINK_H, TOOL_SHRINK_V,    TOOL_MAGNIFY};

// Every displacement kernel: exact zeros on and beyond the rim and beyond the
// used square, the centre per tool, and mirror symmetry of the grow family.
TEST_F(BrushKernels, DisplacementKernelsVanishOnTheRimAndMirror) {
  for (int size : {21, 101, 301}) {
    for (int strength : {1, 2, 3}) {
      for (int tool : kDisplacementTools) {
        SCOPED_TRACE("size " + std::to_string(size) + " strength " + std::to_string(strength) + " tool " +
                     std::to_string(tool));
        pick(tool, size, strength);
        EXPECT_EQ(g_tool_mode, TOOL_MODE_BRUSH);
        const int cc = c();
        for (int r = 0; r < BRUSH_KERNEL_MAX; ++r)
          for (int k = 0; k < BRUSH_KERNEL_MAX; ++k) {
            const int X = k - cc, Y = r - cc;
            const bool outside = r >= size || k >= size || X * X + Y * Y >= cc * cc;
            if (outside) {
              ASSERT_EQ(win.kernel[r][k].dx, 0.0f) << r << "," << k;
              ASSERT_EQ(win.kernel[r][k].dy, 0.0f) << r << "," << k;
            }
          }
        const DisplacementPair centre = at(0, 0);
        EXPECT_EQ(centre.dx, 0.0f);
        EXPECT_EQ(centre.dy, tool == TOOL_PINCH ? static_cast<float>(1.7 * 1.0 / strength) : 0.0f);
        for (int Y = 0; Y < cc; Y += 7)
          for (int X = 0; X < cc; X += 5) {
            if (X == 0 && Y == 0) continue;
            const DisplacementPair a = at(X, Y), b = at(-X, Y), d = at(X, -Y);
            if (tool == TOOL_TWIST_RIGHT || tool == TOOL_TWIST_LEFT) {
              // A quarter turn of a mirror-symmetric field.
              ASSERT_EQ(b.dx, a.dx);
              ASSERT_EQ(b.dy, X == 0 ? a.dy : -a.dy);
              ASSERT_EQ(d.dx, Y == 0 ? a.dx : -a.dx);
              ASSERT_EQ(d.dy, a.dy);
            } else {
              ASSERT_EQ(b.dx, X == 0 ? a.dx : -a.dx);
              ASSERT_EQ(b.dy, a.dy);
              ASSERT_EQ(d.dx, a.dx);
              ASSERT_EQ(d.dy, Y == 0 ? a.dy : -a.dy);
            }
          }
      }
    }
  }
}

TEST_F(BrushKernels, FormsDeriveFromTheGrowPair) {
  pick(TOOL_GROW, 61, 2);
  std::vector<DisplacementPair> grow(&win.kernel[0][0], &win.kernel[0][0] + BRUSH_KERNEL_MAX * BRUSH_KERNEL_MAX);
  auto g = [&](int r, int k) { return grow[static_cast<size_t>(r) * BRUSH_KERNEL_MAX + k]; };
  struct Form {
    int tool;
    float (*dx)(DisplacementPair);
    float (*dy)(DisplacementPair);
  } const forms[] = {
      {TOOL_SHRINK, [](DisplacementPair p) { return -p.dx; }, [](DisplacementPair p) { return -p.dy; }},
      {TOOL_TWIST_LEFT, [](DisplacementPair p) { return p.dy; }, [](DisplacementPair p) { return -p.dx; }},
      {TOOL_GROW_H, [](DisplacementPair p) { return p.dx; }, [](DisplacementPair) { return 0.0f; }},
      {TOOL_GROW_V, [](DisplacementPair) { return 0.0f; }, [](DisplacementPair p) { return p.dy; }},
      {TOOL_SHRINK_H, [](DisplacementPair p) { return -p.dx; }, [](DisplacementPair) { return 0.0f; }},
      {TOOL_SHRINK_V, [](DisplacementPair) { return 0.0f; }, [](DisplacementPair p) { return -p.dy; }},
  };
  for (const Form& f : forms) {
    pick(f.tool, 61, 2);
    for (int r = 0; r < 61; ++r)
      for (int k = 0; k < 61; ++k) {
        ASSERT_EQ(win.kernel[r][k].dx, f.dx(g(r, k))) << f.tool << " " << r << "," << k;
        ASSERT_EQ(win.kernel[r][k].dy, f.dy(g(r, k))) << f.tool << " " << r << "," << k;
      }
  }
  // Grow pushes outwards from the centre: the image content moves in.
  EXPECT_LT(g(30, 40).dx, 0.0f);
  EXPECT_GT(g(30, 20).dx, 0.0f);
  EXPECT_LT(g(40, 30).dy, 0.0f);
}

// The profiles use 3.141593 and 3.14159366, not pi; near the rim that shows in float.
TEST_F(BrushKernels, ProfileConstantsAndStrengthScaling) {
  const double r = 49.0 / 50.0;
  for (int strength : {1, 2, 3}) {
    pick(TOOL_GROW, 101, strength);
    EXPECT_EQ(at(49, 0).dx, scaled(-static_cast<float>(std::sin(3.141593 * r)), strength));
    EXPECT_NE(at(49, 0).dx, scaled(-static_cast<float>(std::sin(3.14159265358979323846 * r)), strength));
    EXPECT_EQ(at(0, 49).dy, at(49, 0).dx);
    EXPECT_EQ(at(0, -49).dy, -at(49, 0).dx);
    // Off the axes: the unit vector from the centre times the profile.
    const float p = static_cast<float>(std::sin(3.141593 * 0.5));
    EXPECT_EQ(at(15, 20).dx, scaled(-static_cast<double>(p) * 15 / 25.0, strength));
    EXPECT_EQ(at(15, 20).dy, scaled(-static_cast<double>(p) * 20 / 25.0, strength));

    pick(TOOL_TWIST_RIGHT, 101, strength);
    EXPECT_EQ(at(49, 0).dy, scaled(-static_cast<float>(std::sin(3.14159366 * r)), strength));
    EXPECT_EQ(at(49, 0).dx, 0.0f);

    pick(TOOL_PINCH, 101, strength);
    EXPECT_EQ(at(0, 10).dy, scaled(static_cast<float>(1.0 - 0.2), strength));

    pick(TOOL_MAGNIFY, 101, strength);
    EXPECT_EQ(at(20, 0).dx, scaled(-static_cast<float>(0.4), strength));
    EXPECT_EQ(at(30, 0).dx, scaled(-static_cast<float>(0.5 * std::sin(3.141593 * 0.6)), strength));
  }
}

TEST_F(BrushKernels, WeightKernelsUseOnlyTheFirstFloat) {
  for (int strength : {1, 2, 3}) {
    SCOPED_TRACE(strength);
    const double drag_s[] = {0.5, 1.0 / 3.0, 0.25}, hammer_s[] = {0.25, 1.0 / 7.0, 0.1};
    pick(TOOL_DRAG, 101, strength);
    EXPECT_EQ(g_tool_mode, TOOL_MODE_DRAG);
    EXPECT_EQ(at(0, 0).dx, static_cast<float>(drag_s[strength - 1]));
    EXPECT_EQ(at(30, -40).dx, 0.0f);
    EXPECT_EQ(at(-10, 0).dx, static_cast<float>((1.0 - 0.2) * drag_s[strength - 1]));

    pick(TOOL_HAMMER, 101, strength);
    EXPECT_EQ(g_tool_mode, TOOL_MODE_HAMMER);
    EXPECT_EQ(at(0, 0).dx, 0.0f);
    EXPECT_EQ(at(50, 0).dx, 0.0f);
    EXPECT_EQ(at(0, -25).dx, static_cast<float>(std::sin(3.141593 * 0.5) / 2.25 * hammer_s[strength - 1]));

    auto f = [strength](double rho) {
      return strength == 1 ? rho : strength == 2 ? std::sqrt(rho) : std::sqrt(std::sqrt(rho)) + 0.1;
    };
    const double rho0 = std::sqrt(2.0) / 50;
    pick(TOOL_FLATTEN, 101, strength);
    EXPECT_EQ(g_tool_mode, TOOL_MODE_FLATTEN);
    EXPECT_EQ(at(0, 0).dx, static_cast<float>(0.5 * (1.0 - f(rho0))));
    EXPECT_EQ(at(49, 0).dx, 0.0f);

    pick(TOOL_RESTORE, 101, strength);
    EXPECT_EQ(g_tool_mode, TOOL_MODE_RESTORE);
    EXPECT_EQ(at(0, 0).dx, static_cast<float>(f(rho0)));
    EXPECT_EQ(at(49, 0).dx, 1.0f);
    EXPECT_EQ(at(-50, -50).dx, 1.0f);

    for (int tool : {TOOL_DRAG, TOOL_HAMMER, TOOL_FLATTEN, TOOL_RESTORE}) {
      pick(tool, 101, strength);
      for (int r = 0; r < BRUSH_KERNEL_MAX; ++r)
        for (int k = 0; k < BRUSH_KERNEL_MAX; ++k) {
          ASSERT_EQ(win.kernel[r][k].dy, 0.0f);
          if (r >= 101 || k >= 101) {
            ASSERT_EQ(win.kernel[r][k].dx, 0.0f);
          }
          ASSERT_GE(win.kernel[r][k].dx, 0.0f);
          ASSERT_LE(win.kernel[r][k].dx, 1.0f);
        }
    }
  }
}

TEST_F(BrushKernels, MaskMarkersUseTheOffsetsPlusOne) {
  g_mask_exists = 1;
  for (int size : {21, 101, 301}) {
    pick(TOOL_MASK, size, 1);
    g_current_tool = TOOL_NONE;  // leave it on: the next pick is a fresh selection
    g_tool_mode = TOOL_MODE_NONE;
    const int cc = c();
    for (int r = 0; r < size; ++r)
      for (int k = 0; k < size; ++k) {
        const int i = std::abs(r - cc) + 1, j = std::abs(k - cc) + 1;
        ASSERT_EQ(win.kernel[r][k].dx, i * i + j * j < cc * cc ? 0.0f : 1.0f) << size << ": " << r << "," << k;
        ASSERT_EQ(win.kernel[r][k].dy, 0.0f);
      }
    EXPECT_EQ(at(cc - 1, 0).dx, 1.0f);
    EXPECT_EQ(at(cc - 2, 0).dx, 0.0f);
  }
}

TEST_F(BrushKernels, RegionDragKernelStaysCleared) {
  pick(TOOL_GROW, 301, 1);
  pick(TOOL_REGION_DRAG, 101, 2);
  EXPECT_EQ(g_tool_mode, TOOL_MODE_REGION_DRAG);
  for (int r = 0; r < BRUSH_KERNEL_MAX; ++r)
    for (int k = 0; k < BRUSH_KERNEL_MAX; ++k) {
      ASSERT_EQ(win.kernel[r][k].dx, 0.0f);
      ASSERT_EQ(win.kernel[r][k].dy, 0.0f);
    }
}

TEST_F(BrushKernels, ClearCoversTheWholeArrayScaleOnlyTheUsedSquare) {
  for (int r = 0; r < BRUSH_KERNEL_MAX; ++r)
    for (int k = 0; k < BRUSH_KERNEL_MAX; ++k) win.kernel[r][k] = {1.0f, -2.0f};
  g_brush_size = 21;
  g_brush_strength = 3;
  scale_brush_kernel(win);
  EXPECT_EQ(win.kernel[20][20].dx, static_cast<float>(1.7 * 1.0 / 3));
  EXPECT_EQ(win.kernel[20][20].dy, static_cast<float>(1.7 * -2.0 / 3));
  EXPECT_EQ(win.kernel[21][0].dx, 1.0f);
  EXPECT_EQ(win.kernel[0][21].dy, -2.0f);
  clear_brush_kernel(win);
  for (int r = 0; r < BRUSH_KERNEL_MAX; ++r)
    for (int k = 0; k < BRUSH_KERNEL_MAX; ++k) {
      ASSERT_EQ(win.kernel[r][k].dx, 0.0f);
      ASSERT_EQ(win.kernel[r][k].dy, 0.0f);
    }
}

TEST_F(BrushKernels, ChoosingTheCurrentToolAgainSwitchesItOff) {
  EXPECT_TRUE(select_tool(win, TOOL_GROW));
  EXPECT_EQ(g_current_tool, TOOL_GROW);
  EXPECT_EQ(g_tool_mode, TOOL_MODE_BRUSH);
  EXPECT_EQ(host.calls, Calls{"notify"});
  const DisplacementPair before = at(20, 10);
  EXPECT_NE(before.dx, 0.0f);

  host.calls.clear();
  g_brush_size = 21;  // not rebuilt on the way out
  select_tool_grow(win);
  EXPECT_EQ(g_current_tool, TOOL_NONE);
  EXPECT_EQ(g_tool_mode, TOOL_MODE_NONE);
  EXPECT_EQ(host.calls, (Calls{"notify", "invalidate all"}));
  g_brush_size = 101;
  EXPECT_EQ(at(20, 10).dx, before.dx);

  // Another tool replaces the current one without switching off in between.
  select_tool_grow(win);
  host.calls.clear();
  select_tool_flatten(win);
  EXPECT_EQ(g_current_tool, TOOL_FLATTEN);
  EXPECT_EQ(host.calls, Calls{"notify"});
}

TEST_F(BrushKernels, SizeChangeReselectionRebuildsWithoutSwitchingOff) {
  select_tool_grow(win);
  g_brush_size = 21;
  g_current_tool = TOOL_NONE;  // what the settings bar does before resending the command
  select_tool(win, TOOL_GROW);
  EXPECT_EQ(g_current_tool, TOOL_GROW);
  EXPECT_EQ(g_tool_mode, TOOL_MODE_BRUSH);
  EXPECT_EQ(win.kernel[10][20].dx, 0.0f);
  EXPECT_EQ(win.kernel[10][19].dx, scaled(-static_cast<float>(std::sin(3.141593 * 0.9)), 2));
  EXPECT_EQ(win.kernel[10][60].dx, 0.0f);  // the old, larger kernel is gone
}

TEST_F(BrushKernels, UnknownIdsSelectNothing) {
  for (int id : {0, 14, 17, 19, 23, 300, -1}) EXPECT_FALSE(select_tool(win, id)) << id;
  EXPECT_EQ(g_current_tool, TOOL_NONE);
  EXPECT_TRUE(host.calls.empty());
}

TEST_F(BrushKernels, MaskToolCreatesTheMaskOnceAndShowsTheOverlay) {
  select_tool_mask(win);
  EXPECT_EQ(g_current_tool, TOOL_MASK);
  EXPECT_EQ(g_tool_mode, TOOL_MODE_MASK);
  EXPECT_EQ(g_mask_exists, 1);
  EXPECT_EQ(g_project_modified, 1);
  EXPECT_EQ(g_mask_applied, 1);
  EXPECT_EQ(g_mask_shown, 1);
  EXPECT_EQ(host.calls, concat({{"notify"},
                                kOverlayOn,
                                {"enable 280", "enable 282", "enable 283", "message 40 info", "check 280", "wait",
                                 "present 0,0 40x30", "unwait"}}));
  // W * H / 8 + 1 bytes zeroed (151 of the fixture's all-ones mask), not one more.
  for (int i = 0; i < 40 * 30 / 8 + 1; ++i) ASSERT_EQ(g_mask_bits[i], 0) << i;

  host.calls.clear();
  select_tool_mask(win);  // off again: overlay hidden, items back
  EXPECT_EQ(g_current_tool, TOOL_NONE);
  EXPECT_EQ(g_tool_mode, TOOL_MODE_NONE);
  EXPECT_EQ(g_mask_shown, 0);
  EXPECT_EQ(g_mask_applied, 1);
  EXPECT_EQ(host.calls, concat({{"notify"}, kOverlayOff}));

  // A second selection keeps the painted mask and says nothing.
  img.set_mask_bit(5, 5, true);
  g_project_modified = 0;
  g_mask_applied = 0;
  host.calls.clear();
  select_tool_mask(win);
  EXPECT_EQ(host.calls, concat({{"notify"}, kOverlayOn, {"check 280", "wait", "present 0,0 40x30", "unwait"}}));
  EXPECT_TRUE(mask_bit(5, 5));
  EXPECT_EQ(g_project_modified, 0);
  EXPECT_EQ(g_mask_applied, 1);
}

TEST_F(BrushKernels, LeavingTheMaskToolForAnotherHidesTheOverlay) {
  select_tool_mask(win);
  host.calls.clear();
  select_tool_restore(win);
  EXPECT_EQ(g_current_tool, TOOL_RESTORE);
  EXPECT_EQ(g_mask_shown, 0);
  EXPECT_EQ(host.calls, concat({{"notify"}, kOverlayOff}));
  EXPECT_EQ(at(0, 0).dx, static_cast<float>(std::sqrt(std::sqrt(2.0) / 50)));
}

// A size or strength change re-selects the mask tool; the user's "Anwenden"
// choice must survive the rebuild.
TEST_F(BrushKernels, MaskRebuildKeepsTheAppliedChoice) {
  select_tool_mask(win);
  g_mask_applied = 0;  // the user switched "Anwenden" off
  host.calls.clear();
  g_brush_size = 21;
  g_current_tool = TOOL_NONE;
  select_tool(win, TOOL_MASK);
  EXPECT_EQ(g_current_tool, TOOL_MASK);
  EXPECT_EQ(g_mask_applied, 0);
  EXPECT_EQ(g_mask_shown, 1);
  EXPECT_EQ(host.calls, concat({{"notify"}, kOverlayOn, {"wait", "present 0,0 40x30", "unwait"}}));
  EXPECT_EQ(win.kernel[10][18].dx, 0.0f);
  EXPECT_EQ(win.kernel[10][19].dx, 1.0f);

  // A tool reset clears the mode too: the next choice is a fresh one and applies.
  g_current_tool = TOOL_NONE;
  g_tool_mode = TOOL_MODE_NONE;
  select_tool_mask(win);
  EXPECT_EQ(g_mask_applied, 1);
}

TEST_F(BrushKernels, HideMaskOverlayEnablesItemsAndRendersEverything) {
  g_mask_shown = 1;
  hide_mask_overlay(win);
  EXPECT_EQ(g_mask_shown, 0);
  EXPECT_EQ(host.calls, kOverlayOff);
}

}  // namespace
