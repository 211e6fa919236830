// Fuzz target: any bytes through the BMP reader.
#include "plugins/imagefile/bmp/bmp_codec.h"
#include "plugins/imagefile/fuzz/fuzz_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  return fuzz_reader({&dqbmp::g_stream, dqbmp::get, dqbmp::open, dqbmp::closeFile}, data, size);
}
