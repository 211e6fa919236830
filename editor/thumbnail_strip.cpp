// The thumbnail strip: drawn once when a slot's field changes, so painting the
// animation bar only copies cells.
#include "editor/thumbnail_strip.h"

#include "editor/core/frame_slots.h"
#include "editor/engine_host_win32.h"
#include "editor/tool_windows.h"

HBITMAP g_thumb_strip = nullptr;

bool create_thumb_strip(HDC dc) {
  delete_thumb_strip();
  g_thumb_strip = CreateCompatibleBitmap(dc, THUMB_STRIP_W, THUMB_STRIP_H);
  return g_thumb_strip != nullptr;
}

void delete_thumb_strip() {
  if (g_thumb_strip) DeleteObject(g_thumb_strip);
  g_thumb_strip = nullptr;
}

void draw_thumbnail(int k) {
  if (!g_mem_dc || !g_thumb_strip || k < 1 || k > FRAME_SLOT_COUNT) return;
  SelectObject(g_mem_dc, g_thumb_strip);
  SetStretchBltMode(g_mem_dc, COLORONCOLOR);
  SetStretchBltMode(g_image_dc, COLORONCOLOR);
  StretchBlt(g_mem_dc, thumb_cell_x(k), 0, THUMB_CELL_W, THUMB_CELL_H, g_image_dc, 0, 0, g_image_width, g_image_height,
             SRCCOPY);
  SelectObject(g_mem_dc, g_region_bitmap);
}

void refresh_current_thumbnail() {
  draw_thumbnail(g_current_frame);
  if (g_animation_bar) InvalidateRect(g_animation_bar, nullptr, TRUE);
}

void restart_key_frames_after_fix() {
  restart_frame_slots();
  draw_thumbnail(1);
  draw_thumbnail(2);
  if (g_animation_bar) {
    InvalidateRect(g_animation_bar, nullptr, TRUE);
    SendMessageA(g_animation_bar, WM_USER, 1, 0);
  }
}
