#include "disasm/tables/catch_all.h"

#include <string>

#include "disasm/tables/groups.h"
#include "disasm/tables/table_rows.h"

namespace {

// A row's id is its position, so the rows must follow insn_names exactly (a
// missing row would leave an empty name at the end).
constexpr bool rows_follow_insn_names() {
  for (std::size_t i = 0; i < catch_all_row_count; ++i) {
    if (catch_all_rows[i].name != insn_names[first_sorted_insn_id + i])
      return false;
  }
  return true;
}

static_assert(rows_follow_insn_names(), "catch-all rows must be in id order");

}  // namespace

void add_catch_all_entries(disassembler_t& d, isa_parser_i const*) {
  unsigned long id = first_sorted_insn_id;
  std::string text;
  for (catch_all_row_t const& row : catch_all_rows) {
    text.assign(row.name).append(" (args unknown)");
    add_format_insn(d, insn_format::no_operands, text.c_str(), text.c_str(), row.match, row.mask,
                    id++);
  }
}
