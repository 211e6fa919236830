// Band renderer. One loop per option combination; the options are read once per band.
//
// The rendered bytes are defined by scalar arithmetic (float positions, double weights and
// sums, truncation) and must not change with speed. The vector loops (SSE2, the baseline of
// every build) do the very same IEEE operations in the same order, a lane of a packed
// operation rounding exactly like the scalar one; where a step is done differently (floor,
// the right-hand bilinear neighbour, nearest rounding, bilinear sums in float) a comment
// proves the result the same. The per-pixel loops state the rules plainly and serve the
// images the vector loops cannot.
#include "engine/render_band.h"

#include <emmintrin.h>

#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "engine/field.h"

uint8_t* g_source_pixels = nullptr;
uint8_t* g_render_pixels = nullptr;
int32_t g_smoothing = 0;
int32_t g_border_repeat = 0;
int32_t g_color_separation = 0;
int32_t g_mask_shown = 0;

namespace {

enum class Mode { plain, separated };

// Colour separation: red, green and blue sample at these multiples of the displacement.
constexpr double SCALE_RED = 1.2, SCALE_GREEN = 1.0, SCALE_BLUE = 0.85;

inline void set_bgr(uint8_t* out, uint32_t bgr) {
  const uint16_t blue_green = static_cast<uint16_t>(bgr);
  std::memcpy(out, &blue_green, 2);
  out[2] = static_cast<uint8_t>(bgr >> 16);
}

inline uint32_t get_pixel(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

// Each of blue, green and red shifted right by one bit.
inline uint32_t half_bgr(uint32_t bgr) { return (bgr >> 1) & 0x7f7f7fu; }

// ---------------------------------------------------------------------------------------------
// Per-pixel path, straight from the rules. Used for images under 2 or over 2^24 pixels wide or
// high (or of more than 2^29 pixels), where the vector path's shortcuts would not hold.

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
    copy_bgr(out, pixel_at(im, static_cast<int32_t>(std::floor(sx + 0.5)), static_cast<int32_t>(std::floor(sy + 0.5))));
  }
}

// One channel at x + scale * dx, always clamped to the edge.
template <bool Bilin>
inline uint8_t sample_channel(const Image& im, int32_t x, int32_t y, DisplacementPair d, double scale, int channel) {
  float sx = static_cast<float>(x + scale * d.dx);
  float sy = static_cast<float>(y + scale * d.dy);
  if (!clamp_position(im, sx, sy)) return 0;
  if (Bilin) return blend(bilinear_at(im, sx, sy), channel);
  return sample_nearest(im, sx, sy, channel);
}

template <bool Bilin>
inline void sample_separated(const Image& im, int32_t x, int32_t y, DisplacementPair d, uint8_t* out) {
  out[2] = sample_channel<Bilin>(im, x, y, d, SCALE_RED, 2);
  out[1] = sample_channel<Bilin>(im, x, y, d, SCALE_GREEN, 1);
  out[0] = sample_channel<Bilin>(im, x, y, d, SCALE_BLUE, 0);
}

template <Mode M, bool Bilin, bool Repeat, bool Shade>
void render_rows_per_pixel(const RenderBandArgs& a, const Image& im) {
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

// ---------------------------------------------------------------------------------------------
// Vector path for images of 2 to 2^24 pixels in each direction. Vectors of positions hold
// [xA, yA, xB, yB] for pixels A and B; results hold A's and B's blue, green, red (and a fourth
// byte that is never stored) in 32-bit lanes 0 and 1, or A to D's in all four lanes. Bilinear
// pixels go four at a time through float arithmetic where that is proven safe, else two at a
// time through the double arithmetic itself.
//
// Why the shortcuts hold: a position that is sampled lies in [0, W - 1) x [0, H - 1) or on the
// clamp (W - 2, H - 2), so it is not negative (or is -0) and below 2^24. There truncation is
// floor, and floor(s) <= W - 2, so the pixel right of and below floor(s) exists.

struct Frame {
  const uint8_t* pixels;
  ptrdiff_t stride;  // bytes per source row
  __m128i width;     // W in both 64-bit lanes
  __m128 last;       // W - 1, H - 1, W - 1, H - 1: positions at or beyond are outside
  __m128 clamp;      // W - 2, H - 2, W - 2, H - 2
};

// The source pixels at the integer positions [xA, yA, xB, yB].
inline void pixel_pointers(const Frame& f, __m128i xy, const uint8_t*& a, const uint8_t*& b) {
  const __m128i rows = _mm_mul_epu32(_mm_shuffle_epi32(xy, _MM_SHUFFLE(3, 3, 1, 1)), f.width);
  const __m128i index = _mm_add_epi64(rows, _mm_and_si128(xy, _mm_setr_epi32(-1, 0, -1, 0)));
  a = f.pixels + 4 * static_cast<ptrdiff_t>(static_cast<uint32_t>(_mm_cvtsi128_si32(index)));
  b = f.pixels + 4 * static_cast<ptrdiff_t>(static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(index, index))));
}

