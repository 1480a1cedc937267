#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <future>
#include <memory>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "etrace/mh_swt_reader.h"
#include "etrace/stream/et_record.h"
#include "support/trace_builder.h"

using et_test::make_insn;
using et_test::temp_file_t;
using et_test::trace_builder_t;
using et_test::trace_config_t;

namespace {

constexpr unsigned long all_harts = 0xff;
constexpr std::size_t ring = mh_swt_reader_t::ring_slots;

struct reader_options_t {
  unsigned long hart_mask = all_harts;
  bool skip_rvt = false;
  bool skip_l2t = false;
  bool skip_dct = false;
};

std::unique_ptr<mh_swt_reader_t> open_reader(const std::string& path, const trace_config_t& c,
                                             const reader_options_t& o = {}) {
  return std::make_unique<mh_swt_reader_t>(path, o.hart_mask, o.skip_rvt, o.skip_l2t, o.skip_dct,
                                           c.geometry());
}

// Where a reader takes the trace from: a regular file, which the reader
// decodes in a thread of its own, or a stream in memory, which it decodes in
// the caller's thread, as it does a pipe.
enum class source_t { file, memory };

std::string source_name(const ::testing::TestParamInfo<source_t>& info) {
  return info.param == source_t::file ? "File" : "Memory";
}

// The stream in memory, made before the reader and closed after it.
class memory_stream_t {
protected:
  explicit memory_stream_t(const std::vector<uint8_t>& bytes)
      : bytes_(bytes), stream_(fmemopen(bytes_.data(), bytes_.size(), "rb")) {
    if (stream_ == nullptr) throw std::runtime_error("fmemopen failed");
  }
  ~memory_stream_t() { std::fclose(stream_); }

  std::vector<uint8_t> bytes_;
  FILE* stream_;
};

class memory_reader_t : private memory_stream_t, public mh_swt_reader_t {
public:
  memory_reader_t(const std::vector<uint8_t>& bytes, const trace_config_t& c,
                  const reader_options_t& o)
      : memory_stream_t(bytes),
        mh_swt_reader_t(stream_, o.hart_mask, o.skip_rvt, o.skip_l2t, o.skip_dct, c.geometry()) {}
};

std::unique_ptr<mh_swt_reader_t> open_reader(trace_builder_t& trace, const reader_options_t& o = {},
                                             source_t source = source_t::file) {
  const std::string& path = trace.finish();
  if (source == source_t::memory)
    return std::make_unique<memory_reader_t>(trace.bytes(), trace.config(), o);
  return open_reader(path, trace.config(), o);
}

std::unique_ptr<mh_swt_reader_t> open_reader(trace_builder_t& trace, source_t source) {
  return open_reader(trace, {}, source);
}

// Every object of the trace, copied (the reader's pointers go stale).
std::vector<et_object_t> read_all(et_reader_t& reader) {
  std::vector<et_object_t> objects;
  while (const et_object_t* object = reader.get_next_object()) objects.push_back(*object);
  return objects;
}

std::vector<et_object_t> read_all(trace_builder_t& trace, const reader_options_t& o = {}) {
  return read_all(*open_reader(trace, o));
}

// The text of the std::runtime_error that reading the whole trace throws.
std::string read_error(et_reader_t& reader) {
  try {
    read_all(reader);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "(no error)";
}

uint64_t low_bits(uint64_t value, uint64_t bits) {
  return bits >= 64 ? value : value & ((uint64_t(1) << bits) - 1);
}

// Every field that the stream fills, one line, so a mismatch shows which.
std::string fields(const et_insn_t& i) {
  std::ostringstream out;
  auto reg = [&out](const char* name, const et_reg_t& r) {
    out << ' ' << name << '=' << int(r.addr_valid) << ':' << r.addr << '/' << int(r.data_valid)
        << ':' << std::hex << r.data << std::dec;
  };
  out << "hart=" << i.hart << " uiid=" << i.uiid << " cycles=" << i.issue_cycle << ','
      << i.read_cycle << ',' << i.write_cycle << ',' << i.commit_cycle << " pc=" << std::hex << i.pc
      << " chunk=" << i.chunk << std::dec << " pril=" << i.pril;
  reg("rs1", i.rs1);
  reg("rs2", i.rs2);
  reg("rs3", i.rs3);
  reg("rsd", i.rsd);
  reg("rd", i.rd);
  reg("frs1", i.frs1);
  reg("frs2", i.frs2);
  reg("frs3", i.frs3);
  reg("frd", i.frd);
  out << std::hex << " ea=" << int(i.ea_valid) << ':' << i.ea << std::dec << '@' << i.va_cycle
      << std::hex << " trap=" << int(i.trap) << " cause=" << i.cause << " int=" << int(i.interrupt)
      << " pa=" << int(i.pa_valid) << ':' << i.pa << std::dec << '@' << i.pa_cycle << std::hex
      << " sd=" << int(i.sd_valid) << ':' << i.sd << std::dec << '@' << i.sd_cycle
      << " committed=" << int(i.committed) << " fr=" << int(i.fr) << '@' << i.fr_cycle
      << " frcm=" << int(i.frcm) << " trig=" << int(i.trig);
  return out.str();
}

// A file holding the first n bytes of another.
void write_prefix(const std::vector<uint8_t>& bytes, std::size_t n, const std::string& path) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(n));
}

}  // namespace

// ---------------------------------------------------------------------------
// Instruction round trips over the width parameters

struct width_case_t {
  int xlen, flen, irf_data_width, paddr_width;
};

class ReaderWidths : public ::testing::TestWithParam<width_case_t> {};

// Random instructions using every instruction record, with values as wide as
// the fields, come back exactly (cycles included).
TEST_P(ReaderWidths, InstructionsRoundTrip) {
  const width_case_t w = GetParam();
  trace_config_t config;
  config.xlen = w.xlen;
  config.flen = w.flen;
  config.irf_data_width = w.irf_data_width;
  config.paddr_width = w.paddr_width;
  trace_builder_t trace(config);

  std::mt19937_64 random(w.xlen * 1000 + w.flen * 100 + w.paddr_width);
  auto bit = [&random]() { return uint8_t(random() & 1); };
  auto reg = [&](et_reg_t& r, uint64_t width) {
    r.addr_valid = bit();
    r.addr = r.addr_valid ? random() % 32 : 0;
    r.data_valid = bit();
    r.data = r.data_valid ? low_bits(random(), width) : 0;
  };
  const uint64_t xlen = uint64_t(w.xlen), flen = uint64_t(w.flen);
  const uint64_t irf = uint64_t(w.irf_data_width), paddr = uint64_t(w.paddr_width);

  std::vector<et_insn_t> expected;
  uint64_t cycle = 0;
  for (uint64_t uiid = 0; uiid < 300; ++uiid) {
    const uint64_t delta = random() % 300;
    trace.advance(delta);
    cycle += delta;
    et_insn_t insn{};
    insn.uiid = uiid;
    insn.issue_cycle = cycle;
    insn.pril = random() % 4;
    insn.chunk = random();
    for (et_reg_t* r : {&insn.rs1, &insn.rs2, &insn.rs3, &insn.rsd, &insn.rd}) reg(*r, irf);
    for (et_reg_t* r : {&insn.frs1, &insn.frs2, &insn.frs3, &insn.frd}) reg(*r, flen);
    if (insn.rs1.data_valid || insn.rs2.data_valid || insn.rs3.data_valid || insn.rsd.data_valid ||
        insn.frs1.data_valid || insn.frs2.data_valid || insn.frs3.data_valid)
      insn.read_cycle = cycle;
    if (insn.rd.data_valid || insn.frd.data_valid) insn.write_cycle = cycle;
    if ((insn.fr = bit())) insn.fr_cycle = cycle;
    if ((insn.ea_valid = bit())) insn.ea = low_bits(random(), xlen), insn.va_cycle = cycle;
    if ((insn.pa_valid = bit())) insn.pa = low_bits(random(), paddr), insn.pa_cycle = cycle;
    if ((insn.sd_valid = bit()))
      insn.sd = low_bits(random(), std::max(xlen, flen)), insn.sd_cycle = cycle;
    if ((insn.committed = uiid % 7 != 3)) {
      insn.commit_cycle = cycle;
      insn.pc = low_bits(random(), xlen);
      insn.frcm = bit();
      insn.trig = bit();
      insn.trap = bit();
      insn.interrupt = insn.trap & bit();
      insn.cause = random() % 64;
    }
    trace.insn(insn);
    if (insn.interrupt) insn.cause |= uint64_t(1) << (xlen - 1);
    expected.push_back(insn);
  }

  const std::vector<et_object_t> objects = read_all(trace);
  ASSERT_EQ(objects.size(), expected.size());
  for (std::size_t k = 0; k < objects.size(); ++k) {
    ASSERT_EQ(objects[k].kind, et_object_t::KIND_INSN);
    EXPECT_EQ(fields(objects[k].insn), fields(expected[k])) << "instruction " << k;
  }
}

