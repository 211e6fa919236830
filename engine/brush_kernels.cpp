// Brush kernels and tool selection: each selector precomputes the kernel that the stroke ticks only read.
#include "engine/brush_kernels.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/edit_state.h"
#include "engine/engine_host.h"
#include "engine/field.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"

namespace {

// Menu items that stay gray while the mask overlay is shown.
constexpr int OVERLAY_GRAYED_ITEMS[] = {109, 202, 107, 104, 203};
constexpr int MENU_MASK_APPLY = 280;
constexpr int MENU_MASK_REMOVE = 282;
constexpr int MENU_MASK_INVERT = 283;
constexpr int MSG_NEW_MASK = 40;

// The profiles' sine constants, as the tools have always used them (not pi).
constexpr double SINE_PI = 3.141593;
constexpr double TWIST_PI = 3.14159366;

// How a tool's displacement pair derives from the grow pair g.
enum class KernelForm { grow, shrink, twist_right, twist_left, grow_h, grow_v, shrink_h, shrink_v };

// Clamped radius of quadrant offsets (i, j), used by the profiles, drag and hammer.
inline double radius(int i, int j, int c) { return std::min(1.0, std::sqrt(static_cast<double>(i * i + j * j)) / c); }

// Radius with the offsets plus one, not clamped: mask, flatten and restore.
inline double radius_plus_one(int i, int j, int c) {
  return std::sqrt(static_cast<double>((i + 1) * (i + 1) + (j + 1) * (j + 1))) / c;
}

inline double clamp01(double v) { return std::min(1.0, std::max(0.0, v)); }

// Strength curve of flatten and restore; the fourth root is two square roots.
double strength_curve(double rho) {
  switch (g_brush_strength) {
    case 1: return rho;
    case 2: return std::sqrt(rho);
    default: return std::sqrt(std::sqrt(rho)) + 0.1;
  }
}

// Calls fn(i, j) once per quadrant offset, rows i and columns j from 0 to c; fn mirrors.
template <typename Fn>
void for_each_quadrant_cell(int c, Fn fn) {
  for (int i = 0; i <= c; ++i)
    for (int j = 0; j <= c; ++j) fn(i, j);
}

// Stores v into the four cells mirrored around the centre c.
inline void put_profile(MainWindowState& win, int c, int i, int j, float v) {
  win.profile[c + i][c + j] = v;
  win.profile[c + i][c - j] = v;
  win.profile[c - i][c + j] = v;
  win.profile[c - i][c - j] = v;
}

// The first float of the four mirrored kernel cells; the second stays 0.
inline void put_weight(MainWindowState& win, int c, int i, int j, float w) {
  win.kernel[c + i][c + j].dx = w;
  win.kernel[c + i][c - j].dx = w;
  win.kernel[c - i][c + j].dx = w;
  win.kernel[c - i][c - j].dx = w;
}

// Fills the kernel's used cells from the profile in the given form.
void fill_displacement_kernel(MainWindowState& win, KernelForm form) {
  const int size = brush_kernel_size();
  const int c = size / 2;
  for (int r = 0; r < size; ++r) {
    for (int k = 0; k < size; ++k) {
      const float p = win.profile[r][k];
      if (p == 0.0f) continue;
      const int X = k - c, Y = r - c;
      float gx, gy;
      if (X != 0 && Y != 0) {
        const double R = std::sqrt(static_cast<double>(X * X + Y * Y));
        gx = static_cast<float>(-static_cast<double>(p) * X / R);
        gy = static_cast<float>(-static_cast<double>(p) * Y / R);
      } else if (Y == 0 && X != 0) {
        gx = X > 0 ? -p : p;
        gy = 0.0f;
      } else {
        gx = 0.0f;
        gy = Y >= 0 ? -p : p;
      }
      DisplacementPair& cell = win.kernel[r][k];
      switch (form) {
        case KernelForm::grow: cell = {gx, gy}; break;
        case KernelForm::shrink: cell = {-gx, -gy}; break;
        case KernelForm::twist_right: cell = {-gy, gx}; break;
        case KernelForm::twist_left: cell = {gy, -gx}; break;
        case KernelForm::grow_h: cell = {gx, 0.0f}; break;
        case KernelForm::grow_v: cell = {0.0f, gy}; break;
        case KernelForm::shrink_h: cell = {-gx, 0.0f}; break;
        case KernelForm::shrink_v: cell = {0.0f, -gy}; break;
      }
    }
  }
}

// Profile of the pinch tool: a cone, 1 at the centre.
void build_cone_profile(MainWindowState& win) {
  const int c = brush_kernel_size() / 2;
  for_each_quadrant_cell(
      c, [&](int i, int j) { put_profile(win, c, i, j, static_cast<float>(clamp01(1.0 - radius(i, j, c)))); });
}

// Profile of the right twist, with its own slightly larger sine constant.
void build_twist_profile(MainWindowState& win) {
  const int c = brush_kernel_size() / 2;
  for_each_quadrant_cell(c, [&](int i, int j) {
    put_profile(win, c, i, j, static_cast<float>(clamp01(std::sin(TWIST_PI * radius(i, j, c)))));
  });
}

// Steps shared by every selector but the mask tool's. Returns false when the
// tool was current and is now switched off (nothing to build).
bool begin_selection(MainWindowState& win, int tool_id, int mode) {
  EngineHost& host = engine_host();
  if (g_current_tool == tool_id) {
    g_current_tool = TOOL_NONE;
    g_tool_mode = TOOL_MODE_NONE;
    host.notify_tool_windows();
    host.invalidate_main_window();
    return false;
  }
  g_tool_mode = mode;
  g_current_tool = tool_id;
  host.notify_tool_windows();
  if (g_mask_shown) hide_mask_overlay(win);
  clear_brush_kernel(win);
  return true;
}

void select_profile_tool(MainWindowState& win, int tool_id, KernelForm form) {
  if (!begin_selection(win, tool_id, TOOL_MODE_BRUSH)) return;
  build_brush_profile(win, BrushShape::sine);
  fill_displacement_kernel(win, form);
  scale_brush_kernel(win);
}

// Whole image with the wait cursor.
void render_whole_image(MainWindowState& win) { render_region(win, 0, 0, g_image_width, g_image_height, 1); }

}  // namespace

