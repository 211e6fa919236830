// Field primitives: guards, mask, undo bookkeeping, clamped reads, processor count.
#include "engine/field.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine/engine_host.h"
#include "tests/engine/engine_fixture.h"

namespace {

TEST(FieldLayout, SizeIsPairsPlusSlackWithoutWrapping) {
  EXPECT_EQ(field_bytes(3, 2), 3u * 2u * 8u + 100u);
  EXPECT_EQ(field_bytes(70000, 70000), 70000ull * 70000ull * 8ull + 100ull);
  EXPECT_EQ(field_bytes(0, 5), 100u);
  EXPECT_EQ(field_bytes(-3, 5), 100u);
}

TEST(FieldLayout, ClearZeroesThePairsAndTheSlack) {
  TestImage img(5, 3);
  auto* bytes = reinterpret_cast<uint8_t*>(g_current_field);
  std::memset(bytes, 0xab, field_bytes(5, 3));
  clear_field(g_current_field);
  for (uint64_t i = 0; i < field_bytes(5, 3); ++i) ASSERT_EQ(bytes[i], 0) << i;
}

TEST(FieldWrites, OutsideTheImageChangesNothing) {
  TestImage img(4, 3);
  for (auto [x, y] : {std::pair{-1, 0}, {4, 0}, {0, 3}, {0, -1}}) {
    add_displacement(x, y, 1, 1);
    set_displacement(x, y, 1, 1);
    scale_displacement(x, y, 0, 0);
  }
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      EXPECT_EQ(img.pair(x, y).dx, 0.0f);
      EXPECT_EQ(img.undo(x, y).dy, 0.0f);
    }
}

TEST(FieldWrites, AddGoesToFieldAndUndoSetOnlyToField) {
  TestImage img(4, 3);
  add_displacement(1, 2, 0.5f, -1.25f);
  add_displacement(1, 2, 0.25f, 0.25f);
  EXPECT_EQ(img.pair(1, 2).dx, 0.75f);
  EXPECT_EQ(img.pair(1, 2).dy, -1.0f);
  EXPECT_EQ(img.undo(1, 2).dx, 0.75f);
  EXPECT_EQ(img.undo(1, 2).dy, -1.0f);
  set_displacement(3, 0, 7, 8);
  EXPECT_EQ(img.pair(3, 0).dx, 7.0f);
  EXPECT_EQ(img.undo(3, 0).dx, 0.0f);
}

TEST(FieldWrites, AppliedMaskBlocksWritesToBothFields) {
  TestImage img(9, 2);
  img.set_mask_bit(8, 1, false);
  g_mask_applied = 1;
  add_displacement(8, 1, 1, 1);
  set_displacement(8, 1, 1, 1);
  scale_displacement(8, 1, 0, 0);
  add_displacement(7, 1, 2, 2);
  EXPECT_EQ(img.pair(8, 1).dx, 0.0f);
  EXPECT_EQ(img.undo(8, 1).dx, 0.0f);
  EXPECT_EQ(img.pair(7, 1).dx, 2.0f);
  g_mask_applied = 0;
  add_displacement(8, 1, 1, 1);
  EXPECT_EQ(img.pair(8, 1).dx, 1.0f);
}

TEST(FieldWrites, ScaleZeroesSmallComponentsAndRecordsTheChange) {
  TestImage img(2, 2);
  img.pair(0, 0) = {0.05f, 0.2f};
  scale_displacement(0, 0, 1.0f, 0.005f);
  EXPECT_EQ(img.pair(0, 0).dx, 0.0f);
  EXPECT_EQ(img.pair(0, 0).dy, 0.2f);
  EXPECT_EQ(img.undo(0, 0).dx, -0.05f);
  EXPECT_EQ(img.undo(0, 0).dy, 0.0f);

  img.pair(1, 1) = {3.0f, -4.0f};
  img.undo(1, 1) = {1.0f, 1.0f};
  scale_displacement(1, 1, 0.0f, 0.0f);
  EXPECT_EQ(img.pair(1, 1).dx, 0.0f);
  EXPECT_EQ(img.pair(1, 1).dy, 0.0f);
  EXPECT_EQ(img.undo(1, 1).dx, -2.0f);
  EXPECT_EQ(img.undo(1, 1).dy, 5.0f);

  // The threshold compares the square: 0.0707 survives 0.005, 0.07 does not.
  img.pair(1, 0) = {0.0708f, -0.07f};
  scale_displacement(1, 0, 1.0f, 0.005f);
  EXPECT_EQ(img.pair(1, 0).dx, 0.0708f);
  EXPECT_EQ(img.pair(1, 0).dy, 0.0f);
}

TEST(FieldReads, OutsideReadsClampToTheNearestEdge) {
  TestImage img(4, 3);
  img.pair(0, 2) = {1, 2};
  img.pair(3, 0) = {3, 4};
  img.undo(3, 2) = {5, 6};
  EXPECT_EQ(get_displacement(-5, 3 + 3).dy, 2.0f);
  EXPECT_EQ(get_displacement(100, -100).dx, 3.0f);
  EXPECT_EQ(get_undo_displacement(4, 3).dy, 6.0f);
}

class MaskHost : public EngineHost {
 public:
  bool ok = true;
  uint64_t mask = 0;
  bool process_affinity_mask(uint64_t* m) override {
    *m = mask;
    return ok;
  }
};

TEST(Processors, CountsLowMaskBitsAndFallsBackToOne) {
  MaskHost host;
  set_engine_host(&host);
  host.mask = 0xf;
  EXPECT_EQ(count_processors(), 4);
  host.mask = 0xff00000001ull;  // only the low 32 bits count
  EXPECT_EQ(count_processors(), 1);
  host.ok = false;
  EXPECT_EQ(count_processors(), 1);
  set_engine_host(nullptr);
  EXPECT_EQ(count_processors(), 1);
}

}  // namespace
