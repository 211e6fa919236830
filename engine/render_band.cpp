// Band renderer. One loop per sampling mode; the options are read once per band.
#include "engine/render_band.h"

#include <cmath>

#include "engine/field.h"

uint8_t* g_source_pixels = nullptr;
uint8_t* g_render_pixels = nullptr;
int32_t g_smoothing = 0;
int32_t g_border_repeat = 0;
int32_t g_color_separation = 0;
int32_t g_mask_shown = 0;

namespace {

struct Image {
  const uint8_t* pixels;
  int32_t w, h;
  float last_x, last_y;    // W - 1, H - 1: positions at or beyond are outside
  float clamp_x, clamp_y;  // W - 2, H - 2 (0 for a one-pixel edge)
};

// Clamps a sample position into 0..W-2 / 0..H-2; NaN is reported as unusable.
inline bool clamp_position(const Image& im, float& sx, float& sy) {
  if (std::isnan(sx) || std::isnan(sy)) return false;
  if (sx < 0) sx = 0;
  if (sy < 0) sy = 0;
  if (sx >= im.last_x) sx = im.clamp_x;
  if (sy >= im.last_y) sy = im.clamp_y;
  return true;
}

// Inside [0, W - 1) x [0, H - 1); NaN is outside.
inline bool inside(const Image& im, float sx, float sy) {
  return sx >= 0 && sy >= 0 && sx < im.last_x && sy < im.last_y;
}

inline const uint8_t* pixel_at(const Image& im, int32_t x, int32_t y) {
  return im.pixels + 4 * (static_cast<int64_t>(y) * im.w + x);
}

inline uint8_t sample_nearest(const Image& im, float sx, float sy, int channel) {
  const auto xi = static_cast<int32_t>(std::floor(sx + 0.5));
  const auto yi = static_cast<int32_t>(std::floor(sy + 0.5));
  return pixel_at(im, xi, yi)[channel];
}

struct Bilinear {
  const uint8_t *p00, *p10, *p01, *p11;
  double w00, w10, w01, w11;
};

inline Bilinear bilinear_at(const Image& im, float sx, float sy) {
  const float xl = std::floor(sx), xh = std::ceil(sx);
  const float yl = std::floor(sy), yh = std::ceil(sy);
  const double fx = sx - xl, fy = sy - yl;
  const auto ixl = static_cast<int32_t>(xl), ixh = static_cast<int32_t>(xh);
  const auto iyl = static_cast<int32_t>(yl), iyh = static_cast<int32_t>(yh);
  return {pixel_at(im, ixl, iyl), pixel_at(im, ixh, iyl), pixel_at(im, ixl, iyh), pixel_at(im, ixh, iyh),
          (1 - fx) * (1 - fy),    fx * (1 - fy),          (1 - fx) * fy,          fx * fy};
}

inline uint8_t blend(const Bilinear& b, int c) {
  const double v = b.w00 * b.p00[c] + b.w10 * b.p10[c] + b.w01 * b.p01[c] + b.w11 * b.p11[c];
  return static_cast<uint8_t>(static_cast<int32_t>(v));
}

inline void copy_bgr(uint8_t* out, const uint8_t* in) {
  out[0] = in[0];
  out[1] = in[1];
  out[2] = in[2];
}

inline void set_black(uint8_t* out) { out[0] = out[1] = out[2] = 0; }

// Plain sampling of one displaced pixel (nearest or bilinear, edges by border repeat).
template <bool Bilin, bool Repeat>
inline void sample_plain(const Image& im, int32_t x, int32_t y, DisplacementPair d, uint8_t* out) {
  float sx = static_cast<float>(x) + d.dx;
  float sy = static_cast<float>(y) + d.dy;
  if (Repeat) {
    if (!clamp_position(im, sx, sy)) return set_black(out);
  } else if (!inside(im, sx, sy)) {
    return set_black(out);
  }
  if (Bilin) {
    const Bilinear b = bilinear_at(im, sx, sy);
    out[0] = blend(b, 0);
    out[1] = blend(b, 1);
    out[2] = blend(b, 2);
  } else {
    copy_bgr(out, pixel_at(im, static_cast<int32_t>(std::floor(sx + 0.5)),
                           static_cast<int32_t>(std::floor(sy + 0.5))));
  }
}

// One channel at x + scale * dx, always clamped to the edge.
template <bool Bilin>
inline uint8_t sample_channel(const Image& im, int32_t x, int32_t y, DisplacementPair d, double scale,
                              int channel) {
  float sx = static_cast<float>(x + scale * d.dx);
  float sy = static_cast<float>(y + scale * d.dy);
  if (!clamp_position(im, sx, sy)) return 0;
  if (Bilin) return blend(bilinear_at(im, sx, sy), channel);
  return sample_nearest(im, sx, sy, channel);
}

template <bool Bilin>
inline void sample_separated(const Image& im, int32_t x, int32_t y, DisplacementPair d, uint8_t* out) {
  out[2] = sample_channel<Bilin>(im, x, y, d, 1.2, 2);
  out[1] = sample_channel<Bilin>(im, x, y, d, 1.0, 1);
  out[0] = sample_channel<Bilin>(im, x, y, d, 0.85, 0);
}

enum class Mode { plain, separated };

template <Mode M, bool Bilin, bool Repeat, bool Shade>
void render_rows(const RenderBandArgs& a, const Image& im) {
  const int32_t w = a.x1 - a.x0, h = a.y1 - a.y0;
  const DisplacementField* field = g_current_field;
  for (int32_t r = a.first_row; r < h; r += a.row_step) {
    const int32_t y = a.y0 + r;
    const DisplacementField* row = field + static_cast<int64_t>(y) * im.w;
    const uint8_t* src = im.pixels + 4 * static_cast<int64_t>(y) * im.w;
    uint8_t* out = g_render_pixels + 4 * static_cast<int64_t>(r) * w;
    for (int32_t x = a.x0; x < a.x1; ++x, out += 4) {
      const DisplacementPair d = row[x];
      if (d.dx == 0.0f && d.dy == 0.0f) {
        copy_bgr(out, src + 4 * x);
      } else if (M == Mode::separated) {
        sample_separated<Bilin>(im, x, y, d, out);
      } else {
        sample_plain<Bilin, Repeat>(im, x, y, d, out);
      }
      if (Shade && !mask_bit(x, y)) {
        out[0] >>= 1;
        out[1] >>= 1;
        out[2] >>= 1;
      }
    }
  }
}

template <Mode M, bool Bilin, bool Repeat>
void render_shaded_or_not(const RenderBandArgs& a, const Image& im, bool shade) {
  if (shade)
    render_rows<M, Bilin, Repeat, true>(a, im);
  else
    render_rows<M, Bilin, Repeat, false>(a, im);
}

}  // namespace

