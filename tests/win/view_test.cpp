// The view on a real window: painting at the zoom with frame and overlays, scrolling, mouse strokes, zoom.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "editor/engine_host_win32.h"
#include "editor/message_box.h"
#include "editor/mouse_input.h"
#include "editor/startup.h"
#include "editor/unwarp_dialog.h"
#include "editor/view_paint.h"
#include "editor/window.h"
#include "engine/brush_kernels.h"
#include "engine/field_commands.h"
#include "engine/render_driver.h"
#include "engine/strokes.h"
#include "engine/unwarp_grid.h"
#include "tests/engine/engine_fixture.h"

namespace {

constexpr COLORREF BACKGROUND = RGB(0, 128, 0), LIGHT = RGB(255, 255, 0), DARK = RGB(0, 0, 255);
constexpr int W = 60, H = 40;
MainWindow* g_view = nullptr;
std::pair<WPARAM, LPARAM> g_forwarded;

LRESULT CALLBACK view_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT && g_view) {
    paint_view(*g_view);
    return 0;
  }
  if (message == WM_USER) g_forwarded = {wparam, lparam};
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

int WINAPI answer_ok(HWND, LPCSTR, LPCSTR, UINT) { return IDOK; }

COLORREF picture_colour(int x, int y) { return RGB(40 + 3 * x, 30 + 4 * y, 200); }

class ViewOnWindow : public ::testing::Test {
 protected:
  // One window, picture and pen pair for the suite: Wine maps and unmaps a visible window slowly.
  static void SetUpTestSuite() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = view_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = background = CreateSolidBrush(BACKGROUND);
    wc.lpszClassName = "qx_test_view";
    RegisterClassA(&wc);
    HMENU bar = CreateMenu(), menu = CreatePopupMenu();
    for (int id : {CMD_UNDO, 112, 113, 114, 115, 116, 117, 118}) AppendMenuA(menu, MF_STRING, id, "item");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), "&Ansicht");
    view_hwnd = CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 260, 200, nullptr, bar,
                              wc.hInstance, nullptr);
    g_highlight_pen = CreatePen(PS_SOLID, 1, LIGHT);
    g_shadow_pen = CreatePen(PS_SOLID, 1, DARK);
    g_image_dc = CreateCompatibleDC(nullptr);
    picture = CreateCompatibleBitmap(GetDC(nullptr), W, H);
    SelectObject(g_image_dc, picture);
    for (int i = 0; i < W * H; ++i) SetPixel(g_image_dc, i % W, i / W, picture_colour(i % W, i / W));
  }
  static void TearDownTestSuite() {
    DestroyWindow(view_hwnd);
    UnregisterClassA("qx_test_view", GetModuleHandleA(nullptr));
    for (HGDIOBJ o : {HGDIOBJ(background), HGDIOBJ(g_highlight_pen), HGDIOBJ(g_shadow_pen), HGDIOBJ(picture),
                      HGDIOBJ(g_region_bitmap)})
      DeleteObject(o);
    DeleteDC(g_image_dc);
    DeleteDC(g_mem_dc);
    g_image_dc = g_mem_dc = nullptr;
    g_highlight_pen = g_shadow_pen = nullptr;
    g_region_bitmap = nullptr;
    g_region_width = g_region_height = 0;
  }

  void SetUp() override {
    reset_edit_state();
    set_engine_host(&win32_engine_host());
    g_message_box = answer_ok;
    g_main_hwnd = view_hwnd;
    g_view = win.get();
    SetWindowPos(g_main_hwnd, nullptr, 0, 0, 260, 200, SWP_NOZORDER | SWP_NOMOVE);
    paint();
    x0 = -win->scroll_x;
    y0 = -win->scroll_y;
  }
  void TearDown() override {
    ReleaseCapture();
    g_main_hwnd = nullptr;
    g_message_box = MessageBoxA;
    g_zoom_percent = 100;
    g_unwarp_active = 0;
    reset_edit_state();
    set_engine_host(nullptr);
  }

  static void paint() {
    InvalidateRect(g_main_hwnd, nullptr, TRUE);
    UpdateWindow(g_main_hwnd);
  }
  static COLORREF at(int x, int y) {
    HDC dc = GetDC(g_main_hwnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(g_main_hwnd, dc);
    return c;
  }
  bool inverted(int x, int y) { return at(x0 + x, y0 + y) == (picture_colour(x, y) ^ 0xFFFFFF); }
  static bool undo_enabled() { return !(GetMenuState(GetMenu(g_main_hwnd), CMD_UNDO, MF_BYCOMMAND) & MF_GRAYED); }

  static inline HWND view_hwnd = nullptr;
  static inline HBRUSH background = nullptr;
  static inline HBITMAP picture = nullptr;
  std::unique_ptr<MainWindow> win = std::make_unique<MainWindow>();
  TestImage image{W, H};
  int x0 = 0, y0 = 0;  // window point of image pixel (0, 0)
};

