#include "disasm/tables/catch_all.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <utility>

#include "disasm/disassembler.h"
#include "disasm/insn_ids.h"
#include "disasm/isa_parser.h"
#include "support/table_check.h"

namespace {

std::string const unknown_suffix = " (args unknown)";

std::string dotted(std::string_view underscore_name) {
  std::string s(underscore_name);
  for (char& c : s)
    if (c == '_') c = '.';
  return s;
}

// The chains in the order lookup probes them.
std::array<unsigned long, 3> probe_order(uint64_t word) {
  return {word & 0x7f, (word & 0xe003) % 255, disassembler_t::other_chain};
}

std::size_t probe_rank(uint64_t word, unsigned long chain) {
  auto order = probe_order(word);
  for (std::size_t i = 0; i < order.size(); ++i)
    if (order[i] == chain) return i;
  return order.size();
}

// The catch-all row lookup must reach for `word` when no real entry is in the
// way: the first chain in probe order that holds a matching row, and within
// it the matching row with the smallest id.
catch_all_row_t const* expected_catch_all(uint64_t word) {
  for (unsigned long chain : probe_order(word)) {
    for (catch_all_row_t const& row : catch_all_rows) {
      if ((word & row.mask) == row.match && disassembler_t::chain_of(row.mask, row.match) == chain)
        return &row;
    }
  }
  return nullptr;
}

unsigned long row_id(catch_all_row_t const& row) {
  return first_sorted_insn_id + static_cast<unsigned long>(&row - catch_all_rows.data());
}

class CatchAll : public ::testing::Test {
protected:
  test_isa_t nothing_{64, {}};
  disassembler_t bare_{&nothing_};
};

TEST_F(CatchAll, WordOfADisabledExtensionGetsItsNameIdAndNoOperands) {
  struct case_t {
    uint64_t word;
    char const* name;  // underscore form
  };
  static const case_t cases[] = {
      {0x02b50533, "mul"},        // mul a0, a0, a1
      {0x3ab50533, "aes64ds"},    // no crypto extension
      {0x00b5002f, "amoadd_b"},   // printed with dots
      {0x9002, "c_ebreak"},       // opcode chain 2, before c.add's chain
      {0x6000, "c_flw"},          // overlaps c.ld, which has the larger id
      {0x6081, "c_mop_1"},        // overlaps c.sspush, which has the larger id
      {0x00005007, "vle16_v"},    // single-field load of 16-bit elements
      {0x20005007, "vle16_v"},    // segment load of 16-bit elements: field count open
      {0x02805007, "vl1re16_v"},  // whole-register load
      {0x0400402b, "kuzn64esx"},  // custom instruction without its extension
  };
  for (case_t const& c : cases) {
    disasm_insn_t const* e = bare_.get_disasm(c.word);
    ASSERT_NE(e, nullptr) << std::hex << c.word;
    std::string text = dotted(c.name) + unknown_suffix;
    EXPECT_EQ(e->insn_id, insn_id(c.name)) << text;
    EXPECT_EQ(e->insn_flags, 0u) << text;
    EXPECT_EQ(bare_.disassemble(c.word), text);
    EXPECT_EQ(e->to_string(insn_t(c.word)), text);
  }
}

TEST_F(CatchAll, WordOfNoKnownEncodingStaysUnknown) {
  for (uint64_t word : {0x7full, 0xffffffffull, 0x0000000bull}) {
    EXPECT_EQ(bare_.get_disasm(word), nullptr) << std::hex << word;
    EXPECT_EQ(bare_.disassemble(word), "unknown");
  }
}

TEST_F(CatchAll, RealEntriesWinOverCatchAllsOfTheSameWord) {
  // The always-present base instructions.
  EXPECT_EQ(bare_.disassemble(0x00b50533), "add     a0, a0, a1");
  EXPECT_EQ(bare_.get_disasm(0)->insn_id, 0u);           // c.unimp, which has no catch-all
  EXPECT_EQ(bare_.get_disasm(0xc0001073)->insn_id, 1u);  // unimp, which has no catch-all

  test_isa_t with_m(64, {'M'});
  disassembler_t d(&with_m);
  disasm_insn_t const* mul = d.get_disasm(0x02b50533);
  ASSERT_NE(mul, nullptr);
  EXPECT_EQ(d.disassemble(0x02b50533), "mul     a0, a0, a1");
  EXPECT_EQ(mul->insn_id, insn_id("mul"));
  EXPECT_EQ(mul->insn_flags, insn_flag::RS1 | insn_flag::RS2 | insn_flag::RD);

  test_isa_t with_zca(64, {EXT_ZCA});
  disassembler_t c(&with_zca);
  EXPECT_EQ(c.disassemble(0x9002), "c.ebreak");
  EXPECT_EQ(c.get_disasm(0x9002)->insn_id, insn_id("c_add"));
}

// The custom groups depend on the register width: an RV64 custom word on RV32
// has only its catch-all.
TEST(CatchAllWidths, CustomWordOfTheOtherWidthFindsOnlyItsCatchAll) {
  disassembler_t rv32(32);
  disassembler_t rv64(64);
  uint64_t const kuzn64esx = 0x0400402b;
  EXPECT_EQ(rv32.disassemble(kuzn64esx), "kuzn64esx (args unknown)");
  ASSERT_NE(rv64.get_disasm(kuzn64esx), nullptr);
  EXPECT_FALSE(is_catch_all(*rv64.get_disasm(kuzn64esx)));
  EXPECT_EQ(rv32.get_disasm(kuzn64esx)->insn_id, rv64.get_disasm(kuzn64esx)->insn_id);
}

// Every row, looked up by its own match word in a table that enables nothing,
// is found unless a real entry or a catch-all tried earlier covers the word.
TEST_F(CatchAll, EveryRowIsFoundForItsOwnMatchWord) {
  std::size_t found_itself = 0;
  for (catch_all_row_t const& row : catch_all_rows) {
    unsigned long id = row_id(row);
    SCOPED_TRACE(std::string(row.name));
    disasm_insn_t const* e = bare_.get_disasm(row.match);
    catch_all_row_t const* expected = expected_catch_all(row.match);
    ASSERT_NE(e, nullptr);
    ASSERT_NE(expected, nullptr);
    if (is_catch_all(*e)) {
      EXPECT_EQ(e->name, dotted(expected->name) + unknown_suffix);
      EXPECT_EQ(e->insn_id, row_id(*expected));
      EXPECT_EQ(e->match, expected->match);
      EXPECT_EQ(e->mask, expected->mask);
      EXPECT_EQ(e->insn_flags, 0u);
      EXPECT_TRUE(e->args.empty());
      if (e->insn_id == id) ++found_itself;
    } else {
      // A real entry can only be in the way from the same or an earlier chain.
      EXPECT_LE(probe_rank(row.match, disassembler_t::chain_of(e->mask, e->match)),
                probe_rank(row.match, disassembler_t::chain_of(expected->mask, expected->match)))
          << e->name;
    }
  }
  // Only the always-present real entries (the ungated packed multiplies and
  // the 41 fused pairs among them) and a few overlapping encodings (c.ld
  // under c.flw, the shadow-stack words under the may-be-operations, ...)
  // stand in the way; almost every row must be reached directly.
  EXPECT_GT(found_itself, 1140u);
}

// Where a word finds the real entry of the row's own name, both must agree on
// match and mask, but for c_nop and the generated vector names, whose
// catch-alls deliberately cover more.
TEST(CatchAllRows, MatchAndMaskAreThoseOfTheRealEntryOfTheSameName) {
  std::set<std::string_view> const wider{"c_nop"};
  for (int xlen : {32, 64}) {
    disassembler_t all(xlen);
    std::size_t compared = 0;
    for (catch_all_row_t const& row : catch_all_rows) {
      disasm_insn_t const* e = all.get_disasm(row.match);
      if (e == nullptr || is_catch_all(*e) || e->name != dotted(row.name) || wider.count(row.name))
        continue;
      ++compared;
      EXPECT_EQ(e->match, row.match) << row.name << " on RV" << xlen;
      // The generated load/store entries fix the field count (bits 29 to 31),
      // their catch-alls leave it open.
      bool vector_family = row.mask == 0x1df0707f || row.mask == 0x1c00707f;
      uint64_t mask = vector_family ? row.mask | 0xe0000000 : row.mask;
      EXPECT_EQ(e->mask, mask) << row.name << " on RV" << xlen;
    }
    EXPECT_GT(compared, 0u);
  }
}

TEST(CatchAllRows, NamesWithoutARealEntryUseTheirOwnValues) {
  struct case_t {
    char const* name;
    uint64_t match;
    uint64_t mask;
  };
  static const case_t cases[] = {
      {"c_nop", 0x0001, 0xef83},
      {"c_addi16sp", 0x6101, 0xef83},
      {"c_mop_N", 0x6081, 0xf8ff},
      {"mop_r_N", 0x81c04073, 0xb3c0707f},
      {"slli_rv32", 0x1013, 0xfe00707f},
      {"xperm8", 0x28004033, 0xfe00707f},
      {"vle16_v", 0x5007, 0x1df0707f},
      {"vlse8_v", 0x8000007, 0x1c00707f},
      {"jal", 0x6f, 0x7f},
      {"jalr", 0x67, 0x707f},
      {"c_lw", 0x4000, 0xe003},
      {"uret", 0x00200073, 0xffffffff},
      {"fuse_c_and_c_beq", 0xd0000000004630fbull, 0xffc0007ffffe31ffull},
  };
  for (case_t const& c : cases) {
    catch_all_row_t const& row = catch_all_rows[insn_id(c.name) - first_sorted_insn_id];
    EXPECT_EQ(row.name, c.name);
    EXPECT_EQ(row.match, c.match) << c.name;
    EXPECT_EQ(row.mask, c.mask) << c.name;
  }
  for (catch_all_row_t const& row : catch_all_rows)
    EXPECT_EQ(row.match & ~row.mask, 0u) << row.name << ": match bits outside the mask";
}

}  // namespace
