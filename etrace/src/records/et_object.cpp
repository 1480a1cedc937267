#include "etrace/records/et_object.h"

#include "etrace/records/et_text.h"

void et_object_t::append_text(std::string& out) const {
  switch (kind) {
    case KIND_NONE: out += "NONE"; break;
    case KIND_INSN:
      out += "SWT ";
      insn.append_text(out);
      break;
    case KIND_RVT:
      out += "RVT ";
      rvt.append_text(out);
      break;
    case KIND_L2T:
      out += "L2T ";
      l2t.append_text(out);
      break;
    case KIND_DCT:
      out += "DCT ";
      dct.append_text(out);
      break;
    default: out += "(unknown)"; break;
  }
}

std::string et_object_t::to_string() const { return et_text::text_of(*this); }
