// The "(args unknown)" entries: one per encoding name, so that every word of a
// known encoding gets a name and an identifier even when its extension is not
// enabled. Their match and mask are those of the real entry of the same name
// (its plain form where several entries share the name); the names without a
// real entry of their own, the single-field vector load/store names (field
// count left open) and c_nop have values of their own.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "disasm/insn_ids.h"

struct catch_all_row_t {
  std::string_view name;  // underscore form, as in insn_names
  uint64_t match;
  uint64_t mask;
};

inline constexpr std::size_t catch_all_row_count = insn_id_count - first_sorted_insn_id;

// Row i is the name with id first_sorted_insn_id + i; c_unimp and unimp have none.
inline constexpr std::array<catch_all_row_t, catch_all_row_count> catch_all_rows = {{
#include "disasm/tables/catch_all_rows.inc"
}};

// The row of an encoding name; usable in constant expressions, where an
// unknown name (or c_unimp and unimp, which have no row) fails the build.
constexpr catch_all_row_t const& catch_all_row(std::string_view underscore_name) {
  unsigned long const id = insn_id(underscore_name);
  return id >= first_sorted_insn_id ? catch_all_rows[id - first_sorted_insn_id]
                                    : throw "c_unimp and unimp have no catch-all row";
}
