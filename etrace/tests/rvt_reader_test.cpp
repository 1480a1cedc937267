#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "etrace/stream/et_record.h"
#include "etrace/stream/mh_rvt_reader.h"
#include "support/trace_builder.h"

using et_test::make_insn;
using et_test::temp_file_t;
using et_test::trace_builder_t;
using et_test::trace_config_t;

namespace {

mh_rvt_reader_t open_extractor(const std::string& path, const trace_config_t& c) {
  return mh_rvt_reader_t(path, c.geometry());
}

// The words of successive extract calls of n bytes; one entry per call, the
// last one the first call that returned 0.
std::vector<std::vector<uint64_t>> extract_calls(mh_rvt_reader_t& reader, unsigned long n) {
  std::vector<std::vector<uint64_t>> calls;
  std::vector<uint64_t> buffer((n + 7) / 8);
  for (;;) {
    const unsigned long got = reader.extract(buffer.data(), n);
    EXPECT_EQ(got % 8, 0u);
    calls.emplace_back(buffer.begin(), buffer.begin() + long(got / 8));
    if (got == 0 || calls.size() > 100) return calls;
  }
}

std::string extract_error(mh_rvt_reader_t& reader) {
  try {
    extract_calls(reader, 1048576);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return "(no error)";
}

using calls_t = std::vector<std::vector<uint64_t>>;

}  // namespace

TEST(RvtExtractor, EmptyFileGivesNothing) {
  temp_file_t file;
  mh_rvt_reader_t reader = open_extractor(file.path(), trace_config_t());
  EXPECT_EQ(extract_calls(reader, 1048576), calls_t{{}});
}

// The words come out in stream order, chunked by the byte limit; a limit
// that is not a multiple of 8 still takes whole words.
TEST(RvtExtractor, Chunking) {
  struct case_t {
    unsigned long n;
    calls_t want;
  } cases[] = {
      {1048576, {{1, 2, 3}, {}}}, {8, {{1}, {2}, {3}, {}}}, {16, {{1, 2}, {3}, {}}},
      {12, {{1, 2}, {3}, {}}},    {1, {{1}, {2}, {3}, {}}},
  };
  trace_builder_t trace;
  trace.tsd1(4).rvt(1).insn(make_insn(0, 0x10, 0x13)).rvt(2).rvt(3);
  trace.finish();
  for (const case_t& c : cases) {
    mh_rvt_reader_t reader = open_extractor(trace.path(), trace.config());
    EXPECT_EQ(extract_calls(reader, c.n), c.want) << "n " << c.n;
  }
}

// The payload lengths follow the widths: every instruction record, with
// widths that put the record lengths on and off byte boundaries, is walked
// over exactly.
TEST(RvtExtractor, RecordLengthsFollowTheWidths) {
  struct case_t {
    int xlen, flen, irf, paddr;
  } cases[] = {
      {64, 64, 64, 40}, {32, 32, 32, 32}, {32, 64, 17, 56}, {64, 16, 63, 1}, {7, 1, 1, 64},
  };
  for (const case_t& c : cases) {
    trace_config_t config;
    config.xlen = c.xlen;
    config.flen = c.flen;
    config.irf_data_width = c.irf;
    config.paddr_width = c.paddr;
    trace_builder_t trace(config);
    et_insn_t insn = make_insn(0, 0x44, 0x13);
    for (et_reg_t* r : {&insn.rs1, &insn.rs2, &insn.rs3, &insn.rsd, &insn.rd, &insn.frs1,
                        &insn.frs2, &insn.frs3, &insn.frd})
      *r = et_reg_t{1, 5, 1, 1};
    insn.fr = insn.ea_valid = insn.pa_valid = insn.sd_valid = 1;
    std::vector<uint64_t> want;
    trace.hart(0).rvt(0xa0);
    want.push_back(0xa0);
    for (uint64_t uiid = 0; uiid < 3; ++uiid) {
      insn.uiid = uiid;
      trace.insn(insn).rvt(uiid * 0x0101010101010101);
      want.push_back(uiid * 0x0101010101010101);
    }
    mh_rvt_reader_t reader = open_extractor(trace.finish(), config);
    EXPECT_EQ(extract_calls(reader, 1048576), (calls_t{want, {}}))
        << "xlen " << c.xlen << " flen " << c.flen << " irf " << c.irf << " paddr " << c.paddr;
  }
}

// A payload cut by the end of the file adds nothing.
TEST(RvtExtractor, CutPayloadYieldsOnlyCompleteWords) {
  trace_builder_t trace;
  trace.rvt(7).rvt(8);
  const std::vector<uint8_t> bytes = trace.bytes();
  temp_file_t cut;
  {
    std::ofstream out(cut.path(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), 9 + 5);  // one word and a half
  }
  mh_rvt_reader_t reader = open_extractor(cut.path(), trace.config());
  EXPECT_EQ(extract_calls(reader, 1048576), (calls_t{{7}, {}}));
}

TEST(RvtExtractor, Errors) {
  struct case_t {
    const char* name;
    void (*build)(trace_builder_t&);
    std::string error;
  } cases[] = {
      {"an L2T record, valid for the stream reader",
       [](trace_builder_t& t) {
         l2t_object_t m{};
         m.letter = MH_SWT_L2T_URL;
         t.rvt(1).tsd1(2).l2t(m).rvt(3);
       },
       "Unknown header: 68 at position 11!"},
      {"a DCT hart record", [](trace_builder_t& t) { t.dct_hart(1); },
       "Unknown header: 80 at position 0!"},
      {"an invalid code", [](trace_builder_t& t) { t.tsd1(0).record(200, {}); },
       "Unknown header: 200 at position 2!"},
  };
  for (const case_t& c : cases) {
    trace_builder_t trace;
    c.build(trace);
    mh_rvt_reader_t reader = open_extractor(trace.finish(), trace.config());
    EXPECT_EQ(extract_error(reader), c.error) << c.name;
  }
}

// The words before a bad record are returned, in the call that meets it;
// the error comes at the next call, and at every one after.
TEST(RvtExtractor, WordsBeforeABadRecordAreKept) {
  trace_builder_t trace;
  trace.rvt(1).tsd1(2).rvt(2).record(200, {}).rvt(3);
  mh_rvt_reader_t reader = open_extractor(trace.finish(), trace.config());
  std::vector<uint64_t> buffer(16);
  ASSERT_EQ(reader.extract(buffer.data(), 128), 16u);
  EXPECT_EQ(buffer[0], 1u);
  EXPECT_EQ(buffer[1], 2u);
  for (int again = 0; again < 2; ++again) {
    try {
      reader.extract(buffer.data(), 128);
      ADD_FAILURE() << "no error";
    } catch (const std::runtime_error& e) {
      EXPECT_STREQ(e.what(), "Unknown header: 200 at position 20!");
    }
  }
}

// The error is the last word of the extractor, also when the call that met
// it copied nothing: a later call must not walk on inside the bad record,
// whose payload may look like records (another bad header, or a TSD1 and an
// RVT word that would come out).
TEST(RvtExtractor, ErrorWithNoWordCopiedStands) {
  struct case_t {
    const char* name;
    void (*build)(trace_builder_t&);
    unsigned long n;
    std::vector<unsigned long> returned;  // by the calls before the error
    std::string error;
  } cases[] = {
      {"first record, a bad header behind it",
       [](trace_builder_t& t) {
         t.record(200, {{201, 8}, {202, 8}}).rvt(3);
       },
       1048576,
       {},
       "Unknown header: 200 at position 0!"},
      {"after a word, met by a call of its own",
       [](trace_builder_t& t) {
         t.rvt(1).record(200, {{MH_TSD1, 8}, {0, 8}}).rvt(3);
       },
       8,
       {8},
       "Unknown header: 200 at position 9!"},
  };
  for (const case_t& c : cases) {
    trace_builder_t trace;
    c.build(trace);
    mh_rvt_reader_t reader = open_extractor(trace.finish(), trace.config());
    std::vector<uint64_t> buffer(16);
    for (unsigned long want : c.returned) EXPECT_EQ(reader.extract(buffer.data(), c.n), want);
    for (int call = 0; call < 3; ++call) {
      try {
        const unsigned long got = reader.extract(buffer.data(), c.n);
        ADD_FAILURE() << c.name << ": call " << call << " returned " << got;
      } catch (const std::runtime_error& e) {
        EXPECT_EQ(e.what(), c.error) << c.name << ": call " << call;
      }
    }
  }
}

TEST(RvtExtractor, ReadErrorIsNoEndOfData) {
  mh_rvt_reader_t reader = open_extractor("/", trace_config_t());  // a directory
  EXPECT_EQ(extract_error(reader),
            "Error: fail to read trace file: / at position 0: Is a directory");
}

TEST(RvtExtractor, RefusesObjects) {
  trace_builder_t trace;
  trace.rvt(1);
  mh_rvt_reader_t reader = open_extractor(trace.finish(), trace.config());
  et_reader_t& base = reader;
  try {
    base.get_next_object();
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Not suitable call");
  }
}

TEST(RvtExtractor, ConstructionErrors) {
  struct case_t {
    int xlen, flen;
    unsigned long paddr, irf;
    std::string path, error_part;
  } cases[] = {
      {64, 64, 40, 64, "/nonexistent/t.bin",
       "Error: fail to open trace file: /nonexistent/t.bin: No such file or directory"},
      {0, 64, 40, 64, "/nonexistent/t.bin", "Invalid XLEN: 0"},
      {64, 65, 40, 64, "/nonexistent/t.bin", "Invalid FLEN: 65"},
      {64, 64, 100, 64, "/nonexistent/t.bin", "Invalid PADDR_WIDTH: 100"},
      {64, 64, 40, 0, "/nonexistent/t.bin", "Invalid IRF_DATA_WIDTH: 0"},
  };
  for (const case_t& c : cases) {
    try {
      mh_rvt_reader_t reader(c.path, c.xlen, c.flen, c.paddr, c.irf);
      ADD_FAILURE() << "no error for " << c.error_part;
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(std::string(e.what()).find(c.error_part), 0u) << e.what();
    }
  }
}
