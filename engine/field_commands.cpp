// Whole-field commands. Remove, invert and undo work on every pair and ignore the mask;
// scale and move honour it, as strokes do.
#include "engine/field_commands.h"

#include <algorithm>
#include <cstring>

#include "engine/brush_kernels.h"
#include "engine/edit_state.h"
#include "engine/engine_host.h"
#include "engine/field.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"

int32_t g_dlg_value1 = 0;
int32_t g_dlg_value2 = 0;

namespace {

// The 2 * W * H floats of a field.
int64_t field_floats() { return 2 * static_cast<int64_t>(g_image_width) * g_image_height; }

float* floats_of(DisplacementField* field) { return &field->dx; }

void render_whole_image(MainWindowState& win, int32_t wait_cursor) {
  render_region(win, 0, 0, g_image_width, g_image_height, wait_cursor);
}

inline bool writable(int32_t x, int32_t y) { return !g_mask_applied || mask_bit(x, y); }

}  // namespace

void begin_field_edit() {
  g_project_modified = 1;
  clear_field(g_undo_field);
  engine_host().enable_menu_item(CMD_UNDO, true);
}

void remove_distortions(MainWindowState& win) {
  EngineHost& host = engine_host();
  begin_field_edit();
  float* cur = floats_of(g_current_field);
  float* undo = floats_of(g_undo_field);
  const int64_t n = field_floats();
  for (int64_t i = 0; i < n; ++i) undo[i] = -cur[i];
  clear_field(g_current_field);
  // A zero field shows the source as it is; no render needed. The render buffer still
  // holds the old field's picture, so it must not pass for a rendering of this one.
  forget_rendered_region();
  host.show_source_image();
  host.refresh_current_thumbnail();
  host.invalidate_main_window();
}

void invert_distortions(MainWindowState& win) {
  EngineHost& host = engine_host();
  begin_field_edit();
  float* cur = floats_of(g_current_field);
  float* undo = floats_of(g_undo_field);
  const int64_t n = field_floats();
  for (int64_t i = 0; i < n; ++i) {
    undo[i] = -(2.0f * cur[i]);
    cur[i] = -cur[i];
  }
  render_whole_image(win, 1);
  host.invalidate_main_window();
  host.refresh_current_thumbnail();
}

void undo_last_change(MainWindowState& win) {
  float* cur = floats_of(g_current_field);
  float* undo = floats_of(g_undo_field);
  const int64_t n = field_floats();
  for (int64_t i = 0; i < n; ++i) {
    cur[i] -= undo[i];
    undo[i] = -undo[i];
  }
  render_whole_image(win, 1);
  engine_host().refresh_current_thumbnail();
}

float scale_factor(int32_t dialog_value) {
  const int64_t v = std::clamp<int64_t>(int64_t{SCALE_VALUE_BASE} - dialog_value, SCALE_SLIDER_MIN, SCALE_SLIDER_MAX);
  return static_cast<float>(v * 5) * 0.01f;
}

void scale_field(float factor) {
  for (int32_t y = 0; y < g_image_height; ++y)
    for (int32_t x = 0; x < g_image_width; ++x) scale_displacement(x, y, factor, 0.0f);
}

void scale_distortions(MainWindowState& win) {
  EngineHost& host = engine_host();
  g_dlg_value1 = SCALE_VALUE_UNCHANGED;
  if (!host.run_field_dialog(FieldDialog::scale) || g_dlg_value1 == SCALE_VALUE_UNCHANGED) return;
  const float factor = scale_factor(g_dlg_value1);
  host.begin_wait_cursor();
  begin_field_edit();
  scale_field(factor);
  host.end_wait_cursor();
  render_whole_image(win, 1);
  host.refresh_current_thumbnail();
}

// Visiting the pixels in the direction of the shift reads every source pair before
// it is overwritten, so the move needs no second buffer.
void move_field(int32_t sx, int32_t sy) {
  const int32_t W = g_image_width, H = g_image_height;
  if (W <= 0 || H <= 0) return;
  // A shift of a whole side or more clears everything: no larger one is needed, and
  // x + sx can no longer overflow.
  sx = std::clamp(sx, -W, W);
  sy = std::clamp(sy, -H, H);
  const int32_t y_step = sy > 0 ? 1 : -1, x_step = sx > 0 ? 1 : -1;
  for (int32_t n = 0, y = sy > 0 ? 0 : H - 1; n < H; ++n, y += y_step) {
    const int32_t ys = y + sy;
    DisplacementPair* cur = g_current_field + static_cast<int64_t>(y) * W;
    DisplacementPair* undo = g_undo_field + static_cast<int64_t>(y) * W;
    const DisplacementPair* src = ys >= 0 && ys < H ? g_current_field + static_cast<int64_t>(ys) * W : nullptr;
    for (int32_t m = 0, x = sx > 0 ? 0 : W - 1; m < W; ++m, x += x_step) {
      if (!writable(x, y)) continue;
      const int32_t xs = x + sx;
      // Outside the image there is nothing to bring in: the vacated band becomes zero.
      const DisplacementPair b = src && xs >= 0 && xs < W ? src[xs] : DisplacementPair{0.0f, 0.0f};
      const DisplacementPair a = cur[x];
      undo[x].dx = static_cast<float>(static_cast<double>(undo[x].dx) + (static_cast<double>(b.dx) - a.dx));
      undo[x].dy = static_cast<float>(static_cast<double>(undo[x].dy) + (static_cast<double>(b.dy) - a.dy));
      cur[x] = b;
    }
  }
}

void move_distortions(MainWindowState& win) {
  EngineHost& host = engine_host();
  g_dlg_value1 = 0;
  g_dlg_value2 = 0;
  if (!host.run_field_dialog(FieldDialog::move)) return;
  const int32_t sx = g_dlg_value1, sy = g_dlg_value2;
  if (sx == 0 && sy == 0) return;
  host.begin_wait_cursor();
  begin_field_edit();
  move_field(sx, sy);
  host.end_wait_cursor();
  render_whole_image(win, 1);
  host.refresh_current_thumbnail();
}

void fix_distortions(MainWindowState& win) {
  EngineHost& host = engine_host();
  if (g_mask_shown) {
    g_current_tool = TOOL_NONE;
    g_tool_mode = TOOL_MODE_NONE;
    host.notify_tool_windows();
    hide_mask_overlay(win);
  }
  if (host.show_message(MSG_FIX_QUESTION, MessageKind::info_ok_cancel) != MessageAnswer::ok) return;
  g_project_modified = 1;
  host.enable_menu_item(CMD_UNDO, false);
  clear_field(g_undo_field);
  // The render buffer may hold an older picture (after remove, or of a previous image
  // of the same size) or only a brush square: bake a fresh rendering of the field.
  render_whole_image(win, 1);
  const uint64_t bytes = static_cast<uint64_t>(g_image_width) * static_cast<uint64_t>(g_image_height) * 4 + 100;
  std::memcpy(g_source_pixels, g_render_pixels, static_cast<size_t>(bytes));
  clear_field(g_current_field);
  host.restart_key_frames();
}
