// The tool windows against a stand-in main window: toggles and saved places, opacity, view
// options, palette and settings bar following the tool, the animation bar and its slot commands.
#include <gtest/gtest.h>
#include <windows.h>
// The common controls' header needs the types of windows.h first.
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "editor/animation_bar.h"
#include "editor/core/animation_bar_layout.h"
#include "editor/core/frame_slots.h"
#include "editor/engine_host_win32.h"
#include "editor/message_box.h"
#include "editor/resources/resource.h"
#include "editor/settings_bar.h"
#include "editor/slot_commands.h"
#include "editor/startup.h"
#include "editor/thumbnail_strip.h"
#include "editor/tool_palette.h"
#include "editor/tool_window_frame.h"
#include "editor/tool_windows.h"
#include "editor/transparency.h"
#include "editor/window.h"
#include "engine/brush_kernels.h"
#include "engine/edit_state.h"
#include "engine/field.h"
#include "engine/field_commands.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"
#include "tests/win/test_picture.h"

namespace {

constexpr int W = 112, H = 100;
int g_renders = 0;
std::vector<int> g_commands;

// What the real main window does with the messages the tool windows send it.
LRESULT CALLBACK stand_in_main_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_COMMAND) {
    g_commands.push_back(LOWORD(wparam));
    select_tool(main_window_object(), LOWORD(wparam) - TOOL_CMD_BASE);
    return 0;
  }
  if (message == WM_USER && wparam <= 1) {
    ++g_renders;
    render_region(main_window_object(), 0, 0, g_image_width, g_image_height, 1);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

int WINAPI answer_ok(HWND, LPCSTR, LPCSTR, UINT) { return IDOK; }
HWND WINAPI no_dialog(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) { return nullptr; }
std::vector<std::pair<HWND, int>> g_alphas;
BOOL WINAPI record_alpha(HWND w, COLORREF, BYTE alpha, DWORD) {
  g_alphas.push_back({w, alpha});
  return TRUE;
}
HMENU g_tracked_menu = nullptr;
BOOL WINAPI record_popup(HMENU menu, UINT, int, int, int, HWND, const RECT*) {
  g_tracked_menu = menu;
  return 0;
}

class ToolWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    set_engine_host(&win32_engine_host());
    g_image_width = W;
    g_image_height = H;
    source.assign(W * H * 4 + 100, 0x80);
    render.assign(W * H * 4 + 100, 0);
    undo.assign(field_bytes(W, H) / sizeof(DisplacementPair) + 1, {0, 0});
    mask.assign(W * H / 8 + 1, 0xff);
    g_source_pixels = source.data();
    g_render_pixels = render.data();
    g_undo_field = undo.data();
    g_mask_bits = mask.data();
    g_current_tool = g_tool_mode = 0;
    g_brush_size = 101;
    g_brush_strength = 2;
    g_mask_exists = g_mask_applied = g_mask_shown = 0;
    g_smoothing = g_border_repeat = 1;
    g_color_separation = 0;
    g_wnd_transparency = 1;
    g_set_layered_attrs = record_alpha;
    g_message_box = answer_ok;
    g_track_popup_menu = record_popup;
    g_alphas.clear();
    g_commands.clear();
    g_renders = 0;
    ASSERT_TRUE(reset_frame_slots());

    WNDCLASSA wc = {};
    wc.lpfnWndProc = stand_in_main_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "qx_test_tool_windows";
    RegisterClassA(&wc);
    HMENU bar = CreateMenu(), view = CreatePopupMenu(), other = CreatePopupMenu();
    for (UINT id : {225u, 227u, 229u}) AppendMenuA(view, MF_STRING | MF_CHECKED, id, "option");
    for (UINT id : {231u, 290u, 291u, 292u}) AppendMenuA(view, MF_STRING, id, "window");
    for (UINT id : {205u, 109u, 202u, 107u, 104u, 203u, 280u, 282u, 283u}) AppendMenuA(other, MF_STRING, id, "item");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(view), "&Ansicht");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(other), "&Bearbeiten");
    g_main_hwnd = CreateWindowA(wc.lpszClassName, "Quandrelix", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, bar,
                                wc.hInstance, nullptr);
    ASSERT_NE(g_main_hwnd, nullptr);

    picture.make(main_window_object(), W, H);
    for (int k = 1; k <= 2; ++k) draw_thumbnail(k);
  }

  void TearDown() override {
    for (HWND w : {g_settings_bar, g_tool_palette, g_animation_bar})
      if (w) DestroyWindow(w);
    EXPECT_EQ(g_settings_bar_open + g_tool_palette_open + g_animation_bar_open, 0);
    g_message_box = MessageBoxA;
    g_set_layered_attrs = nullptr;
    g_track_popup_menu = TrackPopupMenu;
    g_create_tool_dialog = CreateDialogParamA;
    free_frame_slots();
    picture.release();
    DestroyWindow(g_main_hwnd);
    g_main_hwnd = nullptr;
    g_undo_field = nullptr;
    g_source_pixels = g_render_pixels = nullptr;
    g_mask_bits = nullptr;
    g_current_tool = g_tool_mode = 0;
    g_mask_exists = g_mask_applied = g_mask_shown = 0;
    g_project_modified = 0;
    set_engine_host(nullptr);
  }

  static UINT menu_state(UINT id) { return GetMenuState(GetMenu(g_main_hwnd), id, MF_BYCOMMAND); }
  static std::string dialog_text(HWND dialog, int id) {
    char text[64] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
  }
  static float tag(int k) { return frame_slot(k).field ? frame_slot(k).field[0].dx : 0.0f; }
  void set_tags() {
    for (int k = 1; k <= FRAME_SLOT_COUNT; ++k)
      if (frame_slot(k).field) frame_slot(k).field[0].dx = static_cast<float>(k);
  }
  // Cell k of the thumbnail strip painted in one colour, and read back at its middle.
  static void fill_cell(int k, COLORREF colour) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, g_thumb_strip);
    HBRUSH brush = CreateSolidBrush(colour);
    RECT r = {thumb_cell_x(k), 0, thumb_cell_x(k) + THUMB_CELL_W, THUMB_CELL_H};
    FillRect(dc, &r, brush);
    DeleteObject(brush);
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  static COLORREF cell_colour(int k) {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, g_thumb_strip);
    const COLORREF c = GetPixel(dc, thumb_cell_x(k) + THUMB_CELL_W / 2, THUMB_CELL_H / 2);
    SelectObject(dc, old);
    DeleteDC(dc);
    return c;
  }
  MainWindow& win = main_window_object();
  std::vector<uint8_t> source, render, mask;
  std::vector<DisplacementPair> undo;
  TestPicture picture;
};