int brush_kernel_size() { return std::clamp(g_brush_size, BRUSH_SIZE_MIN, BRUSH_SIZE_MAX); }

void clear_brush_kernel(MainWindowState& win) { std::memset(&win.kernel, 0, sizeof win.kernel); }

void build_brush_profile(MainWindowState& win, BrushShape shape) {
  const int c = brush_kernel_size() / 2;
  for_each_quadrant_cell(c, [&](int i, int j) {
    const double r = radius(i, j, c);
    double p;
    if (shape == BrushShape::magnify)
      p = r < 0.5 ? r : 0.5 * std::sin(SINE_PI * r);
    else
      p = std::sin(SINE_PI * r);
    put_profile(win, c, i, j, static_cast<float>(clamp01(p)));
  });
}

void scale_brush_kernel(MainWindowState& win) {
  const int size = brush_kernel_size();
  const double strength = g_brush_strength;
  for (int r = 0; r < size; ++r) {
    for (int k = 0; k < size; ++k) {
      DisplacementPair& cell = win.kernel[r][k];
      cell.dx = static_cast<float>(1.7 * cell.dx / strength);
      cell.dy = static_cast<float>(1.7 * cell.dy / strength);
    }
  }
}

void hide_mask_overlay(MainWindowState& win) {
  EngineHost& host = engine_host();
  for (int item : OVERLAY_GRAYED_ITEMS) host.enable_menu_item(item, true);
  g_mask_shown = 0;
  render_whole_image(win);
}

void select_tool_grow(MainWindowState& win) { select_profile_tool(win, TOOL_GROW, KernelForm::grow); }
void select_tool_shrink(MainWindowState& win) { select_profile_tool(win, TOOL_SHRINK, KernelForm::shrink); }
void select_tool_twist_left(MainWindowState& win) { select_profile_tool(win, TOOL_TWIST_LEFT, KernelForm::twist_left); }
void select_tool_grow_h(MainWindowState& win) { select_profile_tool(win, TOOL_GROW_H, KernelForm::grow_h); }
void select_tool_grow_v(MainWindowState& win) { select_profile_tool(win, TOOL_GROW_V, KernelForm::grow_v); }
void select_tool_shrink_h(MainWindowState& win) { select_profile_tool(win, TOOL_SHRINK_H, KernelForm::shrink_h); }
void select_tool_shrink_v(MainWindowState& win) { select_profile_tool(win, TOOL_SHRINK_V, KernelForm::shrink_v); }

void select_tool_pinch(MainWindowState& win) {
  if (!begin_selection(win, TOOL_PINCH, TOOL_MODE_BRUSH)) return;
  build_cone_profile(win);
  fill_displacement_kernel(win, KernelForm::shrink);
  scale_brush_kernel(win);
}

void select_tool_twist_right(MainWindowState& win) {
  if (!begin_selection(win, TOOL_TWIST_RIGHT, TOOL_MODE_BRUSH)) return;
  build_twist_profile(win);
  fill_displacement_kernel(win, KernelForm::twist_right);
  scale_brush_kernel(win);
}

void select_tool_magnify(MainWindowState& win) {
  if (!begin_selection(win, TOOL_MAGNIFY, TOOL_MODE_BRUSH)) return;
  build_brush_profile(win, BrushShape::magnify);
  fill_displacement_kernel(win, KernelForm::grow);
  scale_brush_kernel(win);
}

void select_tool_region_drag(MainWindowState& win) {
  begin_selection(win, TOOL_REGION_DRAG, TOOL_MODE_REGION_DRAG);  // the kernel stays cleared
}

