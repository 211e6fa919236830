// Modal framing of the small dialogs and the runner the whole-field commands call.
#include "editor/dialogs.h"

#include "editor/resources/resource.h"
#include "editor/startup.h"
#include "editor/tool_window_frame.h"
#include "editor/tool_windows.h"

INT_PTR run_modal_dialog(int template_id, DLGPROC proc) {
  enable_tool_windows(false);
  HINSTANCE instance = g_instance ? g_instance : GetModuleHandleA(nullptr);
  const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(template_id), g_main_hwnd, proc, 0);
  enable_tool_windows(true);
  return result;
}

bool run_field_dialog(FieldDialog dialog) {
  const INT_PTR result = dialog == FieldDialog::scale ? run_modal_dialog(IDD_SCALE_DISTORTIONS, scale_distortions_proc)
                                                      : run_modal_dialog(IDD_MOVE_DISTORTIONS, move_distortions_proc);
  return result == IDOK;
}

BOOL end_on_close_button(HWND dialog, WPARAM wparam) {
  if (LOWORD(wparam) != IDOK && LOWORD(wparam) != IDCANCEL) return FALSE;
  EndDialog(dialog, LOWORD(wparam));
  return TRUE;
}

void replace_edit_text(HWND dialog, int edit_id, const char* text) {
  SendDlgItemMessageA(dialog, edit_id, EM_SETSEL, 0, -1);
  SendDlgItemMessageA(dialog, edit_id, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text));
}
