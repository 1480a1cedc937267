#include "etrace/records/et_reg.h"

#include "etrace/records/et_text.h"

void et_reg_t::append_text(std::string& out) const {
  if (addr_valid) {
    out += '[';
    et_text::hex(out, addr, 2);
    out += "]=";
  } else {
    out += "[??]=";
  }
  if (data_valid)
    et_text::hex(out, data, 16);
  else
    out += "????????????????";
}

std::string et_reg_t::to_string() const { return et_text::text_of(*this); }
