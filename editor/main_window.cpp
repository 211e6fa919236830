// The main window object's message handler: message table, first show, wheel, WM_USER protocol, commands.
// clang-format off
#include <windows.h>
#include <shellapi.h>  // needs windows.h first
#include <windowsx.h>
// clang-format on

#include <cstring>
#include <initializer_list>

#include "editor/animation_export.h"
#include "editor/dialogs.h"
#include "editor/file_commands.h"
#include "editor/main_commands.h"
#include "editor/message_box.h"
#include "editor/mouse_input.h"
#include "editor/plugin_slots.h"
#include "editor/preferences.h"
#include "editor/printing.h"
#include "editor/resources/resource.h"
#include "editor/startup.h"
#include "editor/title.h"
#include "editor/tool_window_frame.h"
#include "editor/tool_windows.h"
#include "editor/unwarp_dialog.h"
#include "editor/view_paint.h"
#include "editor/window.h"
#include "editor/workspace.h"
#include "engine/brush_kernels.h"
#include "engine/edit_state.h"
#include "engine/effects.h"
#include "engine/field.h"
#include "engine/field_commands.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"
#include "engine/strokes.h"

MainWindow& main_window_object() {
  static MainWindow instance;
  return instance;
}

namespace {

// Polls, while an export or a print job still uses the workspace, for the moment the
// window can be closed after the display dropped below 16 bits per pixel.
constexpr UINT_PTR LOW_COLOUR_CLOSE_TIMER_ID = 334;
constexpr UINT LOW_COLOUR_CLOSE_POLL_MS = 250;

HMENU main_menu() { return GetMenu(g_main_hwnd); }

bool workspace_in_use() { return g_export_busy || g_print_jobs != 0; }

void first_show(MainWindow& win) {
  const FirstShowPreferences prefs = read_first_show_preferences();
  g_smoothing = prefs.smoothing;
  g_border_repeat = prefs.border_repeat;
  g_color_separation = prefs.color_separation;
  if (g_scanner_unavailable) enable_main_menu_item(CMD_SCAN, false);
  // The menu resource has 227 and 229 checked and 231 unchecked: toggling from there
  // brings both the value and the check mark to what was stored.
  if (!g_smoothing) {
    g_smoothing = 1;
    toggle_smoothing(win);
  }
  if (!g_border_repeat) {
    g_border_repeat = 1;
    toggle_border_repeat(win);
  }
  if (g_color_separation) {
    g_color_separation = 0;
    toggle_color_separation(win);
  }
  if (prefs.tool_palette) toggle_tool_palette(win);
  if (prefs.animation_bar) toggle_animation_bar(win);
  if (prefs.settings_bar) toggle_settings_bar(win);
  if (!g_wnd_transparency || !g_set_layered_attrs) check_main_menu_item(CMD_WINDOW_TRANSPARENCY, false);
  if (!g_set_layered_attrs) enable_main_menu_item(CMD_WINDOW_TRANSPARENCY, false);
  update_title();
  DragAcceptFiles(g_main_hwnd, TRUE);
  win.first_show_pending = 0;
}

void on_display_change(MainWindow& win, WPARAM bits_per_pixel, LPARAM size) {
  if (bits_per_pixel < MIN_BITS_PER_PIXEL) {
    if (workspace_in_use())
      SetTimer(g_main_hwnd, LOW_COLOUR_CLOSE_TIMER_ID, LOW_COLOUR_CLOSE_POLL_MS, nullptr);
    else
      DestroyWindow(g_main_hwnd);
  }
  g_screen_width = LOWORD(size);
  g_screen_height = HIWORD(size);
}

void on_wheel(MainWindow& win, WPARAM wparam) {
  win.wheel_accum -= static_cast<short>(HIWORD(wparam)) / 4;
  auto scroll = win.scroll_max_y == 0 ? on_hscroll : on_vscroll;
  if (win.wheel_accum <= -WHEEL_STEP) scroll(win, SB_PAGEUP, 0);
  if (win.wheel_accum >= WHEEL_STEP) scroll(win, SB_PAGEDOWN, 0);
}

void on_user_message(MainWindow& win, WPARAM code, LPARAM lparam) {
  switch (code) {
    case MAIN_USER_RENDER:
    case MAIN_USER_RENDER_WAIT:
      render_region(win, 0, 0, g_image_width, g_image_height, code == MAIN_USER_RENDER_WAIT);
      break;
    case MAIN_USER_MESSAGE: show_message(static_cast<int>(lparam), MessageKind::error); break;
    case MAIN_USER_LEAVE_TOOL: tool_window_mouse_leave(); break;
    case MAIN_USER_ENTER_TOOL: tool_window_mouse_enter(reinterpret_cast<HWND>(lparam)); break;
    default: break;
  }
}

}  // namespace

