// The "raw" output format: the record's own one-line text per line.
#pragma once

#include <string>

#include "formatters/et_formatter.h"

class et_raw_formatter_t : public et_base_formatter_t {
public:
  // The record text and a newline; flushes the stream.
  void format(std::ostream& os, const et_insn_t& insn) override;

private:
  std::string line_;  // reused, so that a line costs no allocation
};
