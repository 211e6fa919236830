// Render driver: clipping, thread split, and the arithmetic of what to invalidate.
#include "engine/render_driver.h"

#include "engine/engine_host.h"
#include "engine/field.h"
#include "engine/render_band.h"

int32_t g_region_width = 0;
int32_t g_region_height = 0;
int32_t g_zoom_percent = 100;

ViewRect region_view_rect(const MainWindowState& win, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const int64_t zoom = g_zoom_percent;
  auto at = [zoom](int32_t v, int32_t scroll) {
    return static_cast<int32_t>(static_cast<int64_t>(v) * zoom / 100 - scroll);
  };
  ViewRect r{at(x0, win.scroll_x), at(y0, win.scroll_y), at(x1, win.scroll_x), at(y1, win.scroll_y)};
  if (r.left % 2 != 0) r.left -= 1;
  if ((r.right - r.left) % 2 != 0) r.right += 1;
  return r;
}

void render_region(MainWindowState& win, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t wait_cursor) {
  if (x0 >= x1 || y0 >= y1) return;
  EngineHost& host = engine_host();
  if (wait_cursor) host.begin_wait_cursor();

  const int32_t W = g_image_width, H = g_image_height;
  if (x0 < 0) x0 = 0;
  if (y0 < 0) y0 = 0;
  if (x1 < 0) x1 = 0;
  if (y1 < 0) y1 = 0;
  if (x0 > W) x0 = W;
  if (x1 > W) x1 = W;
  if (y0 > H) y0 = H;
  if (y1 > H) y1 = H;
  const int32_t w = x1 - x0, h = y1 - y0;
  // A rectangle wholly outside the image clips to nothing: there is no bitmap to make.
  if (w <= 0 || h <= 0) {
    if (wait_cursor) host.end_wait_cursor();
    return;
  }

  if (w != g_region_width || h != g_region_height) {
    g_region_width = w;
    g_region_height = h;
    host.resize_region_bitmap(w, h);
  }

  if (g_cpu_count > 1) {
    RenderBandArgs even{x0, y0, x1, y1, 2, 0};
    RenderBandArgs odd{x0, y0, x1, y1, 2, 1};
    host.run_render_bands(&even, &odd);
  } else {
    RenderBandArgs all{x0, y0, x1, y1, 1, 0};
    render_band(&all);
  }

  host.present_region(x0, y0, w, h);
  if (wait_cursor) host.end_wait_cursor();

  const ViewRect r = region_view_rect(win, x0, y0, x1, y1);
  host.invalidate_view(r.left, r.top, r.right, r.bottom);
}

void forget_rendered_region() {
  g_region_width = 0;
  g_region_height = 0;
}
