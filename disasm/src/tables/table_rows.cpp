#include "disasm/tables/table_rows.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "disasm/disassembler.h"
#include "disasm/insn_ids.h"

void add_format_insn(disassembler_t& d, insn_format_t const& format, char const* name,
                     char const* base_name, unsigned long match, unsigned long mask,
                     unsigned long id, unsigned long flags) {
  std::vector<arg_t const*> args(format.args.begin(), format.args.begin() + format.nargs);
  // add_insn owns the entry from the call on, even when it fails to store it.
  d.add_insn(std::make_unique<disasm_insn_t>(name, base_name, match, mask, id, flags, std::move(args))
                 .release());
}

void add_entries(disassembler_t& d, table_entry_t const* entries, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    table_entry_t const& e = entries[i];
    add_format_insn(d, *e.format, e.name, e.base_name, e.match, e.mask, e.id, e.flags);
  }
}

