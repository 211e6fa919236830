// Project file reader and writer: header, pixel and mask blocks, run-coded key-frame fields.
#include "editor/core/project_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "editor/core/frame_slots.h"
#include "engine/edit_state.h"
#include "engine/engine_host.h"
#include "engine/field.h"
#include "engine/render_band.h"

// Pairs and pixels are copied to and from the file as they lie in memory.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "the file format is little-endian");
static_assert(sizeof(DisplacementPair) == 8, "a pair is two 32-bit floats");

namespace {

constexpr size_t IO_CHUNK = size_t{1} << 20;       // bytes handed to the stream at a time
constexpr int64_t STRIP_PAIRS = int64_t{1} << 15;  // pairs of a strip of columns being coded
constexpr int32_t SEGMENT = 8;                     // columns a flag of the field writer covers
constexpr size_t PIXEL_CHUNK = size_t{1} << 16;    // pixels converted at a time
constexpr size_t OLD_HEADER_BYTES = 20;
constexpr size_t HEADER_BYTES = 88;
constexpr int64_t MAX_FILE_OFFSET = 0xFFFFFFFF;  // offsets are stored in 32 bits, read unsigned

inline uint32_t get_u32(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}
inline uint64_t get_u64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}
inline void put_u32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
inline uint16_t get_u16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline void put_u16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

inline bool non_finite(uint32_t bits) { return (bits & 0x7F800000) == 0x7F800000; }
// A pair the format stores as part of a run: both components zero of either sign, or either
// one NaN or infinite (such a pair could be mistaken for the run marker).
inline bool run_pair(uint32_t dx, uint32_t dy) {
  return ((dx | dy) & 0x7FFFFFFF) == 0 || non_finite(dx) || non_finite(dy);
}

uint64_t pixel_count() { return static_cast<uint64_t>(g_image_width) * static_cast<uint64_t>(g_image_height); }

// The image size the format can hold.
bool valid_size(int32_t w, int32_t h) {
  return static_cast<uint32_t>(w) - 1 < 0xFFFF && static_cast<uint32_t>(h) - 1 < 0xFFFF;
}

// Buffers of the field coders, kept across the fields of one project so that their memory is
// touched once.
struct CoderScratch {
  std::vector<uint8_t> io, live;
  std::vector<DisplacementPair> strip;
};

// Collects bytes and hands them to the stream in big chunks.
class ChunkWriter {
 public:
  ChunkWriter(Stream& s, std::vector<uint8_t>& buf, size_t capacity) : s_(s), buf_(buf) {
    if (buf_.size() < capacity) buf_.resize(capacity);
  }
  // Room for n more bytes (n <= capacity), writing out what is held when needed.
  uint8_t* room(size_t n) {
    if (used_ + n > buf_.size() && !drain()) return nullptr;
    return buf_.data() + used_;
  }
  void commit(size_t n) { used_ += n; }
  bool drain() {
    const bool ok = used_ == 0 || s_.write_all(buf_.data(), used_);
    used_ = 0;
    return ok;
  }

 private:
  Stream& s_;
  std::vector<uint8_t>& buf_;
  size_t used_ = 0;
};

// Reads ahead in big chunks, never more than `limit` bytes from the stream in all.
class ChunkReader {
 public:
  ChunkReader(Stream& s, std::vector<uint8_t>& buf, uint64_t limit)
      : s_(s), limit_(limit), size_(static_cast<size_t>(std::min<uint64_t>(IO_CHUNK, limit)) + 8), buf_(buf) {
    if (buf_.size() < size_) buf_.resize(size_);
  }
  // At least n bytes (n <= 8) available at data(), or false at the end or on an error.
  bool need(size_t n) {
    if (end_ - pos_ >= n) return true;
    std::memmove(buf_.data(), buf_.data() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
    const size_t want = static_cast<size_t>(std::min<uint64_t>(size_ - end_, limit_));
    const size_t got = want ? s_.read(buf_.data() + end_, want) : 0;
    end_ += got;
    limit_ -= got;
    return end_ >= n;
  }
  const uint8_t* data() const { return buf_.data() + pos_; }
  size_t available() const { return end_ - pos_; }
  void skip(size_t n) { pos_ += n; }
  // Puts the stream back just behind the bytes taken.
  bool give_back() { return end_ == pos_ || s_.seek(-static_cast<int64_t>(end_ - pos_), SeekFrom::current); }

 private:
  Stream& s_;
  uint64_t limit_;
  size_t size_;  // bytes of the buffer in use: small fields never read far ahead
  std::vector<uint8_t>& buf_;
  size_t pos_ = 0, end_ = 0;
};

// Columns per strip (a multiple of `unit`): a strip of a tall image is one unit, of a short one many.
int32_t strip_columns(int32_t unit) {
  const int64_t cols = std::clamp<int64_t>(STRIP_PAIRS / g_image_height / unit, 1, g_image_width / unit + 1);
  return static_cast<int32_t>(cols * unit);
}

// The field block's encoder: the state of the run that may carry on into the next strip.
class FieldEncoder {
 public:
  explicit FieldEncoder(ChunkWriter& out) : out_(out) {}

