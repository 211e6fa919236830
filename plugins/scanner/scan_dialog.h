// The scanner plug-in's exports behind the library's entry points, and the scan dialog.
#pragma once

#include <windows.h>

#include "plugins/scanner/scanner_plugin.h"

// The platform call behind every message box of the plug-in; tests put a recorder here.
using ScanMessageBoxFn = int(WINAPI*)(HWND owner, LPCSTR text, LPCSTR caption, UINT style);
extern ScanMessageBoxFn g_scan_message_box;

extern HINSTANCE g_module_instance;  // holds dialog 1
extern ScanResult g_scan_result;
extern HGLOBAL g_held_dib;
extern int g_reduction_factor;

int scanner_init();
int scanner_done();
ScanResult* scanner_acquire_image(HINSTANCE instance, HWND parent);

INT_PTR CALLBACK scan_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
