// Whole-field commands: undo algebra, scale, move (against a plain reference), fix, and
// what each command asks of the host.
#include "engine/field_commands.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "engine/render_driver.h"
#include "tests/engine/command_host.h"
#include "tests/engine/engine_fixture.h"

namespace {

using Pairs = std::vector<DisplacementPair>;

Pairs snapshot(const DisplacementField* f) { return Pairs(f, f + static_cast<size_t>(g_image_width) * g_image_height); }

bool bit_equal(const Pairs& a, const DisplacementField* f) {
  return std::memcmp(a.data(), f, a.size() * sizeof(DisplacementPair)) == 0;
}

// Equal values; a negative zero comes back from undo as a positive one.
bool same_values(const Pairs& a, const DisplacementField* f) {
  for (size_t i = 0; i < a.size(); ++i)
    if (!(a[i].dx == f[i].dx && a[i].dy == f[i].dy)) return false;
  return true;
}

// Multiples of 1/8 below 32 in size: sums, differences and halves stay exact in floats,
// so undo must give back every bit.
void fill_dyadic(TestImage& img, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> k(-255, 255);
  for (int y = 0; y < img.h(); ++y)
    for (int x = 0; x < img.w(); ++x) img.pair(x, y) = {k(rng) / 8.0f, k(rng) / 8.0f};
}

void fill_random(TestImage& img, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> v(-300.0f, 300.0f);
  for (int y = 0; y < img.h(); ++y)
    for (int x = 0; x < img.w(); ++x) img.pair(x, y) = {v(rng), v(rng)};
  img.pair(0, 0) = {-0.0f, 1e-40f};  // a negative zero and a subnormal
}

void random_mask(TestImage& img, unsigned seed) {
  std::mt19937 rng(seed);
  for (int y = 0; y < img.h(); ++y)
    for (int x = 0; x < img.w(); ++x) img.set_mask_bit(x, y, rng() % 3 != 0);
}

void fill_undo(TestImage& img, float v) {
  for (int y = 0; y < img.h(); ++y)
    for (int x = 0; x < img.w(); ++x) img.undo(x, y) = {v, -v};
}

std::string full_render(const TestImage& img) {
  return "present 0,0 " + std::to_string(img.w()) + "x" + std::to_string(img.h());
}

TEST_F(CommandTest, InvertTwiceIsBitExactAndUndoRevertsOrRepeatsIt) {
  TestImage img(23, 17);
  fill_random(img, 1);
  const Pairs before = snapshot(g_current_field);
  invert_distortions(win);
  EXPECT_EQ(
      std::vector<std::string>(host.calls.begin(), host.calls.end()),
      (std::vector<std::string>{"enable 205", "wait", full_render(img), "unwait", "invalidate all", "thumbnail"}));
  EXPECT_EQ(g_project_modified, 1);
  const Pairs inverted = snapshot(g_current_field);
  EXPECT_EQ(img.pair(5, 6).dx, -before[6 * 23 + 5].dx);
  invert_distortions(win);
  EXPECT_TRUE(bit_equal(before, g_current_field));
  undo_last_change(win);  // reverts the second invert
  EXPECT_TRUE(same_values(inverted, g_current_field));
  undo_last_change(win);  // and repeats it
  EXPECT_TRUE(same_values(before, g_current_field));
  invert_distortions(win);
  undo_last_change(win);
  EXPECT_TRUE(same_values(before, g_current_field));
}

TEST_F(CommandTest, RemoveClearsEveryPairWithoutRenderingAndUndoBringsThemBack) {
  TestImage img(19, 11);
  fill_random(img, 2);
  random_mask(img, 3);
  g_mask_applied = 1;  // remove ignores the mask
  const Pairs before = snapshot(g_current_field);
  render_region(win, 0, 0, 19, 11, 0);
  ASSERT_NE(std::memcmp(img.rendered(0, 0, 19), img.source(0, 0), 19 * 11 * 4), 0);
  host.calls.clear();
  remove_distortions(win);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 19; ++x) ASSERT_EQ(img.pair(x, y).dx, 0.0f);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"enable 205", "source", "thumbnail", "invalidate all"}));
  EXPECT_EQ(g_project_modified, 1);
  // The old field's picture no longer counts as the whole image; a fresh one is the source.
  EXPECT_FALSE(g_region_width == 19 && g_region_height == 11);
  render_region(win, 0, 0, 19, 11, 0);
  EXPECT_EQ(std::memcmp(img.rendered(0, 0, 19), img.source(0, 0), 19 * 11 * 4), 0);
  host.calls.clear();
  undo_last_change(win);
  EXPECT_TRUE(same_values(before, g_current_field));
  undo_last_change(win);
  for (int y = 0; y < 11; ++y)
    for (int x = 0; x < 19; ++x) ASSERT_EQ(img.pair(x, y).dy, 0.0f);
}

