// Win32 side of the engine: region bitmap and copy into the picture, worker threads, UI calls.
#include "editor/engine_host_win32.h"

#include <initializer_list>

#include "editor/dialogs.h"
#include "editor/memory.h"
#include "editor/message_box.h"
#include "editor/startup.h"
#include "editor/thumbnail_strip.h"
#include "editor/tool_windows.h"
#include "editor/workspace.h"
#include "engine/field.h"
#include "engine/render_band.h"
#include "engine/strokes.h"

HDC g_image_dc = nullptr;
HDC g_mem_dc = nullptr;
HBITMAP g_region_bitmap = nullptr;
BITMAPINFOHEADER g_region_bmi = {};
RenderThreadStartFn g_start_render_thread = CreateThread;
SetDIBitsFn g_set_dib_bits = SetDIBits;

BITMAPINFOHEADER top_down_bmi(int w, int h) {
  BITMAPINFOHEADER bmi = {};
  bmi.biSize = sizeof(BITMAPINFOHEADER);
  bmi.biWidth = w;
  bmi.biHeight = -h;
  bmi.biPlanes = 1;
  bmi.biBitCount = 32;
  bmi.biCompression = BI_RGB;
  bmi.biSizeImage = static_cast<DWORD>(static_cast<uint64_t>(w) * static_cast<uint64_t>(h) * 4);
  return bmi;
}

void fill_region_bmi(int w, int h) { g_region_bmi = top_down_bmi(w, h); }

namespace {

// Small enough for the band loop; the stack is committed, not reserved.
constexpr SIZE_T RENDER_THREAD_STACK = 4096;

DWORD WINAPI render_band_thread(LPVOID args) {
  render_band(static_cast<const RenderBandArgs*>(args));
  return 0;
}

class Win32EngineHost final : public EngineHost {
 public:
  bool process_affinity_mask(uint64_t* mask) override {
    DWORD_PTR process = 0, system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) return false;
    *mask = process;
    return true;
  }

  void begin_wait_cursor() override { previous_cursor_ = SetCursor(LoadCursorA(nullptr, IDC_WAIT)); }
  void end_wait_cursor() override { SetCursor(previous_cursor_); }

  void resize_region_bitmap(int32_t w, int32_t h) override {
    if (g_mem_dc) DeleteDC(g_mem_dc);
    if (g_region_bitmap) DeleteObject(g_region_bitmap);
    HDC window_dc = GetDC(g_main_hwnd);  // the screen's while the main window is unknown
    g_mem_dc = CreateCompatibleDC(window_dc);
    g_region_bitmap = CreateCompatibleBitmap(window_dc, w, h);
    ReleaseDC(g_main_hwnd, window_dc);
    if (!g_mem_dc || !g_region_bitmap) fatal_out_of_memory();
    SelectObject(g_mem_dc, g_region_bitmap);
    fill_region_bmi(w, h);
  }

  // A band whose thread cannot be started is rendered here instead.
  void run_render_bands(RenderBandArgs* first, RenderBandArgs* second) override {
    HANDLE threads[2];
    DWORD started = 0;
    for (RenderBandArgs* job : {first, second}) {
      HANDLE t = g_start_render_thread(nullptr, RENDER_THREAD_STACK, render_band_thread, job, 0, nullptr);
      if (t)
        threads[started++] = t;
      else
        render_band(job);
    }
    if (started) WaitForMultipleObjects(started, threads, TRUE, INFINITE);
    for (DWORD i = 0; i < started; ++i) CloseHandle(threads[i]);
  }

  // A failed transfer is retried once with one row fewer. The retry describes exactly the
  // rows it sends (a top-down header of h - 1 rows), so they keep their place at the top
  // of the region bitmap and land at (x0, y0) of the picture.
  void present_region(int32_t x0, int32_t y0, int32_t w, int32_t h) override {
    BITMAPINFOHEADER header = g_region_bmi;
    auto* bmi = reinterpret_cast<BITMAPINFO*>(&header);
    int rows = h;
    if (!g_set_dib_bits(g_mem_dc, g_region_bitmap, 0, rows, g_render_pixels, bmi, DIB_RGB_COLORS)) {
      rows = h - 1;
      if (rows <= 0) return;
      header.biHeight = -rows;
      header.biSizeImage = static_cast<DWORD>(w) * static_cast<DWORD>(rows) * 4;
      if (!g_set_dib_bits(g_mem_dc, g_region_bitmap, 0, rows, g_render_pixels, bmi, DIB_RGB_COLORS)) return;
    }
    BitBlt(g_image_dc, x0, y0, w, rows, g_mem_dc, 0, 0, SRCCOPY);
  }

  void invalidate_view(int32_t left, int32_t top, int32_t right, int32_t bottom) override {
    if (!g_main_hwnd) return;
    RECT r{left, top, right, bottom};
    InvalidateRect(g_main_hwnd, &r, FALSE);
  }

  MessageAnswer show_message(int id, MessageKind kind) override { return ::show_message(id, kind); }

  void enable_menu_item(int command_id, bool enabled) override {
    EnableMenuItem(GetMenu(g_main_hwnd), command_id, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
  }

  void check_menu_item(int command_id, bool checked) override {
    CheckMenuItem(GetMenu(g_main_hwnd), command_id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
  }

  void notify_tool_windows() override {
    if (g_tool_palette) SendMessageA(g_tool_palette, WM_USER, 0, 0);
    if (g_settings_bar) SendMessageA(g_settings_bar, WM_USER, 0, 0);
  }

  void invalidate_main_window() override {
    if (g_main_hwnd) InvalidateRect(g_main_hwnd, nullptr, FALSE);
  }

  void stop_stroke_timer() override {
    if (g_main_hwnd) KillTimer(g_main_hwnd, STROKE_TIMER_ID);
  }

  bool run_field_dialog(FieldDialog dialog) override { return ::run_field_dialog(dialog); }

  void show_source_image() override { show_source_pixels(); }

  void refresh_current_thumbnail() override { ::refresh_current_thumbnail(); }
  void restart_key_frames() override { restart_key_frames_after_fix(); }
  void* allocate_field(uint64_t bytes) override { return alloc_with_retry(bytes); }
  void free_field(void* block) override { free_block(block); }

 private:
  HCURSOR previous_cursor_ = nullptr;
};

}  // namespace

EngineHost& win32_engine_host() {
  static Win32EngineHost host;
  return host;
}
