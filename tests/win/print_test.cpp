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
#include "editor/message_box.h"
#include "editor/printing.h"
#include "editor/startup.h"
#include "editor/window.h"
#include "engine/field.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"
#include "tests/win/main_window_fixture.h"

namespace {

std::vector<std::string> g_shown;
int WINAPI recording_box(HWND, LPCSTR text, LPCSTR, UINT) { return g_shown.push_back(text), IDOK; }

// The print dialog's answer, and the document calls as letters: S start doc, s start page,
// e end page, D end doc, A abort; EndPage of page failing_end_page (1-based) fails.
struct Script {
  BOOL chosen = TRUE;
  DWORD error = 0;
  HDC dc = nullptr;
  WORD copies = 1;
  int start_doc = 1;
  int failing_end_page = 0;
} g_script;
std::string g_calls;
std::vector<HGLOBAL> g_handed_out, g_freed;
int g_pages = 0;

BOOL WINAPI scripted_dialog(LPPRINTDLGA pd) {
  g_handed_out = {pd->hDevMode = GlobalAlloc(GMEM_MOVEABLE, 64), pd->hDevNames = GlobalAlloc(GMEM_MOVEABLE, 64)};
  pd->hDC = g_script.chosen ? g_script.dc : nullptr;
  pd->nCopies = g_script.copies;
  return g_script.chosen;
}
DWORD WINAPI scripted_error() { return g_script.error; }
HGLOBAL WINAPI recording_free(HGLOBAL block) { return g_freed.push_back(block), GlobalFree(block); }
int WINAPI start_doc(HDC, const DOCINFOA* doc) {
  g_calls += std::strcmp(doc->lpszDocName, "Quandrelix Frame") == 0 ? "S" : "?";
  return g_script.start_doc;
}
int WINAPI start_page(HDC) { return g_calls += 's', ++g_pages; }
int WINAPI end_page(HDC) { return g_calls += 'e', g_pages != g_script.failing_end_page; }
int WINAPI end_doc(HDC) { return g_calls += 'D', 1; }
int WINAPI abort_doc(HDC) { return g_calls += 'A', 1; }
// Editing goes on as the job starts: the render buffer is cleared before the print thread runs.
HANDLE WINAPI thread_after_editing(LPSECURITY_ATTRIBUTES a, SIZE_T s, LPTHREAD_START_ROUTINE f, LPVOID p, DWORD c,
                                   LPDWORD id) {
  std::memset(g_render_pixels, 0, static_cast<size_t>(g_image_width) * g_image_height * 4);
  return CreateThread(a, s, f, p, c, id);
}
HANDLE WINAPI no_thread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD) {
  return nullptr;
}

// A memory device context over a white DIB of the device's own size.
struct PageDC {
  HDC dc = CreateCompatibleDC(nullptr);
  PageDevice page = {GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES), GetDeviceCaps(dc, LOGPIXELSX),
                     GetDeviceCaps(dc, LOGPIXELSY)};
  uint32_t* bits = nullptr;
  HBITMAP bitmap = nullptr;
  PageDC() {
    BITMAPINFO bi = {{sizeof(BITMAPINFOHEADER), page.width, -page.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
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
    g_print_dialog = scripted_dialog;
    g_print_dialog_error = scripted_error;
    g_free_dialog_block = recording_free;
    g_print_doc_calls = {start_doc, start_page, end_page, end_doc, abort_doc};
    create_test_main_window(&win);
  }
  void TearDown() override {
    DestroyWindow(g_main_hwnd);
    run_posted();
    g_main_hwnd = nullptr;
    g_message_box = MessageBoxA;
    g_print_dialog = PrintDlgA;
    g_print_dialog_error = CommDlgExtendedError;
    g_free_dialog_block = GlobalFree;
    g_create_print_thread = CreateThread;
    g_print_doc_calls = {StartDocA, StartPage, EndPage, EndDoc, AbortDoc};
    set_engine_host(nullptr);
  }
  // Prints with the script, waits for the job, runs what was posted; false when the job hung.
  bool print(const Script& script) {
    g_script = script;
    g_calls.clear();
    g_shown.clear();
    g_freed.clear();
    g_pages = 0;
    print_image(win);
    for (int i = 0; i < 2000 && g_print_jobs != 0; ++i) Sleep(5);
    run_posted();
    return g_print_jobs == 0 && IsWindowEnabled(g_main_hwnd) && g_freed == g_handed_out;
  }
  static void run_posted() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
  }
  MainWindow win;
};

TEST_F(PrintTest, TheJobRendersAndPrintsItsOwnCopyFittedToThePage) {
  const size_t n = static_cast<size_t>(g_image_width) * g_image_height;
  for (size_t i = 0; i < n; ++i) std::memcpy(g_source_pixels + 4 * i, "\x60\x40\x20\x00", 4);
  render_region(win, 10, 10, 20, 20, 0);  // a stroke's square only
  PageDC page;
  g_create_print_thread = thread_after_editing;
  EXPECT_TRUE(print({TRUE, 0, page.dc, 2}));
  EXPECT_EQ(g_region_width * 10000 + g_region_height, g_image_width * 10000 + g_image_height);
  EXPECT_EQ(g_calls, "SseseD");
  EXPECT_TRUE(g_shown.empty());
  EXPECT_EQ(GetObjectType(page.dc), 0u);  // the thread deleted the device context
  const PageRect r = fit_page_rect(page.page, g_image_width, g_image_height);
  const struct {
    int x, y;
    uint32_t colour;
  } probes[] = {{r.left, r.top, 0xFFFFFF},
                {r.left + 1, r.top + 1, 0x204060},
                {r.right - 1, r.bottom - 1, 0x204060},
                {r.left > 0 ? r.left - 1 : r.left + 1, r.left > 0 ? r.bottom - 1 : r.top - 1, 0xFFFFFF}};
  for (const auto& p : probes) EXPECT_EQ(page.at(p.x, p.y), p.colour) << p.x << "," << p.y;
}

TEST_F(PrintTest, FailuresCleanUpAndSaySo) {
  struct Case {
    Script script;
    bool metafile, thread_fails;
    const char* calls;
    int shown;
  } cases[] = {
      {{FALSE}, false, false, "", 0},  // cancelled
      {{FALSE, CDERR_INITIALIZATION}, false, false, "", 44},
      {{TRUE}, true, false, "", 47},
      {{TRUE, 0, nullptr, 1, 0}, false, false, "S", 45},
      {{TRUE, 0, nullptr, 1, SP_ERROR}, false, false, "S", 45},
      {{TRUE}, false, true, "SA", 45},
      {{TRUE, 0, nullptr, 3, 1, 2}, false, false, "SseseD", 46},  // the third copy dropped
      {{TRUE, 0, nullptr, 0}, false, false, "SD", 0},
  };
  for (Case& c : cases) {
    PageDC page;
    c.script.dc = c.metafile ? CreateMetaFileA(nullptr) : page.dc;
    g_create_print_thread = c.thread_fails ? no_thread : CreateThread;
    EXPECT_TRUE(print(c.script)) << c.calls << c.shown;
    EXPECT_EQ(g_calls, c.calls);
    EXPECT_EQ(g_shown, c.shown ? std::vector<std::string>{message_text(c.shown)} : std::vector<std::string>{});
    EXPECT_EQ(GetObjectType(c.script.dc), c.script.chosen ? 0u : static_cast<DWORD>(OBJ_MEMDC)) << c.shown;
    if (!c.script.chosen) DeleteDC(c.script.dc);
  }
}

}  // namespace