// With a smooth field a row's samples drift along source rows that the previous output row read
// a little to one side, so most source lines a row needs first are neighbours of lines read one
// row earlier. Asking for both neighbours of what is read now fetches them a whole output row
// before they are needed; the processor's own prefetchers do not follow this pattern.
inline void prefetch_neighbour_lines(const uint8_t* p) {
  const uintptr_t a = reinterpret_cast<uintptr_t>(p);
  _mm_prefetch(reinterpret_cast<const char*>(a - 64), _MM_HINT_T0);
  _mm_prefetch(reinterpret_cast<const char*>(a + 64), _MM_HINT_T0);
}

// Two adjacent source pixels at p as 32-bit lanes 0 and 1.
inline __m128i load_two(const uint8_t* p) { return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)); }

inline __m128i load_one(const uint8_t* p) { return _mm_cvtsi32_si128(static_cast<int>(get_pixel(p))); }

// All bits of lanes 0 and 1 from the per-coordinate mask m (lanes 0 and 2 speak for A and B).
inline __m128i pixel_lanes(__m128 m) { return _mm_shuffle_epi32(_mm_castps_si128(m), _MM_SHUFFLE(2, 2, 2, 0)); }

// A coordinate mask that holds only where both coordinates of its pixel hold.
inline __m128 both_coordinates(__m128 m) { return _mm_and_ps(m, _mm_shuffle_ps(m, m, _MM_SHUFFLE(2, 3, 0, 1))); }

inline __m128 select_ps(__m128 m, __m128 yes, __m128 no) { return _mm_or_ps(_mm_and_ps(m, yes), _mm_andnot_ps(m, no)); }

// Coordinates in [0, W - 1) x [0, H - 1): bits 0-3 of the result, one per lane. NaN is outside.
inline int inside_mask(const Frame& f, __m128 pos) {
  return _mm_movemask_ps(_mm_and_ps(_mm_cmpge_ps(pos, _mm_setzero_ps()), _mm_cmplt_ps(pos, f.last)));
}

// Clamps positions as border repeat does (0 ... W - 2, 0 ... H - 2). NaN becomes 0 here and is
// told apart by the caller. -0 becomes +0, which samples the same column.
inline __m128 clamp_positions(const Frame& f, __m128 pos) {
  pos = _mm_max_ps(pos, _mm_setzero_ps());
  return select_ps(_mm_cmpge_ps(pos, f.last), f.clamp, pos);
}

// Nearest source pixels. floor(s + 0.5) in double equals trunc(s) + (frac(s) >= 0.5) for a float
// s >= 0: from s >= 0.5 on, s + 0.5 is exact in double; below, s <= 0.5 - 2^-25 and the rounded
// sum stays below 1. frac(s) = s - trunc(s) is exact in float.
inline __m128i nearest_pair(const Frame& f, __m128 pos) {
  __m128i i = _mm_cvttps_epi32(pos);
  const __m128 frac = _mm_sub_ps(pos, _mm_cvtepi32_ps(i));
  i = _mm_sub_epi32(i, _mm_castps_si128(_mm_cmpge_ps(frac, _mm_set1_ps(0.5f))));
  const uint8_t *a, *b;
  pixel_pointers(f, i, a, b);
  prefetch_neighbour_lines(a);
  return _mm_unpacklo_epi32(load_one(a), load_one(b));
}

