#pragma once
// Nexus program-trace messages: byte framing, field readers and the message
// parsers, with the per-source state the messages carry.
//
// Every byte holds 6 data bits (MDO, bits 7..2) and 2 framing bits (MSEO,
// bits 1..0): MSEO bit 0 ends a variable field, MSEO 3 ends the message. An
// 0xFF byte between messages is idle. Fields are packed least-significant bit
// first.
//
//   nexus_decoder_t nexus(64, true, 2);
//   nexus.enable_nexus_log();
//   nexus.open("trace.nx");
//   while (nexus.read_message()) use(nexus.tcode(), nexus.message_log());
//
// Bad input throws std::runtime_error: a file that ends inside a message, a
// variable field wider than 64 bits, an unknown TCODE.
//
// decode() rebuilds the executed instructions from the messages: it walks the
// program image (ELF files, or the words of an HWT trace) from the source's
// last known program counter, one line per instruction:
//
//   nexus.enable_disasm_log();
//   nexus.decode(0x1, std::cout, "trace.nx", {"boot.elf"}, nullptr, true);
//
// Choices the walk makes where the messages leave it open:
// - With the Nexus log on, each message is first listed as its raw bytes,
//   "0x" and two upper-case hexadecimal digits and a blank per byte ("0x0D ").
//   The listing reads ahead and seeks back, so the file must be seekable.
// - Each source has its own branch history in the walk: a message sets and
//   its walk uses its own source's, so a source walks the same whatever else
//   is selected. hist() is the decoder's one register of the messages read.
// - Only sources 0 to 30 can be selected; the others' Nexus state is kept
//   anyway. State is kept for the sources that appear, whatever the SRC width.
// - A source lists nothing until a message with Sync (or Synchronization)
//   has given it a program counter. With an HWT trace its blocks still use
//   up the words their I-CNT covers.
// - A word the disassembler does not know has identifier -1 and the text
//   "unknown"; its length comes from its low bits.
// - An instruction longer than the halfwords left ends the block.
// - A walk longer than the walk cap (2^32) steps (instructions and block ends) throws;
//   repeated block ends over a count of 0 are applied in one step.
// - A Resource Full walk through an image that comes back to a program
//   counter with no history bit used since can never end: it throws there.
// - The metrics lines go to standard output in decimal whatever the state of
//   the caller's streams.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "etrace/mh_swt_reader.h"  // callers pass readers by unique_ptr, nullptr included
#include "etrace/nexus/nexus_message.h"
#include "etrace/nexus/nexus_source_table.h"

struct nexus_layout_t;
class disassembler_t;

class nexus_decoder_t {
public:
  // Fixed fields and SRC wider than this are outside the format.
  static constexpr unsigned long max_fixed_width = 27;
  static constexpr unsigned long max_src_bits = max_fixed_width;

  // Throws std::invalid_argument when src_bits is above max_src_bits.
  nexus_decoder_t(unsigned long xlen, bool has_src, unsigned long src_bits);
  virtual ~nexus_decoder_t();
  nexus_decoder_t(const nexus_decoder_t&) = delete;
  nexus_decoder_t& operator=(const nexus_decoder_t&) = delete;

  // Input. open reads a file (throws "Failed to read Nexus trace file: "
  // + path); attach reads the caller's stream, which must outlive the reads.
  void open(const std::string& path);
  void attach(std::istream& in);

  // The most instructions and block ends one message may walk by default.
  static constexpr uint64_t default_walk_cap = uint64_t(1) << 32;
  void set_walk_cap(uint64_t cap) { walk_cap_ = cap; }
  // The disassembler the walk looks words up with, kept by the caller for
  // the decode calls; null (the default) builds one with every extension for
  // XLEN on each call. For a caller that decodes many short files.
  void use_disassembler(const disassembler_t* disassembler) { disassembler_ = disassembler; }

  // Decodes the whole file at nexus_path onto out. Bit n of src_mask selects
  // source n for the walk. Words come from the ELF files, or from hwt_reader
  // when elf_paths is empty. Throws std::runtime_error; what was written to
  // out before the failure stays there.
  void decode(unsigned long src_mask, std::ostream& out, const std::string& nexus_path,
              const std::vector<std::string>& elf_paths,
              const std::unique_ptr<mh_swt_reader_t>& hwt_reader, bool stop_on_error);
  // "\t|" word in lower-case hexadecimal (at least 8 digits) "|\t " text.
  static std::string get_pc_disasm(unsigned long word, const disassembler_t& disassembler);
  // The next instruction of the HWT trace the walk may use; false at its end.
  static bool get_next_hwt_insn(const std::unique_ptr<mh_swt_reader_t>& reader, unsigned long& word,
                                bool& fused, bool& exception);

