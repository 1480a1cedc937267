#include "support/table_check.h"

#include <gtest/gtest.h>

#include <regex>

#include "disasm/disassembler.h"
#include "disasm/insn_ids.h"

void expect_decodes(isa_parser_i const& isa, std::vector<decode_case> const& cases) {
  disassembler_t const d(&isa);
  for (decode_case const& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "xlen " << isa.get_max_xlen() << ", word 0x" << std::hex << c.word);
    disasm_insn_t const* insn = d.get_disasm(c.word);
    ASSERT_NE(insn, nullptr);
    EXPECT_EQ(d.disassemble(c.word), c.text);
    EXPECT_EQ(insn->insn_id, c.id);
    EXPECT_EQ(insn->insn_flags, c.flags);
  }
}

unsigned long generated_family_id(std::string const& name) {
  static const struct {
    std::regex pattern;
    unsigned long id;
  } families[] = {
      {std::regex("vl(seg[2-8])?e[0-9]+\\.v"), insn_id("vle8_v")},
      {std::regex("vs(seg[2-8])?e[0-9]+\\.v"), insn_id("vse8_v")},
      {std::regex("vl(seg[2-8])?e[0-9]+ff\\.v"), insn_id("vle8ff_v")},
      {std::regex("vls(seg[2-8])?e[0-9]+\\.v"), insn_id("vlse8_v")},
      {std::regex("vss(seg[2-8])?e[0-9]+\\.v"), insn_id("vsse8_v")},
      {std::regex("vlux(seg[2-8])?ei[0-9]+\\.v"), insn_id("vluxei8_v")},
      {std::regex("vsux(seg[2-8])?ei[0-9]+\\.v"), insn_id("vsuxei8_v")},
      {std::regex("vlox(seg[2-8])?ei[0-9]+\\.v"), insn_id("vloxei8_v")},
      {std::regex("vsox(seg[2-8])?ei[0-9]+\\.v"), insn_id("vsoxei8_v")},
      {std::regex("vl[1248]re[0-9]+\\.v"), insn_id("vl1re8_v")},
  };
  for (auto const& f : families)
    if (std::regex_match(name, f.pattern)) return f.id;
  return 0;
}

std::vector<disasm_insn_t const*> all_entries(disassembler_t const& d) {
  std::vector<disasm_insn_t const*> entries;
  for (unsigned long c = 0; c < disassembler_t::chain_count; ++c)
    entries.insert(entries.end(), d.chain(c).begin(), d.chain(c).end());
  return entries;
}

bool is_catch_all(disasm_insn_t const& e) {
  static std::string const suffix = " (args unknown)";
  return e.name.size() > suffix.size() &&
         e.name.compare(e.name.size() - suffix.size(), suffix.size(), suffix) == 0;
}
