// The scanner plug-in's interface as the program binds it: three exports and the ScanResult.
#pragma once

#include <windows.h>

#include <cstdint>

// Filled by acquireImage and kept by the plug-in; pixels (width*height*3 bytes, blue-green-red,
// top row first, no padding) are a global memory block that the caller frees with GlobalFree.
struct ScanResult {
  int32_t width;
  int32_t height;
  uint8_t* pixels;
};

using ScanInitProc = int(__cdecl*)();
using ScanDoneProc = int(__cdecl*)();
using ScanAcquireImageProc = ScanResult*(__cdecl*)(HINSTANCE instance, HWND parent);
