// quendle_diff end to end: pairing the committed instructions of two traces,
// the first difference with its comparison code, the ends of the traces, the
// end-of-test store, hart selection and the report's instruction texts.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "etrace/records/et_insn_compare.h"
#include "support/diff_run.h"

using namespace diff_test;
using quendle_test::run_result_t;
using quendle_test::soc_config_t;

namespace {

// Instruction words.
constexpr uint64_t add_a0_a0_a1 = 0x00b50533;
constexpr uint64_t sw_a0_0_a1 = 0x00a5a023;
constexpr uint64_t sd_a0_0_a1 = 0x00a5b023;
constexpr uint64_t c_sw_a0_0_a1 = 0xc188;
constexpr uint64_t c_li_a0_1 = 0x4505;
constexpr uint64_t c_li_a0_2 = 0x4509;
constexpr uint64_t msi_address = 0x10040000;

class QuendleDiff : public ::testing::Test {
protected:
  // Runs the program on two traces written with config_.
  run_result_t run(trace_t& t0, trace_t& t1, const std::vector<std::string>& extra = {}) {
    soc_config_t cfg(config_, isa);
    run_result_t r = run_diff(t0.path(), t1.path(), cfg.path(), extra);
    config_path_ = cfg.path();
    return r;
  }

  // The messages after the two trace lines, which are checked on the way.
  std::vector<std::string> verdict(const run_result_t& r, trace_t& t0, trace_t& t1) {
    const report_t report = split_report(r.out);
    EXPECT_EQ(report.malformed, "") << r.out;
    EXPECT_EQ(report.config_line, "Load configuration from '" + config_path_ + "'");
    EXPECT_GE(report.messages.size(), 2u) << r.out;
    if (report.messages.size() >= 2) {
      EXPECT_EQ(report.messages[0], "trace0: " + t0.path());
      EXPECT_EQ(report.messages[1], "trace1: " + t1.path());
    }
    return verdict_messages(report);
  }

  et_test::trace_config_t config_;
  std::string config_path_;
};

TEST_F(QuendleDiff, EqualTracesWholeOutput) {
  trace_t t0(config_), t1(config_);
  t0.add(straight_line(5));
  t1.add(straight_line(5));
  soc_config_t cfg(config_, isa);
  run_result_t r = run_diff(t0.path(), t1.path(), cfg.path());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "Load configuration from '" + cfg.path() + "'\n" + "[INFO]<TDT> trace0: " +
                       t0.path() + "\n" + "[INFO]<TDT> trace1: " + t1.path() + "\n" +
                       "[INFO]<TDT> No more instruction in both traces.\n"
                       "[INFO]<TDT> instret = 5\n"
                       "[INFO]<TDT> Traces are equal.\n");
}

// The plain mismatch: the code, then each trace's record as the report's
// instruction text, then the count of pairs compared.
TEST_F(QuendleDiff, PlainMismatchShowsBothRecords) {
  trace_t t0(config_), t1(config_);
  std::vector<et_insn_t> p = straight_line(5);
  t0.add(p);
  p[2].rd.data = 0x63;
  t1.add(p);
  run_result_t r = run(t0, t1);
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.err, "");
  const std::string line = "Mc [80000008] " + text_column(p[2].chunk) + " RD[03]=";
  EXPECT_EQ(verdict(r, t0, t1),
            (std::vector<std::string>{"Two different instructions. Reason: 463",
                                      "From " + t0.path() + ": \n" + line + "0000000000000002\n",
                                      "From " + t1.path() + ": \n" + line + "0000000000000063\n",
                                      "instret = 3", "Traces are different."}));
}

