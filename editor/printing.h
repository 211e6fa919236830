// Command 110: printing the rendered picture on a thread of its own, and the print-job count.
#pragma once

#include <windows.h>
// after windows.h, which it needs
#include <commdlg.h>

// Print jobs whose threads still run; changed only with interlocked operations.
extern volatile LONG g_print_jobs;

class MainWindow;

// Command 110.
void print_image(MainWindow& win);

// The platform calls a print job makes, replaceable so tests hand over a device context of
// their own, script the dialog and the document calls, and make the thread fail to start.
using PrintDialogFn = BOOL(WINAPI*)(LPPRINTDLGA);
using DialogErrorFn = DWORD(WINAPI*)();
using CreateThreadFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD);
struct PrintDocCalls {
  int(WINAPI* start_doc)(HDC, const DOCINFOA*);
  int(WINAPI* start_page)(HDC);
  int(WINAPI* end_page)(HDC);
  int(WINAPI* end_doc)(HDC);
  int(WINAPI* abort_doc)(HDC);
};
using GlobalFreeFn = HGLOBAL(WINAPI*)(HGLOBAL);
extern PrintDialogFn g_print_dialog;        // PrintDlgA
extern DialogErrorFn g_print_dialog_error;  // CommDlgExtendedError
extern GlobalFreeFn g_free_dialog_block;    // GlobalFree, for the dialog's DEVMODE and DEVNAMES
extern CreateThreadFn g_create_print_thread;
extern PrintDocCalls g_print_doc_calls;  // StartDocA, StartPage, EndPage, EndDoc, AbortDoc
