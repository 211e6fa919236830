// The modeless un-warp dialog over the main window.
#include "editor/unwarp_dialog.h"

HWND g_unwarp_dialog = nullptr;

void open_unwarp_dialog(MainWindow&) {}
