// Prints the preparation time of a print job for a 4000 x 3000 image: the whole-image render
// that precedes it after a brush stroke (two bands on two threads), and the job's own copy
// of the rendered pixels.
#include <cstdio>
#include <thread>

#include "bench/bench_support.h"
#include "editor/core/print_layout.h"
#include "engine/field.h"
#include "engine/render_band.h"

namespace {

constexpr int W = 4000, H = 3000;

void render_whole_image() {
  RenderBandArgs even{0, 0, W, H, 2, 0}, odd{0, 0, W, H, 2, 1};
  std::thread t(render_band, &odd);
  render_band(&even);
  t.join();
}

}  // namespace

int main() {
  BenchImage image(W, H, 0xFF);
  g_smoothing = 1;
  g_border_repeat = 1;
  const double render = best_seconds(render_whole_image, 3);
  PrintImage copy;
  bool copied = true;
  const double copying = best_seconds([&] { copied = copied && copy_print_image(copy, g_render_pixels, W, H); }, 5);
  std::printf("print job preparation, %d x %d:\n", W, H);
  std::printf("  whole-image render (two threads): %8.1f ms\n", render * 1e3);
  std::printf("  job's pixel copy (%zu MB):       %8.1f ms%s\n", static_cast<size_t>(W) * H * 4 >> 20, copying * 1e3,
              copied ? "" : "  (allocation failed)");
  std::printf("  total after a stroke:             %8.1f ms\n", (render + copying) * 1e3);
  return 0;
}
