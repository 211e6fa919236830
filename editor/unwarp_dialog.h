// The modeless un-warp dialog over the main window.
#pragma once

#include <windows.h>

extern HWND g_unwarp_dialog;  // null while the dialog is closed

class MainWindow;

// Command 207.
void open_unwarp_dialog(MainWindow& win);
