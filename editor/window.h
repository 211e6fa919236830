// The main window object: abstract Window and the one MainWindow that every message reaches.
#pragma once

#include <windows.h>

#include "engine/main_window_state.h"

class Window {
 public:
  virtual ~Window() = default;
  virtual LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) = 0;
};

// Fields in order: those of MainWindowState (mouse, scroll, kernel, profile),
// then the tool windows' dialog procedures. All zero at construction.
class MainWindow : public Window, public MainWindowState {
 public:
  LRESULT handle_message(UINT message, WPARAM wparam, LPARAM lparam) override;

  DLGPROC settings_bar_dlgproc = nullptr;
  DLGPROC tool_palette_dlgproc = nullptr;
  DLGPROC animation_bar_dlgproc = nullptr;
};

// The one instance; about 1.1 MB, so it lives in static storage, not on the stack.
MainWindow& main_window_object();
