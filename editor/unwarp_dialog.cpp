// The modeless un-warp dialog over the main window: grid settings, point input and the build.
#include "editor/unwarp_dialog.h"

// After windows.h, whose types it needs.
#include <commctrl.h>

#include "editor/main_commands.h"
#include "editor/resources/resource.h"
#include "editor/startup.h"
#include "editor/thumbnail_strip.h"
#include "editor/tool_windows.h"
#include "engine/edit_state.h"
#include "engine/engine_host.h"
#include "engine/unwarp_grid.h"

HWND g_unwarp_dialog = nullptr;

namespace {

constexpr int TOP_MENU_COUNT = 6;  // "&Projekt" to "&?"

struct GridUpDown {
  int id;
  GridSetting setting;
  uint32_t min, max;
};

constexpr GridUpDown GRID_UPDOWNS[] = {
    {IDC_GRID_NODES_X, GridSetting::nodes_x, GRID_NODES_MIN, GRID_NODES_MAX},
    {IDC_GRID_NODES_Y, GridSetting::nodes_y, GRID_NODES_MIN, GRID_NODES_MAX},
    {IDC_GRID_ORIGIN_X, GridSetting::origin_x, 0, GRID_ORIGIN_MAX},
    {IDC_GRID_ORIGIN_Y, GridSetting::origin_y_from_bottom, 0, GRID_ORIGIN_MAX},
    {IDC_GRID_SPACING_X, GridSetting::spacing_x, 0, GRID_SPACING_MAX},
    {IDC_GRID_SPACING_Y, GridSetting::spacing_y, 0, GRID_SPACING_MAX},
};

void invalidate_main(BOOL erase) {
  if (g_main_hwnd) InvalidateRect(g_main_hwnd, nullptr, erase);
}

// While the dialog is open the main menu is grayed and the open tool windows are hidden.
void frame_main_window(bool open) {
  if (HMENU menu = g_main_hwnd ? GetMenu(g_main_hwnd) : nullptr) {
    for (UINT pos = 0; pos < TOP_MENU_COUNT; ++pos)
      EnableMenuItem(menu, pos, MF_BYPOSITION | (open ? MF_GRAYED : MF_ENABLED));
    DrawMenuBar(g_main_hwnd);
  }
  const struct {
    HWND window;
    int is_open;
  } windows[] = {{g_settings_bar, g_settings_bar_open},
                 {g_tool_palette, g_tool_palette_open},
                 {g_animation_bar, g_animation_bar_open}};
  for (const auto& w : windows) {
    if (!w.is_open || !w.window) continue;
    EnableWindow(w.window, open ? FALSE : TRUE);
    ShowWindow(w.window, open ? SW_HIDE : SW_SHOW);
  }
}

// Top right of the main window's client area, where the hidden tool windows leave room.
void place_dialog(HWND dialog) {
  RECT client, own;
  if (!g_main_hwnd || !GetClientRect(g_main_hwnd, &client) || !GetWindowRect(dialog, &own)) return;
  POINT corner = {client.right - (own.right - own.left), 0};
  if (corner.x < 0) corner.x = 0;
  ClientToScreen(g_main_hwnd, &corner);
  SetWindowPos(dialog, nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void init_dialog(HWND dialog) {
  frame_main_window(true);
  for (const GridUpDown& u : GRID_UPDOWNS) {
    SendDlgItemMessageA(dialog, u.id, UDM_SETRANGE32, u.min, u.max);
    SendDlgItemMessageA(dialog, u.id, UDM_SETPOS32, 0, unwarp_grid_setting_position(u.setting));
  }
  place_dialog(dialog);
}

// SB_THUMBPOSITION from an up-down: the setting takes the position and the grid is laid anew.
void change_setting(WPARAM wparam, LPARAM lparam) {
  const int id = lparam ? GetDlgCtrlID(reinterpret_cast<HWND>(lparam)) : 0;
  for (const GridUpDown& u : GRID_UPDOWNS)
    if (u.id == id) set_unwarp_grid_setting(u.setting, static_cast<int16_t>(HIWORD(wparam)));
  rebuild_unwarp_grid();
  invalidate_main(FALSE);
}

void build(HWND dialog) {
  EngineHost& host = engine_host();
  host.begin_wait_cursor();
  build_unwarp_field();
  DestroyWindow(dialog);
  if (g_main_hwnd) SendMessageA(g_main_hwnd, WM_USER, MAIN_USER_RENDER, 0);
  refresh_current_thumbnail();
  host.end_wait_cursor();
}

}  // namespace

INT_PTR CALLBACK unwarp_grid_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: init_dialog(dialog); return TRUE;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (LOWORD(wparam) != SB_THUMBPOSITION) return FALSE;
      change_setting(wparam, lparam);
      return TRUE;
    case WM_USER:
      // DM_GETDEFID shares the value; the main window's clicks always carry a button.
      if (!(wparam & (MK_LBUTTON | MK_RBUTTON))) return FALSE;
      if (pick_unwarp_point(static_cast<uint32_t>(wparam), LOWORD(lparam), HIWORD(lparam))) invalidate_main(FALSE);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK)
        build(dialog);
      else if (LOWORD(wparam) == IDCANCEL)
        DestroyWindow(dialog);
      else if (g_main_hwnd)
        SendMessageA(g_main_hwnd, WM_COMMAND, wparam, lparam);
      return TRUE;
    case WM_DESTROY:
      frame_main_window(false);
      g_unwarp_active = 0;
      if (g_unwarp_dialog == dialog) g_unwarp_dialog = nullptr;
      invalidate_main(TRUE);
      return TRUE;
    default: return FALSE;
  }
}

void open_unwarp_dialog(MainWindow&) {
  if (g_unwarp_active) return;
  if (g_current_tool != TOOL_NONE) {
    g_current_tool = TOOL_NONE;
    g_tool_mode = TOOL_MODE_NONE;
    engine_host().notify_tool_windows();
  }
  g_unwarp_active = 1;
  invalidate_main(FALSE);
  g_unwarp_dialog = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_UNWARP_GRID), g_main_hwnd, unwarp_grid_proc, 0);
  if (!g_unwarp_dialog) {
    // No dialog: nothing would ever end the grid mode, so leave it at once.
    g_unwarp_active = 0;
    frame_main_window(false);
    invalidate_main(TRUE);
  }
}