  // Codes one column of h pairs; a pair whose live flag is 0 is known to be zero and not read.
  bool code_column(const DisplacementPair* pairs, const uint8_t* live, int32_t h) {
    uint8_t* p = out_.room(16 * static_cast<size_t>(h) + 8);
    if (!p) return false;
    uint8_t* const start = p;
    for (int32_t y = 0; y < h;) {
      const void* next = std::memchr(live + y, 1, static_cast<size_t>(h - y));
      const int32_t stop = next ? static_cast<int32_t>(static_cast<const uint8_t*>(next) - live) : h;
      run_ += static_cast<uint32_t>(stop - y);
      for (y = stop; y < h && live[y]; ++y) {
        uint32_t dx, dy;
        std::memcpy(&dx, &pairs[y].dx, 4);
        std::memcpy(&dy, &pairs[y].dy, 4);
        if (run_pair(dx, dy)) {
          ++run_;
          continue;
        }
        if (run_) p = put_run(p);
        std::memcpy(p, &pairs[y], 8);
        p += 8;
      }
    }
    out_.commit(static_cast<size_t>(p - start));
    return true;
  }
  // Counts n zero pairs.
  void skip(uint32_t n) { run_ += n; }
  bool finish() {
    if (run_) {
      uint8_t* p = out_.room(8);
      if (!p) return false;
      out_.commit(static_cast<size_t>(put_run(p) - p));
    }
    return out_.drain();
  }

 private:
  uint8_t* put_run(uint8_t* p) {
    put_u32(p, FIELD_RUN_MARKER);
    put_u32(p + 4, run_);
    run_ = 0;
    return p + 8;
  }
  ChunkWriter& out_;
  uint32_t run_ = 0;  // W * H < 2^32, so a run never overflows
};

// Flags, in one sequential pass over the field, which 8-column segments of each row hold
// anything but zero bits: live[segment * H + y]. Columns are then coded without reading
// the zero parts of the field again.
void live_segments(const DisplacementField* field, std::vector<uint8_t>& live) {
  const int32_t w = g_image_width, h = g_image_height, segments = (w + SEGMENT - 1) / SEGMENT;
  live.resize(static_cast<size_t>(segments) * h);
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = reinterpret_cast<const uint8_t*>(field + static_cast<int64_t>(y) * w);
    int32_t sg = 0;
    for (; sg < w / SEGMENT; ++sg, row += 8 * SEGMENT) {
      uint64_t acc = 0;
      for (int i = 0; i < SEGMENT; ++i) acc |= get_u64(row + 8 * i);
      live[static_cast<size_t>(sg) * h + y] = (acc & 0x7FFFFFFF7FFFFFFF) != 0;
    }
    if (sg < segments) {
      uint64_t acc = 0;
      for (int i = 0; i < w % SEGMENT; ++i) acc |= get_u64(row + 8 * i);
      live[static_cast<size_t>(sg) * h + y] = (acc & 0x7FFFFFFF7FFFFFFF) != 0;
    }
  }
}

// Copies the live segments of columns x0 .. x0 + cols - 1 into column order.
void gather_columns(const DisplacementField* field, const uint8_t* live, int32_t x0, int32_t cols,
                    DisplacementPair* out) {
  const int32_t w = g_image_width, h = g_image_height;
  for (int32_t y = 0; y < h; ++y) {
    const DisplacementPair* row = field + static_cast<int64_t>(y) * w + x0;
    for (int32_t c0 = 0; c0 < cols; c0 += SEGMENT) {
      if (!live[static_cast<size_t>((x0 + c0) / SEGMENT) * h + y]) continue;
      if (cols - c0 >= SEGMENT) {
        for (int32_t c = c0; c < c0 + SEGMENT; ++c) out[static_cast<int64_t>(c) * h + y] = row[c];
      } else {
        for (int32_t c = c0; c < cols; ++c) out[static_cast<int64_t>(c) * h + y] = row[c];
      }
    }
  }
}

