// Tool window handles.
#include "editor/tool_windows.h"

HWND g_settings_bar = nullptr;
HWND g_tool_palette = nullptr;
HWND g_animation_bar = nullptr;
