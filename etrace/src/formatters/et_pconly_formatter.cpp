#include "etrace/formatters/et_pconly_formatter.h"

void et_pconly_formatter_t::format(std::ostream& os, const et_insn_t& insn) {
  os << std::hex << std::uppercase;
  et_buffered_formatter_t::format(os, insn);
}

std::size_t et_pconly_formatter_t::build_record(char* out, const et_insn_t& insn) {
  static constexpr char digits[] = "0123456789ABCDEF";
  const std::uint64_t pc = insn.pc;
  unsigned n = 1;
  while (n < 16 && (pc >> (4 * n)) != 0) ++n;
  for (unsigned i = 0; i < n; ++i) out[n - 1 - i] = digits[(pc >> (4 * i)) & 0xf];
  out[n] = '\n';
  return n + 1;
}
