// Un-warp grid: start state, settings and rebuild, point picking and the field built from the nodes.
#include "engine/unwarp_grid.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/field.h"
#include "tests/engine/engine_fixture.h"
#include "tests/engine/recording_host.h"

namespace {

// A 100 x 50 image: 7 x 7 nodes make cells of 20 x 10, the first at (10, 5) after reset.
class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_edit_state();
    previous_host = set_engine_host(&host);
    reset_unwarp_grid();
  }
  void TearDown() override {
    set_engine_host(previous_host);
    g_image_width = g_image_height = 0;
    g_mask_applied = 0;
  }
  void move_target(uint32_t i, uint32_t j, int32_t dx, int32_t dy) {
    g_grid_target_x[i][j] = g_grid_ref_x[i][j] + dx;
    g_grid_target_y[i][j] = g_grid_ref_y[i][j] + dy;
  }
  TestImage img{100, 50};
  RecordingHost host;
  EngineHost* previous_host = nullptr;
};

TEST_F(GridTest, ResetLaysTheRegularSevenBySevenGrid) {
  g_grid_nx = g_grid_sel_i = 4;
  reset_unwarp_grid();
  EXPECT_EQ(g_grid_nx + g_grid_ny + g_grid_sel_i + g_grid_sel_j, 16u);
  EXPECT_EQ(g_grid_origin_x + g_grid_origin_y + g_grid_spacing_x + g_grid_spacing_y, 100u);
  for (int n = 0; n < 7; ++n) {
    EXPECT_EQ(g_grid_ref_x[n][6 - n], 10 + (n - 1) * 20) << n;
    EXPECT_EQ(g_grid_target_y[6 - n][n], 5 + (n - 1) * 10) << n;
  }
}

TEST_F(GridTest, SettingsStayInTheUpDownRanges) {
  const struct {
    GridSetting setting;
    int32_t position;
    const uint32_t* value;
    uint32_t expected;
  } cases[] = {
      {GridSetting::nodes_x, 9, &g_grid_nx, 9},
      {GridSetting::nodes_x, 3, &g_grid_nx, 5},
      {GridSetting::nodes_y, 40, &g_grid_ny, 14},
      {GridSetting::nodes_y, -1, &g_grid_ny, 5},
      {GridSetting::origin_x, 120, &g_grid_origin_x, 99},
      {GridSetting::origin_y_from_bottom, 0, &g_grid_origin_y, 99},
      {GridSetting::origin_y_from_bottom, 90, &g_grid_origin_y, 9},
      {GridSetting::spacing_x, 19, &g_grid_spacing_x, 19},
      {GridSetting::spacing_y, 25, &g_grid_spacing_y, 19},
  };
  for (const auto& c : cases) {
    g_grid_sel_i = g_grid_sel_j = 3;
    set_unwarp_grid_setting(c.setting, c.position);
    EXPECT_EQ(*c.value, c.expected) << c.position;
    EXPECT_EQ(g_grid_sel_i + g_grid_sel_j, 2u);
    const int32_t shown = unwarp_grid_setting_position(c.setting);
    EXPECT_EQ(c.setting == GridSetting::origin_y_from_bottom ? 99 - shown : shown, static_cast<int32_t>(c.expected));
  }
}

