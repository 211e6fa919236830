// The real program of this build tree (bin/quandrelix.exe beside the test program's folder),
// started as its own process.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "editor/startup.h"

inline PROCESS_INFORMATION start_program(const char* arguments) {
  char path[MAX_PATH];
  std::string line(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  line = line.substr(0, line.find_last_of('\\'));
  line = "\"" + line.substr(0, line.find_last_of('\\') + 1) + "bin\\quandrelix.exe\" " + arguments;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  EXPECT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) << line;
  return pi;
}

// The program's main window once it exists and the program waits for input (null when the
// program ended first or took too long).
inline HWND wait_for_main_window(const PROCESS_INFORMATION& p) {
  HWND window = nullptr;
  for (int i = 0; i < 600 && !window && WaitForSingleObject(p.hProcess, 50) == WAIT_TIMEOUT; ++i)
    window = FindWindowA(MAIN_WINDOW_CLASS, nullptr);
  if (window) WaitForInputIdle(p.hProcess, 10000);
  return window;
}

// Waits for the end (terminating a program that hangs) and returns the exit code; the handles
// are closed then.
inline DWORD exit_code(PROCESS_INFORMATION& p) {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(p.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(p.hProcess, 1);
  GetExitCodeProcess(p.hProcess, &code);
  CloseHandle(p.hProcess);
  CloseHandle(p.hThread);
  p = {};
  return code;
}

// Ends the program when a test stops before exit_code, so no stray program keeps the test
// run's output open.
struct EndsProgram {
  const PROCESS_INFORMATION& p;
  ~EndsProgram() {
    if (p.hProcess && WaitForSingleObject(p.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(p.hProcess, 1);
  }
};
