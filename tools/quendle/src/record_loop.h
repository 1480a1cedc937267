// quendle's record loop: from the reader's objects to the output file. Each
// selected instruction goes through the formatter, by the buffer path of a
// buffered formatter or through a stream onto the file for any other; each
// RVT, L2T or DCT message becomes a text line.
#pragma once

#include <string>

#include "disasm/disassembler.h"
#include "etrace/formatters/et_buffered_formatter.h"
#include "etrace/formatters/et_formatter.h"
#include "etrace/formatters/et_timestamp_column.h"
#include "etrace/records/et_annotator.h"
#include "etrace/stream/et_reader.h"
#include "output_file.h"
#include "quendle_options.h"

class record_loop_t {
public:
  // Uses the options' mode, interrupt, input-format and time-stamp settings.
  record_loop_t(const quendle_options_t& o, et_base_formatter_t& formatter,
                const disassembler_t& disassembler, output_file_t& out);

  // Until the reader has no more objects; the reader's and the formatter's
  // exceptions pass through, with what was written before kept in out.
  void run(et_reader_t& reader);

  // Whether out may write its blocks in a thread of its own for this
  // formatter: not when every record must reach the file at once.
  static bool writes_in_background(const et_base_formatter_t& formatter);

private:
  void instruction(et_insn_t& insn);
  void write(const et_insn_t& insn);
  void message(const et_object_t& m);

  const quendle_options_t& o_;
  et_base_formatter_t& formatter_;
  // The same formatter when it builds its records in place, else null.
  et_buffered_formatter_t* const buffered_;
  et_annotator_t annotator_;
  output_file_t& out_;
  output_file_stream_t stream_;  // for a formatter that writes to a stream
  const et_timestamp_column_t message_timestamp_;
  const unsigned long mode_mask_;
  const bool flush_every_record_;  // asked once: it is a property of the format
  unsigned depth_ = 0;             // interrupt nesting while interrupts are left out
  std::string line_;               // reused for the message lines
};
