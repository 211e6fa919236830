// A real main window in the test process: the program's window procedure and menu 1, a
// MainWindow object, and the workspace that its creation sets up on the start image.
#pragma once

#include <windows.h>

#include "editor/startup.h"
#include "editor/window.h"

// Creates the window for object (g_main_hwnd is set from its first message on); null on failure.
inline HWND create_test_main_window(MainWindow* object, int w = 300, int h = 200, DWORD style = WS_OVERLAPPEDWINDOW) {
  g_instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WndProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = g_instance;
  wc.lpszMenuName = MAKEINTRESOURCEA(1);
  wc.lpszClassName = "qx_test_main_window";
  RegisterClassA(&wc);  // the first call registers; later ones fail harmlessly
  return CreateWindowExA(0, wc.lpszClassName, "t", style, 0, 0, w, h, nullptr, nullptr, g_instance, object);
}

// Destroys the window (its workspace goes with it) and drops what is left in the queue, among
// it the quit message that the teardown posts.
inline void destroy_test_main_window() {
  if (g_main_hwnd && IsWindow(g_main_hwnd)) DestroyWindow(g_main_hwnd);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  g_main_hwnd = nullptr;
}
