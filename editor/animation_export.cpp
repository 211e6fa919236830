// Animation export: command 104, its two dialogs, the frame steps and the AVI writer.
#include "editor/animation_export.h"

#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "editor/core/animation_frames.h"
#include "editor/core/slot_commands.h"
#include "editor/file_command_helpers.h"
#include "editor/file_commands.h"
#include "editor/image_commands.h"
#include "editor/main_commands.h"
#include "editor/memory.h"
#include "editor/message_box.h"
#include "editor/plugin_slots.h"
#include "editor/resources/resource.h"
#include "editor/slot_commands.h"
#include "editor/startup.h"
#include "editor/tool_window_frame.h"
#include "editor/tool_windows.h"
#include "editor/window.h"
#include "engine/field.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"

int g_export_busy = 0;
int32_t g_slot_frames[FRAME_SLOT_COUNT] = {};
int32_t g_export_mode = 0;
int32_t g_export_fps = 0;
int32_t g_keyframe_interval = 0;
int32_t g_export_frame = 0;
char g_export_path[MAX_PATH] = "";
int32_t g_avi_status = 0;
BITMAPINFOHEADER g_avi_format = {};
AVICOMPRESSOPTIONS g_avi_options = {};
PAVIFILE g_avi_file = nullptr;
PAVISTREAM g_avi_stream = nullptr;
PAVISTREAM g_avi_compressed_stream = nullptr;
uint8_t* g_avi_frame_buffer = nullptr;

AviSaveOptionsFn g_avi_save_options = AVISaveOptions;

namespace {

constexpr int MSG_NO_MEMORY = 13;
constexpr int MSG_LARGE_AVI = 12;
constexpr int MSG_SEQUENCE_DONE = 18;
constexpr int MSG_AVI_DONE = 19;
constexpr int MSG_FORMAT_REFUSED = 37;
constexpr int MSG_UNKNOWN_ERROR = 3;
constexpr int AVI_LARGE_WIDTH = 800;
constexpr int AVI_LARGE_HEIGHT = 600;
constexpr DWORD VFW_MIN_VERSION = 0x010A;
constexpr DWORD AVI_BUFFER_SLACK = 0x10000;
constexpr int OPTION_TEXT_SIZE = 16;  // the values need two digits; longer text is cut

LPAVICOMPRESSOPTIONS g_avi_options_list[1] = {&g_avi_options};
bool g_avi_options_filled = false;
bool g_avi_library_open = false;
bool g_avi_file_left_open = false;  // the file's release left references: it may not be complete
// The film is written here, beside g_export_path, and takes that name only when it is whole.
char g_avi_temp_path[MAX_PATH] = "";
// What the frame writes reported; the library does not always report a full disk.
uint64_t g_avi_bytes_written = 0;

// The progress dialog's run: a tick in progress (a message box inside it pumps messages), and
// whether the dialog has been ended already.
bool g_tick_running = false;
bool g_export_ended = false;

// The save dialog of modes 1 and 2; false when it is cancelled or fails.
bool choose_export_path(char* path) {
  static char filter[PLUGIN_FILTER_SIZE];
  const char* extension = "avi";
  if (g_export_mode == EXPORT_MODE_AVI) {
    std::memcpy(filter, "AVI Video (*.avi)\0*.avi\0", 25);
  } else {
    build_image_filter(false, filter);
    extension = image_default_extension();
  }
  path[0] = 0;
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = g_main_hwnd;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = "Animation erstellen...";
  ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  ofn.lpstrDefExt = *extension ? extension : nullptr;
  if (!g_get_save_file_name(&ofn)) return false;
  path[MAX_PATH - 1] = 0;
  return path[0] != 0;
}

void fill_avi_format() {
  g_avi_format = {};
  g_avi_format.biSize = sizeof(BITMAPINFOHEADER);
  g_avi_format.biWidth = g_image_width;
  g_avi_format.biHeight = g_image_height;
  g_avi_format.biPlanes = 1;
  g_avi_format.biBitCount = 24;
  g_avi_format.biCompression = BI_RGB;
  g_avi_format.biSizeImage = static_cast<DWORD>(avi_image_bytes(g_image_width, g_image_height));
}

// One numbered image file through the plug-in that serves the chosen extension.
bool write_numbered_file() {
  char name[MAX_PATH];
  if (!numbered_file_name(g_export_path, g_export_frame, name, sizeof name)) return false;
  const int slot = image_plugin_for_path(g_export_path);
  if (slot < 0) return false;
  const ImExLibEntry* plugin = &g_imex_entries[slot];
  if (plugin->openFile(name, 1) != 0) {
    DeleteFileA(name);
    return false;
  }
  const int32_t saved = plugin->save(g_render_pixels, g_image_width, g_image_height);
  const int32_t closed = plugin->closeFile();
  if (saved != 0 || closed != 0) {
    DeleteFileA(name);
    return false;
  }
  return true;
}

void show_avi_status(HWND dialog) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", static_cast<int>(g_avi_status));
  // The box has no owner: keep the progress dialog from being cancelled meanwhile.
  EnableWindow(dialog, FALSE);
  show_message_box(nullptr, text, MessageKind::error);
  EnableWindow(dialog, TRUE);
}

