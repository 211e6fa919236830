// The six effects: their formulas at sample pixels, the borders they leave, tiny images,
// the mask, and that they add to the field as one undoable edit.
#include "engine/effects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "tests/engine/command_host.h"
#include "tests/engine/engine_fixture.h"

namespace {

using Pairs = std::vector<DisplacementPair>;

Pairs snapshot(const DisplacementField* f) { return Pairs(f, f + static_cast<size_t>(g_image_width) * g_image_height); }

bool bit_equal(const Pairs& a, const DisplacementField* f) {
  return std::memcmp(a.data(), f, a.size() * sizeof(DisplacementPair)) == 0;
}

bool all_zero(const DisplacementField* f) {
  for (int i = 0; i < g_image_width * g_image_height; ++i)
    if (f[i].dx != 0.0f || f[i].dy != 0.0f) return false;
  return true;
}

// Unit vector towards the centre and the distance, as the radial effects define them.
struct Radial {
  double d, ux, uy;
};
Radial radial(int x, int y) {
  const double u = 0.5 * g_image_width - x, v = 0.5 * g_image_height - y;
  const double d = std::sqrt(u * u + v * v);
  return {d, u / d, v / d};
}

TEST(Effects, SquaresAndSineAtSamplePixels) {
  TestImage img(40, 30);
  add_effect(EFFECT_SQUARES);
  EXPECT_EQ(img.pair(10, 4).dx, 1.0f);  // sqrt(10 mod 9), sqrt(4 mod 9)
  EXPECT_EQ(img.pair(10, 4).dy, 2.0f);
  EXPECT_EQ(img.pair(17, 21).dx, static_cast<float>(std::sqrt(8.0)));
  EXPECT_EQ(img.pair(18, 21).dx, 0.0f);
  for (int i = 0; i < 40; ++i) {  // column 0, row 0 and the last two of each stay
    EXPECT_EQ(img.pair(i, 0).dx, 0.0f);
    EXPECT_EQ(img.pair(i, 28).dy, 0.0f);
    EXPECT_EQ(img.pair(i, 29).dy, 0.0f);
  }
  for (int j = 0; j < 30; ++j) {
    EXPECT_EQ(img.pair(0, j).dx, 0.0f);
    EXPECT_EQ(img.pair(38, j).dx, 0.0f);
    EXPECT_EQ(img.pair(39, j).dy, 0.0f);
  }
  std::memset(static_cast<void*>(g_current_field), 0, field_bytes(40, 30));
  add_effect(EFFECT_SINE);
  EXPECT_EQ(img.pair(0, 0).dx, 0.0f);
  EXPECT_EQ(img.pair(39, 29).dx, static_cast<float>(3.0 * std::sin(39 * (1.0 / 9))));
  EXPECT_EQ(img.pair(39, 29).dy, static_cast<float>(3.0 * std::sin(29 * (1.0 / 9))));
  EXPECT_EQ(img.pair(14, 3).dy, static_cast<float>(3.0 * std::sin(3 * (1.0 / 9))));
}

// Every pixel against the formulas, for odd and even sides (the centre on a pixel or between).
TEST(Effects, RadialEffectsFollowTheirFormulasAtEveryPixel) {
  for (auto [w, h] : {std::pair{37, 24}, {20, 15}, {16, 16}, {1, 6}}) {
    TestImage img(w, h);
    const double corner = std::sqrt(0.25 * w * w + 0.25 * h * h);
    auto each = [&](auto expected) {
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const Radial r = radial(x, y);
          DisplacementPair want{0.0f, 0.0f};
          if (r.d != 0.0) want = expected(r);
          ASSERT_EQ(img.pair(x, y).dx, want.dx) << w << "x" << h << " at " << x << "," << y;
          ASSERT_EQ(img.pair(x, y).dy, want.dy) << w << "x" << h << " at " << x << "," << y;
        }
      clear_field(g_current_field);
    };
    add_effect(EFFECT_CIRCLES);
    each([corner](const Radial& r) {
      const double q = r.d / corner;
      const double k = 18.0 * std::sin(r.d / 3.0) * (0.9 * q * q + 0.1);
      return DisplacementPair{static_cast<float>(k * r.uy), static_cast<float>(-k * r.ux)};
    });
    add_effect(EFFECT_WAVES);
    each([](const Radial& r) {
      const double a = -2.5 * std::sin(0.4 * r.d);
      return DisplacementPair{static_cast<float>(a * r.ux), static_cast<float>(a * r.uy)};
    });
    add_effect(EFFECT_HALO);
    each([corner](const Radial& r) {
      if (r.d < 0.5 * corner) return DisplacementPair{0.0f, 0.0f};  // the inner disc is left alone
      const double s = std::sin((r.uy > 0 ? 61.0 : -61.0) * std::asin(std::fabs(r.uy)));
      const double m = std::sqrt(r.d - 0.5 * corner);
      return DisplacementPair{static_cast<float>(s * m * r.ux), static_cast<float>(s * m * r.uy)};
    });
  }
}

