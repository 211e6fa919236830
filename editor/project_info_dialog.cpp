// The project information: name, size, key frames, mask and modified flag, memory estimate.
#include <cinttypes>
#include <cstdio>

#include "editor/core/frame_slots.h"
#include "editor/dialogs.h"
#include "editor/file_commands.h"
#include "editor/resources/resource.h"
#include "engine/edit_state.h"
#include "engine/field.h"

namespace {

void show_number(HWND dialog, int edit_id, int64_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "%" PRId64, value);
  replace_edit_text(dialog, edit_id, text);
}

const char* yes_no(int32_t flag) { return flag ? "JA" : "NEIN"; }

}  // namespace

int64_t project_data_kbytes(int64_t width, int64_t height, int filled_slots) {
  const int64_t a = width * height;
  // Two pixel buffers of 4a + 100 bytes, the mask of a / 8 + 1, and fields of 8a + 100.
  return (8 * a + 201 + a / 8 + (8 * a + 100) * (filled_slots + 1)) / 1024;
}

INT_PTR CALLBACK project_info_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      show_number(dialog, IDC_INFO_WIDTH, g_image_width);
      show_number(dialog, IDC_INFO_HEIGHT, g_image_height);
      const int slots = filled_slot_count();
      show_number(dialog, IDC_INFO_FRAMES, slots);
      show_number(dialog, IDC_INFO_MEMORY, project_data_kbytes(g_image_width, g_image_height, slots));
      replace_edit_text(dialog, IDC_INFO_MASK, yes_no(g_mask_exists));
      replace_edit_text(dialog, IDC_INFO_MODIFIED, yes_no(g_project_modified));
      replace_edit_text(dialog, IDC_INFO_NAME, g_project_name);
      return TRUE;
    }
    case WM_COMMAND: return end_on_close_button(dialog, wparam);
    default: return FALSE;
  }
}
