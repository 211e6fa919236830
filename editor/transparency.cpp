// Layered-window opacity of the tool windows.
#include "editor/transparency.h"

#include "editor/startup.h"

BYTE transparency_alpha(int percent) { return static_cast<BYTE>(percent * 255 / 100); }

void enable_transparency(HWND window, int percent) {
  if (!g_set_layered_attrs || !g_wnd_transparency) return;
  SetWindowLongPtrA(window, GWL_EXSTYLE, GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_LAYERED);
  g_set_layered_attrs(window, 0, transparency_alpha(percent), LWA_ALPHA);
}

void disable_transparency(HWND window) {
  if (!g_set_layered_attrs || !g_wnd_transparency) return;
  SetWindowLongPtrA(window, GWL_EXSTYLE,
                    GetWindowLongPtrA(window, GWL_EXSTYLE) & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}
