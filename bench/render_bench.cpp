// Prints render_band timings on a 4000 x 3000 image: ns per pixel per option set, one thread
// and the two-band split on two threads, and a 301 x 301 brush-square render; then a photo-like
// source and a random field. Each line ends with a checksum of the rendered bytes, so two
// builds can be compared for identical output.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <random>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "engine/field.h"
#include "engine/render_band.h"

namespace {

constexpr int W = 4000, H = 3000;

void render_two_threads(int x0, int y0, int x1, int y1) {
  RenderBandArgs even{x0, y0, x1, y1, 2, 0}, odd{x0, y0, x1, y1, 2, 1};
  std::thread t(render_band, &odd);
  render_band(&even);
  t.join();
}

void render_one_thread(int x0, int y0, int x1, int y1) {
  RenderBandArgs all{x0, y0, x1, y1, 1, 0};
  render_band(&all);
}

// FNV-1a over blue, green and red of n rendered pixels.
uint32_t checksum(const std::vector<uint8_t>& render, size_t n) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < n; ++i)
    for (int c = 0; c < 3; ++c) h = (h ^ render[4 * i + c]) * 16777619u;
  return h;
}

// Smooth swirls everywhere, with undistorted patches as a brushed image has.
void fill_smooth(std::vector<DisplacementPair>& field) {
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const bool still = ((x / 500) + (y / 500)) % 4 == 0;
      field[static_cast<size_t>(y) * W + x] =
          still ? DisplacementPair{0, 0}
                : DisplacementPair{static_cast<float>(25 * std::sin(y * 0.013) + 3 * std::cos(x * 0.05)),
                                   static_cast<float>(25 * std::cos(x * 0.011) - 3 * std::sin(y * 0.07))};
    }
}

// Independent random offsets of up to 40 pixels: no coherence for caches or branches.
void fill_rough(std::vector<DisplacementPair>& field) {
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> d(-40.0f, 40.0f);
  for (size_t i = 0; i < static_cast<size_t>(W) * H; ++i) field[i] = {d(rng), d(rng)};
}

struct Options {
  const char* name;
  int smoothing, border, separation, shown;
};

void run_sets(const char* title, const Options* sets, size_t count, const std::vector<uint8_t>& render) {
  const double pixels = static_cast<double>(W) * H;
  std::printf("%s\n%-30s %10s %10s %10s\n", title, "options", "1 thread", "2 threads", "checksum");
  for (size_t i = 0; i < count; ++i) {
    const Options& o = sets[i];
    g_smoothing = o.smoothing;
    g_border_repeat = o.border;
    g_color_separation = o.separation;
    g_mask_shown = o.shown;
    const double one = best_seconds([] { render_one_thread(0, 0, W, H); }, 3);
    const uint32_t sum_one = checksum(render, static_cast<size_t>(W) * H);
    const double two = best_seconds([] { render_two_threads(0, 0, W, H); }, 3);
    const uint32_t sum_two = checksum(render, static_cast<size_t>(W) * H);
    std::printf("%-30s %10.2f %10.2f   %08x%s\n", o.name, one * 1e9 / pixels, two * 1e9 / pixels, sum_one,
                sum_one == sum_two ? "" : "  (2 threads differ!)");
  }
}

}  // namespace

int main() {
  BenchImage image(W, H, 0);
  std::vector<DisplacementPair>& field = image.field;
  std::vector<uint8_t>& source = image.source;
  const std::vector<uint8_t>& render = image.render;
  for (size_t i = 0; i < image.mask.size(); ++i) image.mask[i] = static_cast<uint8_t>(i * 37);
  fill_smooth(field);

  const Options sets[] = {
      {"nearest, border off", 0, 0, 0, 0},        {"nearest, border repeat", 0, 1, 0, 0},
      {"bilinear, border off", 1, 0, 0, 0},       {"bilinear, border repeat", 1, 1, 0, 0},
      {"nearest, colour separation", 0, 1, 1, 0}, {"bilinear, colour separation", 1, 1, 1, 0},
      {"nearest, mask shading", 0, 1, 0, 1},      {"bilinear, mask shading", 1, 1, 0, 1},
  };
  char title[96];
  std::snprintf(title, sizeof title, "render_band on %d x %d, smooth field, ns per pixel (best of 3)", W, H);
  run_sets(title, sets, std::size(sets), render);

  g_smoothing = 1;
  g_border_repeat = 1;
  g_color_separation = 0;
  g_mask_shown = 0;
  const int cx = 2100, cy = 1300, c = 150;
  const double brush = best_seconds([&] { render_two_threads(cx - c, cy - c, cx + c + 1, cy + c + 1); }, 20);
  const double brush1 = best_seconds([&] { render_one_thread(cx - c, cy - c, cx + c + 1, cy + c + 1); }, 20);
  std::printf("301 x 301 brush square, bilinear: %.3f ms on 1 thread, %.3f ms on 2 threads\n\n", brush1 * 1e3,
              brush * 1e3);

  // A photo-like source: slow gradients with flat patches, where many bilinear sums fall exactly
  // on integers (the renderer then takes its slower exact path for them).
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      uint8_t* p = &source[4 * (static_cast<size_t>(y) * W + x)];
      p[0] = static_cast<uint8_t>(x / 23 + y / 31);
      p[1] = static_cast<uint8_t>(128 + 100 * std::sin(x * 0.002 + y * 0.001));
      p[2] = (x / 300 + y / 200) % 2 ? 255 : static_cast<uint8_t>(y / 12);
    }
  const Options photo[] = {
      {"bilinear, border repeat", 1, 1, 0, 0},
      {"bilinear, colour separation", 1, 1, 1, 0},
  };
  run_sets("smooth field on a photo-like source (flat patches)", photo, std::size(photo), render);
  std::printf("\n");
  image.fill_noise();

  fill_rough(field);
  const Options rough[] = {
      {"nearest, border off", 0, 0, 0, 0},
      {"bilinear, border repeat", 1, 1, 0, 0},
      {"bilinear, colour separation", 1, 1, 1, 0},
  };
  run_sets("random field (worst case for caches and branches)", rough, std::size(rough), render);
  return 0;
}
