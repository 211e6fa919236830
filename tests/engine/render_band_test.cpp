// Band renderer: sampling arithmetic, edges, colour separation, mask shading, and the
// guarantees that no displacement (NaN, infinities, tiny images) reads outside the source.
#include "engine/render_band.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "tests/engine/engine_fixture.h"

namespace {

// Straightforward per-pixel statement of the sampling rules, kept apart from the
// renderer's specialised loops so the two can be compared on random fields.
void reference_pixel(int32_t x, int32_t y, uint8_t* out) {
  const int32_t W = g_image_width, H = g_image_height;
  auto src = [&](int32_t sx, int32_t sy, int c) {
    EXPECT_TRUE(sx >= 0 && sx < W && sy >= 0 && sy < H) << sx << "," << sy;
    return g_source_pixels[4 * (static_cast<int64_t>(sy) * W + sx) + c];
  };
  auto clamp = [&](float& sx, float& sy) {
    if (sx < 0) sx = 0;
    if (sy < 0) sy = 0;
    if (sx >= W - 1) sx = static_cast<float>(std::max(W - 2, 0));
    if (sy >= H - 1) sy = static_cast<float>(std::max(H - 2, 0));
  };
  auto sample = [&](float sx, float sy, int c) -> uint8_t {
    if (!g_smoothing)
      return src(static_cast<int32_t>(std::floor(sx + 0.5)), static_cast<int32_t>(std::floor(sy + 0.5)), c);
    const float xl = std::floor(sx), xh = std::ceil(sx), yl = std::floor(sy), yh = std::ceil(sy);
    const double fx = sx - xl, fy = sy - yl;
    const double v = (1 - fx) * (1 - fy) * src(int32_t(xl), int32_t(yl), c) +
                     fx * (1 - fy) * src(int32_t(xh), int32_t(yl), c) +
                     (1 - fx) * fy * src(int32_t(xl), int32_t(yh), c) + fx * fy * src(int32_t(xh), int32_t(yh), c);
    return static_cast<uint8_t>(static_cast<int32_t>(v));
  };
  const DisplacementPair d = get_displacement(x, y);
  if (d.dx == 0 && d.dy == 0) {
    for (int c = 0; c < 3; ++c) out[c] = src(x, y, c);
  } else if (!g_mask_shown && g_color_separation == 1) {
    const double scale[3] = {0.85, 1.0, 1.2};
    for (int c = 2; c >= 0; --c) {
      float sx = static_cast<float>(x + scale[c] * d.dx), sy = static_cast<float>(y + scale[c] * d.dy);
      if (std::isnan(sx) || std::isnan(sy)) {
        out[c] = 0;
        continue;
      }
      clamp(sx, sy);
      out[c] = sample(sx, sy, c);
    }
  } else {
    float sx = static_cast<float>(x) + d.dx, sy = static_cast<float>(y) + d.dy;
    bool black = std::isnan(sx) || std::isnan(sy);
    if (!black && g_border_repeat)
      clamp(sx, sy);
    else if (!black)
      black = sx < 0 || sy < 0 || sx >= W - 1 || sy >= H - 1;
    for (int c = 0; c < 3; ++c) out[c] = black ? 0 : sample(sx, sy, c);
  }
  if (g_mask_shown && !mask_bit(x, y))
    for (int c = 0; c < 3; ++c) out[c] >>= 1;
}

void render_whole(TestImage& img) {
  RenderBandArgs a{0, 0, img.w(), img.h(), 1, 0};
  render_band(&a);
}

void expect_pixel(TestImage& img, int32_t k, int32_t r, int32_t rw, uint8_t b, uint8_t g, uint8_t red) {
  const uint8_t* p = img.rendered(k, r, rw);
  EXPECT_EQ(p[0], b);
  EXPECT_EQ(p[1], g);
  EXPECT_EQ(p[2], red);
}

// The fixture's source has slack bytes after the last pixel; this copy has none, so under the
// sanitizers a read just past the image fails too. Install it after the last change of the source.
std::vector<uint8_t> install_exact_source(TestImage& img) {
  std::vector<uint8_t> exact(img.source(0, 0), img.source(0, 0) + 4 * static_cast<size_t>(img.w()) * img.h());
  g_source_pixels = exact.data();
  return exact;
}

void set_options(int opts) {
  g_smoothing = opts & 1;
  g_border_repeat = (opts >> 1) & 1;
  g_color_separation = (opts >> 2) & 1;
  g_mask_shown = (opts >> 3) & 1;
}

// Renders one band into a buffer of 0xee and checks every pixel of the rectangle: the band's
// rows against the reference with the fourth byte untouched, the other rows not written at all.
void expect_band_matches_reference(TestImage& img, const RenderBandArgs& a, const char* what) {
  std::fill(img.render_buffer().begin(), img.render_buffer().end(), 0xee);
  render_band(&a);
  const int32_t rw = a.x1 - a.x0;
  for (int32_t r = 0; r < a.y1 - a.y0; ++r)
    for (int32_t k = 0; k < rw; ++k) {
      const uint8_t* got = img.rendered(k, r, rw);
      const bool in_band = r >= a.first_row && (r - a.first_row) % a.row_step == 0;
      uint8_t want[4] = {0xee, 0xee, 0xee, 0xee};
      if (in_band) reference_pixel(a.x0 + k, a.y0 + r, want);
      ASSERT_TRUE(got[0] == want[0] && got[1] == want[1] && got[2] == want[2] && got[3] == want[3])
          << what << ": rect " << a.x0 << "," << a.y0 << "-" << a.x1 << "," << a.y1 << " step " << a.row_step << "/"
          << a.first_row << " pixel " << k << "," << r << " got " << int(got[0]) << "," << int(got[1]) << ","
          << int(got[2]) << "," << int(got[3]) << " want " << int(want[0]) << "," << int(want[1]) << "," << int(want[2])
          << "," << int(want[3]) << " d=(" << img.pair(a.x0 + k, a.y0 + r).dx << "," << img.pair(a.x0 + k, a.y0 + r).dy
          << ") opts " << g_smoothing << g_border_repeat << g_color_separation << g_mask_shown;
    }
}

// Displacement components that put sample positions on, next to and between pixel centres:
// integers and halves, one float step either side of them, coarse and fine binary fractions,
// both signs, and now and then NaN, an infinity or zero.
float awkward_component(std::mt19937& rng) {
  std::uniform_int_distribution<int> pick(0, 9), whole(-6, 6), eighths(0, 7);
  std::uniform_real_distribution<float> any(-6.0f, 6.0f);
  const float base = static_cast<float>(whole(rng));
  switch (pick(rng)) {
    case 0: return base;
    case 1: return base + 0.5f;
    case 2: return std::nextafter(base + 0.5f, 100.0f);
    case 3: return std::nextafter(base + 0.5f, -100.0f);
    case 4: return std::nextafter(base, 100.0f);
    case 5: return std::nextafter(base, -100.0f);
    case 6: return base + static_cast<float>(eighths(rng)) / 8.0f + 0x1p-9f;
    case 7: return any(rng);
    case 8: return base + static_cast<float>(eighths(rng)) / 16.0f;
    default: {
      const float odd[] = {
          std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), -0.0f, 0.0f, 1e30f, -1e-30f};
      return odd[std::uniform_int_distribution<int>(0, 5)(rng)];
    }
  }
}

