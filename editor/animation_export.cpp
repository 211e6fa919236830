// Animation export.
#include "editor/animation_export.h"

int g_export_busy = 0;

void create_animation(MainWindow&) {}
