// Animation frames between key frames: the schedule, the field interpolation, the numbered
// file names and the AVI frame layout, free of any platform call.
#pragma once

#include <cstddef>
#include <cstdint>

#include "editor/core/frame_slots.h"
#include "engine/field.h"

constexpr int32_t MAX_SLOT_FRAMES = 999;

// The in-between counts of an export: each slot's text parsed and clamped to 0..999; an empty
// slot 3..8 counts 0 whatever its text says.
void read_slot_frames(const FrameSlot slots[FRAME_SLOT_COUNT], int32_t frames[FRAME_SLOT_COUNT]);

// The steps of the progress bar: every count, 5, and one for each slot 3..8 with a count.
int32_t export_progress_range(const int32_t frames[FRAME_SLOT_COUNT]);

// Where frame f (0 = the first) lies: segment j runs from slot j's field to slot to_slot's
// (slot j + 1 when it is filled and j < 8, else slot 1) at position t.
struct FramePosition {
  int segment;
  int to_slot;
  double t;
  bool last;  // the animation ends with this frame
};

// filled[k - 1] tells whether slot k has a field. False when f lies past the end.
bool locate_frame(const int32_t frames[FRAME_SLOT_COUNT], const bool filled[FRAME_SLOT_COUNT], int32_t f,
                  FramePosition* position);

// out = to * t + from * (1 - t) over count pairs, computed in double and stored as float.
void interpolate_field(const DisplacementField* from, const DisplacementField* to, double t, std::size_t count,
                       DisplacementField* out);

// An options edit's text read as "%d" does (blanks, a sign, digits; saturating); fallback when it
// holds no number; then clamped to lo..hi.
int32_t parse_option_value(const char* text, int32_t fallback, int32_t lo, int32_t hi);

// path with frame, formatted "%03d", appended to its base name before the extension
// ("C:\a\film.bmp", 1 gives "C:\a\film001.bmp"). False when it does not fit in size bytes.
bool numbered_file_name(const char* path, int32_t frame, char* out, std::size_t size);

// AVI frames: 24-bit rows, bottom row first, each padded to a multiple of 4 bytes.
uint32_t avi_row_stride(int32_t width);
uint64_t avi_image_bytes(int32_t width, int32_t height);
// Converts rendered pixels (4 bytes, top row first) into that layout; padding is not written.
void copy_frame_bottom_up(const uint8_t* rendered, int32_t width, int32_t height, uint8_t* out);
// Samples count from 0; the first is a key frame and every interval-th after it.
bool avi_key_frame(int32_t sample, int32_t interval);
