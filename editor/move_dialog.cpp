// The move dialog: vertical and horizontal shift, each in an edit with an up-down.
#include <windows.h>
// After windows.h, whose types it needs.
#include <commctrl.h>

#include <cctype>
#include <cstdint>

#include "editor/dialogs.h"
#include "editor/resources/resource.h"
#include "engine/field.h"
#include "engine/field_commands.h"

namespace {

constexpr int SHIFT_TEXT_SIZE = 16;

// The spin range 1 - n .. n - 1 in 32 bits, so sides beyond 32767 pixels work.
void set_spin_range(HWND dialog, int spin_id, int32_t n) {
  const int32_t limit = n > 1 ? n - 1 : 0;
  SendDlgItemMessageA(dialog, spin_id, UDM_SETRANGE32, static_cast<WPARAM>(-limit), limit);
  SendDlgItemMessageA(dialog, spin_id, UDM_SETPOS32, 0, 0);
}

// The first line of the edit, always terminated.
int32_t read_shift(HWND dialog, int edit_id) {
  char text[SHIFT_TEXT_SIZE] = {};
  *reinterpret_cast<WORD*>(text) = SHIFT_TEXT_SIZE - 1;
  LRESULT n = SendDlgItemMessageA(dialog, edit_id, EM_GETLINE, 0, reinterpret_cast<LPARAM>(text));
  if (n < 0) n = 0;
  if (n > SHIFT_TEXT_SIZE - 1) n = SHIFT_TEXT_SIZE - 1;
  text[n] = 0;
  return parse_shift_text(text);
}

}  // namespace

int32_t parse_shift_text(const char* text) {
  const char* p = text;
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  if (!std::isdigit(static_cast<unsigned char>(*p))) return 0;
  int64_t value = 0;
  for (; std::isdigit(static_cast<unsigned char>(*p)); ++p)
    if (value < INT32_MAX) value = value * 10 + (*p - '0');
  if (value > INT32_MAX) value = INT32_MAX;
  return static_cast<int32_t>(negative ? -value : value);
}

INT_PTR CALLBACK move_distortions_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      set_spin_range(dialog, IDC_MOVE_VERTICAL_SPIN, g_image_height);
      set_spin_range(dialog, IDC_MOVE_HORIZONTAL_SPIN, g_image_width);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK) {
        // A positive horizontal shift moves the distortions right: each pair takes the one to its left.
        g_dlg_value1 = -read_shift(dialog, IDC_MOVE_HORIZONTAL);
        g_dlg_value2 = read_shift(dialog, IDC_MOVE_VERTICAL);
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        g_dlg_value1 = 0;
        g_dlg_value2 = 0;
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default: return FALSE;
  }
}
