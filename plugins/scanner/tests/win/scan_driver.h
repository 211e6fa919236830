// Drives the scanner plug-in under Wine without a person: installs the test TWAIN source where
// Wine's manager looks for it, scripts the modal scan dialog, records requests and messages.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "plugins/scanner/scanner_plugin.h"

// Copies qx_test_source.ds from beside the program into <windows>\twain_64\sane.ds (twain_32 in
// the 32-bit build), where the manager looks for sources; false on failure.
bool install_test_source();
// Unloads the copy if the manager left it loaded and deletes it.
void remove_test_source();

// Under Wine, windows of the test program are not handed to a window manager: closing the scan
// dialog then does not wait for one that is not there.
void keep_windows_unmanaged();

// One step of the dialog script: a message sent to the dialog once it is enabled (or at once
// when when_enabled is false), or to another active window of the thread (a dialog of the
// manager's) once there is one.
struct ScanStep {
  UINT message;
  WPARAM wparam;
  bool when_enabled = true;
  bool to_other_window = false;
};
ScanStep command(int id);

struct ScanRun {
  ScanResult* result = nullptr;
  bool finished_script = false;  // every step was sent
  bool timed_out = false;        // the guard cancelled the dialog
};

// Runs acquireImage with the source behaving as config says and the steps sent in turn.
ScanRun run_scan(const char* config, const std::vector<ScanStep>& steps);
// The same script around any action that opens the scan dialog (a program's scan command);
// the result is left null.
ScanRun run_scripted(const char* config, const std::vector<ScanStep>& steps, const std::function<void()>& action);

// Texts of the message boxes shown since the last clear.
extern std::vector<std::string> g_boxes;
// Requests sent to the manager (data argument type/message, events and status left out), and a
// request that the manager is made to refuse ("" for none).
extern std::vector<std::string> g_requests;
extern std::string g_refused_request;

// Routes the plug-in's manager entry through the recorder; undone by unhook_manager.
void hook_manager();
void unhook_manager();
