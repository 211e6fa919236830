// Slot commands on the key-frame model: delete, insert, swap and add, with their effect
// on the current frame, the undo delta and the slot texts.
#include "editor/core/slot_commands.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/core/frame_slots.h"
#include "engine/edit_state.h"
#include "engine/engine_host.h"
#include "tests/editor/slot_fixture.h"

namespace {

class SlotCommands : public SlotTest<6, 4> {
 protected:
  void SetUp() override {
    SlotTest::SetUp();
    g_project_modified = 0;
  }
  // Slots 1..filled, slot k's field all (k, -k) and its text "1k"; current frame c.
  void fill_slots(int filled, int c) {
    host.fail_allocation = false;
    ASSERT_TRUE(reset_frame_slots());
    for (int k = 1; k <= filled; ++k) {
      if (!frame_slot(k).field) frame_slot(k).field = allocate_field_block();
      for (int i = 0; i < W * H; ++i) frame_slot(k).field[i] = {float(k), float(-k)};
      set_frames_text(frame_slot(k), ("1" + std::to_string(k)).c_str());
    }
    g_current_frame = c;
    g_current_field = frame_slot(c).field;
    host.calls.clear();
    g_project_modified = 0;
  }
  float tag(int k) const { return frame_slot(k).field ? frame_slot(k).field[W * H - 1].dx : 0.0f; }
  std::vector<float> tags() const {
    std::vector<float> t;
    for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) t.push_back(tag(k));
    return t;
  }
};

TEST_F(SlotCommands, DeleteShiftsLaterSlotsAndPicksTheNewCurrentFrame) {
  struct Case {
    int filled, current, k;
    std::vector<float> tags;
    int new_current;
    bool rerender;
  } cases[] = {
      {4, 3, 3, {1, 2, 4, 0, 0, 0, 0, 0}, 1, true},  {4, 4, 2, {1, 3, 4, 0, 0, 0, 0, 0}, 3, true},
      {4, 2, 4, {1, 2, 3, 0, 0, 0, 0, 0}, 2, false}, {3, 2, 1, {2, 3, 0, 0, 0, 0, 0, 0}, 1, true},
      {8, 1, 5, {1, 2, 3, 4, 6, 7, 8, 0}, 1, false},
  };
  for (const Case& c : cases) {
    fill_slots(c.filled, c.current);
    bool rerender = false;
    ASSERT_TRUE(delete_slot(c.k, &rerender));
    EXPECT_EQ(tags(), c.tags) << c.k;
    EXPECT_EQ(g_current_frame, c.new_current) << c.k;
    EXPECT_EQ(g_current_field, frame_slot(c.new_current).field);
    EXPECT_EQ(rerender, c.rerender) << c.k;
    EXPECT_EQ(g_project_modified, 1);
    EXPECT_EQ(undo[0].dx, 0.0f);
    EXPECT_EQ(host.calls, std::vector<std::string>{"gray 205"});
    EXPECT_STREQ(frame_slot(8).frames_text, "0");
    if (c.k < c.filled) {
      EXPECT_EQ(frame_slot(c.k).frames_text, "1" + std::to_string(c.k + 1));
    }
  }
}

TEST_F(SlotCommands, DeleteRefusesWhatWouldBreakTheInvariants) {
  fill_slots(2, 2);
  bool rerender = true;
  EXPECT_FALSE(delete_slot(1, &rerender));
  EXPECT_FALSE(delete_slot(3, &rerender));
  EXPECT_FALSE(delete_slot(9, &rerender));
  EXPECT_FALSE(rerender);
  EXPECT_EQ(filled_slot_count(), 2);
  EXPECT_EQ(g_project_modified, 0);
}

