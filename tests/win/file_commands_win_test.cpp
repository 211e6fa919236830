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
#include "editor/image_commands.h"
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

namespace {

std::vector<int> g_answers;
std::vector<std::string> g_shown;
int WINAPI scripted_box(HWND, LPCSTR text, LPCSTR, UINT) {
  g_shown.push_back(text);
  if (g_answers.empty()) return IDOK;
  const int answer = g_answers.front();
  g_answers.erase(g_answers.begin());
  return answer;
}

// Each file dialog takes the next scripted path; an empty one cancels.
std::vector<std::string> g_paths;
std::vector<std::string> g_titles;
std::string g_last_filter, g_last_ext;
BOOL WINAPI scripted_dialog(LPOPENFILENAMEA ofn) {
  g_titles.push_back(ofn->lpstrTitle);
  g_last_filter.assign(ofn->lpstrFilter, 200);
  g_last_ext = ofn->lpstrDefExt ? ofn->lpstrDefExt : "";
  if (g_paths.empty()) return FALSE;
  const std::string path = g_paths.front();
  g_paths.erase(g_paths.begin());
  if (path.empty()) return FALSE;
  std::strncpy(ofn->lpstrFile, path.c_str(), ofn->nMaxFile);
  return TRUE;
}

std::string g_shell_target;
INT_PTR g_shell_result = 42;
HINSTANCE WINAPI recorded_shell(HWND, LPCSTR, LPCSTR file, LPCSTR, LPCSTR, INT) {
  g_shell_target = file;
  return reinterpret_cast<HINSTANCE>(g_shell_result);
}

std::string folder_of_program() {
  char path[MAX_PATH];
  std::string s(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  return s.substr(0, s.find_last_of('\\') + 1);
}

std::string temp_path(const char* name) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + name;
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

constexpr char TEST_CLASS[] = "qx_test_file_window";

class FileCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    set_engine_host(&win32_engine_host());
    g_instance = GetModuleHandleA(nullptr);
    g_message_box = scripted_box;
    g_get_open_file_name = g_get_save_file_name = scripted_dialog;
    g_shell_execute = recorded_shell;
    g_answers.clear();
    g_shown.clear();
    g_paths.clear();
    g_titles.clear();
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = g_instance;
    wc.lpszMenuName = MAKEINTRESOURCEA(1);
    wc.lpszClassName = TEST_CLASS;
    RegisterClassA(&wc);
    // The real BMP library in slot 1, as start-up binds it.
    for (const char* rel : {"bin\\dqbmp.dll", "..\\bin\\dqbmp.dll"})
      if (!g_imex_modules[1]) g_imex_modules[1] = LoadLibraryA((folder_of_program() + rel).c_str());
    ASSERT_NE(g_imex_modules[1], nullptr);
    g_imex_count = IMEX_FIXED_COUNT;
    bind_image_plugin_entries();
    win = std::make_unique<MainWindow>();
    ASSERT_NE(CreateWindowExA(0, TEST_CLASS, "t", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, g_instance,
                              win.get()),
              nullptr);
  }

  void TearDown() override {
    if (g_main_hwnd && IsWindow(g_main_hwnd)) DestroyWindow(g_main_hwnd);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    g_main_hwnd = nullptr;
    release_image_plugins();
    g_project_path[0] = 0;
    std::strcpy(g_project_name, "unbenannt");
    g_export_busy = 0;
    g_project_modified = 0;
    g_twain_acquire_image = nullptr;
    g_message_box = MessageBoxA;
    g_get_open_file_name = GetOpenFileNameA;
    g_get_save_file_name = GetSaveFileNameA;
    g_shell_execute = ShellExecuteA;
    for (const auto& f : files) DeleteFileA(f.c_str());
    set_engine_host(nullptr);
  }

  void command(int id) { SendMessageA(g_main_hwnd, WM_COMMAND, id, 0); }
  std::string file(const char* name) {
    files.push_back(temp_path(name));
    DeleteFileA(files.back().c_str());
    return files.back();
  }
  void mark(float dx) {
    set_displacement(7, 3, dx, 0);
    g_project_modified = 1;
  }

  std::unique_ptr<MainWindow> win;
  std::vector<std::string> files;
};