void toggle_mask_applied() {
  g_mask_applied = !g_mask_applied;
  check_main_menu_item(CMD_MASK_APPLY, g_mask_applied);
}

void new_mask(MainWindow& win) {
  g_project_modified = 1;
  g_mask_exists = 1;
  const uint64_t bytes = static_cast<uint64_t>(g_image_width) * static_cast<uint64_t>(g_image_height) / 8 + 1;
  std::memset(g_mask_bits, 0, static_cast<size_t>(bytes));
  for (int id : {CMD_MASK_APPLY, CMD_MASK_REMOVE, CMD_MASK_INVERT}) enable_main_menu_item(id, true);
  if (g_current_tool == TOOL_MASK) render_region(win, 0, 0, g_image_width, g_image_height, 1);
}

void remove_mask(MainWindow& win) {
  if (g_current_tool == TOOL_MASK) select_tool_mask(win);
  g_project_modified = 1;
  g_mask_exists = 0;
  g_mask_applied = 0;
  for (int id : {CMD_MASK_APPLY, CMD_MASK_REMOVE, CMD_MASK_INVERT}) enable_main_menu_item(id, false);
  check_main_menu_item(CMD_MASK_APPLY, false);
}

void invert_mask(MainWindow& win) {
  const uint64_t bytes = static_cast<uint64_t>(g_image_width) * static_cast<uint64_t>(g_image_height) / 8;
  for (uint64_t i = 0; i < bytes; ++i) g_mask_bits[i] = static_cast<uint8_t>(~g_mask_bits[i]);
  if (g_current_tool == TOOL_MASK) render_region(win, 0, 0, g_image_width, g_image_height, 1);
  g_project_modified = 1;
}

void run_command(MainWindow& win, int id) {
  if (id > TOOL_CMD_BASE && id <= TOOL_CMD_BASE + TOOL_RESTORE) {
    select_tool(win, id - TOOL_CMD_BASE);
    return;
  }
  if (id >= CMD_EFFECT_FIRST && id < CMD_EFFECT_FIRST + EFFECT_COUNT) {
    apply_effect(win, id - CMD_EFFECT_FIRST);
    return;
  }
  switch (id) {
    case CMD_OPEN_PROJECT: open_project(win); break;
    case CMD_SAVE_PROJECT_AS: save_project_as(win); break;
    case CMD_CREATE_ANIMATION: create_animation(win); break;
    case CMD_PROJECT_INFO: show_project_info(); break;
    case CMD_EXPORT_IMAGE:
      if (!g_no_image_plugins) export_current_image(win);
      break;
    case CMD_REPLACE_BASE_IMAGE:
      if (!g_no_image_plugins) replace_base_image(win);
      break;
    case CMD_IMPORT_IMAGE:
      if (!g_no_image_plugins) import_image_project(win);
      break;
    case CMD_PRINT: print_image(win); break;
    case CMD_SAVE_PROJECT:
      if (g_project_path[0])
        save_project_to_path(win);
      else
        save_project_as(win);
      break;
    case CMD_SCAN:
      if (!g_scanner_unavailable) scan_image(win);
      break;
    case CMD_EXIT: request_exit(win); break;
    case CMD_FIX_DISTORTIONS: fix_distortions(win); break;
    case CMD_REMOVE_DISTORTIONS: remove_distortions(win); break;
    case CMD_PASTE_CLIPBOARD: paste_clipboard_project(win); break;
    case CMD_COPY_IMAGE: copy_image_to_clipboard(); break;
    case CMD_SCALE_DISTORTIONS: scale_distortions(win); break;
    case CMD_UNDO: undo_last_change(win); break;
    case CMD_MOVE_DISTORTIONS: move_distortions(win); break;
    case CMD_UNWARP_DIALOG: open_unwarp_dialog(win); break;
    case CMD_INVERT_DISTORTIONS: invert_distortions(win); break;
    case CMD_WINDOW_TRANSPARENCY: toggle_window_transparency(); break;
    case CMD_SMOOTHING: toggle_smoothing(win); break;
    case CMD_BORDER_REPEAT: toggle_border_repeat(win); break;
    case CMD_COLOR_SEPARATION: toggle_color_separation(win); break;
    case CMD_MASK_APPLY: toggle_mask_applied(); break;
    case CMD_MASK_NEW: new_mask(win); break;
    case CMD_MASK_REMOVE: remove_mask(win); break;
    case CMD_MASK_INVERT: invert_mask(win); break;
    case CMD_SETTINGS_BAR: toggle_settings_bar(win); break;
    case CMD_TOOL_PALETTE: toggle_tool_palette(win); break;
    case CMD_ANIMATION_BAR: toggle_animation_bar(win); break;
    case CMD_ABOUT: show_about_dialog(); break;
    case CMD_HELP_TOPICS: show_help(win, HELP_FILE); break;
    case CMD_WEB_SITE: show_help(win, HELP_WEB_SITE); break;
    default:
      if (id >= CMD_ZOOM_33 && id <= CMD_ZOOM_300) set_zoom(win, id);
      break;
  }
}

