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

#include "disasm/disassembler.h"
#include "disasm/insn_ids.h"
#include "disasm/isa_parser.h"
#include "disasm/tables/groups.h"
#include "disasm/tables/table_rows.h"

namespace {

using namespace insn_format;
using e = table_entry_t;

// Group 1: the two fixed entries first, then the hints and the integer
// loads and stores (lwu, ld and sd on every width).
constexpr e fixed_and_memory[] = {
    {no_operands, "unimp", 0xc0001073, 0xffffffff},
    {no_operands, "c_unimp", 0x00000000, 0x0000ffff},
    {at_rs1, "prefetch_r", 0x00106013, 0x01f07fff},
    {at_rs1, "prefetch_w", 0x00306013, 0x01f07fff},
    {at_rs1, "prefetch_i", 0x00006013, 0x01f07fff},
    {no_operands, "pause", 0x0100000f, 0xffffffff},
    {rd_load_address, "lb", 0x00000003},
    {rd_load_address, "lbu", 0x00004003},
    {rd_load_address, "lh", 0x00001003},
    {rd_load_address, "lhu", 0x00005003},
    {rd_load_address, "lw", 0x00002003},
    {rd_load_address, "lwu", 0x00006003},
    {rd_load_address, "ld", 0x00003003},
    {rs2_store_address, "sb", 0x00000023},
    {rs2_store_address, "sh", 0x00001023},
    {rs2_store_address, "sw", 0x00002023},
    {rs2_store_address, "sd", 0x00003023},
};

// Group 2 (A or zaamo).
constexpr e amo_ops[] = {
    {rd_rs2_at_rs1, "amoadd_w", 0x0000202f, 0xf800707f},
    {rd_rs2_at_rs1, "amoswap_w", 0x0800202f, 0xf800707f},
    {rd_rs2_at_rs1, "amoand_w", 0x6000202f, 0xf800707f},
    {rd_rs2_at_rs1, "amoor_w", 0x4000202f, 0xf800707f},
    {rd_rs2_at_rs1, "amoxor_w", 0x2000202f, 0xf800707f},
    {rd_rs2_at_rs1, "amomin_w", 0x8000202f, 0xf800707f},
    {rd_rs2_at_rs1, "amomax_w", 0xa000202f, 0xf800707f},
    {rd_rs2_at_rs1, "amominu_w", 0xc000202f, 0xf800707f},
    {rd_rs2_at_rs1, "amomaxu_w", 0xe000202f, 0xf800707f},
    {rd_rs2_at_rs1, "amoadd_d", 0x0000302f, 0xf800707f},
    {rd_rs2_at_rs1, "amoswap_d", 0x0800302f, 0xf800707f},
    {rd_rs2_at_rs1, "amoand_d", 0x6000302f, 0xf800707f},
    {rd_rs2_at_rs1, "amoor_d", 0x4000302f, 0xf800707f},
    {rd_rs2_at_rs1, "amoxor_d", 0x2000302f, 0xf800707f},
    {rd_rs2_at_rs1, "amomin_d", 0x8000302f, 0xf800707f},
    {rd_rs2_at_rs1, "amomax_d", 0xa000302f, 0xf800707f},
    {rd_rs2_at_rs1, "amominu_d", 0xc000302f, 0xf800707f},
    {rd_rs2_at_rs1, "amomaxu_d", 0xe000302f, 0xf800707f},
};

// Group 3 (A or zalrsc): lr only reads memory.
constexpr e lr_sc[] = {
    e(rd_rs2_at_rs1, "lr_w", 0x1000202f, 0xf9f0707f).with_flags(RS1 | RD | MEM),
    {rd_rs2_at_rs1, "sc_w", 0x1800202f, 0xf800707f},
    e(rd_rs2_at_rs1, "lr_d", 0x1000302f, 0xf9f0707f).with_flags(RS1 | RD | MEM),
    {rd_rs2_at_rs1, "sc_d", 0x1800302f, 0xf800707f},
};

// Group 4 (zacas).
constexpr e amo_cas[] = {
    {rd_rs2_at_rs1, "amocas_w", 0x2800202f, 0xf800707f},
    {rd_rs2_at_rs1, "amocas_d", 0x2800302f, 0xf800707f},
    {rd_rs2_at_rs1, "amocas_q", 0x2800402f, 0xf800707f},
};

// Group 5 (zabha).
constexpr e amo_byte_half[] = {
    {rd_rs2_at_rs1, "amoadd_b", 0x0000002f, 0xf800707f},
    {rd_rs2_at_rs1, "amoswap_b", 0x0800002f, 0xf800707f},
    {rd_rs2_at_rs1, "amoand_b", 0x6000002f, 0xf800707f},
    {rd_rs2_at_rs1, "amoor_b", 0x4000002f, 0xf800707f},
    {rd_rs2_at_rs1, "amoxor_b", 0x2000002f, 0xf800707f},
    {rd_rs2_at_rs1, "amomin_b", 0x8000002f, 0xf800707f},
    {rd_rs2_at_rs1, "amomax_b", 0xa000002f, 0xf800707f},
    {rd_rs2_at_rs1, "amominu_b", 0xc000002f, 0xf800707f},
    {rd_rs2_at_rs1, "amomaxu_b", 0xe000002f, 0xf800707f},
    {rd_rs2_at_rs1, "amocas_b", 0x2800002f, 0xf800707f},
    {rd_rs2_at_rs1, "amoadd_h", 0x0000102f, 0xf800707f},
    {rd_rs2_at_rs1, "amoswap_h", 0x0800102f, 0xf800707f},
    {rd_rs2_at_rs1, "amoand_h", 0x6000102f, 0xf800707f},
    {rd_rs2_at_rs1, "amoor_h", 0x4000102f, 0xf800707f},
    {rd_rs2_at_rs1, "amoxor_h", 0x2000102f, 0xf800707f},
    {rd_rs2_at_rs1, "amomin_h", 0x8000102f, 0xf800707f},
    {rd_rs2_at_rs1, "amomax_h", 0xa000102f, 0xf800707f},
    {rd_rs2_at_rs1, "amominu_h", 0xc000102f, 0xf800707f},
    {rd_rs2_at_rs1, "amomaxu_h", 0xe000102f, 0xf800707f},
    {rd_rs2_at_rs1, "amocas_h", 0x2800102f, 0xf800707f},
};

// Group 6 (zawrs).
constexpr e wait_on_reservation[] = {
    {no_operands, "wrs_sto", 0x01d00073, 0xffffffff},
    {no_operands, "wrs_nto", 0x00d00073, 0xffffffff},
};

// Group 7 (zicfilp): the landing pad is auipc with rd = x0.
constexpr e landing_pad[] = {
    {u_imm, "lpad", 0x00000017, 0x00000fff},
};

// Group 8: the base integer instructions, each pseudo-instruction form ahead
// of the general form it is a case of.
constexpr e base_integer[] = {
    {jal_target, "j", 0x0000006f, 0x00000fff, insn_id("jal")},
    {jal_target, "jal", 0x000000ef, 0x00000fff},  // rd = ra
    {rd_jal_target, "jal", 0x0000006f, 0x0000007f},
    {rs1_branch_target, "beqz", 0x00000063, 0x01f0707f, insn_id("beq")},
    {rs1_branch_target, "bnez", 0x00001063, 0x01f0707f, insn_id("bne")},
    {rs1_branch_target, "bltz", 0x00004063, 0x01f0707f, insn_id("blt")},
    {rs1_branch_target, "bgez", 0x00005063, 0x01f0707f, insn_id("bge")},
    {rs1_rs2_branch_target, "beq", 0x00000063},
    {rs1_rs2_branch_target, "bne", 0x00001063},
    {rs1_rs2_branch_target, "blt", 0x00004063},
    {rs1_rs2_branch_target, "bge", 0x00005063},
    {rs1_rs2_branch_target, "bltu", 0x00006063},
    {rs1_rs2_branch_target, "bgeu", 0x00007063},
    {rd_u_imm, "lui", 0x00000037, 0x0000007f},
    {rd_u_imm, "auipc", 0x00000017, 0x0000007f},
    {no_operands_reads_rs1_writes_rd, "ret", 0x00008067, 0xffffffff, insn_id("jalr")},
    {rs1_writes_rd, "jr", 0x00000067, 0xfff07fff, insn_id("jalr")},
    {rs1_writes_rd, "jalr", 0x000000e7, 0xfff07fff},  // rd = ra, offset 0
    {rd_rs1_imm, "jalr", 0x00000067},
    {no_operands, "nop", 0x00000013, 0xffffffff, insn_id("addi")},
    {rd_imm, "li", 0x00000013, 0x000ff07f, insn_id("addi")},
    {rd_rs1, "mv", 0x00000013, 0xfff0707f, insn_id("addi")},
    {rd_rs1_imm, "addi", 0x00000013},
    {rd_rs1_imm, "slti", 0x00002013},
    {rd_rs1, "seqz", 0x00103013, 0xfff0707f, insn_id("sltiu")},
    {rd_rs1_imm, "sltiu", 0x00003013},
    {rd_rs1, "not", 0xfff04013, 0xfff0707f, insn_id("xori")},
    {rd_rs1_imm, "xori", 0x00004013},
    {rd_rs1_shamt, "slli", 0x00001013, 0xfc00707f},
    {rd_rs1_shamt, "srli", 0x00005013, 0xfc00707f},
    {rd_rs1_shamt, "srai", 0x40005013, 0xfc00707f},
    {rd_rs1_imm, "ori", 0x00006013},
    {rd_rs1_imm, "andi", 0x00007013},
    {rd_rs1, "sext_w", 0x0000001b, 0xfff0707f, insn_id("addiw")},
    {rd_rs1_imm, "addiw", 0x0000001b},
    {rd_rs1_shamt, "slliw", 0x0000101b, 0xfe00707f},
    {rd_rs1_shamt, "srliw", 0x0000501b, 0xfe00707f},
    {rd_rs1_shamt, "sraiw", 0x4000501b, 0xfe00707f},
    {rd_rs1_rs2, "add", 0x00000033, 0xfe00707f},
    {rd_rs1_rs2, "sub", 0x40000033, 0xfe00707f},
    {rd_rs1_rs2, "sll", 0x00001033, 0xfe00707f},
    {rd_rs1_rs2, "slt", 0x00002033, 0xfe00707f},
    {rd_rs2, "snez", 0x00003033, 0xfe0ff07f, insn_id("sltu")},
    {rd_rs1_rs2, "sltu", 0x00003033, 0xfe00707f},
    {rd_rs1_rs2, "xor", 0x00004033, 0xfe00707f},
    {rd_rs1_rs2, "srl", 0x00005033, 0xfe00707f},
    {rd_rs1_rs2, "sra", 0x40005033, 0xfe00707f},
    {rd_rs1_rs2, "or", 0x00006033, 0xfe00707f},
    {rd_rs1_rs2, "and", 0x00007033, 0xfe00707f},
    {rd_rs1_rs2, "addw", 0x0000003b, 0xfe00707f},
    {rd_rs1_rs2, "subw", 0x4000003b, 0xfe00707f},
    {rd_rs1_rs2, "sllw", 0x0000103b, 0xfe00707f},
    {rd_rs1_rs2, "srlw", 0x0000503b, 0xfe00707f},
    {rd_rs1_rs2, "sraw", 0x4000503b, 0xfe00707f},
};

// Group 9: draft bit-manipulation instructions, always present.
constexpr e draft_bitmanip[] = {
    {rd_rs1_rs2, "bdecompress", 0x48006033, 0xfe00707f},
    {rd_rs1_rs2, "bdecompressw", 0x4800603b, 0xfe00707f},
    {rd_rs1_rs2, "bcompress", 0x08006033, 0xfe00707f},
    {rd_rs1_rs2, "bcompressw", 0x0800603b, 0xfe00707f},
    {rd_rs1_rs2, "bfp", 0x48007033, 0xfe00707f},
    {rd_rs1_rs2, "bfpw", 0x4800703b, 0xfe00707f},
    {rd_rs1_rs2, "gorcw", 0x2800503b, 0xfe00707f},
    {rd_rs1_rs2, "grevw", 0x6800503b, 0xfe00707f},
    {rd_rs1_rs2, "packuw", 0x4800403b, 0xfe00707f},
    {rd_rs1_rs2, "shfl", 0x08001033, 0xfe00707f},
    {rd_rs1_rs2, "shflw", 0x0800103b, 0xfe00707f},
    {rd_rs1_rs2, "unshfl", 0x08005033, 0xfe00707f},
    {rd_rs1_rs2, "unshflw", 0x0800503b, 0xfe00707f},
    {rd_rs1_rs2_rs3, "fsl", 0x04001033, 0x0600707f},
    {rd_rs1_rs2_rs3, "fslw", 0x0400103b, 0x0600707f},
    {rd_rs1, "crc32_b", 0x61001013, 0xfff0707f},
    {rd_rs1, "crc32_h", 0x61101013, 0xfff0707f},
    {rd_rs1, "crc32_w", 0x61201013, 0xfff0707f},
    {rd_rs1, "crc32_d", 0x61301013, 0xfff0707f},
    {rd_rs1, "crc32c_b", 0x61801013, 0xfff0707f},
    {rd_rs1, "crc32c_h", 0x61901013, 0xfff0707f},
    {rd_rs1, "crc32c_w", 0x61a01013, 0xfff0707f},
    {rd_rs1, "crc32c_d", 0x61b01013, 0xfff0707f},
    {rd_rs1_shamt, "gorciw", 0x2800501b, 0xfe00707f},
    {rd_rs1_shamt, "greviw", 0x6800501b, 0xfe00707f},
    {rd_rs1_shamt, "shfli", 0x08001013, 0xfe00707f},
    {rd_rs1_shamt, "unshfli", 0x08005013, 0xfe00707f},
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
    {{rd_rs1_rs2, "kuzn32esx", custom_match(0x42), custom_mask}, kgostk | kgosts},
    {{rd_rs1_rs2, "kuzn32dsx", custom_match(0x43), custom_mask}, kgostk},
    {{rd_rs1_rs2, "kuzn32el", custom_match(0x67), custom_mask}, kgostk},
    {{rd_rs1_rs2, "kuzn32elh", custom_match(0x66), custom_mask}, kgostk},
    {{rd_rs1_rs2, "kuzn32dl", custom_match(0x64), custom_mask}, kgostk},
    {{rd_rs1_rs2, "kuzn32dlh", custom_match(0x65), custom_mask}, kgostk},
    {{rd_rs1_rs2, "magma32g", custom_match(0x68), custom_mask}, kgostm},
    {{rd_rs1_rs2, "sbg32tau1", custom_match(0x50), custom_mask}, kgosts},
    {{rd_rs1_rs2, "sbg32tau2", custom_match(0x51), custom_mask}, kgosts},
    {{rd_rs1_rs2, "sbg32lin1", custom_match(0x52), custom_mask}, kgosts},
    {{rd_rs1_rs2, "sbg32lin2", custom_match(0x53), custom_mask}, kgosts},
};
constexpr custom_entry_t custom_rv64[] = {
    {{rd_rs1_rs2, "kuzn64esx", custom_match(0x02), custom_mask}, kgostk | kgosts},
    {{rd_rs1_rs2, "kuzn64dsx", custom_match(0x03), custom_mask}, kgostk},
    {{rd_rs1_rs2, "kuzn64el", custom_match(0x27), custom_mask}, kgostk},
    {{rd_rs1_rs2, "kuzn64dl", custom_match(0x24), custom_mask}, kgostk},
    {{rd_rs1_rs2, "magma64", custom_match(0x28), custom_mask}, kgostm},
    {{rd_rs1_rs2, "sbg64tau1", custom_match(0x10), custom_mask}, kgosts},
    {{rd_rs1_rs2, "sbg64tau2", custom_match(0x11), custom_mask}, kgosts},
    {{rd_rs1_rs2, "sbg64lin1", custom_match(0x12), custom_mask}, kgosts},
    {{rd_rs1_rs2, "sbg64lin2", custom_match(0x13), custom_mask}, kgosts},
};

// Group 11: system instructions, fences and the CSR instructions, short CSR
// forms first. "unimp" (group 1) already wins over csrw for 0xc0001073.
constexpr e system_and_csr[] = {
    {no_operands, "ecall", 0x00000073, 0xffffffff},
    {no_operands, "ebreak", 0x00100073, 0xffffffff},
    {no_operands, "uret", 0x00200073, 0xffffffff},
    {no_operands, "mret", 0x30200073, 0xffffffff},
    {no_operands, "dret", 0x7b200073, 0xffffffff},
    {no_operands, "wfi", 0x10500073, 0xffffffff},
    {fence, "fence", 0x0000000f, 0x0000707f},
    {no_operands, "fence_i", 0x0000100f, 0x0000707f},
    {rd_csr, "csrr", 0x00002073, 0x000ff07f, insn_id("csrrs")},
    {csr_rs1, "csrw", 0x00001073, 0x00007fff, insn_id("csrrw")},
    {csr_rs1, "csrs", 0x00002073, 0x00007fff, insn_id("csrrs")},
    {csr_rs1, "csrc", 0x00003073, 0x00007fff, insn_id("csrrc")},
    {csr_zimm5, "csrwi", 0x00005073, 0x00007fff, insn_id("csrrwi")},
    {csr_zimm5, "csrsi", 0x00006073, 0x00007fff, insn_id("csrrsi")},
    {csr_zimm5, "csrci", 0x00007073, 0x00007fff, insn_id("csrrci")},
    {rd_csr_rs1, "csrrw", 0x00001073, 0x0000707f},
    {rd_csr_rs1, "csrrs", 0x00002073, 0x0000707f},
    {rd_csr_rs1, "csrrc", 0x00003073, 0x0000707f},
    {rd_csr_zimm5, "csrrwi", 0x00005073, 0x0000707f},
    {rd_csr_zimm5, "csrrsi", 0x00006073, 0x0000707f},
    {rd_csr_zimm5, "csrrci", 0x00007073, 0x0000707f},
};

// Group 12 (S).
constexpr e supervisor[] = {
    {no_operands, "sret", 0x10200073, 0xffffffff},
    {rs1_rs2, "sfence_vma", 0x12000073},
};

// Group 13 (M).
constexpr e mul_div[] = {
    {rd_rs1_rs2, "mul", 0x02000033, 0xfe00707f},   {rd_rs1_rs2, "mulh", 0x02001033, 0xfe00707f},
    {rd_rs1_rs2, "mulhu", 0x02003033, 0xfe00707f}, {rd_rs1_rs2, "mulhsu", 0x02002033, 0xfe00707f},
    {rd_rs1_rs2, "mulw", 0x0200003b, 0xfe00707f},  {rd_rs1_rs2, "div", 0x02004033, 0xfe00707f},
    {rd_rs1_rs2, "divu", 0x02005033, 0xfe00707f},  {rd_rs1_rs2, "rem", 0x02006033, 0xfe00707f},
    {rd_rs1_rs2, "remu", 0x02007033, 0xfe00707f},  {rd_rs1_rs2, "divw", 0x0200403b, 0xfe00707f},
    {rd_rs1_rs2, "divuw", 0x0200503b, 0xfe00707f}, {rd_rs1_rs2, "remw", 0x0200603b, 0xfe00707f},
    {rd_rs1_rs2, "remuw", 0x0200703b, 0xfe00707f},
};

// Group 14 (zba), then its RV64 part.
constexpr e zba[] = {
    {rd_rs1_rs2, "sh1add", 0x20002033, 0xfe00707f},
    {rd_rs1_rs2, "sh2add", 0x20004033, 0xfe00707f},
    {rd_rs1_rs2, "sh3add", 0x20006033, 0xfe00707f},
};
constexpr e zba_rv64[] = {
    {rd_rs1_shamt, "slli_uw", 0x0800101b, 0xfc00707f},
    {rd_rs1, "zext_w", 0x0800003b, 0xfff0707f, insn_id("add_uw")},
    {rd_rs1_rs2, "add_uw", 0x0800003b, 0xfe00707f},
    {rd_rs1_rs2, "sh1add_uw", 0x2000203b, 0xfe00707f},
    {rd_rs1_rs2, "sh2add_uw", 0x2000403b, 0xfe00707f},
    {rd_rs1_rs2, "sh3add_uw", 0x2000603b, 0xfe00707f},
};

// Group 15 (zbb): rev8 and zext.h depend on the width and are added in code
// between these rows.
constexpr e zbb[] = {
    {rd_rs1_rs2, "ror", 0x60005033, 0xfe00707f},
    {rd_rs1_rs2, "rol", 0x60001033, 0xfe00707f},
    {rd_rs1_shamt, "rori", 0x60005013, 0xfc00707f},
    {rd_rs1, "ctz", 0x60101013, 0xfff0707f},
    {rd_rs1, "clz", 0x60001013, 0xfff0707f},
    {rd_rs1, "cpop", 0x60201013, 0xfff0707f},
    {rd_rs1_rs2, "min", 0x0a004033, 0xfe00707f},
    {rd_rs1_rs2, "minu", 0x0a005033, 0xfe00707f},
    {rd_rs1_rs2, "max", 0x0a006033, 0xfe00707f},
    {rd_rs1_rs2, "maxu", 0x0a007033, 0xfe00707f},
    {rd_rs1_rs2, "andn", 0x40007033, 0xfe00707f},
    {rd_rs1_rs2, "orn", 0x40006033, 0xfe00707f},
    {rd_rs1_rs2, "xnor", 0x40004033, 0xfe00707f},
    {rd_rs1, "sext_b", 0x60401013, 0xfff0707f},
    {rd_rs1, "sext_h", 0x60501013, 0xfff0707f},
};
constexpr e zbb_orc_b[] = {
    {rd_rs1, "orc_b", 0x28705013, 0xfff0707f, insn_id("gorci")},
};
constexpr e zbb_zext_h_rv32[] = {
    {rd_rs1, "zext_h", 0x08004033, 0xfff0707f, insn_id("pack")},
};
constexpr e zbb_zext_h_other[] = {
    {rd_rs1, "zext_h", 0x0800403b, 0xfff0707f, insn_id("packw")},
};
constexpr e zbb_rv64[] = {
    {rd_rs1_rs2, "rorw", 0x6000503b, 0xfe00707f},
    {rd_rs1_rs2, "rolw", 0x6000103b, 0xfe00707f},
    {rd_rs1_shamt, "roriw", 0x6000501b, 0xfe00707f},
    {rd_rs1, "ctzw", 0x6010101b, 0xfff0707f},
    {rd_rs1, "clzw", 0x6000101b, 0xfff0707f},
    {rd_rs1, "cpopw", 0x6020101b, 0xfff0707f},
};

// Group 16 (zbc).
constexpr e zbc[] = {
    {rd_rs1_rs2, "clmul", 0x0a001033, 0xfe00707f},
    {rd_rs1_rs2, "clmulh", 0x0a003033, 0xfe00707f},
    {rd_rs1_rs2, "clmulr", 0x0a002033, 0xfe00707f},
};

// Group 17 (zbs).
constexpr e zbs[] = {
    {rd_rs1_rs2, "bclr", 0x48001033, 0xfe00707f},
    {rd_rs1_rs2, "binv", 0x68001033, 0xfe00707f},
    {rd_rs1_rs2, "bset", 0x28001033, 0xfe00707f},
    {rd_rs1_rs2, "bext", 0x48005033, 0xfe00707f},
    {rd_rs1_shamt, "bclri", 0x48001013, 0xfc00707f},
    {rd_rs1_shamt, "binvi", 0x68001013, 0xfc00707f},
    {rd_rs1_shamt, "bseti", 0x28001013, 0xfc00707f},
    {rd_rs1_shamt, "bexti", 0x48005013, 0xfc00707f},
};

// Group 18 (zbkb), then its RV64 part.
constexpr e zbkb[] = {
    {rd_rs1, "brev8", 0x68705013, 0xfff0707f, insn_id("grevi")},
    {rd_rs1, "rev8_h", 0x68805013, 0xfff0707f, insn_id("grevi")},
    {rd_rs1_rs2, "pack", 0x08004033, 0xfe00707f},
    {rd_rs1_rs2, "packh", 0x08007033, 0xfe00707f},
};
constexpr e zbkb_rv64[] = {
    {rd_rs1_rs2, "packw", 0x0800403b, 0xfe00707f},
};

// Group 19 (svinval).
constexpr e svinval[] = {
    {no_operands, "sfence_w_inval", 0x18000073, 0xffffffff},
    {no_operands, "sfence_inval_ir", 0x18100073, 0xffffffff},
    {rs1_rs2, "sinval_vma", 0x16000073},
    {rs1_rs2, "hinval_vvma", 0x26000073},
    {rs1_rs2, "hinval_gvma", 0x66000073},
};

// Group 20 (F).
constexpr e single_fp[] = {
    {fd_load_address, "flw", 0x00002007},
    {fs2_store_address, "fsw", 0x00002027},
    {fd_fs1_fs2, "fadd_s", 0x00000053, 0xfe00007f},
    {fd_fs1_fs2, "fsub_s", 0x08000053, 0xfe00007f},
    {fd_fs1_fs2, "fmul_s", 0x10000053, 0xfe00007f},
    {fd_fs1_fs2, "fdiv_s", 0x18000053, 0xfe00007f},
    {fd_fs1, "fsqrt_s", 0x58000053},
    {fd_fs1_fs2, "fmin_s", 0x28000053, 0xfe00707f},
    {fd_fs1_fs2, "fmax_s", 0x28001053, 0xfe00707f},
    {fd_fs1_fs2_fs3, "fmadd_s", 0x00000043},
    {fd_fs1_fs2_fs3, "fmsub_s", 0x00000047},
    {fd_fs1_fs2_fs3, "fnmadd_s", 0x0000004f},
    {fd_fs1_fs2_fs3, "fnmsub_s", 0x0000004b},
    {fd_fs1_fs2, "fsgnj_s", 0x20000053, 0xfe00707f},
    {fd_fs1_fs2, "fsgnjn_s", 0x20001053, 0xfe00707f},
    {fd_fs1_fs2, "fsgnjx_s", 0x20002053, 0xfe00707f},
    {fd_fs1, "fcvt_s_d", 0x40100053},
    {fd_fs1, "fcvt_s_q", 0x40300053},
    {fd_rs1, "fcvt_s_l", 0xd0200053, 0xfff0007f},
    {fd_rs1, "fcvt_s_lu", 0xd0300053, 0xfff0007f},
    {fd_rs1, "fcvt_s_w", 0xd0000053, 0xfff0007f},
    {fd_rs1, "fcvt_s_wu", 0xd0100053, 0xfff0007f},
    {fd_rs1, "fmv_w_x", 0xf0000053, 0xfff0707f},
    {rd_fs1, "fcvt_l_s", 0xc0200053, 0xfff0007f},
    {rd_fs1, "fcvt_lu_s", 0xc0300053, 0xfff0007f},
    {rd_fs1, "fcvt_w_s", 0xc0000053, 0xfff0007f},
    {rd_fs1, "fcvt_wu_s", 0xc0100053, 0xfff0007f},
    {rd_fs1, "fclass_s", 0xe0001053, 0xfff0707f},
    {rd_fs1, "fmv_x_w", 0xe0000053, 0xfff0707f},
    {rd_fs1_fs2, "feq_s", 0xa0002053},
    {rd_fs1_fs2, "flt_s", 0xa0001053},
    {rd_fs1_fs2, "fle_s", 0xa0000053},
};

// Group 21 (zfinx): single precision in the integer registers.
constexpr e single_in_x[] = {
    {rd_rs1_rs2, "fadd_s", 0x00000053, 0xfe00007f},
    {rd_rs1_rs2, "fsub_s", 0x08000053, 0xfe00007f},
    {rd_rs1_rs2, "fmul_s", 0x10000053, 0xfe00007f},
    {rd_rs1_rs2, "fdiv_s", 0x18000053, 0xfe00007f},
    {rd_rs1, "fsqrt_s", 0x58000053, 0xfff0007f},
    {rd_rs1_rs2, "fmin_s", 0x28000053, 0xfe00707f},
    {rd_rs1_rs2, "fmax_s", 0x28001053, 0xfe00707f},
    {rd_rs1_rs2_rs3, "fmadd_s", 0x00000043, 0x0600007f},
    {rd_rs1_rs2_rs3, "fmsub_s", 0x00000047, 0x0600007f},
    {rd_rs1_rs2_rs3, "fnmadd_s", 0x0000004f, 0x0600007f},
    {rd_rs1_rs2_rs3, "fnmsub_s", 0x0000004b, 0x0600007f},
    {rd_rs1_rs2, "fsgnj_s", 0x20000053, 0xfe00707f},
    {rd_rs1_rs2, "fsgnjn_s", 0x20001053, 0xfe00707f},
    {rd_rs1_rs2, "fsgnjx_s", 0x20002053, 0xfe00707f},
    {rd_rs1, "fcvt_s_d", 0x40100053, 0xfff0007f},
    {rd_rs1, "fcvt_s_l", 0xd0200053, 0xfff0007f},
    {rd_rs1, "fcvt_s_lu", 0xd0300053, 0xfff0007f},
    {rd_rs1, "fcvt_s_w", 0xd0000053, 0xfff0007f},
    {rd_rs1, "fcvt_s_wu", 0xd0100053, 0xfff0007f},
    {rd_rs1, "fcvt_l_s", 0xc0200053, 0xfff0007f},
    {rd_rs1, "fcvt_lu_s", 0xc0300053, 0xfff0007f},
    {rd_rs1, "fcvt_w_s", 0xc0000053, 0xfff0007f},
    {rd_rs1, "fcvt_wu_s", 0xc0100053, 0xfff0007f},
    {rd_rs1, "fclass_s", 0xe0001053, 0xfff0707f},
    {rd_rs1_rs2, "feq_s", 0xa0002053, 0xfe00707f},
    {rd_rs1_rs2, "flt_s", 0xa0001053, 0xfe00707f},
    {rd_rs1_rs2, "fle_s", 0xa0000053, 0xfe00707f},
};

// Group 22 (D).
constexpr e double_fp[] = {
    {fd_load_address, "fld", 0x00003007},
    {fs2_store_address, "fsd", 0x00003027},
    {fd_fs1_fs2, "fadd_d", 0x02000053, 0xfe00007f},
    {fd_fs1_fs2, "fsub_d", 0x0a000053, 0xfe00007f},
    {fd_fs1_fs2, "fmul_d", 0x12000053, 0xfe00007f},
    {fd_fs1_fs2, "fdiv_d", 0x1a000053, 0xfe00007f},
    {fd_fs1, "fsqrt_d", 0x5a000053},
    {fd_fs1_fs2, "fmin_d", 0x2a000053, 0xfe00707f},
    {fd_fs1_fs2, "fmax_d", 0x2a001053, 0xfe00707f},
    {fd_fs1_fs2_fs3, "fmadd_d", 0x02000043},
    {fd_fs1_fs2_fs3, "fmsub_d", 0x02000047},
    {fd_fs1_fs2_fs3, "fnmadd_d", 0x0200004f},
    {fd_fs1_fs2_fs3, "fnmsub_d", 0x0200004b},
    {fd_fs1_fs2, "fsgnj_d", 0x22000053, 0xfe00707f},
    {fd_fs1_fs2, "fsgnjn_d", 0x22001053, 0xfe00707f},
    {fd_fs1_fs2, "fsgnjx_d", 0x22002053, 0xfe00707f},
    {fd_fs1, "fcvt_d_s", 0x42000053},
    {fd_fs1, "fcvt_d_q", 0x42300053},
    {fd_rs1, "fcvt_d_l", 0xd2200053, 0xfff0007f},
    {fd_rs1, "fcvt_d_lu", 0xd2300053, 0xfff0007f},
    {fd_rs1, "fcvt_d_w", 0xd2000053, 0xfff0007f},
    {fd_rs1, "fcvt_d_wu", 0xd2100053, 0xfff0007f},
    {fd_rs1, "fmv_d_x", 0xf2000053, 0xfff0707f},
    {rd_fs1, "fcvt_l_d", 0xc2200053, 0xfff0007f},
    {rd_fs1, "fcvt_lu_d", 0xc2300053, 0xfff0007f},
    {rd_fs1, "fcvt_w_d", 0xc2000053, 0xfff0007f},
    {rd_fs1, "fcvt_wu_d", 0xc2100053, 0xfff0007f},
    {rd_fs1, "fclass_d", 0xe2001053, 0xfff0707f},
    {rd_fs1, "fmv_x_d", 0xe2000053, 0xfff0707f},
    {rd_fs1_fs2, "feq_d", 0xa2002053},
    {rd_fs1_fs2, "flt_d", 0xa2001053},
    {rd_fs1_fs2, "fle_d", 0xa2000053},
};

// Group 23 (zfa), one block per precision and the register-pair moves.
constexpr e zfa_single[] = {
    {fd_fli_imm, "fli_s", 0xf0100053},
    {fd_fs1_fs2, "fminm_s", 0x28002053, 0xfe00707f},
    {fd_fs1_fs2, "fmaxm_s", 0x28003053, 0xfe00707f},
    {fd_fs1, "fround_s", 0x40400053},
    {fd_fs1, "froundnx_s", 0x40500053},
    {rd_fs1_fs2, "fleq_s", 0xa0004053},
    {rd_fs1_fs2, "fltq_s", 0xa0005053},
};
constexpr e zfa_half[] = {
    {fd_fli_imm, "fli_h", 0xf4100053},
    {fd_fs1_fs2, "fminm_h", 0x2c002053, 0xfe00707f},
    {fd_fs1_fs2, "fmaxm_h", 0x2c003053, 0xfe00707f},
    {fd_fs1, "fround_h", 0x44400053},
    {fd_fs1, "froundnx_h", 0x44500053},
    {rd_fs1_fs2, "fleq_h", 0xa4004053},
    {rd_fs1_fs2, "fltq_h", 0xa4005053},
};
constexpr e zfa_double[] = {
    {fd_fli_imm, "fli_d", 0xf2100053},
    {fd_fs1_fs2, "fminm_d", 0x2a002053, 0xfe00707f},
    {fd_fs1_fs2, "fmaxm_d", 0x2a003053, 0xfe00707f},
    {fd_fs1, "fround_d", 0x42400053},
    {fd_fs1, "froundnx_d", 0x42500053},
    {rd_fs1_fs2, "fleq_d", 0xa2004053},
    {rd_fs1_fs2, "fltq_d", 0xa2005053},
};
constexpr e zfa_double_rv32[] = {
    {fd_rs1_rs2, "fmvp_d_x", 0xb2000053},
    {rd_fs1, "fmvh_x_d", 0xe2100053, 0xfff0707f},
};
constexpr e zfa_quad[] = {
    {fd_fli_imm, "fli_q", 0xf6100053},
    {fd_fs1_fs2, "fminm_q", 0x2e002053, 0xfe00707f},
    {fd_fs1_fs2, "fmaxm_q", 0x2e003053, 0xfe00707f},
    {fd_fs1, "fround_q", 0x46400053},
    {fd_fs1, "froundnx_q", 0x46500053},
    {rd_fs1_fs2, "fleq_q", 0xa6004053},
    {rd_fs1_fs2, "fltq_q", 0xa6005053},
};
constexpr e zfa_quad_rv64[] = {
    {fd_rs1_rs2, "fmvp_q_x", 0xb6000053},
    {rd_fs1, "fmvh_x_q", 0xe6100053, 0xfff0707f},
};

// Group 24 (zdinx): double precision in the integer registers.
constexpr e double_in_x[] = {
    {rd_rs1_rs2, "fadd_d", 0x02000053, 0xfe00007f},
    {rd_rs1_rs2, "fsub_d", 0x0a000053, 0xfe00007f},
    {rd_rs1_rs2, "fmul_d", 0x12000053, 0xfe00007f},
    {rd_rs1_rs2, "fdiv_d", 0x1a000053, 0xfe00007f},
    {rd_rs1, "fsqrt_d", 0x5a000053, 0xfff0007f},
    {rd_rs1_rs2, "fmin_d", 0x2a000053, 0xfe00707f},
    {rd_rs1_rs2, "fmax_d", 0x2a001053, 0xfe00707f},
    {rd_rs1_rs2_rs3, "fmadd_d", 0x02000043, 0x0600007f},
    {rd_rs1_rs2_rs3, "fmsub_d", 0x02000047, 0x0600007f},
    {rd_rs1_rs2_rs3, "fnmadd_d", 0x0200004f, 0x0600007f},
    {rd_rs1_rs2_rs3, "fnmsub_d", 0x0200004b, 0x0600007f},
    {rd_rs1_rs2, "fsgnj_d", 0x22000053, 0xfe00707f},
    {rd_rs1_rs2, "fsgnjn_d", 0x22001053, 0xfe00707f},
    {rd_rs1_rs2, "fsgnjx_d", 0x22002053, 0xfe00707f},
    {rd_rs1, "fcvt_d_s", 0x42000053, 0xfff0007f},
    {rd_rs1, "fcvt_d_l", 0xd2200053, 0xfff0007f},
    {rd_rs1, "fcvt_d_lu", 0xd2300053, 0xfff0007f},
    {rd_rs1, "fcvt_d_w", 0xd2000053, 0xfff0007f},
    {rd_rs1, "fcvt_d_wu", 0xd2100053, 0xfff0007f},
    {rd_rs1, "fcvt_l_d", 0xc2200053, 0xfff0007f},
    {rd_rs1, "fcvt_lu_d", 0xc2300053, 0xfff0007f},
    {rd_rs1, "fcvt_w_d", 0xc2000053, 0xfff0007f},
    {rd_rs1, "fcvt_wu_d", 0xc2100053, 0xfff0007f},
    {rd_rs1, "fclass_d", 0xe2001053, 0xfff0707f},
    {rd_rs1_rs2, "feq_d", 0xa2002053, 0xfe00707f},
    {rd_rs1_rs2, "flt_d", 0xa2001053, 0xfe00707f},
    {rd_rs1_rs2, "fle_d", 0xa2000053, 0xfe00707f},
};

// Group 25 (zfh): half precision without loads, stores, moves and
// conversions between formats (groups 27 and 28 hold those).
constexpr e half_fp[] = {
    {fd_fs1_fs2, "fadd_h", 0x04000053, 0xfe00007f},
    {fd_fs1_fs2, "fsub_h", 0x0c000053, 0xfe00007f},
    {fd_fs1_fs2, "fmul_h", 0x14000053, 0xfe00007f},
    {fd_fs1_fs2, "fdiv_h", 0x1c000053, 0xfe00007f},
    {fd_fs1, "fsqrt_h", 0x5c000053},
    {fd_fs1_fs2, "fmin_h", 0x2c000053, 0xfe00707f},
    {fd_fs1_fs2, "fmax_h", 0x2c001053, 0xfe00707f},
    {fd_fs1_fs2_fs3, "fmadd_h", 0x04000043},
    {fd_fs1_fs2_fs3, "fmsub_h", 0x04000047},
    {fd_fs1_fs2_fs3, "fnmadd_h", 0x0400004f},
    {fd_fs1_fs2_fs3, "fnmsub_h", 0x0400004b},
    {fd_fs1_fs2, "fsgnj_h", 0x24000053, 0xfe00707f},
    {fd_fs1_fs2, "fsgnjn_h", 0x24001053, 0xfe00707f},
    {fd_fs1_fs2, "fsgnjx_h", 0x24002053, 0xfe00707f},
    {fd_rs1, "fcvt_h_l", 0xd4200053, 0xfff0007f},
    {fd_rs1, "fcvt_h_lu", 0xd4300053, 0xfff0007f},
    {fd_rs1, "fcvt_h_w", 0xd4000053, 0xfff0007f},
    {fd_rs1, "fcvt_h_wu", 0xd4100053, 0xfff0007f},
    {rd_fs1, "fcvt_l_h", 0xc4200053, 0xfff0007f},
    {rd_fs1, "fcvt_lu_h", 0xc4300053, 0xfff0007f},
    {rd_fs1, "fcvt_w_h", 0xc4000053, 0xfff0007f},
    {rd_fs1, "fcvt_wu_h", 0xc4100053, 0xfff0007f},
    {rd_fs1, "fclass_h", 0xe4001053, 0xfff0707f},
    {rd_fs1_fs2, "feq_h", 0xa4002053},
    {rd_fs1_fs2, "flt_h", 0xa4001053},
    {rd_fs1_fs2, "fle_h", 0xa4000053},
};

// Group 26 (zhinx): the names of group 25 in the integer registers.
constexpr e half_in_x[] = {
    {rd_rs1_rs2, "fadd_h", 0x04000053, 0xfe00007f},
    {rd_rs1_rs2, "fsub_h", 0x0c000053, 0xfe00007f},
    {rd_rs1_rs2, "fmul_h", 0x14000053, 0xfe00007f},
    {rd_rs1_rs2, "fdiv_h", 0x1c000053, 0xfe00007f},
    {rd_rs1, "fsqrt_h", 0x5c000053, 0xfff0007f},
    {rd_rs1_rs2, "fmin_h", 0x2c000053, 0xfe00707f},
    {rd_rs1_rs2, "fmax_h", 0x2c001053, 0xfe00707f},
    {rd_rs1_rs2_rs3, "fmadd_h", 0x04000043, 0x0600007f},
    {rd_rs1_rs2_rs3, "fmsub_h", 0x04000047, 0x0600007f},
    {rd_rs1_rs2_rs3, "fnmadd_h", 0x0400004f, 0x0600007f},
    {rd_rs1_rs2_rs3, "fnmsub_h", 0x0400004b, 0x0600007f},
    {rd_rs1_rs2, "fsgnj_h", 0x24000053, 0xfe00707f},
    {rd_rs1_rs2, "fsgnjn_h", 0x24001053, 0xfe00707f},
    {rd_rs1_rs2, "fsgnjx_h", 0x24002053, 0xfe00707f},
    {rd_rs1, "fcvt_h_l", 0xd4200053, 0xfff0007f},
    {rd_rs1, "fcvt_h_lu", 0xd4300053, 0xfff0007f},
    {rd_rs1, "fcvt_h_w", 0xd4000053, 0xfff0007f},
    {rd_rs1, "fcvt_h_wu", 0xd4100053, 0xfff0007f},
    {rd_rs1, "fcvt_l_h", 0xc4200053, 0xfff0007f},
    {rd_rs1, "fcvt_lu_h", 0xc4300053, 0xfff0007f},
    {rd_rs1, "fcvt_w_h", 0xc4000053, 0xfff0007f},
    {rd_rs1, "fcvt_wu_h", 0xc4100053, 0xfff0007f},
    {rd_rs1, "fclass_h", 0xe4001053, 0xfff0707f},
    {rd_rs1_rs2, "feq_h", 0xa4002053, 0xfe00707f},
    {rd_rs1_rs2, "flt_h", 0xa4001053, 0xfe00707f},
    {rd_rs1_rs2, "fle_h", 0xa4000053, 0xfe00707f},
};

// Group 27 (zfhmin).
constexpr e half_conversions[] = {
    {fd_fs1, "fcvt_h_s", 0x44000053}, {fd_fs1, "fcvt_h_d", 0x44100053},
    {fd_fs1, "fcvt_h_q", 0x44300053}, {fd_fs1, "fcvt_s_h", 0x40200053},
    {fd_fs1, "fcvt_d_h", 0x42200053}, {fd_fs1, "fcvt_q_h", 0x46200053},
};

// Group 28 (half_fp_transfer: zfhmin, zfbfmin or zvfbfmin).
constexpr e half_transfer[] = {
    {fd_load_address, "flh", 0x00001007},
    {fs2_store_address, "fsh", 0x00001027},
    {fd_rs1, "fmv_h_x", 0xf4000053, 0xfff0707f},
    {rd_fs1, "fmv_x_h", 0xe4000053, 0xfff0707f},
};

// Group 29 (zhinxmin).
constexpr e half_conversions_in_x[] = {
    {rd_rs1, "fcvt_h_s", 0x44000053, 0xfff0007f},
    {rd_rs1, "fcvt_h_d", 0x44100053, 0xfff0007f},
    {rd_rs1, "fcvt_s_h", 0x40200053, 0xfff0007f},
    {rd_rs1, "fcvt_d_h", 0x42200053, 0xfff0007f},
};

// Group 30 (Q).
constexpr e quad_fp[] = {
    {fd_load_address, "flq", 0x00004007},
    {fs2_store_address, "fsq", 0x00004027},
    {fd_fs1_fs2, "fadd_q", 0x06000053, 0xfe00007f},
    {fd_fs1_fs2, "fsub_q", 0x0e000053, 0xfe00007f},
    {fd_fs1_fs2, "fmul_q", 0x16000053, 0xfe00007f},
    {fd_fs1_fs2, "fdiv_q", 0x1e000053, 0xfe00007f},
    {fd_fs1, "fsqrt_q", 0x5e000053},
    {fd_fs1_fs2, "fmin_q", 0x2e000053, 0xfe00707f},
    {fd_fs1_fs2, "fmax_q", 0x2e001053, 0xfe00707f},
    {fd_fs1_fs2_fs3, "fmadd_q", 0x06000043},
    {fd_fs1_fs2_fs3, "fmsub_q", 0x06000047},
    {fd_fs1_fs2_fs3, "fnmadd_q", 0x0600004f},
    {fd_fs1_fs2_fs3, "fnmsub_q", 0x0600004b},
    {fd_fs1_fs2, "fsgnj_q", 0x26000053, 0xfe00707f},
    {fd_fs1_fs2, "fsgnjn_q", 0x26001053, 0xfe00707f},
    {fd_fs1_fs2, "fsgnjx_q", 0x26002053, 0xfe00707f},
    {fd_fs1, "fcvt_q_s", 0x46000053},
    {fd_fs1, "fcvt_q_d", 0x46100053},
    {fd_rs1, "fcvt_q_l", 0xd6200053, 0xfff0007f},
    {fd_rs1, "fcvt_q_lu", 0xd6300053, 0xfff0007f},
    {fd_rs1, "fcvt_q_w", 0xd6000053, 0xfff0007f},
    {fd_rs1, "fcvt_q_wu", 0xd6100053, 0xfff0007f},
    {rd_fs1, "fcvt_l_q", 0xc6200053, 0xfff0007f},
    {rd_fs1, "fcvt_lu_q", 0xc6300053, 0xfff0007f},
    {rd_fs1, "fcvt_w_q", 0xc6000053, 0xfff0007f},
    {rd_fs1, "fcvt_wu_q", 0xc6100053, 0xfff0007f},
    {rd_fs1, "fclass_q", 0xe6001053, 0xfff0707f},
    {rd_fs1_fs2, "feq_q", 0xa6002053},
    {rd_fs1_fs2, "flt_q", 0xa6001053},
    {rd_fs1_fs2, "fle_q", 0xa6000053},
};

// Group 31 (zfbfmin).
constexpr e bfloat_conversions[] = {
    {fd_fs1, "fcvt_bf16_s", 0x44800053},
    {fd_fs1, "fcvt_s_bf16", 0x40600053},
};

// Group 32 (H).
constexpr e hypervisor[] = {
    {rd_at_rs1, "hlv_b", 0x60004073, 0xfff0707f},
    {rd_at_rs1, "hlv_bu", 0x60104073, 0xfff0707f},
    {rd_at_rs1, "hlv_h", 0x64004073, 0xfff0707f},
    {rd_at_rs1, "hlv_hu", 0x64104073, 0xfff0707f},
    {rd_at_rs1, "hlv_w", 0x68004073, 0xfff0707f},
    {rd_at_rs1, "hlv_wu", 0x68104073, 0xfff0707f},
    {rd_at_rs1, "hlv_d", 0x6c004073, 0xfff0707f},
    {rd_at_rs1, "hlvx_hu", 0x64304073, 0xfff0707f},
    {rd_at_rs1, "hlvx_wu", 0x68304073, 0xfff0707f},
    {rs2_at_rs1, "hsv_b", 0x62004073, 0xfe007fff},
    {rs2_at_rs1, "hsv_h", 0x66004073, 0xfe007fff},
    {rs2_at_rs1, "hsv_w", 0x6a004073, 0xfe007fff},
    {rs2_at_rs1, "hsv_d", 0x6e004073, 0xfe007fff},
    {rs1_rs2, "hfence_gvma", 0x62000073},
    {rs1_rs2, "hfence_vvma", 0x22000073},
};

// Group 33 (zca). The entries of opcode chain 2 (c.ebreak to c.jalr) come
// before c.mv and c.add, which sit in a compressed chain probed later;
// c.addi16sp comes before c.lui, c.nop before c.addi.
constexpr e compressed[] = {
    {no_operands, "c_ebreak", "ebreak", 0x9002, 0xffff, insn_id("c_add")},
    {no_operands_reads_rs1, "c_ret", "ret", 0x8082, 0xffff, insn_id("c_jr")},
    {c_rs1, "c_jr", "jr", 0x8002, 0xf07f, insn_id("c_jr")},
    {c_rs1_writes_rd, "c_jalr", "jalr", 0x9002, 0xf07f, insn_id("c_jalr")},
    {no_operands, "c_nop", "nop", 0x0001, 0xffff, insn_id("c_addi")},
    {sp_sp_c_addi16sp_imm, "c_addi", "addi", 0x6101, 0xef83, insn_id("c_addi16sp")},
    {c_rs2p_sp_c_addi4spn_imm, "c_addi", "addi", 0x0000, 0xe003, insn_id("c_addi4spn")},
    {rd_c_imm, "c_li", "li", 0x4001, 0xe003, insn_id("c_li")},
    {rd_c_lui_imm, "c_lui", "lui", 0x6001, 0xe003, insn_id("c_lui")},
    {rd_rd_c_imm, "c_addi", "addi", 0x0001, 0xe003, insn_id("c_addi")},
    {rd_c_shamt, "c_slli", "slli", 0x0002, 0xe003, insn_id("c_slli")},
    {c_rs1p_c_rs1p_c_shamt, "c_srli", "srli", 0x8001, 0xec03, insn_id("c_srli")},
    {c_rs1p_c_rs1p_c_shamt, "c_srai", "srai", 0x8401, 0xec03, insn_id("c_srai")},
    {c_rs1p_c_rs1p_c_imm, "c_andi", "andi", 0x8801, 0xec03, insn_id("c_andi")},
    {rd_c_rs2, "c_mv", "add", 0x8002, 0xf003, insn_id("c_mv")},
    {rd_rd_c_rs2, "c_add", "add", 0x9002, 0xf003, insn_id("c_add")},
    {c_rs1p_c_rs1p_c_rs2p, "c_addw", "addw", 0x9c21, 0xfc63, insn_id("c_addw")},
    {c_rs1p_c_rs1p_c_rs2p, "c_sub", "sub", 0x8c01, 0xfc63, insn_id("c_sub")},
    {c_rs1p_c_rs1p_c_rs2p, "c_subw", "subw", 0x9c01, 0xfc63, insn_id("c_subw")},
    {c_rs1p_c_rs1p_c_rs2p, "c_and", "and", 0x8c61, 0xfc63, insn_id("c_and")},
    {c_rs1p_c_rs1p_c_rs2p, "c_or", "or", 0x8c41, 0xfc63, insn_id("c_or")},
    {c_rs1p_c_rs1p_c_rs2p, "c_xor", "xor", 0x8c21, 0xfc63, insn_id("c_xor")},
    {rd_c_lwsp_address, "c_lw", "lw", 0x4002, 0xe003, insn_id("c_lwsp")},
    {c_rs2_c_swsp_address, "c_sw", "sw", 0xc002, 0xe003, insn_id("c_swsp")},
    {c_rs2p_c_lw_address_load, "c_lw", "lw", 0x4000, 0xe003, insn_id("c_lw")},
    {c_rs2p_c_lw_address_store, "c_sw", "sw", 0xc000, 0xe003, insn_id("c_sw")},
    {c_rs1p_c_branch_target, "c_beqz", "beqz", 0xc001, 0xe003, insn_id("c_beqz")},
    {c_rs1p_c_branch_target, "c_bnez", "bnez", 0xe001, 0xe003, insn_id("c_bnez")},
    {c_j_target, "c_j", "j", 0xa001, 0xe003, insn_id("c_j")},
};
constexpr e compressed_addiw[] = {
    {rd_rd_c_imm, "c_addiw", "addiw", 0x2001, 0xe003, insn_id("c_addiw")},
};
constexpr e compressed_jal[] = {
    {c_j_target_writes_rd, "c_jal", "jal", 0x2001, 0xe003, insn_id("c_jal")},
};
constexpr e compressed_doubleword[] = {
    {c_rs2p_c_ld_address_load, "c_ld", "ld", 0x6000, 0xe003, insn_id("c_ld")},
    {rd_c_ldsp_address, "c_ld", "ld", 0x6002, 0xe003, insn_id("c_ldsp")},
    {c_rs2p_c_ld_address_store, "c_sd", "sd", 0xe000, 0xe003, insn_id("c_sd")},
    {c_rs2_c_sdsp_address, "c_sd", "sd", 0xe002, 0xe003, insn_id("c_sdsp")},
};

// Group 34 (zcd and D).
constexpr e compressed_double[] = {
    {c_fs2p_c_ld_address_load, "c_fld", "fld", 0x2000, 0xe003, insn_id("c_fld")},
    {fd_c_ldsp_address, "c_fldsp", "fld", 0x2002, 0xe003, insn_id("c_fldsp")},
    {c_fs2p_c_ld_address_store, "c_fsd", "fsd", 0xa000, 0xe003, insn_id("c_fsd")},
    {c_fs2_c_sdsp_address, "c_fsdsp", "fsd", 0xa002, 0xe003, insn_id("c_fsdsp")},
};

// Group 35 (zcf and F).
constexpr e compressed_single[] = {
    {c_fs2p_c_lw_address_load, "c_flw", "flw", 0x6000, 0xe003, insn_id("c_flw")},
    {fd_c_lwsp_address, "c_flw", "flw", 0x6002, 0xe003, insn_id("c_flwsp")},
    {c_fs2p_c_lw_address_store, "c_fsw", "fsw", 0xe000, 0xe003, insn_id("c_fsw")},
    {c_fs2_c_swsp_address, "c_fsw", "fsw", 0xe002, 0xe003, insn_id("c_fswsp")},
};

// Group 36 (zcb); c.zext.w is added between these blocks on RV64 only.
constexpr e zcb_extend[] = {
    {c_rs1p, "c_zext_b", 0x9c61, 0xfc7f},
    {c_rs1p, "c_sext_b", 0x9c65, 0xfc7f},
    {c_rs1p, "c_zext_h", 0x9c69, 0xfc7f},
    {c_rs1p, "c_sext_h", 0x9c6d, 0xfc7f},
};
constexpr e zcb_zext_w[] = {
    {c_rs1p, "c_zext_w", 0x9c71, 0xfc7f},
};
constexpr e zcb_rest[] = {
    {c_rs1p, "c_not", 0x9c75, 0xfc7f},
    {c_rs1p_c_rs2p, "c_mul", 0x9c41, 0xfc63},
    {c_rs2p_c_lbu_address_load, "c_lbu", 0x8000, 0xfc03},
    {c_rs2p_c_lh_address_load, "c_lhu", 0x8400, 0xfc43},
    {c_rs2p_c_lh_address_load, "c_lh", 0x8440, 0xfc43},
    {c_rs2p_c_lbu_address_store, "c_sb", 0x8800, 0xfc03},
    {c_rs2p_c_lh_address_store, "c_sh", 0x8c00, 0xfc43},
};

// Group 37 (zcmp): the stack adjustment depends on the register width.
constexpr e zcmp_rv32[] = {
    {rlist_neg_spimm_rv32, "cm_push", 0xb802, 0xff03},
    {rlist_spimm_rv32, "cm_pop", 0xba02, 0xff03},
    {rlist_spimm_rv32, "cm_popret", 0xbe02, 0xff03},
    {rlist_spimm_rv32, "cm_popretz", 0xbc02, 0xff03},
    {cm_r1s_cm_r2s, "cm_mva01s", 0xac62, 0xfc63},
    {cm_r1s_cm_r2s, "cm_mvsa01", 0xac22, 0xfc63},
};
constexpr e zcmp_rv64[] = {
    {rlist_neg_spimm_rv64, "cm_push", 0xb802, 0xff03},
    {rlist_spimm_rv64, "cm_pop", 0xba02, 0xff03},
    {rlist_spimm_rv64, "cm_popret", 0xbe02, 0xff03},
    {rlist_spimm_rv64, "cm_popretz", 0xbc02, 0xff03},
    {cm_r1s_cm_r2s, "cm_mva01s", 0xac62, 0xfc63},
    {cm_r1s_cm_r2s, "cm_mvsa01", 0xac22, 0xfc63},
};

// Group 38 (zcmt): cm.jt (index below 32) shares cm.jalt's match with a
// narrower mask, so it must come first.
constexpr e zcmt[] = {
    {jt_index, "cm_jt", 0xa002, 0xff83, insn_id("cm_jalt")},
    {jt_index, "cm_jalt", 0xa002, 0xfc03},
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
    table_entry_t const rev8(rd_rs1, "rev8", grevi_match(uint32_t(xlen - 8)), 0xfff0707f,
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