// One field of the third pair differs; the report names the first failing
// check by its code.
TEST_F(QuendleDiff, FirstDifferenceAndItsCode) {
  using change_t = std::function<void(et_insn_t & i0, et_insn_t & i1)>;
  auto store = [](et_insn_t& i) {
    i.chunk = sw_a0_0_a1;
    i.rd = et_reg_t{};
    i.rs1 = reg(11, 0x80001000);
    i.rs2 = reg(10, 0x77);
    i.sd_valid = i.ea_valid = i.pa_valid = 1;
    i.sd = 0x77;
    i.ea = i.pa = 0x80001000;
  };
  struct {
    const char* what;
    int xlen;
    change_t change;
    et_compare::code_t code;  // equal: the traces are equal
  } const cases[] = {
      {"pc", 64, [](et_insn_t&, et_insn_t& i1) { i1.pc += 0x40; }, et_compare::pc},
      {"privilege", 64, [](et_insn_t&, et_insn_t& i1) { i1.pril = 1; }, et_compare::pril},
      {"trap", 64,
       [](et_insn_t&, et_insn_t& i1) {
         i1.trap = 1;
         i1.cause = 2;
       },
       et_compare::trap},
      {"cause", 64,
       [](et_insn_t& i0, et_insn_t& i1) {
         i0.trap = i1.trap = 1;
         i0.cause = 2;
         i1.cause = 3;
       },
       et_compare::cause},
      {"both trapped with cause 12: nothing else is compared", 64,
       [](et_insn_t& i0, et_insn_t& i1) {
         i0.trap = i1.trap = 1;
         i0.cause = i1.cause = 12;
         i1.chunk = add_a0_a0_a1;
         i1.rd.data = 7;
       },
       et_compare::equal},
      {"32-bit word", 64, [](et_insn_t&, et_insn_t& i1) { i1.chunk ^= 0x100000; },
       et_compare::word_32bit},
      {"16-bit word", 64,
       [](et_insn_t& i0, et_insn_t& i1) {
         i0.chunk = c_li_a0_1;
         i1.chunk = c_li_a0_2;
       },
       et_compare::word_16bit},
      {"16-bit word, bits above 15 only", 64,
       [](et_insn_t& i0, et_insn_t& i1) {
         i0.chunk = c_li_a0_1;
         i1.chunk = c_li_a0_1 | 0xabcd0000;
       },
       et_compare::equal},
      {"rd value", 64, [](et_insn_t&, et_insn_t& i1) { i1.rd.data ^= 0x100000000; },
       et_compare::rd},
      {"rd value, XLEN 32", 32, [](et_insn_t&, et_insn_t& i1) { i1.rd.data ^= 1; },
       et_compare::rd_low32},
      {"rd value above bit 31, XLEN 32", 32,
       [](et_insn_t&, et_insn_t& i1) { i1.rd.data ^= 0x100000000; }, et_compare::equal},
      {"rd number", 64, [](et_insn_t&, et_insn_t& i1) { i1.rd.addr_valid = 0; }, et_compare::rd},
      {"rs1 value", 64,
       [](et_insn_t& i0, et_insn_t& i1) {
         i0.chunk = i1.chunk = add_a0_a0_a1;
         i0.rs1 = reg(10, 5);
         i1.rs1 = reg(10, 6);
       },
       et_compare::rs1},
      {"rs2 value", 64,
       [](et_insn_t& i0, et_insn_t& i1) {
         i0.chunk = i1.chunk = add_a0_a0_a1;
         i0.rs2 = reg(11, 5);
         i1.rs2 = reg(11, 6);
       },
       et_compare::rs2},
      {"store data", 64,
       [&](et_insn_t& i0, et_insn_t& i1) {
         store(i0), store(i1);
         i1.sd = 0x78;
       },
       et_compare::store_data},
      {"store: rs2 is not compared", 64,
       [&](et_insn_t& i0, et_insn_t& i1) {
         store(i0), store(i1);
         i1.rs2.data = 0x78;
       },
       et_compare::equal},
      {"virtual address", 64,
       [&](et_insn_t& i0, et_insn_t& i1) {
         store(i0), store(i1);
         i1.ea += 8;
       },
       et_compare::ea},
      {"physical address", 64,
       [&](et_insn_t& i0, et_insn_t& i1) {
         store(i0), store(i1);
         i1.pa += 8;
       },
       et_compare::pa},
      {"physical address missing", 64,
       [&](et_insn_t& i0, et_insn_t& i1) {
         store(i0), store(i1);
         i1.pa_valid = 0;
       },
       et_compare::pa_valid},
  };
  for (const auto& c : cases) {
    config_.xlen = c.xlen;
    trace_t t0(config_), t1(config_);
    std::vector<et_insn_t> p0 = straight_line(5), p1 = p0;
    c.change(p0[2], p1[2]);
    t0.add(p0);
    t1.add(p1);
    run_result_t r = run(t0, t1);
    const std::vector<std::string> v = verdict(r, t0, t1);
    if (c.code == et_compare::equal) {
      EXPECT_EQ(r.status, 0) << c.what << r.out;
      EXPECT_EQ(v, (std::vector<std::string>{"No more instruction in both traces.", "instret = 5",
                                             "Traces are equal."}))
          << c.what;
      continue;
    }
    EXPECT_EQ(r.status, 255) << c.what;
    ASSERT_EQ(v.size(), 5u) << c.what << r.out;
    EXPECT_EQ(v[0], "Two different instructions. Reason: " + std::to_string(c.code)) << c.what;
    EXPECT_EQ(v[1].rfind("From " + t0.path() + ": \nMc [80000008] ", 0), 0u) << c.what << v[1];
    EXPECT_EQ(v[2].rfind("From " + t1.path() + ": \n", 0), 0u) << c.what << v[2];
    EXPECT_EQ(v[3], "instret = 3") << c.what;
    EXPECT_EQ(v[4], "Traces are different.") << c.what;
    EXPECT_EQ(r.err, "") << c.what;
  }
}

