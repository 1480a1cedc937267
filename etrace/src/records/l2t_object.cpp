#include "etrace/records/l2t_object.h"

#include "etrace/records/et_message_text.h"
#include "etrace/records/et_text.h"

using et_text::dec_field;
using et_text::hex;
using et_text::hex_field;

const char* const l2t_hm2_op_names[13] = {"CRDW", "FLRD", "FSRD", "DSRD", "PRQR", "URQM", "URQR",
                                          "URQW", "URQS", "PRSD", "URSN", "URSD", "INIT"};

namespace {

// "value4:bit_a,bit_b,value8", all hex.
void append_group(std::string& out, const l2t_hm2_group_t& group) {
  hex(out, group.value4);
  hex_field(out, ":", group.bit_a);
  hex_field(out, ",", group.bit_b);
  hex_field(out, ",", group.value8);
}

}  // namespace

namespace et_text {
void append_own_payload(std::string& out, const l2t_object_t& message, mh_payload_shape_t shape) {
  if (shape == MH_SHAPE_HM2) message.hm2.append_text(out);
}
}  // namespace et_text

void l2t_rq_t::append_text(std::string& out) const {
  dec_field(out, "RID=", rid);
  dec_field(out, " ID=", id);
  dec_field(out, " T=", t);
  hex_field(out, " F=", f, 2);
  hex_field(out, " A=", a, 16);
  hex_field(out, " U=", u, 5);
}

void l2t_wd_t::append_text(std::string& out) const {
  dec_field(out, "CN=", cn);
  out += " D=";
  // The last word first, so the digits read as one number.
  for (unsigned i = count < 8 ? count : 8; i > 0; --i) hex(out, d[i - 1], 16);
  hex_field(out, " PSN=", psn);
}

void l2t_rs_t::append_text(std::string& out) const {
  dec_field(out, "RID=", rid);
  dec_field(out, " MID=", mid);
  dec_field(out, " SID=", sid);
  hex_field(out, " F=", f, 2);
}

void l2t_rl_t::append_text(std::string& out) const { dec_field(out, "ID=", id); }

void l2t_sr_t::append_text(std::string& out) const {
  dec_field(out, "ID=", id);
  dec_field(out, " T=", t);
  hex_field(out, " A=", a, 16);
  hex_field(out, " M=", m, 2);
}

void l2t_hm2_t::append_text(std::string& out) const {
  dec_field(out, "ID=", id);
  hex_field(out, " A=", a, 16);
  hex_field(out, " OP=", op, 4);
  if (op != 0) {
    out += " (";
    for (unsigned bit = 0; bit < 13; ++bit)
      if (op & (1u << bit)) out += l2t_hm2_op_names[bit];
    out += ')';
  }
  hex_field(out, " SER=", ser);
  hex_field(out, " HV=", hv);
  if (hv != 0) {
    out += ':';
    append_group(out, hv_group);
  }
  hex_field(out, " IV=", iv);
  if (iv == 0) {
    out += " Vc=";
    append_group(out, iv_group);
    hex_field(out, " VcA=", vca, 16);
  }
  hex_field(out, " WE0=", we0, 4);
  hex_field(out, " WE1=", we1, 4);
  out += " FEN=";
  for (uint8_t bit : fen) hex(out, bit);
  hex_field(out, " FL=", fl[0]);
  hex_field(out, ",", fl[1]);
  hex_field(out, ",", fl[2]);
}

std::string l2t_rq_t::to_string() const { return et_text::text_of(*this); }
std::string l2t_wd_t::to_string() const { return et_text::text_of(*this); }
std::string l2t_rs_t::to_string() const { return et_text::text_of(*this); }
std::string l2t_rl_t::to_string() const { return et_text::text_of(*this); }
std::string l2t_sr_t::to_string() const { return et_text::text_of(*this); }
std::string l2t_hm2_t::to_string() const { return et_text::text_of(*this); }

void l2t_object_t::append_text(std::string& out) const {
  et_text::append_message(out, *this, MH_SWT_L2T_URQ, MH_SWT_L2T_HM2);
}

std::string l2t_object_t::to_string() const { return et_text::text_of(*this); }
