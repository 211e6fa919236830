// PPM codec: the written bytes, round trips, the header forms read and the files refused.
#include <climits>
#include <string>

#include "plugins/imagefile/tests/codec_fixture.h"

namespace {

using namespace imagefile_test;
using namespace dqppm;

// A 2 x 2 picture and its pixel data red first: (1,2,3) (4,5,6) / (7,8,9) (250,251,252).
const uint8_t RGB[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 250, 251, 252};
Bytes rgb_picture() {
  Bytes p;
  for (int i = 0; i < 12; i += 3) p.insert(p.end(), {RGB[i + 2], RGB[i + 1], RGB[i], 0});
  return p;
}
std::string rgb_bytes() { return std::string(reinterpret_cast<const char*>(RGB), 12); }

TEST(PpmWrite, TwoByOneIsSeventeenBytesRedFirst) {
  TempDir dir;
  const Bytes picture = {30, 20, 10, 0, 60, 50, 40, 0};
  ASSERT_EQ(encode(ppm_codec(), dir.path("a.ppm"), picture, 2, 1), 0);
  const Bytes expected = {'P', '6', '\n', '2', ' ', '1', '\n', '2', '5', '5', '\n', 10, 20, 30, 40, 50, 60};
  EXPECT_EQ(read_file(dir.path("a.ppm")), expected);
}

TEST(PpmRead, RoundTripsPerSize) {
  TempDir dir;
  for (auto [w, h] : {std::pair{1, 1}, {1, 3}, {7, 2}, {64, 65}, {20000, 2}}) {
    const Bytes picture = test_picture(w, h);
    ASSERT_EQ(encode(ppm_codec(), dir.path("r.ppm"), picture, w, h), 0);
    const Decoded d = decode(ppm_codec(), dir.path("r.ppm"), 0x33);
    ASSERT_EQ(d.get_code, 0);
    EXPECT_EQ(d.open_code, 0);
    EXPECT_EQ(d.width, w);
    EXPECT_EQ(d.height, h);
    EXPECT_TRUE(same_colours(picture, d.pixels));
    for (size_t i = 3; i < d.pixels.size(); i += 4) ASSERT_EQ(d.pixels[i], 0x33);
  }
}

TEST(PpmRead, HeaderFormsReadTheSame) {
  TempDir dir;
  const std::string long_comment = "#" + std::string(1000, 'c') + "\n";
  const std::string forms[] = {
      "P6\n2 2\n255\n" + rgb_bytes(),
      "P6\n# made by hand\n2 # width\n# and now\n2\n#\n255\n" + rgb_bytes(),
      "P6\r\n2 2\r\n255\r\n" + rgb_bytes(),
      "P6 2 2 255 " + rgb_bytes(),  // one blank ends the header as well
      "P6\t2\t2\t255\t" + rgb_bytes(),
      "P6\n2 2\n255\r" + rgb_bytes(),  // a lone carriage return is the one separator
      "P6\n" + long_comment + "2 2 255\n" + rgb_bytes(),
      "P6\n2 2x 255\n" + rgb_bytes(),     // characters after the digits are ignored
      "P6\nabc 2 2 255\n" + rgb_bytes(),  // words that are no number are skipped
      "P6\n+2 2 255\n" + rgb_bytes(),
      "P3\n2 2\n255\n1 2 3 4 5 6\n7 8 9 250 251 252\n",
      "P3\n# comment\n2 2 255\n1 2 3\n# between pixels\n4 5 6 7 8 9 250 251 252",
      "P3 2 2 255 257 258 259 4 5 6 7 8 9 506 507 1020",  // only the low byte counts
  };
  for (const std::string& f : forms) {
    write_file(dir.path("h.ppm"), f);
    const Decoded d = decode(ppm_codec(), dir.path("h.ppm"));
    ASSERT_EQ(d.get_code, 0) << f.substr(0, 20);
    EXPECT_EQ(d.open_code, 0) << f.substr(0, 20);
    EXPECT_EQ(d.width, 2);
    EXPECT_EQ(d.height, 2);
    EXPECT_TRUE(same_colours(rgb_picture(), d.pixels)) << f.substr(0, 20);
  }
}

TEST(PpmRead, RefusedFilesGiveTheirCodes) {
  TempDir dir;
  struct Case {
    const char* what;
    std::string file;
    int32_t get_code, open_code;
  } cases[] = {
      {"empty", "", PPM_NOT_PPM, -1},
      {"blanks only", " \n\t ", PPM_NOT_PPM, -1},
      {"P5", "P5\n2 2\n255\n", PPM_NOT_PPM, -1},
      {"P1", "P1\n2 2\n0 1 0 1\n", PPM_NOT_PPM, -1},
      {"P6 glued to the width", "P62 2\n255\n", PPM_NOT_PPM, -1},
      {"header ends after the height", "P6\n2 2\n", PPM_NOT_PPM, -1},
      {"header ends inside a comment", "P6\n2 2\n# no end", PPM_NOT_PPM, -1},
      {"maximum 65535", "P6\n2 2\n65535\n", PPM_UNSUPPORTED, -1},
      {"maximum 1", "P3\n2 2\n1\n", PPM_UNSUPPORTED, -1},
      {"width 0", "P6\n0 2\n255\n", PPM_UNSUPPORTED, -1},
      {"height 0", "P6\n2 0\n255\n", PPM_UNSUPPORTED, -1},
      {"negative width", "P6\n-2 2\n255\n", PPM_UNSUPPORTED, -1},
      {"width beyond a signed int", "P6\n2147483648 1\n255\n", PPM_UNSUPPORTED, -1},
      {"buffer of 4 GB wrapping to 0", "P6\n65536 16384\n255\n", PPM_UNSUPPORTED, -1},
      {"width of 300 digits", "P6\n" + std::string(300, '9') + " 1\n255\n", PPM_UNSUPPORTED, -1},
      {"binary pixels cut short", "P6\n2 2\n255\n" + rgb_bytes().substr(0, 11), 0, PPM_READ_FAILED},
      {"text pixels one value short", "P3\n2 2\n255\n1 2 3 4 5 6 7 8 9 250 251", 0, PPM_READ_FAILED},
      {"text pixels end in a comment", "P3\n1 1\n255\n1 2 # 3", 0, PPM_READ_FAILED},
  };
  for (const Case& c : cases) {
    write_file(dir.path("x.ppm"), c.file);
    const Decoded d = decode(ppm_codec(), dir.path("x.ppm"));
    EXPECT_EQ(d.get_code, c.get_code) << c.what;
    EXPECT_EQ(d.open_code, c.open_code) << c.what;
  }
}

TEST(PpmRead, CutPixelsStayInTheBuffer) {
  TempDir dir;
  write_file(dir.path("c.ppm"), "P6\n2 2\n255\n" + rgb_bytes().substr(0, 8));
  const Decoded d = decode(ppm_codec(), dir.path("c.ppm"), 0xee);
  EXPECT_EQ(d.open_code, PPM_READ_FAILED);
  const Bytes expected = {3, 2, 1, 0xee, 6, 5, 4, 0xee, 0xee, 0xee, 0xee, 0xee, 0xee, 0xee, 0xee, 0xee};
  EXPECT_EQ(d.pixels, expected);
}

TEST(PpmNumbers, SaturateAndWrapAsUnsigned32Bits) {
  struct Case {
    const char* word;
    bool number;
    uint32_t value;
  } cases[] = {
      {"0", true, 0},
      {"255", true, 255},
      {"+7", true, 7},
      {"-1", true, 0xffffffffu},
      {"-4294967295", true, 1},
      {"4294967295", true, 0xffffffffu},
      {"4294967296", true, 0xffffffffu},
      {"-4294967296", true, 0xffffffffu},
      {"99999999999999999999999999999", true, 0xffffffffu},
      {"12abc", true, 12},
      {"007", true, 7},
      {"abc", false, 0},
      {"-", false, 0},
      {"+x", false, 0},
      {"", false, 0},
  };
  for (const Case& c : cases) {
    uint32_t v = 12345;
    EXPECT_EQ(parse_number(c.word, &v), c.number) << c.word;
    if (c.number) {
      EXPECT_EQ(v, c.value) << c.word;
    }
  }
}

TEST(PpmText, MessagesAndNames) {
  EXPECT_STREQ(getError(0), "Drelloq PPM Import/Export Library");
  EXPECT_STREQ(getError(-1), "Portable Pixmap");
  EXPECT_STREQ(getError(-2), "*.ppm");
  EXPECT_STREQ(getError(1), "Fehler beim Schreiben der Datei.\r\nM\xf6glicher Grund: Disk voll!");
  EXPECT_STREQ(getError(2),
               "Fehler beim Lesen der Eingabedatei.\r\nM\xf6glicherweise ist die Datei besch\xe4"
               "digt.");
  EXPECT_STREQ(getError(3), "unknown error");
  EXPECT_STREQ(getError(4), "Die Datei ist keine g\xfcltige PPM-Datei.");
  EXPECT_STREQ(getError(5), "Die Datei enth\xe4lt ein nicht unterst\xfctztes Farbformat.");
  EXPECT_STREQ(getError(6), "unknown error");
}

}  // namespace
