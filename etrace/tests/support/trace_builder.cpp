#include "support/trace_builder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "etrace/stream/et_record.h"

namespace et_test {

et_insn_t make_insn(uint64_t uiid, uint64_t pc, uint64_t chunk, uint8_t pril) {
  et_insn_t insn{};
  insn.uiid = uiid;
  insn.pc = pc;
  insn.chunk = chunk;
  insn.pril = pril;
  insn.committed = 1;
  return insn;
}

std::vector<uint8_t> read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

temp_file_t::temp_file_t() : path_(::testing::TempDir() + "et_trace_XXXXXX") {
  int fd = mkstemp(&path_[0]);
  if (fd < 0) throw std::runtime_error("cannot create a temporary file " + path_);
  close(fd);
}

temp_file_t::~temp_file_t() { std::remove(path_.c_str()); }

trace_builder_t::trace_builder_t(const trace_config_t& config)
    : config_(config), wire_(config.geometry()) {
  writer_.reset(new et_writer_t(file_.path(), config_.ring_size));
  writer_->configure(config_.geometry());
}

// The writer is destroyed (members in reverse order) before the file is removed.
trace_builder_t::~trace_builder_t() = default;

const std::string& trace_builder_t::finish() {
  if (writer_) {
    writer_->close();  // a failed write fails the test rather than leaving a short trace
    writer_.reset();
  }
  return file_.path();
}

std::vector<uint8_t> trace_builder_t::bytes() { return read_file(finish()); }

trace_builder_t& trace_builder_t::hart(uint8_t hart) {
  writer_->record_swt_hart(hart);
  return *this;
}

trace_builder_t& trace_builder_t::tsd1(uint8_t delta) {
  writer_->record_tsd1(delta);
  return *this;
}

trace_builder_t& trace_builder_t::advance(uint64_t cycles) {
  for (; cycles > 255; cycles -= 255) writer_->record_tsd1(255);
  if (cycles != 0) writer_->record_tsd1(uint8_t(cycles));
  return *this;
}

trace_builder_t& trace_builder_t::issue(const et_insn_t& insn) {
  writer_->record_swt_is(insn.uiid, uint8_t(insn.pril), insn.chunk);
  return *this;
}

trace_builder_t& trace_builder_t::complete(const et_insn_t& insn) {
  et_writer_t& w = *writer_;
  const auto piid = uint16_t(insn.uiid);
  const struct {
    const et_reg_t& reg;
    uint8_t selector;
  } int_sources[] = {{insn.rs1, MH_SEL_RS1},
                     {insn.rs2, MH_SEL_RS2},
                     {insn.rs3, MH_SEL_RS3},
                     {insn.rsd, MH_SEL_RSD}},
    fp_sources[] = {{insn.frs1, MH_SEL_FRS1}, {insn.frs2, MH_SEL_FRS2}, {insn.frs3, MH_SEL_FRS3}};
  for (const auto& source : int_sources) {
    if (source.reg.addr_valid) w.record_swt_irfra(piid, source.selector, uint8_t(source.reg.addr));
    if (source.reg.data_valid) w.record_swt_irfrd(piid, source.selector, source.reg.data);
  }
  if (insn.rd.addr_valid) w.record_swt_irfwa(piid, uint8_t(insn.rd.addr));
  if (insn.rd.data_valid) w.record_swt_irfwd(piid, insn.rd.data);
  for (const auto& source : fp_sources) {
    if (source.reg.addr_valid) w.record_swt_frfra(piid, source.selector, uint8_t(source.reg.addr));
    if (source.reg.data_valid) w.record_swt_frfrd(piid, source.selector, source.reg.data);
  }
  if (insn.frd.addr_valid) w.record_swt_frfwa(piid, uint8_t(insn.frd.addr));
  if (insn.frd.data_valid) w.record_swt_frfwd(piid, insn.frd.data);
  if (insn.fr) w.record_swt_fr(piid, true);
  if (insn.ea_valid) w.record_swt_va(piid, insn.ea);
  if (insn.pa_valid) w.record_swt_pa(piid, insn.pa);
  if (insn.sd_valid) w.record_swt_std(piid, insn.sd);
  if (insn.committed) {
    uint64_t cause = insn.cause;
    if (insn.interrupt) cause |= uint64_t(1) << (config_.xlen - 1);
    w.record_swt_cm(piid, insn.pc, insn.frcm, insn.trap, cause, insn.trig);
  }
  return *this;
}

trace_builder_t& trace_builder_t::insns(const std::vector<et_insn_t>& list) {
  for (const et_insn_t& insn : list) this->insn(insn);
  return *this;
}

namespace {

// Packs one record of the builder's own through the writer and pads it to a
// byte boundary (the writer's records always end on one). The messages are
// packed by their fields in the wire format (et_wire_format.h).
class record_packer_t {
public:
  record_packer_t(et_writer_t& writer, const et_wire_format_t& wire, unsigned code)
      : writer_(writer), wire_(wire), code_(code) {
    put(code, et_wire::header_bits);
  }
  ~record_packer_t() { writer_.append(0, (8 - bits_ % 8) % 8); }

  void put(uint64_t value, unsigned bits) {
    writer_.append(value, bits);
    bits_ += bits;
  }

