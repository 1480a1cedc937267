#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "arg.h"
#include "disasm_insn.h"
#include "disassembler.h"
#include "insn_ids.h"
#include "isa_parser.h"

namespace {

// A core with nothing but its base: only the always-present groups and the
// "(args unknown)" entries are in its table.
class nothing_enabled_t : public isa_parser_i {
 public:
  bool extension_enabled(unsigned char) const override { return false; }
  bool extension_enabled(isa_extension_t) const override { return false; }
  uint32_t get_max_xlen() const override { return 64; }
  bool has_any_vector() const override { return false; }
};

std::string text_of(disasm_insn_t const& insn, uint64_t word) { return insn.to_string(insn_t(word)); }

// ---- Text builder -------------------------------------------------------

constexpr uint64_t a0_a1_a2 = (10u << 7) | (11u << 15) | (12u << 20);

TEST(text_builder, pads_the_mnemonic_to_8_columns_with_at_least_one_blank) {
  std::vector<arg_t const*> const r = {&int_rd_arg, &int_rs1_arg, &int_rs2_arg};
  struct {
    char const* name;
    char const* expected;
  } const cases[] = {
      {"add", "add     a0, a1, a2"},
      {"c_addiw", "c.addiw a0, a1, a2"},
      {"fcvt_s_w", "fcvt.s.w a0, a1, a2"},
      {"fcvt_s_wu", "fcvt.s.wu a0, a1, a2"},
  };
  for (auto const& c : cases) {
    disasm_insn_t insn(c.name, c.name, 0, 0, 2, 0xb, r);
    EXPECT_EQ(text_of(insn, a0_a1_a2), c.expected);
  }
}

TEST(text_builder, entry_without_operands_prints_the_bare_mnemonic) {
  disasm_insn_t insn("fence_i", "fence_i", 0x100f, 0xffffffff, 269, 0, {});
  EXPECT_EQ(text_of(insn, 0x100f), "fence.i");
}

TEST(text_builder, constructor_keeps_names_with_dots_and_the_low_32_bits_of_the_id) {
  disasm_insn_t insn("c_addi", "addi_x", 0x1, 0xe003, 0x100000059ul, 0x9, {&int_rd_arg});
  EXPECT_EQ(insn.name, "c.addi");
  EXPECT_EQ(insn.base_name, "addi.x");
  EXPECT_EQ(insn.insn_id, 0x59u);
  EXPECT_EQ(insn.match, 0x1u);
  EXPECT_EQ(insn.mask, 0xe003u);
  EXPECT_EQ(insn.insn_flags, 0x9u);
  EXPECT_TRUE(insn.print_name);
}

TEST(text_builder, without_print_name_only_the_operands_are_printed) {
  disasm_insn_t insn("fuse_x", "fuse_x", 0, 0, 0, 0, {&int_rd_arg});
  insn.print_name = false;
  EXPECT_EQ(text_of(insn, 10u << 7), "a0");
}

TEST(text_builder, optional_vector_mask_is_dropped_only_when_empty) {
  disasm_insn_t vadd("vadd_vv", "vadd_vv", 0x57, 0xfc00707f, 937, 0,
                     {&vec_rd_arg, &vec_rs2_arg, &vec_rs1_arg, nullptr, &vmask_arg});
  uint64_t const v1_v2_v3 = (1u << 7) | (3u << 15) | (2u << 20) | 0x57;
  EXPECT_EQ(text_of(vadd, v1_v2_v3 | (1u << 25)), "vadd.vv v1, v2, v3");
  EXPECT_EQ(text_of(vadd, v1_v2_v3), "vadd.vv v1, v2, v3, v0.t");

  // Without the marker an empty text still gets its separator.
  disasm_insn_t plain("x", "x", 0, 0, 0, 0, {&int_rd_arg, &vmask_arg});
  EXPECT_EQ(text_of(plain, (10u << 7) | (1u << 25)), "x       a0, ");
}

// ---- Chains, probing and lookup order ------------------------------------

TEST(chains, are_chosen_from_mask_and_match) {
  struct {
    uint64_t mask, match;
    unsigned long chain;
  } const cases[] = {
      {0x707f, 0x13, 0x13},                                    // major opcode
      {0xffffffff, 0xc0001073, 0x73},                          // unimp
      {0xffff, 0x0, 0},                                        // c.unimp: mask covers the opcode bits
      {0xffff, 0x9002, 2},                                     // c.ebreak sits in opcode chain 2
      {0xf003, 0x9002, 130},                                   // c.add: 32 x funct3 4 + quadrant 2
      {0xe003, 0x4001, 65},                                    // c.li
      {0xe003, 0xe002, 226},                                   // highest compressed chain
      {0xfff8000000003fffull, 0x8000000000001bbfull, 0x3f},    // fused pair marker
      {0xff00000000000000ull, 0x5a00000000000000ull, 255},     // neither
      {0x3f, 0x13, 255},                                       // opcode only partly fixed
  };
  for (auto const& c : cases)
    EXPECT_EQ(disassembler_t::chain_of(c.mask, c.match), c.chain)
        << std::hex << c.mask << " " << c.match;
}

// Entries added after construction are probed first in their chain, which
// lets these tests place hand-made entries whatever the table holds. The high
// bits they require keep them away from ordinary words.
class lookup_mechanics : public ::testing::Test {
 protected:
  static constexpr uint64_t tag = 0x5a00000000000000ull;
  static constexpr uint64_t tag_mask = 0xff00000000000000ull;

