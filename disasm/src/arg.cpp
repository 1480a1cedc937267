#include "disasm/arg.h"

#include <cstdint>

char const* const xpr_name[32] = {"zero", "ra", "sp",  "gp",  "tp", "t0", "t1", "t2",
                                  "s0",   "s1", "a0",  "a1",  "a2", "a3", "a4", "a5",
                                  "a6",   "a7", "s2",  "s3",  "s4", "s5", "s6", "s7",
                                  "s8",   "s9", "s10", "s11", "t3", "t4", "t5", "t6"};

char const* const fpr_name[32] = {"ft0", "ft1", "ft2",  "ft3",  "ft4", "ft5", "ft6",  "ft7",
                                  "fs0", "fs1", "fa0",  "fa1",  "fa2", "fa3", "fa4",  "fa5",
                                  "fa6", "fa7", "fs2",  "fs3",  "fs4", "fs5", "fs6",  "fs7",
                                  "fs8", "fs9", "fs10", "fs11", "ft8", "ft9", "ft10", "ft11"};

char const* const vr_name[32] = {"v0",  "v1",  "v2",  "v3",  "v4",  "v5",  "v6",  "v7",
                                 "v8",  "v9",  "v10", "v11", "v12", "v13", "v14", "v15",
                                 "v16", "v17", "v18", "v19", "v20", "v21", "v22", "v23",
                                 "v24", "v25", "v26", "v27", "v28", "v29", "v30", "v31"};

char const* const fli_constants[32] = {"-1.0",
                                       "min",
                                       "1.52587890625e-05",
                                       "3.0517578125e-05",
                                       "0.00390625",
                                       "0.0078125",
                                       "0.0625",
                                       "0.125",
                                       "0.25",
                                       "0.3125",
                                       "0.375",
                                       "0.4375",
                                       "0.5",
                                       "0.625",
                                       "0.75",
                                       "0.875",
                                       "1.0",
                                       "1.25",
                                       "1.5",
                                       "1.75",
                                       "2.0",
                                       "2.5",
                                       "3.0",
                                       "4.0",
                                       "8.0",
                                       "16.0",
                                       "128.0",
                                       "256.0",
                                       "32768.0",
                                       "65536.0",
                                       "inf",
                                       "nan"};

// The objects are constant-initialised; only their destruction is left to
// the runtime.
#define DISASM_DEFINE_OPERAND_PRINTER(name) name##_t const name{};
DISASM_OPERAND_PRINTERS(DISASM_DEFINE_OPERAND_PRINTER)
#undef DISASM_DEFINE_OPERAND_PRINTER

namespace {

std::string decimal(int64_t value) { return std::to_string(int32_t(value)); }
std::string unsigned_decimal(uint64_t value) { return std::to_string(value); }

// "offset(base)", the offset printed even when 0.
std::string memory_operand(int64_t offset, char const* base) {
  std::string text = decimal(offset);
  text += '(';
  text += base;
  text += ')';
  return text;
}

// "pc + n" or "pc - n" with the magnitude as `magnitude` formats it.
template <typename F>
std::string pc_relative(int64_t offset, F magnitude) {
  std::string text = offset < 0 ? "pc - " : "pc + ";
  text += magnitude(uint64_t(offset < 0 ? -offset : offset));
  return text;
}

// Zcmp stack adjustment: base of the register list plus 16 x bits 3..2.
uint64_t stack_adjustment(insn_t const& insn, bool rv64) {
  static unsigned const base32[16] = {0, 0, 0, 0, 16, 16, 16, 16, 32, 32, 32, 32, 48, 48, 48, 64};
  static unsigned const base64[16] = {0, 0, 0, 0, 16, 16, 32, 32, 48, 48, 64, 64, 80, 80, 96, 112};
  unsigned rlist = unsigned(insn.x(4, 4));
  return (rv64 ? base64 : base32)[rlist] + 16 * insn.x(2, 2);
}

// Zcmp move operands: saved-register numbers 0..7 are s0, s1, s2..s7.
std::string saved_register(uint64_t sreg) { return xpr_name[sreg < 2 ? 8 + sreg : 16 + sreg]; }

}  // namespace

