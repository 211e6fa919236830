// Prints how long scans of an A4 page at 300 dpi (2550 x 3300) from the test TWAIN source take
// under Wine: the source's transfer request alone, and the whole scan through the dialog.
#include <windows.h>

#include <cstdio>

#include "plugins/scanner/scan_dialog.h"
#include "plugins/scanner/scanner_resource.h"
#include "plugins/scanner/tests/win/scan_driver.h"
#include "plugins/scanner/twain_session.h"

namespace {

DsmEntryProc real_entry = nullptr;
LARGE_INTEGER frequency;
double transfer_ms = 0;

double ms_since(const LARGE_INTEGER& start) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

TW_UINT16 WINAPI timing_entry(TW_IDENTITY* origin, TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg,
                              TW_MEMREF data) {
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  const TW_UINT16 rc = real_entry(origin, dest, dg, dat, msg, data);
  if (dat == DAT_IMAGENATIVEXFER || dat == DAT_IMAGEMEMXFER) transfer_ms += ms_since(start);
  return rc;
}

void measure(const char* what, const char* config, int factor_command) {
  const int runs = 5;
  double total_ms = 0, source_ms = 0;
  int32_t width = 0, height = 0;
  for (int i = 0; i < runs; ++i) {
    transfer_ms = 0;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    ScanRun run = run_scan(config, {command(IDC_SCAN_ACQUIRE), command(factor_command), command(IDOK)});
    total_ms += ms_since(start);
    source_ms += transfer_ms;
    if (!run.result) {
      std::printf("%s: no image\n", what);
      return;
    }
    width = run.result->width, height = run.result->height;
    GlobalFree(run.result->pixels);
  }
  std::printf("%-34s transfer requests %7.1f ms, whole scan %7.1f ms (result %d x %d), mean of %d\n", what,
              source_ms / runs, total_ms / runs, width, height, runs);
}

}  // namespace

int main() {
  QueryPerformanceFrequency(&frequency);
  keep_windows_unmanaged();
  if (!install_test_source() || scanner_init() != 1 || !g_dsm_entry) {
    std::printf("test source or manager not available\n");
    remove_test_source();
    return 1;
  }
  hook_manager();
  real_entry = g_dsm_entry;
  g_dsm_entry = timing_entry;
  measure("native 2550x3300, factor 1", "size=2550x3300", IDC_SCAN_FACTOR1);
  measure("native 2550x3300, factor 4", "size=2550x3300", IDC_SCAN_FACTOR4);
  measure("memory 2550x3300 (64 KB strips)", "mem,size=2550x3300,pref=65536", IDC_SCAN_FACTOR1);
  g_dsm_entry = real_entry;
  unhook_manager();
  scanner_done();
  remove_test_source();
  return 0;
}
