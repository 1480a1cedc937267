#pragma once
// The codes of et_insn_t::compare: 0 when two records of one instruction
// agree, else the check that failed first. The numbers are printed in the
// diff's reports, so they never change.

namespace et_compare {
enum code_t : unsigned {
  equal = 0,
  hart = 323,
  pril = 327,
  pc = 331,
  trap = 335,
  cause = 339,
  word_16bit = 353,  // the low 16 bits of two compressed words
  word_32bit = 356,  // the words, either of them a 32-bit one
  // Integer operands: `_low32` when a 32-bit core compares only the low half.
  rs1_low32 = 379,
  rs1 = 382,
  rs2_low32 = 389,
  rs2 = 392,
  rs3_low32 = 399,
  rs3 = 402,
  rsd_low32 = 409,
  rsd = 412,
  frs1 = 417,
  frs2 = 420,
  frs3 = 423,
  store_data_valid = 428,
  store_data = 432,
  ea_valid = 439,
  ea = 443,
  pa_valid = 448,
  pa = 452,
  rd_low32 = 460,
  rd = 463,
  frd = 468,
};
}  // namespace et_compare
