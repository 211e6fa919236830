// Un-warp grid state: the grid settings, the selected node and the target and reference nodes.
#pragma once

#include <cstdint>

constexpr int UNWARP_GRID_MAX = 14;  // nodes per direction at most

extern uint32_t g_grid_nx, g_grid_ny;                // nodes across and down, 5..14
extern uint32_t g_grid_origin_x, g_grid_origin_y;    // grid offset in percent of a cell, 0..99
extern uint32_t g_grid_spacing_x, g_grid_spacing_y;  // extra cell size in half percents, 0..19
extern uint32_t g_grid_sel_i, g_grid_sel_j;          // the selected inner node

// Indexed [i][j], i across and j down: where the user put each node, and the regular grid.
extern int32_t g_grid_target_x[UNWARP_GRID_MAX][UNWARP_GRID_MAX];
extern int32_t g_grid_target_y[UNWARP_GRID_MAX][UNWARP_GRID_MAX];
extern int32_t g_grid_ref_x[UNWARP_GRID_MAX][UNWARP_GRID_MAX];
extern int32_t g_grid_ref_y[UNWARP_GRID_MAX][UNWARP_GRID_MAX];

extern int32_t g_unwarp_active;  // 1 while the un-warp dialog is open

// The start state for the current image size: 7 x 7 nodes, origin 50 %, no extra
// spacing, node (1, 1) selected, targets on the regular grid.
void reset_unwarp_grid();
