// Comparison of two records of one instruction, and fusion of an instruction
// pair into one fused record.
#include <cstdint>
#include <initializer_list>

#include "disasm_insn.h"
#include "records/et_insn.h"

using namespace insn_flag;

namespace {

bool is_32bit(std::uint64_t word) { return (word & 3) == 3; }

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
  unsigned narrow_code, full_code;
};

constexpr int_operand_check_t int_source_checks[] = {
    {&et_insn_t::rs1, RS1, RS1H, false, 379, 382},
    {&et_insn_t::rs2, RS2, RS2H, true, 389, 392},
    {&et_insn_t::rs3, RS3, RS3H, false, 399, 402},
    {&et_insn_t::rsd, RSD, RSDH, false, 409, 412},
};

struct fp_operand_check_t {
  et_reg_t et_insn_t::*reg;
  std::uint64_t flag;
  bool skip_for_store;
  unsigned code;
};

constexpr fp_operand_check_t fp_source_checks[] = {
    {&et_insn_t::frs1, FRS1, false, 417},
    {&et_insn_t::frs2, FRS2, true, 420},
    {&et_insn_t::frs3, FRS3, false, 423},
};

// The (mask, value) pairs that recognise a fused word.
struct fused_pattern_t {
  std::uint64_t mask, value;
};

constexpr fused_pattern_t fused_patterns[] = {
    {0xfff8000000003fdf, 0x8000000000001b9f},  // fuse.lui.addi, fuse.lui.c.addi
    {0xfff8007ffff001ff, 0x800000000030009f},  // fuse.c.lui.addi
    {0xfff8007ffff001ff, 0x80000000003000fb},  // fuse.c.lui.c.addi
    {0xffc7ffff00383fdf, 0x900000000000199f},  // fuse.add.lx, fuse.add.c.lx
    {0xffc7fffffff801ff, 0x900000000048011f},  // fuse.c.add.lx
    {0xffc7fffffff801ff, 0x900000000048017b},  // fuse.c.add.c.lx
    {0xff80000000383fff, 0xd0000000003809bf},  // fuse.andi.beq
    {0xffc0000000383fff, 0xd00000000038099f},  // fuse.andi.c.beq
    {0xff80007ffff601ff, 0xd00000000044009f},  // fuse.c.andi.beq
    {0xffc0007ffff601ff, 0xd0000000004400fb},  // fuse.c.andi.c.beq
    {0xff80007f00383fff, 0xd0000000003819bf},  // fuse.and.beq
    {0xffc0007f00383fff, 0xd00000000038199f},  // fuse.and.c.beq
    {0xff80007ffffe31ff, 0xd00000000046309f},  // fuse.c.and.beq
    {0xffc0007ffffe31ff, 0xd0000000004630fb},  // fuse.c.and.c.beq
    {0xffc7ffff00383bdf, 0x900000100010199f},  // fuse.sh1add(.uw).lx, .c.lx
    {0xffc7ffff00383bdf, 0x900000100020199f},  // fuse.sh2add(.uw).lx, .c.lx
    {0xffc7ffff00383bdf, 0x900000100030199f},  // fuse.sh3add(.uw).lx, .c.lx
    {0xffc7ffff00383fdf, 0x9000000400001d9f},  // fuse.add.uw.lx, fuse.add.uw.c.lx
    {0xffc0000000003fdf, 0xa000000000001b9f},  // fuse.lui.lx, fuse.lui.c.lx
    {0xffc0007ffff001ff, 0xa00000000030009f},  // fuse.c.lui.lx
    {0xffc0007ffff001ff, 0xa0000000003000fb},  // fuse.c.lui.c.lx
    {0xfff8000000003fdf, 0xc000000000000b9f},  // fuse.auipc.addi, fuse.auipc.c.addi
    {0xffc0000000003fdf, 0xe000000000000b9f},  // fuse.auipc.lx, fuse.auipc.c.lx
    {0xfff8000000003fff, 0xf000000000000bbf},  // fuse.auipc.jalr
    {0xfff8000000003fff, 0xb000000000001bbf},  // fuse.lui.jalr
    {0xfff8007ffff001ff, 0xb00000000030009f},  // fuse.c.lui.jalr
};
static_assert(sizeof fused_patterns / sizeof fused_patterns[0] == 26, "26 fused patterns");

std::uint64_t bits(std::uint64_t w, unsigned hi, unsigned lo) {
  return (w >> lo) & ((std::uint64_t(1) << (hi - lo + 1)) - 1);
}

// Sign-extends the low `width` bits of v and keeps the low 12 bits.
std::uint64_t sext_to_12(std::uint64_t v, unsigned width) {
  const std::uint64_t sign = std::uint64_t(1) << (width - 1);
  return ((v ^ sign) - sign) & 0xfff;
}

// The shape of the first instruction of a pair.
enum class first_kind_t { wide, c_lui, c_andi, c_and, c_add };
// The shape of the second instruction of a pair.
enum class second_kind_t { wide, c_addi, c_load, c_branch };

