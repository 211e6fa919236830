// Stored window layout: the 68-byte record of the four window positions and the choice of
// positions at start-up from that record, the tool windows' open flags and the screen size.
#pragma once

#include <cstddef>
#include <cstdint>

struct LayoutRect {
  int32_t left, top, right, bottom;
};

struct LayoutPoint {
  int32_t x, y;
};

// Field order is the byte order of the stored record: 4 x 16 bytes of rectangles, then the area.
struct WindowPosRecord {
  LayoutRect main_rect;
  LayoutRect settings_bar_rect;
  LayoutRect tool_palette_rect;
  LayoutRect animation_bar_rect;
  int32_t screen_area;  // screen width x height when written
};

constexpr size_t WINDOW_POS_RECORD_SIZE = 68;

// Little-endian, no padding, independent of the host's byte order.
void encode_window_pos(const WindowPosRecord& record, uint8_t out[WINDOW_POS_RECORD_SIZE]);
WindowPosRecord decode_window_pos(const uint8_t in[WINDOW_POS_RECORD_SIZE]);

// Screen area as the record stores it: the product of width and height, wrapped to 32 bits.
int32_t screen_area_of(int32_t screen_width, int32_t screen_height);

constexpr LayoutRect DEFAULT_MAIN_RECT = {25, 15, 553, 514};
constexpr LayoutPoint DEFAULT_SETTINGS_BAR_POS = {555, 278};
constexpr LayoutPoint DEFAULT_TOOL_PALETTE_POS = {431, 80};
constexpr int32_t DEFAULT_ANIMATION_BAR_LEFT = 25;
constexpr int32_t DEFAULT_ANIMATION_BAR_TOP = 516;
constexpr int32_t ANIMATION_BAR_BOTTOM_MARGIN = 100;  // top above the bottom edge on a low screen

// The positions every window takes at start-up: the main window's rectangle and each tool
// window's saved top-left corner.
struct WindowLayout {
  LayoutRect main_rect;
  LayoutPoint settings_bar;
  LayoutPoint tool_palette;
  LayoutPoint animation_bar;
};

LayoutPoint default_animation_bar_pos(int32_t screen_height);
WindowLayout default_window_layout(int32_t screen_height);

// What start-up read from the preferences: the three open flags (1 when missing) and the
// record, when a whole one was read.
struct StoredLayout {
  int32_t toolbar = 1;
  int32_t videobar = 1;
  int32_t prefsbar = 1;
  bool has_record = false;
  WindowPosRecord record = {};
};

// The record counts only when it was written on a screen of the same area; a bar takes its
// stored corner only when it was open when the record was written.
bool layout_record_usable(const StoredLayout& stored, int32_t screen_width, int32_t screen_height);
WindowLayout choose_window_layout(const StoredLayout& stored, int32_t screen_width, int32_t screen_height);

// The screen rectangle a window with its top-left corner at corner covers, as large as the
// stored rectangle but at least one pixel and at most the screen each way.
LayoutRect window_area_at(LayoutPoint corner, const LayoutRect& stored, int32_t screen_width, int32_t screen_height);
