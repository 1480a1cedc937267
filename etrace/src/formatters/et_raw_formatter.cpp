#include "etrace/formatters/et_raw_formatter.h"

#include <cstring>
#include <stdexcept>

std::size_t et_raw_formatter_t::build_record(char* out, const et_insn_t& insn) {
  line_.clear();
  insn.append_text(line_);
  line_.push_back('\n');
  // The text has fixed-width fields, 14 operands at most: far below the room.
  if (line_.size() > max_record) throw std::logic_error("raw record longer than its room");
  std::memcpy(out, line_.data(), line_.size());
  return line_.size();
}
