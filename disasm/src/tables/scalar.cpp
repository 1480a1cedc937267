// The scalar half of the instruction table: every group from "unimp" up to
// the vector group. Within a chain the first entry added wins, so the order
// of the groups and of the rows inside them is part of the behaviour: a
// pseudo-instruction form ("nop", "li", "j", "csrr" ...) comes before the
// general form of its encoding.
//
// Match and mask of the standard instructions are their published RISC-V
// encodings (disasm/tools/check_encodings.py compares the rows with the
// encoding database); pseudo-instruction forms, hints, the draft
// bit-manipulation instructions and the custom instructions have their own.

#include <cstdint>

#include "disassembler.h"
#include "insn_ids.h"
#include "isa_parser.h"
#include "tables/groups.h"
#include "tables/table_rows.h"

namespace {

// Operand forms of the entries written inline (pseudo-instructions, entries
// whose base name differs, the compressed instructions). Each entry gives its
// own mask.
namespace form {
constexpr insn_format_t u_imm_only{0x0, 0, 1, {&u_imm_arg}};
constexpr insn_format_t jal_target_only{0x8, 0, 1, {&jal_target_arg}};
constexpr insn_format_t rd_jal_target{0x8, 0, 2, {&int_rd_arg, &jal_target_arg}};
constexpr insn_format_t rd_u_imm{0x8, 0, 2, {&int_rd_arg, &u_imm_arg}};
constexpr insn_format_t ret{0x9, 0, 0, {}};
constexpr insn_format_t rs1_only{0x9, 0, 1, {&int_rs1_arg}};
constexpr insn_format_t rd_i_imm{0x8, 0, 2, {&int_rd_arg, &i_imm_arg}};
constexpr insn_format_t rd_rs2{0x9, 0, 2, {&int_rd_arg, &int_rs2_arg}};
constexpr insn_format_t fence{0x0, 0, 1, {&fence_arg}};
constexpr insn_format_t csr_read{0x8, 0, 2, {&int_rd_arg, &csr_arg}};
constexpr insn_format_t csr_write{0x9, 0, 2, {&csr_arg, &int_rs1_arg}};
constexpr insn_format_t csr_write_imm{0x8, 0, 2, {&csr_arg, &zimm5_arg}};
constexpr insn_format_t csr_rw{0x9, 0, 3, {&int_rd_arg, &csr_arg, &int_rs1_arg}};
constexpr insn_format_t csr_rw_imm{0x8, 0, 3, {&int_rd_arg, &csr_arg, &zimm5_arg}};

// Compressed forms.
constexpr insn_format_t c_ret{0x1, 0, 0, {}};  // reads ra
constexpr insn_format_t c_jr{0x1, 0, 1, {&int_c_rs1_arg}};
constexpr insn_format_t c_jalr{0x9, 0, 1, {&int_c_rs1_arg}};
constexpr insn_format_t c_addi16sp{0x9, 0, 3, {&sp_fixed_arg, &sp_fixed_arg, &c_addi16sp_imm_arg}};
constexpr insn_format_t c_addi4spn{
    0x9, 0, 3, {&int_c_rs2p_arg, &sp_fixed_arg, &c_addi4spn_imm_arg}};
constexpr insn_format_t c_li{0x8, 0, 2, {&int_rd_arg, &c_imm_arg}};
constexpr insn_format_t c_lui{0x8, 0, 2, {&int_rd_arg, &c_lui_imm_arg}};
constexpr insn_format_t c_addi{0x9, 0, 3, {&int_rd_arg, &int_rd_arg, &c_imm_arg}};
constexpr insn_format_t c_slli{0x9, 0, 2, {&int_rd_arg, &c_shamt_arg}};
constexpr insn_format_t c_shift_p{0x9, 0, 3, {&int_c_rs1p_arg, &int_c_rs1p_arg, &c_shamt_arg}};
constexpr insn_format_t c_andi{0x9, 0, 3, {&int_c_rs1p_arg, &int_c_rs1p_arg, &c_imm_arg}};
constexpr insn_format_t c_mv{0xb, 0, 2, {&int_rd_arg, &int_c_rs2_arg}};
constexpr insn_format_t c_add{0xb, 0, 3, {&int_rd_arg, &int_rd_arg, &int_c_rs2_arg}};
constexpr insn_format_t c_alu_p{0xb, 0, 3, {&int_c_rs1p_arg, &int_c_rs1p_arg, &int_c_rs2p_arg}};
constexpr insn_format_t c_lwsp{0x109, 0, 2, {&int_rd_arg, &c_lwsp_address_arg}};
constexpr insn_format_t c_swsp{0x303, 0, 2, {&int_c_rs2_arg, &c_swsp_address_arg}};
constexpr insn_format_t c_lw{0x109, 0, 2, {&int_c_rs2p_arg, &c_lw_address_arg}};
constexpr insn_format_t c_sw{0x303, 0, 2, {&int_c_rs2p_arg, &c_lw_address_arg}};
constexpr insn_format_t c_branch{0x1, 0, 2, {&int_c_rs1p_arg, &c_branch_target_arg}};
constexpr insn_format_t c_j{0x0, 0, 1, {&c_j_target_arg}};
constexpr insn_format_t c_jal{0x8, 0, 1, {&c_j_target_arg}};
constexpr insn_format_t c_ld{0x109, 0, 2, {&int_c_rs2p_arg, &c_ld_address_arg}};
constexpr insn_format_t c_ldsp{0x109, 0, 2, {&int_rd_arg, &c_ldsp_address_arg}};
constexpr insn_format_t c_sd{0x303, 0, 2, {&int_c_rs2p_arg, &c_ld_address_arg}};
constexpr insn_format_t c_sdsp{0x303, 0, 2, {&int_c_rs2_arg, &c_sdsp_address_arg}};
constexpr insn_format_t c_fld{0x181, 0, 2, {&fp_c_rs2p_arg, &c_ld_address_arg}};
constexpr insn_format_t c_fldsp{0x181, 0, 2, {&fp_rd_arg, &c_ldsp_address_arg}};
constexpr insn_format_t c_fsd{0x321, 0, 2, {&fp_c_rs2p_arg, &c_ld_address_arg}};
constexpr insn_format_t c_fsdsp{0x321, 0, 2, {&fp_c_rs2_arg, &c_sdsp_address_arg}};
constexpr insn_format_t c_flw{0x181, 0, 2, {&fp_c_rs2p_arg, &c_lw_address_arg}};
constexpr insn_format_t c_flwsp{0x181, 0, 2, {&fp_rd_arg, &c_lwsp_address_arg}};
constexpr insn_format_t c_fsw{0x321, 0, 2, {&fp_c_rs2p_arg, &c_lw_address_arg}};
constexpr insn_format_t c_fswsp{0x321, 0, 2, {&fp_c_rs2_arg, &c_swsp_address_arg}};
constexpr insn_format_t c_unary_p{0x9, 0, 1, {&int_c_rs1p_arg}};
constexpr insn_format_t c_mul{0xb, 0, 2, {&int_c_rs1p_arg, &int_c_rs2p_arg}};
constexpr insn_format_t c_lbu{0x109, 0, 2, {&int_c_rs2p_arg, &c_lbu_address_arg}};
constexpr insn_format_t c_lh{0x109, 0, 2, {&int_c_rs2p_arg, &c_lh_address_arg}};
constexpr insn_format_t c_sb{0x301, 0, 2, {&int_c_rs2p_arg, &c_lbu_address_arg}};
constexpr insn_format_t c_sh{0x301, 0, 2, {&int_c_rs2p_arg, &c_lh_address_arg}};
constexpr insn_format_t cm_push_rv32{0x9, 0, 2, {&rlist_arg, &neg_spimm_rv32_arg}};
constexpr insn_format_t cm_push_rv64{0x9, 0, 2, {&rlist_arg, &neg_spimm_rv64_arg}};
constexpr insn_format_t cm_pop_rv32{0x9, 0, 2, {&rlist_arg, &spimm_rv32_arg}};
constexpr insn_format_t cm_pop_rv64{0x9, 0, 2, {&rlist_arg, &spimm_rv64_arg}};
constexpr insn_format_t cm_mv{0x9, 0, 2, {&cm_r1s_arg, &cm_r2s_arg}};
constexpr insn_format_t cm_jt{0x8, 0, 1, {&jt_index_arg}};
}  // namespace form

using layout::amo;
using e = table_entry_t;

// Group 1: the two fixed entries first, then the hints and the integer
// loads and stores (lwu, ld and sd on every width).
constexpr e fixed_and_memory[] = {
    {layout::no_args, "unimp", 0xc0001073, 0xffffffff},
    {layout::no_args, "c_unimp", 0x00000000, 0x0000ffff},
    {layout::address_only, "prefetch_r", 0x00106013, 0x01f07fff},
    {layout::address_only, "prefetch_w", 0x00306013, 0x01f07fff},
    {layout::address_only, "prefetch_i", 0x00006013, 0x01f07fff},
    {layout::no_args, "pause", 0x0100000f, 0xffffffff},
    {layout::load, "lb", 0x00000003},
    {layout::load, "lbu", 0x00004003},
    {layout::load, "lh", 0x00001003},
    {layout::load, "lhu", 0x00005003},
    {layout::load, "lw", 0x00002003},
    {layout::load, "lwu", 0x00006003},
    {layout::load, "ld", 0x00003003},
    {layout::store, "sb", 0x00000023},
    {layout::store, "sh", 0x00001023},
    {layout::store, "sw", 0x00002023},
    {layout::store, "sd", 0x00003023},
};

// Group 2 (A or zaamo).
constexpr e amo_ops[] = {
    {amo, "amoadd_w", 0x0000202f, 0xf800707f},  {amo, "amoswap_w", 0x0800202f, 0xf800707f},
    {amo, "amoand_w", 0x6000202f, 0xf800707f},  {amo, "amoor_w", 0x4000202f, 0xf800707f},
    {amo, "amoxor_w", 0x2000202f, 0xf800707f},  {amo, "amomin_w", 0x8000202f, 0xf800707f},
    {amo, "amomax_w", 0xa000202f, 0xf800707f},  {amo, "amominu_w", 0xc000202f, 0xf800707f},
    {amo, "amomaxu_w", 0xe000202f, 0xf800707f}, {amo, "amoadd_d", 0x0000302f, 0xf800707f},
    {amo, "amoswap_d", 0x0800302f, 0xf800707f}, {amo, "amoand_d", 0x6000302f, 0xf800707f},
    {amo, "amoor_d", 0x4000302f, 0xf800707f},   {amo, "amoxor_d", 0x2000302f, 0xf800707f},
    {amo, "amomin_d", 0x8000302f, 0xf800707f},  {amo, "amomax_d", 0xa000302f, 0xf800707f},
    {amo, "amominu_d", 0xc000302f, 0xf800707f}, {amo, "amomaxu_d", 0xe000302f, 0xf800707f},
};

// Group 3 (A or zalrsc): lr only reads memory.
constexpr e lr_sc[] = {
    e(amo, "lr_w", 0x1000202f, 0xf9f0707f).with_flags(0x109),
    {amo, "sc_w", 0x1800202f, 0xf800707f},
    e(amo, "lr_d", 0x1000302f, 0xf9f0707f).with_flags(0x109),
    {amo, "sc_d", 0x1800302f, 0xf800707f},
};

// Group 4 (zacas).
constexpr e amo_cas[] = {
    {amo, "amocas_w", 0x2800202f, 0xf800707f},
    {amo, "amocas_d", 0x2800302f, 0xf800707f},
    {amo, "amocas_q", 0x2800402f, 0xf800707f},
};

// Group 5 (zabha).
constexpr e amo_byte_half[] = {
    {amo, "amoadd_b", 0x0000002f, 0xf800707f},  {amo, "amoswap_b", 0x0800002f, 0xf800707f},
    {amo, "amoand_b", 0x6000002f, 0xf800707f},  {amo, "amoor_b", 0x4000002f, 0xf800707f},
    {amo, "amoxor_b", 0x2000002f, 0xf800707f},  {amo, "amomin_b", 0x8000002f, 0xf800707f},
    {amo, "amomax_b", 0xa000002f, 0xf800707f},  {amo, "amominu_b", 0xc000002f, 0xf800707f},
    {amo, "amomaxu_b", 0xe000002f, 0xf800707f}, {amo, "amocas_b", 0x2800002f, 0xf800707f},
    {amo, "amoadd_h", 0x0000102f, 0xf800707f},  {amo, "amoswap_h", 0x0800102f, 0xf800707f},
    {amo, "amoand_h", 0x6000102f, 0xf800707f},  {amo, "amoor_h", 0x4000102f, 0xf800707f},
    {amo, "amoxor_h", 0x2000102f, 0xf800707f},  {amo, "amomin_h", 0x8000102f, 0xf800707f},
    {amo, "amomax_h", 0xa000102f, 0xf800707f},  {amo, "amominu_h", 0xc000102f, 0xf800707f},
    {amo, "amomaxu_h", 0xe000102f, 0xf800707f}, {amo, "amocas_h", 0x2800102f, 0xf800707f},
};

// Group 6 (zawrs).
constexpr e wait_on_reservation[] = {
    {layout::no_args, "wrs_sto", 0x01d00073, 0xffffffff},
    {layout::no_args, "wrs_nto", 0x00d00073, 0xffffffff},
};

// Group 7 (zicfilp): the landing pad is auipc with rd = x0.
constexpr e landing_pad[] = {
    {form::u_imm_only, "lpad", 0x00000017, 0x00000fff},
};

// Group 8: the base integer instructions, each pseudo-instruction form ahead
// of the general form it is a case of.
constexpr e base_integer[] = {
    {form::jal_target_only, "j", 0x0000006f, 0x00000fff, insn_id("jal")},
    {form::jal_target_only, "jal", 0x000000ef, 0x00000fff},  // rd = ra
    {form::rd_jal_target, "jal", 0x0000006f, 0x0000007f},
    {layout::branch_zero, "beqz", 0x00000063, 0x01f0707f, insn_id("beq")},
    {layout::branch_zero, "bnez", 0x00001063, 0x01f0707f, insn_id("bne")},
    {layout::branch_zero, "bltz", 0x00004063, 0x01f0707f, insn_id("blt")},
    {layout::branch_zero, "bgez", 0x00005063, 0x01f0707f, insn_id("bge")},
    {layout::branch, "beq", 0x00000063},
    {layout::branch, "bne", 0x00001063},
    {layout::branch, "blt", 0x00004063},
    {layout::branch, "bge", 0x00005063},
    {layout::branch, "bltu", 0x00006063},
    {layout::branch, "bgeu", 0x00007063},
    {form::rd_u_imm, "lui", 0x00000037, 0x0000007f},
    {form::rd_u_imm, "auipc", 0x00000017, 0x0000007f},
    {form::ret, "ret", 0x00008067, 0xffffffff, insn_id("jalr")},
    {form::rs1_only, "jr", 0x00000067, 0xfff07fff, insn_id("jalr")},
    {form::rs1_only, "jalr", 0x000000e7, 0xfff07fff},  // rd = ra, offset 0
    {layout::i, "jalr", 0x00000067},
    {layout::no_args, "nop", 0x00000013, 0xffffffff, insn_id("addi")},
    {form::rd_i_imm, "li", 0x00000013, 0x000ff07f, insn_id("addi")},
    {layout::unary, "mv", 0x00000013, 0xfff0707f, insn_id("addi")},
    {layout::i, "addi", 0x00000013},
    {layout::i, "slti", 0x00002013},
    {layout::unary, "seqz", 0x00103013, 0xfff0707f, insn_id("sltiu")},
    {layout::i, "sltiu", 0x00003013},
    {layout::unary, "not", 0xfff04013, 0xfff0707f, insn_id("xori")},
    {layout::i, "xori", 0x00004013},
    {layout::shift_imm, "slli", 0x00001013, 0xfc00707f},
    {layout::shift_imm, "srli", 0x00005013, 0xfc00707f},
    {layout::shift_imm, "srai", 0x40005013, 0xfc00707f},
    {layout::i, "ori", 0x00006013},
    {layout::i, "andi", 0x00007013},
    {layout::unary, "sext_w", 0x0000001b, 0xfff0707f, insn_id("addiw")},
    {layout::i, "addiw", 0x0000001b},
    {layout::shift_imm, "slliw", 0x0000101b, 0xfe00707f},
    {layout::shift_imm, "srliw", 0x0000501b, 0xfe00707f},
    {layout::shift_imm, "sraiw", 0x4000501b, 0xfe00707f},
    {layout::r, "add", 0x00000033, 0xfe00707f},
    {layout::r, "sub", 0x40000033, 0xfe00707f},
    {layout::r, "sll", 0x00001033, 0xfe00707f},
    {layout::r, "slt", 0x00002033, 0xfe00707f},
    {form::rd_rs2, "snez", 0x00003033, 0xfe0ff07f, insn_id("sltu")},
    {layout::r, "sltu", 0x00003033, 0xfe00707f},
    {layout::r, "xor", 0x00004033, 0xfe00707f},
    {layout::r, "srl", 0x00005033, 0xfe00707f},
    {layout::r, "sra", 0x40005033, 0xfe00707f},
    {layout::r, "or", 0x00006033, 0xfe00707f},
    {layout::r, "and", 0x00007033, 0xfe00707f},
    {layout::r, "addw", 0x0000003b, 0xfe00707f},
    {layout::r, "subw", 0x4000003b, 0xfe00707f},
    {layout::r, "sllw", 0x0000103b, 0xfe00707f},
    {layout::r, "srlw", 0x0000503b, 0xfe00707f},
    {layout::r, "sraw", 0x4000503b, 0xfe00707f},
};

// Group 9: draft bit-manipulation instructions, always present.
constexpr e draft_bitmanip[] = {
    {layout::r, "bdecompress", 0x48006033, 0xfe00707f},
    {layout::r, "bdecompressw", 0x4800603b, 0xfe00707f},
    {layout::r, "bcompress", 0x08006033, 0xfe00707f},
    {layout::r, "bcompressw", 0x0800603b, 0xfe00707f},
    {layout::r, "bfp", 0x48007033, 0xfe00707f},
    {layout::r, "bfpw", 0x4800703b, 0xfe00707f},
    {layout::r, "gorcw", 0x2800503b, 0xfe00707f},
    {layout::r, "grevw", 0x6800503b, 0xfe00707f},
    {layout::r, "packuw", 0x4800403b, 0xfe00707f},
    {layout::r, "shfl", 0x08001033, 0xfe00707f},
    {layout::r, "shflw", 0x0800103b, 0xfe00707f},
    {layout::r, "unshfl", 0x08005033, 0xfe00707f},
    {layout::r, "unshflw", 0x0800503b, 0xfe00707f},
    {layout::r4, "fsl", 0x04001033, 0x0600707f},
    {layout::r4, "fslw", 0x0400103b, 0x0600707f},
    {layout::unary, "crc32_b", 0x61001013, 0xfff0707f},
    {layout::unary, "crc32_h", 0x61101013, 0xfff0707f},
    {layout::unary, "crc32_w", 0x61201013, 0xfff0707f},
    {layout::unary, "crc32_d", 0x61301013, 0xfff0707f},
    {layout::unary, "crc32c_b", 0x61801013, 0xfff0707f},
    {layout::unary, "crc32c_h", 0x61901013, 0xfff0707f},
    {layout::unary, "crc32c_w", 0x61a01013, 0xfff0707f},
    {layout::unary, "crc32c_d", 0x61b01013, 0xfff0707f},
    {layout::shift_imm, "gorciw", 0x2800501b, 0xfe00707f},
    {layout::shift_imm, "greviw", 0x6800501b, 0xfe00707f},
    {layout::shift_imm, "shfli", 0x08001013, 0xfe00707f},
    {layout::shift_imm, "unshfli", 0x08005013, 0xfe00707f},
};

// Group 10: the custom instructions (custom-1 opcode, funct3 4, R-type), each
// gated by its own extensions as well as by the register width.
// Bits of the custom extensions that enable an entry.
constexpr unsigned kgostk = 1, kgostm = 2, kgosts = 4;
struct custom_entry_t {
  e entry;
  unsigned needs;  // any one of these enables the entry
};
constexpr unsigned long custom_match(unsigned funct7) { return (unsigned long)funct7 << 25 | 0x402b; }
constexpr unsigned long custom_mask = 0xfe00707f;
constexpr custom_entry_t custom_rv32[] = {
    {{layout::r, "kuzn32esx", custom_match(0x42), custom_mask}, kgostk | kgosts},
    {{layout::r, "kuzn32dsx", custom_match(0x43), custom_mask}, kgostk},
    {{layout::r, "kuzn32el", custom_match(0x67), custom_mask}, kgostk},
    {{layout::r, "kuzn32elh", custom_match(0x66), custom_mask}, kgostk},
    {{layout::r, "kuzn32dl", custom_match(0x64), custom_mask}, kgostk},
    {{layout::r, "kuzn32dlh", custom_match(0x65), custom_mask}, kgostk},
    {{layout::r, "magma32g", custom_match(0x68), custom_mask}, kgostm},
    {{layout::r, "sbg32tau1", custom_match(0x50), custom_mask}, kgosts},
    {{layout::r, "sbg32tau2", custom_match(0x51), custom_mask}, kgosts},
    {{layout::r, "sbg32lin1", custom_match(0x52), custom_mask}, kgosts},
    {{layout::r, "sbg32lin2", custom_match(0x53), custom_mask}, kgosts},
};
constexpr custom_entry_t custom_rv64[] = {
    {{layout::r, "kuzn64esx", custom_match(0x02), custom_mask}, kgostk | kgosts},
    {{layout::r, "kuzn64dsx", custom_match(0x03), custom_mask}, kgostk},
    {{layout::r, "kuzn64el", custom_match(0x27), custom_mask}, kgostk},
    {{layout::r, "kuzn64dl", custom_match(0x24), custom_mask}, kgostk},
    {{layout::r, "magma64", custom_match(0x28), custom_mask}, kgostm},
    {{layout::r, "sbg64tau1", custom_match(0x10), custom_mask}, kgosts},
    {{layout::r, "sbg64tau2", custom_match(0x11), custom_mask}, kgosts},
    {{layout::r, "sbg64lin1", custom_match(0x12), custom_mask}, kgosts},
    {{layout::r, "sbg64lin2", custom_match(0x13), custom_mask}, kgosts},
};

// Group 11: system instructions, fences and the CSR instructions, short CSR
// forms first. "unimp" (group 1) already wins over csrw for 0xc0001073.
constexpr e system_and_csr[] = {
    {layout::no_args, "ecall", 0x00000073, 0xffffffff},
    {layout::no_args, "ebreak", 0x00100073, 0xffffffff},
    {layout::no_args, "uret", 0x00200073, 0xffffffff},
    {layout::no_args, "mret", 0x30200073, 0xffffffff},
    {layout::no_args, "dret", 0x7b200073, 0xffffffff},
    {layout::no_args, "wfi", 0x10500073, 0xffffffff},
    {form::fence, "fence", 0x0000000f, 0x0000707f},
    {layout::no_args, "fence_i", 0x0000100f, 0x0000707f},
    {form::csr_read, "csrr", 0x00002073, 0x000ff07f, insn_id("csrrs")},
    {form::csr_write, "csrw", 0x00001073, 0x00007fff, insn_id("csrrw")},
    {form::csr_write, "csrs", 0x00002073, 0x00007fff, insn_id("csrrs")},
    {form::csr_write, "csrc", 0x00003073, 0x00007fff, insn_id("csrrc")},
    {form::csr_write_imm, "csrwi", 0x00005073, 0x00007fff, insn_id("csrrwi")},
    {form::csr_write_imm, "csrsi", 0x00006073, 0x00007fff, insn_id("csrrsi")},
    {form::csr_write_imm, "csrci", 0x00007073, 0x00007fff, insn_id("csrrci")},
    {form::csr_rw, "csrrw", 0x00001073, 0x0000707f},
    {form::csr_rw, "csrrs", 0x00002073, 0x0000707f},
    {form::csr_rw, "csrrc", 0x00003073, 0x0000707f},
    {form::csr_rw_imm, "csrrwi", 0x00005073, 0x0000707f},
    {form::csr_rw_imm, "csrrsi", 0x00006073, 0x0000707f},
    {form::csr_rw_imm, "csrrci", 0x00007073, 0x0000707f},
};

// Group 12 (S).
constexpr e supervisor[] = {
    {layout::no_args, "sret", 0x10200073, 0xffffffff},
    {layout::rs1_rs2, "sfence_vma", 0x12000073},
};

// Group 13 (M).
constexpr e mul_div[] = {
    {layout::r, "mul", 0x02000033, 0xfe00707f},   {layout::r, "mulh", 0x02001033, 0xfe00707f},
    {layout::r, "mulhu", 0x02003033, 0xfe00707f}, {layout::r, "mulhsu", 0x02002033, 0xfe00707f},
    {layout::r, "mulw", 0x0200003b, 0xfe00707f},  {layout::r, "div", 0x02004033, 0xfe00707f},
    {layout::r, "divu", 0x02005033, 0xfe00707f},  {layout::r, "rem", 0x02006033, 0xfe00707f},
    {layout::r, "remu", 0x02007033, 0xfe00707f},  {layout::r, "divw", 0x0200403b, 0xfe00707f},
    {layout::r, "divuw", 0x0200503b, 0xfe00707f}, {layout::r, "remw", 0x0200603b, 0xfe00707f},
    {layout::r, "remuw", 0x0200703b, 0xfe00707f},
};

// Group 14 (zba), then its RV64 part.
constexpr e zba[] = {
    {layout::r, "sh1add", 0x20002033, 0xfe00707f},
    {layout::r, "sh2add", 0x20004033, 0xfe00707f},
    {layout::r, "sh3add", 0x20006033, 0xfe00707f},
};
constexpr e zba_rv64[] = {
    {layout::shift_imm, "slli_uw", 0x0800101b, 0xfc00707f},
    {layout::unary, "zext_w", 0x0800003b, 0xfff0707f, insn_id("add_uw")},
    {layout::r, "add_uw", 0x0800003b, 0xfe00707f},
    {layout::r, "sh1add_uw", 0x2000203b, 0xfe00707f},
    {layout::r, "sh2add_uw", 0x2000403b, 0xfe00707f},
    {layout::r, "sh3add_uw", 0x2000603b, 0xfe00707f},
};

// Group 15 (zbb): rev8 and zext.h depend on the width and are added in code
// between these rows.
constexpr e zbb[] = {
    {layout::r, "ror", 0x60005033, 0xfe00707f},
    {layout::r, "rol", 0x60001033, 0xfe00707f},
    {layout::shift_imm, "rori", 0x60005013, 0xfc00707f},
    {layout::unary, "ctz", 0x60101013, 0xfff0707f},
    {layout::unary, "clz", 0x60001013, 0xfff0707f},
    {layout::unary, "cpop", 0x60201013, 0xfff0707f},
    {layout::r, "min", 0x0a004033, 0xfe00707f},
    {layout::r, "minu", 0x0a005033, 0xfe00707f},
    {layout::r, "max", 0x0a006033, 0xfe00707f},
    {layout::r, "maxu", 0x0a007033, 0xfe00707f},
    {layout::r, "andn", 0x40007033, 0xfe00707f},
    {layout::r, "orn", 0x40006033, 0xfe00707f},
    {layout::r, "xnor", 0x40004033, 0xfe00707f},
    {layout::unary, "sext_b", 0x60401013, 0xfff0707f},
    {layout::unary, "sext_h", 0x60501013, 0xfff0707f},
};
constexpr e zbb_orc_b[] = {
    {layout::unary, "orc_b", 0x28705013, 0xfff0707f, insn_id("gorci")},
};
constexpr e zbb_zext_h_rv32[] = {
    {layout::unary, "zext_h", 0x08004033, 0xfff0707f, insn_id("pack")},
};
constexpr e zbb_zext_h_other[] = {
    {layout::unary, "zext_h", 0x0800403b, 0xfff0707f, insn_id("packw")},
};
constexpr e zbb_rv64[] = {
    {layout::r, "rorw", 0x6000503b, 0xfe00707f},
    {layout::r, "rolw", 0x6000103b, 0xfe00707f},
    {layout::shift_imm, "roriw", 0x6000501b, 0xfe00707f},
    {layout::unary, "ctzw", 0x6010101b, 0xfff0707f},
    {layout::unary, "clzw", 0x6000101b, 0xfff0707f},
    {layout::unary, "cpopw", 0x6020101b, 0xfff0707f},
};

// Group 16 (zbc).
constexpr e zbc[] = {
    {layout::r, "clmul", 0x0a001033, 0xfe00707f},
    {layout::r, "clmulh", 0x0a003033, 0xfe00707f},
    {layout::r, "clmulr", 0x0a002033, 0xfe00707f},
};

// Group 17 (zbs).
constexpr e zbs[] = {
    {layout::r, "bclr", 0x48001033, 0xfe00707f},
    {layout::r, "binv", 0x68001033, 0xfe00707f},
    {layout::r, "bset", 0x28001033, 0xfe00707f},
    {layout::r, "bext", 0x48005033, 0xfe00707f},
    {layout::shift_imm, "bclri", 0x48001013, 0xfc00707f},
    {layout::shift_imm, "binvi", 0x68001013, 0xfc00707f},
    {layout::shift_imm, "bseti", 0x28001013, 0xfc00707f},
    {layout::shift_imm, "bexti", 0x48005013, 0xfc00707f},
};

// Group 18 (zbkb), then its RV64 part.
constexpr e zbkb[] = {
    {layout::unary, "brev8", 0x68705013, 0xfff0707f, insn_id("grevi")},
    {layout::unary, "rev8_h", 0x68805013, 0xfff0707f, insn_id("grevi")},
    {layout::r, "pack", 0x08004033, 0xfe00707f},
    {layout::r, "packh", 0x08007033, 0xfe00707f},
};
constexpr e zbkb_rv64[] = {
    {layout::r, "packw", 0x0800403b, 0xfe00707f},
};

// Group 19 (svinval).
constexpr e svinval[] = {
    {layout::no_args, "sfence_w_inval", 0x18000073, 0xffffffff},
    {layout::no_args, "sfence_inval_ir", 0x18100073, 0xffffffff},
    {layout::rs1_rs2, "sinval_vma", 0x16000073},
    {layout::rs1_rs2, "hinval_vvma", 0x26000073},
    {layout::rs1_rs2, "hinval_gvma", 0x66000073},
};

// Group 20 (F).
constexpr e single_fp[] = {
    {layout::fp_load, "flw", 0x00002007},
    {layout::fp_store, "fsw", 0x00002027},
    {layout::fp_r, "fadd_s", 0x00000053, 0xfe00007f},
    {layout::fp_r, "fsub_s", 0x08000053, 0xfe00007f},
    {layout::fp_r, "fmul_s", 0x10000053, 0xfe00007f},
    {layout::fp_r, "fdiv_s", 0x18000053, 0xfe00007f},
    {layout::fp_unary, "fsqrt_s", 0x58000053},
    {layout::fp_r, "fmin_s", 0x28000053, 0xfe00707f},
    {layout::fp_r, "fmax_s", 0x28001053, 0xfe00707f},
    {layout::fp_r4, "fmadd_s", 0x00000043},
    {layout::fp_r4, "fmsub_s", 0x00000047},
    {layout::fp_r4, "fnmadd_s", 0x0000004f},
    {layout::fp_r4, "fnmsub_s", 0x0000004b},
    {layout::fp_r, "fsgnj_s", 0x20000053, 0xfe00707f},
    {layout::fp_r, "fsgnjn_s", 0x20001053, 0xfe00707f},
    {layout::fp_r, "fsgnjx_s", 0x20002053, 0xfe00707f},
    {layout::fp_unary, "fcvt_s_d", 0x40100053},
    {layout::fp_unary, "fcvt_s_q", 0x40300053},
    {layout::fp_from_int, "fcvt_s_l", 0xd0200053, 0xfff0007f},
    {layout::fp_from_int, "fcvt_s_lu", 0xd0300053, 0xfff0007f},
    {layout::fp_from_int, "fcvt_s_w", 0xd0000053, 0xfff0007f},
    {layout::fp_from_int, "fcvt_s_wu", 0xd0100053, 0xfff0007f},
    {layout::fp_from_int, "fmv_w_x", 0xf0000053, 0xfff0707f},
    {layout::int_from_fp, "fcvt_l_s", 0xc0200053, 0xfff0007f},
    {layout::int_from_fp, "fcvt_lu_s", 0xc0300053, 0xfff0007f},
    {layout::int_from_fp, "fcvt_w_s", 0xc0000053, 0xfff0007f},
    {layout::int_from_fp, "fcvt_wu_s", 0xc0100053, 0xfff0007f},
    {layout::int_from_fp, "fclass_s", 0xe0001053, 0xfff0707f},
    {layout::int_from_fp, "fmv_x_w", 0xe0000053, 0xfff0707f},
    {layout::fp_compare, "feq_s", 0xa0002053},
    {layout::fp_compare, "flt_s", 0xa0001053},
    {layout::fp_compare, "fle_s", 0xa0000053},
};

// Group 21 (zfinx): single precision in the integer registers.
constexpr e single_in_x[] = {
    {layout::r, "fadd_s", 0x00000053, 0xfe00007f},
    {layout::r, "fsub_s", 0x08000053, 0xfe00007f},
    {layout::r, "fmul_s", 0x10000053, 0xfe00007f},
    {layout::r, "fdiv_s", 0x18000053, 0xfe00007f},
    {layout::unary, "fsqrt_s", 0x58000053, 0xfff0007f},
    {layout::r, "fmin_s", 0x28000053, 0xfe00707f},
    {layout::r, "fmax_s", 0x28001053, 0xfe00707f},
    {layout::r4, "fmadd_s", 0x00000043, 0x0600007f},
    {layout::r4, "fmsub_s", 0x00000047, 0x0600007f},
    {layout::r4, "fnmadd_s", 0x0000004f, 0x0600007f},
    {layout::r4, "fnmsub_s", 0x0000004b, 0x0600007f},
    {layout::r, "fsgnj_s", 0x20000053, 0xfe00707f},
    {layout::r, "fsgnjn_s", 0x20001053, 0xfe00707f},
    {layout::r, "fsgnjx_s", 0x20002053, 0xfe00707f},
    {layout::unary, "fcvt_s_d", 0x40100053, 0xfff0007f},
    {layout::unary, "fcvt_s_l", 0xd0200053, 0xfff0007f},
    {layout::unary, "fcvt_s_lu", 0xd0300053, 0xfff0007f},
    {layout::unary, "fcvt_s_w", 0xd0000053, 0xfff0007f},
    {layout::unary, "fcvt_s_wu", 0xd0100053, 0xfff0007f},
    {layout::unary, "fcvt_l_s", 0xc0200053, 0xfff0007f},
    {layout::unary, "fcvt_lu_s", 0xc0300053, 0xfff0007f},
    {layout::unary, "fcvt_w_s", 0xc0000053, 0xfff0007f},
    {layout::unary, "fcvt_wu_s", 0xc0100053, 0xfff0007f},
    {layout::unary, "fclass_s", 0xe0001053, 0xfff0707f},
    {layout::r, "feq_s", 0xa0002053, 0xfe00707f},
    {layout::r, "flt_s", 0xa0001053, 0xfe00707f},
    {layout::r, "fle_s", 0xa0000053, 0xfe00707f},
};

// Group 22 (D).
constexpr e double_fp[] = {
    {layout::fp_load, "fld", 0x00003007},
    {layout::fp_store, "fsd", 0x00003027},
    {layout::fp_r, "fadd_d", 0x02000053, 0xfe00007f},
    {layout::fp_r, "fsub_d", 0x0a000053, 0xfe00007f},
    {layout::fp_r, "fmul_d", 0x12000053, 0xfe00007f},
    {layout::fp_r, "fdiv_d", 0x1a000053, 0xfe00007f},
    {layout::fp_unary, "fsqrt_d", 0x5a000053},
    {layout::fp_r, "fmin_d", 0x2a000053, 0xfe00707f},
    {layout::fp_r, "fmax_d", 0x2a001053, 0xfe00707f},
    {layout::fp_r4, "fmadd_d", 0x02000043},
    {layout::fp_r4, "fmsub_d", 0x02000047},
    {layout::fp_r4, "fnmadd_d", 0x0200004f},
    {layout::fp_r4, "fnmsub_d", 0x0200004b},
    {layout::fp_r, "fsgnj_d", 0x22000053, 0xfe00707f},
    {layout::fp_r, "fsgnjn_d", 0x22001053, 0xfe00707f},
    {layout::fp_r, "fsgnjx_d", 0x22002053, 0xfe00707f},
    {layout::fp_unary, "fcvt_d_s", 0x42000053},
    {layout::fp_unary, "fcvt_d_q", 0x42300053},
    {layout::fp_from_int, "fcvt_d_l", 0xd2200053, 0xfff0007f},
    {layout::fp_from_int, "fcvt_d_lu", 0xd2300053, 0xfff0007f},
    {layout::fp_from_int, "fcvt_d_w", 0xd2000053, 0xfff0007f},
    {layout::fp_from_int, "fcvt_d_wu", 0xd2100053, 0xfff0007f},
    {layout::fp_from_int, "fmv_d_x", 0xf2000053, 0xfff0707f},
    {layout::int_from_fp, "fcvt_l_d", 0xc2200053, 0xfff0007f},
    {layout::int_from_fp, "fcvt_lu_d", 0xc2300053, 0xfff0007f},
    {layout::int_from_fp, "fcvt_w_d", 0xc2000053, 0xfff0007f},
    {layout::int_from_fp, "fcvt_wu_d", 0xc2100053, 0xfff0007f},
    {layout::int_from_fp, "fclass_d", 0xe2001053, 0xfff0707f},
    {layout::int_from_fp, "fmv_x_d", 0xe2000053, 0xfff0707f},
    {layout::fp_compare, "feq_d", 0xa2002053},
    {layout::fp_compare, "flt_d", 0xa2001053},
    {layout::fp_compare, "fle_d", 0xa2000053},
};

// Group 23 (zfa), one block per precision and the register-pair moves.
constexpr e zfa_single[] = {
    {layout::fli, "fli_s", 0xf0100053},
    {layout::fp_r, "fminm_s", 0x28002053, 0xfe00707f},
    {layout::fp_r, "fmaxm_s", 0x28003053, 0xfe00707f},
    {layout::fp_unary, "fround_s", 0x40400053},
    {layout::fp_unary, "froundnx_s", 0x40500053},
    {layout::fp_compare, "fleq_s", 0xa0004053},
    {layout::fp_compare, "fltq_s", 0xa0005053},
};
constexpr e zfa_half[] = {
    {layout::fli, "fli_h", 0xf4100053},
    {layout::fp_r, "fminm_h", 0x2c002053, 0xfe00707f},
    {layout::fp_r, "fmaxm_h", 0x2c003053, 0xfe00707f},
    {layout::fp_unary, "fround_h", 0x44400053},
    {layout::fp_unary, "froundnx_h", 0x44500053},
    {layout::fp_compare, "fleq_h", 0xa4004053},
    {layout::fp_compare, "fltq_h", 0xa4005053},
};
constexpr e zfa_double[] = {
    {layout::fli, "fli_d", 0xf2100053},
    {layout::fp_r, "fminm_d", 0x2a002053, 0xfe00707f},
    {layout::fp_r, "fmaxm_d", 0x2a003053, 0xfe00707f},
    {layout::fp_unary, "fround_d", 0x42400053},
    {layout::fp_unary, "froundnx_d", 0x42500053},
    {layout::fp_compare, "fleq_d", 0xa2004053},
    {layout::fp_compare, "fltq_d", 0xa2005053},
};
constexpr e zfa_double_rv32[] = {
    {layout::fp_from_int_pair, "fmvp_d_x", 0xb2000053},
    {layout::int_from_fp, "fmvh_x_d", 0xe2100053, 0xfff0707f},
};
constexpr e zfa_quad[] = {
    {layout::fli, "fli_q", 0xf6100053},
    {layout::fp_r, "fminm_q", 0x2e002053, 0xfe00707f},
    {layout::fp_r, "fmaxm_q", 0x2e003053, 0xfe00707f},
    {layout::fp_unary, "fround_q", 0x46400053},
    {layout::fp_unary, "froundnx_q", 0x46500053},
    {layout::fp_compare, "fleq_q", 0xa6004053},
    {layout::fp_compare, "fltq_q", 0xa6005053},
};
constexpr e zfa_quad_rv64[] = {
    {layout::fp_from_int_pair, "fmvp_q_x", 0xb6000053},
    {layout::int_from_fp, "fmvh_x_q", 0xe6100053, 0xfff0707f},
};

// Group 24 (zdinx): double precision in the integer registers.
constexpr e double_in_x[] = {
    {layout::r, "fadd_d", 0x02000053, 0xfe00007f},
    {layout::r, "fsub_d", 0x0a000053, 0xfe00007f},
    {layout::r, "fmul_d", 0x12000053, 0xfe00007f},
    {layout::r, "fdiv_d", 0x1a000053, 0xfe00007f},
    {layout::unary, "fsqrt_d", 0x5a000053, 0xfff0007f},
    {layout::r, "fmin_d", 0x2a000053, 0xfe00707f},
    {layout::r, "fmax_d", 0x2a001053, 0xfe00707f},
    {layout::r4, "fmadd_d", 0x02000043, 0x0600007f},
    {layout::r4, "fmsub_d", 0x02000047, 0x0600007f},
    {layout::r4, "fnmadd_d", 0x0200004f, 0x0600007f},
    {layout::r4, "fnmsub_d", 0x0200004b, 0x0600007f},
    {layout::r, "fsgnj_d", 0x22000053, 0xfe00707f},
    {layout::r, "fsgnjn_d", 0x22001053, 0xfe00707f},
    {layout::r, "fsgnjx_d", 0x22002053, 0xfe00707f},
    {layout::unary, "fcvt_d_s", 0x42000053, 0xfff0007f},
    {layout::unary, "fcvt_d_l", 0xd2200053, 0xfff0007f},
    {layout::unary, "fcvt_d_lu", 0xd2300053, 0xfff0007f},
    {layout::unary, "fcvt_d_w", 0xd2000053, 0xfff0007f},
    {layout::unary, "fcvt_d_wu", 0xd2100053, 0xfff0007f},
    {layout::unary, "fcvt_l_d", 0xc2200053, 0xfff0007f},
    {layout::unary, "fcvt_lu_d", 0xc2300053, 0xfff0007f},
    {layout::unary, "fcvt_w_d", 0xc2000053, 0xfff0007f},
    {layout::unary, "fcvt_wu_d", 0xc2100053, 0xfff0007f},
    {layout::unary, "fclass_d", 0xe2001053, 0xfff0707f},
    {layout::r, "feq_d", 0xa2002053, 0xfe00707f},
    {layout::r, "flt_d", 0xa2001053, 0xfe00707f},
    {layout::r, "fle_d", 0xa2000053, 0xfe00707f},
};

// Group 25 (zfh): half precision without loads, stores, moves and
// conversions between formats (groups 27 and 28 hold those).
constexpr e half_fp[] = {
    {layout::fp_r, "fadd_h", 0x04000053, 0xfe00007f},
    {layout::fp_r, "fsub_h", 0x0c000053, 0xfe00007f},
    {layout::fp_r, "fmul_h", 0x14000053, 0xfe00007f},
    {layout::fp_r, "fdiv_h", 0x1c000053, 0xfe00007f},
    {layout::fp_unary, "fsqrt_h", 0x5c000053},
    {layout::fp_r, "fmin_h", 0x2c000053, 0xfe00707f},
    {layout::fp_r, "fmax_h", 0x2c001053, 0xfe00707f},
    {layout::fp_r4, "fmadd_h", 0x04000043},
    {layout::fp_r4, "fmsub_h", 0x04000047},
    {layout::fp_r4, "fnmadd_h", 0x0400004f},
    {layout::fp_r4, "fnmsub_h", 0x0400004b},
    {layout::fp_r, "fsgnj_h", 0x24000053, 0xfe00707f},
    {layout::fp_r, "fsgnjn_h", 0x24001053, 0xfe00707f},
    {layout::fp_r, "fsgnjx_h", 0x24002053, 0xfe00707f},
    {layout::fp_from_int, "fcvt_h_l", 0xd4200053, 0xfff0007f},
    {layout::fp_from_int, "fcvt_h_lu", 0xd4300053, 0xfff0007f},
    {layout::fp_from_int, "fcvt_h_w", 0xd4000053, 0xfff0007f},
    {layout::fp_from_int, "fcvt_h_wu", 0xd4100053, 0xfff0007f},
    {layout::int_from_fp, "fcvt_l_h", 0xc4200053, 0xfff0007f},
    {layout::int_from_fp, "fcvt_lu_h", 0xc4300053, 0xfff0007f},
    {layout::int_from_fp, "fcvt_w_h", 0xc4000053, 0xfff0007f},
    {layout::int_from_fp, "fcvt_wu_h", 0xc4100053, 0xfff0007f},
    {layout::int_from_fp, "fclass_h", 0xe4001053, 0xfff0707f},
    {layout::fp_compare, "feq_h", 0xa4002053},
    {layout::fp_compare, "flt_h", 0xa4001053},
    {layout::fp_compare, "fle_h", 0xa4000053},
};

// Group 26 (zhinx): the names of group 25 in the integer registers.
constexpr e half_in_x[] = {
    {layout::r, "fadd_h", 0x04000053, 0xfe00007f},
    {layout::r, "fsub_h", 0x0c000053, 0xfe00007f},
    {layout::r, "fmul_h", 0x14000053, 0xfe00007f},
    {layout::r, "fdiv_h", 0x1c000053, 0xfe00007f},
    {layout::unary, "fsqrt_h", 0x5c000053, 0xfff0007f},
    {layout::r, "fmin_h", 0x2c000053, 0xfe00707f},
    {layout::r, "fmax_h", 0x2c001053, 0xfe00707f},
    {layout::r4, "fmadd_h", 0x04000043, 0x0600007f},
    {layout::r4, "fmsub_h", 0x04000047, 0x0600007f},
    {layout::r4, "fnmadd_h", 0x0400004f, 0x0600007f},
    {layout::r4, "fnmsub_h", 0x0400004b, 0x0600007f},
    {layout::r, "fsgnj_h", 0x24000053, 0xfe00707f},
    {layout::r, "fsgnjn_h", 0x24001053, 0xfe00707f},
    {layout::r, "fsgnjx_h", 0x24002053, 0xfe00707f},
    {layout::unary, "fcvt_h_l", 0xd4200053, 0xfff0007f},
    {layout::unary, "fcvt_h_lu", 0xd4300053, 0xfff0007f},
    {layout::unary, "fcvt_h_w", 0xd4000053, 0xfff0007f},
    {layout::unary, "fcvt_h_wu", 0xd4100053, 0xfff0007f},
    {layout::unary, "fcvt_l_h", 0xc4200053, 0xfff0007f},
    {layout::unary, "fcvt_lu_h", 0xc4300053, 0xfff0007f},
    {layout::unary, "fcvt_w_h", 0xc4000053, 0xfff0007f},
    {layout::unary, "fcvt_wu_h", 0xc4100053, 0xfff0007f},
    {layout::unary, "fclass_h", 0xe4001053, 0xfff0707f},
    {layout::r, "feq_h", 0xa4002053, 0xfe00707f},
    {layout::r, "flt_h", 0xa4001053, 0xfe00707f},
    {layout::r, "fle_h", 0xa4000053, 0xfe00707f},
};

// Group 27 (zfhmin).
constexpr e half_conversions[] = {
    {layout::fp_unary, "fcvt_h_s", 0x44000053}, {layout::fp_unary, "fcvt_h_d", 0x44100053},
    {layout::fp_unary, "fcvt_h_q", 0x44300053}, {layout::fp_unary, "fcvt_s_h", 0x40200053},
    {layout::fp_unary, "fcvt_d_h", 0x42200053}, {layout::fp_unary, "fcvt_q_h", 0x46200053},
};

// Group 28 (half_fp_transfer: zfhmin, zfbfmin or zvfbfmin).
constexpr e half_transfer[] = {
    {layout::fp_load, "flh", 0x00001007},
    {layout::fp_store, "fsh", 0x00001027},
    {layout::fp_from_int, "fmv_h_x", 0xf4000053, 0xfff0707f},
    {layout::int_from_fp, "fmv_x_h", 0xe4000053, 0xfff0707f},
};

// Group 29 (zhinxmin).
constexpr e half_conversions_in_x[] = {
    {layout::unary, "fcvt_h_s", 0x44000053, 0xfff0007f},
    {layout::unary, "fcvt_h_d", 0x44100053, 0xfff0007f},
    {layout::unary, "fcvt_s_h", 0x40200053, 0xfff0007f},
    {layout::unary, "fcvt_d_h", 0x42200053, 0xfff0007f},
};

// Group 30 (Q).
constexpr e quad_fp[] = {
    {layout::fp_load, "flq", 0x00004007},
    {layout::fp_store, "fsq", 0x00004027},
    {layout::fp_r, "fadd_q", 0x06000053, 0xfe00007f},
    {layout::fp_r, "fsub_q", 0x0e000053, 0xfe00007f},
    {layout::fp_r, "fmul_q", 0x16000053, 0xfe00007f},
    {layout::fp_r, "fdiv_q", 0x1e000053, 0xfe00007f},
    {layout::fp_unary, "fsqrt_q", 0x5e000053},
    {layout::fp_r, "fmin_q", 0x2e000053, 0xfe00707f},
    {layout::fp_r, "fmax_q", 0x2e001053, 0xfe00707f},
    {layout::fp_r4, "fmadd_q", 0x06000043},
    {layout::fp_r4, "fmsub_q", 0x06000047},
    {layout::fp_r4, "fnmadd_q", 0x0600004f},
    {layout::fp_r4, "fnmsub_q", 0x0600004b},
    {layout::fp_r, "fsgnj_q", 0x26000053, 0xfe00707f},
    {layout::fp_r, "fsgnjn_q", 0x26001053, 0xfe00707f},
    {layout::fp_r, "fsgnjx_q", 0x26002053, 0xfe00707f},
    {layout::fp_unary, "fcvt_q_s", 0x46000053},
    {layout::fp_unary, "fcvt_q_d", 0x46100053},
    {layout::fp_from_int, "fcvt_q_l", 0xd6200053, 0xfff0007f},
    {layout::fp_from_int, "fcvt_q_lu", 0xd6300053, 0xfff0007f},
    {layout::fp_from_int, "fcvt_q_w", 0xd6000053, 0xfff0007f},
    {layout::fp_from_int, "fcvt_q_wu", 0xd6100053, 0xfff0007f},
    {layout::int_from_fp, "fcvt_l_q", 0xc6200053, 0xfff0007f},
    {layout::int_from_fp, "fcvt_lu_q", 0xc6300053, 0xfff0007f},
    {layout::int_from_fp, "fcvt_w_q", 0xc6000053, 0xfff0007f},
    {layout::int_from_fp, "fcvt_wu_q", 0xc6100053, 0xfff0007f},
    {layout::int_from_fp, "fclass_q", 0xe6001053, 0xfff0707f},
    {layout::fp_compare, "feq_q", 0xa6002053},
    {layout::fp_compare, "flt_q", 0xa6001053},
    {layout::fp_compare, "fle_q", 0xa6000053},
};

// Group 31 (zfbfmin).
constexpr e bfloat_conversions[] = {
    {layout::fp_unary, "fcvt_bf16_s", 0x44800053},
    {layout::fp_unary, "fcvt_s_bf16", 0x40600053},
};

// Group 32 (H).
constexpr e hypervisor[] = {
    {layout::reg_load, "hlv_b", 0x60004073, 0xfff0707f},
    {layout::reg_load, "hlv_bu", 0x60104073, 0xfff0707f},
    {layout::reg_load, "hlv_h", 0x64004073, 0xfff0707f},
    {layout::reg_load, "hlv_hu", 0x64104073, 0xfff0707f},
    {layout::reg_load, "hlv_w", 0x68004073, 0xfff0707f},
    {layout::reg_load, "hlv_wu", 0x68104073, 0xfff0707f},
    {layout::reg_load, "hlv_d", 0x6c004073, 0xfff0707f},
    {layout::reg_load, "hlvx_hu", 0x64304073, 0xfff0707f},
    {layout::reg_load, "hlvx_wu", 0x68304073, 0xfff0707f},
    {layout::reg_store, "hsv_b", 0x62004073, 0xfe007fff},
    {layout::reg_store, "hsv_h", 0x66004073, 0xfe007fff},
    {layout::reg_store, "hsv_w", 0x6a004073, 0xfe007fff},
    {layout::reg_store, "hsv_d", 0x6e004073, 0xfe007fff},
    {layout::rs1_rs2, "hfence_gvma", 0x62000073},
    {layout::rs1_rs2, "hfence_vvma", 0x22000073},
};

// Group 33 (zca). The entries of opcode chain 2 (c.ebreak to c.jalr) come
// before c.mv and c.add, which sit in a compressed chain probed later;
// c.addi16sp comes before c.lui, c.nop before c.addi.
constexpr e compressed[] = {
    {layout::no_args, "c_ebreak", "ebreak", 0x9002, 0xffff, insn_id("c_add")},
    {form::c_ret, "c_ret", "ret", 0x8082, 0xffff, insn_id("c_jr")},
    {form::c_jr, "c_jr", "jr", 0x8002, 0xf07f, insn_id("c_jr")},
    {form::c_jalr, "c_jalr", "jalr", 0x9002, 0xf07f, insn_id("c_jalr")},
    {layout::no_args, "c_nop", "nop", 0x0001, 0xffff, insn_id("c_addi")},
    {form::c_addi16sp, "c_addi", "addi", 0x6101, 0xef83, insn_id("c_addi16sp")},
    {form::c_addi4spn, "c_addi", "addi", 0x0000, 0xe003, insn_id("c_addi4spn")},
    {form::c_li, "c_li", "li", 0x4001, 0xe003, insn_id("c_li")},
    {form::c_lui, "c_lui", "lui", 0x6001, 0xe003, insn_id("c_lui")},
    {form::c_addi, "c_addi", "addi", 0x0001, 0xe003, insn_id("c_addi")},
    {form::c_slli, "c_slli", "slli", 0x0002, 0xe003, insn_id("c_slli")},
    {form::c_shift_p, "c_srli", "srli", 0x8001, 0xec03, insn_id("c_srli")},
    {form::c_shift_p, "c_srai", "srai", 0x8401, 0xec03, insn_id("c_srai")},
    {form::c_andi, "c_andi", "andi", 0x8801, 0xec03, insn_id("c_andi")},
    {form::c_mv, "c_mv", "add", 0x8002, 0xf003, insn_id("c_mv")},
    {form::c_add, "c_add", "add", 0x9002, 0xf003, insn_id("c_add")},
    {form::c_alu_p, "c_addw", "addw", 0x9c21, 0xfc63, insn_id("c_addw")},
    {form::c_alu_p, "c_sub", "sub", 0x8c01, 0xfc63, insn_id("c_sub")},
    {form::c_alu_p, "c_subw", "subw", 0x9c01, 0xfc63, insn_id("c_subw")},
    {form::c_alu_p, "c_and", "and", 0x8c61, 0xfc63, insn_id("c_and")},
    {form::c_alu_p, "c_or", "or", 0x8c41, 0xfc63, insn_id("c_or")},
    {form::c_alu_p, "c_xor", "xor", 0x8c21, 0xfc63, insn_id("c_xor")},
    {form::c_lwsp, "c_lw", "lw", 0x4002, 0xe003, insn_id("c_lwsp")},
    {form::c_swsp, "c_sw", "sw", 0xc002, 0xe003, insn_id("c_swsp")},
    {form::c_lw, "c_lw", "lw", 0x4000, 0xe003, insn_id("c_lw")},
    {form::c_sw, "c_sw", "sw", 0xc000, 0xe003, insn_id("c_sw")},
    {form::c_branch, "c_beqz", "beqz", 0xc001, 0xe003, insn_id("c_beqz")},
    {form::c_branch, "c_bnez", "bnez", 0xe001, 0xe003, insn_id("c_bnez")},
    {form::c_j, "c_j", "j", 0xa001, 0xe003, insn_id("c_j")},
};
constexpr e compressed_addiw[] = {
    {form::c_addi, "c_addiw", "addiw", 0x2001, 0xe003, insn_id("c_addiw")},
};
constexpr e compressed_jal[] = {
    {form::c_jal, "c_jal", "jal", 0x2001, 0xe003, insn_id("c_jal")},
};
constexpr e compressed_doubleword[] = {
    {form::c_ld, "c_ld", "ld", 0x6000, 0xe003, insn_id("c_ld")},
    {form::c_ldsp, "c_ld", "ld", 0x6002, 0xe003, insn_id("c_ldsp")},
    {form::c_sd, "c_sd", "sd", 0xe000, 0xe003, insn_id("c_sd")},
    {form::c_sdsp, "c_sd", "sd", 0xe002, 0xe003, insn_id("c_sdsp")},
};

// Group 34 (zcd and D).
constexpr e compressed_double[] = {
    {form::c_fld, "c_fld", "fld", 0x2000, 0xe003, insn_id("c_fld")},
    {form::c_fldsp, "c_fldsp", "fld", 0x2002, 0xe003, insn_id("c_fldsp")},
    {form::c_fsd, "c_fsd", "fsd", 0xa000, 0xe003, insn_id("c_fsd")},
    {form::c_fsdsp, "c_fsdsp", "fsd", 0xa002, 0xe003, insn_id("c_fsdsp")},
};

// Group 35 (zcf and F).
constexpr e compressed_single[] = {
    {form::c_flw, "c_flw", "flw", 0x6000, 0xe003, insn_id("c_flw")},
    {form::c_flwsp, "c_flw", "flw", 0x6002, 0xe003, insn_id("c_flwsp")},
    {form::c_fsw, "c_fsw", "fsw", 0xe000, 0xe003, insn_id("c_fsw")},
    {form::c_fswsp, "c_fsw", "fsw", 0xe002, 0xe003, insn_id("c_fswsp")},
};

// Group 36 (zcb); c.zext.w is added between these blocks on RV64 only.
constexpr e zcb_extend[] = {
    {form::c_unary_p, "c_zext_b", 0x9c61, 0xfc7f},
    {form::c_unary_p, "c_sext_b", 0x9c65, 0xfc7f},
    {form::c_unary_p, "c_zext_h", 0x9c69, 0xfc7f},
    {form::c_unary_p, "c_sext_h", 0x9c6d, 0xfc7f},
};
constexpr e zcb_zext_w[] = {
    {form::c_unary_p, "c_zext_w", 0x9c71, 0xfc7f},
};
constexpr e zcb_rest[] = {
    {form::c_unary_p, "c_not", 0x9c75, 0xfc7f},
    {form::c_mul, "c_mul", 0x9c41, 0xfc63},
    {form::c_lbu, "c_lbu", 0x8000, 0xfc03},
    {form::c_lh, "c_lhu", 0x8400, 0xfc43},
    {form::c_lh, "c_lh", 0x8440, 0xfc43},
    {form::c_sb, "c_sb", 0x8800, 0xfc03},
    {form::c_sh, "c_sh", 0x8c00, 0xfc43},
};

// Group 37 (zcmp): the stack adjustment depends on the register width.
constexpr e zcmp_rv32[] = {
    {form::cm_push_rv32, "cm_push", 0xb802, 0xff03},
    {form::cm_pop_rv32, "cm_pop", 0xba02, 0xff03},
    {form::cm_pop_rv32, "cm_popret", 0xbe02, 0xff03},
    {form::cm_pop_rv32, "cm_popretz", 0xbc02, 0xff03},
    {form::cm_mv, "cm_mva01s", 0xac62, 0xfc63},
    {form::cm_mv, "cm_mvsa01", 0xac22, 0xfc63},
};
constexpr e zcmp_rv64[] = {
    {form::cm_push_rv64, "cm_push", 0xb802, 0xff03},
    {form::cm_pop_rv64, "cm_pop", 0xba02, 0xff03},
    {form::cm_pop_rv64, "cm_popret", 0xbe02, 0xff03},
    {form::cm_pop_rv64, "cm_popretz", 0xbc02, 0xff03},
    {form::cm_mv, "cm_mva01s", 0xac62, 0xfc63},
    {form::cm_mv, "cm_mvsa01", 0xac22, 0xfc63},
};

// Group 38 (zcmt): cm.jt (index below 32) shares cm.jalt's match with a
// narrower mask, so it must come first.
constexpr e zcmt[] = {
    {form::cm_jt, "cm_jt", 0xa002, 0xff83, insn_id("cm_jalt")},
    {form::cm_jt, "cm_jalt", 0xa002, 0xfc03},
};

template <std::size_t N>
void add_custom_entries(disassembler_t& d, isa_parser_i const& isa,
                        custom_entry_t const (&entries)[N]) {
  unsigned const present = (isa.extension_enabled(EXT_XKGOSTK) ? kgostk : 0u) |
                           (isa.extension_enabled(EXT_XKGOSTM) ? kgostm : 0u) |
                           (isa.extension_enabled(EXT_XKGOSTS) ? kgosts : 0u);
  for (custom_entry_t const& c : entries)
    if (c.needs & present) add_entries(d, &c.entry, 1);
}

}  // namespace

