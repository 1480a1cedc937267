// The table behind the "(args unknown)" entries, one row per encoding name.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "insn_ids.h"

struct catch_all_row_t {
  std::string_view name;  // underscore form, as in insn_names
  uint64_t match;
  uint64_t mask;
};

inline constexpr std::size_t catch_all_row_count = insn_id_count - first_sorted_insn_id;

// Row i is the name with id first_sorted_insn_id + i; c_unimp and unimp have none.
extern std::array<catch_all_row_t, catch_all_row_count> const catch_all_rows;
