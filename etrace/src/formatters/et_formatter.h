// The output-formatter interface: one object per output format turns each
// selected instruction record into the bytes of the output file. It has no
// data, so that a format of one's own needs no more than these operations.
#pragma once

#include <ios>
#include <ostream>

#include "etrace/records/et_insn.h"

class et_base_formatter_t {
public:
  // Writes one record.
  virtual void format(std::ostream& os, const et_insn_t& insn) = 0;
  // The flags to open the output file with; none unless a format needs some.
  virtual std::ios::openmode get_openmode() const { return std::ios::openmode(); }
  virtual ~et_base_formatter_t() = default;
};
