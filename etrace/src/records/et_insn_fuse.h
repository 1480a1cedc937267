#pragma once
// The codes of et_insn_t::fuse: 0 when two consecutive records became one
// fused record, else why the pair cannot be fused. The numbers are printed
// in the diff's reports, so they never change.
//
// Families by the first instruction: "upper" is lui, c.lui or auipc with
// addi, a load or jalr; "and_branch" is and or andi with a branch; "add_load"
// is an add form with a load.

namespace et_fuse {
enum code_t : unsigned {
  fused = 0,
  hart = 555,
  pril = 558,
  committed = 561,
  first_trapped = 564,
  first_16bit_unsupported = 592,
  second_16bit_unsupported = 616,
  upper_first_rd_missing = 632,
  upper_second_unsupported = 646,
  upper_second_operand_missing = 649,  // rd (unless trapped) or rs1
  upper_registers_differ = 652,
  and_branch_first_rd_missing = 682,
  and_branch_first_rs1_missing = 685,
  and_branch_first_rs2_missing = 690,
  and_branch_second_not_branch = 701,
  and_branch_registers_differ = 705,
  add_load_first_rd_missing = 727,
  add_load_first_rs1_missing = 730,
  add_load_first_rs2_missing = 733,
  add_load_second_not_load = 744,
  add_load_second_operand_missing = 747,  // rd (unless trapped) or rs1
  add_load_registers_differ = 750,
  first_unsupported = 756,
};
}  // namespace et_fuse
