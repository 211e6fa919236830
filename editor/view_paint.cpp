// The view: the rendered picture copied at the zoom, its frame and overlays, and the scroll handlers.
#include "editor/view_paint.h"

#include <vector>

#include "editor/core/view_geometry.h"
#include "editor/engine_host_win32.h"
#include "editor/startup.h"
#include "editor/window.h"
#include "engine/edit_state.h"
#include "engine/field.h"
#include "engine/render_driver.h"
#include "engine/unwarp_grid.h"

HPEN g_highlight_pen = nullptr;
HPEN g_shadow_pen = nullptr;

namespace {

void invert_pixel(HDC dc, int x, int y) {
  const COLORREF c = GetPixel(dc, x, y);
  if (c != CLR_INVALID) SetPixel(dc, x, y, c ^ 0xFFFFFF);
}

void invert_points(HDC dc, const std::vector<ViewPoint>& points) {
  for (const ViewPoint& p : points) invert_pixel(dc, p.x, p.y);
}

// A line with both end points drawn (LineTo leaves out its end point).
void line_inclusive(HDC dc, int x0, int y0, int x1, int y1) {
  MoveToEx(dc, x0, y0, nullptr);
  LineTo(dc, x1 + (x1 > x0) - (x1 < x0), y1 + (y1 > y0) - (y1 < y0));
}

// A node mark: 9 pixels each way, from 4 before the point to 4 after it.
void node_cross(HDC dc, int x, int y) {
  MoveToEx(dc, x, y - 4, nullptr);
  LineTo(dc, x, y + 5);
  MoveToEx(dc, x - 4, y, nullptr);
  LineTo(dc, x + 5, y);
}

ViewPoint window_point(const MainWindow& win, int32_t ix, int32_t iy) {
  return {window_coord(ix, win.scroll_x, g_zoom_percent), window_coord(iy, win.scroll_y, g_zoom_percent)};
}

void paint_grid(HDC dc, const MainWindow& win) {
  HPEN pens[4] = {CreatePen(PS_SOLID, 1, RGB(16, 127, 16)), CreatePen(PS_SOLID, 1, RGB(0, 240, 0)),
                  CreatePen(PS_SOLID, 1, RGB(127, 16, 16)), CreatePen(PS_SOLID, 1, RGB(240, 0, 0))};
  const uint32_t nx = g_grid_nx < UNWARP_GRID_MAX ? g_grid_nx : UNWARP_GRID_MAX;
  const uint32_t ny = g_grid_ny < UNWARP_GRID_MAX ? g_grid_ny : UNWARP_GRID_MAX;
  auto inner_nodes = [&](const int32_t(&xs)[UNWARP_GRID_MAX][UNWARP_GRID_MAX],
                         const int32_t(&ys)[UNWARP_GRID_MAX][UNWARP_GRID_MAX]) {
    for (uint32_t j = 1; j + 2 <= ny; ++j)
      for (uint32_t i = 1; i + 2 <= nx; ++i) {
        const ViewPoint p = window_point(win, xs[i][j], ys[i][j]);
        node_cross(dc, p.x, p.y);
      }
  };
  SelectObject(dc, pens[0]);
  inner_nodes(g_grid_target_x, g_grid_target_y);
  SelectObject(dc, pens[1]);
  inner_nodes(g_grid_ref_x, g_grid_ref_y);
  const uint32_t si = g_grid_sel_i, sj = g_grid_sel_j;
  if (si < UNWARP_GRID_MAX && sj < UNWARP_GRID_MAX) {
    SelectObject(dc, pens[2]);
    ViewPoint p = window_point(win, g_grid_target_x[si][sj], g_grid_target_y[si][sj]);
    node_cross(dc, p.x, p.y);
    SelectObject(dc, pens[3]);
    p = window_point(win, g_grid_ref_x[si][sj], g_grid_ref_y[si][sj]);
    node_cross(dc, p.x, p.y);
  }
  SelectObject(dc, GetStockObject(BLACK_PEN));
  for (HPEN pen : pens) DeleteObject(pen);
}

// Fits one bar to the zoomed size and the client size of the moment.
void fit_bar(int bar, int32_t zoomed, int32_t client, int32_t& pos, int32_t& max) {
  const ScrollAxis a = fit_scroll_axis(zoomed, client, pos);
  max = a.max;
  pos = a.pos;
  SCROLLINFO si = {};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = zoomed;
  si.nPage = static_cast<UINT>(client) + 1;
  si.nPos = pos;
  SetScrollInfo(g_main_hwnd, bar, &si, TRUE);
}

RECT client_rect() {
  RECT r = {};
  GetClientRect(g_main_hwnd, &r);
  return r;
}

void scroll_by(MainWindow& win, int bar, int code, int position, int32_t& pos, int32_t max) {
  win.wheel_accum = 0;
  // The message carries 16 bits of the thumb position; the bar's track position
  // supplies the rest when it agrees with them.
  int32_t track = position & 0xffff;
  if (code == SB_THUMBPOSITION || code == SB_THUMBTRACK) {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_TRACKPOS;
    if (g_main_hwnd && GetScrollInfo(g_main_hwnd, bar, &si) && (si.nTrackPos & 0xffff) == track) track = si.nTrackPos;
  }
  const ScrollMove m = scroll_move(code, track, pos, max);
  if (!m.moved) return;
  pos = m.pos;
  if (g_main_hwnd) InvalidateRect(g_main_hwnd, nullptr, FALSE);
}

}  // namespace

