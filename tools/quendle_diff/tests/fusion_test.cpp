// quendle_diff end to end: soft fusion, a fused record in one trace against
// the two instructions it stands for in the other, with its three ways to
// fail, and a long run that fuses early and differs late.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "etrace/records/et_insn_compare.h"
#include "etrace/records/et_insn_fuse.h"
#include "support/diff_run.h"

using namespace diff_test;
using quendle_test::run_result_t;
using quendle_test::soc_config_t;

namespace {

// Instruction words: t0 = x5, a0 = x10, a1 = x11, a2 = x12.
constexpr uint64_t lui_t0 = 0x123452b7;          // lui t0, 0x12345
constexpr uint64_t addi_t0_t0_678 = 0x67828293;  // addi t0, t0, 0x678
constexpr uint64_t addi_t0_t0_679 = 0x67928293;
constexpr uint64_t addi_t1_t0_1 = 0x00128313;  // writes another register
constexpr uint64_t andi_a0_a0_1 = 0x00157513;
constexpr uint64_t and_a0_a0_a1 = 0x00b57533;
constexpr uint64_t beq_a0_zero = 0x00050863;
constexpr uint64_t beq_zero_a0 = 0x00a00863;
constexpr uint64_t beq_a0_a2 = 0x00c50863;
constexpr uint64_t bne_a2_a0 = 0x00a61863;
constexpr uint64_t beq_a0_a0 = 0x00a50863;
constexpr uint64_t c_beqz_a0 = 0xc501;
constexpr uint64_t c_bnez_a0 = 0xe501;
constexpr uint64_t c_li_a0_1 = 0x4505;
constexpr uint64_t add_a0_a0_a1 = 0x00b50533;
constexpr uint64_t sub_a0_a0_a1 = 0x40b50533;
constexpr uint64_t ld_a0_8_a0 = 0x00853503;

constexpr uint64_t first_pc = 0x1000, second_pc = 0x1004;

// A committed record of `word` with every register number present and values
// told apart by pc; a load also gets its addresses.
et_insn_t rec(uint64_t word, uint64_t pc) {
  et_insn_t in = et_test::make_insn(0, pc, word);
  in.rd = reg((word >> 7) & 31, 0x100 + pc);
  in.rs1 = reg((word >> 15) & 31, 0x200 + pc);
  in.rs2 = reg((word >> 20) & 31, 0x300 + pc);
  if ((word & 0x7f) == 0x03) {
    in.ea_valid = in.pa_valid = 1;
    in.ea = in.pa = 0x80004000;
  }
  return in;
}

// The fused record of two words at first_pc and second_pc.
et_insn_t fused(uint64_t w1, uint64_t w2) {
  et_insn_t f = et_test::make_insn(0, 0, 0);
  const unsigned code = f.fuse(rec(w1, first_pc), rec(w2, second_pc));
  EXPECT_EQ(code, et_fuse::fused) << std::hex << w1 << " " << w2;
  return f;
}

const et_insn_t before = addi(0xff0, 3, 3, 3);
const std::vector<et_insn_t> after = straight_line(2, 0x2000);

// Trace `fused_side` holds the fused record, the other trace the plain pair;
// both have an instruction before and two after.
struct pair_traces_t {
  trace_t t[2];
  trace_t& fused() { return t[side]; }
  trace_t& plain() { return t[1 - side]; }
  int side;
  explicit pair_traces_t(int fused_side) : side(fused_side) {}
};

class QuendleDiffFusion : public ::testing::Test {
protected:
  run_result_t run(pair_traces_t& p, const std::vector<std::string>& extra = {}) {
    return run_diff(p.t[0].path(), p.t[1].path(), cfg_.path(), extra);
  }
  std::vector<std::string> verdict(const run_result_t& r) {
    const report_t report = split_report(r.out);
    EXPECT_EQ(report.malformed, "") << r.out;
    EXPECT_EQ(r.err, "");
    return verdict_messages(report);
  }

