// The disassembler: owns the instruction-table entries in 256 hash chains
// and finds the entry of an instruction word. Built once, read-only after.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "disasm_insn.h"
#include "insn.h"

class isa_parser_i;

class disassembler_t {
 public:
  static constexpr unsigned long chain_count = 256;
  // Chain of the entries that neither fix the major opcode nor the
  // compressed quadrant and funct3.
  static constexpr unsigned long other_chain = 255;

  // Builds the table for the extensions that `isa` enables; keeps no
  // reference to it.
  explicit disassembler_t(isa_parser_i const* isa);
  // Builds the table with every extension enabled for register width `xlen`.
  explicit disassembler_t(int xlen);
  ~disassembler_t();

  disassembler_t(disassembler_t const&) = delete;
  disassembler_t& operator=(disassembler_t const&) = delete;

  // The matching entry (the first added among those that match), or null.
  disasm_insn_t const* get_disasm(unsigned long word) const { return lookup(insn_t(word)); }
  disasm_insn_t const* lookup(insn_t const& insn) const;
  // Scans one chain from its last element towards its first.
  disasm_insn_t const* probe_once(insn_t const& insn, unsigned long chain) const;

  // Takes ownership and appends to the end of the entry's chain.
  void add_insn(disasm_insn_t* insn);

  // Text of the matching entry, or "unknown".
  std::string disassemble(unsigned long word) const;
  // `disassemble` up to its first blank: the mnemonic.
  std::string get_name(unsigned long word) const;

  // The chain an entry with this mask and match belongs to.
  static unsigned long chain_of(uint64_t mask, uint64_t match);

  // The entries of one chain as stored; a probe scans them from the back.
  std::vector<disasm_insn_t const*> const& chain(unsigned long index) const {
    return chains_[index];
  }

  // Number of entries over all chains.
  std::size_t entry_count() const {
    std::size_t n = 0;
    for (auto const& chain : chains_) n += chain.size();
    return n;
  }

 private:
  void init(isa_parser_i const* isa);
  void delete_all();

  std::array<std::vector<disasm_insn_t const*>, chain_count> chains_;
};
