#include "formatters/et_raw_formatter.h"

void et_raw_formatter_t::format(std::ostream& os, const et_insn_t& insn) {
  line_.clear();
  insn.append_text(line_);
  line_.push_back('\n');
  os.write(line_.data(), std::streamsize(line_.size()));
  os.flush();
}
