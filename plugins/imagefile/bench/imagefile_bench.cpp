// Prints write and read rates of the three codecs on a 4000 x 3000 picture, in MB/s of the
// 48 MB pixel buffer (and of the file), best of several runs through the page cache.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "plugins/imagefile/bmp/bmp_codec.h"
#include "plugins/imagefile/ppm/ppm_codec.h"
#include "plugins/imagefile/tif/tif_codec.h"

namespace {

constexpr int32_t W = 4000, H = 3000;
constexpr int RUNS = 5;

struct Codec {
  const char* name;
  int32_t (*openFile)(const char*, int32_t);
  int32_t (*closeFile)();
  int32_t (*get)(int32_t*, int32_t*);
  int32_t (*open)(uint8_t*, int32_t, int32_t);
  int32_t (*save)(const uint8_t*, int32_t, int32_t);
};

}  // namespace

int main() {
  const Codec codecs[] = {
      {"BMP", dqbmp::openFile, dqbmp::closeFile, dqbmp::get, dqbmp::open, dqbmp::save},
      {"TIFF", dqtif::openFile, dqtif::closeFile, dqtif::get, dqtif::open, dqtif::save},
      {"PPM", dqppm::openFile, dqppm::closeFile, dqppm::get, dqppm::open, dqppm::save},
  };
  std::vector<uint8_t> picture(static_cast<size_t>(W) * H * 4), back(picture.size());
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
  const std::string path = (std::filesystem::temp_directory_path() / "qx_imagefile_bench").string();
  const double buffer_mb = picture.size() / 1e6;

  std::printf("%d x %d pixels, buffer %.0f MB, best of %d\n", W, H, buffer_mb, RUNS);
  std::printf("%-5s %14s %14s %10s\n", "", "write MB/s", "read MB/s", "file MB");
  for (const Codec& c : codecs) {
    int32_t failures = 0;
    const double write_s = best_seconds(
        [&] {
          failures += c.openFile(path.c_str(), 1) != 0;
          failures += c.save(picture.data(), W, H) != 0;
          failures += c.closeFile() != 0;
        },
        RUNS);
    const double file_mb = std::filesystem::file_size(path) / 1e6;
    const double read_s = best_seconds(
        [&] {
          int32_t w = 0, h = 0;
          failures += c.openFile(path.c_str(), 0) != 0;
          failures += c.get(&w, &h) != 0 || w != W || h != H;
          failures += c.open(back.data(), W, H) != 0;
          failures += c.closeFile() != 0;
        },
        RUNS);
    for (size_t i = 0; i < picture.size(); ++i) failures += i % 4 != 3 && back[i] != picture[i];
    std::printf("%-5s %14.0f %14.0f %10.1f%s\n", c.name, buffer_mb / write_s, buffer_mb / read_s, file_mb,
                failures ? "  FAILED" : "");
  }
  std::filesystem::remove(path);
  return 0;
}
