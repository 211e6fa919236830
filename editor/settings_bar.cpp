// The settings bar dialog: size and strength of the brush, re-selecting the tool after a change.
#include "editor/settings_bar.h"

#include <commctrl.h>

#include <cstdio>

#include "editor/core/tool_table.h"
#include "editor/dialogs.h"
#include "editor/resources/resource.h"
#include "editor/startup.h"
#include "editor/tool_window_frame.h"
#include "editor/tool_windows.h"
#include "engine/edit_state.h"

namespace {

constexpr int SIZE_GROUP[] = {IDC_SIZE_SLIDER, IDC_SIZE_PIXELS,      IDC_SIZE_SMALL_LABEL,
                              IDC_SIZE_UNIT,   IDC_SIZE_LARGE_LABEL, IDC_SIZE_HEADING};
constexpr int STRENGTH_GROUP[] = {IDC_STRENGTH_SMALLER, IDC_STRENGTH_NORMAL, IDC_STRENGTH_LARGER, IDC_STRENGTH_HEADING};

void show_size(HWND bar) {
  SendDlgItemMessageA(bar, IDC_SIZE_SLIDER, TBM_SETPOS, TRUE, size_slider_position(g_brush_size));
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(g_brush_size - 1));
  replace_edit_text(bar, IDC_SIZE_PIXELS, text);
}

// The selectors switch a tool off when it is chosen again, so the tool id is cleared first:
// the command then selects it anew with the new size and strength. The mode stays, which is
// how the mask tool tells such a rebuild from a fresh choice and leaves the mask applied or not.
void reselect_current_tool() {
  if (!g_main_hwnd) return;
  const int32_t tool = g_current_tool;
  g_current_tool = TOOL_NONE;
  SendMessageA(g_main_hwnd, WM_COMMAND, TOOL_CMD_BASE + tool, 0);
  InvalidateRect(g_main_hwnd, nullptr, FALSE);
}

void init_settings_bar(HWND bar) {
  tool_window_opened(bar, ToolWindow::settings_bar);
  SendDlgItemMessageA(bar, IDC_SIZE_SLIDER, TBM_SETRANGE, TRUE, MAKELPARAM(0, SIZE_SLIDER_MAX));
  show_size(bar);
  if (g_brush_strength >= 1 && g_brush_strength <= 3)
    CheckRadioButton(bar, IDC_STRENGTH_LARGER, IDC_STRENGTH_SMALLER, IDC_STRENGTH_LARGER - 1 + g_brush_strength);
  update_settings_bar_for_tool(bar);
}

}  // namespace

void update_settings_bar_for_tool(HWND bar) {
  SendDlgItemMessageA(bar, IDC_TOOL_STATUS, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(tool_status_text(g_current_tool)));
  const ToolInfo* tool = find_tool(g_current_tool);
  for (int id : SIZE_GROUP) EnableWindow(GetDlgItem(bar, id), tool && tool->uses_size);
  for (int id : STRENGTH_GROUP) EnableWindow(GetDlgItem(bar, id), tool && tool->uses_strength);
}

INT_PTR CALLBACK settings_bar_proc(HWND bar, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: init_settings_bar(bar); return TRUE;
    case WM_ACTIVATE: tool_window_activated(bar, wparam); return FALSE;
    case WM_DESTROY: tool_window_destroyed(bar, ToolWindow::settings_bar); return FALSE;
    case WM_USER: update_settings_bar_for_tool(bar); return FALSE;
    case WM_VSCROLL: {
      bool changed = false;
      g_brush_size = scrolled_brush_size(g_brush_size, LOWORD(wparam), HIWORD(wparam), &changed);
      show_size(bar);
      if (changed) reselect_current_tool();
      return FALSE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wparam);
      if (id == IDOK || id == IDCANCEL) {
        DestroyWindow(bar);
        return TRUE;
      }
      if (id >= IDC_STRENGTH_LARGER && id <= IDC_STRENGTH_SMALLER) {
        CheckRadioButton(bar, IDC_STRENGTH_LARGER, IDC_STRENGTH_SMALLER, id);
        g_brush_strength = id - IDC_STRENGTH_LARGER + 1;
        reselect_current_tool();
      }
      return FALSE;
    }
    default: return FALSE;
  }
}
