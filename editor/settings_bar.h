// The settings bar: brush size slider, strength radio buttons and the current tool's name.
#pragma once

#include <windows.h>

// The current tool's short name into the status bar, size and strength groups enabled by the tool.
void update_settings_bar_for_tool(HWND bar);
