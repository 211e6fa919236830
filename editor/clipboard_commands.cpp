// Clipboard commands: paste a bitmap as a new project, copy the rendered picture.
#include <windows.h>

#include "editor/engine_host_win32.h"
#include "editor/file_command_helpers.h"
#include "editor/file_commands.h"
#include "editor/message_box.h"
#include "editor/startup.h"
#include "editor/window.h"
#include "editor/workspace.h"
#include "engine/field.h"
#include "engine/render_band.h"

namespace {

constexpr int MSG_PASTE_FAILED = 23;
constexpr int MSG_COPY_FAILED = 24;
constexpr int MSG_NO_BITMAP = 39;
constexpr char PASTED_NAME[] = "unbenannt";

// Keeps the clipboard open for the main window until the end of the scope.
class OpenClipboardScope {
 public:
  OpenClipboardScope() : open_(OpenClipboard(g_main_hwnd) != FALSE) {}
  ~OpenClipboardScope() {
    if (open_) CloseClipboard();
  }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
  bool open() const { return open_; }

 private:
  bool open_;
};

bool clipboard_lists_bitmap() {
  for (UINT format = EnumClipboardFormats(0); format; format = EnumClipboardFormats(format))
    if (format == CF_BITMAP) return true;
  return false;
}

}  // namespace

void paste_clipboard_project(MainWindow& win) {
  OpenClipboardScope clipboard;
  if (!clipboard.open() || !clipboard_lists_bitmap()) {
    show_message(MSG_NO_BITMAP, MessageKind::error);
    return;
  }
  if (!save_question_allows_replacing(win)) return;
  auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  BITMAP info = {};
  if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) {
    show_message(MSG_PASTE_FAILED, MessageKind::error);
    return;
  }
  HDC dc = GetDC(g_main_hwnd);
  const bool made = begin_new_project(win, dc, info.bmWidth, info.bmHeight);
  ReleaseDC(g_main_hwnd, dc);
  if (!made) {
    show_message(MSG_OUT_OF_MEMORY, MessageKind::error);
    return;
  }
  HGDIOBJ previous = SelectObject(g_mem_dc, bitmap);
  BitBlt(g_image_dc, 0, 0, g_image_width, g_image_height, g_mem_dc, 0, 0, SRCCOPY);
  SelectObject(g_mem_dc, g_region_bitmap ? static_cast<HGDIOBJ>(g_region_bitmap) : previous);
  read_image_pixels();
  finish_image_project(win, PASTED_NAME);
}

void copy_image_to_clipboard() {
  OpenClipboardScope clipboard;
  if (!clipboard.open() || !EmptyClipboard()) {
    show_message(MSG_COPY_FAILED, MessageKind::error);
    return;
  }
  HDC dc = GetDC(g_main_hwnd);
  HBITMAP copy = CreateCompatibleBitmap(dc, g_image_width, g_image_height);
  ReleaseDC(g_main_hwnd, dc);
  if (!copy) {
    show_message(MSG_COPY_FAILED, MessageKind::error);
    return;
  }
  SelectObject(g_mem_dc, copy);
  BitBlt(g_mem_dc, 0, 0, g_image_width, g_image_height, g_image_dc, 0, 0, SRCCOPY);
  SelectObject(g_mem_dc, g_region_bitmap);
  if (!SetClipboardData(CF_BITMAP, copy)) {
    DeleteObject(copy);
    show_message(MSG_COPY_FAILED, MessageKind::error);
  }
}
