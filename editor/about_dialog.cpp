// The about box: program name and version, processors and free memory.
#include <cstdio>

#include "editor/dialogs.h"
#include "editor/resources/resource.h"
#include "engine/field.h"

INT_PTR CALLBACK about_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      char text[32];
      MEMORYSTATUS status = {};
      status.dwLength = sizeof status;
      GlobalMemoryStatus(&status);
      std::snprintf(text, sizeof text, "%llu", static_cast<unsigned long long>(status.dwAvailPageFile >> 10));
      SetDlgItemTextA(dialog, IDC_ABOUT_FREE_MEMORY, text);
      g_cpu_count = count_processors();
      std::snprintf(text, sizeof text, "%d", g_cpu_count);
      SetDlgItemTextA(dialog, IDC_ABOUT_CPU_COUNT, text);
      return TRUE;
    }
    case WM_COMMAND: return end_on_close_button(dialog, wparam);
    default: return FALSE;
  }
}
