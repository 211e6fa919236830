// Un-warp grid start state.
#include "engine/unwarp_grid.h"

#include <gtest/gtest.h>

#include "engine/field.h"

namespace {

TEST(UnwarpGrid, ResetLaysTheRegularSevenBySevenGrid) {
  g_image_width = 100;  // cells of 20 x 10
  g_image_height = 50;
  g_grid_nx = 9;
  g_grid_sel_i = 4;
  g_grid_target_x[2][3] = 999;
  reset_unwarp_grid();
  EXPECT_EQ(g_grid_nx, 7u);
  EXPECT_EQ(g_grid_ny, 7u);
  EXPECT_EQ(g_grid_origin_x + g_grid_origin_y, 100u);
  EXPECT_EQ(g_grid_spacing_x + g_grid_spacing_y, 0u);
  EXPECT_EQ(g_grid_sel_i, 1u);
  EXPECT_EQ(g_grid_sel_j, 1u);
  for (int i = 0; i < 7; ++i)
    for (int j = 0; j < 7; ++j) {
      EXPECT_EQ(g_grid_ref_x[i][j], 10 + (i - 1) * 20) << i << "," << j;
      EXPECT_EQ(g_grid_ref_y[i][j], 5 + (j - 1) * 10) << i << "," << j;
      EXPECT_EQ(g_grid_target_x[i][j], g_grid_ref_x[i][j]);
      EXPECT_EQ(g_grid_target_y[i][j], g_grid_ref_y[i][j]);
    }
  g_image_width = g_image_height = 0;
}

}  // namespace
