// Where the animation bar draws its slots, which slot a click hits, and what the slot popup offers.
#pragma once

#include <cstdint>

constexpr int SLOT_GAP_MIN = 5;
constexpr int SLOT_TOP = 5;      // top of a slot's sunken frame
constexpr int SLOT_BOTTOM = 57;  // bottom of the frame
constexpr int SLOT_HIT_TOP = 5;
constexpr int SLOT_HIT_BOTTOM = 55;

// The extra pixels between neighbouring slots for a client width, at least SLOT_GAP_MIN.
int slot_gap_for_width(int client_width);
// Left edge of slot k's frame in client pixels.
int slot_left(int k, int gap);

// Hit test of a click at (x, y), both unsigned 16-bit client coordinates: the slot whose
// hit area holds x (only filled slots when only_filled), 0 for none; -1 when y lies outside
// the slots' band, so the last hit stays as it was.
int slot_hit(int gap, uint16_t x, uint16_t y, bool only_filled);

// The slot popup's commands.
constexpr int CMD_SLOT_DELETE = 501;
constexpr int CMD_SLOT_INSERT_CURRENT = 502;
constexpr int CMD_SLOT_MOVE_LEFT = 503;
constexpr int CMD_SLOT_MOVE_RIGHT = 504;
constexpr int CMD_SLOT_ADD_TO_CURRENT = 505;

// Which of the five commands the popup enables for a right click on slot k (1..8),
// from the slots' occupancy and the current frame.
struct SlotMenuState {
  bool delete_slot, insert_current, move_left, move_right, add_to_current;
};
SlotMenuState slot_menu_state(int k);