struct Weights {
  __m128d w00, w10, w01, w11;  // each [A, B]
};

// One channel's weighted sum w00 p00 + w10 p10 + w01 p01 + w11 p11, added in that order, then
// truncated toward zero; top holds [A00 B00 A10 B10], bottom [A01 B01 A11 B11].
template <int Shift>
inline __m128i blend_channel(const Weights& w, __m128i top, __m128i bottom) {
  const __m128i byte = _mm_set1_epi32(0xff);
  const __m128i t = _mm_and_si128(_mm_srli_epi32(top, Shift), byte);
  const __m128i b = _mm_and_si128(_mm_srli_epi32(bottom, Shift), byte);
  __m128d s =
      _mm_add_pd(_mm_mul_pd(w.w00, _mm_cvtepi32_pd(t)), _mm_mul_pd(w.w10, _mm_cvtepi32_pd(_mm_unpackhi_epi64(t, t))));
  s = _mm_add_pd(s, _mm_mul_pd(w.w01, _mm_cvtepi32_pd(b)));
  s = _mm_add_pd(s, _mm_mul_pd(w.w11, _mm_cvtepi32_pd(_mm_unpackhi_epi64(b, b))));
  return _mm_slli_epi32(_mm_cvttpd_epi32(s), Shift);
}

// Bilinear samples of the channels in Channels (bit c: byte c). The right-hand and lower
// neighbours are always read at floor + 1: where ceil(s) = floor(s) the fraction is 0, so their
// weights are exactly 0 and their products add +0, whichever pixel they are.
template <int Channels>
inline __m128i bilinear_pair(const Frame& f, __m128 pos) {
  const __m128i low = _mm_cvttps_epi32(pos);
  const uint8_t *pa, *pb;
  pixel_pointers(f, low, pa, pb);
  const __m128i top = _mm_unpacklo_epi32(load_two(pa), load_two(pb));
  const __m128i bottom = _mm_unpacklo_epi32(load_two(pa + f.stride), load_two(pb + f.stride));
  prefetch_neighbour_lines(pa);
  prefetch_neighbour_lines(pa + f.stride);

  const __m128 frac = _mm_sub_ps(pos, _mm_cvtepi32_ps(low));              // s - floor(s): exact in float
  const __m128 fr = _mm_shuffle_ps(frac, frac, _MM_SHUFFLE(3, 1, 2, 0));  // [fxA, fxB, fyA, fyB]
  const __m128d fx = _mm_cvtps_pd(fr), fy = _mm_cvtps_pd(_mm_movehl_ps(fr, fr));
  const __m128d one = _mm_set1_pd(1.0);
  const __m128d gx = _mm_sub_pd(one, fx), gy = _mm_sub_pd(one, fy);
  const Weights w{_mm_mul_pd(gx, gy), _mm_mul_pd(fx, gy), _mm_mul_pd(gx, fy), _mm_mul_pd(fx, fy)};

  __m128i out = _mm_setzero_si128();
  if (Channels & 1) out = _mm_or_si128(out, blend_channel<0>(w, top, bottom));
  if (Channels & 2) out = _mm_or_si128(out, blend_channel<8>(w, top, bottom));
  if (Channels & 4) out = _mm_or_si128(out, blend_channel<16>(w, top, bottom));
  return out;
}

// Bilinear in float, four pixels at a time, with a proof that it truncates as the double sums do,
// or a refusal. Let V be the exact sum with the exact weights (1 - fx)(1 - fy), fx(1 - fy), ...
// (fx, fy are exact in both paths); they add up to 1, so 0 <= V <= 255. Every float operation
// rounds with a relative error of at most u = 2^-24 and every value is positive, so each term
// carries the errors of the operations it went through: 1 - fx, 1 - fy, the weight, the product
// and the three, three, two and one sums it took part in, at most 7 in all. Hence
// |s' - V| <= 7.01 u V < 1.07e-4, and the double sum s has |s - V| < 7.01 * 2^-53 * 255 < 2^-44,
// so |s' - s| < 2^-13. (Scaling a channel by 2^8 or 2^16 changes no relative error; underflow of
// tiny weights adds less than 2^-140.) When frac(s') lies in [2^-12, 1 - 2^-12), s lies strictly
// between the same two integers as s' and both truncate alike. floor(s' * 2^12), exact, tells.
struct FloatWeights {
  __m128 w00, w10, w01, w11;  // each [A, B, C, D]
};

