// The whole-field commands on real GDI: thumbnail cells from memory DCs, Undo's state in a
// real menu, remove showing the source, and fix restarting the key frames.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <vector>

#include "editor/core/frame_slots.h"
#include "editor/engine_host_win32.h"
#include "editor/message_box.h"
#include "editor/startup.h"
#include "editor/thumbnail_strip.h"
#include "editor/tool_windows.h"
#include "engine/edit_state.h"
#include "engine/field.h"
#include "engine/field_commands.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"
#include "tests/win/test_picture.h"

namespace {

int WINAPI answer_ok(HWND, LPCSTR, LPCSTR, UINT) { return IDOK; }
int WINAPI fail_box(HWND, LPCSTR, LPCSTR, UINT) { return 0; }

class CommandsOnGdi : public ::testing::Test {
 protected:
  static constexpr int W = 112, H = 100;  // reduced by exactly 2 into a 56 x 50 cell

  void SetUp() override {
    set_engine_host(&win32_engine_host());
    g_image_width = W;
    g_image_height = H;
    source.assign(W * H * 4 + 100, 0);
    render.assign(W * H * 4 + 100, 0);
    undo.assign(field_bytes(W, H) / sizeof(DisplacementPair) + 1, {0, 0});
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x) set_source(x, y, x < W / 2 ? RGB(255, 0, 0) : RGB(0, 0, 255));
    g_source_pixels = source.data();
    g_render_pixels = render.data();
    g_undo_field = undo.data();
    g_smoothing = g_border_repeat = 1;
    ASSERT_TRUE(reset_frame_slots());

    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "qx_test_commands";
    RegisterClassA(&wc);
    HMENU bar = CreateMenu(), edit = CreatePopupMenu();
    AppendMenuA(edit, MF_STRING | MF_GRAYED, CMD_UNDO, "&R\374ckg\344ngig");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Bearbeiten");
    g_main_hwnd =
        CreateWindowA(wc.lpszClassName, "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 150, nullptr, bar, wc.hInstance, nullptr);
    ASSERT_NE(g_main_hwnd, nullptr);

    picture.make(*win, W, H);
    g_message_box = answer_ok;
  }

  void TearDown() override {
    g_message_box = MessageBoxA;
    free_frame_slots();
    picture.release();
    DestroyWindow(g_main_hwnd);
    g_main_hwnd = nullptr;
    g_animation_bar = nullptr;
    g_undo_field = nullptr;
    g_source_pixels = g_render_pixels = nullptr;
    g_project_modified = 0;
    set_engine_host(nullptr);
  }

  void set_source(int x, int y, COLORREF c) {
    uint8_t* p = &source[4 * (y * W + x)];
    p[0] = GetBValue(c);
    p[1] = GetGValue(c);
    p[2] = GetRValue(c);
  }
  COLORREF picture_at(int x, int y) {
    GdiFlush();
    const uint8_t* p = picture.bits + 4 * (y * W + x);
    return RGB(p[2], p[1], p[0]);
  }
  // Pixel (x, y) of the strip, read back through a DIB.
  COLORREF strip_at(int x, int y) {
    std::vector<uint32_t> bits(THUMB_STRIP_W * THUMB_STRIP_H);
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), THUMB_STRIP_W, -THUMB_STRIP_H, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC dc = GetDC(nullptr);
    EXPECT_EQ(GetDIBits(dc, g_thumb_strip, 0, THUMB_STRIP_H, bits.data(), &bi, DIB_RGB_COLORS), THUMB_STRIP_H);
    ReleaseDC(nullptr, dc);
    const uint32_t v = bits[y * THUMB_STRIP_W + x];
    return RGB((v >> 16) & 0xff, (v >> 8) & 0xff, v & 0xff);
  }
  static bool undo_enabled() {
    return !(GetMenuState(GetMenu(g_main_hwnd), CMD_UNDO, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
  }
  void blacken_picture() { PatBlt(g_image_dc, 0, 0, W, H, BLACKNESS); }

  std::unique_ptr<MainWindowState> win = std::make_unique<MainWindowState>();
  std::vector<uint8_t> source, render;
  std::vector<DisplacementPair> undo;
  TestPicture picture;
};

TEST_F(CommandsOnGdi, TheCurrentCellShowsThePictureReducedAndNothingElseChanges) {
  blacken_picture();
  for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) draw_thumbnail(k);
  render_region(*win, 0, 0, W, H, 0);
  g_current_frame = 3;
  refresh_current_thumbnail();
  EXPECT_EQ(GetCurrentObject(g_mem_dc, OBJ_BITMAP), g_region_bitmap);
  const int x3 = thumb_cell_x(3);
  EXPECT_EQ(x3, 112);
  EXPECT_EQ(strip_at(x3 + 5, 25), RGB(255, 0, 0));
  EXPECT_EQ(strip_at(x3 + 27, 49), RGB(255, 0, 0));
  EXPECT_EQ(strip_at(x3 + 28, 0), RGB(0, 0, 255));
  EXPECT_EQ(strip_at(x3 + 55, 49), RGB(0, 0, 255));
  EXPECT_EQ(strip_at(x3 - 1, 25), RGB(0, 0, 0));  // cells 2 and 4 keep their pictures
  EXPECT_EQ(strip_at(x3 + 56, 25), RGB(0, 0, 0));
}

TEST_F(CommandsOnGdi, RefreshInvalidatesTheAnimationBarOnlyWhenItIsOpen) {
  refresh_current_thumbnail();  // closed bar: just the cell
  EXPECT_EQ(strip_at(thumb_cell_x(2) + 1, 1), RGB(255, 0, 0));
  HWND bar = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 60, 40, nullptr, nullptr, nullptr, nullptr);
  ShowWindow(bar, SW_SHOWNA);  // hidden windows keep no update region
  g_animation_bar = bar;
  ValidateRect(bar, nullptr);
  RECT r;
  EXPECT_FALSE(GetUpdateRect(bar, &r, FALSE));
  refresh_current_thumbnail();
  EXPECT_TRUE(GetUpdateRect(bar, &r, FALSE));
  DestroyWindow(bar);
}

