// Displacement field core: the guarded primitives every edit goes through.
#include "engine/field.h"

#include <bitset>
#include <cstring>

#include "engine/engine_host.h"

DisplacementField* g_current_field = nullptr;
DisplacementField* g_undo_field = nullptr;
int32_t g_image_width = 0;
int32_t g_image_height = 0;
uint8_t* g_mask_bits = nullptr;
int32_t g_mask_applied = 0;
int32_t g_cpu_count = 1;

uint64_t field_bytes(int32_t w, int32_t h) {
  return static_cast<uint64_t>(w < 0 ? 0 : w) * static_cast<uint64_t>(h < 0 ? 0 : h) * sizeof(DisplacementPair) +
         FIELD_SLACK_BYTES;
}

void clear_field(DisplacementField* field) {
  std::memset(static_cast<void*>(field), 0, static_cast<size_t>(field_bytes(g_image_width, g_image_height)));
}

namespace {

// Bounds first, then the mask when it applies.
inline bool writable(int32_t x, int32_t y) {
  if (x >= g_image_width || x < 0 || y >= g_image_height || y < 0) return false;
  return !g_mask_applied || mask_bit(x, y);
}

inline int64_t pair_index(int32_t x, int32_t y) { return static_cast<int64_t>(y) * g_image_width + x; }

inline int64_t clamped_index(int32_t x, int32_t y) {
  if (x >= g_image_width) x = g_image_width - 1;
  if (y >= g_image_height) y = g_image_height - 1;
  if (x < 0) x = 0;
  if (y < 0) y = 0;
  return pair_index(x, y);
}

}  // namespace

void set_displacement(int32_t x, int32_t y, float dx, float dy) {
  if (!writable(x, y)) return;
  g_current_field[pair_index(x, y)] = {dx, dy};
}

void add_displacement(int32_t x, int32_t y, float dx, float dy) {
  if (!writable(x, y)) return;
  const int64_t i = pair_index(x, y);
  DisplacementPair& cur = g_current_field[i];
  DisplacementPair& undo = g_undo_field[i];
  cur.dx = static_cast<float>(static_cast<double>(cur.dx) + dx);
  cur.dy = static_cast<float>(static_cast<double>(cur.dy) + dy);
  undo.dx = static_cast<float>(static_cast<double>(undo.dx) + dx);
  undo.dy = static_cast<float>(static_cast<double>(undo.dy) + dy);
}

void scale_displacement(int32_t x, int32_t y, float factor, float threshold) {
  if (!writable(x, y)) return;
  const int64_t i = pair_index(x, y);
  DisplacementPair& cur = g_current_field[i];
  DisplacementPair& undo = g_undo_field[i];
  const DisplacementPair old = cur;
  double a = static_cast<double>(old.dx) * factor;
  double b = static_cast<double>(old.dy) * factor;
  if (a * a < threshold) a = 0.0;
  if (b * b < threshold) b = 0.0;
  undo.dx = static_cast<float>((static_cast<double>(undo.dx) - old.dx) + a);
  undo.dy = static_cast<float>((static_cast<double>(undo.dy) - old.dy) + b);
  cur = {static_cast<float>(a), static_cast<float>(b)};
}

DisplacementPair get_displacement(int32_t x, int32_t y) { return g_current_field[clamped_index(x, y)]; }

DisplacementPair get_undo_displacement(int32_t x, int32_t y) { return g_undo_field[clamped_index(x, y)]; }

int count_processors() {
  uint64_t mask = 0;
  if (!engine_host().process_affinity_mask(&mask)) mask = 1;
  return static_cast<int>(std::bitset<32>(mask & 0xffffffffu).count());
}