// Stores the first n pairs of a strip in column order into the field (through the mask
// only while it applies).
void scatter_columns(const DisplacementPair* in, int32_t x0, int64_t n) {
  const int32_t w = g_image_width, h = g_image_height;
  const int64_t full = n / h, rest = n % h;
  for (int32_t y = 0; y < h; ++y) {
    DisplacementPair* row = g_current_field + static_cast<int64_t>(y) * w + x0;
    const int64_t cols = full + (y < rest ? 1 : 0);
    for (int64_t c = 0; c < cols; ++c)
      if (!g_mask_applied || mask_bit(x0 + static_cast<int32_t>(c), y)) row[c] = in[c * h + y];
  }
}

// The decoder's state across strips: the zero pairs still owed to the current run.
class FieldDecoder {
 public:
  explicit FieldDecoder(ChunkReader& in) : in_(in) {}

  // Decodes n pairs in column order into out; decoded() tells how many before a failure.
  bool decode(DisplacementPair* out, int64_t n) {
    done_ = 0;
    while (done_ < n) {
      if (run_) {
        const int64_t k = std::min<int64_t>(run_, n - done_);
        std::memset(static_cast<void*>(out + done_), 0, static_cast<size_t>(k) * 8);
        done_ += k;
        run_ -= static_cast<uint32_t>(k);
        continue;
      }
      if (!in_.need(8)) return false;
      const uint8_t* p = in_.data();
      // Tokens that lie wholly in the buffer are taken without further checks.
      const int64_t tokens = std::min<int64_t>(static_cast<int64_t>(in_.available() / 8), n - done_);
      int64_t t = 0;
      for (; t < tokens && !run_; ++t, p += 8) {
        const uint32_t a = get_u32(p), b = get_u32(p + 4);
        if (a == FIELD_RUN_MARKER) {
          if (b == 0) return false;  // a run of nothing: the block is damaged
          out[done_++] = {0.0f, 0.0f};
          run_ = b - 1;
        } else if (non_finite(a) || non_finite(b)) {
          out[done_++] = {0.0f, 0.0f};
        } else {
          std::memcpy(&out[done_++], p, 8);
        }
      }
      in_.skip(static_cast<size_t>(t) * 8);
    }
    return true;
  }
  int64_t decoded() const { return done_; }

 private:
  ChunkReader& in_;
  uint32_t run_ = 0;
  int64_t done_ = 0;
};

int write_field_with(Stream& s, CoderScratch& scratch) {
  if (g_image_width <= 0 || g_image_height <= 0) return 0;  // an empty field has an empty block
  ChunkWriter out(s, scratch.io, IO_CHUNK + 16 * static_cast<size_t>(g_image_height) + 8);
  FieldEncoder encoder(out);
  if (g_current_field) {
    std::vector<uint8_t>& live = scratch.live;
    live_segments(g_current_field, live);
    const int32_t step = strip_columns(SEGMENT), h = g_image_height;
    std::vector<DisplacementPair>& strip = scratch.strip;
    strip.resize(static_cast<size_t>(step) * h);
    for (int32_t x0 = 0; x0 < g_image_width; x0 += step) {
      const int32_t cols = std::min(step, g_image_width - x0);
      gather_columns(g_current_field, live.data(), x0, cols, strip.data());
      for (int32_t c = 0; c < cols; ++c) {
        const size_t column = static_cast<size_t>(c) * h, flags = static_cast<size_t>((x0 + c) / SEGMENT) * h;
        if (!encoder.code_column(&strip[column], &live[flags], h)) return PROJECT_WRITE_ERROR;
      }
    }
  } else {
    encoder.skip(static_cast<uint32_t>(pixel_count()));  // a missing field stands for a zero one
  }
  return encoder.finish() ? 0 : PROJECT_WRITE_ERROR;
}

int read_field_with(Stream& s, CoderScratch& scratch) {
  if (g_image_width <= 0 || g_image_height <= 0) return 0;
  ChunkReader in(s, scratch.io, pixel_count() * 8);
  FieldDecoder decoder(in);
  const int32_t step = strip_columns(1);
  std::vector<DisplacementPair>& strip = scratch.strip;
  strip.resize(static_cast<size_t>(step) * g_image_height);
  for (int32_t x0 = 0; x0 < g_image_width; x0 += step) {
    const int32_t cols = std::min(step, g_image_width - x0);
    const bool ok = decoder.decode(strip.data(), static_cast<int64_t>(cols) * g_image_height);
    scatter_columns(strip.data(), x0, decoder.decoded());
    if (!ok) return PROJECT_READ_ERROR;
  }
  return in.give_back() ? 0 : PROJECT_READ_ERROR;
}