TEST_F(CommandTest, UndoLeavesTheMenuAndTheModifiedFlagAlone) {
  TestImage img(9, 7);
  fill_dyadic(img, 4);
  fill_undo(img, 0.5f);
  const Pairs before = snapshot(g_current_field);
  undo_last_change(win);
  EXPECT_EQ(img.pair(3, 2).dx, before[2 * 9 + 3].dx - 0.5f);
  EXPECT_EQ(img.pair(3, 2).dy, before[2 * 9 + 3].dy + 0.5f);
  EXPECT_EQ(img.undo(3, 2).dx, -0.5f);
  EXPECT_EQ(img.undo(3, 2).dy, 0.5f);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"wait", full_render(img), "unwait", "thumbnail"}));
  EXPECT_EQ(g_project_modified, 0);
}

TEST(ScaleFactor, IsSliderPositionTimesFivePercent) {
  EXPECT_EQ(scale_factor(30), 10 * 5 * 0.01f);
  EXPECT_EQ(scale_factor(39), 5 * 0.01f);
  EXPECT_EQ(scale_factor(1), 39 * 5 * 0.01f);
  EXPECT_EQ(scale_factor(-100), 39 * 5 * 0.01f);  // clamped to the slider's range
  EXPECT_EQ(scale_factor(INT_MIN), 39 * 5 * 0.01f);
  EXPECT_EQ(scale_factor(INT_MAX), 5 * 0.01f);
}

TEST_F(CommandTest, ScaleHonoursTheMaskAndUndoesExactly) {
  TestImage img(21, 13);
  fill_dyadic(img, 5);
  random_mask(img, 6);
  g_mask_applied = 1;
  const Pairs before = snapshot(g_current_field);
  host.dialog_value1 = 30;  // slider at 10: half
  scale_distortions(win);
  EXPECT_EQ(host.calls[0], "scale dialog 20");
  for (int y = 0; y < 13; ++y)
    for (int x = 0; x < 21; ++x) {
      const DisplacementPair old = before[y * 21 + x];
      const float f = mask_bit(x, y) ? 0.5f : 1.0f;
      ASSERT_EQ(img.pair(x, y).dx, old.dx * f);
      ASSERT_EQ(img.pair(x, y).dy, old.dy * f);
    }
  EXPECT_EQ(g_project_modified, 1);
  const Pairs scaled = snapshot(g_current_field);
  undo_last_change(win);
  EXPECT_TRUE(bit_equal(before, g_current_field));
  undo_last_change(win);
  EXPECT_TRUE(bit_equal(scaled, g_current_field));
}

TEST_F(CommandTest, ScaleUnchangedOrCancelledTouchesNothing) {
  TestImage img(6, 5);
  fill_dyadic(img, 7);
  fill_undo(img, 2.0f);
  const Pairs before = snapshot(g_current_field);
  host.dialog_value1 = SCALE_VALUE_UNCHANGED;
  scale_distortions(win);
  host.dialog_ok = false;
  host.dialog_value1 = 5;
  scale_distortions(win);
  EXPECT_TRUE(bit_equal(before, g_current_field));
  EXPECT_EQ(img.undo(2, 2).dx, 2.0f);
  EXPECT_EQ(g_project_modified, 0);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"scale dialog 20", "scale dialog 20"}));
}

// The result move_field must give, stated directly.
Pairs reference_move(const Pairs& old, int W, int H, int64_t sx, int64_t sy) {
  Pairs out = old;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      if (g_mask_applied && !mask_bit(x, y)) continue;
      const int64_t xs = x + sx, ys = y + sy;
      out[y * W + x] = xs >= 0 && xs < W && ys >= 0 && ys < H ? old[ys * W + xs] : DisplacementPair{0, 0};
    }
  return out;
}

