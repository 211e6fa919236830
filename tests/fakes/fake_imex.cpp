// Stand-in image file library for the binding tests: the six exports, or five without closeFile.
#include <cstdint>

#define FAKE_EXPORT extern "C" __declspec(dllexport)

FAKE_EXPORT int32_t save(const uint8_t*, int32_t, int32_t) { return 0; }
FAKE_EXPORT int32_t get(int32_t*, int32_t*) { return 0; }
FAKE_EXPORT int32_t open(uint8_t*, int32_t, int32_t) { return 0; }
FAKE_EXPORT const char* getError(int32_t) { return QX_FAKE_NAME; }  // names the library in every slot
FAKE_EXPORT int32_t openFile(const char*, int32_t) { return 0; }
#ifndef QX_FAKE_WITHOUT_CLOSEFILE
FAKE_EXPORT int32_t closeFile() { return 0; }
#endif
