#include "etrace/formatters/et_ingress_formatter.h"

#include <cstddef>
#include <cstring>
#include <stdexcept>

#include "disasm/insn.h"
#include "disasm/insn_ids.h"

// The record is written as it lies in memory: the layout must be the port's.
static_assert(offsetof(et_ingress_formatter_t::ingress_op_t, itype) == 2, "ingress layout");
static_assert(offsetof(et_ingress_formatter_t::ingress_op_t, priv) == 3, "ingress layout");
static_assert(offsetof(et_ingress_formatter_t::ingress_op_t, cause) == 4, "ingress layout");
static_assert(offsetof(et_ingress_formatter_t::ingress_op_t, iretire) == 7, "ingress layout");
static_assert(offsetof(et_ingress_formatter_t::ingress_op_t, pc) == 8, "ingress layout");
static_assert(offsetof(et_ingress_formatter_t::ingress_op_t, tval) == 16, "ingress layout");
static_assert(sizeof(et_ingress_formatter_t::ingress_op_t) == 24, "ingress layout");
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "ingress records are little-endian");

namespace {

// The trap value of an exception, by cause code.
std::uint64_t exception_tval(const et_insn_t& in) {
  switch (in.cause) {
    case 0:
    case 1:
    case 3: return in.pc;     // misaligned or faulting fetch, breakpoint
    case 2: return in.chunk;  // illegal instruction
    case 4:
    case 5:
    case 6:
    case 7:
    case 12:
    case 13:
    case 15: return in.ea;  // load, store and page faults
    case 8:
    case 9:
    case 11: return 0;  // environment calls
    default: throw std::runtime_error("Unexpected cause!");
  }
}

}  // namespace

void et_ingress_formatter_t::convert(ingress_op_t& op, const et_insn_t& in) const {
  std::memset(&op, 0, sizeof op);
  op.hart = in.hart;
  op.priv = std::uint8_t(in.pril);
  op.iretire = insn_t(in.chunk).is_32bit() ? 2 : 1;
  op.pc = in.pc;

  if (in.interrupt) {
    op.itype = itype_interrupt;
    op.cause = std::uint8_t(in.cause);
    return;
  }
  if (in.trap) {
    op.tval = exception_tval(in);
    op.itype = itype_exception;
    op.cause = std::uint8_t(in.cause);
    return;
  }

  const std::uint64_t r1 = in.rs1.data, r2 = in.rs2.data;
  // blt and bge compare as signed numbers of the traced register width.
  const std::int64_t s1 =
      xlen_ == 32 ? std::int64_t(std::int32_t(std::uint32_t(r1))) : std::int64_t(r1);
  const std::int64_t s2 =
      xlen_ == 32 ? std::int64_t(std::int32_t(std::uint32_t(r2))) : std::int64_t(r2);
  auto branch = [](bool taken) { return taken ? itype_taken : itype_branch_not_taken; };
  switch (in.insn_id) {
    case insn_id("c_jalr"):
    case insn_id("c_jr"):
    case insn_id("jalr"): op.itype = itype_indirect_jump; break;
    case insn_id("mret"):
    case insn_id("sret"):
    case insn_id("uret"): op.itype = itype_trap_return; break;
    case insn_id("c_j"):
    case insn_id("c_jal"):
    case insn_id("jal"): op.itype = itype_taken; break;
    case insn_id("beq"): op.itype = branch(r1 == r2); break;
    case insn_id("bne"): op.itype = branch(r1 != r2); break;
    case insn_id("blt"): op.itype = branch(s1 < s2); break;
    case insn_id("bge"): op.itype = branch(s1 >= s2); break;
    case insn_id("bltu"): op.itype = branch(r1 < r2); break;
    case insn_id("bgeu"): op.itype = branch(r1 >= r2); break;
    case insn_id("c_beqz"): op.itype = branch(r1 == 0); break;
    case insn_id("c_bnez"): op.itype = branch(r1 != 0); break;
    default: op.itype = itype_none; break;
  }
}

std::size_t et_ingress_formatter_t::build_record(char* out, const et_insn_t& insn) {
  ingress_op_t op;
  convert(op, insn);
  const std::size_t n = record_size(op);
  std::memcpy(out, &op, n);
  return n;
}
