// Times save as, open and image export of a 4000 x 3000 project with eight key frames through
// the real commands on a real main window, the file dialogs answered by the program itself.
#include <windows.h>
// clang-format off
#include <commdlg.h>  // needs windows.h first
// clang-format on

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "editor/core/frame_slots.h"
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

namespace {

constexpr int32_t W = 4000, H = 3000;
std::string g_answer_path;

BOOL WINAPI answer_dialog(LPOPENFILENAMEA ofn) {
  std::strncpy(ofn->lpstrFile, g_answer_path.c_str(), ofn->nMaxFile);
  return TRUE;
}
int WINAPI answer_yes(HWND, LPCSTR text, LPCSTR, UINT) {
  std::printf("message: %s\n", text);
  return IDYES;
}

template <typename F>
double seconds(F&& f) {
  const auto t0 = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

double file_mb(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<double>(data.nFileSizeHigh) * 4294967296.0 + data.nFileSizeLow) / 1e6;
}

}  // namespace

int main() {
  set_engine_host(&win32_engine_host());
  g_instance = GetModuleHandleA(nullptr);
  g_message_box = answer_yes;
  g_get_open_file_name = g_get_save_file_name = answer_dialog;
  g_imex_modules[1] = LoadLibraryA("dqbmp.dll");
  bind_image_plugin_entries();
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WndProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = g_instance;
  wc.lpszMenuName = MAKEINTRESOURCEA(1);
  wc.lpszClassName = MAIN_WINDOW_CLASS;
  RegisterClassA(&wc);
  MainWindow& win = main_window_object();
  CreateWindowA(wc.lpszClassName, "bench", WS_OVERLAPPEDWINDOW, 0, 0, 640, 480, nullptr, nullptr, g_instance, &win);
  HDC dc = GetDC(g_main_hwnd);
  const bool made = rebuild_workspace(dc, W, H);
  ReleaseDC(g_main_hwnd, dc);
  if (!made || g_no_image_plugins) {
    std::printf("no 4000 x 3000 workspace or no BMP plug-in\n");
    return 0;
  }
  for (int64_t i = 0; i < int64_t{W} * H * 4; ++i) g_source_pixels[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
  show_source_pixels();
  for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) {
    if (!frame_slot(k).field) frame_slot(k).field = allocate_field_block();
    set_frames_text(frame_slot(k), "15");
    for (int64_t i = 0; i < int64_t{W} * H; i += 7) frame_slot(k).field[i] = {0.25f * k, -0.5f};
  }
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  const std::string project = std::string(folder) + "qx_bench.vbmap", image = std::string(folder) + "qx_bench.bmp";
  DeleteFileA(project.c_str());
  DeleteFileA(image.c_str());

  g_answer_path = project;
  const double save = seconds([&] { save_project_as(win); });
  const double mb = file_mb(project);
  g_project_modified = 0;
  const double open = seconds([&] { SendMessageA(g_main_hwnd, WM_COMMAND, CMD_OPEN_PROJECT, 0); });
  g_answer_path = image;
  g_region_width = 0;  // the export renders the whole picture first
  const double exported = seconds([&] { SendMessageA(g_main_hwnd, WM_COMMAND, CMD_EXPORT_IMAGE, 0); });
  std::printf("4000 x 3000, 8 key frames, project file %.0f MB\n", mb);
  std::printf("save as  %.2f s (%.0f MB/s)\n", save, mb / save);
  std::printf("open     %.2f s (%.0f MB/s, with eight full renders for the thumbnails)\n", open, mb / open);
  std::printf("export   %.2f s (BMP %.0f MB, with one full render)\n", exported, file_mb(image));
  DeleteFileA(project.c_str());
  DeleteFileA(image.c_str());
  DestroyWindow(g_main_hwnd);
  return 0;
}
