// The shipped sample trace: the generator reproduces it byte for byte, and
// the demo's command line formats it.
#include <gtest/gtest.h>

#include <string>

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

TEST(Example, GeneratorRefusesBadArguments) {
  EXPECT_EQ(run_program(built_program("quendle_example_gen"), {}).status, 1);
  EXPECT_EQ(run_program(built_program("quendle_example_gen"), {"x", "12q"}).status, 1);
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
