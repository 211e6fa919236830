// Printing through the real command and its thread, into a memory device context that the
// scripted print dialog hands over, with the document calls recorded and made to fail.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <cderr.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "editor/core/message_text.h"
#include "editor/core/print_layout.h"
#include "editor/engine_host_win32.h"
#include "editor/main_commands.h"
#include "editor/message_box.h"
#include "editor/printing.h"
#include "editor/startup.h"
#include "editor/window.h"
#include "engine/field.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"

namespace {

std::vector<std::string> g_shown;
int WINAPI recording_box(HWND, LPCSTR text, LPCSTR, UINT) {
  g_shown.push_back(text);
  return IDOK;
}

// What the scripted print dialog answers.
struct DialogScript {
  BOOL chosen = TRUE;
  DWORD error = 0;
  HDC dc = nullptr;
  WORD copies = 1;
  HGLOBAL dev_mode = nullptr, dev_names = nullptr;  // handed out, to be freed by the command
} g_dialog;

BOOL WINAPI scripted_dialog(LPPRINTDLGA pd) {
  g_dialog.dev_mode = pd->hDevMode = GlobalAlloc(GMEM_MOVEABLE, 64);
  g_dialog.dev_names = pd->hDevNames = GlobalAlloc(GMEM_MOVEABLE, 64);
  pd->hDC = g_dialog.chosen ? g_dialog.dc : nullptr;
  pd->nCopies = g_dialog.copies;
  return g_dialog.chosen;
}
DWORD WINAPI scripted_error() { return g_dialog.error; }
std::vector<HGLOBAL> g_freed;
HGLOBAL WINAPI recording_free(HGLOBAL block) {
  g_freed.push_back(block);
  return GlobalFree(block);
}
bool dialog_blocks_freed() { return g_freed == std::vector<HGLOBAL>{g_dialog.dev_mode, g_dialog.dev_names}; }

// Document calls as letters: S start doc, s start page, e end page, D end doc, A abort.
std::string g_calls;
int g_start_doc_result = 1;
int g_failing_end_page = 0;  // 1-based page whose EndPage fails
int g_pages = 0;
HANDLE g_page_gate = nullptr;  // while set, StartPage waits for it
int WINAPI fake_start_doc(HDC, const DOCINFOA* doc) {
  g_calls += std::strcmp(doc->lpszDocName, "Quandrelix Frame") == 0 ? "S" : "?";
  return g_start_doc_result;
}
int WINAPI fake_start_page(HDC) {
  if (g_page_gate) WaitForSingleObject(g_page_gate, 10000);
  g_calls += 's';
  return ++g_pages;
}
int WINAPI fake_end_page(HDC) {
  g_calls += 'e';
  return g_pages == g_failing_end_page ? 0 : 1;
}
int WINAPI fake_end_doc(HDC) { return g_calls += 'D', 1; }
int WINAPI fake_abort_doc(HDC) { return g_calls += 'A', 1; }
HANDLE WINAPI failing_create_thread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD) {
  SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return nullptr;
}

constexpr char TEST_CLASS[] = "qx_test_print_window";

// A memory device context over a white DIB of the device's own size.
struct PageDC {
  HDC dc = CreateCompatibleDC(nullptr);
  PageDevice page = {GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES), GetDeviceCaps(dc, LOGPIXELSX),
                     GetDeviceCaps(dc, LOGPIXELSY)};
  uint32_t* bits = nullptr;
  HBITMAP bitmap = nullptr;
  PageDC() {
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = page.width;
    bi.bmiHeader.biHeight = -page.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bitmap = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
    SelectObject(dc, bitmap);
    std::memset(bits, 0xFF, static_cast<size_t>(page.width) * page.height * 4);
  }
  ~PageDC() { DeleteObject(bitmap); }
  uint32_t at(int x, int y) const { return bits[static_cast<size_t>(y) * page.width + x] & 0xFFFFFF; }
};

class PrintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    set_engine_host(&win32_engine_host());
    g_instance = GetModuleHandleA(nullptr);
    g_message_box = recording_box;
    g_shown.clear();
    g_dialog = DialogScript();
    g_calls.clear();
    g_start_doc_result = 1;
    g_failing_end_page = 0;
    g_pages = 0;
    g_print_dialog = scripted_dialog;
    g_print_dialog_error = scripted_error;
    g_free_dialog_block = recording_free;
    g_freed.clear();
    g_print_doc_calls = {fake_start_doc, fake_start_page, fake_end_page, fake_end_doc, fake_abort_doc};
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WndProc;
    wc.cbWndExtra = sizeof(LONG_PTR);
    wc.hInstance = g_instance;
    wc.lpszMenuName = MAKEINTRESOURCEA(1);
    wc.lpszClassName = TEST_CLASS;
    RegisterClassA(&wc);
    win = std::make_unique<MainWindow>();
    CreateWindowExA(0, TEST_CLASS, "t", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, g_instance, win.get());
    ASSERT_NE(g_main_hwnd, nullptr);
  }

  void TearDown() override {
    wait_for_jobs();
    DestroyWindow(g_main_hwnd);
    dispatch_posted();
    g_main_hwnd = nullptr;
    g_message_box = MessageBoxA;
    g_print_dialog = PrintDlgA;
    g_print_dialog_error = CommDlgExtendedError;
    g_free_dialog_block = GlobalFree;
    g_create_print_thread = CreateThread;
    g_print_doc_calls = {StartDocA, StartPage, EndPage, EndDoc, AbortDoc};
    set_engine_host(nullptr);
  }

  static void wait_for_jobs() {
    for (int i = 0; i < 2000 && g_print_jobs != 0; ++i) Sleep(5);
  }
  // Runs the posted messages; returns how many were the print thread's failure report.
  static int dispatch_posted() {
    int reports = 0;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      reports += msg.message == WM_USER && msg.wParam == MAIN_USER_MESSAGE && msg.lParam == 46;
      DispatchMessageA(&msg);
    }
    return reports;
  }
  static std::vector<std::string> texts(std::initializer_list<int> ids) {
    std::vector<std::string> out;
    for (int id : ids) out.push_back(message_text(id));
    return out;
  }

  std::unique_ptr<MainWindow> win;
};

TEST_F(PrintTest, TheJobPrintsItsOwnCopyFittedToThePage) {
  PageDC page;
  render_region(*win, 0, 0, g_image_width, g_image_height, 0);
  const size_t n = static_cast<size_t>(g_image_width) * g_image_height;
  for (size_t i = 0; i < n; ++i) std::memcpy(g_render_pixels + 4 * i, "\x60\x40\x20\x00", 4);
  g_dialog.dc = page.dc;
  g_dialog.copies = 2;
  g_page_gate = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  print_image(*win);
  EXPECT_EQ(g_print_jobs, 1);
  // The editing goes on: the buffer changes before the thread prints its first page.
  std::memset(g_render_pixels, 0, n * 4);
  SetEvent(g_page_gate);
  wait_for_jobs();
  CloseHandle(g_page_gate);
  g_page_gate = nullptr;
  EXPECT_EQ(g_print_jobs, 0);
  EXPECT_EQ(g_calls, "SseseD");
  EXPECT_EQ(GetObjectType(page.dc), 0u);  // the thread deleted the device context
  EXPECT_TRUE(dialog_blocks_freed());
  EXPECT_TRUE(IsWindowEnabled(g_main_hwnd));
  EXPECT_EQ(dispatch_posted(), 0);
  EXPECT_TRUE(g_shown.empty());

  const PageRect r = fit_page_rect(page.page, g_image_width, g_image_height);
  ASSERT_FALSE(page_rect_empty(r));
  const struct {
    int x, y;
    uint32_t colour;
  } probes[] = {
      {r.left, r.top, 0xFFFFFF},
      {r.left + 1, r.top + 1, 0x204060},
      {r.right - 1, r.bottom - 1, 0x204060},
      {(r.left + r.right) / 2, (r.top + r.bottom) / 2, 0x204060},
      {r.left > 0 ? r.left - 1 : r.left, r.top > 0 ? r.top - 1 : r.top, 0xFFFFFF},
  };
  for (const auto& p : probes) EXPECT_EQ(page.at(p.x, p.y), p.colour) << p.x << "," << p.y;
}

