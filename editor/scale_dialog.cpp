// The scale dialog: a slider from 5 to 195 percent in steps of 5.
#include <windows.h>
// After windows.h, whose types it needs.
#include <commctrl.h>

#include <algorithm>
#include <cstdio>

#include "editor/dialogs.h"
#include "editor/resources/resource.h"
#include "engine/field_commands.h"

namespace {

constexpr int SCALE_PAGE = 7;  // a fifth of the range

// The trackbar's own position: what the thumb shows is what OK hands over.
int slider_position(HWND dialog) {
  const LRESULT pos = SendDlgItemMessageA(dialog, IDC_SCALE_SLIDER, TBM_GETPOS, 0, 0);
  return std::clamp(static_cast<int>(pos), SCALE_SLIDER_MIN, SCALE_SLIDER_MAX);
}

void show_percent(HWND dialog, int position) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", 5 * position);
  replace_edit_text(dialog, IDC_SCALE_PERCENT, text);
}

}  // namespace

INT_PTR CALLBACK scale_distortions_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      HWND slider = GetDlgItem(dialog, IDC_SCALE_SLIDER);
      SendMessageA(slider, TBM_SETRANGE, TRUE, MAKELPARAM(SCALE_SLIDER_MIN, SCALE_SLIDER_MAX));
      SendMessageA(slider, TBM_SETLINESIZE, 0, 1);
      SendMessageA(slider, TBM_SETPAGESIZE, 0, SCALE_PAGE);
      SendMessageA(slider, TBM_SETPOS, TRUE, std::clamp<int32_t>(g_dlg_value1, SCALE_SLIDER_MIN, SCALE_SLIDER_MAX));
      g_dlg_value1 = slider_position(dialog);
      show_percent(dialog, g_dlg_value1);
      return TRUE;
    }
    case WM_HSCROLL:
      // The trackbar has moved its thumb already, whichever way it was moved.
      if (reinterpret_cast<HWND>(lparam) == GetDlgItem(dialog, IDC_SCALE_SLIDER)) {
        g_dlg_value1 = slider_position(dialog);
        show_percent(dialog, g_dlg_value1);
      }
      return FALSE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        g_dlg_value1 = SCALE_VALUE_BASE - slider_position(dialog);
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}
