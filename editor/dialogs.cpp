// Modal framing of the small dialogs and the runner the whole-field commands call.
#include "editor/dialogs.h"

#include "editor/resources/resource.h"
#include "editor/startup.h"
#include "editor/tool_windows.h"

INT_PTR run_modal_dialog(int template_id, DLGPROC proc) {
  // The same windows are enabled again that were disabled, whatever the dialog did.
  const HWND tools[] = {g_settings_bar, g_tool_palette, g_animation_bar};
  for (HWND w : tools)
    if (w) EnableWindow(w, FALSE);
  HINSTANCE instance = g_instance ? g_instance : GetModuleHandleA(nullptr);
  const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(template_id), g_main_hwnd, proc, 0);
  for (HWND w : tools)
    if (w) EnableWindow(w, TRUE);
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