INSTANTIATE_TEST_SUITE_P(Widths, ReaderWidths,
                         ::testing::Values(width_case_t{64, 64, 64, 56},
                                           width_case_t{32, 32, 32, 32},
                                           width_case_t{32, 64, 32, 34},
                                           width_case_t{64, 32, 64, 40},
                                           width_case_t{64, 64, 32, 64},
                                           width_case_t{32, 16, 33, 1}, width_case_t{7, 1, 1, 1}),
                         [](const ::testing::TestParamInfo<width_case_t>& info) {
                           const width_case_t& w = info.param;
                           return "X" + std::to_string(w.xlen) + "F" + std::to_string(w.flen) +
                                  "I" + std::to_string(w.irf_data_width) + "P" +
                                  std::to_string(w.paddr_width);
                         });

// Each record stamps its own cycle field; selectors outside their list only
// consume their fields.
TEST(ReaderRecords, CycleStampsAndSelectors) {
  trace_builder_t trace;
  et_writer_t& w = trace.writer();
  trace.advance(10);
  w.record_swt_is(0, 1, 0xabc);
  trace.advance(1);
  w.record_swt_irfra(0, 13, 7);  // rsd
  w.record_swt_irfrd(0, 13, 0x77);
  trace.advance(1);
  w.record_swt_irfrd(0, 4, 0x1234);  // no such source: only the cycle
  trace.advance(1);
  w.record_swt_frfra(0, 1, 9);  // the integer source 1
  w.record_swt_frfrd(0, 1, 0x99);
  w.record_swt_frfra(0, 2, 3);  // no floating-point selector 2
  trace.advance(1);
  w.record_swt_irfwd(0, 0x55);
  trace.advance(1);
  w.record_swt_fr(0, false);  // the bit is 0 but the cycle is stamped
  trace.advance(1);
  w.record_swt_va(0, 0x1000);
  trace.advance(1);
  w.record_swt_pa(0, 0x2000);
  trace.advance(1);
  w.record_swt_std(0, 0x3000);
  trace.advance(1);
  w.record_swt_frfwa(0, 4);
  w.record_swt_frfwd(0, 0x44);
  trace.advance(1);
  // Flag bit 2 without the trap bit 1 is no interrupt.
  w.record_swt_cm(0, 0x80000000, false, false, (uint64_t(1) << 63) | 5, true);

  const std::vector<et_object_t> objects = read_all(trace);
  ASSERT_EQ(objects.size(), 1u);
  const et_insn_t& i = objects[0].insn;
  EXPECT_EQ(i.issue_cycle, 10u);
  EXPECT_EQ(i.read_cycle, 13u);   // the FRFRD record, the last read
  EXPECT_EQ(i.write_cycle, 19u);  // the FRFWD record, the last write
  EXPECT_EQ(i.fr_cycle, 15u);
  EXPECT_EQ(i.fr, 0);
  EXPECT_EQ(i.va_cycle, 16u);
  EXPECT_EQ(i.pa_cycle, 17u);
  EXPECT_EQ(i.sd_cycle, 18u);
  EXPECT_EQ(i.commit_cycle, 20u);
  EXPECT_EQ(i.rsd.addr, 7u);
  EXPECT_EQ(i.rsd.data, 0x77u);
  EXPECT_EQ(i.rs1.addr, 9u);
  EXPECT_EQ(i.rs1.data, 0x99u);
  for (const et_reg_t* r : {&i.rs2, &i.rs3, &i.frs1, &i.frs2, &i.frs3})
    EXPECT_FALSE(r->addr_valid || r->data_valid);
  EXPECT_EQ(i.frd.addr, 4u);
  EXPECT_EQ(i.frd.data, 0x44u);
  EXPECT_EQ(i.rd.addr_valid, 0);
  EXPECT_EQ(i.rd.data, 0x55u);
  EXPECT_EQ(i.trap, 0);
  EXPECT_EQ(i.interrupt, 0);
  EXPECT_EQ(i.cause, 5u);
  EXPECT_EQ(i.trig, 1);
}

// An interrupt sets bit XLEN-1 of the cause.
TEST(ReaderRecords, InterruptCauseFollowsXlen) {
  for (int xlen : {32, 64}) {
    trace_config_t config;
    config.xlen = xlen;
    trace_builder_t trace(config);
    et_insn_t insn = make_insn(0, 0x100, 0x13);
    insn.trap = 1;
    insn.interrupt = 1;
    insn.cause = 7;
    trace.insn(insn);
    const std::vector<et_object_t> objects = read_all(trace);
    ASSERT_EQ(objects.size(), 1u);
    EXPECT_EQ(objects[0].insn.cause, (uint64_t(1) << (xlen - 1)) | 7) << "xlen " << xlen;
    EXPECT_EQ(objects[0].insn.interrupt, 1);
  }
}

// ---------------------------------------------------------------------------
// Messages over the cache-line geometries

struct geometry_case_t {
  unsigned long cl_width, cl_chunks;
  bool poison;
};

class ReaderMessages : public ::testing::TestWithParam<geometry_case_t> {};

// Every L2T and DCT code with all field bits set, each followed by an RVT
// sentinel that shows the record was consumed to its last bit.
TEST_P(ReaderMessages, EveryMessageRoundTrips) {
  const geometry_case_t g = GetParam();
  trace_config_t config;
  config.cl_width = g.cl_width;
  config.cl_chunks = g.cl_chunks;
  config.poison_enable = g.poison;
  trace_builder_t trace(config);
  const unsigned words = unsigned(g.cl_width / g.cl_chunks / 64);
  const int cn_bits = __builtin_ctzl(g.cl_chunks);

  auto fill_wd = [&](l2t_wd_t& wd) {
    wd.count = uint8_t(words);
    for (unsigned k = 0; k < words; ++k) wd.d[k] = ~uint64_t(0) - k;
    wd.psn = g.poison ? uint8_t(low_bits(0xff, words)) : 0;
    wd.cn = uint8_t(low_bits(0xff, uint64_t(cn_bits)));
  };
  // Field by field: the expected objects are compared byte for byte, padding
  // included, so no temporaries are copied in.
  auto fill_rq = [](l2t_rq_t& rq) {
    rq.a = 0xffffffffff, rq.u = 0xfffff, rq.rid = 7, rq.id = 0xff, rq.t = 0x1f, rq.f = 0x7f;
  };
  auto fill_rs = [](l2t_rs_t& rs) { rs.rid = 7, rs.mid = 0xff, rs.sid = 0xfe, rs.f = 0x1f; };
  auto fill_sr = [](l2t_sr_t& sr) { sr.a = 0xfffffffffe, sr.m = 0xff, sr.id = 0xfd, sr.t = 7; };
  auto fill_group = [](l2t_hm2_group_t& g) {
    g.value4 = 0xf, g.bit_a = 1, g.bit_b = 1, g.value8 = 0xff;
  };
  auto fill_hm2 = [&](l2t_hm2_t& h) {
    h.a = 0xffffffffff, h.vca = 0xfffffffffe, h.op = 0x1fff, h.we0 = 0xffff, h.we1 = 0xfffe;
    h.id = 0xff, h.ser = 1, h.hv = 1, h.iv = 1;
    fill_group(h.hv_group);
    fill_group(h.iv_group);
    for (uint8_t& bit : h.fen) bit = 1;
    h.fl[0] = 1, h.fl[1] = 1, h.fl[2] = 0xff;
  };
  auto fill_brq = [](dct_brq_t& b) {
    b.a = 0xffffffffff, b.wrd = ~uint64_t(0), b.ldd = ~uint64_t(1), b.hid = 0xee, b.kl = 1;
    b.stlb = 1, b.op = 7, b.f = 0xff, b.wrm = 0xff, b.psn = 3, b.scf = 1, b.fs = 7;
    b.blk_valid = 1, b.blk_kind = 3, b.blk_id = 0x3f;
  };
  auto fill_wup = [](dct_wup_t& u) { u.hid = 0xee, u.gv = 1, u.v = 1, u.v_data = 0x3f, u.fs = 7; };

  std::vector<et_object_t> expected;
  auto expect = [&expected](const et_object_t& object) {
    expected.push_back(object);
    et_object_t sentinel;
    std::memset(static_cast<void*>(&sentinel), 0, sizeof sentinel);
    sentinel.kind = et_object_t::KIND_RVT;
    sentinel.rvt.cycle = 3;
    sentinel.rvt.data = 0x5a5a5a5a5a5a5a5a;
    expected.push_back(sentinel);
  };
  trace.tsd1(3).dct_hart(0xee);
  for (unsigned code = MH_SWT_L2T_URQ; code <= MH_SWT_DCT_DSR; ++code) {
    const mh_payload_shape_t shape = mh_message_shape(code);
    if (shape == MH_SHAPE_NONE) continue;
    et_object_t o;
    std::memset(static_cast<void*>(&o), 0, sizeof o);
    const bool l2t = code <= MH_SWT_L2T_HM2;
    o.kind = l2t ? et_object_t::KIND_L2T : et_object_t::KIND_DCT;
    if (l2t) {
      l2t_object_t& m = o.l2t;
      m.letter = uint8_t(code);
      m.cycle = 3;
      switch (shape) {
        case MH_SHAPE_RQ: fill_rq(m.rq); break;
        case MH_SHAPE_WD: fill_wd(m.wd); break;
        case MH_SHAPE_RS: fill_rs(m.rs); break;
        case MH_SHAPE_RL: m.rl.id = 0xff; break;
        case MH_SHAPE_SR: fill_sr(m.sr); break;
        case MH_SHAPE_HM2: fill_hm2(m.hm2); break;
        default: FAIL() << code;
      }
      trace.l2t(m);
    } else {
      dct_object_t& m = o.dct;
      m.letter = uint8_t(code);
      m.cycle = 3;
      switch (shape) {
        case MH_SHAPE_BRQ: fill_brq(m.brq); break;
        case MH_SHAPE_WUP: fill_wup(m.wup); break;
        case MH_SHAPE_RQ: fill_rq(m.rq); break;
        case MH_SHAPE_WD: fill_wd(m.wd); break;
        case MH_SHAPE_RS: fill_rs(m.rs); break;
        case MH_SHAPE_RL: m.rl.id = 0xff; break;
        case MH_SHAPE_SR: fill_sr(m.sr); break;
        default: FAIL() << code;
      }
      trace.dct(m);  // the hart comes from the DCT hart record
    }
    trace.rvt(0x5a5a5a5a5a5a5a5a);
    expect(o);
  }

  const std::vector<et_object_t> objects = read_all(trace);
  ASSERT_EQ(objects.size(), expected.size());
  for (std::size_t k = 0; k < objects.size(); ++k)
    EXPECT_EQ(std::memcmp(&objects[k], &expected[k], sizeof(et_object_t)), 0)
        << "object " << k << "\n got  " << objects[k].to_string() << "\n want "
        << expected[k].to_string();

  // Skipped, the same records leave only the sentinels.
  reader_options_t skip_all;
  skip_all.skip_l2t = skip_all.skip_dct = true;
  const std::vector<et_object_t> rvt_only = read_all(*open_reader(trace.path(), config, skip_all));
  EXPECT_EQ(rvt_only.size(), expected.size() / 2);
  for (const et_object_t& object : rvt_only) EXPECT_EQ(object.rvt.data, 0x5a5a5a5a5a5a5a5au);
}

