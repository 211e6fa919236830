// Shared by the image file codecs: the buffer size limit, little-endian fields, the stream,
// checked seeks and pixel transfer in chunks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace imagefile {

// The largest pixel buffer a reader reports: a 32-bit caller cannot allocate more in one piece,
// and width * height * 4 still fits a signed 32-bit int wherever a caller computes it.
constexpr int64_t MAX_BUFFER_BYTES = 0x7fffffff;

// Width and height a caller can size a buffer from: both at least 1 and the buffer within the limit.
bool dimensions_supported(int64_t width, int64_t height);

// Little-endian values in file headers.
inline uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t le32(const uint8_t* p) {
  return p[0] | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
inline void put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void put32(uint8_t* p, uint32_t v) {
  put16(p, v);
  put16(p + 2, v >> 16);
}

// Opens path for reading ("rb") or writing ("wb") into stream: 0, or 1 when it cannot be opened.
// The caller closes what the stream held first.
int32_t open_stream(std::FILE*& stream, const char* path, int32_t for_writing);
// Closes and forgets the stream: fclose's result, EOF when nothing was open.
int32_t close_stream(std::FILE*& stream);

// Seeks to an absolute position; false when the position does not fit the stream library's offset.
bool seek_to(std::FILE* stream, uint64_t position);

// Flushes the stream and reports whether everything written so far reached the file.
bool finish_writing(std::FILE* stream);

// Bytes moved per stream call; a multiple of 3 and of 4, so chunks hold whole pixels.
constexpr std::size_t CHUNK_BYTES = 48 * 1024;

// Collects output in one chunk and hands it to the stream when full. After the first failed
// write it drops everything, so a caller may test failed() only now and then.
class ChunkWriter {
 public:
  explicit ChunkWriter(std::FILE* stream) : stream_(stream) {}
  ChunkWriter(const ChunkWriter&) = delete;
  ChunkWriter& operator=(const ChunkWriter&) = delete;

  // Room for n bytes (at most CHUNK_BYTES) that the caller fills completely.
  uint8_t* room(std::size_t n) {
    if (used_ + n > CHUNK_BYTES) drain();
    uint8_t* p = chunk_ + used_;
    used_ += n;
    return p;
  }
  void put(const void* bytes, std::size_t n);
  // Writes `count` buffer pixels as 3-byte groups: red first when rgb, else blue first.
  void put_pixels(const uint8_t* pixels, std::size_t count, bool rgb);
  // Hands the rest to the stream and flushes it; true when every byte was written.
  bool finish();
  bool failed() const { return failed_; }

 private:
  void drain();

  std::FILE* stream_;
  std::size_t used_ = 0;
  bool failed_ = false;
  uint8_t chunk_[CHUNK_BYTES];
};

// Reads up to `count` pixels of `bytes_per_pixel` file bytes each and lets `convert(in, n, out)` store
// n of them at `out` (4 bytes a pixel). Returns how many whole pixels arrived: fewer than `count`
// means the file ended (or failed) and the pixels before that point are stored.
template <typename Convert>
std::size_t read_pixels(std::FILE* stream, uint8_t* pixels, std::size_t count, std::size_t bytes_per_pixel,
                        Convert convert) {
  uint8_t chunk[CHUNK_BYTES];
  const std::size_t per_chunk = CHUNK_BYTES / bytes_per_pixel;
  std::size_t done = 0;
  while (done < count) {
    const std::size_t want = count - done < per_chunk ? count - done : per_chunk;
    const std::size_t got = std::fread(chunk, 1, want * bytes_per_pixel, stream) / bytes_per_pixel;
    convert(chunk, got, pixels + done * 4);
    done += got;
    if (got < want) break;
  }
  return done;
}

// Converters for read_pixels: file bytes to buffer pixels; byte 3 of each pixel is left alone.
inline void store_rgb(const uint8_t* in, std::size_t n, std::size_t step, uint8_t* out) {
  for (std::size_t i = 0; i < n; ++i, in += step, out += 4) {
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
  }
}
inline void store_bgr(const uint8_t* in, std::size_t n, std::size_t step, uint8_t* out) {
  for (std::size_t i = 0; i < n; ++i, in += step, out += 4) {
    out[0] = in[0];
    out[1] = in[1];
    out[2] = in[2];
  }
}
inline void store_gray(const uint8_t* in, std::size_t n, std::size_t step, uint8_t* out) {
  for (std::size_t i = 0; i < n; ++i, in += step, out += 4) out[0] = out[1] = out[2] = *in;
}

}  // namespace imagefile
