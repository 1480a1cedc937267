// Fusion of an instruction pair into one fused record, and recognition of
// fused words.
//
// Fused word: bit 63 set; bits 62..60 the kind; bit 54 set when the branch
// compares with x0; bits 53..51 the second instruction's funct3; bits 50..39
// its 12-bit immediate; bits 38..7 the first instruction; bits 6..0 a marker
// of the two halves' lengths.
#include "etrace/records/et_insn_fuse.h"

#include <cstddef>
#include <cstdint>

#include "disasm/disasm_insn.h"
#include "disasm/fused_pairs.h"
#include "disasm/insn.h"
#include "etrace/records/et_insn.h"

using namespace insn_flag;

namespace {

// The (mask, value) pairs that recognise a fused word: the disassembler's
// fused-pair rows, with the rows that differ only in the length marker's bit
// 5 (a 32-bit or a 16-bit second half) or in bit 10 (the first half's opcode
// OP or OP-32, an shNadd or its .uw form) merged, so that fewer are tried.
struct fused_pattern_t {
  std::uint64_t mask, value;
};

constexpr std::size_t fused_pair_count = sizeof fused_pairs / sizeof fused_pairs[0];

struct fused_pattern_list_t {
  fused_pattern_t at[fused_pair_count];
  std::size_t count;
};

constexpr fused_pattern_list_t merge_fused_pairs() {
  fused_pattern_list_t list{};
  for (const fused_pair_t& pair : fused_pairs) list.at[list.count++] = {pair.mask, pair.match};
  constexpr std::uint64_t mergeable[] = {std::uint64_t(1) << 5, std::uint64_t(1) << 10};
  for (bool merged = true; merged;) {
    merged = false;
    for (std::size_t i = 0; i < list.count; ++i) {
      for (std::size_t j = i + 1; j < list.count; ++j) {
        const std::uint64_t differ = list.at[i].value ^ list.at[j].value;
        if (list.at[i].mask != list.at[j].mask ||
            (differ != mergeable[0] && differ != mergeable[1]))
          continue;
        // Together the two match exactly the words that ignore that bit.
        list.at[i] = {list.at[i].mask & ~differ, list.at[i].value & ~differ};
        for (std::size_t k = j + 1; k < list.count; ++k) list.at[k - 1] = list.at[k];
        --list.count;
        merged = true;
      }
    }
  }
  return list;
}

constexpr fused_pattern_list_t fused_patterns = merge_fused_pairs();
static_assert(fused_patterns.count == 26, "41 fused pairs in 26 patterns");

// A signed immediate as the fused word keeps it: its low 12 bits.
std::uint64_t low_12(std::int64_t imm) { return std::uint64_t(imm) & 0xfff; }
// A branch offset as the fused word keeps it: the low 12 bits of its
// count of halfwords.
std::uint64_t low_12_halfwords(std::int64_t offset) { return (std::uint64_t(offset) >> 1) & 0xfff; }

// The shape of the first instruction of a pair.
enum class first_kind_t { wide, c_lui, c_andi, c_and, c_add };
// The shape of the second instruction of a pair.
enum class second_kind_t { wide, c_addi, c_load, c_branch };

bool is_wide_load(std::uint64_t w) { return (w & 0x7f) == 0x03 && insn_t(w).x(12, 3) != 7; }
bool is_wide_branch(std::uint64_t w) { return (w & 0x207f) == 0x63 || (w & 0x607f) == 0x6063; }

}  // namespace

bool et_insn_t::is_fused() const {
  for (std::size_t k = 0; k < fused_patterns.count; ++k)
    if ((chunk & fused_patterns.at[k].mask) == fused_patterns.at[k].value) return true;
  return false;
}

