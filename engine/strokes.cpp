// Brush strokes: each tick applies the current tool's kernel at the pointer through the field primitives.
#include "engine/strokes.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "engine/brush_kernels.h"
#include "engine/edit_state.h"
#include "engine/engine_host.h"
#include "engine/field.h"
#include "engine/render_driver.h"

namespace {

constexpr double FLATTEN_ZERO = 0.03;
constexpr float RESTORE_THRESHOLD = 0.005f;
constexpr int FLATTEN_STEP = 3;

// The brush square around (x, y), no wait cursor.
void render_brush_square(MainWindowState& win, int32_t x, int32_t y, int c) {
  render_region(win, x - c, y - c, x + c + 1, y + c + 1, 0);
}

inline int32_t to_int32(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

inline double flatten_zeroed(double v) { return std::fabs(v) < FLATTEN_ZERO ? 0.0 : v; }

inline bool beyond(int64_t v, int64_t limit) { return v > limit || -v > limit; }

// The common part of drag and hammer: the anchor moves to the cursor (cx, cy), then each
// cell adds w * (vx, vy) around the cursor. A motion longer than a third of the brush in
// either direction is dropped as a whole, and no motion renders nothing.
void push_with_motion(MainWindowState& win, int32_t cx, int32_t cy, int64_t vx, int64_t vy) {
  g_project_modified = 1;
  win.drag_x = cx;
  win.drag_y = cy;
  const int size = brush_kernel_size();
  const int64_t s3 = size / 3;
  if (beyond(vx, s3) || beyond(vy, s3) || (vx == 0 && vy == 0)) return;
  const int c = size / 2;
  for (int r = 0; r < size; ++r) {
    for (int k = 0; k < size; ++k) {
      const double w = win.kernel[r][k].dx;
      add_displacement(cx - c + k, cy - c + r, static_cast<float>(w * static_cast<double>(vx)),
                       static_cast<float>(w * static_cast<double>(vy)));
    }
  }
  render_brush_square(win, cx, cy, c);
}

}  // namespace

void apply_brush(MainWindowState& win, int32_t x, int32_t y) {
  g_project_modified = 1;
  const int size = brush_kernel_size();
  const int c = size / 2;
  const double last = size - 1;
  for (int r = 0; r < size; ++r) {
    const int32_t py = y - c + r;
    for (int k = 0; k < size; ++k) {
      const int32_t px = x - c + k;
      const DisplacementPair u = get_undo_displacement(px, py);
      // Truncation toward zero, not rounding: -0.6 stays in place. Kept in
      // double so a huge or NaN value just misses the kernel.
      const double kk = k + std::trunc(static_cast<double>(u.dx) + 0.5);
      const double rr = r + std::trunc(static_cast<double>(u.dy) + 0.5);
      if (!(kk >= 0.0 && kk <= last && rr >= 0.0 && rr <= last)) continue;
      const DisplacementPair& cell = win.kernel[static_cast<int>(rr)][static_cast<int>(kk)];
      add_displacement(px, py, cell.dx, cell.dy);
    }
  }
  render_brush_square(win, x, y, c);
}

void apply_restore(MainWindowState& win, int32_t x, int32_t y) {
  g_project_modified = 1;
  const int size = brush_kernel_size();
  const int c = size / 2;
  for (int r = 0; r < size; ++r)
    for (int k = 0; k < size; ++k) scale_displacement(x - c + k, y - c + r, win.kernel[r][k].dx, RESTORE_THRESHOLD);
  render_brush_square(win, x, y, c);
}

void apply_region_drag(MainWindowState& win, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  g_project_modified = 1;
  const int64_t Dx = static_cast<int64_t>(x1) - x0;
  const int64_t Dy = static_cast<int64_t>(y1) - y0;
  const int64_t L = std::max(std::llabs(Dx), std::llabs(Dy));
  const int64_t h = L <= 7 ? 6 : L <= 17 ? 5 : L <= 40 ? 4 : 3;
  if (L == 0) return;

  EngineHost& host = engine_host();
  host.begin_wait_cursor();
  const int64_t m = h * L;
  const double md = static_cast<double>(m);
  const double ndx = -static_cast<double>(Dx), ndy = -static_cast<double>(Dy);
  // Only the part of the tent square inside the image: the primitives would
  // drop every other pixel, and a release far outside must not walk them all.
  const int64_t px0 = std::max<int64_t>(x1 - m, 0), px1 = std::min<int64_t>(x1 + m, g_image_width);
  const int64_t py0 = std::max<int64_t>(y1 - m, 0), py1 = std::min<int64_t>(y1 + m, g_image_height);
  for (int64_t py = py0; py < py1; ++py) {
    const double ty = 1.0 - static_cast<double>(std::llabs(py - y1)) / md;
    for (int64_t px = px0; px < px1; ++px) {
      const double t = (1.0 - static_cast<double>(std::llabs(px - x1)) / md) * ty;
      add_displacement(static_cast<int32_t>(px), static_cast<int32_t>(py), static_cast<float>(ndx * t),
                       static_cast<float>(ndy * t));
    }
  }
  host.end_wait_cursor();
  render_region(win, to_int32(x1 - m), to_int32(y1 - m), to_int32(x1 + m), to_int32(y1 + m), 1);
}

void apply_drag(MainWindowState& win, int32_t ax, int32_t ay, int32_t cx, int32_t cy) {
  push_with_motion(win, cx, cy, static_cast<int64_t>(ax) - cx, static_cast<int64_t>(ay) - cy);
}

// The motion turned by a quarter turn: dx follows the upward, dy the rightward motion.
void apply_hammer(MainWindowState& win, int32_t ax, int32_t ay, int32_t cx, int32_t cy) {
  push_with_motion(win, cx, cy, static_cast<int64_t>(ay) - cy, static_cast<int64_t>(cx) - ax);
}

void paint_mask(MainWindowState& win, int32_t x, int32_t y) {
  g_project_modified = 1;
  const int size = brush_kernel_size();
  const int c = size / 2;
  // Left button alone sets, right button alone clears; anything else paints nothing.
  const bool set = g_mouse_keys == 1, clear = g_mouse_keys == 2;
  if ((set || clear) && g_mask_bits) {
    const int32_t W = g_image_width, H = g_image_height;
    for (int r = 0; r < size; ++r) {
      const int32_t py = y - c + r;
      if (py < 0 || py >= H) continue;
      for (int k = 0; k < size; ++k) {
        const int32_t px = x - c + k;
        if (px < 0 || px >= W) continue;
        if (win.kernel[r][k].dx != 0.0f) continue;
        const int64_t i = static_cast<int64_t>(py) * W + px;
        const uint8_t bit = static_cast<uint8_t>(1u << (i & 7));
        if (set)
          g_mask_bits[i >> 3] |= bit;
        else
          g_mask_bits[i >> 3] &= static_cast<uint8_t>(~bit);
      }
    }
  }
  render_brush_square(win, x, y, c);
}

void apply_flatten(MainWindowState& win, int32_t x, int32_t y) {
  g_project_modified = 1;
  const int size = brush_kernel_size();
  const int c = size / 2;
  for (int r = 0; r + FLATTEN_STEP < size; ++r) {
    const int32_t py = y - c + r;
    for (int k = 0; k + FLATTEN_STEP < size; ++k) {
      const int32_t px = x - c + k;
      const double w = win.kernel[r][k].dx;
      const DisplacementPair a = get_displacement(px, py);
      const DisplacementPair b = get_displacement(px + FLATTEN_STEP, py);
      const DisplacementPair e = get_displacement(px, py + FLATTEN_STEP);
      const double Dx = (static_cast<double>(a.dx) - b.dx) * w, Dy = (static_cast<double>(a.dy) - b.dy) * w;
      const double Gx = (static_cast<double>(a.dx) - e.dx) * w, Gy = (static_cast<double>(a.dy) - e.dy) * w;
      const double bx = flatten_zeroed(b.dx + Dx), by = flatten_zeroed(b.dy + Dy);
      const double ex = flatten_zeroed(e.dx + Gx), ey = flatten_zeroed(e.dy + Gy);
      const double ax = flatten_zeroed(a.dx - Gx - Dx), ay = flatten_zeroed(a.dy - Gy - Dy);
      add_displacement(px, py, static_cast<float>(ax - a.dx), static_cast<float>(ay - a.dy));
      add_displacement(px + FLATTEN_STEP, py, static_cast<float>(bx - b.dx), static_cast<float>(by - b.dy));
      add_displacement(px, py + FLATTEN_STEP, static_cast<float>(ex - e.dx), static_cast<float>(ey - e.dy));
    }
  }
  render_brush_square(win, x, y, c);
}

void on_stroke_timer(MainWindowState& win) {
  if (win.drag_state == 1) {
    switch (g_tool_mode) {
      case TOOL_MODE_BRUSH: apply_brush(win, win.cursor_x, win.cursor_y); return;
      case TOOL_MODE_RESTORE: apply_restore(win, win.cursor_x, win.cursor_y); return;
      case TOOL_MODE_MASK: paint_mask(win, win.cursor_x, win.cursor_y); return;
      case TOOL_MODE_FLATTEN: apply_flatten(win, win.cursor_x, win.cursor_y); return;
      default: break;
    }
  } else if (win.drag_state == 2) {
    switch (g_tool_mode) {
      case TOOL_MODE_DRAG: apply_drag(win, win.drag_x, win.drag_y, win.cursor_x, win.cursor_y); return;
      case TOOL_MODE_HAMMER: apply_hammer(win, win.drag_x, win.drag_y, win.cursor_x, win.cursor_y); return;
      default: break;
    }
  }
  engine_host().stop_stroke_timer();
}
