// Win32 side of the key frames: the thumbnail strip, one 56 x 50 cell per slot.
#pragma once

#include <windows.h>

extern HBITMAP g_thumb_strip;  // THUMB_STRIP_W x THUMB_STRIP_H, compatible with the screen

// Makes the strip compatible with dc; false when there is no room for it.
bool create_thumb_strip(HDC dc);
void delete_thumb_strip();

// Draws the picture rendered last (all of g_image_dc) reduced into slot k's cell. The
// strip is in g_mem_dc only meanwhile; g_region_bitmap goes back afterwards.
void draw_thumbnail(int k);
// Redraws the current key frame's cell and invalidates the animation bar (with erasing)
// when it is open. The caller renders first.
void refresh_current_thumbnail();
// After fixing the distortions: slots 1 and 2 zero with slot 2 current, slots 3 to 8
// empty, cells 1 and 2 redrawn, and the open animation bar shown the new slot texts.
void restart_key_frames_after_fix();
