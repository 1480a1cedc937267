// A program-counter range of the command line whose instructions the diff
// leaves out on both sides: "start:end", both inclusive.
#pragma once

#include <tclap/CmdLine.h>

#include <cstdint>
#include <string>
#include <vector>

struct SkipRangeArg {
  // TCLAP hands the whole option text to operator=.
  typedef TCLAP::StringLike ValueCategory;

  int64_t start = 0;
  int64_t end = 0;

  SkipRangeArg() = default;
  SkipRangeArg(int64_t s, int64_t e) : start(s), end(e) {}

  // Parses "start:end": each bound a signed 64-bit number in decimal, octal
  // with a leading 0 or hexadecimal with 0x, as std::stoll reads it with
  // base 0; text after a second ":" is ignored. Any failure is reported as
  // TCLAP::ArgParseException, the only exception TCLAP handles.
  SkipRangeArg& operator=(const std::string& text);

  // Compared as unsigned numbers: a negative bound is its two's complement.
  bool contains(uint64_t pc) const { return uint64_t(start) <= pc && pc <= uint64_t(end); }
};

using skip_ranges_t = std::vector<SkipRangeArg>;

// Whether pc lies in any of the ranges.
inline bool is_skipped(const skip_ranges_t& ranges, uint64_t pc) {
  for (const SkipRangeArg& r : ranges)
    if (r.contains(pc)) return true;
  return false;
}
