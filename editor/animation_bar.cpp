// The animation bar dialog: painting the slots, choosing the current key frame, the slot popup.
#include "editor/animation_bar.h"

#include "editor/core/animation_bar_layout.h"
#include "editor/core/frame_slots.h"
#include "editor/dialogs.h"
#include "editor/engine_host_win32.h"
#include "editor/resources/resource.h"
#include "editor/slot_commands.h"
#include "editor/startup.h"
#include "editor/thumbnail_strip.h"
#include "editor/tool_window_frame.h"
#include "editor/tool_windows.h"

int g_frame_hit = 0;
HMENU g_slot_menu = nullptr;
int g_slot_gap = SLOT_GAP_MIN;

namespace {

int frames_edit_id(int k) { return IDC_FRAMES_EDIT_BASE + k - 1; }

HMENU create_slot_menu() {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, CMD_SLOT_INSERT_CURRENT, "Aktuelles Bild einfügen");
  AppendMenuA(menu, MF_STRING, CMD_SLOT_ADD_TO_CURRENT, "Zu aktuellem Bild addieren");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING | MF_GRAYED, CMD_SLOT_DELETE, "Löschen");
  AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(menu, MF_STRING | MF_GRAYED, CMD_SLOT_MOVE_LEFT, "Nach links rücken");
  AppendMenuA(menu, MF_STRING | MF_GRAYED, CMD_SLOT_MOVE_RIGHT, "Nach rechts rücken");
  return menu;
}

void init_bar(HWND bar) {
  tool_window_opened(bar, ToolWindow::animation_bar);
  RECT client;
  GetClientRect(bar, &client);
  g_slot_gap = slot_gap_for_width(client.right);
  for (int k = 1; k <= FRAME_SLOT_COUNT; ++k)
    SendDlgItemMessageA(bar, frames_edit_id(k), EM_LIMITTEXT, FRAMES_TEXT_LIMIT, 0);
  slot_texts_to_edits(bar);
  g_slot_menu = create_slot_menu();
}

void line_pair(HDC dc, int color, POINT a, POINT b, POINT c) {
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(color));
  HGDIOBJ old = SelectObject(dc, pen);
  MoveToEx(dc, a.x, a.y, nullptr);
  LineTo(dc, b.x, b.y);
  LineTo(dc, c.x, c.y);
  SelectObject(dc, old);
  DeleteObject(pen);
}

void paint_bar(HWND bar) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(bar, &ps);
  for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) {
    const int l = slot_left(k, g_slot_gap);
    line_pair(dc, COLOR_BTNSHADOW, {l + 56, 5}, {l, 5}, {l, 57});
    line_pair(dc, COLOR_BTNHIGHLIGHT, {l + 56, 6}, {l + 56, 56}, {l, 56});
  }
  HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  HGDIOBJ old_pen = SelectObject(dc, GetStockObject(BLACK_PEN));
  const int current = slot_left(g_current_frame, g_slot_gap);
  Rectangle(dc, current - 1, 4, current + 58, 58);
  SelectObject(dc, old_pen);
  SelectObject(dc, old_brush);
  if (g_mem_dc && g_thumb_strip) {
    SelectObject(g_mem_dc, g_thumb_strip);
    for (int k = 1; k <= FRAME_SLOT_COUNT; ++k)
      if (slot_filled(k))
        BitBlt(dc, slot_left(k, g_slot_gap) + 1, 6, THUMB_CELL_W - 1, THUMB_CELL_H, g_mem_dc, thumb_cell_x(k), 0,
               SRCCOPY);
    SelectObject(g_mem_dc, g_region_bitmap);
  }
  EndPaint(bar, &ps);
}

// Returns false when the click lies outside the slots' band.
bool hit_test(LPARAM lparam, bool only_filled) {
  const int hit = slot_hit(g_slot_gap, LOWORD(lparam), HIWORD(lparam), only_filled);
  if (hit < 0) return false;
  g_frame_hit = hit;
  return true;
}

