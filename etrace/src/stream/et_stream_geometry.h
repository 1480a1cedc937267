#pragma once
// The stream's geometry: the widths of the configurable fields of the binary
// trace record stream and the cache-line layout of its data messages, as the
// configuration file's "swt" node gives them. One value, handed to every part
// that reads or writes the stream; et_wire_format.h derives the field widths
// from it.
#include <cstdint>

struct et_stream_geometry_t {
  int xlen = 0;                      // XLEN: registers, virtual addresses, program counters
  int flen = 0;                      // FLEN: floating-point registers
  unsigned long paddr_width = 0;     // PADDR_WIDTH: physical addresses
  unsigned long irf_data_width = 0;  // IRF_DATA_WIDTH: integer register values
  unsigned long cl_width = 0;        // CL_WIDTH: bits of a cache line
  unsigned long cl_chunks = 0;       // CL_CHUNKS: chunks a cache line is sent in
  bool poison_enable = false;        // POISON_ENABLE: data messages carry poison bits

  // Throws std::runtime_error for a geometry the stream cannot have: a field
  // width outside 1 to 64 ("Invalid XLEN: 0 (...)"), no chunks, or more than
  // 8 data words in a chunk. What the stream reader checks.
  void check() const;
  // The four field widths only, what the instruction records need (the RVT
  // extractor reads no data message).
  void check_widths() const;

  // Derived values, for a geometry that passed check().
  // Virtual addresses and program counters: XLEN bits.
  unsigned va_width() const { return unsigned(xlen); }
  // Store data: max(XLEN, FLEN) bits.
  unsigned std_width() const { return unsigned(xlen > flen ? xlen : flen); }
  // 64-bit data words in a cache-line chunk (0 without chunks).
  unsigned wd_words() const { return cl_chunks == 0 ? 0 : unsigned(cl_width / cl_chunks / 64); }
  // Chunk-number bits: the trailing zero bits of CL_CHUNKS (0 without chunks).
  unsigned cn_width() const { return cl_chunks == 0 ? 0 : unsigned(__builtin_ctzl(cl_chunks)); }
};

bool operator==(const et_stream_geometry_t& a, const et_stream_geometry_t& b);
inline bool operator!=(const et_stream_geometry_t& a, const et_stream_geometry_t& b) {
  return !(a == b);
}
