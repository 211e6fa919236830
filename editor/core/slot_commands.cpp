// Key-frame slot commands on the platform-free slot model.
#include "editor/core/slot_commands.h"

#include <cstring>

#include "editor/core/frame_slots.h"
#include "engine/edit_state.h"
#include "engine/engine_host.h"
#include "engine/field.h"
#include "engine/field_commands.h"

namespace {

bool valid_slot(int k) { return k >= 1 && k <= FRAME_SLOT_COUNT; }

void clear_undo() {
  if (g_undo_field) clear_field(g_undo_field);
  engine_host().enable_menu_item(CMD_UNDO, false);
}

}  // namespace

bool delete_slot(int k, bool* rerender) {
  *rerender = false;
  if (!slot_filled(k) || (k <= 2 && filled_slot_count() <= 2)) return false;
  g_project_modified = 1;
  const int c = g_current_frame;
  free_field_block(frame_slot(k).field);
  for (int j = k; j < FRAME_SLOT_COUNT; ++j) {
    frame_slot(j).field = frame_slot(j + 1).field;
    set_frames_text(frame_slot(j), frame_slot(j + 1).frames_text);
  }
  FrameSlot& last = frame_slot(FRAME_SLOT_COUNT);
  last.field = nullptr;
  set_frames_text(last, EMPTY_SLOT_FRAMES);
  clear_undo();
  g_current_frame = c > k ? c - 1 : c == k ? 1 : c;
  g_current_field = frame_slot(g_current_frame).field;
  *rerender = c >= k;
  return true;
}

bool new_slot_memory_short(uint64_t available_bytes) {
  return field_bytes(g_image_width, g_image_height) - FIELD_SLACK_BYTES + NEW_SLOT_MEM_RESERVE > available_bytes;
}

InsertResult insert_current_into_slot(int k, uint64_t available_bytes) {
  if (!valid_slot(k) || (k > 3 && !slot_filled(k - 1))) return InsertResult::out_of_reach;
  g_project_modified = 1;
  const uint64_t bytes = field_bytes(g_image_width, g_image_height);
  FrameSlot& slot = frame_slot(k);
  if (!slot.field) {
    if (new_slot_memory_short(available_bytes)) return InsertResult::memory_short;
    slot.field = static_cast<DisplacementField*>(engine_host().allocate_field(bytes));
    if (!slot.field) return InsertResult::no_allocation;
  }
  if (slot.field != g_current_field) std::memcpy(slot.field, g_current_field, static_cast<size_t>(bytes));
  set_frames_text(slot, DEFAULT_SLOT_FRAMES);
  return InsertResult::inserted;
}

bool swap_slots(int k, int n) {
  if (!slot_filled(k) || !slot_filled(n) || (k - n != 1 && n - k != 1)) return false;
  g_project_modified = 1;
  FrameSlot& a = frame_slot(k);
  FrameSlot& b = frame_slot(n);
  set_frames_text(g_scratch_slot, a.frames_text);
  set_frames_text(a, b.frames_text);
  set_frames_text(b, g_scratch_slot.frames_text);
  g_scratch_slot.field = a.field;
  a.field = b.field;
  b.field = g_scratch_slot.field;
  if (g_current_frame == k) g_current_frame = n;
  if (g_current_frame == n) g_current_field = b.field;
  clear_undo();
  return true;
}

bool add_slot_into_current(int k) {
  if (!slot_filled(k) || !g_current_field || !g_undo_field) return false;
  g_project_modified = 1;
  EngineHost& host = engine_host();
  host.begin_wait_cursor();
  clear_field(g_undo_field);
  host.enable_menu_item(CMD_UNDO, true);
  const DisplacementField* s = frame_slot(k).field;
  const int64_t pairs = static_cast<int64_t>(g_image_width) * g_image_height;
  for (int64_t i = 0; i < pairs; ++i) {
    g_undo_field[i] = s[i];
    g_current_field[i].dx += s[i].dx;
    g_current_field[i].dy += s[i].dy;
  }
  host.end_wait_cursor();
  return true;
}
