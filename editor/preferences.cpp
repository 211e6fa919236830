// Registry preferences under HKEY_CURRENT_USER.
#include "editor/preferences.h"

#include "editor/startup.h"
#include "editor/tool_windows.h"
#include "engine/render_band.h"

namespace {

LayoutRect layout_rect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

RECT win_rect(const LayoutRect& r) { return {r.left, r.top, r.right, r.bottom}; }

bool on_some_screen(const LayoutRect& r) {
  const RECT rect = win_rect(r);
  return MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) != nullptr;
}

// The window's rectangle in screen coordinates as it is when neither minimised nor maximised.
LayoutRect normal_rect(HWND window) {
  WINDOWPLACEMENT placement = {};
  placement.length = sizeof placement;
  if (!GetWindowPlacement(window, &placement)) {
    RECT r = {};
    GetWindowRect(window, &r);
    return layout_rect(r);
  }
  RECT r = placement.rcNormalPosition;
  // The placement is in work-area coordinates; a task bar at the left or top shifts them.
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) &&
      GetMonitorInfoA(MonitorFromRect(&r, MONITOR_DEFAULTTOPRIMARY), &info))
    OffsetRect(&r, info.rcWork.left - info.rcMonitor.left, info.rcWork.top - info.rcMonitor.top);
  return layout_rect(r);
}

LayoutRect open_window_rect(int open, HWND window) {
  RECT r = {};
  if (open && window) GetWindowRect(window, &r);
  return layout_rect(r);
}

void write_dword(HKEY key, const char* name, int value) {
  const DWORD v = static_cast<DWORD>(value);
  RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
}

}  // namespace

HKEY open_preferences_key(REGSAM access) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, PREFERENCES_KEY, 0, access, &key) != ERROR_SUCCESS) return nullptr;
  return key;
}

bool read_pref_dword(HKEY key, const char* name, int* value) {
  DWORD type = 0, data = 0, size = sizeof data;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) != ERROR_SUCCESS ||
      type != REG_DWORD || size != sizeof data)
    return false;
  *value = static_cast<int>(data);
  return true;
}

StoredLayout read_startup_preferences() {
  StoredLayout stored;
  g_wnd_transparency = 1;
  HKEY key = open_preferences_key(KEY_READ);
  if (!key) return stored;
  read_pref_dword(key, PREF_TOOLBAR, &stored.toolbar);
  read_pref_dword(key, PREF_VIDEOBAR, &stored.videobar);
  read_pref_dword(key, PREF_PREFSBAR, &stored.prefsbar);
  read_pref_dword(key, PREF_WND_TRANSPARENCY, &g_wnd_transparency);
  uint8_t bytes[WINDOW_POS_RECORD_SIZE];
  DWORD type = 0, size = sizeof bytes;
  if (RegQueryValueExA(key, PREF_WINDOW_POS, nullptr, &type, bytes, &size) == ERROR_SUCCESS && type == REG_BINARY &&
      size == sizeof bytes) {
    stored.has_record = true;
    stored.record = decode_window_pos(bytes);
  }
  RegCloseKey(key);
  return stored;
}

WindowLayout startup_window_layout(const StoredLayout& stored, int screen_width, int screen_height) {
  WindowLayout layout = choose_window_layout(stored, screen_width, screen_height);
  const WindowLayout defaults = default_window_layout(screen_height);
  if (!on_some_screen(layout.main_rect)) layout.main_rect = defaults.main_rect;
  // A tool window keeps its place while any part of it, sized as stored, lies on a monitor.
  const WindowPosRecord& r = stored.record;
  const auto off_screen = [&](LayoutPoint corner, const LayoutRect& stored_rect) {
    return !on_some_screen(window_area_at(corner, stored_rect, screen_width, screen_height));
  };
  if (off_screen(layout.settings_bar, r.settings_bar_rect)) layout.settings_bar = defaults.settings_bar;
  if (off_screen(layout.tool_palette, r.tool_palette_rect)) layout.tool_palette = defaults.tool_palette;
  if (off_screen(layout.animation_bar, r.animation_bar_rect)) layout.animation_bar = defaults.animation_bar;
  return layout;
}

FirstShowPreferences read_first_show_preferences() {
  FirstShowPreferences prefs;
  HKEY key = open_preferences_key(KEY_READ);
  if (!key) return prefs;
  read_pref_dword(key, PREF_TOOLBAR, &prefs.tool_palette);
  read_pref_dword(key, PREF_VIDEOBAR, &prefs.animation_bar);
  read_pref_dword(key, PREF_PREFSBAR, &prefs.settings_bar);
  read_pref_dword(key, PREF_SMOOTHING, &prefs.smoothing);
  read_pref_dword(key, PREF_BORDER_REPEAT, &prefs.border_repeat);
  read_pref_dword(key, PREF_COLOR_REFRACT, &prefs.color_separation);
  RegCloseKey(key);
  return prefs;
}

WindowPosRecord current_window_pos_record() {
  WindowPosRecord record = {};
  if (g_main_hwnd) record.main_rect = normal_rect(g_main_hwnd);
  record.settings_bar_rect = open_window_rect(g_settings_bar_open, g_settings_bar);
  record.tool_palette_rect = open_window_rect(g_tool_palette_open, g_tool_palette);
  record.animation_bar_rect = open_window_rect(g_animation_bar_open, g_animation_bar);
  record.screen_area = screen_area_of(g_screen_width, g_screen_height);
  return record;
}

bool write_preferences() {
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, PREFERENCES_KEY, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS)
    return false;
  write_dword(key, PREF_TOOLBAR, g_tool_palette_open);
  write_dword(key, PREF_VIDEOBAR, g_animation_bar_open);
  write_dword(key, PREF_PREFSBAR, g_settings_bar_open);
  write_dword(key, PREF_SMOOTHING, g_smoothing);
  write_dword(key, PREF_BORDER_REPEAT, g_border_repeat);
  write_dword(key, PREF_COLOR_REFRACT, g_color_separation);
  write_dword(key, PREF_WND_TRANSPARENCY, g_wnd_transparency);
  uint8_t bytes[WINDOW_POS_RECORD_SIZE];
  encode_window_pos(current_window_pos_record(), bytes);
  RegSetValueExA(key, PREF_WINDOW_POS, 0, REG_BINARY, bytes, sizeof bytes);
  RegCloseKey(key);
  return true;
}
