// Un-warp grid: start state, settings and rebuild, point picking and the field built from the nodes.
#include "engine/unwarp_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/engine/engine_fixture.h"
#include "tests/engine/recording_host.h"

namespace {

// A 100 x 50 image: 7 x 7 nodes make cells of 20 x 10, node (1, 1) at (10, 5) after reset.
class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_edit_state();
    previous_host = set_engine_host(&host);
    reset_unwarp_grid();
  }
  void TearDown() override { set_engine_host(previous_host); }
  TestImage img{100, 50};
  RecordingHost host;
  EngineHost* previous_host = nullptr;
};

TEST_F(GridTest, SettingsStayInRangeAndRebuildTheRegularGrid) {
  EXPECT_EQ(g_grid_ref_x[0][6] + g_grid_target_y[6][6], -10 + 55);
  const struct {
    GridSetting setting;
    int32_t position;
    int32_t x0, x1, last;  // reference x of nodes 0, 1 and nx - 1 after the rebuild
  } cases[] = {
      {GridSetting::nodes_x, 3, -16, 16, 115},     // held at 5 nodes: cells of 33 from 16.5
      {GridSetting::nodes_x, 40, -4, 4, 100},      // held at 14: cells of 8
      {GridSetting::spacing_x, 10, -10, 10, 115},  // cells of 21 from 10.5, truncated toward zero
      {GridSetting::origin_x, 120, 0, 19, 119},    // held at 99 % of 20: -0.2 -> 0
  };
  for (const auto& c : cases) {
    reset_unwarp_grid();
    g_grid_sel_i = g_grid_target_x[1][1] = 3;
    set_unwarp_grid_setting(c.setting, c.position);
    rebuild_unwarp_grid();
    const int32_t last = g_grid_target_x[g_grid_nx - 1][2];
    EXPECT_EQ(std::vector<int32_t>({g_grid_ref_x[0][3], g_grid_ref_x[1][0], last}),
              std::vector<int32_t>({c.x0, c.x1, c.last}))
        << c.position;
    EXPECT_EQ(g_grid_target_x[1][1] - g_grid_ref_x[1][1] + g_grid_sel_i, 1u);
  }
  set_unwarp_grid_setting(GridSetting::origin_y_from_bottom, 90);
  EXPECT_EQ(g_grid_origin_y + unwarp_grid_setting_position(GridSetting::origin_y_from_bottom), 99u);
}

TEST_F(GridTest, PointsPlaceTargetsAndMoveTheSelection) {
  const struct {
    uint32_t keys, px, py, nx, sel_i, sel_j;
    bool placed;
    uint32_t next_i, next_j;
  } cases[] = {
      {GRID_PICK_LEFT, 40, 20, 7, 2, 2, true, 2, 3},                    // down the column
      {GRID_PICK_LEFT, 40, 20, 7, 2, 5, true, 3, 1},                    // next column
      {GRID_PICK_LEFT, 40, 20, 5, 3, 5, true, 1, 1},                    // wraps to the first node
      {GRID_PICK_LEFT, 100, 20, 7, 2, 2, false, 2, 2},                  // right of the image
      {GRID_PICK_LEFT, 40, 50, 7, 2, 2, false, 2, 2},                   // below it
      {GRID_PICK_RIGHT, 53, 18, 7, 1, 1, false, 3, 2},                  // 3 px from node (3, 2) at (50, 15)
      {GRID_PICK_RIGHT, 54, 15, 7, 1, 1, false, 1, 1},                  // 4 px off: no node
      {GRID_PICK_LEFT | GRID_PICK_RIGHT, 70, 25, 7, 1, 1, true, 4, 3},  // the left step first
  };
  for (const auto& c : cases) {
    reset_unwarp_grid();
    g_grid_nx = c.nx;
    g_grid_sel_i = c.sel_i;
    g_grid_sel_j = c.sel_j;
    EXPECT_EQ(pick_unwarp_point(c.keys, c.px, c.py), c.px < 100 && c.py < 50);
    EXPECT_EQ(g_grid_sel_i * 10 + g_grid_sel_j, c.next_i * 10 + c.next_j) << c.px << "," << c.py;
    EXPECT_EQ(g_grid_target_x[c.sel_i][c.sel_j] == static_cast<int32_t>(c.px), c.placed) << c.px << "," << c.py;
  }
}

TEST_F(GridTest, BuildAddsTheBilinearBlendOfTheNodeDisplacements) {
  struct Probe {
    int32_t x, y;
    float dx, dy;
  };
  const struct {
    const char* name;
    uint32_t i, j;  // the moved inner node; (0, 0) for none
    int32_t dx, dy;
    std::vector<Probe> probes;
  } cases[] = {
      {"identity", 0, 0, 0, 0, {{0, 0, 0, 0}, {99, 49, 0, 0}}},
      {"tent", 3, 3, 10, -4, {{50, 25, 10, -4}, {40, 25, 5, -2}, {55, 30, 3.75f, -1.5f}, {30, 25, 0, 0}}},
      {"first column drags the border", 1, 2, 6, 0, {{0, 15, 6, 0}, {5, 20, 3, 0}, {20, 15, 3, 0}}},
      {"corner follows its diagonal", 5, 5, 2, 2, {{99, 49, 2, 2}, {95, 40, 1, 1}}},
  };
  for (const auto& c : cases) {
    reset_unwarp_grid();
    clear_field(g_current_field);
    g_project_modified = 0;
    host.calls.clear();
    g_grid_target_x[c.i][c.j] += c.dx;
    g_grid_target_y[c.i][c.j] += c.dy;
    for (int twice = 1; twice <= 2; ++twice) build_unwarp_field();  // the field accumulates
    EXPECT_EQ(g_project_modified, 1) << c.name;
    EXPECT_EQ(host.calls.back(), "enable 205") << c.name;
    for (const Probe& p : c.probes) {
      EXPECT_FLOAT_EQ(img.pair(p.x, p.y).dx, 2 * p.dx) << c.name << " at " << p.x << "," << p.y;
      EXPECT_FLOAT_EQ(img.pair(p.x, p.y).dy, 2 * p.dy) << c.name << " at " << p.x << "," << p.y;
      EXPECT_FLOAT_EQ(img.undo(p.x, p.y).dx, p.dx) << c.name << " at " << p.x << "," << p.y;
    }
  }
}

TEST_F(GridTest, DegenerateCellsAndFarTargetsLeaveTheFieldFinite) {
  const struct {
    int32_t w;
    uint32_t nx;
    int32_t target;  // every inner target's x
  } cases[] = {{3, 14, 2}, {100, 7, 2147483000}, {100, 14, -2147483000}};
  for (const auto& c : cases) {
    TestImage small(c.w, 50);
    g_grid_nx = c.nx;
    rebuild_unwarp_grid();
    for (uint32_t i = 1; i + 1 < c.nx; ++i)
      for (uint32_t j = 1; j <= 5; ++j) g_grid_target_x[i][j] = c.target;
    build_unwarp_field();
    for (int32_t n = 0; n < c.w * 50; ++n)
      ASSERT_TRUE(std::isfinite(small.pair(n % c.w, n / c.w).dx)) << c.w << " at " << n;
  }
}

}  // namespace