// A new empty file beside the chosen one, named *.avi because the library picks its file
// handler by the extension.
bool make_avi_temp_file() {
  char reserved[MAX_PATH];
  g_avi_temp_path[0] = 0;
  if (!make_temp_beside(g_export_path, reserved)) return false;
  std::strcpy(g_avi_temp_path, reserved);
  std::strcpy(std::strrchr(g_avi_temp_path, '.'), ".avi");
  if (MoveFileA(reserved, g_avi_temp_path)) return true;
  DeleteFileA(reserved);
  g_avi_temp_path[0] = 0;
  return false;
}

void delete_avi_temp_file() {
  if (g_avi_temp_path[0]) DeleteFileA(g_avi_temp_path);
  g_avi_temp_path[0] = 0;
}

bool avi_file_complete() {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (g_avi_file_left_open || !GetFileAttributesExA(g_avi_temp_path, GetFileExInfoStandard, &data)) return false;
  const uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return size >= g_avi_bytes_written;
}

// Closes the writer. A finished film that is not whole on disk counts as a failed write; a
// whole one replaces the chosen file. Otherwise the film is deleted and the chosen file stays.
int finish_avi_file(HWND dialog, int code) {
  close_avi_writer();
  if (code == EXPORT_DONE && !avi_file_complete()) {
    g_avi_status = AVIERR_FILEWRITE;
    show_avi_status(dialog);
    code = EXPORT_WRITE_FAILED;
  }
  if (code == EXPORT_DONE) {
    if (MoveFileExA(g_avi_temp_path, g_export_path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      g_avi_temp_path[0] = 0;
      return code;
    }
    code = AVI_ERR_FILE_OPEN;  // the chosen file is in use or read-only
  }
  delete_avi_temp_file();
  return code;
}

// Ends the progress dialog once: the timer stops and the AVI writer closes.
void end_export(HWND dialog, int code) {
  if (g_export_ended) return;
  g_export_ended = true;
  KillTimer(dialog, EXPORT_TIMER_ID);
  if (g_export_mode == EXPORT_MODE_AVI) code = finish_avi_file(dialog, code);
  EndDialog(dialog, code);
}

void export_tick(HWND dialog) {
  if (g_tick_running || g_export_ended) return;
  g_tick_running = true;
  const bool done = step_animation_frame() == 0;
  bool failed = false;
  SendMessageA(g_main_hwnd, WM_USER, MAIN_USER_RENDER, 0);
  UpdateWindow(g_main_hwnd);
  if (g_export_mode == EXPORT_MODE_SEQUENCE) {
    failed = !write_numbered_file();
  } else if (g_export_mode == EXPORT_MODE_AVI) {
    if (g_avi_status == 0) {
      copy_frame_to_avi_buffer();
      write_avi_frame();
    }
    if (g_avi_status != 0) {
      failed = true;
      KillTimer(dialog, EXPORT_TIMER_ID);
      show_avi_status(dialog);
    }
  }
  SendDlgItemMessageA(dialog, IDC_EXPORT_PROGRESS, PBM_DELTAPOS, 1, 0);
  if (done || failed) end_export(dialog, failed ? EXPORT_WRITE_FAILED : EXPORT_DONE);
  g_tick_running = false;
}

void release_avi_objects() {
  if (g_avi_frame_buffer) LocalFree(g_avi_frame_buffer);
  g_avi_frame_buffer = nullptr;
  if (g_avi_options_filled) AVISaveOptionsFree(1, g_avi_options_list);
  g_avi_options_filled = false;
  for (PAVISTREAM* stream : {&g_avi_stream, &g_avi_compressed_stream}) {
    if (*stream) AVIStreamRelease(*stream);
    *stream = nullptr;
  }
  if (g_avi_file) g_avi_file_left_open = AVIFileRelease(g_avi_file) != 0;
  g_avi_file = nullptr;
  if (g_avi_library_open) AVIFileExit();
  g_avi_library_open = false;
}

// What the user sees of the progress dialog's result r.
void report_export(int r) {
  if (r <= 0) {
    show_message(MSG_UNKNOWN_ERROR, MessageKind::error);
    return;
  }
  if (r == EXPORT_CANCELLED || g_export_mode == EXPORT_MODE_TEST) return;
  if (r == EXPORT_NO_MEMORY) {
    show_message(MSG_NO_MEMORY, MessageKind::error);
  } else if (r == EXPORT_DONE && g_export_mode == EXPORT_MODE_SEQUENCE) {
    show_message(MSG_SEQUENCE_DONE, MessageKind::info);
  } else if (r == EXPORT_DONE) {
    if (show_message(MSG_AVI_DONE, MessageKind::info_yes_no) == MessageAnswer::yes)
      ShellExecuteA(g_main_hwnd, nullptr, g_export_path, nullptr, nullptr, SW_SHOWNORMAL);
  } else if (r != AVI_CANCELLED || g_export_mode != EXPORT_MODE_AVI) {
    show_message(r + 20, MessageKind::error);
  }
}

// Steps 4 to 12 of the command, between disabling and enabling the tool windows.
void run_export(MainWindow& win) {
  HINSTANCE instance = g_instance ? g_instance : GetModuleHandleA(nullptr);
  INT_PTR r =
      DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ANIMATION_OPTIONS), g_main_hwnd, animation_options_proc, 0);
  if (r == IDOK && g_export_mode == EXPORT_MODE_AVI &&
      (g_image_width > AVI_LARGE_WIDTH || g_image_height > AVI_LARGE_HEIGHT) &&
      show_message(MSG_LARGE_AVI, MessageKind::question) != MessageAnswer::yes)
    r = IDCANCEL;
  if (r != IDOK || (g_export_mode == EXPORT_MODE_SEQUENCE && g_no_image_plugins)) return;
  char path[MAX_PATH] = "";
  if (g_export_mode != EXPORT_MODE_TEST && !choose_export_path(path)) return;
  if (new_slot_memory_short(available_page_file_bytes())) {
    show_message(MSG_NO_MEMORY, MessageKind::error);
    return;
  }
  auto* temporary = static_cast<DisplacementField*>(alloc_with_retry(field_bytes(g_image_width, g_image_height)));
  if (!temporary) {
    show_message(MSG_NO_MEMORY, MessageKind::error);
    return;
  }
  g_current_field = temporary;
  g_export_frame = 0;
  std::strcpy(g_export_path, path);
  g_tick_running = g_export_ended = false;
  r = DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ANIMATION_PROGRESS), g_main_hwnd, export_progress_proc, 0);
  close_avi_writer();
  delete_avi_temp_file();
  free_block(temporary);
  if (!IsWindow(g_main_hwnd)) {
    // The workspace went with the window; its fields are freed already.
    g_current_field = nullptr;
    return;
  }
  g_current_field = frame_slot(g_current_frame).field;
  render_region(win, 0, 0, g_image_width, g_image_height, 0);
  SetForegroundWindow(g_main_hwnd);
  report_export(static_cast<int>(r));
}

