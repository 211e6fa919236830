// Un-warp grid state and its start values.
#include "engine/unwarp_grid.h"

#include "engine/field.h"

uint32_t g_grid_nx = 7, g_grid_ny = 7;
uint32_t g_grid_origin_x = 50, g_grid_origin_y = 50;
uint32_t g_grid_spacing_x = 0, g_grid_spacing_y = 0;
uint32_t g_grid_sel_i = 1, g_grid_sel_j = 1;

int32_t g_grid_target_x[UNWARP_GRID_MAX][UNWARP_GRID_MAX];
int32_t g_grid_target_y[UNWARP_GRID_MAX][UNWARP_GRID_MAX];
int32_t g_grid_ref_x[UNWARP_GRID_MAX][UNWARP_GRID_MAX];
int32_t g_grid_ref_y[UNWARP_GRID_MAX][UNWARP_GRID_MAX];

int32_t g_unwarp_active = 0;

void reset_unwarp_grid() {
  g_grid_nx = g_grid_ny = 7;
  g_grid_origin_x = g_grid_origin_y = 50;
  g_grid_spacing_x = g_grid_spacing_y = 0;
  g_grid_sel_i = g_grid_sel_j = 1;
  // Cell sizes by unsigned division; the first node row and column lie before the image.
  const uint32_t cw = static_cast<uint32_t>(g_image_width) / (g_grid_nx - 2);
  const uint32_t ch = static_cast<uint32_t>(g_image_height) / (g_grid_ny - 2);
  for (uint32_t i = 0; i < g_grid_nx; ++i)
    for (uint32_t j = 0; j < g_grid_ny; ++j) {
      const int64_t x = int64_t{g_grid_origin_x * cw / 100} + (int64_t{i} - 1) * cw;
      const int64_t y = int64_t{g_grid_origin_y * ch / 100} + (int64_t{j} - 1) * ch;
      g_grid_ref_x[i][j] = g_grid_target_x[i][j] = static_cast<int32_t>(x);
      g_grid_ref_y[i][j] = g_grid_target_y[i][j] = static_cast<int32_t>(y);
    }
}
