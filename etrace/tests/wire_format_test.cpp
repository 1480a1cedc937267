// The wire-format table (stream/et_wire_format.h) and the stream geometry it
// is resolved with: the lengths the table gives are the lengths the writer and
// the trace builder write, for every record and several geometries, and the
// geometry refuses what the stream cannot have.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "etrace/mh_swt_reader.h"
#include "etrace/stream/et_record.h"
#include "etrace/stream/et_stream_geometry.h"
#include "etrace/stream/et_wire_format.h"
#include "etrace/stream/et_writer.h"
#include "etrace/stream/mh_rvt_reader.h"
#include "support/trace_builder.h"

using et_test::make_insn;
using et_test::temp_file_t;
using et_test::trace_builder_t;
using et_test::trace_config_t;

namespace {

trace_config_t config_of(int xlen, int flen, int irf, int paddr, unsigned long cl_width,
                         unsigned long cl_chunks, bool poison) {
  trace_config_t c;
  c.xlen = xlen;
  c.flen = flen;
  c.irf_data_width = irf;
  c.paddr_width = paddr;
  c.cl_width = cl_width;
  c.cl_chunks = cl_chunks;
  c.poison_enable = poison;
  return c;
}

// Widths on and off byte boundaries, every cache-line chunking from 0 to 8
// data words, with and without poison bits.
const trace_config_t geometries[] = {
    config_of(64, 64, 64, 56, 512, 1, false), config_of(32, 32, 32, 32, 256, 2, true),
    config_of(32, 64, 17, 40, 512, 4, true),  config_of(64, 16, 63, 1, 1024, 8, false),
    config_of(7, 1, 1, 64, 128, 1, true),     config_of(64, 64, 40, 64, 2048, 4, true),
    config_of(33, 63, 64, 20, 64, 2, true),
};

std::string name(const trace_config_t& c) {
  return "xlen " + std::to_string(c.xlen) + " flen " + std::to_string(c.flen) + " irf " +
         std::to_string(c.irf_data_width) + " paddr " + std::to_string(c.paddr_width) + " cl " +
         std::to_string(c.cl_width) + "/" + std::to_string(c.cl_chunks) +
         (c.poison_enable ? " poison" : "");
}

// One record of each code, written the way the tools write it: the writer's
// operation for the records it has, the builder's packing for the messages.
const std::map<unsigned, std::function<void(trace_builder_t&)>>& record_writers() {
  static const std::map<unsigned, std::function<void(trace_builder_t&)>> writers = [] {
    std::map<unsigned, std::function<void(trace_builder_t&)>> w;
    w[MH_TSD1] = [](trace_builder_t& t) { t.writer().record_tsd1(9); };
    w[MH_SWT_RVT] = [](trace_builder_t& t) { t.rvt(0x0123456789abcdef); };
    w[MH_SWT_HART] = [](trace_builder_t& t) { t.writer().record_swt_hart(3); };
    w[MH_SWT_IS] = [](trace_builder_t& t) { t.writer().record_swt_is(5, 3, ~0ull); };
    w[MH_SWT_IRFRA] = [](trace_builder_t& t) { t.writer().record_swt_irfra(5, 1, 31); };
    w[MH_SWT_IRFRD] = [](trace_builder_t& t) { t.writer().record_swt_irfrd(5, 2, ~0ull); };
    w[MH_SWT_IRFWA] = [](trace_builder_t& t) { t.writer().record_swt_irfwa(5, 31); };
    w[MH_SWT_IRFWD] = [](trace_builder_t& t) { t.writer().record_swt_irfwd(5, ~0ull); };
    w[MH_SWT_FRFRA] = [](trace_builder_t& t) { t.writer().record_swt_frfra(5, 5, 31); };
    w[MH_SWT_FRFRD] = [](trace_builder_t& t) { t.writer().record_swt_frfrd(5, 6, ~0ull); };
    w[MH_SWT_FRFWA] = [](trace_builder_t& t) { t.writer().record_swt_frfwa(5, 31); };
    w[MH_SWT_FRFWD] = [](trace_builder_t& t) { t.writer().record_swt_frfwd(5, ~0ull); };
    w[MH_SWT_FR] = [](trace_builder_t& t) { t.writer().record_swt_fr(5, true); };
    w[MH_SWT_VA] = [](trace_builder_t& t) { t.writer().record_swt_va(5, ~0ull); };
    w[MH_SWT_PA] = [](trace_builder_t& t) { t.writer().record_swt_pa(5, ~0ull); };
    w[MH_SWT_STD] = [](trace_builder_t& t) { t.writer().record_swt_std(5, ~0ull); };
    w[MH_SWT_CM] = [](trace_builder_t& t) {
      t.writer().record_swt_cm(5, ~0ull, true, true, ~0ull, true);
    };
    w[MH_SWT_DCT_HART] = [](trace_builder_t& t) { t.dct_hart(2); };
    for (unsigned code = MH_SWT_L2T_URQ; code <= MH_SWT_L2T_HM2; ++code)
      w[code] = [code](trace_builder_t& t) {
        l2t_object_t m{};
        m.letter = uint8_t(code);
        t.l2t(m);
      };
    for (unsigned code = MH_SWT_DCT_BRQ; code <= MH_SWT_DCT_DSR; ++code)
      w[code] = [code](trace_builder_t& t) {
        dct_object_t m{};
        m.letter = uint8_t(code);
        t.dct(m);
      };
    return w;
  }();
  return writers;
}

}  // namespace

