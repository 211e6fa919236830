// Main window caption from the project name; a long name is cut to fit the buffer.
#include "editor/title.h"

#include <windows.h>

#include <cstdio>

#include "editor/file_commands.h"
#include "editor/startup.h"

void update_title() {
  char title[TITLE_BUFFER_SIZE];
  std::snprintf(title, sizeof title, "Quandrelix - %.*s", PROJECT_NAME_SIZE - 1, g_project_name);
  SetWindowTextA(g_main_hwnd, title);
}
