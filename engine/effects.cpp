// The procedural effects. All arithmetic is in double; the amounts are added as floats.
#include "engine/effects.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/engine_host.h"
#include "engine/field.h"
#include "engine/field_commands.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"

namespace {

constexpr double ONE_SEVENTH = 1.0 / 7.0;
constexpr double ONE_NINTH = 1.0 / 9.0;

inline void add(int32_t x, int32_t y, double dx, double dy) {
  add_displacement(x, y, static_cast<float>(dx), static_cast<float>(dy));
}

// Brightness sum of rendered pixel (x, y) of a whole-image rendering.
inline int32_t rendered_sum(int32_t x, int32_t y) {
  const uint8_t* p = g_render_pixels + 4 * (static_cast<int64_t>(y) * g_image_width + x);
  return p[0] + p[1] + p[2];
}

// sign(s) * |s|^(1/8) / 7, the eighth root as three square roots.
double edge_amount(int32_t s) {
  if (s == 0) return 0.0;
  const double r = std::sqrt(std::sqrt(std::sqrt(std::fabs(static_cast<double>(s))))) * ONE_SEVENTH;
  return s < 0 ? -r : r;
}

// Second differences of sums of three channels lie in -1530..1530: one table serves all.
constexpr int32_t EDGE_MAX = 2 * 765;

// Second differences taken forwards, so column 0, row 0 and the last two of each stay.
void add_edge_sharpness() {
  std::vector<float> amount(2 * EDGE_MAX + 1);
  for (int32_t s = -EDGE_MAX; s <= EDGE_MAX; ++s) amount[s + EDGE_MAX] = static_cast<float>(edge_amount(s));
  for (int32_t y = 1; y <= g_image_height - 3; ++y)
    for (int32_t x = 1; x <= g_image_width - 3; ++x) {
      const int32_t s = rendered_sum(x, y);
      const int32_t h = s - 2 * rendered_sum(x + 1, y) + rendered_sum(x + 2, y);
      const int32_t g = s - 2 * rendered_sum(x, y + 1) + rendered_sum(x, y + 2);
      add_displacement(x, y, amount[h + EDGE_MAX], amount[g + EDGE_MAX]);
    }
}

void add_squares() {
  double root[9];
  for (uint32_t i = 0; i < 9; ++i) root[i] = std::sqrt(static_cast<double>(i));
  for (int32_t y = 1; y <= g_image_height - 3; ++y)
    for (int32_t x = 1; x <= g_image_width - 3; ++x)
      add(x, y, root[static_cast<uint32_t>(x) % 9u], root[static_cast<uint32_t>(y) % 9u]);
}

// The sine depends on one coordinate each, so one table per axis.
void add_sine() {
  std::vector<float> col(static_cast<size_t>(g_image_width)), row(static_cast<size_t>(g_image_height));
  for (int32_t x = 0; x < g_image_width; ++x) col[x] = static_cast<float>(3.0 * std::sin(x * ONE_NINTH));
  for (int32_t y = 0; y < g_image_height; ++y) row[y] = static_cast<float>(3.0 * std::sin(y * ONE_NINTH));
  for (int32_t y = 0; y < g_image_height; ++y)
    for (int32_t x = 0; x < g_image_width; ++x) add_displacement(x, y, col[x], row[y]);
}

// What a radial effect adds at one pixel; nothing where add is false.
struct Amount {
  double dx, dy;
  bool add;
};

// Runs a radial effect over every pixel but the centre. prepare(d, ux, uy) gets the
// distance d to the centre (W / 2, H / 2) and the unit vector (ux, uy) towards it, and
// returns at(ux, uy) -> Amount. The up to four pixels mirrored about the centre share d,
// and their unit vectors differ only in sign, exactly, so the costly part runs once for
// them all and at() only applies the signs.
template <typename Prepare>
void for_each_radial(Prepare&& prepare) {
  const int32_t W = g_image_width, H = g_image_height;
  const double cx = 0.5 * W, cy = 0.5 * H;
  auto emit = [](int32_t x, int32_t y, const Amount& a) {
    if (a.add) add(x, y, a.dx, a.dy);
  };
  for (int32_t y = 0; y <= H / 2 && y < H; ++y) {
    const int32_t ym = H - y;  // the row mirrored about cy
    const bool rows = ym < H && ym != y;
    const double v = cy - y;
    for (int32_t x = 0; x <= W / 2 && x < W; ++x) {
      const int32_t xm = W - x;
      const bool cols = xm < W && xm != x;
      const double u = cx - x;
      const double d = std::sqrt(u * u + v * v);
      if (d == 0.0) continue;
      const double ux = u / d, uy = v / d;
      const auto at = prepare(d, ux, uy);
      emit(x, y, at(ux, uy));
      if (cols) emit(xm, y, at(-ux, uy));
      if (rows) emit(x, ym, at(ux, -uy));
      if (cols && rows) emit(xm, ym, at(-ux, -uy));
    }
  }
}

// Half the diagonal: the distance from the centre to a corner.
double half_diagonal() {
  const double a = 0.5 * g_image_width, b = 0.5 * g_image_height;
  return std::sqrt(a * a + b * b);
}

void add_circles() {
  const double corner = half_diagonal();
  for_each_radial([corner](double d, double, double) {
    const double q = d / corner;
    const double w = 18.0 * std::sin(d / 3.0) * (0.9 * q * q + 0.1);
    return [w](double ux, double uy) { return Amount{w * uy, -w * ux, true}; };
  });
}

void add_waves() {
  for_each_radial([](double d, double, double) {
    const double a = -2.5 * std::sin(0.4 * d);
    return [a](double ux, double uy) { return Amount{a * ux, a * uy, true}; };
  });
}

// The sine's factor is +61 above the centre row and -61 elsewhere, so a pixel and its
// mirror across that row need one sine each.
void add_halo() {
  const double inner = 0.5 * half_diagonal();
  for_each_radial([inner](double d, double, double uy) {
    const bool ring = d >= inner;
    double m = 0, above = 0, below = 0;
    if (ring) {
      m = std::sqrt(d - inner);
      const double angle = std::asin(std::fabs(uy));
      above = std::sin(61.0 * angle);
      below = std::sin(-61.0 * angle);
    }
    return [=](double ux, double uy) {
      const double s = uy > 0 ? above : below;
      return Amount{s * m * ux, s * m * uy, ring};
    };
  });
}

}  // namespace

void add_effect(int effect) {
  switch (effect) {
    case EFFECT_EDGE_SHARPNESS: add_edge_sharpness(); break;
    case EFFECT_SQUARES: add_squares(); break;
    case EFFECT_CIRCLES: add_circles(); break;
    case EFFECT_WAVES: add_waves(); break;
    case EFFECT_SINE: add_sine(); break;
    case EFFECT_HALO: add_halo(); break;
    default: break;
  }
}

void apply_effect(MainWindowState& win, int effect) {
  if (effect < 0 || effect >= EFFECT_COUNT) return;
  EngineHost& host = engine_host();
  host.begin_wait_cursor();
  // Only edge sharpness reads the picture; the others would render it for nothing.
  if (effect == EFFECT_EDGE_SHARPNESS) render_region(win, 0, 0, g_image_width, g_image_height, 0);
  begin_field_edit();
  add_effect(effect);
  render_region(win, 0, 0, g_image_width, g_image_height, 0);
  host.refresh_current_thumbnail();
  host.end_wait_cursor();
}
