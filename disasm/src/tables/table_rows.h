// The instruction table as data: the formats (operand printers and flags, and
// for some a fixed mask) shared by the entries written in them, and the rows
// that give the rest of an entry: name, match, mask where the format has none,
// and the identifier.
#pragma once

#include <array>
#include <cstddef>

#include "arg.h"
#include "disasm_insn.h"
#include "insn_ids.h"
#include "tables/catch_all.h"

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
// The cache-block operations and prefetch hints: a base register and no offset.
inline constexpr insn_format_t address_only{0x1, 0, 1, {&amo_address_arg}};
inline constexpr insn_format_t reg_load{0x109, 0, 2, {&int_rd_arg, &amo_address_arg}};
inline constexpr insn_format_t reg_store{
    0x30b, 0, 2, {&int_rs2_arg, &amo_address_arg}};
// The flags of an AMO are the entry's; these are those of a read-modify-write.
inline constexpr insn_format_t amo{
    0x30b, 0, 3, {&int_rd_arg, &int_rs2_arg, &amo_address_arg}};
inline constexpr insn_format_t r{0xb, 0, 3, {&int_rd_arg, &int_rs1_arg, &int_rs2_arg}};

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
// The AES and SM4 byte-select forms read two source registers.
inline constexpr insn_format_t bs{
    0xb, 0x3e00707f, 4, {&int_rd_arg, &int_rs1_arg, &int_rs2_arg, &bs_arg}};
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

// Short names of the formats, as the vector, packed-SIMD and later rows use them.
namespace short_format {
inline constexpr insn_format_t const& VV = layout::vec_vv;
inline constexpr insn_format_t const& VX = layout::vec_vx;
inline constexpr insn_format_t const& VI = layout::vec_vi;
inline constexpr insn_format_t const& VU = layout::vec_vi_unsigned;
inline constexpr insn_format_t const& VU6 = layout::vror_vi;
inline constexpr insn_format_t const& V = layout::vec_v;
inline constexpr insn_format_t const& VF = layout::vec_vf;
inline constexpr insn_format_t const& VVM = layout::vec_vvm;
inline constexpr insn_format_t const& VXM = layout::vec_vxm;
inline constexpr insn_format_t const& VIM = layout::vec_vim;
inline constexpr insn_format_t const& R = layout::r;
inline constexpr insn_format_t const& R4 = layout::r4;
inline constexpr insn_format_t const& I2 = layout::unary;
inline constexpr insn_format_t const& PI3 = layout::p_imm3;
inline constexpr insn_format_t const& PI4 = layout::p_imm4;
inline constexpr insn_format_t const& PI5 = layout::p_imm5;
inline constexpr insn_format_t const& PI6 = layout::srai_u;
inline constexpr insn_format_t const& BS = layout::bs;
inline constexpr insn_format_t const& RD64 = layout::r_rdh;       // rd is a register pair
inline constexpr insn_format_t const& RA64 = layout::r_rsd_pair;  // and accumulates into it
inline constexpr insn_format_t const& RS64 = layout::r_pair;      // all three are pairs
inline constexpr insn_format_t const& RACC = layout::r_rsd;       // accumulates into rd
inline constexpr insn_format_t const& LA = layout::reg_load;
inline constexpr insn_format_t const& SR = layout::reg_store;
inline constexpr insn_format_t const& AMO3 = layout::amo;
}  // namespace short_format

// rev8 and rev are grevi with a shift amount that depends on the width.
constexpr unsigned long grevi_match(unsigned long shamt) { return 0x68005013 | shamt << 20; }

// One table entry written as data. Unless given, the base name is the name,
// the identifier that of the name, the flags those of the format, and match
// and mask those of the name's catch-all row (its published encoding). The
// checks run while a constant table is compiled, so a row that contradicts
// its format (or names an unknown instruction) fails the build.
struct table_entry_t {
  // Match and mask of the name's catch-all row.
  constexpr table_entry_t(insn_format_t const& f, char const* n)
      : table_entry_t(f, n, catch_all_row(n).match, catch_all_row(n).mask) {}
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
