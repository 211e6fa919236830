// Band renderer: warps rows of one rectangle of the source image into the render buffer.
#pragma once

#include <cstdint>

// One band's job: the rectangle [x0, x1) x [y0, y1), already clipped to the image,
// and the rows first_row, first_row + row_step, ... relative to y0.
struct RenderBandArgs {
  int32_t x0;
  int32_t y0;
  int32_t x1;
  int32_t y1;
  int32_t row_step;
  int32_t first_row;
};

extern uint8_t* g_source_pixels;  // W x H pixels: blue, green, red, unused; top row first
extern uint8_t* g_render_pixels;  // the last rendered rectangle, rows of its own width

// View options read by the renderer.
extern int32_t g_smoothing;         // 1 bilinear, 0 nearest
extern int32_t g_border_repeat;     // 1 clamp to the edge, 0 black outside
extern int32_t g_color_separation;  // 1 red, green, blue sampled at 1.2, 1.0, 0.85 of the displacement
extern int32_t g_mask_shown;        // non-zero: pixels outside the mask at half brightness

// Writes blue, green and red of every pixel of its rows; never the fourth byte.
void render_band(const RenderBandArgs* args);