// The table has every record code once, under the names the code names give.
TEST(WireTable, EveryCodeOnceWithItsName) {
  std::set<unsigned> codes;
  for (const et_wire_record_t& record : et_wire::records) {
    EXPECT_TRUE(codes.insert(record.code).second) << record.name;
    EXPECT_EQ(et_wire::find(record.code), &record);
    EXPECT_EQ(mh_record_to_string(record.code), record.name);
    EXPECT_EQ(mh_message_shape(record.code), record.shape) << record.name;
  }
  for (unsigned code = 0; code < 300; ++code)
    if (!codes.count(code)) {
      EXPECT_EQ(et_wire::find(code), nullptr) << code;
    }
  EXPECT_EQ(codes.size(), record_writers().size());
}

// The lengths of the table are the lengths written, record by record: a
// marker written right after each record lies where the table says the
// record ends.
TEST(WireTable, LengthsAreWhatTheWriterAndBuilderWrite) {
  for (const trace_config_t& config : geometries) {
    const et_wire_format_t wire(config.geometry());
    for (const auto& [code, write] : record_writers()) {
      trace_builder_t trace(config);
      write(trace);
      trace.writer().record_swt_hart(0xab);
      const std::vector<uint8_t> bytes = trace.bytes();
      const uint64_t length = wire.record_bytes(code);
      ASSERT_GT(bytes.size(), length + 1) << mh_record_to_string(code) << ", " << name(config);
      EXPECT_EQ(bytes[0], code) << name(config);
      EXPECT_EQ(bytes[length], MH_SWT_HART) << mh_record_to_string(code) << ", " << name(config);
      EXPECT_EQ(bytes[length + 1], 0xab) << mh_record_to_string(code) << ", " << name(config);
    }
  }
}

