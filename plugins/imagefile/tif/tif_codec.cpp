// Uncompressed TIFF codec of dqtif: writes single-strip 24-bit RGB files, reads the first image of
// "II" and "MM" files with 8- or 16-bit gray, 8-bit RGB or RGBA samples in one or several strips.
#include "plugins/imagefile/tif/tif_codec.h"

#include <cstring>

#include "plugins/imagefile/pixel_stream.h"

namespace dqtif {

std::FILE* g_stream = nullptr;
TiffState g_tiff = {};
int32_t g_big_endian = 0;

namespace {

enum : uint16_t {
  TAG_NEW_SUBFILE_TYPE = 254,
  TAG_IMAGE_WIDTH = 256,
  TAG_IMAGE_LENGTH = 257,
  TAG_BITS_PER_SAMPLE = 258,
  TAG_COMPRESSION = 259,
  TAG_PHOTOMETRIC = 262,
  TAG_IMAGE_DESCRIPTION = 270,
  TAG_STRIP_OFFSETS = 273,
  TAG_SAMPLES_PER_PIXEL = 277,
  TAG_ROWS_PER_STRIP = 278,
  TAG_STRIP_BYTE_COUNTS = 279,
  TAG_X_RESOLUTION = 282,
  TAG_Y_RESOLUTION = 283,
  TAG_PLANAR_CONFIGURATION = 284,
  TAG_RESOLUTION_UNIT = 296,
  TAG_SOFTWARE = 305,
};
enum : uint16_t { TYPE_BYTE = 1, TYPE_ASCII = 2, TYPE_SHORT = 3, TYPE_LONG = 4, TYPE_RATIONAL = 5 };
enum : uint32_t { PHOTOMETRIC_WHITE_IS_ZERO = 0, PHOTOMETRIC_RGB = 2, PHOTOMETRIC_PALETTE = 3 };

constexpr uint32_t DIRECTORY_OFFSET = 8;
constexpr uint32_t DIRECTORY_ENTRIES = 15;
constexpr uint32_t BITS_PER_SAMPLE_OFFSET = 194;
constexpr uint32_t X_RESOLUTION_OFFSET = 200;
constexpr uint32_t Y_RESOLUTION_OFFSET = 208;
constexpr uint32_t SOFTWARE_OFFSET = 216;
constexpr uint32_t DESCRIPTION_OFFSET = 243;
constexpr uint32_t DESCRIPTION_LENGTH = 42;
constexpr char SOFTWARE[] = "Quandrelix TIFF-Export  ";

uint16_t get16(const uint8_t* p) {
  return g_big_endian ? static_cast<uint16_t>(p[0] << 8 | p[1]) : static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t get32(const uint8_t* p) {
  return g_big_endian ? static_cast<uint32_t>(get16(p)) << 16 | get16(p + 2)
                      : get16(p) | static_cast<uint32_t>(get16(p + 2)) << 16;
}

// Every read of the reader's own fields: a 16- or 32-bit value in the file's byte order.
bool read_tiff_value(uint32_t* value, int size) {
  uint8_t bytes[4];
  if (std::fread(bytes, 1, static_cast<std::size_t>(size), g_stream) != static_cast<std::size_t>(size)) return false;
  *value = size == 2 ? get16(bytes) : get32(bytes);
  return true;
}

// Value `index` of an entry of type BYTE, SHORT or LONG: from the entry when the values fit in
// its 4 bytes (the upper bytes of a lone SHORT are not part of it), else from the file.
int32_t read_element(const TiffValues& values, uint32_t index, uint32_t* value) {
  const uint32_t size = values.type == TYPE_BYTE ? 1 : values.type == TYPE_SHORT ? 2 : values.type == TYPE_LONG ? 4 : 0;
  if (size == 0) return TIFF_UNSUPPORTED;
  if (index >= values.count) return TIFF_READ_FAILED;
  uint8_t bytes[4];
  const uint8_t* p = bytes;
  if (static_cast<uint64_t>(values.count) * size <= 4) {
    p = values.field + index * size;
  } else if (!imagefile::seek_to(g_stream, get32(values.field) + static_cast<uint64_t>(index) * size) ||
             std::fread(bytes, 1, size, g_stream) != size) {
    return TIFF_READ_FAILED;
  }
  *value = size == 1 ? *p : size == 2 ? get16(p) : get32(p);
  return 0;
}

uint32_t bytes_per_pixel() { return g_tiff.samples == 3 ? (g_tiff.alpha ? 4 : 3) : g_tiff.bits == 16 ? 2 : 1; }

// Moves the strip cursor to the start of strip `index`.
int32_t enter_strip(uint32_t index) {
  uint32_t byte_count = 0, offset = 0;
  int32_t code = read_element(g_tiff.strip_byte_counts, index, &byte_count);
  if (code == 0) code = read_element(g_tiff.strip_offsets, index, &offset);
  if (code != 0) return code;
  g_tiff.pixels_left = byte_count / bytes_per_pixel();
  g_tiff.next_strip = index + 1;
  // A strip without one whole pixel would stall the cursor.
  if (g_tiff.pixels_left == 0 || !imagefile::seek_to(g_stream, offset)) return TIFF_READ_FAILED;
  return 0;
}

// The first image's directory: fills g_tiff and leaves the stream at the first pixel.
int32_t read_tiff_header() {
  g_tiff = TiffState{};
  uint8_t order[2];
  if (std::fseek(g_stream, 0, SEEK_SET) != 0 || std::fread(order, 1, 2, g_stream) != 2) return TIFF_UNKNOWN_FORMAT;
  if (order[0] == 'I' && order[1] == 'I') {
    g_big_endian = 0;
  } else if (order[0] == 'M' && order[1] == 'M') {
    g_big_endian = 1;
  } else {
    return TIFF_UNKNOWN_FORMAT;
  }
  uint32_t directory = 0, entries = 0;
  if (std::fseek(g_stream, 4, SEEK_SET) != 0 || !read_tiff_value(&directory, 4) ||
      !imagefile::seek_to(g_stream, directory) || !read_tiff_value(&entries, 2))
    return TIFF_READ_FAILED;
  if (entries == 0) return TIFF_UNSUPPORTED;

  bool have_width = false, have_height = false, have_bits = false, have_offsets = false, have_counts = false;
  bool have_photometric = false;
  uint32_t photometric = 0, planar = 1;
  TiffValues bits_array = {};
  for (uint32_t i = 0; i < entries; ++i) {
    // A value read from elsewhere in the file moved the stream away from the directory.
    const long position = std::ftell(g_stream);
    const uint64_t entry_at = directory + 2 + 12 * static_cast<uint64_t>(i);
    uint8_t entry[12];
    if ((position < 0 || static_cast<uint64_t>(position) != entry_at) && !imagefile::seek_to(g_stream, entry_at))
      return TIFF_READ_FAILED;
    if (std::fread(entry, 1, sizeof entry, g_stream) != sizeof entry) return TIFF_READ_FAILED;
    const uint16_t tag = get16(entry);
    TiffValues values{get16(entry + 2), get32(entry + 4), {entry[8], entry[9], entry[10], entry[11]}};
    uint32_t value = 0;
    bool has_value = false;
    switch (tag) {
      case TAG_IMAGE_WIDTH:
      case TAG_IMAGE_LENGTH:
      case TAG_BITS_PER_SAMPLE:
      case TAG_COMPRESSION:
      case TAG_PHOTOMETRIC:
      case TAG_SAMPLES_PER_PIXEL:
      case TAG_PLANAR_CONFIGURATION: {
        if (values.count == 0) break;
        if (tag == TAG_BITS_PER_SAMPLE && values.count != 1) break;  // an array, read below
        const int32_t code = read_element(values, 0, &value);
        if (code != 0) return code;
        has_value = true;
        break;
      }
      default: break;
    }
    switch (tag) {
      case TAG_IMAGE_WIDTH:
        if (!has_value) return TIFF_UNSUPPORTED;
        g_tiff.width = value;
        have_width = true;
        break;
      case TAG_IMAGE_LENGTH:
        if (!has_value) return TIFF_UNSUPPORTED;
        g_tiff.height = value;
        have_height = true;
        break;
      case TAG_BITS_PER_SAMPLE:
        if (values.count == 1) {
          if (value == 8 || value == 16) {
            g_tiff.bits = static_cast<int32_t>(value);
            g_tiff.samples = 1;
            have_bits = true;
          }
        } else if (values.count > 1) {
          bits_array = values;
          g_tiff.bits = BITS_PENDING;
          g_tiff.samples = 3;
          have_bits = true;
        }
        break;
      case TAG_COMPRESSION:
        if (has_value && value != 1) return TIFF_COMPRESSED;
        break;
      case TAG_PHOTOMETRIC:
        have_photometric = has_value;
        photometric = value;
        break;
      case TAG_STRIP_OFFSETS:
        g_tiff.strip_offsets = values;
        g_tiff.strip_count = values.count;
        have_offsets = true;
        break;
      case TAG_SAMPLES_PER_PIXEL:
        if (value == 1) {
          g_tiff.samples = 1;
        } else if (value == 3) {
          g_tiff.samples = 3;
        } else if (value == 4) {
          g_tiff.samples = 3;
          g_tiff.alpha = 1;
        } else {
          return TIFF_UNSUPPORTED;
        }
        break;
      case TAG_STRIP_BYTE_COUNTS:
        g_tiff.strip_byte_counts = values;
        have_counts = true;
        break;
      case TAG_PLANAR_CONFIGURATION:
        if (has_value) planar = value;
        break;
      default: break;
    }
  }

  if (!(have_width && have_height && have_bits && have_offsets && have_counts)) return TIFF_UNSUPPORTED;
  if (g_tiff.alpha && photometric != PHOTOMETRIC_RGB) return TIFF_UNSUPPORTED;
  if (g_tiff.samples == 3 && g_tiff.bits == 16) return TIFF_UNSUPPORTED;
  // Colour in separate planes, colour models other than RGB and palette indices would all read
  // as some other picture.
  if (g_tiff.samples == 3 && (planar != 1 || (have_photometric && photometric != PHOTOMETRIC_RGB)))
    return TIFF_UNSUPPORTED;
  if (g_tiff.samples == 1 && have_photometric && photometric == PHOTOMETRIC_PALETTE) return TIFF_UNSUPPORTED;
  g_tiff.white_is_zero = g_tiff.samples == 1 && have_photometric && photometric == PHOTOMETRIC_WHITE_IS_ZERO;
  if (!imagefile::dimensions_supported(g_tiff.width, g_tiff.height)) return TIFF_UNSUPPORTED;

  if (g_tiff.bits == BITS_PENDING) {
    // Every sample must have 8 bits; the array is as long as the samples, at most 4 are used.
    const uint32_t n = bits_array.count < 4 ? bits_array.count : 4;
    for (uint32_t i = 0; i < n; ++i) {
      uint32_t bits = 0;
      const int32_t code = read_element(bits_array, i, &bits);
      if (code != 0) return code;
      if (bits != 8) return TIFF_UNSUPPORTED;
    }
    g_tiff.bits = 8;
  }

  if (g_tiff.strip_count == 0 || g_tiff.strip_byte_counts.count != g_tiff.strip_count) return TIFF_READ_FAILED;
  if (g_tiff.strip_count == 1) {
    uint32_t offset = 0;
    const int32_t code = read_element(g_tiff.strip_offsets, 0, &offset);
    if (code != 0) return code;
    if (!imagefile::seek_to(g_stream, offset)) return TIFF_READ_FAILED;
    g_tiff.next_strip = 1;
    g_tiff.pixels_left = static_cast<uint64_t>(g_tiff.width) * g_tiff.height;
    return 0;
  }
  return enter_strip(0);
}

using imagefile::put16;
using imagefile::put32;

// The fixed header (little-endian, one directory of 15 entries, its values behind it), then the pixels.
int32_t write_tiff(const uint8_t* pixels) {
  uint8_t header[TIFF_HEADER_SIZE] = {};
  header[0] = header[1] = 'I';
  put16(header + 2, 42);
  put32(header + 4, DIRECTORY_OFFSET);
  put16(header + 8, DIRECTORY_ENTRIES);
  const uint32_t pixel_bytes = g_tiff.width * g_tiff.height * 3;
  const uint32_t entries[DIRECTORY_ENTRIES][4] = {
      {TAG_NEW_SUBFILE_TYPE, TYPE_LONG, 1, 0},
      {TAG_IMAGE_WIDTH, TYPE_LONG, 1, g_tiff.width},
      {TAG_IMAGE_LENGTH, TYPE_LONG, 1, g_tiff.height},
      {TAG_BITS_PER_SAMPLE, TYPE_SHORT, 3, BITS_PER_SAMPLE_OFFSET},
      {TAG_COMPRESSION, TYPE_SHORT, 1, 1},
      {TAG_PHOTOMETRIC, TYPE_SHORT, 1, PHOTOMETRIC_RGB},
      {TAG_IMAGE_DESCRIPTION, TYPE_ASCII, DESCRIPTION_LENGTH, DESCRIPTION_OFFSET},
      {TAG_STRIP_OFFSETS, TYPE_LONG, 1, TIFF_HEADER_SIZE},
      {TAG_SAMPLES_PER_PIXEL, TYPE_SHORT, 1, 3},
      {TAG_ROWS_PER_STRIP, TYPE_LONG, 1, g_tiff.height},
      {TAG_STRIP_BYTE_COUNTS, TYPE_LONG, 1, pixel_bytes},
      {TAG_X_RESOLUTION, TYPE_RATIONAL, 1, X_RESOLUTION_OFFSET},
      {TAG_Y_RESOLUTION, TYPE_RATIONAL, 1, Y_RESOLUTION_OFFSET},
      {TAG_RESOLUTION_UNIT, TYPE_SHORT, 1, 2},
      {TAG_SOFTWARE, TYPE_ASCII, sizeof SOFTWARE, SOFTWARE_OFFSET},
  };
  for (uint32_t i = 0; i < DIRECTORY_ENTRIES; ++i) {
    uint8_t* e = header + 10 + 12 * i;
    put16(e, entries[i][0]);
    put16(e + 2, entries[i][1]);
    put32(e + 4, entries[i][2]);
    put32(e + 8, entries[i][3]);  // a SHORT lands in the first two bytes, the other two stay zero
  }
  // 190-193: no further directory.
  for (int i = 0; i < 3; ++i) put16(header + BITS_PER_SAMPLE_OFFSET + 2 * i, 8);
  put32(header + X_RESOLUTION_OFFSET, 100);
  put32(header + X_RESOLUTION_OFFSET + 4, 1);
  put32(header + Y_RESOLUTION_OFFSET, 100);
  put32(header + Y_RESOLUTION_OFFSET + 4, 1);
  std::memcpy(header + SOFTWARE_OFFSET, SOFTWARE, sizeof SOFTWARE);
  put16(header + SOFTWARE_OFFSET + sizeof SOFTWARE, 42);
  std::memcpy(header + DESCRIPTION_OFFSET, g_tiff.description, std::strlen(g_tiff.description));

  if (std::fseek(g_stream, 0, SEEK_SET) != 0) return TIFF_WRITE_FAILED;
  imagefile::ChunkWriter out(g_stream);
  out.put(header, sizeof header);
  out.put_pixels(pixels, static_cast<std::size_t>(g_tiff.width) * g_tiff.height, true);
  return out.finish() ? 0 : TIFF_WRITE_FAILED;
}

}  // namespace

int32_t openFile(const char* path, int32_t for_writing) {
  closeFile();
  return imagefile::open_stream(g_stream, path, for_writing);
}

int32_t closeFile() {
  g_tiff.ready = 0;
  return imagefile::close_stream(g_stream);
}

int32_t get(int32_t* width, int32_t* height) {
  if (g_stream == nullptr || width == nullptr || height == nullptr) {
    g_tiff.ready = 0;
    return TIFF_READ_FAILED;
  }
  const int32_t code = read_tiff_header();
  if (code != 0) {
    g_tiff.ready = 0;
    return code;
  }
  g_tiff.ready = 1;
  *width = static_cast<int32_t>(g_tiff.width);
  *height = static_cast<int32_t>(g_tiff.height);
  return 0;
}

int32_t open(uint8_t* pixels, int32_t width, int32_t height) {
  // One open per get, and only for the image get reported.
  const bool ready = g_stream != nullptr && pixels != nullptr && g_tiff.ready &&
                     static_cast<uint32_t>(width) == g_tiff.width && static_cast<uint32_t>(height) == g_tiff.height;
  g_tiff.ready = 0;
  if (!ready) return TIFF_READ_FAILED;

  const std::size_t total = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  const std::size_t step = bytes_per_pixel();
  const int high_byte = g_big_endian ? 0 : 1;
  const bool gray16 = g_tiff.samples == 1 && g_tiff.bits == 16;
  const bool colour = g_tiff.samples == 3;
  std::size_t done = 0;
  while (done < total) {
    if (g_tiff.pixels_left == 0) {
      if (g_tiff.next_strip >= g_tiff.strip_count) return TIFF_READ_FAILED;
      const int32_t code = enter_strip(g_tiff.next_strip);
      if (code != 0) return code == TIFF_UNSUPPORTED ? TIFF_READ_FAILED : code;
    }
    const std::size_t want = total - done < g_tiff.pixels_left ? total - done : g_tiff.pixels_left;
    uint8_t* out = pixels + done * 4;
    const std::size_t got =
        imagefile::read_pixels(g_stream, out, want, step, [=](const uint8_t* in, std::size_t n, uint8_t* px) {
          if (colour) {
            imagefile::store_rgb(in, n, step, px);
          } else {
            imagefile::store_gray(in + (gray16 ? high_byte : 0), n, step, px);
          }
        });
    if (g_tiff.white_is_zero) {
      for (std::size_t i = 0; i < got; ++i) out[4 * i] = out[4 * i + 1] = out[4 * i + 2] = 255 - out[4 * i];
    }
    done += got;
    g_tiff.pixels_left -= got;
    if (got < want) return TIFF_READ_FAILED;
  }
  return 0;
}

int32_t save(const uint8_t* pixels, int32_t width, int32_t height) {
  if (g_stream == nullptr || pixels == nullptr || !imagefile::dimensions_supported(width, height))
    return TIFF_WRITE_FAILED;
  g_tiff = TiffState{};
  g_tiff.samples = 3;
  g_tiff.bits = 8;
  g_tiff.width = static_cast<uint32_t>(width);
  g_tiff.height = static_cast<uint32_t>(height);
  g_tiff.description = "no comment";
  return write_tiff(pixels);
}

const char* getError(int32_t code) {
  switch (code) {
    case 0: return "Drelloq TIFF Import/Export Library";
    case -1: return "TIFF (unkomprimiert)";
    case -2: return "*.tif";
    case TIFF_UNKNOWN_FORMAT: return "Eingabedatei hat ein unbekanntes Format.";
    case TIFF_UNSUPPORTED: return "Eingabedatei enthält einen nicht unterstützten Farbmodus.";
    case TIFF_READ_FAILED: return "Es ist ein Fehler beim Lesen der Eingabedatei aufgetreten.";
    case TIFF_COMPRESSED:
      return "Eingabedatei enthält komprimierte Daten.\r\nEs werden jedoch nur unkomprimierte TIFF-Dateien "
             "unterstützt.";
    case TIFF_WRITE_FAILED: return "Fehler beim Schreiben der Ausgabedatei.\r\nMöglicher Grund: Disk voll!";
    default: return "unknown error";
  }
}

}  // namespace dqtif
