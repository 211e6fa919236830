// BMP codec: the written bytes, round trips, the variants read and the files refused.
#include <climits>
#include <cstring>

#include "plugins/imagefile/tests/codec_fixture.h"

namespace {

using namespace imagefile_test;
using namespace dqbmp;

struct BmpLayout {
  int32_t width = 3, height = 2;
  uint16_t planes = 1, bits = 24;
  uint32_t compression = 0, info_size = 40;
  uint32_t gap = 0;           // bytes between the headers and the pixels (a colour table, say)
  int32_t pixel_offset = -1;  // -1: right after the gap
};

// Pixel rows of `picture` as a file stores them: bottom-up (top-down for a negative height),
// 3 or 4 bytes a pixel, 24-bit rows padded to 4 bytes.
Bytes bmp_rows(const Bytes& picture, int32_t width, int32_t height, int bits) {
  Bytes rows;
  const int32_t h = height < 0 ? -height : height;
  for (int32_t i = 0; i < h; ++i) {
    const int32_t y = height < 0 ? i : h - 1 - i;
    for (int32_t x = 0; x < width; ++x) {
      const uint8_t* px = &picture[(static_cast<size_t>(y) * width + x) * 4];
      rows.insert(rows.end(), px, px + 3);
      if (bits == 32) rows.push_back(0x77);
    }
    while (rows.size() % 4) rows.push_back(0);
  }
  return rows;
}

Bytes bmp_file(const BmpLayout& l, const Bytes& rows) {
  Bytes b;
  put_text(b, "BM");
  const uint32_t offset = l.pixel_offset >= 0 ? l.pixel_offset : 14 + l.info_size + l.gap;
  put32(b, offset + static_cast<uint32_t>(rows.size()));
  put32(b, 0);
  put32(b, offset);
  put32(b, l.info_size);
  put32(b, static_cast<uint32_t>(l.width));
  put32(b, static_cast<uint32_t>(l.height));
  put16(b, l.planes);
  put16(b, l.bits);
  put32(b, l.compression);
  put32(b, static_cast<uint32_t>(rows.size()));
  put32(b, 2834);
  put32(b, 2834);
  put32(b, l.gap / 4);
  put32(b, 0);
  b.resize(14 + l.info_size + l.gap, 0xcd);  // longer headers and colour tables hold junk here
  b.insert(b.end(), rows.begin(), rows.end());
  return b;
}

TEST(BmpWrite, HeaderAndPaddedBottomUpRowsAreByteExact) {
  TempDir dir;
  const Bytes picture = test_picture(3, 2);
  ASSERT_EQ(encode(bmp_codec(), dir.path("a.bmp"), picture, 3, 2), 0);
  const Bytes file = read_file(dir.path("a.bmp"));
  const uint8_t header[54] = {'B',  'M',  78, 0, 0,    0,    0, 0, 0, 0, 54, 0, 0, 0,  // file header
                              40,   0,    0,  0, 3,    0,    0, 0, 2, 0, 0,  0, 1, 0,
                              24,   0,                              // size, 3 x 2, 1 plane, 24 bits
                              0,    0,    0,  0, 24,   0,    0, 0,  // uncompressed, 2 rows of 12
                              0x12, 0x0b, 0,  0, 0x12, 0x0b, 0, 0,  // 2834 pixels per metre
                              0,    0,    0,  0, 0,    0,    0, 0};
  ASSERT_EQ(file.size(), 78u);
  EXPECT_EQ(std::memcmp(file.data(), header, 54), 0);
  // The bottom row first, blue green red, then 3 zero bytes of padding.
  for (int x = 0; x < 3; ++x)
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(file[54 + x * 3 + c], picture[(3 + x) * 4 + c]);
      EXPECT_EQ(file[66 + x * 3 + c], picture[x * 4 + c]);
    }
  for (int i : {63, 64, 65, 75, 76, 77}) EXPECT_EQ(file[i], 0) << i;
}

TEST(BmpWrite, RowsArePaddedToFourBytesForEveryWidth) {
  TempDir dir;
  const int padding[] = {0, 1, 2, 3, 0, 1};
  for (int32_t width = 1; width <= 5; ++width) {
    ASSERT_EQ(encode(bmp_codec(), dir.path("p.bmp"), test_picture(width, 3), width, 3), 0);
    const Bytes file = read_file(dir.path("p.bmp"));
    const size_t stride = width * 3 + padding[width];
    ASSERT_EQ(file.size(), 54 + 3 * stride) << width;
    for (size_t row = 0; row < 3; ++row)
      for (int i = 0; i < padding[width]; ++i) EXPECT_EQ(file[54 + row * stride + width * 3 + i], 0);
  }
}