TEST_F(GridTest, RebuildLaysRealCellSizesAndResetsTargets) {
  const struct {
    uint32_t nx, origin_x, spacing_x;
    int32_t x0, x1, x2, last;  // reference x of nodes 0, 1, 2 and nx - 1
  } cases[] = {
      {7, 50, 0, -10, 10, 30, 110},   // cells of 20; -10 where reset's integers give -10 too
      {7, 50, 10, -10, 10, 31, 115},  // cells of 21: -10.5 truncates toward zero
      {12, 0, 19, -10, 0, 10, 109},   // cw = 10, SX = 10.95
      {5, 99, 0, 0, 32, 65, 131},     // -0.33 truncates to 0 (reset gives -1)
  };
  for (const auto& c : cases) {
    g_grid_nx = c.nx;
    g_grid_origin_x = c.origin_x;
    g_grid_spacing_x = c.spacing_x;
    move_target(1, 1, 7, 7);
    rebuild_unwarp_grid();
    EXPECT_EQ(g_grid_ref_x[0][3], c.x0) << c.nx;
    EXPECT_EQ(g_grid_ref_x[1][0], c.x1) << c.nx;
    EXPECT_EQ(g_grid_ref_x[2][6], c.x2) << c.nx;
    EXPECT_EQ(g_grid_target_x[c.nx - 1][2], c.last) << c.nx;
    EXPECT_EQ(g_grid_target_x[1][1], g_grid_ref_x[1][1]);
    EXPECT_EQ(g_grid_target_y[1][1], g_grid_ref_y[1][1]);
  }
}

TEST_F(GridTest, PointsPlaceTargetsAndMoveTheSelection) {
  const struct {
    uint32_t keys, px, py, nx, sel_i, sel_j;
    bool taken;
    uint32_t next_i, next_j;
  } cases[] = {
      {GRID_PICK_LEFT, 40, 20, 7, 2, 2, true, 2, 3},                    // down the column
      {GRID_PICK_LEFT, 40, 20, 7, 2, 5, true, 3, 1},                    // next column
      {GRID_PICK_LEFT, 40, 20, 5, 3, 5, true, 1, 1},                    // wraps to the first node
      {GRID_PICK_LEFT, 100, 20, 7, 2, 2, false, 2, 2},                  // right of the image
      {GRID_PICK_LEFT, 40, 50, 7, 2, 2, false, 2, 2},                   // below the image
      {GRID_PICK_LEFT, 40, 20, 7, 9, 9, true, 1, 2},                    // stale selection starts over
      {GRID_PICK_RIGHT, 53, 18, 7, 1, 1, true, 3, 2},                   // 3 px from node (3, 2) at (50, 15)
      {GRID_PICK_RIGHT, 54, 15, 7, 1, 1, true, 1, 1},                   // 4 px off: no node
      {GRID_PICK_LEFT | GRID_PICK_RIGHT, 70, 25, 7, 1, 1, true, 4, 3},  // left step, then the pick
  };
  for (const auto& c : cases) {
    reset_unwarp_grid();
    g_grid_nx = c.nx;
    g_grid_sel_i = c.sel_i;
    g_grid_sel_j = c.sel_j;
    const uint32_t i = c.sel_i < c.nx - 1 ? c.sel_i : 1, j = c.sel_j < 6 ? c.sel_j : 1;
    EXPECT_EQ(pick_unwarp_point(c.keys, c.px, c.py), c.taken) << c.px << "," << c.py;
    EXPECT_EQ(g_grid_sel_i, c.next_i) << c.px << "," << c.py;
    EXPECT_EQ(g_grid_sel_j, c.next_j) << c.px << "," << c.py;
    const bool placed = c.taken && (c.keys & GRID_PICK_LEFT);
    EXPECT_EQ(g_grid_target_x[i][j] == static_cast<int32_t>(c.px), placed) << c.px << "," << c.py;
    EXPECT_EQ(g_grid_ref_x[3][2], 50);  // the regular grid never moves
  }
}

