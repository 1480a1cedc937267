// Printers of the fused instruction pairs. A fused word stands for two
// consecutive instructions; its entry prints no mnemonic of its own, so the
// single printer writes the whole text of both halves, joined by "; ".
//
// Fused word fields read here: bit 54 (the branch compares x0 with the
// first result), bits 53..51 (the second instruction's funct3), bits 50..39
// (the second instruction's 12-bit immediate), bits 38..7 (the first
// instruction shifted left by 7, so its rd sits in bits 18..14).
#pragma once

#include <string>

#include "disasm/arg.h"

// lui or c.lui, then addi or c.addi on the same register.
class fuse_lui_addi_arg_t : public arg_t {
public:
  constexpr fuse_lui_addi_arg_t(bool first_c, bool second_c)
      : fuse_lui_addi_arg_t(first_c, second_c ? "c.addi" : "addi") {}
  std::string to_string(insn_t const& insn) const override;

protected:
  constexpr fuse_lui_addi_arg_t(bool first_c, char const* second)
      : first_c_(first_c), second_(second) {}

private:
  bool first_c_;
  char const* second_;  // the mnemonic tells whether the second half is compressed
};

// Prints like lui + addi, with jalr as the second mnemonic.
class fuse_lui_jalr_arg_t final : public fuse_lui_addi_arg_t {
public:
  constexpr fuse_lui_jalr_arg_t(bool first_c, bool second_c)
      : fuse_lui_addi_arg_t(first_c, second_c ? "c.jalr" : "jalr") {}
};

// auipc, then addi or c.addi on the same register.
class fuse_auipc_addi_arg_t : public arg_t {
public:
  constexpr explicit fuse_auipc_addi_arg_t(bool second_c)
      : fuse_auipc_addi_arg_t(second_c ? "c.addi" : "addi") {}
  std::string to_string(insn_t const& insn) const override;

protected:
  constexpr explicit fuse_auipc_addi_arg_t(char const* second) : second_(second) {}

private:
  char const* second_;
};

// Prints like auipc + addi, with jalr as the second mnemonic.
class fuse_auipc_jalr_arg_t final : public fuse_auipc_addi_arg_t {
public:
  constexpr explicit fuse_auipc_jalr_arg_t(bool second_c)
      : fuse_auipc_addi_arg_t(second_c ? "c.jalr" : "jalr") {}
};

// lui or c.lui, then a load based on its result.
class fuse_lui_lx_arg_t final : public arg_t {
public:
  constexpr fuse_lui_lx_arg_t(bool first_c, bool second_c)
      : first_c_(first_c), second_c_(second_c) {}
  std::string to_string(insn_t const& insn) const override;

private:
  bool first_c_;
  bool second_c_;
};

// auipc, then a load based on its result.
class fuse_auipc_lx_arg_t final : public arg_t {
public:
  constexpr explicit fuse_auipc_lx_arg_t(bool second_c) : second_c_(second_c) {}
  std::string to_string(insn_t const& insn) const override;

private:
  bool second_c_;
};

// The pairs whose first half is named by its mnemonic, by their second half.
enum class fuse_second_half_t { load, branch };

// The first half's mnemonic, then the second half: for a load, an address add
// (add, add.uw, shNadd, shNadd.uw, c.add) then a load from the sum at offset
// 0 (the fused word keeps no load offset); for a branch, and/andi or their
// compressed forms, then a branch comparing the result with zero.
template <fuse_second_half_t second>
class fuse_named_first_arg_t final : public arg_t {
public:
  constexpr fuse_named_first_arg_t(char const* first, bool first_c, bool second_c)
      : first_(first), first_c_(first_c), second_c_(second_c) {}
  std::string to_string(insn_t const& insn) const override;

private:
  char const* first_;
  bool first_c_;
  bool second_c_;
};

using fuse_add_lx_arg_t = fuse_named_first_arg_t<fuse_second_half_t::load>;
using fuse_alu_beq_arg_t = fuse_named_first_arg_t<fuse_second_half_t::branch>;
template <>
std::string fuse_add_lx_arg_t::to_string(insn_t const& insn) const;
template <>
std::string fuse_alu_beq_arg_t::to_string(insn_t const& insn) const;