TEST_F(CommandTest, MoveByFiveColumnsVacatesTheRightEdge) {
  TestImage img(20, 6);
  fill_random(img, 8);
  const Pairs before = snapshot(g_current_field);
  host.dialog_value1 = 5;
  move_distortions(win);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 20; ++x) {
      const DisplacementPair want = x < 15 ? before[y * 20 + x + 5] : DisplacementPair{0, 0};
      ASSERT_EQ(img.pair(x, y).dx, want.dx) << x << "," << y;
      ASSERT_EQ(img.pair(x, y).dy, want.dy) << x << "," << y;
    }
  EXPECT_EQ(host.calls, (std::vector<std::string>{"move dialog", "wait", "enable 205", "unwait", "wait",
                                                  full_render(img), "unwait", "thumbnail"}));
}

TEST_F(CommandTest, MoveMatchesTheReferenceInEveryDirectionWithAMask) {
  TestImage img(17, 12);
  const int shifts[][2] = {{3, 0}, {-3, 0}, {0, 4}, {0, -4}, {2, 5}, {-6, 1}, {5, -2}, {-1, -1}, {16, 0}, {0, -11}};
  unsigned seed = 10;
  for (const auto& s : shifts) {
    for (int masked = 0; masked < 2; ++masked) {
      fill_random(img, ++seed);
      random_mask(img, ++seed);
      g_mask_applied = masked;
      const Pairs before = snapshot(g_current_field);
      clear_field(g_undo_field);
      move_field(s[0], s[1]);
      const Pairs want = reference_move(before, 17, 12, s[0], s[1]);
      ASSERT_TRUE(bit_equal(want, g_current_field)) << s[0] << "," << s[1] << " mask " << masked;
      for (int i = 0; i < 17 * 12; ++i)  // the undo delta is the change made
        ASSERT_EQ(g_undo_field[i].dx, static_cast<float>(double(want[i].dx) - before[i].dx)) << i;
    }
  }
}

TEST_F(CommandTest, ShiftsOfAWholeSideOrMoreClearTheField) {
  TestImage img(10, 7);
  const int64_t shifts[][2] = {{10, 0},      {-10, 0},     {0, 7},       {0, -7},           {25, 3},
                               {INT_MAX, 0}, {INT_MIN, 0}, {0, INT_MIN}, {INT_MIN, INT_MAX}};
  for (const auto& s : shifts) {
    fill_random(img, 30);
    move_field(static_cast<int32_t>(s[0]), static_cast<int32_t>(s[1]));
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 10; ++x) {
        ASSERT_EQ(img.pair(x, y).dx, 0.0f) << s[0] << "," << s[1];
        ASSERT_EQ(img.pair(x, y).dy, 0.0f);
      }
  }
}

TEST_F(CommandTest, AMaskedEdgePixelIsNeverSmearedIntoTheVacatedBand) {
  TestImage img(8, 3);
  fill_dyadic(img, 31);
  img.pair(7, 1) = {9.0f, -9.0f};
  img.set_mask_bit(7, 1, false);
  g_mask_applied = 1;
  const Pairs before = snapshot(g_current_field);
  move_field(3, 0);
  EXPECT_EQ(img.pair(4, 1).dx, 9.0f);  // the protected pair is still a source
  for (int x = 5; x <= 6; ++x) {
    EXPECT_EQ(img.pair(x, 1).dx, 0.0f) << x;
    EXPECT_EQ(img.pair(x, 1).dy, 0.0f) << x;
  }
  EXPECT_EQ(img.pair(7, 1).dx, 9.0f);
  EXPECT_EQ(img.pair(1, 1).dx, before[1 * 8 + 4].dx);
}