// Pixel block: 3 bytes of every 4-byte source pixel, row-major.
bool write_pixels(Stream& s) {
  std::vector<uint8_t> buf(PIXEL_CHUNK * 3);
  const uint64_t total = pixel_count();
  const uint8_t* src = g_source_pixels;
  for (uint64_t done = 0; done < total;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(PIXEL_CHUNK, total - done));
    uint8_t* out = buf.data();
    size_t i = 0;
    for (; i + 4 <= n; i += 4, src += 16, out += 12) {
      const uint32_t p0 = get_u32(src), p1 = get_u32(src + 4), p2 = get_u32(src + 8), p3 = get_u32(src + 12);
      put_u32(out, (p0 & 0xFFFFFF) | p1 << 24);
      put_u32(out + 4, (p1 >> 8 & 0xFFFF) | p2 << 16);
      put_u32(out + 8, (p2 >> 16 & 0xFF) | p3 << 8);
    }
    for (; i < n; ++i, src += 4, out += 3) std::memcpy(out, src, 3);
    if (!s.write_all(buf.data(), n * 3)) return false;
    done += n;
  }
  return true;
}

// Reads the pixel block; a short read keeps the whole pixels read before it.
bool read_pixels(Stream& s) {
  std::vector<uint8_t> buf(PIXEL_CHUNK * 3);
  const uint64_t total = pixel_count();
  uint8_t* dst = g_source_pixels;
  for (uint64_t done = 0; done < total;) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(PIXEL_CHUNK, total - done));
    const size_t got = s.read(buf.data(), want * 3);
    const size_t n = got / 3;
    const uint8_t* in = buf.data();
    size_t i = 0;
    for (; i + 4 <= n; i += 4, in += 12, dst += 16) {
      const uint32_t w0 = get_u32(in), w1 = get_u32(in + 4), w2 = get_u32(in + 8);
      put_u32(dst, w0 & 0xFFFFFF);
      put_u32(dst + 4, w0 >> 24 | (w1 & 0xFFFF) << 8);
      put_u32(dst + 8, w1 >> 16 | (w2 & 0xFF) << 16);
      put_u32(dst + 12, w2 >> 8);
    }
    for (; i < n; ++i, in += 3, dst += 4) {
      std::memcpy(dst, in, 3);
      dst[3] = 0;
    }
    if (n < want) return false;
    done += n;
  }
  return true;
}

// The parts of a file's preamble and header the reader uses.
struct ProjectHeader {
  uint16_t version = 0;
  int32_t width = 0, height = 0;
  uint32_t pixel_offset = 0, mask_offset = 0;
  uint32_t field_offset[FRAME_SLOT_COUNT] = {};
  int32_t steps[FRAME_SLOT_COUNT] = {};
  int64_t file_length = 0;
};

// Reads and checks preamble and header as check_project_file does; 0 or its message id.
int read_header(Stream& s, ProjectHeader& h) {
  if (!s.seek(0, SeekFrom::end) || (h.file_length = s.tell()) < 0) return PROJECT_READ_ERROR;
  if (h.file_length == 0) return PROJECT_INVALID_FILE;
  uint8_t b[4 + HEADER_BYTES];
  if (!s.seek(0, SeekFrom::begin) || !s.read_all(b, 4)) return PROJECT_READ_ERROR;
  h.version = get_u16(b);
  if (get_u16(b + 2) != PROJECT_MAGIC) return PROJECT_NOT_A_PROJECT;
  if (h.version > PROJECT_VERSION) return PROJECT_NEWER_VERSION;
  if (h.version == PROJECT_VERSION_OLD) {
    if (!s.read_all(b + 4, OLD_HEADER_BYTES)) return PROJECT_READ_ERROR;
    h.width = static_cast<int32_t>(get_u32(b + 8));
    h.height = static_cast<int32_t>(get_u32(b + 12));
    return valid_size(h.width, h.height) ? 0 : PROJECT_INVALID_FILE;
  }
  if (h.version != PROJECT_VERSION) return PROJECT_INVALID_FILE;
  if (!s.read_all(b + 4, HEADER_BYTES)) return PROJECT_READ_ERROR;
  h.width = static_cast<int32_t>(get_u32(b + 4));
  h.height = static_cast<int32_t>(get_u32(b + 8));
  h.pixel_offset = get_u32(b + 12);
  h.mask_offset = get_u32(b + 16);
  for (int k = 0; k < FRAME_SLOT_COUNT; ++k) {
    h.field_offset[k] = get_u32(b + 20 + 8 * k);
    h.steps[k] = static_cast<int32_t>(get_u32(b + 24 + 8 * k));
  }
  if (!valid_size(h.width, h.height)) return PROJECT_INVALID_FILE;
  const auto valid = [&](uint32_t p) { return p >= PROJECT_DATA_OFFSET && p < h.file_length; };
  const auto valid_or_0 = [&](uint32_t p) { return p == 0 || valid(p); };
  bool ok = valid(h.pixel_offset) && valid(h.field_offset[0]) && valid(h.field_offset[1]) && valid_or_0(h.mask_offset);
  for (int k = 2; k < FRAME_SLOT_COUNT; ++k) ok = ok && valid_or_0(h.field_offset[k]);
  return ok ? 0 : PROJECT_INVALID_FILE;
}