unsigned et_insn_t::fuse(const et_insn_t& first, const et_insn_t& second) {
  if (first.hart != second.hart) return et_fuse::hart;
  if (first.pril != second.pril) return et_fuse::pril;
  if (first.committed != second.committed) return et_fuse::committed;
  if (first.trap) return et_fuse::first_trapped;

  const bool wide1 = insn_t(first.chunk).is_32bit(), wide2 = insn_t(second.chunk).is_32bit();
  const std::uint64_t w1 = first.chunk & (wide1 ? 0xffffffffu : 0xffffu);
  const std::uint64_t w2 = second.chunk & (wide2 ? 0xffffffffu : 0xffffu);
  const insn_t i1(w1), i2(w2);

  // The first instruction's shape and destination D.
  first_kind_t k1;
  std::uint64_t d;
  if (wide1) {
    k1 = first_kind_t::wide;
    d = i1.rd();
  } else if ((w1 & 0xe003) == 0x6001) {
    k1 = first_kind_t::c_lui;
    d = i1.rvc_rd();
  } else if ((w1 & 0xec03) == 0x8801 || (w1 & 0xfc63) == 0x8c61) {
    k1 = (w1 & 0xec03) == 0x8801 ? first_kind_t::c_andi : first_kind_t::c_and;
    d = i1.rvc_rs1s();
  } else if ((w1 & 0xf003) == 0x9002) {
    k1 = first_kind_t::c_add;
    d = i1.rvc_rd();
  } else {
    return et_fuse::first_16bit_unsupported;
  }

  // The second instruction's shape: sources S1, S2 and destination R.
  second_kind_t k2;
  std::uint64_t s1 = 0, s2 = 0, r = 0;
  bool has_s2 = false;
  if (wide2) {
    k2 = second_kind_t::wide;
    s1 = i2.rs1();
    s2 = i2.rs2();
    r = i2.rd();
    has_s2 = true;
  } else if ((w2 & 0xe003) == 0x0001) {
    k2 = second_kind_t::c_addi;
    s1 = r = i2.rvc_rd();
  } else if ((w2 & 0xc003) == 0x4000) {
    k2 = second_kind_t::c_load;
    s1 = i2.rvc_rs1s();
    r = i2.rvc_rs2s();
  } else if ((w2 & 0xc003) == 0xc001) {
    k2 = second_kind_t::c_branch;
    s1 = i2.rvc_rs1s();
  } else {
    return et_fuse::second_16bit_unsupported;
  }

  const bool upper_imm = k1 == first_kind_t::c_lui || (wide1 && (w1 & 0x5f) == 0x17);
  const bool auipc = wide1 && (w1 & 0x7f) == 0x17;
  const bool and_imm = k1 == first_kind_t::c_andi || (wide1 && (w1 & 0x707f) == 0x7013);
  const bool and_reg = k1 == first_kind_t::c_and || (wide1 && (w1 & 0xfe00707f) == 0x7033);
  const bool add_like =
      k1 == first_kind_t::c_add ||
      (wide1 && ((w1 & 0xfe00707f) == 0x33 || (w1 & 0xfe00707f) == 0x0800003b ||
                 (w1 & 0xfe003077) == 0x20002033 || (w1 & 0xfe007077) == 0x20004033));

  const bool second_jalr = wide2 && (w2 & 0x707f) == 0x67;
  const bool second_addi = k2 == second_kind_t::c_addi || (wide2 && (w2 & 0x707f) == 0x13);
  const bool second_load = k2 == second_kind_t::c_load || (wide2 && is_wide_load(w2));
  const auto second_dest_missing = [&] {
    return (!second.rd.addr_valid && !second.trap) || !second.rs1.addr_valid;
  };

  std::uint64_t kind, imm = 0, x0_branch = 0;
  const et_reg_t* new_rd;
  if (upper_imm) {  // lui, c.lui or auipc with addi, a load or jalr
    if (!first.rd.addr_valid) return et_fuse::upper_first_rd_missing;
    if (!second_addi && !second_load && !second_jalr) return et_fuse::upper_second_unsupported;
    if (second_dest_missing()) return et_fuse::upper_second_operand_missing;
    if (d != s1 || d != r) return et_fuse::upper_registers_differ;
    kind = (second_jalr ? 1 : 0) | (second_addi ? 0 : 2) | (auipc ? 4 : 0);
    if (k2 == second_kind_t::wide) {
      imm = low_12(i2.i_imm());
    } else if (k2 == second_kind_t::c_addi) {
      imm = low_12(i2.rvc_imm());
    } else if (i2.x(13, 3) == 2) {  // c.lw
      imm = i2.rvc_lw_imm();
    } else {  // c.ld
      imm = i2.rvc_ld_imm();
    }
    new_rd = second.trap ? &first.rd : &second.rd;
  } else if (and_imm || and_reg) {  // and or andi with a branch
    if (!first.rd.addr_valid) return et_fuse::and_branch_first_rd_missing;
    if (!first.rs1.addr_valid) return et_fuse::and_branch_first_rs1_missing;
    if (and_reg && !first.rs2.addr_valid) return et_fuse::and_branch_first_rs2_missing;
    const bool branch = k2 == second_kind_t::c_branch || (wide2 && is_wide_branch(w2));
    if (!branch) return et_fuse::and_branch_second_not_branch;
    if (d != s1 && !(has_s2 && d == s2)) return et_fuse::and_branch_registers_differ;
    // The fused word keeps of the branch's other source only whether it is
    // x0 (bit 54): a branch against another register cannot be fused without
    // losing the register, and a difference in it would compare equal.
    if (wide2 && (d == s1 ? s2 : s1) != 0) return et_fuse::and_branch_registers_differ;
    kind = 5;
    imm = low_12_halfwords(k2 == second_kind_t::wide ? i2.sb_imm() : i2.rvc_b_imm());
    if (k2 == second_kind_t::wide) x0_branch = s1 == 0 ? 1 : 0;
    new_rd = &first.rd;
  } else if (add_like) {  // an add form with a load
    if (!first.rd.addr_valid) return et_fuse::add_load_first_rd_missing;
    if (!first.rs1.addr_valid) return et_fuse::add_load_first_rs1_missing;
    if (!first.rs2.addr_valid) return et_fuse::add_load_first_rs2_missing;
    if (!second_load) return et_fuse::add_load_second_not_load;
    if (second_dest_missing()) return et_fuse::add_load_second_operand_missing;
    if (d != r || d != s1) return et_fuse::add_load_registers_differ;
    kind = 1;
    new_rd = second.trap ? &first.rd : &second.rd;
  } else {
    return et_fuse::first_unsupported;
  }

  const std::uint64_t funct3 = wide2 ? i2.x(12, 3) : i2.x(13, 3);
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
  return et_fuse::fused;
}
