// Helpers of the instruction-table tests: a parser that enables exactly the
// extensions it is given, and a check of decoded words.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "disasm/isa_parser.h"

class disassembler_t;
class disasm_insn_t;

// Enables exactly the given letters and extension codes; 'V' among them
// stands for "some vector extension is present".
class test_isa_t : public isa_parser_i {
public:
  test_isa_t(uint32_t xlen, std::initializer_list<unsigned> codes) : xlen_(xlen), codes_(codes) {}
  bool extension_enabled(unsigned char letter) const override { return codes_.count(letter) != 0; }
  bool extension_enabled(isa_extension_t ext) const override { return codes_.count(ext) != 0; }
  uint32_t get_max_xlen() const override { return xlen_; }
  bool has_any_vector() const override { return codes_.count('V') != 0; }

private:
  uint32_t xlen_;
  std::set<unsigned> codes_;
};

struct decode_case {
  uint64_t word;
  char const* text;
  unsigned long id;
  unsigned long flags;
};

// Decodes every case with the table of `isa` and checks text, id and flags.
void expect_decodes(isa_parser_i const& isa, std::vector<decode_case> const& cases);

// The identifier shared by a generated vector load/store family ("vlseg3e32.v"
// is a member of the unit-stride load family, that of vle8.v), or 0 for any other name.
unsigned long generated_family_id(std::string const& name);

// Every entry of the disassembler, chain by chain.
std::vector<disasm_insn_t const*> all_entries(disassembler_t const& d);

// Whether the entry is an "(args unknown)" one.
bool is_catch_all(disasm_insn_t const& e);
