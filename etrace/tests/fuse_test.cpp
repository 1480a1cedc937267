// Fusion of two consecutive instruction records into one fused record, and
// recognition of fused words.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <utility>

#include "disasm/disasm_insn.h"
#include "disasm/disassembler.h"
#include "disasm/fused_pairs.h"
#include "disasm/insn_ids.h"
#include "etrace/records/et_insn.h"
#include "etrace/records/et_insn_fuse.h"

using namespace insn_flag;

namespace {

bool wide(uint64_t w) { return (w & 3) == 3; }

// A committed record of `word` whose register numbers are all present.
et_insn_t rec(uint64_t word, uint64_t pc = 0x1000) {
  et_insn_t in{};
  in.pril = 3;
  in.committed = 1;
  in.pc = pc;
  in.chunk = word;
  in.rd = et_reg_t{1, (word >> 7) & 31, 1, 0x100 + pc};
  in.rs1 = et_reg_t{1, (word >> 15) & 31, 1, 0x200 + pc};
  in.rs2 = et_reg_t{1, (word >> 20) & 31, 1, 0x300 + pc};
  return in;
}

// The fused word as its fields are laid out.
uint64_t fused_word(uint64_t kind, uint64_t x0_branch, uint64_t w1, uint64_t w2, uint64_t imm) {
  uint64_t funct3 = wide(w2) ? (w2 >> 12) & 7 : (w2 >> 13) & 7;
  uint64_t marker = (wide(w1) && wide(w2)) ? 0x3f : (wide(w1) || wide(w2)) ? 0x1f : 0x7b;
  return (uint64_t(1) << 63) | (kind << 60) | (x0_branch << 54) | (funct3 << 51) | (imm << 39) |
         (w1 << 7) | marker;
}

struct fuse_ok_t {
  const char* what;
  uint64_t w1, w2;
  uint64_t kind, x0_branch, imm;
  const char* entry;  // the fused-pair encoding that decodes the word
};

// Encodings: t0 = x5, a0 = x10, a1 = x11 (a0 is x8 + 2 in 3-bit fields).
const fuse_ok_t fusions[] = {
    {"lui.addi", 0x123452b7, 0x67828293, 0, 0, 0x678, "fuse_lui_addi"},
    {"lui.addi negative", 0x123452b7, 0xfff28293, 0, 0, 0xfff, "fuse_lui_addi"},
    {"lui.c.addi", 0x12345537, 0x0511, 0, 0, 4, "fuse_lui_c_addi"},
    {"lui.c.addi negative", 0x12345537, 0x157d, 0, 0, 0xfff, "fuse_lui_c_addi"},
    {"c.lui.addi", 0x6505, 0x00450513, 0, 0, 4, "fuse_c_lui_addi"},
    {"c.lui.c.addi", 0x6505, 0x0511, 0, 0, 4, "fuse_c_lui_c_addi"},
    {"lui.lw", 0x123452b7, 0x0082a283, 2, 0, 8, "fuse_lui_lx"},
    {"lui.lbu", 0x123452b7, 0xffc2c283, 2, 0, 0xffc, "fuse_lui_lx"},
    {"lui.c.lw", 0x12345537, 0x4148, 2, 0, 4, "fuse_lui_c_lx"},
    {"c.lui.c.lw offset 64", 0x6505, 0x4128, 2, 0, 64, "fuse_c_lui_c_lx"},
    {"c.lui.c.ld", 0x6505, 0x6508, 2, 0, 8, "fuse_c_lui_c_lx"},
    {"c.lui.c.ld offset 192", 0x6505, 0x6168, 2, 0, 192, "fuse_c_lui_c_lx"},
    {"lui.jalr", 0x123452b7, 0x010282e7, 3, 0, 16, "fuse_lui_jalr"},
    {"c.lui.jalr", 0x6505, 0x01050567, 3, 0, 16, "fuse_c_lui_jalr"},
    {"auipc.addi", 0x00000297, 0x01028293, 4, 0, 16, "fuse_auipc_addi"},
    {"auipc.c.addi", 0x00000517, 0x0511, 4, 0, 4, "fuse_auipc_c_addi"},
    {"auipc.ld", 0x00000297, 0x0102b283, 6, 0, 16, "fuse_auipc_lx"},
    {"auipc.c.lw", 0x00000517, 0x4148, 6, 0, 4, "fuse_auipc_c_lx"},
    {"auipc.jalr", 0x00000297, 0x010282e7, 7, 0, 16, "fuse_auipc_jalr"},
    {"andi.beq", 0x00157513, 0x00050863, 5, 0, 8, "fuse_andi_beq"},
    {"andi.beq backwards", 0x00157513, 0xfe050ee3, 5, 0, 0xffe, "fuse_andi_beq"},
    {"andi.beq x0 first source", 0x00157513, 0x00a00863, 5, 1, 8, "fuse_andi_beq"},
    {"andi.bltu", 0x00157513, 0x00056863, 5, 0, 8, "fuse_andi_beq"},
    {"andi.c.beqz", 0x00157513, 0xc501, 5, 0, 4, "fuse_andi_c_beq"},
    {"c.andi.beq", 0x8905, 0x00050863, 5, 0, 8, "fuse_c_andi_beq"},
    {"c.andi.c.beqz", 0x8905, 0xc501, 5, 0, 4, "fuse_c_andi_c_beq"},
    {"c.andi.c.bnez backwards", 0x8905, 0xfd7d, 5, 0, 0xfff, "fuse_c_andi_c_beq"},
    {"and.bne", 0x00b57533, 0x00051863, 5, 0, 8, "fuse_and_beq"},
    {"c.and.bge", 0x8d6d, 0x00055863, 5, 0, 8, "fuse_c_and_beq"},
    {"add.ld", 0x00b50533, 0x00853503, 1, 0, 0, "fuse_add_lx"},
    {"add.c.lw", 0x00b50533, 0x4148, 1, 0, 0, "fuse_add_c_lx"},
    {"add.uw.lw", 0x08b5053b, 0x00052503, 1, 0, 0, "fuse_add_uw_lx"},
    {"sh1add.lw", 0x20b52533, 0x00052503, 1, 0, 0, "fuse_sh1add_lx"},
    {"sh2add.lhu", 0x20b54533, 0x00055503, 1, 0, 0, "fuse_sh2add_lx"},
    {"sh3add.uw.ld", 0x20b5653b, 0x00053503, 1, 0, 0, "fuse_sh3add_uw_lx"},
    {"c.add.lw", 0x952e, 0x00052503, 1, 0, 0, "fuse_c_add_lx"},
    {"c.add.c.lw", 0x952e, 0x4148, 1, 0, 0, "fuse_c_add_c_lx"},
};

TEST(InsnFuse, EveryFamilyBuildsTheFusedWord) {
  for (const auto& c : fusions) {
    et_insn_t first = rec(c.w1, 0x1000), second = rec(c.w2, 0x1004);
    et_insn_t out{};
    ASSERT_EQ(out.fuse(first, second), et_fuse::fused) << c.what;
    EXPECT_EQ(out.chunk, fused_word(c.kind, c.x0_branch, c.w1, c.w2, c.imm))
        << c.what << std::hex << " got 0x" << out.chunk;
    EXPECT_TRUE(out.is_fused()) << c.what;
  }
}

// The disassembler knows every fused-pair encoding (at least by name), so it
// tells which pair a fused word stands for.
TEST(InsnFuse, TheDisassemblerDecodesEveryFusedWord) {
  const disassembler_t disassembler(64);
  for (const auto& c : fusions) {
    et_insn_t out{};
    ASSERT_EQ(out.fuse(rec(c.w1), rec(c.w2)), et_fuse::fused) << c.what;
    out.fill_disasm_fields(disassembler, true);
    EXPECT_EQ(out.insn_id, insn_id(c.entry)) << c.what << ": " << out.disasm;
  }
}

TEST(InsnFuse, FieldsComeFromTheRightRecord) {
  et_insn_t first = rec(0x00000297, 0x1000);   // auipc t0
  et_insn_t second = rec(0x010282e7, 0x1004);  // jalr t0, 16(t0), which traps
  second.trap = 1;
  second.cause = 1;
  second.ea_valid = second.pa_valid = 1;
  second.ea = 0x5000;
  second.pa = 0x6000;
  second.flags = MEM | RS1 | RD;
  second.rd.addr_valid = 0;
  first.hart = second.hart = 2;

  et_insn_t out{};
  out.uiid = 77;
  out.flags = RD;
  out.frd.data = 9;
  ASSERT_EQ(out.fuse(first, second), et_fuse::fused);
  EXPECT_EQ(out.pc, 0x1000u);
  EXPECT_EQ(out.hart, 2);
  EXPECT_EQ(out.rd.data, first.rd.data);  // the jalr trapped: rd of the auipc
  EXPECT_EQ(out.rs1.data, first.rs1.data);
  EXPECT_EQ(out.rs2.data, first.rs2.data);
  EXPECT_EQ(out.trap, 1);
  EXPECT_EQ(out.cause, 1u);
  EXPECT_EQ(out.ea, 0x5000u);
  EXPECT_EQ(out.pa, 0x6000u);
  EXPECT_EQ(out.flags, RD | MEM);  // only the memory flag is taken over
  EXPECT_EQ(out.uiid, 77u);        // left as the caller set it
  EXPECT_EQ(out.frd.data, 9u);

  second.trap = 0;
  second.rd.addr_valid = 1;
  ASSERT_EQ(out.fuse(first, second), et_fuse::fused);
  EXPECT_EQ(out.rd.data, second.rd.data);

  // A branch pair keeps the first instruction's destination.
  et_insn_t andi = rec(0x00157513), beq = rec(0x00050863);
  ASSERT_EQ(out.fuse(andi, beq), et_fuse::fused);
  EXPECT_EQ(out.rd.data, andi.rd.data);
}

TEST(InsnFuse, IntoOneOfItsInputs) {
  et_insn_t first = rec(0x123452b7, 0x1000), second = rec(0x67828293, 0x1004);
  const et_insn_t second_copy = second;
  ASSERT_EQ(second.fuse(first, second), et_fuse::fused);
  EXPECT_EQ(second.rd.data, second_copy.rd.data);
  EXPECT_EQ(second.pc, 0x1000u);
}

struct fuse_fail_t {
  const char* what;
  uint64_t w1, w2;
  std::function<void(et_insn_t& first, et_insn_t& second)> change;
  et_fuse::code_t code;
};

TEST(InsnFuse, FailureCodesLeaveTheRecordUnchanged) {
  auto none = [](et_insn_t&, et_insn_t&) {};
  const uint64_t lui = 0x123452b7, addi = 0x67828293, andi = 0x00157513, beq = 0x00050863,
                 add = 0x00b50533, ld = 0x00853503;
  const fuse_fail_t cases[] = {
      {"hart", lui, addi, [](et_insn_t& f, et_insn_t&) { f.hart = 1; }, et_fuse::hart},
      {"pril", lui, addi, [](et_insn_t& f, et_insn_t&) { f.pril = 0; }, et_fuse::pril},
      {"commit", lui, addi, [](et_insn_t&, et_insn_t& s) { s.committed = 0; }, et_fuse::committed},
      {"first trapped", lui, addi, [](et_insn_t& f, et_insn_t&) { f.trap = 1; },
       et_fuse::first_trapped},
      {"first c.li", 0x4505, addi, none, et_fuse::first_16bit_unsupported},
      {"second c.li", lui, 0x4505, none, et_fuse::second_16bit_unsupported},
      {"first sub", 0x40b50533, ld, none, et_fuse::first_unsupported},
      {"first ld", 0x0002b283, addi, none, et_fuse::first_unsupported},
      {"A: first rd missing", lui, addi, [](et_insn_t& f, et_insn_t&) { f.rd.addr_valid = 0; },
       et_fuse::upper_first_rd_missing},
      {"A: second add", lui, 0x005282b3, none, et_fuse::upper_second_unsupported},
      {"A: second ld with funct3 7", lui, 0x0002f283, none, et_fuse::upper_second_unsupported},
      {"A: second rd missing", lui, addi, [](et_insn_t&, et_insn_t& s) { s.rd.addr_valid = 0; },
       et_fuse::upper_second_operand_missing},
      {"A: second rs1 missing", lui, addi, [](et_insn_t&, et_insn_t& s) { s.rs1.addr_valid = 0; },
       et_fuse::upper_second_operand_missing},
      {"A: addi writes another register", lui, 0x00128313, none, et_fuse::upper_registers_differ},
      {"A: addi reads another register", lui, 0x00130293, none, et_fuse::upper_registers_differ},
      {"A: c.lui with a branch", 0x6505, 0xc501, none, et_fuse::upper_second_unsupported},
      {"B: first rd missing", andi, beq, [](et_insn_t& f, et_insn_t&) { f.rd.addr_valid = 0; },
       et_fuse::and_branch_first_rd_missing},
      {"B: first rs1 missing", andi, beq, [](et_insn_t& f, et_insn_t&) { f.rs1.addr_valid = 0; },
       et_fuse::and_branch_first_rs1_missing},
      {"B: and rs2 missing", 0x00b57533, beq,
       [](et_insn_t& f, et_insn_t&) { f.rs2.addr_valid = 0; },
       et_fuse::and_branch_first_rs2_missing},
      {"B: andi rs2 missing is fine", andi, beq,
       [](et_insn_t& f, et_insn_t&) { f.rs2.addr_valid = 0; }, et_fuse::fused},
      {"B: second addi", andi, addi, none, et_fuse::and_branch_second_not_branch},
      {"B: second jal", andi, 0x0100006f, none, et_fuse::and_branch_second_not_branch},
      {"B: branch on other registers", andi, 0x00b60863, none,
       et_fuse::and_branch_registers_differ},
      {"B: c.beqz on another register", andi, 0xc581, none, et_fuse::and_branch_registers_differ},
      // The fused word keeps only whether the branch's other source is x0.
      {"B: beq a0, a2", andi, 0x00c50863, none, et_fuse::and_branch_registers_differ},
      {"B: bne a2, a0", andi, 0x00a61863, none, et_fuse::and_branch_registers_differ},
      {"B: bltu a0, a0", andi, 0x00a56863, none, et_fuse::and_branch_registers_differ},
      {"B: and t0, t0, t1 with beq t0, t2", 0x0062f2b3, 0x00728863, none,
       et_fuse::and_branch_registers_differ},
      {"C: first rd missing", add, ld, [](et_insn_t& f, et_insn_t&) { f.rd.addr_valid = 0; },
       et_fuse::add_load_first_rd_missing},
      {"C: first rs1 missing", add, ld, [](et_insn_t& f, et_insn_t&) { f.rs1.addr_valid = 0; },
       et_fuse::add_load_first_rs1_missing},
      {"C: first rs2 missing", add, ld, [](et_insn_t& f, et_insn_t&) { f.rs2.addr_valid = 0; },
       et_fuse::add_load_first_rs2_missing},
      {"C: second addi", add, 0x00050513, none, et_fuse::add_load_second_not_load},
      {"C: second c.addi", add, 0x0511, none, et_fuse::add_load_second_not_load},
      {"C: second rd missing", add, ld, [](et_insn_t&, et_insn_t& s) { s.rd.addr_valid = 0; },
       et_fuse::add_load_second_operand_missing},
      {"C: second rd missing but trapped", add, ld,
       [](et_insn_t&, et_insn_t& s) {
         s.rd.addr_valid = 0;
         s.trap = 1;
       },
       et_fuse::fused},
      {"C: load into another register", add, 0x00853583, none, et_fuse::add_load_registers_differ},
      {"C: load from another register", add, 0x0085b503, none, et_fuse::add_load_registers_differ},
  };
  for (const auto& c : cases) {
    et_insn_t first = rec(c.w1), second = rec(c.w2, 0x1004);
    c.change(first, second);
    et_insn_t out = rec(0x13, 0x4444);
    out.uiid = 5;
    // A byte copy, so the padding compares equal too.
    et_insn_t before;
    std::memcpy(static_cast<void*>(&before), &out, sizeof out);
    EXPECT_EQ(out.fuse(first, second), c.code) << c.what;
    if (c.code != et_fuse::fused) {
      EXPECT_EQ(std::memcmp(&out, &before, sizeof out), 0) << c.what;
    }
  }
}

TEST(InsnFused, RecognisesOnlyFusedWords) {
  for (uint64_t word :
       {0x13ul, 0x952eul, 0xfffffffful, 0x123452b7ul, 0x8000000000000000ul, 0x0000000080001b9ful}) {
    et_insn_t in{};
    in.chunk = word;
    EXPECT_FALSE(in.is_fused()) << std::hex << word;
  }
  // Bits outside a pattern's mask do not matter; bits inside it do.
  et_insn_t in{};
  in.chunk = fused_word(0, 0, 0x123452b7, 0x67828293, 0x678);
  EXPECT_TRUE(in.is_fused());
  in.chunk ^= uint64_t(1) << 5;  // 32-bit against 16-bit second half: same entry family
  EXPECT_TRUE(in.is_fused());
  in.chunk ^= uint64_t(1) << 58;  // bits 59..55 must be 0
  EXPECT_FALSE(in.is_fused());
}

// The patterns come from the disassembler's rows: a word is fused exactly
// when the disassembler decodes it as a fused pair, for every row's words
// and for each of them with any one bit flipped.
TEST(InsnFuse, IsFusedAgreesWithTheDisassemblersRows) {
  const disassembler_t disassembler(64);
  for (const fused_pair_t& row : fused_pairs) {
    for (const uint64_t base : {row.match, row.match | ~row.mask}) {
      for (int bit = -1; bit < 64; ++bit) {
        et_insn_t in{};
        in.chunk = bit < 0 ? base : base ^ (uint64_t(1) << bit);
        const disasm_insn_t* e = disassembler.get_disasm(in.chunk);
        const bool pair = e != nullptr && e->name.rfind("fuse.", 0) == 0;
        EXPECT_EQ(in.is_fused(), pair) << row.name << std::hex << " 0x" << in.chunk;
      }
    }
  }
}

// The diff prints the codes, so their numbers are part of its output.
TEST(InsnFuse, CodeNumbersAreFixed) {
  const std::pair<et_fuse::code_t, unsigned> codes[] = {
      {et_fuse::fused, 0},
      {et_fuse::hart, 555},
      {et_fuse::pril, 558},
      {et_fuse::committed, 561},
      {et_fuse::first_trapped, 564},
      {et_fuse::first_16bit_unsupported, 592},
      {et_fuse::second_16bit_unsupported, 616},
      {et_fuse::upper_first_rd_missing, 632},
      {et_fuse::upper_second_unsupported, 646},
      {et_fuse::upper_second_operand_missing, 649},
      {et_fuse::upper_registers_differ, 652},
      {et_fuse::and_branch_first_rd_missing, 682},
      {et_fuse::and_branch_first_rs1_missing, 685},
      {et_fuse::and_branch_first_rs2_missing, 690},
      {et_fuse::and_branch_second_not_branch, 701},
      {et_fuse::and_branch_registers_differ, 705},
      {et_fuse::add_load_first_rd_missing, 727},
      {et_fuse::add_load_first_rs1_missing, 730},
      {et_fuse::add_load_first_rs2_missing, 733},
      {et_fuse::add_load_second_not_load, 744},
      {et_fuse::add_load_second_operand_missing, 747},
      {et_fuse::add_load_registers_differ, 750},
      {et_fuse::first_unsupported, 756},
  };
  for (const auto& c : codes) EXPECT_EQ(unsigned(c.first), c.second);
}

}  // namespace