bool is_wide_load(std::uint64_t w) { return (w & 0x7f) == 0x03 && bits(w, 14, 12) != 7; }
bool is_wide_branch(std::uint64_t w) {
  return (w & 0x207f) == 0x63 || (w & 0x607f) == 0x6063;
}

}  // namespace

unsigned et_insn_t::compare(const et_insn_t& o, uint64_t xlen) const {
  if (hart != o.hart) return 323;
  if (pril != o.pril) return 327;
  if (pc != o.pc) return 331;
  if (trap != o.trap) return 335;
  const bool both_trapped = trap && o.trap;
  if (both_trapped) {
    if (cause != o.cause) return 339;
    // Fetch faults, breakpoints and interrupts carry no meaningful word.
    if (cause_in(cause, {0, 1, 12}) || interrupt) return 0;
  }
  if (chunk != o.chunk) {
    if (is_32bit(chunk) || is_32bit(o.chunk)) return 356;
    // 16-bit encodings: bits above 15 are whatever the fetch left there.
    if (((chunk ^ o.chunk) & 0xffff) != 0) return 353;
  }
  // These exceptions stop the instruction before its operands mean anything.
  if (both_trapped && cause_in(cause, {2, 4, 5, 6, 7, 13, 15})) return 0;

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
    if (sd_valid != o.sd_valid) return 428;
    if (sd_valid && sd != o.sd) return 432;
  }
  if (flags & MEM) {
    if (ea_valid != o.ea_valid) return 439;
    if (ea_valid && ea != o.ea) return 443;
    if (pa_valid != o.pa_valid) return 448;
    if (pa_valid && pa != o.pa) return 452;
  }
  if ((flags & RD) && bits(chunk, 11, 7) != 0) {
    const bool narrow = rv32 && !(flags & RDH);
    if (!same_reg(rd, o.rd, narrow)) return narrow ? 460 : 463;
  }
  if ((flags & FRD) && !same_reg(frd, o.frd, false)) return 468;
  return 0;
}

bool et_insn_t::is_fused() const {
  for (const auto& p : fused_patterns)
    if ((chunk & p.mask) == p.value) return true;
  return false;
}