// The position where the next block starts, if a 32-bit offset can hold it.
bool block_offset(Stream& s, uint32_t& offset) {
  const int64_t pos = s.tell();
  if (pos < 0 || pos > MAX_FILE_OFFSET) return false;
  offset = static_cast<uint32_t>(pos);
  return true;
}

int32_t steps_of(const FrameSlot& slot) {
  const uint32_t steps = static_cast<uint32_t>(slot_frame_count(slot));
  return steps > PROJECT_MAX_STEPS ? PROJECT_MAX_STEPS : static_cast<int32_t>(steps);
}

void set_steps_text(FrameSlot& slot, int32_t steps) {
  std::snprintf(slot.frames_text, FRAMES_TEXT_SIZE, "%d", std::clamp(steps, 0, PROJECT_MAX_STEPS));
}

int save_project_unguarded(Stream& s) {
  if (!valid_size(g_image_width, g_image_height)) return PROJECT_WRITE_ERROR;
  uint8_t header[PROJECT_DATA_OFFSET] = {};
  put_u16(header, PROJECT_VERSION);
  put_u16(header + 2, PROJECT_MAGIC);
  put_u32(header + 4, static_cast<uint32_t>(g_image_width));
  put_u32(header + 8, static_cast<uint32_t>(g_image_height));
  if (!s.write_all(header, sizeof header)) return PROJECT_WRITE_ERROR;

  uint32_t offset;
  if (!block_offset(s, offset) || !write_pixels(s)) return PROJECT_WRITE_ERROR;
  put_u32(header + 12, offset);
  if (g_mask_exists) {
    const size_t bytes = static_cast<size_t>(pixel_count() / 8);
    if (!block_offset(s, offset) || !s.write_all(g_mask_bits, bytes)) return PROJECT_WRITE_ERROR;
    put_u32(header + 16, offset);
  }

  DisplacementField* const kept = g_current_field;
  g_scratch_slot.field = kept;
  CoderScratch scratch;
  int result = 0;
  for (int k = 1; k <= FRAME_SLOT_COUNT && !result; ++k) {
    FrameSlot& slot = frame_slot(k);
    if (k > 2 && !slot.field) continue;
    if (!block_offset(s, offset)) {
      result = PROJECT_WRITE_ERROR;
      break;
    }
    put_u32(header + 20 + 8 * (k - 1), offset);
    put_u32(header + 24 + 8 * (k - 1), static_cast<uint32_t>(steps_of(slot)));
    g_current_field = slot.field;
    result = write_field_with(s, scratch);
  }
  g_current_field = kept;
  if (result) return result;

  if (!s.seek(0, SeekFrom::begin) || !s.write_all(header, sizeof header) || !s.flush()) return PROJECT_WRITE_ERROR;
  return 0;
}

// Reads slot k's field block into the slot's field, made current for the call.
int read_slot_field(Stream& s, CoderScratch& scratch, FrameSlot& slot, uint32_t offset, int32_t steps) {
  if (!s.seek(offset, SeekFrom::begin)) return PROJECT_READ_ERROR;
  set_steps_text(slot, steps);
  g_current_field = slot.field;
  return read_field_with(s, scratch);
}

