// The instruction table as data: the rows that give an entry its format
// (tables/insn_formats.h) and the rest: name, match, mask where the format
// has none, and the identifier.
#pragma once

#include <cstddef>

#include "disasm/insn_ids.h"
#include "disasm/tables/catch_all.h"
#include "disasm/tables/insn_formats.h"

class disassembler_t;

// rev8 and rev are grevi with a shift amount that depends on the width.
constexpr unsigned long grevi_match(unsigned long shamt) { return 0x68005013 | shamt << 20; }

// One table entry written as data. Unless given, the base name is the name,
// the identifier that of the name, the flags those of the format, and match
// and mask those of the name's catch-all row (its published encoding). The
// checks run while a constant table is compiled, so a row that contradicts
// its format (or names an unknown instruction) fails the build.
struct table_entry_t {
  // Match and mask of the name's catch-all row.
  constexpr table_entry_t(insn_format_t const& f, char const* n)
      : table_entry_t(f, n, catch_all_row(n).match, catch_all_row(n).mask) {}
  // The format's fixed mask.
  constexpr table_entry_t(insn_format_t const& f, char const* n, unsigned long m)
      : table_entry_t(f, n, n, m, fixed_mask(f), insn_id(n)) {}
  constexpr table_entry_t(insn_format_t const& f, char const* n, unsigned long m, unsigned long k)
      : table_entry_t(f, n, n, m, k, insn_id(n)) {}
  constexpr table_entry_t(insn_format_t const& f, char const* n, unsigned long m, unsigned long k,
                          unsigned long id)
      : table_entry_t(f, n, n, m, k, id) {}
  constexpr table_entry_t(insn_format_t const& f, char const* n, char const* base, unsigned long m,
                          unsigned long k, unsigned long id)
      : format(&f), name(n), base_name(base), match(m), mask(checked_mask(f, k)), id(id),
        flags(f.flags) {}

  constexpr table_entry_t with_flags(unsigned long f) const {
    table_entry_t e = *this;
    e.flags = f;
    return e;
  }

  insn_format_t const* format;
  char const* name;
  char const* base_name;
  unsigned long match;
  unsigned long mask;
  unsigned long id;
  unsigned long flags;

 private:
  static constexpr unsigned long fixed_mask(insn_format_t const& f) {
    return f.mask != 0 ? f.mask : throw "format without a fixed mask: give the entry's mask";
  }
  static constexpr unsigned long checked_mask(insn_format_t const& f, unsigned long k) {
    return f.mask == 0 || f.mask == k ? k : throw "mask differs from the format's fixed mask";
  }
};

// Adds the entries in order.
void add_entries(disassembler_t& d, table_entry_t const* entries, std::size_t count);
template <std::size_t N>
void add_entries(disassembler_t& d, table_entry_t const (&entries)[N]) {
  add_entries(d, entries, N);
}

// Makes one entry of `format` and hands it to the disassembler. Names are in
// underscore form; `mask` is the entry's even when the format fixes one.
void add_format_insn(disassembler_t& d, insn_format_t const& format, char const* name,
                     char const* base_name, unsigned long match, unsigned long mask,
                     unsigned long id, unsigned long flags);
inline void add_format_insn(disassembler_t& d, insn_format_t const& format, char const* name,
                            char const* base_name, unsigned long match, unsigned long mask,
                            unsigned long id) {
  add_format_insn(d, format, name, base_name, match, mask, id, format.flags);
}