// Whichever trace runs out first is named; a trace's uncommitted records do
// not count.
TEST_F(QuendleDiff, EndsOfTheTraces) {
  struct {
    const char* what;
    unsigned n0, n1;
    bool uncommitted0, uncommitted1;  // an uncommitted record after the third
    int ended;                        // 0, 1 or 2: the trace named, or both
    unsigned instret;
  } const cases[] = {
      {"same length", 3, 3, false, false, 2, 3},
      {"trace 1 longer", 3, 4, false, false, 0, 3},
      {"trace 0 longer", 4, 3, false, false, 1, 3},
      {"no instruction at all", 0, 0, false, false, 2, 0},
      {"trace 0 empty", 0, 2, false, false, 0, 0},
      {"trace 1 empty", 2, 0, false, false, 1, 0},
      {"uncommitted record at the end of trace 1", 3, 3, false, true, 2, 3},
      {"uncommitted record inside trace 0", 5, 5, true, false, 2, 5},
      {"only uncommitted records", 0, 0, true, true, 2, 0},
  };
  for (const auto& c : cases) {
    trace_t t0(config_), t1(config_);
    const std::vector<et_insn_t> p = straight_line(6);
    auto write = [&](trace_t& t, unsigned n, bool uncommitted) {
      for (unsigned i = 0; i < n; ++i) {
        t.add(p[i]);
        if (uncommitted && i == 2) t.issue_only(addi(0x90000000, 5, 5, 5));
      }
      if (uncommitted && n == 0) t.issue_only(addi(0x90000000, 5, 5, 5));
    };
    write(t0, c.n0, c.uncommitted0);
    write(t1, c.n1, c.uncommitted1);
    run_result_t r = run(t0, t1);
    const std::string ended = c.ended == 2   ? "No more instruction in both traces."
                              : c.ended == 0 ? "No more instruction in " + t0.path()
                                             : "No more instruction in " + t1.path();
    EXPECT_EQ(r.status, c.ended == 2 ? 0 : 255) << c.what;
    EXPECT_EQ(
        verdict(r, t0, t1),
        (std::vector<std::string>{ended, "instret = " + std::to_string(c.instret),
                                  c.ended == 2 ? "Traces are equal." : "Traces are different."}))
        << c.what;
  }
}

// A matching 32-bit sw whose physical address is valid and is the MSI
// address ends the run as equal, even though the traces differ later.
TEST_F(QuendleDiff, EndOfTestStore) {
  auto store = [](uint64_t word, uint64_t address) {
    et_insn_t i = et_test::make_insn(0, 0x80000004, word);
    i.rs1 = reg(11, address);
    i.rs2 = reg(10, 1);
    i.sd_valid = i.ea_valid = i.pa_valid = 1;
    i.sd = 1;
    i.ea = i.pa = address;
    return i;
  };
  struct {
    const char* what;
    et_insn_t i0, i1;
    bool ends;
    et_compare::code_t code;  // of the difference found when it does not end
  } cases[] = {
      {"sw to the MSI address", store(sw_a0_0_a1, msi_address), store(sw_a0_0_a1, msi_address),
       true, et_compare::equal},
      {"c.sw to the MSI address", store(c_sw_a0_0_a1, msi_address),
       store(c_sw_a0_0_a1, msi_address), false, et_compare::rd},
      {"sd to the MSI address", store(sd_a0_0_a1, msi_address), store(sd_a0_0_a1, msi_address),
       false, et_compare::rd},
      {"sw to the next word", store(sw_a0_0_a1, msi_address + 4),
       store(sw_a0_0_a1, msi_address + 4), false, et_compare::rd},
      {"sw without physical address", store(sw_a0_0_a1, msi_address),
       store(sw_a0_0_a1, msi_address), false, et_compare::rd},
      {"sw to the MSI address with other data", store(sw_a0_0_a1, msi_address),
       store(sw_a0_0_a1, msi_address), false, et_compare::store_data},
  };
  cases[4].i0.pa_valid = cases[4].i1.pa_valid = 0;
  cases[5].i1.sd = 2;
  for (const auto& c : cases) {
    trace_t t0(config_), t1(config_);
    std::vector<et_insn_t> p0 = straight_line(5), p1 = p0;
    p0[1] = c.i0;
    p1[1] = c.i1;
    p1[3].rd.data ^= 1;
    t0.add(p0);
    t1.add(p1);
    run_result_t r = run(t0, t1);
    const std::vector<std::string> v = verdict(r, t0, t1);
    if (c.ends) {
      EXPECT_EQ(r.status, 0) << c.what;
      EXPECT_EQ(v, (std::vector<std::string>{"Traces are finished by storing to MSI address.",
                                             "instret = 2", "Traces are equal."}))
          << c.what;
      continue;
    }
    EXPECT_EQ(r.status, 255) << c.what;
    ASSERT_EQ(v.size(), 5u) << c.what << r.out;
    EXPECT_EQ(v[0], "Two different instructions. Reason: " + std::to_string(c.code)) << c.what;
    EXPECT_EQ(v[3], c.code == et_compare::store_data ? "instret = 2" : "instret = 4") << c.what;
  }
}

