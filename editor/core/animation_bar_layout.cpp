// Animation bar geometry and popup rules over the key-frame slots.
#include "editor/core/animation_bar_layout.h"

#include "editor/core/frame_slots.h"

int slot_gap_for_width(int client_width) {
  // Extended precision over the single-precision constants, so 525 pixels give 9, not 10.
  const long double gap = (static_cast<long double>(client_width) - 456.0f) * static_cast<long double>(0.14492753f);
  if (gap < SLOT_GAP_MIN) return SLOT_GAP_MIN;
  if (gap > 100000.0L) return 100000;
  return static_cast<int>(gap);
}

int slot_left(int k, int gap) { return (k - 1) * (gap + 55) + 5; }

int slot_hit(int gap, uint16_t x, uint16_t y, bool only_filled) {
  if (y < SLOT_HIT_TOP || y > SLOT_HIT_BOTTOM) return -1;
  int hit = 0;
  for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) {
    const int left = slot_left(k, gap);
    if ((!only_filled || slot_filled(k)) && x > left - 1 && x < left + 57) hit = k;
  }
  return hit;
}

SlotMenuState slot_menu_state(int k) {
  SlotMenuState s = {false, true, false, false, false};
  const int filled = filled_slot_count();
  if (k <= 2) {
    s.delete_slot = filled > 2;
    s.move_left = k == 2 && slot_filled(2);
    s.move_right = k == 1 || slot_filled(3);
    s.add_to_current = k == 1 || slot_filled(2);
  } else {
    s.delete_slot = slot_filled(k);
    s.insert_current = slot_filled(k - 1);
    s.move_left = slot_filled(k);
    s.move_right = k < FRAME_SLOT_COUNT && slot_filled(k + 1);
    s.add_to_current = slot_filled(k);
  }
  if (k == g_current_frame) s.add_to_current = false;
  return s;
}
