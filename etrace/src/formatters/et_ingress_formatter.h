// The "ingress" output format: each instruction as a binary record in the
// form of a trace encoder's ingress port (for software Nexus trace).
#pragma once

#include <cstddef>
#include <cstdint>

#include "etrace/formatters/et_buffered_formatter.h"

class et_ingress_formatter_t : public et_buffered_formatter_t {
public:
  // One record, little-endian; tval exists only for itype 1 and 2.
  struct ingress_op_t {
    std::uint16_t hart;
    std::uint8_t itype;
    std::uint8_t priv;
    std::uint8_t cause;
    std::uint8_t reserved[2];
    std::uint8_t iretire;
    std::uint64_t pc;
    std::uint64_t tval;
  };

  // Instruction types of the ingress port.
  enum itype_t : std::uint8_t {
    itype_none = 0,
    itype_exception = 1,
    itype_interrupt = 2,
    itype_trap_return = 3,
    itype_branch_not_taken = 4,
    itype_taken = 5,  // taken branch or direct jump
    itype_indirect_jump = 6,
  };

  static constexpr std::size_t short_size = 16;
  static constexpr std::size_t long_size = 24;

  explicit et_ingress_formatter_t(std::uint64_t xlen) : xlen_(xlen) {}

  // Fills op from insn; std::runtime_error "Unexpected cause!" for an
  // exception cause without a defined tval.
  void convert(ingress_op_t& op, const et_insn_t& insn) const;
  // The size of a converted record: 24 bytes with tval, 16 without.
  static std::size_t record_size(const ingress_op_t& op) {
    return (op.itype == itype_exception || op.itype == itype_interrupt) ? long_size : short_size;
  }
  // The converted record's bytes.
  std::size_t build_record(char* out, const et_insn_t& insn) override;

private:
  std::uint64_t xlen_;
};
