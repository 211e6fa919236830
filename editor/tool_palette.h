// The tool palette: a toolbar of the sixteen brush tools with two drop-down variant groups.
#pragma once

#include <windows.h>

extern HWND g_toolbar;            // the palette's toolbar (child 519), while the palette exists
extern HBITMAP g_toolmap_bitmap;  // TOOLMAP with the button face as background, per opening
extern int g_grow_variant_cmd;    // 301, 307 or 308: the command of the grow button
extern int g_shrink_variant_cmd;  // 302, 309 or 310: the command of the shrink button
extern HMENU g_grow_menu;
extern HMENU g_shrink_menu;

constexpr int PALETTE_CLIENT_HEIGHT = 77;

// Every tool button released, then the current tool's button pressed.
void sync_palette_buttons(HWND palette);
// A variant chosen from a drop-down popup: its group's button takes the command and image,
// and the main window selects the tool (record is the notification's address).
void choose_palette_variant(int command, LPARAM record);
