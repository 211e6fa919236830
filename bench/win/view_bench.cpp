// Figures under Wine: the program's time from start to its first paint, and one full repaint
// of a 4000 x 3000 image at 300 percent in a 1280 x 1024 client. Prints figures, never fails.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "editor/engine_host_win32.h"
#include "editor/startup.h"
#include "editor/view_paint.h"
#include "editor/window.h"
#include "engine/field.h"
#include "engine/render_driver.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms_since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void time_program_start() {
  char path[MAX_PATH];
  std::string exe(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  exe = exe.substr(0, exe.find_last_of('\\'));
  exe = exe.substr(0, exe.find_last_of('\\') + 1) + "bin\\quandrelix.exe";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string line = "\"" + exe + "\"";
  const auto start = Clock::now();
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    std::printf("cannot start %s\n", exe.c_str());
    return;
  }
  HWND window = nullptr;
  while (!window && ms_since(start) < 60000) {
    window = FindWindowA(MAIN_WINDOW_CLASS, nullptr);
    if (!window) Sleep(1);
  }
  const double appeared = ms_since(start);
  // Idle after the first paint: the shown window's WM_PAINT has been handled.
  WaitForInputIdle(pi.hProcess, 60000);
  std::printf("start to main window: %.0f ms; start to first paint (input idle): %.0f ms\n", appeared, ms_since(start));
  PostMessageA(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 20000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
}

MainWindow* g_bench_window = nullptr;

LRESULT CALLBACK bench_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT && g_bench_window) {
    paint_view(*g_bench_window);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

void time_zoomed_repaint() {
  constexpr int W = 4000, H = 3000, CW = 1280, CH = 1024, REPEATS = 10;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = bench_proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "qx_view_bench";
  RegisterClassA(&wc);
  RECT r = {0, 0, CW, CH};
  const DWORD style = WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL;
  AdjustWindowRect(&r, style, FALSE);
  auto* win = new MainWindow();
  g_bench_window = win;
  g_main_hwnd = CreateWindowA(wc.lpszClassName, "bench", style | WS_VISIBLE, 0, 0, r.right - r.left, r.bottom - r.top,
                              nullptr, nullptr, wc.hInstance, nullptr);
  HDC screen = GetDC(g_main_hwnd);
  g_image_dc = CreateCompatibleDC(screen);
  HBITMAP image = CreateCompatibleBitmap(screen, W, H);
  ReleaseDC(g_main_hwnd, screen);
  SelectObject(g_image_dc, image);
  PatBlt(g_image_dc, 0, 0, W, H, WHITENESS);
  g_image_width = W;
  g_image_height = H;
  g_zoom_percent = 300;
  win->scroll_x = 3000;
  win->scroll_y = 2000;
  UpdateWindow(g_main_hwnd);
  const auto start = Clock::now();
  for (int i = 0; i < REPEATS; ++i) {
    InvalidateRect(g_main_hwnd, nullptr, FALSE);
    UpdateWindow(g_main_hwnd);
  }
  GdiFlush();
  std::printf("full repaint of %d x %d at 300%% in a %d x %d client: %.1f ms\n", W, H, CW, CH,
              ms_since(start) / REPEATS);
  DestroyWindow(g_main_hwnd);
  g_main_hwnd = nullptr;
  DeleteDC(g_image_dc);
  g_image_dc = nullptr;
  DeleteObject(image);
  delete win;
}

}  // namespace

int main() {
  time_program_start();
  time_zoomed_repaint();
  return 0;
}
