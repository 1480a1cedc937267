// The "swt" output format: one text line per instruction with privilege,
// program counter, optional chunk and profile columns, disassembly and the
// register, address and cause fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "etrace/formatters/et_buffered_formatter.h"
#include "etrace/formatters/et_printf_format.h"
#include "etrace/formatters/et_timestamp_column.h"

class et_swt_formatter_t : public et_buffered_formatter_t {
public:
  // Widths are in bits (1 to 64; 0 counts as 64 for the masks). The three
  // conversion texts are printf formats without the leading "%": two for one
  // integer (time stamp, uiid; see et_int_format_t) and one string
  // conversion (disassembly); std::invalid_argument for any other text or a
  // width above 64.
  et_swt_formatter_t(std::uint64_t xlen, std::uint64_t flen, std::uint64_t paddr_width,
                     bool timestamp, bool uiid, bool chunk, bool fetch_redirect, bool profile,
                     const std::string& ts_format, const std::string& uiid_format,
                     const std::string& disasm_format);

  // The format() on a stream writes one line, newline included, without
  // flushing.
  using et_buffered_formatter_t::format;
  // The same line as a string (for reports).
  std::string format(const et_insn_t& insn) { return record_text(insn); }
  std::ios::openmode get_openmode() const override { return std::ios::out; }

  // The line, newline included.
  std::size_t build_record(char* out, const et_insn_t& insn) override;

private:
  et_timestamp_column_t timestamp_;
  unsigned xdig_, fdig_, pdig_;
  std::uint64_t xmask_, fmask_, pmask_;
  bool uiid_, chunk_, fetch_redirect_, profile_;
  et_int_format_t uiid_format_;
  et_str_format_t disasm_format_;
  // By operand kind (pair half, integer, floating point): value mask and digits.
  std::uint64_t kind_masks_[3];
  unsigned kind_digits_[3];
};
