// The main window object and its message handler.
#include "editor/startup.h"
#include "editor/window.h"

MainWindow& main_window_object() {
  static MainWindow instance;
  return instance;
}

LRESULT MainWindow::handle_message(UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(g_main_hwnd, message, wparam, lparam);
}