// One channel of four pixels: floor(s' * 2^12), the taps holding [A B C D] source pixels. The
// channel's byte is masked in place, so it counts 2^Shift times; one exact rescaling undoes that.
template <int Shift>
inline __m128i float_sum(const FloatWeights& w, const __m128i (&tap)[4]) {
  const __m128i byte = _mm_set1_epi32(0xff << Shift);
  __m128 v[4];
  for (int t = 0; t < 4; ++t) v[t] = _mm_cvtepi32_ps(_mm_and_si128(tap[t], byte));
  __m128 s = _mm_add_ps(_mm_mul_ps(w.w00, v[0]), _mm_mul_ps(w.w10, v[1]));
  s = _mm_add_ps(s, _mm_mul_ps(w.w01, v[2]));
  s = _mm_add_ps(s, _mm_mul_ps(w.w11, v[3]));
  return _mm_cvttps_epi32(_mm_mul_ps(s, _mm_set1_ps(4096.0f / (1 << Shift))));
}

// The channel's byte, in place, from floor(s' * 2^12).
template <int Shift>
inline __m128i channel_bits(__m128i k) {
  return Shift >= 12 ? _mm_slli_epi32(_mm_srli_epi32(k, 12), Shift)
                     : _mm_and_si128(_mm_srli_epi32(k, 12 - Shift), _mm_set1_epi32(0xff << Shift));
}

// 0 where the fraction of s' is below 2^-12 or from 1 - 2^-12 on, else positive (under 4096).
inline __m128i edge_distance(__m128i k) {
  return _mm_and_si128(_mm_add_epi32(k, _mm_set1_epi32(1)), _mm_set1_epi32(0xffe));
}

// Two kinds of sums are known exactly without the double arithmetic, and they are the ones that
// land on integers most (flat image areas, whole-pixel shifts). At fx = fy = 0 the double sum is
// 1 * p00 + 0 + 0 + 0 = p00. With four equal taps p and fx = X * 2^-23, fy = Y * 2^-23 (so for
// every position from 1 on) it is exactly p. In units of 2^-46, with T = 2^23, the weights are
// the integers (T-X)(T-Y), X(T-Y), (T-X)Y, XY, all four products p times them are odd or all
// even, and values round only from 2^53 on, an odd one to its neighbour that is a multiple of 4
// (ties to even). The two products of a row are then opposite mod 4, so their roundings cancel;
// a lone rounding leaves one unit beside an exact sum that is a multiple of 4 (pT(T-Y) after
// the first addition, pT^2 after the last), a tie that goes back to it. Case by case, the value
// before the last rounding is pT^2 or one unit beside it, and the result is pT^2, that is p.
//
// Replaces the channel where s' was too close to an integer by these sums; false if some such
// lane is not one of them.
template <int Shift>
inline bool settle_channel(__m128i k, const __m128i (&tap)[4], __m128i exact_fractions, __m128i on_pixel,
                           __m128i& out) {
  const __m128i byte = _mm_set1_epi32(0xff << Shift);
  const __m128i unsure = _mm_cmpeq_epi32(edge_distance(k), _mm_setzero_si128());
  const __m128i p00 = _mm_and_si128(tap[0], byte);
  const __m128i flat = _mm_and_si128(_mm_and_si128(_mm_cmpeq_epi32(p00, _mm_and_si128(tap[1], byte)),
                                                   _mm_cmpeq_epi32(p00, _mm_and_si128(tap[2], byte))),
                                     _mm_cmpeq_epi32(p00, _mm_and_si128(tap[3], byte)));
  const __m128i known = _mm_or_si128(_mm_and_si128(flat, exact_fractions), on_pixel);
  if (_mm_movemask_epi8(_mm_andnot_si128(known, unsure)) != 0) return false;
  const __m128i replace = _mm_and_si128(unsure, byte);
  out = _mm_or_si128(_mm_andnot_si128(replace, out), _mm_and_si128(unsure, p00));
  return true;
}

