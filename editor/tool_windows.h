// The three modeless tool windows (null while closed).
#pragma once

#include <windows.h>

extern HWND g_settings_bar;
extern HWND g_tool_palette;
extern HWND g_animation_bar;
