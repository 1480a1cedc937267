// The groups after the vector ones: packed SIMD and its width-dependent rows,
// cache-block, conditional zero, may-be-operations against the shadow stack,
// scalar and vector crypto, load-acquire/store-release, and the identifiers
// of every real row of the table.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "disasm/disassembler.h"
#include "disasm/insn_ids.h"
#include "disasm/isa_parser.h"
#include "support/table_check.h"

namespace {

using namespace insn_flag;

// rd = a0, rs1 = a1, rs2 = a2, rs3 = a3 throughout.
constexpr uint64_t radd64 = 0x80c59577, smal = 0x5ec59577, add64 = 0xc0c59577, smul8 = 0xa8c58577,
                   smar64 = 0x84c59577, mulr64 = 0xf0c59577;

TEST(LaterTable, PackedMultipliesTakeRegisterPairsOnRv32AndPlainRegistersOnRv64) {
  // zpsfoperand's entries come first; the ungated group only fills in.
  expect_decodes(test_isa_t(64, {'I'}),
                 {
                     {radd64, "radd64  a0, a1, a2", insn_id("radd64"), RS1 | RS2 | RD},
                     {add64, "add64   a0, a1, a2", insn_id("add64"), RS1 | RS2 | RD},
                     {smul8, "smul8   a0, a1, a2", insn_id("smul8"), RS1 | RS2 | RD},
                     {smar64, "smar64  a0, a1, a2", insn_id("smar64"), RS1 | RS2 | RD | RSD},
                     {mulr64, "mulr64  a0, a1, a2", insn_id("mulr64"), RS1 | RS2 | RD},
                     {smal, "smal (args unknown)", insn_id("smal"), 0},
                 });
  expect_decodes(
      test_isa_t(64, {'I', EXT_ZPSFOPERAND}),
      {
          {radd64, "radd64  a0, a1, a2", insn_id("radd64"), RS1 | RS2 | RD | RS1H | RS2H | RDH},
          // the register-pair form is RV32's
          {add64, "add64   a0, a1, a2", insn_id("add64"), RS1 | RS2 | RD},
          {smar64, "smar64  a0, a1, a2", insn_id("smar64"), RS1 | RS2 | RD | RSD | RSDH | RDH},
          {mulr64, "mulr64  a0, a1, a2", insn_id("mulr64"), RS1 | RS2 | RD | RDH},
          {smal, "smal    a0, a1, a2", insn_id("smal"), RS1 | RS2 | RD},
      });
  expect_decodes(test_isa_t(32, {'I'}),
                 {
                     {smul8, "smul8   a0, a1, a2", insn_id("smul8"), RS1 | RS2 | RD | RDH},
                     {radd64, "radd64 (args unknown)", insn_id("radd64"), 0},
                     {add64, "add64 (args unknown)", insn_id("add64"), 0},
                 });
  expect_decodes(
      test_isa_t(32, {'I', EXT_ZPSFOPERAND}),
      {
          {radd64, "radd64  a0, a1, a2", insn_id("radd64"), RS1 | RS2 | RD | RS1H | RS2H | RDH},
          {add64, "add64   a0, a1, a2", insn_id("add64"), RS1 | RS2 | RD | RS1H | RS2H | RDH},
          {0xc2c59577, "sub64   a0, a1, a2", insn_id("sub64"), RS1 | RS2 | RD | RS1H | RS2H | RDH},
          {smal, "smal    a0, a1, a2", insn_id("smal"), RS1 | RS2 | RD | RS1H | RDH},
      });
  // A width that is neither 32 nor 64 gets none of the width-bound rows.
  expect_decodes(test_isa_t(48, {'I'}), {
                                            {smul8, "smul8 (args unknown)", insn_id("smul8"), 0},
                                        });
}

TEST(LaterTable, ZbpboRowsByWidth) {
  expect_decodes(test_isa_t(32, {'I', EXT_ZBPBO}),
                 {
                     {0x0ac5c533, "min     a0, a1, a2", insn_id("min"), RS1 | RS2 | RD},
                     // grevi by 31
                     {0x6ec59533, "cmix    a0, a1, a2, a3", insn_id("cmix"), RS1 | RS2 | RS3 | RD},
                     {0x69f5d513, "rev     a0, a1", insn_id("grevi"), RS1 | RD},
                     {0x6885d513, "rev8.h  a0, a1", insn_id("grevi"), RS1 | RD},
                     {0x60059513, "clz     a0, a1", insn_id("clz"), RS1 | RD},
                     {0x6cc5d533, "fsr     a0, a1, a2, a3", insn_id("fsr"), RS1 | RS2 | RS3 | RD},
                     {0x6c55d513, "fsri    a0, a1, a3, 5", insn_id("fsri"), RS1 | RS3 | RD},
                     {0x6cc5d53b, "fsrw (args unknown)", insn_id("fsrw"), 0},
                 });
  expect_decodes(test_isa_t(64, {'I', EXT_ZBPBO}),
                 {
                     {0x6bf5d513, "rev     a0, a1", insn_id("grevi"), RS1 | RD},  // grevi by 63
                     {0x6cc5d53b, "fsrw    a0, a1, a2, a3", insn_id("fsrw"), RS1 | RS2 | RS3 | RD},
                     {0x60059513, "clz (args unknown)", insn_id("clz"), 0},
                     {0x6c55d513, "fsri (args unknown)", insn_id("fsri"), 0},
                 });
}

TEST(LaterTable, PackedSimdFormsAndTheirRv64Rows) {
  test_isa_t const rv64(64, {'I', EXT_ZPN});
  expect_decodes(rv64,
                 {
                     {0x48c58577, "add8    a0, a1, a2", insn_id("add8"), RS1 | RS2 | RD},
                     {0x10c5a577, "kadd32  a0, a1, a2", insn_id("kadd32"), RS1 | RS2 | RD},
                     {0x78558577, "srai8   a0, a1, 5", insn_id("srai8"), RS1 | RD},
                     {0x70b58577, "srai16  a0, a1, 11", insn_id("srai16"), RS1 | RD},
                     {0xe5358577, "sclip32 a0, a1, 19", insn_id("sclip32"), RS1 | RD},
                     {0xd6159577, "srai.u  a0, a1, 33", insn_id("srai_u"), RS1 | RD},
                     {0xac358577, "insb    a0, a1, 3", insn_id("insb"), RS1 | RD},
                     {0x60c59577, "kmmac   a0, a1, a2", insn_id("kmmac"), RS1 | RS2 | RD | RSD},
                     {0xad058577, "kabs8   a0, a1", insn_id("kabs8"), RS1 | RD},
                 });
  expect_decodes(test_isa_t(32, {'I', EXT_ZPN}),
                 {
                     {0x48c58577, "add8    a0, a1, a2", insn_id("add8"), RS1 | RS2 | RD},
                     {0x10c5a577, "kadd32 (args unknown)", insn_id("kadd32"), 0},
                 });
}

TEST(LaterTable, CacheBlockConditionalZeroAcquireReleaseAndZmmul) {
  expect_decodes(
      test_isa_t(64, {'I', EXT_ZICBOM, EXT_ZICBOZ, EXT_ZICOND, EXT_ZALASR, EXT_ZMMUL}),
      {
          {0x0015a00f, "cbo.clean (a1)", insn_id("cbo_clean"), RS1},
          {0x0045a00f, "cbo.zero (a1)", insn_id("cbo_zero"), RS1},
          {0x0ec5d533, "czero.eqz a0, a1, a2", insn_id("czero_eqz"), RS1 | RS2 | RD},
          {0x3405852f, "lb.aq   a0, (a1)", insn_id("lb_aq"), RS1 | RD | MEM},
          {0x3ac5b02f, "sd.rl   a2, (a1)", insn_id("sd_rl"), RS1 | RS2 | RD | MEM | STORE},
          {0x02c58533, "mul     a0, a1, a2", insn_id("mul"), RS1 | RS2 | RD},
          {0x02c5c533, "div (args unknown)", insn_id("div"), 0},
      });
}

TEST(LaterTable, ShadowStackWinsOverMayBeOperations) {
  expect_decodes(test_isa_t(64, {'I', EXT_ZIMOP, EXT_ZICFISS}),
                 {
                     {0xce104073, "sspush  ra", insn_id("sspush_x1"), RS2},
                     {0xce504073, "sspush  t0", insn_id("sspush_x5"), RS2},
                     {0xcdc0c073, "sspopchk ra", insn_id("sspopchk_x1"), RS1},
                     {0xcdc2c073, "sspopchk t0", insn_id("sspopchk_x5"), RS1},
                     {0xcdc04573, "ssrdp   a0", insn_id("ssrdp"), RD},
                     {0x48c5a52f, "ssamoswap.w a0, a2, (a1)", insn_id("ssamoswap_w"),
                      RS1 | RS2 | RD | MEM | STORE},
                     {0x81c5c573, "mop.r.0 a0, a1", insn_id("mop_r_0"), RS1 | RD},
                 });
  // Without zicfiss the same words are may-be-operations.
  expect_decodes(test_isa_t(64, {'I', EXT_ZIMOP}),
                 {
                     {0xce104073, "mop.rr.7 zero, zero, ra", insn_id("mop_rr_7"), RS1 | RS2 | RD},
                     {0xcdc04573, "mop.r.28 a0, zero", insn_id("mop_r_28"), RS1 | RD},
                     {0xcdc0c073, "mop.r.28 zero, ra", insn_id("mop_r_28"), RS1 | RD},
                 });
  expect_decodes(test_isa_t(64, {'I', EXT_ZCMOP, EXT_ZICFISS, EXT_ZCA}),
                 {
                     {0x6081, "c.sspush ra", insn_id("c_sspush_x1"), 0},
                     {0x6281, "c.sspopchk t0", insn_id("c_sspopchk_x5"), 0},
                     {0x6181, "c.mop.3", insn_id("c_mop_3"), 0},
                 });
  expect_decodes(test_isa_t(64, {'I', EXT_ZCMOP, EXT_ZCA}),
                 {
                     {0x6081, "c.mop.1", insn_id("c_mop_1"), 0},
                     {0x6281, "c.mop.5", insn_id("c_mop_5"), 0},
                 });
  // ssamoswap.d is RV64 only.
  expect_decodes(test_isa_t(32, {'I', EXT_ZICFISS}),
                 {
                     {0x48c5b52f, "ssamoswap.d (args unknown)", insn_id("ssamoswap_d"), 0},
                 });
}

TEST(LaterTable, ScalarCryptoByWidth) {
  std::initializer_list<unsigned> const crypto = {'I',      EXT_ZKND,  EXT_ZKNE,
                                                  EXT_ZKNH, EXT_ZKSED, EXT_ZKSH};
  // The byte-select forms print and compare both source registers.
  expect_decodes(test_isa_t(32, crypto),
                 {
                     {0xe2c58533, "aes32esi a0, a1, a2, 3", insn_id("aes32esi"), RS1 | RS2 | RD},
                     {0x70c58533, "sm4ed   a0, a1, a2, 1", insn_id("sm4ed"), RS1 | RS2 | RD},
                     {0x5cc58533, "sha512sig0h a0, a1, a2", insn_id("sha512sig0h"), RS1 | RS2 | RD},
                     {0x31a59513, "aes64ks1i a0, a1, 10", insn_id("aes64ks1i"), RS1 | RD},
                     {0x3ac58533, "aes64ds (args unknown)", insn_id("aes64ds"), 0},
                 });
  expect_decodes(test_isa_t(64, crypto),
                 {
                     {0x3ac58533, "aes64ds a0, a1, a2", insn_id("aes64ds"), RS1 | RS2 | RD},
                     {0x30059513, "aes64im a0, a1", insn_id("aes64im"), RS1 | RD},
                     {0x7ec58533, "aes64ks2 a0, a1, a2", insn_id("aes64ks2"), RS1 | RS2 | RD},
                     {0x10059513, "sha256sum0 a0, a1", insn_id("sha256sum0"), RS1 | RD},
                     {0x10859513, "sm3p0   a0, a1", insn_id("sm3p0"), RS1 | RD},
                     {0xe2c58533, "aes32esi (args unknown)", insn_id("aes32esi"), 0},
                 });
}

TEST(LaterTable, VectorCryptoNeedsNoVectorGate) {
  expect_decodes(test_isa_t(64, {'I', EXT_ZVBB, EXT_ZVBC, EXT_ZVKNED}),
                 {
                     {0x04c58557, "vandn.vv v10, v12, v11, v0.t", insn_id("vandn_vv"), 0},
                     {0x56c5b557, "vror.vi v10, v12, 43", insn_id("vror_vi"), 0},
                     {0x30c5a557, "vclmul.vv v10, v12, v11, v0.t", insn_id("vclmul_vv"), 0},
                     {0x8ac1a577, "vaeskf1.vi v10, v12, 3", insn_id("vaeskf1_vi"), 0},
                     {0x02c58557, "vadd.vv (args unknown)", insn_id("vadd_vv"), 0},
                 });
}

// Every real row carries the id of its own name but for the names printed for
// another encoding, and the generated vector families, which share one id.
TEST(TableIds, EveryRealRowCarriesItsNamesIdOrAListedOne) {
  std::map<std::string, std::set<unsigned long>> const printed_for_another_encoding = {
      {"j", {insn_id("jal")}},
      {"beqz", {insn_id("beq")}},
      {"bnez", {insn_id("bne")}},
      {"bltz", {insn_id("blt")}},
      {"bgez", {insn_id("bge")}},
      {"ret", {insn_id("jalr")}},
      {"jr", {insn_id("jalr")}},
      {"nop", {insn_id("addi")}},
      {"li", {insn_id("addi")}},
      {"mv", {insn_id("addi")}},
      {"seqz", {insn_id("sltiu")}},
      {"snez", {insn_id("sltu")}},
      {"not", {insn_id("xori")}},
      {"sext.w", {insn_id("addiw")}},
      {"zext.w", {insn_id("add_uw")}},
      {"zext.h", {insn_id("pack"), insn_id("packw")}},
      {"rev", {insn_id("grevi")}},
      {"rev8", {insn_id("grevi")}},
      {"rev8.h", {insn_id("grevi")}},
      {"brev8", {insn_id("grevi")}},
      {"orc.b", {insn_id("gorci")}},
      {"csrr", {insn_id("csrrs")}},
      {"csrs", {insn_id("csrrs")}},
      {"csrw", {insn_id("csrrw")}},
      {"csrc", {insn_id("csrrc")}},
      {"csrwi", {insn_id("csrrwi")}},
      {"csrsi", {insn_id("csrrsi")}},
      {"csrci", {insn_id("csrrci")}},
      {"sspush", {insn_id("sspush_x1"), insn_id("sspush_x5")}},
      {"sspopchk", {insn_id("sspopchk_x1"), insn_id("sspopchk_x5")}},
      {"c.sspush", {insn_id("c_sspush_x1")}},
      {"c.sspopchk", {insn_id("c_sspopchk_x5")}},
      {"c.addi", {insn_id("c_addi"), insn_id("c_addi16sp"), insn_id("c_addi4spn")}},
      {"c.lw", {insn_id("c_lw"), insn_id("c_lwsp")}},
      {"c.sw", {insn_id("c_sw"), insn_id("c_swsp")}},
      {"c.ld", {insn_id("c_ld"), insn_id("c_ldsp")}},
      {"c.sd", {insn_id("c_sd"), insn_id("c_sdsp")}},
      {"c.flw", {insn_id("c_flw"), insn_id("c_flwsp")}},
      {"c.fsw", {insn_id("c_fsw"), insn_id("c_fswsp")}},
      {"c.ret", {insn_id("c_jr")}},
      {"c.ebreak", {insn_id("c_add")}},
      {"c.nop", {insn_id("c_addi")}},
      {"cm.jt", {insn_id("cm_jalt")}},
  };
  for (int xlen : {32, 64}) {
    disassembler_t const d(xlen);
    std::size_t real = 0;
    for (disasm_insn_t const* e : all_entries(d)) {
      if (is_catch_all(*e)) continue;
      std::string const& name = e->name;
      ++real;
      SCOPED_TRACE(testing::Message() << name << " on RV" << xlen);
      auto listed = printed_for_another_encoding.find(name);
      if (listed != printed_for_another_encoding.end()) {
        EXPECT_EQ(listed->second.count(e->insn_id), 1u) << "id " << e->insn_id;
        continue;
      }
      if (unsigned long family = generated_family_id(name)) {
        EXPECT_EQ(e->insn_id, family);
        continue;
      }
      std::string underscore = name;
      for (char& ch : underscore)
        if (ch == '.') ch = '_';
      EXPECT_NO_THROW(EXPECT_EQ(e->insn_id, insn_id(underscore)));
    }
    EXPECT_GT(real, 1800u);
  }
}

}  // namespace
