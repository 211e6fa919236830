// Tool selection and the stroke timer against a real window: menu items grayed and enabled, timer 333 killed.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "editor/engine_host_win32.h"
#include "editor/message_box.h"
#include "editor/startup.h"
#include "engine/brush_kernels.h"
#include "engine/edit_state.h"
#include "engine/field.h"
#include "engine/render_band.h"
#include "engine/strokes.h"
#include "tests/engine/engine_fixture.h"

namespace {

std::vector<UINT> g_box_styles;

int WINAPI record_box(HWND, LPCSTR, LPCSTR, UINT style) {
  g_box_styles.push_back(style);
  return IDOK;
}

class BrushMenu : public ::testing::Test {
 protected:
  static constexpr int W = 32, H = 24;

  void SetUp() override {
    image = std::make_unique<TestImage>(W, H);

    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "qx_test_brush_menu";
    RegisterClassA(&wc);
    HMENU bar = CreateMenu();
    HMENU file = CreatePopupMenu(), mask_menu = CreatePopupMenu();
    for (UINT id : {109u, 202u, 107u, 104u, 203u}) AppendMenuA(file, MF_STRING, id, "item");
    for (UINT id : {280u, 282u, 283u}) AppendMenuA(mask_menu, MF_STRING | MF_GRAYED, id, "mask item");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&Datei");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(mask_menu), "&Maske");
    g_main_hwnd = CreateWindowA("qx_test_brush_menu", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr, bar,
                                wc.hInstance, nullptr);
    ASSERT_NE(g_main_hwnd, nullptr);
    set_engine_host(&win32_engine_host());
    g_message_box = record_box;
    g_box_styles.clear();
    reset_edit_state();
    g_brush_size = 21;
  }

  void TearDown() override {
    set_engine_host(nullptr);
    g_message_box = MessageBoxA;
    DestroyWindow(g_main_hwnd);
    g_main_hwnd = nullptr;
    if (g_mem_dc) DeleteDC(g_mem_dc);
    if (g_region_bitmap) DeleteObject(g_region_bitmap);
    g_mem_dc = nullptr;
    g_region_bitmap = nullptr;
    reset_edit_state();
    image.reset();
  }

  static UINT state(UINT id) { return GetMenuState(GetMenu(g_main_hwnd), id, MF_BYCOMMAND); }

  std::unique_ptr<MainWindowState> win = std::make_unique<MainWindowState>();
  std::unique_ptr<TestImage> image;
};

TEST_F(BrushMenu, MaskToolGraysTheExportItemsAndEnablesTheMaskItems) {
  select_tool_mask(*win);
  for (UINT id : {109u, 202u, 107u, 104u, 203u}) EXPECT_TRUE(state(id) & MF_GRAYED) << id;
  for (UINT id : {280u, 282u, 283u}) EXPECT_FALSE(state(id) & MF_GRAYED) << id;
  EXPECT_TRUE(state(280) & MF_CHECKED);
  ASSERT_EQ(g_box_styles.size(), 1u);
  EXPECT_EQ(g_box_styles[0], static_cast<UINT>(MB_ICONINFORMATION | MB_OK));

  select_tool_grow(*win);  // another tool hides the overlay and gives the items back
  for (UINT id : {109u, 202u, 107u, 104u, 203u}) EXPECT_FALSE(state(id) & MF_GRAYED) << id;
  EXPECT_EQ(g_mask_shown, 0);
  EXPECT_EQ(g_box_styles.size(), 1u);
}

TEST_F(BrushMenu, IdleTickKillsTheStrokeTimer) {
  ASSERT_NE(SetTimer(g_main_hwnd, STROKE_TIMER_ID, STROKE_TIMER_PERIOD_MS, nullptr), 0u);
  win->drag_state = 0;
  on_stroke_timer(*win);
  EXPECT_FALSE(KillTimer(g_main_hwnd, STROKE_TIMER_ID));  // already gone
}

}  // namespace