INSTANTIATE_TEST_SUITE_P(Geometries, ReaderMessages,
                         ::testing::Values(geometry_case_t{512, 1, false},  // 8 words, no CN
                                           geometry_case_t{512, 2, true},   // 4 words, CN 1 bit
                                           geometry_case_t{512, 8, true},   // 1 word, CN 3 bits
                                           geometry_case_t{256, 4, false},
                                           geometry_case_t{575, 1, true},  // 8 words
                                           geometry_case_t{64, 2, true},   // no data words
                                           geometry_case_t{0, 1, false}),
                         [](const ::testing::TestParamInfo<geometry_case_t>& info) {
                           const geometry_case_t& g = info.param;
                           return "W" + std::to_string(g.cl_width) + "C" +
                                  std::to_string(g.cl_chunks) + (g.poison ? "Poison" : "");
                         });

// The three skip flags each drop their own kind and nothing else; the DCT
// hart record is read even when DCT messages are skipped.
TEST(ReaderSkips, EachFlagDropsItsKind) {
  trace_builder_t trace;
  l2t_object_t l2t{};
  l2t.letter = MH_SWT_L2T_URL;
  l2t.rl.id = 5;
  dct_object_t wup{};
  wup.letter = MH_SWT_DCT_WUP;
  trace.rvt(1).l2t(l2t).dct_hart(3).insn(make_insn(0, 0x10, 0x13)).dct(wup).rvt(2);
  trace.finish();

  struct case_t {
    reader_options_t options;
    std::string kinds;  // one digit per object
  } cases[] = {
      {{all_harts, false, false, false}, "23142"}, {{all_harts, true, false, false}, "314"},
      {{all_harts, false, true, false}, "2142"},   {{all_harts, false, false, true}, "2312"},
      {{all_harts, true, true, true}, "1"},
  };
  for (const case_t& c : cases) {
    std::string kinds;
    for (const et_object_t& object : read_all(trace, c.options)) {
      kinds += char('0' + object.kind);
      if (object.kind == et_object_t::KIND_DCT) {
        EXPECT_EQ(object.dct.wup.hid, 3);
      }
    }
    EXPECT_EQ(kinds, c.kinds);
  }
}

// ---------------------------------------------------------------------------
// Hart selection

TEST(ReaderHarts, MaskSelectsInstructionsAndKeepsMessages) {
  trace_builder_t trace;
  et_insn_t a = make_insn(0, 0xa0, 0x13), b = make_insn(0, 0xb0, 0x13);
  // Instructions before the first hart record belong to hart 0.
  trace.insn(a).hart(1).insn(b).rvt(7);
  b.uiid = 1;
  trace.insn(b).hart(0);
  a.uiid = 1;
  trace.insn(a);
  trace.finish();

  struct case_t {
    unsigned long mask;
    std::vector<std::string> want;  // "hart.uiid" or "rvt"
  } cases[] = {
      {1, {"0.0", "rvt", "0.1"}},
      {2, {"1.0", "rvt", "1.1"}},
      {3, {"0.0", "1.0", "rvt", "1.1", "0.1"}},
      {0x101, {"0.0", "rvt", "0.1"}},  // bits above the eight harts select nothing here
      {0, {"rvt"}},
  };
  for (const case_t& c : cases) {
    std::vector<std::string> got;
    reader_options_t options;
    options.hart_mask = c.mask;
    for (const et_object_t& object : read_all(trace, options)) {
      if (object.kind == et_object_t::KIND_RVT)
        got.push_back("rvt");
      else
        got.push_back(std::to_string(object.insn.hart) + "." + std::to_string(object.insn.uiid));
    }
    EXPECT_EQ(got, c.want) << "mask " << c.mask;
  }
}

// A dropped hart's issue records are not counted: its uiids may even be
// inconsistent without an error.
TEST(ReaderHarts, UnselectedHartIsNotChecked) {
  trace_builder_t trace;
  trace.hart(1).issue(make_insn(5, 0, 0x13)).complete(make_insn(9, 0, 0x13));
  trace.hart(0).insn(make_insn(0, 0x10, 0x13));
  reader_options_t options;
  options.hart_mask = 1;
  const std::vector<et_object_t> objects = read_all(trace, options);
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0].insn.pc, 0x10u);
}

TEST(ReaderHarts, HartAboveSevenIsAnErrorOnlyWhenSelected) {
  struct case_t {
    unsigned hart;
    unsigned long mask;
    std::string error;
  } cases[] = {
      {9, 1ul << 9, "Hart #9 is found, but trace reader is compiled to read up to 8 harts only"},
      {9, 1, "(no error)"},
      {8, 1ul << 8, "Hart #8 is found, but trace reader is compiled to read up to 8 harts only"},
      // Hart numbers from 64 up are tested against bit (number mod 64).
      {65, 2, "Hart #65 is found, but trace reader is compiled to read up to 8 harts only"},
      {65, 1, "(no error)"},
      {7, 1ul << 7, "(no error)"},
  };
  for (const case_t& c : cases) {
    trace_builder_t trace;
    trace.hart(uint8_t(c.hart)).insn(make_insn(0, 0, 0x13));
    reader_options_t options;
    options.hart_mask = c.mask;
    EXPECT_EQ(read_error(*open_reader(trace, options)), c.error) << "hart " << c.hart;
  }
}

// ---------------------------------------------------------------------------
// Errors

TEST(ReaderErrors, InconsistentStreams) {
  struct case_t {
    const char* name;
    void (*build)(trace_builder_t&);
    std::string error;
  } cases[] = {
      {"first issue with piid 1", [](trace_builder_t& t) { t.issue(make_insn(1, 0, 0x13)); },
       "Non-sequential uiids: cycle: 0, hart: 0, last issued uiid: 0xffffffffffffffff, "
       "current piid: 0x1"},
      {"gap after uiid 0x400",
       [](trace_builder_t& t) {
         for (uint64_t u = 0; u <= 0x400; ++u) t.issue(make_insn(u, 0, 0x13));
         t.advance(300).hart(0).issue(make_insn(0x402, 0, 0x13));
       },
       "Non-sequential uiids: cycle: 300, hart: 0, last issued uiid: 0x400, current piid: 0x2"},
      {"commit without issue",
       [](trace_builder_t& t) {
         t.advance(5).writer().record_swt_cm(3, 0x80, false, false, 0, false);
       },
       "Missing issue record for piid: current record: SWT_CM, cycle: 5, hart: 0, piid: 3, "
       "last issued uiid: 18446744073709551615"},
      {"register value for a piid never issued on hart 2",
       [](trace_builder_t& t) {
         t.insn(make_insn(0, 0, 0x13)).hart(2).tsd1(9).writer().record_swt_irfwd(0, 1);
       },
       "Missing issue record for piid: current record: SWT_IRFWD, cycle: 9, hart: 2, piid: 0, "
       "last issued uiid: 18446744073709551615"},
      {"invalid header code at the start", [](trace_builder_t& t) { t.record(17, {}); },
       // The writer completes the file to 8 bytes, less than a 16-byte block.
       "Unknown header: 17 approximately at position 8!"},
      {"invalid header code after 20 bytes",
       [](trace_builder_t& t) {
         for (int k = 0; k < 10; ++k) t.tsd1(1);
         t.record(0, {}).rvt(0).rvt(0);
       },
       "Unknown header: 0 approximately at position 32!"},
      {"invalid header code 255 at byte 32",
       [](trace_builder_t& t) {
         for (int k = 0; k < 16; ++k) t.tsd1(1);
         t.record(255, {}).rvt(0).rvt(0);
       },
       "Unknown header: 255 approximately at position 48!"},
  };
  for (const case_t& c : cases) {
    trace_builder_t trace;
    c.build(trace);
    ::testing::internal::CaptureStdout();
    const std::string error = read_error(*open_reader(trace));
    ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(error, c.error) << c.name;
  }
}