TEST_F(PrintTest, APartialRenderIsCompletedBeforeTheCopy) {
  PageDC page;
  render_region(*win, 10, 10, 20, 20, 0);
  ASSERT_EQ(g_region_width, 10);
  g_dialog.dc = page.dc;
  print_image(*win);
  wait_for_jobs();
  EXPECT_EQ(g_region_width * 10000 + g_region_height, g_image_width * 10000 + g_image_height);
  EXPECT_EQ(g_calls, "SseD");
}

TEST_F(PrintTest, FailuresCleanUpAndSaySo) {
  struct Case {
    const char* name;
    BOOL chosen;
    DWORD error;
    int start_doc;
    bool no_thread;
    WORD copies;
    int failing_end_page;
    const char* calls;
    std::vector<std::string> shown;
    int reports;  // failure reports posted by the thread
  } cases[] = {
      {"cancelled", FALSE, 0, 1, false, 1, 0, "", {}, 0},
      {"dialog error", FALSE, CDERR_INITIALIZATION, 1, false, 1, 0, "", texts({44}), 0},
      {"document refused", TRUE, 0, 0, false, 1, 0, "S", texts({45}), 0},
      {"document error", TRUE, 0, SP_ERROR, false, 1, 0, "S", texts({45}), 0},
      {"no thread", TRUE, 0, 1, true, 1, 0, "SA", texts({45}), 0},
      {"second page fails", TRUE, 0, 1, false, 3, 2, "SseseA", texts({46}), 1},
      {"no copies", TRUE, 0, 1, false, 0, 0, "SD", {}, 0},
  };
  for (const Case& c : cases) {
    PageDC page;
    g_shown.clear();
    g_calls.clear();
    g_freed.clear();
    g_pages = 0;
    g_dialog = DialogScript{c.chosen, c.error, page.dc, c.copies};
    g_start_doc_result = c.start_doc;
    g_failing_end_page = c.failing_end_page;
    g_create_print_thread = c.no_thread ? failing_create_thread : CreateThread;
    print_image(*win);
    wait_for_jobs();
    EXPECT_EQ(g_print_jobs, 0) << c.name;
    EXPECT_EQ(dispatch_posted(), c.reports) << c.name;
    EXPECT_EQ(g_calls, c.calls) << c.name;
    EXPECT_EQ(g_shown, c.shown) << c.name;
    EXPECT_EQ(GetObjectType(page.dc), c.chosen ? 0u : static_cast<DWORD>(OBJ_MEMDC)) << c.name;
    EXPECT_TRUE(dialog_blocks_freed()) << c.name;
    EXPECT_TRUE(IsWindowEnabled(g_main_hwnd)) << c.name;
    if (!c.chosen) DeleteDC(page.dc);
  }
}

TEST_F(PrintTest, APrinterWithoutStretchedBitmapsIsRefused) {
  HDC metafile = CreateMetaFileA(nullptr);
  ASSERT_EQ(GetDeviceCaps(metafile, RASTERCAPS) & RC_STRETCHDIB, 0);
  g_dialog.dc = metafile;
  print_image(*win);
  EXPECT_EQ(g_shown, texts({47}));
  EXPECT_EQ(g_calls, "");
  EXPECT_EQ(GetObjectType(metafile), 0u);
}

}  // namespace
