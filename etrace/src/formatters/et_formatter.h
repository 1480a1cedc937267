// The output-formatter interface: one object per output format turns each
// selected instruction record, and each RVT, L2T or DCT message, into the
// bytes of the output file. Every record and message reaches the output
// through it.
#pragma once

#include <cstddef>
#include <ios>
#include <ostream>
#include <string>

#include "formatters/et_timestamp_column.h"
#include "records/et_insn.h"
#include "records/et_object.h"

class et_base_formatter_t {
public:
  // Room that build_record() needs: every record of every format fits.
  static constexpr std::size_t max_record = 2048;

  // Writes one record: the bytes of build_record() with one unformatted
  // write, then a flush when the format flushes every record.
  virtual void format(std::ostream& os, const et_insn_t& insn);
  // The flags to open the output file with; none unless a format needs some.
  virtual std::ios::openmode get_openmode() const { return std::ios::openmode(); }
  virtual ~et_base_formatter_t() = default;

  // Builds one record's bytes at out (room for max_record) and returns
  // their count. Throws before writing anything when the record cannot be
  // formatted.
  virtual std::size_t build_record(char* out, const et_insn_t& insn) = 0;
  // Whether the output is flushed after every record, so that a reader of a
  // growing file sees each line whole as soon as it is written.
  virtual bool flushes_every_record() const { return false; }

  // The record as a string (for reports).
  std::string record_text(const et_insn_t& insn);

  // Appends the line of an RVT, L2T or DCT message: the time-stamp column,
  // the kind's tag ("RVT " ...), the message text and a newline.
  void append_message(std::string& line, const et_object_t& message) const;

protected:
  // Message lines without a time-stamp column.
  et_base_formatter_t() = default;
  explicit et_base_formatter_t(const et_timestamp_column_t& timestamp) : timestamp_(timestamp) {}

  const et_timestamp_column_t& timestamp_column() const { return timestamp_; }

private:
  et_timestamp_column_t timestamp_;
};