TEST_F(CommandsOnGdi, UndoItemFollowsTheCommandsInARealMenu) {
  EXPECT_FALSE(undo_enabled());
  invert_distortions(*win);
  EXPECT_TRUE(undo_enabled());
  undo_last_change(*win);  // undo keeps the item as it is
  EXPECT_TRUE(undo_enabled());
  frame_slot(3).field = allocate_field_block();
  EXPECT_TRUE(select_frame(3));  // the delta belonged to the other field
  EXPECT_FALSE(undo_enabled());
  undo_last_change(*win);
  EXPECT_FALSE(undo_enabled());
  remove_distortions(*win);
  EXPECT_TRUE(undo_enabled());
  fix_distortions(*win);
  EXPECT_FALSE(undo_enabled());
}

TEST_F(CommandsOnGdi, RemoveShowsTheSourceWithoutRendering) {
  for (int i = 0; i < W * H; ++i) g_current_field[i] = {30.0f, 0.0f};
  render_region(*win, 0, 0, W, H, 0);
  refresh_current_thumbnail();
  EXPECT_EQ(picture_at(40, 10), RGB(0, 0, 255));  // the distorted picture
  EXPECT_EQ(strip_at(thumb_cell_x(2) + 20, 5), RGB(0, 0, 255));
  remove_distortions(*win);
  for (int y = 0; y < H; y += 9)
    for (int x = 0; x < W; x += 7) ASSERT_EQ(picture_at(x, y), x < W / 2 ? RGB(255, 0, 0) : RGB(0, 0, 255));
  EXPECT_EQ(strip_at(thumb_cell_x(2) + 20, 5), RGB(255, 0, 0));
}

TEST_F(CommandsOnGdi, FixBakesTheRenderingAndRestartsTheKeyFrames) {
  for (int i = 0; i < W * H; ++i) g_current_field[i] = {30.0f, 0.0f};
  for (int k = 3; k <= 5; ++k) frame_slot(k).field = allocate_field_block();
  ASSERT_TRUE(select_frame(4));
  for (int i = 0; i < W * H; ++i) g_current_field[i] = {30.0f, 0.0f};
  render_region(*win, 10, 10, 20, 20, 0);  // the buffer holds only a small square
  fix_distortions(*win);
  EXPECT_EQ(source[4 * (10 * W + 40) + 0], 255);  // (40, 10) was red and showed blue
  EXPECT_EQ(source[4 * (10 * W + 40) + 2], 0);
  EXPECT_EQ(filled_slot_count(), 2);
  EXPECT_EQ(g_current_frame, 2);
  EXPECT_EQ(g_current_field, frame_slot(2).field);
  EXPECT_STREQ(frame_slot(5).frames_text, "0");
  EXPECT_EQ(strip_at(thumb_cell_x(1) + 20, 5), RGB(0, 0, 255));
  EXPECT_EQ(strip_at(thumb_cell_x(2) + 20, 5), RGB(0, 0, 255));
  EXPECT_EQ(strip_at(thumb_cell_x(2) + 5, 5), RGB(255, 0, 0));
  EXPECT_EQ(g_project_modified, 1);
}

TEST_F(CommandsOnGdi, FixAskedInABoxThatFailsChangesNothing) {
  for (int i = 0; i < W * H; ++i) g_current_field[i] = {30.0f, 0.0f};
  const std::vector<uint8_t> before = source;
  g_message_box = fail_box;
  fix_distortions(*win);
  EXPECT_EQ(source, before);
  EXPECT_EQ(g_current_field[W + 1].dx, 30.0f);
  EXPECT_EQ(g_project_modified, 0);
}

}  // namespace
