// Feeds one fuzz input to a codec's reader the way the program calls it: get, then open into a
// buffer of the reported size, then closeFile.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "plugins/imagefile/pixel_stream.h"

struct FuzzedReader {
  std::FILE** stream;
  int32_t (*get)(int32_t*, int32_t*);
  int32_t (*open)(uint8_t*, int32_t, int32_t);
  int32_t (*closeFile)();
};

// Larger pictures are only sized, not read, to keep the runs fast.
constexpr int64_t FUZZ_MAX_PIXELS = 1 << 16;

inline int fuzz_reader(const FuzzedReader& r, const uint8_t* data, std::size_t size) {
  // A real file (in memory), so that seeks beyond the end behave as on disk.
  const int fd = memfd_create("fuzz_input", 0);
  if (fd < 0 || (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) || lseek(fd, 0, SEEK_SET) != 0) {
    std::perror("memfd");
    std::abort();
  }
  *r.stream = fdopen(fd, "rb");
  if (*r.stream == nullptr) std::abort();
  int32_t width = 0, height = 0;
  if (r.get(&width, &height) == 0) {
    // A reported size must be one a caller can allocate.
    if (!imagefile::dimensions_supported(width, height)) std::abort();
    if (static_cast<int64_t>(width) * height <= FUZZ_MAX_PIXELS) {
      std::vector<uint8_t> pixels(static_cast<std::size_t>(width) * height * 4, 0xa5);
      const int32_t code = r.open(pixels.data(), width, height);
      if (code == 0 && r.open(pixels.data(), width, height) == 0) std::abort();  // one open per get
      for (std::size_t i = 3; i < pixels.size(); i += 4)
        if (pixels[i] != 0xa5) std::abort();  // byte 3 is never written
    }
  }
  r.closeFile();
  return 0;
}
