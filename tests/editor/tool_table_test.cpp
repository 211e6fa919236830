// The tool table, variant groups, brush size slider and animation bar geometry.
#include "editor/core/tool_table.h"

#include <gtest/gtest.h>

#include <string>

#include "editor/core/animation_bar_layout.h"
#include "editor/core/frame_slots.h"

namespace {

TEST(ToolTable, NamesImagesAndGroupsByToolId) {
  struct Case {
    int id;
    const char* status;
    int image;  // of command 300 + id
    bool size, strength;
  } cases[] = {
      {1, "Wachsen", 0, true, true},
      {4, "Verdrehen (r)", 7, true, true},
      {9, "Schrumpfen (h)", 4, true, true},
      {11, "Bereich ziehen", 10, false, false},
      {12, "Vergrößern", 14, true, true},
      {20, "Maske bearbeiten", 11, true, false},
      {22, "Wiederherstellen", 13, true, true},
      {0, "Kein Werkzeug.", -1, false, false},
      {14, "Kein Werkzeug.", -1, false, false},
      {19, "Kein Werkzeug.", -1, false, false},
      {-5, "Kein Werkzeug.", -1, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_STREQ(tool_status_text(c.id), c.status);
    EXPECT_EQ(tool_command_image(300 + c.id), c.image);
    const ToolInfo* t = find_tool(c.id);
    EXPECT_EQ(t && t->uses_size, c.size) << c.id;
    EXPECT_EQ(t && t->uses_strength, c.strength) << c.id;
  }
  EXPECT_TRUE(is_grow_variant(308));
  EXPECT_FALSE(is_grow_variant(302));
  EXPECT_TRUE(is_shrink_variant(310));
  EXPECT_FALSE(is_shrink_variant(311));
}

TEST(ToolTable, SliderStepsAreClampedAndCountAsChanges) {
  struct Case {
    int size, code, position, result;
    bool changed;
  } cases[] = {
      {101, 0, 0, 111, true},   {301, 0, 0, 301, true},  // line up at the top: still a change
      {101, 1, 0, 91, true},    {31, 3, 0, 21, true},   {101, 2, 0, 151, true},  {101, 4, 5, 251, true},
      {101, 5, 20, 101, false},  // thumb where the size already is
      {301, 6, 0, 301, false},  {151, 7, 0, 21, true},  {101, 8, 0, 101, false}, {101, 5, 65535, 21, true},
  };
  for (const Case& c : cases) {
    bool changed = !c.changed;
    EXPECT_EQ(scrolled_brush_size(c.size, c.code, c.position, &changed), c.result) << c.code;
    EXPECT_EQ(changed, c.changed) << c.code;
  }
  EXPECT_EQ(size_slider_position(301), 0);
  EXPECT_EQ(size_slider_position(101), 20);
  EXPECT_EQ(size_slider_position(21), 28);
  EXPECT_EQ(slider_position_size(5), 251);
}

TEST(AnimationBarLayout, GapFromWidthAndHitAreas) {
  EXPECT_EQ(slot_gap_for_width(525), 9);  // 69 x 0.14492753f falls just below 10
  EXPECT_EQ(slot_gap_for_width(490), 5);
  EXPECT_EQ(slot_gap_for_width(0), 5);
  EXPECT_EQ(slot_gap_for_width(525 + 69), 19);
  EXPECT_EQ(slot_left(3, 9), 133);
  struct Case {
    uint16_t x, y;
    int hit;
  } cases[] = {{5, 5, 1},    {61, 55, 1},  {62, 30, 0},  {65, 30, 2},  {4, 30, 0},    {30, 4, -1},
               {30, 56, -1}, {421, 30, 7}, {481, 30, 8}, {482, 30, 0}, {65535, 30, 0}};
  for (const Case& c : cases) EXPECT_EQ(slot_hit(5, c.x, c.y, false), c.hit) << c.x << "," << c.y;
}

TEST(AnimationBarLayout, PopupOffersWhatKeepsTheSlotsContiguous) {
  static DisplacementField dummy[1];
  for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) frame_slot(k).field = k <= 3 ? dummy : nullptr;
  g_current_frame = 2;
  auto bits = [](int k) {
    const SlotMenuState s = slot_menu_state(k);
    return std::string() + (s.delete_slot ? '1' : '0') + (s.insert_current ? '1' : '0') + (s.move_left ? '1' : '0') +
           (s.move_right ? '1' : '0') + (s.add_to_current ? '1' : '0');
  };
  EXPECT_EQ(bits(1), "11011");
  EXPECT_EQ(bits(2), "11110");  // the current slot: no adding
  EXPECT_EQ(bits(3), "11101");
  EXPECT_EQ(bits(4), "01000");
  EXPECT_EQ(bits(5), "00000");
  EXPECT_EQ(slot_hit(5, 250, 30, true), 0);  // over empty slot 5
  frame_slot(3).field = nullptr;
  EXPECT_EQ(bits(1), "01011");  // two slots left: no delete
  for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) frame_slot(k).field = nullptr;
}

}  // namespace
