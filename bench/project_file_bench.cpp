// Saves and loads a 4000 x 3000 project with eight key frames, to memory and to a file in /tmp,
// and prints MB/s of file bytes; checks the bytes against a one-pixel-at-a-time writer.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "bench/bench_support.h"
#include "editor/core/frame_slots.h"
#include "editor/core/project_file.h"
#include "engine/edit_state.h"

namespace {

constexpr int32_t W = 4000, H = 3000;
const char* const PATH = "/tmp/quandrelix_project_bench.vbmap";

// The format written the slow way: every pixel and pair on its own.
std::vector<uint8_t> reference_file() {
  MemoryStream s;
  uint8_t header[92] = {0x00, 0x02, 0x0A, 0x0A};
  std::memcpy(header + 4, &W, 4);
  std::memcpy(header + 8, &H, 4);
  s.write(header, 92);
  const auto offset = [&](int at) {
    const uint32_t pos = static_cast<uint32_t>(s.tell());
    std::memcpy(header + at, &pos, 4);
  };
  offset(12);
  for (int64_t i = 0; i < int64_t{W} * H; ++i) s.write(g_source_pixels + 4 * i, 3);
  offset(16);
  s.write(g_mask_bits, size_t{W} * H / 8);
  for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) {
    offset(20 + 8 * (k - 1));
    const uint32_t steps = static_cast<uint32_t>(slot_frame_count(frame_slot(k)));
    std::memcpy(header + 24 + 8 * (k - 1), &steps, 4);
    g_current_field = frame_slot(k).field;
    uint32_t run[2] = {FIELD_RUN_MARKER, 0};
    for (int32_t x = 0; x < W; ++x)
      for (int32_t y = 0; y < H; ++y) {
        const DisplacementPair p = get_displacement(x, y);
        if (p.dx == 0 && p.dy == 0) {
          ++run[1];
          continue;
        }
        if (run[1]) s.write(run, 8);
        run[1] = 0;
        s.write(&p, 8);
      }
    if (run[1]) s.write(run, 8);
  }
  s.seek(0, SeekFrom::begin);
  s.write(header, 92);
  return std::move(s.data);
}

// Dense: every pair non-zero. Brushed: a few round dents in a zero field.
void fill_fields(bool dense) {
  for (int k = 1; k <= FRAME_SLOT_COUNT; ++k) {
    DisplacementField* f = frame_slot(k).field;
    for (int32_t y = 0; y < H; ++y)
      for (int32_t x = 0; x < W; ++x) {
        DisplacementPair p = {0.0f, 0.0f};
        if (dense) {
          p = {0.25f + static_cast<float>((x * 7 + y * 3 + k) % 101) * 0.125f, -1.0f - static_cast<float>(y % 17)};
        } else {
          for (int b = 0; b < 6; ++b) {
            const float cx = 300.0f + 600.0f * b + 40.0f * k, cy = 500.0f + 350.0f * b;
            const float d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            if (d2 < 150.0f * 150.0f) p = {(x - cx) * 0.05f, (y - cy) * 0.05f};
          }
        }
        f[int64_t{y} * W + x] = p;
      }
  }
}

void report(const char* what, double bytes, double seconds) {
  std::printf("  %-22s %8.1f MB/s  (%.3f s)\n", what, bytes / seconds / 1e6, seconds);
}

}  // namespace

int main() {
  BenchImage image(W, H, 0x5A);
  g_mask_exists = 1;
  reset_frame_slots();
  for (int k = 3; k <= FRAME_SLOT_COUNT; ++k) {
    frame_slot(k).field = allocate_field_block();
    set_frames_text(frame_slot(k), "20");
  }
  for (bool dense : {true, false}) {
    fill_fields(dense);
    std::printf("%d x %d, 8 key frames, %s fields\n", W, H, dense ? "dense" : "brushed");
    MemoryStream mem;
    save_project(mem);
    const double save_mem = best_seconds(
        [&] {
          mem.seek(0, SeekFrom::begin);  // the buffer of the run before is reused
          save_project(mem);
        },
        3);
    const double bytes = static_cast<double>(mem.data.size());
    std::printf("  file size %.1f MB, bytes %s the one-pixel-at-a-time writer's\n", bytes / 1e6,
                reference_file() == mem.data ? "equal" : "DIFFER FROM");
    report("save to memory", bytes, save_mem);
    MemoryStream in(std::move(mem.data));
    report("load from memory", bytes,
           best_seconds(
               [&] {
                 check_project_file(in);
                 load_project(in);
               },
               3));
    in = MemoryStream();
    report("save to /tmp", bytes,
           best_seconds(
               [&] {
                 auto f = FileStream::open(PATH, "wb");
                 save_project(*f);
                 f->close();
               },
               3));
    report("load from /tmp", bytes,
           best_seconds(
               [&] {
                 auto f = FileStream::open(PATH, "rb");
                 check_project_file(*f);
                 load_project(*f);
               },
               3));
  }
  std::remove(PATH);
  free_frame_slots();
  return 0;
}
