// The program-counter range option of quendle_diff: any text is either a
// range or TCLAP's parse error, the only exception TCLAP handles.
#include <string>

#include "fuzz_support.h"
#include "skip_range.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  SkipRangeArg range(1, 2);
  try {
    range = text;
  } catch (const TCLAP::ArgParseException&) {
    // A refused text leaves the range as it was.
    if (range.start != 1 || range.end != 2) fuzz::fail("a refused text changed the range");
  }
  return 0;
}