  // Reads the next message after any idle bytes and parses it into
  // message(); false at the end of the input between messages. Starts the
  // message log with a newline and sets B-CNT to 1 before the parser runs.
  bool read_message();
  // The last message read.
  const nexus_message_t& message() const { return message_; }

  // Field readers: the next field, least-significant byte first into out.
  // Only out_size bytes (at most 8) are written. A fixed field wider than
  // max_fixed_width throws std::invalid_argument.
  void parse_fixed_field(unsigned long width, unsigned char* out, unsigned long out_size);
  void parse_variable_field(unsigned char* out, unsigned long out_size = 8);
  uint64_t read_fixed_field(unsigned long width);
  uint64_t read_variable_field();

  // Message bodies (everything after the TCODE byte). sync selects the form
  // with Sync: TCODE 11, 12 and 29.
  void parse_sync();
  void parse_ownership();
  void parse_dir_brch(bool sync);
  void parse_repeat_brch();
  void parse_indir_brch(bool sync);
  void parse_error();
  void parse_correlation();
  void parse_history(bool sync);
  void parse_resource_full();

  // Branch outcomes least-significant bit first above a leading 1 that marks
  // their end; 0 and 1 give 1.
  static uint64_t reverse_history_bits(uint64_t hist);

  // The message log is only written while the Nexus log is on, so that
  // decoding without it formats nothing.
  void enable_nexus_log() { nexus_log_ = true; }
  void disable_nexus_log() { nexus_log_ = false; }
  void enable_disasm_log() { disasm_log_ = true; }
  void disable_disasm_log() { disasm_log_ = false; }
  void enable_metrics_log() { metrics_log_ = true; }
  void disable_metrics_log() { metrics_log_ = false; }
  bool nexus_log() const { return nexus_log_; }
  bool disasm_log() const { return disasm_log_; }
  bool metrics_log() const { return metrics_log_; }

  const std::string& message_log() const { return log_; }
  uint8_t tcode() const { return message_.tcode; }
  // A field of the last message; 0 when it did not carry it. I-CNT, B-CNT,
  // ECODE and the ownership value keep their low 32 bits.
  uint64_t field(nexus_field_t id) const { return message_.field(id); }

  unsigned long xlen() const { return xlen_; }
  bool has_src() const { return has_src_; }
  unsigned long src_bits() const { return src_bits_; }
  // Sources that have a state: those the messages read so far named.
  std::size_t sources_seen() const { return sources_.size(); }
  uint32_t src() const { return message_.src; }
  // The last I-CNT and HIST the messages carried (HIST reversed); the walk
  // counts and uses its own copies.
  uint64_t icnt() const { return icnt_; }
  uint32_t bcnt() const { return message_.bcnt; }
  uint64_t hist() const { return hist_; }
  bool end_of_message() const { return end_of_message_; }
  uint8_t bit_offset() const { return bit_offset_; }
  // The state of a source; 0 for one that has not appeared. A source the
  // SRC field cannot name throws std::out_of_range.
  uint64_t timestamp(std::size_t src) const { return source(src).timestamp; }
  uint32_t saved_icnt(std::size_t src) const { return source(src).saved_icnt; }
  uint64_t full_address(std::size_t src) const { return source(src).full_address; }
  uint64_t unique_address(std::size_t src) const { return source(src).unique_address; }

private:
  // What the messages of one source leave behind.
  struct source_state_t {
    uint64_t timestamp = 0;       // the running GLOBAL TSTAMP
    uint64_t full_address = 0;    // F-ADDR doubled, or the last indirect target
    uint64_t unique_address = 0;  // U-ADDR doubled
    uint32_t saved_icnt = 0;      // for a Repeat Branch
  };
  const source_state_t& source(std::size_t src) const;
  uint8_t next_byte();
  void parse_body(uint8_t tcode);
  void write_line(const nexus_layout_t& layout, const source_state_t& state);

  std::ifstream file_;
  std::streambuf* in_ = nullptr;
  unsigned long xlen_;
  bool has_src_;
  unsigned long src_bits_;
  uint64_t icnt_ = 0;
  nexus_source_table_t<source_state_t> sources_;
  bool end_of_message_ = false;
  uint64_t hist_ = 0;
  // MDO bits of byte_ already used; while not 0 the next field starts in
  // byte_ instead of reading a new byte.
  uint8_t bit_offset_ = 0;
  uint8_t byte_ = 0;
  nexus_message_t message_;
  std::string log_;
  bool nexus_log_ = false;
  bool disasm_log_ = false;
  bool metrics_log_ = false;
  uint64_t walk_cap_ = default_walk_cap;
  const disassembler_t* disassembler_ = nullptr;
};
