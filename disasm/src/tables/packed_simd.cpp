// The packed-SIMD groups: zbpbo, zpsfoperand (64-bit operands in register
// pairs on RV32), zpn, and the packed multiplies that are not gated by any
// extension.
//
// A row given only with a format takes the match and mask of its name's
// catch-all row (the draft packed-SIMD encoding); the other rows give their
// own. Several names come twice: a packed multiply of the ungated group that
// zpsfoperand already added on register pairs is found as that earlier entry.

#include <cstdint>

#include "disasm/disassembler.h"
#include "disasm/insn_ids.h"
#include "disasm/isa_parser.h"
#include "disasm/tables/groups.h"
#include "disasm/tables/table_rows.h"

namespace {

using namespace insn_format;
using e = table_entry_t;

// zbpbo; rev (grevi by xlen - 1) is added in code after these rows.
constexpr e zbpbo[] = {
    {rd_rs1_rs2, "min"}, {rd_rs1_rs2, "max"}, {rd_rs1_rs2_rs3, "cmix"}, {rd_rs1_rs2, "pack"},
    {rd_rs1_rs2, "packu"},
};
constexpr e zbpbo_rev8_h[] = {
    {rd_rs1, "rev8_h", 0x68805013, 0xfff0707f, insn_id("grevi")},
};
constexpr e zbpbo_rv32[] = {
    {rd_rs1, "clz"},
    {rd_rs1_rs2_rs3, "fsr"},
    {rd_rs1_rs3_shamt, "fsri", 0x04005013, 0x0400707f},
};
constexpr e zbpbo_rv64[] = {
    {rd_rs1_rs2_rs3, "fsrw"},
};

// zpsfoperand: 64-bit operands in register pairs on RV32. smal, whose flags
// depend on the width, is added in code ahead of these rows.
constexpr e paired_operands[] = {
    {rd_rs1_rs2_pairs, "radd64"}, {rd_rs1_rs2_pairs, "uradd64"}, {rd_rs1_rs2_pairs, "kadd64"},
    {rd_rs1_rs2_pairs, "ukadd64"}, {rd_rs1_rs2_pairs, "rsub64"}, {rd_rs1_rs2_pairs, "ursub64"},
    {rd_rs1_rs2_pairs, "ksub64"}, {rd_rs1_rs2_pairs, "uksub64"},
    {rd_rs1_rs2_reads_rd_pair, "smar64"}, {rd_rs1_rs2_reads_rd_pair, "smsr64"},
    {rd_rs1_rs2_reads_rd_pair, "umar64"}, {rd_rs1_rs2_reads_rd_pair, "umsr64"},
    {rd_rs1_rs2_reads_rd_pair, "kmar64"}, {rd_rs1_rs2_reads_rd_pair, "kmsr64"},
    {rd_rs1_rs2_reads_rd_pair, "ukmar64"}, {rd_rs1_rs2_reads_rd_pair, "ukmsr64"},
    {rd_rs1_rs2_reads_rd_pair, "smalbb"}, {rd_rs1_rs2_reads_rd_pair, "smalbt"},
    {rd_rs1_rs2_reads_rd_pair, "smaltt"}, {rd_rs1_rs2_reads_rd_pair, "smalda"},
    {rd_rs1_rs2_reads_rd_pair, "smalxda"}, {rd_rs1_rs2_reads_rd_pair, "smalds"},
    {rd_rs1_rs2_reads_rd_pair, "smaldrs"}, {rd_rs1_rs2_reads_rd_pair, "smalxds"},
    {rd_rs1_rs2_reads_rd_pair, "smslda"}, {rd_rs1_rs2_reads_rd_pair, "smslxda"},
    {rd_rs1_rs2_rd_pair, "mulr64"}, {rd_rs1_rs2_rd_pair, "mulsr64"},
};
constexpr e paired_operands_rv32[] = {
    {rd_rs1_rs2_pairs, "add64"}, {rd_rs1_rs2_pairs, "sub64"},
};

// zpn: packed SIMD on 8-, 16- and 32-bit lanes.
constexpr e packed_simd[] = {
    {rd_rs1_rs2, "add8"}, {rd_rs1_rs2, "add16"}, {rd_rs1_rs2, "radd8"}, {rd_rs1_rs2, "radd16"},
    {rd_rs1_rs2, "uradd8"}, {rd_rs1_rs2, "uradd16"}, {rd_rs1_rs2, "kadd8"}, {rd_rs1_rs2, "kadd16"},
    {rd_rs1_rs2, "ukadd8"}, {rd_rs1_rs2, "ukadd16"}, {rd_rs1_rs2, "sub8"}, {rd_rs1_rs2, "sub16"},
    {rd_rs1_rs2, "rsub8"}, {rd_rs1_rs2, "rsub16"}, {rd_rs1_rs2, "ursub8"}, {rd_rs1_rs2, "ursub16"},
    {rd_rs1_rs2, "ksub8"}, {rd_rs1_rs2, "ksub16"}, {rd_rs1_rs2, "uksub8"}, {rd_rs1_rs2, "uksub16"},
    {rd_rs1_rs2, "cras16"}, {rd_rs1_rs2, "rcras16"}, {rd_rs1_rs2, "urcras16"},
    {rd_rs1_rs2, "kcras16"}, {rd_rs1_rs2, "ukcras16"}, {rd_rs1_rs2, "crsa16"},
    {rd_rs1_rs2, "rcrsa16"}, {rd_rs1_rs2, "urcrsa16"}, {rd_rs1_rs2, "kcrsa16"},
    {rd_rs1_rs2, "ukcrsa16"}, {rd_rs1_rs2, "stas16"}, {rd_rs1_rs2, "rstas16"},
    {rd_rs1_rs2, "urstas16"}, {rd_rs1_rs2, "kstas16"}, {rd_rs1_rs2, "ukstas16"},
    {rd_rs1_rs2, "stsa16"}, {rd_rs1_rs2, "rstsa16"}, {rd_rs1_rs2, "urstsa16"},
    {rd_rs1_rs2, "kstsa16"}, {rd_rs1_rs2, "ukstsa16"}, {rd_rs1_rs2, "sra8"}, {rd_rs1_rs2, "sra16"},
    {rd_rs1_rs2, "srl8"}, {rd_rs1_rs2, "srl16"}, {rd_rs1_rs2, "sll8"}, {rd_rs1_rs2, "sll16"},
    {rd_rs1_rs2, "ksll8"}, {rd_rs1_rs2, "ksll16"}, {rd_rs1_rs2, "kslra8"}, {rd_rs1_rs2, "kslra16"},
    {rd_rs1_p_imm3, "srai8"}, {rd_rs1_p_imm4, "srai16"}, {rd_rs1_p_imm3, "srli8"},
    {rd_rs1_p_imm4, "srli16"}, {rd_rs1_p_imm3, "slli8"}, {rd_rs1_p_imm4, "slli16"},
    {rd_rs1_p_imm3, "kslli8"}, {rd_rs1_p_imm4, "kslli16"}, {rd_rs1_rs2, "sra8_u"},
    {rd_rs1_rs2, "sra16_u"}, {rd_rs1_rs2, "srl8_u"}, {rd_rs1_rs2, "srl16_u"},
    {rd_rs1_rs2, "kslra8_u"}, {rd_rs1_rs2, "kslra16_u"}, {rd_rs1_p_imm3, "srai8_u"},
    {rd_rs1_p_imm4, "srai16_u"}, {rd_rs1_p_imm3, "srli8_u"}, {rd_rs1_p_imm4, "srli16_u"},
    {rd_rs1_rs2, "cmpeq8"}, {rd_rs1_rs2, "cmpeq16"}, {rd_rs1_rs2, "scmplt8"},
    {rd_rs1_rs2, "scmplt16"}, {rd_rs1_rs2, "scmple8"}, {rd_rs1_rs2, "scmple16"},
    {rd_rs1_rs2, "ucmplt8"}, {rd_rs1_rs2, "ucmplt16"}, {rd_rs1_rs2, "ucmple8"},
    {rd_rs1_rs2, "ucmple16"}, {rd_rs1_rs2, "khm8"}, {rd_rs1_rs2, "khm16"}, {rd_rs1_rs2, "khmx8"},
    {rd_rs1_rs2, "khmx16"}, {rd_rs1_rs2, "smin8"}, {rd_rs1_rs2, "smin16"}, {rd_rs1_rs2, "umin8"},
    {rd_rs1_rs2, "umin16"}, {rd_rs1_rs2, "smax8"}, {rd_rs1_rs2, "smax16"}, {rd_rs1_rs2, "umax8"},
    {rd_rs1_rs2, "umax16"}, {rd_rs1_p_imm3, "sclip8"}, {rd_rs1_p_imm4, "sclip16"},
    {rd_rs1_p_imm3, "uclip8"}, {rd_rs1_p_imm4, "uclip16"}, {rd_rs1, "kabs16"}, {rd_rs1, "clrs16"},
    {rd_rs1, "clz16"}, {rd_rs1, "kabs8"}, {rd_rs1, "clrs8"}, {rd_rs1, "clz8"},
    {rd_rs1, "sunpkd810"}, {rd_rs1, "sunpkd820"}, {rd_rs1, "sunpkd830"}, {rd_rs1, "sunpkd831"},
    {rd_rs1, "sunpkd832"}, {rd_rs1, "zunpkd810"}, {rd_rs1, "zunpkd820"}, {rd_rs1, "zunpkd830"},
    {rd_rs1, "zunpkd831"}, {rd_rs1, "zunpkd832"}, {rd_rs1_rs2, "pkbb16"}, {rd_rs1_rs2, "pkbt16"},
    {rd_rs1_rs2, "pktb16"}, {rd_rs1_rs2, "pktt16"}, {rd_rs1_rs2, "smmul"}, {rd_rs1_rs2, "smmul_u"},
    {rd_rs1_rs2_reads_rd, "kmmac"}, {rd_rs1_rs2_reads_rd, "kmmac_u"},
    {rd_rs1_rs2_reads_rd, "kmmsb"}, {rd_rs1_rs2_reads_rd, "kmmsb_u"}, {rd_rs1_rs2, "kwmmul"},
    {rd_rs1_rs2, "kwmmul_u"}, {rd_rs1_rs2, "smmwb"}, {rd_rs1_rs2, "smmwb_u"}, {rd_rs1_rs2, "smmwt"},
    {rd_rs1_rs2, "smmwt_u"}, {rd_rs1_rs2_reads_rd, "kmmawb"}, {rd_rs1_rs2_reads_rd, "kmmawb_u"},
    {rd_rs1_rs2_reads_rd, "kmmawt"}, {rd_rs1_rs2_reads_rd, "kmmawt_u"}, {rd_rs1_rs2, "kmmwb2"},
    {rd_rs1_rs2, "kmmwb2_u"}, {rd_rs1_rs2, "kmmwt2"}, {rd_rs1_rs2, "kmmwt2_u"},
    {rd_rs1_rs2_reads_rd, "kmmawb2"}, {rd_rs1_rs2_reads_rd, "kmmawb2_u"},
    {rd_rs1_rs2_reads_rd, "kmmawt2"}, {rd_rs1_rs2_reads_rd, "kmmawt2_u"}, {rd_rs1_rs2, "smbb16"},
    {rd_rs1_rs2, "smbt16"}, {rd_rs1_rs2, "smtt16"}, {rd_rs1_rs2, "kmda"}, {rd_rs1_rs2, "kmxda"},
    {rd_rs1_rs2, "smds"}, {rd_rs1_rs2, "smdrs"}, {rd_rs1_rs2, "smxds"},
    {rd_rs1_rs2_reads_rd, "kmabb"}, {rd_rs1_rs2_reads_rd, "kmabt"}, {rd_rs1_rs2_reads_rd, "kmatt"},
    {rd_rs1_rs2_reads_rd, "kmada"}, {rd_rs1_rs2_reads_rd, "kmaxda"}, {rd_rs1_rs2_reads_rd, "kmads"},
    {rd_rs1_rs2_reads_rd, "kmadrs"}, {rd_rs1_rs2_reads_rd, "kmaxds"},
    {rd_rs1_rs2_reads_rd, "kmsda"}, {rd_rs1_rs2_reads_rd, "kmsxda"}, {rd_rs1_p_imm5, "sclip32"},
    {rd_rs1_p_imm5, "uclip32"}, {rd_rs1, "clrs32"}, {rd_rs1, "clz32"}, {rd_rs1_rs2, "pbsad"},
    {rd_rs1_rs2_reads_rd, "pbsada"}, {rd_rs1_rs2_reads_rd, "smaqa"}, {rd_rs1_rs2_reads_rd, "umaqa"},
    {rd_rs1_rs2_reads_rd, "smaqa_su"}, {rd_rs1_rs2, "kaddh"}, {rd_rs1_rs2, "ksubh"},
    {rd_rs1_rs2, "khmbb"}, {rd_rs1_rs2, "khmbt"}, {rd_rs1_rs2, "khmtt"}, {rd_rs1_rs2, "ukaddh"},
    {rd_rs1_rs2, "uksubh"}, {rd_rs1_rs2, "kaddw"}, {rd_rs1_rs2, "ukaddw"}, {rd_rs1_rs2, "ksubw"},
    {rd_rs1_rs2, "uksubw"}, {rd_rs1_rs2, "kdmbb"}, {rd_rs1_rs2, "kdmbt"}, {rd_rs1_rs2, "kdmtt"},
    {rd_rs1_rs2, "kslraw"}, {rd_rs1_rs2, "kslraw_u"}, {rd_rs1_rs2, "ksllw"},
    {rd_rs1_p_imm5, "kslliw"}, {rd_rs1_rs2_reads_rd, "kdmabb"}, {rd_rs1_rs2_reads_rd, "kdmabt"},
    {rd_rs1_rs2_reads_rd, "kdmatt"}, {rd_rs1, "kabsw"}, {rd_rs1_rs2, "raddw"},
    {rd_rs1_rs2, "uraddw"}, {rd_rs1_rs2, "rsubw"}, {rd_rs1_rs2, "ursubw"},
    {rd_rs1_rs2_reads_rd, "msubr32"}, {rd_rs1_rs2, "ave"}, {rd_rs1_rs2, "sra_u"},
    {rd_rs1_p_imm6, "srai_u"}, {rd_rs1_p_imm3, "insb"}, {rd_rs1_rs2_reads_rd, "maddr32"},
};
constexpr e packed_simd_rv64[] = {
    {rd_rs1_rs2, "add32"}, {rd_rs1_rs2, "radd32"}, {rd_rs1_rs2, "uradd32"}, {rd_rs1_rs2, "kadd32"},
    {rd_rs1_rs2, "ukadd32"}, {rd_rs1_rs2, "sub32"}, {rd_rs1_rs2, "rsub32"}, {rd_rs1_rs2, "ursub32"},
    {rd_rs1_rs2, "ksub32"}, {rd_rs1_rs2, "uksub32"}, {rd_rs1_rs2, "cras32"},
    {rd_rs1_rs2, "rcras32"}, {rd_rs1_rs2, "urcras32"}, {rd_rs1_rs2, "kcras32"},
    {rd_rs1_rs2, "ukcras32"}, {rd_rs1_rs2, "crsa32"}, {rd_rs1_rs2, "rcrsa32"},
    {rd_rs1_rs2, "urcrsa32"}, {rd_rs1_rs2, "kcrsa32"}, {rd_rs1_rs2, "ukcrsa32"},
    {rd_rs1_rs2, "stas32"}, {rd_rs1_rs2, "rstas32"}, {rd_rs1_rs2, "urstas32"},
    {rd_rs1_rs2, "kstas32"}, {rd_rs1_rs2, "ukstas32"}, {rd_rs1_rs2, "stsa32"},
    {rd_rs1_rs2, "rstsa32"}, {rd_rs1_rs2, "urstsa32"}, {rd_rs1_rs2, "kstsa32"},
    {rd_rs1_rs2, "ukstsa32"}, {rd_rs1_rs2, "sra32"}, {rd_rs1_p_imm5, "srai32"},
    {rd_rs1_rs2, "sra32_u"}, {rd_rs1_p_imm5, "srai32_u"}, {rd_rs1_rs2, "srl32"},
    {rd_rs1_p_imm5, "srli32"}, {rd_rs1_rs2, "srl32_u"}, {rd_rs1_p_imm5, "srli32_u"},
    {rd_rs1_rs2, "sll32"}, {rd_rs1_p_imm5, "slli32"}, {rd_rs1_rs2, "ksll32"},
    {rd_rs1_p_imm5, "kslli32"}, {rd_rs1_rs2, "kslra32"}, {rd_rs1_rs2, "kslra32_u"},
    {rd_rs1_rs2, "smin32"}, {rd_rs1_rs2, "umin32"}, {rd_rs1_rs2, "smax32"}, {rd_rs1_rs2, "umax32"},
    {rd_rs1, "kabs32"}, {rd_rs1_rs2, "khmbb16"}, {rd_rs1_rs2, "khmbt16"}, {rd_rs1_rs2, "khmtt16"},
    {rd_rs1_rs2, "kdmbb16"}, {rd_rs1_rs2, "kdmbt16"}, {rd_rs1_rs2, "kdmtt16"},
    {rd_rs1_rs2_reads_rd, "kdmabb16"}, {rd_rs1_rs2_reads_rd, "kdmabt16"},
    {rd_rs1_rs2_reads_rd, "kdmatt16"}, {rd_rs1_rs2, "smbt32"}, {rd_rs1_rs2, "smtt32"},
    {rd_rs1_rs2_reads_rd, "kmabb32"}, {rd_rs1_rs2_reads_rd, "kmabt32"},
    {rd_rs1_rs2_reads_rd, "kmatt32"}, {rd_rs1_rs2, "kmda32"}, {rd_rs1_rs2, "kmxda32"},
    {rd_rs1_rs2_reads_rd, "kmaxda32"}, {rd_rs1_rs2_reads_rd, "kmads32"},
    {rd_rs1_rs2_reads_rd, "kmadrs32"}, {rd_rs1_rs2_reads_rd, "kmaxds32"},
    {rd_rs1_rs2_reads_rd, "kmsda32"}, {rd_rs1_rs2_reads_rd, "kmsxda32"}, {rd_rs1_rs2, "smds32"},
    {rd_rs1_rs2, "smdrs32"}, {rd_rs1_rs2, "smxds32"}, {rd_rs1_p_imm5, "sraiw_u"},
    {rd_rs1_rs2, "pkbt32"}, {rd_rs1_rs2, "pktb32"},
};

// The ungated packed multiplies: register pairs on RV32, plain registers on
// RV64, where the 64-bit forms follow.
constexpr e packed_multiply_rv32[] = {
    {rd_rs1_rs2_rd_pair, "smul8"}, {rd_rs1_rs2_rd_pair, "smulx8"}, {rd_rs1_rs2_rd_pair, "umul8"},
    {rd_rs1_rs2_rd_pair, "umulx8"}, {rd_rs1_rs2_rd_pair, "smul16"}, {rd_rs1_rs2_rd_pair, "smulx16"},
    {rd_rs1_rs2_rd_pair, "umul16"}, {rd_rs1_rs2_rd_pair, "umulx16"},
};
constexpr e packed_multiply_rv64[] = {
    {rd_rs1_rs2, "smul8"}, {rd_rs1_rs2, "smulx8"}, {rd_rs1_rs2, "umul8"}, {rd_rs1_rs2, "umulx8"},
    {rd_rs1_rs2, "smul16"}, {rd_rs1_rs2, "smulx16"}, {rd_rs1_rs2, "umul16"},
    {rd_rs1_rs2, "umulx16"}, {rd_rs1_rs2, "add64"}, {rd_rs1_rs2, "radd64"}, {rd_rs1_rs2, "uradd64"},
    {rd_rs1_rs2, "kadd64"}, {rd_rs1_rs2, "ukadd64"}, {rd_rs1_rs2, "sub64"}, {rd_rs1_rs2, "rsub64"},
    {rd_rs1_rs2, "ursub64"}, {rd_rs1_rs2, "ksub64"}, {rd_rs1_rs2, "uksub64"},
    {rd_rs1_rs2_reads_rd, "smar64"}, {rd_rs1_rs2_reads_rd, "smsr64"},
    {rd_rs1_rs2_reads_rd, "umar64"}, {rd_rs1_rs2_reads_rd, "umsr64"},
    {rd_rs1_rs2_reads_rd, "kmar64"}, {rd_rs1_rs2_reads_rd, "kmsr64"},
    {rd_rs1_rs2_reads_rd, "ukmar64"}, {rd_rs1_rs2_reads_rd, "ukmsr64"},
    {rd_rs1_rs2_reads_rd, "smalbb"}, {rd_rs1_rs2_reads_rd, "smalbt"},
    {rd_rs1_rs2_reads_rd, "smaltt"}, {rd_rs1_rs2_reads_rd, "smalda"},
    {rd_rs1_rs2_reads_rd, "smalxda"}, {rd_rs1_rs2_reads_rd, "smalds"},
    {rd_rs1_rs2_reads_rd, "smaldrs"}, {rd_rs1_rs2_reads_rd, "smalxds"},
    {rd_rs1_rs2_reads_rd, "smslda"}, {rd_rs1_rs2_reads_rd, "smslxda"}, {rd_rs1_rs2, "mulr64"},
    {rd_rs1_rs2, "mulsr64"},
};

}  // namespace

