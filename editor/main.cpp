// quandrelix.exe entry point.
#include <windows.h>

#include "editor/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command_line, int show_cmd) {
  return win_main(instance, previous, command_line, show_cmd);
}
