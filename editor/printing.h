// Printing state that the rest of the editor tests.
#pragma once

#include <windows.h>

// Print jobs whose threads still run; changed only with interlocked operations.
extern volatile LONG g_print_jobs;

class MainWindow;

// Command 110.
void print_image(MainWindow& win);