  soc_config_t cfg_{et_test::trace_config_t{}, isa};
};

// The fused record passes as the pair; the next pairing starts after the
// pair's second instruction.
TEST_F(QuendleDiffFusion, FusedRecordMatchesThePair) {
  struct {
    const char* what;
    uint64_t w1, w2;
    bool skipped_between;  // the plain side has a skipped instruction inside the pair
  } const cases[] = {
      {"lui, addi", lui_t0, addi_t0_t0_678, false},
      {"lui, skipped, addi", lui_t0, addi_t0_t0_678, true},
      {"andi, beq with x0 as second source", andi_a0_a0_1, beq_a0_zero, false},
      {"andi, beq with x0 as first source", andi_a0_a0_1, beq_zero_a0, false},
      {"and, beq with x0", and_a0_a0_a1, beq_a0_zero, false},
      {"andi, c.beqz", andi_a0_a0_1, c_beqz_a0, false},
      {"and, c.bnez", and_a0_a0_a1, c_bnez_a0, false},
      {"add, ld", add_a0_a0_a1, ld_a0_8_a0, false},
  };
  for (const auto& c : cases) {
    for (int side : {0, 1}) {
      const std::string what = std::string(c.what) + ", fused in trace " + std::to_string(side);
      pair_traces_t p(side);
      p.fused().add(before).add(fused(c.w1, c.w2)).add(after);
      p.plain().add(before).add(rec(c.w1, first_pc));
      if (c.skipped_between) p.plain().add(addi(0x7000, 9, 9, 9));
      p.plain().add(rec(c.w2, second_pc)).add(after);
      const run_result_t r = run(p, {"--skip-range", "0x7000:0x7000"});
      EXPECT_EQ(r.status, 0) << what;
      EXPECT_EQ(verdict(r), (std::vector<std::string>{"No more instruction in both traces.",
                                                      "instret = 4", "Traces are equal."}))
          << what;
    }
  }
}

// The plain side has no instruction after the pair's first: its trace ends,
// or what follows is uncommitted or skipped.
TEST_F(QuendleDiffFusion, PlainSideEndsInsideThePair) {
  for (int side : {0, 1}) {
    for (const char* tail : {"end", "uncommitted", "skipped"}) {
      const std::string what = std::string(tail) + ", fused in trace " + std::to_string(side);
      pair_traces_t p(side);
      p.fused().add(before).add(fused(lui_t0, addi_t0_t0_678)).add(after);
      p.plain().add(before).add(rec(lui_t0, first_pc));
      if (tail == std::string("uncommitted")) p.plain().issue_only(rec(addi_t0_t0_678, second_pc));
      if (tail == std::string("skipped")) p.plain().add(rec(addi_t0_t0_678, second_pc));
      const run_result_t r = run(p, {"--skip-range", "0x1004:0x1004"});
      EXPECT_EQ(r.status, 255) << what;
      EXPECT_EQ(verdict(r),
                (std::vector<std::string>{
                    "Fusion comparison failed, no more instruction in " + p.plain().path(),
                    "instret = 2", "Traces are different."}))
          << what;
    }
  }
}

// The plain side's two instructions cannot be fused: the fusion code and
// both instructions.
TEST_F(QuendleDiffFusion, PairThatCannotBeFused) {
  struct {
    const char* what;
    uint64_t w1, w2;
    std::function<void(et_insn_t& second)> change;
    et_fuse::code_t code;
    char second_mode = 'M';
  } const cases[] = {
      {"privilege levels differ", lui_t0, addi_t0_t0_678, [](et_insn_t& s) { s.pril = 1; },
       et_fuse::pril, 'S'},
      {"lui, c.li", lui_t0, c_li_a0_1, nullptr, et_fuse::second_16bit_unsupported},
      {"addi writes another register", lui_t0, addi_t1_t0_1, nullptr,
       et_fuse::upper_registers_differ},
      {"andi, beq on the result and a2", andi_a0_a0_1, beq_a0_a2, nullptr,
       et_fuse::and_branch_registers_differ},
      {"andi, bne on a2 and the result", andi_a0_a0_1, bne_a2_a0, nullptr,
       et_fuse::and_branch_registers_differ},
      {"and, beq on the result and a2", and_a0_a0_a1, beq_a0_a2, nullptr,
       et_fuse::and_branch_registers_differ},
      {"andi, beq on the result twice", andi_a0_a0_1, beq_a0_a0, nullptr,
       et_fuse::and_branch_registers_differ},
      {"sub, ld", sub_a0_a0_a1, ld_a0_8_a0, nullptr, et_fuse::first_unsupported},
  };
  for (const auto& c : cases) {
    for (int side : {0, 1}) {
      const std::string what = std::string(c.what) + ", fused in trace " + std::to_string(side);
      pair_traces_t p(side);
      et_insn_t second = rec(c.w2, second_pc);
      if (c.change) c.change(second);
      p.fused().add(before).add(fused(lui_t0, addi_t0_t0_678)).add(after);
      p.plain().add(before).add(rec(c.w1, first_pc)).add(second).add(after);
      const run_result_t r = run(p);
      EXPECT_EQ(r.status, 255) << what;
      const std::vector<std::string> v = verdict(r);
      ASSERT_EQ(v.size(), 5u) << what << r.out;
      const std::string& plain = p.plain().path();
      EXPECT_EQ(v[0], "Soft fusion failed (" + plain + "). Reason: " + std::to_string(c.code))
          << what;
      const std::string insn0 = "From " + plain + " (insn#0): \n";
      const std::string insn1 = "From " + plain + " (insn#1): \n";
      const std::string start0 = text_start(first_pc, c.w1),
                        start1 = text_start(second_pc, c.w2, c.second_mode);
      EXPECT_EQ(v[1].substr(0, insn0.size() + start0.size()), insn0 + start0) << what;
      EXPECT_EQ(v[2].substr(0, insn1.size() + start1.size()), insn1 + start1) << what;
      EXPECT_EQ(v[3], "instret = 2") << what;
      EXPECT_EQ(v[4], "Traces are different.") << what;
    }
  }
}

// The pair fuses but the result differs from the fused record: the code of
// that comparison, the fused record, then both plain instructions.
TEST_F(QuendleDiffFusion, FusedRecordDiffersFromThePair) {
  struct {
    const char* what;
    uint64_t w1, w2;
    std::function<void(et_insn_t& fused)> change;
    et_compare::code_t code;
  } const cases[] = {
      {"rd value", lui_t0, addi_t0_t0_678, [](et_insn_t& f) { f.rd.data ^= 4; }, et_compare::rd},
      {"other immediate", lui_t0, addi_t0_t0_678,
       [](et_insn_t& f) { f = fused(lui_t0, addi_t0_t0_679); }, et_compare::word_32bit},
      {"pc", lui_t0, addi_t0_t0_678, [](et_insn_t& f) { f.pc += 4; }, et_compare::pc},
      {"load's physical address", add_a0_a0_a1, ld_a0_8_a0, [](et_insn_t& f) { f.pa += 8; },
       et_compare::pa},
  };
  for (const auto& c : cases) {
    for (int side : {0, 1}) {
      const std::string what = std::string(c.what) + ", fused in trace " + std::to_string(side);
      pair_traces_t p(side);
      et_insn_t f = fused(c.w1, c.w2);
      c.change(f);
      p.fused().add(before).add(f).add(after);
      p.plain().add(before).add(rec(c.w1, first_pc)).add(rec(c.w2, second_pc)).add(after);
      const run_result_t r = run(p);
      EXPECT_EQ(r.status, 255) << what;
      const std::vector<std::string> v = verdict(r);
      ASSERT_EQ(v.size(), 5u) << what << r.out;
      EXPECT_EQ(v[0], "Two different instructions. Reason: " + std::to_string(c.code)) << what;
      const std::string head_fused =
          "From " + p.fused().path() + " (fused): \n" + text_start(f.pc, f.chunk);
      EXPECT_EQ(v[1].substr(0, head_fused.size()), head_fused) << what << v[1];
      EXPECT_EQ(std::count(v[1].begin(), v[1].end(), '\n'), 2) << what << v[1];
      // Both plain instructions, one line each.
      const std::string head_plain = "From " + p.plain().path() + ": \n";
      ASSERT_EQ(v[2].substr(0, head_plain.size()), head_plain) << what;
      const std::string lines = v[2].substr(head_plain.size());
      const std::size_t second_line = lines.find('\n') + 1;
      EXPECT_EQ(lines.rfind(text_start(first_pc, c.w1), 0), 0u) << what << lines;
      const std::string start1 = text_start(second_pc, c.w2);
      EXPECT_EQ(lines.substr(second_line, start1.size()), start1) << what << lines;
      EXPECT_EQ(lines.back(), '\n') << what;
      EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 2) << what << lines;
      EXPECT_EQ(v[3], "instret = 2") << what;
    }
  }
}

