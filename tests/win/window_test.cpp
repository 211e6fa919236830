// Window classes and the window procedure that forwards every message to the object.
#include "editor/window.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "editor/startup.h"

namespace {

TEST(MainWindowObject, StartsAllZero) {
  auto* w = new MainWindow();
  EXPECT_EQ(w->drag_state, 0);
  EXPECT_EQ(w->wheel_accum, 0);
  EXPECT_EQ(w->first_show_pending, 0);
  EXPECT_EQ(w->scroll_x, 0);
  EXPECT_EQ(w->scroll_y, 0);
  EXPECT_EQ(w->scroll_max_x, 0);
  for (int r = 0; r < BRUSH_KERNEL_MAX; ++r)
    for (int k = 0; k < BRUSH_KERNEL_MAX; ++k) {
      ASSERT_EQ(w->kernel[r][k].dx, 0.0f);
      ASSERT_EQ(w->kernel[r][k].dy, 0.0f);
      ASSERT_EQ(w->profile[r][k], 0.0f);
    }
  EXPECT_EQ(w->settings_bar_dlgproc, nullptr);
  EXPECT_EQ(w->animation_bar_dlgproc, nullptr);
  delete w;
}

TEST(MainWindowObject, FieldsStandInTheirOrderAfterTheHandler) {
  MainWindow& w = main_window_object();
  auto* base = reinterpret_cast<char*>(&w);
  auto at = [base](const void* p) { return static_cast<const char*>(p) - base; };
  EXPECT_GE(at(&w.drag_state), static_cast<ptrdiff_t>(sizeof(void*)));  // after the vtable pointer
  EXPECT_LT(at(&w.drag_state), at(&w.wheel_accum));
  EXPECT_LT(at(&w.scroll_max_y), at(&w.kernel));
  EXPECT_LT(at(&w.kernel), at(&w.profile));
  EXPECT_LT(at(&w.profile), at(&w.settings_bar_dlgproc));
  EXPECT_LT(at(&w.settings_bar_dlgproc), at(&w.tool_palette_dlgproc));
  EXPECT_LT(at(&w.tool_palette_dlgproc), at(&w.animation_bar_dlgproc));
  EXPECT_GT(sizeof(MainWindow), 1100000u);
}

class RecordingWindow : public Window {
 public:
  std::vector<UINT> seen;
  LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override {
    seen.push_back(message);
    if (message == WM_USER) return 4242;
    return DefWindowProcA(g_main_hwnd, message, wparam, lparam);
  }
};

TEST(WindowProcedure, KeepsTheObjectInExtraBytesAndForwards) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WndProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "qx_test_forwarding";
  ASSERT_NE(RegisterClassA(&wc), 0);
  RecordingWindow object;
  HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "t", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                              wc.hInstance, &object);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, 0), reinterpret_cast<LONG_PTR>(&object));
  g_main_hwnd = hwnd;
  EXPECT_EQ(SendMessageA(hwnd, WM_USER, 0, 0), 4242);
  EXPECT_EQ(object.seen.back(), static_cast<UINT>(WM_USER));
  DestroyWindow(hwnd);
  g_main_hwnd = nullptr;
  UnregisterClassA(wc.lpszClassName, wc.hInstance);
}

}  // namespace
