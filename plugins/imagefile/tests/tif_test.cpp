// TIFF codec: the written bytes, round trips, the sample layouts read and the files refused.
#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <optional>

#include "plugins/imagefile/tests/codec_fixture.h"

namespace {

using namespace imagefile_test;
using namespace dqtif;

enum : uint16_t { BYTE = 1, ASCII = 2, SHORT = 3, LONG = 4, RATIONAL = 5 };

struct Entry {
  uint16_t tag, type;
  std::vector<uint32_t> values;
  int64_t count = -1;                                // the count written; -1: as many as values
  std::optional<std::array<uint8_t, 4>> field = {};  // written as it stands instead of the values
  bool from_data = false;                            // values count from the start of the pixel data
};

uint32_t type_size(uint16_t type) { return type == BYTE || type == ASCII ? 1 : type == SHORT ? 2 : 4; }

Bytes encode_values(const Entry& e, bool mm, uint32_t data_at) {
  Bytes v;
  for (uint32_t x : e.values) {
    if (e.from_data) x += data_at;
    if (type_size(e.type) == 1) put8(v, x);
    if (type_size(e.type) == 2) put16(v, x, mm);
    if (type_size(e.type) == 4) put32(v, x, mm);
  }
  return v;
}

// Header, directory, the value arrays, and the pixel data last, so that cutting the file cuts them.
Bytes tiff_file(bool mm, const std::vector<Entry>& entries, const Bytes& data) {
  Bytes b, arrays;
  put_text(b, mm ? "MM" : "II");
  put16(b, 42, mm);
  put32(b, 8, mm);
  const uint32_t arrays_at = 8 + 2 + 12 * static_cast<uint32_t>(entries.size()) + 4;
  uint32_t arrays_size = 0;
  for (const Entry& e : entries) {
    const size_t n = encode_values(e, mm, 0).size();
    if (!e.field && n > 4) arrays_size += static_cast<uint32_t>(n);
  }
  const uint32_t data_at = arrays_at + arrays_size;
  put16(b, static_cast<uint32_t>(entries.size()), mm);
  for (const Entry& e : entries) {
    put16(b, e.tag, mm);
    put16(b, e.type, mm);
    put32(b, e.count >= 0 ? static_cast<uint32_t>(e.count) : static_cast<uint32_t>(e.values.size()), mm);
    Bytes v = encode_values(e, mm, data_at);
    if (e.field) {
      b.insert(b.end(), e.field->begin(), e.field->end());
    } else if (v.size() <= 4) {
      v.resize(4, 0);
      b.insert(b.end(), v.begin(), v.end());
    } else {
      put32(b, arrays_at + static_cast<uint32_t>(arrays.size()), mm);
      arrays.insert(arrays.end(), v.begin(), v.end());
    }
  }
  put32(b, 0);
  b.insert(b.end(), arrays.begin(), arrays.end());
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

// The entries of an uncompressed interleaved image whose strips follow each other.
std::vector<Entry> image_entries(uint32_t w, uint32_t h, std::vector<uint32_t> bits, uint32_t samples,
                                 uint32_t photometric, const std::vector<uint32_t>& strips,
                                 uint16_t strip_type = LONG) {
  std::vector<uint32_t> offsets;
  uint32_t at = 0;
  for (uint32_t s : strips) {
    offsets.push_back(at);
    at += s;
  }
  return {{256, LONG, {w}},
          {257, LONG, {h}},
          {258, SHORT, bits},
          {259, SHORT, {1}},
          {262, SHORT, {photometric}},
          {273, strip_type, offsets, -1, std::nullopt, true},
          {277, SHORT, {samples}},
          {278, LONG, {h}},
          {279, strip_type, strips}};
}

Entry& entry(std::vector<Entry>& entries, uint16_t tag) {
  for (Entry& e : entries)
    if (e.tag == tag) return e;
  ADD_FAILURE() << "no tag " << tag;
  return entries.front();
}
void erase(std::vector<Entry>& entries, uint16_t tag) {
  entries.erase(std::remove_if(entries.begin(), entries.end(), [tag](const Entry& e) { return e.tag == tag; }),
                entries.end());
}

Bytes rgb_data(const Bytes& picture, bool alpha = false) {
  Bytes d;
  for (size_t i = 0; i < picture.size(); i += 4) {
    d.insert(d.end(), {picture[i + 2], picture[i + 1], picture[i]});
    if (alpha) d.push_back(0x99);
  }
  return d;
}

// A gray picture: every pixel's three colours equal.
Bytes gray_picture(int32_t w, int32_t h) {
  Bytes p = test_picture(w, h);
  for (size_t i = 0; i < p.size(); i += 4) p[i + 1] = p[i + 2] = p[i];
  return p;
}

TEST(TiffWrite, HeaderIsByteExact) {
  TempDir dir;
  const Bytes picture = test_picture(2, 3);
  ASSERT_EQ(encode(tif_codec(), dir.path("a.tif"), picture, 2, 3), 0);
  const Bytes file = read_file(dir.path("a.tif"));
  ASSERT_EQ(file.size(), 285u + 2 * 3 * 3);

  Bytes expected;
  put_text(expected, "II");
  put16(expected, 42);
  put32(expected, 8);
  put16(expected, 15);
  const uint32_t entries[15][4] = {{254, 4, 1, 0},   {256, 4, 1, 2}, {257, 4, 1, 3},    {258, 3, 3, 194},
                                   {259, 3, 1, 1},   {262, 3, 1, 2}, {270, 2, 42, 243}, {273, 4, 1, 285},
                                   {277, 3, 1, 3},   {278, 4, 1, 3}, {279, 4, 1, 18},   {282, 5, 1, 200},
                                   {283, 5, 1, 208}, {296, 3, 1, 2}, {305, 2, 25, 216}};
  for (const auto& e : entries) {
    put16(expected, e[0]);
    put16(expected, e[1]);
    put32(expected, e[2]);
    put32(expected, e[3]);
  }
  put32(expected, 0);
  for (uint32_t v : {8, 8, 8}) put16(expected, v);
  for (uint32_t v : {100, 1, 100, 1}) put32(expected, v);
  put_text(expected, "Quandrelix TIFF-Export  ");
  put8(expected, 0);
  put16(expected, 42);
  put_text(expected, "no comment");
  expected.resize(285, 0);
  EXPECT_EQ(Bytes(file.begin(), file.begin() + 285), expected);
  // Red first, top row first.
  EXPECT_EQ(Bytes(file.begin() + 285, file.end()), rgb_data(picture));
}

TEST(TiffRead, RoundTripsPerSize) {
  TempDir dir;
  for (auto [w, h] : {std::pair{1, 1}, {1, 4}, {5, 3}, {17, 31}, {20000, 2}}) {
    const Bytes picture = test_picture(w, h);
    ASSERT_EQ(encode(tif_codec(), dir.path("r.tif"), picture, w, h), 0);
    EXPECT_EQ(read_file(dir.path("r.tif")).size(), 285u + 3u * w * h);
    const Decoded d = decode(tif_codec(), dir.path("r.tif"), 0x44);
    ASSERT_EQ(d.get_code, 0);
    EXPECT_EQ(d.open_code, 0);
    EXPECT_EQ(d.width, w);
    EXPECT_EQ(d.height, h);
    EXPECT_TRUE(same_colours(picture, d.pixels)) << w << " x " << h;
    for (size_t i = 3; i < d.pixels.size(); i += 4) ASSERT_EQ(d.pixels[i], 0x44);
  }
}

struct Layout {
  const char* what;
  bool mm;
  std::function<void(std::vector<Entry>&, Bytes&)> build;  // fills entries and pixel data
  bool gray = false;
};

TEST(TiffRead, SampleLayoutsAndByteOrders) {
  TempDir dir;
  const int32_t w = 5, h = 4;
  const Bytes colour = test_picture(w, h), gray = gray_picture(w, h);
  auto gray8 = [&] {
    Bytes d;
    for (size_t i = 0; i < gray.size(); i += 4) d.push_back(gray[i]);
    return d;
  };
  const Layout layouts[] = {
      {"RGB", false,
       [&](auto& e, auto& d) {
         d = rgb_data(colour);
         e = image_entries(w, h, {8, 8, 8}, 3, 2, {60});
       }},
      {"RGB big-endian with SHORT sizes", true,
       [&](auto& e, auto& d) {
         d = rgb_data(colour);
         e = image_entries(w, h, {8, 8, 8}, 3, 2, {60});
         entry(e, 256).type = SHORT;
         entry(e, 257).type = SHORT;
       }},
      {"RGBA with RGB photometric", false,
       [&](auto& e, auto& d) {
         d = rgb_data(colour, true);
         e = image_entries(w, h, {8, 8, 8, 8}, 4, 2, {80});
       }},
      {"BitsPerSample 8 once with 3 samples", false,
       [&](auto& e, auto& d) {
         d = rgb_data(colour);
         e = image_entries(w, h, {8}, 3, 2, {60});
       }},
      {"RGB in strips of one row", false,
       [&](auto& e, auto& d) {
         d = rgb_data(colour);
         e = image_entries(w, h, {8, 8, 8}, 3, 2, {15, 15, 15, 15});
       }},
      {"RGB in uneven strips, big-endian", true,
       [&](auto& e, auto& d) {
         d = rgb_data(colour);
         e = image_entries(w, h, {8, 8, 8}, 3, 2, {30, 21, 9});
       }},
      {"RGB strips with SHORT arrays", false,
       [&](auto& e, auto& d) {
         d = rgb_data(colour);
         e = image_entries(w, h, {8, 8, 8}, 3, 2, {30, 30}, SHORT);  // both pairs fit in their entries
       }},
      {"RGB strips with SHORT arrays, big-endian", true,
       [&](auto& e, auto& d) {
         d = rgb_data(colour);
         e = image_entries(w, h, {8, 8, 8}, 3, 2, {15, 15, 30}, SHORT);
       }},
      {"gray 8", false,
       [&](auto& e, auto& d) {
         d = gray8();
         e = image_entries(w, h, {8}, 1, 1, {20});
       },
       true},
      {"gray 8 without SamplesPerPixel", true,
       [&](auto& e, auto& d) {
         d = gray8();
         e = image_entries(w, h, {8}, 1, 1, {20});
         erase(e, 277);
       },
       true},
      {"gray 8 white is zero", false,
       [&](auto& e, auto& d) {
         d = gray8();
         for (uint8_t& v : d) v = static_cast<uint8_t>(255 - v);
         e = image_entries(w, h, {8}, 1, 0, {20});
       },
       true},
      {"gray 16 little-endian", false,
       [&](auto& e, auto& d) {
         for (size_t i = 0; i < gray.size(); i += 4) put16(d, gray[i] << 8 | 0x5f);
         e = image_entries(w, h, {16}, 1, 1, {40});
       },
       true},
      {"gray 16 big-endian in two strips", true,
       [&](auto& e, auto& d) {
         for (size_t i = 0; i < gray.size(); i += 4) put16(d, gray[i] << 8 | 0xa0, true);
         e = image_entries(w, h, {16}, 1, 1, {20, 20});
       },
       true},
  };
  for (const Layout& l : layouts) {
    std::vector<Entry> entries;
    Bytes data;
    l.build(entries, data);
    write_file(dir.path("l.tif"), tiff_file(l.mm, entries, data));
    const Decoded d = decode(tif_codec(), dir.path("l.tif"));
    ASSERT_EQ(d.get_code, 0) << l.what;
    EXPECT_EQ(d.open_code, 0) << l.what;
    EXPECT_EQ(d.width, w) << l.what;
    EXPECT_EQ(d.height, h) << l.what;
    EXPECT_TRUE(same_colours(l.gray ? gray : colour, d.pixels)) << l.what;
  }
}

struct Malformed {
  const char* what;
  std::function<void(std::vector<Entry>&, Bytes&)> change;
  int32_t get_code, open_code;
  size_t cut = 0;  // bytes taken off the end of the file
};

// Starting from a good 4 x 3 RGB file in three strips of one row.
TEST(TiffRead, MalformedFilesGiveCodes) {
  TempDir dir;
  const Malformed cases[] = {
      {"compressed (LZW)", [](auto& e, auto&) { entry(e, 259).values = {5}; }, TIFF_COMPRESSED, -1},
      {"compressed (PackBits)", [](auto& e, auto&) { entry(e, 259).values = {32773}; }, TIFF_COMPRESSED, -1},
      {"1 bit per sample",
       [](auto& e, auto&) {
         entry(e, 258).values = {1};
         entry(e, 277).values = {1};
       },
       TIFF_UNSUPPORTED, -1},
      {"4 bits per sample",
       [](auto& e, auto&) {
         entry(e, 258).values = {4};
         entry(e, 277).values = {1};
       },
       TIFF_UNSUPPORTED, -1},
      {"16 bits once with 3 samples", [](auto& e, auto&) { entry(e, 258).values = {16}; }, TIFF_UNSUPPORTED, -1},
      {"one sample of the array not 8",
       [](auto& e, auto&) {
         entry(e, 258).values = {8, 8, 16};
       },
       TIFF_UNSUPPORTED, -1},
      {"RGBA whose photometric is not RGB",
       [](auto& e, auto&) {
         entry(e, 258).values = {8, 8, 8, 8};
         entry(e, 277).values = {4};
         entry(e, 262).values = {1};
       },
       TIFF_UNSUPPORTED, -1},
      {"5 samples", [](auto& e, auto&) { entry(e, 277).values = {5}; }, TIFF_UNSUPPORTED, -1},
      {"YCbCr colour", [](auto& e, auto&) { entry(e, 262).values = {6}; }, TIFF_UNSUPPORTED, -1},
      {"palette",
       [](auto& e, auto&) {
         entry(e, 258).values = {8};
         entry(e, 277).values = {1};
         entry(e, 262).values = {3};
       },
       TIFF_UNSUPPORTED, -1},
      {"separate colour planes",
       [](auto& e, auto&) {
         e.push_back({284, SHORT, {2}});
       },
       TIFF_UNSUPPORTED, -1},
      {"no width", [](auto& e, auto&) { erase(e, 256); }, TIFF_UNSUPPORTED, -1},
      {"width twice, no height", [](auto& e, auto&) { entry(e, 257).tag = 256; }, TIFF_UNSUPPORTED, -1},
      {"no StripByteCounts", [](auto& e, auto&) { erase(e, 279); }, TIFF_UNSUPPORTED, -1},
      {"width 0", [](auto& e, auto&) { entry(e, 256).values = {0}; }, TIFF_UNSUPPORTED, -1},
      {"height beyond a signed int", [](auto& e, auto&) { entry(e, 257).values = {0x80000000u}; }, TIFF_UNSUPPORTED,
       -1},
      {"buffer of 4 GB wrapping to 0",
       [](auto& e, auto&) {
         entry(e, 256).values = {65536};
         entry(e, 257).values = {16384};
       },
       TIFF_UNSUPPORTED, -1},
      {"width of type RATIONAL", [](auto& e, auto&) { entry(e, 256).type = RATIONAL; }, TIFF_UNSUPPORTED, -1},
      {"StripOffsets count 0", [](auto& e, auto&) { entry(e, 273).count = 0; }, TIFF_READ_FAILED, -1},
      {"StripOffsets and StripByteCounts counts differ", [](auto& e, auto&) { entry(e, 279).values = {36}; },
       TIFF_READ_FAILED, -1},
      {"first strip shorter than a pixel",
       [](auto& e, auto&) {
         entry(e, 279).values = {2, 12, 12};
       },
       TIFF_READ_FAILED, -1},
      {"middle strip shorter than a pixel",
       [](auto& e, auto&) {
         entry(e, 279).values = {12, 2, 12};
       },
       0, TIFF_READ_FAILED},
      {"strips run out",
       [](auto& e, auto&) {
         entry(e, 279).values = {12, 12, 6};
       },
       0, TIFF_READ_FAILED},
      {"strip offset beyond the file",
       [](auto& e, auto&) {
         entry(e, 273).values = {0, 12, 0x7ffffff0};
       },
       0, TIFF_READ_FAILED},
      {"first strip beyond the file",
       [](auto& e, auto&) {
         entry(e, 273).values = {0x7ffffff0, 12, 24};
       },
       0, TIFF_READ_FAILED},
      {"StripOffsets array beyond the file",
       [](auto& e, auto&) {
         entry(e, 273).field = {{0xf0, 0xff, 0xff, 0x7f}};
       },
       TIFF_READ_FAILED, -1},
      {"BitsPerSample array beyond the file",
       [](auto& e, auto&) {
         entry(e, 258).field = {{0xf0, 0xff, 0xff, 0xff}};
       },
       TIFF_READ_FAILED, -1},
      {"pixel data cut short", [](auto&, auto&) {}, 0, TIFF_READ_FAILED, 7},
      {"one strip holding fewer pixels than the image",
       [](auto& e, auto&) {
         entry(e, 273).values = {0};
         entry(e, 279).values = {36};
       },
       0, TIFF_READ_FAILED, 1},
  };
  const Bytes picture = test_picture(4, 3);
  for (const Malformed& m : cases) {
    std::vector<Entry> entries = image_entries(4, 3, {8, 8, 8}, 3, 2, {12, 12, 12});
    Bytes data = rgb_data(picture);
    m.change(entries, data);
    Bytes file = tiff_file(false, entries, data);
    file.resize(file.size() - m.cut);
    write_file(dir.path("m.tif"), file);
    const Decoded d = decode(tif_codec(), dir.path("m.tif"));
    EXPECT_EQ(d.get_code, m.get_code) << m.what;
    EXPECT_EQ(d.open_code, m.open_code) << m.what;
  }
}

TEST(TiffRead, ShortValuesIgnoreTheUpperHalfOfTheirField) {
  TempDir dir;
  const Bytes picture = test_picture(5, 2);
  for (bool mm : {false, true}) {
    std::vector<Entry> e = image_entries(5, 2, {8, 8, 8}, 3, 2, {30});
    const uint8_t lo = mm ? 0 : 5, hi = mm ? 5 : 0;
    e[0] = {256, SHORT, {}, 1, std::array<uint8_t, 4>{lo, hi, 0xde, 0xad}};
    entry(e, 277).field = mm ? std::array<uint8_t, 4>{0, 3, 0xff, 0xff} : std::array<uint8_t, 4>{3, 0, 0xff, 0xff};
    write_file(dir.path("s.tif"), tiff_file(mm, e, rgb_data(picture)));
    const Decoded d = decode(tif_codec(), dir.path("s.tif"));
    ASSERT_EQ(d.get_code, 0) << mm;
    EXPECT_EQ(d.width, 5);
    EXPECT_TRUE(same_colours(picture, d.pixels));
  }
}

TEST(TiffRead, BrokenStartsGiveCodes) {
  TempDir dir;
  const Bytes good = tiff_file(false, image_entries(1, 1, {8}, 1, 1, {1}), {7});
  struct Case {
    const char* what;
    Bytes file;
    int32_t code;
  } cases[] = {
      {"empty", {}, TIFF_UNKNOWN_FORMAT},
      {"other byte order mark", {'I', 'M', 42, 0, 8, 0, 0, 0}, TIFF_UNKNOWN_FORMAT},
      {"a BMP", {'B', 'M', 0, 0}, TIFF_UNKNOWN_FORMAT},
      {"no directory offset", {'I', 'I', 42, 0, 8}, TIFF_READ_FAILED},
      {"directory beyond the file", {'I', 'I', 42, 0, 0, 1, 0, 0}, TIFF_READ_FAILED},
      {"directory offset beyond a signed long", {'M', 'M', 0, 42, 0xff, 0xff, 0xff, 0xf0}, TIFF_READ_FAILED},
      {"no entries", {'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0}, TIFF_UNSUPPORTED},
      {"directory cut inside an entry", Bytes(good.begin(), good.begin() + 30), TIFF_READ_FAILED},
  };
  for (const Case& c : cases) {
    write_file(dir.path("b.tif"), c.file);
    EXPECT_EQ(decode(tif_codec(), dir.path("b.tif")).get_code, c.code) << c.what;
  }
  write_file(dir.path("b.tif"), good);
  EXPECT_EQ(decode(tif_codec(), dir.path("b.tif")).open_code, 0);
}

TEST(TiffText, MessagesAndNames) {
  EXPECT_STREQ(getError(0), "Drelloq TIFF Import/Export Library");
  EXPECT_STREQ(getError(-1), "TIFF (unkomprimiert)");
  EXPECT_STREQ(getError(-2), "*.tif");
  EXPECT_STREQ(getError(1), "Eingabedatei hat ein unbekanntes Format.");
  EXPECT_STREQ(getError(2), "Eingabedatei enth\xe4lt einen nicht unterst\xfctzten Farbmodus.");
  EXPECT_STREQ(getError(3), "Es ist ein Fehler beim Lesen der Eingabedatei aufgetreten.");
  EXPECT_STREQ(getError(4),
               "Eingabedatei enth\xe4lt komprimierte Daten.\r\nEs werden jedoch nur unkomprimierte TIFF-Dateien "
               "unterst\xfctzt.");
  EXPECT_STREQ(getError(5), "Fehler beim Schreiben der Ausgabedatei.\r\nM\xf6glicher Grund: Disk voll!");
  EXPECT_STREQ(getError(6), "unknown error");
  EXPECT_STREQ(getError(-3), "unknown error");
}

}  // namespace
