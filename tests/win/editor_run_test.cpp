// The real program end to end: started on its start image, a tool chosen, a stroke painted
// with mouse input, the view changed where the stroke went and nowhere else, then closed.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/edit_state.h"
#include "tests/win/preferences_key.h"
#include "tests/win/program_process.h"

namespace {

struct Capture {
  int w = 0, h = 0;
  std::vector<uint32_t> pixels;
};

// The window's client area as the screen shows it.
Capture capture_client(HWND window) {
  Capture c;
  RECT r;
  GetClientRect(window, &r);
  c.w = r.right;
  c.h = r.bottom;
  c.pixels.assign(static_cast<size_t>(c.w) * c.h, 0);
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), c.w, -c.h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HDC screen = GetDC(window);
  HDC mem = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, dib);
  BitBlt(mem, 0, 0, c.w, c.h, screen, 0, 0, SRCCOPY);
  GdiFlush();
  std::memcpy(c.pixels.data(), bits, c.pixels.size() * 4);
  SelectObject(mem, old);
  DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(window, screen);
  return c;
}

// Captures until three in a row agree: the program has finished painting and laying out.
Capture settled_capture(HWND window) {
  Capture last = capture_client(window);
  for (int i = 0, same = 0; i < 50 && same < 2; ++i) {
    Sleep(200);
    Capture now = capture_client(window);
    same = now.w == last.w && now.pixels == last.pixels ? same + 1 : 0;
    last = now;
  }
  return last;
}

BOOL CALLBACK press_no_in_box(HWND w, LPARAM answered) {
  char cls[16];
  GetClassNameA(w, cls, sizeof cls);
  if (std::string(cls) == "#32770") {
    PostMessageA(w, WM_COMMAND, IDNO, 0);
    *reinterpret_cast<bool*>(answered) = true;
  }
  return TRUE;
}

TEST(EditorRun, StrokeChangesTheViewOnlyUnderTheBrush) {
  PreferencesKey key(true);  // no tool window over the view
  const DWORD closed = 0;
  for (const char* name : {"Toolbar", "Prefsbar", "Videobar"}) key.set(name, REG_DWORD, &closed, sizeof closed);
  PROCESS_INFORMATION program = start_program("");
  const EndsProgram ends{program};
  HWND window = wait_for_main_window(program);
  ASSERT_NE(window, nullptr);
  const Capture before = settled_capture(window);
  ASSERT_GT(before.w, 300);
  ASSERT_GT(before.h, 300);

  const int x = 180, y = 170;
  const LPARAM at = MAKELPARAM(x, y);
  PostMessageA(window, WM_COMMAND, TOOL_CMD_BASE + TOOL_GROW, 0);
  PostMessageA(window, WM_MOUSEMOVE, 0, at);
  PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  Sleep(350);  // a few stroke timer ticks
  PostMessageA(window, WM_LBUTTONUP, 0, at);
  const Capture after = settled_capture(window);
  ASSERT_EQ(after.w, before.w);

  // Brush size 101 at 100 percent: the kernel square and the outline around the pointer.
  const int reach = 101 / 2 + 2;
  int changed = 0, outside = 0;
  for (int py = 0; py < after.h; ++py)
    for (int px = 0; px < after.w; ++px) {
      const size_t i = static_cast<size_t>(py) * after.w + px;
      if (before.pixels[i] == after.pixels[i]) continue;
      ++changed;
      if (std::abs(px - x) > reach || std::abs(py - y) > reach) ++outside;
    }
  EXPECT_GT(changed, 500);
  EXPECT_EQ(outside, 0);

  // The stroke modified the project: closing asks to save; No closes with exit code 0.
  PostMessageA(window, WM_CLOSE, 0, 0);
  bool answered = false;
  for (int i = 0; i < 100 && !answered; ++i) {
    Sleep(100);
    EnumThreadWindows(program.dwThreadId, press_no_in_box, reinterpret_cast<LPARAM>(&answered));
  }
  EXPECT_TRUE(answered);
  EXPECT_EQ(exit_code(program), 0u);
}

}  // namespace
