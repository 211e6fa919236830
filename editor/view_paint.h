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

// Inverted-pixel drawing (each pixel's colour XOR 0xFFFFFF, so drawing twice restores it).
// The circle and its eight symmetric points keep to left <= x < right, top <= y < bottom;
// the clipped line to the closed rectangle, right and bottom included.
void xor_circle_points(HDC dc, int cx, int cy, int x, int y, int left, int top, int right, int bottom);
void draw_xor_circle(HDC dc, int cx, int cy, int r, int left, int top, int right, int bottom);
void draw_xor_line(HDC dc, int x0, int y0, int x1, int y1);
void draw_clipped_xor_line(HDC dc, int x0, int y0, int x1, int y1, int left, int top, int right, int bottom);
