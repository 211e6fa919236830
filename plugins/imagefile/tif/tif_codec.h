// Uncompressed TIFF codec of dqtif: writes single-strip 24-bit RGB files, reads the first image of
// "II" and "MM" files with 8- or 16-bit gray, 8-bit RGB or RGBA samples in one or several strips.
#pragma once

#include <cstdint>
#include <cstdio>

namespace dqtif {

enum TiffError : int32_t {
  TIFF_UNKNOWN_FORMAT = 1,
  TIFF_UNSUPPORTED = 2,
  TIFF_READ_FAILED = 3,
  TIFF_COMPRESSED = 4,
  TIFF_WRITE_FAILED = 5,
};

constexpr int32_t TIFF_HEADER_SIZE = 285;

// The values of one directory entry: its type, count and the 4 bytes that hold the values
// themselves when they fit, else their offset.
struct TiffValues {
  uint16_t type;
  uint32_t count;
  uint8_t field[4];
};

constexpr int32_t BITS_PENDING = 0;  // BitsPerSample is an array, read after the directory

struct TiffState {
  int32_t samples;  // 1 gray, 3 colour
  uint32_t width, height;
  int32_t bits;             // 8, 16 or BITS_PENDING
  const char* description;  // written as ImageDescription
  int32_t alpha;            // 1: a fourth sample per pixel, dropped
  int32_t white_is_zero;    // 1: gray values run from white
  // The strip cursor: open() reads strip next_strip - 1 and has pixels_left of it to go.
  uint32_t strip_count, next_strip;
  uint64_t pixels_left;
  TiffValues strip_offsets, strip_byte_counts;
  int32_t ready;  // 1 between a successful get and the open that consumes it
};

extern std::FILE* g_stream;
extern TiffState g_tiff;
extern int32_t g_big_endian;  // 1 while an "MM" file is read

int32_t openFile(const char* path, int32_t for_writing);
int32_t closeFile();
int32_t get(int32_t* width, int32_t* height);
int32_t open(uint8_t* pixels, int32_t width, int32_t height);
int32_t save(const uint8_t* pixels, int32_t width, int32_t height);
const char* getError(int32_t code);

}  // namespace dqtif