TEST(RenderBand, ZeroPairsOfEitherSignCopyTheSource) {
  TestImage img(6, 4);
  img.pair(2, 1) = {-0.0f, -0.0f};
  img.render_buffer()[4 * (1 * 6 + 2) + 3] = 0x5a;
  render_whole(img);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) {
      const uint8_t* s = img.source(x, y);
      expect_pixel(img, x, y, 6, s[0], s[1], s[2]);
    }
  EXPECT_EQ(img.render_buffer()[4 * (1 * 6 + 2) + 3], 0x5a) << "the fourth byte is never written";
}

TEST(RenderBand, BorderOffBlackensPositionsAtTheLastColumn) {
  TestImage img(8, 4);
  img.pair(0, 1) = {7.0f, 0};     // exactly W - 1
  img.pair(1, 1) = {5.9999f, 0};  // W - 1.0001
  render_whole(img);
  expect_pixel(img, 0, 1, 8, 0, 0, 0);
  const uint8_t* s = img.source(7, 1);
  expect_pixel(img, 1, 1, 8, s[0], s[1], s[2]);
}

TEST(RenderBand, BorderRepeatClampsToTheSecondLastColumnAndRow) {
  TestImage img(8, 5);
  g_border_repeat = 1;
  img.pair(3, 2) = {100.0f, 0};
  img.pair(4, 2) = {0, 50.0f};
  img.pair(5, 2) = {-100.0f, -100.0f};
  render_whole(img);
  const uint8_t* right = img.source(6, 2);
  expect_pixel(img, 3, 2, 8, right[0], right[1], right[2]);
  const uint8_t* bottom = img.source(4, 3);
  expect_pixel(img, 4, 2, 8, bottom[0], bottom[1], bottom[2]);
  const uint8_t* corner = img.source(0, 0);
  expect_pixel(img, 5, 2, 8, corner[0], corner[1], corner[2]);
}

