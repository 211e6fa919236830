// The window procedure's binding of the object, the message loop's routing, the command line,
// and the real program's single instance.
#include "editor/startup.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <tuple>
#include <vector>

#include "editor/tool_windows.h"
#include "editor/window.h"
#include "tests/win/preferences_key.h"
#include "tests/win/program_process.h"

namespace {

struct Seen {
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
  HWND main_hwnd;  // g_main_hwnd when the object saw it
};

class RecordingWindow : public Window {
 public:
  std::vector<Seen> seen;
  LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override {
    for (UINT m : {WM_NCCREATE, WM_CREATE, WM_KEYDOWN, WM_MOUSEMOVE, WM_COMMAND, WM_USER})
      if (message == m) seen.push_back({message, wparam, lparam, g_main_hwnd});
    return DefWindowProcA(g_main_hwnd, message, wparam, lparam);
  }
};

BOOL WINAPI failing_get_message(LPMSG, HWND, UINT, UINT) { return -1; }

TEST(MainWindowProcedure, BindsAtCreateAndRoutesTheLoopsMessages) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = WndProc;
  wc.cbWndExtra = sizeof(LONG_PTR);
  wc.lpszClassName = "qx_test_main_class";
  ASSERT_NE(RegisterClassA(&wc), 0);
  RecordingWindow object;
  HWND hwnd =
      CreateWindowExA(0, wc.lpszClassName, "t", WS_OVERLAPPED, 0, 0, 99, 99, nullptr, nullptr, nullptr, &object);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, 0), reinterpret_cast<LONG_PTR>(&object));
  g_tool_palette = CreateWindowExA(0, "STATIC", "p", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr);
  ACCEL keys[] = {{FVIRTKEY, 'F', 229}};
  g_accel = CreateAcceleratorTableA(keys, 1);
  PostMessageA(hwnd, WM_KEYDOWN, 'F', 0);
  PostMessageA(hwnd, WM_MOUSEMOVE, 0, 5);
  PostMessageA(g_tool_palette, WM_MOUSEMOVE, 0, 7);
  PostQuitMessage(7);
  EXPECT_EQ(run_message_loop(), 7);
  g_get_message = failing_get_message;
  EXPECT_EQ(run_message_loop(), -1);  // ends instead of spinning

  // WM_NCCREATE went to the default procedure, yet g_main_hwnd was known from then on.
  const LPARAM palette = reinterpret_cast<LPARAM>(g_tool_palette);
  const Seen want[] = {{WM_CREATE, 0, object.seen.at(0).lparam, hwnd},
                       {WM_COMMAND, MAKEWPARAM(229, 1), 0, hwnd},
                       {WM_USER, MAIN_USER_LEAVE_TOOL, 0, hwnd},
                       {WM_MOUSEMOVE, 0, 5, hwnd},
                       {WM_USER, MAIN_USER_ENTER_TOOL, palette, hwnd}};
  ASSERT_EQ(object.seen.size(), std::size(want));
  auto key = [](const Seen& s) { return std::make_tuple(s.message, s.wparam, s.lparam, s.main_hwnd); };
  for (size_t i = 0; i < std::size(want); ++i) EXPECT_EQ(key(object.seen[i]), key(want[i])) << i;

  g_get_message = GetMessageA;
  DestroyAcceleratorTable(g_accel);
  DestroyWindow(g_tool_palette);
  DestroyWindow(hwnd);
  g_accel = nullptr;
  g_main_hwnd = g_tool_palette = nullptr;
  UnregisterClassA(wc.lpszClassName, nullptr);
}

TEST(CommandLine, KeepsUpTo259CharactersAsGiven) {
  const std::string quoted = "\"C:\\a b\\p.vbmap\"", longest(259, 'a');
  const std::string cases[][2] = {{quoted, quoted}, {longest, longest}, {longest + "a", ""}, {"", ""}};
  for (const auto& c : cases) {
    keep_command_line(c[0].c_str());
    EXPECT_EQ(std::string(g_command_line), c[1]) << c[0].size();
  }
}

TEST(Program, SecondInstanceQuitsAndTheFirstClosesWithZero) {
  PreferencesKey key(false);
  ASSERT_EQ(FindWindowA(MAIN_WINDOW_CLASS, nullptr), nullptr);
  PROCESS_INFORMATION first = start_program("");
  const EndsProgram ends{first};
  HWND window = wait_for_main_window(first);
  EXPECT_NE(window, nullptr);
  PROCESS_INFORMATION second = start_program("second.vbmap");
  EXPECT_EQ(exit_code(second), 0u);
  EXPECT_EQ(WaitForSingleObject(first.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(exit_code(first), 0u);
}

}  // namespace
