// The main window's message handler on a real window of the program's class procedure:
// busy drops, the wheel rule, the private WM_USER protocol, the mask commands, the exit
// questions and a project named on the command line.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editor/animation_export.h"
#include "editor/core/frame_slots.h"
#include "editor/core/project_file.h"
#include "editor/engine_host_win32.h"
#include "editor/file_commands.h"
#include "editor/main_commands.h"
#include "editor/message_box.h"
#include "editor/printing.h"
#include "editor/resources/resource.h"
#include "editor/startup.h"
#include "editor/tool_window_frame.h"
#include "editor/tool_windows.h"
#include "editor/window.h"
#include "editor/workspace.h"
#include "engine/edit_state.h"
#include "engine/field.h"
#include "engine/field_commands.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"
#include "tests/win/main_window_fixture.h"
#include "tests/win/preferences_key.h"

namespace {

// Scripted answers for the message boxes, and the texts they showed.
std::vector<int> g_answers;
std::vector<std::string> g_shown;
bool g_settings_bar_usable_in_box = false;
int WINAPI scripted_box(HWND, LPCSTR text, LPCSTR, UINT) {
  g_shown.push_back(text);
  if (g_settings_bar && IsWindowEnabled(g_settings_bar)) g_settings_bar_usable_in_box = true;
  if (g_answers.empty()) return IDOK;
  const int answer = g_answers.front();
  g_answers.erase(g_answers.begin());
  return answer;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    set_engine_host(&win32_engine_host());
    g_instance = GetModuleHandleA(nullptr);
    g_message_box = scripted_box;
    g_answers.clear();
    g_shown.clear();
  }

  void TearDown() override {
    destroy_test_main_window();
    g_command_line[0] = 0;
    g_project_path[0] = 0;
    std::strcpy(g_project_name, "unbenannt");
    g_export_busy = 0;
    g_print_jobs = 0;
    g_project_modified = 0;
    g_current_tool = TOOL_NONE;
    g_tool_mode = TOOL_MODE_NONE;
    g_active_tool_window = nullptr;
    g_message_box = MessageBoxA;
    set_engine_host(nullptr);
  }