TEST_F(ToolWindows, TogglesOpenAndCloseEachWindowAtItsSavedPlace) {
  struct Case {
    void (*toggle)(MainWindow&);
    HWND* handle;
    int* open;
    POINT* pos;
    UINT menu_id;
    const char* caption;
  } cases[] = {
      {toggle_settings_bar, &g_settings_bar, &g_settings_bar_open, &g_settings_bar_pos, 290, "Einstellungen"},
      {toggle_tool_palette, &g_tool_palette, &g_tool_palette_open, &g_tool_palette_pos, 291, "Werkzeugpalette"},
      {toggle_animation_bar, &g_animation_bar, &g_animation_bar_open, &g_animation_bar_pos, 292, "Animationsleiste"},
  };
  for (const Case& c : cases) {
    *c.pos = {120, 140};
    c.toggle(win);
    ASSERT_NE(*c.handle, nullptr) << c.caption;
    EXPECT_EQ(*c.open, 1);
    EXPECT_TRUE(menu_state(c.menu_id) & MF_CHECKED);
    RECT r;
    GetWindowRect(*c.handle, &r);
    EXPECT_EQ(r.left, 120);
    EXPECT_EQ(r.top, 140);

    SetWindowPos(*c.handle, nullptr, 300, 210, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    c.toggle(win);  // closes and keeps the place
    EXPECT_EQ(*c.handle, nullptr);
    EXPECT_EQ(*c.open, 0);
    EXPECT_FALSE(menu_state(c.menu_id) & MF_CHECKED);
    EXPECT_EQ(c.pos->x, 300);
    EXPECT_EQ(c.pos->y, 210);

    c.toggle(win);
    HWND w = *c.handle;
    SendMessageA(w, WM_COMMAND, IDCANCEL, 0);  // Escape closes it too
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(*c.open, 0);
    EXPECT_FALSE(menu_state(c.menu_id) & MF_CHECKED);
    c.toggle(win);  // and the next toggle opens it again
    EXPECT_EQ(*c.open, 1);
    GetWindowRect(*c.handle, &r);
    EXPECT_EQ(r.left, 300);
    c.toggle(win);
  }
}

TEST_F(ToolWindows, FailedCreationLeavesTheWindowClosed) {
  g_create_tool_dialog = no_dialog;
  toggle_tool_palette(win);
  EXPECT_EQ(g_tool_palette, nullptr);
  EXPECT_EQ(g_tool_palette_open, 0);
  EXPECT_FALSE(menu_state(291) & MF_CHECKED);
  g_create_tool_dialog = CreateDialogParamA;
  toggle_tool_palette(win);  // a later toggle opens it, not closes
  EXPECT_NE(g_tool_palette, nullptr);
  EXPECT_EQ(g_tool_palette_open, 1);
}

TEST_F(ToolWindows, OpacityFollowsActivationMouseAndTheOption) {
  toggle_tool_palette(win);
  toggle_settings_bar(win);
  HWND palette = g_tool_palette, bar = g_settings_bar;
  EXPECT_EQ(g_alphas.front(), std::make_pair(palette, 127));  // half opaque when opened

  struct Step {
    void (*act)(HWND, HWND);
    HWND* active;
    std::vector<std::pair<HWND*, int>> alphas;
  } steps[] = {
      {[](HWND p, HWND) { tool_window_mouse_enter(p); }, &g_tool_palette, {{&g_tool_palette, 229}}},
      {[](HWND p, HWND) { tool_window_mouse_enter(p); }, &g_tool_palette, {}},
      {[](HWND, HWND b) { tool_window_mouse_enter(b); },
       &g_settings_bar,
       {{&g_settings_bar, 229}, {&g_tool_palette, 127}}},
      {[](HWND, HWND) { tool_window_mouse_leave(); }, nullptr, {{&g_settings_bar, 127}}},
      {[](HWND, HWND) { tool_window_mouse_leave(); }, nullptr, {}},
  };
  for (const Step& s : steps) {
    g_alphas.clear();
    s.act(palette, bar);
    EXPECT_EQ(g_active_tool_window, s.active ? *s.active : nullptr);
    std::vector<std::pair<HWND, int>> expected;
    for (auto [w, a] : s.alphas) expected.push_back({*w, a});
    EXPECT_EQ(g_alphas, expected);
  }

  for (auto [state, alpha] : {std::make_pair(WA_ACTIVE, 229), std::make_pair(WA_INACTIVE, 127)}) {
    g_alphas.clear();
    SendMessageA(palette, WM_ACTIVATE, state, 0);
    ASSERT_FALSE(g_alphas.empty());
    EXPECT_EQ(g_alphas.back(), std::make_pair(palette, alpha));
  }

  tool_window_mouse_enter(palette);
  toggle_tool_palette(win);  // the raised window is closed: nothing is raised any more
  EXPECT_EQ(g_active_tool_window, nullptr);

  toggle_tool_palette(win);
  toggle_window_transparency();  // off: both opaque
  EXPECT_EQ(g_wnd_transparency, 0);
  EXPECT_FALSE(menu_state(225) & MF_CHECKED);
  EXPECT_FALSE(GetWindowLongPtrA(g_tool_palette, GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_FALSE(GetWindowLongPtrA(g_settings_bar, GWL_EXSTYLE) & WS_EX_LAYERED);
  g_alphas.clear();
  toggle_window_transparency();  // on: both at half, whichever is active
  EXPECT_TRUE(menu_state(225) & MF_CHECKED);
  EXPECT_EQ(g_alphas, (std::vector<std::pair<HWND, int>>{{g_settings_bar, 127}, {g_tool_palette, 127}}));
}

TEST_F(ToolWindows, ViewOptionsCheckTheirItemsAndRenderAgain) {
  struct Step {
    void (*toggle)(MainWindow&);
    int32_t* option;
    int before, after;
    UINT item;
    bool checked;
  } steps[] = {
      {toggle_smoothing, &g_smoothing, 1, 0, 227, false},
      {toggle_smoothing, &g_smoothing, 0, 1, 227, true},
      {toggle_smoothing, &g_smoothing, 2, 2, 227, true},  // only the render
      {toggle_border_repeat, &g_border_repeat, 1, 0, 229, false},
      {toggle_color_separation, &g_color_separation, 0, 1, 229, true},  // shown on while separating
      {toggle_color_separation, &g_color_separation, 1, 0, 229, false},
      {toggle_color_separation, &g_color_separation, 0, 1, 231, true},
      {toggle_color_separation, &g_color_separation, 5, 0, 231, false},
  };
  for (const Step& s : steps) {
    *s.option = s.before;
    std::fill(picture.bits, picture.bits + W * H * 4, 0x11);
    s.toggle(win);
    GdiFlush();
    EXPECT_EQ(*s.option, s.after) << s.item;
    EXPECT_EQ(bool(menu_state(s.item) & MF_CHECKED), s.checked) << s.item << " from " << s.before;
    EXPECT_NE(picture.bits[0], 0x11) << "rendered again";
    EXPECT_EQ(bool(menu_state(229) & MF_GRAYED), g_color_separation != 0);
  }
}

TEST_F(ToolWindows, PaletteAndSettingsBarFollowTheCurrentTool) {
  toggle_tool_palette(win);
  toggle_settings_bar(win);
  ASSERT_NE(g_toolbar, nullptr);
  EXPECT_EQ(SendMessageA(g_toolbar, TB_BUTTONCOUNT, 0, 0), 16);
  EXPECT_EQ(ImageList_GetImageCount(reinterpret_cast<HIMAGELIST>(SendMessageA(g_toolbar, TB_GETIMAGELIST, 0, 0))), 16);
  RECT client;
  GetClientRect(g_tool_palette, &client);
  EXPECT_EQ(client.bottom, PALETTE_CLIENT_HEIGHT);
  HWND status = GetDlgItem(g_settings_bar, IDC_TOOL_STATUS);
  auto status_text = [status] {
    char text[64] = {};
    SendMessageA(status, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
    return std::string(text);
  };
  EXPECT_EQ(status_text(), "Kein Werkzeug.");

  struct Case {
    int command;  // a toolbar click, passed on by the palette
    int tool;
    const char* status;
    bool size, strength;
  } cases[] = {
      {304, 4, "Verdrehen (r)", true, true},      {311, 11, "Bereich ziehen", false, false},
      {320, 20, "Maske bearbeiten", true, false}, {320, 0, "Kein Werkzeug.", false, false},
      {313, 13, "H\xe4mmern", true, true},
  };
  for (const Case& c : cases) {
    SendMessageA(g_tool_palette, WM_COMMAND, c.command, reinterpret_cast<LPARAM>(g_toolbar));
    EXPECT_EQ(g_commands.back(), c.command);
    EXPECT_EQ(g_current_tool, c.tool);
    EXPECT_EQ(status_text(), c.status);
    for (int id : {304, 311, 313, 320})
      EXPECT_EQ(SendMessageA(g_toolbar, TB_ISBUTTONPRESSED, id, 0) != 0, id == 300 + c.tool) << id;
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(g_settings_bar, IDC_SIZE_SLIDER)) != 0, c.size);
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(g_settings_bar, IDC_SIZE_HEADING)) != 0, c.size);
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(g_settings_bar, IDC_STRENGTH_NORMAL)) != 0, c.strength);
  }
}

