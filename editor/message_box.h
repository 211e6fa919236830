// The one way the program shows a message box: caption "Quandrelix", owner the main window.
#pragma once

#include <windows.h>

#include "engine/engine_host.h"

// The platform call behind every box (MessageBoxA); tests put a recorder here
// that answers with scripted buttons, so no test ever waits for a user.
using MessageBoxFn = int(WINAPI*)(HWND owner, LPCSTR text, LPCSTR caption, UINT style);
extern MessageBoxFn g_message_box;

UINT message_box_style(MessageKind kind);

// Text of message id, owned by g_main_hwnd (none before it exists).
MessageAnswer show_message(int id, MessageKind kind);
// Any other text (a plug-in's error text, a bare number) under the same caption.
MessageAnswer show_message_box(HWND owner, const char* text, MessageKind kind);