// Every fused-pair printer object: class, name, constructor arguments. A c_
// before an instruction in a name marks that half as compressed. No entry
// uses fuse_auipc_c_jalr_arg, fuse_lui_c_jalr_arg or fuse_c_lui_c_jalr_arg.
#define DISASM_FUSED_PRINTERS(X)                                          \
  X(fuse_auipc_addi_arg_t, fuse_auipc_addi_arg, false)                    \
  X(fuse_auipc_addi_arg_t, fuse_auipc_c_addi_arg, true)                   \
  X(fuse_auipc_jalr_arg_t, fuse_auipc_jalr_arg, false)                    \
  X(fuse_auipc_jalr_arg_t, fuse_auipc_c_jalr_arg, true)                   \
  X(fuse_auipc_lx_arg_t, fuse_auipc_lx_arg, false)                        \
  X(fuse_auipc_lx_arg_t, fuse_auipc_c_lx_arg, true)                       \
  X(fuse_lui_addi_arg_t, fuse_lui_addi_arg, false, false)                 \
  X(fuse_lui_addi_arg_t, fuse_lui_c_addi_arg, false, true)                \
  X(fuse_lui_addi_arg_t, fuse_c_lui_addi_arg, true, false)                \
  X(fuse_lui_addi_arg_t, fuse_c_lui_c_addi_arg, true, true)               \
  X(fuse_lui_jalr_arg_t, fuse_lui_jalr_arg, false, false)                 \
  X(fuse_lui_jalr_arg_t, fuse_lui_c_jalr_arg, false, true)                \
  X(fuse_lui_jalr_arg_t, fuse_c_lui_jalr_arg, true, false)                \
  X(fuse_lui_jalr_arg_t, fuse_c_lui_c_jalr_arg, true, true)               \
  X(fuse_lui_lx_arg_t, fuse_lui_lx_arg, false, false)                     \
  X(fuse_lui_lx_arg_t, fuse_lui_c_lx_arg, false, true)                    \
  X(fuse_lui_lx_arg_t, fuse_c_lui_lx_arg, true, false)                    \
  X(fuse_lui_lx_arg_t, fuse_c_lui_c_lx_arg, true, true)                   \
  X(fuse_add_lx_arg_t, fuse_add_lx_arg, "add", false, false)              \
  X(fuse_add_lx_arg_t, fuse_add_c_lx_arg, "add", false, true)             \
  X(fuse_add_lx_arg_t, fuse_add_uw_lx_arg, "add.uw", false, false)        \
  X(fuse_add_lx_arg_t, fuse_add_uw_c_lx_arg, "add.uw", false, true)       \
  X(fuse_add_lx_arg_t, fuse_sh1add_lx_arg, "sh1add", false, false)        \
  X(fuse_add_lx_arg_t, fuse_sh1add_c_lx_arg, "sh1add", false, true)       \
  X(fuse_add_lx_arg_t, fuse_sh1add_uw_lx_arg, "sh1add.uw", false, false)  \
  X(fuse_add_lx_arg_t, fuse_sh1add_uw_c_lx_arg, "sh1add.uw", false, true) \
  X(fuse_add_lx_arg_t, fuse_sh2add_lx_arg, "sh2add", false, false)        \
  X(fuse_add_lx_arg_t, fuse_sh2add_c_lx_arg, "sh2add", false, true)       \
  X(fuse_add_lx_arg_t, fuse_sh2add_uw_lx_arg, "sh2add.uw", false, false)  \
  X(fuse_add_lx_arg_t, fuse_sh2add_uw_c_lx_arg, "sh2add.uw", false, true) \
  X(fuse_add_lx_arg_t, fuse_sh3add_lx_arg, "sh3add", false, false)        \
  X(fuse_add_lx_arg_t, fuse_sh3add_c_lx_arg, "sh3add", false, true)       \
  X(fuse_add_lx_arg_t, fuse_sh3add_uw_lx_arg, "sh3add.uw", false, false)  \
  X(fuse_add_lx_arg_t, fuse_sh3add_uw_c_lx_arg, "sh3add.uw", false, true) \
  X(fuse_add_lx_arg_t, fuse_c_add_lx_arg, "c.add", true, false)           \
  X(fuse_add_lx_arg_t, fuse_c_add_c_lx_arg, "c.add", true, true)          \
  X(fuse_alu_beq_arg_t, fuse_andi_beq_arg, "andi", false, false)          \
  X(fuse_alu_beq_arg_t, fuse_andi_c_beq_arg, "andi", false, true)         \
  X(fuse_alu_beq_arg_t, fuse_c_andi_beq_arg, "c.andi", true, false)       \
  X(fuse_alu_beq_arg_t, fuse_c_andi_c_beq_arg, "c.andi", true, true)      \
  X(fuse_alu_beq_arg_t, fuse_and_beq_arg, "and", false, false)            \
  X(fuse_alu_beq_arg_t, fuse_and_c_beq_arg, "and", false, true)           \
  X(fuse_alu_beq_arg_t, fuse_c_and_beq_arg, "c.and", true, false)         \
  X(fuse_alu_beq_arg_t, fuse_c_and_c_beq_arg, "c.and", true, true)

#define DISASM_DECLARE_FUSED_PRINTER(cls, name, ...) extern cls const name;
DISASM_FUSED_PRINTERS(DISASM_DECLARE_FUSED_PRINTER)
#undef DISASM_DECLARE_FUSED_PRINTER
