// Un-warp grid: its state, the regular grid, point picking and the field built from the nodes.
#include "engine/unwarp_grid.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "engine/field.h"
#include "engine/field_commands.h"

uint32_t g_grid_nx = 7, g_grid_ny = 7;
uint32_t g_grid_origin_x = 50, g_grid_origin_y = 50;
uint32_t g_grid_spacing_x = 0, g_grid_spacing_y = 0;
uint32_t g_grid_sel_i = 1, g_grid_sel_j = 1;

int32_t g_grid_target_x[UNWARP_GRID_MAX][UNWARP_GRID_MAX];
int32_t g_grid_target_y[UNWARP_GRID_MAX][UNWARP_GRID_MAX];
int32_t g_grid_ref_x[UNWARP_GRID_MAX][UNWARP_GRID_MAX];
int32_t g_grid_ref_y[UNWARP_GRID_MAX][UNWARP_GRID_MAX];

int32_t g_unwarp_active = 0;

namespace {

// Node counts as the arrays can hold them, whatever the globals say.
uint32_t nodes_x() { return std::clamp(g_grid_nx, GRID_NODES_MIN, GRID_NODES_MAX); }
uint32_t nodes_y() { return std::clamp(g_grid_ny, GRID_NODES_MIN, GRID_NODES_MAX); }

uint32_t image_w() { return g_image_width > 0 ? static_cast<uint32_t>(g_image_width) : 0; }
uint32_t image_h() { return g_image_height > 0 ? static_cast<uint32_t>(g_image_height) : 0; }

int32_t saturate(double v) {
  constexpr double lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(std::clamp(v, lo, hi));  // the cast truncates toward zero
}

int32_t saturate(int64_t v) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

void set_node(uint32_t i, uint32_t j, int32_t x, int32_t y) {
  g_grid_ref_x[i][j] = g_grid_target_x[i][j] = x;
  g_grid_ref_y[i][j] = g_grid_target_y[i][j] = y;
}

int64_t disp_x(uint32_t i, uint32_t j) { return int64_t{g_grid_target_x[i][j]} - g_grid_ref_x[i][j]; }
int64_t disp_y(uint32_t i, uint32_t j) { return int64_t{g_grid_target_y[i][j]} - g_grid_ref_y[i][j]; }

// Target (i, j) = its reference + the displacement of node (ni, nj).
void follow(uint32_t i, uint32_t j, uint32_t ni, uint32_t nj) {
  g_grid_target_x[i][j] = saturate(g_grid_ref_x[i][j] + disp_x(ni, nj));
  g_grid_target_y[i][j] = saturate(g_grid_ref_y[i][j] + disp_y(ni, nj));
}

// Adds the bilinear blend of the four corner displacements over cell (i, j), clipped to the image.
void fill_cell(uint32_t i, uint32_t j) {
  const int64_t x0 = g_grid_ref_x[i][j], y0 = g_grid_ref_y[i][j];
  const int64_t w = g_grid_ref_x[i + 1][j + 1] - x0, h = g_grid_ref_y[i + 1][j + 1] - y0;
  if (w <= 0 || h <= 0) return;
  const double ax = static_cast<double>(disp_x(i, j)), bx = static_cast<double>(disp_x(i + 1, j));
  const double cx = static_cast<double>(disp_x(i, j + 1)), dx = static_cast<double>(disp_x(i + 1, j + 1));
  const double ay = static_cast<double>(disp_y(i, j)), by = static_cast<double>(disp_y(i + 1, j));
  const double cy = static_cast<double>(disp_y(i, j + 1)), dy = static_cast<double>(disp_y(i + 1, j + 1));
  const int64_t c_first = std::max<int64_t>(0, -x0), c_end = std::min<int64_t>(w, int64_t{g_image_width} - x0);
  const int64_t r_first = std::max<int64_t>(0, -y0), r_end = std::min<int64_t>(h, int64_t{g_image_height} - y0);
  for (int64_t r = r_first; r < r_end; ++r) {
    const double t = static_cast<double>(r) / static_cast<double>(h);
    for (int64_t c = c_first; c < c_end; ++c) {
      const double s = static_cast<double>(c) / static_cast<double>(w);
      const double vx = (1 - t) * ((1 - s) * ax + s * bx) + t * ((1 - s) * cx + s * dx);
      const double vy = (1 - t) * ((1 - s) * ay + s * by) + t * ((1 - s) * cy + s * dy);
      add_displacement(static_cast<int32_t>(x0 + c), static_cast<int32_t>(y0 + r), static_cast<float>(vx),
                       static_cast<float>(vy));
    }
  }
}

}  // namespace

void reset_unwarp_grid() {
  g_grid_nx = g_grid_ny = 7;
  g_grid_origin_x = g_grid_origin_y = 50;
  g_grid_spacing_x = g_grid_spacing_y = 0;
  g_grid_sel_i = g_grid_sel_j = 1;
  // Cell sizes by unsigned division; the first node row and column lie before the image.
  const uint32_t cw = image_w() / (g_grid_nx - 2);
  const uint32_t ch = image_h() / (g_grid_ny - 2);
  for (uint32_t i = 0; i < g_grid_nx; ++i)
    for (uint32_t j = 0; j < g_grid_ny; ++j) {
      const int64_t x = int64_t{g_grid_origin_x} * cw / 100 + (int64_t{i} - 1) * cw;
      const int64_t y = int64_t{g_grid_origin_y} * ch / 100 + (int64_t{j} - 1) * ch;
      set_node(i, j, saturate(x), saturate(y));
    }
}

