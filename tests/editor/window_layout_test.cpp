// Stored window layout: the record's exact bytes and which positions start-up takes from it.
#include "editor/core/window_layout.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const WindowPosRecord SAMPLE = {{-3, 20, 700, 600}, {800, 10, 900, 300}, {5, 6, 7, 8}, {40, 650, 640, 760}, 786432};

TEST(WindowPosRecord, EncodesSeventeenLittleEndianInt32s) {
  uint8_t bytes[WINDOW_POS_RECORD_SIZE];
  encode_window_pos(SAMPLE, bytes);
  const struct {
    size_t at;
    uint8_t b[4];
  } fields[] = {{0, {0xFD, 0xFF, 0xFF, 0xFF}}, {4, {20, 0, 0, 0}},   {16, {0x20, 0x03, 0, 0}}, {32, {5, 0, 0, 0}},
                {52, {0x8A, 2, 0, 0}},         {64, {0, 0, 0x0C, 0}}};
  for (const auto& f : fields) EXPECT_EQ(std::memcmp(bytes + f.at, f.b, 4), 0) << f.at;
  const WindowPosRecord back = decode_window_pos(bytes);
  EXPECT_EQ(std::memcmp(&back, &SAMPLE, sizeof back), 0);
}

struct LayoutCase {
  const char* name;
  bool has_record;
  int32_t toolbar, videobar, prefsbar, screen_w, screen_h;
  WindowLayout want;
};

const LayoutRect DEF = DEFAULT_MAIN_RECT, MAIN = SAMPLE.main_rect;
const LayoutPoint SET = DEFAULT_SETTINGS_BAR_POS, PAL = DEFAULT_TOOL_PALETTE_POS;

TEST(WindowLayoutChoice, TakesTheRecordOnlyAtTheSameAreaAndOnlyForOpenBars) {
  const LayoutCase cases[] = {
      {"same screen", true, 1, 1, 1, 1024, 768, {MAIN, {800, 10}, {5, 6}, {40, 650}}},
      {"same area, other shape", true, 1, 1, 1, 768, 1024, {MAIN, {800, 10}, {5, 6}, {40, 650}}},
      {"other area", true, 1, 1, 1, 1280, 1024, {DEF, SET, PAL, {25, 516}}},
      {"no record", false, 1, 1, 1, 1024, 768, {DEF, SET, PAL, {25, 516}}},
      {"videobar 0", true, 1, 0, 1, 1024, 768, {MAIN, {800, 10}, {5, 6}, {25, 516}}},
      {"toolbar, prefsbar 0", true, 0, 1, 0, 1024, 768, {MAIN, SET, PAL, {40, 650}}},
      {"videobar 0, low screen", true, 1, 0, 1, 1536, 512, {MAIN, {800, 10}, {5, 6}, {25, 412}}},
      {"screen 516 high", false, 1, 1, 1, 800, 516, {DEF, SET, PAL, {25, 516}}},
      {"screen 515 high", false, 1, 1, 1, 800, 515, {DEF, SET, PAL, {25, 415}}},
  };
  for (const LayoutCase& c : cases) {
    const StoredLayout stored{c.toolbar, c.videobar, c.prefsbar, c.has_record, SAMPLE};
    const WindowLayout got = choose_window_layout(stored, c.screen_w, c.screen_h);
    EXPECT_EQ(std::memcmp(&got, &c.want, sizeof got), 0) << c.name;
  }
  EXPECT_EQ(screen_area_of(65536, 65536), 0);  // wraps like the stored 32-bit field
}

}  // namespace
