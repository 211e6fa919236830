// Program entry and frame: window class, main window creation, message loop.
#include "editor/startup.h"

#include "editor/engine_host_win32.h"
#include "editor/window.h"
#include "engine/field.h"

HINSTANCE g_instance = nullptr;
int g_show_cmd = SW_SHOWNORMAL;
HWND g_main_hwnd = nullptr;
SetLayeredWindowAttributesFn g_set_layered_attrs = nullptr;
int g_wnd_transparency = 1;

LRESULT CALLBACK main_window_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* window = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, 0));
  if (message == WM_NCCREATE) {
    window = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(window));
  }
  if (!window) return DefWindowProcA(hwnd, message, wparam, lparam);
  // Messages that arrive during CreateWindow, before g_main_hwnd is known.
  if (!g_main_hwnd) return DefWindowProcA(hwnd, message, wparam, lparam);
  return window->handle_message(message, wparam, lparam);
}

int win_main(HINSTANCE instance, int show_cmd) {
  g_instance = instance;
  g_show_cmd = show_cmd;
  if (HWND other = FindWindowA(MAIN_WINDOW_CLASS, nullptr)) {
    SetForegroundWindow(other);
    return 0;
  }
  set_engine_host(&win32_engine_host());
  g_cpu_count = count_processors();
  if (HMODULE user = GetModuleHandleA("user32.dll")) {
    g_set_layered_attrs = reinterpret_cast<SetLayeredWindowAttributesFn>(
        reinterpret_cast<void*>(GetProcAddress(user, "SetLayeredWindowAttributes")));
  }

  WNDCLASSA wc = {};
  wc.lpfnWndProc = main_window_proc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, "ICON_1");
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
  wc.lpszClassName = MAIN_WINDOW_CLASS;
  if (!RegisterClassA(&wc)) return 1;

  MainWindow& object = main_window_object();
  HWND hwnd = CreateWindowExA(0, MAIN_WINDOW_CLASS, "Quandrelix", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              800, 600, nullptr, nullptr, instance, &object);
  if (!hwnd) return 1;
  g_main_hwnd = hwnd;
  object.first_show_pending = 1;
  ShowWindow(hwnd, show_cmd);
  UpdateWindow(hwnd);

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}
