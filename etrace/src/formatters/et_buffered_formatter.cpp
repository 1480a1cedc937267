#include "etrace/formatters/et_buffered_formatter.h"

void et_buffered_formatter_t::format(std::ostream& os, const et_insn_t& insn) {
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

std::string et_buffered_formatter_t::record_text(const et_insn_t& insn) {
  char record[max_record];
  return std::string(record, build_record(record, insn));
}
