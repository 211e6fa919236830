// Platform-free handling of scanned bitmaps: checking a packed DIB, the memory-transfer layout,
// row reversal and the reduced, top-down 24-bit hand-over.
#pragma once

#include <cstdint>

constexpr uint32_t SCAN_FACTOR1_LIMIT = 302500;
constexpr uint32_t SCAN_FACTOR2_LIMIT = 1210000;
// Largest side and pixel block a scan may announce; anything beyond is refused, not allocated.
constexpr int32_t MAX_SCAN_SIDE = 65535;
constexpr uint64_t MAX_SCAN_BYTES = uint64_t{1} << 30;
// Room before the pixels of a memory-transferred bitmap: info header and 256 colour entries.
constexpr uint32_t DIB_INFO_HEADER_SIZE = 40;
constexpr uint32_t MEMXFER_HEADER_ROOM = DIB_INFO_HEADER_SIZE + 256 * 4;
// Strip sizes taken from a source's preferred size stay within one row and this.
constexpr uint32_t MAX_STRIP_BYTES = 64u << 20;

// Where the parts of a packed DIB lie, once it has been found sound.
struct DibLayout {
  int32_t width = 0;
  int32_t height = 0;  // always positive; top_down tells the row order
  bool top_down = false;
  int bit_count = 0;
  uint32_t palette_entries = 0;
  uint64_t row_bytes = 0;
  uint64_t pixel_offset = 0;
};

enum class DibCheck { ok, truncated, bad_header, bad_size, bad_bit_count, compressed };

// Checks the info header of the size bytes at dib and fills layout: header size, dimensions,
// bit count, uncompressed rows, colour table (clamped) and pixels all inside the block.
DibCheck check_dib(const uint8_t* dib, uint64_t size, DibLayout* layout);

// The reduction factor preset for a bitmap of width x height pixels (product taken as 32 bits).
int preset_reduction_factor(int32_t width, int32_t height);

// Size of the hand-over for factor (1, 2 or 4); either side may come out 0.
void reduced_size(const DibLayout& layout, int factor, int32_t* width, int32_t* height);

// Subsamples a 24-bit DIB's pixels (pixel (f*x, f*y) of the picture) into out, rows top first,
// width*height*3 bytes without padding, for the sizes reduced_size gives.
void reduce_dib(const DibLayout& layout, const uint8_t* pixels, int factor, uint8_t* out);

// The bitmap a memory transfer builds, from the source's image information.
struct MemXferLayout {
  uint64_t row_bytes = 0;
  uint32_t strip_bytes = 0;  // preferred strip size, clamped
  uint64_t image_bytes = 0;  // whole strips, at least one byte more than the rows need
  uint64_t block_bytes = 0;  // header room, image and one strip of slack: every strip is offered whole
};

// The strip is the preferred size within one row and MAX_STRIP_BYTES, and no larger than the
// whole image unless min_strip, the least buffer the source accepts, is larger.
// False when the announced image is out of range (sides, bit depth or total size).
bool memxfer_layout(int32_t width, int32_t length, int bits_per_pixel, uint32_t preferred, uint32_t min_strip,
                    MemXferLayout* out);

// Reverses the order of rows rows of row_bytes bytes each, in place.
void reverse_rows(uint8_t* pixels, uint64_t row_bytes, int32_t rows);

// Swaps the first and third byte of each 3-byte pixel of rows rows.
void swap_red_blue(uint8_t* pixels, uint64_t row_bytes, int32_t width, int32_t rows);

// Colour tables as blue-green-red-zero entries.
void fill_gray_palette(uint8_t* table, int entries);
void fill_bw_palette(uint8_t* table, bool white_first);
