// The animation bar: the key-frame slots as thumbnails with their frame-count edits.
#pragma once

#include <windows.h>

extern int g_frame_hit;    // slot under the last click on the bar, 0 for none
extern HMENU g_slot_menu;  // the slot popup, per opening of the bar
extern int g_slot_gap;     // extra pixels between neighbouring slots

constexpr int FRAMES_TEXT_LIMIT = 7;  // characters an edit takes: what a slot text holds

// Slot texts into the eight edits, and each edit enabled exactly when its slot is filled.
void slot_texts_to_edits(HWND bar);
// The eight edits back into the slot texts (" " for an empty edit).
void slot_edits_to_texts(HWND bar);