  disasm_insn_t* add(char const* name, uint64_t mask, uint64_t match) {
    auto* insn = new disasm_insn_t(name, name, match, mask, 7, 0, {});
    d.add_insn(insn);
    return insn;
  }
  // A low word that no entry of the table knows.
  uint64_t unknown_low_word() const {
    for (uint64_t funct3 = 8; funct3-- > 0;)
      for (uint64_t opcode = 0x7f;; opcode -= 4) {
        uint64_t word = 0xffff8000u | (funct3 << 12) | 0xf80 | opcode;
        if (!d.get_disasm(word)) return word;
        if (opcode < 4) break;
      }
    ADD_FAILURE() << "every candidate word is known";
    return 0;
  }

  disassembler_t d{64};
};

TEST_F(lookup_mechanics, added_entry_is_found_in_its_chain_only) {
  uint64_t word = tag | 0x13;
  auto* insn = add("tagged", tag_mask | 0x7f, word);
  EXPECT_EQ(d.probe_once(insn_t(word), 0x13), insn);
  EXPECT_NE(d.probe_once(insn_t(word), 0x33), insn);
  EXPECT_NE(d.probe_once(insn_t(word), 255), insn);
  EXPECT_EQ(d.probe_once(insn_t(word), 256), nullptr);
  EXPECT_EQ(d.get_disasm(word), insn);
}

TEST_F(lookup_mechanics, probe_runs_from_the_back_of_the_chain) {
  uint64_t word = tag | 0x33;
  add("front", tag_mask | 0x7f, word);
  auto* back = add("back", tag_mask | 0x7f, word);
  EXPECT_EQ(d.probe_once(insn_t(word), 0x33), back);
}

TEST_F(lookup_mechanics, opcode_chain_then_compressed_chain_then_chain_255) {
  uint64_t const low = unknown_low_word();
  uint64_t const bit55 = 1ull << 55, bit54 = 1ull << 54;
  auto* other = add("other", tag_mask, tag);
  auto* compressed = add("compressed", tag_mask | bit54 | 0xe003, tag | bit54 | (low & 0xe003));
  auto* opcode = add("opcode", tag_mask | bit55 | bit54 | 0x7f, tag | bit55 | bit54 | (low & 0x7f));
  ASSERT_EQ(disassembler_t::chain_of(other->mask, other->match), 255u);
  ASSERT_NE(disassembler_t::chain_of(compressed->mask, compressed->match), 255u);

  EXPECT_EQ(d.get_disasm(tag | bit55 | bit54 | low), opcode);
  EXPECT_EQ(d.get_disasm(tag | bit54 | low), compressed);
  EXPECT_EQ(d.get_disasm(tag | low), other);
  EXPECT_EQ(d.get_disasm(low), nullptr);
}

TEST_F(lookup_mechanics, unknown_word_has_no_entry_and_prints_unknown) {
  uint64_t const low = unknown_low_word();
  EXPECT_EQ(d.get_disasm(low), nullptr);
  EXPECT_EQ(d.disassemble(low), "unknown");
  EXPECT_EQ(d.get_name(low), "unknown");
}

TEST(lookup, disassembler_built_from_a_parser_keeps_no_reference_to_it) {
  auto parser = std::make_unique<enable_all_exts>(64);
  disassembler_t d(parser.get());
  parser.reset();
  EXPECT_EQ(d.disassemble(0x00000013), "nop");
}

// ---- Table order: the first entry added wins ------------------------------

struct table_case_t {
  uint64_t word;
  char const* text;
  char const* id_name;  // underscore name whose identifier the entry carries
};

void expect_table(disassembler_t const& d, std::vector<table_case_t> const& cases) {
  for (auto const& c : cases) {
    disasm_insn_t const* insn = d.get_disasm(c.word);
    ASSERT_NE(insn, nullptr) << std::hex << c.word;
    EXPECT_EQ(insn->to_string(insn_t(c.word)), c.text) << std::hex << c.word;
    EXPECT_EQ(insn->insn_id, insn_id(c.id_name)) << std::hex << c.word;
    EXPECT_EQ(d.disassemble(c.word), c.text);
  }
}

TEST(table_order, fixed_entries_and_pseudo_instructions_come_first) {
  disassembler_t d(64);
  expect_table(d, {
      {0x00000000, "c.unimp", "c_unimp"},         // not the c.addi4spn that shares chain 0
      {0xc0001073, "unimp", "unimp"},             // not csrw / csrrw
      {0x00000013, "nop", "addi"},
      {0x00100093, "li      ra, 1", "addi"},
      {0x00050593, "mv      a1, a0", "addi"},
      {0x00150513, "addi    a0, a0, 1", "addi"},
      {0x00008067, "ret", "jalr"},
      {0x0000006f, "j       pc + 0x00000", "jal"},
      {0xc0002573, "csrr    a0, cycle", "csrrs"},
  });
}

TEST(table_order, compressed_opcode_chain_entries_precede_the_compressed_chains) {
  disassembler_t d(64);
  expect_table(d, {
      {0x9002, "c.ebreak", "c_add"},       // id of the encoding c.ebreak is a case of
      {0x9082, "c.jalr  ra", "c_jalr"},
      {0x8082, "c.ret", "c_jr"},
      {0x9096, "c.add   ra, ra, t0", "c_add"},
      {0x8096, "c.mv    ra, t0", "c_mv"},
      {0x7101, "c.addi  sp, sp, -512", "c_addi16sp"},
      {0x0001, "c.nop", "c_addi"},
  });
  EXPECT_EQ(d.get_name(0x7101), "c.addi");
  EXPECT_EQ(d.get_name(0x00000013), "nop");
}

TEST(table_order, high_bits_do_not_stop_ordinary_entries_matching) {
  disassembler_t d(64);
  EXPECT_EQ(d.disassemble(0x1234567800000013ull), "nop");
}

TEST(table_order, catch_all_entries_are_found_only_when_nothing_else_matches) {
  uint64_t const mul_a0_a0_a1 = 0x02b50533;
  nothing_enabled_t nothing;
  disassembler_t bare(&nothing);
  disasm_insn_t const* unknown_args = bare.get_disasm(mul_a0_a0_a1);
  ASSERT_NE(unknown_args, nullptr);
  EXPECT_EQ(unknown_args->to_string(insn_t(mul_a0_a0_a1)), "mul (args unknown)");
  EXPECT_EQ(unknown_args->insn_id, insn_id("mul"));
  EXPECT_EQ(unknown_args->insn_flags, 0u);
  EXPECT_EQ(bare.disassemble(0x00000013), "nop");  // always-present groups stay

  disassembler_t full(64);
  EXPECT_EQ(full.disassemble(mul_a0_a0_a1), "mul     a0, a0, a1");
  EXPECT_EQ(full.get_disasm(mul_a0_a0_a1)->insn_flags, 0xbu);
}

}  // namespace
