// Animation export state that the rest of the editor tests.
#pragma once

// Set while an export runs: the main window then drops commands, timer ticks, scrolling and mouse input.
extern int g_export_busy;

class MainWindow;

// Command 104.
void create_animation(MainWindow& win);
