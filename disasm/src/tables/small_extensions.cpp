// The small extensions among the groups after the vector ones: multiply-only,
// cache-block management, conditional zero, the may-be-operations,
// load-acquire/store-release and the shadow stack; and add_later_groups, the
// order in which these, the packed-SIMD and the crypto groups are added.
//
// A row given only with a format takes the match and mask of its name's
// catch-all row (the published encoding); the other rows give their own.

#include <cstdint>
#include <cstdio>

#include "disasm/disassembler.h"
#include "disasm/insn_ids.h"
#include "disasm/isa_parser.h"
#include "disasm/tables/groups.h"
#include "disasm/tables/table_rows.h"

namespace {

using namespace insn_format;
using e = table_entry_t;

// zmmul: the multiplications of M without the divisions.
constexpr e multiply_only[] = {
    {rd_rs1_rs2, "mul"}, {rd_rs1_rs2, "mulh"}, {rd_rs1_rs2, "mulhu"}, {rd_rs1_rs2, "mulhsu"},
    {rd_rs1_rs2, "mulw"},
};

// zicbom and zicboz.
constexpr e cache_block_management[] = {
    {at_rs1, "cbo_clean", 0x0010200f, 0xfff07fff},
    {at_rs1, "cbo_flush", 0x0020200f, 0xfff07fff},
    {at_rs1, "cbo_inval", 0x0000200f, 0xfff07fff},
};
constexpr e cache_block_zero[] = {
    {at_rs1, "cbo_zero", 0x0040200f, 0xfff07fff},
};

// zicond.
constexpr e conditional_zero[] = {{rd_rs1_rs2, "czero_eqz"}, {rd_rs1_rs2, "czero_nez"}};

// zcmop; c.mop.1 and c.mop.5 give way to c.sspush and c.sspopchk under zicfiss.
struct compressed_mop_t {
  e entry;
  bool shadow_stack_encoding;
};
constexpr compressed_mop_t compressed_mops[] = {
    {{no_operands, "c_mop_1", 0x6081, 0xffff}, true},
    {{no_operands, "c_mop_3", 0x6181, 0xffff}, false},
    {{no_operands, "c_mop_5", 0x6281, 0xffff}, true},
    {{no_operands, "c_mop_7", 0x6381, 0xffff}, false},
    {{no_operands, "c_mop_9", 0x6481, 0xffff}, false},
    {{no_operands, "c_mop_11", 0x6581, 0xffff}, false},
    {{no_operands, "c_mop_13", 0x6681, 0xffff}, false},
    {{no_operands, "c_mop_15", 0x6781, 0xffff}, false},
};

// zalasr.
constexpr e acquire_release[] = {
    {rd_at_rs1, "lb_aq"}, {rd_at_rs1, "lh_aq"}, {rd_at_rs1, "lw_aq"}, {rd_at_rs1, "ld_aq"},
    {rs2_at_rs1, "sb_rl"}, {rs2_at_rs1, "sh_rl"}, {rs2_at_rs1, "sw_rl"}, {rs2_at_rs1, "sd_rl"},
};

// zicfiss: sspush and sspopchk print one name for their x1 and x5 encodings,
// each with that encoding's identifier.
constexpr e shadow_stack[] = {
    {rs2, "sspush", 0xce104073, 0xffffffff, insn_id("sspush_x1")},
    {rs2, "sspush", 0xce504073, 0xffffffff, insn_id("sspush_x5")},
    {rs1, "sspopchk", 0xcdc0c073, 0xffffffff, insn_id("sspopchk_x1")},
    {rs1, "sspopchk", 0xcdc2c073, 0xffffffff, insn_id("sspopchk_x5")},
    {rd, "ssrdp", 0xcdc04073, 0xfffff07f},
    {rd_rs2_at_rs1, "ssamoswap_w"},
};
constexpr e shadow_stack_rv64[] = {{rd_rs2_at_rs1, "ssamoswap_d"}};
constexpr e compressed_shadow_stack[] = {
    {ra, "c_sspush", "sspush", 0x6081, 0xffff, insn_id("c_sspush_x1")},
    {t0, "c_sspopchk", "sspopchk", 0x6281, 0xffff, insn_id("c_sspopchk_x5")},
};

// mop.r.0 to mop.r.31 and mop.rr.0 to mop.rr.7: the number's bits are spread
// over the instruction word. mop.r.28 and mop.rr.7 are the shadow-stack
// encodings and give way to them under zicfiss.
void add_may_be_operations(disassembler_t& d, bool shadow_stack_present) {
  char name[16];
  for (unsigned n = 0; n < 32; ++n) {
    if (n == 28 && shadow_stack_present) continue;
    std::snprintf(name, sizeof name, "mop_r_%u", n);
    uint64_t const match = 0x81c04073 | uint64_t(n & 1) << 20 | uint64_t(n >> 1 & 1) << 21 |
                           uint64_t(n >> 2 & 1) << 26 | uint64_t(n >> 3 & 1) << 27 |
                           uint64_t(n >> 4 & 1) << 30;
    add_format_insn(d, rd_rs1, name, name, match, 0xfff0707f, insn_id(name));
  }
  for (unsigned n = 0; n < 8; ++n) {
    if (n == 7 && shadow_stack_present) continue;
    std::snprintf(name, sizeof name, "mop_rr_%u", n);
    uint64_t const match = 0x82004073 | uint64_t(n & 1) << 26 | uint64_t(n >> 1 & 1) << 27 |
                           uint64_t(n >> 2 & 1) << 30;
    add_format_insn(d, rd_rs1_rs2, name, name, match, 0xfe00707f, insn_id(name));
  }
}

}  // namespace

void add_later_groups(disassembler_t& d, isa_parser_i const* isa) {
  auto has = [isa](isa_extension_t ext) { return isa->extension_enabled(ext); };
  bool const rv64 = isa->get_max_xlen() == 64;
  bool const shadow_stack_present = has(EXT_ZICFISS);

  if (has(EXT_ZMMUL)) add_entries(d, multiply_only);
  add_packed_simd_groups(d, isa);
  if (has(EXT_ZICBOM)) add_entries(d, cache_block_management);
  if (has(EXT_ZICBOZ)) add_entries(d, cache_block_zero);
  if (has(EXT_ZICOND)) add_entries(d, conditional_zero);
  if (has(EXT_ZIMOP)) add_may_be_operations(d, shadow_stack_present);
  if (has(EXT_ZCMOP)) {
    for (compressed_mop_t const& mop : compressed_mops)
      if (!(mop.shadow_stack_encoding && shadow_stack_present)) add_entries(d, &mop.entry, 1);
  }
  add_crypto_groups(d, isa);
  if (has(EXT_ZALASR)) add_entries(d, acquire_release);
  if (shadow_stack_present) {
    add_entries(d, shadow_stack);
    if (rv64) add_entries(d, shadow_stack_rv64);
    if (has(EXT_ZCA)) add_entries(d, compressed_shadow_stack);
  }
  add_packed_multiplies(d, isa);
}
