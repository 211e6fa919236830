// Helpers shared by the file, image and clipboard commands: modal framing, the wait cursor, the
// file dialogs, the save question and the new-project reset.
#pragma once

#include <windows.h>

#include <cstdint>

class MainWindow;

constexpr int MSG_READ_ERROR = 1;
constexpr int MSG_WRITE_ERROR = 2;
constexpr int MSG_CANNOT_OPEN = 10;
constexpr int MSG_FILE_EXISTS = 11;
constexpr int MSG_OUT_OF_MEMORY = 14;  // shown without ending the program where nothing is lost
constexpr int MSG_UNKNOWN_FILE_TYPE = 16;
constexpr int MSG_INVALID_FILE = 22;

// Disables the open tool windows for the time of a modal dialog and enables them again.
class ModalFraming {
 public:
  ModalFraming();
  ~ModalFraming();
  ModalFraming(const ModalFraming&) = delete;
  ModalFraming& operator=(const ModalFraming&) = delete;
};

class WaitCursor {
 public:
  WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, IDC_WAIT))) {}
  ~WaitCursor() { SetCursor(previous_); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR previous_;
};

// Repaints the main window and the open tool windows at once, before slow work.
void repaint_now();
bool file_exists(const char* path);
// g_project_name := the path's base name, and the caption follows.
void name_project(const char* path);

// Shows the open (save false) or save dialog; path (MAX_PATH bytes) receives the choice.
// False when cancelled.
bool ask_file_name(bool save, const char* title, const char* filter, DWORD flags, const char* default_ext, char* path);

// A new empty file beside path (same folder), its name in temp (MAX_PATH bytes). False when
// path is read-only or a folder, or no file can be made there.
bool make_temp_beside(const char* path, char* temp);

// The save question of the commands that replace the project: false when the user wanted
// the project saved and it was not, so the command must not go on.
bool save_question_allows_replacing(MainWindow& win);

// First half of the new-project reset: no tool, mask overlay hidden, every buffer made anew
// for w x h. False (project unchanged) when the workspace for that size does not fit in memory,
// counting what the current project frees.
bool begin_new_project(MainWindow& win, HDC reference_dc, int32_t w, int32_t h);
// Second half for an image source (import, scan, paste) whose pixels are in g_source_pixels
// and g_image_dc: named, no path, modified, scrolled home, cells 1 and 2 drawn from the image.
void finish_image_project(MainWindow& win, const char* name);
// Sends the open animation bar its slot texts after a new project.
void refresh_animation_bar();
