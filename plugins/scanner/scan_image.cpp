// Platform-free handling of scanned bitmaps: DIB check, memory-transfer layout, reduction.
#include "plugins/scanner/scan_image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

uint32_t read_u32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t read_u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
int32_t read_i32(const uint8_t* p) { return static_cast<int32_t>(read_u32(p)); }

bool known_bit_count(int bits) { return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32; }

uint64_t padded_row(int bits, int32_t width) { return (static_cast<uint64_t>(bits) * width + 31) / 32 * 4; }

constexpr uint32_t BI_RGB_CODE = 0;
constexpr uint32_t BI_BITFIELDS_CODE = 3;

}  // namespace

DibCheck check_dib(const uint8_t* dib, uint64_t size, DibLayout* layout) {
  if (!dib || size < DIB_INFO_HEADER_SIZE) return DibCheck::truncated;
  const uint32_t header = read_u32(dib);
  if (header < DIB_INFO_HEADER_SIZE) return DibCheck::bad_header;
  if (header > size) return DibCheck::truncated;
  const int32_t width = read_i32(dib + 4);
  const int64_t height = read_i32(dib + 8);
  const int bits = read_u16(dib + 14);
  const uint32_t compression = read_u32(dib + 16);
  const uint32_t colours_used = read_u32(dib + 32);
  if (width <= 0 || width > MAX_SCAN_SIDE || height == 0 || std::abs(height) > MAX_SCAN_SIDE) return DibCheck::bad_size;
  if (!known_bit_count(bits)) return DibCheck::bad_bit_count;
  const bool masks = compression == BI_BITFIELDS_CODE && (bits == 16 || bits == 32);
  if (compression != BI_RGB_CODE && !masks) return DibCheck::compressed;

  DibLayout l;
  l.width = width;
  l.height = static_cast<int32_t>(std::abs(height));
  l.top_down = height < 0;
  l.bit_count = bits;
  if (bits <= 8) {
    const uint32_t full = 1u << bits;
    l.palette_entries = colours_used == 0 ? full : std::min(colours_used, full);
  } else {
    // An optional table in front of true-colour pixels: skipped whole, however long it is.
    l.palette_entries = colours_used;
  }
  l.row_bytes = padded_row(bits, width);
  l.pixel_offset =
      uint64_t{header} + uint64_t{l.palette_entries} * 4u + (masks && header == DIB_INFO_HEADER_SIZE ? 12 : 0);
  if (l.pixel_offset > size || l.row_bytes * l.height > size - l.pixel_offset) return DibCheck::truncated;
  *layout = l;
  return DibCheck::ok;
}

int preset_reduction_factor(int32_t width, int32_t height) {
  const uint32_t pixels = static_cast<uint32_t>(width) * static_cast<uint32_t>(height);
  if (pixels < SCAN_FACTOR1_LIMIT) return 1;
  if (pixels < SCAN_FACTOR2_LIMIT) return 2;
  return 4;
}

void reduced_size(const DibLayout& layout, int factor, int32_t* width, int32_t* height) {
  if (factor < 1) factor = 1;
  *width = layout.width / factor;
  *height = layout.height / factor;
}

void reduce_dib(const DibLayout& layout, const uint8_t* pixels, int factor, uint8_t* out) {
  int32_t width, height;
  reduced_size(layout, factor, &width, &height);
  if (factor < 1) factor = 1;
  for (int32_t y = 0; y < height; ++y) {
    // Stored rows run bottom-up unless the height was negative; the hand-over runs top-down.
    const uint8_t* src = pixels + layout.row_bytes * (static_cast<uint64_t>(factor) * y);
    uint8_t* dst = out + static_cast<uint64_t>(width) * 3 * (layout.top_down ? y : height - 1 - y);
    for (int32_t x = 0; x < width; ++x) std::memcpy(dst + 3 * x, src + 3 * static_cast<uint64_t>(factor) * x, 3);
  }
}

bool memxfer_layout(int32_t width, int32_t length, int bits_per_pixel, uint32_t preferred, uint32_t min_strip,
                    MemXferLayout* out) {
  if (width <= 0 || width > MAX_SCAN_SIDE || length <= 0 || length > MAX_SCAN_SIDE) return false;
  if (!known_bit_count(bits_per_pixel)) return false;
  MemXferLayout l;
  l.row_bytes = padded_row(bits_per_pixel, width);
  // A strip larger than the whole image only makes the block bigger, unless the source needs it.
  const uint64_t image_cap = std::max<uint64_t>(l.row_bytes * length, min_strip);
  l.strip_bytes = static_cast<uint32_t>(
      std::clamp<uint64_t>(std::min<uint64_t>(preferred, image_cap), l.row_bytes, MAX_STRIP_BYTES));
  l.image_bytes = l.strip_bytes * (l.row_bytes * length / l.strip_bytes + 1);
  l.block_bytes = MEMXFER_HEADER_ROOM + l.image_bytes + l.strip_bytes;
  if (l.block_bytes > MAX_SCAN_BYTES) return false;
  *out = l;
  return true;
}

void reverse_rows(uint8_t* pixels, uint64_t row_bytes, int32_t rows) {
  for (int32_t top = 0, bottom = rows - 1; top < bottom; ++top, --bottom)
    std::swap_ranges(pixels + row_bytes * top, pixels + row_bytes * (top + 1), pixels + row_bytes * bottom);
}

void swap_red_blue(uint8_t* pixels, uint64_t row_bytes, int32_t width, int32_t rows) {
  for (int32_t y = 0; y < rows; ++y) {
    uint8_t* row = pixels + row_bytes * y;
    for (int32_t x = 0; x < width; ++x) std::swap(row[3 * x], row[3 * x + 2]);
  }
}

void fill_gray_palette(uint8_t* table, int entries) {
  for (int i = 0; i < entries; ++i) {
    const uint8_t v = static_cast<uint8_t>(entries > 1 ? i * 255 / (entries - 1) : 0);
    table[4 * i] = table[4 * i + 1] = table[4 * i + 2] = v;
    table[4 * i + 3] = 0;
  }
}

void fill_bw_palette(uint8_t* table, bool white_first) {
  fill_gray_palette(table, 2);
  if (white_first) std::swap_ranges(table, table + 4, table + 4);
}
