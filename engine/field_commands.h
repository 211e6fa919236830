// Whole-field commands: remove, invert, undo, scale, move and fix (bake) the distortions.
#pragma once

#include <cstdint>

#include "engine/main_window_state.h"

// Menu command ids of the commands here and of Undo's menu item.
constexpr int CMD_FIX_DISTORTIONS = 200;
constexpr int CMD_REMOVE_DISTORTIONS = 201;
constexpr int CMD_SCALE_DISTORTIONS = 204;
constexpr int CMD_UNDO = 205;
constexpr int CMD_MOVE_DISTORTIONS = 206;
constexpr int CMD_INVERT_DISTORTIONS = 208;

constexpr int MSG_FIX_QUESTION = 38;

// Scale dialog values: g_dlg_value1 goes in as SCALE_VALUE_UNCHANGED (100 percent) and
// comes back as 40 - slider position, the slider running from 1 to 39 (5 to 195 percent).
constexpr int SCALE_VALUE_UNCHANGED = 20;
constexpr int SCALE_SLIDER_MIN = 1;
constexpr int SCALE_SLIDER_MAX = 39;
constexpr int SCALE_VALUE_BASE = 40;

// What the scale and move dialogs hand to their commands: the scale value, or the
// shift (x, y) such that the pair at (x, y) becomes the old pair at (x + value1, y + value2).
extern int32_t g_dlg_value1;
extern int32_t g_dlg_value2;

// Each command changes the current field as a whole and leaves exactly that change
// in the undo delta, so Undo reverts it and a second Undo repeats it.
void remove_distortions(MainWindowState& win);
void invert_distortions(MainWindowState& win);
// Subtracts the undo delta and negates it: a second undo redoes.
void undo_last_change(MainWindowState& win);
void scale_distortions(MainWindowState& win);
void move_distortions(MainWindowState& win);
// Makes the rendering of the current field the new source image and restarts the key frames.
void fix_distortions(MainWindowState& win);

// Start of an undoable whole-field edit: marks the project modified, zeroes the
// undo delta and enables Undo.
void begin_field_edit();

// The field arithmetic of the commands above, without dialogs or rendering.
// Scale factor of a scale dialog value (clamped to the slider's range).
float scale_factor(int32_t dialog_value);
// Multiplies every writable pair by factor.
void scale_field(float factor);
// Every writable pair (x, y) becomes the old pair at (x + sx, y + sy), or (0, 0) where
// that lies outside the image; pairs the mask protects keep their values.
void move_field(int32_t sx, int32_t sy);