  // The window with its workspace on the start image (or the command-line project), in a
  // client of about w x h.
  void create(int w = 300, int h = 200) {
    win = std::make_unique<MainWindow>();
    HWND hwnd = create_test_main_window(win.get(), w, h, WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_EQ(hwnd, g_main_hwnd);
  }

  LRESULT send(UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    return SendMessageA(g_main_hwnd, message, wparam, lparam);
  }
  static UINT item_state(int id) { return GetMenuState(GetMenu(g_main_hwnd), id, MF_BYCOMMAND); }
  static bool grayed(int id) { return (item_state(id) & MF_GRAYED) != 0; }
  static bool checked(int id) { return (item_state(id) & MF_CHECKED) != 0; }

  std::unique_ptr<MainWindow> win;
};

TEST_F(MainWindowTest, CreationSetsUpTheStartWorkspace) {
  create();
  EXPECT_EQ(g_image_width, 432);
  EXPECT_EQ(g_image_height, 432);
  EXPECT_EQ(g_current_frame, 2);
  EXPECT_EQ(g_current_field, frame_slot(2).field);
  EXPECT_TRUE(slot_filled(1) && !slot_filled(3));
  EXPECT_STREQ(frame_slot(1).frames_text, "15");
  EXPECT_STREQ(frame_slot(3).frames_text, "0");
  EXPECT_EQ(win->settings_bar_dlgproc, settings_bar_proc);
  // The start image's pixels are in the source block, not all one colour.
  int differing = 0;
  for (int i = 1; i < 432 * 432; i += 97) differing += g_source_pixels[4 * i] != g_source_pixels[0];
  EXPECT_GT(differing, 100);
  EXPECT_TRUE(grayed(CMD_UNDO) && grayed(CMD_MASK_APPLY) && checked(CMD_ZOOM_100));
}

TEST_F(MainWindowTest, AnExportDropsInputButStillRenders) {
  create();
  g_export_busy = 1;
  send(WM_COMMAND, CMD_MASK_NEW);
  win->scroll_max_y = 100;
  win->scroll_y = 50;
  send(WM_MOUSEWHEEL, MAKEWPARAM(0, 120));
  EXPECT_EQ(g_mask_exists, 0);
  EXPECT_EQ(win->scroll_y, 50);
  g_project_modified = 1;
  send(WM_CLOSE);  // the export still uses the workspace
  EXPECT_TRUE(IsWindow(g_main_hwnd));
  EXPECT_TRUE(g_shown.empty());
  g_region_width = 0;
  send(WM_USER, MAIN_USER_RENDER);
  EXPECT_EQ(g_region_width, 432);  // rendered the whole image
  g_export_busy = 0;
  send(WM_COMMAND, CMD_MASK_NEW);
  EXPECT_EQ(g_mask_exists, 1);
  EXPECT_FALSE(grayed(CMD_MASK_APPLY));
}

TEST_F(MainWindowTest, WheelDeltasAddUpToPageSteps) {
  create();
  const struct {
    std::vector<short> deltas;
    bool vertical;  // image scrolls vertically; otherwise only horizontally
    int moved;      // change of the scroll position after all deltas
    int moved_before_last;
  } cases[] = {
      {{120}, true, -30, 0}, {{40, 40, 40}, true, -30, 0}, {{30, 30, 30, 30, 30}, true, -30, 0},
      {{-120}, true, 30, 0}, {{120}, false, -30, 0},       {{-60, 60, -60}, true, 0, 0},
  };
  for (const auto& c : cases) {
    win->wheel_accum = 0;
    win->scroll_x = win->scroll_y = 60;
    win->scroll_max_x = win->scroll_max_y = 200;
    if (!c.vertical) win->scroll_max_y = 0;
    int& pos = c.vertical ? win->scroll_y : win->scroll_x;
    for (size_t i = 0; i < c.deltas.size(); ++i) {
      if (i + 1 == c.deltas.size()) {
        EXPECT_EQ(pos - 60, c.moved_before_last) << c.deltas.size();
      }
      send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(c.deltas[i])));
    }
    EXPECT_EQ(pos - 60, c.moved) << c.deltas.size() << " deltas of " << c.deltas[0];
  }
}

TEST_F(MainWindowTest, MaskCommandsClearAndInvertWholeBytes) {
  create();
  HDC dc = GetDC(g_main_hwnd);
  ASSERT_TRUE(rebuild_workspace(dc, 10, 10));
  ReleaseDC(g_main_hwnd, dc);
  EXPECT_EQ(g_region_width, 0);  // no stale rendering passes for the new image's
  std::memset(g_mask_bits, 0xAA, 13);
  send(WM_COMMAND, CMD_MASK_NEW);
  for (int i = 0; i < 13; ++i) EXPECT_EQ(g_mask_bits[i], 0) << i;
  send(WM_COMMAND, CMD_MASK_INVERT);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(g_mask_bits[i], 0xFF) << i;
  EXPECT_EQ(g_mask_bits[12], 0);  // the last 4 pixels' bits keep their value

  send(WM_COMMAND, CMD_MASK_APPLY);
  EXPECT_TRUE(g_mask_applied && checked(CMD_MASK_APPLY));
  send(WM_COMMAND, TOOL_CMD_BASE + TOOL_MASK);
  ASSERT_EQ(g_current_tool, TOOL_MASK);
  g_project_modified = 0;
  send(WM_COMMAND, CMD_MASK_REMOVE);
  EXPECT_EQ(g_current_tool, TOOL_NONE);
  EXPECT_EQ(g_mask_exists, 0);
  EXPECT_EQ(g_mask_applied, 0);
  EXPECT_EQ(g_project_modified, 1);
  EXPECT_TRUE(grayed(CMD_MASK_APPLY) && grayed(CMD_MASK_REMOVE) && grayed(CMD_MASK_INVERT));
  EXPECT_FALSE(checked(CMD_MASK_APPLY));
  EXPECT_EQ(g_mask_bits[0], 0xFF);  // kept for a later new mask to clear
}