TEST(RenderBand, BilinearOnAPixelReturnsItAndSumsTruncate) {
  TestImage img(4, 4);
  g_smoothing = 1;
  img.pair(0, 0) = {2.0f, 1.0f};
  render_whole(img);
  const uint8_t* s = img.source(2, 1);
  expect_pixel(img, 0, 0, 4, s[0], s[1], s[2]);

  // Half way between 254 and 255 on blue: 254.5 is stored as 254.
  img.source(1, 2)[0] = 254;
  img.source(2, 2)[0] = 255;
  img.pair(1, 2) = {0.5f, 0};
  render_whole(img);
  EXPECT_EQ(img.rendered(1, 2, 4)[0], 254);
}

TEST(RenderBand, ColourSeparationSamplesChannelsAtScaledOffsets) {
  TestImage img(40, 3);
  g_color_separation = 1;
  img.pair(5, 1) = {10.0f, 0};
  render_whole(img);
  const uint8_t* p = img.rendered(5, 1, 40);
  EXPECT_EQ(p[2], img.source(17, 1)[2]);
  EXPECT_EQ(p[1], img.source(15, 1)[1]);
  EXPECT_EQ(p[0], img.source(14, 1)[0]) << "blue at 8.5 rounds to 9";
}

TEST(RenderBand, MaskShadingHalvesAndOverridesSeparation) {
  TestImage img(6, 3);
  g_mask_shown = 1;
  g_color_separation = 1;
  img.set_mask_bit(1, 1, false);
  uint8_t* s = img.source(1, 1);
  s[0] = 200, s[1] = 101, s[2] = 7;
  img.pair(2, 1) = {1.0f, 0.0f};
  img.set_mask_bit(2, 1, false);
  g_border_repeat = 0;
  img.pair(3, 0) = {5.0f, 0.0f};  // black stays black
  img.set_mask_bit(3, 0, false);
  render_whole(img);
  expect_pixel(img, 1, 1, 6, 100, 50, 3);
  const uint8_t* n = img.source(3, 1);
  expect_pixel(img, 2, 1, 6, n[0] >> 1, n[1] >> 1, n[2] >> 1);
  expect_pixel(img, 3, 0, 6, 0, 0, 0);
}

TEST(RenderBand, BandsWriteOnlyTheirRowsRegionRelative) {
  TestImage img(10, 10);
  std::fill(img.render_buffer().begin(), img.render_buffer().end(), 0xee);
  RenderBandArgs odd{2, 3, 7, 8, 2, 1};
  render_band(&odd);
  for (int r = 0; r < 5; ++r)
    for (int k = 0; k < 5; ++k) {
      const uint8_t* p = img.rendered(k, r, 5);
      if (r % 2 == 1)
        EXPECT_EQ(p[0], img.source(2 + k, 3 + r)[0]);
      else
        EXPECT_EQ(p[0], 0xee);
    }
}

