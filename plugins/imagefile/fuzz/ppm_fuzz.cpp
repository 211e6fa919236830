// Fuzz target: any bytes through the PPM reader.
#include "plugins/imagefile/fuzz/fuzz_reader.h"
#include "plugins/imagefile/ppm/ppm_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  return fuzz_reader({&dqppm::g_stream, dqppm::get, dqppm::open, dqppm::closeFile}, data, size);
}
