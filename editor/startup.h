// Process-wide state of the program's entry and frame: start-up, window procedure, message loop.
#pragma once

#include <windows.h>

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

constexpr char MAIN_WINDOW_CLASS[] = "drelloq_v23_awnd";
constexpr int MAX_PATH_BUFFER = 260;
constexpr int MAIN_MENU_ID = 1;
constexpr int MAIN_ACCELERATORS_ID = 1;
constexpr int MSG_NO_IMAGE_PLUGINS = 41;
constexpr int MSG_TOO_FEW_COLOURS = 15;
constexpr int MIN_BITS_PER_PIXEL = 16;

// WM_USER sub-codes that the message loop sends to the main window.
constexpr WPARAM MAIN_USER_LEAVE_TOOL = 3;
constexpr WPARAM MAIN_USER_ENTER_TOOL = 4;

extern HINSTANCE g_instance;
extern int g_show_cmd;
extern char g_command_line[MAX_PATH_BUFFER];              // project path to open at start-up; empty when none
extern HWND g_main_hwnd;                                  // the main window from its first message on
extern HACCEL g_accel;                                    // null when the table is missing
extern SetLayeredWindowAttributesFn g_set_layered_attrs;  // null where the system lacks it
extern int g_wnd_transparency;                            // view option "Fenster &transparent darstellen"
extern int g_screen_width;                                // HORZRES and VERTRES, follow display changes
extern int g_screen_height;

// Fetches the next message (GetMessageA); tests put a failing one here.
using GetMessageFn = BOOL(WINAPI*)(LPMSG, HWND, UINT, UINT);
extern GetMessageFn g_get_message;

// The main window class's procedure. Messages before WM_CREATE get default handling (g_main_hwnd
// is set from WM_NCCREATE on); WM_CREATE stores the creation parameter, the Window object, in
// the extra bytes, and from then on every message goes to the object.
extern "C" __declspec(dllexport) LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

// Keeps a command line of at most MAX_PATH_BUFFER - 1 characters; a longer one leaves it empty.
void keep_command_line(const char* command_line);

// The thread's message loop: accelerators for the main window, then the tool windows' dialog
// messages, then translation and dispatch. Returns the quit message's wParam, or -1 when
// fetching a message fails.
int run_message_loop();

int win_main(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show_cmd);