void choose_mode(HWND dialog, int radio) {
  CheckRadioButton(dialog, IDC_EXPORT_MODE_TEST, IDC_EXPORT_MODE_AVI, radio);
  const bool avi = radio == IDC_EXPORT_MODE_AVI;
  EnableWindow(GetDlgItem(dialog, IDC_EXPORT_FPS), avi);
  EnableWindow(GetDlgItem(dialog, IDC_EXPORT_KEYFRAMES), avi);
  g_export_mode = radio - IDC_EXPORT_MODE_TEST;
}

int32_t read_option(HWND dialog, int id, int32_t fallback, int32_t lo, int32_t hi) {
  char text[OPTION_TEXT_SIZE] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  text[sizeof text - 1] = 0;
  return parse_option_value(text, fallback, lo, hi);
}

}  // namespace

INT_PTR CALLBACK animation_options_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_INITDIALOG) {
    CheckRadioButton(dialog, IDC_EXPORT_MODE_TEST, IDC_EXPORT_MODE_AVI, IDC_EXPORT_MODE_TEST);
    g_export_mode = EXPORT_MODE_TEST;
    return FALSE;
  }
  if (message != WM_COMMAND) return FALSE;
  const int id = LOWORD(wparam);
  switch (id) {
    case IDC_EXPORT_MODE_TEST:
    case IDC_EXPORT_MODE_SEQUENCE:
    case IDC_EXPORT_MODE_AVI: choose_mode(dialog, id); return TRUE;
    case IDOK:
      g_export_fps = read_option(dialog, IDC_EXPORT_FPS, 8, 1, 30);
      g_keyframe_interval = read_option(dialog, IDC_EXPORT_KEYFRAMES, 4, 1, 10);
      EndDialog(dialog, IDOK);
      return TRUE;
    case IDCANCEL: EndDialog(dialog, IDCANCEL); return TRUE;
    default: return FALSE;
  }
}

