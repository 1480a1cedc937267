// The fused instruction pairs. Their words have bit 63 set and a length
// marker in bits 6..0, so they land in chains of their own and no ordinary
// entry matches them. Each entry prints no mnemonic of its own: its single
// printer writes both halves of the pair.
#include <memory>

#include "disasm/disassembler.h"
#include "disasm/fused_pairs.h"
#include "disasm/insn_ids.h"
#include "disasm/tables/groups.h"

namespace {

// A misspelt name or a wrong identifier fails the build (insn_id throws for
// an unknown name); so does a match bit that its mask leaves out.
constexpr bool fused_pairs_are_consistent() {
  for (fused_pair_t const& e : fused_pairs) {
    if (insn_id(e.name) != e.id || (e.match & ~e.mask) != 0) return false;
  }
  return true;
}
static_assert(fused_pairs_are_consistent(), "fused entry with a wrong identifier or match");
static_assert(sizeof fused_pairs / sizeof fused_pairs[0] == 41, "41 fused pairs");

}  // namespace

void add_fused_groups(disassembler_t& d, isa_parser_i const* /* not gated */) {
  for (fused_pair_t const& e : fused_pairs) {
    auto insn = std::make_unique<disasm_insn_t>(e.name, e.name, e.match, e.mask, e.id, e.flags,
                                                std::vector<arg_t const*>{e.printer});
    insn->print_name = false;
    d.add_insn(insn.release());  // owned by d from the call on
  }
}