  // The values of the record's fields, in order; a repeated field takes its
  // count of values.
  void fields(const std::vector<uint64_t>& values) {
    const et_wire_record_t& record = *et_wire::find(code_);
    std::size_t count = 0;
    for (const et_wire_field_t& field : record) count += wire_.count(field);
    if (count != values.size())
      throw std::logic_error(std::string("trace_builder_t: ") + record.name + " takes " +
                             std::to_string(count) + " values, not " +
                             std::to_string(values.size()));
    auto value = values.begin();
    for (const et_wire_field_t& field : record)
      for (unsigned n = wire_.count(field); n != 0; --n) put(*value++, wire_.bits(field));
  }

  void payload(const l2t_rq_t& rq) { fields({rq.rid, rq.id, rq.t, rq.a, rq.f, rq.u}); }

  void payload(const l2t_wd_t& wd) {
    const unsigned words = wire_.count(et_wire::wd_d);
    if (words > 8) throw std::runtime_error("trace_builder_t: more than 8 words per chunk");
    std::vector<uint64_t> values(wd.d, wd.d + words);
    values.push_back(wd.psn);
    values.push_back(wd.cn);
    fields(values);
  }

  void payload(const l2t_rs_t& rs) { fields({rs.rid, rs.mid, rs.sid, rs.f}); }

  void payload(const l2t_rl_t& rl) { fields({rl.id}); }

  void payload(const l2t_sr_t& sr) { fields({sr.m, sr.id, sr.t, sr.a}); }

  void payload(const l2t_hm2_t& hm2) {
    const l2t_hm2_group_t& hv = hm2.hv_group;
    const l2t_hm2_group_t& iv = hm2.iv_group;
    fields({hm2.id,     hm2.a,     hm2.op,    hm2.ser,    hm2.hv,     hv.value4,  hv.bit_a,
            hv.bit_b,   hv.value8, hm2.iv,    iv.value4,  iv.bit_a,   iv.bit_b,   iv.value8,
            hm2.vca,    hm2.we0,   hm2.we1,   hm2.fen[0], hm2.fen[1], hm2.fen[2], hm2.fen[3],
            hm2.fen[4], hm2.fl[0], hm2.fl[1], hm2.fl[2]});
  }

  void payload(const dct_brq_t& brq) {
    fields({brq.kl, brq.stlb, brq.op, brq.f, brq.a, brq.wrd, brq.wrm, brq.ldd, brq.psn, brq.scf,
            brq.fs, brq.blk_valid, brq.blk_kind, brq.blk_id});
  }

  void payload(const dct_wup_t& wup) { fields({wup.gv, wup.v, wup.v_data, wup.fs}); }

  // The shapes only one message kind has.
  void own_payload(const l2t_object_t& m, mh_payload_shape_t shape) {
    if (shape == MH_SHAPE_HM2) payload(m.hm2);
  }
  void own_payload(const dct_object_t& m, mh_payload_shape_t shape) {
    if (shape == MH_SHAPE_BRQ) payload(m.brq);
    if (shape == MH_SHAPE_WUP) payload(m.wup);
  }

  template <class Message>
  void message(const Message& m) {
    const mh_payload_shape_t shape = mh_message_shape(m.letter);
    switch (shape) {
      case MH_SHAPE_RQ: payload(m.rq); break;
      case MH_SHAPE_WD: payload(m.wd); break;
      case MH_SHAPE_RS: payload(m.rs); break;
      case MH_SHAPE_RL: payload(m.rl); break;
      case MH_SHAPE_SR: payload(m.sr); break;
      default: own_payload(m, shape); break;
    }
  }

private:
  et_writer_t& writer_;
  const et_wire_format_t& wire_;
  unsigned code_;
  unsigned bits_ = 0;
};

void check_letter(const char* kind, unsigned letter, unsigned first, unsigned last) {
  if (letter < first || letter > last)
    throw std::runtime_error(std::string("trace_builder_t: not a ") + kind +
                             " letter: " + std::to_string(letter));
}

}  // namespace

trace_builder_t& trace_builder_t::record(unsigned code,
                                         const std::vector<std::pair<uint64_t, unsigned>>& fields) {
  record_packer_t packer(*writer_, wire_, code);
  for (const auto& field : fields) packer.put(field.first, field.second);
  return *this;
}

trace_builder_t& trace_builder_t::rvt(uint64_t word) {
  record_packer_t(*writer_, wire_, MH_SWT_RVT).fields({word});
  return *this;
}

trace_builder_t& trace_builder_t::dct_hart(uint8_t hart) {
  record_packer_t(*writer_, wire_, MH_SWT_DCT_HART).fields({hart});
  return *this;
}

trace_builder_t& trace_builder_t::l2t(const l2t_object_t& message) {
  check_letter("L2T", message.letter, MH_SWT_L2T_URQ, MH_SWT_L2T_HM2);
  record_packer_t(*writer_, wire_, message.letter).message(message);
  return *this;
}

trace_builder_t& trace_builder_t::dct(const dct_object_t& message) {
  check_letter("DCT", message.letter, MH_SWT_DCT_BRQ, MH_SWT_DCT_DSR);
  record_packer_t(*writer_, wire_, message.letter).message(message);
  return *this;
}

}  // namespace et_test
