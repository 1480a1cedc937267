// quendle_diff end to end: the command line, the configuration file and the
// errors met after the command line, each with its messages and exit status.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "etrace/records/l2t_object.h"
#include "support/diff_run.h"

using namespace diff_test;
using quendle_test::run_result_t;
using quendle_test::soc_config_t;

namespace {

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

const std::string swt_widths =
    "<XLEN>64</XLEN><FLEN>64</FLEN><PADDR_WIDTH>56</PADDR_WIDTH>"
    "<IRF_DATA_WIDTH>64</IRF_DATA_WIDTH><CL_WIDTH>512</CL_WIDTH><CL_CHUNKS>1</CL_CHUNKS>";

// An "swt" node with the default widths, one of them replaced when `key` is
// not empty, and POISON_ENABLE.
std::string swt_node(const std::string& poison, const std::string& key = "",
                     const std::string& value = "") {
  std::string widths = swt_widths;
  if (!key.empty()) {
    const std::string open = "<" + key + ">", close = "</" + key + ">";
    const std::size_t from = widths.find(open) + open.size();
    widths.replace(from, widths.find(close) - from, value);
  }
  return "<swt>" + widths + "<POISON_ENABLE>" + poison + "</POISON_ENABLE></swt>";
}

void write_text(const std::string& path, const std::string& text) {
  std::FILE* f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs(text.c_str(), f);
  std::fclose(f);
}

class QuendleDiffSetup : public ::testing::Test {
protected:
  QuendleDiffSetup() : t0_(config_), t1_(config_) {
    t0_.add(straight_line(3));
    t1_.add(straight_line(3));
  }

  run_result_t run_program(const std::vector<std::string>& args) {
    return quendle_test::run_program(quendle_test::built_program("quendle_diff"), args);
  }
  // The same with standard output going to a file.
  run_result_t run_program_to(const std::vector<std::string>& args, const std::string& out) {
    return quendle_test::run_program(quendle_test::built_program("quendle_diff"), args, out);
  }

  et_test::trace_config_t config_;
  trace_t t0_, t1_;
  soc_config_t cfg_{config_};
};

TEST_F(QuendleDiffSetup, CommandLine) {
  const std::string a = t0_.path(), b = t1_.path(), c = cfg_.path();
  struct {
    std::vector<std::string> args;
    int status;
    const char* named;  // in the error's own lines, before the usage
  } const cases[] = {
      {{"--tr1", b, "-c", c}, 1, "Required argument missing: tr0"},
      {{"--tr0", a, "-c", c}, 1, "Required argument missing: tr1"},
      {{"--tr0", a, "--tr1", b}, 1, "Required argument missing: config"},
      {{"--tr0", a, "--tr1", b, "--config"}, 1, "(--config)"},
      {{"--tr0", a, "--tr1", b, "-c", c, "--tf0", "rvt"}, 1, "(--tf0)"},
      {{"--tr0", a, "--tr1", b, "-c", c, "--tf1", "hwt"}, 1, "(--tf1)"},
      {{"--tr0", a, "--tr1", b, "-c", c, "--th0", "9"}, 1, "(--th0)"},
      {{"--tr0", a, "--tr1", b, "-c", c, "--th1", "9"}, 1, "(--th1)"},
      {{"--tr0", a, "--tr1", b, "-c", c, "--th0", "8"}, 1, "(--th0)"},
      {{"--tr0", a, "--tr1", b, "-c", c, "--th1", "64"}, 1, "(--th1)"},
      {{"--tr0", a, "--tr1", b, "-c", c, "--th0", "x"}, 1, "(--th0)"},
      {{"--tr0", a, "--tr1", b, "-c", c, "--hmask", "3"}, 1, "--hmask"},
      {{"--tr0", a, "--tr1", b, "-c", c, "--skip-range"}, 1, "(--skip-range)"},
      {{"--tr0", a, "--tr1", b, "-c", c}, 0, ""},
      {{"--tr0", a, "--tr1", b, "--config", c, "--tf0", "swt", "--tf1", "swt", "--th0", "7",
        "--th1", "7", "--ts", "--uiid", "--cc", "--fr"},
       0,
       ""},
      {{"--help"}, 0, ""},
      {{"--version"}, 0, ""},
  };
  for (const auto& k : cases) {
    std::string what;
    for (const std::string& arg : k.args) what += arg + " ";
    const run_result_t r = run_program(k.args);
    EXPECT_EQ(r.status, k.status) << what << r.err;
    if (k.status == 1) {
      const std::string own = r.err.substr(0, r.err.find("Brief USAGE"));
      EXPECT_EQ(own.rfind("PARSE ERROR", 0), 0u) << what << r.err;
      EXPECT_TRUE(contains(own, k.named)) << what << r.err;
      EXPECT_EQ(r.out, "") << what;  // not even the configuration line
    }
  }
  EXPECT_TRUE(contains(run_program({"--help"}).out, "Execution trace diff tool."));
}

TEST_F(QuendleDiffSetup, ConfigurationFileThatCannotBeLoaded) {
  const run_result_t r =
      run_program({"--tr0", t0_.path(), "--tr1", t1_.path(), "-c", "/nonexistent/soc.xml"});
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.out, "Load configuration from '/nonexistent/soc.xml'\n");
  EXPECT_TRUE(contains(r.err, "Unable to load SoC configuration file '/nonexistent/soc.xml'\n"))
      << r.err;
}