void left_click(HWND bar, LPARAM lparam) {
  if (!hit_test(lparam, true) || !select_frame(g_frame_hit)) return;
  rerender_main_window();
  InvalidateRect(bar, nullptr, TRUE);
}

void enable_item(int id, bool enabled) {
  EnableMenuItem(g_slot_menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void right_click(HWND bar, LPARAM lparam) {
  if (!hit_test(lparam, false) || !g_frame_hit || !g_slot_menu) return;
  const SlotMenuState s = slot_menu_state(g_frame_hit);
  enable_item(CMD_SLOT_DELETE, s.delete_slot);
  enable_item(CMD_SLOT_INSERT_CURRENT, s.insert_current);
  enable_item(CMD_SLOT_MOVE_LEFT, s.move_left);
  enable_item(CMD_SLOT_MOVE_RIGHT, s.move_right);
  enable_item(CMD_SLOT_ADD_TO_CURRENT, s.add_to_current);
  POINT cursor;
  GetCursorPos(&cursor);
  g_track_popup_menu(g_slot_menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, bar, nullptr);
}

void run_slot_command(HWND bar, int command) {
  switch (command) {
    case CMD_SLOT_DELETE: delete_frame_slot(bar, g_frame_hit); break;
    case CMD_SLOT_INSERT_CURRENT: insert_current_field(bar, g_frame_hit); break;
    case CMD_SLOT_MOVE_LEFT: move_frame_left(bar, g_frame_hit); break;
    case CMD_SLOT_MOVE_RIGHT: move_frame_right(bar, g_frame_hit); break;
    case CMD_SLOT_ADD_TO_CURRENT: add_slot_to_current(bar, g_frame_hit); break;
  }
}

}  // namespace

void slot_texts_to_edits(HWND bar) {
  for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) {
    replace_edit_text(bar, frames_edit_id(k), frame_slot(k).frames_text);
    EnableWindow(GetDlgItem(bar, frames_edit_id(k)), slot_filled(k));
  }
}

void slot_edits_to_texts(HWND bar) {
  for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) {
    char text[FRAMES_TEXT_SIZE] = {};
    *reinterpret_cast<WORD*>(text) = FRAMES_TEXT_SIZE - 1;  // EM_GETLINE's buffer size
    const LRESULT n = SendDlgItemMessageA(bar, frames_edit_id(k), EM_GETLINE, 0, reinterpret_cast<LPARAM>(text));
    text[n > 0 && n < FRAMES_TEXT_SIZE ? n : 0] = 0;
    set_frames_text(frame_slot(k), n > 0 ? text : " ");
  }
}

INT_PTR CALLBACK animation_bar_proc(HWND bar, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: init_bar(bar); return TRUE;
    case WM_PAINT: paint_bar(bar); return FALSE;
    case WM_LBUTTONDOWN: left_click(bar, lparam); return FALSE;
    case WM_RBUTTONDOWN: right_click(bar, lparam); return FALSE;
    case WM_ACTIVATE: tool_window_activated(bar, wparam); return FALSE;
    case WM_USER:
      if (wparam == 1) slot_texts_to_edits(bar);
      if (wparam == 2) slot_edits_to_texts(bar);
      return FALSE;
    case WM_DESTROY:
      slot_edits_to_texts(bar);
      if (g_slot_menu) DestroyMenu(g_slot_menu);
      g_slot_menu = nullptr;
      tool_window_destroyed(bar, ToolWindow::animation_bar);
      return FALSE;
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == IDOK || id == IDCANCEL) {
        DestroyWindow(bar);
        return TRUE;
      }
      if (id >= CMD_SLOT_DELETE && id <= CMD_SLOT_ADD_TO_CURRENT)
        run_slot_command(bar, id);
      else if (g_main_hwnd)
        SendMessageA(g_main_hwnd, WM_COMMAND, wparam, lparam);
      return FALSE;
    }
    default: return FALSE;
  }
}
