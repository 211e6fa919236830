// quandrelix.exe entry point.
#include <windows.h>

#include "editor/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_cmd) { return win_main(instance, show_cmd); }
