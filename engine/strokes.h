// Brush strokes: the seven stroke operations, one per tool mode, and the stroke timer's tick.
#pragma once

#include <cstdint>

#include "engine/main_window_state.h"

// The main window's timer that repeats a stroke while a button is held.
constexpr unsigned STROKE_TIMER_ID = 333;
constexpr unsigned STROKE_TIMER_PERIOD_MS = 100;

// Each operation marks the project modified, changes the current field through
// the guarded primitives (mask painting changes the mask) and renders what changed.

// Kernel brush at (x, y), reading the kernel where the stroke so far has moved the content.
void apply_brush(MainWindowState& win, int32_t x, int32_t y);
// Scales the displacement under the brush towards zero by the kernel's factors.
void apply_restore(MainWindowState& win, int32_t x, int32_t y);
// Pulls what lay under (x0, y0) to (x1, y1), fading out over a tent square.
void apply_region_drag(MainWindowState& win, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// Pushes with the pointer's motion from the anchor (ax, ay) to the cursor (cx, cy).
void apply_drag(MainWindowState& win, int32_t ax, int32_t ay, int32_t cx, int32_t cy);
// Sets (left button) or clears (right button) the mask bits inside the brush circle.
void paint_mask(MainWindowState& win, int32_t x, int32_t y);
// Evens out the displacement with the neighbours three pixels right and below.
void apply_flatten(MainWindowState& win, int32_t x, int32_t y);
// As apply_drag with the pointer's motion turned by a quarter turn.
void apply_hammer(MainWindowState& win, int32_t ax, int32_t ay, int32_t cx, int32_t cy);

// One tick of the stroke timer: repeats the running stroke or stops the timer.
void on_stroke_timer(MainWindowState& win);