// The geometry's sizes: widths of the configurable fields, the data words,
// poison and chunk-number bits of a cache-line chunk.
TEST(WireTable, SizesFollowTheGeometry) {
  struct case_t {
    trace_config_t config;
    unsigned va, std, words, psn, cn;
  } cases[] = {
      {geometries[0], 64, 64, 8, 0, 0}, {geometries[1], 32, 32, 2, 2, 1},
      {geometries[2], 32, 64, 2, 2, 2}, {geometries[3], 64, 64, 2, 0, 3},
      {geometries[4], 7, 7, 2, 2, 0},   {geometries[5], 64, 64, 8, 8, 2},
      {geometries[6], 33, 63, 0, 0, 1},
  };
  for (const case_t& c : cases) {
    const et_wire_format_t wire(c.config.geometry());
    using S = et_wire_size_t;
    EXPECT_EQ(wire.size(S::XLEN), unsigned(c.config.xlen)) << name(c.config);
    EXPECT_EQ(wire.size(S::FLEN), unsigned(c.config.flen)) << name(c.config);
    EXPECT_EQ(wire.size(S::IRF), unsigned(c.config.irf_data_width)) << name(c.config);
    EXPECT_EQ(wire.size(S::PADDR), unsigned(c.config.paddr_width)) << name(c.config);
    EXPECT_EQ(wire.size(S::VA), c.va) << name(c.config);
    EXPECT_EQ(wire.size(S::STD), c.std) << name(c.config);
    EXPECT_EQ(wire.size(S::WD_WORDS), c.words) << name(c.config);
    EXPECT_EQ(wire.size(S::PSN), c.psn) << name(c.config);
    EXPECT_EQ(wire.size(S::CN), c.cn) << name(c.config);
    // The data message: its words, their poison bits and the chunk number.
    EXPECT_EQ(wire.record_bytes(MH_SWT_L2T_UWD), 1 + (64 * c.words + c.psn + c.cn + 7) / 8)
        << name(c.config);
  }
  EXPECT_EQ(et_wire_format_t().record_bytes(MH_TSD1), 2u);
  EXPECT_EQ(et_wire_format_t().record_bytes(200), 0u);
}

// The reader skips the instruction records of a hart it does not read by the
// table's lengths: the instruction of the selected hart after them comes out
// whole, for every geometry.
TEST(WireTable, ReaderSkipsUnselectedHartsByTheTableLengths) {
  for (const trace_config_t& config : geometries) {
    trace_builder_t trace(config);
    et_insn_t other = make_insn(0, 0x40, 0x13);
    for (et_reg_t* r : {&other.rs1, &other.rs2, &other.rs3, &other.rsd, &other.rd, &other.frs1,
                        &other.frs2, &other.frs3, &other.frd})
      *r = et_reg_t{1, 7, 1, 1};
    other.fr = other.ea_valid = other.pa_valid = other.sd_valid = 1;
    et_insn_t mine = make_insn(0, 0x44, 0x33);
    mine.rd = et_reg_t{1, 3, 1, 1};  // a value every IRF_DATA_WIDTH holds
    trace.hart(1).insn(other).hart(0).insn(mine);
    mh_swt_reader_t reader(trace.finish(), 1, false, false, false, config.geometry());
    const et_object_t* object = reader.get_next_object();
    ASSERT_NE(object, nullptr) << name(config);
    EXPECT_EQ(object->insn.pc, 0x44u) << name(config);
    EXPECT_EQ(object->insn.chunk, 0x33u) << name(config);
    EXPECT_EQ(object->insn.rd.addr, 3u) << name(config);
    EXPECT_EQ(object->insn.rd.data, 1u) << name(config);
    EXPECT_EQ(reader.get_next_object(), nullptr) << name(config);
  }
}