// Registers.
std::string int_rd_arg_t::to_string(insn_t const& insn) const { return xpr_name[insn.rd()]; }
std::string int_rs1_arg_t::to_string(insn_t const& insn) const { return xpr_name[insn.rs1()]; }
std::string int_rs2_arg_t::to_string(insn_t const& insn) const { return xpr_name[insn.rs2()]; }
std::string int_rs3_arg_t::to_string(insn_t const& insn) const { return xpr_name[insn.rs3()]; }
std::string int_c_rs1_arg_t::to_string(insn_t const& insn) const {
  return xpr_name[insn.rvc_rs1()];
}
std::string int_c_rs2_arg_t::to_string(insn_t const& insn) const {
  return xpr_name[insn.rvc_rs2()];
}
std::string int_c_rs1p_arg_t::to_string(insn_t const& insn) const {
  return xpr_name[insn.rvc_rs1s()];
}
std::string int_c_rs2p_arg_t::to_string(insn_t const& insn) const {
  return xpr_name[insn.rvc_rs2s()];
}
std::string cm_r1s_arg_t::to_string(insn_t const& insn) const {
  return saved_register(insn.x(7, 3));
}
std::string cm_r2s_arg_t::to_string(insn_t const& insn) const {
  return saved_register(insn.x(2, 3));
}
std::string fp_rd_arg_t::to_string(insn_t const& insn) const { return fpr_name[insn.rd()]; }
std::string fp_rs1_arg_t::to_string(insn_t const& insn) const { return fpr_name[insn.rs1()]; }
std::string fp_rs2_arg_t::to_string(insn_t const& insn) const { return fpr_name[insn.rs2()]; }
std::string fp_rs3_arg_t::to_string(insn_t const& insn) const { return fpr_name[insn.rs3()]; }
std::string fp_c_rs2_arg_t::to_string(insn_t const& insn) const { return fpr_name[insn.rvc_rs2()]; }
std::string fp_c_rs2p_arg_t::to_string(insn_t const& insn) const {
  return fpr_name[insn.rvc_rs2s()];
}
std::string vec_rd_arg_t::to_string(insn_t const& insn) const { return vr_name[insn.rd()]; }
std::string vec_vs3_arg_t::to_string(insn_t const& insn) const { return vr_name[insn.rd()]; }
std::string vec_rs1_arg_t::to_string(insn_t const& insn) const { return vr_name[insn.rs1()]; }
std::string vec_rs2_arg_t::to_string(insn_t const& insn) const { return vr_name[insn.rs2()]; }

// Fixed texts and the vector mask.
std::string sp_fixed_arg_t::to_string(insn_t const&) const { return "sp"; }
std::string ra_fixed_arg_t::to_string(insn_t const&) const { return "ra"; }
std::string t0_fixed_arg_t::to_string(insn_t const&) const { return "t0"; }
std::string v0_fixed_arg_t::to_string(insn_t const&) const { return "v0"; }
std::string x0_fixed_arg_t::to_string(insn_t const&) const { return "x0"; }
std::string vmask_arg_t::to_string(insn_t const& insn) const {
  return insn.x(25, 1) ? std::string() : std::string("v0.t");
}