// Fused records on both sides, or on neither, are compared plainly.
TEST_F(QuendleDiffFusion, FusedOnBothSidesIsAPlainMismatch) {
  pair_traces_t p(0);
  const et_insn_t f0 = fused(lui_t0, addi_t0_t0_678), f1 = fused(lui_t0, addi_t0_t0_679);
  p.t[0].add(before).add(f0).add(after);
  p.t[1].add(before).add(f1).add(after);
  const run_result_t r = run(p);
  EXPECT_EQ(r.status, 255);
  const std::vector<std::string> v = verdict(r);
  ASSERT_EQ(v.size(), 5u) << r.out;
  EXPECT_EQ(v[0], "Two different instructions. Reason: 356");
  EXPECT_EQ(v[1].rfind("From " + p.t[0].path() + ": \n" + text_start(first_pc, f0.chunk), 0), 0u)
      << v[1];
  EXPECT_EQ(v[2].rfind("From " + p.t[1].path() + ": \n" + text_start(first_pc, f1.chunk), 0), 0u)
      << v[2];
  EXPECT_EQ(v[3], "instret = 2");

  pair_traces_t same(0);
  same.t[0].add(before).add(f0).add(after);
  same.t[1].add(before).add(f0).add(after);
  const run_result_t equal = run(same);
  EXPECT_EQ(equal.status, 0);
  EXPECT_EQ(verdict(equal)[1], "instret = 4");
}

