// The time-stamp column that leads an output line when time stamps are
// shown: "< " + the cycle in the user's integer conversion + " > ". The
// "swt" instruction lines and the message lines of every text format share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "etrace/formatters/et_printf_format.h"

class et_timestamp_column_t {
public:
  // Longest column that put() writes, and the room it needs.
  static constexpr std::size_t max_size = 2 + et_int_format_t::max_output + 3;

  // No column.
  et_timestamp_column_t() = default;
  // The conversion is checked even when the column is not shown, so that a
  // bad one is refused whatever the switches; std::invalid_argument for it.
  et_timestamp_column_t(bool shown, const std::string& conversion)
      : shown_(shown), conversion_(conversion) {}

  bool shown() const { return shown_; }

  // Writes the column for cycle at p (room for max_size) and returns its
  // end; writes nothing when the column is not shown.
  char* put(char* p, std::uint64_t cycle) const {
    if (!shown_) return p;
    std::memcpy(p, "< ", 2);
    p += 2;
    p += conversion_.format(p, cycle);
    std::memcpy(p, " > ", 3);
    return p + 3;
  }

private:
  bool shown_ = false;
  et_int_format_t conversion_;
};
