// quendle end to end: command-line errors, untrusted printf formats,
// configuration and file errors, and errors inside the record loop, each with
// its message, exit status and what is left in the output file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "support/quendle_run.h"
#include "support/trace_builder.h"

using namespace quendle_test;
using et_test::make_insn;

namespace {

class QuendleErrors : public ::testing::Test {
protected:
  QuendleErrors() { config_.paddr_width = 40; }

  run_result_t run(const std::string& trace, const std::string& config,
                   const std::vector<std::string>& extra, const std::string& out = "") {
    std::vector<std::string> args{"-t", trace, "-c", config, "-o", out.empty() ? out_.path() : out};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_program(built_program("quendle"), args);
  }
  // A trace of n plain instructions.
  std::string trace_of(et_test::trace_builder_t& b, unsigned n) {
    for (unsigned i = 0; i < n; ++i) b.insn(make_insn(i, 0x100 + 4 * i, 0x13));
    return b.finish();
  }

  et_test::trace_config_t config_;
  output_path_t out_;
};

bool contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A whole "swt" node with the widths of the tests' traces.
const std::string full =
    "<swt><XLEN>64</XLEN><FLEN>64</FLEN><PADDR_WIDTH>40</PADDR_WIDTH>"
    "<IRF_DATA_WIDTH>64</IRF_DATA_WIDTH><CL_WIDTH>512</CL_WIDTH><CL_CHUNKS>1</CL_CHUNKS>"
    "<POISON_ENABLE>0</POISON_ENABLE></swt>";

TEST_F(QuendleErrors, UntrustedFormatsAreRefusedBeforeAnyOutput) {
  et_test::trace_builder_t b(config_);
  const std::string trace = trace_of(b, 1);
  soc_config_t cfg(config_);
  const char* bad[] = {"%n",   "ld%n", "n", "s",  "10s", "d%d", "%s%s%s%s", "200ld",         "32d",
                       ".31d", "*d",   "",  "lf", "ld%", "%",   "%d",       "ld 34567890123"};
  for (const char* option : {"--swt-ts-format", "--swt-uiid-format"}) {
    for (const char* spec : bad) {
      run_result_t r = run(trace, cfg.path(), {"--ts", "--uiid", option, spec});
      EXPECT_EQ(r.status, 1) << option << " " << spec;
      EXPECT_TRUE(contains(r.err, "PARSE ERROR")) << r.err;
      EXPECT_TRUE(contains(r.err, "invalid format")) << r.err;
      EXPECT_EQ(r.out, "") << spec;
      EXPECT_FALSE(file_exists(out_.path())) << spec;
    }
  }
  for (const char* good : {"10ld", "08lx", "-12llu", "x", "#018lo", "10ld cycles", "d%%"}) {
    run_result_t r =
        run(trace, cfg.path(), {"--ts", "--swt-ts-format", good, "--swt-uiid-format", good});
    EXPECT_EQ(r.status, 0) << good << r.err;
  }
}

TEST_F(QuendleErrors, CommandLine) {
  soc_config_t cfg(config_);
  struct {
    std::vector<std::string> args;
    int status;
    const char* out_part;
    const char* err_part;
  } cases[] = {
      {{"--help"}, 0, "Output trace file has the following format:", ""},
      {{"--version"}, 0, "1.0", ""},
      {{"-o", "x", "-c", "y"}, 1, "", "PARSE ERROR"},
      {{"-t", "x", "-o", "y", "-c", "z", "-f", "text"}, 1, "", "PARSE ERROR"},
      {{"-t", "x", "-o", "y", "-c", "z", "--iformat", "elf"}, 1, "", "PARSE ERROR"},
      {{"-t", "x", "-o", "y", "-c", "z", "--hmask", "0x3"}, 1, "", "PARSE ERROR"},
      {{"-t", "x", "-o", "y", "-c", "z", "--bogus"}, 1, "", "PARSE ERROR"},
  };
  for (const auto& c : cases) {
    run_result_t r = run_program(built_program("quendle"), c.args);
    EXPECT_EQ(r.status, c.status) << c.args[0];
    EXPECT_TRUE(contains(r.out, c.out_part)) << r.out;
    EXPECT_TRUE(contains(r.err, c.err_part)) << r.err;
  }
}

TEST_F(QuendleErrors, ConfigurationFileCannotBeLoaded) {
  et_test::trace_builder_t b(config_);
  run_result_t r = run(trace_of(b, 1), "/nonexistent/soc.xml", {});
  EXPECT_EQ(r.status, 255);
  EXPECT_TRUE(contains(r.err, "Unable to load SoC configuration file '/nonexistent/soc.xml'\n"))
      << r.err;
  EXPECT_FALSE(file_exists(out_.path()));

  // A file that does not parse: the parser's reason and line come after its name.
  et_test::temp_file_t malformed;
  std::ofstream(malformed.path()) << "<soc>\n  <swt>\n</soc>\n";
  r = run(b.finish(), malformed.path(), {});
  EXPECT_EQ(r.status, 255);
  EXPECT_EQ(r.err, "Could't load file: " + malformed.path() +
                       "\n  line 2: mismatched element\nUnable to load SoC configuration file '" +
                       malformed.path() + "'\n");
  EXPECT_FALSE(file_exists(out_.path()));
}

// Every field width outside 1 to 64 is named with the file and the key.
TEST_F(QuendleErrors, WidthErrorsNameTheFile) {
  et_test::trace_builder_t b(config_);
  const std::string trace = trace_of(b, 1);
  const std::pair<const char*, const char*> cases[] = {
      {"XLEN", "0"}, {"XLEN", "65"}, {"FLEN", "0"}, {"PADDR_WIDTH", "0"}, {"IRF_DATA_WIDTH", "65"},
  };
  for (const auto& [key, value] : cases) {
    std::string swt = full;
    const std::string open = std::string("<") + key + ">";
    const std::size_t at = swt.find(open) + open.size();
    swt.replace(at, swt.find('<', at) - at, value);
    soc_config_t cfg(config_, "rv64imafdc", swt);
    for (const char* iformat : {"swt", "rvt"}) {
      run_result_t r = run(trace, cfg.path(), {"--iformat", iformat});
      EXPECT_EQ(r.status, 1) << key << " " << value;
      EXPECT_EQ(r.err, "ERROR: configuration file '" + cfg.path() + "': swt." + key +
                           " must be 1 to 64, not " + value + "\n");
      EXPECT_FALSE(file_exists(out_.path())) << key;
    }
  }
}

TEST_F(QuendleErrors, BadConfigurationContents) {
  et_test::trace_builder_t b(config_);
  const std::string trace = trace_of(b, 1);
  struct {
    const char* what;
    std::string swt;
    const char* err_part;
  } cases[] = {
      {"no swt node", "<other/>", "node 'swt' is missing"},
      {"missing key", "<swt><XLEN>64</XLEN></swt>", "swt.FLEN is missing"},
      {"malformed number", std::string(full).replace(full.find(">64<"), 4, ">abc<"),
       "swt.XLEN is not a number: 'abc'"},
      {"number out of range",
       std::string(full).replace(full.find(">64<"), 4, ">99999999999999999999999<"),
       "swt.XLEN is out of range"},
      {"width that an int cannot hold",
       std::string(full).replace(full.find("<FLEN>64"), 8, "<FLEN>4294967360"),
       "swt.FLEN must be 1 to 64, not 4294967360"},
      {"zero width", std::string(full).replace(full.find(">64<"), 4, ">0<"), "XLEN"},
  };
  for (const auto& c : cases) {
    soc_config_t cfg(config_, "rv64imafdc", c.swt);
    run_result_t r = run(trace, cfg.path(), {});
    EXPECT_EQ(r.status, 1) << c.what;
    EXPECT_TRUE(contains(r.err, "ERROR: ")) << r.err;
    EXPECT_TRUE(contains(r.err, c.err_part)) << c.what << ": " << r.err;
    EXPECT_FALSE(file_exists(out_.path())) << c.what;
  }
}

TEST_F(QuendleErrors, MissingCpuModule) {
  et_test::trace_builder_t b(config_);
  const std::string trace = trace_of(b, 1);
  soc_config_t cfg(config_);
  std::string text = read_text(cfg.path());
  text.replace(text.find("cpu0"), 4, "cpu7");
  et_test::temp_file_t edited;
  {
    std::FILE* f = std::fopen(edited.path().c_str(), "w");
    std::fputs(text.c_str(), f);
    std::fclose(f);
  }
  run_result_t r = run(trace, edited.path(), {});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "ERROR: ")) << r.err;
  EXPECT_TRUE(contains(r.err, "module#id:cpu0")) << r.err;
}

