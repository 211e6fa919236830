// The slot popup's commands on the key-frame model: delete, insert a copy of the current
// field, swap with a neighbour, add into the current field. Drawing is left to the caller.
#pragma once

#include <cstdint>

// Free memory that an insert keeps beyond the new field: 1 MiB and 100 bytes.
constexpr uint64_t NEW_SLOT_MEM_RESERVE = 1048676;

// Frees filled slot k, moves the later slots down and empties slot 8 ("0"); the current
// frame follows its field (or becomes 1 when it was deleted), the undo is cleared.
// Nothing happens (false) for an empty slot or when slots 1 and 2 would not stay filled.
// *rerender tells whether the current frame was the deleted slot or a later one.
bool delete_slot(int k, bool* rerender);

// Whether a new slot field would leave less than the reserve of available_bytes.
bool new_slot_memory_short(uint64_t available_bytes);

enum class InsertResult {
  inserted,       // slot k holds a copy of the current field and the text "15"
  memory_short,   // empty slot, not enough memory: nothing changed
  no_allocation,  // empty slot, the allocation failed: nothing changed
  out_of_reach,   // k outside 1..8, or slot k - 1 empty
};
// Puts a copy of the current field into slot k (a new field for an empty slot, the old one
// overwritten otherwise; the current slot keeps its field untouched) and "15" as its text.
InsertResult insert_current_into_slot(int k, uint64_t available_bytes);

// Swaps filled slots k and n (fields and texts, through g_scratch_slot). The moved key
// frame stays current when either was; the undo is cleared. False (nothing done) unless
// both are filled neighbours.
bool swap_slots(int k, int n);

// Adds slot k's field into the current field pair by pair; the undo delta becomes slot k's
// field and Undo is enabled. False (nothing done) for an empty slot.
bool add_slot_into_current(int k);
