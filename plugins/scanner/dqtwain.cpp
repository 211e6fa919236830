// Entry points of dqtwain.dll: DllMain and the three exports, C calling convention.
#include <windows.h>

#include "plugins/scanner/scan_dialog.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module_instance = instance;
  return TRUE;
}

int __cdecl init() { return scanner_init(); }
int __cdecl done() { return scanner_done(); }
ScanResult* __cdecl acquireImage(HINSTANCE instance, HWND parent) { return scanner_acquire_image(instance, parent); }

}  // extern "C"
