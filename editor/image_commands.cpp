// Image commands through the plug-ins: import as a new project, replace the base image, export
// the rendered picture, and scan as a new project.
#include "editor/image_commands.h"

#include <commdlg.h>

#include <cstring>
#include <memory>
#include <new>

#include "editor/core/frame_slots.h"
#include "editor/core/message_text.h"
#include "editor/core/path_names.h"
#include "editor/engine_host_win32.h"
#include "editor/file_command_helpers.h"
#include "editor/file_commands.h"
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
#include "engine/field_commands.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"

void loaded_plugin_formats(PluginFormat formats[MAX_IMEX_LIBS]) {
  for (int i = 0; i < MAX_IMEX_LIBS; ++i) {
    formats[i] = {nullptr, nullptr};
    if (i < g_imex_count && g_imex_modules[i] && g_imex_entries[i].getError)
      formats[i] = {g_imex_entries[i].getError(-1), g_imex_entries[i].getError(-2)};
  }
}

void build_image_filter(bool combined, char* out) {
  PluginFormat formats[MAX_IMEX_LIBS];
  loaded_plugin_formats(formats);
  build_plugin_filter(formats, g_imex_count, combined, out, PLUGIN_FILTER_SIZE);
}

int image_plugin_for_path(const char* path) {
  PluginFormat formats[MAX_IMEX_LIBS];
  loaded_plugin_formats(formats);
  return plugin_for_path(formats, g_imex_count, path);
}

namespace {

constexpr DWORD OPEN_FLAGS = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
constexpr DWORD SAVE_FLAGS = OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
constexpr int MSG_REPLACE_QUESTION = 49;
constexpr int MSG_REPLACE_SIZE = 50;
constexpr char SCANNED_NAME[] = "gescanntes bild";

struct PixelBlock {
  std::unique_ptr<uint8_t[]> data;
  bool allocate(int32_t w, int32_t h) {
    data.reset(new (std::nothrow) uint8_t[static_cast<size_t>(w) * static_cast<size_t>(h) * 4]());
    return data != nullptr;
  }
};

// An image file opened through its plug-in with its size read; closes it when done.
class ImageReader {
 public:
  ~ImageReader() {
    if (open_) entry_->closeFile();
  }

  // Asks the plug-in for the path's file and its size; shows the message of any failure.
  bool start(const char* path) {
    const int slot = image_plugin_for_path(path);
    if (slot < 0) {
      show_message(MSG_UNKNOWN_FILE_TYPE, MessageKind::error);
      return false;
    }
    entry_ = &g_imex_entries[slot];
    if (entry_->openFile(path, 0) != 0) {
      show_message(MSG_CANNOT_OPEN, MessageKind::error);
      return false;
    }
    open_ = true;
    const int32_t code = entry_->get(&width, &height);
    if (code != 0) return fail(code);
    // A buffer beyond what the program addresses is more memory than it can have.
    const bool empty = width <= 0 || height <= 0;
    if (empty || static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4 > 0x7FFFFFFFu) {
      show_message(empty ? MSG_INVALID_FILE : MSG_OUT_OF_MEMORY, MessageKind::error);
      return false;
    }
    return true;
  }

  // Reads the pixels into a block of its own, so a failure leaves the project's image alone.
  bool read(PixelBlock& block) {
    if (!block.allocate(width, height)) {
      show_message(MSG_OUT_OF_MEMORY, MessageKind::error);
      return false;
    }
    int32_t code;
    {
      WaitCursor wait;
      code = entry_->open(block.data.get(), width, height);
    }
    return code == 0 || fail(code);
  }

  int32_t width = 0, height = 0;

 private:
  bool fail(int32_t code) {
    const char* text = entry_->getError(code);
    show_message_box(g_main_hwnd, text ? text : message_text(0), MessageKind::error);
    return false;
  }

  ImExLibEntry* entry_ = nullptr;
  bool open_ = false;
};

void copy_into_source(const PixelBlock& block) {
  const size_t pixels = static_cast<size_t>(g_image_width) * static_cast<size_t>(g_image_height);
  for (size_t i = 0; i < pixels; ++i) {
    std::memcpy(g_source_pixels + 4 * i, block.data.get() + 4 * i, 3);
    g_source_pixels[4 * i + 3] = 0;
  }
}

bool ask_image_to_open(const char* title, char* path) {
  static char filter[PLUGIN_FILTER_SIZE];
  build_image_filter(true, filter);
  if (!ask_file_name(false, title, filter, OPEN_FLAGS, "*", path)) return false;
  repaint_now();
  return true;
}

// Makes the workspace for w x h and the new project's first steps; tells the user when it
// does not fit in memory (the project stays).
bool begin_image_project(MainWindow& win, int32_t w, int32_t h) {
  HDC dc = GetDC(g_main_hwnd);
  const bool made = begin_new_project(win, dc, w, h);
  ReleaseDC(g_main_hwnd, dc);
  if (!made) show_message(MSG_OUT_OF_MEMORY, MessageKind::error);
  return made;
}

}  // namespace