TEST(Effects, HaloAddsNothingOnTheCentreRow) {
  TestImage img(37, 24);
  add_effect(EFFECT_HALO);
  int outside = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 37; ++x) outside += img.pair(x, y).dx != 0.0f;
  EXPECT_GT(outside, 100);
  for (int x = 0; x < 37; ++x) {
    EXPECT_EQ(img.pair(x, 12).dx, 0.0f) << x;  // uy = 0
    EXPECT_EQ(img.pair(x, 12).dy, 0.0f) << x;
  }
}

TEST(Effects, TheCentrePixelIsSkipped) {
  TestImage img(10, 8);
  for (int e : {EFFECT_CIRCLES, EFFECT_WAVES, EFFECT_HALO}) {
    add_effect(e);
    EXPECT_EQ(img.pair(5, 4).dx, 0.0f);
    EXPECT_EQ(img.pair(5, 4).dy, 0.0f);
    EXPECT_FALSE(std::isnan(img.pair(5, 4).dx));
  }
}

TEST(Effects, EdgeSharpnessFollowsSecondDifferencesOfTheRendering) {
  TestImage img(12, 9);
  std::vector<uint8_t>& render = img.render_buffer();
  std::fill(render.begin(), render.end(), 0);
  auto sum = [&](int x, int y, int s) {  // a rendered pixel whose channels add up to s
    uint8_t* p = &render[4 * (y * 12 + x)];
    p[0] = static_cast<uint8_t>(std::min(s, 255));
    p[1] = static_cast<uint8_t>(std::min(std::max(s - 255, 0), 255));
    p[2] = static_cast<uint8_t>(std::max(s - 510, 0));
  };
  sum(5, 3, 700);  // h at (3, 3) = 0 - 2*0 + 700; g at (5, 1) = 0 - 0 + 700; both at (5, 3) start from 700
  sum(6, 3, 100);
  add_effect(EFFECT_EDGE_SHARPNESS);
  const double k = 1.0 / 7.0;
  auto root8 = [](double v) { return std::sqrt(std::sqrt(std::sqrt(v))); };
  EXPECT_EQ(img.pair(3, 3).dx, static_cast<float>(root8(700) * k));
  EXPECT_EQ(img.pair(3, 3).dy, 0.0f);
  EXPECT_EQ(img.pair(4, 3).dx, static_cast<float>(-root8(2 * 700 - 100) * k));  // 0 - 1400 + 100
  EXPECT_EQ(img.pair(5, 1).dy, static_cast<float>(root8(700) * k));
  EXPECT_EQ(img.pair(5, 3).dx, static_cast<float>(root8(700 - 200) * k));
  EXPECT_EQ(img.pair(5, 3).dy, static_cast<float>(root8(700) * k));
  EXPECT_EQ(img.pair(5, 2).dy, static_cast<float>(-root8(1400) * k));
  EXPECT_LT(img.pair(4, 3).dx, -0.3f);
  EXPECT_GT(img.pair(4, 3).dx, -0.37f);
  EXPECT_EQ(img.pair(0, 3).dx, 0.0f);  // column 0 is not visited
}

