#include "disasm/fuse_args.h"

#include <cstdint>
#include <string_view>

// Constant-initialised like the other printers; only their destruction is
// left to the runtime.
#define DISASM_DEFINE_FUSED_PRINTER(cls, name, ...) cls const name{__VA_ARGS__};
DISASM_FUSED_PRINTERS(DISASM_DEFINE_FUSED_PRINTER)
#undef DISASM_DEFINE_FUSED_PRINTER

namespace {

// Funct3 of the second instruction.
unsigned second_funct3(insn_t const& fused) { return unsigned(fused.x(51, 3)); }

// Mnemonics by the second instruction's funct3, plain and compressed second
// halves; funct3 values that no fused pair has print nothing.
char const* const load_names[2][8] = {{"lb", "lh", "lw", "ld", "lbu", "lhu", "lwu", ""},
                                      {"lb", "lh", "c.lw", "c.ld", "lbu", "lhu", "lwu", ""}};
char const* const branch_names[2][8] = {{"beq", "bne", "", "", "blt", "bge", "bltu", "bgeu"},
                                        {"beq", "bne", "", "", "blt", "bge", "c.beqz", "c.bnez"}};

// "lui rd, imm", "c.lui rd, imm" or "auipc rd, imm". The 32-bit forms print
// their immediate as a plain lui does; c.lui prints its 6-bit signed
// immediate in five hexadecimal digits (-1 is 0xfffff).
std::string upper_half(insn_t const& fused, char const* name, bool c_lui) {
  insn_t const first = fused.fused_first();
  std::string text = name;
  text += ' ';
  text += xpr_name[first.rd()];
  text += ", ";
  text += c_lui ? num2hex(unsigned(first.rvc_imm()), 5) : u_imm_arg.to_string(first);
  return text;
}

// "; addi rd, rd, imm" (or another second mnemonic of that shape).
std::string addi_half(insn_t const& fused, char const* name) {
  char const* rd = xpr_name[fused.fused_first().rd()];
  return std::string("; ") + name + ' ' + rd + ", " + rd + ", " +
         std::to_string(fused.fused_second_imm());
}

// "; lw rd, offset(rd)": the load reads from and writes the first result.
std::string load_half(insn_t const& fused, bool second_c, std::string const& offset) {
  char const* rd = xpr_name[fused.fused_first().rd()];
  return std::string("; ") + load_names[second_c][second_funct3(fused)] + ' ' + rd + ", " + offset +
         '(' + rd + ')';
}

char const* lui_name(bool first_c) { return first_c ? "c.lui" : "lui"; }

}  // namespace

std::string fuse_lui_addi_arg_t::to_string(insn_t const& insn) const {
  return upper_half(insn, lui_name(first_c_), first_c_) + addi_half(insn, second_);
}

std::string fuse_auipc_addi_arg_t::to_string(insn_t const& insn) const {
  return upper_half(insn, "auipc", false) + addi_half(insn, second_);
}

std::string fuse_lui_lx_arg_t::to_string(insn_t const& insn) const {
  return upper_half(insn, lui_name(first_c_), first_c_) +
         load_half(insn, second_c_, std::to_string(insn.fused_second_imm()));
}

std::string fuse_auipc_lx_arg_t::to_string(insn_t const& insn) const {
  return upper_half(insn, "auipc", false) +
         load_half(insn, second_c_, std::to_string(insn.fused_second_imm()));
}

template <>
std::string fuse_add_lx_arg_t::to_string(insn_t const& insn) const {
  insn_t const first = insn.fused_first();
  char const* rd = xpr_name[first.rd()];
  // c.add adds rs2 to rd in place.
  char const* source1 = first_c_ ? rd : xpr_name[first.rs1()];
  char const* source2 = xpr_name[first_c_ ? first.rvc_rs2() : first.rs2()];
  return std::string(first_) + ' ' + rd + ", " + source1 + ", " + source2 +
         load_half(insn, second_c_, "0");
}

template <>
std::string fuse_alu_beq_arg_t::to_string(insn_t const& insn) const {
  insn_t const first = insn.fused_first();
  std::string_view const mnemonic(first_);
  // c.and and c.andi name x8..x15 in 3-bit fields; other compressed forms
  // (c.add, c.addi) keep 5-bit ones. Compressed forms work in place.
  bool const narrow = first_c_ && mnemonic.substr(0, 5) == "c.and";
  bool const immediate = mnemonic.back() == 'i';
  char const* result = xpr_name[narrow ? first.rvc_rs1s() : first.rd()];

  std::string text(mnemonic);
  text += ' ';
  text += result;
  text += ", ";
  text += first_c_ ? result : xpr_name[first.rs1()];
  text += ", ";
  if (immediate)
    text += std::to_string(first_c_ ? first.rvc_imm() : first.i_imm());
  else
    text += xpr_name[!first_c_ ? first.rs2() : narrow ? first.rvc_rs2s() : first.rvc_rs2()];

  text += "; ";
  text += branch_names[second_c_][second_funct3(insn)];
  text += ' ';
  // Bit 54: the branch has x0 as its first source.
  if (insn.x(54, 1)) {
    text += "zero, ";
    text += result;
    text += ", ";
  } else {
    text += result;
    text += ", zero, ";
  }
  // The immediate is the branch offset halved.
  int64_t const offset = 2 * insn.fused_second_imm();
  text += offset < 0 ? "pc - " : "pc + ";
  text += std::to_string(offset < 0 ? -offset : offset);
  return text;
}
