// Helpers of the codec tests: the three codecs behind one table, files in a private temp folder,
// test pictures and little-endian byte builders.
#include "plugins/imagefile/tests/codec_fixture.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <iterator>

namespace imagefile_test {

const Codec& bmp_codec() {
  static const Codec c{"bmp",
                       dqbmp::openFile,
                       dqbmp::closeFile,
                       dqbmp::get,
                       dqbmp::open,
                       dqbmp::save,
                       dqbmp::getError,
                       dqbmp::BMP_READ_FAILED,
                       dqbmp::BMP_DATA_ENDS_EARLY,
                       dqbmp::BMP_WRITE_FAILED,
                       dqbmp::BMP_UNSUPPORTED,
                       &dqbmp::g_stream};
  return c;
}

const Codec& tif_codec() {
  static const Codec c{"tif",
                       dqtif::openFile,
                       dqtif::closeFile,
                       dqtif::get,
                       dqtif::open,
                       dqtif::save,
                       dqtif::getError,
                       dqtif::TIFF_READ_FAILED,
                       dqtif::TIFF_READ_FAILED,
                       dqtif::TIFF_WRITE_FAILED,
                       dqtif::TIFF_UNSUPPORTED,
                       &dqtif::g_stream};
  return c;
}

const Codec& ppm_codec() {
  static const Codec c{"ppm",
                       dqppm::openFile,
                       dqppm::closeFile,
                       dqppm::get,
                       dqppm::open,
                       dqppm::save,
                       dqppm::getError,
                       dqppm::PPM_NOT_PPM,
                       dqppm::PPM_READ_FAILED,
                       dqppm::PPM_WRITE_FAILED,
                       dqppm::PPM_UNSUPPORTED,
                       &dqppm::g_stream};
  return c;
}

std::string codec_name(const ::testing::TestParamInfo<const Codec*>& info) { return info.param->name; }

TempDir::TempDir() {
  static std::atomic<int> serial{0};
  dir_ = std::filesystem::temp_directory_path() /
         ("qx_imagefile_" + std::to_string(getpid()) + "_" + std::to_string(serial++));
  std::filesystem::create_directories(dir_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void write_file(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void write_file(const std::string& path, const std::string& text) { write_file(path, Bytes(text.begin(), text.end())); }

Bytes test_picture(int32_t width, int32_t height, uint8_t spare) {
  Bytes p(static_cast<size_t>(width) * height * 4);
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* px = &p[(static_cast<size_t>(y) * width + x) * 4];
      px[0] = static_cast<uint8_t>(x * 7 + y * 13 + 1);
      px[1] = static_cast<uint8_t>(x * 31 + y * 3 + 2);
      px[2] = static_cast<uint8_t>(x * 5 + y * 29 + 3);
      px[3] = spare;
    }
  return p;
}

Decoded decode(const Codec& codec, const std::string& path, uint8_t fill) {
  Decoded d;
  if (codec.openFile(path.c_str(), 0) != 0) return d;
  d.get_code = codec.get(&d.width, &d.height);
  if (d.get_code == 0) {
    d.pixels.assign(static_cast<size_t>(d.width) * d.height * 4, fill);
    d.open_code = codec.open(d.pixels.data(), d.width, d.height);
  }
  codec.closeFile();
  return d;
}

int32_t encode(const Codec& codec, const std::string& path, const Bytes& pixels, int32_t width, int32_t height) {
  if (codec.openFile(path.c_str(), 1) != 0) return -1;
  const int32_t code = codec.save(pixels.data(), width, height);
  codec.closeFile();
  return code;
}

void put8(Bytes& b, uint32_t v) { b.push_back(static_cast<uint8_t>(v)); }
void put16(Bytes& b, uint32_t v, bool big_endian) {
  if (big_endian) {
    put8(b, v >> 8);
    put8(b, v);
  } else {
    put8(b, v);
    put8(b, v >> 8);
  }
}
void put32(Bytes& b, uint32_t v, bool big_endian) {
  if (big_endian) {
    put16(b, v >> 16, true);
    put16(b, v, true);
  } else {
    put16(b, v);
    put16(b, v >> 16);
  }
}
void put_text(Bytes& b, const std::string& text) { b.insert(b.end(), text.begin(), text.end()); }

::testing::AssertionResult same_colours(const Bytes& expected, const Bytes& actual) {
  if (expected.size() != actual.size())
    return ::testing::AssertionFailure() << "sizes " << expected.size() << " and " << actual.size();
  for (size_t i = 0; i < expected.size(); ++i) {
    if (i % 4 != 3 && expected[i] != actual[i])
      return ::testing::AssertionFailure() << "pixel " << i / 4 << " byte " << i % 4 << ": expected "
                                           << int(expected[i]) << ", got " << int(actual[i]);
  }
  return ::testing::AssertionSuccess();
}

}  // namespace imagefile_test
