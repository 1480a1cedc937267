// Comparison of two records of one instruction.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "disasm/disasm_insn.h"
#include "etrace/records/et_insn.h"
#include "etrace/records/et_insn_compare.h"

using namespace insn_flag;

namespace {

et_reg_t reg(uint64_t addr, uint64_t data) { return et_reg_t{1, addr, 1, data}; }

// add a0, a0, a1 with every operand and address present; each case turns on
// the flags it needs and changes one side.
et_insn_t base_record() {
  et_insn_t in{};
  in.hart = 1;
  in.pril = 3;
  in.pc = 0x80000000;
  in.chunk = 0x00b50533;
  in.committed = 1;
  in.rs1 = reg(10, 0x1111);
  in.rs2 = reg(11, 0x2222);
  in.rs3 = reg(12, 0x3333);
  in.rsd = reg(10, 0x4444);
  in.rd = reg(10, 0x5555);
  in.frs1 = reg(1, 0x6666);
  in.frs2 = reg(2, 0x7777);
  in.frs3 = reg(3, 0x8888);
  in.frd = reg(4, 0x9999);
  in.ea_valid = in.pa_valid = in.sd_valid = 1;
  in.ea = 0x1000;
  in.pa = 0x2000;
  in.sd = 0x3000;
  return in;
}

struct compare_case_t {
  const char* what;
  uint64_t flags;  // operand flags of the left record (the one that steers)
  uint64_t xlen;
  std::function<void(et_insn_t& left, et_insn_t& right)> change;
  et_compare::code_t code;
};

const uint64_t upper = uint64_t(1) << 40;

TEST(InsnCompare, CodesOfEveryStep) {
  const compare_case_t cases[] = {
      {"identical", ~0ul, 64, [](et_insn_t&, et_insn_t&) {}, et_compare::equal},
      {"hart", 0, 64, [](et_insn_t&, et_insn_t& r) { r.hart = 0; }, et_compare::hart},
      {"pril", 0, 64, [](et_insn_t&, et_insn_t& r) { r.pril = 1; }, et_compare::pril},
      {"pc", 0, 64, [](et_insn_t&, et_insn_t& r) { r.pc += 4; }, et_compare::pc},
      {"trap", 0, 64, [](et_insn_t&, et_insn_t& r) { r.trap = 1; }, et_compare::trap},
      {"cause", 0, 64, [](et_insn_t& l, et_insn_t& r) { l.trap = r.trap = 1; l.cause = 2; r.cause = 5; }, et_compare::cause},
      {"cause 12 ignores word and operands", RS1, 64,
       [](et_insn_t& l, et_insn_t& r) { l.trap = r.trap = 1; l.cause = r.cause = 12; r.chunk = 0x13; r.rs1.data = 0; }, et_compare::equal},
      {"cause 0", 0, 64, [](et_insn_t& l, et_insn_t& r) { l.trap = r.trap = 1; r.chunk = 0x13; }, et_compare::equal},
      {"cause 1", 0, 64, [](et_insn_t& l, et_insn_t& r) { l.trap = r.trap = 1; l.cause = r.cause = 1; r.chunk = 0x13; }, et_compare::equal},
      {"interrupt ignores word", 0, 64,
       [](et_insn_t& l, et_insn_t& r) { l.trap = r.trap = l.interrupt = 1; l.cause = r.cause = 0x8000000000000007; r.chunk = 0x13; }, et_compare::equal},
      {"32-bit words", 0, 64, [](et_insn_t&, et_insn_t& r) { r.chunk = 0x00b50513; }, et_compare::word_32bit},
      {"32-bit against 16-bit", 0, 64, [](et_insn_t& l, et_insn_t&) { l.chunk = 0x952e; }, et_compare::word_32bit},
      {"16-bit words", 0, 64, [](et_insn_t& l, et_insn_t& r) { l.chunk = 0x952e; r.chunk = 0x9532; }, et_compare::word_16bit},
      {"16-bit words, high bits only", 0, 64, [](et_insn_t& l, et_insn_t& r) { l.chunk = 0x952e; r.chunk = 0xffff952e; }, et_compare::equal},
      {"cause 5 skips operands", RS1, 64,
       [](et_insn_t& l, et_insn_t& r) { l.trap = r.trap = 1; l.cause = r.cause = 5; r.rs1.data = 0; }, et_compare::equal},
      {"cause 3 compares operands", RS1, 64,
       [](et_insn_t& l, et_insn_t& r) { l.trap = r.trap = 1; l.cause = r.cause = 3; r.rs1.data = 0; }, et_compare::rs1},
      {"rs1", RS1, 64, [](et_insn_t&, et_insn_t& r) { r.rs1.data = 0; }, et_compare::rs1},
      {"rs1 number", RS1, 64, [](et_insn_t&, et_insn_t& r) { r.rs1.addr = 3; }, et_compare::rs1},
      {"rs1 validity", RS1, 64, [](et_insn_t&, et_insn_t& r) { r.rs1.addr_valid = 0; }, et_compare::rs1},
      {"rs1 rv32 low bits", RS1, 32, [](et_insn_t&, et_insn_t& r) { r.rs1.data = 0; }, et_compare::rs1_low32},
      {"rs1 rv32 upper bits", RS1, 32, [](et_insn_t&, et_insn_t& r) { r.rs1.data |= upper; }, et_compare::equal},
      {"rs1 rv32 pair", RS1 | RS1H, 32, [](et_insn_t&, et_insn_t& r) { r.rs1.data |= upper; }, et_compare::rs1},
      {"rs1 not flagged", RS2, 64, [](et_insn_t&, et_insn_t& r) { r.rs1.data = 0; }, et_compare::equal},
      {"rs1 flagged only on the right", 0, 64, [](et_insn_t&, et_insn_t& r) { r.flags = RS1; r.rs1.data = 0; }, et_compare::equal},
      {"rs2", RS2, 64, [](et_insn_t&, et_insn_t& r) { r.rs2.data = 0; }, et_compare::rs2},
      {"rs2 rv32", RS2, 32, [](et_insn_t&, et_insn_t& r) { r.rs2.data = 0; }, et_compare::rs2_low32},
      {"rs2 of a store", RS2 | STORE, 64, [](et_insn_t&, et_insn_t& r) { r.rs2.data = 0; }, et_compare::equal},
      {"rs3", RS3, 64, [](et_insn_t&, et_insn_t& r) { r.rs3.data = 0; }, et_compare::rs3},
      {"rs3 rv32", RS3, 32, [](et_insn_t&, et_insn_t& r) { r.rs3.data = 0; }, et_compare::rs3_low32},
      {"rs3 rv32 pair", RS3 | RS3H, 32, [](et_insn_t&, et_insn_t& r) { r.rs3.data |= upper; }, et_compare::rs3},
      {"rsd", RSD, 64, [](et_insn_t&, et_insn_t& r) { r.rsd.data = 0; }, et_compare::rsd},
      {"rsd rv32", RSD, 32, [](et_insn_t&, et_insn_t& r) { r.rsd.data = 0; }, et_compare::rsd_low32},
      {"rsd rv32 pair", RSD | RSDH, 32, [](et_insn_t&, et_insn_t& r) { r.rsd.data |= upper; }, et_compare::rsd},
      {"frs1 compared in full", FRS1, 32, [](et_insn_t&, et_insn_t& r) { r.frs1.data |= upper; }, et_compare::frs1},
      {"frs2", FRS2, 64, [](et_insn_t&, et_insn_t& r) { r.frs2.data = 0; }, et_compare::frs2},
      {"frs2 of a store", FRS2 | STORE, 64, [](et_insn_t&, et_insn_t& r) { r.frs2.data = 0; }, et_compare::equal},
      {"frs3", FRS3, 64, [](et_insn_t&, et_insn_t& r) { r.frs3.data = 0; }, et_compare::frs3},
      {"store data validity", STORE, 64, [](et_insn_t&, et_insn_t& r) { r.sd_valid = 0; }, et_compare::store_data_valid},
      {"store data", STORE, 64, [](et_insn_t&, et_insn_t& r) { r.sd = 0; }, et_compare::store_data},
      {"store data both invalid", STORE, 64,
       [](et_insn_t& l, et_insn_t& r) { l.sd_valid = r.sd_valid = 0; r.sd = 0; }, et_compare::equal},
      {"ea validity", MEM, 64, [](et_insn_t&, et_insn_t& r) { r.ea_valid = 0; }, et_compare::ea_valid},
      {"ea", MEM, 64, [](et_insn_t&, et_insn_t& r) { r.ea = 0; }, et_compare::ea},
      {"pa validity", MEM, 64, [](et_insn_t&, et_insn_t& r) { r.pa_valid = 0; }, et_compare::pa_valid},
      {"pa", MEM, 64, [](et_insn_t&, et_insn_t& r) { r.pa = 0; }, et_compare::pa},
      {"addresses both invalid", MEM, 64,
       [](et_insn_t& l, et_insn_t& r) { l.ea_valid = r.ea_valid = l.pa_valid = r.pa_valid = 0; r.ea = r.pa = 0; }, et_compare::equal},
      {"addresses without the memory flag", 0, 64, [](et_insn_t&, et_insn_t& r) { r.ea = 0; }, et_compare::equal},
      {"rd", RD, 64, [](et_insn_t&, et_insn_t& r) { r.rd.data = 0; }, et_compare::rd},
      {"rd rv32", RD, 32, [](et_insn_t&, et_insn_t& r) { r.rd.data = 0; }, et_compare::rd_low32},
      {"rd rv32 upper bits", RD, 32, [](et_insn_t&, et_insn_t& r) { r.rd.data |= upper; }, et_compare::equal},
      {"rd rv32 pair", RD | RDH, 32, [](et_insn_t&, et_insn_t& r) { r.rd.data |= upper; }, et_compare::rd},
      {"rd field x0", RD, 64,
       [](et_insn_t& l, et_insn_t& r) { l.chunk = r.chunk = 0x00b50033; r.rd.data = 0; }, et_compare::equal},
      {"frd", FRD, 64, [](et_insn_t&, et_insn_t& r) { r.frd.data = 0; }, et_compare::frd},
      {"first failing check wins", RS1 | RD, 64,
       [](et_insn_t&, et_insn_t& r) { r.rd.data = 0; r.rs1.data = 0; }, et_compare::rs1},
  };
  for (const auto& c : cases) {
    et_insn_t left = base_record(), right = base_record();
    left.flags = right.flags = c.flags;
    c.change(left, right);
    EXPECT_EQ(left.compare(right, c.xlen), c.code) << c.what;
  }
}

TEST(InsnCompare, OnlyThirtyTwoChangesTheRule) {
  et_insn_t left = base_record(), right = base_record();
  left.flags = RS1;
  right.rs1.data |= upper;
  for (uint64_t xlen : {0, 16, 33, 64, 128})
    EXPECT_EQ(left.compare(right, xlen), et_compare::rs1) << xlen;
  EXPECT_EQ(left.compare(right, 32), et_compare::equal);
}

// The diff prints the codes, so their numbers are part of its output.
TEST(InsnCompare, CodeNumbersAreFixed) {
  const std::pair<et_compare::code_t, unsigned> codes[] = {
      {et_compare::equal, 0},        {et_compare::hart, 323},
      {et_compare::pril, 327},       {et_compare::pc, 331},
      {et_compare::trap, 335},       {et_compare::cause, 339},
      {et_compare::word_16bit, 353}, {et_compare::word_32bit, 356},
      {et_compare::rs1_low32, 379},  {et_compare::rs1, 382},
      {et_compare::rs2_low32, 389},  {et_compare::rs2, 392},
      {et_compare::rs3_low32, 399},  {et_compare::rs3, 402},
      {et_compare::rsd_low32, 409},  {et_compare::rsd, 412},
      {et_compare::frs1, 417},       {et_compare::frs2, 420},
      {et_compare::frs3, 423},       {et_compare::store_data_valid, 428},
      {et_compare::store_data, 432}, {et_compare::ea_valid, 439},
      {et_compare::ea, 443},         {et_compare::pa_valid, 448},
      {et_compare::pa, 452},         {et_compare::rd_low32, 460},
      {et_compare::rd, 463},         {et_compare::frd, 468},
  };
  for (const auto& c : codes) EXPECT_EQ(unsigned(c.first), c.second);
}

}  // namespace
