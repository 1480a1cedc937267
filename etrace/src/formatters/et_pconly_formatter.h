// The "pconly" output format: one program counter per line.
#pragma once

#include "etrace/formatters/et_buffered_formatter.h"

class et_pconly_formatter_t : public et_buffered_formatter_t {
public:
  et_pconly_formatter_t() = default;

  // Writes the line and flushes the stream, leaving it in upper-case
  // hexadecimal mode as if the number had been streamed.
  void format(std::ostream& os, const et_insn_t& insn) override;
  // pc in upper-case hexadecimal and a newline.
  std::size_t build_record(char* out, const et_insn_t& insn) override;
  bool flushes_every_record() const override { return true; }
};