TEST(Effects, TinyImagesStayInBoundsAndTheGridEffectsChangeNothing) {
  const int sizes[][2] = {{1, 1}, {1, 5}, {5, 1}, {2, 2}, {3, 3}, {3, 40}, {40, 3}, {4, 4}};
  for (const auto& s : sizes) {
    TestImage img(s[0], s[1]);
    for (int e = 0; e < EFFECT_COUNT; ++e) add_effect(e);  // ASan watches every access
    if (s[0] <= 3 || s[1] <= 3) {
      clear_field(g_current_field);
      add_effect(EFFECT_EDGE_SHARPNESS);
      add_effect(EFFECT_SQUARES);
      EXPECT_TRUE(all_zero(g_current_field)) << s[0] << "x" << s[1];
    }
  }
}

TEST(Effects, TheMaskProtectsItsPixels) {
  TestImage img(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 8; ++x) img.set_mask_bit(x, y, false);
  g_mask_applied = 1;
  for (int e = 1; e < EFFECT_COUNT; ++e) add_effect(e);
  bool changed = false;
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      if (x < 8) {
        ASSERT_EQ(img.pair(x, y).dx, 0.0f);
        ASSERT_EQ(img.undo(x, y).dy, 0.0f);
      } else {
        changed |= img.pair(x, y).dx != 0.0f;
      }
    }
  EXPECT_TRUE(changed);
}

TEST_F(CommandTest, AnEffectAddsToTheFieldAndUndoRemovesOnlyTheLastOne) {
  TestImage img(33, 21);
  apply_effect(win, EFFECT_SINE);
  const Pairs once = snapshot(g_current_field);
  EXPECT_EQ(host.calls, (std::vector<std::string>{"wait", "enable 205", "present 0,0 33x21", "thumbnail", "unwait"}));
  EXPECT_EQ(g_project_modified, 1);
  apply_effect(win, EFFECT_SINE);
  EXPECT_EQ(img.pair(7, 9).dx, 2 * once[9 * 33 + 7].dx);
  EXPECT_EQ(img.pair(7, 9).dy, 2 * once[9 * 33 + 7].dy);
  undo_last_change(win);
  EXPECT_TRUE(bit_equal(once, g_current_field));
}

TEST_F(CommandTest, EdgeSharpnessReadsAFreshRenderingOfTheWholeImage) {
  TestImage img(25, 18);
  for (int y = 0; y < 18; ++y)
    for (int x = 0; x < 25; ++x) img.pair(x, y) = {0.3f * (y % 4), -0.7f * (x % 3)};
  render_region(win, 0, 0, 25, 18, 0);
  add_effect(EFFECT_EDGE_SHARPNESS);  // the expected result, from a rendering made here
  const Pairs want = snapshot(g_current_field);
  for (int y = 0; y < 18; ++y)
    for (int x = 0; x < 25; ++x) img.pair(x, y) = {0.3f * (y % 4), -0.7f * (x % 3)};
  render_region(win, 2, 2, 9, 9, 0);  // the buffer now holds only a small square
  host.calls.clear();
  apply_effect(win, EFFECT_EDGE_SHARPNESS);
  EXPECT_TRUE(bit_equal(want, g_current_field));
  EXPECT_EQ(host.calls, (std::vector<std::string>{"wait", "present 0,0 25x18", "enable 205", "present 0,0 25x18",
                                                  "thumbnail", "unwait"}));
}

TEST_F(CommandTest, AnUnknownEffectDoesNothing) {
  TestImage img(6, 6);
  apply_effect(win, -1);
  apply_effect(win, EFFECT_COUNT);
  EXPECT_TRUE(host.calls.empty());
  EXPECT_EQ(g_project_modified, 0);
}

}  // namespace
