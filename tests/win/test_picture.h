// Test support: the picture a test renders into, a W x H top-down DIB section selected into
// g_image_dc, with the thumbnail strip and the region bitmap that the first render makes.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>

#include "editor/engine_host_win32.h"
#include "editor/thumbnail_strip.h"
#include "engine/main_window_state.h"
#include "engine/render_driver.h"

struct TestPicture {
  HBITMAP bitmap = nullptr;
  uint8_t* bits = nullptr;  // blue, green, red, unused; top row first

  // Makes the picture and renders the whole w x h image into it once.
  void make(MainWindowState& win, int w, int h) {
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    ASSERT_NE(bitmap, nullptr);
    g_image_dc = CreateCompatibleDC(nullptr);
    SelectObject(g_image_dc, bitmap);
    HDC screen = GetDC(nullptr);
    ASSERT_TRUE(create_thumb_strip(screen));
    ReleaseDC(nullptr, screen);
    g_region_width = g_region_height = 0;
    render_region(win, 0, 0, w, h, 0);  // makes g_mem_dc and the region bitmap
  }

  // Releases the picture, the strip and the region bitmap with their device contexts.
  void release() {
    delete_thumb_strip();
    DeleteDC(g_image_dc);
    DeleteObject(bitmap);
    if (g_mem_dc) DeleteDC(g_mem_dc);
    if (g_region_bitmap) DeleteObject(g_region_bitmap);
    g_image_dc = g_mem_dc = nullptr;
    g_region_bitmap = nullptr;
    bitmap = nullptr;
    bits = nullptr;
  }
};
