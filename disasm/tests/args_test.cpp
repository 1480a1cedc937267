#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "disasm/arg.h"

namespace {

// `value` placed at bit `lo` of an instruction word.
constexpr uint64_t at(uint64_t value, unsigned lo) { return value << lo; }

struct printer_case_t {
  char const* what;
  arg_t const* printer;
  uint64_t word;
  char const* expected;
};

void expect_all(std::vector<printer_case_t> const& cases) {
  for (auto const& c : cases)
    EXPECT_EQ(c.printer->to_string(insn_t(c.word)), c.expected)
        << c.what << ", word 0x" << std::hex << c.word;
}

TEST(printer_objects, are_70_distinct_objects) {
  // The table tells roles apart by object address, also for printers that
  // print alike (shamt and p_imm6, int_rd and int_c_rs1, ...).
  std::set<arg_t const*> objects;
#define ADD_PRINTER(name) objects.insert(&name);
  DISASM_OPERAND_PRINTERS(ADD_PRINTER)
#undef ADD_PRINTER
  EXPECT_EQ(objects.size(), 70u);
  EXPECT_NE(static_cast<arg_t const*>(&shamt_arg), static_cast<arg_t const*>(&p_imm6_arg));
}

TEST(num2hex, keeps_exactly_the_requested_low_digits) {
  EXPECT_EQ(num2hex(0x123456u, 5), "0x23456");
  EXPECT_EQ(num2hex(0x123456u, 0), "0x");
  EXPECT_EQ(num2hex(0x1fu, 8), "0x0000001f");
  EXPECT_EQ(num2hex(0xdeadbeefu, 8), "0xdeadbeef");
  EXPECT_EQ(num2hex(0u, 5), "0x00000");
}

TEST(register_tables, follow_the_abi_names) {
  EXPECT_STREQ(xpr_name[0], "zero");
  EXPECT_STREQ(xpr_name[8], "s0");
  EXPECT_STREQ(xpr_name[18], "s2");
  EXPECT_STREQ(xpr_name[31], "t6");
  EXPECT_STREQ(fpr_name[0], "ft0");
  EXPECT_STREQ(fpr_name[8], "fs0");
  EXPECT_STREQ(fpr_name[27], "fs11");
  EXPECT_STREQ(fpr_name[31], "ft11");
  for (int n = 0; n < 32; ++n) EXPECT_EQ(vr_name[n], "v" + std::to_string(n));
}

TEST(printers, registers_come_from_their_fields) {
  expect_all({
      {"rd", &int_rd_arg, at(31, 7), "t6"},
      {"rs1", &int_rs1_arg, at(10, 15), "a0"},
      {"rs2", &int_rs2_arg, at(2, 20), "sp"},
      {"rs3", &int_rs3_arg, at(1, 27), "ra"},
      {"c.jr rs1", &int_c_rs1_arg, at(5, 7), "t0"},
      {"c rs2", &int_c_rs2_arg, at(11, 2), "a1"},
      {"c rs1' is x8 + field", &int_c_rs1p_arg, at(0, 7), "s0"},
      {"c rs1' top", &int_c_rs1p_arg, at(7, 7), "a5"},
      {"c rs2' is x8 + field", &int_c_rs2p_arg, at(1, 2), "s1"},
      {"fp rd", &fp_rd_arg, at(10, 7), "fa0"},
      {"fp rs1", &fp_rs1_arg, at(31, 15), "ft11"},
      {"fp rs2", &fp_rs2_arg, at(8, 20), "fs0"},
      {"fp rs3", &fp_rs3_arg, at(9, 27), "fs1"},
      {"fp c rs2", &fp_c_rs2_arg, at(18, 2), "fs2"},
      {"fp c rs2' field 0", &fp_c_rs2p_arg, 0, "fs0"},
      {"vd", &vec_rd_arg, at(3, 7), "v3"},
      {"vs3", &vec_vs3_arg, at(4, 7), "v4"},
      {"vs1", &vec_rs1_arg, at(5, 15), "v5"},
      {"vs2", &vec_rs2_arg, at(6, 20), "v6"},
      // The fields only read their own bits.
      {"rd ignores the rest", &int_rd_arg, ~at(31, 7) & 0xffffffffu, "zero"},
  });
}

TEST(printers, cm_moves_map_saved_register_numbers) {
  expect_all({
      {"r1s 0", &cm_r1s_arg, 0, "s0"},
      {"r2s 0", &cm_r2s_arg, 0, "s0"},
      {"r1s 1", &cm_r1s_arg, at(1, 7), "s1"},
      {"r1s 2", &cm_r1s_arg, at(2, 7), "s2"},
      {"r2s 7", &cm_r2s_arg, at(7, 2), "s7"},
  });
}

TEST(printers, fixed_texts_and_vector_mask) {
  expect_all({
      {"sp", &sp_fixed_arg, 0, "sp"},
      {"ra", &ra_fixed_arg, 0, "ra"},
      {"t0", &t0_fixed_arg, 0, "t0"},
      {"v0", &v0_fixed_arg, 0, "v0"},
      {"x0", &x0_fixed_arg, 0, "x0"},
      {"masked", &vmask_arg, 0, "v0.t"},
      {"unmasked", &vmask_arg, at(1, 25), ""},
  });
}

TEST(printers, decimal_immediates) {
  expect_all({
      {"addi -1", &i_imm_arg, at(0xfff, 20), "-1"},
      {"addi 2047", &i_imm_arg, at(0x7ff, 20), "2047"},
      {"addi -2048", &i_imm_arg, at(0x800, 20), "-2048"},
      {"shamt 6 bits", &shamt_arg, at(0x3f, 20) | at(1, 26), "63"},
      {"p_imm6", &p_imm6_arg, at(0x3f, 20), "63"},
      {"p_imm5", &p_imm5_arg, at(0x3f, 20), "31"},
      {"p_imm4", &p_imm4_arg, at(0x3f, 20), "15"},
      {"p_imm3", &p_imm3_arg, at(0x3f, 20), "7"},
      {"p_imm2", &p_imm2_arg, at(0x3f, 20), "3"},
      {"bs", &bs_arg, at(3, 30) | at(1, 29), "3"},
      {"simm5 -16", &simm5_arg, at(0x10, 15), "-16"},
      {"simm5 15", &simm5_arg, at(0xf, 15), "15"},
      {"zimm5 31", &zimm5_arg, at(0x1f, 15), "31"},
      {"zimm6 high bit from 26", &zimm6_arg, at(1, 26) | at(1, 15), "33"},
      {"jt index", &jt_index_arg, at(0xff, 2) | at(1, 10), "255"},
      {"c imm -1", &c_imm_arg, at(1, 12) | at(0x1f, 2), "-1"},
      {"c imm 31", &c_imm_arg, at(0x1f, 2), "31"},
      {"c shamt unsigned", &c_shamt_arg, at(1, 12) | at(0x1f, 2), "63"},
      {"c.addi4spn all bits", &c_addi4spn_imm_arg, at(0xff, 5), "1020"},
      {"c.addi4spn bit 6 is imm[2]", &c_addi4spn_imm_arg, at(1, 6), "4"},
      {"c.addi16sp -512", &c_addi16sp_imm_arg, at(1, 12), "-512"},
      {"c.addi16sp 496", &c_addi16sp_imm_arg, at(0x1f, 2), "496"},
      {"c.lwsp imm", &c_lwsp_imm_arg, at(1, 12) | at(0x1f, 2), "252"},
  });
}

TEST(printers, hexadecimal_immediates) {
  expect_all({
      {"lui 0x12345", &u_imm_arg, at(0x12345, 12) | 0xfff, "0x12345"},
      {"lui 0", &u_imm_arg, 0x37, "0x00000"},
      {"c.lui -1", &c_lui_imm_arg, at(1, 12) | at(0x1f, 2), "0x000fffff"},
      {"c.lui 31", &c_lui_imm_arg, at(0x1f, 2), "0x0000001f"},
      {"c.lui 1", &c_lui_imm_arg, at(1, 2), "0x00000001"},
  });
}

TEST(printers, memory_operands) {
  expect_all({
      {"load -1(a0)", &load_address_arg, at(0xfff, 20) | at(10, 15), "-1(a0)"},
      {"load 0(sp)", &load_address_arg, at(2, 15), "0(sp)"},
      {"store split offset", &store_address_arg, at(0x7f, 25) | at(0x1e, 7) | at(2, 15), "-2(sp)"},
      {"store 2047", &store_address_arg, at(0x3f, 25) | at(0x1f, 7), "2047(zero)"},
      {"c.lw all bits", &c_lw_address_arg, at(7, 10) | at(3, 5) | at(7, 7), "124(a5)"},
      {"c.lw bit 6 is uimm[2]", &c_lw_address_arg, at(1, 6), "4(s0)"},
      {"c.ld all bits", &c_ld_address_arg, at(7, 10) | at(3, 5), "248(s0)"},
      {"c.lbu bits", &c_lbu_address_arg, at(1, 6), "1(s0)"},
      {"c.lbu both", &c_lbu_address_arg, at(3, 5) | at(1, 7), "3(s1)"},
      {"c.lh", &c_lh_address_arg, at(3, 5), "2(s0)"},
      {"c.lwsp all bits", &c_lwsp_address_arg, at(1, 12) | at(0x1f, 2), "252(sp)"},
      {"c.ldsp all bits", &c_ldsp_address_arg, at(1, 12) | at(0x1f, 2), "504(sp)"},
      {"c.swsp all bits", &c_swsp_address_arg, at(0x3f, 7), "252(sp)"},
      {"c.sdsp all bits", &c_sdsp_address_arg, at(0x3f, 7), "504(sp)"},
      {"amo", &amo_address_arg, at(11, 15) | 0xfff, "(a1)"},
      {"vector", &vec_address_arg, at(12, 15), "(a2)"},
  });
}

// Branch immediate: imm[12|10:5] in bits 31..25, imm[4:1|11] in bits 11..7.
constexpr uint64_t branch_offset(int32_t offset) {
  uint64_t imm = uint64_t(uint32_t(offset));
  return at((imm >> 12) & 1, 31) | at((imm >> 5) & 0x3f, 25) | at((imm >> 1) & 0xf, 8) |
         at((imm >> 11) & 1, 7);
}
// Jump immediate: imm[20|10:1|11|19:12] in bits 31..12.
constexpr uint64_t jal_offset(int32_t offset) {
  uint64_t imm = uint64_t(uint32_t(offset));
  return at((imm >> 20) & 1, 31) | at((imm >> 1) & 0x3ff, 21) | at((imm >> 11) & 1, 20) |
         at((imm >> 12) & 0xff, 12);
}

TEST(printers, control_transfer_targets) {
  expect_all({
      {"branch 0", &branch_target_arg, branch_offset(0), "pc + 0"},
      {"branch -4096", &branch_target_arg, branch_offset(-4096), "pc - 4096"},
      {"branch -8", &branch_target_arg, branch_offset(-8), "pc - 8"},
      {"branch 4094", &branch_target_arg, branch_offset(4094), "pc + 4094"},
      {"branch imm[11] from bit 7", &branch_target_arg, at(1, 7), "pc + 2048"},
      {"jal 0xffffe", &jal_target_arg, jal_offset(0xffffe), "pc + 0xffffe"},
      {"jal -2", &jal_target_arg, jal_offset(-2), "pc - 0x00002"},
      {"jal 2048", &jal_target_arg, jal_offset(2048), "pc + 0x00800"},
      {"jal most negative keeps its sixth digit", &jal_target_arg, jal_offset(-1048576),
       "pc - 0x100000"},
      {"c.beqz -256", &c_branch_target_arg, at(1, 12), "pc - 256"},
      {"c.beqz 254", &c_branch_target_arg, at(3, 10) | at(3, 5) | at(3, 3) | at(1, 2), "pc + 254"},
      {"c.beqz offset[5] from bit 2", &c_branch_target_arg, at(1, 2), "pc + 32"},
      {"c.j -2048", &c_j_target_arg, at(1, 12), "pc - 2048"},
      {"c.j 2046", &c_j_target_arg, at(0x3ff, 2), "pc + 2046"},
      {"c.j offset[10] from bit 8", &c_j_target_arg, at(1, 8), "pc + 1024"},
      {"c.j offset[7] from bit 6", &c_j_target_arg, at(1, 6), "pc + 128"},
  });
}

TEST(printers, fence_sets) {
  auto fence = [](unsigned pred, unsigned succ) { return at(pred, 24) | at(succ, 20) | 0xf; };
  expect_all({
      {"none", &fence_arg, fence(0, 0), ""},
      {"w,r", &fence_arg, fence(1, 2), "w,r"},
      {"iorw,iorw", &fence_arg, fence(15, 15), "iorw,iorw"},
      {"r,rw", &fence_arg, fence(2, 3), "r,rw"},
      {"succ only", &fence_arg, fence(0, 3), "rw"},
      {"pred only", &fence_arg, fence(8, 0), "i,"},
      {"fm bits are not printed", &fence_arg, fence(15, 15) | at(8, 28), "iorw,iorw"},
  });
}

TEST(printers, vector_type) {
  constexpr uint64_t vsetivli = at(3, 30);
  expect_all({
      {"zero", &vtype_arg, 0, "e8, m1, tu, mu"},
      {"e32 mf2 ta ma", &vtype_arg, at(2, 23) | at(7, 20) | at(3, 26), "e32, mf2, ta, ma"},
      {"reserved vlmul 4", &vtype_arg, at(4, 20), "e8, m, tu, mu"},
      {"e1024 m8", &vtype_arg, at(7, 23) | at(3, 20), "e1024, m8, tu, mu"},
      {"f8 f4", &vtype_arg, at(5, 20), "e8, mf8, tu, mu"},
      {"vsetvli 0x100", &vtype_arg, at(0x100, 20), "0x100"},
      {"vsetvli 0x7ff", &vtype_arg, at(0x7ff, 20), "0x7ff"},
      {"vsetivli ignores bit 30", &vtype_arg, vsetivli | at(1, 26), "e8, m1, ta, mu"},
      {"vsetivli reserved bits", &vtype_arg, vsetivli | at(0x100, 20), "0x100"},
  });
}

TEST(printers, zcmp_register_lists_and_stack_adjustments) {
  auto zcmp = [](unsigned rlist, unsigned spimm) { return at(rlist, 4) | at(spimm, 2); };
  expect_all({
      {"rlist 3", &rlist_arg, zcmp(3, 0), "unsupport rlist"},
      {"rlist 0", &rlist_arg, zcmp(0, 0), "unsupport rlist"},
      {"rlist 4", &rlist_arg, zcmp(4, 0), "{ra}"},
      {"rlist 5", &rlist_arg, zcmp(5, 0), "{ra, s0}"},
      {"rlist 6", &rlist_arg, zcmp(6, 0), "{ra, s0-s1}"},
      {"rlist 14", &rlist_arg, zcmp(14, 0), "{ra, s0-s9}"},
      {"rlist 15", &rlist_arg, zcmp(15, 0), "{ra, s0-s11}"},
      {"push r15 rv32", &neg_spimm_rv32_arg, zcmp(15, 3), "-112"},
      {"push r15 rv64", &neg_spimm_rv64_arg, zcmp(15, 3), "-160"},
      {"pop r4 rv32", &spimm_rv32_arg, zcmp(4, 0), "16"},
      {"pop r4 rv64", &spimm_rv64_arg, zcmp(4, 0), "16"},
      {"r6 rv32", &spimm_rv32_arg, zcmp(6, 1), "32"},
      {"r6 rv64", &spimm_rv64_arg, zcmp(6, 1), "48"},
      {"push r6 rv32", &neg_spimm_rv32_arg, zcmp(6, 1), "-32"},
      {"push r6 rv64", &neg_spimm_rv64_arg, zcmp(6, 1), "-48"},
      {"reserved list has base 0", &spimm_rv32_arg, zcmp(3, 2), "32"},
      {"reserved list rv64", &spimm_rv64_arg, zcmp(3, 3), "48"},
  });
}

TEST(printers, fli_constants_by_bits_19_to_15) {
  expect_all({
      {"-1.0", &fli_imm_arg, 0, "-1.0"},
      {"min", &fli_imm_arg, at(1, 15), "min"},
      {"2^-16", &fli_imm_arg, at(2, 15), "1.52587890625e-05"},
      {"1.0", &fli_imm_arg, at(16, 15), "1.0"},
      {"65536", &fli_imm_arg, at(29, 15), "65536.0"},
      {"inf", &fli_imm_arg, at(30, 15), "inf"},
      {"nan", &fli_imm_arg, at(31, 15) | at(1, 20), "nan"},
  });
}

TEST(printers, read_only_the_low_32_bits) {
  uint64_t high = 0xffffffff00000000ull;
  expect_all({
      {"rs3", &int_rs3_arg, high, "zero"},
      {"i imm", &i_imm_arg, high, "0"},
      {"branch", &branch_target_arg, high, "pc + 0"},
      {"csr", &csr_arg, high | at(0xc00, 20), "cycle"},
  });
}

}  // namespace