// Tiny images, non-finite and huge displacements: under the sanitizers any read
// outside the source fails the run; the reference checks every sampled index.
TEST(RenderBand, HostileDisplacementsNeverReadOutsideTheSource) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float values[] = {nan, inf, -inf, 1e30f, -1e30f, 0.49999997f, -0.5f, 0.5f, 3.0f, -2.5f, 1e-30f};
  for (auto [w, h] : {std::pair{1, 1}, {1, 5}, {5, 1}, {2, 2}, {3, 3}}) {
    TestImage img(w, h);
    const std::vector<uint8_t> exact = install_exact_source(img);
    for (int opts = 0; opts < 16; ++opts) {
      g_smoothing = opts & 1;
      g_border_repeat = (opts >> 1) & 1;
      g_color_separation = (opts >> 2) & 1;
      g_mask_shown = (opts >> 3) & 1;
      for (float a : values)
        for (float b : values) {
          for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) img.pair(x, y) = {a, b};
          render_whole(img);
          for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
              uint8_t want[3];
              reference_pixel(x, y, want);
              const uint8_t* got = img.rendered(x, y, w);
              ASSERT_TRUE(got[0] == want[0] && got[1] == want[1] && got[2] == want[2])
                  << w << "x" << h << " opts " << opts << " d=(" << a << "," << b << ")";
            }
        }
    }
  }
}

TEST(RenderBand, MatchesTheReferenceOnRandomFieldsForEveryOption) {
  TestImage img(37, 23);
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> d(-12.0f, 12.0f);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 37; ++x) {
      img.pair(x, y) = (x + y) % 5 == 0 ? DisplacementPair{0, 0} : DisplacementPair{d(rng), d(rng)};
      img.set_mask_bit(x, y, (x * 3 + y) % 4 != 0);
    }
  for (int opts = 0; opts < 16; ++opts) {
    g_smoothing = opts & 1;
    g_border_repeat = (opts >> 1) & 1;
    g_color_separation = (opts >> 2) & 1;
    g_mask_shown = (opts >> 3) & 1;
    RenderBandArgs a{3, 2, 30, 21, 1, 0};
    render_band(&a);
    for (int r = 0; r < 19; ++r)
      for (int k = 0; k < 27; ++k) {
        uint8_t want[3];
        reference_pixel(3 + k, 2 + r, want);
        const uint8_t* got = img.rendered(k, r, 27);
        ASSERT_EQ(got[0], want[0]) << "opts " << opts << " at " << k << "," << r;
        ASSERT_EQ(got[1], want[1]) << "opts " << opts << " at " << k << "," << r;
        ASSERT_EQ(got[2], want[2]) << "opts " << opts << " at " << k << "," << r;
      }
  }
}

// Sums that land on or next to an integer: the renderer must truncate them exactly as the double
// arithmetic does, even where float arithmetic would round across the integer.
TEST(RenderBand, BilinearSumsCloseToAnIntegerTruncateAsInDouble) {
  TestImage img(12, 6);
  g_smoothing = 1;
  // Blue taps 252, 253 over 251, 251 at a fraction of 2^-9 both ways: 251.99999618... in double.
  const uint8_t taps[4] = {252, 253, 251, 251};
  img.source(5, 2)[0] = taps[0];
  img.source(6, 2)[0] = taps[1];
  img.source(5, 3)[0] = taps[2];
  img.source(6, 3)[0] = taps[3];
  // A flat patch of 253 sampled at (0x1.1a4p-2, 0x1.c84p-2): exactly 253 in double.
  for (int y = 0; y < 3; ++y)
    for (int x = 8; x < 12; ++x) img.source(x, y)[1] = 253;
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 12; ++x)
      img.pair(x, y) = x < 7 ? DisplacementPair{0x1p-9f, 0x1p-9f} : DisplacementPair{0x1.1a4p-2f, 0x1.c84p-2f};
  for (int repeat = 0; repeat < 2; ++repeat) {
    g_border_repeat = repeat;
    render_whole(img);
    EXPECT_EQ(img.rendered(5, 2, 12)[0], 251);
    EXPECT_EQ(img.rendered(8, 0, 12)[1], 253);
    EXPECT_EQ(img.rendered(9, 1, 12)[1], 253);
    expect_band_matches_reference(img, {0, 0, 12, 6, 1, 0}, "near-integer sums");
  }
  // Tiny fractions near the origin, where only the order of the four additions decides: a flat
  // 135 sums to 134.99999999999997 and a flat 215 to exactly 215. The neighbours sample the same
  // flat patch half way between pixels.
  const struct {
    float fx, fy;
    uint8_t level, want;
  } orders[] = {{0x1.712372p-28f, 0x1.8f5db4p-24f, 135, 134}, {0x1.dea798p-15f, 0x1.f9fcd6p-9f, 215, 215}};
  for (const auto& o : orders) {
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 5; ++x) img.source(x, y)[0] = img.source(x, y)[1] = img.source(x, y)[2] = o.level;
    img.pair(0, 0) = {o.fx, o.fy};
    for (int x = 1; x < 4; ++x) img.pair(x, 0) = {0.5f, 0.5f};
    render_whole(img);
    for (int c = 0; c < 3; ++c) EXPECT_EQ(img.rendered(0, 0, 12)[c], o.want) << o.fx << "," << o.fy;
    EXPECT_EQ(img.rendered(2, 0, 12)[2], o.level);
    expect_band_matches_reference(img, {0, 0, 12, 6, 1, 0}, "order of additions");
  }
}

