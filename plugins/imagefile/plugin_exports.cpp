// The six exports of an image file plug-in library, forwarding to its codec. Compiled once
// per library, with QX_CODEC naming the codec's namespace and QX_CODEC_HEADER its header.
#include <type_traits>

#include "plugins/imagefile/imagefile_plugin.h"
#include QX_CODEC_HEADER

extern "C" {
int32_t __cdecl openFile(const char* path, int32_t for_writing) { return QX_CODEC::openFile(path, for_writing); }
int32_t __cdecl closeFile() { return QX_CODEC::closeFile(); }
int32_t __cdecl get(int32_t* width, int32_t* height) { return QX_CODEC::get(width, height); }
int32_t __cdecl open(uint8_t* pixels, int32_t width, int32_t height) { return QX_CODEC::open(pixels, width, height); }
int32_t __cdecl save(const uint8_t* pixels, int32_t width, int32_t height) {
  return QX_CODEC::save(pixels, width, height);
}
const char* __cdecl getError(int32_t code) { return QX_CODEC::getError(code); }
}

static_assert(std::is_same_v<decltype(&openFile), ImExOpenFileProc> &&
              std::is_same_v<decltype(&closeFile), ImExCloseFileProc> && std::is_same_v<decltype(&get), ImExGetProc> &&
              std::is_same_v<decltype(&open), ImExOpenProc> && std::is_same_v<decltype(&save), ImExSaveProc> &&
              std::is_same_v<decltype(&getError), ImExGetErrorProc>);