unsigned et_insn_t::fuse(const et_insn_t& first, const et_insn_t& second) {
  if (first.hart != second.hart) return 555;
  if (first.pril != second.pril) return 558;
  if (first.committed != second.committed) return 561;
  if (first.trap) return 564;

  const bool wide1 = is_32bit(first.chunk), wide2 = is_32bit(second.chunk);
  const std::uint64_t w1 = first.chunk & (wide1 ? 0xffffffffu : 0xffffu);
  const std::uint64_t w2 = second.chunk & (wide2 ? 0xffffffffu : 0xffffu);

  // The first instruction's shape and destination D.
  first_kind_t k1;
  std::uint64_t d;
  if (wide1) {
    k1 = first_kind_t::wide;
    d = bits(w1, 11, 7);
  } else if ((w1 & 0xe003) == 0x6001) {
    k1 = first_kind_t::c_lui;
    d = bits(w1, 11, 7);
  } else if ((w1 & 0xec03) == 0x8801 || (w1 & 0xfc63) == 0x8c61) {
    k1 = (w1 & 0xec03) == 0x8801 ? first_kind_t::c_andi : first_kind_t::c_and;
    d = 8 + bits(w1, 9, 7);
  } else if ((w1 & 0xf003) == 0x9002) {
    k1 = first_kind_t::c_add;
    d = bits(w1, 11, 7);
  } else {
    return 592;
  }

  // The second instruction's shape: sources S1, S2 and destination R.
  second_kind_t k2;
  std::uint64_t s1 = 0, s2 = 0, r = 0;
  bool has_s2 = false;
  if (wide2) {
    k2 = second_kind_t::wide;
    s1 = bits(w2, 19, 15);
    s2 = bits(w2, 24, 20);
    r = bits(w2, 11, 7);
    has_s2 = true;
  } else if ((w2 & 0xe003) == 0x0001) {
    k2 = second_kind_t::c_addi;
    s1 = r = bits(w2, 11, 7);
  } else if ((w2 & 0xc003) == 0x4000) {
    k2 = second_kind_t::c_load;
    s1 = 8 + bits(w2, 9, 7);
    r = 8 + bits(w2, 4, 2);
  } else if ((w2 & 0xc003) == 0xc001) {
    k2 = second_kind_t::c_branch;
    s1 = 8 + bits(w2, 9, 7);
  } else {
    return 616;
  }

  const bool upper_imm = k1 == first_kind_t::c_lui || (wide1 && (w1 & 0x5f) == 0x17);
  const bool auipc = wide1 && (w1 & 0x7f) == 0x17;
  const bool and_imm = k1 == first_kind_t::c_andi || (wide1 && (w1 & 0x707f) == 0x7013);
  const bool and_reg = k1 == first_kind_t::c_and || (wide1 && (w1 & 0xfe00707f) == 0x7033);
  const bool add_like = k1 == first_kind_t::c_add ||
                        (wide1 && ((w1 & 0xfe00707f) == 0x33 || (w1 & 0xfe00707f) == 0x0800003b ||
                                   (w1 & 0xfe003077) == 0x20002033 ||
                                   (w1 & 0xfe007077) == 0x20004033));

  const bool second_jalr = wide2 && (w2 & 0x707f) == 0x67;
  const bool second_addi = k2 == second_kind_t::c_addi || (wide2 && (w2 & 0x707f) == 0x13);
  const bool second_load = k2 == second_kind_t::c_load || (wide2 && is_wide_load(w2));
  const auto second_dest_missing = [&] {
    return (!second.rd.addr_valid && !second.trap) || !second.rs1.addr_valid;
  };

  std::uint64_t kind, imm = 0, x0_branch = 0;
  const et_reg_t* new_rd;
  if (upper_imm) {  // family A: lui, c.lui or auipc with addi, a load or jalr
    if (!first.rd.addr_valid) return 632;
    if (!second_addi && !second_load && !second_jalr) return 646;
    if (second_dest_missing()) return 649;
    if (d != s1 || d != r) return 652;
    kind = (second_jalr ? 1 : 0) | (second_addi ? 0 : 2) | (auipc ? 4 : 0);
    if (k2 == second_kind_t::wide) {
      imm = bits(w2, 31, 20);
    } else if (k2 == second_kind_t::c_addi) {
      imm = sext_to_12((bits(w2, 12, 12) << 5) | bits(w2, 6, 2), 6);
    } else if (bits(w2, 15, 13) == 2) {  // c.lw
      imm = (bits(w2, 12, 10) << 3) | (bits(w2, 6, 6) << 2) | (bits(w2, 5, 5) << 6);
    } else {  // c.ld
      imm = (bits(w2, 12, 10) << 3) | (bits(w2, 6, 5) << 6);
    }
    new_rd = second.trap ? &first.rd : &second.rd;
  } else if (and_imm || and_reg) {  // family B: and or andi with a branch
    if (!first.rd.addr_valid) return 682;
    if (!first.rs1.addr_valid) return 685;
    if (and_reg && !first.rs2.addr_valid) return 690;
    const bool branch = k2 == second_kind_t::c_branch || (wide2 && is_wide_branch(w2));
    if (!branch) return 701;
    if (d != s1 && !(has_s2 && d == s2)) return 705;
    // The fused word keeps of the branch's other source only whether it is
    // x0 (bit 54): a branch against another register cannot be fused without
    // losing the register, and a difference in it would compare equal.
    if (wide2 && (d == s1 ? s2 : s1) != 0) return 705;
    kind = 5;
    if (k2 == second_kind_t::wide) {
      const std::uint64_t offset = (bits(w2, 31, 31) << 12) | (bits(w2, 7, 7) << 11) |
                                   (bits(w2, 30, 25) << 5) | (bits(w2, 11, 8) << 1);
      imm = (offset >> 1) & 0xfff;
      x0_branch = s1 == 0 ? 1 : 0;
    } else {
      const std::uint64_t offset = (bits(w2, 12, 12) << 8) | (bits(w2, 6, 5) << 6) |
                                   (bits(w2, 2, 2) << 5) | (bits(w2, 11, 10) << 3) |
                                   (bits(w2, 4, 3) << 1);
      imm = sext_to_12(offset >> 1, 8);
    }
    new_rd = &first.rd;
  } else if (add_like) {  // family C: an add form with a load
    if (!first.rd.addr_valid) return 727;
    if (!first.rs1.addr_valid) return 730;
    if (!first.rs2.addr_valid) return 733;
    if (!second_load) return 744;
    if (second_dest_missing()) return 747;
    if (d != r || d != s1) return 750;
    kind = 1;
    new_rd = second.trap ? &first.rd : &second.rd;
  } else {
    return 756;
  }

  const std::uint64_t funct3 = wide2 ? bits(w2, 14, 12) : bits(w2, 15, 13);
  const std::uint64_t marker = (wide1 && wide2) ? 0x3f : (wide1 || wide2) ? 0x1f : 0x7b;
  const std::uint64_t fused = (std::uint64_t(1) << 63) | (kind << 60) | (x0_branch << 54) |
                              (funct3 << 51) | (imm << 39) | (w1 << 7) | marker;

  const et_reg_t rd_value = *new_rd;  // first or second may be this record
  hart = first.hart;
  pc = first.pc;
  pril = first.pril;
  rs1 = first.rs1;
  rs2 = first.rs2;
  committed = first.committed;
  rd = rd_value;
  ea_valid = second.ea_valid;
  ea = second.ea;
  pa_valid = second.pa_valid;
  pa = second.pa;
  trap = second.trap;
  cause = second.cause;
  flags |= second.flags & MEM;
  chunk = fused;
  return 0;
}
