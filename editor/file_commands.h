// Project identity and the file, clipboard and help commands of the "Projekt" and "?" menus.
#pragma once

// clang-format off
#include <windows.h>
#include <shellapi.h>  // needs windows.h first
// clang-format on

class MainWindow;

constexpr int PROJECT_NAME_SIZE = 256;
constexpr int PROJECT_PATH_SIZE = MAX_PATH;

extern char g_project_name[PROJECT_NAME_SIZE];  // "unbenannt" until a project is named
extern char g_project_path[PROJECT_PATH_SIZE];  // empty while the project has no file

// The common file dialogs (GetOpenFileNameA, GetSaveFileNameA) and the shell's launcher
// (ShellExecuteA); tests put scripted ones here.
using FileDialogFn = BOOL(WINAPI*)(struct tagOFNA*);
using ShellExecuteFn = HINSTANCE(WINAPI*)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
extern FileDialogFn g_get_open_file_name;
extern FileDialogFn g_get_save_file_name;
extern ShellExecuteFn g_shell_execute;

constexpr char HELP_FILE_NAME[] = "quandrelix.chm";

// "Projekt wurde geändert. Möchten Sie die Änderungen speichern?"
constexpr int MSG_SAVE_QUESTION = 17;

// show_help's choices.
constexpr int HELP_FILE = 1;
constexpr int HELP_WEB_SITE = 3;

// During window creation: opens the project that g_command_line names, if it can.
void open_command_line_project(MainWindow& win, HDC reference_dc);

// Both true only when the project was written; the modified flag is cleared only then.
bool save_project_as(MainWindow& win);
bool save_project_to_path(MainWindow& win);

void open_project(MainWindow& win);
void open_dropped_project(MainWindow& win, HDROP drop);
void scan_image(MainWindow& win);
void import_image_project(MainWindow& win);
void replace_base_image(MainWindow& win);
void export_current_image(MainWindow& win);
void paste_clipboard_project(MainWindow& win);
void copy_image_to_clipboard();
void show_about_dialog();
void show_project_info();
void show_help(MainWindow& win, int which);
