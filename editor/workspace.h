// The main window's workspace: image, pixel blocks, key-frame fields, mask, device contexts;
// its set-up on window creation, the exit questions and the teardown.
#pragma once

#include <windows.h>

#include <cstdint>

class MainWindow;

extern HBITMAP g_image_bitmap;        // the picture in g_image_dc, W x H
extern BITMAPINFOHEADER g_image_bmi;  // describes g_source_pixels: W x H, top-down, 32 bits

// Fills g_image_bmi for a w x h image.
void fill_image_bmi(int32_t w, int32_t h);

// The memory status that the size checks read (GlobalMemoryStatusEx); tests replace it.
using MemoryStatusFn = BOOL(WINAPI*)(LPMEMORYSTATUSEX status);
extern MemoryStatusFn g_memory_status;

// Whether a new project's buffers of bytes fit the free address space and page file together
// with what the current project's buffers free when they are released.
bool project_fits(uint64_t bytes);
// Whether a workspace for a w x h image can be had: a positive size whose buffers (both pixel
// blocks, two key-frame fields, the undo delta, the mask) fit as project_fits counts.
bool workspace_fits(int32_t w, int32_t h);

// Replaces every size-dependent buffer by new ones for a w x h image (g_image_width and
// g_image_height set to it), slots in the new-workspace state, mask flags and Undo reset.
// False, with the old workspace kept as it was, when workspace_fits refuses the size. The
// new buffers are made beside the old ones where there is room; otherwise, or when that
// fails, the old ones are released first, and a failure then ends in fatal_out_of_memory.
bool rebuild_workspace(HDC reference_dc, int32_t w, int32_t h);

// Copy g_source_pixels into the picture in g_image_dc and back; with fewer rows when the whole
// image is refused.
void show_source_pixels();
void read_image_pixels();

// Renders slot 1, each filled slot from 3 to 8, then slot 2 into its thumbnail cell; slot 2
// stays current.
void render_all_thumbnails(MainWindow& win, int32_t wait_cursor);

// WM_CREATE: the start image (or the project named on the command line), buffers, defaults.
void init_workspace(MainWindow& win);
// WM_CLOSE and command 199: the print-job and save questions, the preferences, DestroyWindow.
void request_exit(MainWindow& win);
// WM_DESTROY: frees the workspace and posts the quit message.
void destroy_workspace();
