// Tool window handles, flags and positions, their opening and closing, and the view toggles.
#include "editor/tool_windows.h"

#include <commctrl.h>

#include "editor/resources/resource.h"
#include "editor/startup.h"
#include "editor/tool_window_frame.h"
#include "editor/transparency.h"
#include "editor/window.h"
#include "engine/field.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"
#include "engine/unwarp_grid.h"

HWND g_settings_bar = nullptr;
HWND g_tool_palette = nullptr;
HWND g_animation_bar = nullptr;
int g_settings_bar_open = 0;
int g_tool_palette_open = 0;
int g_animation_bar_open = 0;
POINT g_settings_bar_pos = {555, 278};
POINT g_tool_palette_pos = {431, 80};
POINT g_animation_bar_pos = {25, 516};
HWND g_active_tool_window = nullptr;

CreateDialogFn g_create_tool_dialog = CreateDialogParamA;
TrackPopupFn g_track_popup_menu = TrackPopupMenu;

namespace {

const ToolWindowInfo TOOL_WINDOWS[] = {
    {IDD_SETTINGS_BAR, 290, &g_settings_bar, &g_settings_bar_open, &g_settings_bar_pos},
    {IDD_TOOL_PALETTE, 291, &g_tool_palette, &g_tool_palette_open, &g_tool_palette_pos},
    {IDD_ANIMATION_BAR, 292, &g_animation_bar, &g_animation_bar_open, &g_animation_bar_pos},
};

void register_common_controls() {
  static bool done = false;
  if (done) return;
  INITCOMMONCONTROLSEX icc = {sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
  done = InitCommonControlsEx(&icc);
}

void render_whole_image(MainWindow& win) { render_region(win, 0, 0, g_image_width, g_image_height, 1); }

}  // namespace

const ToolWindowInfo& tool_window_info(ToolWindow which) { return TOOL_WINDOWS[static_cast<int>(which)]; }

void check_main_menu_item(int id, bool checked) {
  if (HMENU menu = GetMenu(g_main_hwnd)) CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

void enable_main_menu_item(int id, bool enabled) {
  if (HMENU menu = GetMenu(g_main_hwnd)) EnableMenuItem(menu, id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void toggle_tool_window(ToolWindow which, DLGPROC proc) {
  // The un-warp dialog keeps the windows hidden; a toggle would drop one or show one beside it.
  if (g_unwarp_active) return;
  const ToolWindowInfo& info = tool_window_info(which);
  if (*info.open) {
    if (*info.handle) {
      DestroyWindow(*info.handle);  // its WM_DESTROY clears the flag and the check
    } else {
      *info.open = 0;
      check_main_menu_item(info.menu_id, false);
    }
    *info.handle = nullptr;
    return;
  }
  register_common_controls();
  HINSTANCE instance = g_instance ? g_instance : GetModuleHandleA(nullptr);
  HWND window = g_create_tool_dialog(instance, MAKEINTRESOURCEA(info.dialog_id), g_main_hwnd, proc, 0);
  if (!window) {
    *info.open = 0;
    check_main_menu_item(info.menu_id, false);
    return;
  }
  *info.handle = window;
  *info.open = 1;
  if (g_main_hwnd) SetFocus(g_main_hwnd);
}

void tool_window_opened(HWND dialog, ToolWindow which) {
  const ToolWindowInfo& info = tool_window_info(which);
  enable_transparency(dialog, BAR_ALPHA_INACTIVE);
  check_main_menu_item(info.menu_id, true);
  SetWindowPos(dialog, nullptr, info.pos->x, info.pos->y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void tool_window_activated(HWND dialog, WPARAM wparam) {
  enable_transparency(dialog, LOWORD(wparam) ? BAR_ALPHA_ACTIVE : BAR_ALPHA_INACTIVE);
}

void tool_window_destroyed(HWND dialog, ToolWindow which) {
  const ToolWindowInfo& info = tool_window_info(which);
  RECT r;
  if (GetWindowRect(dialog, &r)) *info.pos = {r.left, r.top};
  *info.open = 0;
  check_main_menu_item(info.menu_id, false);
  *info.handle = nullptr;
  if (g_active_tool_window == dialog) g_active_tool_window = nullptr;
}

void rerender_main_window() {
  if (g_main_hwnd) SendMessageA(g_main_hwnd, WM_USER, 1, 0);
}

void tool_window_mouse_enter(HWND w) {
  if (w == g_active_tool_window) return;
  enable_transparency(w, BAR_ALPHA_ACTIVE);
  if (g_active_tool_window) enable_transparency(g_active_tool_window, BAR_ALPHA_INACTIVE);
  g_active_tool_window = w;
}

void tool_window_mouse_leave() {
  if (!g_active_tool_window) return;
  enable_transparency(g_active_tool_window, BAR_ALPHA_INACTIVE);
  g_active_tool_window = nullptr;
}

// Modal work can nest (a report posted during a dialog, a save dialog inside a question): the
// windows come back only when the outermost framing ends.
void enable_tool_windows(bool enabled) {
  static int disabled_depth = 0;
  if (enabled ? (disabled_depth == 0 || --disabled_depth > 0) : disabled_depth++ > 0) return;
  for (const ToolWindowInfo& info : TOOL_WINDOWS)
    if (*info.open && *info.handle) EnableWindow(*info.handle, enabled);
}

void toggle_settings_bar(MainWindow& win) {
  toggle_tool_window(ToolWindow::settings_bar, win.settings_bar_dlgproc ? win.settings_bar_dlgproc : settings_bar_proc);
}

void toggle_tool_palette(MainWindow& win) {
  toggle_tool_window(ToolWindow::tool_palette, win.tool_palette_dlgproc ? win.tool_palette_dlgproc : tool_palette_proc);
}

void toggle_animation_bar(MainWindow& win) {
  toggle_tool_window(ToolWindow::animation_bar,
                     win.animation_bar_dlgproc ? win.animation_bar_dlgproc : animation_bar_proc);
}

void toggle_window_transparency() {
  if (g_wnd_transparency == 1) {
    check_main_menu_item(CMD_WINDOW_TRANSPARENCY, false);
    for (const ToolWindowInfo& info : TOOL_WINDOWS)
      if (*info.handle) disable_transparency(*info.handle);
    g_wnd_transparency = 0;
  } else if (g_wnd_transparency == 0) {
    check_main_menu_item(CMD_WINDOW_TRANSPARENCY, true);
    g_wnd_transparency = 1;
    for (const ToolWindowInfo& info : TOOL_WINDOWS)
      if (*info.handle) enable_transparency(*info.handle, BAR_ALPHA_INACTIVE);
  }
}

namespace {

void toggle_option(MainWindow& win, int32_t& option, int menu_id) {
  if (option == 1) {
    check_main_menu_item(menu_id, false);
    option = 0;
  } else if (option == 0) {
    check_main_menu_item(menu_id, true);
    option = 1;
  }
  render_whole_image(win);
}

}  // namespace

void toggle_smoothing(MainWindow& win) { toggle_option(win, g_smoothing, CMD_SMOOTHING); }

void toggle_border_repeat(MainWindow& win) { toggle_option(win, g_border_repeat, CMD_BORDER_REPEAT); }

void toggle_color_separation(MainWindow& win) {
  if (g_color_separation == 0) {
    g_color_separation = 1;
    check_main_menu_item(CMD_COLOR_SEPARATION, true);
    check_main_menu_item(CMD_BORDER_REPEAT, true);
    enable_main_menu_item(CMD_BORDER_REPEAT, false);
  } else {
    g_color_separation = 0;
    check_main_menu_item(CMD_COLOR_SEPARATION, false);
    enable_main_menu_item(CMD_BORDER_REPEAT, true);
    if (g_border_repeat == 0) check_main_menu_item(CMD_BORDER_REPEAT, false);
  }
  render_whole_image(win);
}