INT_PTR CALLBACK export_progress_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SendDlgItemMessageA(dialog, IDC_EXPORT_PROGRESS, PBM_SETRANGE, 0,
                          MAKELPARAM(0, export_progress_range(g_slot_frames)));
      if (g_export_mode == EXPORT_MODE_AVI) {
        g_avi_status = open_avi_writer();
        if (g_avi_status != 0) {
          end_export(dialog, g_avi_status);
          return TRUE;
        }
      }
      SetTimer(dialog, EXPORT_TIMER_ID, EXPORT_TIMER_MS, nullptr);
      return TRUE;
    case WM_TIMER:
      if (wparam == EXPORT_TIMER_ID) export_tick(dialog);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) != IDCANCEL) return FALSE;
      end_export(dialog, EXPORT_CANCELLED);
      return TRUE;
    default: return FALSE;
  }
}

int open_avi_writer() {
  if (HIWORD(VideoForWindowsVersion()) < VFW_MIN_VERSION) return AVI_ERR_VFW_VERSION;
  for (;;) {
    g_avi_file = nullptr;
    g_avi_stream = g_avi_compressed_stream = nullptr;
    g_avi_file_left_open = false;
    g_avi_bytes_written = 0;
    fill_avi_format();
    AVIFileInit();
    g_avi_library_open = true;
    if (!make_avi_temp_file() || AVIFileOpenA(&g_avi_file, g_avi_temp_path, OF_WRITE | OF_CREATE, nullptr) != 0) {
      g_avi_file = nullptr;
      release_avi_objects();
      return AVI_ERR_FILE_OPEN;
    }
    AVISTREAMINFOA info = {};
    info.fccType = streamtypeVIDEO;
    info.dwScale = 1;
    info.dwRate = static_cast<DWORD>(g_export_fps);
    info.dwSuggestedBufferSize = g_avi_format.biSizeImage;
    SetRect(&info.rcFrame, 0, 0, g_image_width, g_image_height);
    if (AVIFileCreateStreamA(g_avi_file, &g_avi_stream, &info) != 0) {
      g_avi_stream = nullptr;
      release_avi_objects();
      return AVI_ERR_CREATE_STREAM;
    }
    g_avi_options = {};
    if (!g_avi_save_options(g_main_hwnd, 0, 1, &g_avi_stream, g_avi_options_list)) {
      g_avi_options_filled = true;
      release_avi_objects();
      return AVI_CANCELLED;
    }
    g_avi_options_filled = true;
    g_avi_options.dwFlags |= AVICOMPRESSF_KEYFRAMES;
    g_avi_options.dwKeyFrameEvery = static_cast<DWORD>(g_keyframe_interval);
    if (AVIMakeCompressedStream(&g_avi_compressed_stream, g_avi_stream, &g_avi_options, nullptr) != 0) {
      g_avi_compressed_stream = nullptr;
      release_avi_objects();
      return AVI_ERR_COMPRESSED_STREAM;
    }
    if (AVIStreamSetFormat(g_avi_compressed_stream, 0, &g_avi_format, sizeof g_avi_format) == 0) {
      g_avi_frame_buffer = static_cast<uint8_t*>(LocalAlloc(LPTR, g_avi_format.biSizeImage + AVI_BUFFER_SLACK));
      if (g_avi_frame_buffer) return 0;
      release_avi_objects();
      return EXPORT_NO_MEMORY;
    }
    const MessageAnswer again = show_message(MSG_FORMAT_REFUSED, MessageKind::info_yes_no);
    release_avi_objects();
    if (again != MessageAnswer::yes) return AVI_CANCELLED;
    delete_avi_temp_file();
  }
}