TEST(BmpRead, RoundTripsKeepColoursAndTheSpareByte) {
  TempDir dir;
  for (auto [w, h] : {std::pair{1, 1}, {1, 5}, {2, 3}, {3, 2}, {5, 7}, {4, 4}, {33, 17}, {16385, 2}}) {
    const Bytes picture = test_picture(w, h);
    ASSERT_EQ(encode(bmp_codec(), dir.path("r.bmp"), picture, w, h), 0);
    const Decoded d = decode(bmp_codec(), dir.path("r.bmp"), 0x11);
    ASSERT_EQ(d.get_code, 0);
    ASSERT_EQ(d.open_code, 0) << w << " x " << h;
    EXPECT_EQ(d.width, w);
    EXPECT_EQ(d.height, h);
    EXPECT_TRUE(same_colours(picture, d.pixels)) << w << " x " << h;
    for (size_t i = 3; i < d.pixels.size(); i += 4) ASSERT_EQ(d.pixels[i], 0x11);
  }
}

TEST(BmpRead, VariantsBesidesTheWrittenOne) {
  TempDir dir;
  const Bytes picture = test_picture(5, 3);
  struct Case {
    const char* what;
    BmpLayout layout;
    int bits;
  } cases[] = {
      {"32 bits, fourth byte dropped", {5, 3, 1, 32}, 32},
      {"124-byte info header", {5, 3, 1, 24, 0, 124}, 24},
      {"colour table before 24-bit pixels", {5, 3, 1, 24, 0, 40, 1024}, 24},
      {"top-down rows", {5, -3, 1, 24}, 24},
      {"top-down 32 bits", {5, -3, 1, 32}, 32},
  };
  for (const Case& c : cases) {
    write_file(dir.path("v.bmp"), bmp_file(c.layout, bmp_rows(picture, 5, c.layout.height, c.bits)));
    const Decoded d = decode(bmp_codec(), dir.path("v.bmp"));
    ASSERT_EQ(d.get_code, 0) << c.what;
    EXPECT_EQ(d.open_code, 0) << c.what;
    EXPECT_EQ(d.width, 5);
    EXPECT_EQ(d.height, 3) << c.what;
    EXPECT_TRUE(same_colours(picture, d.pixels)) << c.what;
  }
}

TEST(BmpRead, RefusedHeadersGiveTheirCodes) {
  TempDir dir;
  const Bytes rows(64, 0);
  struct Case {
    const char* what;
    BmpLayout layout;
    int32_t code;
  } cases[] = {
      {"8 bits", {3, 2, 1, 8}, BMP_UNSUPPORTED},
      {"16 bits", {3, 2, 1, 16}, BMP_UNSUPPORTED},
      {"run-length coded", {3, 2, 1, 24, 1}, BMP_UNSUPPORTED},
      {"bit fields", {3, 2, 1, 32, 3}, BMP_UNSUPPORTED},
      {"two planes", {3, 2, 2, 24}, BMP_UNSUPPORTED},
      {"12-byte core header", {3, 2, 1, 24, 0, 12}, BMP_UNSUPPORTED},
      {"width 0", {0, 2}, BMP_UNSUPPORTED},
      {"height 0", {3, 0}, BMP_UNSUPPORTED},
      {"negative width", {-3, 2}, BMP_UNSUPPORTED},
      {"lowest height", {3, INT32_MIN}, BMP_UNSUPPORTED},
      {"buffer beyond 2 GB", {46341, 46341}, BMP_UNSUPPORTED},
      {"buffer of 4 GB wrapping to 0", {65536, 16384}, BMP_UNSUPPORTED},
      {"largest width, one row top-down", {INT32_MAX, -1}, BMP_UNSUPPORTED},
      {"pixel data inside the header", {3, 2, 1, 24, 0, 40, 0, 20}, BMP_READ_FAILED},
  };
  for (const Case& c : cases) {
    write_file(dir.path("x.bmp"), bmp_file(c.layout, rows));
    int32_t w = -7, h = -7;
    ASSERT_EQ(bmp_codec().openFile(dir.path("x.bmp").c_str(), 0), 0);
    EXPECT_EQ(get(&w, &h), c.code) << c.what;
    EXPECT_EQ(w, -7) << c.what;  // nothing is reported for a refused file
    uint8_t px[4] = {};
    EXPECT_NE(open(px, 1, 1), 0) << c.what;
    closeFile();
  }
}

