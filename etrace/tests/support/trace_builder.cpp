#include "support/trace_builder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "stream/et_record.h"

namespace et_test {

et_insn_t make_insn(uint64_t uiid, uint64_t pc, uint64_t chunk, uint8_t pril)
{
  et_insn_t insn{};
  insn.uiid = uiid;
  insn.pc = pc;
  insn.chunk = chunk;
  insn.pril = pril;
  insn.committed = 1;
  return insn;
}

std::vector<uint8_t> read_file(const std::string& path)
{
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

temp_file_t::temp_file_t() : path_(::testing::TempDir() + "et_trace_XXXXXX")
{
  int fd = mkstemp(&path_[0]);
  if (fd < 0) throw std::runtime_error("cannot create a temporary file " + path_);
  close(fd);
}

temp_file_t::~temp_file_t() { std::remove(path_.c_str()); }

trace_builder_t::trace_builder_t(const trace_config_t& config) : config_(config)
{
  writer_.reset(new et_writer_t(file_.path(), config_.ring_size));
  // The reader reads virtual addresses and program counters with XLEN.
  writer_->configure(config_.xlen, config_.flen, config_.irf_data_width, config_.xlen,
                     config_.paddr_width);
}

// The writer is destroyed (members in reverse order) before the file is removed.
trace_builder_t::~trace_builder_t() = default;

const std::string& trace_builder_t::finish()
{
  writer_.reset();
  return file_.path();
}

std::vector<uint8_t> trace_builder_t::bytes() { return read_file(finish()); }

trace_builder_t& trace_builder_t::hart(uint8_t hart)
{
  writer_->record_swt_hart(hart);
  return *this;
}

trace_builder_t& trace_builder_t::tsd1(uint8_t delta)
{
  writer_->record_tsd1(delta);
  return *this;
}

trace_builder_t& trace_builder_t::advance(uint64_t cycles)
{
  for (; cycles > 255; cycles -= 255) writer_->record_tsd1(255);
  if (cycles != 0) writer_->record_tsd1(uint8_t(cycles));
  return *this;
}

trace_builder_t& trace_builder_t::issue(const et_insn_t& insn)
{
  writer_->record_swt_is(insn.uiid, uint8_t(insn.pril), insn.chunk);
  return *this;
}

trace_builder_t& trace_builder_t::complete(const et_insn_t& insn)
{
  et_writer_t& w = *writer_;
  const auto piid = uint16_t(insn.uiid);
  const struct {
    const et_reg_t& reg;
    uint8_t selector;
  } int_sources[] = {{insn.rs1, MH_SEL_RS1}, {insn.rs2, MH_SEL_RS2}, {insn.rs3, MH_SEL_RS3},
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

trace_builder_t& trace_builder_t::insns(const std::vector<et_insn_t>& list)
{
  for (const et_insn_t& insn : list) this->insn(insn);
  return *this;
}

namespace {

// Packs one record of the builder's own through the writer and pads it to a
// byte boundary (the writer's records always end on one).
class record_packer_t {
 public:
  record_packer_t(et_writer_t& writer, const trace_config_t& config, unsigned code)
      : writer_(writer), config_(config)
  {
    put(code, 8);
  }
  ~record_packer_t() { writer_.append(0, (8 - bits_ % 8) % 8); }

  void put(uint64_t value, unsigned bits)
  {
    writer_.append(value, bits);
    bits_ += bits;
  }

  void payload(const l2t_rq_t& rq)
  {
    put(rq.rid, 3);
    put(rq.id, 8);
    put(rq.t, 5);
    put(rq.a, 40);
    put(rq.f, 7);
    put(rq.u, 20);
  }

  void payload(const l2t_wd_t& wd)
  {
    const unsigned long words = config_.cl_width / config_.cl_chunks / 64;
    if (words > 8) throw std::runtime_error("trace_builder_t: more than 8 words per chunk");
    for (unsigned long i = 0; i < words; ++i) put(wd.d[i], 64);
    if (config_.poison_enable) put(wd.psn, unsigned(words));
    put(wd.cn, unsigned(__builtin_ctzl(config_.cl_chunks)));
  }

  void payload(const l2t_rs_t& rs)
  {
    put(rs.rid, 3);
    put(rs.mid, 8);
    put(rs.sid, 8);
    put(rs.f, 5);
  }

  void payload(const l2t_rl_t& rl) { put(rl.id, 8); }

  void payload(const l2t_sr_t& sr)
  {
    put(sr.m, 8);
    put(sr.id, 8);
    put(sr.t, 3);
    put(sr.a, 40);
  }

  void payload(const l2t_hm2_t& hm2)
  {
    put(hm2.id, 8);
    put(hm2.a, 40);
    put(hm2.op, 13);
    put(hm2.ser, 1);
    put(hm2.hv, 1);
    group(hm2.hv_group);
    put(hm2.iv, 1);
    group(hm2.iv_group);
    put(hm2.vca, 40);
    put(hm2.we0, 16);
    put(hm2.we1, 16);
    for (uint8_t bit : hm2.fen) put(bit, 1);
    put(hm2.fl[0], 1);
    put(hm2.fl[1], 1);
    put(hm2.fl[2], 8);
  }

  void payload(const dct_brq_t& brq)
  {
    put(brq.kl, 1);
    put(brq.stlb, 1);
    put(brq.op, 3);
    put(brq.f, 8);
    put(brq.a, 40);
    put(brq.wrd, 64);
    put(brq.wrm, 8);
    put(brq.ldd, 64);
    put(brq.psn, 2);
    put(brq.scf, 1);
    put(brq.fs, 3);
    put(brq.blk_valid, 1);
    put(brq.blk_kind, 2);
    put(brq.blk_id, 6);
  }

  void payload(const dct_wup_t& wup)
  {
    put(wup.gv, 1);
    put(wup.v, 1);
    put(wup.v_data, 6);
    put(wup.fs, 3);
  }

  // The shapes only one message kind has.
  void own_payload(const l2t_object_t& m, mh_payload_shape_t shape)
  {
    if (shape == MH_SHAPE_HM2) payload(m.hm2);
  }
  void own_payload(const dct_object_t& m, mh_payload_shape_t shape)
  {
    if (shape == MH_SHAPE_BRQ) payload(m.brq);
    if (shape == MH_SHAPE_WUP) payload(m.wup);
  }

  template <class Message>
  void message(const Message& m)
  {
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
  void group(const l2t_hm2_group_t& g)
  {
    put(g.value4, 4);
    put(g.bit_a, 1);
    put(g.bit_b, 1);
    put(g.value8, 8);
  }

  et_writer_t& writer_;
  const trace_config_t& config_;
  unsigned bits_ = 0;
};

void check_letter(const char* kind, unsigned letter, unsigned first, unsigned last)
{
  if (letter < first || letter > last)
    throw std::runtime_error(std::string("trace_builder_t: not a ") + kind + " letter: " +
                             std::to_string(letter));
}

}  // namespace

trace_builder_t& trace_builder_t::record(unsigned code,
                                         const std::vector<std::pair<uint64_t, unsigned>>& fields)
{
  record_packer_t packer(*writer_, config_, code);
  for (const auto& field : fields) packer.put(field.first, field.second);
  return *this;
}

trace_builder_t& trace_builder_t::rvt(uint64_t word) { return record(MH_SWT_RVT, {{word, 64}}); }

trace_builder_t& trace_builder_t::dct_hart(uint8_t hart)
{
  return record(MH_SWT_DCT_HART, {{hart, 8}});
}

trace_builder_t& trace_builder_t::l2t(const l2t_object_t& message)
{
  check_letter("L2T", message.letter, MH_SWT_L2T_URQ, MH_SWT_L2T_HM2);
  record_packer_t(*writer_, config_, message.letter).message(message);
  return *this;
}

trace_builder_t& trace_builder_t::dct(const dct_object_t& message)
{
  check_letter("DCT", message.letter, MH_SWT_DCT_BRQ, MH_SWT_DCT_DSR);
  record_packer_t(*writer_, config_, message.letter).message(message);
  return *this;
}

}  // namespace et_test
