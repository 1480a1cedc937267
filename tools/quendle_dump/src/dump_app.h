// quendle_dump: disassembles one instruction word, with every extension
// enabled, and logs the word, its text and its instruction identifier.
#pragma once

#include <cstdint>

// Builds the table for register width `xlen` and logs the three lines for
// `word` ("chunk = ", "disasm: ", "topc: ") under "DecodeChunk" through the
// static logger. Returns 0; whether the lines reached standard output is
// the caller's check (quendle_dump_main makes it).
int run_quendle_dump(uint64_t word, int xlen);

// The whole program: logger set-up, command line, then run_quendle_dump.
// Exit status 0, or 1 for a command-line error (TCLAP's own text), a chunk
// that is not a hexadecimal 64-bit number, or output that cannot be written.
int quendle_dump_main(int argc, const char* const* argv);