// Flat patches and whole-pixel shifts give sums exactly on an integer, which the renderer may
// know without the double arithmetic; one differing tap, even with a tiny weight, must spoil that.
TEST(RenderBand, FlatPatchesAndWholePixelShiftsRenderExactly) {
  TestImage img(16, 8);
  g_smoothing = 1;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 16; ++x) {
      uint8_t* p = img.source(x, y);
      p[0] = 200;                                    // flat everywhere
      p[1] = static_cast<uint8_t>(x < 8 ? 90 : 91);  // flat on either side of a step
      p[2] = static_cast<uint8_t>(x * 16 + y);       // no flat patches
      img.pair(x, y) = y < 4 ? DisplacementPair{0x1p-12f, 0x1p-12f} : DisplacementPair{-1.0f, 1.0f};
    }
  // At 2^-12 past a pixel, the green step 90 | 91 gives 90 + 2^-12, and the blue taps 150, 150
  // over 150, 149 give 150 - 2^-24, which truncates to 149.
  img.source(12, 2)[0] = img.source(13, 2)[0] = img.source(12, 3)[0] = 150;
  img.source(13, 3)[0] = 149;
  render_whole(img);
  EXPECT_EQ(img.rendered(3, 1, 16)[0], 200);
  EXPECT_EQ(img.rendered(7, 1, 16)[1], 90);
  EXPECT_EQ(img.rendered(12, 2, 16)[0], 149);
  EXPECT_EQ(img.rendered(5, 5, 16)[2], img.source(4, 6)[2]) << "a whole-pixel shift copies";
  for (int opts = 0; opts < 16; ++opts) {
    set_options(opts | 1);
    expect_band_matches_reference(img, {0, 0, 16, 8, 1, 0}, "flat patches");
  }
  // The odd tap in each of the four places.
  for (int odd = 0; odd < 4; ++odd) {
    for (int t = 0; t < 4; ++t) img.source(12 + t % 2, 2 + t / 2)[0] = static_cast<uint8_t>(t == odd ? 149 : 150);
    set_options(1);
    render_whole(img);
    uint8_t want[4];
    reference_pixel(12, 2, want);
    EXPECT_EQ(img.rendered(12, 2, 16)[0], want[0]) << "odd tap " << odd;
    EXPECT_EQ(want[0], 149) << "odd tap " << odd;
  }
}

TEST(RenderBand, NearestRoundsHalvesUpAndAnythingBelowDown) {
  TestImage img(16, 4);
  img.pair(0, 1) = {2.5f, 0.5f};                               // (2.5, 1.5) -> (3, 2)
  img.pair(1, 1) = {std::nextafter(1.5f, 0.0f) - 1.0f, 0.0f};  // 1.5 - 2^-23 -> 1
  img.pair(2, 1) = {std::nextafter(3.5f, 0.0f) - 2.0f, 0.0f};  // 3.5 - 2^-22 -> 3
  img.pair(3, 1) = {-2.5f, -0.5f};                             // (0.5, 0.5) -> (1, 1)
  img.pair(0, 2) = {0.49999997f, 0.0f};                        // 0.49999997 -> 0
  render_whole(img);
  const uint8_t* want[] = {img.source(3, 2), img.source(1, 1), img.source(3, 1), img.source(1, 1)};
  for (int k = 0; k < 4; ++k) expect_pixel(img, k, 1, 16, want[k][0], want[k][1], want[k][2]);
  expect_pixel(img, 0, 2, 16, img.source(0, 2)[0], img.source(0, 2)[1], img.source(0, 2)[2]);
  for (int opts = 0; opts < 16; ++opts) {
    set_options(opts & ~1);
    expect_band_matches_reference(img, {0, 0, 16, 4, 1, 0}, "nearest halves");
  }
}