// The reader keeps a ring of 131072 records: fetching the pair's second
// instruction moves the plain side's ring past the first one, and the
// difference comes after the ring has turned over.
TEST_F(QuendleDiffFusion, LongTracesFuseEarlyAndDifferLate) {
  const unsigned n = 140000, differing = n - 3;
  std::vector<et_insn_t> p = straight_line(n);
  pair_traces_t t(0);
  t.fused()
      .add(std::vector<et_insn_t>(p.begin(), p.begin() + 10))
      .add(fused(lui_t0, addi_t0_t0_678));
  t.fused().add(std::vector<et_insn_t>(p.begin() + 10, p.end()));
  p[differing].rd.data ^= 0x10;
  t.plain().add(std::vector<et_insn_t>(p.begin(), p.begin() + 10));
  t.plain().add(rec(lui_t0, first_pc)).add(rec(addi_t0_t0_678, second_pc));
  t.plain().add(std::vector<et_insn_t>(p.begin() + 10, p.end()));
  const run_result_t r = run(t);
  EXPECT_EQ(r.status, 255);
  const std::vector<std::string> v = verdict(r);
  ASSERT_EQ(v.size(), 5u) << r.out.substr(0, 4000);
  EXPECT_EQ(v[0], "Two different instructions. Reason: 463");
  const uint64_t pc = 0x80000000 + 4 * uint64_t(differing);
  EXPECT_EQ(v[1].rfind("From " + t.t[0].path() + ": \n" + text_start(pc, p[differing].chunk), 0),
            0u)
      << v[1];
  EXPECT_EQ(v[2].rfind("From " + t.t[1].path() + ": \n" + text_start(pc, p[differing].chunk), 0),
            0u)
      << v[2];
  // The pairs before the fused record, the fused record, and the rest up to
  // the differing one.
  EXPECT_EQ(v[3], "instret = " + std::to_string(10 + 1 + (differing - 10 + 1)));
}

}  // namespace
