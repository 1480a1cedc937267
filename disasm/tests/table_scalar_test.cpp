// The scalar groups of the instruction table: gating by extension and width,
// the order that makes pseudo-instruction forms win, identifiers and flags.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "disasm/disassembler.h"
#include "disasm/insn_ids.h"
#include "disasm/isa_parser.h"
#include "disasm/tables/groups.h"
#include "disasm/tables/table_rows.h"
#include "support/table_check.h"

namespace {

using namespace insn_flag;

TEST(ScalarTable, BaseIntegerPseudoFormsComeFirst) {
  expect_decodes(test_isa_t(64, {'I'}),
                 {
                     {0x00000013, "nop", insn_id("addi"), 0},
                     {0x00100093, "li      ra, 1", insn_id("addi"), RD},
                     {0x00050593, "mv      a1, a0", insn_id("addi"), RS1 | RD},
                     {0x00150593, "addi    a1, a0, 1", insn_id("addi"), RS1 | RD},
                     {0x00008067, "ret", insn_id("jalr"), RS1 | RD},
                     {0x00050067, "jr      a0", insn_id("jalr"), RS1 | RD},
                     {0x000500e7, "jalr    a0", insn_id("jalr"), RS1 | RD},
                     {0x004500e7, "jalr    ra, a0, 4", insn_id("jalr"), RS1 | RD},
                     {0x0000006f, "j       pc + 0x00000", insn_id("jal"), RD},
                     {0x008000ef, "jal     pc + 0x00008", insn_id("jal"), RD},
                     {0x008002ef, "jal     t0, pc + 0x00008", insn_id("jal"), RD},
                     {0x00050463, "beqz    a0, pc + 8", insn_id("beq"), RS1},
                     {0x00051463, "bnez    a0, pc + 8", insn_id("bne"), RS1},
                     {0x00054463, "bltz    a0, pc + 8", insn_id("blt"), RS1},
                     {0x00055463, "bgez    a0, pc + 8", insn_id("bge"), RS1},
                     {0x00b50463, "beq     a0, a1, pc + 8", insn_id("beq"), RS1 | RS2},
                     {0x00b57463, "bgeu    a0, a1, pc + 8", insn_id("bgeu"), RS1 | RS2},
                     {0x0015b513, "seqz    a0, a1", insn_id("sltiu"), RS1 | RD},
                     {0x0025b513, "sltiu   a0, a1, 2", insn_id("sltiu"), RS1 | RD},
                     {0xfff5c513, "not     a0, a1", insn_id("xori"), RS1 | RD},
                     {0x0005851b, "sext.w  a0, a1", insn_id("addiw"), RS1 | RD},
                     {0x00b03533, "snez    a0, a1", insn_id("sltu"), RS1 | RD},
                     {0x00b63533, "sltu    a0, a2, a1", insn_id("sltu"), RS1 | RS2 | RD},
                     {0x12345537, "lui     a0, 0x12345", insn_id("lui"), RD},
                     {0x00001517, "auipc   a0, 0x00001", insn_id("auipc"), RD},
                     {0x02151513, "slli    a0, a0, 33", insn_id("slli"), RS1 | RD},
                     {0x4015d513, "srai    a0, a1, 1", insn_id("srai"), RS1 | RD},
                     {0x40b50533, "sub     a0, a0, a1", insn_id("sub"), RS1 | RS2 | RD},
                     {0x4015d51b, "sraiw   a0, a1, 1", insn_id("sraiw"), RS1 | RD},
                     {0x0005b503, "ld      a0, 0(a1)", insn_id("ld"), RS1 | RD | MEM},
                     {0x00a5b023, "sd      a0, 0(a1)", insn_id("sd"), RS1 | RS2 | MEM | STORE},
                 });
}

TEST(ScalarTable, AlwaysPresentFixedHintAndSystemEntries) {
  expect_decodes(test_isa_t(64, {'I'}),
                 {
                     {0x00000000, "c.unimp", insn_id("c_unimp"), 0},
                     {0xc0001073, "unimp", insn_id("unimp"), 0},
                     {0x00156013, "prefetch.r (a0)", insn_id("prefetch_r"), RS1},
                     {0x00356013, "prefetch.w (a0)", insn_id("prefetch_w"), RS1},
                     {0x00056013, "prefetch.i (a0)", insn_id("prefetch_i"), RS1},
                     {0x00256013, "ori     zero, a0, 2", insn_id("ori"), RS1 | RD},
                     {0x0100000f, "pause", insn_id("pause"), 0},
                     {0x0ff0000f, "fence   iorw,iorw", insn_id("fence"), 0},
                     {0x0000100f, "fence.i", insn_id("fence_i"), 0},
                     {0x00200073, "uret", insn_id("uret"), 0},
                     {0x30200073, "mret", insn_id("mret"), 0},
                     {0xc0002573, "csrr    a0, cycle", insn_id("csrrs"), RD},
                     {0x30051073, "csrw    mstatus, a0", insn_id("csrrw"), RS1 | RD},
                     {0x30052073, "csrs    mstatus, a0", insn_id("csrrs"), RS1 | RD},
                     {0x30053073, "csrc    mstatus, a0", insn_id("csrrc"), RS1 | RD},
                     {0x3002d073, "csrwi   mstatus, 5", insn_id("csrrwi"), RD},
                     {0x300515f3, "csrrw   a1, mstatus, a0", insn_id("csrrw"), RS1 | RD},
                     {0x3002e5f3, "csrrsi  a1, mstatus, 5", insn_id("csrrsi"), RD},
                     {0x61059513, "crc32.b a0, a1", insn_id("crc32_b"), RS1 | RD},
                     {0x61b59513, "crc32c.d a0, a1", insn_id("crc32c_d"), RS1 | RD},
                     {0x6cc59533, "fsl     a0, a1, a2, a3", insn_id("fsl"), RS1 | RS2 | RS3 | RD},
                     {0x2815d51b, "gorciw  a0, a1, 1", insn_id("gorciw"), RS1 | RD},
                     {0x48c5e533, "bdecompress a0, a1, a2", insn_id("bdecompress"), RS1 | RS2 | RD},
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
                     {0x0005e503, "lwu     a0, 0(a1)", insn_id("lwu"), RS1 | RD | MEM},
                     {0x0005b503, "ld      a0, 0(a1)", insn_id("ld"), RS1 | RD | MEM},
                     {0x00a5b023, "sd      a0, 0(a1)", insn_id("sd"), RS1 | RS2 | MEM | STORE},
                     {0x0005851b, "sext.w  a0, a1", insn_id("addiw"), RS1 | RD},
                 });
}

TEST(ScalarTable, GatedGroupsFallBackToTheirCatchAllEntries) {
  expect_decodes(test_isa_t(64, {'I'}),
                 {
                     {0x02c58533, "mul (args unknown)", insn_id("mul"), 0},
                     // lpad needs zicfilp
                     {0x00c5a52f, "amoadd.w (args unknown)", insn_id("amoadd_w"), 0},
                     {0x00001017, "auipc   zero, 0x00001", insn_id("auipc"), RD},
                     {0x00c5f553, "fadd.s (args unknown)", insn_id("fadd_s"), 0},
                     {0x9002, "c.ebreak (args unknown)", insn_id("c_ebreak"), 0},
                 });
}

TEST(ScalarTable, IntegerExtensions) {
  expect_decodes(
      test_isa_t(64, {'I', 'M', 'A', 'S', 'H', EXT_ZACAS, EXT_ZABHA, EXT_ZAWRS, EXT_ZICFILP,
                      EXT_ZBA, EXT_ZBC, EXT_ZBS, EXT_SVINVAL}),
      {
          {0x02c58533, "mul     a0, a1, a2", insn_id("mul"), RS1 | RS2 | RD},
          {0x02c5d53b, "divuw   a0, a1, a2", insn_id("divuw"), RS1 | RS2 | RD},
          {0x00c5a52f, "amoadd.w a0, a2, (a1)", insn_id("amoadd_w"), RS1 | RS2 | RD | MEM | STORE},
          // aq and rl set
          {0x0ec5b52f, "amoswap.d a0, a2, (a1)", insn_id("amoswap_d"),
           RS1 | RS2 | RD | MEM | STORE},
          {0x1005a52f, "lr.w    a0, zero, (a1)", insn_id("lr_w"), RS1 | RD | MEM},
          {0x18c5a52f, "sc.w    a0, a2, (a1)", insn_id("sc_w"), RS1 | RS2 | RD | MEM | STORE},
          {0x28c5c52f, "amocas.q a0, a2, (a1)", insn_id("amocas_q"), RS1 | RS2 | RD | MEM | STORE},
          {0x00c5952f, "amoadd.h a0, a2, (a1)", insn_id("amoadd_h"), RS1 | RS2 | RD | MEM | STORE},
          {0x01d00073, "wrs.sto", insn_id("wrs_sto"), 0},
          {0x00001017, "lpad    0x00001", insn_id("lpad"), 0},
          {0x10200073, "sret", insn_id("sret"), 0},
          {0x12b50073, "sfence.vma a0, a1", insn_id("sfence_vma"), RS1 | RS2},
          {0x20c5a533, "sh1add  a0, a1, a2", insn_id("sh1add"), RS1 | RS2 | RD},
          {0x0805853b, "zext.w  a0, a1", insn_id("add_uw"), RS1 | RD},
          {0x0a05951b, "slli.uw a0, a1, 32", insn_id("slli_uw"), RS1 | RD},
          {0x0ac59533, "clmul   a0, a1, a2", insn_id("clmul"), RS1 | RS2 | RD},
          {0x4815d513, "bexti   a0, a1, 1", insn_id("bexti"), RS1 | RD},
          {0x18100073, "sfence.inval.ir", insn_id("sfence_inval_ir"), 0},
          {0x6ec5c073, "hsv.d   a2, (a1)", insn_id("hsv_d"), RS1 | RS2 | RD | MEM | STORE},
          {0x6c05c573, "hlv.d   a0, (a1)", insn_id("hlv_d"), RS1 | RD | MEM},
      });
}

TEST(ScalarTable, BitManipulationByWidth) {
  test_isa_t const zb32(32, {'I', EXT_ZBA, EXT_ZBB, EXT_ZBKB});
  test_isa_t const zb64(64, {'I', EXT_ZBA, EXT_ZBB, EXT_ZBKB});
  test_isa_t const zb48(48, {'I', EXT_ZBA, EXT_ZBB, EXT_ZBKB});
  expect_decodes(zb32, {
                           {0x69855513, "rev8    a0, a0", insn_id("grevi"), RS1 | RD},
                           {0x08054533, "zext.h  a0, a0", insn_id("pack"), RS1 | RD},
                           {0x68755513, "brev8   a0, a0", insn_id("grevi"), RS1 | RD},
                           {0x68855513, "rev8.h  a0, a0", insn_id("grevi"), RS1 | RD},
                           {0x28755513, "orc.b   a0, a0", insn_id("gorci"), RS1 | RD},
                           // RV64 part of zba
                           {0x60451513, "sext.b  a0, a0", insn_id("sext_b"), RS1 | RD},
                           {0x0805853b, "add.uw (args unknown)", insn_id("add_uw"), 0},
                           {0x0805453b, "packw (args unknown)", insn_id("packw"), 0},
                       });
  expect_decodes(zb64, {
                           {0x6b855513, "rev8    a0, a0", insn_id("grevi"), RS1 | RD},
                           {0x0805453b, "zext.h  a0, a0", insn_id("packw"), RS1 | RD},
                           {0x08c5c53b, "packw   a0, a1, a2", insn_id("packw"), RS1 | RS2 | RD},
                           {0x6015d51b, "roriw   a0, a1, 1", insn_id("roriw"), RS1 | RD},
                           {0x0805853b, "zext.w  a0, a1", insn_id("add_uw"), RS1 | RD},
                       });
  // Neither 32 nor 64: rev8 takes the shift amount xlen - 8, zext.h the
  // non-RV32 form, and no RV64-only entry is added.
  expect_decodes(zb48, {
                           {0x6a855513, "rev8    a0, a0", insn_id("grevi"), RS1 | RD},
                           {0x0805453b, "zext.h  a0, a0", insn_id("packw"), RS1 | RD},
                           {0x60c5d53b, "rorw (args unknown)", insn_id("rorw"), 0},
                           {0x0805853b, "add.uw (args unknown)", insn_id("add_uw"), 0},
                       });
}

TEST(ScalarTable, CustomInstructionsByWidthAndExtension) {
  expect_decodes(
      test_isa_t(64, {'I', 'X', EXT_XKGOSTS}),
      {
          {0x0400402b, "kuzn64esx zero, zero, zero", insn_id("kuzn64esx"), RS1 | RS2 | RD},
          {0x26c5c52b, "sbg64lin2 a0, a1, a2", insn_id("sbg64lin2"), RS1 | RS2 | RD},
          {0x0600402b, "kuzn64dsx (args unknown)", insn_id("kuzn64dsx"), 0},
          {0x5000402b, "magma64 (args unknown)", insn_id("magma64"), 0},
      });
  expect_decodes(test_isa_t(64, {'I', 'X', EXT_XKGOSTM}),
                 {
                     {0x50c5c52b, "magma64 a0, a1, a2", insn_id("magma64"), RS1 | RS2 | RD},
                     {0x0400402b, "kuzn64esx (args unknown)", insn_id("kuzn64esx"), 0},
                 });
  expect_decodes(
      test_isa_t(32, {'I', 'X', EXT_XKGOSTK}),
      {
          {0x8400402b, "kuzn32esx zero, zero, zero", insn_id("kuzn32esx"), RS1 | RS2 | RD},
          {0xcac5c52b, "kuzn32dlh a0, a1, a2", insn_id("kuzn32dlh"), RS1 | RS2 | RD},
          {0x0400402b, "kuzn64esx (args unknown)", insn_id("kuzn64esx"), 0},
          {0xd000402b, "magma32g (args unknown)", insn_id("magma32g"), 0},
      });
  expect_decodes(test_isa_t(48, {'I', 'X', EXT_XKGOSTK, EXT_XKGOSTM, EXT_XKGOSTS}),
                 {
                     {0x0400402b, "kuzn64esx (args unknown)", insn_id("kuzn64esx"), 0},
                     {0x8400402b, "kuzn32esx (args unknown)", insn_id("kuzn32esx"), 0},
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
      {32, 0x8400402b, "kuzn32esx", insn_id("kuzn32esx")},
      {32, 0x8600402b, "kuzn32dsx", insn_id("kuzn32dsx")},
      {32, 0xce00402b, "kuzn32el", insn_id("kuzn32el")},
      {32, 0xcc00402b, "kuzn32elh", insn_id("kuzn32elh")},
      {32, 0xc800402b, "kuzn32dl", insn_id("kuzn32dl")},
      {32, 0xca00402b, "kuzn32dlh", insn_id("kuzn32dlh")},
      {32, 0xd000402b, "magma32g", insn_id("magma32g")},
      {32, 0xa000402b, "sbg32tau1", insn_id("sbg32tau1")},
      {32, 0xa200402b, "sbg32tau2", insn_id("sbg32tau2")},
      {32, 0xa400402b, "sbg32lin1", insn_id("sbg32lin1")},
      {32, 0xa600402b, "sbg32lin2", insn_id("sbg32lin2")},
      {64, 0x0400402b, "kuzn64esx", insn_id("kuzn64esx")},
      {64, 0x0600402b, "kuzn64dsx", insn_id("kuzn64dsx")},
      {64, 0x4e00402b, "kuzn64el", insn_id("kuzn64el")},
      {64, 0x4800402b, "kuzn64dl", insn_id("kuzn64dl")},
      {64, 0x5000402b, "magma64", insn_id("magma64")},
      {64, 0x2000402b, "sbg64tau1", insn_id("sbg64tau1")},
      {64, 0x2200402b, "sbg64tau2", insn_id("sbg64tau2")},
      {64, 0x2400402b, "sbg64lin1", insn_id("sbg64lin1")},
      {64, 0x2600402b, "sbg64lin2", insn_id("sbg64lin2")},
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
    EXPECT_EQ(insn->insn_flags, RS1 | RS2 | RD);
    // Every name has 7 or more letters: one blank follows.
    EXPECT_EQ(insn->to_string(insn_t(word)), std::string(c.name) + " a0, a1, t3");
  }
}

TEST(ScalarTable, FloatingPoint) {
  expect_decodes(
      test_isa_t(64, {'I', 'F', 'D', 'Q', EXT_ZFA, EXT_ZFH, EXT_ZFHMIN, EXT_HALF_FP_TRANSFER,
                      EXT_ZFBFMIN}),
      {
          {0x00c5f553, "fadd.s  fa0, fa1, fa2", insn_id("fadd_s"), FRS1 | FRS2 | FRD},
          {0x5805f553, "fsqrt.s fa0, fa1", insn_id("fsqrt_s"), FRS1 | FRD},
          {0x68c5f543, "fmadd.s fa0, fa1, fa2, fa3", insn_id("fmadd_s"), FRS1 | FRS2 | FRS3 | FRD},
          {0xd015f553, "fcvt.s.wu fa0, a1", insn_id("fcvt_s_wu"), RS1 | FRD},
          {0xc005f553, "fcvt.w.s a0, fa1", insn_id("fcvt_w_s"), RD | FRS1},
          {0xe0058553, "fmv.x.w a0, fa1", insn_id("fmv_x_w"), RD | FRS1},
          {0xa0c5a553, "feq.s   a0, fa1, fa2", insn_id("feq_s"), RD | FRS1 | FRS2},
          {0x0085a507, "flw     fa0, 8(a1)", insn_id("flw"), RS1 | FRD | MEM},
          {0x00a5a427, "fsw     fa0, 8(a1)", insn_id("fsw"), RS1 | FRS2 | MEM | STORE},
          {0x4015f553, "fcvt.s.d fa0, fa1", insn_id("fcvt_s_d"), FRS1 | FRD},
          {0xf0180553, "fli.s   fa0, 1.0", insn_id("fli_s"), FRD},
          {0xf0108553, "fli.s   fa0, min", insn_id("fli_s"), FRD},
          {0xf4180553, "fli.h   fa0, 1.0", insn_id("fli_h"), FRD},
          {0xa2c5c553, "fleq.d  a0, fa1, fa2", insn_id("fleq_d"), RD | FRS1 | FRS2},
          {0xf6180553, "fli.q   fa0, 1.0", insn_id("fli_q"), FRD},
          // RV32 only
          {0xe6158553, "fmvh.x.q a0, fa1", insn_id("fmvh_x_q"), RD | FRS1},
          {0xb2c58553, "fmvp.d.x (args unknown)", insn_id("fmvp_d_x"), 0},
          {0x04c5f553, "fadd.h  fa0, fa1, fa2", insn_id("fadd_h"), FRS1 | FRS2 | FRD},
          {0x4405f553, "fcvt.h.s fa0, fa1", insn_id("fcvt_h_s"), FRS1 | FRD},
          {0x00a59427, "fsh     fa0, 8(a1)", insn_id("fsh"), RS1 | FRS2 | MEM | STORE},
          {0xf4058553, "fmv.h.x fa0, a1", insn_id("fmv_h_x"), RS1 | FRD},
          {0x4485f553, "fcvt.bf16.s fa0, fa1", insn_id("fcvt_bf16_s"), FRS1 | FRD},
          {0x0085c507, "flq     fa0, 8(a1)", insn_id("flq"), RS1 | FRD | MEM},
          {0x4605f553, "fcvt.q.s fa0, fa1", insn_id("fcvt_q_s"), FRS1 | FRD},
      });
  expect_decodes(test_isa_t(32, {'I', 'F', 'D', 'Q', EXT_ZFA}),
                 {
                     {0xb2c58553, "fmvp.d.x fa0, a1, a2", insn_id("fmvp_d_x"), RS1 | RS2 | FRD},
                     // RV64 only
                     {0xe2158553, "fmvh.x.d a0, fa1", insn_id("fmvh_x_d"), RD | FRS1},
                     {0xb6c58553, "fmvp.q.x (args unknown)", insn_id("fmvp_q_x"), 0},
                 });
}

TEST(ScalarTable, ZfaHalfFormsNeedZfhOrZvfh) {
  // zfhmin alone gives the conversions but not the Zfa half forms.
  expect_decodes(test_isa_t(64, {'I', 'F', EXT_ZFA, EXT_ZFHMIN, EXT_HALF_FP_TRANSFER}),
                 {
                     {0xf4180553, "fli.h (args unknown)", insn_id("fli_h"), 0},
                     {0x4405f553, "fcvt.h.s fa0, fa1", insn_id("fcvt_h_s"), FRS1 | FRD},
                     {0x04c5f553, "fadd.h (args unknown)", insn_id("fadd_h"), 0},
                 });
  expect_decodes(test_isa_t(64, {'I', 'F', EXT_ZFA, EXT_ZVFH}),
                 {
                     {0xf4180553, "fli.h   fa0, 1.0", insn_id("fli_h"), FRD},
                     {0xa4c5d553, "fltq.h  a0, fa1, fa2", insn_id("fltq_h"), RD | FRS1 | FRS2},
                 });
}

TEST(ScalarTable, FloatingPointInIntegerRegisters) {
  expect_decodes(
      test_isa_t(64, {'I', EXT_ZFINX, EXT_ZDINX, EXT_ZHINX, EXT_ZHINXMIN}),
      {
          {0x00c5f553, "fadd.s  a0, a1, a2", insn_id("fadd_s"), RS1 | RS2 | RD},
          {0x5805f553, "fsqrt.s a0, a1", insn_id("fsqrt_s"), RS1 | RD},
          {0x68c5f543, "fmadd.s a0, a1, a2, a3", insn_id("fmadd_s"), RS1 | RS2 | RS3 | RD},
          {0xa0c5a553, "feq.s   a0, a1, a2", insn_id("feq_s"), RS1 | RS2 | RD},
          {0x02c5f553, "fadd.d  a0, a1, a2", insn_id("fadd_d"), RS1 | RS2 | RD},
          {0x4205f553, "fcvt.d.s a0, a1", insn_id("fcvt_d_s"), RS1 | RD},
          {0x04c5f553, "fadd.h  a0, a1, a2", insn_id("fadd_h"), RS1 | RS2 | RD},
          {0x4405f553, "fcvt.h.s a0, a1", insn_id("fcvt_h_s"), RS1 | RD},
      });
}

TEST(ScalarTable, CompressedInteger) {
  expect_decodes(test_isa_t(64, {'I', EXT_ZCA}),
                 {
                     {0x0001, "c.nop", insn_id("c_addi"), 0},
                     {0x0505, "c.addi  a0, a0, 1", insn_id("c_addi"), RS1 | RD},
                     {0x7101, "c.addi  sp, sp, -512", insn_id("c_addi16sp"), RS1 | RD},
                     {0x1fe8, "c.addi  a0, sp, 1020", insn_id("c_addi4spn"), RS1 | RD},
                     {0x557d, "c.li    a0, -1", insn_id("c_li"), RD},
                     {0x6505, "c.lui   a0, 0x00000001", insn_id("c_lui"), RD},
                     {0x9002, "c.ebreak", insn_id("c_add"), 0},
                     {0x8082, "c.ret", insn_id("c_jr"), RS1},
                     {0x8502, "c.jr    a0", insn_id("c_jr"), RS1},
                     {0x9502, "c.jalr  a0", insn_id("c_jalr"), RS1 | RD},
                     {0x852e, "c.mv    a0, a1", insn_id("c_mv"), RS1 | RS2 | RD},
                     {0x952e, "c.add   a0, a0, a1", insn_id("c_add"), RS1 | RS2 | RD},
                     {0x050a, "c.slli  a0, 2", insn_id("c_slli"), RS1 | RD},
                     {0x8105, "c.srli  a0, a0, 1", insn_id("c_srli"), RS1 | RD},
                     {0x997d, "c.andi  a0, a0, -1", insn_id("c_andi"), RS1 | RD},
                     {0x8d0d, "c.sub   a0, a0, a1", insn_id("c_sub"), RS1 | RS2 | RD},
                     {0x9d2d, "c.addw  a0, a0, a1", insn_id("c_addw"), RS1 | RS2 | RD},
                     {0x4502, "c.lw    a0, 0(sp)", insn_id("c_lwsp"), RS1 | RD | MEM},
                     {0xc02a, "c.sw    a0, 0(sp)", insn_id("c_swsp"), RS1 | RS2 | MEM | STORE},
                     {0x4188, "c.lw    a0, 0(a1)", insn_id("c_lw"), RS1 | RD | MEM},
                     {0xc188, "c.sw    a0, 0(a1)", insn_id("c_sw"), RS1 | RS2 | MEM | STORE},
                     {0xc111, "c.beqz  a0, pc + 4", insn_id("c_beqz"), RS1},
                     {0xa001, "c.j     pc + 0", insn_id("c_j"), 0},
                     {0x2505, "c.addiw a0, a0, 1", insn_id("c_addiw"), RS1 | RD},
                     {0x6188, "c.ld    a0, 0(a1)", insn_id("c_ld"), RS1 | RD | MEM},
                     {0x6502, "c.ld    a0, 0(sp)", insn_id("c_ldsp"), RS1 | RD | MEM},
                     {0xe188, "c.sd    a0, 0(a1)", insn_id("c_sd"), RS1 | RS2 | MEM | STORE},
                     {0xe02a, "c.sd    a0, 0(sp)", insn_id("c_sdsp"), RS1 | RS2 | MEM | STORE},
                 });
}

TEST(ScalarTable, CompressedJalOrAddiwByWidth) {
  expect_decodes(test_isa_t(32, {'I', EXT_ZCA}),
                 {
                     {0x2505, "c.jal   pc + 1568", insn_id("c_jal"), RD},
                     // Without zcmlsd RV32 has no c.ld/c.sd: the catch-all of the lower id
                     // (c.flw) owns the word.
                     {0x6188, "c.flw (args unknown)", insn_id("c_flw"), 0},
                 });
  expect_decodes(test_isa_t(48, {'I', EXT_ZCA}),
                 {
                     {0x2505, "c.addiw a0, a0, 1", insn_id("c_addiw"), RS1 | RD},
                     {0x6188, "c.flw (args unknown)", insn_id("c_flw"), 0},
                 });
  expect_decodes(test_isa_t(32, {'I', EXT_ZCA, EXT_ZILSD, EXT_ZCMLSD}),
                 {
                     {0x6188, "c.ld    a0, 0(a1)", insn_id("c_ld"), RS1 | RD | MEM},
                     {0xe02a, "c.sd    a0, 0(sp)", insn_id("c_sdsp"), RS1 | RS2 | MEM | STORE},
                 });
}

TEST(ScalarTable, CompressedFloatingPointUsesFpRegisterNames) {
  expect_decodes(test_isa_t(64, {'I', 'F', 'D', EXT_ZCA, EXT_ZCD}),
                 {
                     {0x2188, "c.fld   fa0, 0(a1)", insn_id("c_fld"), RS1 | FRD | MEM},
                     {0x2180, "c.fld   fs0, 0(a1)", insn_id("c_fld"), RS1 | FRD | MEM},
                     {0x2502, "c.fldsp fa0, 0(sp)", insn_id("c_fldsp"), RS1 | FRD | MEM},
                     {0xa188, "c.fsd   fa0, 0(a1)", insn_id("c_fsd"), RS1 | FRS2 | MEM | STORE},
                     {0xa02a, "c.fsdsp fa0, 0(sp)", insn_id("c_fsdsp"), RS1 | FRS2 | MEM | STORE},
                 });
  expect_decodes(test_isa_t(32, {'I', 'F', EXT_ZCA, EXT_ZCF}),
                 {
                     {0x6188, "c.flw   fa0, 0(a1)", insn_id("c_flw"), RS1 | FRD | MEM},
                     {0x6502, "c.flw   fa0, 0(sp)", insn_id("c_flwsp"), RS1 | FRD | MEM},
                     {0xe188, "c.fsw   fa0, 0(a1)", insn_id("c_fsw"), RS1 | FRS2 | MEM | STORE},
                     {0xe02a, "c.fsw   fa0, 0(sp)", insn_id("c_fswsp"), RS1 | FRS2 | MEM | STORE},
                 });
  // zcd without D adds nothing.
  expect_decodes(test_isa_t(64, {'I', EXT_ZCA, EXT_ZCD}),
                 {
                     {0x2188, "c.fld (args unknown)", insn_id("c_fld"), 0},
                 });
}

TEST(ScalarTable, CompressedZcbZcmpZcmt) {
  test_isa_t const rv64(64, {'I', EXT_ZCA, EXT_ZCB, EXT_ZCMP, EXT_ZCMT});
  test_isa_t const rv32(32, {'I', EXT_ZCA, EXT_ZCB, EXT_ZCMP, EXT_ZCMT});
  expect_decodes(rv64, {
                           {0x9d61, "c.zext.b a0", insn_id("c_zext_b"), RS1 | RD},
                           {0x9d71, "c.zext.w a0", insn_id("c_zext_w"), RS1 | RD},
                           {0x9d75, "c.not   a0", insn_id("c_not"), RS1 | RD},
                           {0x9d4d, "c.mul   a0, a1", insn_id("c_mul"), RS1 | RS2 | RD},
                           {0x8188, "c.lbu   a0, 0(a1)", insn_id("c_lbu"), RS1 | RD | MEM},
                           {0x85a8, "c.lhu   a0, 2(a1)", insn_id("c_lhu"), RS1 | RD | MEM},
                           {0x85e8, "c.lh    a0, 2(a1)", insn_id("c_lh"), RS1 | RD | MEM},
                           {0x8988, "c.sb    a0, 0(a1)", insn_id("c_sb"), RS1 | MEM | STORE},
                           {0x8d88, "c.sh    a0, 0(a1)", insn_id("c_sh"), RS1 | MEM | STORE},
                           {0xb866, "cm.push {ra, s0-s1}, -48", insn_id("cm_push"), RS1 | RD},
                           {0xba66, "cm.pop  {ra, s0-s1}, 48", insn_id("cm_pop"), RS1 | RD},
                           {0xac26, "cm.mvsa01 s0, s1", insn_id("cm_mvsa01"), RS1 | RD},
                           {0xa016, "cm.jt   5", insn_id("cm_jalt"), RD},
                           {0xa0a2, "cm.jalt 40", insn_id("cm_jalt"), RD},
                       });
  expect_decodes(rv32, {
                           {0x9d71, "c.zext.w (args unknown)", insn_id("c_zext_w"), 0},
                           {0xb866, "cm.push {ra, s0-s1}, -32", insn_id("cm_push"), RS1 | RD},
                           {0xbe66, "cm.popret {ra, s0-s1}, 32", insn_id("cm_popret"), RS1 | RD},
                       });
}

TEST(ScalarTable, WidthOtherThan32Or64UsesTheNon32Forms) {
  // The RV64 stack-adjustment printers and c.addiw, c.ld only through
  // zcmlsd, and neither custom group nor the RV64-only c.zext.w.
  expect_decodes(test_isa_t(48, {'I', 'X', EXT_ZCA, EXT_ZCB, EXT_ZCMP, EXT_ZCMLSD, EXT_XKGOSTK,
                                 EXT_XKGOSTM, EXT_XKGOSTS}),
                 {
                     {0xb866, "cm.push {ra, s0-s1}, -48", insn_id("cm_push"), RS1 | RD},
                     {0x2505, "c.addiw a0, a0, 1", insn_id("c_addiw"), RS1 | RD},
                     {0x6188, "c.ld    a0, 0(a1)", insn_id("c_ld"), RS1 | RD | MEM},
                     {0x9d71, "c.zext.w (args unknown)", insn_id("c_zext_w"), 0},
                     {0x0400402b, "kuzn64esx (args unknown)", insn_id("kuzn64esx"), 0},
                     {0x8400402b, "kuzn32esx (args unknown)", insn_id("kuzn32esx"), 0},
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
      {&insn_format::rd_rs1_shamt, 0x0215951b, "x.y     a0, a1, 33", RS1 | RD},
      {&insn_format::no_operands, 0x0000000b, "x.y", 0},
      {&insn_format::fd_fs1_fs2, 0x00c5f50b, "x.y     fa0, fa1, fa2", FRS1 | FRS2 | FRD},
      {&insn_format::fd_rs1, 0x0005850b, "x.y     fa0, a1", RS1 | FRD},
      {&insn_format::rd_fs1, 0x0005850b, "x.y     a0, fa1", RD | FRS1},
      {&insn_format::rd_rs1_rs2_rs3, 0x68c5850b, "x.y     a0, a1, a2, a3", RS1 | RS2 | RS3 | RD},
      {&insn_format::rd_rs1, 0x0005850b, "x.y     a0, a1", RS1 | RD},
      {&insn_format::rd_at_rs1, 0x0005850b, "x.y     a0, (a1)", RS1 | RD | MEM},
      {&insn_format::rs2_at_rs1, 0x00c5800b, "x.y     a2, (a1)", RS1 | RS2 | RD | MEM | STORE},
      {&insn_format::rd_rs1_rs2, 0x00c5850b, "x.y     a0, a1, a2", RS1 | RS2 | RD},
      {&insn_format::at_rs1, 0x0005800b, "x.y     (a1)", RS1},
      // Vector formats: the mask operand is printed only when bit 25 is 0.
      {&insn_format::vd_vs2_simm5_vm, 0x00c7b557, "x.y     v10, v12, 15, v0.t", 0},
      {&insn_format::vd_vs2_simm5_vm, 0x02c8b557, "x.y     v10, v12, -15", 0},
      {&insn_format::vd_vs2_rs1_vm, 0x02c5c557, "x.y     v10, v12, a1", 0},
      {&insn_format::vd_vs2_vm, 0x00c00557, "x.y     v10, v12, v0.t", 0},
      {&insn_format::vd_vs2_zimm5_vm, 0x02c8b557, "x.y     v10, v12, 17", 0},
      {&insn_format::vd_vs2_vs1_vm, 0x02c58557, "x.y     v10, v12, v11", 0},
      {&insn_format::vd_vs2_simm5_v0, 0x40c7b557, "x.y     v10, v12, 15, v0", 0},
      {&insn_format::vd_vs2_rs1_v0, 0x40c5c557, "x.y     v10, v12, a1, v0", 0},
      {&insn_format::vd_vs2_vs1_v0, 0x40c58557, "x.y     v10, v12, v11, v0", 0},
      {&insn_format::vd_vs2_fs1_vm, 0x02c5d557, "x.y     v10, v12, fa1", 0},
      // bit 26 adds 32
      {&insn_format::vd_vs2_zimm6_vm, 0x54c5b557, "x.y     v10, v12, 43, v0.t", 0},
      {&insn_format::rd_rs1_p_imm6, 0x0215950b, "x.y     a0, a1, 33", RS1 | RD},
      {&insn_format::rd_rs1_p_imm5, 0x0135950b, "x.y     a0, a1, 19", RS1 | RD},
      {&insn_format::rd_rs1_p_imm4, 0x00b5950b, "x.y     a0, a1, 11", RS1 | RD},
      {&insn_format::rd_rs1_p_imm3, 0x0055950b, "x.y     a0, a1, 5", RS1 | RD},
      // The byte-select forms read rs2 too.
      {&insn_format::rd_rs1_rs2_bs, 0xc0c5850b, "x.y     a0, a1, a2, 3", RS1 | RS2 | RD},
      {&insn_format::rs1_rs2, 0x00c5800b, "x.y     a1, a2", RS1 | RS2},
      {&insn_format::fd_fli_imm, 0x0008050b, "x.y     fa0, 1.0", FRD},
      {&insn_format::rd_fs1_fs2, 0x00c5850b, "x.y     a0, fa1, fa2", RD | FRS1 | FRS2},
      {&insn_format::fd_rs1_rs2, 0x00c5850b, "x.y     fa0, a1, a2", RS1 | RS2 | FRD},
      {&insn_format::fd_fs1_fs2_fs3, 0x68c5f50b, "x.y     fa0, fa1, fa2, fa3",
       FRS1 | FRS2 | FRS3 | FRD},
      {&insn_format::fd_fs1, 0x0005f50b, "x.y     fa0, fa1", FRS1 | FRD},
      {&insn_format::rs1_branch_target, 0x0005840b, "x.y     a1, pc + 8", RS1},
      {&insn_format::rs1_rs2_branch_target, 0x00c5840b, "x.y     a1, a2, pc + 8", RS1 | RS2},
      {&insn_format::fs2_store_address, 0x00c5a40b, "x.y     fa2, 8(a1)", RS1 | FRS2 | MEM | STORE},
      {&insn_format::fd_load_address, 0x0085a50b, "x.y     fa0, 8(a1)", RS1 | FRD | MEM},
      {&insn_format::rs2_store_address, 0x00c5a40b, "x.y     a2, 8(a1)", RS1 | RS2 | MEM | STORE},
      {&insn_format::rd_load_address, 0x0085a50b, "x.y     a0, 8(a1)", RS1 | RD | MEM},
      {&insn_format::rd_rs1_imm, 0xfff5850b, "x.y     a0, a1, -1", RS1 | RD},
      {&insn_format::rd_rs1_rs2_rd_pair, 0x00c5850b, "x.y     a0, a1, a2", RS1 | RS2 | RD | RDH},
      {&insn_format::rd_rs1_rs2_reads_rd_pair, 0x00c5850b, "x.y     a0, a1, a2",
       RS1 | RS2 | RD | RSD | RSDH | RDH},
      {&insn_format::rd_rs1_rs2_pairs, 0x00c5850b, "x.y     a0, a1, a2",
       RS1 | RS2 | RD | RS1H | RS2H | RDH},
      {&insn_format::rd_rs1_rs2_reads_rd, 0x00c5850b, "x.y     a0, a1, a2", RS1 | RS2 | RD | RSD},
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
      {insn_format::vd_vs2_zimm6_vm, "vror_vi"},
      {insn_format::rd_rs1_p_imm6, "srai_u"},
      {insn_format::vd_vs2_vs1_vm, "vadd_vv"},
  };
  static_assert(rows[0].match == 0x50003057 && rows[0].mask == 0xf800707f);
  static_assert(rows[0].id == insn_id("vror_vi") && rows[1].id == insn_id("srai_u"));
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
      table_entry_t(insn_format::rd_rs2_at_rs1, "x_y", 0x0000000b, 0xffffffff, 7)
          .with_flags(RS1 | RD | MEM);
  add_entries(d, &lr, 1);
  disasm_insn_t const* insn = d.get_disasm(0x0000000b);
  ASSERT_NE(insn, nullptr);
  EXPECT_EQ(insn->insn_flags, RS1 | RD | MEM);
  EXPECT_EQ(insn->to_string(insn_t(0x0000000b)), "x.y     zero, zero, (zero)");
}

}  // namespace
