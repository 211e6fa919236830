// Render driver: clips a rectangle, renders it on one or two threads and shows it.
#pragma once

#include <cstdint>

#include "engine/main_window_state.h"

extern int32_t g_region_width;  // size of the region bitmap (the last rendered rectangle)
extern int32_t g_region_height;
extern int32_t g_zoom_percent;  // view zoom: 33, 50, 75, 100, 150, 200 or 300

struct ViewRect {
  int32_t left, top, right, bottom;
};

// The window rectangle that shows image rectangle [x0, x1) x [y0, y1) at the
// current zoom and the window's scroll position; left and width kept even.
ViewRect region_view_rect(const MainWindowState& win, int32_t x0, int32_t y0, int32_t x1, int32_t y1);

// Renders [x0, x1) x [y0, y1) of the image into the picture and invalidates
// what shows it; wait_cursor non-zero shows the wait cursor meanwhile.
void render_region(MainWindowState& win, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t wait_cursor);

// Forgets the last rendered rectangle once the render buffer no longer shows the current
// field: whoever needs the whole rendered image (print, export, fix) then renders it
// afresh, and the next render remakes the region bitmap.
void forget_rendered_region();
