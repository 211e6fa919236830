// Workspace set-up on window creation, the exit questions with the preference write, and the teardown.
#include "editor/workspace.h"

#include <commctrl.h>

#include <cstring>
#include <initializer_list>

#include "editor/animation_export.h"
#include "editor/core/frame_slots.h"
#include "editor/core/project_file.h"
#include "editor/engine_host_win32.h"
#include "editor/file_commands.h"
#include "editor/memory.h"
#include "editor/message_box.h"
#include "editor/preferences.h"
#include "editor/printing.h"
#include "editor/resources/resource.h"
#include "editor/startup.h"
#include "editor/thumbnail_strip.h"
#include "editor/tool_windows.h"
#include "editor/view_paint.h"
#include "editor/window.h"
#include "engine/edit_state.h"
#include "engine/field.h"
#include "engine/field_commands.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"
#include "engine/unwarp_grid.h"

HBITMAP g_image_bitmap = nullptr;
BITMAPINFOHEADER g_image_bmi = {};
MemoryStatusFn g_memory_status = GlobalMemoryStatusEx;

namespace {

constexpr int START_REGION_SIZE = 101;
constexpr int MSG_PRINT_JOB_RUNNING = 48;

uint64_t pixel_block_bytes(int32_t w, int32_t h) {
  return static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * 4 + 100;
}
uint64_t mask_block_bytes(int32_t w, int32_t h) { return static_cast<uint64_t>(w) * static_cast<uint64_t>(h) / 8 + 1; }

void* alloc_zeroed(uint64_t bytes, bool retry = true) {
  void* block = retry ? alloc_with_retry(bytes) : alloc_once(bytes);
  if (block) std::memset(block, 0, static_cast<size_t>(bytes));
  return block;
}

void* alloc_zeroed_or_exit(uint64_t bytes) {
  void* block = alloc_zeroed(bytes);
  if (!block) fatal_out_of_memory();
  return block;
}

void gray_mask_commands() {
  HMENU menu = GetMenu(g_main_hwnd);
  for (int id : {CMD_MASK_APPLY, CMD_MASK_REMOVE, CMD_MASK_INVERT}) EnableMenuItem(menu, id, MF_BYCOMMAND | MF_GRAYED);
  CheckMenuItem(menu, CMD_MASK_APPLY, MF_BYCOMMAND | MF_UNCHECKED);
  EnableMenuItem(menu, CMD_UNDO, MF_BYCOMMAND | MF_GRAYED);
}

// Everything a workspace of one size owns.
struct WorkspaceBlocks {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  uint8_t* source = nullptr;
  uint8_t* render = nullptr;
  DisplacementField* slot1 = nullptr;
  DisplacementField* slot2 = nullptr;
  DisplacementField* undo = nullptr;
  uint8_t* mask = nullptr;

  void free_all() {
    if (dc) DeleteDC(dc);
    if (bitmap) DeleteObject(bitmap);
    for (void* block : {static_cast<void*>(source), static_cast<void*>(render), static_cast<void*>(slot1),
                        static_cast<void*>(slot2), static_cast<void*>(undo), static_cast<void*>(mask)})
      free_block(block);
    *this = {};
  }
};

// Every block of a w x h workspace, each with retries or in one attempt; on a failure what
// was had is freed again.
bool allocate_blocks(HDC reference_dc, int32_t w, int32_t h, bool retry, WorkspaceBlocks& b) {
  const uint64_t field = field_bytes(w, h);
  b.source = static_cast<uint8_t*>(alloc_zeroed(pixel_block_bytes(w, h), retry));
  b.render = b.source ? static_cast<uint8_t*>(alloc_zeroed(pixel_block_bytes(w, h), retry)) : nullptr;
  b.slot1 = b.render ? static_cast<DisplacementField*>(alloc_zeroed(field, retry)) : nullptr;
  b.slot2 = b.slot1 ? static_cast<DisplacementField*>(alloc_zeroed(field, retry)) : nullptr;
  b.undo = b.slot2 ? static_cast<DisplacementField*>(alloc_zeroed(field, retry)) : nullptr;
  b.mask = b.undo ? static_cast<uint8_t*>(alloc_zeroed(mask_block_bytes(w, h), retry)) : nullptr;
  if (b.mask) {
    b.bitmap = CreateCompatibleBitmap(reference_dc, w, h);
    b.dc = b.bitmap ? CreateCompatibleDC(reference_dc) : nullptr;
  }
  if (!b.dc) {
    b.free_all();
    return false;
  }
  SelectObject(b.dc, b.bitmap);
  return true;
}

void free_workspace_blocks() {
  free_frame_slots();
  free_block(g_undo_field);
  g_undo_field = nullptr;
  free_block(g_mask_bits);
  g_mask_bits = nullptr;
  free_block(g_source_pixels);
  g_source_pixels = nullptr;
  free_block(g_render_pixels);
  g_render_pixels = nullptr;
}

// Frees the buffers, the picture and its device context of the current project.
void release_workspace() {
  free_workspace_blocks();
  if (g_image_dc) DeleteDC(g_image_dc);
  if (g_image_bitmap) DeleteObject(g_image_bitmap);
  g_image_dc = nullptr;
  g_image_bitmap = nullptr;
}

// Whether bytes more fit the free address space and page file once freed more are released.
bool memory_fits(uint64_t bytes, uint64_t freed) {
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  return !g_memory_status(&status) ||
         (bytes <= status.ullAvailVirtual + freed && bytes <= status.ullAvailPageFile + freed);
}

}  // namespace

