// The window procedure's binding of the object, the message loop's routing, the command line,
// and the real program's single instance.
#include "editor/startup.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "editor/tool_windows.h"
#include "editor/window.h"
#include "tests/win/preferences_key.h"

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
    seen.push_back({message, wparam, lparam, g_main_hwnd});
    return DefWindowProcA(g_main_hwnd, message, wparam, lparam);
  }
  std::vector<Seen> only(std::initializer_list<UINT> messages) const {
    std::vector<Seen> out;
    for (const Seen& s : seen)
      for (UINT m : messages)
        if (s.message == m) out.push_back(s);
    return out;
  }
};

class MainClass : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "qx_test_main_class";
    ASSERT_NE(RegisterClassA(&wc), 0);
    wc.lpfnWndProc = DefWindowProcA;
    wc.cbWndExtra = 0;
    wc.lpszClassName = "qx_test_tool_class";
    ASSERT_NE(RegisterClassA(&wc), 0);
  }
  void TearDown() override {
    for (HWND w : windows_) DestroyWindow(w);
    g_main_hwnd = g_tool_palette = nullptr;
    if (g_accel) DestroyAcceleratorTable(g_accel);
    g_accel = nullptr;
    g_get_message = GetMessageA;
    UnregisterClassA("qx_test_main_class", GetModuleHandleA(nullptr));
    UnregisterClassA("qx_test_tool_class", GetModuleHandleA(nullptr));
  }
  HWND create(const char* cls, void* param) {
    HWND w = CreateWindowExA(0, cls, "t", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                             GetModuleHandleA(nullptr), param);
    windows_.push_back(w);
    return w;
  }
  std::vector<HWND> windows_;
};

TEST_F(MainClass, ObjectIsBoundAtCreateWithTheRealHandleKnown) {
  RecordingWindow object;
  HWND hwnd = create("qx_test_main_class", &object);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_EQ(GetWindowLongPtrA(hwnd, 0), reinterpret_cast<LONG_PTR>(&object));
  ASSERT_FALSE(object.seen.empty());
  EXPECT_EQ(object.seen.front().message, static_cast<UINT>(WM_CREATE));  // WM_NCCREATE went to the default
  EXPECT_EQ(object.seen.front().main_hwnd, hwnd);
  EXPECT_TRUE(object.only({WM_NCCREATE, WM_NCCALCSIZE}).empty());
  SendMessageA(hwnd, WM_USER, 9, 0);
  EXPECT_EQ(object.seen.back().message, static_cast<UINT>(WM_USER));
}

BOOL WINAPI failing_get_message(LPMSG, HWND, UINT, UINT) { return -1; }

TEST_F(MainClass, LoopRoutesAcceleratorsToolWindowsAndQuits) {
  RecordingWindow object;
  g_main_hwnd = create("qx_test_main_class", &object);
  g_tool_palette = create("qx_test_tool_class", nullptr);
  ACCEL keys[] = {{FVIRTKEY, 'F', 229}};
  g_accel = CreateAcceleratorTableA(keys, 1);
  object.seen.clear();

  PostMessageA(g_main_hwnd, WM_KEYDOWN, 'F', 0);
  PostMessageA(g_main_hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(5, 6));
  PostMessageA(g_tool_palette, WM_MOUSEMOVE, 0, MAKELPARAM(7, 8));
  PostQuitMessage(7);
  EXPECT_EQ(run_message_loop(), 7);

  const std::vector<Seen> got = object.only({WM_KEYDOWN, WM_COMMAND, WM_MOUSEMOVE, WM_USER});
  const Seen want[] = {{WM_COMMAND, MAKEWPARAM(229, 1), 0, nullptr},
                       {WM_USER, MAIN_USER_LEAVE_TOOL, 0, nullptr},
                       {WM_MOUSEMOVE, 0, MAKELPARAM(5, 6), nullptr},
                       {WM_USER, MAIN_USER_ENTER_TOOL, reinterpret_cast<LPARAM>(g_tool_palette), nullptr}};
  ASSERT_EQ(got.size(), std::size(want));
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].message, want[i].message) << i;
    EXPECT_EQ(got[i].wparam, want[i].wparam) << i;
    EXPECT_EQ(got[i].lparam, want[i].lparam) << i;
  }

  g_get_message = failing_get_message;
  EXPECT_EQ(run_message_loop(), -1);  // ends instead of spinning
}

TEST(CommandLine, KeepsUpTo259CharactersAsGiven) {
  const std::string quoted = "\"C:\\a b\\p.vbmap\"";
  const struct {
    std::string given;
    std::string kept;
  } cases[] = {{quoted, quoted}, {std::string(259, 'a'), std::string(259, 'a')}, {std::string(260, 'a'), ""}, {"", ""}};
  for (const auto& c : cases) {
    keep_command_line(c.given.c_str());
    EXPECT_EQ(std::string(g_command_line), c.kept) << c.given.size();
  }
  keep_command_line(nullptr);
  EXPECT_STREQ(g_command_line, "");
}

// The program of this build tree: bin/quandrelix.exe beside the test program's folder.
std::string program_path() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path);
  s = s.substr(0, s.find_last_of('\\'));
  return s.substr(0, s.find_last_of('\\') + 1) + "bin\\quandrelix.exe";
}

PROCESS_INFORMATION start_program(const std::string& arguments) {
  std::string line = "\"" + program_path() + "\" " + arguments;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
  return pi;
}

DWORD exit_code_within(HANDLE process, DWORD ms) {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process, ms) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
  return code;
}

TEST(Program, SecondInstanceQuitsAndTheFirstClosesWithZero) {
  PreferencesKey key(false);
  ASSERT_EQ(FindWindowA(MAIN_WINDOW_CLASS, nullptr), nullptr);
  PROCESS_INFORMATION first = start_program("");
  ASSERT_NE(first.hProcess, nullptr) << program_path();
  HWND window = nullptr;
  for (int i = 0; i < 600 && !window; ++i) {
    if (WaitForSingleObject(first.hProcess, 50) == WAIT_OBJECT_0) break;
    window = FindWindowA(MAIN_WINDOW_CLASS, nullptr);
  }
  EXPECT_NE(window, nullptr);

  PROCESS_INFORMATION second = start_program("second.vbmap");
  ASSERT_NE(second.hProcess, nullptr);
  EXPECT_EQ(exit_code_within(second.hProcess, 30000), 0u);
  EXPECT_EQ(WaitForSingleObject(first.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  if (window) PostMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(exit_code_within(first.hProcess, 30000), 0u);
  for (PROCESS_INFORMATION* p : {&first, &second}) {
    if (WaitForSingleObject(p->hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(p->hProcess, 1);
    CloseHandle(p->hProcess);
    CloseHandle(p->hThread);
  }
}

}  // namespace
