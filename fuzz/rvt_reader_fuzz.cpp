// The RVT extractor. The first five bytes give the widths and the chunk size
// asked of each extract call, the rest is the stream.
#include <memory>
#include <stdexcept>

#include "etrace/stream/mh_rvt_reader.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::input_t in(data, size);
  const int xlen = 1 + in.byte() % 64;
  const int flen = 1 + in.byte() % 64;
  const unsigned long paddr_width = 1 + in.byte() % 64;
  const unsigned long irf_data_width = 1 + in.byte() % 64;
  const unsigned long n = 1 + in.byte() % 64;
  const std::string path =
      fuzz::scratch_dir_t::get().write("trace", in.rest_data(), in.rest_size());

  // Exactly the room the call may fill, so that a byte more is caught.
  const unsigned long room = (n + 7) / 8 * 8;
  const std::unique_ptr<uint8_t[]> buffer(new uint8_t[room]);
  try {
    mh_rvt_reader_t reader(path, xlen, flen, paddr_width, irf_data_width);
    unsigned long total = 0;
    while (const unsigned long got = reader.extract(buffer.get(), n)) {
      if (got > room || got % 8 != 0)
        fuzz::fail("extract returned " + std::to_string(got) + " bytes");
      total += got;
      if (total > in.rest_size()) fuzz::fail("more words than bytes in the stream");
    }
  } catch (const std::runtime_error& e) {
    if (*e.what() == '\0') fuzz::fail("an error without a message");
  }
  return 0;
}