// Immediates in decimal.
std::string i_imm_arg_t::to_string(insn_t const& insn) const { return decimal(insn.i_imm()); }
std::string shamt_arg_t::to_string(insn_t const& insn) const { return decimal(insn.x(20, 6)); }
std::string p_imm6_arg_t::to_string(insn_t const& insn) const { return decimal(insn.x(20, 6)); }
std::string p_imm5_arg_t::to_string(insn_t const& insn) const { return decimal(insn.x(20, 5)); }
std::string p_imm4_arg_t::to_string(insn_t const& insn) const { return decimal(insn.x(20, 4)); }
std::string p_imm3_arg_t::to_string(insn_t const& insn) const { return decimal(insn.x(20, 3)); }
std::string p_imm2_arg_t::to_string(insn_t const& insn) const { return decimal(insn.x(20, 2)); }
std::string bs_arg_t::to_string(insn_t const& insn) const { return decimal(insn.x(30, 2)); }
std::string simm5_arg_t::to_string(insn_t const& insn) const { return decimal(insn.xs(15, 5)); }
std::string zimm5_arg_t::to_string(insn_t const& insn) const {
  return unsigned_decimal(insn.x(15, 5));
}
std::string zimm6_arg_t::to_string(insn_t const& insn) const {
  return unsigned_decimal(insn.x(15, 5) | (insn.x(26, 1) << 5));
}
std::string jt_index_arg_t::to_string(insn_t const& insn) const {
  return unsigned_decimal(insn.x(2, 8));
}
std::string c_imm_arg_t::to_string(insn_t const& insn) const { return decimal(insn.rvc_imm()); }
std::string c_shamt_arg_t::to_string(insn_t const& insn) const {
  return decimal(int64_t(insn.rvc_zimm()));
}
std::string c_addi4spn_imm_arg_t::to_string(insn_t const& insn) const {
  return decimal(int64_t(insn.rvc_addi4spn_imm()));
}
std::string c_addi16sp_imm_arg_t::to_string(insn_t const& insn) const {
  return decimal(insn.rvc_addi16sp_imm());
}
std::string c_lwsp_imm_arg_t::to_string(insn_t const& insn) const {
  return decimal(int64_t(insn.rvc_lwsp_imm()));
}

// Immediates in hexadecimal.
std::string u_imm_arg_t::to_string(insn_t const& insn) const {
  return num2hex(unsigned(insn.u_imm20()), 5);
}
std::string c_lui_imm_arg_t::to_string(insn_t const& insn) const {
  return num2hex(unsigned(insn.rvc_imm()) & 0xfffffu, 8);
}

// Memory operands.
std::string load_address_arg_t::to_string(insn_t const& insn) const {
  return memory_operand(insn.i_imm(), xpr_name[insn.rs1()]);
}
std::string store_address_arg_t::to_string(insn_t const& insn) const {
  return memory_operand(insn.s_imm(), xpr_name[insn.rs1()]);
}
std::string c_lw_address_arg_t::to_string(insn_t const& insn) const {
  return memory_operand(int64_t(insn.rvc_lw_imm()), xpr_name[insn.rvc_rs1s()]);
}
std::string c_ld_address_arg_t::to_string(insn_t const& insn) const {
  return memory_operand(int64_t(insn.rvc_ld_imm()), xpr_name[insn.rvc_rs1s()]);
}
std::string c_lbu_address_arg_t::to_string(insn_t const& insn) const {
  return memory_operand(int64_t(insn.rvc_lbu_imm()), xpr_name[insn.rvc_rs1s()]);
}
std::string c_lh_address_arg_t::to_string(insn_t const& insn) const {
  return memory_operand(int64_t(insn.rvc_lh_imm()), xpr_name[insn.rvc_rs1s()]);
}
std::string c_lwsp_address_arg_t::to_string(insn_t const& insn) const {
  return memory_operand(int64_t(insn.rvc_lwsp_imm()), "sp");
}
std::string c_ldsp_address_arg_t::to_string(insn_t const& insn) const {
  return memory_operand(int64_t(insn.rvc_ldsp_imm()), "sp");
}
std::string c_swsp_address_arg_t::to_string(insn_t const& insn) const {
  return memory_operand(int64_t(insn.rvc_swsp_imm()), "sp");
}
std::string c_sdsp_address_arg_t::to_string(insn_t const& insn) const {
  return memory_operand(int64_t(insn.rvc_sdsp_imm()), "sp");
}
std::string amo_address_arg_t::to_string(insn_t const& insn) const {
  return std::string("(") + xpr_name[insn.rs1()] + ")";
}
std::string vec_address_arg_t::to_string(insn_t const& insn) const {
  return std::string("(") + xpr_name[insn.rs1()] + ")";
}

