// A cache of the disassembly fields of instruction words. The disassembler
// is read-only once built, so the fields of a word never change; traces run
// loops, so most words repeat and skip both the table lookup and the text.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "disassembler.h"
#include "records/et_insn.h"

class disasm_cache_t {
public:
  disasm_cache_t(const disassembler_t& disassembler, bool with_text)
      : disassembler_(disassembler), with_text_(with_text), slots_(new slot_t[slot_count]()) {}

  // Fills the record's fields exactly as et_insn_t::fill_disasm_fields does.
  void fill(et_insn_t& insn) {
    slot_t& s = slots_[index(insn.chunk)];
    if (!s.used || s.chunk != insn.chunk) {
      insn.fill_disasm_fields(disassembler_, with_text_);
      s.used = true;
      s.chunk = insn.chunk;
      s.known = insn.disasm_known;
      s.flags = insn.flags;
      s.insn_id = insn.insn_id;
      s.disasm_size = strnlen(insn.disasm, sizeof insn.disasm - 1) + 1;
      std::memcpy(s.disasm, insn.disasm, s.disasm_size);
      return;
    }
    insn.disasm_known = s.known;
    insn.flags = s.flags;
    insn.insn_id = s.insn_id;
    std::memcpy(insn.disasm, s.disasm, s.disasm_size);  // the text and its terminator
  }

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

  const disassembler_t& disassembler_;
  const bool with_text_;
  std::unique_ptr<slot_t[]> slots_;
};
