// Program entry and frame: plug-in binding, window class, main window creation, message loop.
#include "editor/startup.h"

#include <cstring>

#include "editor/core/message_text.h"
#include "editor/engine_host_win32.h"
#include "editor/message_box.h"
#include "editor/plugin_slots.h"
#include "editor/preferences.h"
#include "editor/tool_windows.h"
#include "editor/window.h"
#include "engine/field.h"

HINSTANCE g_instance = nullptr;
int g_show_cmd = SW_SHOWNORMAL;
char g_command_line[MAX_PATH_BUFFER] = "";
HWND g_main_hwnd = nullptr;
HACCEL g_accel = nullptr;
SetLayeredWindowAttributesFn g_set_layered_attrs = nullptr;
int g_wnd_transparency = 1;
int g_screen_width = 0;
int g_screen_height = 0;
GetMessageFn g_get_message = GetMessageA;

LRESULT CALLBACK WndProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (auto* window = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, 0)))
    return window->handle_message(message, wparam, lparam);
  if (message == WM_NCCREATE) g_main_hwnd = hwnd;
  if (message == WM_CREATE) {
    auto* window = static_cast<Window*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    if (window) {
      SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(window));
      return window->handle_message(message, wparam, lparam);
    }
  }
  return DefWindowProcA(hwnd, message, wparam, lparam);
}

void keep_command_line(const char* command_line) {
  g_command_line[0] = '\0';
  if (command_line && std::strlen(command_line) < sizeof g_command_line) std::strcpy(g_command_line, command_line);
}

namespace {

// A tool window takes the message as a dialog message only while it exists.
bool offered_to_tool_window(HWND tool_window, MSG& msg) {
  if (!tool_window || !IsDialogMessageA(tool_window, &msg)) return false;
  if (msg.message == WM_MOUSEMOVE)
    SendMessageA(g_main_hwnd, WM_USER, MAIN_USER_ENTER_TOOL, reinterpret_cast<LPARAM>(tool_window));
  return true;
}

void show_startup_warning(int id) { show_message_box(nullptr, message_text(id), MessageKind::error); }

// Shutdown: the scanner's done, then every library that start-up loaded.
int release_plugins(HMODULE user, int result) {
  release_scanner_plugin();
  release_image_plugins();
  if (user) FreeLibrary(user);
  g_set_layered_attrs = nullptr;
  return result;
}

void place_tool_windows(const WindowLayout& layout) {
  g_settings_bar_pos = {layout.settings_bar.x, layout.settings_bar.y};
  g_tool_palette_pos = {layout.tool_palette.x, layout.tool_palette.y};
  g_animation_bar_pos = {layout.animation_bar.x, layout.animation_bar.y};
}

}  // namespace

int run_message_loop() {
  MSG msg;
  for (;;) {
    const BOOL fetched = g_get_message(&msg, nullptr, 0, 0);
    if (fetched == 0) return static_cast<int>(msg.wParam);
    if (fetched == -1) return -1;
    if (g_accel && g_main_hwnd && TranslateAcceleratorA(g_main_hwnd, g_accel, &msg)) continue;
    if (offered_to_tool_window(g_settings_bar, msg) || offered_to_tool_window(g_tool_palette, msg) ||
        offered_to_tool_window(g_animation_bar, msg))
      continue;
    if (msg.message == WM_MOUSEMOVE) SendMessageA(g_main_hwnd, WM_USER, MAIN_USER_LEAVE_TOOL, 0);
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

int win_main(HINSTANCE instance, HINSTANCE, LPSTR command_line, int show_cmd) {
  if (HWND other = FindWindowA(MAIN_WINDOW_CLASS, nullptr)) {
    SetForegroundWindow(other);
    return 0;
  }
  set_engine_host(&win32_engine_host());
  g_cpu_count = count_processors();
  keep_command_line(command_line);
  g_instance = instance;
  g_show_cmd = show_cmd;

  HMODULE user = LoadLibraryA("user32.dll");
  if (user)
    g_set_layered_attrs = reinterpret_cast<SetLayeredWindowAttributesFn>(
        reinterpret_cast<void*>(GetProcAddress(user, "SetLayeredWindowAttributes")));
  bind_scanner_plugin();
  bind_image_plugins();
  if (g_no_image_plugins) show_startup_warning(MSG_NO_IMAGE_PLUGINS);

  WNDCLASSA wc = {};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = WndProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, "ICON_1");
  wc.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_CROSS));
  wc.hbrBackground = CreateHatchBrush(HS_DIAGCROSS, GetSysColor(COLOR_BTNFACE));
  wc.lpszMenuName = MAKEINTRESOURCEA(MAIN_MENU_ID);
  wc.lpszClassName = MAIN_WINDOW_CLASS;
  if (!RegisterClassA(&wc)) return release_plugins(user, 0);

  MainWindow& object = main_window_object();

  HDC screen = GetDC(nullptr);
  g_screen_width = GetDeviceCaps(screen, HORZRES);
  g_screen_height = GetDeviceCaps(screen, VERTRES);
  if (GetDeviceCaps(screen, BITSPIXEL) < MIN_BITS_PER_PIXEL) show_startup_warning(MSG_TOO_FEW_COLOURS);

  g_settings_bar_open = g_tool_palette_open = g_animation_bar_open = 0;
  g_settings_bar = g_tool_palette = g_animation_bar = nullptr;
  const WindowLayout layout = startup_window_layout(read_startup_preferences(), g_screen_width, g_screen_height);
  place_tool_windows(layout);

  const LayoutRect& r = layout.main_rect;
  HWND hwnd = CreateWindowExA(WS_EX_CLIENTEDGE, MAIN_WINDOW_CLASS, message_text(MSG_PROGRAM_NAME),
                              WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL, r.left, r.top, r.right - r.left,
                              r.bottom - r.top, nullptr, nullptr, instance, &object);
  g_main_hwnd = hwnd;
  if (!hwnd) {
    ReleaseDC(nullptr, screen);
    return release_plugins(user, 0);
  }

  object.first_show_pending = 1;
  g_accel = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(MAIN_ACCELERATORS_ID));
  ShowWindow(hwnd, show_cmd);
  UpdateWindow(hwnd);
  ReleaseDC(nullptr, screen);

  return release_plugins(user, run_message_loop());
}