// The channels in Channels (bit c: byte c) of pixels A, B at pos_ab and C, D at pos_cd, all
// positions inside; false where the float sums cannot be trusted (out is then undefined). The tap
// addresses are left to the scalar units, which the vector work leaves idle.
template <int Channels>
inline bool bilinear_quad_float(const Frame& f, __m128 pos_ab, __m128 pos_cd, __m128i& out) {
  const __m128i low_ab = _mm_cvttps_epi32(pos_ab), low_cd = _mm_cvttps_epi32(pos_cd);
  alignas(16) int32_t xy[8];
  _mm_store_si128(reinterpret_cast<__m128i*>(xy), low_ab);
  _mm_store_si128(reinterpret_cast<__m128i*>(xy + 4), low_cd);
  const uint8_t* p[4];
  for (int i = 0; i < 4; ++i) p[i] = f.pixels + xy[2 * i + 1] * f.stride + 4 * static_cast<ptrdiff_t>(xy[2 * i]);
  const __m128i top_ab = _mm_unpacklo_epi32(load_two(p[0]), load_two(p[1]));
  const __m128i top_cd = _mm_unpacklo_epi32(load_two(p[2]), load_two(p[3]));
  const __m128i bottom_ab = _mm_unpacklo_epi32(load_two(p[0] + f.stride), load_two(p[1] + f.stride));
  const __m128i bottom_cd = _mm_unpacklo_epi32(load_two(p[2] + f.stride), load_two(p[3] + f.stride));
  prefetch_neighbour_lines(p[0]);
  prefetch_neighbour_lines(p[0] + f.stride);
  const __m128i tap[4] = {_mm_unpacklo_epi64(top_ab, top_cd), _mm_unpackhi_epi64(top_ab, top_cd),
                          _mm_unpacklo_epi64(bottom_ab, bottom_cd), _mm_unpackhi_epi64(bottom_ab, bottom_cd)};

  const __m128 frac_ab = _mm_sub_ps(pos_ab, _mm_cvtepi32_ps(low_ab));
  const __m128 frac_cd = _mm_sub_ps(pos_cd, _mm_cvtepi32_ps(low_cd));
  const __m128 fx = _mm_shuffle_ps(frac_ab, frac_cd, _MM_SHUFFLE(2, 0, 2, 0));
  const __m128 fy = _mm_shuffle_ps(frac_ab, frac_cd, _MM_SHUFFLE(3, 1, 3, 1));
  const __m128 one = _mm_set1_ps(1.0f);
  const __m128 gx = _mm_sub_ps(one, fx), gy = _mm_sub_ps(one, fy);
  const FloatWeights w{_mm_mul_ps(gx, gy), _mm_mul_ps(fx, gy), _mm_mul_ps(gx, fy), _mm_mul_ps(fx, fy)};

  const __m128i zero = _mm_setzero_si128();
  const __m128i k_blue = Channels & 1 ? float_sum<0>(w, tap) : zero;
  const __m128i k_green = Channels & 2 ? float_sum<8>(w, tap) : zero;
  const __m128i k_red = Channels & 4 ? float_sum<16>(w, tap) : zero;
  out = zero;
  __m128i edge = _mm_set1_epi32(0xffe);  // the smallest edge distance, in 16-bit halves that hold it whole
  if (Channels & 1) {
    out = _mm_or_si128(out, channel_bits<0>(k_blue));
    edge = _mm_min_epi16(edge, edge_distance(k_blue));
  }
  if (Channels & 2) {
    out = _mm_or_si128(out, channel_bits<8>(k_green));
    edge = _mm_min_epi16(edge, edge_distance(k_green));
  }
  if (Channels & 4) {
    out = _mm_or_si128(out, channel_bits<16>(k_red));
    edge = _mm_min_epi16(edge, edge_distance(k_red));
  }
  if (_mm_movemask_ps(_mm_castsi128_ps(_mm_sub_epi32(edge, _mm_set1_epi32(1)))) == 0) return true;

  // fx * 2^23 and fy * 2^23 whole numbers (exact scalings; below 2^23, so converted exactly)
  const __m128 sx = _mm_mul_ps(fx, _mm_set1_ps(0x1p23f)), sy = _mm_mul_ps(fy, _mm_set1_ps(0x1p23f));
  const __m128i exact_fractions = _mm_castps_si128(_mm_and_ps(_mm_cmpeq_ps(_mm_cvtepi32_ps(_mm_cvttps_epi32(sx)), sx),
                                                              _mm_cmpeq_ps(_mm_cvtepi32_ps(_mm_cvttps_epi32(sy)), sy)));
  const __m128i on_pixel =
      _mm_castps_si128(_mm_and_ps(_mm_cmpeq_ps(fx, _mm_setzero_ps()), _mm_cmpeq_ps(fy, _mm_setzero_ps())));
  return (!(Channels & 1) || settle_channel<0>(k_blue, tap, exact_fractions, on_pixel, out)) &&
         (!(Channels & 2) || settle_channel<8>(k_green, tap, exact_fractions, on_pixel, out)) &&
         (!(Channels & 4) || settle_channel<16>(k_red, tap, exact_fractions, on_pixel, out));
}

