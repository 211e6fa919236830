// Prints frames per second of the per-frame work of an animation export on a 1024 x 768 image:
// one render of the whole image on two threads, the field interpolation, and the conversion
// into the AVI frame layout (the Wine export figures are measured by tests/avi/export_probe).
#include <cmath>
#include <cstdio>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "editor/core/animation_frames.h"

int main() {
  constexpr int W = 1024, H = 768, RUNS = 20;
  BenchImage image(W, H, 0xff);
  const size_t count = static_cast<size_t>(W) * H;
  std::vector<DisplacementPair> from(count), to(count);
  for (size_t i = 0; i < count; ++i) to[i] = {static_cast<float>(5 * std::sin(i % W / 20.0)), 3.0f};
  std::vector<uint8_t> avi(avi_image_bytes(W, H));
  const double lerp =
      best_seconds([&] { interpolate_field(from.data(), to.data(), 0.37, count, g_current_field); }, RUNS);
  const double render = best_seconds(
      [] {
        RenderBandArgs even{0, 0, W, H, 2, 0}, odd{0, 0, W, H, 2, 1};
        std::thread t(render_band, &odd);
        render_band(&even);
        t.join();
      },
      RUNS);
  const double convert = best_seconds([&] { copy_frame_bottom_up(g_render_pixels, W, H, avi.data()); }, RUNS);
  std::printf("render 1024x768, two threads: %.2f ms, %.1f frames/s\n", render * 1e3, 1 / render);
  std::printf("interpolation: %.2f ms; AVI layout: %.2f ms\n", lerp * 1e3, convert * 1e3);
  std::printf("all three: %.1f frames/s\n", 1 / (render + lerp + convert));
}
