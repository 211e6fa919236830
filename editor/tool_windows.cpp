// Tool window handles, open flags and saved positions.
#include "editor/tool_windows.h"

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