template <bool Bilin>
inline __m128i sample_pair(const Frame& f, __m128 pos) {
  return Bilin ? bilinear_pair<7>(f, pos) : nearest_pair(f, pos);
}

// Plain sampling at any positions: pixels outside (border off) or at NaN are black.
template <bool Bilin, bool Repeat>
inline __m128i plain_pair(const Frame& f, __m128 pos) {
  __m128 ok;
  if (Repeat) {
    ok = _mm_cmpord_ps(pos, pos);
    pos = clamp_positions(f, pos);
  } else {
    ok = _mm_and_ps(_mm_cmpge_ps(pos, _mm_setzero_ps()), _mm_cmplt_ps(pos, f.last));
  }
  ok = both_coordinates(ok);
  pos = _mm_and_ps(pos, ok);  // a black pixel samples (0, 0), harmlessly
  return _mm_and_si128(sample_pair<Bilin>(f, pos), pixel_lanes(ok));
}

// Colour separation: each channel's positions xy + scale * d, in double, rounded to float.
struct SeparatedPositions {
  __m128 red, green, blue;
};

inline SeparatedPositions separated_positions(__m128 d, __m128 xy) {
  const __m128d d_a = _mm_cvtps_pd(d), d_b = _mm_cvtps_pd(_mm_movehl_ps(d, d));
  const __m128d xy_a = _mm_cvtps_pd(xy), xy_b = _mm_cvtps_pd(_mm_movehl_ps(xy, xy));
  auto at = [&](double scale) {
    const __m128d s = _mm_set1_pd(scale);
    return _mm_movelh_ps(_mm_cvtpd_ps(_mm_add_pd(xy_a, _mm_mul_pd(s, d_a))),
                         _mm_cvtpd_ps(_mm_add_pd(xy_b, _mm_mul_pd(s, d_b))));
  };
  return {at(SCALE_RED), at(SCALE_GREEN), at(SCALE_BLUE)};
}

inline bool all_inside(const Frame& f, const SeparatedPositions& p) {
  return (inside_mask(f, p.red) & inside_mask(f, p.green) & inside_mask(f, p.blue)) == 15;
}

// One channel of colour separation; unless Inside, the positions are clamped and NaN gives 0.
template <int Channel, bool Bilin, bool Inside>
inline __m128i separated_channel(const Frame& f, __m128 pos) {
  __m128 ok;
  if (!Inside) {
    ok = both_coordinates(_mm_cmpord_ps(pos, pos));
    pos = _mm_and_ps(clamp_positions(f, pos), ok);
  }
  __m128i px;
  if (Bilin)
    px = bilinear_pair<1 << Channel>(f, pos);
  else
    px = _mm_and_si128(nearest_pair(f, pos), _mm_set1_epi32(0xff << (8 * Channel)));
  return Inside ? px : _mm_and_si128(px, pixel_lanes(ok));
}