// The one diagnostic on standard output is written when the bad record is
// found; the exception follows the instruction made before it.
// Both ways of decoding, in the reader's thread and in the caller's, must
// give the same objects, errors and NOTE lines at the same calls.
class ReaderFailures : public ::testing::TestWithParam<source_t> {};

TEST_P(ReaderFailures, MissingIssueRecordPrintsNote) {
  trace_builder_t trace;
  trace.insn(make_insn(0, 0, 0x13))
      .advance(5)
      .writer()
      .record_swt_cm(3, 0x80, false, false, 0, false);
  auto reader = open_reader(trace, GetParam());
  ::testing::internal::CaptureStdout();
  const et_object_t* first = reader->get_next_object();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "NOTE etrace/src/mh_swt_reader:270: SWT_CM: cycle: 5, hid: 0, missing issue record "
            "for piid 0x3\n");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->insn.uiid, 0u);
  EXPECT_THROW(reader->get_next_object(), std::runtime_error);
}

// A bad record ends the parsing like the end of the data: every object made
// before it is handed out, in order, and only then does the error come, the
// same at every later call.
TEST_P(ReaderFailures, ObjectsBeforeABadRecordAreHandedOutFirst) {
  const unsigned good = 300;
  struct case_t {
    const char* name;
    std::function<void(trace_builder_t&)> bad_record;
    const char* error_start;
  } cases[] = {
      {"unknown header", [](trace_builder_t& t) { t.record(200, {}); }, "Unknown header: 200"},
      {"uiid gap", [](trace_builder_t& t) { t.issue(make_insn(good + 1, 0, 0x13)); },
       "Non-sequential uiids"},
      {"commit without issue",
       [](trace_builder_t& t) { t.writer().record_swt_cm(good + 7, 0x80, false, false, 0, false); },
       "Missing issue record for piid"},
      {"selected hart above 7", [](trace_builder_t& t) { t.hart(8); }, "Hart #8 is found"},
  };
  for (const case_t& c : cases) {
    trace_builder_t trace;
    for (unsigned i = 0; i < good; ++i) trace.insn(make_insn(i, 0x1000 + 4 * i, 0x13));
    c.bad_record(trace);
    trace.insn(make_insn(good, 0x9000, 0x13));  // after the bad record: never read
    reader_options_t options;
    options.hart_mask = 0x1ff;
    auto reader = open_reader(trace, options, GetParam());
    ::testing::internal::CaptureStdout();
    std::vector<uint64_t> pcs;
    std::string error = "(no error)";
    try {
      while (const et_object_t* object = reader->get_next_object()) pcs.push_back(object->insn.pc);
    } catch (const std::runtime_error& e) {
      error = e.what();
    }
    ::testing::internal::GetCapturedStdout();
    ASSERT_EQ(pcs.size(), good) << c.name;
    EXPECT_EQ(pcs.front(), 0x1000u) << c.name;
    EXPECT_EQ(pcs.back(), 0x1000u + 4 * (good - 1)) << c.name;
    EXPECT_EQ(error.rfind(c.error_start, 0), 0u) << c.name << ": " << error;
    for (int again = 0; again < 2; ++again) {
      try {
        reader->get_next_object();
        ADD_FAILURE() << c.name << ": no error at a later call";
      } catch (const std::runtime_error& e) {
        EXPECT_EQ(e.what(), error) << c.name;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, ReaderFailures,
                         ::testing::Values(source_t::file, source_t::memory), source_name);

TEST(ReaderErrors, UnopenableFile) {
  trace_config_t c;
  try {
    open_reader("/nonexistent/trace.bin", c);
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(),
                 "Error: fail to open trace file: /nonexistent/trace.bin: "
                 "No such file or directory");
  }
}

// A failing read is reported, not taken for the end of the trace.
TEST(ReaderErrors, ReadErrorIsNoEndOfData) {
  auto reader = open_reader("/", trace_config_t());  // a directory opens but cannot be read
  EXPECT_EQ(read_error(*reader), "Error: fail to read trace file: / at position 0: Is a directory");
}

// A configuration the stream cannot have is refused before the file is
// touched (the path does not exist: the configuration error comes first).
TEST(ReaderErrors, BadConfigurationIsRejectedWhenBuilt) {
  struct case_t {
    int xlen, flen;
    unsigned long paddr, irf, cl_width, cl_chunks;
    std::string message_part;
  } cases[] = {
      {0, 64, 56, 64, 512, 1, "Invalid XLEN: 0"},
      {65, 64, 56, 64, 512, 1, "Invalid XLEN: 65"},
      {64, -3, 56, 64, 512, 1, "Invalid FLEN: -3"},
      {64, 64, 0, 64, 512, 1, "Invalid PADDR_WIDTH: 0"},
      {64, 64, 56, 65, 512, 1, "Invalid IRF_DATA_WIDTH: 65"},
      {64, 64, 56, 64, 512, 0, "Invalid CL_CHUNKS: 0"},
      {64, 64, 56, 64, 576, 1, "CL_WIDTH 576 in CL_CHUNKS 1 gives 9 data words"},
      {64, 64, 56, 64, 4096, 4, "CL_WIDTH 4096 in CL_CHUNKS 4 gives 16 data words"},
  };
  for (const case_t& c : cases) {
    try {
      mh_swt_reader_t reader("/nonexistent/trace.bin", 1, false, false, false, c.xlen, c.flen,
                             c.paddr, c.irf, c.cl_width, c.cl_chunks, false);
      ADD_FAILURE() << "no error for " << c.message_part;
    } catch (const std::runtime_error& e) {
      EXPECT_NE(std::string(e.what()).find(c.message_part), std::string::npos)
          << e.what() << " / " << c.message_part;
    }
  }
}

// ---------------------------------------------------------------------------
// The object handed out

// The caller may fill in the object it is handed (quendle adds the
// disassembly fields): the next object has only what the stream gave it, the
// disassembly fields zero, after an instruction as after a message.
TEST(ReaderObject, WhatTheCallerWroteDoesNotCarryOver) {
  trace_builder_t trace;
  et_insn_t first = make_insn(0, 0x100, 0x13);
  first.rd = et_reg_t{1, 5, 1, 7};
  first.ea_valid = 1;
  first.ea = 0x4000;
  et_insn_t second = make_insn(1, 0x104, 0x33);
  second.rs2 = et_reg_t{0, 0, 1, 3};
  et_insn_t third = make_insn(2, 0, 0x13, 1);
  third.committed = 0;  // no commit record, no pc
  trace.insn(first).insn(second).rvt(0x99).insn(third);
  auto reader = open_reader(trace);

  auto scribble = [](et_object_t* object) {
    et_insn_t& insn = object->insn;
    insn.disasm_known = 1;
    insn.flags = ~uint64_t(0);
    insn.insn_id = 42;
    std::memset(insn.disasm, 'x', sizeof insn.disasm - 1);
    insn.rd = et_reg_t{1, 31, 1, ~uint64_t(0)};
    insn.frs3 = et_reg_t{1, 31, 1, ~uint64_t(0)};
    insn.ea_valid = insn.pa_valid = insn.sd_valid = insn.trap = insn.interrupt = insn.trig = 1;
    insn.cause = insn.pa = insn.sd = insn.fr_cycle = ~uint64_t(0);
  };
  auto expect_insn = [](const et_object_t* object, const et_insn_t& want) {
    ASSERT_NE(object, nullptr);
    ASSERT_EQ(object->kind, et_object_t::KIND_INSN);
    EXPECT_EQ(fields(object->insn), fields(want));
    EXPECT_EQ(object->insn.disasm_known, 0);
    EXPECT_EQ(object->insn.flags, 0u);
    EXPECT_EQ(object->insn.insn_id, 0u);
    const char zeros[sizeof object->insn.disasm] = {};
    EXPECT_EQ(std::memcmp(object->insn.disasm, zeros, sizeof zeros), 0);
  };

  et_object_t* object = reader->get_next_object();
  expect_insn(object, first);
  scribble(object);
  object = reader->get_next_object();
  expect_insn(object, second);
  scribble(object);
  object = reader->get_next_object();
  ASSERT_NE(object, nullptr);
  et_object_t rvt;
  std::memset(static_cast<void*>(&rvt), 0, sizeof rvt);
  rvt.kind = et_object_t::KIND_RVT;
  rvt.rvt.data = 0x99;
  EXPECT_EQ(std::memcmp(object, &rvt, sizeof rvt), 0) << object->to_string();
  scribble(object);
  expect_insn(reader->get_next_object(), third);
  EXPECT_EQ(reader->get_next_object(), nullptr);
}

// ---------------------------------------------------------------------------
// The look-ahead ring

namespace {

// Objects are RVT words numbered in stream order.
void write_numbered_rvts(trace_builder_t& trace, uint64_t count) {
  for (uint64_t k = 0; k < count; ++k) trace.rvt(k);
}

}  // namespace

class ReaderRing : public ::testing::TestWithParam<source_t> {};

TEST_P(ReaderRing, FullRingIsDecodedOnFirstCallAndDrained) {
  trace_builder_t trace;
  write_numbered_rvts(trace, ring);
  auto reader = open_reader(trace, GetParam());
  uint64_t k = 0;
  while (const et_object_t* object = reader->get_next_object()) {
    ASSERT_EQ(object->rvt.data, k);
    ++k;
  }
  EXPECT_EQ(k, ring);
  EXPECT_EQ(reader->get_next_object(), nullptr);
}

// The object after a full window is decoded once the first one has been
// handed out, in its place, and no further: a record behind it that prints a
// NOTE when decoded shows how far each call has read.
TEST_P(ReaderRing, OneObjectMoreIsDecodedOnceTheFirstIsHandedOut) {
  trace_builder_t trace;
  write_numbered_rvts(trace, ring + 1);
  trace.writer().record_swt_cm(7, 0x80, false, false, 0, false);  // no issue record
  auto reader = open_reader(trace, GetParam());
  ::testing::internal::CaptureStdout();
  const et_object_t* first = reader->get_next_object();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->rvt.data, 0u);
  // Object 131072 is decoded now, where object 0 was; the record after it is not.
  ::testing::internal::CaptureStdout();
  const et_object_t* second = reader->get_next_object();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->rvt.data, 1u);
  EXPECT_EQ(second, first);  // the reader hands out one object, refilled at every call
  ::testing::internal::CaptureStdout();
  const et_object_t* third = reader->get_next_object();
  EXPECT_NE(::testing::internal::GetCapturedStdout(), "");
  ASSERT_NE(third, nullptr);
  EXPECT_EQ(third->rvt.data, 2u);
  uint64_t k = 3;
  std::string error = "(no error)";
  try {
    while (const et_object_t* object = reader->get_next_object()) {
      ASSERT_EQ(object->rvt.data, k);
      ++k;
    }
  } catch (const std::runtime_error& e) {
    error = e.what();
  }
  EXPECT_EQ(k, ring + 1);
  EXPECT_EQ(error.rfind("Missing issue record for piid", 0), 0u) << error;
}

