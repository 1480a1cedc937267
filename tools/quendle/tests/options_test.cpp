// The command line: defaults and every option's value.
#include <gtest/gtest.h>

#include <vector>

#include "quendle_options.h"

namespace {

quendle_options_t parse(std::vector<const char*> args) {
  args.insert(args.begin(), "quendle");
  return parse_quendle_command_line(int(args.size()), args.data());
}

TEST(QuendleOptions, Defaults) {
  const quendle_options_t o = parse({"-t", "in", "-o", "out", "-c", "soc.xml"});
  EXPECT_EQ(o.trace, "in");
  EXPECT_EQ(o.output, "out");
  EXPECT_EQ(o.config, "soc.xml");
  EXPECT_EQ(o.format, "swt");
  EXPECT_EQ(o.iformat, "swt");
  EXPECT_FALSE(o.ts || o.uiid || o.cc || o.fr || o.profile || o.disable_interrupts);
  EXPECT_FALSE(o.show_rvt || o.show_l2t || o.show_dct);
  EXPECT_EQ(o.hmask, 3u);
  EXPECT_EQ(o.mode, "MSU");
  EXPECT_EQ(o.ts_format, "10ld");
  EXPECT_EQ(o.uiid_format, "08lx");
}

TEST(QuendleOptions, EveryOption) {
  const quendle_options_t o = parse({"--trace",
                                     "in",
                                     "--output",
                                     "out",
                                     "--config",
                                     "soc.xml",
                                     "--format",
                                     "pconly",
                                     "--iformat",
                                     "hwt",
                                     "--ts",
                                     "--uiid",
                                     "--cc",
                                     "--fr",
                                     "--profile",
                                     "--hmask",
                                     "255",
                                     "--mode",
                                     "U",
                                     "--disable-interrupts",
                                     "--swt-ts-format",
                                     "-12llu",
                                     "--swt-uiid-format",
                                     "x",
                                     "--show-rvt",
                                     "--show-l2t",
                                     "--show-dct"});
  EXPECT_EQ(o.format, "pconly");
  EXPECT_EQ(o.iformat, "hwt");
  EXPECT_TRUE(o.ts && o.uiid && o.cc && o.fr && o.profile && o.disable_interrupts);
  EXPECT_TRUE(o.show_rvt && o.show_l2t && o.show_dct);
  EXPECT_EQ(o.hmask, 255u);
  EXPECT_EQ(o.mode, "U");
  EXPECT_EQ(o.ts_format, "-12llu");
  EXPECT_EQ(o.uiid_format, "x");
  EXPECT_EQ(parse({"-t", "a", "-o", "b", "-c", "c", "-f", "raw", "-m", "s"}).format, "raw");
  EXPECT_EQ(parse({"-t", "a", "-o", "b", "-c", "c", "-f", "ingress"}).format, "ingress");
}

}  // namespace
