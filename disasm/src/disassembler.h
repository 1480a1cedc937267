// The disassembler: owns the instruction-table entries in 256 hash chains
// and finds the entry of an instruction word. Built once, read-only after.
// An index over each chain gives the result of the chain's back-to-front
// scan without walking the whole chain.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "disasm/disasm_insn.h"
#include "disasm/insn.h"

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

  // The matching entry, or null. The word's opcode chain is probed first,
  // then its compressed chain, then chain 255; the first chain with a match
  // decides, so a later entry of an earlier chain can win (c.mop.N and
  // c.sspush over c.lui). Within a chain the entries added while the table
  // was built are met in the order they were added, and entries added after
  // construction ahead of them, the newest first.
  disasm_insn_t const* get_disasm(unsigned long word) const { return lookup(insn_t(word)); }
  disasm_insn_t const* lookup(insn_t const& insn) const;
  // The first match of a scan of one chain from its last element towards its
  // first.
  disasm_insn_t const* probe_once(insn_t const& insn, unsigned long chain) const;

  // Takes ownership and appends to the end of the entry's chain. The probe
  // scans from the back, and init reverses every chain once the table is
  // built; so an entry added after construction is met first in its chain.
  // The chain's index is then rebuilt on the spot.
  void add_insn(disasm_insn_t* insn);

  // The entries of one chain (0 to 255) in stored order: probes scan it from
  // the back.
  std::vector<disasm_insn_t const*> const& chain(unsigned long n) const { return chains_[n]; }

  // Text of the matching entry, or "unknown".
  std::string disassemble(unsigned long word) const;
  // `disassemble` up to its first blank: the mnemonic.
  std::string get_name(unsigned long word) const;

  // The chain an entry with this mask and match belongs to.
  static unsigned long chain_of(uint64_t mask, uint64_t match);

  // Number of entries over all chains.
  std::size_t entry_count() const {
    std::size_t n = 0;
    for (auto const& chain : chains_) n += chain.size();
    return n;
  }

  // Bytes that the lookup index takes, in this object and on the heap (the
  // chains and entries not counted).
  std::size_t index_bytes() const;

private:
  // Up to this many runs of adjacent bits form a bucket key. Two cover the
  // funct3 and funct6/funct7 fields that split the big chains, and keep the
  // key cheap to compute on every lookup.
  static constexpr std::size_t max_key_fields = 2;

  // An entry as a bucket holds it: the scan reads the low halves of mask and
  // match inline and touches the entry itself only on a hit.
  struct slot_t {
    uint32_t mask;
    uint32_t match;
    disasm_insn_t const* insn;
  };

  // Index of one chain. Words are sorted into 2^k buckets by k of their bits,
  // chosen per chain among the bits that most entries fix; a bucket lists, in
  // probe order, every entry that can match a word with its key, so an entry
  // that leaves key bits free sits in every bucket its fixed bits allow.
  // Half a cache line and aligned to it, so that a probe reads one line.
  struct alignas(32) chain_index_t {
    // key = OR over the fields of (word >> shift) & mask; an unused field
    // has mask 0. The fields fill the key from bit 0 up.
    std::array<uint8_t, max_key_fields> shift{};
    std::array<uint16_t, max_key_fields> mask{};
    // Some entry's mask covers bits 32 to 63: a hit on the low halves is
    // confirmed on the entry.
    bool high_masks = false;
    // Bucket b is slots[start[b]] up to slots[start[b + 1]]; both null while
    // the chain holds no entry that can match.
    std::unique_ptr<uint32_t[]> start;
    std::unique_ptr<slot_t[]> slots;

    uint64_t key(uint64_t word) const {
      uint64_t k = 0;
      for (std::size_t i = 0; i < max_key_fields; ++i) k |= (word >> shift[i]) & mask[i];
      return k;
    }
    uint32_t buckets() const {
      uint32_t all = 0;
      for (uint16_t m : mask) all |= m;
      return all + 1;
    }
  };
  static_assert(sizeof(chain_index_t) == 32, "a chain's index fills half a cache line");

  // An entry on its way into the buckets of its chain.
  struct pending_t {
    disasm_insn_t const* insn;
    uint64_t mask;
    uint64_t match;
    uint32_t value;  // its fixed key bits, as in its match
    uint32_t free;   // the key bits its mask leaves free
  };

  void init(isa_parser_i const* isa);
  void delete_all();
  // probe_once for a chain number known to be in range.
  disasm_insn_t const* probe(unsigned long chain, uint64_t word) const;
  // Rebuilds the index of one chain; `scratch` is working space.
  void build_index(unsigned long chain, std::vector<pending_t>& scratch);

  std::array<std::vector<disasm_insn_t const*>, chain_count> chains_;
  std::array<chain_index_t, chain_count> index_;
  // Set once init has built every index; add_insn keeps them current after.
  bool indexed_ = false;
};