// Instructions across the ring boundary are complete when handed out: the
// records after the last issue that fits are decoded by the next call.
TEST_P(ReaderRing, InstructionsAcrossTheBoundaryAreComplete) {
  trace_builder_t trace;
  for (uint64_t uiid = 0; uiid < ring + 1; ++uiid) {
    et_insn_t insn = make_insn(uiid, uiid * 4, 0x13);
    insn.rd.data_valid = 1;
    insn.rd.data = uiid;
    trace.insn(insn);
  }
  auto reader = open_reader(trace, GetParam());
  uint64_t k = 0;
  while (const et_object_t* object = reader->get_next_object()) {
    ASSERT_EQ(object->insn.uiid, k);
    ASSERT_EQ(object->insn.committed, 1) << k;
    ASSERT_EQ(object->insn.rd.data, k);
    ++k;
  }
  EXPECT_EQ(k, ring + 1);
}

// A record that comes after a newer object took its instruction's slot fails
// instead of landing on the newer object.
TEST_P(ReaderRing, RecordForInstructionThatLeftTheWindowFails) {
  struct case_t {
    uint64_t objects_between;
    bool committed_when_handed_out;
    bool fails;
  } cases[] = {// The commit record is read before the instruction is handed out.
               {ring - 2, true, false},
               // Handed out first; its slot still holds it, so the late record
               // completes it in place.
               {ring - 1, false, false},
               // A newer object now lives in the slot.
               {ring, false, true},
               {ring + 1, false, true}};
  for (const case_t& c : cases) {
    trace_builder_t trace;
    trace.tsd1(4).issue(make_insn(0, 0, 0x13));
    write_numbered_rvts(trace, c.objects_between);
    trace.writer().record_swt_cm(0, 0x40, false, false, 0, false);
    auto reader = open_reader(trace, GetParam());
    std::string error = "(no error)";
    const et_object_t* first = reader->get_next_object();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->insn.committed != 0, c.committed_when_handed_out) << c.objects_between;
    uint64_t handed_out = 1;
    try {
      while (reader->get_next_object()) ++handed_out;
    } catch (const std::runtime_error& e) {
      error = e.what();
    }
    // The issue record and every word before the late record reach the caller.
    EXPECT_EQ(handed_out, 1 + c.objects_between);
    if (c.fails) {
      EXPECT_EQ(error,
                "Record for an instruction that has left the look-ahead window: current record: "
                "SWT_CM, cycle: 4, hart: 0, piid: 0, window: 131072 objects")
          << c.objects_between;
    } else {
      EXPECT_EQ(error, "(no error)") << c.objects_between;
    }
  }
}

// Past the window the ring's slots are reused; objects stay in order and
// complete, each instruction's late records included, however far the
// decoding has run ahead of the caller.
TEST_P(ReaderRing, ObjectsStayInOrderOverManyRounds) {
  const uint64_t count = 3 * mh_swt_reader_t::ring_capacity + 5;
  trace_builder_t trace;
  for (uint64_t uiid = 0; uiid < count; ++uiid) {
    et_insn_t insn = make_insn(uiid, uiid * 4, 0x13);
    insn.rd.data_valid = 1;
    insn.rd.data = ~uiid;
    if (uiid % 3 == 0) trace.rvt(uiid);
    trace.insn(insn);
  }
  auto reader = open_reader(trace, GetParam());
  uint64_t insns = 0, rvts = 0;
  while (const et_object_t* object = reader->get_next_object()) {
    if (object->kind == et_object_t::KIND_RVT) {
      ASSERT_EQ(object->rvt.data, 3 * rvts);
      ASSERT_EQ(rvts * 3, insns);  // right before its instruction
      ++rvts;
      continue;
    }
    ASSERT_EQ(object->insn.uiid, insns);
    ASSERT_EQ(object->insn.pc, insns * 4);
    ASSERT_EQ(object->insn.rd.data, ~insns);
    ASSERT_EQ(object->insn.committed, 1);
    ++insns;
  }
  EXPECT_EQ(insns, count);
  EXPECT_EQ(rvts, (count + 2) / 3);
}

