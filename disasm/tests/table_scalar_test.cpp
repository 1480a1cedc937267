// The scalar groups of the instruction table: gating by extension and width,
// the order that makes pseudo-instruction forms win, identifiers and flags.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "disassembler.h"
#include "insn_ids.h"
#include "isa_parser.h"
#include "support/table_check.h"
#include "tables/groups.h"
#include "tables/table_rows.h"

namespace {

TEST(ScalarTable, BaseIntegerPseudoFormsComeFirst) {
  expect_decodes(test_isa_t(64, {'I'}),
                 {
                     {0x00000013, "nop", 8, 0x0},
                     {0x00100093, "li      ra, 1", 8, 0x8},
                     {0x00050593, "mv      a1, a0", 8, 0x9},
                     {0x00150593, "addi    a1, a0, 1", 8, 0x9},
                     {0x00008067, "ret", 450, 0x9},
                     {0x00050067, "jr      a0", 450, 0x9},
                     {0x000500e7, "jalr    a0", 450, 0x9},
                     {0x004500e7, "jalr    ra, a0, 4", 450, 0x9},
                     {0x0000006f, "j       pc + 0x00000", 449, 0x8},
                     {0x008000ef, "jal     pc + 0x00008", 449, 0x8},
                     {0x008002ef, "jal     t0, pc + 0x00008", 449, 0x8},
                     {0x00050463, "beqz    a0, pc + 8", 74, 0x1},
                     {0x00051463, "bnez    a0, pc + 8", 85, 0x1},
                     {0x00054463, "bltz    a0, pc + 8", 83, 0x1},
                     {0x00055463, "bgez    a0, pc + 8", 79, 0x1},
                     {0x00b50463, "beq     a0, a1, pc + 8", 74, 0x3},
                     {0x00b57463, "bgeu    a0, a1, pc + 8", 80, 0x3},
                     {0x0015b513, "seqz    a0, a1", 755, 0x9},
                     {0x0025b513, "sltiu   a0, a1, 2", 755, 0x9},
                     {0xfff5c513, "not     a0, a1", 1354, 0x9},
                     {0x0005851b, "sext.w  a0, a1", 9, 0x9},
                     {0x00b03533, "snez    a0, a1", 756, 0x9},
                     {0x00b63533, "sltu    a0, a2, a1", 756, 0xb},
                     {0x12345537, "lui     a0, 0x12345", 577, 0x8},
                     {0x00001517, "auipc   a0, 0x00001", 66, 0x8},
                     {0x02151513, "slli    a0, a0, 33", insn_id("slli"), 0x9},
                     {0x4015d513, "srai    a0, a1, 1", insn_id("srai"), 0x9},
                     {0x40b50533, "sub     a0, a0, a1", insn_id("sub"), 0xb},
                     {0x4015d51b, "sraiw   a0, a1, 1", insn_id("sraiw"), 0x9},
                     {0x0005b503, "ld      a0, 0(a1)", insn_id("ld"), 0x109},
                     {0x00a5b023, "sd      a0, 0(a1)", insn_id("sd"), 0x303},
                 });
}

TEST(ScalarTable, AlwaysPresentFixedHintAndSystemEntries) {
  expect_decodes(test_isa_t(64, {'I'}),
                 {
                     {0x00000000, "c.unimp", 0, 0x0},
                     {0xc0001073, "unimp", 1, 0x0},
                     {0x00156013, "prefetch.r (a0)", 658, 0x1},
                     {0x00356013, "prefetch.w (a0)", 659, 0x1},
                     {0x00056013, "prefetch.i (a0)", 657, 0x1},
                     {0x00256013, "ori     zero, a0, 2", insn_id("ori"), 0x9},
                     {0x0100000f, "pause", 648, 0x0},
                     {0x0ff0000f, "fence   iorw,iorw", 268, 0x0},
                     {0x0000100f, "fence.i", 269, 0x0},
                     {0x00200073, "uret", 919, 0x0},
                     {0x30200073, "mret", 631, 0x0},
                     {0xc0002573, "csrr    a0, cycle", 194, 0x8},
                     {0x30051073, "csrw    mstatus, a0", 196, 0x9},
                     {0x30052073, "csrs    mstatus, a0", 194, 0x9},
                     {0x30053073, "csrc    mstatus, a0", 192, 0x9},
                     {0x3002d073, "csrwi   mstatus, 5", 197, 0x8},
                     {0x300515f3, "csrrw   a1, mstatus, a0", 196, 0x9},
                     {0x3002e5f3, "csrrsi  a1, mstatus, 5", 195, 0x8},
                     {0x61059513, "crc32.b a0, a1", 182, 0x9},
                     {0x61b59513, "crc32c.d a0, a1", 187, 0x9},
                     {0x6cc59533, "fsl     a0, a1, a2, a3", 366, 0xf},
                     {0x2815d51b, "gorciw  a0, a1, 1", insn_id("gorciw"), 0x9},
                     {0x48c5e533, "bdecompress a0, a1, a2", insn_id("bdecompress"), 0xb},
                 });
}

// The entries that add_scalar_groups makes for `isa`, counted on top of a
// complete table.
std::size_t scalar_entry_count(isa_parser_i const& isa) {
  disassembler_t d(&isa);
  std::size_t const before = d.entry_count();
  add_scalar_groups(d, &isa);
  return d.entry_count() - before;
}

TEST(ScalarTable, BaseOnlyTableHoldsTheAlwaysPresentGroups) {
  // Groups 1, 8, 9 and 11; the custom group needs its own extensions.
  EXPECT_EQ(scalar_entry_count(test_isa_t(64, {'I'})), 119u);
  EXPECT_EQ(scalar_entry_count(test_isa_t(32, {'I'})), 119u);
  EXPECT_EQ(scalar_entry_count(test_isa_t(64, {})), 119u);
}

TEST(ScalarTable, BaseOnlyGroupsHoldTheirEntriesOnEveryWidth) {
  // lwu, ld and sd belong to the always-present group, so RV32 has them too.
  expect_decodes(test_isa_t(32, {'I'}),
                 {
                     {0x0005e503, "lwu     a0, 0(a1)", insn_id("lwu"), 0x109},
                     {0x0005b503, "ld      a0, 0(a1)", insn_id("ld"), 0x109},
                     {0x00a5b023, "sd      a0, 0(a1)", insn_id("sd"), 0x303},
                     {0x0005851b, "sext.w  a0, a1", 9, 0x9},
                 });
}

TEST(ScalarTable, GatedGroupsFallBackToTheirCatchAllEntries) {
  expect_decodes(test_isa_t(64, {'I'}),
                 {
                     {0x02c58533, "mul (args unknown)", 633, 0x0},
                     {0x00c5a52f, "amoadd.w (args unknown)", 25, 0x0},
                     {0x00001017, "auipc   zero, 0x00001", 66, 0x8},  // lpad needs zicfilp
                     {0x00c5f553, "fadd.s (args unknown)", 212, 0x0},
                     {0x9002, "c.ebreak (args unknown)", 98, 0x0},
                 });
}

TEST(ScalarTable, IntegerExtensions) {
  expect_decodes(test_isa_t(64, {'I', 'M', 'A', 'S', 'H', EXT_ZACAS, EXT_ZABHA, EXT_ZAWRS,
                                 EXT_ZICFILP, EXT_ZBA, EXT_ZBC, EXT_ZBS, EXT_SVINVAL}),
                 {
                     {0x02c58533, "mul     a0, a1, a2", 633, 0xb},
                     {0x02c5d53b, "divuw   a0, a1, a2", insn_id("divuw"), 0xb},
                     {0x00c5a52f, "amoadd.w a0, a2, (a1)", 25, 0x30b},
                     {0x0ec5b52f, "amoswap.d a0, a2, (a1)", 56, 0x30b},  // aq and rl set
                     {0x1005a52f, "lr.w    a0, zero, (a1)", 576, 0x109},
                     {0x18c5a52f, "sc.w    a0, a2, (a1)", insn_id("sc_w"), 0x30b},
                     {0x28c5c52f, "amocas.q a0, a2, (a1)", 33, 0x30b},
                     {0x00c5952f, "amoadd.h a0, a2, (a1)", 24, 0x30b},
                     {0x01d00073, "wrs.sto", 1351, 0x0},
                     {0x00001017, "lpad    0x00001", 574, 0x0},
                     {0x10200073, "sret", 823, 0x0},
                     {0x12b50073, "sfence.vma a0, a1", insn_id("sfence_vma"), 0x3},
                     {0x20c5a533, "sh1add  a0, a1, a2", insn_id("sh1add"), 0xb},
                     {0x0805853b, "zext.w  a0, a1", 7, 0x9},
                     {0x0a05951b, "slli.uw a0, a1, 32", insn_id("slli_uw"), 0x9},
                     {0x0ac59533, "clmul   a0, a1, a2", insn_id("clmul"), 0xb},
                     {0x4815d513, "bexti   a0, a1, 1", insn_id("bexti"), 0x9},
                     {0x18100073, "sfence.inval.ir", insn_id("sfence_inval_ir"), 0x0},
                     {0x6ec5c073, "hsv.d   a2, (a1)", insn_id("hsv_d"), 0x30b},
                     {0x6c05c573, "hlv.d   a0, (a1)", insn_id("hlv_d"), 0x109},
                 });
}

TEST(ScalarTable, BitManipulationByWidth) {
  test_isa_t const zb32(32, {'I', EXT_ZBA, EXT_ZBB, EXT_ZBKB});
  test_isa_t const zb64(64, {'I', EXT_ZBA, EXT_ZBB, EXT_ZBKB});
  test_isa_t const zb48(48, {'I', EXT_ZBA, EXT_ZBB, EXT_ZBKB});
  expect_decodes(zb32, {
                           {0x69855513, "rev8    a0, a0", 428, 0x9},
                           {0x08054533, "zext.h  a0, a0", 643, 0x9},
                           {0x68755513, "brev8   a0, a0", 428, 0x9},
                           {0x68855513, "rev8.h  a0, a0", 428, 0x9},
                           {0x28755513, "orc.b   a0, a0", 424, 0x9},
                           {0x60451513, "sext.b  a0, a0", insn_id("sext_b"), 0x9},
                           {0x0805853b, "add.uw (args unknown)", 7, 0x0},  // RV64 part of zba
                           {0x0805453b, "packw (args unknown)", 647, 0x0},
                       });
  expect_decodes(zb64, {
                           {0x6b855513, "rev8    a0, a0", 428, 0x9},
                           {0x0805453b, "zext.h  a0, a0", 647, 0x9},
                           {0x08c5c53b, "packw   a0, a1, a2", 647, 0xb},
                           {0x6015d51b, "roriw   a0, a1, 1", insn_id("roriw"), 0x9},
                           {0x0805853b, "zext.w  a0, a1", 7, 0x9},
                       });
  // Neither 32 nor 64: rev8 takes the shift amount xlen - 8, zext.h the
  // non-RV32 form, and no RV64-only entry is added.
  expect_decodes(zb48, {
                           {0x6a855513, "rev8    a0, a0", 428, 0x9},
                           {0x0805453b, "zext.h  a0, a0", 647, 0x9},
                           {0x60c5d53b, "rorw (args unknown)", insn_id("rorw"), 0x0},
                           {0x0805853b, "add.uw (args unknown)", 7, 0x0},
                       });
}

TEST(ScalarTable, CustomInstructionsByWidthAndExtension) {
  expect_decodes(test_isa_t(64, {'I', 'X', EXT_XKGOSTS}),
                 {
                     {0x0400402b, "kuzn64esx zero, zero, zero", 563, 0xb},
                     {0x26c5c52b, "sbg64lin2 a0, a1, a2", 695, 0xb},
                     {0x0600402b, "kuzn64dsx (args unknown)", 561, 0x0},
                     {0x5000402b, "magma64 (args unknown)", 583, 0x0},
                 });
  expect_decodes(test_isa_t(64, {'I', 'X', EXT_XKGOSTM}),
                 {
                     {0x50c5c52b, "magma64 a0, a1, a2", 583, 0xb},
                     {0x0400402b, "kuzn64esx (args unknown)", 563, 0x0},
                 });
  expect_decodes(test_isa_t(32, {'I', 'X', EXT_XKGOSTK}),
                 {
                     {0x8400402b, "kuzn32esx zero, zero, zero", 559, 0xb},
                     {0xcac5c52b, "kuzn32dlh a0, a1, a2", 555, 0xb},
                     {0x0400402b, "kuzn64esx (args unknown)", 563, 0x0},
                     {0xd000402b, "magma32g (args unknown)", 582, 0x0},
                 });
  expect_decodes(test_isa_t(48, {'I', 'X', EXT_XKGOSTK, EXT_XKGOSTM, EXT_XKGOSTS}),
                 {
                     {0x0400402b, "kuzn64esx (args unknown)", 563, 0x0},
                     {0x8400402b, "kuzn32esx (args unknown)", 559, 0x0},
                 });
}

TEST(ScalarTable, EveryCustomInstructionByItsMatch) {
  struct custom_case {
    uint32_t xlen;
    uint64_t match;
    char const* name;
    unsigned long id;
  };
  custom_case const cases[] = {
      {32, 0x8400402b, "kuzn32esx", 559}, {32, 0x8600402b, "kuzn32dsx", 556},
      {32, 0xce00402b, "kuzn32el", 557},  {32, 0xcc00402b, "kuzn32elh", 558},
      {32, 0xc800402b, "kuzn32dl", 554},  {32, 0xca00402b, "kuzn32dlh", 555},
      {32, 0xd000402b, "magma32g", 582},  {32, 0xa000402b, "sbg32tau1", 692},
      {32, 0xa200402b, "sbg32tau2", 693}, {32, 0xa400402b, "sbg32lin1", 690},
      {32, 0xa600402b, "sbg32lin2", 691}, {64, 0x0400402b, "kuzn64esx", 563},
      {64, 0x0600402b, "kuzn64dsx", 561}, {64, 0x4e00402b, "kuzn64el", 562},
      {64, 0x4800402b, "kuzn64dl", 560},  {64, 0x5000402b, "magma64", 583},
      {64, 0x2000402b, "sbg64tau1", 696}, {64, 0x2200402b, "sbg64tau2", 697},
      {64, 0x2400402b, "sbg64lin1", 694}, {64, 0x2600402b, "sbg64lin2", 695},
  };
  test_isa_t const rv32(32, {'I', 'X', EXT_XKGOSTK, EXT_XKGOSTM, EXT_XKGOSTS});
  test_isa_t const rv64(64, {'I', 'X', EXT_XKGOSTK, EXT_XKGOSTM, EXT_XKGOSTS});
  disassembler_t const d32(&rv32), d64(&rv64);
  for (custom_case const& c : cases) {
    SCOPED_TRACE(c.name);
    uint64_t const word = c.match | 0x01c5c500;  // rd = a0, rs1 = a1, rs2 = t3
    disasm_insn_t const* insn = (c.xlen == 32 ? d32 : d64).get_disasm(word);
    ASSERT_NE(insn, nullptr);
    EXPECT_EQ(insn->name, c.name);
    EXPECT_EQ(insn->insn_id, c.id);
    EXPECT_EQ(insn->mask, 0xfe00707fu);
    EXPECT_EQ(insn->insn_flags, 0xbu);
    // Every name has 7 or more letters: one blank follows.
    EXPECT_EQ(insn->to_string(insn_t(word)), std::string(c.name) + " a0, a1, t3");
  }
}

TEST(ScalarTable, FloatingPoint) {
  expect_decodes(test_isa_t(64, {'I', 'F', 'D', 'Q', EXT_ZFA, EXT_ZFH, EXT_ZFHMIN,
                                 EXT_HALF_FP_TRANSFER, EXT_ZFBFMIN}),
                 {
                     {0x00c5f553, "fadd.s  fa0, fa1, fa2", 212, 0xb0},
                     {0x5805f553, "fsqrt.s fa0, fa1", 372, 0x90},
                     {0x68c5f543, "fmadd.s fa0, fa1, fa2, fa3", 301, 0xf0},
                     {0xd015f553, "fcvt.s.wu fa0, a1", 254, 0x81},
                     {0xc005f553, "fcvt.w.s a0, fa1", 258, 0x18},
                     {0xe0058553, "fmv.x.w a0, fa1", 331, 0x18},
                     {0xa0c5a553, "feq.s   a0, fa1, fa2", 273, 0x38},
                     {0x0085a507, "flw     fa0, 8(a1)", 297, 0x181},
                     {0x00a5a427, "fsw     fa0, 8(a1)", 381, 0x321},
                     {0x4015f553, "fcvt.s.d fa0, fa1", 248, 0x90},
                     {0xf0180553, "fli.s   fa0, 1.0", 287, 0x80},
                     {0xf0108553, "fli.s   fa0, min", 287, 0x80},
                     {0xf4180553, "fli.h   fa0, 1.0", 285, 0x80},
                     {0xa2c5c553, "fleq.d  a0, fa1, fa2", 279, 0x38},
                     {0xf6180553, "fli.q   fa0, 1.0", 286, 0x80},
                     {0xe6158553, "fmvh.x.q a0, fa1", 333, 0x18},
                     {0xb2c58553, "fmvp.d.x (args unknown)", 334, 0x0},  // RV32 only
                     {0x04c5f553, "fadd.h  fa0, fa1, fa2", 210, 0xb0},
                     {0x4405f553, "fcvt.h.s fa0, fa1", 229, 0x90},
                     {0x00a59427, "fsh     fa0, 8(a1)", 365, 0x321},
                     {0xf4058553, "fmv.h.x fa0, a1", 327, 0x81},
                     {0x4485f553, "fcvt.bf16.s fa0, fa1", 217, 0x90},
                     {0x0085c507, "flq     fa0, 8(a1)", 288, 0x181},
                     {0x4605f553, "fcvt.q.s fa0, fa1", 244, 0x90},
                 });
  expect_decodes(test_isa_t(32, {'I', 'F', 'D', 'Q', EXT_ZFA}),
                 {
                     {0xb2c58553, "fmvp.d.x fa0, a1, a2", 334, 0x83},
                     {0xe2158553, "fmvh.x.d a0, fa1", 332, 0x18},
                     {0xb6c58553, "fmvp.q.x (args unknown)", 335, 0x0},  // RV64 only
                 });
}

TEST(ScalarTable, ZfaHalfFormsNeedZfhOrZvfh) {
  // zfhmin alone gives the conversions but not the Zfa half forms.
  expect_decodes(test_isa_t(64, {'I', 'F', EXT_ZFA, EXT_ZFHMIN, EXT_HALF_FP_TRANSFER}),
                 {
                     {0xf4180553, "fli.h (args unknown)", 285, 0x0},
                     {0x4405f553, "fcvt.h.s fa0, fa1", 229, 0x90},
                     {0x04c5f553, "fadd.h (args unknown)", 210, 0x0},
                 });
  expect_decodes(test_isa_t(64, {'I', 'F', EXT_ZFA, EXT_ZVFH}),
                 {
                     {0xf4180553, "fli.h   fa0, 1.0", 285, 0x80},
                     {0xa4c5d553, "fltq.h  a0, fa1, fa2", 294, 0x38},
                 });
}

TEST(ScalarTable, FloatingPointInIntegerRegisters) {
  expect_decodes(test_isa_t(64, {'I', EXT_ZFINX, EXT_ZDINX, EXT_ZHINX, EXT_ZHINXMIN}),
                 {
                     {0x00c5f553, "fadd.s  a0, a1, a2", 212, 0xb},
                     {0x5805f553, "fsqrt.s a0, a1", 372, 0x9},
                     {0x68c5f543, "fmadd.s a0, a1, a2, a3", 301, 0xf},
                     {0xa0c5a553, "feq.s   a0, a1, a2", 273, 0xb},
                     {0x02c5f553, "fadd.d  a0, a1, a2", 209, 0xb},
                     {0x4205f553, "fcvt.d.s a0, a1", 222, 0x9},
                     {0x04c5f553, "fadd.h  a0, a1, a2", 210, 0xb},
                     {0x4405f553, "fcvt.h.s a0, a1", 229, 0x9},
                 });
}

TEST(ScalarTable, CompressedInteger) {
  expect_decodes(test_isa_t(64, {'I', EXT_ZCA}),
                 {
                     {0x0001, "c.nop", 89, 0x0},
                     {0x0505, "c.addi  a0, a0, 1", 89, 0x9},
                     {0x7101, "c.addi  sp, sp, -512", 90, 0x9},
                     {0x1fe8, "c.addi  a0, sp, 1020", 91, 0x9},
                     {0x557d, "c.li    a0, -1", 116, 0x8},
                     {0x6505, "c.lui   a0, 0x00000001", 117, 0x8},
                     {0x9002, "c.ebreak", 88, 0x0},
                     {0x8082, "c.ret", 110, 0x1},
                     {0x8502, "c.jr    a0", 110, 0x1},
                     {0x9502, "c.jalr  a0", 109, 0x9},
                     {0x852e, "c.mv    a0, a1", 130, 0xb},
                     {0x952e, "c.add   a0, a0, a1", 88, 0xb},
                     {0x050a, "c.slli  a0, 2", 140, 0x9},
                     {0x8105, "c.srli  a0, a0, 1", 142, 0x9},
                     {0x997d, "c.andi  a0, a0, -1", 95, 0x9},
                     {0x8d0d, "c.sub   a0, a0, a1", insn_id("c_sub"), 0xb},
                     {0x9d2d, "c.addw  a0, a0, a1", insn_id("c_addw"), 0xb},
                     {0x4502, "c.lw    a0, 0(sp)", 119, 0x109},
                     {0xc02a, "c.sw    a0, 0(sp)", 148, 0x303},
                     {0x4188, "c.lw    a0, 0(a1)", 118, 0x109},
                     {0xc188, "c.sw    a0, 0(a1)", 147, 0x303},
                     {0xc111, "c.beqz  a0, pc + 4", 96, 0x1},
                     {0xa001, "c.j     pc + 0", 107, 0x0},
                     {0x2505, "c.addiw a0, a0, 1", 92, 0x9},
                     {0x6188, "c.ld    a0, 0(a1)", 112, 0x109},
                     {0x6502, "c.ld    a0, 0(sp)", 113, 0x109},
                     {0xe188, "c.sd    a0, 0(a1)", 135, 0x303},
                     {0xe02a, "c.sd    a0, 0(sp)", 136, 0x303},
                 });
}

TEST(ScalarTable, CompressedJalOrAddiwByWidth) {
  expect_decodes(test_isa_t(32, {'I', EXT_ZCA}),
                 {
                     {0x2505, "c.jal   pc + 1568", 108, 0x8},
                     // Without zcmlsd RV32 has no c.ld/c.sd: the catch-all of the lower id
                     // (c.flw) owns the word.
                     {0x6188, "c.flw (args unknown)", 101, 0x0},
                 });
  expect_decodes(test_isa_t(48, {'I', EXT_ZCA}), {
                                                     {0x2505, "c.addiw a0, a0, 1", 92, 0x9},
                                                     {0x6188, "c.flw (args unknown)", 101, 0x0},
                                                 });
  expect_decodes(test_isa_t(32, {'I', EXT_ZCA, EXT_ZILSD, EXT_ZCMLSD}),
                 {
                     {0x6188, "c.ld    a0, 0(a1)", 112, 0x109},
                     {0xe02a, "c.sd    a0, 0(sp)", 136, 0x303},
                 });
}

TEST(ScalarTable, CompressedFloatingPointUsesFpRegisterNames) {
  expect_decodes(test_isa_t(64, {'I', 'F', 'D', EXT_ZCA, EXT_ZCD}),
                 {
                     {0x2188, "c.fld   fa0, 0(a1)", 99, 0x181},
                     {0x2180, "c.fld   fs0, 0(a1)", 99, 0x181},
                     {0x2502, "c.fldsp fa0, 0(sp)", 100, 0x181},
                     {0xa188, "c.fsd   fa0, 0(a1)", 103, 0x321},
                     {0xa02a, "c.fsdsp fa0, 0(sp)", 104, 0x321},
                 });
  expect_decodes(test_isa_t(32, {'I', 'F', EXT_ZCA, EXT_ZCF}),
                 {
                     {0x6188, "c.flw   fa0, 0(a1)", 101, 0x181},
                     {0x6502, "c.flw   fa0, 0(sp)", 102, 0x181},
                     {0xe188, "c.fsw   fa0, 0(a1)", 105, 0x321},
                     {0xe02a, "c.fsw   fa0, 0(sp)", 106, 0x321},
                 });
  // zcd without D adds nothing.
  expect_decodes(test_isa_t(64, {'I', EXT_ZCA, EXT_ZCD}),
                 {
                     {0x2188, "c.fld (args unknown)", 99, 0x0},
                 });
}

TEST(ScalarTable, CompressedZcbZcmpZcmt) {
  test_isa_t const rv64(64, {'I', EXT_ZCA, EXT_ZCB, EXT_ZCMP, EXT_ZCMT});
  test_isa_t const rv32(32, {'I', EXT_ZCA, EXT_ZCB, EXT_ZCMP, EXT_ZCMT});
  expect_decodes(rv64, {
                           {0x9d61, "c.zext.b a0", 150, 0x9},
                           {0x9d71, "c.zext.w a0", 152, 0x9},
                           {0x9d75, "c.not   a0", 132, 0x9},
                           {0x9d4d, "c.mul   a0, a1", 129, 0xb},
                           {0x8188, "c.lbu   a0, 0(a1)", 111, 0x109},
                           {0x85a8, "c.lhu   a0, 2(a1)", 115, 0x109},
                           {0x85e8, "c.lh    a0, 2(a1)", 114, 0x109},
                           {0x8988, "c.sb    a0, 0(a1)", 134, 0x301},
                           {0x8d88, "c.sh    a0, 0(a1)", 139, 0x301},
                           {0xb866, "cm.push {ra, s0-s1}, -48", 174, 0x9},
                           {0xba66, "cm.pop  {ra, s0-s1}, 48", 171, 0x9},
                           {0xac26, "cm.mvsa01 s0, s1", 170, 0x9},
                           {0xa016, "cm.jt   5", 168, 0x8},
                           {0xa0a2, "cm.jalt 40", 168, 0x8},
                       });
  expect_decodes(rv32, {
                           {0x9d71, "c.zext.w (args unknown)", 152, 0x0},
                           {0xb866, "cm.push {ra, s0-s1}, -32", 174, 0x9},
                           {0xbe66, "cm.popret {ra, s0-s1}, 32", 172, 0x9},
                       });
}

TEST(ScalarTable, WidthOtherThan32Or64UsesTheNon32Forms) {
  // The RV64 stack-adjustment printers and c.addiw, c.ld only through
  // zcmlsd, and neither custom group nor the RV64-only c.zext.w.
  expect_decodes(test_isa_t(48, {'I', 'X', EXT_ZCA, EXT_ZCB, EXT_ZCMP, EXT_ZCMLSD, EXT_XKGOSTK,
                                 EXT_XKGOSTM, EXT_XKGOSTS}),
                 {
                     {0xb866, "cm.push {ra, s0-s1}, -48", 174, 0x9},
                     {0x2505, "c.addiw a0, a0, 1", 92, 0x9},
                     {0x6188, "c.ld    a0, 0(a1)", 112, 0x109},
                     {0x9d71, "c.zext.w (args unknown)", 152, 0x0},
                     {0x0400402b, "kuzn64esx (args unknown)", 563, 0x0},
                     {0x8400402b, "kuzn32esx (args unknown)", 559, 0x0},
                 });
}

// Every format makes entries with its printers and flags, and with its fixed
// mask where it has one. Rows added after construction are probed first, so
// each wins for its word.
struct format_case {
  insn_format_t const* format;
  uint64_t word;
  char const* text;
  unsigned long flags;
};

TEST(TableRows, FormatsGivePrintersFlagsAndMasks) {
  // rd = a0, rs1 = a1, rs2 = a2, rs3 = a3 where the format reads them.
  format_case const cases[] = {
      {&layout::shift_imm, 0x0215951b, "x.y     a0, a1, 33", 0x9},
      {&layout::no_args, 0x0000000b, "x.y", 0x0},
      {&layout::fp_r, 0x00c5f50b, "x.y     fa0, fa1, fa2", 0xb0},
      {&layout::fp_from_int, 0x0005850b, "x.y     fa0, a1", 0x81},
      {&layout::int_from_fp, 0x0005850b, "x.y     a0, fa1", 0x18},
      {&layout::r4, 0x68c5850b, "x.y     a0, a1, a2, a3", 0xf},
      {&layout::unary, 0x0005850b, "x.y     a0, a1", 0x9},
      {&layout::reg_load, 0x0005850b, "x.y     a0, (a1)", 0x109},
      {&layout::reg_store, 0x00c5800b, "x.y     a2, (a1)", 0x30b},
      {&layout::r, 0x00c5850b, "x.y     a0, a1, a2", 0xb},
      {&layout::address_only, 0x0005800b, "x.y     (a1)", 0x1},
      // Vector formats: the mask operand is printed only when bit 25 is 0.
      {&layout::vec_vi, 0x00c7b557, "x.y     v10, v12, 15, v0.t", 0x0},
      {&layout::vec_vi, 0x02c8b557, "x.y     v10, v12, -15", 0x0},
      {&layout::vec_vx, 0x02c5c557, "x.y     v10, v12, a1", 0x0},
      {&layout::vec_v, 0x00c00557, "x.y     v10, v12, v0.t", 0x0},
      {&layout::vec_vi_unsigned, 0x02c8b557, "x.y     v10, v12, 17", 0x0},
      {&layout::vec_vv, 0x02c58557, "x.y     v10, v12, v11", 0x0},
      {&layout::vec_vim, 0x40c7b557, "x.y     v10, v12, 15, v0", 0x0},
      {&layout::vec_vxm, 0x40c5c557, "x.y     v10, v12, a1, v0", 0x0},
      {&layout::vec_vvm, 0x40c58557, "x.y     v10, v12, v11, v0", 0x0},
      {&layout::vec_vf, 0x02c5d557, "x.y     v10, v12, fa1", 0x0},
      {&layout::vror_vi, 0x54c5b557, "x.y     v10, v12, 43, v0.t", 0x0},  // bit 26 adds 32
      {&layout::srai_u, 0x0215950b, "x.y     a0, a1, 33", 0x9},
      {&layout::p_imm5, 0x0135950b, "x.y     a0, a1, 19", 0x9},
      {&layout::p_imm4, 0x00b5950b, "x.y     a0, a1, 11", 0x9},
      {&layout::p_imm3, 0x0055950b, "x.y     a0, a1, 5", 0x9},
      // The byte-select forms read rs2 too.
      {&layout::bs, 0xc0c5850b, "x.y     a0, a1, a2, 3", 0xb},
      {&layout::rs1_rs2, 0x00c5800b, "x.y     a1, a2", 0x3},
      {&layout::fli, 0x0008050b, "x.y     fa0, 1.0", 0x80},
      {&layout::fp_compare, 0x00c5850b, "x.y     a0, fa1, fa2", 0x38},
      {&layout::fp_from_int_pair, 0x00c5850b, "x.y     fa0, a1, a2", 0x83},
      {&layout::fp_r4, 0x68c5f50b, "x.y     fa0, fa1, fa2, fa3", 0xf0},
      {&layout::fp_unary, 0x0005f50b, "x.y     fa0, fa1", 0x90},
      {&layout::branch_zero, 0x0005840b, "x.y     a1, pc + 8", 0x1},
      {&layout::branch, 0x00c5840b, "x.y     a1, a2, pc + 8", 0x3},
      {&layout::fp_store, 0x00c5a40b, "x.y     fa2, 8(a1)", 0x321},
      {&layout::fp_load, 0x0085a50b, "x.y     fa0, 8(a1)", 0x181},
      {&layout::store, 0x00c5a40b, "x.y     a2, 8(a1)", 0x303},
      {&layout::load, 0x0085a50b, "x.y     a0, 8(a1)", 0x109},
      {&layout::i, 0xfff5850b, "x.y     a0, a1, -1", 0x9},
      {&layout::r_rdh, 0x00c5850b, "x.y     a0, a1, a2", 0x800b},
      {&layout::r_rsd_pair, 0x00c5850b, "x.y     a0, a1, a2", 0x8c0b},
      {&layout::r_pair, 0x00c5850b, "x.y     a0, a1, a2", 0xb00b},
      {&layout::r_rsd, 0x00c5850b, "x.y     a0, a1, a2", 0x40b},
  };
  test_isa_t const none(64, {});
  for (format_case const& c : cases) {
    SCOPED_TRACE(c.text);
    uint64_t const mask = c.format->mask != 0 ? c.format->mask : 0xffffffff;
    disassembler_t d(&none);
    table_entry_t const row(*c.format, "x_y", c.word & mask, mask, 7);
    add_entries(d, &row, 1);
    disasm_insn_t const* insn = d.get_disasm(c.word);
    ASSERT_NE(insn, nullptr);
    EXPECT_EQ(insn->to_string(insn_t(c.word)), c.text);
    EXPECT_EQ(insn->insn_flags, c.flags);
    EXPECT_EQ(insn->mask, mask);
    EXPECT_EQ(insn->insn_id, 7u);
    EXPECT_EQ(insn->base_name, insn->name);
  }
}

TEST(TableRows, RowsGivenByNameTakeTheirCatchAllRowsValues) {
  // Written at compile time, so a format whose fixed mask disagrees with the
  // name's encoding would not build.
  static constexpr table_entry_t rows[] = {
      {layout::vror_vi, "vror_vi"},
      {layout::srai_u, "srai_u"},
      {layout::vec_vv, "vadd_vv"},
  };
  static_assert(rows[0].match == 0x50003057 && rows[0].mask == 0xf800707f);
  static_assert(rows[0].id == 1232 && rows[1].id == 819);
  for (table_entry_t const& row : rows) {
    catch_all_row_t const& expected = catch_all_row(row.name);
    EXPECT_EQ(row.match, expected.match) << row.name;
    EXPECT_EQ(row.mask, expected.mask) << row.name;
    EXPECT_EQ(row.flags, row.format->flags) << row.name;
  }
}

TEST(TableRows, FlagsGivenWithARowReplaceTheFormats) {
  test_isa_t const none(64, {});
  disassembler_t d(&none);
  table_entry_t const lr =
      table_entry_t(layout::amo, "x_y", 0x0000000b, 0xffffffff, 7).with_flags(0x109);
  add_entries(d, &lr, 1);
  disasm_insn_t const* insn = d.get_disasm(0x0000000b);
  ASSERT_NE(insn, nullptr);
  EXPECT_EQ(insn->insn_flags, 0x109u);
  EXPECT_EQ(insn->to_string(insn_t(0x0000000b)), "x.y     zero, zero, (zero)");
}

}  // namespace