TEST_F(ToolWindows, VariantChoiceRelabelsTheDropDownButtonAcrossReopening) {
  toggle_tool_palette(win);
  choose_palette_variant(308, 0);
  EXPECT_EQ(g_grow_variant_cmd, 308);
  EXPECT_EQ(g_current_tool, 8);
  auto button = [](int command) {
    TBBUTTON b = {};
    const LRESULT index = SendMessageA(g_toolbar, TB_COMMANDTOINDEX, command, 0);
    SendMessageA(g_toolbar, TB_GETBUTTON, index, reinterpret_cast<LPARAM>(&b));
    return std::make_pair(static_cast<int>(index), b.iBitmap);
  };
  EXPECT_EQ(button(308), std::make_pair(0, 2));
  NMTTDISPINFOA tip = {};
  tip.hdr = {g_toolbar, 301, static_cast<UINT>(TTN_NEEDTEXTA)};  // the tooltip knows the button by its first command
  SendMessageA(g_tool_palette, WM_NOTIFY, 301, reinterpret_cast<LPARAM>(&tip));
  EXPECT_STREQ(tip.lpszText, "Wachsen (vertikal)");

  choose_palette_variant(309, 0);
  toggle_tool_palette(win);
  toggle_tool_palette(win);
  EXPECT_EQ(button(308), std::make_pair(0, 2));
  EXPECT_EQ(button(309), std::make_pair(2, 4));
  EXPECT_TRUE(SendMessageA(g_toolbar, TB_ISBUTTONPRESSED, 309, 0));
  choose_palette_variant(309, 0);  // the current tool chosen again: switched off
  EXPECT_EQ(g_current_tool, 0);
  g_grow_variant_cmd = 301;
  g_shrink_variant_cmd = 302;
}