TEST_F(SlotCommands, InsertCopiesTheCurrentFieldOrLeavesTheSlotAlone) {
  const uint64_t need = uint64_t{W} * H * 8 + NEW_SLOT_MEM_RESERVE;  // W * H * 8 + 1 MiB + 100
  struct Case {
    int filled, current, k;
    uint64_t available;
    bool fail_allocation;
    InsertResult result;
    std::vector<float> tags;
  } cases[] = {
      {2, 2, 3, need, false, InsertResult::inserted, {1, 2, 2, 0, 0, 0, 0, 0}},
      {2, 2, 3, need - 1, false, InsertResult::memory_short, {1, 2, 0, 0, 0, 0, 0, 0}},
      {2, 2, 3, need, true, InsertResult::no_allocation, {1, 2, 0, 0, 0, 0, 0, 0}},
      {2, 1, 2, 0, false, InsertResult::inserted, {1, 1, 0, 0, 0, 0, 0, 0}},  // filled: no memory check
      {3, 3, 3, 0, false, InsertResult::inserted, {1, 2, 3, 0, 0, 0, 0, 0}},  // onto itself: unchanged
      {2, 2, 4, need, false, InsertResult::out_of_reach, {1, 2, 0, 0, 0, 0, 0, 0}},
      {2, 2, 1, ~0ull, false, InsertResult::inserted, {2, 2, 0, 0, 0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    fill_slots(c.filled, c.current);
    host.fail_allocation = c.fail_allocation;
    EXPECT_EQ(insert_current_into_slot(c.k, c.available), c.result) << c.k;
    EXPECT_EQ(tags(), c.tags) << c.k;
    const bool changed = c.result == InsertResult::inserted;
    EXPECT_EQ(std::string(frame_slot(c.k).frames_text), changed           ? "15"
                                                        : c.k <= c.filled ? "1" + std::to_string(c.k)
                                                                          : "0");
    EXPECT_EQ(g_current_frame, c.current);
    EXPECT_EQ(g_current_field, frame_slot(c.current).field);
    EXPECT_EQ(undo[0].dx, 1.0f);  // the undo delta is left alone
    EXPECT_EQ(g_project_modified, c.result != InsertResult::out_of_reach);
  }
}

TEST_F(SlotCommands, MemoryCheckIsSixtyFourBitWide) {
  g_image_width = 30000;
  g_image_height = 30000;  // 7.2 GB per field: wraps in 32 bits
  EXPECT_TRUE(new_slot_memory_short(0xFFFFFFFFull));
  EXPECT_TRUE(new_slot_memory_short(7200000000ull));
  EXPECT_FALSE(new_slot_memory_short(7200000100ull + NEW_SLOT_MEM_RESERVE));
  g_image_width = W;
  g_image_height = H;
  EXPECT_FALSE(new_slot_memory_short(8ull << 30));  // more than 4 GB free is plenty
}

TEST_F(SlotCommands, SwapMovesTheKeyFrameAndTheCurrentFrameWithIt) {
  struct Case {
    int current, k, n;
    std::vector<float> tags;
    int new_current;
  } cases[] = {
      {2, 1, 2, {2, 1, 3, 4, 0, 0, 0, 0}, 2},  // n current: stays, shows the moved field
      {4, 4, 3, {1, 2, 4, 3, 0, 0, 0, 0}, 3},  // k current: moves along
      {1, 3, 4, {1, 2, 4, 3, 0, 0, 0, 0}, 1},  // neither
  };
  for (const Case& c : cases) {
    fill_slots(4, c.current);
    ASSERT_TRUE(swap_slots(c.k, c.n));
    EXPECT_EQ(tags(), c.tags);
    EXPECT_EQ(g_current_frame, c.new_current);
    EXPECT_EQ(g_current_field, frame_slot(c.new_current).field);
    EXPECT_EQ(frame_slot(c.n).frames_text, "1" + std::to_string(c.k));
    EXPECT_EQ(frame_slot(c.k).frames_text, "1" + std::to_string(c.n));
    EXPECT_EQ(host.calls, std::vector<std::string>{"gray 205"});
  }
  EXPECT_FALSE(swap_slots(4, 5));  // an empty neighbour
  EXPECT_FALSE(swap_slots(1, 3));  // not neighbours
}

TEST_F(SlotCommands, AddSumsIntoTheCurrentFieldAndKeepsTheAddendAsUndo) {
  fill_slots(2, 2);
  frame_slot(1).field[3] = {0.1f, 1e-8f};
  frame_slot(2).field[3] = {0.2f, 3.0f};
  ASSERT_TRUE(add_slot_into_current(1));
  EXPECT_EQ(g_current_field[3].dx, 0.2f + 0.1f);
  EXPECT_EQ(g_current_field[3].dy, 3.0f + 1e-8f);
  EXPECT_EQ(g_current_field[0].dx, 3.0f);
  EXPECT_EQ(undo[3].dx, 0.1f);
  EXPECT_EQ(undo[W * H - 1].dy, -1.0f);
  EXPECT_EQ(undo[W * H].dx, 0.0f);  // the slack beyond the pairs is zeroed
  EXPECT_EQ(host.calls, std::vector<std::string>{"enable 205"});
  EXPECT_EQ(tag(1), 1.0f);
  EXPECT_EQ(g_project_modified, 1);

  g_project_modified = 0;
  EXPECT_FALSE(add_slot_into_current(3));
  EXPECT_EQ(g_project_modified, 0);
}

}  // namespace