// Every rectangle width from 1 to 9 at several offsets, in one band and in either half of the
// two-band split: pixels are taken four, two and one at a time and each way must agree.
TEST(RenderBand, MatchesTheReferenceForEveryRectangleShape) {
  TestImage img(23, 9);
  std::mt19937 rng(11);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 23; ++x) {
      img.pair(x, y) = {awkward_component(rng), awkward_component(rng)};
      img.set_mask_bit(x, y, (x + 2 * y) % 3 != 0);
    }
  const std::vector<uint8_t> exact = install_exact_source(img);
  const RenderBandArgs bands[] = {{0, 0, 0, 0, 1, 0}, {0, 0, 0, 0, 2, 0}, {0, 0, 0, 0, 2, 1}};
  for (int opts = 0; opts < 16; ++opts) {
    set_options(opts);
    for (int32_t width = 1; width <= 9; ++width)
      for (int32_t x0 = 0; x0 < 4; ++x0)
        for (RenderBandArgs a : bands) {
          a.x0 = x0 + width % 3;
          a.x1 = a.x0 + width;
          a.y0 = width % 2;
          a.y1 = 9 - x0 % 2;
          expect_band_matches_reference(img, a, "shapes");
        }
  }
}

// Sources with flat patches and two-level edges, where many bilinear sums are exact integers or
// within a hair of one, sampled at the awkward positions.
TEST(RenderBand, MatchesTheReferenceWhereSumsComeCloseToIntegers) {
  TestImage img(41, 17);
  std::mt19937 rng(5);
  for (int round = 0; round < 4; ++round) {
    std::uniform_int_distribution<int> level(0, 1);
    const uint8_t levels[4][2] = {{254, 255}, {0, 1}, {253, 253}, {127, 128}};
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 41; ++x) {
        uint8_t* p = img.source(x, y);
        for (int c = 0; c < 4; ++c) p[c] = levels[(round + c) % 4][(x / 3 + y / 2) % 2 ? level(rng) : 0];
        img.pair(x, y) = {awkward_component(rng), awkward_component(rng)};
        img.set_mask_bit(x, y, level(rng) != 0);
      }
    const std::vector<uint8_t> exact = install_exact_source(img);
    for (int opts = 0; opts < 16; ++opts) {
      set_options(opts);
      expect_band_matches_reference(img, {1, 2, 40, 17, 1, 0}, "near integers");
    }
    img.install();
  }
}

// A larger image, rendered away from its origin in both halves of the two-band split, with a
// smooth field and undistorted patches as brushing leaves them.
TEST(RenderBand, MatchesTheReferenceOnALargerImageInBothBands) {
  TestImage img(203, 97);
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int y = 0; y < 97; ++y)
    for (int x = 0; x < 203; ++x) {
      for (int c = 0; c < 4; ++c) img.source(x, y)[c] = static_cast<uint8_t>(byte(rng));
      const bool still = (x / 40 + y / 30) % 3 == 0;
      img.pair(x, y) = still ? DisplacementPair{0, 0}
                             : DisplacementPair{static_cast<float>(9 * std::sin(y * 0.05) + 2 * std::cos(x * 0.3)),
                                                static_cast<float>(11 * std::cos(x * 0.04) - 3 * std::sin(y * 0.2))};
      img.set_mask_bit(x, y, (x / 7 + y / 5) % 2 == 0);
    }
  const std::vector<uint8_t> exact = install_exact_source(img);
  for (int opts = 0; opts < 16; ++opts) {
    set_options(opts);
    for (int first = 0; first < 2; ++first) expect_band_matches_reference(img, {5, 3, 198, 94, 2, first}, "large");
  }
}

}  // namespace