TEST_F(ToolWindows, SizeAndStrengthChangesReselectTheToolAndLeaveTheMaskAlone) {
  toggle_settings_bar(win);
  HWND bar = g_settings_bar;
  HWND slider = GetDlgItem(bar, IDC_SIZE_SLIDER);
  EXPECT_EQ(dialog_text(bar, IDC_SIZE_PIXELS), "100");
  EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), 20);
  EXPECT_EQ(IsDlgButtonChecked(bar, IDC_STRENGTH_NORMAL), BST_CHECKED);

  SendMessageA(g_main_hwnd, WM_COMMAND, 320, 0);  // the mask tool makes and applies a mask
  ASSERT_EQ(g_current_tool, 20);
  EXPECT_EQ(g_mask_applied, 1);
  g_mask_applied = 0;  // the user switched applying off
  SendMessageA(bar, WM_VSCROLL, MAKEWPARAM(SB_LINEUP, 0), reinterpret_cast<LPARAM>(slider));
  EXPECT_EQ(g_brush_size, 111);
  EXPECT_EQ(g_current_tool, 20);
  EXPECT_EQ(g_mask_applied, 0);
  EXPECT_EQ(win.kernel[0][110].dx, 1.0f);  // mask markers rebuilt at the new size
  EXPECT_EQ(win.kernel[0][111].dx, 0.0f);

  struct Step {
    UINT message;
    WPARAM wparam;
    int size, strength;
    const char* pixels;
    int position;
    std::vector<int> commands;
  } steps[] = {
      {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 5), 251, 2, "250", 5, {301}},
      {WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 21, 2, "20", 28, {301}},
      {WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 21, 2, "20", 28, {}},
      {WM_COMMAND, IDC_STRENGTH_NORMAL, 21, 2, "20", 28, {301}},  // already checked: still rebuilt
      {WM_COMMAND, IDC_STRENGTH_LARGER, 21, 1, "20", 28, {301}},
  };
  SendMessageA(g_main_hwnd, WM_COMMAND, 301, 0);
  for (const Step& s : steps) {
    g_commands.clear();
    SendMessageA(bar, s.message, s.wparam, reinterpret_cast<LPARAM>(slider));
    EXPECT_EQ(g_brush_size, s.size);
    EXPECT_EQ(g_brush_strength, s.strength);
    EXPECT_EQ(dialog_text(bar, IDC_SIZE_PIXELS), s.pixels);
    EXPECT_EQ(SendMessageA(slider, TBM_GETPOS, 0, 0), s.position);
    EXPECT_EQ(g_commands, s.commands);
    EXPECT_EQ(g_current_tool, 1);
  }
  EXPECT_EQ(IsDlgButtonChecked(bar, IDC_STRENGTH_LARGER), BST_CHECKED);
  EXPECT_NE(win.kernel[10][1].dx, 0.0f);  // grow kernel at size 21 and strength 1
  EXPECT_EQ(win.kernel[10][30].dx, 0.0f);
}