TEST(BmpRead, LargestAllowedBufferIsAccepted) {
  TempDir dir;
  // 2^29 - 1 pixels: 2^31 - 4 bytes.
  write_file(dir.path("big.bmp"), bmp_file({536870911, 1}, {}));
  const Decoded d = [&] {
    Decoded r;
    bmp_codec().openFile(dir.path("big.bmp").c_str(), 0);
    r.get_code = get(&r.width, &r.height);
    closeFile();
    return r;
  }();
  EXPECT_EQ(d.get_code, 0);
  EXPECT_EQ(d.width, 536870911);
}

TEST(BmpRead, ShortFilesGiveReadOrTypeCodes) {
  TempDir dir;
  const Bytes good = bmp_file({}, Bytes(24, 0));
  for (size_t size : {0, 1, 13}) {
    write_file(dir.path("s.bmp"), Bytes(good.begin(), good.begin() + size));
    EXPECT_EQ(decode(bmp_codec(), dir.path("s.bmp")).get_code, BMP_READ_FAILED) << size;
  }
  for (size_t size : {14, 30, 53}) {
    write_file(dir.path("s.bmp"), Bytes(good.begin(), good.begin() + size));
    EXPECT_EQ(decode(bmp_codec(), dir.path("s.bmp")).get_code, BMP_READ_FAILED) << size;
    Bytes other(good.begin(), good.begin() + size);
    other[0] = 'P';
    write_file(dir.path("s.bmp"), other);
    EXPECT_EQ(decode(bmp_codec(), dir.path("s.bmp")).get_code, BMP_NOT_BMP) << size;
  }
}

TEST(BmpRead, CutPixelsLeaveTheBottomRowsFilled) {
  TempDir dir;
  const Bytes picture = test_picture(3, 4);
  Bytes file = bmp_file({3, 4}, bmp_rows(picture, 3, 4, 24));
  file.resize(54 + 12 * 2 + 4);  // two rows and one pixel of the third
  write_file(dir.path("cut.bmp"), file);
  const Decoded d = decode(bmp_codec(), dir.path("cut.bmp"), 0xee);
  ASSERT_EQ(d.get_code, 0);
  EXPECT_EQ(d.open_code, BMP_DATA_ENDS_EARLY);
  const Bytes bottom(picture.begin() + 2 * 12, picture.end()), top(d.pixels.begin(), d.pixels.begin() + 2 * 12);
  EXPECT_TRUE(same_colours(bottom, Bytes(d.pixels.begin() + 2 * 12, d.pixels.end())));
  // The one whole pixel of row 1 arrived; the rest is untouched.
  for (int c = 0; c < 3; ++c) EXPECT_EQ(d.pixels[12 + c], picture[12 + c]);
  EXPECT_EQ(top[16], 0xee);
  EXPECT_EQ(top[0], 0xee);
}

TEST(BmpRead, MissingPaddingAfterTheLastRowIsNoError) {
  TempDir dir;
  const Bytes picture = test_picture(1, 2);
  Bytes file = bmp_file({1, 2}, bmp_rows(picture, 1, 2, 24));
  file.pop_back();
  write_file(dir.path("p.bmp"), file);
  const Decoded d = decode(bmp_codec(), dir.path("p.bmp"));
  EXPECT_EQ(d.open_code, 0);
  EXPECT_TRUE(same_colours(picture, d.pixels));
}

TEST(BmpText, MessagesAndNames) {
  EXPECT_STREQ(getError(0), "Drelloq BMP Import/Export Library");
  EXPECT_STREQ(getError(-1), "Windows Bitmap");
  EXPECT_STREQ(getError(-2), "*.bmp");
  EXPECT_STREQ(getError(1), "Fehler beim Schreiben der Datei.\r\nM\xf6glicher Grund: Disk voll!");
  EXPECT_STREQ(getError(2), "Es ist ein Fehler beim Lesen der Eingabedatei aufgetreten.");
  EXPECT_STREQ(getError(3), "Unbekannter Dateityp.");
  EXPECT_STREQ(getError(4),
               "Datei enth\xe4lt kein RGB-Echtfarbbild!\r\nEs k\xf6nnen nur Bitmaps in Quandrelix geladen werden,"
               "\r\ndie in diesem Format vorliegen.");
  EXPECT_STREQ(getError(5),
               "Unerwartetes Ende der Datei.\r\nM\xf6glicherweise ist die Datei besch\xe4"
               "digt.");
  EXPECT_STREQ(getError(6), "unknown error");
  EXPECT_STREQ(getError(-3), "unknown error");
}

}  // namespace
