// The six procedural effects of the distortions' "Effekte" menu.
#pragma once

#include "engine/main_window_state.h"

// Menu command of effect i is CMD_EFFECT_FIRST + i.
constexpr int CMD_EFFECT_FIRST = 232;

enum Effect : int {
  EFFECT_EDGE_SHARPNESS = 0,  // "Kantenschärfe": follows the rendered picture's edges
  EFFECT_SQUARES = 1,         // "Quadrate": a grid of 9-pixel cells
  EFFECT_CIRCLES = 2,         // "Kreise": tangential rings, stronger towards the corners
  EFFECT_WAVES = 3,           // "Wellen": radial rings
  EFFECT_SINE = 4,            // "Sinus": a sine in each direction
  EFFECT_HALO = 5,            // "Halo": radial rays outside a quarter of the diagonal
  EFFECT_COUNT = 6,
};

// Adds effect 0..5 to the current field as one undoable edit, renders the whole image
// and refreshes the thumbnail; other numbers do nothing.
void apply_effect(MainWindowState& win, int effect);

// Only the field arithmetic: adds the effect's displacement through add_displacement, so
// the image bounds and the mask apply and the undo delta receives exactly what was added.
// Edge sharpness reads the render buffer, which must hold a rendering of the whole image.
void add_effect(int effect);