void xor_circle_points(HDC dc, int cx, int cy, int x, int y, int left, int top, int right, int bottom) {
  invert_points(dc, octant_points(cx, cy, x, y, {left, top, right, bottom}));
}

void draw_xor_circle(HDC dc, int cx, int cy, int r, int left, int top, int right, int bottom) {
  invert_points(dc, circle_axis_points(cx, cy, r, {left, top, right, bottom}));
  for (const ViewPoint& s : circle_steps(r)) xor_circle_points(dc, cx, cy, s.x, s.y, left, top, right, bottom);
}

void draw_xor_line(HDC dc, int x0, int y0, int x1, int y1) { invert_points(dc, line_points({x0, y0}, {x1, y1})); }

void draw_clipped_xor_line(HDC dc, int x0, int y0, int x1, int y1, int left, int top, int right, int bottom) {
  ViewPoint p0{x0, y0}, p1{x1, y1};
  if (clip_line(p0, p1, {left, top, right, bottom})) draw_xor_line(dc, p0.x, p0.y, p1.x, p1.y);
}

void paint_view(MainWindow& win) {
  const int32_t W = g_image_width, H = g_image_height, zoom = g_zoom_percent;
  const int32_t zw = zoomed_size(W, zoom), zh = zoomed_size(H, zoom);
  fit_bar(SB_HORZ, zw, client_rect().right, win.scroll_x, win.scroll_max_x);
  fit_bar(SB_VERT, zh, client_rect().bottom, win.scroll_y, win.scroll_max_y);
  const RECT client = client_rect();
  win.scroll_x = centre_scroll_axis(zw, client.right, win.scroll_max_x, win.scroll_x);
  win.scroll_y = centre_scroll_axis(zh, client.bottom, win.scroll_max_y, win.scroll_y);

  PAINTSTRUCT ps;
  HDC dc = BeginPaint(g_main_hwnd, &ps);
  if (!dc) return;
  const int sx = win.scroll_x, sy = win.scroll_y;
  if (zoom == 100) {
    BitBlt(dc, -sx, -sy, zw, zh, g_image_dc, 0, 0, SRCCOPY);
  } else {
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, -sx, -sy, zw, zh, g_image_dc, 0, 0, W, H, SRCCOPY);
  }

  HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  HGDIOBJ old_pen = SelectObject(dc, g_highlight_pen ? g_highlight_pen : GetStockObject(WHITE_PEN));
  const int L = -sx - 1, T = -sy - 1, R = zw - sx, B = zh - sy;
  MoveToEx(dc, R + 1, T, nullptr);
  LineTo(dc, L, T);
  LineTo(dc, L, B);
  SelectObject(dc, g_shadow_pen ? g_shadow_pen : GetStockObject(BLACK_PEN));
  LineTo(dc, R, B);
  LineTo(dc, R, T);

  const int mode = g_tool_mode;
  if (win.drag_state == 0 && mode_shows_outline(mode)) {
    const ViewPoint c = window_point(win, win.cursor_x, win.cursor_y);
    draw_xor_circle(dc, c.x, c.y, brush_outline_radius(g_brush_size, zoom), -sx, -sy, R, B);
  } else if (win.drag_state != 0 && mode == TOOL_MODE_REGION_DRAG) {
    const ViewPoint a = window_point(win, win.drag_x, win.drag_y);
    const ViewPoint c = window_point(win, win.cursor_x, win.cursor_y);
    draw_clipped_xor_line(dc, a.x, a.y, c.x, c.y, -sx, -sy, R, B);
  }

  if (g_unwarp_active) paint_grid(dc, win);

  SelectObject(dc, GetStockObject(BLACK_PEN));
  for (const ViewPoint& corner : {ViewPoint{L, T}, ViewPoint{R, T}, ViewPoint{R, B}, ViewPoint{L, B}}) {
    line_inclusive(dc, corner.x, corner.y - 10, corner.x, corner.y + 10);
    line_inclusive(dc, corner.x - 10, corner.y, corner.x + 10, corner.y);
  }
  SelectObject(dc, old_pen);
  SelectObject(dc, old_brush);
  EndPaint(g_main_hwnd, &ps);
}

void on_hscroll(MainWindow& win, int code, int position) {
  scroll_by(win, SB_HORZ, code, position, win.scroll_x, win.scroll_max_x);
}

void on_vscroll(MainWindow& win, int code, int position) {
  scroll_by(win, SB_VERT, code, position, win.scroll_y, win.scroll_max_y);
}