// Pixels A and B at xy ([xA, yA, xB, yB], exact floats) with displacements d ([dxA, dyA, dxB,
// dyB]); self points to the source pixel at A, which a zero pair copies (B follows it unless
// the pair is one pixel twice).
template <Mode M, bool Bilin, bool Repeat, bool Twice>
inline __m128i render_pair(const Frame& f, __m128 d, __m128 xy, const uint8_t* self) {
  const int zero = _mm_movemask_ps(_mm_cmpeq_ps(d, _mm_setzero_ps()));  // -0 compares equal too
  const int zero_pixels = zero & (zero >> 1) & 5;                       // bit 0: A, bit 2: B
  __m128i px;
  if (M == Mode::plain) {
    const __m128 pos = _mm_add_ps(xy, d);
    // The common case: no zero pair, every position inside (so border repeat clamps nothing).
    if (zero_pixels == 0 && inside_mask(f, pos) == 15) return sample_pair<Bilin>(f, pos);
    if (zero == 15) return Twice ? _mm_set1_epi32(static_cast<int>(get_pixel(self))) : load_two(self);
    px = plain_pair<Bilin, Repeat>(f, pos);
  } else {
    const SeparatedPositions p = separated_positions(d, xy);
    const __m128 red = p.red, green = p.green, blue = p.blue;
    if (zero_pixels == 0 && all_inside(f, p))
      return _mm_or_si128(
          _mm_or_si128(separated_channel<2, Bilin, true>(f, red), separated_channel<1, Bilin, true>(f, green)),
          separated_channel<0, Bilin, true>(f, blue));
    if (zero == 15) return Twice ? _mm_set1_epi32(static_cast<int>(get_pixel(self))) : load_two(self);
    px = _mm_or_si128(
        _mm_or_si128(separated_channel<2, Bilin, false>(f, red), separated_channel<1, Bilin, false>(f, green)),
        separated_channel<0, Bilin, false>(f, blue));
  }
  if (zero_pixels == 0) return px;
  const __m128i here = Twice ? _mm_set1_epi32(static_cast<int>(get_pixel(self))) : load_two(self);
  const __m128i keep = _mm_setr_epi32(zero_pixels & 1 ? -1 : 0, zero_pixels & 4 ? -1 : 0, 0, 0);
  return _mm_or_si128(_mm_and_si128(keep, here), _mm_andnot_si128(keep, px));
}

// Four bilinear pixels by the float path where it applies: no zero pair, every position inside
// (so border repeat clamps nothing) and sums that are safely away from integers.
template <Mode M>
inline bool quad_float(const Frame& f, __m128 d_ab, __m128 d_cd, __m128 xy_ab, __m128 xy_cd, int zero, __m128i& out) {
  if ((zero & (zero >> 1) & 0x55) != 0) return false;
  if (M == Mode::plain) {
    const __m128 pos_ab = _mm_add_ps(xy_ab, d_ab), pos_cd = _mm_add_ps(xy_cd, d_cd);
    return (inside_mask(f, pos_ab) & inside_mask(f, pos_cd)) == 15 && bilinear_quad_float<7>(f, pos_ab, pos_cd, out);
  }
  const SeparatedPositions ab = separated_positions(d_ab, xy_ab), cd = separated_positions(d_cd, xy_cd);
  if (!all_inside(f, ab) || !all_inside(f, cd)) return false;
  __m128i red, green, blue;
  if (!bilinear_quad_float<4>(f, ab.red, cd.red, red) || !bilinear_quad_float<2>(f, ab.green, cd.green, green) ||
      !bilinear_quad_float<1>(f, ab.blue, cd.blue, blue))
    return false;
  out = _mm_or_si128(_mm_or_si128(red, green), blue);
  return true;
}