TEST_F(MainWindowTest, ToolWindowOpacityBookkeeping) {
  create();
  HWND a = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HWND b = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  send(WM_USER, MAIN_USER_LEAVE_TOOL);
  EXPECT_EQ(g_active_tool_window, nullptr);
  send(WM_USER, MAIN_USER_ENTER_TOOL, reinterpret_cast<LPARAM>(a));
  send(WM_USER, MAIN_USER_ENTER_TOOL, reinterpret_cast<LPARAM>(a));
  EXPECT_EQ(g_active_tool_window, a);
  send(WM_USER, MAIN_USER_ENTER_TOOL, reinterpret_cast<LPARAM>(b));
  EXPECT_EQ(g_active_tool_window, b);
  send(WM_ACTIVATE, WA_INACTIVE);
  EXPECT_EQ(g_active_tool_window, nullptr);
  DestroyWindow(a);
  DestroyWindow(b);
}

TEST_F(MainWindowTest, APostedReportDuringAModalDialogLeavesTheToolWindowsDisabled) {
  create();
  HWND bar = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  g_settings_bar = bar;
  g_settings_bar_open = 1;
  enable_tool_windows(false);  // a dialog's framing
  send(WM_USER, MAIN_USER_MESSAGE, 46);
  EXPECT_EQ(g_shown.size(), 1u);
  EXPECT_FALSE(IsWindowEnabled(bar));
  enable_tool_windows(true);
  EXPECT_TRUE(IsWindowEnabled(bar));
  g_settings_bar = nullptr;
  g_settings_bar_open = 0;
  DestroyWindow(bar);
}

