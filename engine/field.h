// Displacement field core: layout, the current field and undo delta, guarded per-pixel primitives.
#pragma once

#include <cstddef>
#include <cstdint>

// One pixel's displacement: the rendered pixel (x, y) shows the source at (x + dx, y + dy).
struct DisplacementPair {
  float dx;
  float dy;
};

// A field is W * H pairs, row-major, pair (x, y) at index y * W + x, in one
// allocation of field_bytes(W, H) (the pairs plus FIELD_SLACK_BYTES).
using DisplacementField = DisplacementPair;

constexpr std::size_t FIELD_SLACK_BYTES = 100;

extern DisplacementField* g_current_field;
extern DisplacementField* g_undo_field;
extern int32_t g_image_width;
extern int32_t g_image_height;
extern uint8_t* g_mask_bits;    // bit (i % 8) of byte i / 8, i = y * W + x; 1 = editable
extern int32_t g_mask_applied;  // non-zero: writes only where the mask bit is 1
extern int32_t g_cpu_count;

// Bytes of one field of w x h pixels, slack included; 64-bit so it never wraps.
uint64_t field_bytes(int32_t w, int32_t h);
// Zeroes every byte of a field of the current image size, slack included.
void clear_field(DisplacementField* field);

inline bool mask_bit(int32_t x, int32_t y) {
  const int64_t i = static_cast<int64_t>(y) * g_image_width + x;
  return (g_mask_bits[i >> 3] >> (i & 7)) & 1;
}

void set_displacement(int32_t x, int32_t y, float dx, float dy);
void add_displacement(int32_t x, int32_t y, float dx, float dy);
void scale_displacement(int32_t x, int32_t y, float factor, float threshold);
DisplacementPair get_displacement(int32_t x, int32_t y);
DisplacementPair get_undo_displacement(int32_t x, int32_t y);

// Number of set bits among the low 32 bits of the process's affinity mask
// (1 when the platform cannot tell).
int count_processors();
