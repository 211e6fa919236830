// Brush kernels and tool selection: the sixteen selectors, kernel and profile building, mask overlay.
#pragma once

#include <cstdint>

#include "engine/main_window_state.h"

// Radial shape that build_brush_profile writes into the profile.
enum class BrushShape {
  sine,     // sin(3.141593 r)
  magnify,  // r inside half the radius, then 0.5 sin(3.141593 r)
};

// The brush size the kernel is built and applied at: g_brush_size kept within
// BRUSH_SIZE_MIN..BRUSH_SIZE_MAX, so a stray value cannot index past the arrays.
int brush_kernel_size();

// Sets all BRUSH_KERNEL_MAX x BRUSH_KERNEL_MAX pairs to (0, 0).
void clear_brush_kernel(MainWindowState& win);
// Fills the g_brush_size x g_brush_size cells of the profile with the given shape.
void build_brush_profile(MainWindowState& win, BrushShape shape);
// Multiplies both floats of the used cells by 1.7 / g_brush_strength.
void scale_brush_kernel(MainWindowState& win);
// Re-enables the menu items the mask overlay grays, hides the overlay and
// renders the whole image with the wait cursor.
void hide_mask_overlay(MainWindowState& win);

// Selecting the current tool again switches it off; otherwise the tool becomes
// current and its kernel is built for the current size and strength.
void select_tool_grow(MainWindowState& win);
void select_tool_shrink(MainWindowState& win);
void select_tool_pinch(MainWindowState& win);
void select_tool_twist_right(MainWindowState& win);
void select_tool_twist_left(MainWindowState& win);
void select_tool_drag(MainWindowState& win);
void select_tool_grow_h(MainWindowState& win);
void select_tool_grow_v(MainWindowState& win);
void select_tool_shrink_h(MainWindowState& win);
void select_tool_shrink_v(MainWindowState& win);
void select_tool_region_drag(MainWindowState& win);
void select_tool_magnify(MainWindowState& win);
void select_tool_hammer(MainWindowState& win);
void select_tool_mask(MainWindowState& win);
void select_tool_flatten(MainWindowState& win);
void select_tool_restore(MainWindowState& win);

// Runs the selector of tool_id (TOOL_GROW ... TOOL_RESTORE); false for an id
// that names no tool.
bool select_tool(MainWindowState& win, int tool_id);