// Errors in the configuration's contents end the run with "ERROR: ", the
// reason and status 1; what was written on standard output stays.
TEST_F(QuendleDiffSetup, ConfigurationContents) {
  struct {
    const char* what;
    std::string swt;
    const char* err_part;
  } const cases[] = {
      {"no swt node", "<other/>", "swt"},
      {"missing key", "<swt><XLEN>64</XLEN><FLEN>64</FLEN></swt>", "PADDR_WIDTH"},
      {"malformed number", swt_node("0", "CL_WIDTH", "wide"), "CL_WIDTH"},
      {"XLEN above 64", swt_node("0", "XLEN", "65"), "65"},
      {"XLEN 0", swt_node("0", "XLEN", "0"), "': swt.XLEN must be 1 to 64, not 0"},
      {"PADDR_WIDTH 0", swt_node("0", "PADDR_WIDTH", "0"),
       "': swt.PADDR_WIDTH must be 1 to 64, not 0"},
      {"FLEN above 64", swt_node("0", "FLEN", "128"), "128"},
      {"XLEN that an int cannot hold", swt_node("0", "XLEN", "4294967360"), "4294967360"},
      {"POISON_ENABLE missing", "<swt>" + swt_widths + "</swt>", "POISON_ENABLE"},
  };
  for (const auto& c : cases) {
    soc_config_t cfg(config_, "rv64imafdc_zba_zbb", c.swt);
    const run_result_t r = run_diff(t0_.path(), t1_.path(), cfg.path());
    EXPECT_EQ(r.status, 1) << c.what;
    EXPECT_EQ(r.err.rfind("ERROR: ", 0), 0u) << c.what << ": " << r.err;
    EXPECT_TRUE(contains(r.err, c.err_part)) << c.what << ": " << r.err;
    // The "swt" node is read before the trace lines are written.
    EXPECT_EQ(r.out, "Load configuration from '" + cfg.path() + "'\n") << c.what;
  }
}

