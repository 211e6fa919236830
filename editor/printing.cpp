// Printing.
#include "editor/printing.h"

volatile LONG g_print_jobs = 0;

void print_image(MainWindow&) {}
