// The record decoder's L2T and DCT messages: records of many shapes and
// fields, rare beside the instruction records, decoded through the checked
// cursor out of the hot loop (et_record_decoder.cpp). A skipped message is
// decoded into scratch storage: that consumes exactly its fields.
#include "etrace/stream/et_record.h"
#include "etrace/stream/et_record_decoder.h"

// The shapes that L2T and DCT messages share, into either kind of message.
template <class message_t>
void et_record_decoder_t::read_shared_shape(mh_bit_cursor_t& in, unsigned code,
                                            message_t& message) {
  switch (mh_message_shape(code)) {
    case MH_SHAPE_RQ: read_rq(in, message.rq); break;
    case MH_SHAPE_WD: read_wd(in, message.wd); break;
    case MH_SHAPE_RS: read_rs(in, message.rs); break;
    case MH_SHAPE_RL: read_rl(in, message.rl); break;
    case MH_SHAPE_SR: read_sr(in, message.sr); break;
    default: break;
  }
}

mh_bit_cursor_t et_record_decoder_t::read_l2t(mh_bit_cursor_t in, unsigned code) {
  l2t_object_t* l2t = &scratch_.l2t;
  if (!skip_l2t_) l2t = &make_slot(et_object_t::KIND_L2T).l2t;
  l2t->letter = uint8_t(code);  // the record letter is the header code
  l2t->cycle = cycle_;
  if (code == MH_SWT_L2T_HM2)
    read_hm2(in, l2t->hm2);
  else
    read_shared_shape(in, code, *l2t);
  return in;
}

mh_bit_cursor_t et_record_decoder_t::read_dct(mh_bit_cursor_t in, unsigned code) {
  dct_object_t* dct = &scratch_.dct;
  if (!skip_dct_) dct = &make_slot(et_object_t::KIND_DCT).dct;
  dct->letter = uint8_t(code);
  dct->cycle = cycle_;
  if (code == MH_SWT_DCT_BRQ)
    read_brq(in, dct->brq);
  else if (code == MH_SWT_DCT_WUP)
    read_wup(in, dct->wup);
  else
    read_shared_shape(in, code, *dct);
  return in;
}

void et_record_decoder_t::read_rq(mh_bit_cursor_t& in, l2t_rq_t& rq) {
  using namespace et_wire;
  rq.rid = uint8_t(field(in, rq_rid));
  rq.id = uint8_t(field(in, rq_id));
  rq.t = uint8_t(field(in, rq_t));
  rq.a = field(in, rq_a);
  rq.f = uint8_t(field(in, rq_f));
  rq.u = uint32_t(field(in, rq_u));
}

void et_record_decoder_t::read_wd(mh_bit_cursor_t& in, l2t_wd_t& wd) {
  using namespace et_wire;
  const unsigned words = wire_.count(wd_d);  // 0 to 8 (et_stream_geometry_t::check)
  wd.count = uint8_t(words);
  for (unsigned i = 0; i < words; ++i) wd.d[i] = field(in, wd_d);
  if (wire_.bits(wd_psn) != 0) wd.psn = uint8_t(field(in, wd_psn));
  if (wire_.bits(wd_cn) != 0) wd.cn = uint8_t(field(in, wd_cn));
}

void et_record_decoder_t::read_rs(mh_bit_cursor_t& in, l2t_rs_t& rs) {
  using namespace et_wire;
  rs.rid = uint8_t(field(in, rs_rid));
  rs.mid = uint8_t(field(in, rs_mid));
  rs.sid = uint8_t(field(in, rs_sid));
  rs.f = uint8_t(field(in, rs_f));
}

void et_record_decoder_t::read_rl(mh_bit_cursor_t& in, l2t_rl_t& rl) {
  rl.id = uint8_t(field(in, et_wire::rl_id));
}

void et_record_decoder_t::read_sr(mh_bit_cursor_t& in, l2t_sr_t& sr) {
  using namespace et_wire;
  sr.m = uint8_t(field(in, sr_m));
  sr.id = uint8_t(field(in, sr_id));
  sr.t = uint8_t(field(in, sr_t));
  sr.a = field(in, sr_a);
}

void et_record_decoder_t::read_hm2_group(mh_bit_cursor_t& in, l2t_hm2_group_t& group) {
  using namespace et_wire;
  group.value4 = uint8_t(field(in, hm2_group_value4));
  group.bit_a = uint8_t(field(in, hm2_group_bit_a));
  group.bit_b = uint8_t(field(in, hm2_group_bit_b));
  group.value8 = uint8_t(field(in, hm2_group_value8));
}

void et_record_decoder_t::read_hm2(mh_bit_cursor_t& in, l2t_hm2_t& hm2) {
  using namespace et_wire;
  static_assert(sizeof hm2.fen == hm2_fen.count.fixed, "one fen bit per element");
  hm2.id = uint8_t(field(in, hm2_id));
  hm2.a = field(in, hm2_a);
  hm2.op = uint16_t(field(in, hm2_op));
  hm2.ser = uint8_t(field(in, hm2_ser));
  hm2.hv = uint8_t(field(in, hm2_hv));
  read_hm2_group(in, hm2.hv_group);
  hm2.iv = uint8_t(field(in, hm2_iv));
  read_hm2_group(in, hm2.iv_group);
  hm2.vca = field(in, hm2_vca);
  hm2.we0 = uint16_t(field(in, hm2_we0));
  hm2.we1 = uint16_t(field(in, hm2_we1));
  for (uint8_t& bit : hm2.fen) bit = uint8_t(field(in, hm2_fen));
  hm2.fl[0] = uint8_t(field(in, hm2_fl0));
  hm2.fl[1] = uint8_t(field(in, hm2_fl1));
  hm2.fl[2] = uint8_t(field(in, hm2_fl2));
}

void et_record_decoder_t::read_brq(mh_bit_cursor_t& in, dct_brq_t& brq) {
  using namespace et_wire;
  brq.hid = dct_hart_;
  brq.kl = uint8_t(field(in, brq_kl));
  brq.stlb = uint8_t(field(in, brq_stlb));
  brq.op = uint8_t(field(in, brq_op));
  brq.f = uint8_t(field(in, brq_f));
  brq.a = field(in, brq_a);
  brq.wrd = field(in, brq_wrd);
  brq.wrm = uint8_t(field(in, brq_wrm));
  brq.ldd = field(in, brq_ldd);
  brq.psn = uint8_t(field(in, brq_psn));
  brq.scf = uint8_t(field(in, brq_scf));
  brq.fs = uint8_t(field(in, brq_fs));
  brq.blk_valid = uint8_t(field(in, brq_blk_valid));
  brq.blk_kind = uint8_t(field(in, brq_blk_kind));
  brq.blk_id = uint8_t(field(in, brq_blk_id));
}

void et_record_decoder_t::read_wup(mh_bit_cursor_t& in, dct_wup_t& wup) {
  using namespace et_wire;
  wup.hid = dct_hart_;
  wup.gv = uint8_t(field(in, wup_gv));
  wup.v = uint8_t(field(in, wup_v));
  wup.v_data = uint8_t(field(in, wup_v_data));
  wup.fs = uint8_t(field(in, wup_fs));
}
