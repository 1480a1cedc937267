#include "disasm/insn_ids.h"

namespace {

// insn_id's binary search is only correct on a strictly ascending list.
constexpr bool sorted_part_is_strictly_ascending() {
  for (std::size_t id = first_sorted_insn_id + 1; id < insn_id_count; ++id) {
    if (!(insn_names[id - 1] < insn_names[id])) return false;
  }
  return true;
}

static_assert(sorted_part_is_strictly_ascending(), "insn_names must be in ASCII order from id 2");
static_assert(insn_id("c_unimp") == 0 && insn_id("unimp") == 1);
static_assert(insn_id("add") == 2 && insn_id("zunpkd832") == insn_id_count - 1);

}  // namespace
