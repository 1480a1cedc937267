// One instruction word and its field extractors: the input of every operand
// printer. Compressed instructions occupy the low 16 bits, ordinary ones the
// low 32 bits; fused words use all 64.
#pragma once

#include <cstdint>

class insn_t {
public:
  constexpr insn_t() = default;
  constexpr explicit insn_t(uint64_t bits) : bits_(bits) {}

  constexpr uint64_t bits() const { return bits_; }
  // 11 in the low two bits makes a 32-bit instruction; anything else is a
  // 16-bit compressed one.
  constexpr bool is_32bit() const { return (bits_ & 3) == 3; }

  // Unsigned field of `len` bits (1 to 63) starting at bit `lo`.
  constexpr uint64_t x(unsigned lo, unsigned len) const {
    return (bits_ >> lo) & ((uint64_t(1) << len) - 1);
  }
  // The same field read as a two's-complement number (lo + len at most 64).
  constexpr int64_t xs(unsigned lo, unsigned len) const {
    return int64_t(bits_ << (64 - lo - len)) >> (64 - len);
  }

  // Register fields of the 32-bit formats.
  constexpr unsigned rd() const { return unsigned(x(7, 5)); }
  constexpr unsigned rs1() const { return unsigned(x(15, 5)); }
  constexpr unsigned rs2() const { return unsigned(x(20, 5)); }
  constexpr unsigned rs3() const { return unsigned(x(27, 5)); }
  constexpr unsigned csr() const { return unsigned(x(20, 12)); }

  // Immediates of the 32-bit formats, sign-extended where the ISA says so.
  constexpr int64_t i_imm() const { return xs(20, 12); }
  constexpr int64_t s_imm() const { return x(7, 5) | shl(xs(25, 7), 5); }
  constexpr int64_t sb_imm() const {
    return (x(8, 4) << 1) | (x(25, 6) << 5) | (x(7, 1) << 11) | shl(xs(31, 1), 12);
  }
  constexpr uint64_t u_imm20() const { return x(12, 20); }
  constexpr int64_t uj_imm() const {
    return (x(21, 10) << 1) | (x(20, 1) << 11) | (x(12, 8) << 12) | shl(xs(31, 1), 20);
  }

  // Register fields of the compressed formats; the primed forms name x8..x15.
  constexpr unsigned rvc_rd() const { return rd(); }
  constexpr unsigned rvc_rs1() const { return rd(); }
  constexpr unsigned rvc_rs2() const { return unsigned(x(2, 5)); }
  constexpr unsigned rvc_rs1s() const { return 8 + unsigned(x(7, 3)); }
  constexpr unsigned rvc_rs2s() const { return 8 + unsigned(x(2, 3)); }

  // The first instruction of a fused pair (bits 38..7 of the fused word),
  // back in its own bit positions, so the extractors above read its fields.
  constexpr insn_t fused_first() const { return insn_t(x(7, 32)); }
  // The second instruction's 12-bit immediate as a fused word keeps it (bits
  // 50..39; a branch's offset in halfwords).
  constexpr int64_t fused_second_imm() const { return xs(39, 12); }

  // Immediates of the compressed formats.
  constexpr int64_t rvc_imm() const { return x(2, 5) | shl(xs(12, 1), 5); }
  constexpr uint64_t rvc_zimm() const { return x(2, 5) | (x(12, 1) << 5); }
  constexpr uint64_t rvc_addi4spn_imm() const {
    return (x(6, 1) << 2) | (x(5, 1) << 3) | (x(11, 2) << 4) | (x(7, 4) << 6);
  }
  constexpr int64_t rvc_addi16sp_imm() const {
    return (x(6, 1) << 4) | (x(2, 1) << 5) | (x(5, 1) << 6) | (x(3, 2) << 7) | shl(xs(12, 1), 9);
  }
  constexpr uint64_t rvc_lwsp_imm() const {
    return (x(4, 3) << 2) | (x(12, 1) << 5) | (x(2, 2) << 6);
  }
  constexpr uint64_t rvc_ldsp_imm() const {
    return (x(5, 2) << 3) | (x(12, 1) << 5) | (x(2, 3) << 6);
  }
  constexpr uint64_t rvc_swsp_imm() const { return (x(9, 4) << 2) | (x(7, 2) << 6); }
  constexpr uint64_t rvc_sdsp_imm() const { return (x(10, 3) << 3) | (x(7, 3) << 6); }
  constexpr uint64_t rvc_lw_imm() const {
    return (x(6, 1) << 2) | (x(10, 3) << 3) | (x(5, 1) << 6);
  }
  constexpr uint64_t rvc_ld_imm() const { return (x(10, 3) << 3) | (x(5, 2) << 6); }
  constexpr uint64_t rvc_lbu_imm() const { return x(6, 1) | (x(5, 1) << 1); }
  constexpr uint64_t rvc_lh_imm() const { return x(5, 1) << 1; }
  constexpr int64_t rvc_b_imm() const {
    return (x(3, 2) << 1) | (x(10, 2) << 3) | (x(2, 1) << 5) | (x(5, 2) << 6) | shl(xs(12, 1), 8);
  }
  constexpr int64_t rvc_j_imm() const {
    return (x(3, 3) << 1) | (x(11, 1) << 4) | (x(2, 1) << 5) | (x(7, 1) << 6) | (x(6, 1) << 7) |
           (x(9, 2) << 8) | (x(8, 1) << 10) | shl(xs(12, 1), 11);
  }

private:
  // Left shift of a possibly negative value, without the undefined behaviour
  // of shifting a negative signed number.
  static constexpr int64_t shl(int64_t value, unsigned n) { return int64_t(uint64_t(value) << n); }

  uint64_t bits_ = 0;
};
