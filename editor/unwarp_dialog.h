// The modeless un-warp dialog over the main window.
#pragma once

#include <windows.h>

extern HWND g_unwarp_dialog;  // null while the dialog is closed

class MainWindow;

// Command 207: opens the dialog unless it is open already.
void open_unwarp_dialog(MainWindow& win);
// The dialog's procedure. WM_USER takes a point of the image: wParam the button flags
// (1 left, 2 right), lParam x in the low word and y in the high word.
INT_PTR CALLBACK unwarp_grid_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