// The stream geometry refuses what the stream cannot have, with the texts the
// reader has always given; check_widths leaves the cache line alone.
TEST(StreamGeometry, ValidationErrors) {
  struct case_t {
    et_stream_geometry_t geometry;
    std::string error;         // of check(); empty when valid
    std::string widths_error;  // of check_widths()
  } cases[] = {
      {{64, 64, 56, 64, 512, 1, false}, "", ""},
      {{1, 1, 1, 1, 0, 1, true}, "", ""},
      {{64, 64, 64, 64, 4096, 8, true}, "", ""},
      {{0, 64, 56, 64, 512, 1, false},
       "Invalid XLEN: 0 (a trace field width must be 1 to 64 bits)",
       "Invalid XLEN: 0 (a trace field width must be 1 to 64 bits)"},
      {{65, 64, 56, 64, 512, 1, false},
       "Invalid XLEN: 65 (a trace field width must be 1 to 64 bits)",
       "Invalid XLEN: 65 (a trace field width must be 1 to 64 bits)"},
      {{64, -3, 56, 64, 512, 1, false},
       "Invalid FLEN: -3 (a trace field width must be 1 to 64 bits)",
       "Invalid FLEN: -3 (a trace field width must be 1 to 64 bits)"},
      {{64, 64, 0, 64, 512, 1, false},
       "Invalid PADDR_WIDTH: 0 (a trace field width must be 1 to 64 bits)",
       "Invalid PADDR_WIDTH: 0 (a trace field width must be 1 to 64 bits)"},
      {{64, 64, 56, 65, 512, 1, false},
       "Invalid IRF_DATA_WIDTH: 65 (a trace field width must be 1 to 64 bits)",
       "Invalid IRF_DATA_WIDTH: 65 (a trace field width must be 1 to 64 bits)"},
      {{64, 64, 56, 64, 512, 0, false},
       "Invalid CL_CHUNKS: 0 (a cache line needs at least one chunk)",
       ""},
      {{64, 64, 56, 64, 576, 1, false},
       "Invalid cache-line geometry: CL_WIDTH 576 in CL_CHUNKS 1 gives 9 data words per chunk "
       "(at most 8)",
       ""},
      {{64, 64, 56, 64, 4096, 4, true},
       "Invalid cache-line geometry: CL_WIDTH 4096 in CL_CHUNKS 4 gives 16 data words per chunk "
       "(at most 8)",
       ""},
      // The widths are checked first.
      {{64, 0, 56, 64, 512, 0, false},
       "Invalid FLEN: 0 (a trace field width must be 1 to 64 bits)",
       "Invalid FLEN: 0 (a trace field width must be 1 to 64 bits)"},
  };
  auto error_of = [](const std::function<void()>& check) -> std::string {
    try {
      check();
    } catch (const std::runtime_error& e) {
      return e.what();
    }
    return "";
  };
  for (const case_t& c : cases) {
    EXPECT_EQ(error_of([&] { c.geometry.check(); }), c.error);
    EXPECT_EQ(error_of([&] { c.geometry.check_widths(); }), c.widths_error);
  }
}

// The reader and the RVT extractor check before they open the file, the
// writer checks the widths it writes with.
TEST(StreamGeometry, UsersCheckIt) {
  const et_stream_geometry_t no_chunks{64, 64, 40, 64, 512, 0, false};
  try {
    mh_swt_reader_t reader("/nonexistent/t.bin", 1, false, false, false, no_chunks);
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Invalid CL_CHUNKS: 0 (a cache line needs at least one chunk)");
  }
  // The extractor reads no data message: only the file is missing.
  try {
    mh_rvt_reader_t reader("/nonexistent/t.bin", no_chunks);
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(),
                 "Error: fail to open trace file: /nonexistent/t.bin: No such file or directory");
  }
  temp_file_t file;
  et_writer_t writer(file.path(), 0);
  try {
    writer.configure(et_stream_geometry_t{64, 64, 40, 65, 512, 1, false});
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Error: trace writer width irf = 65 is outside 1 to 64");
  }
}

// A writer configured with a geometry writes what one configured with its
// widths one by one writes, virtual addresses XLEN wide.
TEST(StreamGeometry, WriterConfigurationsAgree) {
  auto write = [](const std::function<void(et_writer_t&)>& configure) {
    temp_file_t file;
    {
      et_writer_t w(file.path(), 0);
      configure(w);
      w.record_swt_is(0, 3, 0x13);
      w.record_swt_irfrd(0, 1, ~0ull);
      w.record_swt_frfwd(0, ~0ull);
      w.record_swt_va(0, ~0ull);
      w.record_swt_pa(0, ~0ull);
      w.record_swt_std(0, ~0ull);
      w.record_swt_cm(0, ~0ull, true, true, ~0ull, true);
    }
    return et_test::read_file(file.path());
  };
  const auto by_geometry = write([](et_writer_t& w) {
    w.configure(et_stream_geometry_t{33, 17, 29, 45, 512, 1, false});
  });
  const auto by_widths = write([](et_writer_t& w) { w.configure(33, 17, 45, 33, 29); });
  EXPECT_EQ(by_geometry, by_widths);
  EXPECT_FALSE(by_geometry.empty());
}
