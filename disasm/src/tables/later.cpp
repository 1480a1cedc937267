// The instruction table after the vector groups: packed SIMD, cache-block
// management, conditional zero, may-be-operations, scalar and vector crypto,
// load-acquire/store-release, the shadow stack and the ungated packed
// multiplies.
//
// A row given only with a format takes the match and mask of its name's
// catch-all row (the published encoding, or the draft packed-SIMD encoding);
// the other rows give their own. Several names come twice: a packed multiply
// of the ungated last group that zpsfoperand already added on register pairs
// is found as that earlier entry.

#include <cstdint>
#include <cstdio>

#include "disassembler.h"
#include "insn_ids.h"
#include "isa_parser.h"
#include "tables/groups.h"
#include "tables/table_rows.h"

namespace {

using e = table_entry_t;

using namespace short_format;

namespace form {
constexpr insn_format_t funnel_shift_imm{
    0xd, 0, 4, {&int_rd_arg, &int_rs1_arg, &int_rs3_arg, &shamt_arg}};
constexpr insn_format_t rs2_only{0x2, 0, 1, {&int_rs2_arg}};
constexpr insn_format_t rs1_only{0x1, 0, 1, {&int_rs1_arg}};
constexpr insn_format_t rd_only{0x8, 0, 1, {&int_rd_arg}};
constexpr insn_format_t ra_fixed{0x0, 0, 1, {&ra_fixed_arg}};
constexpr insn_format_t t0_fixed{0x0, 0, 1, {&t0_fixed_arg}};
}  // namespace form

// zmmul: the multiplications of M without the divisions.
constexpr e multiply_only[] = {
    {R, "mul"}, {R, "mulh"}, {R, "mulhu"}, {R, "mulhsu"}, {R, "mulw"},
};

// zbpbo; rev (grevi by xlen - 1) is added in code after these rows.
constexpr e zbpbo[] = {
    {R, "min"}, {R, "max"}, {R4, "cmix"}, {R, "pack"}, {R, "packu"},
};
constexpr e zbpbo_rev8_h[] = {
    {I2, "rev8_h", 0x68805013, 0xfff0707f, insn_id("grevi")},
};
constexpr e zbpbo_rv32[] = {
    {I2, "clz"},
    {R4, "fsr"},
    {form::funnel_shift_imm, "fsri", 0x04005013, 0x0400707f},
};
constexpr e zbpbo_rv64[] = {
    {R4, "fsrw"},
};

// zpsfoperand: 64-bit operands in register pairs on RV32. smal, whose flags
// depend on the width, is added in code ahead of these rows.
constexpr e paired_operands[] = {
    {RS64, "radd64"}, {RS64, "uradd64"}, {RS64, "kadd64"}, {RS64, "ukadd64"}, {RS64, "rsub64"},
    {RS64, "ursub64"}, {RS64, "ksub64"}, {RS64, "uksub64"}, {RA64, "smar64"}, {RA64, "smsr64"},
    {RA64, "umar64"}, {RA64, "umsr64"}, {RA64, "kmar64"}, {RA64, "kmsr64"}, {RA64, "ukmar64"},
    {RA64, "ukmsr64"}, {RA64, "smalbb"}, {RA64, "smalbt"}, {RA64, "smaltt"}, {RA64, "smalda"},
    {RA64, "smalxda"}, {RA64, "smalds"}, {RA64, "smaldrs"}, {RA64, "smalxds"}, {RA64, "smslda"},
    {RA64, "smslxda"}, {RD64, "mulr64"}, {RD64, "mulsr64"},
};
constexpr e paired_operands_rv32[] = {
    {RS64, "add64"}, {RS64, "sub64"},
};

// zpn: packed SIMD on 8-, 16- and 32-bit lanes.
constexpr e packed_simd[] = {
    {R, "add8"}, {R, "add16"}, {R, "radd8"}, {R, "radd16"}, {R, "uradd8"}, {R, "uradd16"},
    {R, "kadd8"}, {R, "kadd16"}, {R, "ukadd8"}, {R, "ukadd16"}, {R, "sub8"}, {R, "sub16"},
    {R, "rsub8"}, {R, "rsub16"}, {R, "ursub8"}, {R, "ursub16"}, {R, "ksub8"}, {R, "ksub16"},
    {R, "uksub8"}, {R, "uksub16"}, {R, "cras16"}, {R, "rcras16"}, {R, "urcras16"}, {R, "kcras16"},
    {R, "ukcras16"}, {R, "crsa16"}, {R, "rcrsa16"}, {R, "urcrsa16"}, {R, "kcrsa16"},
    {R, "ukcrsa16"}, {R, "stas16"}, {R, "rstas16"}, {R, "urstas16"}, {R, "kstas16"},
    {R, "ukstas16"}, {R, "stsa16"}, {R, "rstsa16"}, {R, "urstsa16"}, {R, "kstsa16"},
    {R, "ukstsa16"}, {R, "sra8"}, {R, "sra16"}, {R, "srl8"}, {R, "srl16"}, {R, "sll8"},
    {R, "sll16"}, {R, "ksll8"}, {R, "ksll16"}, {R, "kslra8"}, {R, "kslra16"}, {PI3, "srai8"},
    {PI4, "srai16"}, {PI3, "srli8"}, {PI4, "srli16"}, {PI3, "slli8"}, {PI4, "slli16"},
    {PI3, "kslli8"}, {PI4, "kslli16"}, {R, "sra8_u"}, {R, "sra16_u"}, {R, "srl8_u"},
    {R, "srl16_u"}, {R, "kslra8_u"}, {R, "kslra16_u"}, {PI3, "srai8_u"}, {PI4, "srai16_u"},
    {PI3, "srli8_u"}, {PI4, "srli16_u"}, {R, "cmpeq8"}, {R, "cmpeq16"}, {R, "scmplt8"},
    {R, "scmplt16"}, {R, "scmple8"}, {R, "scmple16"}, {R, "ucmplt8"}, {R, "ucmplt16"},
    {R, "ucmple8"}, {R, "ucmple16"}, {R, "khm8"}, {R, "khm16"}, {R, "khmx8"}, {R, "khmx16"},
    {R, "smin8"}, {R, "smin16"}, {R, "umin8"}, {R, "umin16"}, {R, "smax8"}, {R, "smax16"},
    {R, "umax8"}, {R, "umax16"}, {PI3, "sclip8"}, {PI4, "sclip16"}, {PI3, "uclip8"},
    {PI4, "uclip16"}, {I2, "kabs16"}, {I2, "clrs16"}, {I2, "clz16"}, {I2, "kabs8"}, {I2, "clrs8"},
    {I2, "clz8"}, {I2, "sunpkd810"}, {I2, "sunpkd820"}, {I2, "sunpkd830"}, {I2, "sunpkd831"},
    {I2, "sunpkd832"}, {I2, "zunpkd810"}, {I2, "zunpkd820"}, {I2, "zunpkd830"}, {I2, "zunpkd831"},
    {I2, "zunpkd832"}, {R, "pkbb16"}, {R, "pkbt16"}, {R, "pktb16"}, {R, "pktt16"}, {R, "smmul"},
    {R, "smmul_u"}, {RACC, "kmmac"}, {RACC, "kmmac_u"}, {RACC, "kmmsb"}, {RACC, "kmmsb_u"},
    {R, "kwmmul"}, {R, "kwmmul_u"}, {R, "smmwb"}, {R, "smmwb_u"}, {R, "smmwt"}, {R, "smmwt_u"},
    {RACC, "kmmawb"}, {RACC, "kmmawb_u"}, {RACC, "kmmawt"}, {RACC, "kmmawt_u"}, {R, "kmmwb2"},
    {R, "kmmwb2_u"}, {R, "kmmwt2"}, {R, "kmmwt2_u"}, {RACC, "kmmawb2"}, {RACC, "kmmawb2_u"},
    {RACC, "kmmawt2"}, {RACC, "kmmawt2_u"}, {R, "smbb16"}, {R, "smbt16"}, {R, "smtt16"},
    {R, "kmda"}, {R, "kmxda"}, {R, "smds"}, {R, "smdrs"}, {R, "smxds"}, {RACC, "kmabb"},
    {RACC, "kmabt"}, {RACC, "kmatt"}, {RACC, "kmada"}, {RACC, "kmaxda"}, {RACC, "kmads"},
    {RACC, "kmadrs"}, {RACC, "kmaxds"}, {RACC, "kmsda"}, {RACC, "kmsxda"}, {PI5, "sclip32"},
    {PI5, "uclip32"}, {I2, "clrs32"}, {I2, "clz32"}, {R, "pbsad"}, {RACC, "pbsada"},
    {RACC, "smaqa"}, {RACC, "umaqa"}, {RACC, "smaqa_su"}, {R, "kaddh"}, {R, "ksubh"}, {R, "khmbb"},
    {R, "khmbt"}, {R, "khmtt"}, {R, "ukaddh"}, {R, "uksubh"}, {R, "kaddw"}, {R, "ukaddw"},
    {R, "ksubw"}, {R, "uksubw"}, {R, "kdmbb"}, {R, "kdmbt"}, {R, "kdmtt"}, {R, "kslraw"},
    {R, "kslraw_u"}, {R, "ksllw"}, {PI5, "kslliw"}, {RACC, "kdmabb"}, {RACC, "kdmabt"},
    {RACC, "kdmatt"}, {I2, "kabsw"}, {R, "raddw"}, {R, "uraddw"}, {R, "rsubw"}, {R, "ursubw"},
    {RACC, "msubr32"}, {R, "ave"}, {R, "sra_u"}, {PI6, "srai_u"}, {PI3, "insb"}, {RACC, "maddr32"},
};
constexpr e packed_simd_rv64[] = {
    {R, "add32"}, {R, "radd32"}, {R, "uradd32"}, {R, "kadd32"}, {R, "ukadd32"}, {R, "sub32"},
    {R, "rsub32"}, {R, "ursub32"}, {R, "ksub32"}, {R, "uksub32"}, {R, "cras32"}, {R, "rcras32"},
    {R, "urcras32"}, {R, "kcras32"}, {R, "ukcras32"}, {R, "crsa32"}, {R, "rcrsa32"},
    {R, "urcrsa32"}, {R, "kcrsa32"}, {R, "ukcrsa32"}, {R, "stas32"}, {R, "rstas32"},
    {R, "urstas32"}, {R, "kstas32"}, {R, "ukstas32"}, {R, "stsa32"}, {R, "rstsa32"},
    {R, "urstsa32"}, {R, "kstsa32"}, {R, "ukstsa32"}, {R, "sra32"}, {PI5, "srai32"},
    {R, "sra32_u"}, {PI5, "srai32_u"}, {R, "srl32"}, {PI5, "srli32"}, {R, "srl32_u"},
    {PI5, "srli32_u"}, {R, "sll32"}, {PI5, "slli32"}, {R, "ksll32"}, {PI5, "kslli32"},
    {R, "kslra32"}, {R, "kslra32_u"}, {R, "smin32"}, {R, "umin32"}, {R, "smax32"}, {R, "umax32"},
    {I2, "kabs32"}, {R, "khmbb16"}, {R, "khmbt16"}, {R, "khmtt16"}, {R, "kdmbb16"}, {R, "kdmbt16"},
    {R, "kdmtt16"}, {RACC, "kdmabb16"}, {RACC, "kdmabt16"}, {RACC, "kdmatt16"}, {R, "smbt32"},
    {R, "smtt32"}, {RACC, "kmabb32"}, {RACC, "kmabt32"}, {RACC, "kmatt32"}, {R, "kmda32"},
    {R, "kmxda32"}, {RACC, "kmaxda32"}, {RACC, "kmads32"}, {RACC, "kmadrs32"}, {RACC, "kmaxds32"},
    {RACC, "kmsda32"}, {RACC, "kmsxda32"}, {R, "smds32"}, {R, "smdrs32"}, {R, "smxds32"},
    {PI5, "sraiw_u"}, {R, "pkbt32"}, {R, "pktb32"},
};

// zicbom and zicboz.
constexpr e cache_block_management[] = {
    {layout::address_only, "cbo_clean", 0x0010200f, 0xfff07fff},
    {layout::address_only, "cbo_flush", 0x0020200f, 0xfff07fff},
    {layout::address_only, "cbo_inval", 0x0000200f, 0xfff07fff},
};
constexpr e cache_block_zero[] = {
    {layout::address_only, "cbo_zero", 0x0040200f, 0xfff07fff},
};

// zicond.
constexpr e conditional_zero[] = {{R, "czero_eqz"}, {R, "czero_nez"}};

// zcmop; c.mop.1 and c.mop.5 give way to c.sspush and c.sspopchk under zicfiss.
struct compressed_mop_t {
  e entry;
  bool shadow_stack_encoding;
};
constexpr compressed_mop_t compressed_mops[] = {
    {{layout::no_args, "c_mop_1", 0x6081, 0xffff}, true},
    {{layout::no_args, "c_mop_3", 0x6181, 0xffff}, false},
    {{layout::no_args, "c_mop_5", 0x6281, 0xffff}, true},
    {{layout::no_args, "c_mop_7", 0x6381, 0xffff}, false},
    {{layout::no_args, "c_mop_9", 0x6481, 0xffff}, false},
    {{layout::no_args, "c_mop_11", 0x6581, 0xffff}, false},
    {{layout::no_args, "c_mop_13", 0x6681, 0xffff}, false},
    {{layout::no_args, "c_mop_15", 0x6781, 0xffff}, false},
};

// zknd and zkne (AES), zknh (SHA-2), zksed and zksh (SM4, SM3).
constexpr e aes_key_schedule[] = {{PI4, "aes64ks1i"}, {R, "aes64ks2"}};
constexpr e aes_decrypt_rv64[] = {{R, "aes64ds"}, {R, "aes64dsm"}, {I2, "aes64im"}};
constexpr e aes_decrypt_rv32[] = {{BS, "aes32dsi"}, {BS, "aes32dsmi"}};
constexpr e aes_encrypt_rv64[] = {{R, "aes64es"}, {R, "aes64esm"}};
constexpr e aes_encrypt_rv32[] = {{BS, "aes32esi"}, {BS, "aes32esmi"}};
constexpr e sha256[] = {
    {I2, "sha256sig0"}, {I2, "sha256sig1"}, {I2, "sha256sum0"}, {I2, "sha256sum1"},
};
constexpr e sha512_rv64[] = {
    {I2, "sha512sig0"}, {I2, "sha512sig1"}, {I2, "sha512sum0"}, {I2, "sha512sum1"},
};
constexpr e sha512_rv32[] = {
    {R, "sha512sig0h"}, {R, "sha512sig0l"}, {R, "sha512sig1h"},
    {R, "sha512sig1l"}, {R, "sha512sum0r"}, {R, "sha512sum1r"},
};
constexpr e sm4[] = {{BS, "sm4ed"}, {BS, "sm4ks"}};
constexpr e sm3[] = {{I2, "sm3p0"}, {I2, "sm3p1"}};

// Vector crypto: zvbb, zvbc, zvkg, zvkned, zvknha/zvknhb, zvksed, zvksh.
constexpr e vector_bitmanip[] = {
    {VV, "vandn_vv"}, {VX, "vandn_vx"}, {V, "vbrev_v"}, {V, "vbrev8_v"}, {V, "vrev8_v"},
    {V, "vclz_v"}, {V, "vctz_v"}, {V, "vcpop_v"}, {VV, "vrol_vv"}, {VX, "vrol_vx"},
    {VV, "vror_vv"}, {VX, "vror_vx"}, {VU6, "vror_vi"}, {VV, "vwsll_vv"}, {VX, "vwsll_vx"},
    {VU, "vwsll_vi"},
};
constexpr e vector_carryless_multiply[] = {
    {VV, "vclmul_vv"}, {VX, "vclmul_vx"}, {VV, "vclmulh_vv"}, {VX, "vclmulh_vx"},
};
constexpr e vector_ghash[] = {{V, "vgmul_vv"}, {VV, "vghsh_vv"}};
constexpr e vector_aes[] = {
    {V, "vaesdm_vv"}, {V, "vaesdm_vs"}, {V, "vaesdf_vv"}, {V, "vaesdf_vs"}, {V, "vaesem_vv"},
    {V, "vaesem_vs"}, {V, "vaesef_vv"}, {V, "vaesef_vs"}, {V, "vaesz_vs"}, {VU, "vaeskf1_vi"},
    {VU, "vaeskf2_vi"},
};
constexpr e vector_sha2[] = {{VV, "vsha2ms_vv"}, {VV, "vsha2ch_vv"}, {VV, "vsha2cl_vv"}};
constexpr e vector_sm4[] = {{VU, "vsm4k_vi"}, {V, "vsm4r_vv"}, {V, "vsm4r_vs"}};
constexpr e vector_sm3[] = {{VU, "vsm3c_vi"}, {VV, "vsm3me_vv"}};

// zalasr.
constexpr e acquire_release[] = {
    {LA, "lb_aq"}, {LA, "lh_aq"}, {LA, "lw_aq"}, {LA, "ld_aq"},
    {SR, "sb_rl"}, {SR, "sh_rl"}, {SR, "sw_rl"}, {SR, "sd_rl"},
};

// zicfiss: sspush and sspopchk print one name for their x1 and x5 encodings,
// each with that encoding's identifier.
constexpr e shadow_stack[] = {
    {form::rs2_only, "sspush", 0xce104073, 0xffffffff, insn_id("sspush_x1")},
    {form::rs2_only, "sspush", 0xce504073, 0xffffffff, insn_id("sspush_x5")},
    {form::rs1_only, "sspopchk", 0xcdc0c073, 0xffffffff, insn_id("sspopchk_x1")},
    {form::rs1_only, "sspopchk", 0xcdc2c073, 0xffffffff, insn_id("sspopchk_x5")},
    {form::rd_only, "ssrdp", 0xcdc04073, 0xfffff07f},
    {AMO3, "ssamoswap_w"},
};
constexpr e shadow_stack_rv64[] = {{AMO3, "ssamoswap_d"}};
constexpr e compressed_shadow_stack[] = {
    {form::ra_fixed, "c_sspush", "sspush", 0x6081, 0xffff, insn_id("c_sspush_x1")},
    {form::t0_fixed, "c_sspopchk", "sspopchk", 0x6281, 0xffff, insn_id("c_sspopchk_x5")},
};

// The ungated packed multiplies: register pairs on RV32, plain registers on
// RV64, where the 64-bit forms follow.
constexpr e packed_multiply_rv32[] = {
    {RD64, "smul8"}, {RD64, "smulx8"}, {RD64, "umul8"}, {RD64, "umulx8"},
    {RD64, "smul16"}, {RD64, "smulx16"}, {RD64, "umul16"}, {RD64, "umulx16"},
};
constexpr e packed_multiply_rv64[] = {
    {R, "smul8"}, {R, "smulx8"}, {R, "umul8"}, {R, "umulx8"},
    {R, "smul16"}, {R, "smulx16"}, {R, "umul16"}, {R, "umulx16"},
    {R, "add64"}, {R, "radd64"}, {R, "uradd64"}, {R, "kadd64"}, {R, "ukadd64"}, {R, "sub64"},
    {R, "rsub64"}, {R, "ursub64"}, {R, "ksub64"}, {R, "uksub64"}, {RACC, "smar64"},
    {RACC, "smsr64"}, {RACC, "umar64"}, {RACC, "umsr64"}, {RACC, "kmar64"}, {RACC, "kmsr64"},
    {RACC, "ukmar64"}, {RACC, "ukmsr64"}, {RACC, "smalbb"}, {RACC, "smalbt"}, {RACC, "smaltt"},
    {RACC, "smalda"}, {RACC, "smalxda"}, {RACC, "smalds"}, {RACC, "smaldrs"}, {RACC, "smalxds"},
    {RACC, "smslda"}, {RACC, "smslxda"}, {R, "mulr64"}, {R, "mulsr64"},
};

// mop.r.0 to mop.r.31 and mop.rr.0 to mop.rr.7: the number's bits are spread
// over the instruction word. mop.r.28 and mop.rr.7 are the shadow-stack
// encodings and give way to them under zicfiss.
void add_may_be_operations(disassembler_t& d, bool shadow_stack_present) {
  char name[16];
  for (unsigned n = 0; n < 32; ++n) {
    if (n == 28 && shadow_stack_present) continue;
    std::snprintf(name, sizeof name, "mop_r_%u", n);
    uint64_t const match = 0x81c04073 | uint64_t(n & 1) << 20 | uint64_t(n >> 1 & 1) << 21 |
                           uint64_t(n >> 2 & 1) << 26 | uint64_t(n >> 3 & 1) << 27 |
                           uint64_t(n >> 4 & 1) << 30;
    add_format_insn(d, I2, name, name, match, 0xfff0707f, insn_id(name));
  }
  for (unsigned n = 0; n < 8; ++n) {
    if (n == 7 && shadow_stack_present) continue;
    std::snprintf(name, sizeof name, "mop_rr_%u", n);
    uint64_t const match = 0x82004073 | uint64_t(n & 1) << 26 | uint64_t(n >> 1 & 1) << 27 |
                           uint64_t(n >> 2 & 1) << 30;
    add_format_insn(d, R, name, name, match, 0xfe00707f, insn_id(name));
  }
}

}  // namespace

