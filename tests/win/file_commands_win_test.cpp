// The file, image, clipboard and help commands on a real main window: dialogs answered by
// scripted stand-ins, images through the real BMP plug-in, the real clipboard and drops.
#include <gtest/gtest.h>
#include <windows.h>
// clang-format off
#include <commdlg.h>  // both need windows.h first
#include <shlobj.h>
// clang-format on

#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "editor/animation_export.h"
#include "editor/core/frame_slots.h"
#include "editor/core/message_text.h"
#include "editor/engine_host_win32.h"
#include "editor/file_commands.h"
#include "editor/message_box.h"
#include "editor/plugin_slots.h"
#include "editor/resources/resource.h"
#include "editor/startup.h"
#include "editor/window.h"
#include "editor/workspace.h"
#include "engine/edit_state.h"
#include "engine/field.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"
#include "tests/win/main_window_fixture.h"

namespace {

std::vector<int> g_answers;        // message box buttons, in turn; IDOK when none is left
std::vector<std::string> g_shown;  // texts shown
std::vector<std::string> g_paths;  // file dialog choices, in turn; empty or none left = cancel
std::vector<std::string> g_titles;
std::string g_filter, g_ext, g_shell_target;
INT_PTR g_shell_result;
uint64_t g_free_memory;  // what the memory status reports free; 0: what there is

BOOL WINAPI scripted_memory(LPMEMORYSTATUSEX status) {
  const BOOL got = GlobalMemoryStatusEx(status);
  if (g_free_memory) status->ullAvailVirtual = status->ullAvailPageFile = g_free_memory;
  return got;
}

int WINAPI scripted_box(HWND, LPCSTR text, LPCSTR, UINT) {
  g_shown.push_back(text);
  const int answer = g_answers.empty() ? IDOK : g_answers.front();
  if (!g_answers.empty()) g_answers.erase(g_answers.begin());
  return answer;
}

BOOL WINAPI scripted_dialog(LPOPENFILENAMEA ofn) {
  g_titles.push_back(ofn->lpstrTitle);
  g_filter.assign(ofn->lpstrFilter, 40);
  g_ext = ofn->lpstrDefExt;
  const std::string path = g_paths.empty() ? "" : g_paths.front();
  if (!g_paths.empty()) g_paths.erase(g_paths.begin());
  std::strncpy(ofn->lpstrFile, path.c_str(), ofn->nMaxFile);
  return !path.empty();
}

HINSTANCE WINAPI recorded_shell(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT) {
  g_shell_target = file;
  return reinterpret_cast<HINSTANCE>(g_shell_result);
}

std::string program_folder() {
  char path[MAX_PATH];
  std::string s(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  return s.substr(0, s.find_last_of('\\') + 1);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool starts(const std::string& text, const char* start) { return text.rfind(start, 0) == 0; }

class FileCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    set_engine_host(&win32_engine_host());
    g_instance = GetModuleHandleA(nullptr);
    g_message_box = scripted_box;
    g_get_open_file_name = g_get_save_file_name = scripted_dialog;
    g_shell_execute = recorded_shell;
    g_answers.clear(), g_shown.clear(), g_paths.clear(), g_titles.clear();
    g_imex_modules[1] = LoadLibraryA((program_folder() + "..\\bin\\dqbmp.dll").c_str());  // slot of the BMP library
    ASSERT_NE(g_imex_modules[1], nullptr);
    bind_image_plugin_entries();
    ASSERT_NE(create_test_main_window(&win), nullptr);
  }

  void TearDown() override {
    destroy_test_main_window();
    release_image_plugins();
    g_project_path[0] = 0;
    g_project_modified = g_export_busy = 0;
    g_scanner_unavailable = 1;
    g_message_box = MessageBoxA;
    g_get_open_file_name = GetOpenFileNameA;
    g_get_save_file_name = GetSaveFileNameA;
    g_shell_execute = ShellExecuteA;
    g_memory_status = GlobalMemoryStatusEx;
    for (const auto& f : files) DeleteFileA(f.c_str());
    set_engine_host(nullptr);
  }

  void command(int id) { SendMessageA(g_main_hwnd, WM_COMMAND, id, 0); }
  std::string file(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    files.push_back(std::string(folder) + name);
    DeleteFileA(files.back().c_str());
    return files.back();
  }
  void mark(float dx) {
    set_displacement(7, 3, dx, 0);
    g_project_modified = 1;
  }
  float marked() { return get_displacement(7, 3).dx; }
  // How many of the first pixels' colours differ between the block and g_source_pixels.
  static int differing(const std::vector<uint8_t>& pixels) {
    int n = 0;
    for (size_t i = 0; i < pixels.size(); i += 4) n += std::memcmp(&pixels[i], g_source_pixels + i, 3) != 0;
    return n;
  }
  static std::vector<uint8_t> rendered() { return {g_render_pixels, g_render_pixels + 432 * 432 * 4}; }

  MainWindow win;
  std::vector<std::string> files;
};

TEST_F(FileCommands, SavesKeepTheOldFileAndTheFlagUnlessTheyWriteAndOpenReadsBack) {
  const std::string path = file("qx_round.vbmap");
  mark(2.5f);
  g_paths = {path};
  command(CMD_SAVE_PROJECT_AS);
  EXPECT_TRUE(g_project_modified == 0 && g_ext == "vbmap" && std::strcmp(g_project_name, "qx_round") == 0);
  mark(4.0f);
  command(CMD_SAVE_PROJECT);  // to its path, without a dialog
  const std::string good = read_file(path);
  const struct {
    std::vector<std::string> paths;
    std::vector<int> answers;  // overwrite question, then the error
    bool read_only;
  } cases[] = {
      {{""}, {}, false}, {{path}, {IDNO}, false}, {{path}, {IDYES}, true}, {{"Z:\\no\\such\\p.vbmap"}, {}, false}};
  for (const auto& c : cases) {
    mark(3.0f);
    g_paths = c.paths, g_answers = c.answers;
    SetFileAttributesA(path.c_str(), c.read_only ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
    command(CMD_SAVE_PROJECT_AS);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(g_project_modified == 1 && read_file(path) == good) << c.paths[0];
  }
  WIN32_FIND_DATAA found;
  EXPECT_EQ(FindFirstFileA(file("qx*.tmp").c_str(), &found), INVALID_HANDLE_VALUE);  // no temporary file left
  g_answers = {IDNO};                                                                // do not save the change
  g_paths = {path};
  command(CMD_OPEN_PROJECT);
  EXPECT_TRUE(marked() == 4.0f && g_project_modified == 0 && g_titles.back() == "Projekt öffnen");
}

TEST_F(FileCommands, YesOnTheSaveQuestionWithACancelledSaveAbortsTheCommand) {
  copy_image_to_clipboard();
  for (int id : {CMD_OPEN_PROJECT, CMD_IMPORT_IMAGE, CMD_PASTE_CLIPBOARD}) {
    mark(6.0f);
    g_answers = {IDYES};
    g_titles.clear();
    command(id);
    EXPECT_TRUE(g_titles.size() == 1 && g_project_modified == 1 && marked() == 6.0f) << id;
  }
}

TEST_F(FileCommands, ExportImportAndReplaceGoThroughTheBmpPlugin) {
  const std::string bmp = file("qx_export.bmp"), small = file("qx_small.bmp");
  for (int i = 0; i < 432 * 432; ++i) g_current_field[i] = {3.0f, 0.0f};
  render_region(win, 0, 0, 432, 10, 0);  // only part of the picture rendered last
  g_paths = {bmp};
  command(CMD_EXPORT_IMAGE);
  EXPECT_TRUE(g_ext == "bmp" && starts(g_filter, "Windows Bitmap (*.bmp)") && g_project_path[0] == 0);
  const std::vector<uint8_t> picture = rendered();
  g_paths = {bmp};
  command(CMD_IMPORT_IMAGE);
  EXPECT_EQ(g_filter.substr(0, 18), std::string("Bilddateien\0*.bmp\0", 18));
  EXPECT_TRUE(g_project_modified == 1 && std::strcmp(g_project_name, "qx_export") == 0 && marked() == 0.0f);
  EXPECT_EQ(differing(picture), 0);

  const uint8_t one_pixel[4] = {0x10, 0x20, 0x30, 0};
  ASSERT_EQ(g_imex_entries[1].openFile(small.c_str(), 1), 0);
  g_imex_entries[1].save(one_pixel, 1, 1);
  g_imex_entries[1].closeFile();
  set_displacement(7, 3, 5.0f, 0);
  const struct {
    std::string path;
    std::vector<int> answers;
    const char* message;  // start of the last text shown
  } cases[] = {{bmp, {IDNO}, "Wenn Sie"},
               {small, {IDYES}, "Das von Ihnen"},
               {file("qx.png"), {IDYES}, "Ein Datei unbekannten Typs"},
               {bmp, {IDYES}, "Wenn Sie"}};
  for (const auto& c : cases) {
    g_shown.clear(), g_answers = c.answers, g_paths = {c.path};
    command(CMD_REPLACE_BASE_IMAGE);
    EXPECT_TRUE(starts(g_shown.back(), c.message) && marked() == 5.0f) << g_shown.back();
  }
  EXPECT_TRUE(g_image_width == 432 && g_current_frame == 2);
}

TEST_F(FileCommands, CopyThenPasteMakesTheRenderedPictureTheImageAndTextIsRefused) {
  for (int i = 0; i < 432 * 432; ++i) g_current_field[i] = {0.0f, 7.0f};
  render_region(win, 0, 0, 432, 432, 0);
  const std::vector<uint8_t> picture = rendered();
  copy_image_to_clipboard();
  command(CMD_PASTE_CLIPBOARD);
  EXPECT_TRUE(g_shown.empty() && g_project_modified == 1 && get_displacement(100, 100).dy == 0.0f);
  EXPECT_EQ(differing(picture), 0);
  ASSERT_TRUE(OpenClipboard(g_main_hwnd));
  EmptyClipboard();
  SetClipboardData(CF_TEXT, GlobalAlloc(GPTR, 4));
  CloseClipboard();
  command(CMD_PASTE_CLIPBOARD);
  EXPECT_TRUE(g_shown.size() == 1 && starts(g_shown[0], "Es befindet sich"));
  EXPECT_TRUE(OpenClipboard(g_main_hwnd));  // left closed
  CloseClipboard();
  HWND holder = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(OpenClipboard(holder));  // held by another window: no bitmap to be had either
  command(CMD_PASTE_CLIPBOARD);
  CloseClipboard();
  DestroyWindow(holder);
  EXPECT_TRUE(g_shown.size() == 2 && starts(g_shown[1], "Es befindet sich"));
}

void drop(const std::vector<std::string>& paths) {
  HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + 1024);
  auto* files = static_cast<DROPFILES*>(GlobalLock(block));
  files->pFiles = sizeof(DROPFILES);
  char* out = reinterpret_cast<char*>(files + 1);
  for (const auto& p : paths) out = std::strcpy(out, p.c_str()) + p.size() + 1;
  GlobalUnlock(block);
  SendMessageA(g_main_hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
}

TEST_F(FileCommands, ADropOpensTheFirstFileUnlessItIsNoProjectDoesNotFitOrAnExportRuns) {
  const std::string project = file("qx_drop.vbmap"), other = file("qx_other.txt");
  mark(8.0f);
  g_paths = {project};
  command(CMD_SAVE_PROJECT_AS);
  std::ofstream(other) << "no project";
  HDC dc = GetDC(g_main_hwnd);
  ASSERT_TRUE(rebuild_workspace(dc, 200, 200));  // 1.3 MB that the 6 MB project replaces
  ReleaseDC(g_main_hwnd, dc);
  g_memory_status = scripted_memory;
  const struct {
    std::vector<std::string> paths;
    int busy;
    float dx_after;
    size_t messages;
    uint64_t free_memory = 0;
  } cases[] = {{{other}, 0, 1.0f, 1},
               {{"C:\\qx\\missing.vbmap"}, 0, 1.0f, 1},
               {{project}, 1, 1.0f, 0},
               {{std::string(400, 'a')}, 0, 1.0f, 1},
               {{project}, 0, 1.0f, 1, 4 << 20},
               {{project, other}, 0, 8.0f, 0, 5 << 20}};
  for (const auto& c : cases) {
    set_displacement(7, 3, 1.0f, 0);
    g_export_busy = c.busy;
    g_free_memory = c.free_memory;
    g_shown.clear();
    drop(c.paths);
    g_export_busy = 0;
    const bool memory_text = !c.free_memory || g_shown == std::vector<std::string>(c.messages, message_text(14));
    EXPECT_TRUE(marked() == c.dx_after && g_shown.size() == c.messages && memory_text) << c.paths[0].substr(0, 40);
  }
}

ScanResult g_scan;
ScanResult* __cdecl fake_acquire(HINSTANCE, HWND) {
  if (g_scan.width == 0) return nullptr;
  const int bytes = g_scan.width < 100 ? g_scan.width * g_scan.height * 3 : 16;  // a huge one is never read
  g_scan.pixels = static_cast<uint8_t*>(GlobalAlloc(GPTR, bytes));
  for (int i = 0; i < bytes; ++i) g_scan.pixels[i] = static_cast<uint8_t>(i);
  return &g_scan;
}

TEST_F(FileCommands, AScanBecomesANewProjectAndACancelledOneChangesNothing) {
  g_twain_acquire_image = fake_acquire;
  g_scanner_unavailable = 0;
  g_scan = {0, 0, nullptr};
  command(CMD_SCAN);  // cancelled in the scanner's dialog
  g_scan = {200000, 200000, nullptr};
  command(CMD_SCAN);  // too large for memory: refused, the project stays
  EXPECT_TRUE(g_image_width == 432 && g_shown.size() == 1 && g_shown[0] == message_text(14));
  g_scan = {5, 3, nullptr};
  command(CMD_SCAN);
  EXPECT_TRUE(g_image_width == 5 && g_image_height == 3 && g_project_modified == 1);
  EXPECT_STREQ(g_project_name, "gescanntes bild");
  const uint8_t expected[] = {3, 4, 5, 0, 6, 7, 8, 0};
  EXPECT_EQ(std::memcmp(g_source_pixels + 4, expected, 8), 0);
}

TEST_F(FileCommands, HelpFindsItsFileOnTheSearchPathAndReportsFailures) {
  const std::string chm = program_folder() + HELP_FILE_NAME;
  const struct {
    int id;
    bool present;
    INT_PTR shell_result;
    const char* message;  // start of the text shown, or null
  } cases[] = {{CMD_HELP_TOPICS, false, 42, "Die entsprechende Hilfedatei"},
               {CMD_HELP_TOPICS, true, 42, nullptr},
               {CMD_HELP_TOPICS, true, 2, "Sie benötigen"},
               {CMD_WEB_SITE, false, 32, "Die Webseite"}};
  for (const auto& c : cases) {
    if (c.present) std::ofstream(chm) << "help";
    g_shell_result = c.shell_result;
    g_shell_target.clear(), g_shown.clear();
    command(c.id);
    DeleteFileA(chm.c_str());
    EXPECT_TRUE(c.message ? g_shown.size() == 1 && starts(g_shown[0], c.message) : g_shown.empty()) << c.id;
    EXPECT_EQ(g_shell_target, c.id == CMD_WEB_SITE ? QX_WEB_SITE : c.present ? chm : "") << c.id;
  }
}

}  // namespace