// The cpu module is read after the trace lines are written: they stay.
TEST_F(QuendleDiffSetup, CpuModuleErrorsKeepTheTraceLines) {
  const std::string text = quendle_test::read_text(cfg_.path());
  struct {
    const char* what;
    std::string from, to;
    const char* err_part;
  } const cases[] = {
      {"no cpu0 module", "cpu0", "cpu7", "module#id:cpu0"},
      {"no isa", "<isa>", "<other>", "isa"},
      {"no priv_modes", "<priv_modes>", "<other>", "priv_modes"},
  };
  for (const auto& c : cases) {
    std::string edited = text;
    edited.replace(edited.find(c.from), c.from.size(), c.to);
    const std::string close_from = "</" + c.from.substr(c.from[0] == '<' ? 1 : 0);
    if (c.from[0] == '<')
      edited.replace(edited.find(close_from), close_from.size(), "</" + c.to.substr(1));
    et_test::temp_file_t cfg;
    write_text(cfg.path(), edited);
    const run_result_t r = run_diff(t0_.path(), t1_.path(), cfg.path());
    EXPECT_EQ(r.status, 1) << c.what;
    EXPECT_EQ(r.err.rfind("ERROR: ", 0), 0u) << c.what << ": " << r.err;
    EXPECT_TRUE(contains(r.err, c.err_part)) << c.what << ": " << r.err;
    EXPECT_EQ(r.out, "Load configuration from '" + cfg.path() + "'\n[INFO]<TDT> trace0: " +
                         t0_.path() + "\n[INFO]<TDT> trace1: " + t1_.path() + "\n")
        << c.what;
  }
}

// POISON_ENABLE decides whether a cache-line data message carries poison
// bits. The trace below has them (one byte, 200, which is no record code):
// a reader that expects none takes that byte for a record and fails. A text
// that is neither a Boolean nor a number is refused before any trace is read.
TEST_F(QuendleDiffSetup, PoisonEnableTexts) {
  et_test::trace_config_t poisoned = config_;
  poisoned.poison_enable = true;
  trace_t t(poisoned);
  l2t_object_t data{};
  data.letter = MH_SWT_L2T_UWD;
  data.wd.psn = 200;
  t.add(straight_line(2));
  t.builder().l2t(data);
  t.add(straight_line(3).back());
  enum outcome_t { on, off, refused };
  struct {
    const char* text;
    outcome_t outcome;
  } const cases[] = {
      {"true", on},     {"trueish", on}, {"1", on},         {"2", on},
      {"0x10", on},     {"false", off},  {"0", off},        {"00", off},
      {"yes", refused}, {"", refused},   {"TRUE", refused}, {"falsehood", refused},
  };
  for (const auto& c : cases) {
    soc_config_t cfg(config_, "rv64imafdc_zba_zbb", swt_node(c.text));
    const run_result_t r = run_diff(t.path(), t.path(), cfg.path());
    const std::string what = std::string("[") + c.text + "]";
    switch (c.outcome) {
      case on:
        EXPECT_EQ(r.status, 0) << what << r.err;
        EXPECT_TRUE(contains(r.out, "instret = 3\n")) << what << r.out;
        break;
      case off:
        EXPECT_EQ(r.status, 1) << what;
        EXPECT_EQ(r.err.rfind("ERROR: trace0 '" + t.path() + "': Unknown header: 200", 0), 0u)
            << what << r.err;
        break;
      case refused:
        EXPECT_EQ(r.status, 1) << what;
        EXPECT_EQ(r.err.rfind("ERROR: ", 0), 0u) << what << r.err;
        EXPECT_TRUE(contains(r.err, "POISON_ENABLE")) << what << r.err;
        EXPECT_EQ(r.out, "Load configuration from '" + cfg.path() + "'\n") << what;
        break;
    }
  }
}

