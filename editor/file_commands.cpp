// File commands: project open (menu, drop, command line) and save, the about and information
// dialogs, help, and the helpers that the image and clipboard commands share.
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
#include "editor/engine_host_win32.h"
#include "editor/file_command_helpers.h"
#include "editor/message_box.h"
#include "editor/resources/resource.h"
#include "editor/startup.h"
#include "editor/thumbnail_strip.h"
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

FileDialogFn g_get_open_file_name = GetOpenFileNameA;
FileDialogFn g_get_save_file_name = GetSaveFileNameA;
ShellExecuteFn g_shell_execute = ShellExecuteA;

ModalFraming::ModalFraming() { enable_tool_windows(false); }
ModalFraming::~ModalFraming() { enable_tool_windows(true); }

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

bool ask_file_name(bool save, const char* title, const char* filter, DWORD flags, const char* default_ext, char* path) {
  path[0] = 0;
  OPENFILENAMEA ofn = {};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = g_main_hwnd;
  ofn.hInstance = g_instance;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = path;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrTitle = title;
  ofn.Flags = flags;
  ofn.lpstrDefExt = default_ext;
  const BOOL chosen = save ? g_get_save_file_name(&ofn) : g_get_open_file_name(&ofn);
  path[MAX_PATH - 1] = 0;
  return chosen && path[0];
}

bool make_temp_beside(const char* path, char* temp) {
  // A read-only target is not replaced behind its owner's back.
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  char folder[MAX_PATH];
  if (!copy_path(folder, sizeof folder, path)) return false;
  char* slash = nullptr;
  for (char* p = folder; *p; ++p)
    if (*p == '\\' || *p == '/' || *p == ':') slash = p;
  if (slash)
    slash[1] = 0;
  else
    copy_path(folder, sizeof folder, ".");
  return GetTempFileNameA(folder, "qx", 0, temp) != 0;
}

bool save_question_allows_replacing(MainWindow& win) {
  if (!g_project_modified) return true;
  switch (show_message(MSG_SAVE_QUESTION, MessageKind::question)) {
    case MessageAnswer::no: return true;
    case MessageAnswer::yes: return g_project_path[0] ? save_project_to_path(win) : save_project_as(win);
    default: return false;  // the box could not be shown: nothing is discarded
  }
}

bool begin_new_project(MainWindow& win, HDC reference_dc, int32_t w, int32_t h) {
  // Refused before anything changes when the size cannot fit; the rebuild makes room itself.
  if (!workspace_fits(w, h)) return false;
  g_tool_mode = TOOL_MODE_NONE;
  g_current_tool = TOOL_NONE;
  engine_host().notify_tool_windows();
  if (g_mask_shown) hide_mask_overlay(win);
  return rebuild_workspace(reference_dc, w, h);
}

void refresh_animation_bar() {
  if (!g_animation_bar) return;
  InvalidateRect(g_animation_bar, nullptr, TRUE);
  SendMessageA(g_animation_bar, WM_USER, 1, 0);
}

void finish_image_project(MainWindow& win, const char* name) {
  copy_path(g_project_name, sizeof g_project_name, name);
  update_title();
  g_project_path[0] = 0;
  g_project_modified = 1;
  win.scroll_x = win.scroll_y = 0;
  if (g_main_hwnd) InvalidateRect(g_main_hwnd, nullptr, TRUE);
  draw_thumbnail(1);
  draw_thumbnail(2);
  refresh_animation_bar();
}

namespace {

constexpr char PROJECT_FILTER[] = "Quandrelix Dateien (*.vbmap)\0*.vbmap\0";
constexpr int MSG_HELP_MISSING = 42;
constexpr int MSG_WEB_SITE_FAILED = 51;
constexpr int MSG_HELP_FAILED = 52;

// Writes the project next to path under a temporary name and only then puts it in the
// place of path, so a failed save never destroys the previous file. 0 or a message id.
int write_project_file(const char* path) {
  if (g_animation_bar) SendMessageA(g_animation_bar, WM_USER, 2, 0);
  char temp[MAX_PATH];
  if (!make_temp_beside(path, temp)) return MSG_CANNOT_OPEN;
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

// Checks the file that stream holds and that the project in it fits in memory (14 when not);
// on 0, width and height hold its size and g_image_width/height are unchanged. *not_accepted
// tells whether check_project_file refused the file.
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
  return project_fits(project_memory_bytes(*width, *height, fields)) ? 0 : MSG_OUT_OF_MEMORY;
}

// The new-project reset with a project file as the source. False (project unchanged) when
// the workspace for it does not fit in memory.
bool load_into_new_project(MainWindow& win, Stream& stream, const char* path, int32_t w, int32_t h, HWND owner,
                           HDC reference_dc) {
  if (!begin_new_project(win, reference_dc, w, h)) return false;
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
  refresh_animation_bar();
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
  if (!loaded) show_message(MSG_OUT_OF_MEMORY, MessageKind::error);
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
    show_message_box(nullptr, message_text(result ? result : MSG_OUT_OF_MEMORY), MessageKind::error);
}

bool save_project_as(MainWindow& win) {
  ModalFraming framing;
  char path[MAX_PATH];
  if (!ask_file_name(true, "Projekt speichern unter", PROJECT_FILTER, OFN_PATHMUSTEXIST | OFN_HIDEREADONLY, "vbmap",
                     path))
    return false;
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
  char path[MAX_PATH];
  if (!ask_file_name(false, "Projekt öffnen", PROJECT_FILTER, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY,
                     "*", path))
    return;
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

void show_help(MainWindow&, int which) {
  if (which != HELP_FILE && which != HELP_WEB_SITE) return;
  g_command_line[0] = 0;
  if (which == HELP_FILE) {
    const DWORD n = SearchPathA(nullptr, HELP_FILE_NAME, nullptr, sizeof g_command_line, g_command_line, nullptr);
    if (n == 0 || n >= sizeof g_command_line) {
      g_command_line[0] = 0;
      show_message(MSG_HELP_MISSING, MessageKind::error);
      return;
    }
    const auto result = reinterpret_cast<INT_PTR>(
        g_shell_execute(g_main_hwnd, "open", g_command_line, nullptr, nullptr, SW_SHOWDEFAULT));
    if (result <= 32) show_message(MSG_HELP_FAILED, MessageKind::error);
    return;
  }
  const auto result =
      reinterpret_cast<INT_PTR>(g_shell_execute(g_main_hwnd, nullptr, QX_WEB_SITE, nullptr, nullptr, SW_HIDE));
  if (result <= 32) show_message(MSG_WEB_SITE_FAILED, MessageKind::error);
}
