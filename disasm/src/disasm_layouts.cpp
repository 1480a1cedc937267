#include "disasm_layouts.h"

#include <memory>
#include <string>
#include <vector>

#include "disassembler.h"
#include "insn_ids.h"

void add_format_insn(disassembler_t& d, insn_format_t const& format, char const* name,
                     char const* base_name, unsigned long match, unsigned long mask,
                     unsigned long id, unsigned long flags) {
  std::vector<arg_t const*> const args(format.args.begin(), format.args.begin() + format.nargs);
  // add_insn owns the entry from the call on, even when it fails to store it.
  d.add_insn(std::make_unique<disasm_insn_t>(name, base_name, match, mask, id, flags, args).release());
}

void add_entries(disassembler_t& d, table_entry_t const* entries, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    table_entry_t const& e = entries[i];
    add_format_insn(d, *e.format, e.name, e.base_name, e.match, e.mask, e.id, e.flags);
  }
}

namespace {
void add_given_mask(disassembler_t& d, insn_format_t const& format, char const* name,
                    unsigned long match, unsigned long mask, unsigned long id) {
  add_format_insn(d, format, name, name, match, mask, id);
}
void add_fixed_mask(disassembler_t& d, insn_format_t const& format, char const* name,
                    unsigned long match, unsigned long id) {
  add_format_insn(d, format, name, name, match, format.mask, id);
}
}  // namespace

// Layouts whose entries give their own mask.
#define DISASM_GIVEN_MASK_LAYOUT(fn, format)                                              \
  void fn(disassembler_t& d, char const* name, unsigned long match, unsigned long mask,   \
          unsigned long id) {                                                             \
    add_given_mask(d, layout::format, name, match, mask, id);                            \
  }
DISASM_GIVEN_MASK_LAYOUT(add_shift_imm_insn, shift_imm)
DISASM_GIVEN_MASK_LAYOUT(add_no_args_insn, no_args)
DISASM_GIVEN_MASK_LAYOUT(add_fp_r_insn, fp_r)
DISASM_GIVEN_MASK_LAYOUT(add_fp_from_int_insn, fp_from_int)
DISASM_GIVEN_MASK_LAYOUT(add_int_from_fp_insn, int_from_fp)
DISASM_GIVEN_MASK_LAYOUT(add_vec_vi_insn, vec_vi)
DISASM_GIVEN_MASK_LAYOUT(add_r4_insn, r4)
DISASM_GIVEN_MASK_LAYOUT(add_unary_insn, unary)
DISASM_GIVEN_MASK_LAYOUT(add_vec_vx_insn, vec_vx)
DISASM_GIVEN_MASK_LAYOUT(add_vec_v_insn, vec_v)
DISASM_GIVEN_MASK_LAYOUT(add_vec_vi_unsigned_insn, vec_vi_unsigned)
DISASM_GIVEN_MASK_LAYOUT(add_vec_vv_insn, vec_vv)
DISASM_GIVEN_MASK_LAYOUT(add_reg_load_insn, reg_load)
DISASM_GIVEN_MASK_LAYOUT(add_reg_store_insn, reg_store)
DISASM_GIVEN_MASK_LAYOUT(add_r_insn, r)
#undef DISASM_GIVEN_MASK_LAYOUT

// Layouts with the fixed mask of their format.
#define DISASM_FIXED_MASK_LAYOUT(fn, format)                                         \
  void fn(disassembler_t& d, char const* name, unsigned long match, unsigned long id) { \
    add_fixed_mask(d, layout::format, name, match, id);                             \
  }
DISASM_FIXED_MASK_LAYOUT(add_vec_vim_insn, vec_vim)
DISASM_FIXED_MASK_LAYOUT(add_vec_vxm_insn, vec_vxm)
DISASM_FIXED_MASK_LAYOUT(add_vec_vvm_insn, vec_vvm)
DISASM_FIXED_MASK_LAYOUT(add_vec_vf_insn, vec_vf)
DISASM_FIXED_MASK_LAYOUT(add_p_imm5_insn, p_imm5)
DISASM_FIXED_MASK_LAYOUT(add_p_imm4_insn, p_imm4)
DISASM_FIXED_MASK_LAYOUT(add_p_imm3_insn, p_imm3)
DISASM_FIXED_MASK_LAYOUT(add_bs_insn, bs)
DISASM_FIXED_MASK_LAYOUT(add_rs1_rs2_insn, rs1_rs2)
DISASM_FIXED_MASK_LAYOUT(add_fli_insn, fli)
DISASM_FIXED_MASK_LAYOUT(add_fp_compare_insn, fp_compare)
DISASM_FIXED_MASK_LAYOUT(add_fp_from_int_pair_insn, fp_from_int_pair)
DISASM_FIXED_MASK_LAYOUT(add_fp_r4_insn, fp_r4)
DISASM_FIXED_MASK_LAYOUT(add_fp_unary_insn, fp_unary)
DISASM_FIXED_MASK_LAYOUT(add_branch_zero_insn, branch_zero)
DISASM_FIXED_MASK_LAYOUT(add_branch_insn, branch)
DISASM_FIXED_MASK_LAYOUT(add_fp_store_insn, fp_store)
DISASM_FIXED_MASK_LAYOUT(add_fp_load_insn, fp_load)
DISASM_FIXED_MASK_LAYOUT(add_store_insn, store)
DISASM_FIXED_MASK_LAYOUT(add_load_insn, load)
DISASM_FIXED_MASK_LAYOUT(add_i_insn, i)
DISASM_FIXED_MASK_LAYOUT(add_r_rdh_insn, r_rdh)
DISASM_FIXED_MASK_LAYOUT(add_r_rsd_pair_insn, r_rsd_pair)
DISASM_FIXED_MASK_LAYOUT(add_r_pair_insn, r_pair)
DISASM_FIXED_MASK_LAYOUT(add_r_rsd_insn, r_rsd)
#undef DISASM_FIXED_MASK_LAYOUT

void add_amo_insn(disassembler_t& d, char const* name, unsigned long match, unsigned long mask,
                  unsigned long id, unsigned long flags) {
  add_format_insn(d, layout::amo, name, name, match, mask, id, flags);
}

void add_unknown_args_insn(disassembler_t& d, char const* name, unsigned long match,
                           unsigned long mask, unsigned long id) {
  std::string const text = std::string(name) + " (args unknown)";
  add_given_mask(d, layout::unknown_args, text.c_str(), match, mask, id);
}

void add_vror_vi_insn(disassembler_t& d) {
  add_fixed_mask(d, layout::vror_vi, "vror_vi", 0x50003057, insn_id("vror_vi"));
}

void add_srai_u_insn(disassembler_t& d) {
  add_fixed_mask(d, layout::srai_u, "srai_u", 0xd4001077, insn_id("srai_u"));
}
