#include "etrace/records/dct_object.h"

#include "etrace/records/et_message_text.h"
#include "etrace/records/et_text.h"

using et_text::dec_field;
using et_text::hex_field;

namespace et_text {
void append_own_payload(std::string& out, const dct_object_t& message, mh_payload_shape_t shape) {
  if (shape == MH_SHAPE_BRQ) message.brq.append_text(out);
  if (shape == MH_SHAPE_WUP) message.wup.append_text(out);
}
}  // namespace et_text

void dct_brq_t::append_text(std::string& out) const {
  dec_field(out, "HID=", hid);
  dec_field(out, " OP=", op);
  hex_field(out, " F=", f, 2);
  hex_field(out, " A=", a, 16);
  hex_field(out, " KL=", kl);
  hex_field(out, " STLB=", stlb);
  // Which data fields matter depends on the operation.
  if (op == 2 && (f & 0x20)) {
    out += " WRD=ZERO";
  } else if (op == 2 || op == 7) {
    hex_field(out, " WRD=", wrd, 16);
    hex_field(out, " WRM=", wrm, 2);
  }
  if (op == 4 || op == 7) {
    hex_field(out, " LDD=", ldd, 16);
    hex_field(out, " PSN=", psn);
  }
  if (op == 2 && (f & 0x08)) hex_field(out, " SCF=", scf);
  if (fs != 0) hex_field(out, " FS=", fs);
  if (blk_valid) {
    switch (blk_kind) {
      case 0: hex_field(out, " BLK=ID#", blk_id); break;
      case 1: out += " BLK=GEN"; break;
      case 2: out += " BLK=NONE"; break;
      default: out += " BLK=?"; break;
    }
  }
}

void dct_wup_t::append_text(std::string& out) const {
  dec_field(out, "HID=", hid);
  dec_field(out, " GV=", gv);
  dec_field(out, " V=", v);
  hex_field(out, ":", v_data);
  hex_field(out, " FS=", fs);
}

std::string dct_brq_t::to_string() const { return et_text::text_of(*this); }
std::string dct_wup_t::to_string() const { return et_text::text_of(*this); }

void dct_object_t::append_text(std::string& out) const {
  et_text::append_message(out, *this, MH_SWT_DCT_BRQ, MH_SWT_DCT_DSR);
}

std::string dct_object_t::to_string() const { return et_text::text_of(*this); }