// A reader may be dropped at any point: before its first call, part-way
// through (the decoder waiting for room, or still decoding) and after the
// end. None of these may hang or leak.
TEST_P(ReaderRing, DroppedAtAnyPoint) {
  trace_builder_t trace;
  write_numbered_rvts(trace, 2 * mh_swt_reader_t::ring_capacity);
  trace.finish();
  for (const uint64_t taken : {uint64_t(0), uint64_t(1), uint64_t(ring + 100),
                               uint64_t(2 * mh_swt_reader_t::ring_capacity + 1)}) {
    auto reader = open_reader(trace, GetParam());
    for (uint64_t k = 0; k < taken; ++k) {
      const et_object_t* object = reader->get_next_object();
      if (k < 2 * mh_swt_reader_t::ring_capacity) {
        ASSERT_NE(object, nullptr) << k;
        ASSERT_EQ(object->rvt.data, k);
      } else {
        ASSERT_EQ(object, nullptr);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sources, ReaderRing, ::testing::Values(source_t::file, source_t::memory),
                         source_name);

// ---------------------------------------------------------------------------
// End of data

TEST(ReaderEnd, EmptyFileAndCallsAfterTheEnd) {
  temp_file_t file;
  auto reader = open_reader(file.path(), trace_config_t());
  for (int k = 0; k < 3; ++k) EXPECT_EQ(reader->get_next_object(), nullptr);
}

// A short text of each object, enough to see what a cut record left.
std::string summary(const std::vector<et_object_t>& objects) {
  std::ostringstream out;
  for (const et_object_t& o : objects) {
    if (out.tellp() > 0) out << " | ";
    if (o.kind == et_object_t::KIND_INSN)
      out << 'I' << o.insn.uiid << " p" << o.insn.pril << " c" << std::hex << o.insn.chunk
          << std::dec << (o.insn.committed ? " C" : " -") << " pc" << std::hex << o.insn.pc << " rd"
          << std::dec << int(o.insn.rd.data_valid) << ':' << o.insn.rd.data;
    else if (o.kind == et_object_t::KIND_RVT)
      out << 'R' << o.rvt.data;
    else
      out << o.to_string();
  }
  return out.str();
}

// A record cut by the end of the data: one that makes an object keeps what
// was read; any other has no effect.
TEST(ReaderEnd, CutLastRecord) {
  struct case_t {
    const char* name;
    void (*last)(et_writer_t&, trace_builder_t&);
    std::size_t keep_bytes;  // of the last record, header included
    std::string want;
  } cases[] = {
      {"issue cut inside the word",
       [](et_writer_t& w, trace_builder_t&) { w.record_swt_is(1, 2, 0x1122334455667788); }, 6,
       "I0 p3 c13 - pc0 rd0:0 | I1 p2 c0 - pc0 rd0:0"},
      {"issue cut inside the piid",
       [](et_writer_t& w, trace_builder_t&) { w.record_swt_is(1, 2, 0x11); }, 2,
       "I0 p3 c13 - pc0 rd0:0"},
      {"register value cut", [](et_writer_t& w, trace_builder_t&) { w.record_swt_irfwd(0, 0xff); },
       10, "I0 p3 c13 - pc0 rd0:0"},
      {"register value whole",
       [](et_writer_t& w, trace_builder_t&) { w.record_swt_irfwd(0, 0xff); }, 11,
       "I0 p3 c13 - pc0 rd1:255"},
      {"commit cut after the header",
       [](et_writer_t& w, trace_builder_t&) { w.record_swt_cm(0, 0x44, true, false, 0, false); }, 1,
       "I0 p3 c13 - pc0 rd0:0"},
      {"commit cut inside the flags",
       [](et_writer_t& w, trace_builder_t&) { w.record_swt_cm(0, 0x44, true, false, 0, false); },
       11, "I0 p3 c13 - pc0 rd0:0"},
      {"commit whole",
       [](et_writer_t& w, trace_builder_t&) { w.record_swt_cm(0, 0x44, true, false, 0, false); },
       12, "I0 p3 c13 C pc44 rd0:0"},
      {"rvt cut", [](et_writer_t&, trace_builder_t& t) { t.rvt(0x1234); }, 5,
       "I0 p3 c13 - pc0 rd0:0 | R0"},
      {"l2t cut after the header",
       [](et_writer_t&, trace_builder_t& t) {
         l2t_object_t m{};
         m.letter = MH_SWT_L2T_URL;
         m.rl.id = 9;
         t.l2t(m);
       },
       1, "I0 p3 c13 - pc0 rd0:0 | L2T URL ID=0"},
  };
  // The stream starts with an issue record of 11 bytes (XLEN 64).
  const std::size_t issue_bytes = 11;
  for (const case_t& c : cases) {
    trace_builder_t trace;
    trace.issue(make_insn(0, 0, 0x13));
    c.last(trace.writer(), trace);
    const std::vector<uint8_t> bytes = trace.bytes();
    ASSERT_LE(issue_bytes + c.keep_bytes, bytes.size()) << c.name;
    temp_file_t cut;
    write_prefix(bytes, issue_bytes + c.keep_bytes, cut.path());
    EXPECT_EQ(summary(read_all(*open_reader(cut.path(), trace.config()))), c.want) << c.name;
  }
}

// Every prefix of a valid trace reads without an error, and a longer prefix
// never yields fewer objects.
TEST(ReaderEnd, EveryPrefixOfATraceReads) {
  trace_config_t config;
  config.cl_width = 512;
  config.cl_chunks = 2;
  config.poison_enable = true;
  trace_builder_t trace(config);
  et_insn_t insn = make_insn(0, 0x80000000, 0x00a50533);
  insn.rs1 = et_reg_t{1, 10, 1, 0x1234};
  insn.rd = et_reg_t{1, 10, 1, 0x2468};
  insn.ea_valid = 1;
  insn.ea = 0x4000;
  l2t_object_t wd{};
  wd.letter = MH_SWT_L2T_UWD;
  wd.wd.count = 4;
  dct_object_t brq{};
  brq.letter = MH_SWT_DCT_BRQ;
  trace.insn(insn).rvt(1).l2t(wd).dct_hart(2).dct(brq);
  insn.uiid = 1;
  trace.tsd1(3).insn(insn);
  const std::vector<uint8_t> bytes = trace.bytes();
  const std::size_t all = read_all(*open_reader(trace.path(), config)).size();
  std::size_t previous = 0;
  temp_file_t cut;
  for (std::size_t n = 0; n <= bytes.size(); ++n) {
    write_prefix(bytes, n, cut.path());
    std::size_t count = 0;
    ASSERT_NO_THROW(count = read_all(*open_reader(cut.path(), config)).size()) << n;
    EXPECT_GE(count, previous) << n;
    previous = count;
  }
  EXPECT_EQ(previous, all);
  EXPECT_EQ(all, 5u);
}

// Random bytes end either in objects or in a std::runtime_error, never in a
// crash or a hang.
TEST(ReaderEnd, GarbageNeverCrashes) {
  std::mt19937 random(12345);
  temp_file_t file;
  int errors = 0;
  for (int round = 0; round < 300; ++round) {
    std::vector<uint8_t> bytes(random() % 400);
    // Mostly valid header codes, so that decoding gets somewhere.
    for (uint8_t& b : bytes) b = random() % 3 ? uint8_t(16 + random() % 73) : uint8_t(random());
    write_prefix(bytes, bytes.size(), file.path());
    trace_config_t config;
    config.xlen = round % 2 ? 32 : 64;
    config.cl_chunks = 1ul << (round % 4);
    config.poison_enable = round % 3 == 0;
    reader_options_t options;
    options.hart_mask = round % 5 == 0 ? ~0ul : 0xff;
    auto reader = open_reader(file.path(), config, options);
    ::testing::internal::CaptureStdout();
    try {
      read_all(*reader);
    } catch (const std::runtime_error&) {
      ++errors;
    }
    ::testing::internal::GetCapturedStdout();
  }
  EXPECT_GT(errors, 0);
}

// ---------------------------------------------------------------------------
// A stream handed over by the caller

TEST(ReaderStream, CallersStreamStaysOpenAndPositionsCountFromWhereItStood) {
  trace_builder_t trace;
  trace.rvt(42).record(17, {}).rvt(0).rvt(0);
  const std::vector<uint8_t> bytes = trace.bytes();
  temp_file_t file;
  {
    std::ofstream out(file.path(), std::ios::binary);
    out << "\xee\xee\xee\xee\xee";
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }

  FILE* stream = std::fopen(file.path().c_str(), "rb");
  ASSERT_NE(stream, nullptr);
  ASSERT_EQ(std::fseek(stream, 5, SEEK_SET), 0);
  {
    trace_config_t c;
    mh_swt_reader_t reader(stream, 1, false, false, false, c.xlen, c.flen, c.paddr_width,
                           c.irf_data_width, c.cl_width, c.cl_chunks, c.poison_enable);
    // The bad header is at byte 9 of the trace: in its first 16-byte block.
    EXPECT_EQ(read_error(reader), "Unknown header: 17 approximately at position 21!");
  }
  EXPECT_EQ(std::fseek(stream, 0, SEEK_SET), 0);  // still open
  EXPECT_EQ(std::fgetc(stream), 0xee);
  std::fclose(stream);
}

// ---------------------------------------------------------------------------
// The caller's own steps: get_bits and parse_more, alone and between calls of
// get_next_object, on each kind of input

namespace {

enum class input_kind_t { file, pipe, memory };

// A trace given to a reader as a file, a pipe fed by a thread, or a stream in
// memory; made before the reader and gone after it.
class trace_input_t {
public:
  trace_input_t(trace_builder_t& trace, input_kind_t kind) : bytes_(trace.bytes()) {
    if (kind == input_kind_t::file) {
      path_ = trace.path();
      return;
    }
    if (kind == input_kind_t::memory) {
      stream_ = fmemopen(bytes_.data(), bytes_.size(), "rb");
    } else {
      int fds[2];
      if (pipe(fds) != 0) throw std::runtime_error("pipe failed");
      stream_ = fdopen(fds[0], "rb");
      // A reader that stops early closes nothing: the writer stops at the
      // closed pipe (EPIPE, the signal ignored), not in a write for ever.
      std::signal(SIGPIPE, SIG_IGN);
      writer_ = std::thread([this, fd = fds[1]] {
        for (std::size_t done = 0; done < bytes_.size();) {
          const ssize_t n = write(fd, bytes_.data() + done, bytes_.size() - done);
          if (n <= 0) break;
          done += std::size_t(n);
        }
        close(fd);
      });
    }
    if (stream_ == nullptr) throw std::runtime_error("no stream");
  }
  ~trace_input_t() {
    if (stream_ != nullptr) std::fclose(stream_);
    if (writer_.joinable()) writer_.join();
  }

  std::unique_ptr<mh_swt_reader_t> open(const trace_config_t& c) const {
    if (stream_ == nullptr) return open_reader(path_, c);
    return std::make_unique<mh_swt_reader_t>(stream_, all_harts, false, false, false, c.geometry());
  }

private:
  std::vector<uint8_t> bytes_;
  std::string path_;
  FILE* stream_ = nullptr;
  std::thread writer_;
};

const char* input_name(input_kind_t kind) {
  return kind == input_kind_t::file ? "file" : kind == input_kind_t::pipe ? "pipe" : "memory";
}

// One step of a caller: `objects` calls of get_next_object (0: get_bits(bits);
// -1 with bits 0: parse_more), and what it gives, in short: the bits in hex,
// the RVT words in hex as runs "first-last@cycle", an instruction as
// "i<uiid>@<pc>" ("-" after it while not committed), "end" for null,
// "underflow", or the text of another error.
struct step_t {
  int objects;
  int bits;
};
constexpr step_t parse{-1, 0};
constexpr step_t bits(int n) { return step_t{0, n}; }
constexpr step_t objects(int n) { return step_t{n, 0}; }
constexpr int all = 1 << 20;

std::string run_steps(mh_swt_reader_t& reader, const std::vector<step_t>& steps) {
  std::ostringstream out;
  uint64_t run_first = 0, run_last = 0, run_cycle = 0;
  bool in_run = false;
  auto end_run = [&] {
    if (in_run)
      out << std::hex << run_first << '-' << run_last << std::dec << '@' << run_cycle << ' ';
    in_run = false;
  };
  for (const step_t& step : steps) {
    try {
      if (step.objects > 0) {
        for (int k = 0; k < step.objects; ++k) {
          const et_object_t* object = reader.get_next_object();
          if (object == nullptr) {
            end_run();
            out << "end ";
            break;
          }
          if (object->kind == et_object_t::KIND_INSN) {
            end_run();
            out << 'i' << object->insn.uiid << '@' << std::hex << object->insn.pc << std::dec
                << (object->insn.committed ? " " : "- ");
            continue;
          }
          const uint64_t word = object->rvt.data, cycle = object->rvt.cycle;
          if (!in_run || word != run_last + 1 || cycle != run_cycle) {
            end_run();
            in_run = true;
            run_first = word;
            run_cycle = cycle;
          }
          run_last = word;
        }
        end_run();
      } else if (step.bits > 0) {
        out << std::hex << reader.get_bits(step.bits) << std::dec << ' ';
      } else {
        reader.parse_more();
        out << "parsed ";
      }
    } catch (const std::underflow_error& e) {
      end_run();
      out << "underflow" << (*e.what() ? ":text " : " ");
    } catch (const std::runtime_error& e) {
      end_run();
      out << e.what() << ' ';
    }
  }
  return out.str();
}

// Destroys the reader, failing when that takes a second or more: a thread
// of the reader's left waiting would hold it for ever, so the test ends.
void destroy_within_a_second(std::unique_ptr<mh_swt_reader_t> reader, const std::string& what) {
  std::promise<void> done;
  std::future<void> destroyed = done.get_future();
  std::thread([&reader, &done] {
    reader.reset();
    done.set_value();
  }).detach();
  if (destroyed.wait_for(std::chrono::seconds(1)) != std::future_status::ready) {
    ADD_FAILURE() << what << ": the reader's destruction did not return";
    std::abort();
  }
}

// The words from..to, one cycle: a run as run_steps writes it.
std::string words(uint64_t from, uint64_t to, uint64_t cycle) {
  std::ostringstream out;
  out << std::hex << from << '-' << to << std::dec << '@' << cycle << ' ';
  return out.str();
}

std::string hex_of(uint64_t value) {
  std::ostringstream out;
  out << std::hex << value << ' ';
  return out.str();
}

// Steps of a caller and what they give, on every kind of input; then the
// reader's destruction.
struct steps_case_t {
  const char* name;
  std::vector<step_t> steps;
  std::string want;
};

void expect_steps_on_every_input(trace_builder_t& trace, const std::vector<steps_case_t>& cases) {
  for (const input_kind_t kind : {input_kind_t::file, input_kind_t::pipe, input_kind_t::memory}) {
    for (const steps_case_t& c : cases) {
      const std::string what = std::string(input_name(kind)) + ", " + c.name;
      trace_input_t input(trace, kind);
      auto reader = input.open(trace.config());
      EXPECT_EQ(run_steps(*reader, c.steps), c.want) << what;
      destroy_within_a_second(std::move(reader), what);
    }
  }
}

}  // namespace

// A caller's own steps see the stream exactly where a reader decoding in the
// caller's thread stands: before any object; after the first call of
// get_next_object, which decodes a full window (objects 0 to ring - 1), and
// after parse_more, one object further; then the objects go on behind the
// bits taken. The same on every input, whether the reader decodes in a
// thread of its own (a file) or not.
TEST(ReaderCallersSteps, TheStreamIsWhereTheCallersThreadWouldStand) {
  const uint64_t last = ring + 3;  // the word after the TSD1 record
  const std::string tail = words(last, last, 7) + "end ";
  const std::vector<steps_case_t> cases = {
      {"bits first: the first record",
       {bits(8), bits(64), objects(all)},
       "1f 0 " + words(1, ring + 2, 0) + tail},
      {"one object, then the record after the window",
       {objects(1), bits(8), bits(64), objects(all)},
       words(0, 0, 0) + "1f " + hex_of(ring) + words(1, ring - 1, 0) +
           words(ring + 1, ring + 2, 0) + tail},
      {"parse_more after one object decodes one more",
       {objects(1), parse, bits(8), bits(64), objects(all)},
       words(0, 0, 0) + "parsed 1f " + hex_of(ring + 1) + words(1, ring, 0) +
           words(ring + 2, ring + 2, 0) + tail},
      {"objects after parse_more each decode one more",
       {objects(1), parse, objects(2), bits(8), bits(64), objects(all)},
       words(0, 0, 0) + "parsed " + words(1, 2, 0) + "1f " + hex_of(ring + 2) +
           words(3, ring + 1, 0) + tail},
      {"three objects, then a record in two parts",
       {objects(3), bits(5), bits(3), bits(64), objects(all)},
       words(0, 2, 0) + "1f 0 " + hex_of(ring + 2) + words(3, ring + 1, 0) + tail},
      {"after the end",
       {objects(all), bits(1), parse, bits(1), objects(1)},
       words(0, ring + 2, 0) + tail + "underflow underflow underflow end "},
  };
  trace_builder_t trace;
  write_numbered_rvts(trace, ring + 3);
  trace.tsd1(7).rvt(last);
  expect_steps_on_every_input(trace, cases);
}

// The bits themselves, least-significant first, up to the end of the data,
// which stands for every later step; and records read on from a bit that is
// no byte boundary. Sixteen bytes: a record whose bits from bit 3 on are a
// TSD1 record adding 7 (header 0x85, then 0x38 0x00), an RVT record, and the
// two TSD1 records of delta 0 that complete the writer's last word.
TEST(ReaderCallersSteps, BitsAndTheEndOfTheData) {
  const std::vector<steps_case_t> cases = {
      {"fields of any width up to the end",
       {bits(12), bits(16), bits(64), bits(32), bits(5), bits(4), parse, objects(1)},
       "885 f003 1223344556677881 1000101 underflow underflow underflow end "},
      {"the last bits exactly",
       {bits(32), bits(64), bits(32), bits(1)},
       "1f003885 1122334455667788 100010 underflow "},
      {"records from bit 3",
       {bits(3), objects(all)},
       "5 " + words(0x1122334455667788, 0x1122334455667788, 7) + "end "},
      {"records from bit 3, parsed first",
       {bits(3), parse, objects(all)},
       "5 underflow " + words(0x1122334455667788, 0x1122334455667788, 7) + "end "},
  };
  trace_builder_t trace;
  trace.record(0x85, {{0x38, 8}, {0, 8}}).rvt(0x1122334455667788);
  ASSERT_EQ(trace.bytes().size(), 16u);
  expect_steps_on_every_input(trace, cases);
}

TEST(ReaderCallersSteps, BitCountsOutsideOneTo64AreRefused) {
  trace_builder_t trace;
  trace.rvt(1);
  auto reader = open_reader(trace);
  for (const int n : {0, -1, 65}) EXPECT_THROW(reader->get_bits(n), std::invalid_argument) << n;
  EXPECT_EQ(reader->get_bits(8), 0x1fu);  // nothing taken
}

// The records after the caller's bits are read from where those bits end,
// inside a byte: here an issue record 4 bits into a byte that would itself
// begin a TSD1 record.
TEST(ReaderCallersSteps, RecordsReadOnFromInsideAByte) {
  trace_builder_t trace;
  // Header 0x10, then the issue record's header (33) goes on with its high
  // nibble, its piid 0, pril 3 and chunk.
  trace.record(MH_TSD1, {{MH_SWT_IS >> 4, 4}, {0, 10}, {3, 2}, {0x13, 64}});
  trace.writer().record_swt_cm(0, 0x80, false, false, 0, false);
  trace.rvt(5);
  expect_steps_on_every_input(trace, {{"bits(4)", {bits(4), objects(all)}, "0 i0@80 5-5@0 end "}});
}

// ---------------------------------------------------------------------------
// After an error: the first error met stands for every later step, and every
// object made before it is handed out exactly once, in order

TEST(ReaderCallersSteps, AfterAnErrorNothingIsDecodedTwice) {
  {
    // Ten RVT words 0 to 9, then the header code 255.
    trace_builder_t trace;
    write_numbered_rvts(trace, 10);
    trace.record(255, {});
    const std::string bad = "Unknown header: 255 approximately at position 96! ";
    expect_steps_on_every_input(trace, {
                                           {"parse_more after an object",
                                            {objects(1), parse, objects(all), parse},
                                            words(0, 0, 0) + bad + words(1, 9, 0) + bad + bad},
                                           {"bits after an object",
                                            {objects(1), bits(8), bits(8), objects(all)},
                                            words(0, 0, 0) + bad + bad + words(1, 9, 0) + bad},
                                           {"parse_more first",
                                            {parse, parse, bits(1), objects(all), objects(1)},
                                            bad + bad + bad + words(0, 9, 0) + bad + bad},
                                           {"every object, then the caller's steps",
                                            {objects(all), parse, bits(8), objects(1)},
                                            words(0, 9, 0) + bad + bad + bad + bad},
                                       });
  }
  {
    // Three words, five instructions, then the header code 255: decoding
    // again would meet the instructions' uiids a second time.
    trace_builder_t trace;
    write_numbered_rvts(trace, 3);
    for (uint64_t u = 0; u < 5; ++u) trace.insn(make_insn(u, 0x100 + 4 * u, 0x13));
    trace.record(255, {});
    const std::string bad = "Unknown header: 255 approximately at position " +
                            std::to_string(trace.bytes().size()) + "! ";
    const std::string insns = "i0@100 i1@104 i2@108 i3@10c i4@110 ";
    expect_steps_on_every_input(trace, {
                                           {"parse_more after an object",
                                            {objects(1), parse, objects(all)},
                                            words(0, 0, 0) + bad + words(1, 2, 0) + insns + bad},
                                           {"parse_more after the instructions",
                                            {objects(8), parse, bits(3)},
                                            words(0, 2, 0) + insns + bad + bad},
                                       });
  }
}

// The NOTE line of a missing issue record is on standard output before the
// error leaves the reader, whichever call meets the record, and only once.
TEST(ReaderCallersSteps, MissingIssueRecordNotesBeforeEveryWayOut) {
  const std::string note =
      "NOTE etrace/src/mh_swt_reader:270: SWT_CM: cycle: 5, hid: 0, missing issue record for "
      "piid 0x3\n";
  const std::string error =
      "Missing issue record for piid: current record: SWT_CM, cycle: 5, hart: 0, piid: 3, "
      "last issued uiid: 0 ";
  const std::vector<steps_case_t> cases = {
      {"parse_more first", {parse, objects(all), parse}, "NOTE " + error + "i0@0 " + error + error},
      {"an object first", {objects(1), parse, objects(all)}, "NOTE i0@0 " + error + error},
      {"bits after an object", {objects(1), bits(8), objects(all)}, "NOTE i0@0 " + error + error},
  };
  trace_builder_t trace;
  trace.insn(make_insn(0, 0, 0x13))
      .advance(5)
      .writer()
      .record_swt_cm(3, 0x80, false, false, 0, false);
  for (const input_kind_t kind : {input_kind_t::file, input_kind_t::pipe, input_kind_t::memory}) {
    for (const steps_case_t& c : cases) {
      const std::string what = std::string(input_name(kind)) + ", " + c.name;
      trace_input_t input(trace, kind);
      auto reader = input.open(trace.config());
      // Each step with what it wrote on standard output in front.
      std::string got;
      for (const step_t& step : c.steps) {
        ::testing::internal::CaptureStdout();
        const std::string out = run_steps(*reader, {step});
        const std::string written = ::testing::internal::GetCapturedStdout();
        got += (written == note ? "NOTE " : written) + out;
      }
      EXPECT_EQ(got, c.want) << what;
    }
  }
}

// ---------------------------------------------------------------------------
// A live producer: a FIFO whose writer keeps it open after the bytes it wrote

namespace {

// How long a step may wait for bytes that are already in the FIFO: far more
// than it takes on a loaded machine, far less than for ever.
constexpr auto live_bound = std::chrono::seconds(30);

// A FIFO fed by a thread that writes the bytes and keeps its end open until
// release() or the bound, then closes it.
class live_fifo_t {
public:
  explicit live_fifo_t(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {
    std::remove(file_.path().c_str());
    if (mkfifo(file_.path().c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
    // A reader done before the last bytes ends the writes (EPIPE), not the test.
    std::signal(SIGPIPE, SIG_IGN);
    writer_ = std::thread([this] {
      const int fd = ::open(file_.path().c_str(), O_WRONLY);
      for (std::size_t done = 0; fd >= 0 && done < bytes_.size();) {
        const ssize_t n = write(fd, bytes_.data() + done, bytes_.size() - done);
        if (n <= 0) break;
        done += std::size_t(n);
      }
      released_.get_future().wait_for(live_bound);
      closed_ = true;
      if (fd >= 0) close(fd);
    });
  }
  ~live_fifo_t() {
    release();
    writer_.join();
  }
  const std::string& path() const { return file_.path(); }
  // The writer has closed its end.
  bool closed() const { return closed_; }
  void release() {
    if (!released_once_) released_.set_value();
    released_once_ = true;
  }

private:
  temp_file_t file_;
  std::vector<uint8_t> bytes_;
  std::promise<void> released_;
  bool released_once_ = false;
  std::atomic<bool> closed_{false};
  std::thread writer_;
};

}  // namespace

// The reader takes the bytes that are there and waits for more only when a
// step needs them: 16 bytes give their first field, and a full window of
// objects the first object, while the writer still holds the FIFO open.
TEST(ReaderLiveInput, StepsReturnWhileTheWriterKeepsTheFifoOpen) {
  struct case_t {
    const char* name;
    uint64_t words;
    std::function<std::string(mh_swt_reader_t&)> step;
    std::string want;
  } cases[] = {
      {"8 bits of 16 bytes", 1, [](mh_swt_reader_t& r) { return hex_of(r.get_bits(8)); }, "1f "},
      {"the first object of a full window", ring + 3928,
       [](mh_swt_reader_t& r) { return run_steps(r, {objects(1)}); }, words(0, 0, 0)},
      {"parse_more after the first object", ring + 3928,
       [](mh_swt_reader_t& r) {
         return run_steps(r, {objects(1), parse, objects(1)});
       },
       words(0, 0, 0) + "parsed " + words(1, 1, 0)},
  };
  for (const case_t& c : cases) {
    trace_builder_t trace;
    write_numbered_rvts(trace, c.words);
    live_fifo_t fifo(trace.bytes());
    auto reader = open_reader(fifo.path(), trace.config());
    EXPECT_EQ(c.step(*reader), c.want) << c.name;
    EXPECT_FALSE(fifo.closed()) << c.name << ": the step waited for the writer to close";
    fifo.release();
  }
}

// ---------------------------------------------------------------------------
// fork(): a reader made before it goes on in the child, decoding in the
// child's one thread, and in the parent as before

namespace {

// Exit statuses of the child.
enum child_status_t : int { child_ok = 0, child_wrong_objects = 1, child_error = 2 };

// Takes objects from k on, RVT words numbered in order, until the end;
// true when all of them up to count are there.
bool drain_numbered(mh_swt_reader_t& reader, uint64_t k, uint64_t count) {
  while (const et_object_t* object = reader.get_next_object()) {
    if (object->kind != et_object_t::KIND_RVT || object->rvt.data != k) return false;
    ++k;
  }
  return k == count;
}

// Takes the first n objects: RVT words 0 to n - 1.
bool drain_numbered_prefix(mh_swt_reader_t& reader, uint64_t n) {
  for (uint64_t k = 0; k < n; ++k) {
    const et_object_t* object = reader.get_next_object();
    if (object == nullptr || object->rvt.data != k) return false;
  }
  return true;
}

}  // namespace

TEST(ReaderFork, ChildAndParentEachDrainTheTrace) {
#if defined(__SANITIZE_THREAD__)
  // The child touches what the parent's threads wrote without meeting them:
  // ThreadSanitizer cannot know that they are gone.
  GTEST_SKIP() << "not under ThreadSanitizer";
#endif
  const uint64_t count = 2 * mh_swt_reader_t::ring_capacity + 7;
  trace_builder_t trace;
  write_numbered_rvts(trace, count);
  trace.finish();
  struct case_t {
    const char* name;
    uint64_t taken_before;  // objects taken before fork()
    bool parse_first;       // a parse_more of the caller's before them
  } cases[] = {
      {"right after construction", 0, false},
      {"after some objects", ring / 2, false},
      {"after a window and the slack", mh_swt_reader_t::ring_capacity + 3, false},
      {"decoding in the caller's thread", 5, true},
  };
  for (const case_t& c : cases) {
    auto reader = open_reader(trace);
    if (c.parse_first) reader->parse_more();
    ASSERT_TRUE(c.taken_before == 0 || drain_numbered_prefix(*reader, c.taken_before)) << c.name;
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
      alarm(60);  // a hang ends the child, and the parent sees the signal
      int status = child_ok;
      try {
        if (!drain_numbered(*reader, c.taken_before, count)) status = child_wrong_objects;
        reader.reset();
      } catch (const std::exception&) {
        status = child_error;
      }
      _exit(status);
    }
    EXPECT_TRUE(drain_numbered(*reader, c.taken_before, count)) << c.name << ": parent";
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status)) << c.name << ": the child hung or crashed, status " << status;
    if (WIFEXITED(status)) {
      EXPECT_EQ(WEXITSTATUS(status), child_ok) << c.name;
    }
  }
}