void close_avi_writer() { release_avi_objects(); }

int step_animation_frame() {
  bool filled[FRAME_SLOT_COUNT];
  for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) filled[k - 1] = frame_slot(k).field != nullptr;
  FramePosition p;
  if (!locate_frame(g_slot_frames, filled, g_export_frame, &p)) return 0;
  const DisplacementField* from = frame_slot(p.segment).field;
  const DisplacementField* to = frame_slot(p.to_slot).field;
  if (!from || !to || !g_current_field) return 0;
  interpolate_field(from, to, p.t, static_cast<size_t>(g_image_width) * static_cast<size_t>(g_image_height),
                    g_current_field);
  ++g_export_frame;
  return p.last ? 0 : 1;
}

void copy_frame_to_avi_buffer() {
  if (g_avi_frame_buffer && g_render_pixels)
    copy_frame_bottom_up(g_render_pixels, g_image_width, g_image_height, g_avi_frame_buffer);
}

void write_avi_frame() {
  const LONG sample = g_export_frame - 1;
  const DWORD flags = avi_key_frame(sample, g_keyframe_interval) ? AVIIF_KEYFRAME : 0;
  LONG written = 0;
  g_avi_status =
      static_cast<int32_t>(AVIStreamWrite(g_avi_compressed_stream, sample, 1, g_avi_frame_buffer,
                                          static_cast<LONG>(g_avi_format.biSizeImage), flags, nullptr, &written));
  if (g_avi_status == 0 && written > 0) g_avi_bytes_written += static_cast<uint64_t>(written);
}

void create_animation(MainWindow& win) {
  if (g_animation_bar) SendMessageA(g_animation_bar, WM_USER, 2, 0);
  read_slot_frames(g_frame_slots, g_slot_frames);
  enable_tool_windows(false);
  g_export_busy = 1;
  run_export(win);
  enable_tool_windows(true);
  g_export_busy = 0;
}