// Errors of the traces themselves: "ERROR: ", the trace's name and path, the
// reader's own text, status 1, the lines already written kept.
TEST_F(QuendleDiffSetup, TraceErrors) {
  const std::string head = "Load configuration from '" + cfg_.path() + "'\n";
  auto named = [](int side, const std::string& path) {
    return "ERROR: trace" + std::to_string(side) + " '" + path + "': ";
  };
  // One that cannot be opened, one that cannot be read.
  const std::string missing = "/nonexistent/trace.bin", directory = ::testing::TempDir();
  for (const std::string& path : {missing, directory}) {
    for (int side : {0, 1}) {
      const run_result_t r = side == 0 ? run_diff(path, t1_.path(), cfg_.path())
                                       : run_diff(t0_.path(), path, cfg_.path());
      EXPECT_EQ(r.status, 1) << side << path;
      EXPECT_EQ(r.err.rfind(named(side, path) + "Error: fail to ", 0), 0u) << r.err;
      EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
      EXPECT_EQ(r.out.rfind(head, 0), 0u);
      EXPECT_TRUE(contains(r.out, "[INFO]<TDT> trace" + std::to_string(side) + ": " + path + "\n"))
          << r.out;
    }
  }

  // A record that is not a record: the pairs before it compare equal.
  trace_t bad(config_);
  bad.add(straight_line(3));
  bad.builder().record(200, {});
  bad.add(straight_line(4).back());
  trace_t longer(config_);
  longer.add(straight_line(4));
  for (int side : {0, 1}) {
    const run_result_t r = side == 0 ? run_diff(bad.path(), longer.path(), cfg_.path())
                                     : run_diff(longer.path(), bad.path(), cfg_.path());
    EXPECT_EQ(r.status, 1) << side;
    EXPECT_EQ(r.err.rfind(named(side, bad.path()) + "Unknown header: 200", 0), 0u) << r.err;
    EXPECT_FALSE(contains(r.out, "Traces are")) << r.out;
  }

  // Both traces bad at the same point: trace 0 is read first.
  trace_t bad1(config_);
  bad1.add(straight_line(3));
  bad1.builder().record(201, {});
  const run_result_t both = run_diff(bad.path(), bad1.path(), cfg_.path());
  EXPECT_EQ(both.status, 1);
  EXPECT_EQ(both.err.rfind(named(0, bad.path()) + "Unknown header: 200", 0), 0u) << both.err;

  // A difference before the bad record is found and reported first.
  trace_t other(config_);
  std::vector<et_insn_t> p = straight_line(4);
  p[1].rd.data ^= 1;
  other.add(p);
  const run_result_t r = run_diff(bad.path(), other.path(), cfg_.path());
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(contains(r.out, "Two different instructions. Reason: 463")) << r.out;
  EXPECT_TRUE(contains(r.out, "instret = 2\n")) << r.out;

  // Instructions out of order.
  trace_t jumbled(config_);
  jumbled.builder().insn(straight_line(1)[0]);
  et_insn_t late = straight_line(2)[1];
  late.uiid = 5;
  jumbled.builder().insn(late);
  const run_result_t j = run_diff(jumbled.path(), t1_.path(), cfg_.path());
  EXPECT_EQ(j.status, 1);
  EXPECT_EQ(j.err.rfind(named(0, jumbled.path()) + "Non-sequential uiids", 0), 0u) << j.err;
}

// A verdict whose report is lost is no verdict: status 1 and the reason,
// whatever the comparison found, after any error of its own.
TEST_F(QuendleDiffSetup, ReportThatCannotBeWritten) {
  trace_t other(config_), bad(config_);
  std::vector<et_insn_t> p = straight_line(3);
  p[1].rd.data ^= 1;
  other.add(p);
  bad.builder().record(200, {});
  const std::string lost =
      "ERROR: cannot write the report to standard output: No space left on device\n";
  struct {
    const char* what;
    std::string tr1;
    int status;       // with the report written
    std::string err;  // what comes before the lost report's line
  } const cases[] = {
      {"equal", t1_.path(), 0, ""},
      {"different", other.path(), 255, ""},
      {"bad trace", bad.path(), 1, "ERROR: trace1 '" + bad.path() + "': Unknown header: 200"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(run_diff(t0_.path(), c.tr1, cfg_.path()).status, c.status) << c.what;
    const run_result_t r =
        run_program_to({"--tr0", t0_.path(), "--tr1", c.tr1, "-c", cfg_.path()}, "/dev/full");
    EXPECT_EQ(r.status, 1) << c.what;
    EXPECT_EQ(r.err.rfind(c.err, 0), 0u) << c.what << r.err;
    ASSERT_GE(r.err.size(), lost.size()) << c.what << r.err;
    EXPECT_EQ(r.err.substr(r.err.size() - lost.size()), lost) << c.what << r.err;
  }
}

}  // namespace
