// Message boxes: style by kind, caption message 99, answers as MessageAnswer.
#include "editor/message_box.h"

#include "editor/core/message_text.h"
#include "editor/startup.h"
#include "editor/tool_window_frame.h"

MessageBoxFn g_message_box = MessageBoxA;

UINT message_box_style(MessageKind kind) {
  switch (kind) {
    case MessageKind::error: return MB_ICONHAND | MB_OK;
    case MessageKind::question: return MB_ICONQUESTION | MB_YESNO;
    case MessageKind::question_cancel: return MB_ICONQUESTION | MB_YESNOCANCEL;
    case MessageKind::info: return MB_ICONINFORMATION | MB_OK;
    case MessageKind::info_yes_no: return MB_ICONINFORMATION | MB_YESNO;
    case MessageKind::info_ok_cancel: return MB_ICONINFORMATION | MB_OKCANCEL;
  }
  return MB_ICONHAND | MB_OK;
}

MessageAnswer show_message_box(HWND owner, const char* text, MessageKind kind) {
  // No tool window takes input while a box is up, whichever command or report shows it.
  enable_tool_windows(false);
  const int answer = g_message_box(owner, text, message_text(MSG_PROGRAM_NAME), message_box_style(kind));
  enable_tool_windows(true);
  switch (answer) {
    case IDYES: return MessageAnswer::yes;
    case IDNO: return MessageAnswer::no;
    case IDOK: return MessageAnswer::ok;
    // A box that could not be shown (0) was never confirmed: it reads as Cancel.
    default: return MessageAnswer::cancel;
  }
}

MessageAnswer show_message(int id, MessageKind kind) { return show_message_box(g_main_hwnd, message_text(id), kind); }