TEST_F(QuendleErrors, FilesThatCannotBeOpened) {
  soc_config_t cfg(config_);
  run_result_t r = run("/nonexistent/trace.bin", cfg.path(), {});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("ERROR: ", 0), 0u) << r.err;
  EXPECT_TRUE(contains(r.err, "/nonexistent/trace.bin")) << r.err;
  EXPECT_FALSE(file_exists(out_.path()));

  r = run("/nonexistent/trace.bin", cfg.path(), {"--iformat", "rvt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "/nonexistent/trace.bin")) << r.err;

  et_test::trace_builder_t b(config_);
  const std::string trace = trace_of(b, 1);
  for (const char* iformat : {"swt", "rvt"}) {
    r = run(trace, cfg.path(), {"--iformat", iformat}, "/nonexistent/dir/out.txt");
    EXPECT_EQ(r.status, 1) << iformat;
    EXPECT_TRUE(contains(r.err, "ERROR: cannot open output file '/nonexistent/dir/out.txt'"))
        << r.err;
  }
}

// A trace that cannot be read at all is reported before the output is
// opened: an existing output keeps every byte, in every input format.
TEST_F(QuendleErrors, UnreadableTraceLeavesAnExistingOutputAsItWas) {
  soc_config_t cfg(config_);
  char dir[] = "/tmp/quendle_trace_dir_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  et_test::trace_builder_t b(config_);
  const std::string unreadable = trace_of(b, 3);
  ASSERT_EQ(chmod(unreadable.c_str(), 0), 0);
  struct {
    std::string trace;
    std::string err;
  } cases[] = {
      {dir, "ERROR: Error: fail to read trace file: " + std::string(dir) +
                " at position 0: Is a directory\n"},
      {"/nonexistent/trace.bin",
       "ERROR: Error: fail to open trace file: /nonexistent/trace.bin: No such file or "
       "directory\n"},
      // Its first read fails: nothing is mapped at address 0.
      {"/proc/self/mem",
       "ERROR: Error: fail to read trace file: /proc/self/mem at position 0: Input/output "
       "error\n"},
      {unreadable, "ERROR: Error: fail to open trace file: " + unreadable +
                       ": Permission denied\n"},
  };
  const std::string old = "an earlier listing\n";
  for (const auto& c : cases) {
    if (!file_exists(c.trace) && c.trace.rfind("/nonexistent", 0) != 0) continue;
    if (c.trace == unreadable && access(unreadable.c_str(), R_OK) == 0) continue;  // root reads it
    for (const char* iformat : {"swt", "hwt", "rvt"}) {
      std::ofstream(out_.path(), std::ios::binary) << old;
      run_result_t r = run(c.trace, cfg.path(), {"--iformat", iformat});
      EXPECT_EQ(r.status, 1) << c.trace << " " << iformat;
      EXPECT_EQ(r.err, c.err) << iformat;
      EXPECT_EQ(read_text(out_.path()), old) << c.trace << " " << iformat;
    }
  }
  rmdir(dir);
}

TEST_F(QuendleErrors, FailedWritesAreNotReportedAsSuccess) {
  if (!file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  et_test::trace_builder_t b(config_);
  b.rvt(1);
  const std::string trace = trace_of(b, 3);
  soc_config_t cfg(config_);
  for (const char* format : {"swt", "ingress", "pconly", "raw"}) {
    run_result_t r = run(trace, cfg.path(), {"-f", format}, "/dev/full");
    EXPECT_EQ(r.status, 1) << format;
    EXPECT_EQ(r.err, "ERROR: cannot write output file '/dev/full': No space left on device\n")
        << format;
  }
  run_result_t r = run(trace, cfg.path(), {"--iformat", "rvt"}, "/dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: cannot write output file '/dev/full': No space left on device\n");
}

// The two lines on standard output are part of the run: when they cannot be
// written the run ends with status 1 and the reason; the output file is
// written all the same.
TEST_F(QuendleErrors, StandardOutputThatCannotBeWritten) {
  if (!file_exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  et_test::trace_builder_t b(config_);
  const std::string trace = trace_of(b, 3);
  soc_config_t cfg(config_);
  run_result_t r = run(trace, cfg.path(), {});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string listing = read_text(out_.path());
  ASSERT_FALSE(listing.empty());
  std::remove(out_.path().c_str());
  r = run_program(built_program("quendle"), {"-t", trace, "-c", cfg.path(), "-o", out_.path()},
                  "/dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: cannot write the report to standard output: No space left on device\n");
  EXPECT_EQ(read_text(out_.path()), listing);
}

// A bad record ends the listing where it stands: every instruction before it
// is written, then the error, status 1. The reader decodes a ring of 131072
// objects ahead, so both a short trace and one longer than the ring count.
TEST_F(QuendleErrors, RecordLoopErrorKeepsWhatWasWritten) {
  for (unsigned n : {5u, 140000u}) {
    et_test::trace_builder_t b(config_);
    for (unsigned i = 0; i < n; ++i) b.insn(make_insn(i, 0x1000 + 4 * i, 0x13));
    b.record(200, {});
    b.insn(make_insn(n, 0x800, 0x13));  // after the bad record: never written
    soc_config_t cfg(config_);
    run_result_t r = run(b.finish(), cfg.path(), {"-f", "pconly"});
    EXPECT_EQ(r.status, 1) << n;
    EXPECT_TRUE(contains(r.err, "ERROR: Unknown header: 200")) << r.err;
    const std::string out = read_text(out_.path());
    EXPECT_EQ(std::size_t(std::count(out.begin(), out.end(), '\n')), n);
    EXPECT_EQ(out.substr(0, 10), "1000\n1004\n");
    std::ostringstream last;
    last << std::hex << std::uppercase << 0x1000 + 4 * (n - 1) << "\n";
    EXPECT_EQ(out.substr(out.size() - last.str().size()), last.str()) << n;
  }
}

// The late record is found only after the ring has moved on: the messages
// made before it are written first.
TEST_F(QuendleErrors, LateRecordErrorKeepsWhatWasWritten) {
  const unsigned ring = 131072;
  et_test::trace_builder_t b(config_);
  b.tsd1(4).issue(make_insn(0, 0x100, 0x13));
  for (unsigned i = 0; i < ring; ++i) b.rvt(i);
  b.writer().record_swt_cm(0, 0x100, false, false, 0, false);
  soc_config_t cfg(config_);
  run_result_t r = run(b.finish(), cfg.path(), {"--show-rvt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "ERROR: Record for an instruction that has left the look-ahead window: current "
            "record: SWT_CM, cycle: 4, hart: 0, piid: 0, window: 131072 objects\n");
  const std::string out = read_text(out_.path());
  EXPECT_EQ(std::size_t(std::count(out.begin(), out.end(), '\n')), ring);
  EXPECT_EQ(out.rfind("RVT ", 0), 0u);
}

// --iformat rvt: the words extracted before a bad record are kept.
TEST_F(QuendleErrors, RvtWordsBeforeABadRecordAreKept) {
  et_test::trace_builder_t b(config_);
  b.rvt(0x0102030405060708).rvt(0x1112131415161718).record(200, {}).rvt(3);
  soc_config_t cfg(config_);
  run_result_t r = run(b.finish(), cfg.path(), {"--iformat", "rvt"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: Unknown header: 200 at position 18!\n");
  const std::string out = read_text(out_.path());
  ASSERT_EQ(out.size(), 16u);
  EXPECT_EQ(out[0], '\x08');
  EXPECT_EQ(out[15], '\x11');
}

// Opening the output truncates it, so an output that is an input file is
// refused before anything is opened, whatever name or link it is given by.
TEST_F(QuendleErrors, OutputThatIsAnInputIsRefused) {
  et_test::trace_builder_t b(config_);
  const std::string trace = trace_of(b, 3);
  const std::string trace_bytes = read_text(trace);
  soc_config_t cfg(config_);
  const std::string config_bytes = read_text(cfg.path());
  const std::string link = out_.path() + ".link";
  ASSERT_EQ(symlink(trace.c_str(), link.c_str()), 0);
  const std::string slash =
      trace.substr(0, trace.rfind('/')) + "/./" + trace.substr(trace.rfind('/') + 1);
  struct case_t {
    std::string output;
    std::vector<std::string> extra;
    std::string named;  // the input the message names
  } cases[] = {
      {trace, {}, "trace file '" + trace + "'"},
      {trace, {"--iformat", "rvt"}, "trace file '" + trace + "'"},
      {link, {}, "trace file '" + trace + "'"},
      {slash, {"-f", "raw"}, "trace file '" + trace + "'"},
      {cfg.path(), {}, "configuration file '" + cfg.path() + "'"},
  };
  for (const case_t& c : cases) {
    run_result_t r = run(trace, cfg.path(), c.extra, c.output);
    EXPECT_EQ(r.status, 1) << c.output;
    EXPECT_EQ(r.err, "ERROR: output file '" + c.output + "' is the " + c.named +
                         "; refusing to overwrite it\n");
    EXPECT_EQ(r.out, "") << c.output;
    EXPECT_EQ(read_text(trace), trace_bytes);
    EXPECT_EQ(read_text(cfg.path()), config_bytes);
  }
  unlink(link.c_str());
}

// The message lines are text; the ingress records are binary.
TEST_F(QuendleErrors, MessageLinesAreRefusedWithIngress) {
  et_test::trace_builder_t b(config_);
  const std::string trace = trace_of(b, 1);
  soc_config_t cfg(config_);
  struct {
    std::vector<std::string> switches;
    const char* named;
  } const cases[] = {
      {{"--show-rvt"}, "--show-rvt"},
      {{"--show-dct", "--show-l2t"}, "--show-l2t, --show-dct"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args{"-f", "ingress"};
    args.insert(args.end(), c.switches.begin(), c.switches.end());
    run_result_t r = run(trace, cfg.path(), args);
    EXPECT_EQ(r.status, 1) << c.named;
    EXPECT_EQ(r.err, std::string("PARSE ERROR: ") + c.named +
                         " cannot be used with -f ingress: message lines would break its binary "
                         "records\n");
    EXPECT_FALSE(file_exists(out_.path()));
  }
  // The text formats keep them.
  for (const char* format : {"swt", "raw", "pconly"}) {
    run_result_t r =
        run(trace, cfg.path(), {"-f", format, "--show-rvt", "--show-l2t", "--show-dct"});
    EXPECT_EQ(r.status, 0) << format << r.err;
  }
}

TEST_F(QuendleErrors, IngressUnexpectedCause) {
  et_test::trace_builder_t b(config_);
  et_insn_t bad = make_insn(1, 0x104, 0x13);
  bad.trap = 1;
  bad.cause = 10;
  b.insn(make_insn(0, 0x100, 0x13)).insn(bad).insn(make_insn(2, 0x108, 0x13));
  soc_config_t cfg(config_);
  run_result_t r = run(b.finish(), cfg.path(), {"-f", "ingress"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: Unexpected cause!\n");
  EXPECT_EQ(read_text(out_.path()).size(), 16u);
}

TEST_F(QuendleErrors, StreamInconsistencyIsReported) {
  et_test::trace_builder_t b(config_);
  b.insn(make_insn(0, 0x100, 0x13)).insn(make_insn(5, 0x104, 0x13));  // uiid 1 expected
  soc_config_t cfg(config_);
  run_result_t r = run(b.finish(), cfg.path(), {"-f", "pconly"});
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(contains(r.err, "ERROR: Non-sequential uiids")) << r.err;
}

}  // namespace
