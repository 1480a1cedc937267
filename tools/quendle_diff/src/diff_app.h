// quendle_diff: compares two execution traces instruction by instruction and
// reports the first difference, or that the traces are equal.
#pragma once

#include <string>

#include "skip_range.h"

class disassembler_t;
class et_reader_t;
class et_swt_formatter_t;

// One trace of the comparison: its reader, the path named in the report, and
// its name ("trace0" or "trace1") in the errors of its reader.
struct diff_trace_t {
  et_reader_t& reader;
  std::string path;
  std::string name;
};

// The comparison run: pairs the committed instructions of both traces outside
// the skip ranges, compares them, accepts a fused pair on one side against
// its two instructions on the other, and logs the verdict under "TDT".
// Returns 0 when the traces are equal, -1 when they differ.
int diff_traces(diff_trace_t trace0, diff_trace_t trace1, const skip_ranges_t& skip, uint64_t xlen,
                et_swt_formatter_t& formatter, const disassembler_t& disassembler);

// The whole program: exit status 0 (equal, help, version), 255 (different,
// or the configuration file cannot be loaded) or 1 (a command-line error or
// an error after it, such as an unreadable or malformed trace, or a report
// that could not be written).
int quendle_diff_main(int argc, const char* const* argv);
