// Windows Bitmap codec of dqbmp: writes 24-bit files, reads uncompressed 24- and 32-bit ones.
#pragma once

#include <cstdint>
#include <cstdio>

namespace dqbmp {

enum BmpError : int32_t {
  BMP_WRITE_FAILED = 1,
  BMP_READ_FAILED = 2,
  BMP_NOT_BMP = 3,
  BMP_UNSUPPORTED = 4,
  BMP_DATA_ENDS_EARLY = 5,
};

extern std::FILE* g_stream;      // the one open file, or null
extern int32_t g_bmp_bit_count;  // 24 or 32 after a successful get, 0 when open() has nothing to read

// The six operations of the image file interface (the library exports them under these names).
int32_t openFile(const char* path, int32_t for_writing);
int32_t closeFile();
int32_t get(int32_t* width, int32_t* height);
int32_t open(uint8_t* pixels, int32_t width, int32_t height);
int32_t save(const uint8_t* pixels, int32_t width, int32_t height);
const char* getError(int32_t code);

}  // namespace dqbmp