int load_project_unguarded(Stream& s) {
  for (int k = 1; k <= 2; ++k) {
    FrameSlot& slot = frame_slot(k);
    if (!slot.field && !(slot.field = allocate_field_block())) return PROJECT_OUT_OF_MEMORY;
  }
  g_current_field = frame_slot(2).field;
  ProjectHeader h;
  if (const int r = read_header(s, h)) return r;
  if (h.width != g_image_width || h.height != g_image_height) return PROJECT_INVALID_FILE;
  CoderScratch scratch;

  if (h.version == PROJECT_VERSION_OLD) {
    if (!s.seek(4 + OLD_HEADER_BYTES, SeekFrom::begin) || read_field_with(s, scratch) || !read_pixels(s))
      return PROJECT_READ_ERROR;
    return 0;
  }

  if (!s.seek(h.pixel_offset, SeekFrom::begin) || !read_pixels(s)) return PROJECT_READ_ERROR;
  if (h.mask_offset) {
    if (!s.seek(h.mask_offset, SeekFrom::begin) || !s.read_all(g_mask_bits, static_cast<size_t>(pixel_count() / 8)))
      return PROJECT_READ_ERROR;
    engine_host().enable_menu_item(CMD_MASK_APPLY, true);
    engine_host().enable_menu_item(CMD_MASK_REMOVE, true);
    engine_host().enable_menu_item(CMD_MASK_INVERT, true);
    g_mask_exists = 1;
  }

  // Stored fields go into the slots in order; a file with gaps still fills them contiguously.
  int next = 1;
  for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) {
    const uint32_t offset = h.field_offset[k - 1];
    if (k > 2 && !offset) continue;
    FrameSlot& slot = frame_slot(next);
    if (next > 2 && !slot.field && !(slot.field = allocate_field_block())) return PROJECT_OUT_OF_MEMORY;
    ++next;
    if (const int r = read_slot_field(s, scratch, slot, offset, h.steps[k - 1])) return r;
  }
  return 0;
}

}  // namespace

int write_field(Stream& s) {
  try {
    CoderScratch scratch;
    return write_field_with(s, scratch);
  } catch (const std::bad_alloc&) {
    return PROJECT_WRITE_ERROR;
  }
}

int read_field(Stream& s) {
  try {
    CoderScratch scratch;
    return read_field_with(s, scratch);
  } catch (const std::bad_alloc&) {
    return PROJECT_READ_ERROR;
  }
}

int save_project(Stream& s) {
  DisplacementField* const kept = g_current_field;
  try {
    return save_project_unguarded(s);
  } catch (const std::bad_alloc&) {
    g_current_field = kept;
    return PROJECT_WRITE_ERROR;
  }
}

int check_project_file(Stream& s) {
  ProjectHeader h;
  if (const int r = read_header(s, h)) return r;
  g_image_width = h.width;
  g_image_height = h.height;
  return 0;
}

int project_blocks_fit(Stream& s, int* field_count) {
  ProjectHeader h;
  if (const int r = read_header(s, h)) return r;
  const uint64_t pixels = static_cast<uint64_t>(h.width) * static_cast<uint64_t>(h.height);
  const auto fits = [&](uint64_t offset, uint64_t bytes) {
    return offset + bytes <= static_cast<uint64_t>(h.file_length);
  };
  int fields = 2;
  bool ok;
  if (h.version == PROJECT_VERSION_OLD) {
    ok = fits(4 + OLD_HEADER_BYTES + 8, 3 * pixels);
  } else {
    ok = fits(h.pixel_offset, 3 * pixels) && (!h.mask_offset || fits(h.mask_offset, pixels / 8));
    for (int k = 0; k < FRAME_SLOT_COUNT; ++k) {
      if (!h.field_offset[k]) continue;
      ok = ok && fits(h.field_offset[k], 8);
      fields += k >= 2;
    }
  }
  if (field_count) *field_count = fields;
  return ok ? 0 : PROJECT_INVALID_FILE;
}

uint64_t project_memory_bytes(int32_t w, int32_t h, int field_count) {
  const uint64_t pixels = static_cast<uint64_t>(std::max(w, 0)) * static_cast<uint64_t>(std::max(h, 0));
  const uint64_t image = pixels * 4 + 100;
  return 2 * image + static_cast<uint64_t>(std::max(field_count, 0) + 1) * field_bytes(w, h) + pixels / 8 + 1;
}

int load_project(Stream& s) {
  int result;
  try {
    result = load_project_unguarded(s);
  } catch (const std::bad_alloc&) {
    result = PROJECT_OUT_OF_MEMORY;
  }
  g_current_field = frame_slot(2).field;
  return result;
}
