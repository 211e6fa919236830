// The un-warp dialog on a real main window: opening by command, the up-downs, clicks
// forwarded by the main window, the build and the restored menus and tool windows.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, whose types it needs.
#include <commctrl.h>

#include <cstring>
#include <memory>

#include "editor/engine_host_win32.h"
#include "editor/file_commands.h"
#include "editor/main_commands.h"
#include "editor/message_box.h"
#include "editor/resources/resource.h"
#include "editor/startup.h"
#include "editor/tool_windows.h"
#include "editor/unwarp_dialog.h"
#include "editor/window.h"
#include "engine/edit_state.h"
#include "engine/field.h"
#include "engine/field_commands.h"
#include "engine/render_driver.h"
#include "engine/unwarp_grid.h"

namespace {

int WINAPI answer_ok(HWND, LPCSTR, LPCSTR, UINT) { return IDOK; }

constexpr char TEST_CLASS[] = "qx_test_unwarp_main";

class UnwarpDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    set_engine_host(&win32_engine_host());
    g_instance = GetModuleHandleA(nullptr);
    g_message_box = answer_ok;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = g_instance;
    wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
    wc.lpszClassName = TEST_CLASS;
    RegisterClassA(&wc);
    win = std::make_unique<MainWindow>();
    // Larger than the 432 x 432 start image, so the image is centred with a margin.
    HWND hwnd = CreateWindowExA(0, TEST_CLASS, "t", WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL, 0, 0, 640, 560,
                                nullptr, nullptr, g_instance, win.get());
    ASSERT_EQ(hwnd, g_main_hwnd);
    SendMessageA(hwnd, WM_PAINT, 0, 0);  // centres the image: scroll positions go negative
    send(WM_COMMAND, CMD_SETTINGS_BAR);
    ASSERT_TRUE(g_settings_bar && g_settings_bar_open);
    ShowWindow(g_settings_bar, SW_SHOW);
    send(WM_COMMAND, TOOL_CMD_BASE + TOOL_GROW);
    ASSERT_EQ(g_current_tool, TOOL_GROW);
    reset_unwarp_grid();
  }

  void TearDown() override {
    if (g_unwarp_dialog) DestroyWindow(g_unwarp_dialog);
    if (g_main_hwnd && IsWindow(g_main_hwnd)) DestroyWindow(g_main_hwnd);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    g_main_hwnd = nullptr;
    g_settings_bar = nullptr;
    g_settings_bar_open = 0;
    g_project_modified = 0;
    g_current_tool = TOOL_NONE;
    g_tool_mode = TOOL_MODE_NONE;
    g_message_box = MessageBoxA;
    set_engine_host(nullptr);
  }

  static LRESULT send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return SendMessageA(g_main_hwnd, message, wparam, lparam);
  }
  static LRESULT to_dialog(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return SendMessageA(g_unwarp_dialog, message, wparam, lparam);
  }
  // The main window's client point that shows image point (x, y) at zoom 100.
  LPARAM client_point(int x, int y) const { return MAKELPARAM(x - win->scroll_x, y - win->scroll_y); }
  static int top_menus_grayed() {
    int n = 0;
    for (int pos = 0; pos < 6; ++pos) n += (GetMenuState(GetMenu(g_main_hwnd), pos, MF_BYPOSITION) & MF_GRAYED) != 0;
    return n;
  }
  static bool undo_enabled() { return !(GetMenuState(GetMenu(g_main_hwnd), CMD_UNDO, MF_BYCOMMAND) & MF_GRAYED); }
  static void expect_closed() {
    EXPECT_EQ(g_unwarp_dialog, nullptr);
    EXPECT_EQ(g_unwarp_active, 0);
    EXPECT_EQ(top_menus_grayed(), 0);
    EXPECT_TRUE(IsWindowVisible(g_settings_bar) && IsWindowEnabled(g_settings_bar));
  }

  std::unique_ptr<MainWindow> win;
};

