// Band renderer: sampling arithmetic, edges, colour separation, mask shading, and the
// guarantees that no displacement (NaN, infinities, tiny images) reads outside the source.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "engine/render_band.h"
#include "tests/engine/engine_fixture.h"

namespace {

// Straightforward per-pixel statement of the sampling rules, kept apart from the
// renderer's specialised loops so the two can be compared on random fields.
void reference_pixel(int32_t x, int32_t y, uint8_t out[3]) {
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
    if (!g_smoothing) return src(static_cast<int32_t>(std::floor(sx + 0.5)), static_cast<int32_t>(std::floor(sy + 0.5)), c);
    const float xl = std::floor(sx), xh = std::ceil(sx), yl = std::floor(sy), yh = std::ceil(sy);
    const double fx = sx - xl, fy = sy - yl;
    const double v = (1 - fx) * (1 - fy) * src(int32_t(xl), int32_t(yl), c) + fx * (1 - fy) * src(int32_t(xh), int32_t(yl), c) +
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
  img.pair(0, 1) = {7.0f, 0};        // exactly W - 1
  img.pair(1, 1) = {5.9999f, 0};      // W - 1.0001
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

}  // namespace
