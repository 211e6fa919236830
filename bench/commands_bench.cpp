// Prints the whole-field commands' timings on a 4000 x 3000 field, ns per pixel, beside one
// full bilinear render on one thread: the effects' arithmetic, invert, undo, remove, scale
// and move (field work only; the commands' own renders come on top).
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "bench/bench_support.h"
#include "engine/effects.h"
#include "engine/field.h"
#include "engine/field_commands.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"

namespace {

constexpr int W = 4000, H = 3000;

}  // namespace

int main() {
  BenchImage image(W, H, 0xff);
  std::vector<DisplacementPair>& field = image.field;
  auto swirl = [&] {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        field[static_cast<size_t>(y) * W + x] = {static_cast<float>(25 * std::sin(y * 0.013)),
                                                 static_cast<float>(25 * std::cos(x * 0.011))};
  };
  swirl();
  g_smoothing = 1;
  g_border_repeat = 1;
  g_cpu_count = 1;
  MainWindowState* win = new MainWindowState();

  const double pixels = static_cast<double>(W) * H;
  auto report = [pixels](const char* name, double seconds) {
    std::printf("%-34s %8.2f ns/px %9.1f ms\n", name, seconds * 1e9 / pixels, seconds * 1e3);
  };
  std::printf("whole-field commands on %d x %d (best of 3, one thread)\n", W, H);
  const double full = best_seconds([&] { render_region(*win, 0, 0, W, H, 0); }, 3);
  report("full render, bilinear (reference)", full);

  const char* names[EFFECT_COUNT] = {"effect Kantenschaerfe", "effect Quadrate", "effect Kreise",
                                     "effect Wellen",         "effect Sinus",    "effect Halo"};
  for (int e = 0; e < EFFECT_COUNT; ++e) report(names[e], best_seconds([e] { add_effect(e); }, 3));
  g_mask_applied = 1;
  report("effect Wellen, mask applied", best_seconds([] { add_effect(EFFECT_WAVES); }, 3));
  g_mask_applied = 0;
  report("apply_effect Sinus (with render)", best_seconds([&] { apply_effect(*win, EFFECT_SINE); }, 3));

  swirl();
  report("invert", best_seconds([&] { invert_distortions(*win); }, 3) - full);
  report("undo", best_seconds([&] { undo_last_change(*win); }, 3) - full);
  auto scale_twice = [] {
    scale_field(0.5f);
    scale_field(2.0f);
  };
  report("scale by 0.5 then 2", best_seconds(scale_twice, 3) / 2);
  report("move by (7, -5)", best_seconds([] { move_field(7, -5); }, 3));
  auto masked_move = [] {
    g_mask_applied = 1;
    move_field(-3, 0);
    g_mask_applied = 0;
  };
  report("move by (-3, 0), mask applied", best_seconds(masked_move, 3));
  report("remove", best_seconds([&] { remove_distortions(*win); }, 3));
  std::printf("(invert and undo: their own full render subtracted)\n");
  delete win;
  return 0;
}
