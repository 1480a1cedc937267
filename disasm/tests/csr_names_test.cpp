#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "disasm/arg.h"
#include "disasm/csr_names.h"

namespace {

std::string csr_operand(unsigned csr) {
  return csr_arg.to_string(insn_t(uint64_t(csr) << 20 | 0x2073));
}

struct named_csr_t {
  unsigned number;
  char const* name;
};

// Both lookups agree wherever a name exists, including the range boundaries
// and the custom registers.
TEST(csr_names, named_numbers) {
  named_csr_t const cases[] = {
      {0x000, "ustatus"},        {0x001, "fflags"},        {0x017, "jvt"},
      {0x049, "uscratchcswl"},   {0x10c, "sstateen0"},     {0x10f, "sstateen3"},
      {0x120, "scountinhibit"},  {0x181, "srmcfg"},        {0x31c, "mstateen0h"},
      {0x31f, "mstateen3h"},     {0x320, "mcountinhibit"}, {0x321, "mcyclecfg"},
      {0x322, "minstretcfg"},    {0x323, "mhpmevent3"},    {0x33f, "mhpmevent31"},
      {0x3a0, "pmpcfg0"},        {0x3af, "pmpcfg15"},      {0x3b0, "pmpaddr0"},
      {0x3ef, "pmpaddr63"},      {0x5a8, "scontext"},      {0x723, "mhpmevent3h"},
      {0x73f, "mhpmevent31h"},   {0x7c0, "nmitvec"},       {0xb03, "mhpmcounter3"},
      {0xb9f, "mhpmcounter31h"}, {0xbc0, "xhpmevent"},     {0xbe8, "xscfg"},
      {0xc00, "cycle"},          {0xc22, "vlenb"},         {0xc9f, "hpmcounter31h"},
      {0xda0, "scountovf"},      {0xe12, "hgeip"},         {0xf15, "mconfigptr"},
      {0xfb0, "mtopi"},
  };
  for (auto const& c : cases) {
    EXPECT_STREQ(csr_name(int(c.number)), c.name) << std::hex << c.number;
    EXPECT_EQ(csr_operand(c.number), c.name) << std::hex << c.number;
  }
}

TEST(csr_names, unnamed_numbers_take_each_lookups_default) {
  struct {
    unsigned number;
    char const* operand;
  } const cases[] = {
      {0x006, "unknown_006"},  {0xfff, "unknown_4095"}, {0x400, "unknown_1024"},
      {0x4ff, "unknown_1279"}, {0x800, "unknown_2048"}, {0xfb1, "unknown_4017"},
      {0x010, "unknown_016"},
  };
  for (auto const& c : cases) {
    EXPECT_EQ(csr_operand(c.number), c.operand);
    EXPECT_STREQ(csr_name(int(c.number)), "unknown-csr");
  }
  EXPECT_STREQ(csr_name(-1), "unknown-csr");
  EXPECT_STREQ(csr_name(0x1000), "unknown-csr");
  EXPECT_STREQ(csr_name(0x7fffffff), "unknown-csr");
}

TEST(csr_names, table_holds_477_distinct_names) {
  std::set<std::string> names;
  int named = 0;
  for (int csr = 0; csr <= 0xfff; ++csr) {
    std::string name = csr_name(csr);
    if (name == "unknown-csr") continue;
    ++named;
    names.insert(name);
    EXPECT_EQ(csr_operand(unsigned(csr)), name);
  }
  EXPECT_EQ(named, 477);
  EXPECT_EQ(names.size(), 477u);
}

}  // namespace