TEST_F(UnwarpDialogTest, OpensOnceOverAGrayedMenuAndClosesAsItOpened) {
  send(WM_COMMAND, CMD_UNWARP_DIALOG);
  ASSERT_NE(g_unwarp_dialog, nullptr);
  HWND first = g_unwarp_dialog;
  send(WM_COMMAND, CMD_UNWARP_DIALOG);
  EXPECT_EQ(g_unwarp_dialog, first);
  EXPECT_EQ(g_unwarp_active, 1);
  EXPECT_EQ(g_current_tool + g_tool_mode, 0);
  EXPECT_EQ(top_menus_grayed(), 6);
  EXPECT_FALSE(IsWindowVisible(g_settings_bar) || IsWindowEnabled(g_settings_bar));
  const struct {
    int id;
    int pos;
  } positions[] = {{IDC_GRID_NODES_X, 7}, {IDC_GRID_ORIGIN_Y, 49}, {IDC_GRID_SPACING_Y, 0}};
  for (const auto& p : positions) EXPECT_EQ(SendDlgItemMessageA(first, p.id, UDM_GETPOS32, 0, 0), p.pos) << p.id;

  // Other commands reach the main window; Schließen ends the grid mode.
  to_dialog(WM_COMMAND, CMD_MASK_NEW);
  EXPECT_EQ(g_mask_exists, 1);
  to_dialog(WM_COMMAND, IDCANCEL);
  EXPECT_FALSE(IsWindow(first));
  expect_closed();

  // Opened again, the dialog closes by Escape through the message loop.
  send(WM_COMMAND, CMD_UNWARP_DIALOG);
  HWND close = GetDlgItem(g_unwarp_dialog, IDCANCEL);
  SetFocus(close);
  PostMessageA(close, WM_KEYDOWN, VK_ESCAPE, 0);
  PostQuitMessage(0);
  run_message_loop();
  expect_closed();
}

TEST_F(UnwarpDialogTest, UpDownsRebuildTheGridAndClicksPlaceTargets) {
  send(WM_COMMAND, CMD_UNWARP_DIALOG);
  HWND nodes_x = GetDlgItem(g_unwarp_dialog, IDC_GRID_NODES_X);
  to_dialog(WM_HSCROLL, MAKEWPARAM(SB_LINEUP, 5), reinterpret_cast<LPARAM>(nodes_x));  // ignored
  EXPECT_EQ(g_grid_nx, 7u);
  to_dialog(WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 5), reinterpret_cast<LPARAM>(nodes_x));
  EXPECT_EQ(g_grid_nx, 5u);
  EXPECT_EQ(g_grid_ref_x[1][1], 72);  // cells of 432 / 3 = 144, origin 50 %
  EXPECT_EQ(g_grid_ref_x[2][1], 216);

  ASSERT_LT(win->scroll_x, 0);  // a margin left of the image: a click there is ignored
  send(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-win->scroll_x - 5, 100 - win->scroll_y));
  EXPECT_EQ(g_grid_sel_j, 1u);
  send(WM_RBUTTONDOWN, MK_RBUTTON, client_point(218, 45));  // near node (2, 1) at (216, 43)
  EXPECT_EQ(g_grid_sel_i * 10 + g_grid_sel_j, 21u);
  send(WM_LBUTTONDOWN, MK_LBUTTON, client_point(226, 80));
  EXPECT_EQ(g_grid_target_x[2][1], 226);
  EXPECT_EQ(g_grid_target_y[2][1], 80);
  EXPECT_EQ(g_grid_sel_i * 10 + g_grid_sel_j, 22u);

  g_project_modified = 0;
  g_region_width = 0;
  to_dialog(WM_COMMAND, IDOK);
  expect_closed();
  EXPECT_EQ(g_region_width, 432);  // the whole image rendered
  EXPECT_TRUE(g_project_modified && undo_enabled());
  const int32_t ry = g_grid_ref_y[2][1];
  EXPECT_FLOAT_EQ(get_displacement(216, ry).dx, 10);
  EXPECT_FLOAT_EQ(get_displacement(216, ry).dy, static_cast<float>(80 - ry));
  EXPECT_FLOAT_EQ(get_displacement(144, ry).dx, 5);
  EXPECT_FLOAT_EQ(get_undo_displacement(216, ry).dx, 10);
}

}  // namespace
