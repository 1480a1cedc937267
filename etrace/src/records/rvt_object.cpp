#include "etrace/records/rvt_object.h"

#include "etrace/records/et_text.h"

void rvt_object_t::append_text(std::string& out) const {
  out += "D=";
  et_text::hex(out, data, 16);
}

std::string rvt_object_t::to_string() const { return et_text::text_of(*this); }
