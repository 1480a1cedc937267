#include "disasm/disasm_insn.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

std::string with_dots(char const* underscore_name) {
  std::string text = underscore_name;
  std::replace(text.begin(), text.end(), '_', '.');
  return text;
}

}  // namespace

disasm_insn_t::disasm_insn_t(char const* name, char const* base_name, unsigned long match,
                             unsigned long mask, unsigned long id, unsigned long flags,
                             std::vector<arg_t const*> const& args)
    : disasm_insn_t(name, base_name, match, mask, id, flags, std::vector<arg_t const*>(args)) {}

disasm_insn_t::disasm_insn_t(char const* name, char const* base_name, unsigned long match,
                             unsigned long mask, unsigned long id, unsigned long flags,
                             std::vector<arg_t const*>&& args)
    : match(match),
      mask(mask),
      insn_id(uint32_t(id)),
      insn_flags(flags),
      args(std::move(args)),
      name(with_dots(name)),
      // Most entries are their own base: copy rather than convert again.
      base_name(std::strcmp(base_name, name) == 0 ? this->name : with_dots(base_name)) {}

std::string disasm_insn_t::to_string(insn_t const& insn) const {
  std::string text;
  text.reserve(64);
  if (print_name) text.append(name);
  if (args.empty()) return text;
  if (print_name) text.append(name.size() < 8 ? 8 - name.size() : 1, ' ');

  // A null element makes the next printer optional: dropped when empty. The
  // separator goes by position in `args`, null markers counted.
  bool optional = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (!args[i]) {
      optional = true;
      continue;
    }
    std::string operand = args[i]->to_string(insn);
    if (!(optional && operand.empty())) {
      if (i > 0) text += ", ";
      text += operand;
    }
    optional = false;
  }
  return text;
}
