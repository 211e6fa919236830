// Key-frame slot model: the new-workspace state, the restart after a fix, switching the
// current frame, running out of memory, and how frame-count texts read.
#include "editor/core/frame_slots.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/engine_host.h"
#include "tests/editor/slot_fixture.h"

namespace {

class FrameSlots : public SlotTest<7, 5> {
 protected:
  void fill(int k, float v) {
    for (int i = 0; i < W * H; ++i) frame_slot(k).field[i] = {v, -v};
  }
  bool zero(const DisplacementField* f) {
    const auto* b = reinterpret_cast<const uint8_t*>(f);
    for (uint64_t i = 0; i < field_bytes(W, H); ++i)
      if (b[i]) return false;
    return true;
  }
};

TEST_F(FrameSlots, NewWorkspaceHasTwoZeroKeyFramesAndSlotTwoCurrent) {
  ASSERT_TRUE(reset_frame_slots());
  EXPECT_EQ(host.sizes, (std::vector<uint64_t>{field_bytes(W, H), field_bytes(W, H)}));
  for (int k = 1; k <= 2; ++k) {
    ASSERT_TRUE(slot_filled(k));
    EXPECT_TRUE(zero(frame_slot(k).field));
    EXPECT_STREQ(frame_slot(k).frames_text, "15");
  }
  for (int k = 3; k <= 8; ++k) {
    EXPECT_FALSE(slot_filled(k));
    EXPECT_STREQ(frame_slot(k).frames_text, "0");
  }
  EXPECT_FALSE(slot_filled(0));
  EXPECT_FALSE(slot_filled(9));
  EXPECT_EQ(filled_slot_count(), 2);
  EXPECT_EQ(g_current_frame, 2);
  EXPECT_EQ(g_current_field, frame_slot(2).field);

  // A second reset (a new project) frees what the first made.
  frame_slot(3).field = allocate_field_block();
  set_frames_text(frame_slot(3), "4");
  ASSERT_TRUE(reset_frame_slots());
  EXPECT_EQ(host.frees, 3);
  EXPECT_FALSE(slot_filled(3));
  EXPECT_STREQ(frame_slot(3).frames_text, "0");
}

TEST_F(FrameSlots, OutOfMemoryLeavesNoSlotAndNoLeak) {
  host.fail_at = 1;
  EXPECT_FALSE(reset_frame_slots());
  EXPECT_EQ(filled_slot_count(), 0);
  EXPECT_EQ(g_current_field, nullptr);
  EXPECT_EQ(host.frees, 1);
}

TEST_F(FrameSlots, RestartAfterFixKeepsTwoZeroKeyFramesAndTheirTexts) {
  ASSERT_TRUE(reset_frame_slots());
  for (int k = 3; k <= 5; ++k) {
    frame_slot(k).field = allocate_field_block();
    set_frames_text(frame_slot(k), "9");
  }
  fill(1, 2.5f);
  fill(2, -1.0f);
  set_frames_text(frame_slot(1), "7");
  set_frames_text(frame_slot(2), " ");
  g_current_frame = 4;
  g_current_field = frame_slot(4).field;
  DisplacementField* one = frame_slot(1).field;
  restart_frame_slots();
  EXPECT_EQ(frame_slot(1).field, one);
  EXPECT_TRUE(zero(frame_slot(1).field));
  EXPECT_TRUE(zero(frame_slot(2).field));
  EXPECT_STREQ(frame_slot(1).frames_text, "7");
  EXPECT_STREQ(frame_slot(2).frames_text, " ");
  for (int k = 3; k <= 8; ++k) {
    EXPECT_EQ(frame_slot(k).field, nullptr);
    EXPECT_STREQ(frame_slot(k).frames_text, "0");
  }
  EXPECT_EQ(host.frees, 3);
  EXPECT_EQ(g_current_frame, 2);
  EXPECT_EQ(g_current_field, frame_slot(2).field);
}

TEST_F(FrameSlots, SelectingAnotherFilledFrameClearsTheUndoDelta) {
  ASSERT_TRUE(reset_frame_slots());
  frame_slot(3).field = allocate_field_block();
  EXPECT_FALSE(select_frame(2));  // already current
  EXPECT_FALSE(select_frame(4));  // empty
  EXPECT_FALSE(select_frame(0));
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(undo[0].dx, 1.0f);

  EXPECT_TRUE(select_frame(3));
  EXPECT_EQ(g_current_frame, 3);
  EXPECT_EQ(g_current_field, frame_slot(3).field);
  EXPECT_TRUE(zero(g_undo_field));
  EXPECT_EQ(host.calls, (std::vector<std::string>{"gray 205"}));
}

TEST_F(FrameSlots, FrameCountTextsReadAsDecimalOrFifteen) {
  FrameSlot slot = {};
  auto count = [&slot](const char* text) {
    set_frames_text(slot, text);
    return slot_frame_count(slot);
  };
  EXPECT_EQ(count("15"), 15);
  EXPECT_EQ(count("0"), 0);
  EXPECT_EQ(count(" "), DEFAULT_FRAME_COUNT);  // an edit read while empty
  EXPECT_EQ(count(""), DEFAULT_FRAME_COUNT);
  EXPECT_EQ(count("-"), DEFAULT_FRAME_COUNT);
  EXPECT_EQ(count("x1"), DEFAULT_FRAME_COUNT);
  EXPECT_EQ(count("  42"), 42);
  EXPECT_EQ(count("-3"), -3);
  EXPECT_EQ(count("8a"), 8);
  EXPECT_EQ(count("9999999"), 9999999);
  EXPECT_EQ(count("123456789"), 1234567);  // the text keeps seven characters
  EXPECT_STREQ(slot.frames_text, "1234567");
  // A text filled to the last byte by someone else is still read within its bounds.
  std::memset(slot.frames_text, '9', FRAMES_TEXT_SIZE);
  EXPECT_EQ(slot_frame_count(slot), 99999999);
}

}  // namespace
