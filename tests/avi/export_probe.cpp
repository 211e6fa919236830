// Runs one animation export in a real main window, answering the dialogs as a user would, and
// writes the frames rendered independently of the export for the checking script.
// Usage: export_probe MODE OUTPUT EXPECTED PLUGIN W H COUNTS
//   MODE avi | avi-cancel (the compressor choice is cancelled) | bmp | test; OUTPUT the Windows
//   path chosen in the save dialog; EXPECTED a file for the expected frames (24-bit, top row
//   first) or "-"; PLUGIN dqbmp.dll's path or "-"; COUNTS the slot texts, comma-separated
//   ("2,1,3" fills slots 1 to 3).
#include <windows.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "editor/animation_export.h"
#include "editor/core/frame_slots.h"
#include "editor/engine_host_win32.h"
#include "editor/file_commands.h"
#include "editor/message_box.h"
#include "editor/plugin_slots.h"
#include "editor/resources/resource.h"
#include "editor/startup.h"
#include "editor/window.h"
#include "editor/workspace.h"
#include "engine/field.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"

namespace {

std::string g_mode;
std::string g_output;
int g_options_mode = IDC_EXPORT_MODE_AVI;

// Every box is printed; questions are answered Yes (a large AVI goes ahead) except the offer to
// view the result, so nothing is opened.
int WINAPI printing_box(HWND, LPCSTR text, LPCSTR, UINT style) {
  std::printf("box: %s\n", text);
  std::fflush(stdout);
  if (!(style & MB_YESNO)) return IDOK;
  return std::strstr(text, "ansehen") ? IDNO : IDYES;
}

BOOL WINAPI answer_save_dialog(LPOPENFILENAMEA ofn) {
  if (g_output.size() >= ofn->nMaxFile) return FALSE;
  std::strcpy(ofn->lpstrFile, g_output.c_str());
  return TRUE;
}

INT_PTR WINAPI uncompressed_options(HWND, UINT, int, PAVISTREAM*, LPAVICOMPRESSOPTIONS* options) {
  options[0]->fccType = streamtypeVIDEO;
  options[0]->fccHandler = comptypeDIB;
  return g_mode != "avi-cancel";
}

// Fills the options dialog once it is up: the mode, 5 frames a second, a key frame every 2.
void CALLBACK drive_options(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND dialog = FindWindowA("#32770", "Animation erstellen...");
  if (!dialog) return;
  KillTimer(nullptr, timer);
  SendDlgItemMessageA(dialog, g_options_mode, BM_CLICK, 0, 0);
  SetDlgItemTextA(dialog, IDC_EXPORT_FPS, "5");
  SetDlgItemTextA(dialog, IDC_EXPORT_KEYFRAMES, "2");
  SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0);
}

void fill_source(int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = g_source_pixels + 4 * (static_cast<size_t>(y) * w + x);
      p[0] = static_cast<uint8_t>(x * 255 / w);
      p[1] = static_cast<uint8_t>(y * 255 / h);
      p[2] = static_cast<uint8_t>(((x / 8 + y / 8) & 1) * 200);
    }
}

void fill_key_field(DisplacementField* field, int k, int w, int h) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * w + x;
      field[i].dx = k == 1 ? 0.0f : static_cast<float>(k * 2.5 * std::sin(y / 6.0));
      field[i].dy = k == 1 ? 0.0f : static_cast<float>((k - 1) * 1.75 * std::cos(x / 9.0));
    }
}

