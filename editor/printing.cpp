// Command 110: the print dialog, the job's own copy of the rendered picture, and the thread
// that sends its pages and reports a failure to the main window.
#include "editor/printing.h"

#include <cstdint>
#include <memory>
#include <new>

#include "editor/core/print_layout.h"
#include "editor/main_commands.h"
#include "editor/message_box.h"
#include "editor/startup.h"
#include "editor/tool_window_frame.h"
#include "editor/window.h"
#include "editor/workspace.h"
#include "engine/field.h"
#include "engine/render_band.h"
#include "engine/render_driver.h"

volatile LONG g_print_jobs = 0;

PrintDialogFn g_print_dialog = PrintDlgA;
DialogErrorFn g_print_dialog_error = CommDlgExtendedError;
GlobalFreeFn g_free_dialog_block = GlobalFree;
CreateThreadFn g_create_print_thread = CreateThread;
PrintDocCalls g_print_doc_calls = {StartDocA, StartPage, EndPage, EndDoc, AbortDoc};

namespace {

constexpr int MSG_PRINT_DIALOG_FAILED = 44;
constexpr int MSG_PRINT_JOB_FAILED = 45;
constexpr int MSG_PRINT_PAGE_FAILED = 46;
constexpr int MSG_PRINTER_WITHOUT_BITMAPS = 47;

constexpr DWORD PRINT_DIALOG_FLAGS = PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_HIDEPRINTTOFILE;
constexpr WORD NO_PAGE = 0xFFFF;
constexpr SIZE_T PRINT_THREAD_STACK = 4096;
constexpr char DOCUMENT_NAME[] = "Quandrelix Frame";

// Everything a print thread uses, owned by it once it runs: the device context of a started
// document, and the picture and its header as they were when the job was made.
struct PrintJob {
  HDC dc = nullptr;
  uint32_t copies = 0;
  HWND report_to = nullptr;
  BITMAPINFO header = {};
  PrintImage image;
};

// The picture stretched into the page's fitted rectangle, inset by one pixel at the top left.
int print_page(const PrintJob& job) {
  SetStretchBltMode(job.dc, COLORONCOLOR);
  const int32_t w = job.image.width, h = job.image.height;
  const PageDevice page = {GetDeviceCaps(job.dc, HORZRES), GetDeviceCaps(job.dc, VERTRES),
                           GetDeviceCaps(job.dc, LOGPIXELSX), GetDeviceCaps(job.dc, LOGPIXELSY)};
  const PageRect r = fit_page_rect(page, w, h);
  if (page_rect_empty(r)) return PRINT_PAGE_EMPTY;
  const int lines = StretchDIBits(job.dc, r.left + 1, r.top + 1, r.right - r.left - 1, r.bottom - r.top - 1, 0, 0, w, h,
                                  job.image.pixels.get(), &job.header, DIB_RGB_COLORS, SRCCOPY);
  return lines == 0 || lines == static_cast<int>(GDI_ERROR) ? PRINT_PAGE_STRETCH_FAILED : PRINT_PAGE_OK;
}

class JobDevice : public PrintDevice {
 public:
  explicit JobDevice(const PrintJob& job) : job_(job) {}
  bool start_page() override { return g_print_doc_calls.start_page(job_.dc) > 0; }
  int print_page() override { return ::print_page(job_); }
  bool end_page() override { return g_print_doc_calls.end_page(job_.dc) > 0; }
  bool end_doc() override { return g_print_doc_calls.end_doc(job_.dc) > 0; }

 private:
  const PrintJob& job_;
};

DWORD WINAPI print_thread(LPVOID param) {
  std::unique_ptr<PrintJob> job(static_cast<PrintJob*>(param));
  JobDevice device(*job);
  const bool printed = run_print_job(device, job->copies);
  DeleteDC(job->dc);
  if (!printed) PostMessageA(job->report_to, WM_USER, MAIN_USER_MESSAGE, MSG_PRINT_PAGE_FAILED);
  job.reset();
  InterlockedDecrement(&g_print_jobs);
  return 0;
}

// A copy of the whole rendered picture (rendered first when the render buffer holds less)
// with its header; null when there is no memory for it.
std::unique_ptr<PrintJob> make_print_job(MainWindow& win) {
  const int32_t w = g_image_width, h = g_image_height;
  if (g_region_width != w || g_region_height != h) render_region(win, 0, 0, w, h, 1);
  std::unique_ptr<PrintJob> job(new (std::nothrow) PrintJob);
  if (!job || g_region_width != w || g_region_height != h || !copy_print_image(job->image, g_render_pixels, w, h))
    return nullptr;
  job->header.bmiHeader = g_image_bmi;
  job->header.bmiHeader.biWidth = w;
  job->header.bmiHeader.biHeight = -h;
  return job;
}

// Hands the printer device context to a new print thread; deletes it when that fails.
void start_print_job(MainWindow& win, HDC dc, uint32_t copies) {
  if (!(GetDeviceCaps(dc, RASTERCAPS) & RC_STRETCHDIB)) {
    show_message(MSG_PRINTER_WITHOUT_BITMAPS, MessageKind::error);
    DeleteDC(dc);
    return;
  }
  std::unique_ptr<PrintJob> job = make_print_job(win);
  if (!job) {
    show_message(MSG_PRINT_JOB_FAILED, MessageKind::error);
    DeleteDC(dc);
    return;
  }
  DOCINFOA doc = {};
  doc.cbSize = sizeof doc;
  doc.lpszDocName = DOCUMENT_NAME;
  const int started = g_print_doc_calls.start_doc(dc, &doc);
  SetForegroundWindow(g_main_hwnd);
  if (started <= 0) {
    show_message(MSG_PRINT_JOB_FAILED, MessageKind::error);
    DeleteDC(dc);
    return;
  }
  job->dc = dc;
  job->copies = copies;
  job->report_to = g_main_hwnd;
  InterlockedIncrement(&g_print_jobs);
  HANDLE thread = g_create_print_thread(nullptr, PRINT_THREAD_STACK, print_thread, job.get(), 0, nullptr);
  if (!thread) {
    g_print_doc_calls.abort_doc(dc);
    DeleteDC(dc);
    InterlockedDecrement(&g_print_jobs);
    show_message(MSG_PRINT_JOB_FAILED, MessageKind::error);
    return;
  }
  job.release();  // the thread owns it now
  CloseHandle(thread);
}

}  // namespace

void print_image(MainWindow& win) {
  PRINTDLGA pd = {};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = g_main_hwnd;
  pd.Flags = PRINT_DIALOG_FLAGS;
  pd.nFromPage = pd.nToPage = NO_PAGE;
  pd.nMinPage = pd.nMaxPage = 1;
  pd.nCopies = 1;
  enable_tool_windows(false);
  const BOOL chosen = g_print_dialog(&pd);
  const DWORD error = chosen ? 0 : g_print_dialog_error();
  if (pd.hDevMode) g_free_dialog_block(pd.hDevMode);
  if (pd.hDevNames) g_free_dialog_block(pd.hDevNames);
  if (!chosen || !pd.hDC) {
    if (error != 0 || (chosen && !pd.hDC)) show_message(MSG_PRINT_DIALOG_FAILED, MessageKind::error);
    enable_tool_windows(true);
    return;
  }
  EnableWindow(g_main_hwnd, FALSE);
  start_print_job(win, pd.hDC, pd.nCopies);
  EnableWindow(g_main_hwnd, TRUE);
  enable_tool_windows(true);
}
