// Process-wide state of the program's entry and frame.
#pragma once

#include <windows.h>

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

constexpr char MAIN_WINDOW_CLASS[] = "drelloq_v23_awnd";

extern HINSTANCE g_instance;
extern int g_show_cmd;
extern HWND g_main_hwnd;                                  // null until window creation has returned
extern SetLayeredWindowAttributesFn g_set_layered_attrs;  // null where the system lacks it
extern int g_wnd_transparency;                            // view option "Fenster &transparent darstellen"

// The main window procedure: keeps the MainWindow object in the window's extra
// bytes from WM_NCCREATE on and forwards every message to it.
LRESULT CALLBACK main_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

int win_main(HINSTANCE instance, int show_cmd);
