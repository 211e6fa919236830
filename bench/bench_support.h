// Shared by the benchmark programs: best-of-n timing, and an image with its fields, buffers
// and mask installed as the engine's globals.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <vector>

#include "engine/field.h"
#include "engine/render_band.h"

// The shortest of `runs` calls of f, in seconds.
template <typename F>
double best_seconds(F&& f, int runs) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    f();
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
    best = std::min(best, d.count());
  }
  return best;
}

// A w x h workspace: zero fields, a noise source image, mask bytes all mask_fill.
struct BenchImage {
  BenchImage(int32_t w, int32_t h, uint8_t mask_fill)
      : field(field_bytes(w, h) / sizeof(DisplacementPair) + 1),
        undo(field.size()),
        source(static_cast<size_t>(w) * h * 4 + 100),
        render(source.size()),
        mask(static_cast<size_t>(w) * h / 8 + 1, mask_fill) {
    fill_noise();
    g_image_width = w;
    g_image_height = h;
    g_current_field = field.data();
    g_undo_field = undo.data();
    g_source_pixels = source.data();
    g_render_pixels = render.data();
    g_mask_bits = mask.data();
  }
  void fill_noise() {
    for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
  }

  std::vector<DisplacementPair> field, undo;
  std::vector<uint8_t> source, render, mask;
};