void add_scalar_groups(disassembler_t& d, isa_parser_i const* isa) {
  auto has = [isa](unsigned char letter) { return isa->extension_enabled(letter); };
  auto has_ext = [isa](isa_extension_t ext) { return isa->extension_enabled(ext); };
  // Exact comparisons: a width other than 32 and 64 is neither.
  uint32_t const xlen = isa->get_max_xlen();
  bool const rv32 = xlen == 32;
  bool const rv64 = xlen == 64;

  add_entries(d, fixed_and_memory);                                           // 1
  if (has('A') || has_ext(EXT_ZAAMO)) add_entries(d, amo_ops);                // 2
  if (has('A') || has_ext(EXT_ZALRSC)) add_entries(d, lr_sc);                 // 3
  if (has_ext(EXT_ZACAS)) add_entries(d, amo_cas);                            // 4
  if (has_ext(EXT_ZABHA)) add_entries(d, amo_byte_half);                      // 5
  if (has_ext(EXT_ZAWRS)) add_entries(d, wait_on_reservation);                // 6
  if (has_ext(EXT_ZICFILP)) add_entries(d, landing_pad);                      // 7
  add_entries(d, base_integer);                                               // 8
  add_entries(d, draft_bitmanip);                                             // 9
  if (rv32)                                                                   // 10
    add_custom_entries(d, *isa, custom_rv32);
  else if (rv64)
    add_custom_entries(d, *isa, custom_rv64);
  add_entries(d, system_and_csr);                                             // 11
  if (has('S')) add_entries(d, supervisor);                                   // 12
  if (has('M')) add_entries(d, mul_div);                                      // 13
  if (has_ext(EXT_ZBA)) {                                                     // 14
    add_entries(d, zba);
    if (rv64) add_entries(d, zba_rv64);
  }
  if (has_ext(EXT_ZBB)) {                                                     // 15
    add_entries(d, zbb);
    table_entry_t const rev8(layout::unary, "rev8", grevi_match(uint32_t(xlen - 8)), 0xfff0707f,
                             insn_id("grevi"));
    add_entries(d, &rev8, 1);
    add_entries(d, zbb_orc_b);
    add_entries(d, rv32 ? zbb_zext_h_rv32 : zbb_zext_h_other);
    if (rv64) add_entries(d, zbb_rv64);
  }
  if (has_ext(EXT_ZBC)) add_entries(d, zbc);                                  // 16
  if (has_ext(EXT_ZBS)) add_entries(d, zbs);                                  // 17
  if (has_ext(EXT_ZBKB)) {                                                    // 18
    add_entries(d, zbkb);
    if (rv64) add_entries(d, zbkb_rv64);
  }
  if (has_ext(EXT_SVINVAL)) add_entries(d, svinval);                          // 19
  if (has('F')) add_entries(d, single_fp);                                    // 20
  if (has_ext(EXT_ZFINX)) add_entries(d, single_in_x);                        // 21
  if (has('D')) add_entries(d, double_fp);                                    // 22
  if (has_ext(EXT_ZFA)) {                                                     // 23
    add_entries(d, zfa_single);
    if (has_ext(EXT_ZFH) || has_ext(EXT_ZVFH)) add_entries(d, zfa_half);
    if (has('D')) {
      add_entries(d, zfa_double);
      if (rv32) add_entries(d, zfa_double_rv32);
    }
    if (has('Q')) {
      add_entries(d, zfa_quad);
      if (rv64) add_entries(d, zfa_quad_rv64);
    }
  }
  if (has_ext(EXT_ZDINX)) add_entries(d, double_in_x);                        // 24
  if (has_ext(EXT_ZFH)) add_entries(d, half_fp);                              // 25
  if (has_ext(EXT_ZHINX)) add_entries(d, half_in_x);                          // 26
  if (has_ext(EXT_ZFHMIN)) add_entries(d, half_conversions);                  // 27
  if (has_ext(EXT_HALF_FP_TRANSFER)) add_entries(d, half_transfer);           // 28
  if (has_ext(EXT_ZHINXMIN)) add_entries(d, half_conversions_in_x);           // 29
  if (has('Q')) add_entries(d, quad_fp);                                      // 30
  if (has_ext(EXT_ZFBFMIN)) add_entries(d, bfloat_conversions);               // 31
  if (has('H')) add_entries(d, hypervisor);                                   // 32
  if (has_ext(EXT_ZCA)) {                                                     // 33
    add_entries(d, compressed);
    add_entries(d, rv32 ? compressed_jal : compressed_addiw);
    if (rv64 || has_ext(EXT_ZCMLSD)) add_entries(d, compressed_doubleword);
  }
  if (has_ext(EXT_ZCD) && has('D')) add_entries(d, compressed_double);        // 34
  if (has_ext(EXT_ZCF) && has('F')) add_entries(d, compressed_single);        // 35
  if (has_ext(EXT_ZCB)) {                                                     // 36
    add_entries(d, zcb_extend);
    if (rv64) add_entries(d, zcb_zext_w);
    add_entries(d, zcb_rest);
  }
  if (has_ext(EXT_ZCMP)) add_entries(d, rv32 ? zcmp_rv32 : zcmp_rv64);        // 37
  if (has_ext(EXT_ZCMT)) add_entries(d, zcmt);                                // 38
  // The vector group (add_vector_groups) continues the table from here.
}
