// The "swt" output format: one text line per instruction with privilege,
// program counter, optional chunk and profile columns, disassembly and the
// register, address and cause fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "formatters/et_formatter.h"
#include "formatters/et_printf_format.h"

class et_swt_formatter_t : public et_base_formatter_t {
public:
  // Widths are in bits (1 to 64; 0 counts as 64 for the masks). The three
  // conversion texts are printf conversions without the leading "%": two
  // integer ones (time stamp, uiid) and one string one (disassembly);
  // std::invalid_argument for any other text or a width above 64.
  et_swt_formatter_t(std::uint64_t xlen, std::uint64_t flen, std::uint64_t paddr_width,
                     bool timestamp, bool uiid, bool chunk, bool fetch_redirect, bool profile,
                     const std::string& ts_format, const std::string& uiid_format,
                     const std::string& disasm_format);

  // Writes one line, newline included, without flushing.
  void format(std::ostream& os, const et_insn_t& insn) override;
  // The same line as a string (for reports).
  std::string format(const et_insn_t& insn);
  std::ios::openmode get_openmode() const override { return std::ios::out; }

  // Longest line that format() writes.
  static constexpr std::size_t max_line = 2048;

  // Builds the line into out (room for max_line characters); returns its length.
  std::size_t build_line(char* out, const et_insn_t& insn) const;

private:
  unsigned xdig_, fdig_, pdig_;
  std::uint64_t xmask_, fmask_, pmask_;
  bool timestamp_, uiid_, chunk_, fetch_redirect_, profile_;
  et_int_format_t ts_format_, uiid_format_;
  et_str_format_t disasm_format_;
};
