// Portable Pixmap codec of dqppm: writes binary "P6" files, reads "P6" and text "P3" files with a
// maximum value of 255.
#include "plugins/imagefile/ppm/ppm_codec.h"

#include <cstring>

#include "plugins/imagefile/pixel_stream.h"

namespace dqppm {

std::FILE* g_stream = nullptr;
int32_t g_ppm_format = PPM_FORMAT_UNKNOWN;

namespace {

int32_t g_width = 0, g_height = 0;

bool is_space(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Header bytes come straight from the stream, so that get() leaves it exactly at the pixels.
struct StreamBytes {
  std::FILE* stream;
  int next() { return std::getc(stream); }
  void unget(int c) { std::ungetc(c, stream); }
};

// Text pixels come through a chunk of their own.
struct ChunkBytes {
  explicit ChunkBytes(std::FILE* s) : stream(s) {}
  std::FILE* stream;
  std::size_t pos = 0, end = 0;
  uint8_t chunk[imagefile::CHUNK_BYTES];

  int next() {
    if (pos == end) {
      end = std::fread(chunk, 1, sizeof chunk, stream);
      pos = 0;
      if (end == 0) return EOF;
    }
    return chunk[pos++];
  }
  void unget(int) { --pos; }  // only ever right after next() returned a byte
};

// The next whitespace-delimited word, its delimiter left unread. False at end of file.
template <typename Bytes>
bool read_word(Bytes& in, char (&word)[TOKEN_BUFFER_SIZE]) {
  int c;
  do c = in.next();
  while (c != EOF && is_space(c));
  if (c == EOF) return false;
  std::size_t n = 0;
  for (; c != EOF && !is_space(c); c = in.next()) {
    if (n < TOKEN_BUFFER_SIZE - 1) word[n++] = static_cast<char>(c);
  }
  if (c != EOF) in.unget(c);
  word[n] = '\0';
  return true;
}

// The next number; comments ("#" to the end of the line) and words that are no number are
// skipped. False at end of file.
template <typename Bytes>
bool read_number(Bytes& in, uint32_t* value) {
  char word[TOKEN_BUFFER_SIZE];
  for (;;) {
    if (!read_word(in, word)) return false;
    if (word[0] == '#') {
      int c;
      do c = in.next();
      while (c != EOF && c != '\n');
      if (c == EOF) return false;
    } else if (parse_number(word, value)) {
      return true;
    }
  }
}

}  // namespace

bool parse_number(const char* word, uint32_t* value) {
  const bool negative = *word == '-';
  if (*word == '-' || *word == '+') ++word;
  if (*word < '0' || *word > '9') return false;
  uint64_t magnitude = 0;
  for (; *word >= '0' && *word <= '9'; ++word) {
    magnitude = magnitude * 10 + static_cast<uint64_t>(*word - '0');
    if (magnitude > UINT32_MAX) {
      *value = UINT32_MAX;
      return true;
    }
  }
  *value = negative ? static_cast<uint32_t>(0 - magnitude) : static_cast<uint32_t>(magnitude);
  return true;
}

int32_t openFile(const char* path, int32_t for_writing) {
  closeFile();
  return imagefile::open_stream(g_stream, path, for_writing);
}

int32_t closeFile() {
  g_ppm_format = PPM_FORMAT_UNKNOWN;
  return imagefile::close_stream(g_stream);
}

int32_t get(int32_t* width, int32_t* height) {
  g_ppm_format = PPM_FORMAT_UNKNOWN;
  if (g_stream == nullptr || width == nullptr || height == nullptr || std::fseek(g_stream, 0, SEEK_SET) != 0)
    return PPM_NOT_PPM;
  StreamBytes in{g_stream};
  char magic[TOKEN_BUFFER_SIZE];
  if (!read_word(in, magic)) return PPM_NOT_PPM;
  int32_t format;
  if (std::strcmp(magic, "P6") == 0) {
    format = PPM_FORMAT_BINARY;
  } else if (std::strcmp(magic, "P3") == 0) {
    format = PPM_FORMAT_TEXT;
  } else {
    return PPM_NOT_PPM;
  }
  uint32_t w = 0, h = 0, max_value = 0;
  if (!read_number(in, &w) || !read_number(in, &h) || !read_number(in, &max_value)) return PPM_NOT_PPM;
  if (max_value != 255 || !imagefile::dimensions_supported(w, h)) return PPM_UNSUPPORTED;

  // Exactly one whitespace byte ends the header; "\r\n" counts as one.
  const int c = in.next();
  if (c == '\r') {
    const int lf = in.next();
    if (lf != '\n' && lf != EOF) in.unget(lf);
  } else if (c != EOF && !is_space(c)) {
    in.unget(c);
  }
  g_ppm_format = format;
  g_width = static_cast<int32_t>(w);
  g_height = static_cast<int32_t>(h);
  *width = g_width;
  *height = g_height;
  return 0;
}

int32_t open(uint8_t* pixels, int32_t width, int32_t height) {
  const int32_t format = g_ppm_format;
  // One open per get, and only for the image get reported.
  const bool ready = g_stream != nullptr && pixels != nullptr && format != PPM_FORMAT_UNKNOWN && width == g_width &&
                     height == g_height;
  g_ppm_format = PPM_FORMAT_UNKNOWN;
  if (!ready) return PPM_READ_FAILED;

  const std::size_t total = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  if (format == PPM_FORMAT_BINARY) {
    const std::size_t got = imagefile::read_pixels(
        g_stream, pixels, total, 3,
        [](const uint8_t* in, std::size_t n, uint8_t* out) { imagefile::store_rgb(in, n, 3, out); });
    return got == total ? 0 : PPM_READ_FAILED;
  }
  ChunkBytes in(g_stream);
  for (std::size_t i = 0; i < total; ++i) {
    for (int byte = 2; byte >= 0; --byte) {
      uint32_t value;
      if (!read_number(in, &value)) return PPM_READ_FAILED;
      pixels[4 * i + byte] = static_cast<uint8_t>(value);  // the low byte, whatever the maximum
    }
  }
  return 0;
}

int32_t save(const uint8_t* pixels, int32_t width, int32_t height) {
  if (g_stream == nullptr || pixels == nullptr || !imagefile::dimensions_supported(width, height))
    return PPM_WRITE_FAILED;
  char header[64];
  const int length = std::snprintf(header, sizeof header, "P6\n%u %u\n255\n", static_cast<unsigned>(width),
                                   static_cast<unsigned>(height));
  imagefile::ChunkWriter out(g_stream);
  out.put(header, static_cast<std::size_t>(length));
  out.put_pixels(pixels, static_cast<std::size_t>(width) * static_cast<std::size_t>(height), true);
  return out.finish() ? 0 : PPM_WRITE_FAILED;
}

const char* getError(int32_t code) {
  switch (code) {
    case 0: return "Drelloq PPM Import/Export Library";
    case -1: return "Portable Pixmap";
    case -2: return "*.ppm";
    case PPM_WRITE_FAILED: return "Fehler beim Schreiben der Datei.\r\nMöglicher Grund: Disk voll!";
    case PPM_READ_FAILED: return "Fehler beim Lesen der Eingabedatei.\r\nMöglicherweise ist die Datei beschädigt.";
    case PPM_NOT_PPM: return "Die Datei ist keine gültige PPM-Datei.";
    case PPM_UNSUPPORTED: return "Die Datei enthält ein nicht unterstütztes Farbformat.";
    default: return "unknown error";
  }
}

}  // namespace dqppm