TEST_F(MainWindowTest, EscapeCancelsOnlyARunningAreaDrag) {
  create();
  const struct {
    int drag_state, mode, after;
  } cases[] = {{2, TOOL_MODE_REGION_DRAG, 0}, {1, TOOL_MODE_REGION_DRAG, 1}, {2, TOOL_MODE_DRAG, 2}};
  for (const auto& c : cases) {
    win->drag_state = c.drag_state;
    g_tool_mode = c.mode;
    send(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(win->drag_state, c.after);
  }
  send(WM_CAPTURECHANGED);
  EXPECT_EQ(win->drag_state, 0);
}

TEST_F(MainWindowTest, ExitStaysOpenUnlessTheQuestionsAllowClosing) {
  PreferencesKey key(false);
  create();
  HWND bar = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  g_settings_bar = bar;
  g_settings_bar_open = 1;
  const struct {
    int print_jobs, modified;
    std::vector<int> answers;
    bool closes;
  } cases[] = {
      {1, 0, {IDNO}, false},        {0, 1, {IDCANCEL}, false}, {0, 1, {0}, false},  // the box could not be shown
      {0, 1, {IDYES, IDOK}, false},                                                 // the save failed (message 10)
      {1, 1, {IDYES, IDNO}, true},
  };
  for (const auto& c : cases) {
    g_print_jobs = c.print_jobs;
    g_project_modified = c.modified;
    std::strcpy(g_project_path, "Z:\\no\\such\\folder\\p.vbmap");
    g_answers = c.answers;
    g_shown.clear();
    send(WM_CLOSE);
    EXPECT_EQ(IsWindow(g_main_hwnd) == FALSE, c.closes) << c.answers.size();
    EXPECT_EQ(g_shown.size(), c.answers.size());
    EXPECT_TRUE(IsWindowEnabled(bar));
  }
  EXPECT_FALSE(g_settings_bar_usable_in_box);
  g_settings_bar = nullptr;
  g_settings_bar_open = 0;
  DestroyWindow(bar);
  // Closing stored the preferences, creating the key.
  HKEY stored = open_preferences_key(KEY_READ);
  ASSERT_NE(stored, nullptr);
  int smoothing = -1;
  EXPECT_TRUE(read_pref_dword(stored, "Smoothing", &smoothing));
  RegCloseKey(stored);
}

TEST_F(MainWindowTest, LowColourDisplayClosesOnceTheExportEnded) {
  create();
  g_export_busy = 1;
  send(WM_DISPLAYCHANGE, 8, MAKELPARAM(640, 480));
  EXPECT_TRUE(IsWindow(g_main_hwnd));
  EXPECT_EQ(g_screen_width, 640);
  g_export_busy = 0;
  MSG msg;
  for (int i = 0; i < 100 && IsWindow(g_main_hwnd); ++i) {
    Sleep(20);
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  EXPECT_FALSE(IsWindow(g_main_hwnd));
}

// A saved project of w x h with a mask, truncated to keep bytes when keep is not 0.
std::string write_project(int w, int h, long keep) {
  char folder[MAX_PATH], path[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  GetTempFileNameA(folder, "qxp", 0, path);
  g_image_width = w;
  g_image_height = h;
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 4 + 100, 7), mask(w * h / 8 + 1, 0x55);
  std::vector<DisplacementPair> f1(w * h + 13), f2(w * h + 13);
  f2[5] = {1.5f, -2.0f};
  g_source_pixels = pixels.data();
  g_mask_bits = mask.data();
  g_mask_exists = 1;
  frame_slot(1).field = f1.data();
  frame_slot(2).field = f2.data();
  g_current_field = f2.data();
  auto stream = FileStream::open(path, "wb");
  EXPECT_EQ(save_project(*stream), 0);
  EXPECT_TRUE(stream->close());
  frame_slot(1).field = frame_slot(2).field = nullptr;
  g_current_field = nullptr;
  g_source_pixels = nullptr;
  g_mask_bits = nullptr;
  g_mask_exists = 0;
  if (keep) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFilePointer(file, keep, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
  }
  return path;
}

TEST_F(MainWindowTest, CommandLineProjectOpensWithItsMaskOnTheRealMenu) {
  const std::string path = write_project(30, 20, 0);
  std::strcpy(g_command_line, path.c_str());
  g_smoothing = g_border_repeat = 0;
  g_color_separation = 1;
  create();
  // Rendered with the view options that the menu shows before the first show.
  EXPECT_TRUE(g_smoothing == 1 && g_border_repeat == 1 && g_color_separation == 0);
  EXPECT_EQ(g_image_width, 30);
  EXPECT_EQ(g_image_height, 20);
  EXPECT_EQ(g_mask_exists, 1);
  EXPECT_FALSE(grayed(CMD_MASK_APPLY));
  EXPECT_EQ(get_displacement(5, 0).dx, 1.5f);
  EXPECT_STREQ(g_project_path, path.c_str());
  EXPECT_TRUE(g_shown.empty());
  DeleteFileA(path.c_str());
}

TEST_F(MainWindowTest, CommandLineProjectThatFailsToLoadKeepsNoPath) {
  const std::string path = write_project(30, 20, 92 + 30 * 20 * 3 + 75 + 8 + 12);  // inside slot 2's pair
  std::strcpy(g_command_line, path.c_str());
  create();
  EXPECT_EQ(g_image_width, 30);
  ASSERT_EQ(g_shown.size(), 1u);
  EXPECT_STREQ(g_project_path, "");
  char name[MAX_PATH];
  std::strcpy(name, path.substr(path.find_last_of('\\') + 1).c_str());
  *std::strrchr(name, '.') = 0;
  EXPECT_STREQ(g_project_name, name);
  DeleteFileA(path.c_str());
}

TEST_F(MainWindowTest, CommandLineThatIsNoProjectKeepsTheStartImageSilently) {
  const std::string path = write_project(30, 20, 40);  // header cut short
  std::strcpy(g_command_line, path.c_str());
  create();
  EXPECT_EQ(g_image_width, 432);
  EXPECT_TRUE(g_shown.empty());
  DeleteFileA(path.c_str());
}

}  // namespace
