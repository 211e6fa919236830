// Test support: an image, its fields and mask in plain vectors, installed as the engine's globals.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/edit_state.h"
#include "engine/field.h"
#include "engine/render_band.h"

// Puts the tool, brush, mask and project flags back to their start values.
inline void reset_edit_state() {
  g_current_tool = TOOL_NONE;
  g_tool_mode = TOOL_MODE_NONE;
  g_brush_size = 101;
  g_brush_strength = 2;
  g_mask_exists = 0;
  g_project_modified = 0;
  g_mouse_keys = 0;
}

class TestImage {
 public:
  TestImage(int32_t w, int32_t h)
      : w_(w),
        h_(h),
        field_(bytes_to_pairs(w, h)),
        undo_(bytes_to_pairs(w, h)),
        source_(static_cast<size_t>(w) * h * 4 + 100),
        render_(static_cast<size_t>(w) * h * 4 + 100),
        mask_(static_cast<size_t>(w) * h / 8 + 1, 0xff) {
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < w; ++x) {
        uint8_t* p = &source_[4 * (static_cast<size_t>(y) * w + x)];
        p[0] = static_cast<uint8_t>(x * 7 + y * 3);
        p[1] = static_cast<uint8_t>(x * 5 + y * 11 + 1);
        p[2] = static_cast<uint8_t>(x * 13 + y * 2 + 2);
        p[3] = 0;
      }
    install();
  }
  ~TestImage() {
    g_current_field = g_undo_field = nullptr;
    g_source_pixels = g_render_pixels = nullptr;
    g_mask_bits = nullptr;
    g_mask_applied = g_mask_shown = g_smoothing = g_border_repeat = g_color_separation = 0;
  }
  void install() {
    g_image_width = w_;
    g_image_height = h_;
    g_current_field = field_.data();
    g_undo_field = undo_.data();
    g_source_pixels = source_.data();
    g_render_pixels = render_.data();
    g_mask_bits = mask_.data();
  }
  void set_mask_bit(int32_t x, int32_t y, bool on) {
    const size_t i = static_cast<size_t>(y) * w_ + x;
    if (on)
      mask_[i / 8] |= static_cast<uint8_t>(1u << (i % 8));
    else
      mask_[i / 8] &= static_cast<uint8_t>(~(1u << (i % 8)));
  }
  DisplacementPair& pair(int32_t x, int32_t y) { return field_[static_cast<size_t>(y) * w_ + x]; }
  DisplacementPair& undo(int32_t x, int32_t y) { return undo_[static_cast<size_t>(y) * w_ + x]; }
  uint8_t* source(int32_t x, int32_t y) { return &source_[4 * (static_cast<size_t>(y) * w_ + x)]; }
  // Pixel k, r of the last rendered rectangle of width rw.
  uint8_t* rendered(int32_t k, int32_t r, int32_t rw) { return &render_[4 * (static_cast<size_t>(r) * rw + k)]; }
  std::vector<uint8_t>& render_buffer() { return render_; }
  int32_t w() const { return w_; }
  int32_t h() const { return h_; }

 private:
  static size_t bytes_to_pairs(int32_t w, int32_t h) {
    return static_cast<size_t>((field_bytes(w, h) + sizeof(DisplacementPair) - 1) / sizeof(DisplacementPair));
  }
  int32_t w_, h_;
  std::vector<DisplacementPair> field_, undo_;
  std::vector<uint8_t> source_, render_, mask_;
};
