// Portable Pixmap codec of dqppm: writes binary "P6" files, reads "P6" and text "P3" files with a
// maximum value of 255.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace dqppm {

enum PpmError : int32_t {
  PPM_WRITE_FAILED = 1,
  PPM_READ_FAILED = 2,
  PPM_NOT_PPM = 4,
  PPM_UNSUPPORTED = 5,
};

enum PpmFormat : int32_t { PPM_FORMAT_UNKNOWN = -1, PPM_FORMAT_BINARY = 0, PPM_FORMAT_TEXT = 1 };

// Header words and text pixel values are read into a buffer of this size; a longer word keeps
// its first 255 characters.
constexpr std::size_t TOKEN_BUFFER_SIZE = 256;

extern std::FILE* g_stream;
extern int32_t g_ppm_format;  // PpmFormat of the file get() read; unknown once open() consumed it

int32_t openFile(const char* path, int32_t for_writing);
int32_t closeFile();
int32_t get(int32_t* width, int32_t* height);
int32_t open(uint8_t* pixels, int32_t width, int32_t height);
int32_t save(const uint8_t* pixels, int32_t width, int32_t height);
const char* getError(int32_t code);

// A number as the reader takes it from a word: an optional sign and at least one decimal digit
// (anything after the digits is ignored), as an unsigned 32-bit value. Too many digits give
// 0xffffffff, a minus sign the value's two's complement, the same in every build. False when
// the word does not start with a number.
bool parse_number(const char* word, uint32_t* value);

}  // namespace dqppm
