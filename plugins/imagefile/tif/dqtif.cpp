// dqtif.dll: the image file interface's six exports over the TIFF codec.
#include <windows.h>

#include <type_traits>

#include "plugins/imagefile/imagefile_plugin.h"
#include "plugins/imagefile/tif/tif_codec.h"

static HINSTANCE g_instance;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  g_instance = instance;
  return TRUE;
}

extern "C" {
int32_t __cdecl openFile(const char* path, int32_t for_writing) { return dqtif::openFile(path, for_writing); }
int32_t __cdecl closeFile() { return dqtif::closeFile(); }
int32_t __cdecl get(int32_t* width, int32_t* height) { return dqtif::get(width, height); }
int32_t __cdecl open(uint8_t* pixels, int32_t width, int32_t height) { return dqtif::open(pixels, width, height); }
int32_t __cdecl save(const uint8_t* pixels, int32_t width, int32_t height) {
  return dqtif::save(pixels, width, height);
}
const char* __cdecl getError(int32_t code) { return dqtif::getError(code); }
}

static_assert(std::is_same_v<decltype(&openFile), ImExOpenFileProc> &&
              std::is_same_v<decltype(&closeFile), ImExCloseFileProc> && std::is_same_v<decltype(&get), ImExGetProc> &&
              std::is_same_v<decltype(&open), ImExOpenProc> && std::is_same_v<decltype(&save), ImExSaveProc> &&
              std::is_same_v<decltype(&getError), ImExGetErrorProc>);
