// Animation frames: the schedule between key frames, the counts an export reads, the
// option and file-name helpers and the AVI frame layout (the interpolated fields are checked
// frame by frame against independent renders by tests/avi).
#include "editor/core/animation_frames.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct ScheduleCase {
  std::vector<int32_t> counts;  // of the filled slots, from slot 1
  int frames;                   // frames of the whole animation
  int range;                    // progress range
  int last_to_slot;             // the key frame the last frame equals
  int cut_frame, cut_segment;   // a frame with t = 1 that ends segment cut_segment (-1: none)
};

TEST(AnimationFrames, ScheduleRunsThroughTheFilledSlots) {
  const ScheduleCase cases[] = {
      {{15, 15, 15}, 49, 51, 1, 16, 1},
      {{3, 0}, 5, 8, 2, 4, 1},
      {{2, 2, 2, 2, 0, 10}, 25, 26, 1, 13, 5},
      {{0, 0}, 2, 5, 2, 1, 1},
      {{1, 1, 1, 1, 1, 1, 1, 1}, 17, 19, 1, 14, 7},
      {{0, 4}, 7, 9, 1, 1, 1},
  };
  for (const ScheduleCase& c : cases) {
    SCOPED_TRACE(c.frames);
    int32_t n[FRAME_SLOT_COUNT] = {};
    bool filled[FRAME_SLOT_COUNT] = {};
    for (size_t k = 0; k < c.counts.size(); ++k) n[k] = c.counts[k], filled[k] = true;
    EXPECT_EQ(export_progress_range(n), c.range);
    FramePosition p{};
    int f = 0;
    double previous_t = -1;
    for (; f < 10000; ++f) {
      ASSERT_TRUE(locate_frame(n, filled, f, &p));
      if (f == 0) {
        EXPECT_TRUE(p.segment == 1 && p.t == 0.0);
      }
      if (p.segment == 1) {
        EXPECT_GT(p.t, previous_t);
      }
      previous_t = p.t;
      if (f == c.cut_frame) {
        EXPECT_TRUE(p.segment == c.cut_segment && p.t == 1.0);
      }
      if (p.last) break;
    }
    EXPECT_EQ(f + 1, c.frames);
    EXPECT_EQ(p.to_slot, c.last_to_slot);
    EXPECT_EQ(p.t, 1.0);
  }
  int32_t n[FRAME_SLOT_COUNT] = {1, 1, 1, 1, 1, 1, 1, 1};
  bool filled[FRAME_SLOT_COUNT] = {true, true, true, true, true, true, true, true};
  FramePosition p{};
  EXPECT_FALSE(locate_frame(n, filled, 17, &p));
  EXPECT_FALSE(locate_frame(n, filled, -1, &p));
}

TEST(AnimationFrames, SlotCountsAreClampedAndEmptySlotsCountZero) {
  DisplacementField field[1] = {};
  FrameSlot slots[FRAME_SLOT_COUNT] = {};
  const char* texts[] = {"abc", "5000", "-3", " ", "7", "0", "12", "9"};
  for (int k = 0; k < FRAME_SLOT_COUNT; ++k) {
    std::strcpy(slots[k].frames_text, texts[k]);
    slots[k].field = k < 4 ? field : nullptr;
  }
  int32_t n[FRAME_SLOT_COUNT];
  read_slot_frames(slots, n);
  const int32_t expected[FRAME_SLOT_COUNT] = {15, 999, 0, 15, 0, 0, 0, 0};
  for (int k = 0; k < FRAME_SLOT_COUNT; ++k) EXPECT_EQ(n[k], expected[k]) << k;
}

TEST(AnimationFrames, OptionValuesParseBoundedWithFallback) {
  const struct {
    const char* text;
    int32_t fallback, lo, hi, expected;
  } cases[] = {{"0", 8, 1, 30, 1},   {"99", 8, 1, 30, 30}, {"", 8, 1, 30, 8},   {"", 4, 1, 10, 4},
               {"12", 4, 1, 10, 10}, {" 7x", 4, 1, 10, 7}, {"-5", 8, 1, 30, 1}, {"99999999999999", 8, 1, 30, 30}};
  for (const auto& c : cases) EXPECT_EQ(parse_option_value(c.text, c.fallback, c.lo, c.hi), c.expected) << c.text;
}

TEST(AnimationFrames, NumberedNamesAndExtensions) {
  const struct {
    const char* path;
    int32_t frame;
    size_t size;
    const char* expected;  // null: does not fit
  } cases[] = {{"C:\\a\\film.bmp", 1, 260, "C:\\a\\film001.bmp"},
               {"C:\\a\\film.bmp", 1000, 260, "C:\\a\\film1000.bmp"},
               {"C:\\a.b\\film", 12, 260, "C:\\a.b\\film012"},
               {"C:\\a\\film.bmp", 1, 17, "C:\\a\\film001.bmp"},
               {"C:\\a\\film.bmp", 1, 16, nullptr},
               {"x.tif", 2147483647, 260, "x2147483647.tif"}};
  for (const auto& c : cases) {
    char out[260] = "untouched";
    const bool fits = numbered_file_name(c.path, c.frame, out, c.size);
    EXPECT_EQ(fits, c.expected != nullptr) << c.path;
    if (c.expected) {
      EXPECT_STREQ(out, c.expected);
    }
  }
}

TEST(AnimationFrames, AviFramesAreBottomUpPaddedRows) {
  for (const int32_t w : {4, 5}) {
    const int32_t h = 3;
    std::vector<uint8_t> rendered(w * h * 4);
    for (size_t i = 0; i < rendered.size(); ++i) rendered[i] = static_cast<uint8_t>(i + 1);
    const uint32_t stride = avi_row_stride(w);
    EXPECT_EQ(stride, w == 4 ? 12u : 16u);
    EXPECT_EQ(avi_image_bytes(w, h), uint64_t{stride} * h);
    std::vector<uint8_t> out(stride * h, 0);
    copy_frame_bottom_up(rendered.data(), w, h, out.data());
    for (int32_t r = 0; r < h; ++r)
      for (int32_t x = 0; x < w; ++x)
        for (int b = 0; b < 3; ++b) ASSERT_EQ(out[r * stride + 3 * x + b], rendered[((h - 1 - r) * w + x) * 4 + b]);
    if (w == 5) {
      EXPECT_EQ(out[15], 0);
    }
  }
  const struct {
    int32_t sample, interval;
    bool key;
  } keys[] = {{0, 3, true}, {1, 3, false}, {3, 3, true}, {5, 1, true}, {0, 10, true}, {9, 10, false}};
  for (const auto& k : keys) EXPECT_EQ(avi_key_frame(k.sample, k.interval), k.key) << k.sample;
}

}  // namespace
