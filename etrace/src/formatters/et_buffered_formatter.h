// A formatter that builds each record's bytes into a caller's buffer: the
// four formats of the library. The formatter program builds them straight
// into its output file's blocks, without a stream between; format() on a
// stream writes the same bytes.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>

#include "etrace/formatters/et_formatter.h"
#include "etrace/records/et_insn.h"

class et_buffered_formatter_t : public et_base_formatter_t {
public:
  // Room that build_record() needs: every record of every format fits.
  static constexpr std::size_t max_record = 2048;

  // Writes the bytes of build_record() with one unformatted write, then a
  // flush when the format flushes every record.
  void format(std::ostream& os, const et_insn_t& insn) override;

  // Builds one record's bytes at out (room for max_record) and returns
  // their count. Throws before writing anything when the record cannot be
  // formatted.
  virtual std::size_t build_record(char* out, const et_insn_t& insn) = 0;
  // Whether the output is flushed after every record, so that a reader of a
  // growing file sees each line whole as soon as it is written.
  virtual bool flushes_every_record() const { return false; }

  // The record as a string (for reports).
  std::string record_text(const et_insn_t& insn);
};
