// Un-warp grid: the grid settings, the selected node, the target and reference nodes, and
// the field built from them.
#pragma once

#include <cstdint>

constexpr int UNWARP_GRID_MAX = 14;  // nodes per direction at most

// The ranges of the settings, as the dialog's up-downs offer them.
constexpr uint32_t GRID_NODES_MIN = 5;
constexpr uint32_t GRID_NODES_MAX = UNWARP_GRID_MAX;
constexpr uint32_t GRID_ORIGIN_MAX = 99;
constexpr uint32_t GRID_SPACING_MAX = 19;

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

// The six settings; origin_y_from_bottom takes 99 - origin_y, as its up-down shows it.
enum class GridSetting { nodes_x, nodes_y, origin_x, origin_y_from_bottom, spacing_x, spacing_y };

// Sets one setting, held to its range, and selects node (1, 1). The grid is not rebuilt.
void set_unwarp_grid_setting(GridSetting setting, int32_t position);
// The up-down position that shows a setting's current value.
int32_t unwarp_grid_setting_position(GridSetting setting);
// Lays the regular grid for the current settings and image size; every target goes back
// onto its reference node.
void rebuild_unwarp_grid();

// Mouse button flags of a point given to the grid.
constexpr uint32_t GRID_PICK_LEFT = 1;   // place the selected node's target, select the next
constexpr uint32_t GRID_PICK_RIGHT = 2;  // select the inner node whose reference is near
// A point (px, py) of the image picked with the buttons in keys; false (nothing changed)
// when the point lies outside the image.
bool pick_unwarp_point(uint32_t keys, uint32_t px, uint32_t py);

// Sets the border and corner targets from their inner neighbours, then adds the bilinear
// interpolation of the node displacements over every cell to the current field (a fresh
// undo delta receives exactly the added amounts; the project counts as modified).
void build_unwarp_field();
