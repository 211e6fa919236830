// The real program of this build tree (bin/quandrelix.exe beside the test program's folder),
// started as its own process.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "editor/startup.h"

// A started program. The end of its scope ends a program still running, so a test that stops
// early leaves none behind to hold the test run's output open.
class StartedProgram {
 public:
  explicit StartedProgram(const char* arguments) {
    char path[MAX_PATH];
    std::string line(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    line = line.substr(0, line.find_last_of('\\'));
    line = "\"" + line.substr(0, line.find_last_of('\\') + 1) + "bin\\quandrelix.exe\" " + arguments;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    EXPECT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) << line;
  }
  ~StartedProgram() {
    if (!pi_.hProcess) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 1);
    CloseHandle(pi_.hProcess);
    CloseHandle(pi_.hThread);
  }
  StartedProgram(const StartedProgram&) = delete;
  StartedProgram& operator=(const StartedProgram&) = delete;

  HANDLE process() const { return pi_.hProcess; }
  DWORD thread_id() const { return pi_.dwThreadId; }

  // The main window once it exists and the program waits for input (null when the program
  // ended first or took too long).
  HWND main_window() const {
    HWND window = nullptr;
    for (int i = 0; i < 600 && !window && WaitForSingleObject(pi_.hProcess, 50) == WAIT_TIMEOUT; ++i)
      window = FindWindowA(MAIN_WINDOW_CLASS, nullptr);
    if (window) WaitForInputIdle(pi_.hProcess, 10000);
    return window;
  }

  // Waits for the end (terminating a program that hangs) and returns the exit code.
  DWORD exit_code() const {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(pi_.hProcess, 30000) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 1);
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }

 private:
  PROCESS_INFORMATION pi_ = {};
};
