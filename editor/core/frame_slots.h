// Key-frame slots: eight displacement fields with their frame counts, and the current frame.
#pragma once

#include <cstdint>

#include "engine/field.h"

constexpr int FRAME_SLOT_COUNT = 8;
constexpr int FRAMES_TEXT_SIZE = 8;  // at most 7 characters and the terminating zero
constexpr char DEFAULT_SLOT_FRAMES[] = "15";
constexpr char EMPTY_SLOT_FRAMES[] = "0";
constexpr int32_t DEFAULT_FRAME_COUNT = 15;  // what readers use for a text that is no number

// The thumbnail strip: slot k's cell at x = thumb_cell_x(k), y = 0; the cell at
// THUMB_SWAP_X is swap space for moving slots, the last 6 columns stay unused.
constexpr int THUMB_STRIP_W = 510;
constexpr int THUMB_STRIP_H = 50;
constexpr int THUMB_CELL_W = 56;
constexpr int THUMB_CELL_H = 50;
constexpr int THUMB_SWAP_X = 448;
constexpr int thumb_cell_x(int k) { return THUMB_CELL_W * (k - 1); }

// One key frame: its own field (null = empty slot) and the number of in-between
// frames to the next key frame, as the decimal text the user typed.
struct FrameSlot {
  DisplacementField* field;
  char frames_text[FRAMES_TEXT_SIZE];
};

// Invariants: slots 1 and 2 are filled, the filled slots run from slot 1 without gaps,
// and g_current_field is the field of filled slot g_current_frame.
extern FrameSlot g_frame_slots[FRAME_SLOT_COUNT];  // slot k is element k - 1
extern FrameSlot g_scratch_slot;                   // swap space; no invariant
extern int32_t g_current_frame;                    // 1..8

FrameSlot& frame_slot(int k);
bool slot_filled(int k);  // false for k outside 1..8
int filled_slot_count();

// Copies at most 7 characters and terminates.
void set_frames_text(FrameSlot& slot, const char* text);
// The slot's count parsed as "%d" does (leading blanks, a sign, digits; saturating);
// DEFAULT_FRAME_COUNT when the text holds no number (" " after an empty edit).
int32_t slot_frame_count(const FrameSlot& slot);

// A zero-filled field block for the current image size (field_bytes), from the engine
// host's allocator; null when memory runs out. Freed with free_field_block.
DisplacementField* allocate_field_block();
void free_field_block(DisplacementField* field);

// Frees every slot's field; all slots empty with "0", g_current_field null.
void free_frame_slots();
// The new-workspace state: slots 1 and 2 hold new zero fields with "15", slots 3 to 8
// are empty with "0", slot 2 is current. False when a field could not be allocated
// (the slots are then all empty).
bool reset_frame_slots();
// After fixing the distortions: the fields of slots 1 and 2 zeroed, their texts kept;
// slots 3 to 8 freed with "0"; slot 2 current.
void restart_frame_slots();
// Makes filled slot k current; the undo delta, which belonged to the previous field, is
// zeroed and Undo grayed. Nothing for an empty slot or the current one; false then.
bool select_frame(int k);
