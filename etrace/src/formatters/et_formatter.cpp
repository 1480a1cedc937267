#include "formatters/et_formatter.h"

#include <stdexcept>

void et_base_formatter_t::format(std::ostream& os, const et_insn_t& insn) {
  char record[max_record];
  const std::streamsize n = std::streamsize(build_record(record, insn));
  // Straight to the buffer: one record per call makes the stream's sentry
  // a noticeable part of the cost. A short write marks the stream bad.
  std::streambuf* buf = os.good() ? os.rdbuf() : nullptr;
  if (buf == nullptr || buf->sputn(record, n) != n)
    os.setstate(std::ios::badbit);
  else if (flushes_every_record())
    os.flush();
}

std::string et_base_formatter_t::record_text(const et_insn_t& insn) {
  char record[max_record];
  return std::string(record, build_record(record, insn));
}

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

void et_base_formatter_t::append_message(std::string& line, const et_object_t& message) const {
  const std::uint64_t cycle = message_cycle(message);
  char stamp[et_timestamp_column_t::max_size];
  line.append(stamp, timestamp_.put(stamp, cycle));
  message.append_text(line);  // the kind's tag and the text
  line += '\n';
}