LRESULT MainWindow::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
  MainWindow& win = *this;
  const bool busy = g_export_busy != 0;
  switch (message) {
    case WM_CREATE: init_workspace(win); return 0;
    case WM_DESTROY: destroy_workspace(); return 0;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) SendMessageA(g_main_hwnd, WM_USER, MAIN_USER_LEAVE_TOOL, 0);
      return 0;
    case WM_PAINT: paint_view(win); return 0;
    case WM_CLOSE: request_exit(win); return 0;
    case WM_SHOWWINDOW:
      if (first_show_pending) first_show(win);
      return 0;
    case WM_DISPLAYCHANGE: on_display_change(win, wparam, lparam); return 0;
    case WM_KEYDOWN:
      if (wparam == VK_ESCAPE && drag_state == 2 && g_tool_mode == TOOL_MODE_REGION_DRAG) {
        drag_state = 0;
        InvalidateRect(g_main_hwnd, nullptr, FALSE);
      }
      return 0;
    case WM_TIMER:
      if (wparam == LOW_COLOUR_CLOSE_TIMER_ID) {
        if (!workspace_in_use()) {
          KillTimer(g_main_hwnd, LOW_COLOUR_CLOSE_TIMER_ID);
          DestroyWindow(g_main_hwnd);
        }
        return 0;
      }
      if (!busy && wparam == STROKE_TIMER_ID) on_stroke_timer(win);
      return 0;
    case WM_COMMAND:
      if (!busy) run_command(win, LOWORD(wparam));
      return 0;
    case WM_HSCROLL:
      if (!busy) on_hscroll(win, LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_VSCROLL:
      if (!busy) on_vscroll(win, LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_INITMENU:
      if (reinterpret_cast<HMENU>(wparam) == main_menu())
        enable_main_menu_item(CMD_PASTE_CLIPBOARD, IsClipboardFormatAvailable(CF_BITMAP) != 0);
      return 0;
    case WM_MOUSEMOVE:
      if (!busy) on_mouse_move(win, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam), LOWORD(wparam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      if (!busy) on_button_down(win, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam), LOWORD(wparam));
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (!busy) on_button_up(win, GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam));
      return 0;
    case WM_MOUSEWHEEL:
      if (!busy) on_wheel(win, wparam);
      return 0;
    case WM_CAPTURECHANGED:
      KillTimer(g_main_hwnd, STROKE_TIMER_ID);
      drag_state = 0;
      return 0;
    case WM_DROPFILES: open_dropped_project(win, reinterpret_cast<HDROP>(wparam)); return 0;
    case WM_USER: on_user_message(win, wparam, lparam); return 0;
    default: return DefWindowProcA(g_main_hwnd, message, wparam, lparam);
  }
}
