// The view: painting the rendered image at the zoom with its overlays, and scrolling.
#pragma once

#include <windows.h>

class MainWindow;

// One-pixel frame pens, made with the workspace.
extern HPEN g_highlight_pen;  // COLOR_BTNHIGHLIGHT
extern HPEN g_shadow_pen;     // COLOR_BTNSHADOW

// WM_PAINT: BeginPaint, the image and overlays, EndPaint.
void paint_view(MainWindow& win);
// WM_HSCROLL / WM_VSCROLL with code = LOWORD(wParam), position = HIWORD(wParam).
void on_hscroll(MainWindow& win, int code, int position);
void on_vscroll(MainWindow& win, int code, int position);
