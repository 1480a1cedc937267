#pragma once
// One RVT message of the trace stream.
#include <cstdint>
#include <string>

struct rvt_object_t {
  uint64_t cycle;  // running cycle at the record
  uint64_t data;   // the RVT word

  std::string to_string() const;  // "D=" + 16 hex digits
  void append_text(std::string& out) const;
};
