// Comparison of two records of one instruction.
#include "etrace/records/et_insn_compare.h"

#include <cstdint>
#include <initializer_list>

#include "disasm/disasm_insn.h"
#include "disasm/insn.h"
#include "etrace/records/et_insn.h"

using namespace insn_flag;

namespace {

// Register operands agree when all four fields are equal; `narrow` compares
// only the low 32 bits of the value (a 32-bit core's single register).
bool same_reg(const et_reg_t& a, const et_reg_t& b, bool narrow) {
  const std::uint64_t mask = narrow ? 0xffffffffu : ~std::uint64_t(0);
  return a.addr_valid == b.addr_valid && a.data_valid == b.data_valid && a.addr == b.addr &&
         (a.data & mask) == (b.data & mask);
}

bool cause_in(std::uint64_t cause, std::initializer_list<std::uint64_t> list) {
  for (std::uint64_t c : list)
    if (cause == c) return true;
  return false;
}

// One integer operand check: the flag that selects it, its pair flag, and
// the codes for the 32-bit rule and for the full comparison.
struct int_operand_check_t {
  et_reg_t et_insn_t::*reg;
  std::uint64_t flag, pair_flag;
  bool skip_for_store;
  et_compare::code_t narrow_code, full_code;
};

constexpr int_operand_check_t int_source_checks[] = {
    {&et_insn_t::rs1, RS1, RS1H, false, et_compare::rs1_low32, et_compare::rs1},
    {&et_insn_t::rs2, RS2, RS2H, true, et_compare::rs2_low32, et_compare::rs2},
    {&et_insn_t::rs3, RS3, RS3H, false, et_compare::rs3_low32, et_compare::rs3},
    {&et_insn_t::rsd, RSD, RSDH, false, et_compare::rsd_low32, et_compare::rsd},
};

struct fp_operand_check_t {
  et_reg_t et_insn_t::*reg;
  std::uint64_t flag;
  bool skip_for_store;
  et_compare::code_t code;
};

constexpr fp_operand_check_t fp_source_checks[] = {
    {&et_insn_t::frs1, FRS1, false, et_compare::frs1},
    {&et_insn_t::frs2, FRS2, true, et_compare::frs2},
    {&et_insn_t::frs3, FRS3, false, et_compare::frs3},
};

}  // namespace

unsigned et_insn_t::compare(const et_insn_t& o, uint64_t xlen) const {
  if (hart != o.hart) return et_compare::hart;
  if (pril != o.pril) return et_compare::pril;
  if (pc != o.pc) return et_compare::pc;
  if (trap != o.trap) return et_compare::trap;
  const bool both_trapped = trap && o.trap;
  if (both_trapped) {
    if (cause != o.cause) return et_compare::cause;
    // Fetch faults, breakpoints and interrupts carry no meaningful word.
    if (cause_in(cause, {0, 1, 12}) || interrupt) return et_compare::equal;
  }
  if (chunk != o.chunk) {
    if (insn_t(chunk).is_32bit() || insn_t(o.chunk).is_32bit()) return et_compare::word_32bit;
    // 16-bit encodings: bits above 15 are whatever the fetch left there.
    if (((chunk ^ o.chunk) & 0xffff) != 0) return et_compare::word_16bit;
  }
  // These exceptions stop the instruction before its operands mean anything.
  if (both_trapped && cause_in(cause, {2, 4, 5, 6, 7, 13, 15})) return et_compare::equal;

  const bool rv32 = xlen == 32;
  const bool stores = (flags & STORE) != 0;
  for (const auto& c : int_source_checks) {
    if (!(flags & c.flag) || (c.skip_for_store && stores)) continue;
    const bool narrow = rv32 && !(flags & c.pair_flag);
    if (!same_reg(this->*c.reg, o.*c.reg, narrow)) return narrow ? c.narrow_code : c.full_code;
  }
  for (const auto& c : fp_source_checks) {
    if (!(flags & c.flag) || (c.skip_for_store && stores)) continue;
    if (!same_reg(this->*c.reg, o.*c.reg, false)) return c.code;
  }
  if (stores) {
    if (sd_valid != o.sd_valid) return et_compare::store_data_valid;
    if (sd_valid && sd != o.sd) return et_compare::store_data;
  }
  if (flags & MEM) {
    if (ea_valid != o.ea_valid) return et_compare::ea_valid;
    if (ea_valid && ea != o.ea) return et_compare::ea;
    if (pa_valid != o.pa_valid) return et_compare::pa_valid;
    if (pa_valid && pa != o.pa) return et_compare::pa;
  }
  if ((flags & RD) && insn_t(chunk).rd() != 0) {
    const bool narrow = rv32 && !(flags & RDH);
    if (!same_reg(rd, o.rd, narrow)) return narrow ? et_compare::rd_low32 : et_compare::rd;
  }
  if ((flags & FRD) && !same_reg(frd, o.frd, false)) return et_compare::frd;
  return et_compare::equal;
}