void fill_image_bmi(int32_t w, int32_t h) { g_image_bmi = top_down_bmi(w, h); }

bool project_fits(uint64_t bytes) {
  // The buffers of the current project: pixel blocks, the filled slots' fields, undo delta, mask.
  return memory_fits(bytes, project_memory_bytes(g_image_width, g_image_height, filled_slot_count()));
}

bool workspace_fits(int32_t w, int32_t h) { return w > 0 && h > 0 && project_fits(project_memory_bytes(w, h, 2)); }

bool rebuild_workspace(HDC reference_dc, int32_t w, int32_t h) {
  if (!workspace_fits(w, h)) return false;
  WorkspaceBlocks b;
  // Beside the old buffers when they leave room; otherwise, or when that fails, the old ones
  // go first, and then there is no way back.
  if (!memory_fits(project_memory_bytes(w, h, 2), 0) || !allocate_blocks(reference_dc, w, h, false, b)) {
    release_workspace();
    if (!allocate_blocks(reference_dc, w, h, true, b)) fatal_out_of_memory();
  }
  release_workspace();
  g_image_dc = b.dc;
  g_image_bitmap = b.bitmap;
  g_image_width = w;
  g_image_height = h;
  g_source_pixels = b.source;
  g_render_pixels = b.render;
  g_undo_field = b.undo;
  g_mask_bits = b.mask;
  frame_slot(1).field = b.slot1;
  frame_slot(2).field = b.slot2;
  set_frames_text(frame_slot(1), DEFAULT_SLOT_FRAMES);
  set_frames_text(frame_slot(2), DEFAULT_SLOT_FRAMES);
  g_current_frame = 2;
  g_current_field = b.slot2;
  g_mask_shown = g_mask_applied = g_mask_exists = 0;
  gray_mask_commands();
  fill_image_bmi(w, h);
  forget_rendered_region();  // the new render buffer holds no rendering yet
  return true;
}

void show_source_pixels() {
  // The whole image; when that is refused, as many top rows as it takes, each at its own place.
  auto* picture = static_cast<HBITMAP>(GetCurrentObject(g_image_dc, OBJ_BITMAP));
  for (int32_t n = g_image_height; n > 0; --n) {
    BITMAPINFOHEADER bmi = top_down_bmi(g_image_width, n);
    if (SetDIBits(g_image_dc, picture, 0, n, g_source_pixels, reinterpret_cast<BITMAPINFO*>(&bmi), DIB_RGB_COLORS))
      return;
  }
}

void read_image_pixels() {
  auto* picture = static_cast<HBITMAP>(GetCurrentObject(g_image_dc, OBJ_BITMAP));
  for (int32_t n = g_image_height; n > 0; --n) {
    BITMAPINFOHEADER bmi = top_down_bmi(g_image_width, n);
    if (GetDIBits(g_image_dc, picture, 0, n, g_source_pixels, reinterpret_cast<BITMAPINFO*>(&bmi), DIB_RGB_COLORS))
      return;
  }
}

void render_all_thumbnails(MainWindow& win, int32_t wait_cursor) {
  int order[FRAME_SLOT_COUNT];
  int n = 0;
  order[n++] = 1;
  for (int k = 3; k <= FRAME_SLOT_COUNT; ++k)
    if (slot_filled(k)) order[n++] = k;
  order[n++] = 2;
  for (int i = 0; i < n; ++i) {
    g_current_field = frame_slot(order[i]).field;
    render_region(win, 0, 0, g_image_width, g_image_height, wait_cursor);
    draw_thumbnail(order[i]);
  }
  g_current_frame = 2;
  g_current_field = frame_slot(2).field;
}