TEST_F(ViewOnWindow, SmallImageIsCentredFramedAndCrossed) {
  RECT rc;
  GetClientRect(g_main_hwnd, &rc);
  EXPECT_EQ(win->scroll_max_x, 0);
  EXPECT_EQ(x0, (rc.right - W) / 2);
  EXPECT_EQ(y0, (rc.bottom - H) / 2);
  const int L = x0 - 1, T = y0 - 1, R = x0 + W, B = y0 + H;
  struct Probe {
    int x, y;
    COLORREF want;
  } probes[] = {{x0, y0, picture_colour(0, 0)},
                {R - 1, B - 1, picture_colour(59, 39)},
                {L + 30, T, LIGHT},
                {L, T + 20, LIGHT},
                {L + 30, B, DARK},
                {R, T + 20, DARK},
                {L, T - 10, 0},
                {R - 10, B, 0},
                {L, T - 11, BACKGROUND},
                {L + 30, B + 1, BACKGROUND}};
  for (const Probe& p : probes) EXPECT_EQ(at(p.x, p.y), p.want) << p.x - L << "," << p.y - T;
}

TEST_F(ViewOnWindow, ZoomCommandStretchesTheImageAtTheScrollPosition) {
  for (int id : {117, 119, 118}) set_zoom(*win, id);  // 119 is no zoom command
  EXPECT_EQ(g_zoom_percent, 300);
  for (int k = 112; k <= 118; ++k) EXPECT_EQ((GetMenuState(GetMenu(g_main_hwnd), k, 0) & MF_CHECKED) != 0, k == 118);
  win->scroll_x = 30;
  win->scroll_y = 15;
  SetWindowPos(g_main_hwnd, nullptr, 0, 0, 130, 110, SWP_NOZORDER | SWP_NOMOVE);
  paint();
  EXPECT_EQ(win->scroll_x + win->scroll_y, 45);
  for (auto [x, y] : {std::pair{0, 0}, {5, 5}, {40, 20}})
    EXPECT_EQ(at(x, y), picture_colour((x + 30) / 3, (y + 15) / 3)) << x;
}

TEST_F(ViewOnWindow, OutlineAndRubberLineInvertPixels) {
  g_tool_mode = TOOL_MODE_BRUSH;
  g_brush_size = 21;  // radius 9
  win->cursor_x = 30;
  win->cursor_y = 20;
  paint();
  EXPECT_TRUE(inverted(30, 29) && inverted(21, 20) && !inverted(30, 20));
  win->drag_state = 1;  // no outline while a button is held
  paint();
  EXPECT_FALSE(inverted(30, 29));

  g_tool_mode = TOOL_MODE_REGION_DRAG;
  win->drag_state = 2;
  win->drag_x = 5;
  win->drag_y = 20;
  win->cursor_x = 500;  // beyond the image: cut at its border
  paint();
  EXPECT_TRUE(!inverted(4, 20) && inverted(5, 20) && inverted(59, 20));
}

