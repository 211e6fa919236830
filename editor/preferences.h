// Registry preferences: the key, its values, their reading at start-up and at the first show,
// and their writing at exit.
#pragma once

#include <windows.h>

#include "editor/core/window_layout.h"

constexpr char PREFERENCES_KEY[] = "Software\\Drelloq Software\\Quandrelix";  // under HKEY_CURRENT_USER

constexpr char PREF_TOOLBAR[] = "Toolbar";
constexpr char PREF_VIDEOBAR[] = "Videobar";
constexpr char PREF_PREFSBAR[] = "Prefsbar";
constexpr char PREF_SMOOTHING[] = "Smoothing";
constexpr char PREF_BORDER_REPEAT[] = "BorderRepeat";
constexpr char PREF_COLOR_REFRACT[] = "ColorRefract";
constexpr char PREF_WND_TRANSPARENCY[] = "WndTransparency";
constexpr char PREF_WINDOW_POS[] = "WindowPos";

// The key opened with the access asked for, or null when it does not exist. Close with RegCloseKey.
HKEY open_preferences_key(REGSAM access);

// A REG_DWORD value of 4 bytes into value; any other value (missing, wrong type or size) leaves
// value as it was. True when it was read.
bool read_pref_dword(HKEY key, const char* name, int* value);

// What start-up reads: the three bars' flags (1 when missing), "WndTransparency" into
// g_wnd_transparency (1 when missing) and the "WindowPos" record when exactly 68 bytes.
StoredLayout read_startup_preferences();

// Start-up's choice of positions for the screen, with a stored rectangle or corner that lies
// off every screen replaced by its default.
WindowLayout startup_window_layout(const StoredLayout& stored, int screen_width, int screen_height);

// The six values the first show of the main window applies, with their presets.
struct FirstShowPreferences {
  int tool_palette = 1;
  int animation_bar = 0;
  int settings_bar = 1;
  int smoothing = 1;
  int border_repeat = 1;
  int color_separation = 0;
};
FirstShowPreferences read_first_show_preferences();

// The record that exit stores: the main window's normal rectangle, each open tool window's
// rectangle (zeros for a closed one) and the screen area.
WindowPosRecord current_window_pos_record();

// Exit's write: seven DWORD values and "WindowPos", creating the key when it is missing.
// False when the key could not be opened or created.
bool write_preferences();
