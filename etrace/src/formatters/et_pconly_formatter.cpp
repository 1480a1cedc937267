#include "formatters/et_pconly_formatter.h"

void et_pconly_formatter_t::format(std::ostream& os, const et_insn_t& insn) {
  os << std::hex << std::uppercase << insn.pc << '\n' << std::flush;
}
