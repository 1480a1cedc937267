// The groups after the vector ones: packed SIMD and its width-dependent rows,
// cache-block, conditional zero, may-be-operations against the shadow stack,
// scalar and vector crypto, load-acquire/store-release, and the identifiers
// of every real row of the table.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "disassembler.h"
#include "insn_ids.h"
#include "isa_parser.h"
#include "support/table_check.h"

namespace {

// rd = a0, rs1 = a1, rs2 = a2, rs3 = a3 throughout.
constexpr uint64_t radd64 = 0x80c59577, smal = 0x5ec59577, add64 = 0xc0c59577, smul8 = 0xa8c58577,
                   smar64 = 0x84c59577, mulr64 = 0xf0c59577;

TEST(LaterTable, PackedMultipliesTakeRegisterPairsOnRv32AndPlainRegistersOnRv64) {
  // zpsfoperand's entries come first; the ungated group only fills in.
  expect_decodes(test_isa_t(64, {'I'}),
                 {
                     {radd64, "radd64  a0, a1, a2", insn_id("radd64"), 0xb},
                     {add64, "add64   a0, a1, a2", insn_id("add64"), 0xb},
                     {smul8, "smul8   a0, a1, a2", insn_id("smul8"), 0xb},
                     {smar64, "smar64  a0, a1, a2", insn_id("smar64"), 0x40b},
                     {mulr64, "mulr64  a0, a1, a2", insn_id("mulr64"), 0xb},
                     {smal, "smal (args unknown)", insn_id("smal"), 0x0},
                 });
  expect_decodes(
      test_isa_t(64, {'I', EXT_ZPSFOPERAND}),
      {
          {radd64, "radd64  a0, a1, a2", insn_id("radd64"), 0xb00b},
          {add64, "add64   a0, a1, a2", insn_id("add64"), 0xb},  // the RS64 form is RV32's
          {smar64, "smar64  a0, a1, a2", insn_id("smar64"), 0x8c0b},
          {mulr64, "mulr64  a0, a1, a2", insn_id("mulr64"), 0x800b},
          {smal, "smal    a0, a1, a2", insn_id("smal"), 0xb},
      });
  expect_decodes(test_isa_t(32, {'I'}),
                 {
                     {smul8, "smul8   a0, a1, a2", insn_id("smul8"), 0x800b},
                     {radd64, "radd64 (args unknown)", insn_id("radd64"), 0x0},
                     {add64, "add64 (args unknown)", insn_id("add64"), 0x0},
                 });
  expect_decodes(test_isa_t(32, {'I', EXT_ZPSFOPERAND}),
                 {
                     {radd64, "radd64  a0, a1, a2", insn_id("radd64"), 0xb00b},
                     {add64, "add64   a0, a1, a2", insn_id("add64"), 0xb00b},
                     {0xc2c59577, "sub64   a0, a1, a2", insn_id("sub64"), 0xb00b},
                     {smal, "smal    a0, a1, a2", insn_id("smal"), 0x900b},
                 });
  // A width that is neither 32 nor 64 gets none of the width-bound rows.
  expect_decodes(test_isa_t(48, {'I'}), {
                                            {smul8, "smul8 (args unknown)", insn_id("smul8"), 0x0},
                                        });
}

TEST(LaterTable, ZbpboRowsByWidth) {
  expect_decodes(test_isa_t(32, {'I', EXT_ZBPBO}),
                 {
                     {0x0ac5c533, "min     a0, a1, a2", insn_id("min"), 0xb},
                     {0x6ec59533, "cmix    a0, a1, a2, a3", insn_id("cmix"), 0xf},
                     {0x69f5d513, "rev     a0, a1", 428, 0x9},  // grevi by 31
                     {0x6885d513, "rev8.h  a0, a1", 428, 0x9},
                     {0x60059513, "clz     a0, a1", insn_id("clz"), 0x9},
                     {0x6cc5d533, "fsr     a0, a1, a2, a3", insn_id("fsr"), 0xf},
                     {0x6c55d513, "fsri    a0, a1, a3, 5", insn_id("fsri"), 0xd},
                     {0x6cc5d53b, "fsrw (args unknown)", insn_id("fsrw"), 0x0},
                 });
  expect_decodes(test_isa_t(64, {'I', EXT_ZBPBO}),
                 {
                     {0x6bf5d513, "rev     a0, a1", 428, 0x9},  // grevi by 63
                     {0x6cc5d53b, "fsrw    a0, a1, a2, a3", insn_id("fsrw"), 0xf},
                     {0x60059513, "clz (args unknown)", insn_id("clz"), 0x0},
                     {0x6c55d513, "fsri (args unknown)", insn_id("fsri"), 0x0},
                 });
}

TEST(LaterTable, PackedSimdFormsAndTheirRv64Rows) {
  test_isa_t const rv64(64, {'I', EXT_ZPN});
  expect_decodes(rv64, {
                           {0x48c58577, "add8    a0, a1, a2", insn_id("add8"), 0xb},
                           {0x10c5a577, "kadd32  a0, a1, a2", insn_id("kadd32"), 0xb},
                           {0x78558577, "srai8   a0, a1, 5", insn_id("srai8"), 0x9},
                           {0x70b58577, "srai16  a0, a1, 11", insn_id("srai16"), 0x9},
                           {0xe5358577, "sclip32 a0, a1, 19", insn_id("sclip32"), 0x9},
                           {0xd6159577, "srai.u  a0, a1, 33", insn_id("srai_u"), 0x9},
                           {0xac358577, "insb    a0, a1, 3", insn_id("insb"), 0x9},
                           {0x60c59577, "kmmac   a0, a1, a2", insn_id("kmmac"), 0x40b},
                           {0xad058577, "kabs8   a0, a1", insn_id("kabs8"), 0x9},
                       });
  expect_decodes(test_isa_t(32, {'I', EXT_ZPN}),
                 {
                     {0x48c58577, "add8    a0, a1, a2", insn_id("add8"), 0xb},
                     {0x10c5a577, "kadd32 (args unknown)", insn_id("kadd32"), 0x0},
                 });
}

TEST(LaterTable, CacheBlockConditionalZeroAcquireReleaseAndZmmul) {
  expect_decodes(test_isa_t(64, {'I', EXT_ZICBOM, EXT_ZICBOZ, EXT_ZICOND, EXT_ZALASR, EXT_ZMMUL}),
                 {
                     {0x0015a00f, "cbo.clean (a1)", insn_id("cbo_clean"), 0x1},
                     {0x0045a00f, "cbo.zero (a1)", insn_id("cbo_zero"), 0x1},
                     {0x0ec5d533, "czero.eqz a0, a1, a2", insn_id("czero_eqz"), 0xb},
                     {0x3405852f, "lb.aq   a0, (a1)", insn_id("lb_aq"), 0x109},
                     {0x3ac5b02f, "sd.rl   a2, (a1)", insn_id("sd_rl"), 0x30b},
                     {0x02c58533, "mul     a0, a1, a2", insn_id("mul"), 0xb},
                     {0x02c5c533, "div (args unknown)", insn_id("div"), 0x0},
                 });
}

TEST(LaterTable, ShadowStackWinsOverMayBeOperations) {
  expect_decodes(test_isa_t(64, {'I', EXT_ZIMOP, EXT_ZICFISS}),
                 {
                     {0xce104073, "sspush  ra", 845, 0x2},
                     {0xce504073, "sspush  t0", 846, 0x2},
                     {0xcdc0c073, "sspopchk ra", 843, 0x1},
                     {0xcdc2c073, "sspopchk t0", 844, 0x1},
                     {0xcdc04573, "ssrdp   a0", insn_id("ssrdp"), 0x8},
                     {0x48c5a52f, "ssamoswap.w a0, a2, (a1)", insn_id("ssamoswap_w"), 0x30b},
                     {0x81c5c573, "mop.r.0 a0, a1", insn_id("mop_r_0"), 0x9},
                 });
  // Without zicfiss the same words are may-be-operations.
  expect_decodes(test_isa_t(64, {'I', EXT_ZIMOP}),
                 {
                     {0xce104073, "mop.rr.7 zero, zero, ra", insn_id("mop_rr_7"), 0xb},
                     {0xcdc04573, "mop.r.28 a0, zero", insn_id("mop_r_28"), 0x9},
                     {0xcdc0c073, "mop.r.28 zero, ra", insn_id("mop_r_28"), 0x9},
                 });
  expect_decodes(test_isa_t(64, {'I', EXT_ZCMOP, EXT_ZICFISS, EXT_ZCA}),
                 {
                     {0x6081, "c.sspush ra", 144, 0x0},
                     {0x6281, "c.sspopchk t0", 143, 0x0},
                     {0x6181, "c.mop.3", insn_id("c_mop_3"), 0x0},
                 });
  expect_decodes(test_isa_t(64, {'I', EXT_ZCMOP, EXT_ZCA}),
                 {
                     {0x6081, "c.mop.1", insn_id("c_mop_1"), 0x0},
                     {0x6281, "c.mop.5", insn_id("c_mop_5"), 0x0},
                 });
  // ssamoswap.d is RV64 only.
  expect_decodes(test_isa_t(32, {'I', EXT_ZICFISS}),
                 {
                     {0x48c5b52f, "ssamoswap.d (args unknown)", insn_id("ssamoswap_d"), 0x0},
                 });
}

TEST(LaterTable, ScalarCryptoByWidth) {
  std::initializer_list<unsigned> const crypto = {'I',      EXT_ZKND,  EXT_ZKNE,
                                                  EXT_ZKNH, EXT_ZKSED, EXT_ZKSH};
  // The byte-select forms print and compare both source registers.
  expect_decodes(test_isa_t(32, crypto),
                 {
                     {0xe2c58533, "aes32esi a0, a1, a2, 3", insn_id("aes32esi"), 0xb},
                     {0x70c58533, "sm4ed   a0, a1, a2, 1", insn_id("sm4ed"), 0xb},
                     {0x5cc58533, "sha512sig0h a0, a1, a2", insn_id("sha512sig0h"), 0xb},
                     {0x31a59513, "aes64ks1i a0, a1, 10", insn_id("aes64ks1i"), 0x9},
                     {0x3ac58533, "aes64ds (args unknown)", insn_id("aes64ds"), 0x0},
                 });
  expect_decodes(test_isa_t(64, crypto),
                 {
                     {0x3ac58533, "aes64ds a0, a1, a2", insn_id("aes64ds"), 0xb},
                     {0x30059513, "aes64im a0, a1", insn_id("aes64im"), 0x9},
                     {0x7ec58533, "aes64ks2 a0, a1, a2", insn_id("aes64ks2"), 0xb},
                     {0x10059513, "sha256sum0 a0, a1", insn_id("sha256sum0"), 0x9},
                     {0x10859513, "sm3p0   a0, a1", insn_id("sm3p0"), 0x9},
                     {0xe2c58533, "aes32esi (args unknown)", insn_id("aes32esi"), 0x0},
                 });
}

TEST(LaterTable, VectorCryptoNeedsNoVectorGate) {
  expect_decodes(test_isa_t(64, {'I', EXT_ZVBB, EXT_ZVBC, EXT_ZVKNED}),
                 {
                     {0x04c58557, "vandn.vv v10, v12, v11, v0.t", insn_id("vandn_vv"), 0x0},
                     {0x56c5b557, "vror.vi v10, v12, 43", insn_id("vror_vi"), 0x0},
                     {0x30c5a557, "vclmul.vv v10, v12, v11, v0.t", insn_id("vclmul_vv"), 0x0},
                     {0x8ac1a577, "vaeskf1.vi v10, v12, 3", insn_id("vaeskf1_vi"), 0x0},
                     {0x02c58557, "vadd.vv (args unknown)", insn_id("vadd_vv"), 0x0},
                 });
}

// Every real row carries the id of its own name but for the names printed for
// another encoding, and the generated vector families, which share one id.
TEST(TableIds, EveryRealRowCarriesItsNamesIdOrAListedOne) {
  std::map<std::string, std::set<unsigned long>> const printed_for_another_encoding = {
      {"j", {449}},
      {"beqz", {74}},
      {"bnez", {85}},
      {"bltz", {83}},
      {"bgez", {79}},
      {"ret", {450}},
      {"jr", {450}},
      {"nop", {8}},
      {"li", {8}},
      {"mv", {8}},
      {"seqz", {755}},
      {"snez", {756}},
      {"not", {1354}},
      {"sext.w", {9}},
      {"zext.w", {7}},
      {"zext.h", {643, 647}},
      {"rev", {428}},
      {"rev8", {428}},
      {"rev8.h", {428}},
      {"brev8", {428}},
      {"orc.b", {424}},
      {"csrr", {194}},
      {"csrs", {194}},
      {"csrw", {196}},
      {"csrc", {192}},
      {"csrwi", {197}},
      {"csrsi", {195}},
      {"csrci", {193}},
      {"sspush", {845, 846}},
      {"sspopchk", {843, 844}},
      {"c.sspush", {144}},
      {"c.sspopchk", {143}},
      {"c.addi", {89, 90, 91}},
      {"c.lw", {118, 119}},
      {"c.sw", {147, 148}},
      {"c.ld", {112, 113}},
      {"c.sd", {135, 136}},
      {"c.flw", {101, 102}},
      {"c.fsw", {105, 106}},
      {"c.ret", {110}},
      {"c.ebreak", {88}},
      {"c.nop", {89}},
      {"cm.jt", {168}},
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
