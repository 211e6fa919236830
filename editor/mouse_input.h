// Mouse input over the view: strokes, drags and the zoom commands.
#pragma once

#include <cstdint>

class MainWindow;

// x, y: client coordinates (signed 16-bit words of the message); keys: its key-state word.
void on_mouse_move(MainWindow& win, int x, int y, uint16_t keys);
void on_button_down(MainWindow& win, int x, int y, uint16_t keys);
void on_button_up(MainWindow& win, int x, int y);
// Commands 112 to 118.
void set_zoom(MainWindow& win, int command_id);
