// quendle_diff end to end: skip ranges, as the command line reads them and as
// they leave instructions out of the pairing on both sides.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/diff_run.h"

using namespace diff_test;
using quendle_test::run_result_t;
using quendle_test::soc_config_t;

namespace {

const std::string skip_error = "Invalid skip-range format. Use <start>:<end> format.";

// The verdict of a run: its last three messages, or the first of them and the
// instruction count.
struct verdict_t {
  int status;
  std::string first;  // "equal", "ended" or the mismatch message
  unsigned instret;
};

class QuendleDiffSkip : public ::testing::Test {
protected:
  run_result_t run(trace_t& t0, trace_t& t1, const std::vector<std::string>& ranges) {
    std::vector<std::string> args;
    for (const std::string& range : ranges) args.insert(args.end(), {"--skip-range", range});
    return run_diff(t0.path(), t1.path(), cfg_.path(), args);
  }

  // Checks the end of the report against the expected verdict.
  void expect(const run_result_t& r, const verdict_t& want, const std::string& what) {
    const std::vector<std::string> v = verdict_messages(split_report(r.out));
    EXPECT_EQ(r.status, want.status) << what << "\n" << r.err;
    ASSERT_GE(v.size(), 3u) << what << r.out;
    const std::string& first = v.size() == 3 ? v[0] : v[v.size() - 5];
    EXPECT_EQ(first, want.first) << what;
    EXPECT_EQ(v[v.size() - 2], "instret = " + std::to_string(want.instret)) << what;
    EXPECT_EQ(v.back(), want.status == 0 ? "Traces are equal." : "Traces are different.") << what;
  }

  et_test::trace_config_t config_;
  soc_config_t cfg_{config_};
};

// Six instructions from 0x1000 on; trace 1 differs at 0x1008 and at 0x1010.
TEST_F(QuendleDiffSkip, RangesLeaveInstructionsOut) {
  trace_t t0(config_), t1(config_);
  std::vector<et_insn_t> p = straight_line(6, 0x1000);
  t0.add(p);
  p[2].rd.data ^= 1;
  p[4].rd.data ^= 1;
  t1.add(p);
  const std::string mismatch = "Two different instructions. Reason: 463";
  const std::string both = "No more instruction in both traces.";
  struct {
    std::vector<std::string> ranges;
    verdict_t want;
  } const cases[] = {
      {{}, {255, mismatch, 3}},
      {{"0x1008:0x1008"}, {255, mismatch, 4}},
      {{"0x1008:0x1008", "0x1010:0x1010"}, {0, both, 4}},
      {{"0x1010:0x1010", "0x1008:0x1008"}, {0, both, 4}},
      {{"0X1008:0x1010"}, {0, both, 3}},
      {{"010010:010010", "4112:4112"}, {0, both, 4}},  // octal 0x1008, decimal 0x1010
      {{"4104:4112"}, {0, both, 3}},
      {{"0x1004:0x1010"}, {0, both, 2}},        // both ends are inside
      {{"0x1009:0x1010"}, {255, mismatch, 3}},  // starts after 0x1008
      {{"0x1008:0x100f"}, {255, mismatch, 3}},  // ends before 0x1010
      {{"0x1000:0x1007", "0x1008:0x100f"}, {255, mismatch, 1}},
      {{"0x1010:0x1008"}, {255, mismatch, 3}},  // reversed: never matches
      {{"0:-1"}, {0, both, 0}},                 // every program counter
      {{"0x1008:0x1010", "0:-1"}, {0, both, 0}},
      {{"-0x8000000000000000:1"}, {255, mismatch, 3}},  // 2^63 to 1: reversed
      {{" 0x1008 : 0x1010 "}, {0, both, 3}},
      {{"0x1008:0x1010:0x1014"}, {0, both, 3}},  // a third part is ignored
      {{"0x1008q:0x1010 z"}, {0, both, 3}},      // so is text after a number
      {{"+4104:+4112"}, {0, both, 3}},
  };
  for (const auto& c : cases) {
    std::string what;
    for (const std::string& range : c.ranges) what += "[" + range + "]";
    expect(run(t0, t1, c.ranges), c.want, what);
  }
}

// A negative bound is the unsigned number with the same bits.
TEST_F(QuendleDiffSkip, NegativeBoundsStandForHighAddresses) {
  trace_t t0(config_), t1(config_);
  const uint64_t base = uint64_t(0) - 0x10000;
  std::vector<et_insn_t> p = straight_line(4, base);
  t0.add(p);
  p[2].rd.data ^= 1;  // at base + 8: -0xfff8
  t1.add(p);
  const std::string both = "No more instruction in both traces.";
  struct {
    const char* range;
    verdict_t want;
  } const cases[] = {
      {"-0xfff8:-0xfff8", {0, both, 3}},
      {"-65528:-65528", {0, both, 3}},
      {"-0177770:-0177770", {0, both, 3}},
      {"-0x8000000000000000:-1", {0, both, 0}},
      {"-0xfff8:0xfff8", {255, "Two different instructions. Reason: 463", 3}},  // reversed
  };
  for (const auto& c : cases) expect(run(t0, t1, {c.range}), c.want, c.range);
}

// An instruction that only one trace holds, when skipped, leaves the pairing
// aligned, at the start, inside or at the end of either trace.
TEST_F(QuendleDiffSkip, InstructionOfOneTraceOnly) {
  const et_insn_t extra = addi(0x9000, 7, 7, 7);
  for (int side : {0, 1}) {
    for (unsigned at : {0u, 2u, 4u}) {
      trace_t t0(config_), t1(config_);
      std::vector<et_insn_t> p = straight_line(4, 0x1000);
      trace_t& with = side == 0 ? t0 : t1;
      trace_t& without = side == 0 ? t1 : t0;
      std::vector<et_insn_t> q = p;
      q.insert(q.begin() + at, extra);
      with.add(q);
      without.add(p);
      const std::string what = "trace " + std::to_string(side) + " at " + std::to_string(at);
      expect(run(t0, t1, {"0x9000:0x9000"}), {0, "No more instruction in both traces.", 4}, what);
      const run_result_t r = run(t0, t1, {});
      EXPECT_EQ(r.status, 255) << what;
    }
  }
}

TEST_F(QuendleDiffSkip, MalformedRangesAreCommandLineErrors) {
  trace_t t0(config_), t1(config_);
  t0.add(straight_line(2));
  t1.add(straight_line(2));
  for (const char* text :
       {"5", "5:", ":5", ":", "", "x:1", "1:y", "0x8000000000000000:1", "1:0x8000000000000000",
        "-0x8000000000000001:1", "99999999999999999999:1"}) {
    run_result_t r = run(t0, t1, {"0x0:0x4", text});
    EXPECT_EQ(r.status, 1) << "[" << text << "]";
    EXPECT_EQ(r.err.rfind("PARSE ERROR: Argument: (--skip-range)\n", 0), 0u) << text << r.err;
    EXPECT_NE(r.err.find(skip_error), std::string::npos) << text << r.err;
    EXPECT_EQ(r.out, "") << text;
  }
}

}  // namespace