void add_later_groups(disassembler_t& d, isa_parser_i const* isa) {
  auto has = [isa](isa_extension_t ext) { return isa->extension_enabled(ext); };
  // Exact comparisons: a width other than 32 and 64 is neither.
  uint32_t const xlen = isa->get_max_xlen();
  bool const rv32 = xlen == 32;
  bool const rv64 = xlen == 64;
  bool const shadow_stack_present = has(EXT_ZICFISS);

  if (has(EXT_ZMMUL)) add_entries(d, multiply_only);
  if (has(EXT_ZBPBO)) {
    add_entries(d, zbpbo);
    e const rev(I2, "rev", grevi_match(xlen - 1), 0xfff0707f, insn_id("grevi"));
    add_entries(d, &rev, 1);
    add_entries(d, zbpbo_rev8_h);
    if (rv32) add_entries(d, zbpbo_rv32);
    if (rv64) add_entries(d, zbpbo_rv64);
  }
  if (has(EXT_ZPSFOPERAND)) {
    // On RV32 smal's accumulator and result are register pairs.
    e const smal = e(R, "smal").with_flags(rv32 ? 0x900b : 0xb);
    add_entries(d, &smal, 1);
    add_entries(d, paired_operands);
    if (rv32) add_entries(d, paired_operands_rv32);
  }
  if (has(EXT_ZPN)) {
    add_entries(d, packed_simd);
    if (rv64) add_entries(d, packed_simd_rv64);
  }
  if (has(EXT_ZICBOM)) add_entries(d, cache_block_management);
  if (has(EXT_ZICBOZ)) add_entries(d, cache_block_zero);
  if (has(EXT_ZICOND)) add_entries(d, conditional_zero);
  if (has(EXT_ZIMOP)) add_may_be_operations(d, shadow_stack_present);
  if (has(EXT_ZCMOP)) {
    for (compressed_mop_t const& mop : compressed_mops)
      if (!(mop.shadow_stack_encoding && shadow_stack_present)) add_entries(d, &mop.entry, 1);
  }
  if (has(EXT_ZKND) || has(EXT_ZKNE)) add_entries(d, aes_key_schedule);
  if (has(EXT_ZKND)) {
    if (rv64) add_entries(d, aes_decrypt_rv64);
    if (rv32) add_entries(d, aes_decrypt_rv32);
  }
  if (has(EXT_ZKNE)) {
    if (rv64) add_entries(d, aes_encrypt_rv64);
    if (rv32) add_entries(d, aes_encrypt_rv32);
  }
  if (has(EXT_ZKNH)) {
    add_entries(d, sha256);
    if (rv64) add_entries(d, sha512_rv64);
    if (rv32) add_entries(d, sha512_rv32);
  }
  if (has(EXT_ZKSED)) add_entries(d, sm4);
  if (has(EXT_ZKSH)) add_entries(d, sm3);
  if (has(EXT_ZVBB)) add_entries(d, vector_bitmanip);
  if (has(EXT_ZVBC)) add_entries(d, vector_carryless_multiply);
  if (has(EXT_ZVKG)) add_entries(d, vector_ghash);
  if (has(EXT_ZVKNED)) add_entries(d, vector_aes);
  if (has(EXT_ZVKNHA) || has(EXT_ZVKNHB)) add_entries(d, vector_sha2);
  if (has(EXT_ZVKSED)) add_entries(d, vector_sm4);
  if (has(EXT_ZVKSH)) add_entries(d, vector_sm3);
  if (has(EXT_ZALASR)) add_entries(d, acquire_release);
  if (shadow_stack_present) {
    add_entries(d, shadow_stack);
    if (rv64) add_entries(d, shadow_stack_rv64);
    if (has(EXT_ZCA)) add_entries(d, compressed_shadow_stack);
  }
  if (rv32)
    add_entries(d, packed_multiply_rv32);
  else if (rv64)
    add_entries(d, packed_multiply_rv64);
}