void add_packed_simd_groups(disassembler_t& d, isa_parser_i const* isa) {
  auto has = [isa](isa_extension_t ext) { return isa->extension_enabled(ext); };
  // Exact comparisons: a width other than 32 and 64 is neither.
  uint32_t const xlen = isa->get_max_xlen();
  bool const rv32 = xlen == 32;
  bool const rv64 = xlen == 64;

  if (has(EXT_ZBPBO)) {
    add_entries(d, zbpbo);
    e const rev(rd_rs1, "rev", grevi_match(xlen - 1), 0xfff0707f, insn_id("grevi"));
    add_entries(d, &rev, 1);
    add_entries(d, zbpbo_rev8_h);
    if (rv32) add_entries(d, zbpbo_rv32);
    if (rv64) add_entries(d, zbpbo_rv64);
  }
  if (has(EXT_ZPSFOPERAND)) {
    // On RV32 smal's accumulator and result are register pairs.
    e const smal = e(rd_rs1_rs2, "smal")
                       .with_flags(rv32 ? RS1 | RS2 | RD | RS1H | RDH : RS1 | RS2 | RD);
    add_entries(d, &smal, 1);
    add_entries(d, paired_operands);
    if (rv32) add_entries(d, paired_operands_rv32);
  }
  if (has(EXT_ZPN)) {
    add_entries(d, packed_simd);
    if (rv64) add_entries(d, packed_simd_rv64);
  }
}

void add_packed_multiplies(disassembler_t& d, isa_parser_i const* isa) {
  // Exact comparisons: a width other than 32 and 64 is neither.
  bool const rv32 = isa->get_max_xlen() == 32;
  bool const rv64 = isa->get_max_xlen() == 64;
  if (rv32)
    add_entries(d, packed_multiply_rv32);
  else if (rv64)
    add_entries(d, packed_multiply_rv64);
}
