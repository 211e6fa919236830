// File commands: project open (menu, drop, command line) and save, the about and information
// dialogs. Import, export, scan, clipboard and help are not built yet and do nothing.
#include "editor/file_commands.h"

#include <commdlg.h>
#include <shellapi.h>

#include <cstdio>

#include "editor/animation_export.h"
#include "editor/core/frame_slots.h"
#include "editor/core/message_text.h"
#include "editor/core/path_names.h"
#include "editor/core/project_file.h"
#include "editor/dialogs.h"
#include "editor/message_box.h"
#include "editor/resources/resource.h"
#include "editor/startup.h"
#include "editor/title.h"
#include "editor/tool_window_frame.h"
#include "editor/tool_windows.h"
#include "editor/window.h"
#include "editor/workspace.h"
#include "engine/brush_kernels.h"
#include "engine/edit_state.h"
#include "engine/engine_host.h"
#include "engine/field.h"
#include "engine/render_band.h"

char g_project_name[PROJECT_NAME_SIZE] = "unbenannt";
char g_project_path[PROJECT_PATH_SIZE] = "";

namespace {

constexpr int MSG_READ_ERROR = 1;
constexpr int MSG_WRITE_ERROR = 2;
constexpr int MSG_CANNOT_OPEN = 10;
constexpr int MSG_FILE_EXISTS = 11;
constexpr int MSG_SAVE_QUESTION = 17;
constexpr int MSG_INVALID_FILE = 22;
constexpr char PROJECT_FILTER[] = "Quandrelix Dateien (*.vbmap)\0*.vbmap\0";

// Disables the open tool windows for the time of a modal dialog and enables them again.
class ModalFraming {
 public:
  ModalFraming() { enable_tool_windows(false); }
  ~ModalFraming() { enable_tool_windows(true); }
  ModalFraming(const ModalFraming&) = delete;
  ModalFraming& operator=(const ModalFraming&) = delete;
};

class WaitCursor {
 public:
  WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

void repaint_now() {
  UpdateWindow(g_main_hwnd);
  for (HWND w : {g_settings_bar, g_tool_palette, g_animation_bar})
    if (w) UpdateWindow(w);
}

bool file_exists(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void name_project(const char* path) {
  path_base_name(path, g_project_name, sizeof g_project_name);
  update_title();
}

// Writes the project next to path under a temporary name and only then puts it in the
// place of path, so a failed save never destroys the previous file. 0 or a message id.
int write_project_file(const char* path) {
  if (g_animation_bar) SendMessageA(g_animation_bar, WM_USER, 2, 0);
  char folder[MAX_PATH];
  char temp[MAX_PATH];
  if (!copy_path(folder, sizeof folder, path)) return MSG_CANNOT_OPEN;
  char* slash = nullptr;
  for (char* p = folder; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') slash = p;
  if (slash)
    slash[1] = 0;
  else
    copy_path(folder, sizeof folder, ".");
  if (!GetTempFileNameA(folder, "qx", 0, temp)) return MSG_CANNOT_OPEN;
  auto stream = FileStream::open(temp, "wb");
  if (!stream) {
    DeleteFileA(temp);
    return MSG_CANNOT_OPEN;
  }
  repaint_now();
  int result;
  {
    WaitCursor wait;
    result = save_project(*stream);
  }
  if (!stream->close() && result == 0) result = MSG_WRITE_ERROR;
  stream.reset();
  if (result == 0 && !MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    result = MSG_CANNOT_OPEN;
  if (result != 0) DeleteFileA(temp);
  return result;
}

// The save question of the commands that replace the project: false when the user wanted
// the project saved and it was not, so the command must not go on.
bool save_question_allows_replacing(MainWindow& win) {
  if (!g_project_modified) return true;
  if (show_message(MSG_SAVE_QUESTION, MessageKind::question) != MessageAnswer::yes) return true;
  return g_project_path[0] ? save_project_to_path(win) : save_project_as(win);
}

// Checks the file that stream holds and that the workspace for it fits in memory; on 0,
// width and height hold its size and g_image_width/height are unchanged. *not_accepted tells
// whether the file itself was refused, as opposed to a workspace that cannot be made for it.
int check_project_size(Stream& stream, int32_t* width, int32_t* height, bool* not_accepted = nullptr) {
  const int32_t old_w = g_image_width, old_h = g_image_height;
  int result = check_project_file(stream);
  *width = g_image_width;
  *height = g_image_height;
  g_image_width = old_w;
  g_image_height = old_h;
  if (not_accepted) *not_accepted = result != 0;
  if (result != 0) return result;
  int fields = 2;
  result = project_blocks_fit(stream, &fields);
  if (result != 0) return result;
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  if (GlobalMemoryStatusEx(&status) && project_memory_bytes(*width, *height, fields) > status.ullAvailVirtual)
    return MSG_INVALID_FILE;
  return 0;
}

// The new-project reset with a project file as the source. False (project unchanged) when
// the workspace for it cannot be made.
bool load_into_new_project(MainWindow& win, Stream& stream, const char* path, int32_t w, int32_t h, HWND owner,
                           HDC reference_dc) {
  g_tool_mode = TOOL_MODE_NONE;
  g_current_tool = TOOL_NONE;
  engine_host().notify_tool_windows();
  if (g_mask_shown) hide_mask_overlay(win);
  if (!rebuild_workspace(reference_dc, w, h)) return false;
  int result;
  {
    WaitCursor wait;
    result = load_project(stream);
  }
  g_project_modified = 0;
  name_project(path);
  // A project that did not load whole keeps no path: saving asks for a name, never
  // overwriting the damaged file.
  if (result == 0)
    copy_path(g_project_path, sizeof g_project_path, path);
  else
    g_project_path[0] = 0;
  show_source_pixels();
  win.scroll_x = win.scroll_y = 0;
  if (g_main_hwnd) InvalidateRect(g_main_hwnd, nullptr, TRUE);
  render_all_thumbnails(win, owner != nullptr);  // no wait cursor while the window is being made
  if (g_animation_bar) {
    InvalidateRect(g_animation_bar, nullptr, TRUE);
    SendMessageA(g_animation_bar, WM_USER, 1, 0);
  }
  if (result != 0) show_message_box(owner, message_text(result), MessageKind::error);
  return true;
}

void open_project_path(MainWindow& win, const char* path) {
  auto stream = FileStream::open(path, "rb");
  if (!stream) {
    show_message(MSG_CANNOT_OPEN, MessageKind::error);
    return;
  }
  repaint_now();
  int32_t w = 0, h = 0;
  const int result = check_project_size(*stream, &w, &h);
  if (result != 0) {
    show_message(result, MessageKind::error);
    return;
  }
  HDC dc = GetDC(g_main_hwnd);
  const bool loaded = load_into_new_project(win, *stream, path, w, h, g_main_hwnd, dc);
  ReleaseDC(g_main_hwnd, dc);
  if (!loaded) show_message(MSG_INVALID_FILE, MessageKind::error);
}

}  // namespace

void open_command_line_project(MainWindow& win, HDC reference_dc) {
  auto stream = FileStream::open(g_command_line, "rb");
  if (!stream) return;
  int32_t w = 0, h = 0;
  bool not_accepted = false;
  const int result = check_project_size(*stream, &w, &h, &not_accepted);
  if (not_accepted) return;  // the start image stays, silently
  if (result != 0 || !load_into_new_project(win, *stream, g_command_line, w, h, nullptr, reference_dc))
    show_message_box(nullptr, message_text(MSG_INVALID_FILE), MessageKind::error);
}

bool save_project_as(MainWindow& win) {
  ModalFraming framing;
  char path[MAX_PATH] = "";
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = g_main_hwnd;
  ofn.hInstance = g_instance;
  ofn.lpstrFilter = PROJECT_FILTER;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path;
  ofn.nMaxFile = sizeof path;
  ofn.lpstrTitle = "Projekt speichern unter";
  ofn.Flags = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  ofn.lpstrDefExt = "vbmap";
  if (!GetSaveFileNameA(&ofn)) return false;
  if (file_exists(path) && show_message(MSG_FILE_EXISTS, MessageKind::question) != MessageAnswer::yes) return false;
  const int result = write_project_file(path);
  if (result != 0) {
    show_message(result, MessageKind::error);
    return false;
  }
  copy_path(g_project_path, sizeof g_project_path, path);
  name_project(path);
  g_project_modified = 0;
  return true;
}

bool save_project_to_path(MainWindow& win) {
  ModalFraming framing;
  const int result = write_project_file(g_project_path);
  if (result != 0) {
    show_message(result, MessageKind::error);
    return false;
  }
  g_project_modified = 0;
  return true;
}

void open_project(MainWindow& win) {
  if (!save_question_allows_replacing(win)) return;
  ModalFraming framing;
  char path[MAX_PATH] = "";
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = g_main_hwnd;
  ofn.hInstance = g_instance;
  ofn.lpstrFilter = PROJECT_FILTER;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path;
  ofn.nMaxFile = sizeof path;
  ofn.lpstrTitle = "Projekt öffnen";
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  ofn.lpstrDefExt = "*";
  if (!GetOpenFileNameA(&ofn)) return;
  open_project_path(win, path);
}

void open_dropped_project(MainWindow& win, HDROP drop) {
  char path[MAX_PATH] = "";
  // A path that does not fit the buffer is not cut short into another file's name.
  const UINT length = DragQueryFileA(drop, 0, nullptr, 0);
  const bool fits = length > 0 && length < sizeof path && DragQueryFileA(drop, 0, path, sizeof path) == length;
  DragFinish(drop);
  if (g_export_busy) return;
  SetForegroundWindow(g_main_hwnd);
  if (!save_question_allows_replacing(win)) return;
  if (!fits) {
    show_message(MSG_CANNOT_OPEN, MessageKind::error);
    return;
  }
  open_project_path(win, path);
}

void show_about_dialog() { run_modal_dialog(IDD_ABOUT, about_dialog_proc); }
void show_project_info() { run_modal_dialog(IDD_PROJECT_INFO, project_info_proc); }

void scan_image(MainWindow&) {}
void import_image_project(MainWindow&) {}
void replace_base_image(MainWindow&) {}
void export_current_image(MainWindow&) {}
void paste_clipboard_project(MainWindow&) {}
void copy_image_to_clipboard() {}
void show_help(MainWindow&, int) {}