template <Mode M, bool Bilin, bool Repeat, bool Shade>
void render_rows_paired(const RenderBandArgs& a, const Frame& f, int32_t W) {
  const int32_t w = a.x1 - a.x0, h = a.y1 - a.y0;
  const DisplacementField* field = g_current_field;
  for (int32_t r = a.first_row; r < h; r += a.row_step) {
    const int32_t y = a.y0 + r;
    const int64_t row_index = static_cast<int64_t>(y) * W;
    const float* row = reinterpret_cast<const float*>(field + row_index);
    const uint8_t* src = f.pixels + y * f.stride;
    uint8_t* out = g_render_pixels + 4 * static_cast<int64_t>(r) * w;
    auto shade = [&](uint32_t px, int32_t x) {
      const int64_t i = row_index + x;
      return (g_mask_bits[i >> 3] >> (i & 7)) & 1 ? px : half_bgr(px);
    };
    const auto fy = static_cast<float>(y);
    int32_t x = a.x0;
    __m128 xy = _mm_setr_ps(static_cast<float>(x), fy, static_cast<float>(x + 1), fy);
    auto put = [&](__m128i px, int32_t n) {  // the first n pixels of px at x, x + 1, ...
      alignas(16) uint32_t v[4];
      _mm_store_si128(reinterpret_cast<__m128i*>(v), px);
      for (int32_t i = 0; i < n; ++i) set_bgr(out + 4 * i, Shade ? shade(v[i], x + i) : v[i]);
    };
    if (Bilin) {
      for (; x + 3 < a.x1; x += 4, out += 16) {
        const __m128 d_ab = _mm_loadu_ps(row + 2 * x), d_cd = _mm_loadu_ps(row + 2 * x + 4);
        const __m128 xy_cd = _mm_add_ps(xy, _mm_setr_ps(2, 0, 2, 0));
        const int zero = _mm_movemask_ps(_mm_cmpeq_ps(d_ab, _mm_setzero_ps())) |
                         _mm_movemask_ps(_mm_cmpeq_ps(d_cd, _mm_setzero_ps())) << 4;
        __m128i px;
        if (!quad_float<M>(f, d_ab, d_cd, xy, xy_cd, zero, px)) {
          px = _mm_unpacklo_epi64(render_pair<M, Bilin, Repeat, false>(f, d_ab, xy, src + 4 * x),
                                  render_pair<M, Bilin, Repeat, false>(f, d_cd, xy_cd, src + 4 * x + 8));
        }
        put(px, 4);
        xy = _mm_add_ps(xy, _mm_setr_ps(4, 0, 4, 0));
      }
    }
    for (; x + 1 < a.x1; x += 2, out += 8) {
      put(render_pair<M, Bilin, Repeat, false>(f, _mm_loadu_ps(row + 2 * x), xy, src + 4 * x), 2);
      xy = _mm_add_ps(xy, _mm_setr_ps(2, 0, 2, 0));
    }
    if (x < a.x1) {  // the last pixel of an odd row, sampled twice
      const __m128i pair = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + 2 * x));
      const __m128 d = _mm_castsi128_ps(_mm_unpacklo_epi64(pair, pair));
      const auto fx = static_cast<float>(x);
      put(render_pair<M, Bilin, Repeat, true>(f, d, _mm_setr_ps(fx, fy, fx, fy), src + 4 * x), 1);
    }
  }
}

// ---------------------------------------------------------------------------------------------

template <Mode M, bool Bilin, bool Repeat, bool Shade>
void render_rows(const RenderBandArgs& a, const Image& im) {
  // Floats hold every coordinate exactly, and 32 bits every byte offset into the source.
  constexpr int32_t SIDE_MAX = 1 << 24;
  if (im.w < 2 || im.h < 2 || im.w > SIDE_MAX || im.h > SIDE_MAX || static_cast<int64_t>(im.w) * im.h > INT32_MAX / 4)
    return render_rows_per_pixel<M, Bilin, Repeat, Shade>(a, im);
  const Frame f{im.pixels, 4 * static_cast<ptrdiff_t>(im.w), _mm_set1_epi64x(im.w),
                _mm_setr_ps(im.last_x, im.last_y, im.last_x, im.last_y),
                _mm_setr_ps(im.clamp_x, im.clamp_y, im.clamp_x, im.clamp_y)};
  render_rows_paired<M, Bilin, Repeat, Shade>(a, f, im.w);
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