void init_workspace(MainWindow& win) {
  g_region_width = g_region_height = START_REGION_SIZE;
  g_brush_size = 101;
  g_brush_strength = 2;
  win.drag_state = 0;
  g_tool_mode = TOOL_MODE_NONE;
  g_current_tool = TOOL_NONE;
  g_export_busy = 0;
  g_mask_shown = g_mask_applied = g_mask_exists = 0;
  g_project_path[0] = 0;
  // The view options as the menu's check marks show them, before anything is rendered (a
  // command-line project is, below); the first show then changes only what is stored otherwise.
  g_smoothing = g_border_repeat = 1;
  g_color_separation = 0;

  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  g_highlight_pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  g_shadow_pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));

  HDC dc = GetDC(g_main_hwnd);
  win.settings_bar_dlgproc = settings_bar_proc;
  win.tool_palette_dlgproc = tool_palette_proc;
  win.animation_bar_dlgproc = animation_bar_proc;
  g_image_dc = CreateCompatibleDC(dc);
  g_mem_dc = CreateCompatibleDC(dc);

  g_image_bitmap = LoadBitmapA(g_instance, "TESTMAP");
  BITMAP info = {};
  if (!g_image_bitmap || !GetObjectA(g_image_bitmap, sizeof info, &info)) fatal_out_of_memory();
  g_image_width = info.bmWidth;
  g_image_height = info.bmHeight;
  const int32_t w = g_image_width, h = g_image_height;
  SelectObject(g_image_dc, g_image_bitmap);

  g_region_bitmap = CreateCompatibleBitmap(dc, START_REGION_SIZE, START_REGION_SIZE);
  if (!g_mem_dc || !g_image_dc || !g_region_bitmap) fatal_out_of_memory();
  SelectObject(g_mem_dc, g_region_bitmap);
  fill_region_bmi(START_REGION_SIZE, START_REGION_SIZE);

  reset_unwarp_grid();

  g_source_pixels = static_cast<uint8_t*>(alloc_zeroed_or_exit(pixel_block_bytes(w, h)));
  g_render_pixels = static_cast<uint8_t*>(alloc_zeroed_or_exit(pixel_block_bytes(w, h)));
  fill_image_bmi(w, h);
  read_image_pixels();

  if (!reset_frame_slots()) fatal_out_of_memory();
  if (!create_thumb_strip(dc)) fatal_out_of_memory();
  draw_thumbnail(1);
  draw_thumbnail(2);

  g_undo_field = static_cast<DisplacementField*>(alloc_zeroed_or_exit(field_bytes(w, h)));
  g_mask_bits = static_cast<uint8_t*>(alloc_zeroed_or_exit(mask_block_bytes(w, h)));
  win.scroll_x = win.scroll_y = 0;
  g_project_modified = 0;

  if (g_command_line[0]) open_command_line_project(win, dc);
  ReleaseDC(g_main_hwnd, dc);
}

namespace {

// The questions before closing; true when the program may close.
bool exit_questions_allow_closing(MainWindow& win) {
  if (g_print_jobs != 0 && show_message(MSG_PRINT_JOB_RUNNING, MessageKind::question) != MessageAnswer::yes)
    return false;
  if (!g_project_modified) return true;
  switch (show_message(MSG_SAVE_QUESTION, MessageKind::question_cancel)) {
    case MessageAnswer::yes: return g_project_path[0] ? save_project_to_path(win) : save_project_as(win);
    case MessageAnswer::no: return true;
    default: return false;  // Cancel, or a box that could not be shown
  }
}

}  // namespace

void request_exit(MainWindow& win) {
  // The export's dialog still uses the workspace; it has its own way to stop.
  if (g_export_busy || !exit_questions_allow_closing(win)) return;
  write_preferences();
  DestroyWindow(g_main_hwnd);
}

void destroy_workspace() {
  for (HDC* dc : {&g_image_dc, &g_mem_dc}) {
    if (*dc) DeleteDC(*dc);
    *dc = nullptr;
  }
  for (HPEN* pen : {&g_highlight_pen, &g_shadow_pen}) {
    if (*pen) DeleteObject(*pen);
    *pen = nullptr;
  }
  for (HBITMAP* bitmap : {&g_image_bitmap, &g_region_bitmap}) {
    if (*bitmap) DeleteObject(*bitmap);
    *bitmap = nullptr;
  }
  delete_thumb_strip();
  free_workspace_blocks();
  PostQuitMessage(0);
}
