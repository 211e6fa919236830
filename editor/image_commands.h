// The image file plug-ins as the file dialogs see them: formats of the loaded slots, filters,
// and the slot for a path.
#pragma once

#include "editor/core/plugin_filters.h"
#include "editor/plugin_slots.h"

// Fills formats[0 .. g_imex_count - 1] from the slots' getError(-1) and (-2); empty slots null.
void loaded_plugin_formats(PluginFormat formats[MAX_IMEX_LIBS]);
// The filter of the import (combined) or export dialogs into out (PLUGIN_FILTER_SIZE bytes).
void build_image_filter(bool combined, char* out);
// The save dialogs' default extension: the first loaded plug-in's pattern without "*." ("" for none).
const char* image_default_extension();
// The slot whose pattern fits the path's extension, or -1.
int image_plugin_for_path(const char* path);