TEST_F(ToolWindows, AnimationBarShowsSlotsAndSelectsTheCurrentKeyFrame) {
  toggle_animation_bar(win);
  HWND bar = g_animation_bar;
  for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) {
    const int id = IDC_FRAMES_EDIT_BASE + k - 1;
    EXPECT_EQ(dialog_text(bar, id), k <= 2 ? "15" : "0");
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(bar, id)) != 0, k <= 2);
    EXPECT_EQ(SendDlgItemMessageA(bar, id, EM_GETLIMITTEXT, 0, 0), FRAMES_TEXT_LIMIT);
  }

  const LPARAM slot1 = MAKELPARAM(slot_left(1, g_slot_gap) + 20, 30);
  std::fill(undo.begin(), undo.end(), DisplacementPair{1, 1});
  SendMessageA(bar, WM_LBUTTONDOWN, 0, MAKELPARAM(slot_left(2, g_slot_gap) + 20, 30));  // the current one
  EXPECT_EQ(g_renders, 0);
  EXPECT_EQ(undo[0].dx, 1.0f);
  SendMessageA(bar, WM_LBUTTONDOWN, 0, slot1);
  EXPECT_EQ(g_current_frame, 1);
  EXPECT_EQ(g_current_field, frame_slot(1).field);
  EXPECT_EQ(g_renders, 1);
  EXPECT_EQ(undo[0].dx, 0.0f);
  EXPECT_TRUE(menu_state(CMD_UNDO) & MF_GRAYED);
  EXPECT_EQ(g_project_modified, 0);

  SendMessageA(bar, WM_RBUTTONDOWN, 0, MAKELPARAM(slot_left(3, g_slot_gap) + 2, 5));
  EXPECT_EQ(g_frame_hit, 3);
  EXPECT_EQ(g_tracked_menu, g_slot_menu);
  for (UINT id : {501u, 503u, 504u, 505u}) EXPECT_TRUE(GetMenuState(g_slot_menu, id, MF_BYCOMMAND) & MF_GRAYED) << id;
  EXPECT_FALSE(GetMenuState(g_slot_menu, 502, MF_BYCOMMAND) & MF_GRAYED);
  SendMessageA(bar, WM_RBUTTONDOWN, 0, MAKELPARAM(30, 56));  // below the slots: the hit stays
  EXPECT_EQ(g_frame_hit, 3);

  // A count longer than a slot text holds is cut when read back.
  SetDlgItemTextA(bar, IDC_FRAMES_EDIT_BASE + 1, "123456789");
  SetDlgItemTextA(bar, IDC_FRAMES_EDIT_BASE, "");
  SendMessageA(bar, WM_USER, 2, 0);
  EXPECT_STREQ(frame_slot(2).frames_text, "1234567");
  EXPECT_STREQ(frame_slot(1).frames_text, " ");
  for (const char* count : {"42", "100", "1234567"}) {  // whole, also after closing and reopening
    set_frames_text(frame_slot(1), count);
    SendMessageA(bar, WM_USER, 1, 0);
    for (int i = 0; i < 2; ++i) toggle_animation_bar(win);
    SendMessageA(bar = g_animation_bar, WM_USER, 2, 0);
    EXPECT_STREQ(frame_slot(1).frames_text, count);
  }
  SetDlgItemTextA(bar, IDC_FRAMES_EDIT_BASE, "8");
  toggle_animation_bar(win);  // closing keeps what was typed
  EXPECT_STREQ(frame_slot(1).frames_text, "8");
  EXPECT_EQ(g_slot_menu, nullptr);
}

