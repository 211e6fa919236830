// Mouse input over the view: starts each tool mode's stroke, ends region drags, the zoom commands.
#include "editor/mouse_input.h"

#include "editor/core/view_geometry.h"
#include "editor/startup.h"
#include "editor/thumbnail_strip.h"
#include "editor/unwarp_dialog.h"
#include "editor/window.h"
#include "engine/edit_state.h"
#include "engine/engine_host.h"
#include "engine/field.h"
#include "engine/field_commands.h"
#include "engine/render_driver.h"
#include "engine/strokes.h"
#include "engine/unwarp_grid.h"

namespace {

ViewPoint image_point(const MainWindow& win, int x, int y) {
  return {image_coord(x, win.scroll_x, g_zoom_percent), image_coord(y, win.scroll_y, g_zoom_percent)};
}

// The view draws the outline around the window point of the cursor's image pixel, which
// lies up to two pixels above and left of the mouse point when zoomed in.
void invalidate_outline(const MainWindow& win, int32_t ix, int32_t iy) {
  if (!g_main_hwnd) return;
  const int32_t x = window_coord(ix, win.scroll_x, g_zoom_percent), y = window_coord(iy, win.scroll_y, g_zoom_percent);
  const ClipRect c = brush_outline_rect(x, y, g_brush_size, g_zoom_percent);
  RECT r{c.left, c.top, c.right, c.bottom};
  InvalidateRect(g_main_hwnd, &r, FALSE);
}

void invalidate_view(BOOL erase) {
  if (g_main_hwnd) InvalidateRect(g_main_hwnd, nullptr, erase);
}

void start_stroke_timer() {
  if (g_main_hwnd) SetTimer(g_main_hwnd, STROKE_TIMER_ID, STROKE_TIMER_PERIOD_MS, nullptr);
}

// The undo delta starts over with every stroke; mask painting cannot be undone.
void begin_undoable_stroke(bool undoable) {
  if (g_undo_field) clear_field(g_undo_field);
  engine_host().enable_menu_item(CMD_UNDO, undoable);
}

}  // namespace

void on_button_down(MainWindow& win, int x, int y, uint16_t keys) {
  const ViewPoint p = image_point(win, x, y);
  if (g_unwarp_active) {
    if (g_unwarp_dialog) {
      const auto wparam = static_cast<WPARAM>(static_cast<INT_PTR>(static_cast<int16_t>(keys)));
      SendMessageA(g_unwarp_dialog, WM_USER, wparam,
                   MAKELPARAM(static_cast<WORD>(p.x & 0xffff), static_cast<WORD>(p.y & 0xffff)));
    }
    return;
  }
  g_mouse_keys = keys;
  switch (g_tool_mode) {
    case TOOL_MODE_BRUSH:
    case TOOL_MODE_RESTORE:
    case TOOL_MODE_MASK:
    case TOOL_MODE_FLATTEN:
      begin_undoable_stroke(g_tool_mode != TOOL_MODE_MASK);
      start_stroke_timer();
      if (g_tool_mode == TOOL_MODE_BRUSH)
        apply_brush(win, p.x, p.y);
      else if (g_tool_mode == TOOL_MODE_RESTORE)
        apply_restore(win, p.x, p.y);
      else if (g_tool_mode == TOOL_MODE_MASK)
        paint_mask(win, p.x, p.y);
      else
        apply_flatten(win, p.x, p.y);
      win.drag_state = 1;
      break;
    case TOOL_MODE_DRAG:
    case TOOL_MODE_HAMMER:
      begin_undoable_stroke(true);
      win.drag_state = 2;
      invalidate_outline(win, win.cursor_x, win.cursor_y);
      start_stroke_timer();
      win.drag_x = p.x;
      win.drag_y = p.y;
      break;
    case TOOL_MODE_REGION_DRAG:
      win.drag_x = p.x;
      win.drag_y = p.y;
      win.drag_state = 2;
      break;
    default: MessageBeep(MB_ICONHAND); break;
  }
  if (g_main_hwnd) SetCapture(g_main_hwnd);
}

void on_mouse_move(MainWindow& win, int x, int y, uint16_t keys) {
  const ViewPoint p = image_point(win, x, y);
  if (!(keys & (MK_LBUTTON | MK_RBUTTON)) && mode_shows_outline(g_tool_mode)) {
    win.drag_state = 0;
    invalidate_outline(win, win.cursor_x, win.cursor_y);
    invalidate_outline(win, p.x, p.y);
  }
  if (win.drag_state == 2 && g_tool_mode == TOOL_MODE_REGION_DRAG) {
    win.cursor_x = p.x;
    win.cursor_y = p.y;
    invalidate_view(FALSE);
  }
  win.cursor_x = p.x;
  win.cursor_y = p.y;
}

void on_button_up(MainWindow& win, int x, int y) {
  // Releasing the capture makes the main window reset drag_state, so decide first.
  if (win.drag_state == 2 && g_tool_mode == TOOL_MODE_REGION_DRAG) {
    ReleaseCapture();
    const ViewPoint p = image_point(win, x, y);
    win.cursor_x = p.x;
    win.cursor_y = p.y;
    invalidate_view(FALSE);
    begin_undoable_stroke(true);
    apply_region_drag(win, win.drag_x, win.drag_y, win.cursor_x, win.cursor_y);
  } else {
    ReleaseCapture();
  }
  win.drag_state = 0;
  if (g_current_tool == TOOL_NONE || g_current_tool == TOOL_MASK) return;
  refresh_current_thumbnail();
}

void set_zoom(MainWindow& win, int command_id) {
  const int32_t zoom = zoom_of_command(command_id);
  if (zoom == 0) return;
  g_zoom_percent = zoom;
  if (!g_main_hwnd) return;
  HMENU menu = GetMenu(g_main_hwnd);
  for (int id = ZOOM_CMD_FIRST; id <= ZOOM_CMD_LAST; ++id)
    CheckMenuItem(menu, id, MF_BYCOMMAND | (id == command_id ? MF_CHECKED : MF_UNCHECKED));
  invalidate_view(TRUE);
}
