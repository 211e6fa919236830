// Un-warp grid: settings and rebuild, point picking and the field built from the nodes.
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
  }
  void TearDown() override { set_engine_host(previous_host); }
  TestImage img{100, 50};
  RecordingHost host;
  EngineHost* previous_host = nullptr;
};

TEST_F(GridTest, SettingsStayInRangeAndRebuildTheRegularGrid) {
  const struct {
    GridSetting setting;
    int32_t position;
    std::vector<int32_t> x;  // reference x of nodes 0, 1 and nx - 1 after the rebuild
  } cases[] = {
      {GridSetting::nodes_x, 3, {-16, 16, 115}},     // held at 5 nodes: cells of 33 from 16.5
      {GridSetting::nodes_x, 40, {-4, 4, 100}},      // held at 14: cells of 8
      {GridSetting::spacing_x, 10, {-10, 10, 115}},  // cells of 21 from 10.5, truncated toward zero
      {GridSetting::origin_x, 120, {0, 19, 119}},    // held at 99 % of 20: -0.2 -> 0
  };
  for (const auto& c : cases) {
    reset_unwarp_grid();
    g_grid_sel_i = g_grid_target_x[1][1] = 3;
    set_unwarp_grid_setting(c.setting, c.position);
    rebuild_unwarp_grid();
    EXPECT_EQ(std::vector<int32_t>({g_grid_ref_x[0][3], g_grid_ref_x[1][0], g_grid_target_x[g_grid_nx - 1][2]}), c.x);
    EXPECT_EQ(g_grid_target_x[1][1] - g_grid_ref_x[1][1] + g_grid_sel_i, 1u);
  }
  set_unwarp_grid_setting(GridSetting::origin_y_from_bottom, 90);
  EXPECT_EQ(g_grid_origin_y + unwarp_grid_setting_position(GridSetting::origin_y_from_bottom), 99u);
}

TEST_F(GridTest, PointsPlaceTargetsAndMoveTheSelection) {
  const uint32_t L = GRID_PICK_LEFT, R = GRID_PICK_RIGHT;
  const struct {
    uint32_t keys, px, py, nx, sel, next;  // selections as 10 i + j
  } cases[] = {
      {L, 40, 20, 7, 22, 23}, {L, 40, 20, 7, 25, 31},     // down the column, then the next column
      {L, 40, 20, 5, 35, 11}, {L, 100, 20, 7, 22, 22},    // wraps; right of the image: ignored
      {L, 40, 50, 7, 22, 22}, {R, 53, 18, 7, 11, 32},     // below it; 3 px from node (3, 2) at (50, 15)
      {R, 54, 15, 7, 11, 11}, {L | R, 70, 25, 7, 11, 43}  // 4 px off: no node; the left step first
  };
  for (const auto& c : cases) {
    reset_unwarp_grid();
    g_grid_nx = c.nx;
    g_grid_sel_i = c.sel / 10;
    g_grid_sel_j = c.sel % 10;
    const bool inside = c.px < 100 && c.py < 50;
    EXPECT_EQ(pick_unwarp_point(c.keys, c.px, c.py), inside);
    EXPECT_EQ(g_grid_sel_i * 10 + g_grid_sel_j, c.next) << c.px << "," << c.py;
    const bool placed = g_grid_target_x[c.sel / 10][c.sel % 10] == static_cast<int32_t>(c.px);
    EXPECT_EQ(placed, inside && (c.keys & L)) << c.px << "," << c.py;
  }
}

TEST_F(GridTest, BuildAddsTheBilinearBlendOfTheNodeDisplacements) {
  const struct {
    uint32_t i, j;  // the moved inner node, by (dx, dy); (0, 0) for none
    int32_t dx, dy;
    std::vector<std::vector<float>> probes;  // x, y, dx, dy
  } cases[] = {
      {0, 0, 0, 0, {{0, 0, 0, 0}, {99, 49, 0, 0}}},
      {3, 3, 10, -4, {{50, 25, 10, -4}, {40, 25, 5, -2}, {55, 30, 3.75f, -1.5f}, {30, 25, 0, 0}}},  // a tent
      {1, 2, 6, 0, {{0, 15, 6, 0}, {5, 20, 3, 0}, {20, 15, 3, 0}}},  // the border follows the first column
      {5, 5, 2, 2, {{99, 49, 2, 2}, {95, 40, 1, 1}}},                // the corner follows its diagonal
  };
  for (const auto& c : cases) {
    reset_unwarp_grid();
    clear_field(g_current_field);
    g_project_modified = 0;
    g_grid_target_x[c.i][c.j] += c.dx;
    g_grid_target_y[c.i][c.j] += c.dy;
    for (int twice = 1; twice <= 2; ++twice) build_unwarp_field();  // the field accumulates
    EXPECT_TRUE(g_project_modified && host.calls.back() == "enable 205");
    for (const auto& p : c.probes) {
      const int32_t x = static_cast<int32_t>(p[0]), y = static_cast<int32_t>(p[1]);
      EXPECT_EQ(std::vector<float>({img.pair(x, y).dx, img.pair(x, y).dy, img.undo(x, y).dx}),
                std::vector<float>({2 * p[2], 2 * p[3], p[2]}))
          << c.i << "," << c.j << " at " << x << "," << y;
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
    for (int32_t n = 0; n < c.w * 50; ++n) ASSERT_TRUE(std::isfinite(small.pair(n % c.w, n / c.w).dx)) << c.w << n;
  }
}

}  // namespace
