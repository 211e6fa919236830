// Stored window layout: the record's exact bytes and which positions start-up takes from it.
#include "editor/core/window_layout.h"

#include <gtest/gtest.h>

// Found by argument-dependent lookup, so beside the types.
inline bool operator==(const LayoutPoint& a, const LayoutPoint& b) { return a.x == b.x && a.y == b.y; }
inline bool operator==(const LayoutRect& a, const LayoutRect& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

namespace {

const WindowPosRecord SAMPLE = {{-3, 20, 700, 600}, {800, 10, 900, 300}, {5, 6, 7, 8}, {40, 650, 640, 760}, 786432};

TEST(WindowPosRecord, EncodesSeventeenLittleEndianInt32s) {
  uint8_t bytes[WINDOW_POS_RECORD_SIZE];
  encode_window_pos(SAMPLE, bytes);
  const uint8_t head[] = {0xFD, 0xFF, 0xFF, 0xFF, 20, 0, 0, 0, 0xBC, 0x02, 0, 0};
  for (size_t i = 0; i < sizeof head; ++i) EXPECT_EQ(bytes[i], head[i]) << i;
  EXPECT_EQ(bytes[16], 0x20);  // settings bar left 800 = 0x320
  EXPECT_EQ(bytes[17], 0x03);
  EXPECT_EQ(bytes[32], 5);                          // tool palette left
  EXPECT_EQ(bytes[52], 0x8A);                       // animation bar top 650 = 0x28A
  const uint8_t area[] = {0x00, 0x00, 0x0C, 0x00};  // 1024 x 768 = 0xC0000
  for (int i = 0; i < 4; ++i) EXPECT_EQ(bytes[64 + i], area[i]);

  const WindowPosRecord back = decode_window_pos(bytes);
  EXPECT_EQ(back.main_rect, SAMPLE.main_rect);
  EXPECT_EQ(back.settings_bar_rect, SAMPLE.settings_bar_rect);
  EXPECT_EQ(back.tool_palette_rect, SAMPLE.tool_palette_rect);
  EXPECT_EQ(back.animation_bar_rect, SAMPLE.animation_bar_rect);
  EXPECT_EQ(back.screen_area, 786432);
}

struct LayoutCase {
  const char* name;
  bool has_record;
  int32_t toolbar, videobar, prefsbar;
  int32_t screen_w, screen_h;
  LayoutRect main;
  LayoutPoint settings, palette, animation;
};

const LayoutRect DEF = DEFAULT_MAIN_RECT;
const LayoutPoint SET = DEFAULT_SETTINGS_BAR_POS, PAL = DEFAULT_TOOL_PALETTE_POS;

const LayoutCase LAYOUT_CASES[] = {
    {"same screen, all bars open", true, 1, 1, 1, 1024, 768, SAMPLE.main_rect, {800, 10}, {5, 6}, {40, 650}},
    {"same area, other shape", true, 1, 1, 1, 768, 1024, SAMPLE.main_rect, {800, 10}, {5, 6}, {40, 650}},
    {"other area", true, 1, 1, 1, 1280, 1024, DEF, SET, PAL, {25, 516}},
    {"no record", false, 1, 1, 1, 1024, 768, DEF, SET, PAL, {25, 516}},
    {"videobar 0", true, 1, 0, 1, 1024, 768, SAMPLE.main_rect, {800, 10}, {5, 6}, {25, 516}},
    {"toolbar and prefsbar 0", true, 0, 1, 0, 1024, 768, SAMPLE.main_rect, SET, PAL, {40, 650}},
    {"videobar 0, low screen", true, 1, 0, 1, 1536, 512, SAMPLE.main_rect, {800, 10}, {5, 6}, {25, 412}},
    {"no record, screen 516 high", false, 1, 1, 1, 800, 516, DEF, SET, PAL, {25, 516}},
    {"no record, screen 515 high", false, 1, 1, 1, 800, 515, DEF, SET, PAL, {25, 415}},
};

TEST(WindowLayoutChoice, TakesTheRecordOnlyAtTheSameAreaAndOnlyForOpenBars) {
  for (const LayoutCase& c : LAYOUT_CASES) {
    StoredLayout stored;
    stored.toolbar = c.toolbar;
    stored.videobar = c.videobar;
    stored.prefsbar = c.prefsbar;
    stored.has_record = c.has_record;
    stored.record = SAMPLE;
    const WindowLayout got = choose_window_layout(stored, c.screen_w, c.screen_h);
    EXPECT_EQ(got.main_rect, c.main) << c.name;
    EXPECT_EQ(got.settings_bar, c.settings) << c.name;
    EXPECT_EQ(got.tool_palette, c.palette) << c.name;
    EXPECT_EQ(got.animation_bar, c.animation) << c.name;
  }
}

TEST(WindowLayoutChoice, DefaultMainWindowIs528By499) {
  EXPECT_EQ(DEF.right - DEF.left, 528);
  EXPECT_EQ(DEF.bottom - DEF.top, 499);
  EXPECT_EQ(screen_area_of(65536, 65536), 0);  // wraps like the 32-bit field it is compared with
}

}  // namespace