TEST_F(FileCommands, SaveAsSaveAndOpenRoundTripThroughTheRealCommands) {
  const std::string path = file("qx_round.vbmap");
  mark(2.5f);
  g_paths = {path};
  command(CMD_SAVE_PROJECT_AS);
  EXPECT_EQ(g_project_modified, 0);
  EXPECT_STREQ(g_project_path, path.c_str());
  EXPECT_STREQ(g_project_name, "qx_round");
  EXPECT_EQ(g_last_ext, "vbmap");
  mark(4.0f);
  command(CMD_SAVE_PROJECT);  // to its path, without a dialog
  EXPECT_EQ(g_titles.size(), 1u);
  mark(9.0f);
  g_answers = {IDNO};  // do not save the change
  g_paths = {path};
  command(CMD_OPEN_PROJECT);
  EXPECT_EQ(get_displacement(7, 3).dx, 4.0f);
  EXPECT_EQ(g_project_modified, 0);
  EXPECT_EQ(g_titles.back(), "Projekt öffnen");
  EXPECT_EQ(g_shown.size(), 1u);
}

TEST_F(FileCommands, FailedOrRefusedSavesKeepTheOldFileAndTheModifiedFlag) {
  const std::string path = file("qx_keep.vbmap");
  mark(1.0f);
  g_paths = {path};
  command(CMD_SAVE_PROJECT_AS);
  const std::string good = read_file(path);
  ASSERT_FALSE(good.empty());
  const struct {
    const char* what;
    std::vector<std::string> paths;
    std::vector<int> answers;
    bool read_only;
  } cases[] = {
      {"dialog cancelled", {""}, {}, false},
      {"overwrite refused", {path}, {IDNO}, false},
      {"read-only target", {path}, {IDYES, IDOK}, true},
      {"no such folder", {"Z:\\no\\such\\folder\\p.vbmap"}, {IDOK}, false},
  };
  for (const auto& c : cases) {
    mark(3.0f);
    g_paths = c.paths;
    g_answers = c.answers;
    if (c.read_only) SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY);
    command(CMD_SAVE_PROJECT_AS);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(g_project_modified, 1) << c.what;
    EXPECT_TRUE(read_file(path) == good) << c.what;
  }
  WIN32_FIND_DATAA found;
  const std::string pattern = temp_path("qx*.tmp");
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  EXPECT_EQ(search, INVALID_HANDLE_VALUE);  // no temporary file left behind
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

TEST_F(FileCommands, YesOnTheSaveQuestionWithACancelledSaveAbortsTheCommand) {
  for (int id : {CMD_OPEN_PROJECT, CMD_IMPORT_IMAGE, CMD_PASTE_CLIPBOARD}) {
    if (id == CMD_PASTE_CLIPBOARD) copy_image_to_clipboard();
    mark(6.0f);
    g_answers = {IDYES};
    g_paths = {""};  // the save-as dialog is cancelled
    g_titles.clear();
    command(id);
    EXPECT_EQ(g_titles.size(), 1u) << id;  // only the save dialog was shown
    EXPECT_EQ(g_project_modified, 1) << id;
    EXPECT_EQ(get_displacement(7, 3).dx, 6.0f) << id;
  }
}

