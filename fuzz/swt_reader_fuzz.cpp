// The trace stream through mh_swt_reader_t: the first eight bytes configure
// the reader (fuzz_inputs.h), the rest is the stream; every object is
// written out as text.
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "etrace/mh_swt_reader.h"
#include "fuzz_inputs.h"
#include "fuzz_support.h"

namespace {

// fmemopen refuses an empty buffer: an empty stream reads from a byte that
// lies past the end.
FILE* open_bytes(const uint8_t* data, size_t size) {
  static uint8_t none = 0;
  FILE* file =
      size == 0 ? fmemopen(&none, 1, "rb") : fmemopen(const_cast<uint8_t*>(data), size, "rb");
  if (file == nullptr) fuzz::fail("fmemopen failed");
  if (size == 0) std::fgetc(file);
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::input_t in(data, size);
  const fuzz::swt_setup_t s = fuzz::swt_setup_t::read(in);
  FILE* file = open_bytes(in.rest_data(), in.rest_size());
  try {
    mh_swt_reader_t reader(file, s.hart_mask, s.skip_rvt, s.skip_l2t, s.skip_dct, s.geometry);
    std::string text;
    while (const et_object_t* object = reader.get_next_object()) text = object->to_string();
  } catch (const std::runtime_error& e) {
    if (*e.what() == '\0') fuzz::fail("an error without a message");
  }
  std::fclose(file);
  return 0;
}