void render_band(const RenderBandArgs* args) {
  const RenderBandArgs a = *args;
  if (a.x1 <= a.x0 || a.y1 <= a.y0 || a.row_step < 1) return;
  const int32_t W = g_image_width, H = g_image_height;
  const Image im{g_source_pixels,
                 W,
                 H,
                 static_cast<float>(W - 1),
                 static_cast<float>(H - 1),
                 static_cast<float>(W > 2 ? W - 2 : 0),
                 static_cast<float>(H > 2 ? H - 2 : 0)};
  const bool shade = g_mask_shown != 0 && g_mask_bits != nullptr;
  const bool bilin = g_smoothing != 0;
  if (g_mask_shown == 0 && g_color_separation == 1) {
    if (bilin)
      render_rows<Mode::separated, true, true, false>(a, im);
    else
      render_rows<Mode::separated, false, true, false>(a, im);
    return;
  }
  const bool repeat = g_border_repeat != 0;
  if (bilin && repeat) render_shaded_or_not<Mode::plain, true, true>(a, im, shade);
  if (bilin && !repeat) render_shaded_or_not<Mode::plain, true, false>(a, im, shade);
  if (!bilin && repeat) render_shaded_or_not<Mode::plain, false, true>(a, im, shade);
  if (!bilin && !repeat) render_shaded_or_not<Mode::plain, false, false>(a, im, shade);
}
