// Animation frames between key frames: schedule, interpolation, file names, AVI frame layout.
#include "editor/core/animation_frames.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "editor/core/path_names.h"
#include "editor/core/plugin_filters.h"

void read_slot_frames(const FrameSlot slots[FRAME_SLOT_COUNT], int32_t frames[FRAME_SLOT_COUNT]) {
  for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) {
    int32_t n = slot_frame_count(slots[k - 1]);
    if (n > MAX_SLOT_FRAMES) n = MAX_SLOT_FRAMES;
    if (n < 0) n = 0;
    if (k >= 3 && !slots[k - 1].field) n = 0;
    frames[k - 1] = n;
  }
}

int32_t export_progress_range(const int32_t frames[FRAME_SLOT_COUNT]) {
  int32_t range = 5;
  for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) {
    range += frames[k - 1];
    if (k >= 3 && frames[k - 1] != 0) ++range;
  }
  return range;
}

bool locate_frame(const int32_t frames[FRAME_SLOT_COUNT], const bool filled[FRAME_SLOT_COUNT], int32_t f,
                  FramePosition* position) {
  if (f < 0) return false;
  int64_t a = f;
  int j = 1;
  while (a > frames[j - 1] + 1) {
    if (j == FRAME_SLOT_COUNT) return false;
    a -= frames[j - 1] + 1;
    ++j;
  }
  const int next = j < FRAME_SLOT_COUNT && filled[j] ? j + 1 : 1;
  const double t = static_cast<double>(a) / (frames[j - 1] + 1);
  bool last = false;
  if (t >= 1) {
    if (j == FRAME_SLOT_COUNT)
      last = true;
    else if (j == FRAME_SLOT_COUNT - 1)
      last = frames[j] == 0;
    else
      last = frames[j] == 0 && !filled[j + 1];
  }
  *position = {j, next, t, last};
  return true;
}

void interpolate_field(const DisplacementField* from, const DisplacementField* to, double t, std::size_t count,
                       DisplacementField* out) {
  const double s = 1 - t;
  for (std::size_t i = 0; i < count; ++i) {
    out[i].dx = static_cast<float>(to[i].dx * t + from[i].dx * s);
    out[i].dy = static_cast<float>(to[i].dy * t + from[i].dy * s);
  }
}

int32_t parse_option_value(const char* text, int32_t fallback, int32_t lo, int32_t hi) {
  const char* p = text;
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  int64_t value = fallback;
  if (std::isdigit(static_cast<unsigned char>(*p))) {
    value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p)
      if (value < INT64_C(1) << 40) value = value * 10 + (*p - '0');
    if (negative) value = -value;
  }
  if (value < lo) value = lo;
  if (value > hi) value = hi;
  return static_cast<int32_t>(value);
}

bool numbered_file_name(const char* path, int32_t frame, char* out, std::size_t size) {
  const char* extension = path_extension(path);
  const std::size_t stem = static_cast<std::size_t>(extension - path);
  char number[16];
  const int digits = std::snprintf(number, sizeof number, "%03d", static_cast<int>(frame));
  const std::size_t total = stem + static_cast<std::size_t>(digits) + std::strlen(extension);
  if (digits < 0 || total >= size) return false;
  std::memcpy(out, path, stem);
  std::memcpy(out + stem, number, static_cast<std::size_t>(digits));
  std::strcpy(out + stem + digits, extension);
  return true;
}

uint32_t avi_row_stride(int32_t width) { return (static_cast<uint32_t>(width) * 3 + 3) & ~3u; }

uint64_t avi_image_bytes(int32_t width, int32_t height) {
  return static_cast<uint64_t>(avi_row_stride(width)) * static_cast<uint64_t>(height);
}

void copy_frame_bottom_up(const uint8_t* rendered, int32_t width, int32_t height, uint8_t* out) {
  const std::size_t stride = avi_row_stride(width);
  for (int32_t r = 0; r < height; ++r) {
    const uint8_t* src = rendered + static_cast<std::size_t>(height - 1 - r) * width * 4;
    uint8_t* dst = out + r * stride;
    for (int32_t x = 0; x < width; ++x) {
      dst[3 * x] = src[4 * x];
      dst[3 * x + 1] = src[4 * x + 1];
      dst[3 * x + 2] = src[4 * x + 2];
    }
  }
}

bool avi_key_frame(int32_t sample, int32_t interval) { return interval <= 1 || sample % interval == 0; }