TEST_F(GridTest, BuildAddsTheBilinearBlendOfTheNodeDisplacements) {
  struct Probe {
    int32_t x, y;
    float dx, dy;
  };
  const struct {
    const char* name;
    uint32_t i, j;  // moved inner node, (0, 0) for none
    int32_t dx, dy;
    std::vector<Probe> probes;
  } cases[] = {
      {"identity", 0, 0, 0, 0, {{0, 0, 0, 0}, {57, 33, 0, 0}, {99, 49, 0, 0}}},
      {"inner tent",
       3,
       3,
       10,
       -4,
       {{50, 25, 10, -4}, {40, 25, 5, -2}, {55, 30, 3.75f, -1.5f}, {30, 25, 0, 0}, {50, 35, 0, 0}, {20, 5, 0, 0}}},
      {"first column drags the border",
       1,
       2,
       6,
       0,
       {{10, 15, 6, 0}, {0, 15, 6, 0}, {5, 20, 3, 0}, {20, 15, 3, 0}, {10, 25, 0, 0}}},
      {"corner follows its diagonal", 5, 5, 2, 2, {{90, 45, 2, 2}, {99, 49, 2, 2}, {95, 40, 1, 1}}},
  };
  for (const auto& c : cases) {
    reset_unwarp_grid();
    img.install();
    clear_field(g_current_field);
    g_project_modified = 0;
    host.calls.clear();
    if (c.i) move_target(c.i, c.j, c.dx, c.dy);
    build_unwarp_field();
    EXPECT_EQ(g_project_modified, 1) << c.name;
    EXPECT_EQ(host.calls, std::vector<std::string>{"enable 205"}) << c.name;
    for (const Probe& p : c.probes) {
      EXPECT_FLOAT_EQ(img.pair(p.x, p.y).dx, p.dx) << c.name << " at " << p.x << "," << p.y;
      EXPECT_FLOAT_EQ(img.pair(p.x, p.y).dy, p.dy) << c.name << " at " << p.x << "," << p.y;
      EXPECT_FLOAT_EQ(img.undo(p.x, p.y).dx, p.dx) << c.name << " at " << p.x << "," << p.y;
    }
  }
}

TEST_F(GridTest, BuildingTwiceAddsTwiceAndKeepsTheTargets) {
  move_target(5, 1, -3, 0);  // its border neighbours (6, 1), (5, 0) and (6, 0) follow
  build_unwarp_field();
  const int32_t border = g_grid_target_x[6][1], corner = g_grid_target_x[6][0];
  EXPECT_EQ(border, g_grid_ref_x[6][1] - 3);
  build_unwarp_field();
  EXPECT_EQ(g_grid_target_x[6][1], border);
  EXPECT_EQ(g_grid_target_x[6][0], corner);
  EXPECT_FLOAT_EQ(img.pair(90, 5).dx, -6);
  EXPECT_FLOAT_EQ(img.undo(90, 5).dx, -3);  // the undo delta holds the last build only
}

TEST_F(GridTest, BuildHonoursTheMaskAndStaysFinite) {
  const struct {
    const char* name;
    int32_t w, h;
    uint32_t nx;
    int32_t target;  // every inner target x
  } cases[] = {
      {"cells of zero width", 3, 50, 14, 2},
      {"targets far away", 100, 50, 7, 2147483000},
      {"targets far before", 100, 50, 14, -2147483000},
  };
  for (const auto& c : cases) {
    TestImage small(c.w, c.h);
    g_grid_nx = c.nx;
    rebuild_unwarp_grid();
    for (uint32_t i = 1; i + 1 < c.nx; ++i)
      for (uint32_t j = 1; j <= 5; ++j) g_grid_target_x[i][j] = c.target;
    build_unwarp_field();
    for (int32_t y = 0; y < c.h; ++y)
      for (int32_t x = 0; x < c.w; ++x)
        ASSERT_TRUE(std::isfinite(small.pair(x, y).dx) && std::isfinite(small.pair(x, y).dy))
            << c.name << " at " << x << "," << y;
  }
  img.install();
  g_grid_nx = 7;
  rebuild_unwarp_grid();
  clear_field(g_current_field);
  img.set_mask_bit(50, 25, false);
  g_mask_applied = 1;
  move_target(3, 3, 10, 0);
  build_unwarp_field();
  EXPECT_FLOAT_EQ(img.pair(50, 25).dx, 0);
  EXPECT_FLOAT_EQ(img.pair(51, 25).dx, 9.5f);
}

}  // namespace