TEST_F(ViewOnWindow, ScrollClampsAndInvalidatesUnlessTheStepIsZero) {
  struct Case {
    int code, from, to;
    bool repaint;
  } cases[] = {{0, 0, 0, true}, {3, 90, 100, true}, {8, 55, 55, false}};
  for (const Case& c : cases)
    for (auto scroll : {on_hscroll, on_vscroll}) {
      win->scroll_x = win->scroll_y = c.from;
      win->scroll_max_x = win->scroll_max_y = 100;
      win->wheel_accum = 77;
      ValidateRect(g_main_hwnd, nullptr);
      scroll(*win, c.code, 0);
      EXPECT_EQ(win->scroll_x + win->scroll_y, c.from + c.to) << c.code;
      EXPECT_EQ(GetUpdateRect(g_main_hwnd, nullptr, FALSE) != 0, c.repaint) << c.code;
      EXPECT_EQ(win->wheel_accum, 0);
    }
  // A thumb beyond 16 bits: the bar's 32-bit track position completes the message's word.
  SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_POS, 0, 200000, 0, 100000, 0};
  SetScrollInfo(g_main_hwnd, SB_HORZ, &si, FALSE);
  win->scroll_max_x = 150000;
  on_hscroll(*win, SB_THUMBTRACK, 100000 & 0xffff);
  EXPECT_EQ(win->scroll_x, 100000);
}

TEST_F(ViewOnWindow, ButtonDownActsByToolMode) {
  struct Case {
    int tool, state;
    bool field_changed, undo_cleared, undo_on, timer;
  } cases[] = {{TOOL_NONE, 0, false, false, false, false}, {TOOL_GROW, 1, true, true, true, true},
               {TOOL_DRAG, 2, false, true, true, true},    {TOOL_REGION_DRAG, 2, false, false, false, false},
               {TOOL_FLATTEN, 1, false, true, true, true}, {TOOL_MASK, 1, false, true, false, true}};
  for (const Case& c : cases) {
    if (c.tool) select_tool(*win, c.tool);
    EnableMenuItem(GetMenu(g_main_hwnd), CMD_UNDO, MF_BYCOMMAND | MF_GRAYED);
    clear_field(g_current_field);
    image.undo(59, 39) = {7, 7};  // far from the brush at (10, 10)
    on_button_down(*win, x0 + 10, y0 + 10, MK_LBUTTON);
    EXPECT_EQ(win->drag_state, c.state) << c.tool;
    EXPECT_EQ(image.pair(15, 10).dx != 0, c.field_changed) << c.tool;
    EXPECT_EQ(image.undo(59, 39).dx == 0, c.undo_cleared) << c.tool;
    EXPECT_EQ(undo_enabled(), c.undo_on) << c.tool;
    EXPECT_EQ(KillTimer(g_main_hwnd, STROKE_TIMER_ID) != 0, c.timer) << c.tool;
    EXPECT_EQ(GetCapture(), g_main_hwnd) << c.tool;
    on_button_up(*win, x0 + 10, y0 + 10);
    EXPECT_EQ(win->drag_state + (GetCapture() != nullptr), 0) << c.tool;
    if (c.tool) select_tool(*win, c.tool);  // switches it off
  }
}

TEST_F(ViewOnWindow, RegionDragActsAtButtonUpAndMovesEndStuckStrokes) {
  select_tool(*win, TOOL_REGION_DRAG);
  on_button_down(*win, x0 + 20, y0 + 20, MK_LBUTTON);
  on_mouse_move(*win, x0 + 35, y0 + 20, MK_LBUTTON);
  EXPECT_EQ(image.pair(35, 20).dx, 0.0f);
  on_button_up(*win, x0 + 30, y0 + 20);
  EXPECT_EQ(image.pair(30, 20).dx, -10.0f);

  select_tool(*win, TOOL_GROW);
  win->drag_state = 1;
  on_mouse_move(*win, x0 + 3, y0 + 4, 0);
  EXPECT_EQ(win->drag_state, 0);
  EXPECT_EQ(win->cursor_x * 100 + win->cursor_y, 304);
}

TEST_F(ViewOnWindow, UnwarpDialogGetsTheClickUncaptured) {
  g_unwarp_dialog = g_main_hwnd;  // records WM_USER
  g_unwarp_active = 1;
  select_tool(*win, TOOL_GROW);
  win->scroll_x = -40;
  win->scroll_y = 0;
  on_button_down(*win, 10, 7, MK_RBUTTON);
  EXPECT_EQ(g_forwarded, std::make_pair(WPARAM{MK_RBUTTON}, LPARAM{MAKELPARAM(static_cast<WORD>(-30), 7)}));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(g_mouse_keys + win->drag_state, 0);
  g_unwarp_dialog = nullptr;
}

}  // namespace
