// Operand printers: each turns one operand of an instruction word into text.
// Table entries point at the shared printer objects declared here; the
// objects are constant, live for the whole process and are never freed by an
// entry.
#pragma once

#include <string>

#include "disasm/insn.h"

class arg_t {
public:
  virtual std::string to_string(insn_t const& insn) const = 0;
  virtual ~arg_t() = default;

protected:
  constexpr arg_t() = default;
  arg_t(arg_t const&) = default;
  arg_t& operator=(arg_t const&) = default;
};

// "0x" and exactly `digits` lower-case hexadecimal digits of the low
// 4 x `digits` bits of `value` (digits above those are dropped).
template <typename T>
std::string num2hex(T value, unsigned long digits) {
  static char const hex[] = "0123456789abcdef";
  std::string text(2 + digits, '0');
  text[1] = 'x';
  for (unsigned long i = 0; i < digits; ++i) {
    unsigned shift = unsigned(4 * (digits - 1 - i));
    text[2 + i] = shift < 8 * sizeof(T) ? hex[(value >> shift) & 0xf] : '0';
  }
  return text;
}

// ABI register names by register number.
extern char const* const xpr_name[32];
extern char const* const fpr_name[32];
extern char const* const vr_name[32];

// Constants of the Zfa "fli" instructions, by bits 19..15.
extern char const* const fli_constants[32];

// Every printer object, by the name the instruction table knows it by. The
// pairs shamt/p_imm6, int_rd/int_c_rs1, vec_rd/vec_vs3 and amo_address/
// vec_address print alike but are distinct objects for their distinct roles.
// clang-format off
#define DISASM_OPERAND_PRINTERS(X)                                                        \
  /* registers */                                                                         \
  X(int_rd_arg) X(int_rs1_arg) X(int_rs2_arg) X(int_rs3_arg)                              \
  X(int_c_rs1_arg) X(int_c_rs2_arg) X(int_c_rs1p_arg) X(int_c_rs2p_arg)                   \
  X(cm_r1s_arg) X(cm_r2s_arg)                                                             \
  X(fp_rd_arg) X(fp_rs1_arg) X(fp_rs2_arg) X(fp_rs3_arg) X(fp_c_rs2_arg) X(fp_c_rs2p_arg) \
  X(vec_rd_arg) X(vec_vs3_arg) X(vec_rs1_arg) X(vec_rs2_arg)                              \
  /* fixed texts and the vector mask */                                                   \
  X(sp_fixed_arg) X(ra_fixed_arg) X(t0_fixed_arg) X(v0_fixed_arg) X(x0_fixed_arg)         \
  X(vmask_arg)                                                                            \
  /* immediates in decimal */                                                             \
  X(i_imm_arg) X(shamt_arg) X(p_imm6_arg) X(p_imm5_arg) X(p_imm4_arg) X(p_imm3_arg)       \
  X(p_imm2_arg) X(bs_arg) X(simm5_arg) X(zimm5_arg) X(zimm6_arg) X(jt_index_arg)          \
  X(c_imm_arg) X(c_shamt_arg) X(c_addi4spn_imm_arg) X(c_addi16sp_imm_arg)                 \
  X(c_lwsp_imm_arg)                                                                       \
  /* immediates in hexadecimal */                                                         \
  X(u_imm_arg) X(c_lui_imm_arg)                                                           \
  /* memory operands */                                                                   \
  X(load_address_arg) X(store_address_arg) X(c_lw_address_arg) X(c_ld_address_arg)       \
  X(c_lbu_address_arg) X(c_lh_address_arg) X(c_lwsp_address_arg) X(c_ldsp_address_arg)   \
  X(c_swsp_address_arg) X(c_sdsp_address_arg) X(amo_address_arg) X(vec_address_arg)      \
  /* control-transfer targets */                                                          \
  X(branch_target_arg) X(c_branch_target_arg) X(c_j_target_arg) X(jal_target_arg)        \
  /* fence sets, vector type, Zcmp lists and stack adjustments, fli, CSR */               \
  X(fence_arg) X(vtype_arg) X(rlist_arg)                                                  \
  X(spimm_rv32_arg) X(spimm_rv64_arg) X(neg_spimm_rv32_arg) X(neg_spimm_rv64_arg)         \
  X(fli_imm_arg) X(csr_arg)
// clang-format on

// One class without data per printer, and its single constant instance.
#define DISASM_DECLARE_OPERAND_PRINTER(name)                  \
  class name##_t final : public arg_t {                       \
  public:                                                     \
    constexpr name##_t() = default;                           \
    std::string to_string(insn_t const& insn) const override; \
  };                                                          \
  extern name##_t const name;
DISASM_OPERAND_PRINTERS(DISASM_DECLARE_OPERAND_PRINTER)
#undef DISASM_DECLARE_OPERAND_PRINTER