TEST_F(CommandTest, MoveUndoesExactlyAndCancelDoesNothing) {
  TestImage img(12, 9);
  fill_dyadic(img, 40);
  const Pairs before = snapshot(g_current_field);
  host.dialog_value1 = -3;  // the user asked for 3 to the right
  host.dialog_value2 = 2;   // and 2 up
  move_distortions(win);
  EXPECT_EQ(img.pair(5, 4).dx, before[6 * 12 + 2].dx);
  EXPECT_EQ(img.pair(1, 4).dx, 0.0f);
  const Pairs moved = snapshot(g_current_field);
  undo_last_change(win);
  EXPECT_TRUE(bit_equal(before, g_current_field));
  undo_last_change(win);
  EXPECT_TRUE(bit_equal(moved, g_current_field));

  g_project_modified = 0;
  host.calls.clear();
  host.dialog_ok = false;
  move_distortions(win);
  host.dialog_ok = true;
  host.dialog_value1 = host.dialog_value2 = 0;
  move_distortions(win);
  EXPECT_TRUE(bit_equal(moved, g_current_field));
  EXPECT_EQ(g_project_modified, 0);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"move dialog", "move dialog"}));
}

void swirl(TestImage& img) {
  for (int y = 0; y < img.h(); ++y)
    for (int x = 0; x < img.w(); ++x)
      img.pair(x, y) = {static_cast<float>(2.5 * std::sin(y * 0.4)), static_cast<float>(1.5 * std::cos(x * 0.3))};
}

TEST_F(CommandTest, FixBakesAFreshRenderingNeverAStaleBuffer) {
  TestImage img(31, 22);
  swirl(img);
  render_region(win, 0, 0, 31, 22, 0);
  const std::vector<uint8_t> want(img.render_buffer().begin(), img.render_buffer().begin() + 31 * 22 * 4);
  // The buffer claims the whole image but holds something else (as after remove).
  for (size_t i = 0; i < want.size(); ++i)
    if (i % 4 != 3) img.render_buffer()[i] = static_cast<uint8_t>(i * 7 + 1);
  fill_undo(img, 1.0f);
  host.calls.clear();
  fix_distortions(win);
  for (int y = 0; y < 22; ++y)
    for (int x = 0; x < 31; ++x)
      for (int c = 0; c < 3; ++c) ASSERT_EQ(img.source(x, y)[c], want[4 * (y * 31 + x) + c]) << x << "," << y;
  for (int y = 0; y < 22; ++y)
    for (int x = 0; x < 31; ++x) {
      ASSERT_EQ(img.pair(x, y).dx, 0.0f);
      ASSERT_EQ(img.undo(x, y).dx, 0.0f);
    }
  EXPECT_EQ(g_project_modified, 1);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"message 38", "gray 205", "wait", full_render(img), "unwait",
                                                  "restart key frames"}));
}

TEST_F(CommandTest, FixHidesAShownMaskFirstAndCancelKeepsEverythingElse) {
  TestImage img(8, 8);
  fill_dyadic(img, 50);
  fill_undo(img, 3.0f);
  g_mask_shown = 1;
  g_current_tool = TOOL_MASK;
  g_tool_mode = TOOL_MODE_MASK;
  const Pairs before = snapshot(g_current_field);
  const std::vector<uint8_t> source(img.source(0, 0), img.source(0, 0) + 8 * 8 * 4);
  host.answer = MessageAnswer::cancel;
  fix_distortions(win);
  EXPECT_EQ(g_mask_shown, 0);
  EXPECT_EQ(g_current_tool, TOOL_NONE);
  EXPECT_EQ(g_tool_mode, TOOL_MODE_NONE);
  EXPECT_EQ(host.calls.front(), "notify");
  EXPECT_EQ(host.calls.back(), "message 38");
  EXPECT_TRUE(bit_equal(before, g_current_field));
  EXPECT_EQ(img.undo(4, 4).dx, 3.0f);
  EXPECT_EQ(g_project_modified, 0);
  EXPECT_TRUE(std::equal(source.begin(), source.end(), img.source(0, 0)));
}

TEST_F(CommandTest, FixOfAZeroFieldStillAsksAndRestarts) {
  TestImage img(5, 4);
  const std::vector<uint8_t> source(img.source(0, 0), img.source(0, 0) + 5 * 4 * 4);
  fix_distortions(win);
  EXPECT_EQ(host.calls.front(), "message 38");
  EXPECT_EQ(host.calls.back(), "restart key frames");
  EXPECT_TRUE(std::equal(source.begin(), source.end(), img.source(0, 0)));  // a zero field renders the source
}

}  // namespace