void set_unwarp_grid_setting(GridSetting setting, int32_t position) {
  const auto in = [position](uint32_t lo, uint32_t hi) {
    return position < 0 ? lo : std::clamp(static_cast<uint32_t>(position), lo, hi);
  };
  switch (setting) {
    case GridSetting::nodes_x: g_grid_nx = in(GRID_NODES_MIN, GRID_NODES_MAX); break;
    case GridSetting::nodes_y: g_grid_ny = in(GRID_NODES_MIN, GRID_NODES_MAX); break;
    case GridSetting::origin_x: g_grid_origin_x = in(0, GRID_ORIGIN_MAX); break;
    case GridSetting::origin_y_from_bottom: g_grid_origin_y = GRID_ORIGIN_MAX - in(0, GRID_ORIGIN_MAX); break;
    case GridSetting::spacing_x: g_grid_spacing_x = in(0, GRID_SPACING_MAX); break;
    case GridSetting::spacing_y: g_grid_spacing_y = in(0, GRID_SPACING_MAX); break;
  }
  g_grid_sel_i = g_grid_sel_j = 1;
}

int32_t unwarp_grid_setting_position(GridSetting setting) {
  switch (setting) {
    case GridSetting::nodes_x: return static_cast<int32_t>(nodes_x());
    case GridSetting::nodes_y: return static_cast<int32_t>(nodes_y());
    case GridSetting::origin_x: return static_cast<int32_t>(std::min(g_grid_origin_x, GRID_ORIGIN_MAX));
    case GridSetting::origin_y_from_bottom:
      return static_cast<int32_t>(GRID_ORIGIN_MAX - std::min(g_grid_origin_y, GRID_ORIGIN_MAX));
    case GridSetting::spacing_x: return static_cast<int32_t>(std::min(g_grid_spacing_x, GRID_SPACING_MAX));
    case GridSetting::spacing_y: return static_cast<int32_t>(std::min(g_grid_spacing_y, GRID_SPACING_MAX));
  }
  return 0;
}

void rebuild_unwarp_grid() {
  const uint32_t nx = nodes_x(), ny = nodes_y();
  const uint32_t origin_x = std::min(g_grid_origin_x, GRID_ORIGIN_MAX);
  const uint32_t origin_y = std::min(g_grid_origin_y, GRID_ORIGIN_MAX);
  const uint32_t cw = image_w() / (nx - 2), ch = image_h() / (ny - 2);
  const double sx = cw + std::min(g_grid_spacing_x, GRID_SPACING_MAX) * static_cast<double>(cw) * 0.005;
  const double sy = ch + std::min(g_grid_spacing_y, GRID_SPACING_MAX) * static_cast<double>(ch) * 0.005;
  for (uint32_t i = 0; i < nx; ++i)
    for (uint32_t j = 0; j < ny; ++j)
      set_node(i, j, saturate(origin_x * sx * 0.01 + (static_cast<double>(i) - 1) * sx),
               saturate(origin_y * sy * 0.01 + (static_cast<double>(j) - 1) * sy));
}

bool pick_unwarp_point(uint32_t keys, uint32_t px, uint32_t py) {
  if (px >= image_w() || py >= image_h()) return false;
  const uint32_t last_i = nodes_x() - 2, last_j = nodes_y() - 2;
  if (keys & GRID_PICK_LEFT) {
    uint32_t i = g_grid_sel_i, j = g_grid_sel_j;
    if (i < 1 || i > last_i || j < 1 || j > last_j) i = j = 1;
    g_grid_target_x[i][j] = static_cast<int32_t>(px);
    g_grid_target_y[i][j] = static_cast<int32_t>(py);
    if (++j > last_j) {
      j = 1;
      if (++i > last_i) i = 1;
    }
    g_grid_sel_i = i;
    g_grid_sel_j = j;
  }
  if (keys & GRID_PICK_RIGHT) {
    const int64_t x = px, y = py;
    for (uint32_t j = 1; j <= last_j; ++j)
      for (uint32_t i = 1; i <= last_i; ++i)
        if (int64_t{g_grid_ref_x[i][j]} - 4 < x && x < int64_t{g_grid_ref_x[i][j]} + 4 &&
            int64_t{g_grid_ref_y[i][j]} - 4 < y && y < int64_t{g_grid_ref_y[i][j]} + 4) {
          g_grid_sel_i = i;
          g_grid_sel_j = j;
        }
  }
  return true;
}

void build_unwarp_field() {
  if (!g_current_field || !g_undo_field) return;
  begin_field_edit();
  const uint32_t nx = nodes_x(), ny = nodes_y();
  for (uint32_t i = 1; i <= nx - 2; ++i) {
    follow(i, 0, i, 1);
    follow(i, ny - 1, i, ny - 2);
  }
  for (uint32_t j = 1; j <= ny - 2; ++j) {
    follow(0, j, 1, j);
    follow(nx - 1, j, nx - 2, j);
  }
  follow(0, 0, 1, 1);
  follow(nx - 1, ny - 1, nx - 2, ny - 2);
  follow(0, ny - 1, 1, ny - 2);
  follow(nx - 1, 0, nx - 2, 1);
  for (uint32_t j = 0; j + 1 < ny; ++j)
    for (uint32_t i = 0; i + 1 < nx; ++i) fill_cell(i, j);
}
