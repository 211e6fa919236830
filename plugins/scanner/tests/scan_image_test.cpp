// The scanner plug-in's platform-free part: DIB check, factor preset, reduction, memory layout.
#include "plugins/scanner/scan_image.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Header {
  uint32_t size = 40;
  int32_t width = 5, height = 3;
  uint16_t bits = 24;
  uint32_t compression = 0, colours = 0;
};

// A packed DIB of the header plus extra bytes after it.
std::vector<uint8_t> dib(const Header& h, uint64_t extra) {
  std::vector<uint8_t> d(h.size + extra, 0);
  auto put = [&](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) d[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  put(0, h.size, 4);
  put(4, static_cast<uint32_t>(h.width), 4);
  put(8, static_cast<uint32_t>(h.height), 4);
  put(12, 1, 2);
  put(14, h.bits, 2);
  put(16, h.compression, 4);
  put(32, h.colours, 4);
  return d;
}

TEST(CheckDib, AcceptsSoundAndRefusesBrokenHeaders) {
  struct Case {
    const char* what;
    Header h;
    uint64_t extra;
    DibCheck expected;
    uint64_t offset;
  } cases[] = {
      {"24-bit, rows of 16 bytes", {}, 48, DibCheck::ok, 40},
      {"top-down", {40, 5, -3}, 48, DibCheck::ok, 40},
      {"one byte short", {}, 47, DibCheck::truncated, 0},
      {"header size 12", {12}, 100, DibCheck::bad_header, 0},
      {"zero width", {40, 0, 3}, 48, DibCheck::bad_size, 0},
      {"huge height", {40, 5, 70000}, 48, DibCheck::bad_size, 0},
      {"bit count 7", {40, 5, 3, 7}, 48, DibCheck::bad_bit_count, 0},
      {"run-length coded", {40, 5, 3, 8, 1}, 2000, DibCheck::compressed, 0},
      {"8-bit, colour count clamped", {40, 5, 3, 8, 0, 0xFFFFFFF0u}, 1024 + 24, DibCheck::ok, 1064},
      {"24-bit, a table of 300 skipped whole", {40, 5, 3, 24, 0, 300}, 1200 + 48, DibCheck::ok, 1240},
      {"24-bit, a table beyond the block", {40, 5, 3, 24, 0, 100000}, 1024 + 48, DibCheck::truncated, 0},
      {"32-bit with masks", {40, 5, 3, 32, 3}, 12 + 60, DibCheck::ok, 52},
      {"width overflowing 32 bits of row", {40, 65535, 65535}, 48, DibCheck::truncated, 0},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> d = dib(c.h, c.extra);
    DibLayout layout;
    EXPECT_EQ(check_dib(d.data(), d.size(), &layout), c.expected) << c.what;
    if (c.expected == DibCheck::ok) {
      EXPECT_EQ(layout.pixel_offset, c.offset) << c.what;
      EXPECT_EQ(layout.top_down, c.h.height < 0) << c.what;
      EXPECT_EQ(layout.height, 3) << c.what;
    }
  }
  EXPECT_EQ(check_dib(nullptr, 100, nullptr), DibCheck::truncated);
}

TEST(ReductionFactor, PresetByPixelCount) {
  struct Case {
    int32_t w, h;
    int factor;
  } cases[] = {{549, 551, 1}, {550, 550, 2}, {1099, 1100, 2}, {1100, 1100, 4}, {1, 1, 1}};
  for (const Case& c : cases) EXPECT_EQ(preset_reduction_factor(c.w, c.h), c.factor) << c.w << "x" << c.h;
}

// A 5 x 3 bitmap whose stored pixel (x, row) holds bytes (x, row, 9).
std::vector<uint8_t> numbered_pixels(const DibLayout& l) {
  std::vector<uint8_t> p(l.row_bytes * l.height, 0xEE);
  for (int r = 0; r < l.height; ++r)
    for (int x = 0; x < l.width; ++x) {
      uint8_t* q = &p[l.row_bytes * r + 3 * x];
      q[0] = static_cast<uint8_t>(x), q[1] = static_cast<uint8_t>(r), q[2] = 9;
    }
  return p;
}

TEST(Reduction, SubsamplesAndTurnsRowsTopDown) {
  struct Case {
    bool top_down;
    int factor;
    int32_t w, h;
    std::vector<uint8_t> expected;
  } cases[] = {
      {false, 2, 2, 1, {0, 0, 9, 2, 0, 9}},
      {false, 1, 5, 3, {0, 2, 9, 1, 2, 9, 2, 2, 9, 3, 2, 9, 4, 2, 9, 0, 1, 9, 1, 1, 9, 2, 1,
                        9, 3, 1, 9, 4, 1, 9, 0, 0, 9, 1, 0, 9, 2, 0, 9, 3, 0, 9, 4, 0, 9}},
      {true, 2, 2, 1, {0, 0, 9, 2, 0, 9}},
      {true, 4, 1, 0, {}},
  };
  for (const Case& c : cases) {
    DibLayout l;
    l.width = 5, l.height = 3, l.top_down = c.top_down, l.bit_count = 24, l.row_bytes = 16;
    int32_t w, h;
    reduced_size(l, c.factor, &w, &h);
    ASSERT_EQ(w, c.w);
    ASSERT_EQ(h, c.h);
    std::vector<uint8_t> out(static_cast<size_t>(w) * h * 3, 0x55);
    std::vector<uint8_t> pixels = numbered_pixels(l);
    reduce_dib(l, pixels.data(), c.factor, out.data());
    EXPECT_EQ(out, c.expected) << "factor " << c.factor << (c.top_down ? " top-down" : "");
  }
}

TEST(MemXferLayout, ClampsPreferredAndRefusesOutOfRange) {
  struct Case {
    int32_t w, h;
    int bits;
    uint32_t preferred;
    bool ok;
    uint64_t row, strip, image;
    uint32_t min_strip = 0;  // the least buffer the source accepts
  } cases[] = {
      {5, 3, 24, 0, true, 16, 16, 64}, {5, 3, 24, 0xFFFFFFFFu, true, 16, 48, 96},
      {10, 10, 1, 7, true, 4, 7, 42},  {0, 3, 24, 64, false, 0, 0, 0},
      {5, 3, 12, 64, false, 0, 0, 0},  {65535, 65535, 32, 65536, false, 0, 0, 0},
      {1, 1, 8, 9, true, 4, 8, 8, 8},
  };
  for (const Case& c : cases) {
    MemXferLayout l;
    ASSERT_EQ(memxfer_layout(c.w, c.h, c.bits, c.preferred, c.min_strip, &l), c.ok) << c.w << "x" << c.h;
    if (!c.ok) continue;
    EXPECT_EQ(l.row_bytes, c.row);
    EXPECT_EQ(l.strip_bytes, c.strip);
    EXPECT_EQ(l.image_bytes, c.image);
  }
}

}  // namespace
