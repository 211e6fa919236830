// Shared by the image file codecs: the buffer size limit, checked seeks and pixel transfer in chunks.
#include "plugins/imagefile/pixel_stream.h"

#include <climits>
#include <cstring>

namespace imagefile {

int32_t open_stream(std::FILE*& stream, const char* path, int32_t for_writing) {
  if (path == nullptr) return 1;
  stream = std::fopen(path, for_writing ? "wb" : "rb");
  return stream ? 0 : 1;
}

int32_t close_stream(std::FILE*& stream) {
  if (stream == nullptr) return EOF;
  const int result = std::fclose(stream);
  stream = nullptr;
  return result;
}

bool dimensions_supported(int64_t width, int64_t height) {
  if (width < 1 || height < 1 || width > MAX_BUFFER_BYTES || height > MAX_BUFFER_BYTES) return false;
  return width * height <= MAX_BUFFER_BYTES / 4;
}

bool seek_to(std::FILE* stream, uint64_t position) {
  if (position > static_cast<uint64_t>(LONG_MAX)) return false;
  return std::fseek(stream, static_cast<long>(position), SEEK_SET) == 0;
}

bool finish_writing(std::FILE* stream) { return std::fflush(stream) == 0 && !std::ferror(stream); }

void ChunkWriter::drain() {
  if (used_ != 0 && !failed_ && std::fwrite(chunk_, 1, used_, stream_) != used_) failed_ = true;
  used_ = 0;
}

void ChunkWriter::put(const void* bytes, std::size_t n) {
  const auto* p = static_cast<const uint8_t*>(bytes);
  while (n > 0) {
    const std::size_t part = n < CHUNK_BYTES ? n : CHUNK_BYTES;
    std::memcpy(room(part), p, part);
    p += part;
    n -= part;
  }
}

void ChunkWriter::put_pixels(const uint8_t* pixels, std::size_t count, bool rgb) {
  const int first = rgb ? 2 : 0, last = rgb ? 0 : 2;
  while (count > 0 && !failed_) {
    const std::size_t part = count < CHUNK_BYTES / 3 ? count : CHUNK_BYTES / 3;
    uint8_t* out = room(part * 3);
    for (std::size_t i = 0; i < part; ++i, pixels += 4, out += 3) {
      out[0] = pixels[first];
      out[1] = pixels[1];
      out[2] = pixels[last];
    }
    count -= part;
  }
}

bool ChunkWriter::finish() {
  drain();
  return !failed_ && finish_writing(stream_);
}

}  // namespace imagefile