// The frames of the animation from the schedule's closed form, rendered one by one.
void write_expected(MainWindow& win, const std::vector<int>& counts, const char* path) {
  const int w = g_image_width, h = g_image_height, slots = static_cast<int>(counts.size());
  struct Frame {
    int from, to;
    double t;
  };
  std::vector<Frame> frames;
  for (int i = 0; i <= counts[0] + 1; ++i) frames.push_back({1, 2, i / (counts[0] + 1.0)});
  for (int j = 2; j < slots; ++j)
    for (int i = 1; i <= counts[j - 1] + 1; ++i) frames.push_back({j, j + 1, i / (counts[j - 1] + 1.0)});
  if (counts[slots - 1] > 0)
    for (int i = 1; i <= counts[slots - 1] + 1; ++i) frames.push_back({slots, 1, i / (counts[slots - 1] + 1.0)});
  std::vector<DisplacementField> field(static_cast<size_t>(w) * h + 16);
  DisplacementField* saved = g_current_field;
  FILE* out = std::fopen(path, "wb");
  for (const Frame& f : frames) {
    const DisplacementField* a = frame_slot(f.from).field;
    const DisplacementField* b = frame_slot(f.to).field;
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i) {
      field[i].dx = static_cast<float>(b[i].dx * f.t + a[i].dx * (1 - f.t));
      field[i].dy = static_cast<float>(b[i].dy * f.t + a[i].dy * (1 - f.t));
    }
    g_current_field = field.data();
    render_region(win, 0, 0, w, h, 0);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) std::fwrite(g_render_pixels + 4 * (static_cast<size_t>(y) * w + x), 1, 3, out);
  }
  std::fclose(out);
  g_current_field = saved;
  std::printf("expected frames: %zu\n", frames.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 8) {
    std::fprintf(stderr, "usage: export_probe MODE OUTPUT EXPECTED PLUGIN W H COUNTS\n");
    return 2;
  }
  g_mode = argv[1];
  g_output = argv[2];
  const int w = std::atoi(argv[5]), h = std::atoi(argv[6]);
  std::vector<int> counts;
  for (char* p = argv[7]; *p;) {
    counts.push_back(static_cast<int>(std::strtol(p, &p, 10)));
    if (*p) ++p;
  }
  g_options_mode = g_mode.rfind("avi", 0) == 0 ? IDC_EXPORT_MODE_AVI
                   : g_mode == "bmp"           ? IDC_EXPORT_MODE_SEQUENCE
                                               : IDC_EXPORT_MODE_TEST;

  set_engine_host(&win32_engine_host());
  g_instance = GetModuleHandleA(nullptr);
  g_message_box = printing_box;
  g_get_save_file_name = answer_save_dialog;
  g_avi_save_options = uncompressed_options;
  if (std::strcmp(argv[4], "-") != 0) {
    g_imex_modules[0] = LoadLibraryA(argv[4]);
    g_imex_count = 1;
    bind_image_plugin_entries();
  }
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WndProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = g_instance;
  wc.lpszMenuName = MAKEINTRESOURCEA(MAIN_MENU_ID);
  wc.lpszClassName = "qx_export_probe";
  RegisterClassA(&wc);
  static MainWindow win;
  if (!CreateWindowExA(0, wc.lpszClassName, "probe", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr, nullptr, g_instance,
                       &win))
    return 3;
  HDC dc = GetDC(g_main_hwnd);
  const bool rebuilt = rebuild_workspace(dc, w, h);
  ReleaseDC(g_main_hwnd, dc);
  if (!rebuilt) return 4;
  fill_source(w, h);
  for (int k = 1; k <= static_cast<int>(counts.size()); ++k) {
    if (!frame_slot(k).field) frame_slot(k).field = allocate_field_block();
    fill_key_field(frame_slot(k).field, k, w, h);
    set_frames_text(frame_slot(k), std::to_string(counts[k - 1]).c_str());
  }
  g_current_field = frame_slot(g_current_frame).field;

  SetTimer(nullptr, 0, 20, drive_options);
  const auto start = std::chrono::steady_clock::now();
  create_animation(win);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("frames: %d\nseconds: %.3f\nfps: %.1f\n", g_export_frame, seconds, g_export_frame / seconds);
  std::printf("restored: %d busy: %d\n", g_current_field == frame_slot(g_current_frame).field, g_export_busy);
  if (std::strcmp(argv[3], "-") != 0) write_expected(win, counts, argv[3]);
  DestroyWindow(g_main_hwnd);
  release_image_plugins();
  return 0;
}
