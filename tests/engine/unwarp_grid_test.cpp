// Un-warp grid start state.
#include "engine/unwarp_grid.h"

#include <gtest/gtest.h>

#include "engine/field.h"

TEST(UnwarpGrid, ResetLaysTheRegularSevenBySevenGrid) {
  g_image_width = 100;  // cells of 20 x 10
  g_image_height = 50;
  g_grid_nx = g_grid_sel_i = 4;
  reset_unwarp_grid();
  EXPECT_EQ(g_grid_nx + g_grid_ny + g_grid_sel_i + g_grid_sel_j, 16u);
  EXPECT_EQ(g_grid_origin_x + g_grid_origin_y + g_grid_spacing_x + g_grid_spacing_y, 100u);
  for (int n = 0; n < 7; ++n) {
    EXPECT_EQ(g_grid_ref_x[n][6 - n], 10 + (n - 1) * 20) << n;
    EXPECT_EQ(g_grid_target_y[6 - n][n], 5 + (n - 1) * 10) << n;
  }
  g_image_width = g_image_height = 0;
}