// Control-transfer targets.
std::string branch_target_arg_t::to_string(insn_t const& insn) const {
  return pc_relative(insn.sb_imm(), unsigned_decimal);
}
std::string c_branch_target_arg_t::to_string(insn_t const& insn) const {
  return pc_relative(insn.rvc_b_imm(), unsigned_decimal);
}
std::string c_j_target_arg_t::to_string(insn_t const& insn) const {
  return pc_relative(insn.rvc_j_imm(), unsigned_decimal);
}
std::string jal_target_arg_t::to_string(insn_t const& insn) const {
  // The one offset whose magnitude needs six digits (-0x100000) keeps them
  // rather than printing as "pc - 0x00000".
  return pc_relative(insn.uj_imm(), [](uint64_t magnitude) {
    return num2hex(unsigned(magnitude), magnitude > 0xfffff ? 6 : 5);
  });
}

// Fence sets, vector type, Zcmp lists and stack adjustments, fli constants.
std::string fence_arg_t::to_string(insn_t const& insn) const {
  static char const letters[] = "iorw";
  std::string text;
  auto append_set = [&](uint64_t set) {
    for (unsigned bit = 0; bit < 4; ++bit)
      if (set & (8u >> bit)) text += letters[bit];
  };
  uint64_t pred = insn.x(24, 4);
  append_set(pred);
  if (pred != 0) text += ',';
  append_set(insn.x(20, 4));
  return text;
}

std::string vtype_arg_t::to_string(insn_t const& insn) const {
  uint64_t z = insn.x(31, 1) ? insn.x(20, 10) : insn.x(20, 11);
  if (z >= 256) {
    static char const hex[] = "0123456789abcdef";
    std::string digits;
    for (; z != 0; z >>= 4) digits.insert(digits.begin(), hex[z & 0xf]);
    return "0x" + digits;
  }
  static char const* const lmul[8] = {"1", "2", "4", "8", "", "f8", "f4", "f2"};
  std::string text = "e";
  text += std::to_string(8u << unsigned(insn.x(23, 3)));
  text += ", m";
  text += lmul[insn.x(20, 3)];
  text += insn.x(26, 1) ? ", ta" : ", tu";
  text += insn.x(27, 1) ? ", ma" : ", mu";
  return text;
}

std::string rlist_arg_t::to_string(insn_t const& insn) const {
  unsigned rlist = unsigned(insn.x(4, 4));
  if (rlist < 4) return "unsupport rlist";
  if (rlist == 4) return "{ra}";
  if (rlist == 5) return "{ra, s0}";
  if (rlist == 15) return "{ra, s0-s11}";
  return "{ra, s0-s" + std::to_string(rlist - 5) + "}";
}

std::string spimm_rv32_arg_t::to_string(insn_t const& insn) const {
  return unsigned_decimal(stack_adjustment(insn, false));
}
std::string spimm_rv64_arg_t::to_string(insn_t const& insn) const {
  return unsigned_decimal(stack_adjustment(insn, true));
}
std::string neg_spimm_rv32_arg_t::to_string(insn_t const& insn) const {
  return "-" + unsigned_decimal(stack_adjustment(insn, false));
}
std::string neg_spimm_rv64_arg_t::to_string(insn_t const& insn) const {
  return "-" + unsigned_decimal(stack_adjustment(insn, true));
}

std::string fli_imm_arg_t::to_string(insn_t const& insn) const {
  return fli_constants[insn.x(15, 5)];
}

// csr_arg_t::to_string lives with the CSR name table (csr_names.cpp).
