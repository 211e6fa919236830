// Prints stroke tick timings at brush size 301 on a 4000 x 3000 image: each tick with its
// brush-square render, rendered on the calling thread and on two threads, and the render alone.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "engine/brush_kernels.h"
#include "engine/edit_state.h"
#include "engine/engine_host.h"
#include "engine/field.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"
#include "engine/strokes.h"

namespace {

constexpr int W = 4000, H = 3000;

// Renders the two bands on two threads, as the program does on a machine with two processors.
class ThreadedHost : public EngineHost {
 public:
  void run_render_bands(RenderBandArgs* first, RenderBandArgs* second) override {
    std::thread t(render_band, second);
    render_band(first);
    t.join();
  }
};

struct Figures {
  double best_ms, mean_ms;
};

// Runs tick n times (after one warm-up), each at its own point of a small circle so that a
// stroke moves as a hand does; the undo delta keeps growing as in one long stroke.
template <typename F>
Figures time_ticks(F&& tick, int n) {
  tick(0);
  double best = 1e30, total = 0;
  for (int i = 1; i <= n; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    tick(i);
    const std::chrono::duration<double, std::milli> d = std::chrono::steady_clock::now() - t0;
    best = std::min(best, d.count());
    total += d.count();
  }
  return {best, total / n};
}

int px(int i) { return 2000 + static_cast<int>(40 * std::cos(i * 0.3)); }
int py(int i) { return 1500 + static_cast<int>(40 * std::sin(i * 0.3)); }

}  // namespace

int main() {
  BenchImage image(W, H, 0xff);
  std::vector<DisplacementPair>& field = image.field;
  std::vector<DisplacementPair>& undo = image.undo;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      field[static_cast<size_t>(y) * W + x] = {static_cast<float>(6 * std::sin(y * 0.013)),
                                               static_cast<float>(6 * std::cos(x * 0.011))};
  g_smoothing = 1;
  g_border_repeat = 1;

  auto win = std::make_unique<MainWindowState>();
  g_brush_size = 301;
  g_brush_strength = 1;
  ThreadedHost threaded;
  const int n = 100;

  struct Tick {
    const char* name;
    int tool;
    void (*run)(MainWindowState&, int);
  } const ticks[] = {
      {"kernel brush (grow)", TOOL_GROW, [](MainWindowState& w, int i) { apply_brush(w, px(i), py(i)); }},
      {"flatten", TOOL_FLATTEN, [](MainWindowState& w, int i) { apply_flatten(w, px(i), py(i)); }},
      {"restore", TOOL_RESTORE, [](MainWindowState& w, int i) { apply_restore(w, px(i), py(i)); }},
      {"drag", TOOL_DRAG, [](MainWindowState& w, int i) { apply_drag(w, px(i), py(i), px(i + 1), py(i + 1)); }},
      {"mask painting", TOOL_MASK, [](MainWindowState& w, int i) { paint_mask(w, px(i), py(i)); }},
  };

  std::printf("stroke ticks at size 301 on %d x %d, bilinear, %d ticks: best / mean ms\n", W, H, n);
  std::printf("%-22s %18s %18s\n", "tick", "1 thread", "2 threads");
  for (const Tick& t : ticks) {
    g_current_tool = TOOL_NONE;
    g_tool_mode = TOOL_MODE_NONE;
    g_mask_exists = 1;
    select_tool(*win, t.tool);
    g_mask_shown = 0;
    g_mouse_keys = 1;
    std::fill(undo.begin(), undo.end(), DisplacementPair{0, 0});
    g_cpu_count = 1;
    set_engine_host(nullptr);
    const Figures one = time_ticks([&](int i) { t.run(*win, i); }, n);
    std::fill(undo.begin(), undo.end(), DisplacementPair{0, 0});
    g_cpu_count = 2;
    set_engine_host(&threaded);
    const Figures two = time_ticks([&](int i) { t.run(*win, i); }, n);
    std::printf("%-22s %8.3f / %7.3f %8.3f / %7.3f\n", t.name, one.best_ms, one.mean_ms, two.best_ms, two.mean_ms);
  }

  auto render_square = [&](int) { render_region(*win, 2000 - 150, 1500 - 150, 2000 + 151, 1500 + 151, 0); };
  g_cpu_count = 1;
  set_engine_host(nullptr);
  const Figures r1 = time_ticks(render_square, n);
  g_cpu_count = 2;
  set_engine_host(&threaded);
  const Figures r2 = time_ticks(render_square, n);
  std::printf("%-22s %8.3f / %7.3f %8.3f / %7.3f\n", "render alone", r1.best_ms, r1.mean_ms, r2.best_ms, r2.mean_ms);

  // Region drags at button up, rendered on one thread: a pull inside; a release far outside
  // whose tent square covers the whole image; one whose square misses the image.
  g_cpu_count = 1;
  set_engine_host(nullptr);
  const Figures inside = time_ticks([&](int) { apply_region_drag(*win, 2000, 1500, 2060, 1500); }, 10);
  const Figures covering = time_ticks([&](int) { apply_region_drag(*win, 0, 0, 30000, 30000); }, 3);
  const Figures missing = time_ticks([&](int) { apply_region_drag(*win, 100005, 0, 100000, 0); }, 10);
  std::printf(
      "region drag, best ms: L 60 (m 180) %.3f; release at (30000, 30000), m 90000, whole image %.1f;\n"
      "  release at (100000, 0), m 30, square beside the image %.3f\n",
      inside.best_ms, covering.best_ms, missing.best_ms);
  set_engine_host(nullptr);
  return 0;
}
