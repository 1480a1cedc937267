// The "raw" output format: the record's own one-line text per line.
#pragma once

#include <string>

#include "etrace/formatters/et_buffered_formatter.h"

class et_raw_formatter_t : public et_buffered_formatter_t {
public:
  et_raw_formatter_t() = default;

  // The record text and a newline; the output is flushed after each.
  std::size_t build_record(char* out, const et_insn_t& insn) override;
  bool flushes_every_record() const override { return true; }

private:
  std::string line_;  // reused, so that a line costs no allocation
};
