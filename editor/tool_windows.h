// The three modeless tool windows (settings bar, tool palette, animation bar) and the view toggles.
#pragma once

#include <windows.h>

class MainWindow;

constexpr int BAR_ALPHA_INACTIVE = 50;  // percent opacity of a tool window the mouse is not over
constexpr int BAR_ALPHA_ACTIVE = 90;

// Handles: null while the window does not exist.
extern HWND g_settings_bar;
extern HWND g_tool_palette;
extern HWND g_animation_bar;
// 1 while the window is open; what the preferences store at exit.
extern int g_settings_bar_open;
extern int g_tool_palette_open;
extern int g_animation_bar_open;
// Screen position (left, top) each window takes when it opens; set at start-up, kept at closing.
extern POINT g_settings_bar_pos;
extern POINT g_tool_palette_pos;
extern POINT g_animation_bar_pos;
// The tool window drawn at BAR_ALPHA_ACTIVE, or null.
extern HWND g_active_tool_window;

// Commands 290, 291, 292: open the window when closed, close it when open.
void toggle_settings_bar(MainWindow& win);
void toggle_tool_palette(MainWindow& win);
void toggle_animation_bar(MainWindow& win);
// Commands 225, 227, 229, 231: the view options with their menu checks and re-renders.
void toggle_window_transparency();
void toggle_smoothing(MainWindow& win);
void toggle_border_repeat(MainWindow& win);
void toggle_color_separation(MainWindow& win);

// The dialog procedures that the main window object holds.
INT_PTR CALLBACK settings_bar_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK tool_palette_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK animation_bar_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
