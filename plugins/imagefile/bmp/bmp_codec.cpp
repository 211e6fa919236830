// Windows Bitmap codec of dqbmp: writes 24-bit files, reads uncompressed 24- and 32-bit ones.
#include "plugins/imagefile/bmp/bmp_codec.h"

#include "plugins/imagefile/pixel_stream.h"

namespace dqbmp {

std::FILE* g_stream = nullptr;
int32_t g_bmp_bit_count = 0;

namespace {

constexpr int32_t FILE_HEADER_SIZE = 14;
constexpr int32_t INFO_HEADER_SIZE = 40;
constexpr int32_t PIXELS_PER_METRE = 2834;

// What get() found, so that open() reads exactly that image.
int32_t g_width = 0, g_height = 0;
bool g_top_down = false;

using imagefile::le16;
using imagefile::le32;
using imagefile::put16;
using imagefile::put32;

void forget_header() {
  g_bmp_bit_count = 0;
  g_width = g_height = 0;
  g_top_down = false;
}

}  // namespace

int32_t openFile(const char* path, int32_t for_writing) {
  closeFile();
  return imagefile::open_stream(g_stream, path, for_writing);
}

int32_t closeFile() {
  forget_header();
  return imagefile::close_stream(g_stream);
}

int32_t save(const uint8_t* pixels, int32_t width, int32_t height) {
  if (g_stream == nullptr || pixels == nullptr || !imagefile::dimensions_supported(width, height))
    return BMP_WRITE_FAILED;
  const uint32_t row_bytes = static_cast<uint32_t>(width) * 3;
  const uint32_t padding = (4 - row_bytes % 4) % 4;
  const uint32_t image_size = (row_bytes + padding) * static_cast<uint32_t>(height);

  uint8_t header[FILE_HEADER_SIZE + INFO_HEADER_SIZE] = {};
  put16(header, 0x4D42);
  put32(header + 2, FILE_HEADER_SIZE + INFO_HEADER_SIZE + image_size);
  put32(header + 10, FILE_HEADER_SIZE + INFO_HEADER_SIZE);
  uint8_t* info = header + FILE_HEADER_SIZE;
  put32(info, INFO_HEADER_SIZE);
  put32(info + 4, static_cast<uint32_t>(width));
  put32(info + 8, static_cast<uint32_t>(height));
  put16(info + 12, 1);
  put16(info + 14, 24);
  put32(info + 20, image_size);
  put32(info + 24, PIXELS_PER_METRE);
  put32(info + 28, PIXELS_PER_METRE);

  imagefile::ChunkWriter out(g_stream);
  out.put(header, sizeof header);
  static const uint8_t zeros[3] = {};
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  for (int32_t y = height - 1; y >= 0 && !out.failed(); --y) {
    out.put_pixels(pixels + y * stride, static_cast<std::size_t>(width), false);
    out.put(zeros, padding);
  }
  return out.finish() ? 0 : BMP_WRITE_FAILED;
}

int32_t get(int32_t* width, int32_t* height) {
  forget_header();
  if (g_stream == nullptr || width == nullptr || height == nullptr) return BMP_READ_FAILED;
  uint8_t header[FILE_HEADER_SIZE + INFO_HEADER_SIZE];
  if (std::fseek(g_stream, 0, SEEK_SET) != 0 || std::fread(header, 1, FILE_HEADER_SIZE, g_stream) != FILE_HEADER_SIZE)
    return BMP_READ_FAILED;
  if (le16(header) != 0x4D42) return BMP_NOT_BMP;
  const uint32_t pixel_offset = le32(header + 10);
  const uint8_t* info = header + FILE_HEADER_SIZE;
  if (std::fread(header + FILE_HEADER_SIZE, 1, INFO_HEADER_SIZE, g_stream) != INFO_HEADER_SIZE) return BMP_READ_FAILED;

  const uint32_t info_size = le32(info);
  const int32_t w = static_cast<int32_t>(le32(info + 4));
  const int32_t h = static_cast<int32_t>(le32(info + 8));
  const uint16_t planes = le16(info + 12), bit_count = le16(info + 14);
  const uint32_t compression = le32(info + 16);
  // A header shorter than 40 bytes has another layout; longer ones (and colour tables) are skipped.
  if (info_size < INFO_HEADER_SIZE || planes != 1 || (bit_count != 24 && bit_count != 32) || compression != 0)
    return BMP_UNSUPPORTED;
  // A negative height stores the rows top-down.
  const int64_t rows = h < 0 ? -static_cast<int64_t>(h) : h;
  if (!imagefile::dimensions_supported(w, rows)) return BMP_UNSUPPORTED;
  // Pixel data inside the headers would be read as an image.
  if (pixel_offset < FILE_HEADER_SIZE + static_cast<uint64_t>(info_size) || !imagefile::seek_to(g_stream, pixel_offset))
    return BMP_READ_FAILED;

  g_bmp_bit_count = bit_count;
  g_width = w;
  g_height = static_cast<int32_t>(rows);
  g_top_down = h < 0;
  *width = g_width;
  *height = g_height;
  return 0;
}

int32_t open(uint8_t* pixels, int32_t width, int32_t height) {
  const int32_t bit_count = g_bmp_bit_count;
  const bool top_down = g_top_down;
  // One open per get, and only for the image get reported.
  const bool ready =
      g_stream != nullptr && pixels != nullptr && bit_count != 0 && width == g_width && height == g_height;
  forget_header();
  if (!ready) return BMP_DATA_ENDS_EARLY;

  const std::size_t bytes_per_pixel = bit_count / 8;
  const std::size_t row_bytes = static_cast<std::size_t>(width) * bytes_per_pixel;
  const std::size_t padding = (4 - row_bytes % 4) % 4;
  const std::size_t stride = static_cast<std::size_t>(width) * 4;
  for (int32_t i = 0; i < height; ++i) {
    const int32_t y = top_down ? i : height - 1 - i;
    const std::size_t got =
        imagefile::read_pixels(g_stream, pixels + y * stride, static_cast<std::size_t>(width), bytes_per_pixel,
                               [bytes_per_pixel](const uint8_t* in, std::size_t n, uint8_t* out) {
                                 imagefile::store_bgr(in, n, bytes_per_pixel, out);
                               });
    if (got < static_cast<std::size_t>(width)) return BMP_DATA_ENDS_EARLY;
    // Padding after the last row may be missing: every pixel has arrived by then.
    uint8_t skipped[3];
    if (padding != 0) (void)!std::fread(skipped, 1, padding, g_stream);
  }
  return 0;
}

const char* getError(int32_t code) {
  switch (code) {
    case 0: return "Drelloq BMP Import/Export Library";
    case -1: return "Windows Bitmap";
    case -2: return "*.bmp";
    case BMP_WRITE_FAILED: return "Fehler beim Schreiben der Datei.\r\nMöglicher Grund: Disk voll!";
    case BMP_READ_FAILED: return "Es ist ein Fehler beim Lesen der Eingabedatei aufgetreten.";
    case BMP_NOT_BMP: return "Unbekannter Dateityp.";
    case BMP_UNSUPPORTED:
      return "Datei enthält kein RGB-Echtfarbbild!\r\nEs können nur Bitmaps in Quandrelix geladen werden,\r\n"
             "die in diesem Format vorliegen.";
    case BMP_DATA_ENDS_EARLY: return "Unerwartetes Ende der Datei.\r\nMöglicherweise ist die Datei beschädigt.";
    default: return "unknown error";
  }
}

}  // namespace dqbmp