TEST_F(FileCommands, ExportThenImportAndReplaceThroughTheBmpPlugin) {
  const std::string bmp = file("qx_export.bmp");
  for (int i = 0; i < g_image_width * g_image_height; ++i) g_current_field[i] = {3.0f, 0.0f};
  render_region(*win, 0, 0, g_image_width, 10, 0);  // only part of the picture rendered last
  std::strcpy(g_project_path, "C:\\old.vbmap");
  g_paths = {bmp};
  command(CMD_EXPORT_IMAGE);
  EXPECT_EQ(g_last_ext, "bmp");
  EXPECT_EQ(g_last_filter.substr(0, 23), std::string("Windows Bitmap (*.bmp)\0", 23));
  EXPECT_STREQ(g_project_name, "qx_export");
  EXPECT_STREQ(g_project_path, "");
  const std::vector<uint8_t> rendered(g_render_pixels, g_render_pixels + g_image_width * g_image_height * 4);
  ASSERT_EQ(read_file(bmp).size(), 54u + 432 * 432 * 3);

  g_paths = {bmp};
  command(CMD_IMPORT_IMAGE);
  EXPECT_EQ(g_last_filter.substr(0, 18), std::string("Bilddateien\0*.bmp\0", 18));
  EXPECT_EQ(g_project_modified, 1);
  EXPECT_STREQ(g_project_name, "qx_export");
  EXPECT_EQ(g_current_frame, 2);
  EXPECT_EQ(get_displacement(7, 3).dx, 0.0f);
  int differing = 0;
  for (size_t i = 0; i < rendered.size(); i += 4) differing += std::memcmp(&rendered[i], g_source_pixels + i, 3) != 0;
  EXPECT_EQ(differing, 0);

  // Replacing keeps the distortions; an image of another size is refused.
  set_displacement(7, 3, 5.0f, 0);
  const std::string small = file("qx_small.bmp");
  const uint8_t one_pixel[4] = {0x10, 0x20, 0x30, 0};
  const ImExLibEntry& bmp_plugin = g_imex_entries[1];
  ASSERT_EQ(bmp_plugin.openFile(small.c_str(), 1), 0);
  EXPECT_EQ(bmp_plugin.save(one_pixel, 1, 1), 0);
  bmp_plugin.closeFile();
  const struct {
    std::string path;
    std::vector<int> answers;
    const char* message;
  } cases[] = {
      {bmp, {IDNO}, nullptr},
      {small, {IDYES, IDOK}, "Das von Ihnen"},
      {file("qx_none.png"), {IDYES, IDOK}, "Ein Datei unbekannten Typs"},
      {bmp, {IDYES}, nullptr},
  };
  for (const auto& c : cases) {
    g_shown.clear();
    g_answers = c.answers;
    g_paths = {c.path};
    command(CMD_REPLACE_BASE_IMAGE);
    ASSERT_EQ(g_shown.size(), c.answers.size()) << c.path;
    if (c.message) {
      EXPECT_EQ(g_shown.back().rfind(c.message, 0), 0u) << g_shown.back();
    }
    EXPECT_EQ(get_displacement(7, 3).dx, 5.0f);
  }
  EXPECT_EQ(g_image_width, 432);
}

TEST_F(FileCommands, CopyThenPasteMakesTheRenderedPictureTheNewImage) {
  for (int i = 0; i < g_image_width * g_image_height; ++i) g_current_field[i] = {0.0f, 7.0f};
  render_region(*win, 0, 0, g_image_width, g_image_height, 0);
  const std::vector<uint8_t> rendered(g_render_pixels, g_render_pixels + g_image_width * g_image_height * 4);
  copy_image_to_clipboard();
  std::strcpy(g_project_name, "x");
  command(CMD_PASTE_CLIPBOARD);
  EXPECT_TRUE(g_shown.empty());
  EXPECT_STREQ(g_project_name, "unbenannt");
  EXPECT_EQ(g_project_modified, 1);
  EXPECT_EQ(get_displacement(100, 100).dy, 0.0f);
  int differing = 0;
  for (size_t i = 0; i < rendered.size(); i += 4) differing += std::memcmp(&rendered[i], g_source_pixels + i, 3) != 0;
  EXPECT_EQ(differing, 0);

  // Text on the clipboard: message 39, nothing changes.
  ASSERT_TRUE(OpenClipboard(g_main_hwnd));
  EmptyClipboard();
  HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, 4);
  std::strcpy(static_cast<char*>(GlobalLock(text)), "abc");
  GlobalUnlock(text);
  SetClipboardData(CF_TEXT, text);
  CloseClipboard();
  command(CMD_PASTE_CLIPBOARD);
  ASSERT_EQ(g_shown.size(), 1u);
  EXPECT_EQ(g_shown[0].rfind("Es befindet sich", 0), 0u);
  // The clipboard was closed on the way out.
  EXPECT_TRUE(OpenClipboard(g_main_hwnd));
  CloseClipboard();
}

