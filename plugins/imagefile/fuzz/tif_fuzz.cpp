// Fuzz target: any bytes through the TIFF reader.
#include "plugins/imagefile/fuzz/fuzz_reader.h"
#include "plugins/imagefile/tif/tif_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  return fuzz_reader({&dqtif::g_stream, dqtif::get, dqtif::open, dqtif::closeFile}, data, size);
}
