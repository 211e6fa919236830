// The main window's command dispatch, private WM_USER protocol and the mask commands.
#pragma once

#include <windows.h>

class MainWindow;

// WM_USER sub-codes (wParam) to the main window.
constexpr WPARAM MAIN_USER_RENDER = 0;       // render the whole image
constexpr WPARAM MAIN_USER_RENDER_WAIT = 1;  // the same with the wait cursor
constexpr WPARAM MAIN_USER_MESSAGE = 2;      // show message lParam with the tool windows disabled
// 3 and 4 (the mouse left the raised tool window, is over tool window lParam) come from the
// message loop: MAIN_USER_LEAVE_TOOL and MAIN_USER_ENTER_TOOL in editor/startup.h.

// Wheel deltas, a quarter each, add up to a page step at this size.
constexpr int WHEEL_STEP = 30;

// One command by id, as WM_COMMAND runs it when no export is busy; unknown ids do nothing.
void run_command(MainWindow& win, int id);

// Commands 280 to 283.
void toggle_mask_applied();
void new_mask(MainWindow& win);
void remove_mask(MainWindow& win);
void invert_mask(MainWindow& win);