void import_image_project(MainWindow& win) {
  if (!save_question_allows_replacing(win)) return;
  ModalFraming framing;
  char path[MAX_PATH];
  if (!ask_image_to_open("Bild importieren", path)) return;
  ImageReader reader;
  PixelBlock block;
  if (!reader.start(path) || !reader.read(block)) return;
  if (!begin_image_project(win, reader.width, reader.height)) return;
  copy_into_source(block);
  show_source_pixels();
  char name[PROJECT_NAME_SIZE];
  path_base_name(path, name, sizeof name);
  finish_image_project(win, name);
}

void replace_base_image(MainWindow& win) {
  if (show_message(MSG_REPLACE_QUESTION, MessageKind::question) != MessageAnswer::yes) return;
  ModalFraming framing;
  char path[MAX_PATH];
  if (!ask_image_to_open("Neues Bild einfügen", path)) return;
  ImageReader reader;
  if (!reader.start(path)) return;
  if (reader.width != g_image_width || reader.height != g_image_height) {
    show_message(MSG_REPLACE_SIZE, MessageKind::error);
    return;
  }
  PixelBlock block;
  if (!reader.read(block)) return;
  g_tool_mode = TOOL_MODE_NONE;
  g_current_tool = TOOL_NONE;
  g_project_modified = 1;
  engine_host().notify_tool_windows();
  if (g_mask_shown) hide_mask_overlay(win);
  std::memset(g_undo_field, 0, static_cast<size_t>(field_bytes(g_image_width, g_image_height)));
  enable_main_menu_item(CMD_UNDO, false);
  WaitCursor wait;
  copy_into_source(block);
  win.scroll_x = win.scroll_y = 0;
  show_source_pixels();
  render_all_thumbnails(win, 0);
  refresh_animation_bar();
  InvalidateRect(g_main_hwnd, nullptr, TRUE);
}

const char* image_default_extension() {
  PluginFormat formats[MAX_IMEX_LIBS];
  loaded_plugin_formats(formats);
  const char* extension = "";
  for (int i = 0; i < g_imex_count && !*extension; ++i) extension = default_extension(formats[i].pattern);
  return extension;
}

void export_current_image(MainWindow& win) {
  ModalFraming framing;
  static char filter[PLUGIN_FILTER_SIZE];
  build_image_filter(false, filter);
  char path[MAX_PATH];
  if (!ask_file_name(true, "Bild exportieren", filter, SAVE_FLAGS, image_default_extension(), path)) return;
  if (file_exists(path) && show_message(MSG_FILE_EXISTS, MessageKind::question) != MessageAnswer::yes) return;
  repaint_now();
  const int slot = image_plugin_for_path(path);
  if (slot < 0) {
    show_message(MSG_UNKNOWN_FILE_TYPE, MessageKind::error);
    return;
  }
  // Written beside the target first, so a failed export leaves an existing file whole.
  char temp[MAX_PATH] = "";
  const ImExLibEntry& entry = g_imex_entries[slot];
  if (!make_temp_beside(path, temp) || entry.openFile(temp, 1) != 0) {
    if (temp[0]) DeleteFileA(temp);
    show_message(MSG_CANNOT_OPEN, MessageKind::error);
    return;
  }
  int32_t result;
  {
    WaitCursor wait;
    if (g_region_width != g_image_width || g_region_height != g_image_height)
      render_region(win, 0, 0, g_image_width, g_image_height, 0);
    result = entry.save(g_render_pixels, g_image_width, g_image_height);
    if (entry.closeFile() != 0) result = result ? result : 1;
  }
  if (result == 0 && !MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) result = 1;
  if (result != 0) {
    DeleteFileA(temp);
    show_message(MSG_WRITE_ERROR, MessageKind::error);
    return;
  }
  name_project(path);
  g_project_path[0] = 0;
}

void scan_image(MainWindow& win) {
  if (!g_twain_acquire_image || !save_question_allows_replacing(win)) return;
  ModalFraming framing;
  ScanResult* scan = g_twain_acquire_image(g_instance, g_main_hwnd);
  if (!scan || !scan->pixels) return;
  const int32_t w = scan->width, h = scan->height;
  uint8_t* pixels = scan->pixels;
  if (!begin_image_project(win, w, h)) {
    GlobalFree(pixels);
    return;
  }
  {
    WaitCursor wait;
    const size_t count = static_cast<size_t>(w) * static_cast<size_t>(h);
    for (size_t i = 0; i < count; ++i) std::memcpy(g_source_pixels + 4 * i, pixels + 3 * i, 3);
    GlobalFree(pixels);
  }
  show_source_pixels();
  finish_image_project(win, SCANNED_NAME);
}
