// Key-frame slot model: platform-free; fields come from the engine host's allocator.
#include "editor/core/frame_slots.h"

#include <cctype>
#include <cstring>

#include "engine/engine_host.h"
#include "engine/field_commands.h"

FrameSlot g_frame_slots[FRAME_SLOT_COUNT] = {};
FrameSlot g_scratch_slot = {};
int32_t g_current_frame = 2;

FrameSlot& frame_slot(int k) { return g_frame_slots[k - 1]; }

bool slot_filled(int k) { return k >= 1 && k <= FRAME_SLOT_COUNT && frame_slot(k).field != nullptr; }

int filled_slot_count() {
  int n = 0;
  for (const FrameSlot& slot : g_frame_slots) n += slot.field != nullptr;
  return n;
}

void set_frames_text(FrameSlot& slot, const char* text) {
  std::strncpy(slot.frames_text, text, FRAMES_TEXT_SIZE - 1);
  slot.frames_text[FRAMES_TEXT_SIZE - 1] = 0;
}

int32_t slot_frame_count(const FrameSlot& slot) {
  const char* p = slot.frames_text;
  const char* end = p + FRAMES_TEXT_SIZE;
  while (p < end && std::isspace(static_cast<unsigned char>(*p))) ++p;
  bool negative = false;
  if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
  if (p == end || !std::isdigit(static_cast<unsigned char>(*p))) return DEFAULT_FRAME_COUNT;
  int64_t value = 0;
  for (; p < end && std::isdigit(static_cast<unsigned char>(*p)); ++p)
    if (value < INT32_MAX) value = value * 10 + (*p - '0');
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<int32_t>(negative ? -value : value);
}

DisplacementField* allocate_field_block() {
  const uint64_t bytes = field_bytes(g_image_width, g_image_height);
  auto* field = static_cast<DisplacementField*>(engine_host().allocate_field(bytes));
  if (field) std::memset(static_cast<void*>(field), 0, static_cast<size_t>(bytes));
  return field;
}

void free_field_block(DisplacementField* field) {
  if (field) engine_host().free_field(field);
}

namespace {

void empty_slot(FrameSlot& slot) {
  free_field_block(slot.field);
  slot.field = nullptr;
  set_frames_text(slot, EMPTY_SLOT_FRAMES);
}

}  // namespace

void free_frame_slots() {
  for (FrameSlot& slot : g_frame_slots) empty_slot(slot);
  g_current_field = nullptr;
}

bool reset_frame_slots() {
  free_frame_slots();
  for (int k = 1; k <= 2; ++k) {
    FrameSlot& slot = frame_slot(k);
    slot.field = allocate_field_block();
    if (!slot.field) {
      free_frame_slots();
      return false;
    }
    set_frames_text(slot, DEFAULT_SLOT_FRAMES);
  }
  g_current_frame = 2;
  g_current_field = frame_slot(2).field;
  return true;
}

void restart_frame_slots() {
  clear_field(frame_slot(1).field);
  clear_field(frame_slot(2).field);
  for (int k = 3; k <= FRAME_SLOT_COUNT; ++k) empty_slot(frame_slot(k));
  g_current_frame = 2;
  g_current_field = frame_slot(2).field;
}

bool select_frame(int k) {
  if (!slot_filled(k) || k == g_current_frame) return false;
  g_current_field = frame_slot(k).field;
  g_current_frame = k;
  if (g_undo_field) clear_field(g_undo_field);
  engine_host().enable_menu_item(CMD_UNDO, false);
  return true;
}
