// Instruction formats of the instruction table and the layout functions that
// make one entry of a format each. A format fixes the operand printers and the
// operand flags (and for some the mask) of every entry written in it; the
// table gives the rest: name, match, mask where the format has none, and the
// identifier.
#pragma once

#include <array>
#include <cstddef>

#include "arg.h"
#include "disasm_insn.h"
#include "insn_ids.h"

class disassembler_t;

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

// The formats of the layout functions, for tables that list entries as data.
namespace layout {
// Masks given by the entry.
inline constexpr insn_format_t shift_imm{0x9, 0, 3, {&int_rd_arg, &int_rs1_arg, &shamt_arg}};
inline constexpr insn_format_t no_args{0, 0, 0, {}};
inline constexpr insn_format_t fp_r{0xb0, 0, 3, {&fp_rd_arg, &fp_rs1_arg, &fp_rs2_arg}};
inline constexpr insn_format_t fp_from_int{0x81, 0, 2, {&fp_rd_arg, &int_rs1_arg}};
inline constexpr insn_format_t int_from_fp{0x18, 0, 2, {&int_rd_arg, &fp_rs1_arg}};
inline constexpr insn_format_t vec_vi{
    0, 0, 5, {&vec_rd_arg, &vec_rs2_arg, &simm5_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t r4{
    0xf, 0, 4, {&int_rd_arg, &int_rs1_arg, &int_rs2_arg, &int_rs3_arg}};
inline constexpr insn_format_t unary{0x9, 0, 2, {&int_rd_arg, &int_rs1_arg}};
inline constexpr insn_format_t vec_vx{
    0, 0, 5, {&vec_rd_arg, &vec_rs2_arg, &int_rs1_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t vec_v{0, 0, 4, {&vec_rd_arg, &vec_rs2_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t vec_vi_unsigned{
    0, 0, 5, {&vec_rd_arg, &vec_rs2_arg, &zimm5_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t vec_vv{
    0, 0, 5, {&vec_rd_arg, &vec_rs2_arg, &vec_rs1_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t reg_load{0x109, 0, 2, {&int_rd_arg, &amo_address_arg}};
inline constexpr insn_format_t reg_store{
    0x30b, 0, 2, {&int_rs2_arg, &amo_address_arg}};
// The flags of an AMO are the entry's; these are those of a read-modify-write.
inline constexpr insn_format_t amo{
    0x30b, 0, 3, {&int_rd_arg, &int_rs2_arg, &amo_address_arg}};
inline constexpr insn_format_t r{0xb, 0, 3, {&int_rd_arg, &int_rs1_arg, &int_rs2_arg}};
inline constexpr insn_format_t unknown_args{0, 0, 0, {}};

// Fixed masks.
inline constexpr insn_format_t vec_vim{
    0, 0xfe00707f, 4, {&vec_rd_arg, &vec_rs2_arg, &simm5_arg, &v0_fixed_arg}};
inline constexpr insn_format_t vec_vxm{
    0, 0xfe00707f, 4, {&vec_rd_arg, &vec_rs2_arg, &int_rs1_arg, &v0_fixed_arg}};
inline constexpr insn_format_t vec_vvm{
    0, 0xfe00707f, 4, {&vec_rd_arg, &vec_rs2_arg, &vec_rs1_arg, &v0_fixed_arg}};
inline constexpr insn_format_t vror_vi{
    0, 0xf800707f, 5, {&vec_rd_arg, &vec_rs2_arg, &zimm6_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t vec_vf{
    0, 0xfc00707f, 5, {&vec_rd_arg, &vec_rs2_arg, &fp_rs1_arg, nullptr, &vmask_arg}};
inline constexpr insn_format_t srai_u{
    0x9, 0xfc00707f, 3, {&int_rd_arg, &int_rs1_arg, &p_imm6_arg}};
inline constexpr insn_format_t p_imm5{
    0x9, 0xfe00707f, 3, {&int_rd_arg, &int_rs1_arg, &p_imm5_arg}};
inline constexpr insn_format_t p_imm4{
    0x9, 0xff00707f, 3, {&int_rd_arg, &int_rs1_arg, &p_imm4_arg}};
inline constexpr insn_format_t p_imm3{
    0x9, 0xff80707f, 3, {&int_rd_arg, &int_rs1_arg, &p_imm3_arg}};
inline constexpr insn_format_t bs{0x9, 0x3e00707f, 3, {&int_rd_arg, &int_rs1_arg, &bs_arg}};
inline constexpr insn_format_t rs1_rs2{0x3, 0xfe007fff, 2, {&int_rs1_arg, &int_rs2_arg}};
inline constexpr insn_format_t fli{0x80, 0xfff0707f, 2, {&fp_rd_arg, &fli_imm_arg}};
inline constexpr insn_format_t fp_compare{
    0x38, 0xfe00707f, 3, {&int_rd_arg, &fp_rs1_arg, &fp_rs2_arg}};
inline constexpr insn_format_t fp_from_int_pair{
    0x83, 0xfe00707f, 3, {&fp_rd_arg, &int_rs1_arg, &int_rs2_arg}};
inline constexpr insn_format_t fp_r4{
    0xf0, 0x600007f, 4, {&fp_rd_arg, &fp_rs1_arg, &fp_rs2_arg, &fp_rs3_arg}};
inline constexpr insn_format_t fp_unary{0x90, 0xfff0007f, 2, {&fp_rd_arg, &fp_rs1_arg}};
inline constexpr insn_format_t branch_zero{0x1, 0x1f0707f, 2, {&int_rs1_arg, &branch_target_arg}};
inline constexpr insn_format_t branch{
    0x3, 0x707f, 3, {&int_rs1_arg, &int_rs2_arg, &branch_target_arg}};
inline constexpr insn_format_t fp_store{
    0x321, 0x707f, 2, {&fp_rs2_arg, &store_address_arg}};
inline constexpr insn_format_t fp_load{0x181, 0x707f, 2, {&fp_rd_arg, &load_address_arg}};
inline constexpr insn_format_t store{
    0x303, 0x707f, 2, {&int_rs2_arg, &store_address_arg}};
inline constexpr insn_format_t load{0x109, 0x707f, 2, {&int_rd_arg, &load_address_arg}};
inline constexpr insn_format_t i{0x9, 0x707f, 3, {&int_rd_arg, &int_rs1_arg, &i_imm_arg}};
// R-type on register pairs (64-bit operands on RV32).
inline constexpr insn_format_t r_rdh{
    0x800b, 0xfe00707f, 3, {&int_rd_arg, &int_rs1_arg, &int_rs2_arg}};
inline constexpr insn_format_t r_rsd_pair{0x8c0b, 0xfe00707f, 3,
                                          {&int_rd_arg, &int_rs1_arg, &int_rs2_arg}};
inline constexpr insn_format_t r_pair{0xb00b, 0xfe00707f, 3,
                                      {&int_rd_arg, &int_rs1_arg, &int_rs2_arg}};
inline constexpr insn_format_t r_rsd{
    0x40b, 0xfe00707f, 3, {&int_rd_arg, &int_rs1_arg, &int_rs2_arg}};
}  // namespace layout

// One table entry written as data. Unless given, the base name is the name,
// the identifier that of the name, the flags those of the format. The checks
// run while a constant table is compiled, so a row that contradicts its
// format (or names an unknown instruction) fails the build.
struct table_entry_t {
  // The format's fixed mask.
  constexpr table_entry_t(insn_format_t const& f, char const* n, unsigned long m)
      : table_entry_t(f, n, n, m, fixed_mask(f), insn_id(n)) {}
  constexpr table_entry_t(insn_format_t const& f, char const* n, unsigned long m, unsigned long k)
      : table_entry_t(f, n, n, m, k, insn_id(n)) {}
  constexpr table_entry_t(insn_format_t const& f, char const* n, unsigned long m, unsigned long k,
                          unsigned long id)
      : table_entry_t(f, n, n, m, k, id) {}
  constexpr table_entry_t(insn_format_t const& f, char const* n, char const* base, unsigned long m,
                          unsigned long k, unsigned long id)
      : format(&f), name(n), base_name(base), match(m), mask(checked_mask(f, k)), id(id),
        flags(f.flags) {}

  constexpr table_entry_t with_flags(unsigned long f) const {
    table_entry_t e = *this;
    e.flags = f;
    return e;
  }

  insn_format_t const* format;
  char const* name;
  char const* base_name;
  unsigned long match;
  unsigned long mask;
  unsigned long id;
  unsigned long flags;

 private:
  static constexpr unsigned long fixed_mask(insn_format_t const& f) {
    return f.mask != 0 ? f.mask : throw "format without a fixed mask: give the entry's mask";
  }
  static constexpr unsigned long checked_mask(insn_format_t const& f, unsigned long k) {
    return f.mask == 0 || f.mask == k ? k : throw "mask differs from the format's fixed mask";
  }
};

// Adds the entries in order.
void add_entries(disassembler_t& d, table_entry_t const* entries, std::size_t count);
template <std::size_t N>
void add_entries(disassembler_t& d, table_entry_t const (&entries)[N]) {
  add_entries(d, entries, N);
}

// Makes one entry of `format` and hands it to the disassembler. Names are in
// underscore form; `mask` is the entry's even when the format fixes one.
void add_format_insn(disassembler_t& d, insn_format_t const& format, char const* name,
                     char const* base_name, unsigned long match, unsigned long mask,
                     unsigned long id, unsigned long flags);
inline void add_format_insn(disassembler_t& d, insn_format_t const& format, char const* name,
                            char const* base_name, unsigned long match, unsigned long mask,
                            unsigned long id) {
  add_format_insn(d, format, name, base_name, match, mask, id, format.flags);
}

// Layout functions. The base name of their entries equals the name.
// (name, match, mask, id):
void add_shift_imm_insn(disassembler_t& d, char const* name, unsigned long match,
                        unsigned long mask, unsigned long id);
void add_no_args_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long mask,
                      unsigned long id);
void add_fp_r_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long mask,
                   unsigned long id);
void add_fp_from_int_insn(disassembler_t& d, char const* name, unsigned long match,
                          unsigned long mask, unsigned long id);
void add_int_from_fp_insn(disassembler_t& d, char const* name, unsigned long match,
                          unsigned long mask, unsigned long id);
void add_vec_vi_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long mask,
                     unsigned long id);
void add_r4_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long mask,
                 unsigned long id);
void add_unary_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long mask,
                    unsigned long id);
void add_vec_vx_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long mask,
                     unsigned long id);
void add_vec_v_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long mask,
                    unsigned long id);
void add_vec_vi_unsigned_insn(disassembler_t& d, char const* name, unsigned long match,
                              unsigned long mask, unsigned long id);
void add_vec_vv_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long mask,
                     unsigned long id);
void add_reg_load_insn(disassembler_t& d, char const* name, unsigned long match,
                       unsigned long mask, unsigned long id);
void add_reg_store_insn(disassembler_t& d, char const* name, unsigned long match,
                        unsigned long mask, unsigned long id);
void add_r_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long mask,
                unsigned long id);
// The catch-all entry of an encoding name: the text is the name followed by
// " (args unknown)", with no operands and flags 0.
void add_unknown_args_insn(disassembler_t& d, char const* name, unsigned long match,
                           unsigned long mask, unsigned long id);

// (name, match, mask, id, flags):
void add_amo_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long mask,
                  unsigned long id, unsigned long flags);

// (name, match, id) with the fixed mask of the format:
void add_vec_vim_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_vec_vxm_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_vec_vvm_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_vec_vf_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_p_imm5_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_p_imm4_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_p_imm3_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_bs_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_rs1_rs2_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_fli_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_fp_compare_insn(disassembler_t& d, char const* name, unsigned long match,
                         unsigned long id);
void add_fp_from_int_pair_insn(disassembler_t& d, char const* name, unsigned long match,
                               unsigned long id);
void add_fp_r4_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_fp_unary_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_branch_zero_insn(disassembler_t& d, char const* name, unsigned long match,
                          unsigned long id);
void add_branch_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_fp_store_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_fp_load_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_store_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_load_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_i_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_r_rdh_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_r_rsd_pair_insn(disassembler_t& d, char const* name, unsigned long match,
                         unsigned long id);
void add_r_pair_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);
void add_r_rsd_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long id);

// Single entries: vror.vi (match 0x50003057) and srai.u (match 0xd4001077).
void add_vror_vi_insn(disassembler_t& d);
void add_srai_u_insn(disassembler_t& d);
