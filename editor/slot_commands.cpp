// Slot popup commands: the slot model changes, then the thumbnail strip, edits and view follow.
#include "editor/slot_commands.h"

#include "editor/animation_bar.h"
#include "editor/core/frame_slots.h"
#include "editor/core/slot_commands.h"
#include "editor/dialogs.h"
#include "editor/engine_host_win32.h"
#include "editor/resources/resource.h"
#include "editor/thumbnail_strip.h"
#include "editor/tool_window_frame.h"

namespace {

// Copies strip blocks inside the strip; false when there is no strip to copy in.
template <typename Copies>
void with_strip(Copies copies) {
  if (!g_mem_dc || !g_thumb_strip) return;
  SelectObject(g_mem_dc, g_thumb_strip);
  copies(g_mem_dc);
  SelectObject(g_mem_dc, g_region_bitmap);
}

void copy_cells(HDC dc, int to_x, int from_x, int width) {
  BitBlt(dc, to_x, 0, width, THUMB_CELL_H, dc, from_x, 0, SRCCOPY);
}

void invalidate_bar(HWND bar) { InvalidateRect(bar, nullptr, TRUE); }

void move_frame(HWND bar, int k, int n) {
  slot_edits_to_texts(bar);
  if (!swap_slots(k, n)) return;
  with_strip([k, n](HDC dc) {
    copy_cells(dc, THUMB_SWAP_X, thumb_cell_x(k), THUMB_CELL_W);
    copy_cells(dc, thumb_cell_x(k), thumb_cell_x(n), THUMB_CELL_W);
    copy_cells(dc, thumb_cell_x(n), THUMB_SWAP_X, THUMB_CELL_W);
  });
  rerender_main_window();
  invalidate_bar(bar);
  slot_texts_to_edits(bar);
}

}  // namespace

uint64_t available_page_file_bytes() {
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return 0;
  return status.ullAvailPageFile;
}

void delete_frame_slot(HWND bar, int k) {
  slot_edits_to_texts(bar);
  bool rerender = false;
  if (!delete_slot(k, &rerender)) return;
  if (k < FRAME_SLOT_COUNT)
    with_strip(
        [k](HDC dc) { copy_cells(dc, thumb_cell_x(k), thumb_cell_x(k + 1), THUMB_CELL_W * (FRAME_SLOT_COUNT - k)); });
  if (rerender) rerender_main_window();
  slot_texts_to_edits(bar);
  invalidate_bar(bar);
}

// Only the inserted slot's edit is touched: counts typed into the others stay unread.
void insert_current_field(HWND bar, int k) {
  if (insert_current_into_slot(k, available_page_file_bytes()) != InsertResult::inserted) return;
  const int edit = IDC_FRAMES_EDIT_BASE + k - 1;
  if (k >= 3) EnableWindow(GetDlgItem(bar, edit), TRUE);
  replace_edit_text(bar, edit, DEFAULT_SLOT_FRAMES);
  draw_thumbnail(k);
  invalidate_bar(bar);
}

void move_frame_left(HWND bar, int k) { move_frame(bar, k, k - 1); }

void move_frame_right(HWND bar, int k) { move_frame(bar, k, k + 1); }

void add_slot_to_current(HWND bar, int k) {
  if (!add_slot_into_current(k)) return;
  rerender_main_window();
  draw_thumbnail(g_current_frame);
  invalidate_bar(bar);
}
