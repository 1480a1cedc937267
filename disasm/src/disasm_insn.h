// One instruction-table entry: how to recognise a word, its identifier, its
// operand flags and how to print it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disasm/arg.h"
#include "disasm/insn.h"

// Operand flags: the register roles and memory behaviour of an instruction.
// Trace records copy them and compare register values by them.
namespace insn_flag {
enum : unsigned long {
  RS1 = 0x1,
  RS2 = 0x2,
  RS3 = 0x4,
  RD = 0x8,
  FRS1 = 0x10,
  FRS2 = 0x20,
  FRS3 = 0x40,
  FRD = 0x80,
  MEM = 0x100,
  STORE = 0x200,
  RSD = 0x400,   // also reads integer rd (accumulating instructions)
  RSDH = 0x800,  // H: the odd register of a 64-bit register pair
  RS1H = 0x1000,
  RS2H = 0x2000,
  RS3H = 0x4000,
  RDH = 0x8000,
};
}  // namespace insn_flag

class disasm_insn_t {
public:
  // Names are given in underscore form ("fcvt_s_w") and kept with dots
  // ("fcvt.s.w"). A null element of `args` makes the next printer optional:
  // it is left out when its text is empty.
  disasm_insn_t(char const* name, char const* base_name, unsigned long match, unsigned long mask,
                unsigned long id, unsigned long flags, std::vector<arg_t const*> const& args);
  // The same, taking over the printer list instead of copying it.
  disasm_insn_t(char const* name, char const* base_name, unsigned long match, unsigned long mask,
                unsigned long id, unsigned long flags, std::vector<arg_t const*>&& args);

  bool matches(uint64_t word) const { return (word & mask) == match; }

  // Assembly text: the mnemonic in a field of 8 columns (at least one blank),
  // then the operand texts joined by ", ".
  std::string to_string(insn_t const& insn) const;

  uint64_t match;
  uint64_t mask;
  uint32_t insn_id;
  uint64_t insn_flags;
  std::vector<arg_t const*> args;
  std::string name;
  std::string base_name;
  bool print_name = true;  // cleared for fused pairs, whose printer writes the whole text
};
