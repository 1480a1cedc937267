// The instruction formats: the operand printers and flags shared by the
// table entries written in a format, and for some a fixed mask. Every format
// of the table is defined here, once.
//
// A format is named for the operands it prints, in order: rd, rs1, rs2, rs3
// are integer registers, fd, fs1 ... the floating-point and vd, vs1 ... the
// vector ones, c_ names the compressed fields (p: the primed x8..x15 form),
// vm the optional vector mask, v0/sp/ra/t0 fixed register texts, at_rs1 the
// address "(rs1)". Where two formats print alike, a suffix names what their
// flags add: reads_rd, writes_rd, reads_rs1, the register pairs, or whether
// the entry loads or stores.
#pragma once

#include <array>
#include <cstddef>

#include "disasm/arg.h"
#include "disasm/disasm_insn.h"

// Operand printers and flags shared by the entries of one instruction form.
// In `args` a null element makes the next printer optional (it is left out
// when its text is empty); the table puts only the vector mask behind one.
struct insn_format_t {
  static constexpr std::size_t max_args = 6;

  unsigned long flags;
  unsigned long mask;  // fixed mask of the format; 0 when every entry gives its own
  std::size_t nargs;
  std::array<arg_t const*, max_args> args;
};

namespace insn_format {
using namespace insn_flag;

// ---- Masks given by the entry ------------------------------------------------

inline constexpr insn_format_t no_operands{0, 0, 0, {}};
// ret and c.ret: jalr through ra, printed without operands.
inline constexpr insn_format_t no_operands_reads_rs1_writes_rd{RS1 | RD, 0, 0, {}};
inline constexpr insn_format_t no_operands_reads_rs1{RS1, 0, 0, {}};

// Integer registers.
inline constexpr insn_format_t rd{RD, 0, 1, {&int_rd_arg}};
inline constexpr insn_format_t rs1{RS1, 0, 1, {&int_rs1_arg}};
inline constexpr insn_format_t rs1_writes_rd{RS1 | RD, 0, 1, {&int_rs1_arg}};  // jr, jalr
inline constexpr insn_format_t rs2{RS2, 0, 1, {&int_rs2_arg}};
inline constexpr insn_format_t rd_rs1{RS1 | RD, 0, 2, {&int_rd_arg, &int_rs1_arg}};
// snez: sltu with rs1 = zero; the flags are those of an I-type entry.
inline constexpr insn_format_t rd_rs2{RS1 | RD, 0, 2, {&int_rd_arg, &int_rs2_arg}};
inline constexpr insn_format_t rd_rs1_rs2{
    RS1 | RS2 | RD, 0, 3, {&int_rd_arg, &int_rs1_arg, &int_rs2_arg}};
inline constexpr insn_format_t rd_rs1_rs2_rs3{
    RS1 | RS2 | RS3 | RD, 0, 4, {&int_rd_arg, &int_rs1_arg, &int_rs2_arg, &int_rs3_arg}};
inline constexpr insn_format_t rd_rs1_shamt{
    RS1 | RD, 0, 3, {&int_rd_arg, &int_rs1_arg, &shamt_arg}};
inline constexpr insn_format_t rd_rs1_rs3_shamt{
    RS1 | RS3 | RD, 0, 4, {&int_rd_arg, &int_rs1_arg, &int_rs3_arg, &shamt_arg}};
inline constexpr insn_format_t rd_imm{RD, 0, 2, {&int_rd_arg, &i_imm_arg}};
inline constexpr insn_format_t u_imm{0, 0, 1, {&u_imm_arg}};
inline constexpr insn_format_t rd_u_imm{RD, 0, 2, {&int_rd_arg, &u_imm_arg}};
inline constexpr insn_format_t jal_target{RD, 0, 1, {&jal_target_arg}};
inline constexpr insn_format_t rd_jal_target{RD, 0, 2, {&int_rd_arg, &jal_target_arg}};
inline constexpr insn_format_t ra{0, 0, 1, {&ra_fixed_arg}};
inline constexpr insn_format_t t0{0, 0, 1, {&t0_fixed_arg}};

// Memory through a base register and no offset: the cache-block operations,
// prefetch hints, hypervisor and acquire/release accesses, AMOs.
inline constexpr insn_format_t at_rs1{RS1, 0, 1, {&amo_address_arg}};
inline constexpr insn_format_t rd_at_rs1{RS1 | RD | MEM, 0, 2, {&int_rd_arg, &amo_address_arg}};
inline constexpr insn_format_t rs2_at_rs1{
    RS1 | RS2 | RD | MEM | STORE, 0, 2, {&int_rs2_arg, &amo_address_arg}};
// The flags of an AMO are the entry's; these are those of a read-modify-write.
inline constexpr insn_format_t rd_rs2_at_rs1{
    RS1 | RS2 | RD | MEM | STORE, 0, 3, {&int_rd_arg, &int_rs2_arg, &amo_address_arg}};

// System, fences and CSRs.
inline constexpr insn_format_t fence{0, 0, 1, {&fence_arg}};
inline constexpr insn_format_t rd_csr{RD, 0, 2, {&int_rd_arg, &csr_arg}};
inline constexpr insn_format_t csr_rs1{RS1 | RD, 0, 2, {&csr_arg, &int_rs1_arg}};
inline constexpr insn_format_t csr_zimm5{RD, 0, 2, {&csr_arg, &zimm5_arg}};
inline constexpr insn_format_t rd_csr_rs1{RS1 | RD, 0, 3, {&int_rd_arg, &csr_arg, &int_rs1_arg}};
inline constexpr insn_format_t rd_csr_zimm5{RD, 0, 3, {&int_rd_arg, &csr_arg, &zimm5_arg}};

// Floating point.
inline constexpr insn_format_t fd_fs1_fs2{
    FRS1 | FRS2 | FRD, 0, 3, {&fp_rd_arg, &fp_rs1_arg, &fp_rs2_arg}};
inline constexpr insn_format_t fd_rs1{RS1 | FRD, 0, 2, {&fp_rd_arg, &int_rs1_arg}};
inline constexpr insn_format_t rd_fs1{RD | FRS1, 0, 2, {&int_rd_arg, &fp_rs1_arg}};

// Compressed.
inline constexpr insn_format_t c_rs1{RS1, 0, 1, {&int_c_rs1_arg}};
inline constexpr insn_format_t c_rs1_writes_rd{RS1 | RD, 0, 1, {&int_c_rs1_arg}};
inline constexpr insn_format_t sp_sp_c_addi16sp_imm{
    RS1 | RD, 0, 3, {&sp_fixed_arg, &sp_fixed_arg, &c_addi16sp_imm_arg}};
inline constexpr insn_format_t c_rs2p_sp_c_addi4spn_imm{
    RS1 | RD, 0, 3, {&int_c_rs2p_arg, &sp_fixed_arg, &c_addi4spn_imm_arg}};
inline constexpr insn_format_t rd_c_imm{RD, 0, 2, {&int_rd_arg, &c_imm_arg}};
inline constexpr insn_format_t rd_c_lui_imm{RD, 0, 2, {&int_rd_arg, &c_lui_imm_arg}};
inline constexpr insn_format_t rd_rd_c_imm{RS1 | RD, 0, 3, {&int_rd_arg, &int_rd_arg, &c_imm_arg}};
inline constexpr insn_format_t rd_c_shamt{RS1 | RD, 0, 2, {&int_rd_arg, &c_shamt_arg}};
inline constexpr insn_format_t c_rs1p_c_rs1p_c_shamt{
    RS1 | RD, 0, 3, {&int_c_rs1p_arg, &int_c_rs1p_arg, &c_shamt_arg}};
inline constexpr insn_format_t c_rs1p_c_rs1p_c_imm{
    RS1 | RD, 0, 3, {&int_c_rs1p_arg, &int_c_rs1p_arg, &c_imm_arg}};
inline constexpr insn_format_t rd_c_rs2{RS1 | RS2 | RD, 0, 2, {&int_rd_arg, &int_c_rs2_arg}};
inline constexpr insn_format_t rd_rd_c_rs2{
    RS1 | RS2 | RD, 0, 3, {&int_rd_arg, &int_rd_arg, &int_c_rs2_arg}};
inline constexpr insn_format_t c_rs1p_c_rs1p_c_rs2p{
    RS1 | RS2 | RD, 0, 3, {&int_c_rs1p_arg, &int_c_rs1p_arg, &int_c_rs2p_arg}};
inline constexpr insn_format_t c_rs1p{RS1 | RD, 0, 1, {&int_c_rs1p_arg}};
inline constexpr insn_format_t c_rs1p_c_rs2p{
    RS1 | RS2 | RD, 0, 2, {&int_c_rs1p_arg, &int_c_rs2p_arg}};
inline constexpr insn_format_t c_rs1p_c_branch_target{
    RS1, 0, 2, {&int_c_rs1p_arg, &c_branch_target_arg}};
inline constexpr insn_format_t c_j_target{0, 0, 1, {&c_j_target_arg}};
inline constexpr insn_format_t c_j_target_writes_rd{RD, 0, 1, {&c_j_target_arg}};  // c.jal
// Compressed loads and stores: a load and a store of one width print alike.
inline constexpr insn_format_t rd_c_lwsp_address{
    RS1 | RD | MEM, 0, 2, {&int_rd_arg, &c_lwsp_address_arg}};
inline constexpr insn_format_t c_rs2_c_swsp_address{
    RS1 | RS2 | MEM | STORE, 0, 2, {&int_c_rs2_arg, &c_swsp_address_arg}};
inline constexpr insn_format_t c_rs2p_c_lw_address_load{
    RS1 | RD | MEM, 0, 2, {&int_c_rs2p_arg, &c_lw_address_arg}};
inline constexpr insn_format_t c_rs2p_c_lw_address_store{
    RS1 | RS2 | MEM | STORE, 0, 2, {&int_c_rs2p_arg, &c_lw_address_arg}};
inline constexpr insn_format_t c_rs2p_c_ld_address_load{
    RS1 | RD | MEM, 0, 2, {&int_c_rs2p_arg, &c_ld_address_arg}};
inline constexpr insn_format_t rd_c_ldsp_address{
    RS1 | RD | MEM, 0, 2, {&int_rd_arg, &c_ldsp_address_arg}};
inline constexpr insn_format_t c_rs2p_c_ld_address_store{
    RS1 | RS2 | MEM | STORE, 0, 2, {&int_c_rs2p_arg, &c_ld_address_arg}};
inline constexpr insn_format_t c_rs2_c_sdsp_address{
    RS1 | RS2 | MEM | STORE, 0, 2, {&int_c_rs2_arg, &c_sdsp_address_arg}};
inline constexpr insn_format_t c_fs2p_c_ld_address_load{
    RS1 | FRD | MEM, 0, 2, {&fp_c_rs2p_arg, &c_ld_address_arg}};
inline constexpr insn_format_t fd_c_ldsp_address{
    RS1 | FRD | MEM, 0, 2, {&fp_rd_arg, &c_ldsp_address_arg}};
inline constexpr insn_format_t c_fs2p_c_ld_address_store{
    RS1 | FRS2 | MEM | STORE, 0, 2, {&fp_c_rs2p_arg, &c_ld_address_arg}};
inline constexpr insn_format_t c_fs2_c_sdsp_address{
    RS1 | FRS2 | MEM | STORE, 0, 2, {&fp_c_rs2_arg, &c_sdsp_address_arg}};
inline constexpr insn_format_t c_fs2p_c_lw_address_load{
    RS1 | FRD | MEM, 0, 2, {&fp_c_rs2p_arg, &c_lw_address_arg}};
inline constexpr insn_format_t fd_c_lwsp_address{
    RS1 | FRD | MEM, 0, 2, {&fp_rd_arg, &c_lwsp_address_arg}};
inline constexpr insn_format_t c_fs2p_c_lw_address_store{
    RS1 | FRS2 | MEM | STORE, 0, 2, {&fp_c_rs2p_arg, &c_lw_address_arg}};
inline constexpr insn_format_t c_fs2_c_swsp_address{
    RS1 | FRS2 | MEM | STORE, 0, 2, {&fp_c_rs2_arg, &c_swsp_address_arg}};
// zcb: the byte and halfword stores leave RS2 out of their flags.
inline constexpr insn_format_t c_rs2p_c_lbu_address_load{
    RS1 | RD | MEM, 0, 2, {&int_c_rs2p_arg, &c_lbu_address_arg}};
inline constexpr insn_format_t c_rs2p_c_lh_address_load{
    RS1 | RD | MEM, 0, 2, {&int_c_rs2p_arg, &c_lh_address_arg}};
inline constexpr insn_format_t c_rs2p_c_lbu_address_store{
    RS1 | MEM | STORE, 0, 2, {&int_c_rs2p_arg, &c_lbu_address_arg}};
inline constexpr insn_format_t c_rs2p_c_lh_address_store{
    RS1 | MEM | STORE, 0, 2, {&int_c_rs2p_arg, &c_lh_address_arg}};
// zcmp and zcmt.
inline constexpr insn_format_t rlist_neg_spimm_rv32{
    RS1 | RD, 0, 2, {&rlist_arg, &neg_spimm_rv32_arg}};
inline constexpr insn_format_t rlist_neg_spimm_rv64{
    RS1 | RD, 0, 2, {&rlist_arg, &neg_spimm_rv64_arg}};
inline constexpr insn_format_t rlist_spimm_rv32{RS1 | RD, 0, 2, {&rlist_arg, &spimm_rv32_arg}};
inline constexpr insn_format_t rlist_spimm_rv64{RS1 | RD, 0, 2, {&rlist_arg, &spimm_rv64_arg}};
inline constexpr insn_format_t cm_r1s_cm_r2s{RS1 | RD, 0, 2, {&cm_r1s_arg, &cm_r2s_arg}};
inline constexpr insn_format_t jt_index{RD, 0, 1, {&jt_index_arg}};

// Vector formats record no operand flags (vsetvl is written in rd_rs1_rs2).
inline constexpr insn_format_t rd_zimm5_vtype{0, 0, 3, {&int_rd_arg, &zimm5_arg, &vtype_arg}};
inline constexpr insn_format_t rd_rs1_vtype{0, 0, 3, {&int_rd_arg, &int_rs1_arg, &vtype_arg}};
inline constexpr insn_format_t vd_vs2_vs1_vm{
    0, 0, 5, {&vec_rd_arg, &vec_rs2_arg, &vec_rs1_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t vd_vs2_rs1_vm{
    0, 0, 5, {&vec_rd_arg, &vec_rs2_arg, &int_rs1_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t vd_vs2_simm5_vm{
    0, 0, 5, {&vec_rd_arg, &vec_rs2_arg, &simm5_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t vd_vs2_zimm5_vm{
    0, 0, 5, {&vec_rd_arg, &vec_rs2_arg, &zimm5_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t vd_vs2_vm{0, 0, 4, {&vec_rd_arg, &vec_rs2_arg, nullptr, &vmask_arg}};
// Vector loads and stores: the data register, the base address, then the
// stride or index register where the family has one.
inline constexpr insn_format_t vd_at_rs1_vm{
    0, 0, 4, {&vec_rd_arg, &vec_address_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t vs3_at_rs1_vm{
    0, 0, 4, {&vec_vs3_arg, &vec_address_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t vd_at_rs1_vs2_vm{
    0, 0, 5, {&vec_rd_arg, &vec_address_arg, &vec_rs2_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t vs3_at_rs1_vs2_vm{
    0, 0, 5, {&vec_vs3_arg, &vec_address_arg, &vec_rs2_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t vd_at_rs1_rs2_vm{
    0, 0, 5, {&vec_rd_arg, &vec_address_arg, &int_rs2_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t vs3_at_rs1_rs2_vm{
    0, 0, 5, {&vec_vs3_arg, &vec_address_arg, &int_rs2_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t vs3_at_rs1{0, 0, 2, {&vec_vs3_arg, &vec_address_arg}};
// Vector moves and mask operations.
inline constexpr insn_format_t vd_simm5{0, 0, 2, {&vec_rd_arg, &simm5_arg}};
inline constexpr insn_format_t vd_vs1{0, 0, 2, {&vec_rd_arg, &vec_rs1_arg}};
inline constexpr insn_format_t vd_rs1{0, 0, 2, {&vec_rd_arg, &int_rs1_arg}};
inline constexpr insn_format_t vd_vs2{0, 0, 2, {&vec_rd_arg, &vec_rs2_arg}};
inline constexpr insn_format_t vd_fs1{0, 0, 2, {&vec_rd_arg, &fp_rs1_arg}};
inline constexpr insn_format_t rd_vs2{0, 0, 2, {&int_rd_arg, &vec_rs2_arg}};
inline constexpr insn_format_t fd_vs2{0, 0, 2, {&fp_rd_arg, &vec_rs2_arg}};
inline constexpr insn_format_t rd_vs2_vm{0, 0, 4, {&int_rd_arg, &vec_rs2_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t vd_vm{0, 0, 3, {&vec_rd_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t vd_vs2_vs1{0, 0, 3, {&vec_rd_arg, &vec_rs2_arg, &vec_rs1_arg}};
inline constexpr insn_format_t vd_vs2_fs1_v0{
    0, 0, 4, {&vec_rd_arg, &vec_rs2_arg, &fp_rs1_arg, &v0_fixed_arg}};

// ---- Fixed masks ---------------------------------------------------------------

inline constexpr insn_format_t rd_rs1_imm{
    RS1 | RD, 0x707f, 3, {&int_rd_arg, &int_rs1_arg, &i_imm_arg}};
inline constexpr insn_format_t rd_load_address{
    RS1 | RD | MEM, 0x707f, 2, {&int_rd_arg, &load_address_arg}};
inline constexpr insn_format_t rs2_store_address{
    RS1 | RS2 | MEM | STORE, 0x707f, 2, {&int_rs2_arg, &store_address_arg}};
inline constexpr insn_format_t fd_load_address{
    RS1 | FRD | MEM, 0x707f, 2, {&fp_rd_arg, &load_address_arg}};
inline constexpr insn_format_t fs2_store_address{
    RS1 | FRS2 | MEM | STORE, 0x707f, 2, {&fp_rs2_arg, &store_address_arg}};
inline constexpr insn_format_t rs1_branch_target{
    RS1, 0x1f0707f, 2, {&int_rs1_arg, &branch_target_arg}};
inline constexpr insn_format_t rs1_rs2_branch_target{
    RS1 | RS2, 0x707f, 3, {&int_rs1_arg, &int_rs2_arg, &branch_target_arg}};
inline constexpr insn_format_t rs1_rs2{RS1 | RS2, 0xfe007fff, 2, {&int_rs1_arg, &int_rs2_arg}};
// The AES and SM4 byte-select forms read two source registers.
inline constexpr insn_format_t rd_rs1_rs2_bs{
    RS1 | RS2 | RD, 0x3e00707f, 4, {&int_rd_arg, &int_rs1_arg, &int_rs2_arg, &bs_arg}};
// Packed-SIMD shifts and clips by an immediate of 3 to 6 bits.
inline constexpr insn_format_t rd_rs1_p_imm3{
    RS1 | RD, 0xff80707f, 3, {&int_rd_arg, &int_rs1_arg, &p_imm3_arg}};
inline constexpr insn_format_t rd_rs1_p_imm4{
    RS1 | RD, 0xff00707f, 3, {&int_rd_arg, &int_rs1_arg, &p_imm4_arg}};
inline constexpr insn_format_t rd_rs1_p_imm5{
    RS1 | RD, 0xfe00707f, 3, {&int_rd_arg, &int_rs1_arg, &p_imm5_arg}};
inline constexpr insn_format_t rd_rs1_p_imm6{
    RS1 | RD, 0xfc00707f, 3, {&int_rd_arg, &int_rs1_arg, &p_imm6_arg}};
// R-type, accumulating into rd, and on register pairs (64-bit operands on RV32).
inline constexpr insn_format_t rd_rs1_rs2_reads_rd{
    RS1 | RS2 | RD | RSD, 0xfe00707f, 3, {&int_rd_arg, &int_rs1_arg, &int_rs2_arg}};
inline constexpr insn_format_t rd_rs1_rs2_rd_pair{
    RS1 | RS2 | RD | RDH, 0xfe00707f, 3, {&int_rd_arg, &int_rs1_arg, &int_rs2_arg}};
inline constexpr insn_format_t rd_rs1_rs2_reads_rd_pair{
    RS1 | RS2 | RD | RSD | RSDH | RDH, 0xfe00707f, 3, {&int_rd_arg, &int_rs1_arg, &int_rs2_arg}};
inline constexpr insn_format_t rd_rs1_rs2_pairs{
    RS1 | RS2 | RD | RS1H | RS2H | RDH, 0xfe00707f, 3, {&int_rd_arg, &int_rs1_arg, &int_rs2_arg}};
// Floating point.
inline constexpr insn_format_t fd_fli_imm{FRD, 0xfff0707f, 2, {&fp_rd_arg, &fli_imm_arg}};
inline constexpr insn_format_t fd_fs1{FRS1 | FRD, 0xfff0007f, 2, {&fp_rd_arg, &fp_rs1_arg}};
inline constexpr insn_format_t rd_fs1_fs2{
    RD | FRS1 | FRS2, 0xfe00707f, 3, {&int_rd_arg, &fp_rs1_arg, &fp_rs2_arg}};
inline constexpr insn_format_t fd_rs1_rs2{
    RS1 | RS2 | FRD, 0xfe00707f, 3, {&fp_rd_arg, &int_rs1_arg, &int_rs2_arg}};
inline constexpr insn_format_t fd_fs1_fs2_fs3{
    FRS1 | FRS2 | FRS3 | FRD, 0x600007f, 4, {&fp_rd_arg, &fp_rs1_arg, &fp_rs2_arg, &fp_rs3_arg}};
// Vector.
inline constexpr insn_format_t vd_vs2_vs1_v0{
    0, 0xfe00707f, 4, {&vec_rd_arg, &vec_rs2_arg, &vec_rs1_arg, &v0_fixed_arg}};
inline constexpr insn_format_t vd_vs2_rs1_v0{
    0, 0xfe00707f, 4, {&vec_rd_arg, &vec_rs2_arg, &int_rs1_arg, &v0_fixed_arg}};
inline constexpr insn_format_t vd_vs2_simm5_v0{
    0, 0xfe00707f, 4, {&vec_rd_arg, &vec_rs2_arg, &simm5_arg, &v0_fixed_arg}};
inline constexpr insn_format_t vd_vs2_zimm6_vm{
    0, 0xf800707f, 5, {&vec_rd_arg, &vec_rs2_arg, &zimm6_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t vd_vs2_fs1_vm{
    0, 0xfc00707f, 5, {&vec_rd_arg, &vec_rs2_arg, &fp_rs1_arg, nullptr, &vmask_arg}};

}  // namespace insn_format
