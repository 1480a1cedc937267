#pragma once
// Adds to a record what the trace stream does not carry: the identifier,
// operand flags and (optionally) text of its instruction-table entry, and,
// for FPGA ("hwt") traces, the destination register number read from the
// instruction word. Every tool annotates through this one step.
//
// The disassembler is read-only once built, so the fields of a word never
// change; traces run loops, so most words repeat and are served from a
// per-word cache without the table lookup or the text.
#include <cstdint>
#include <cstring>
#include <memory>

#include "etrace/records/et_insn.h"

class disassembler_t;
class disasm_insn_t;

// The identifier a record gets when no table entry matches its word.
inline constexpr std::uint64_t et_unknown_insn_id = ~std::uint64_t(0);

// The identifier of the matching entry, or et_unknown_insn_id.
std::uint64_t et_insn_id_of(const disasm_insn_t* entry);

class et_annotator_t {
public:
  struct options_t {
    bool with_text;         // the entry's text into `disasm` ("unknown" without an entry)
    bool hwt_destinations;  // FPGA traces: destination numbers from the word
  };

  et_annotator_t(const disassembler_t& disassembler, options_t options);

  void annotate(et_insn_t& insn) {
    const slot_t& s = slots_[index(insn.chunk)];
    if (s.used && s.chunk == insn.chunk) {
      insn.disasm_known = s.known;
      insn.flags = s.flags;
      insn.insn_id = s.insn_id;
      std::memcpy(insn.disasm, s.disasm, s.disasm_size);  // the text and its terminator
    } else {
      annotate_and_remember(insn);
    }
    if (options_.hwt_destinations) derive_destination(insn);
  }

  // The disassembly fields without a cache: `disasm_known`, `insn_id`,
  // `flags` and, with text, `disasm`.
  static void fill(const disassembler_t& disassembler, et_insn_t& insn, bool with_text);

  // FPGA traces carry no destination register numbers: take them from the
  // instruction word, and keep only the destination and store flags.
  static void derive_destination(et_insn_t& insn);

private:
  static constexpr std::size_t slot_count = 4096;  // a power of two
  struct slot_t {
    bool used;
    std::uint8_t known;
    std::uint64_t chunk, flags, insn_id;
    std::size_t disasm_size;
    char disasm[sizeof(et_insn_t::disasm)];
  };
  static std::size_t index(std::uint64_t chunk) {
    return std::size_t((chunk ^ (chunk >> 13) ^ (chunk >> 29)) & (slot_count - 1));
  }
  void annotate_and_remember(et_insn_t& insn);

  const disassembler_t& disassembler_;
  const options_t options_;
  std::unique_ptr<slot_t[]> slots_;
};
