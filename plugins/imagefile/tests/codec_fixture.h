// Helpers of the codec tests: the three codecs behind one table, files in a private temp folder,
// test pictures and little-endian byte builders.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "plugins/imagefile/bmp/bmp_codec.h"
#include "plugins/imagefile/ppm/ppm_codec.h"
#include "plugins/imagefile/tif/tif_codec.h"

namespace imagefile_test {

using Bytes = std::vector<uint8_t>;

// One codec's six operations and the codes it gives for the failures every codec shares.
struct Codec {
  const char* name;
  int32_t (*openFile)(const char*, int32_t);
  int32_t (*closeFile)();
  int32_t (*get)(int32_t*, int32_t*);
  int32_t (*open)(uint8_t*, int32_t, int32_t);
  int32_t (*save)(const uint8_t*, int32_t, int32_t);
  const char* (*getError)(int32_t);
  int32_t get_read_failed;   // get: nothing (more) to read
  int32_t open_read_failed;  // open: the pixels did not arrive
  int32_t write_failed;      // save
  int32_t unsupported;       // get: a size no buffer can be made for
  std::FILE** stream;
};

const Codec& bmp_codec();
const Codec& tif_codec();
const Codec& ppm_codec();
// Names a parameterised test after its codec.
std::string codec_name(const ::testing::TestParamInfo<const Codec*>& info);

// A folder of its own for each test, removed afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

Bytes read_file(const std::string& path);
void write_file(const std::string& path, const Bytes& bytes);
void write_file(const std::string& path, const std::string& text);

// A picture whose every pixel differs from its neighbours; byte 3 is `spare` throughout.
Bytes test_picture(int32_t width, int32_t height, uint8_t spare = 0x5a);

struct Decoded {
  int32_t get_code = -1, open_code = -1;
  int32_t width = 0, height = 0;
  Bytes pixels;
};
// openFile, get, open (into a buffer filled with `fill`) and closeFile, as the program reads.
Decoded decode(const Codec& codec, const std::string& path, uint8_t fill = 0xee);
// openFile, save and closeFile; the code of save.
int32_t encode(const Codec& codec, const std::string& path, const Bytes& pixels, int32_t width, int32_t height);

// Little-endian and big-endian appenders for building files.
void put8(Bytes& b, uint32_t v);
void put16(Bytes& b, uint32_t v, bool big_endian = false);
void put32(Bytes& b, uint32_t v, bool big_endian = false);
void put_text(Bytes& b, const std::string& text);

// Expects the blue, green and red bytes of two pictures to agree, with the first difference named.
::testing::AssertionResult same_colours(const Bytes& expected, const Bytes& actual);

}  // namespace imagefile_test
