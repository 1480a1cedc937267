// The crypto groups: scalar (zknd, zkne, zknh, zksed, zksh) and vector
// (zvbb, zvbc, zvkg, zvkned, zvknha/zvknhb, zvksed, zvksh). The vector ones
// need no vector extension besides their own.
//
// Every row takes the match and mask of its name's catch-all row (the
// published encoding).

#include "disasm/disassembler.h"
#include "disasm/insn_ids.h"
#include "disasm/isa_parser.h"
#include "disasm/tables/groups.h"
#include "disasm/tables/table_rows.h"

namespace {

using namespace insn_format;
using e = table_entry_t;

// zknd and zkne (AES), zknh (SHA-2), zksed and zksh (SM4, SM3).
constexpr e aes_key_schedule[] = {{rd_rs1_p_imm4, "aes64ks1i"}, {rd_rs1_rs2, "aes64ks2"}};
constexpr e aes_decrypt_rv64[] = {
    {rd_rs1_rs2, "aes64ds"}, {rd_rs1_rs2, "aes64dsm"}, {rd_rs1, "aes64im"},
};
constexpr e aes_decrypt_rv32[] = {{rd_rs1_rs2_bs, "aes32dsi"}, {rd_rs1_rs2_bs, "aes32dsmi"}};
constexpr e aes_encrypt_rv64[] = {{rd_rs1_rs2, "aes64es"}, {rd_rs1_rs2, "aes64esm"}};
constexpr e aes_encrypt_rv32[] = {{rd_rs1_rs2_bs, "aes32esi"}, {rd_rs1_rs2_bs, "aes32esmi"}};
constexpr e sha256[] = {
    {rd_rs1, "sha256sig0"}, {rd_rs1, "sha256sig1"}, {rd_rs1, "sha256sum0"}, {rd_rs1, "sha256sum1"},
};
constexpr e sha512_rv64[] = {
    {rd_rs1, "sha512sig0"}, {rd_rs1, "sha512sig1"}, {rd_rs1, "sha512sum0"}, {rd_rs1, "sha512sum1"},
};
constexpr e sha512_rv32[] = {
    {rd_rs1_rs2, "sha512sig0h"}, {rd_rs1_rs2, "sha512sig0l"}, {rd_rs1_rs2, "sha512sig1h"},
    {rd_rs1_rs2, "sha512sig1l"}, {rd_rs1_rs2, "sha512sum0r"}, {rd_rs1_rs2, "sha512sum1r"},
};
constexpr e sm4[] = {{rd_rs1_rs2_bs, "sm4ed"}, {rd_rs1_rs2_bs, "sm4ks"}};
constexpr e sm3[] = {{rd_rs1, "sm3p0"}, {rd_rs1, "sm3p1"}};

// Vector crypto: zvbb, zvbc, zvkg, zvkned, zvknha/zvknhb, zvksed, zvksh.
constexpr e vector_bitmanip[] = {
    {vd_vs2_vs1_vm, "vandn_vv"}, {vd_vs2_rs1_vm, "vandn_vx"}, {vd_vs2_vm, "vbrev_v"},
    {vd_vs2_vm, "vbrev8_v"}, {vd_vs2_vm, "vrev8_v"}, {vd_vs2_vm, "vclz_v"}, {vd_vs2_vm, "vctz_v"},
    {vd_vs2_vm, "vcpop_v"}, {vd_vs2_vs1_vm, "vrol_vv"}, {vd_vs2_rs1_vm, "vrol_vx"},
    {vd_vs2_vs1_vm, "vror_vv"}, {vd_vs2_rs1_vm, "vror_vx"}, {vd_vs2_zimm6_vm, "vror_vi"},
    {vd_vs2_vs1_vm, "vwsll_vv"}, {vd_vs2_rs1_vm, "vwsll_vx"}, {vd_vs2_zimm5_vm, "vwsll_vi"},
};
constexpr e vector_carryless_multiply[] = {
    {vd_vs2_vs1_vm, "vclmul_vv"}, {vd_vs2_rs1_vm, "vclmul_vx"}, {vd_vs2_vs1_vm, "vclmulh_vv"},
    {vd_vs2_rs1_vm, "vclmulh_vx"},
};
constexpr e vector_ghash[] = {{vd_vs2_vm, "vgmul_vv"}, {vd_vs2_vs1_vm, "vghsh_vv"}};
constexpr e vector_aes[] = {
    {vd_vs2_vm, "vaesdm_vv"}, {vd_vs2_vm, "vaesdm_vs"}, {vd_vs2_vm, "vaesdf_vv"},
    {vd_vs2_vm, "vaesdf_vs"}, {vd_vs2_vm, "vaesem_vv"}, {vd_vs2_vm, "vaesem_vs"},
    {vd_vs2_vm, "vaesef_vv"}, {vd_vs2_vm, "vaesef_vs"}, {vd_vs2_vm, "vaesz_vs"},
    {vd_vs2_zimm5_vm, "vaeskf1_vi"}, {vd_vs2_zimm5_vm, "vaeskf2_vi"},
};
constexpr e vector_sha2[] = {
    {vd_vs2_vs1_vm, "vsha2ms_vv"}, {vd_vs2_vs1_vm, "vsha2ch_vv"}, {vd_vs2_vs1_vm, "vsha2cl_vv"},
};
constexpr e vector_sm4[] = {
    {vd_vs2_zimm5_vm, "vsm4k_vi"}, {vd_vs2_vm, "vsm4r_vv"}, {vd_vs2_vm, "vsm4r_vs"},
};
constexpr e vector_sm3[] = {{vd_vs2_zimm5_vm, "vsm3c_vi"}, {vd_vs2_vs1_vm, "vsm3me_vv"}};

}  // namespace

void add_crypto_groups(disassembler_t& d, isa_parser_i const* isa) {
  auto has = [isa](isa_extension_t ext) { return isa->extension_enabled(ext); };
  // Exact comparisons: a width other than 32 and 64 is neither.
  bool const rv32 = isa->get_max_xlen() == 32;
  bool const rv64 = isa->get_max_xlen() == 64;

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
}
