#include "etrace/records/et_insn.h"

#include "etrace/records/et_text.h"

namespace {

char privilege_letter(uint64_t pril) {
  switch (pril) {
    case 0: return 'U';
    case 1: return 'S';
    case 3: return 'M';
    default: return '?';
  }
}

// The operands of the text, in print order; rsd is deliberately absent.
struct printed_operand_t {
  const char* label;
  et_reg_t et_insn_t::*reg;
};
const printed_operand_t printed_operands[] = {
    {" RS1", &et_insn_t::rs1},   {" RS2", &et_insn_t::rs2},   {" RS3", &et_insn_t::rs3},
    {" FRS1", &et_insn_t::frs1}, {" FRS2", &et_insn_t::frs2}, {" FRS3", &et_insn_t::frs3},
    {" RD", &et_insn_t::rd},     {" FRD", &et_insn_t::frd},
};

}  // namespace

void et_insn_t::append_text(std::string& out) const {
  out += '(';
  et_text::dec(out, uiid, 8, ' ');
  out += '.';
  et_text::dec(out, hart);
  out += ") ";
  out += privilege_letter(pril);
  out += committed ? 'c' : 'x';
  out += " [";
  et_text::hex(out, pc, 16);
  out += "]  (";
  et_text::dec(out, insn_id, 3, '0');
  out += ") |";
  et_text::hex(out, chunk, 16);
  out += '|';
  for (const printed_operand_t& operand : printed_operands) {
    const et_reg_t& reg = this->*operand.reg;
    if (!reg.addr_valid && !reg.data_valid) continue;
    out += operand.label;
    reg.append_text(out);
  }
  if (ea_valid) et_text::hex_field(out, " EA=", ea, 16);
  if (pa_valid) et_text::hex_field(out, " PA=", pa, 16);
  if (sd_valid) et_text::hex_field(out, " SD=", sd, 16);
  if (trap) et_text::hex_field(out, " CAUSE=", cause, 16);
  if (trig) out += " TRIG=1";
}

std::string et_insn_t::to_string() const { return et_text::text_of(*this); }
