// The engine's host on Win32: GDI region bitmap, render threads, menus, message boxes.
#pragma once

#include <windows.h>

#include "engine/engine_host.h"

extern HDC g_image_dc;  // memory DC holding the whole rendered picture
extern HDC g_mem_dc;    // memory DC of the region bitmap
extern HBITMAP g_region_bitmap;
extern BITMAPINFOHEADER g_region_bmi;  // describes g_render_pixels: top-down, 32 bits

// Starts a render worker (CreateThread); tests put a failing one here.
using RenderThreadStartFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD,
                                            LPDWORD);
extern RenderThreadStartFn g_start_render_thread;

// Copies rendered rows into the region bitmap (SetDIBits); tests put a failing one here.
using SetDIBitsFn = int(WINAPI*)(HDC, HBITMAP, UINT, UINT, const VOID*, const BITMAPINFO*, UINT);
extern SetDIBitsFn g_set_dib_bits;

// Fills g_region_bmi for a w x h region.
// A header of w x h pixels, 32 bits, rows top-down (negative height), BI_RGB.
BITMAPINFOHEADER top_down_bmi(int w, int h);
void fill_region_bmi(int w, int h);

// The host the program installs at start-up.
EngineHost& win32_engine_host();
