// The "pconly" output format: one program counter per line.
#pragma once

#include "formatters/et_formatter.h"

class et_pconly_formatter_t : public et_base_formatter_t {
public:
  // pc in upper-case hexadecimal and a newline; flushes the stream and
  // leaves it in upper-case hexadecimal mode.
  void format(std::ostream& os, const et_insn_t& insn) override;
};