// Only the selected hart's instructions are paired; the hart is part of the
// comparison.
TEST_F(QuendleDiff, HartSelection) {
  const std::vector<et_insn_t> x = straight_line(4, 0x1000), y = straight_line(3, 0x2000);
  trace_t both(config_), hart2(config_), hart0(config_);
  for (unsigned i = 0; i < 4; ++i) {
    both.hart(0).add(x[i]);
    if (i < 3) both.hart(2).add(y[i]);
  }
  hart2.hart(2).add(y);
  hart0.add(y);
  struct {
    const char* what;
    trace_t& t0;
    const char* th0;
    trace_t& t1;
    const char* th1;
    const char* first;  // first verdict message
    unsigned instret;
  } const cases[] = {
      {"hart 2 of both", both, "2", hart2, "2", "No more instruction in both traces.", 3},
      {"hart 2 against itself", hart2, "2", both, "2", "No more instruction in both traces.", 3},
      {"hart 0 of both", both, "0", both, "0", "No more instruction in both traces.", 4},
      {"hart 0 against hart 2", both, "0", hart2, "2", "Two different instructions. Reason: 323",
       1},
      {"hart 2 against hart 0", both, "2", hart0, "0", "Two different instructions. Reason: 323",
       1},
      {"a hart without records", both, "7", hart2, "7", "No more instruction in both traces.", 0},
  };
  for (const auto& c : cases) {
    run_result_t r = run(c.t0, c.t1, {"--th0", c.th0, "--th1", c.th1});
    const std::vector<std::string> v = verdict(r, c.t0, c.t1);
    ASSERT_GE(v.size(), 3u) << c.what << r.out << r.err;
    EXPECT_EQ(v[0], c.first) << c.what;
    EXPECT_EQ(v[v.size() - 2], "instret = " + std::to_string(c.instret)) << c.what;
    EXPECT_EQ(r.status, v.size() == 3 ? 0 : 255) << c.what;
  }
}

// The switches ts, uiid, cc and fr add their columns to the report's
// instruction texts.
TEST_F(QuendleDiff, ReportSwitchesShapeTheInstructionTexts) {
  std::vector<et_insn_t> p0 = straight_line(4), p1;
  p0[2].fr = 1;
  p1 = p0;
  p1[2].rd.data = 9;
  trace_t t0(config_), t1(config_);
  for (trace_t* t : {&t0, &t1}) {
    t->add(p0[0]).add(p0[1]);
    t->builder().advance(7);
  }
  t0.add(p0[2]).add(p0[3]);
  t1.add(p1[2]).add(p1[3]);
  struct {
    const char* option;
    std::string start;  // of trace 0's instruction text
    bool fetch_redirect;
  } const cases[] = {
      {"--cc", "Mc [80000008] |00200193| " + text_column(p0[2].chunk), false},
      {"--ts", "<          7 > Mc [80000008] " + text_column(p0[2].chunk), false},
      {"--uiid", "( 00000002.0 ) Mc [80000008] " + text_column(p0[2].chunk), false},
      {"--fr", "Mc [80000008] " + text_column(p0[2].chunk), true},
  };
  for (const auto& c : cases) {
    run_result_t r = run(t0, t1, {c.option});
    const std::vector<std::string> v = verdict(r, t0, t1);
    ASSERT_EQ(v.size(), 5u) << c.option << r.out;
    const std::string prefix = "From " + t0.path() + ": \n";
    EXPECT_EQ(v[1].substr(0, prefix.size() + c.start.size()), prefix + c.start) << c.option << v[1];
    EXPECT_EQ(v[1].find(" FRE") != std::string::npos, c.fetch_redirect) << c.option << v[1];
    EXPECT_EQ(v[1].back(), '\n');
  }
}

}  // namespace
