// The shipped sample trace: the generator reproduces it byte for byte, and
// the demo's command line formats it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/quendle_run.h"
#include "support/trace_builder.h"

using namespace quendle_test;

namespace {

const std::string examples = std::string(QUENDLE_SOURCE_DIR) + "/examples/";

TEST(Example, GeneratorReproducesTheSampleTrace) {
  et_test::temp_file_t trace;
  run_result_t r = run_program(built_program("quendle_example_gen"), {trace.path()});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string sample = read_text(examples + "sample.trace");
  ASSERT_FALSE(sample.empty());
  EXPECT_TRUE(read_text(trace.path()) == sample) << "regenerate examples/sample.trace";
}

// A negative count would wrap to one without end and fill the disk; an option
// is no output file name. Nothing is written for any of them.
TEST(Example, GeneratorArguments) {
  const std::string usage = "usage: quendle_example_gen <output> [instructions]\n";
  output_path_t out;
  struct {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err_start;
  } const cases[] = {
      {{"-h"}, 0, usage, ""},
      {{"--help"}, 0, usage, ""},
      {{}, 1, "", usage},
      {{"--bogus"}, 1, "", usage},
      {{out.path(), "1", "2"}, 1, "", usage},
      {{out.path(), "-5"}, 1, "", "quendle_example_gen: the instruction count must be a number"},
      {{out.path(), "0"}, 1, "", "quendle_example_gen: the instruction count must be a number"},
      {{out.path(), "+5"}, 1, "", "quendle_example_gen: the instruction count must be a number"},
      {{out.path(), "12q"}, 1, "", "quendle_example_gen: the instruction count must be a number"},
      {{out.path(), "18446744073709551616"},
       1,
       "",
       "quendle_example_gen: the instruction count must be a number"},
  };
  for (const auto& c : cases) {
    std::string joined;
    for (const std::string& a : c.args) joined += a + " ";
    run_result_t r = run_program(built_program("quendle_example_gen"), c.args);
    EXPECT_EQ(r.status, c.status) << joined;
    EXPECT_EQ(r.out, c.out) << joined;
    EXPECT_EQ(r.err.rfind(c.err_start, 0), 0u) << joined << r.err;
    EXPECT_FALSE(file_exists(out.path())) << joined;
    EXPECT_FALSE(file_exists("--help")) << joined;
  }
  run_result_t r = run_program(built_program("quendle_example_gen"), {out.path(), "7"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(file_exists(out.path()));
}

TEST(Example, DemoListing) {
  output_path_t out;
  run_result_t r = run_program(built_program("quendle"),
                               {"-c", examples + "soc.xml", "-t", examples + "sample.trace", "-o",
                                out.path(), "-f", "swt", "--ts", "--uiid", "--cc"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string listing = read_text(out.path());
  EXPECT_EQ(listing.rfind("<          3 > ( 00000000.0 ) Mc [80000000] |00001617| auipc", 0), 0u)
      << listing.substr(0, 200);
  // Both harts, compressed, floating-point and memory instructions, the
  // interrupt and its return.
  for (const char* part : {".1 ) Mc", "|    952e| c.add", " fadd.s ", " EA=", " FRD[",
                           "Mc [        ] |        | intr", " mret", " CAUSE=8000000000000007"})
    EXPECT_NE(listing.find(part), std::string::npos) << part;
  EXPECT_EQ(listing.find("(args unknown)"), std::string::npos);
  EXPECT_EQ(listing.find("unknown"), std::string::npos);
}

}  // namespace
