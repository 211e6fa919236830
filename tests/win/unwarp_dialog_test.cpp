// The un-warp dialog on a real main window: opened by command, set by its up-downs, fed the
// clicks the main window forwards, building the field and giving back menus and tool windows.
#include <gtest/gtest.h>
#include <windows.h>
// After windows.h, whose types it needs.
#include <commctrl.h>

#include <memory>

#include "editor/engine_host_win32.h"
#include "editor/message_box.h"
#include "editor/resources/resource.h"
#include "editor/startup.h"
#include "editor/tool_windows.h"
#include "editor/unwarp_dialog.h"
#include "editor/window.h"
#include "engine/edit_state.h"
#include "engine/field.h"
#include "engine/render_driver.h"
#include "engine/unwarp_grid.h"

namespace {

int WINAPI answer_ok(HWND, LPCSTR, LPCSTR, UINT) { return IDOK; }

int top_menus_grayed() {
  int n = 0;
  for (int pos = 0; pos < 6; ++pos) n += (GetMenuState(GetMenu(g_main_hwnd), pos, MF_BYPOSITION) & MF_GRAYED) != 0;
  return n;
}

void expect_closed(int line) {
  EXPECT_TRUE(!g_unwarp_dialog && !g_unwarp_active && top_menus_grayed() == 0) << line;
  EXPECT_TRUE(IsWindowVisible(g_settings_bar) && IsWindowEnabled(g_settings_bar)) << line;
}

TEST(UnwarpDialog, PicksNodesBuildsTheFieldAndGivesBackTheWindow) {
  set_engine_host(&win32_engine_host());
  g_instance = GetModuleHandleA(nullptr);
  g_message_box = answer_ok;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WndProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.lpszMenuName = MAKEINTRESOURCEA(IDR_MAIN_MENU);
  wc.lpszClassName = "qx_test_unwarp_main";
  RegisterClassA(&wc);
  auto win = std::make_unique<MainWindow>();
  // Larger than the 432 x 432 start image, which is centred with a margin.
  CreateWindowExA(0, wc.lpszClassName, "t", WS_OVERLAPPEDWINDOW, 0, 0, 640, 560, nullptr, nullptr, g_instance,
                  win.get());
  SendMessageA(g_main_hwnd, WM_PAINT, 0, 0);  // the scroll positions go negative
  SendMessageA(g_main_hwnd, WM_COMMAND, CMD_SETTINGS_BAR, 0);
  ShowWindow(g_settings_bar, SW_SHOW);
  SendMessageA(g_main_hwnd, WM_COMMAND, TOOL_CMD_BASE + TOOL_GROW, 0);
  auto click = [&](UINT message, int x, int y) {  // at image point (x, y)
    SendMessageA(g_main_hwnd, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : MK_RBUTTON,
                 MAKELPARAM(x - win->scroll_x, y - win->scroll_y));
  };

  // Opened once, over grayed menus and hidden tool windows; Escape through the loop leaves it open.
  for (int twice = 0; twice < 2; ++twice) SendMessageA(g_main_hwnd, WM_COMMAND, CMD_UNWARP_DIALOG, 0);
  ASSERT_NE(g_unwarp_dialog, nullptr);
  EXPECT_TRUE(g_unwarp_active && g_current_tool == TOOL_NONE && top_menus_grayed() == 6);
  for (int id = CMD_SETTINGS_BAR; id <= CMD_ANIMATION_BAR; ++id) SendMessageA(g_main_hwnd, WM_COMMAND, id, 0);
  EXPECT_TRUE(g_settings_bar_open && !g_tool_palette && !g_animation_bar);  // the toggles ignored meanwhile
  EXPECT_FALSE(IsWindowVisible(g_settings_bar) || IsWindowEnabled(g_settings_bar));
  EXPECT_EQ(SendDlgItemMessageA(g_unwarp_dialog, IDC_GRID_ORIGIN_Y, UDM_GETPOS32, 0, 0), 49);
  PostMessageA(GetDlgItem(g_unwarp_dialog, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
  PostQuitMessage(0);
  run_message_loop();
  EXPECT_NE(g_unwarp_dialog, nullptr);
  SendMessageA(g_unwarp_dialog, WM_COMMAND, IDCANCEL, 0);
  expect_closed(__LINE__);

  SendMessageA(g_main_hwnd, WM_COMMAND, CMD_UNWARP_DIALOG, 0);
  HWND nodes_x = GetDlgItem(g_unwarp_dialog, IDC_GRID_NODES_X);
  SendMessageA(g_unwarp_dialog, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 5), reinterpret_cast<LPARAM>(nodes_x));
  EXPECT_EQ(g_grid_ref_x[2][1], 216);  // 5 nodes: cells of 432 / 3 = 144 from 72; rows of 86 from 43
  click(WM_LBUTTONDOWN, -5, 100);      // in the margin: ignored
  click(WM_RBUTTONDOWN, 218, 45);      // selects node (2, 1)
  click(WM_LBUTTONDOWN, 226, 80);
  EXPECT_EQ(g_grid_sel_i * 10 + g_grid_sel_j, 22u);
  g_region_width = 0;
  SendMessageA(g_unwarp_dialog, WM_COMMAND, IDOK, 0);
  expect_closed(__LINE__);
  EXPECT_EQ(g_region_width, 432);  // the whole image rendered
  EXPECT_EQ(get_displacement(216, 43).dx + get_displacement(216, 43).dy, 10 + 37);
  EXPECT_FLOAT_EQ(get_displacement(144, 43).dx, 5);
  EXPECT_TRUE(g_project_modified && !(GetMenuState(GetMenu(g_main_hwnd), 205, MF_BYCOMMAND) & MF_GRAYED));

  DestroyWindow(g_main_hwnd);
  g_main_hwnd = g_settings_bar = nullptr;
  g_settings_bar_open = g_project_modified = 0;
  g_message_box = MessageBoxA;
  set_engine_host(nullptr);
}

}  // namespace
