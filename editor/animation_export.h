// Animation export (command 104): options and progress dialogs, frame steps and the AVI writer.
#pragma once

#include <windows.h>
// These two need the definitions of windows.h.
#include <commdlg.h>
#include <vfw.h>

#include <cstdint>

#include "editor/core/frame_slots.h"

class MainWindow;

constexpr UINT_PTR EXPORT_TIMER_ID = 109;
constexpr UINT EXPORT_TIMER_MS = 10;

// Export modes, as the options dialog sets them.
constexpr int EXPORT_MODE_TEST = 0;
constexpr int EXPORT_MODE_SEQUENCE = 1;
constexpr int EXPORT_MODE_AVI = 2;

// Results of the progress dialog.
constexpr int EXPORT_NO_MEMORY = 3;  // a buffer of the export could not be allocated: message 13
constexpr int EXPORT_CANCELLED = 2;
constexpr int EXPORT_DONE = 10;
constexpr int EXPORT_WRITE_FAILED = 11;
constexpr int AVI_ERR_VFW_VERSION = 12;
constexpr int AVI_ERR_FILE_OPEN = 13;
constexpr int AVI_ERR_CREATE_STREAM = 14;
constexpr int AVI_CANCELLED = 15;
constexpr int AVI_ERR_COMPRESSED_STREAM = 16;

// Set while an export runs: the main window then drops commands, timer ticks, scrolling and mouse input.
extern int g_export_busy;

extern int32_t g_slot_frames[FRAME_SLOT_COUNT];  // in-between counts of this export, 0..999
extern int32_t g_export_mode;
extern int32_t g_export_fps;          // 1..30
extern int32_t g_keyframe_interval;   // 1..10
extern int32_t g_export_frame;        // frames computed so far; the number of the frame being written
extern char g_export_path[MAX_PATH];  // the AVI file or the model name of the numbered files
extern int32_t g_avi_status;          // 0 while the writer is sound
extern BITMAPINFOHEADER g_avi_format;
extern AVICOMPRESSOPTIONS g_avi_options;
extern PAVIFILE g_avi_file;
extern PAVISTREAM g_avi_stream;
extern PAVISTREAM g_avi_compressed_stream;
extern uint8_t* g_avi_frame_buffer;

// The save dialog and the compression options dialog; tests put answering ones here.
using AviSaveOptionsFn = INT_PTR(WINAPI*)(HWND, UINT, int, PAVISTREAM*, LPAVICOMPRESSOPTIONS*);
extern AviSaveOptionsFn g_avi_save_options;

// Command 104.
void create_animation(MainWindow& win);

INT_PTR CALLBACK animation_options_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
INT_PTR CALLBACK export_progress_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);

// 0 when the file, its streams and the frame buffer stand ready; else a result code, with
// everything it made released again.
int open_avi_writer();
// Releases whatever of the writer exists; harmless when nothing does.
void close_avi_writer();
// Computes frame g_export_frame into the current field and counts it; 0 after the last frame.
int step_animation_frame();
void copy_frame_to_avi_buffer();
// Writes the frame buffer as sample g_export_frame - 1; the result goes to g_avi_status, the
// bytes written are counted for the check of the closed file.
void write_avi_frame();