void select_tool_drag(MainWindowState& win) {
  if (!begin_selection(win, TOOL_DRAG, TOOL_MODE_DRAG)) return;
  const double s = g_brush_strength == 1 ? 0.5 : g_brush_strength == 2 ? 1.0 / 3.0 : 0.25;
  const int c = brush_kernel_size() / 2;
  for_each_quadrant_cell(
      c, [&](int i, int j) { put_weight(win, c, i, j, static_cast<float>((1.0 - radius(i, j, c)) * s)); });
}

void select_tool_hammer(MainWindowState& win) {
  if (!begin_selection(win, TOOL_HAMMER, TOOL_MODE_HAMMER)) return;
  const double s = g_brush_strength == 1 ? 0.25 : g_brush_strength == 2 ? 1.0 / 7.0 : 0.1;
  const int c = brush_kernel_size() / 2;
  for_each_quadrant_cell(c, [&](int i, int j) {
    const double r = radius(i, j, c);
    const double q = r + 1.0;
    put_weight(win, c, i, j, static_cast<float>(clamp01(std::sin(SINE_PI * r) / (q * q)) * s));
  });
}

void select_tool_flatten(MainWindowState& win) {
  if (!begin_selection(win, TOOL_FLATTEN, TOOL_MODE_FLATTEN)) return;
  const int c = brush_kernel_size() / 2;
  for_each_quadrant_cell(c, [&](int i, int j) {
    const double f = std::min(1.0, strength_curve(radius_plus_one(i, j, c)));
    put_weight(win, c, i, j, static_cast<float>(0.5 * (1.0 - f)));
  });
}

void select_tool_restore(MainWindowState& win) {
  if (!begin_selection(win, TOOL_RESTORE, TOOL_MODE_RESTORE)) return;
  const int c = brush_kernel_size() / 2;
  for_each_quadrant_cell(c, [&](int i, int j) {
    put_weight(win, c, i, j, static_cast<float>(std::min(1.0, strength_curve(radius_plus_one(i, j, c)))));
  });
}

void select_tool_mask(MainWindowState& win) {
  EngineHost& host = engine_host();
  if (g_current_tool == TOOL_MASK) {
    g_current_tool = TOOL_NONE;
    g_tool_mode = TOOL_MODE_NONE;
    host.notify_tool_windows();
    hide_mask_overlay(win);
    return;
  }
  // The settings bar re-selects after a size or strength change by clearing
  // only the tool id; the mode still says mask. Such a rebuild must leave the
  // user's choice of applying the mask alone.
  const bool rebuild = g_current_tool == TOOL_NONE && g_tool_mode == TOOL_MODE_MASK;

  g_tool_mode = TOOL_MODE_MASK;
  g_current_tool = TOOL_MASK;
  host.notify_tool_windows();
  for (int item : OVERLAY_GRAYED_ITEMS) host.enable_menu_item(item, false);

  clear_brush_kernel(win);
  const int c = brush_kernel_size() / 2;
  for_each_quadrant_cell(c,
                         [&](int i, int j) { put_weight(win, c, i, j, radius_plus_one(i, j, c) < 1.0 ? 0.0f : 1.0f); });

  if (!g_mask_exists) {
    g_mask_exists = 1;
    g_project_modified = 1;
    if (g_mask_bits) {
      const int64_t bytes = static_cast<int64_t>(g_image_width) * g_image_height / 8 + 1;
      std::memset(g_mask_bits, 0, static_cast<size_t>(bytes));
    }
    host.enable_menu_item(MENU_MASK_APPLY, true);
    host.enable_menu_item(MENU_MASK_REMOVE, true);
    host.enable_menu_item(MENU_MASK_INVERT, true);
    host.show_message(MSG_NEW_MASK, MessageKind::info);
  }

  if (!rebuild) {
    g_mask_applied = 1;
    host.check_menu_item(MENU_MASK_APPLY, true);
  }
  g_mask_shown = 1;
  render_whole_image(win);
}

bool select_tool(MainWindowState& win, int tool_id) {
  switch (tool_id) {
    case TOOL_GROW: select_tool_grow(win); return true;
    case TOOL_SHRINK: select_tool_shrink(win); return true;
    case TOOL_PINCH: select_tool_pinch(win); return true;
    case TOOL_TWIST_RIGHT: select_tool_twist_right(win); return true;
    case TOOL_TWIST_LEFT: select_tool_twist_left(win); return true;
    case TOOL_DRAG: select_tool_drag(win); return true;
    case TOOL_GROW_H: select_tool_grow_h(win); return true;
    case TOOL_GROW_V: select_tool_grow_v(win); return true;
    case TOOL_SHRINK_H: select_tool_shrink_h(win); return true;
    case TOOL_SHRINK_V: select_tool_shrink_v(win); return true;
    case TOOL_REGION_DRAG: select_tool_region_drag(win); return true;
    case TOOL_MAGNIFY: select_tool_magnify(win); return true;
    case TOOL_HAMMER: select_tool_hammer(win); return true;
    case TOOL_MASK: select_tool_mask(win); return true;
    case TOOL_FLATTEN: select_tool_flatten(win); return true;
    case TOOL_RESTORE: select_tool_restore(win); return true;
    default: return false;
  }
}
