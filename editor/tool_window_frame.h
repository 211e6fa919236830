// What the three tool windows share: their table row, the opening and closing steps of their
// dialog procedures, the opacity while the mouse moves, and the modal framing.
#pragma once

#include <windows.h>

enum class ToolWindow { settings_bar, tool_palette, animation_bar };

struct ToolWindowInfo {
  int dialog_id;
  int menu_id;
  HWND* handle;
  int* open;
  POINT* pos;
};
const ToolWindowInfo& tool_window_info(ToolWindow which);

// Creates a modeless dialog (CreateDialogParamA); tests put a failing one here.
using CreateDialogFn = HWND(WINAPI*)(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM);
extern CreateDialogFn g_create_tool_dialog;

// Opens the window when it is closed, closes it when it is open; nothing while the un-warp
// dialog is open. The open flag is set only once the window exists; a failed creation leaves
// it closed and its item unchecked.
void toggle_tool_window(ToolWindow which, DLGPROC proc);

// WM_INITDIALOG: half opacity, the menu item checked, the saved place taken.
void tool_window_opened(HWND dialog, ToolWindow which);
// WM_ACTIVATE: 90 percent while active, 50 otherwise.
void tool_window_activated(HWND dialog, WPARAM wparam);
// WM_DESTROY: place saved, flag cleared, item unchecked, handle and active window forgotten.
void tool_window_destroyed(HWND dialog, ToolWindow which);

// The mouse over tool window w (raised to 90 percent, the previously raised one back to 50),
// and the mouse elsewhere (the raised one back to 50). The main window's WM_USER 4 and 3.
void tool_window_mouse_enter(HWND w);
void tool_window_mouse_leave();

// Disables the open tool windows around modal work, and enables them again; calls pair up and
// nest, and only the outermost pair switches the windows.
void enable_tool_windows(bool enabled);

// Checks, unchecks or grays an item of the main window's menu (nothing without a menu).
void check_main_menu_item(int id, bool checked);
void enable_main_menu_item(int id, bool enabled);

// Shows a popup menu (TrackPopupMenu); tests put one here that answers without waiting.
using TrackPopupFn = BOOL(WINAPI*)(HMENU, UINT, int, int, int, HWND, const RECT*);
extern TrackPopupFn g_track_popup_menu;

// Re-renders the whole image from g_current_field with the wait cursor (main window's WM_USER 1).
void rerender_main_window();
