// The small modal dialogs of the main window: about box, scale, project information, move.
#pragma once

#include <windows.h>

#include <cstdint>

#include "engine/engine_host.h"

// The dialog procedures. Each ends with 1 for control 1 (OK, Close, Enter) and 2 for
// control 2 (Cancel, Escape, the close box).
INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// Slider 1..39 in 5 percent steps; OK leaves 40 - position in g_dlg_value1.
INT_PTR CALLBACK scale_distortions_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK project_info_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
// OK leaves minus the horizontal shift in g_dlg_value1 and the vertical one in
// g_dlg_value2; Cancel leaves both 0.
INT_PTR CALLBACK move_distortions_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// Runs a modal dialog owned by the main window with the open tool windows disabled
// meanwhile; returns its end code.
INT_PTR run_modal_dialog(int template_id, DLGPROC proc);
// The scale or move dialog for the whole-field commands; true when it ended with OK.
bool run_field_dialog(FieldDialog dialog);

// WM_COMMAND of a dialog that only shows values: control 1 or 2 ends it with that code.
// TRUE when it did.
BOOL end_on_close_button(HWND dialog, WPARAM wparam);

// Replaces the whole text of an edit (not undoable).
void replace_edit_text(HWND dialog, int edit_id, const char* text);

// A shift typed into the move dialog, read as "%d" would read it (leading blanks, a sign,
// digits), saturated to +-INT32_MAX; 0 when the text holds no number.
int32_t parse_shift_text(const char* text);
// The project information's estimate of the image data in kByte: both pixel buffers, the
// mask, and one field for each filled slot and the undo delta.
int64_t project_data_kbytes(int64_t width, int64_t height, int filled_slots);
