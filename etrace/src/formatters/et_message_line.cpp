#include "etrace/formatters/et_message_line.h"

#include <cstdint>
#include <stdexcept>

namespace {

std::uint64_t message_cycle(const et_object_t& message) {
  switch (message.kind) {
    case et_object_t::KIND_RVT: return message.rvt.cycle;
    case et_object_t::KIND_L2T: return message.l2t.cycle;
    case et_object_t::KIND_DCT: return message.dct.cycle;
    default: throw std::logic_error("not a message: " + message.to_string());
  }
}

}  // namespace

void append_message_line(std::string& line, const et_timestamp_column_t& timestamp,
                         const et_object_t& message) {
  const std::uint64_t cycle = message_cycle(message);
  char stamp[et_timestamp_column_t::max_size];
  line.append(stamp, timestamp.put(stamp, cycle));
  message.append_text(line);  // the kind's tag and the text
  line += '\n';
}