TEST_F(ToolWindows, SlotCommandsChangeSlotsEditsAndThumbnails) {
  toggle_animation_bar(win);
  HWND bar = g_animation_bar;
  set_tags();
  auto command = [bar](int id, int k) {
    g_frame_hit = k;
    SendMessageA(bar, WM_COMMAND, id, 0);
  };
  auto tags = [] {
    std::vector<float> t;
    for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) t.push_back(tag(k));
    return t;
  };
  command(CMD_SLOT_INSERT_CURRENT, 3);  // slot 2 is current
  EXPECT_EQ(tags(), (std::vector<float>{1, 2, 2, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(bar, IDC_FRAMES_EDIT_BASE + 2)));
  EXPECT_EQ(dialog_text(bar, IDC_FRAMES_EDIT_BASE + 2), "15");
  EXPECT_EQ(g_project_modified, 1);
  frame_slot(3).field[0].dx = 3;

  const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0), blue = RGB(0, 0, 255);
  fill_cell(1, red);
  fill_cell(2, green);
  fill_cell(3, blue);
  SetDlgItemTextA(bar, IDC_FRAMES_EDIT_BASE + 2, "77");  // typed, not yet read
  command(CMD_SLOT_MOVE_LEFT, 3);
  EXPECT_EQ(tags(), (std::vector<float>{1, 3, 2, 0, 0, 0, 0, 0}));
  EXPECT_EQ(g_current_frame, 2);
  EXPECT_EQ(g_current_field, frame_slot(2).field);
  EXPECT_EQ(dialog_text(bar, IDC_FRAMES_EDIT_BASE + 1), "77");
  EXPECT_EQ(g_renders, 1);
  EXPECT_EQ(cell_colour(2), blue);
  EXPECT_EQ(cell_colour(3), green);

  command(CMD_SLOT_ADD_TO_CURRENT, 1);
  EXPECT_EQ(g_current_field[0].dx, 4.0f);
  EXPECT_FALSE(menu_state(CMD_UNDO) & MF_GRAYED);
  EXPECT_EQ(undo[0].dx, 1.0f);

  command(CMD_SLOT_DELETE, 1);
  EXPECT_EQ(tags(), (std::vector<float>{4, 2, 0, 0, 0, 0, 0, 0}));
  EXPECT_NE(cell_colour(1), red);  // the thumbnails moved one cell left with their slots
  EXPECT_EQ(cell_colour(2), green);
  EXPECT_EQ(g_current_frame, 1);
  EXPECT_TRUE(menu_state(CMD_UNDO) & MF_GRAYED);
  EXPECT_EQ(dialog_text(bar, IDC_FRAMES_EDIT_BASE), "77");
  EXPECT_EQ(dialog_text(bar, IDC_FRAMES_EDIT_BASE + 2), "0");
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(bar, IDC_FRAMES_EDIT_BASE + 2)));

  command(CMD_SLOT_INSERT_CURRENT, 1);  // onto the current slot itself: field unchanged
  EXPECT_EQ(tag(1), 4.0f);
  EXPECT_EQ(dialog_text(bar, IDC_FRAMES_EDIT_BASE), "15");
}

