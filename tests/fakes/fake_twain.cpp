// Stand-in scanner library for the binding tests: init answers QX_FAKE_INIT_RESULT; every call is
// appended to the environment variable QX_FAKE_TWAIN_CALLS so that the test sees it.
#include <windows.h>

#include <string>

#define FAKE_EXPORT extern "C" __declspec(dllexport)

namespace {
void note(const char* call) {
  char before[256] = "";
  GetEnvironmentVariableA("QX_FAKE_TWAIN_CALLS", before, sizeof before);
  SetEnvironmentVariableA("QX_FAKE_TWAIN_CALLS", (std::string(before) + call + " ").c_str());
}
}  // namespace

FAKE_EXPORT void* acquireImage(HINSTANCE, HWND) { return nullptr; }
FAKE_EXPORT int32_t init() {
  note("init");
  return QX_FAKE_INIT_RESULT;
}
#ifndef QX_FAKE_WITHOUT_DONE
FAKE_EXPORT int32_t done() {
  note("done");
  return 1;
}
#endif