// Sends the main window a drop of the given paths.
void drop(const std::vector<std::string>& paths) {
  size_t bytes = sizeof(DROPFILES) + 1;
  for (const auto& p : paths) bytes += p.size() + 1;
  HGLOBAL block = GlobalAlloc(GHND, bytes);
  auto* files = static_cast<DROPFILES*>(GlobalLock(block));
  files->pFiles = sizeof(DROPFILES);
  char* out = reinterpret_cast<char*>(files + 1);
  for (const auto& p : paths) out = std::strcpy(out, p.c_str()) + p.size() + 1;
  GlobalUnlock(block);
  SendMessageA(g_main_hwnd, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
}

TEST_F(FileCommands, ADropOpensTheFirstFileUnlessItIsNoProjectOrAnExportRuns) {
  const std::string project = file("qx_drop.vbmap"), other = file("qx_other.txt");
  mark(8.0f);
  g_paths = {project};
  command(CMD_SAVE_PROJECT_AS);
  std::ofstream(other) << "no project";
  const struct {
    std::vector<std::string> paths;
    int busy;
    float dx_after;
    size_t messages;
  } cases[] = {
      {{other}, 0, 1.0f, 1},          {{"C:\\qx\\missing.vbmap"}, 0, 1.0f, 1},
      {{project}, 1, 1.0f, 0},        {{std::string(400, 'a')}, 0, 1.0f, 1},
      {{project, other}, 0, 8.0f, 0},
  };
  for (const auto& c : cases) {
    set_displacement(7, 3, 1.0f, 0);
    g_project_modified = 0;
    g_export_busy = c.busy;
    g_shown.clear();
    drop(c.paths);
    g_export_busy = 0;
    EXPECT_EQ(get_displacement(7, 3).dx, c.dx_after) << c.paths[0].substr(0, 40);
    EXPECT_EQ(g_shown.size(), c.messages) << c.paths[0].substr(0, 40);
  }
}

ScanResult g_scan;
ScanResult* __cdecl fake_acquire(HINSTANCE, HWND) {
  if (g_scan.width == 0) return nullptr;
  g_scan.pixels = static_cast<uint8_t*>(GlobalAlloc(GPTR, g_scan.width * g_scan.height * 3));
  for (int i = 0; i < g_scan.width * g_scan.height * 3; ++i) g_scan.pixels[i] = static_cast<uint8_t>(i);
  return &g_scan;
}

TEST_F(FileCommands, AScanBecomesANewProjectAndACancelledOneChangesNothing) {
  g_twain_acquire_image = fake_acquire;
  g_scan = {0, 0, nullptr};
  command(CMD_SCAN);  // the scanner is unavailable: the command does nothing
  g_scanner_unavailable = 0;
  command(CMD_SCAN);  // cancelled in the scanner's dialog
  EXPECT_EQ(g_image_width, 432);
  g_scan = {5, 3, nullptr};
  command(CMD_SCAN);
  g_scanner_unavailable = 1;
  EXPECT_EQ(g_image_width, 5);
  EXPECT_EQ(g_image_height, 3);
  EXPECT_STREQ(g_project_name, "gescanntes bild");
  EXPECT_EQ(g_project_modified, 1);
  const uint8_t expected[] = {3, 4, 5, 0, 6, 7, 8, 0};
  EXPECT_EQ(std::memcmp(g_source_pixels + 4, expected, 8), 0);
}

TEST_F(FileCommands, HelpFindsItsFileOnTheSearchPathAndReportsFailures) {
  const struct {
    int id;
    bool help_file_present;
    INT_PTR shell_result;
    const char* message;  // start of the text shown, or null
  } cases[] = {
      {CMD_HELP_TOPICS, false, 42, "Die entsprechende Hilfedatei"},
      {CMD_HELP_TOPICS, true, 42, nullptr},
      {CMD_HELP_TOPICS, true, 2, "Sie benötigen"},
      {CMD_WEB_SITE, false, 42, nullptr},
      {CMD_WEB_SITE, false, 32, "Die Webseite"},
  };
  const std::string chm = folder_of_program() + HELP_FILE_NAME;
  for (const auto& c : cases) {
    if (c.help_file_present) std::ofstream(chm) << "help";
    g_shell_result = c.shell_result;
    g_shell_target.clear();
    g_shown.clear();
    command(c.id);
    DeleteFileA(chm.c_str());
    ASSERT_EQ(g_shown.size(), c.message ? 1u : 0u) << c.id;
    if (c.message) {
      EXPECT_EQ(g_shown[0].rfind(c.message, 0), 0u) << g_shown[0];
    }
    const std::string expected_target = c.id == CMD_WEB_SITE ? QX_WEB_SITE : c.help_file_present ? chm : "";
    EXPECT_EQ(g_shell_target, expected_target) << c.id;
  }
}

}  // namespace
