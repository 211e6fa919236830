// Stored window layout: record bytes and the choice of start-up positions.
#include "editor/core/window_layout.h"

#include <algorithm>
#include <cstdint>

namespace {

void put_i32(uint8_t* p, int32_t v) {
  const auto u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(u >> (8 * i));
}

int32_t get_i32(const uint8_t* p) {
  uint32_t u = 0;
  for (int i = 0; i < 4; ++i) u |= static_cast<uint32_t>(p[i]) << (8 * i);
  return static_cast<int32_t>(u);
}

void put_rect(uint8_t* p, const LayoutRect& r) {
  put_i32(p, r.left);
  put_i32(p + 4, r.top);
  put_i32(p + 8, r.right);
  put_i32(p + 12, r.bottom);
}

LayoutRect get_rect(const uint8_t* p) { return {get_i32(p), get_i32(p + 4), get_i32(p + 8), get_i32(p + 12)}; }

LayoutPoint corner(const LayoutRect& r) { return {r.left, r.top}; }

// Corner plus the stored extent, the extent kept within 1..screen.
int32_t far_edge(int32_t from, int32_t stored_from, int32_t stored_to, int32_t screen) {
  const int64_t extent = std::clamp<int64_t>(int64_t{stored_to} - stored_from, 1, std::max(screen, 1));
  return static_cast<int32_t>(std::clamp<int64_t>(from + extent, INT32_MIN, INT32_MAX));
}

}  // namespace

void encode_window_pos(const WindowPosRecord& record, uint8_t out[WINDOW_POS_RECORD_SIZE]) {
  put_rect(out, record.main_rect);
  put_rect(out + 16, record.settings_bar_rect);
  put_rect(out + 32, record.tool_palette_rect);
  put_rect(out + 48, record.animation_bar_rect);
  put_i32(out + 64, record.screen_area);
}

WindowPosRecord decode_window_pos(const uint8_t in[WINDOW_POS_RECORD_SIZE]) {
  return {get_rect(in), get_rect(in + 16), get_rect(in + 32), get_rect(in + 48), get_i32(in + 64)};
}

int32_t screen_area_of(int32_t screen_width, int32_t screen_height) {
  return static_cast<int32_t>(static_cast<uint32_t>(screen_width) * static_cast<uint32_t>(screen_height));
}

LayoutPoint default_animation_bar_pos(int32_t screen_height) {
  if (screen_height < DEFAULT_ANIMATION_BAR_TOP)
    return {DEFAULT_ANIMATION_BAR_LEFT, screen_height - ANIMATION_BAR_BOTTOM_MARGIN};
  return {DEFAULT_ANIMATION_BAR_LEFT, DEFAULT_ANIMATION_BAR_TOP};
}

WindowLayout default_window_layout(int32_t screen_height) {
  return {DEFAULT_MAIN_RECT, DEFAULT_SETTINGS_BAR_POS, DEFAULT_TOOL_PALETTE_POS,
          default_animation_bar_pos(screen_height)};
}

bool layout_record_usable(const StoredLayout& stored, int32_t screen_width, int32_t screen_height) {
  return stored.has_record && stored.record.screen_area == screen_area_of(screen_width, screen_height);
}

WindowLayout choose_window_layout(const StoredLayout& stored, int32_t screen_width, int32_t screen_height) {
  WindowLayout layout = default_window_layout(screen_height);
  if (!layout_record_usable(stored, screen_width, screen_height)) return layout;
  const WindowPosRecord& r = stored.record;
  layout.main_rect = r.main_rect;
  if (stored.prefsbar) layout.settings_bar = corner(r.settings_bar_rect);
  if (stored.toolbar) layout.tool_palette = corner(r.tool_palette_rect);
  if (stored.videobar) layout.animation_bar = corner(r.animation_bar_rect);
  return layout;
}

LayoutRect window_area_at(LayoutPoint corner, const LayoutRect& stored, int32_t screen_width, int32_t screen_height) {
  return {corner.x, corner.y, far_edge(corner.x, stored.left, stored.right, screen_width),
          far_edge(corner.y, stored.top, stored.bottom, screen_height)};
}
