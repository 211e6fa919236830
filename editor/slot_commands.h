// The animation bar's slot popup commands with their drawing: thumbnails, edits, re-render.
#pragma once

#include <windows.h>

#include <cstdint>

// Each acts on slot k of the bar's popup and keeps the strip, the edits and the view in step.
void delete_frame_slot(HWND bar, int k);
void insert_current_field(HWND bar, int k);
void move_frame_left(HWND bar, int k);
void move_frame_right(HWND bar, int k);
void add_slot_to_current(HWND bar, int k);

// Available page-file bytes, 64 bits wide in both builds.
uint64_t available_page_file_bytes();
