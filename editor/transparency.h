// Tool window translucency through the layered-window call, when the system has it.
#pragma once

#include <windows.h>

// Alpha for an opacity in percent: integer, truncated (50 -> 127, 90 -> 229).
BYTE transparency_alpha(int percent);

void enable_transparency(HWND window, int percent);
void disable_transparency(HWND window);
