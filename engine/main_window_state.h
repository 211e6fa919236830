// The platform-neutral part of the main window object: mouse state, scroll position, brush kernel.
#pragma once

#include <cstdint>

#include "engine/field.h"

constexpr int BRUSH_KERNEL_MAX = 305;

using BrushKernel = DisplacementPair[BRUSH_KERNEL_MAX][BRUSH_KERNEL_MAX];
using BrushProfile = float[BRUSH_KERNEL_MAX][BRUSH_KERNEL_MAX];

// MainWindow (editor/window.h) derives from this after Window, so its fields
// stand in this order ahead of the tool windows' dialog procedures.
struct MainWindowState {
  int32_t drag_state = 0;  // 0 idle, 1 stroke running, 2 drag from an anchor running
  int32_t wheel_accum = 0;
  int32_t first_show_pending = 0;
  int32_t cursor_x = 0, cursor_y = 0;  // pointer in image coordinates
  int32_t drag_x = 0, drag_y = 0;      // drag anchor in image coordinates
  int32_t scroll_x = 0, scroll_y = 0;  // zoomed window pixels; negative while centred
  int32_t scroll_max_x = 0, scroll_max_y = 0;
  BrushKernel kernel = {};
  BrushProfile profile = {};
};