double microseconds_per_call(int calls, void (*step)(int)) {
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < calls; ++i) step(i);
  QueryPerformanceCounter(&end);
  return 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart / calls;
}

// Prints the time of one fade step and one thumbnail redraw of an 800 x 600 picture; with
// QX_TOOLWIN_HOLD set, then keeps the three windows open and opaque for a screenshot.
TEST_F(ToolWindows, FiguresOfFadeStepAndThumbnailRedraw) {
  g_set_layered_attrs = reinterpret_cast<SetLayeredWindowAttributesFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetLayeredWindowAttributes")));
  g_tool_palette_pos = {431, 80};
  g_settings_bar_pos = {655, 80};
  g_animation_bar_pos = {25, 516};
  ShowWindow(g_main_hwnd, SW_SHOWNA);
  toggle_tool_palette(win);
  toggle_settings_bar(win);
  toggle_animation_bar(win);
  SendMessageA(g_main_hwnd, WM_COMMAND, 303, 0);
  const double fade = microseconds_per_call(
      40, [](int i) { enable_transparency(g_tool_palette, i % 2 ? BAR_ALPHA_ACTIVE : BAR_ALPHA_INACTIVE); });

  const int pw = 800, ph = 600;
  BITMAPINFO bi = {};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), pw, -ph, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP big = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC big_dc = CreateCompatibleDC(nullptr);
  SelectObject(big_dc, big);
  std::swap(big_dc, g_image_dc);
  g_image_width = pw;
  g_image_height = ph;
  const double thumbnail = microseconds_per_call(40, [](int) { draw_thumbnail(2); });
  g_image_width = W;
  g_image_height = H;
  std::swap(big_dc, g_image_dc);
  DeleteDC(big_dc);
  DeleteObject(big);
  std::printf("tool window fade step: %.1f us; thumbnail redraw of %d x %d: %.1f us\n", fade, pw, ph, thumbnail);

  if (std::getenv("QX_TOOLWIN_HOLD")) {
    toggle_window_transparency();
    for (int round = 0; round < 160; ++round) {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
      Sleep(25);
    }
    toggle_window_transparency();
  }
  EXPECT_GT(fade + thumbnail, 0.0);
}

TEST(SlotMemory, AvailablePageFileIsReadSixtyFourBitsWide) {
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  ASSERT_TRUE(GlobalMemoryStatusEx(&status));
  const uint64_t available = available_page_file_bytes();
  EXPECT_GT(available, 0u);
  EXPECT_LE(available, status.ullTotalPageFile);
}

}  // namespace
