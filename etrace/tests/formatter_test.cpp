// Output formatters: the "swt" line, the ingress records, the pconly and raw
// lines, and the user-supplied printf conversions behind the "swt" columns.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "disasm/disasm_insn.h"
#include "disasm/insn_ids.h"
#include "etrace/formatters/et_ingress_formatter.h"
#include "etrace/formatters/et_message_line.h"
#include "etrace/formatters/et_pconly_formatter.h"
#include "etrace/formatters/et_printf_format.h"
#include "etrace/formatters/et_raw_formatter.h"
#include "etrace/formatters/et_swt_formatter.h"
#include "etrace/records/et_text.h"
#include "support/heap_counter.h"  // this program's operator new: formatting must not allocate
#include "support/printf_reference.h"

using namespace insn_flag;

namespace {

et_reg_t reg(uint64_t addr, uint64_t data) { return et_reg_t{1, addr, 1, data}; }

// A committed machine-mode instruction with its disassembly filled in.
et_insn_t make_insn(uint64_t pc, uint64_t chunk, uint64_t flags, const char* text) {
  et_insn_t in{};
  in.pril = 3;
  in.committed = 1;
  in.pc = pc;
  in.chunk = chunk;
  in.flags = flags;
  in.disasm_known = 1;
  std::snprintf(in.disasm, sizeof in.disasm, "%s", text);
  return in;
}

std::string pad30(const std::string& s) {
  return s + std::string(s.size() < 30 ? 30 - s.size() : 0, ' ');
}

struct swt_switches_t {
  bool ts = false, uiid = false, cc = false, fr = false, profile = false;
  uint64_t xlen = 64, flen = 64, pa = 40;
};

std::string swt_line(const et_insn_t& in, swt_switches_t s = {}) {
  et_swt_formatter_t f(s.xlen, s.flen, s.pa, s.ts, s.uiid, s.cc, s.fr, s.profile, "10ld", "08lx",
                       "-30s");
  return f.format(in);
}

// ---------------------------------------------------------------- printf

// The conversion renders exactly what printf renders for the argument type
// that its length modifier names.
TEST(IntFormat, MatchesPrintf) {
  const char* specs[] = {"10ld",   "08lx",     "-12llu", "x",     "d",      "i",    "+d",
                         " d",     "#o",       "#x",     "#X",    "#.0o",   ".0d",  ".5d",
                         "08.3d",  "-08d",     "hhd",    "hu",    "hx",     "lo",   "20lX",
                         "+.28ld", "#31.28lx", "31lo",   "'ld",   "jd",     "zu",   "td",
                         "0lx",    "#lo",      ".29d",   ".30ld", "#.29lx", "+.30d"};
  const uint64_t values[] = {0,
                             1,
                             42,
                             0x7f,
                             0x80,
                             0xffff,
                             0x80000000,
                             0xffffffff,
                             0x123456789abcdef0,
                             0x8000000000000000,
                             ~uint64_t(0)};
  for (const char* spec : specs) {
    et_int_format_t f(spec);
    std::string printf_spec = std::string("%") + spec;
    for (uint64_t v : values) {
      char want[64], got[et_int_format_t::max_output + 1];
      std::string len(spec);
      // Hand printf the argument type it reads for this length modifier.
      if (len.find("hh") != std::string::npos || len.find('h') != std::string::npos ||
          len.find_first_of("ljzt") == std::string::npos)
        std::snprintf(want, sizeof want, printf_spec.c_str(), int(uint32_t(v)));
      else
        std::snprintf(want, sizeof want, printf_spec.c_str(), (long long)v);
      std::size_t n = f.format(got, v);
      ASSERT_LE(n, et_int_format_t::max_output);
      EXPECT_EQ(std::string(got, n), want) << "spec " << spec << " value " << v;
    }
  }
}

// Random texts from the characters of printf conversions: each is either
// refused or rendered exactly as printf renders it, within the bound.
TEST(IntFormat, RandomSpecsAreRefusedOrMatchPrintf) {
  const char alphabet[] = "-+ #0'123456789.hhlljztdiouxXsncp%*qL";
  unsigned seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7fff; };
  const uint64_t values[] = {0, 7, 0x80, 0xfffe, 0x80000000, 0x8000000000000000, ~uint64_t(0)};
  int accepted = 0;
  for (int k = 0; k < 20000; ++k) {
    std::string spec;
    for (unsigned n = 1 + next() % 7; n > 0; --n) spec += alphabet[next() % (sizeof alphabet - 1)];
    et_int_format_t f;
    try {
      f = et_int_format_t(spec);
    } catch (const std::invalid_argument&) {
      continue;
    }
    ++accepted;
    for (uint64_t v : values) {
      char got[et_int_format_t::max_output];
      const std::size_t n = f.format(got, v);
      ASSERT_LE(n, et_int_format_t::max_output) << spec;
      ASSERT_EQ(std::string(got, n), et_test::c_printf_integer(spec, v))
          << "spec '" << spec << "' value " << v;
    }
  }
  EXPECT_GT(accepted, 100);
}

TEST(IntFormat, RefusesAnythingButOneIntegerConversion) {
  const char* bad[] = {"",    "n",    "ln",     "s",    "10s",    "c", "f",  "lf",  "Lf",
                       "p",   "%d",   "d%d",    "ld%n", "10ld%s", " ", "*d", ".*d", "100d",
                       "32d", ".31d", "#.30lx", "hhhd", "lld%",   "%", "q",  "Ld"};
  for (const char* spec : bad) {
    EXPECT_THROW(et_int_format_t{spec}, std::invalid_argument) << "spec '" << spec << "'";
  }
  try {
    et_int_format_t f("ld%n");
    FAIL();
  } catch (const std::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find("ld%n"), std::string::npos) << e.what();
  }
}

// Literal text and "%%" around the one conversion, as sprintf writes them;
// what is not one integer conversion, or could outgrow the 31 characters of
// the column, is refused with the reason.
TEST(IntFormat, TextAroundTheConversion) {
  const struct {
    const char* spec;
    std::uint64_t value;
    const char* want;
  } accepted[] = {
      {"10ld", 42, "        42"},
      {"ld cycles", 42, "42 cycles"},
      {"d%%", 42, "42%"},
      {"ldx", 42, "42x"},
      {"ld ", 42, "42 "},
      {"ldl", 7, "7l"},
      {"%cycle %ld", 42, "%cycle 42"},
      {"% %05u %%", 42, "% 00042 %"},
      {"#x!", 42, "0x2a!"},
      {"-5d|", 42, "42   |"},
      {"08lx h", 0xabc, "00000abc h"},
      {"ld 3456789012", ~std::uint64_t(0) >> 1, "9223372036854775807 3456789012"},
      {"ld 3456789012", std::uint64_t(1) << 63, "-9223372036854775808 3456789012"},
      {"30d.", 5, "                             5."},
      {"x.......................", 0xffffffff, "ffffffff......................."},
  };
  for (const auto& c : accepted) {
    SCOPED_TRACE(c.spec);
    const et_int_format_t f(c.spec);
    char got[et_int_format_t::max_output];
    EXPECT_EQ(std::string(got, f.format(got, c.value)), c.want);
    for (std::uint64_t v : {std::uint64_t(0), c.value, ~std::uint64_t(0), std::uint64_t(1) << 63})
      EXPECT_EQ(std::string(got, f.format(got, v)), et_test::c_printf_integer(c.spec, v)) << v;
  }

  const struct {
    const char* spec;
    const char* why;
  } refused[] = {
      {"", "missing conversion"},
      {"%", "no conversion"},
      {"%d", "no conversion"},
      {"n", "%n is not allowed"},
      {"ld%n", "%n is not allowed"},
      {"ld %5n", "%n is not allowed"},
      {"s", "'s' is not a conversion"},
      {"d%d", "only one conversion"},
      {"10ld%s", "only one conversion"},
      {"ld%", "a lone '%' at the end"},
      {"d%y", "a lone '%' before 'y'"},
      {"ld 34567890123", "longer than 31 characters"},
      {"#lo 34567890", "longer than 31 characters"},
      {"x........................", "longer than 31 characters"},
      {"31d.", "longer than 31 characters"},
  };
  for (const auto& c : refused) {
    try {
      et_int_format_t f(c.spec);
      ADD_FAILURE() << "accepted '" << c.spec << "'";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find(std::string("'") + c.spec + "'"), std::string::npos)
          << e.what();
      EXPECT_NE(std::string(e.what()).find(c.why), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(et_int_format_t(std::string("ld\0x", 4)), std::invalid_argument);
}

TEST(StrFormat, PadsCutsAndRefuses) {
  struct {
    const char* spec;
    const char* text;
    const char* want;
  } cases[] = {
      {"-30s", "add", "add                           "},
      {"5s", "ab", "   ab"},
      {".2s", "abcdef", "ab"},
      {"-4.2s", "abcdef", "ab  "},
      {"s", "abc", "abc"},
  };
  for (const auto& c : cases) {
    char out[et_str_format_t::max_width + 100];
    std::size_t n = et_str_format_t(c.spec).format(out, c.text, std::strlen(c.text));
    EXPECT_EQ(std::string(out, n), c.want) << c.spec;
  }
  for (const char* spec : {"d", "-30", "30sx", "%s", "256s", "*s", "n", ""}) {
    EXPECT_THROW(et_str_format_t{spec}, std::invalid_argument) << spec;
  }
}

// ---------------------------------------------------------------- swt

TEST(SwtFormatter, PlainRegisterInstruction) {
  et_insn_t in = make_insn(0x80000000, 0x00c58533, RS1 | RS2 | RD, "add     a0, a1, a2");
  in.rs1 = reg(11, 0x10);
  in.rs2 = reg(12, 0x20);
  in.rd = reg(10, 0x30);
  EXPECT_EQ(swt_line(in), "Mc [80000000] " + pad30("add     a0, a1, a2") +
                              " RS1[0b]=0000000000000010 RS2[0c]=0000000000000020"
                              " RD[0a]=0000000000000030\n");
}

TEST(SwtFormatter, TimestampUiidAndChunkColumns) {
  et_insn_t in = make_insn(0x400000b4, 0x00000297, RD, "auipc   t0, 0x00000");
  in.rd = reg(5, 0x400000b4);
  in.commit_cycle = 42;
  in.uiid = 0x25;
  in.hart = 1;
  swt_switches_t s;
  s.ts = s.uiid = s.cc = true;
  EXPECT_EQ(swt_line(in, s), "<         42 > ( 00000025.1 ) Mc [400000b4] |00000297| " +
                                 pad30("auipc   t0, 0x00000") + " RD[05]=00000000400000b4\n");

  // 16-bit words show their low 16 bits in an 8-column field.
  et_insn_t c = make_insn(0x400000b8, 0xabcd4505, RD, "c.li    a0, 1");
  c.rd = reg(10, 1);
  c.pril = 0;
  s.ts = s.uiid = false;
  EXPECT_EQ(swt_line(c, s),
            "Uc [400000b8] |    4505| " + pad30("c.li    a0, 1") + " RD[0a]=0000000000000001\n");

  // A fused word has both low bits set: the whole 64-bit word is shown.
  et_insn_t fused = make_insn(0x1000, 0x8000000000001b9f, RD, "lui.addi");
  EXPECT_NE(swt_line(fused, s).find(" |8000000000001b9f| "), std::string::npos);
}

TEST(SwtFormatter, StoreShowsStoreDataAndAddresses) {
  et_insn_t in = make_insn(0x80000010, 0x00b52223, RS1 | RS2 | MEM | STORE, "sw      a1, 4(a0)");
  in.rs1 = reg(10, 0x80001000);
  in.rs2 = reg(11, 0x9999);  // register value is replaced by the store data
  in.sd_valid = 1;
  in.sd = 0x1234;
  in.ea_valid = 1;
  in.ea = 0x80001004;
  in.pa_valid = 1;
  in.pa = 0xff80001004;  // beyond 40 bits is cut by the mask
  in.pa |= uint64_t(1) << 44;
  EXPECT_EQ(swt_line(in), "Mc [80000010] " + pad30("sw      a1, 4(a0)") +
                              " RS1[0a]=0000000080001000 RS2[0b]=0000000000001234"
                              " EA=80001004 PA=ff80001004\n");
  in.ea_valid = in.pa_valid = in.sd_valid = 0;
  EXPECT_EQ(swt_line(in), "Mc [80000010] " + pad30("sw      a1, 4(a0)") +
                              " RS1[0a]=0000000080001000 RS2[0b]=????????????????"
                              " EA=???????????????? PA=??????????\n");
}

TEST(SwtFormatter, MissingHalvesRdX0AndUnknownWords) {
  et_insn_t in = make_insn(0x100, 0x00000013, RS1 | RD, "nop");  // rd field 0: no RD field
  in.rs1.data_valid = 1;
  in.rs1.data = 5;
  EXPECT_EQ(swt_line(in), "Mc [100] " + pad30("nop") + " RS1[??]=0000000000000005\n");

  et_insn_t unknown = make_insn(0x104, 0xffffffff, 0, "unknown");
  unknown.disasm_known = 0;
  EXPECT_EQ(swt_line(unknown), "Mc [104] " + pad30("unknown") + " CAUSE=????????????????\n");

  et_insn_t trapped = make_insn(0x108, 0x00002503, RS1 | RD | MEM, "lw      a0, 0(zero)");
  trapped.trap = 1;
  trapped.cause = 5;
  trapped.rs1 = reg(0, 0);
  EXPECT_EQ(swt_line(trapped), "Mc [108] " + pad30("lw      a0, 0(zero)") +
                                   " RS1[00]=0000000000000000 RD[??]=????????????????"
                                   " EA=???????????????? PA=?????????? CAUSE=0000000000000005\n");
}

TEST(SwtFormatter, InterruptLine) {
  et_insn_t in = make_insn(0x200, 0x00000013, RS1 | RD, "nop");
  in.interrupt = in.trap = 1;
  in.cause = 0x8000000000000007;
  in.trig = 1;
  swt_switches_t s;
  EXPECT_EQ(swt_line(in, s), "Mc [        ] " + pad30("intr") + " CAUSE=8000000000000007 TRIG=1\n");
  s.cc = true;
  s.xlen = 32;
  in.trap = 0;
  in.trig = 0;
  EXPECT_EQ(swt_line(in, s), "Mc [        ] |        | " + pad30("intr") + " CAUSE=????????\n");
}

TEST(SwtFormatter, RegisterPairsOn32BitCore) {
  et_insn_t in = make_insn(0x300, 0x00b50533, RS1 | RS1H | RD | RDH, "pair");
  in.rs1 = reg(10, 0x1111111122222222);
  in.rd = reg(10, 0x3333333344444444);
  swt_switches_t s;
  s.xlen = 32;
  EXPECT_EQ(swt_line(in, s), "Mc [300] " + pad30("pair") +
                                 " RS1H[0b]=11111111 RS1[0a]=22222222"
                                 " RDH[0b]=33333333 RD[0a]=44444444\n");
}

TEST(SwtFormatter, FloatingPointAndRsdFields) {
  et_insn_t in = make_insn(0x400, 0x00000043, FRS1 | FRS2 | FRS3 | FRD | RS3 | RSD, "fmadd");
  in.frs1 = reg(1, 0x3f800000);
  in.frs2 = reg(2, 0x40000000);
  in.frs3 = reg(3, 0x40400000);
  in.frd = reg(4, 0x40a00000);
  in.rs3 = reg(5, 6);
  in.rsd = reg(7, 8);
  swt_switches_t s;
  s.flen = 32;
  EXPECT_EQ(swt_line(in, s), "Mc [400] " + pad30("fmadd") +
                                 " FRS1[01]=3f800000 FRS2[02]=40000000 RS3[05]=0000000000000006"
                                 " FRS3[03]=40400000 RSD[07]=0000000000000008 FRD[04]=40a00000\n");
}

TEST(SwtFormatter, ProfileColumnsReplaceOperandFields) {
  et_insn_t in = make_insn(0x500, 0x00c58533, RS1 | RS2 | RD, "add");
  in.rs1 = reg(11, 1);
  in.issue_cycle = 105;  // column 5
  in.read_cycle = 7;     // column 7
  in.write_cycle = 209;  // column 9
  in.commit_cycle = 12;
  in.fr = 1;
  in.fr_cycle = 12;  // loses against "r" at the same column
  in.frcm = 1;
  std::string cols(100, '.');
  cols[5] = 'd';
  cols[7] = 'i';
  cols[9] = 'c';
  cols[12] = 'r';
  swt_switches_t s;
  s.profile = s.fr = true;
  EXPECT_EQ(swt_line(in, s), "Mc [500]\t\t\t" + cols + "   " + pad30("add") + " FRE0 FRCM\n");
}

TEST(SwtFormatter, RefusesBadConversionsAndWidths) {
  EXPECT_THROW(
      et_swt_formatter_t(64, 64, 40, true, true, false, false, false, "%n", "08lx", "-30s"),
      std::invalid_argument);
  EXPECT_THROW(et_swt_formatter_t(64, 64, 40, true, true, false, false, false, "10ld", "s", "-30s"),
               std::invalid_argument);
  EXPECT_THROW(et_swt_formatter_t(64, 64, 40, true, true, false, false, false, "10ld", "08lx", "d"),
               std::invalid_argument);
  EXPECT_THROW(
      et_swt_formatter_t(65, 64, 40, false, false, false, false, false, "10ld", "08lx", "-30s"),
      std::invalid_argument);
}

// ---------------------------------------------------------------- ingress

struct ingress_case_t {
  const char* what;
  unsigned long id;
  uint64_t r1, r2;
  uint64_t xlen;
  uint8_t itype;
};

TEST(IngressFormatter, InstructionTypes) {
  const ingress_case_t cases[] = {
      {"add", insn_id("add"), 0, 0, 64, 0},
      {"jalr", insn_id("jalr"), 0, 0, 64, 6},
      {"c.jr", insn_id("c_jr"), 0, 0, 64, 6},
      {"c.jalr", insn_id("c_jalr"), 0, 0, 64, 6},
      {"mret", insn_id("mret"), 0, 0, 64, 3},
      {"sret", insn_id("sret"), 0, 0, 64, 3},
      {"uret", insn_id("uret"), 0, 0, 64, 3},
      {"jal", insn_id("jal"), 0, 0, 64, 5},
      {"c.j", insn_id("c_j"), 0, 0, 64, 5},
      {"c.jal", insn_id("c_jal"), 0, 0, 64, 5},
      {"beq taken", insn_id("beq"), 3, 3, 64, 5},
      {"beq not taken", insn_id("beq"), 3, 4, 64, 4},
      {"bne taken", insn_id("bne"), 3, 4, 64, 5},
      {"bne not taken", insn_id("bne"), 3, 3, 64, 4},
      {"blt rv32 negative", insn_id("blt"), 0x80000000, 0, 32, 5},
      {"blt rv64 positive", insn_id("blt"), 0x80000000, 0, 64, 4},
      {"bge rv64", insn_id("bge"), ~uint64_t(0), 0, 64, 4},
      {"bge equal", insn_id("bge"), 7, 7, 64, 5},
      {"bltu", insn_id("bltu"), 1, ~uint64_t(0), 64, 5},
      {"bltu rv32 all 64 bits", insn_id("bltu"), 0x100000000, 1, 32, 4},
      {"bgeu", insn_id("bgeu"), 1, ~uint64_t(0), 64, 4},
      {"c.beqz", insn_id("c_beqz"), 0, 9, 64, 5},
      {"c.beqz not taken", insn_id("c_beqz"), 1, 0, 64, 4},
      {"c.bnez", insn_id("c_bnez"), 1, 0, 64, 5},
      {"unknown", ~0ul, 0, 0, 64, 0},
  };
  for (const auto& c : cases) {
    et_insn_t in = make_insn(0x1000, 0x33, 0, "");
    in.insn_id = c.id;
    in.rs1.data = c.r1;
    in.rs2.data = c.r2;
    et_ingress_formatter_t::ingress_op_t op;
    et_ingress_formatter_t(c.xlen).convert(op, in);
    EXPECT_EQ(op.itype, c.itype) << c.what;
  }
}

TEST(IngressFormatter, ShortRecordBytes) {
  et_insn_t in = make_insn(0x0123456789abcdef, 0x00c58533, RS1 | RS2 | RD, "add");
  in.insn_id = insn_id("add");
  in.hart = 0x0102;
  in.cause = 0x55;  // not a trap: no cause in the record
  std::ostringstream os;
  et_ingress_formatter_t(64).format(os, in);
  const unsigned char want[16] = {0x02, 0x01, 0,    3,    0,    0,    0,    2,
                                  0xef, 0xcd, 0xab, 0x89, 0x67, 0x45, 0x23, 0x01};
  EXPECT_EQ(os.str(), std::string(reinterpret_cast<const char*>(want), 16));

  in.chunk = 0x9532;  // c.add: retires as one half-size unit
  os.str("");
  et_ingress_formatter_t(64).format(os, in);
  ASSERT_EQ(os.str().size(), 16u);
  EXPECT_EQ(os.str()[7], 1);
}

TEST(IngressFormatter, TrapRecordsCarryTval) {
  struct {
    uint64_t cause;
    uint64_t tval;
  } cases[] = {{0, 0x2000},  {1, 0x2000}, {3, 0x2000}, {2, 0xdeadbeef}, {4, 0x5000},
               {5, 0x5000},  {6, 0x5000}, {7, 0x5000}, {12, 0x5000},    {13, 0x5000},
               {15, 0x5000}, {8, 0},      {9, 0},      {11, 0}};
  for (const auto& c : cases) {
    et_insn_t in = make_insn(0x2000, 0xdeadbeef, 0, "");
    in.trap = 1;
    in.cause = c.cause;
    in.ea = 0x5000;
    std::ostringstream os;
    et_ingress_formatter_t(64).format(os, in);
    const std::string rec = os.str();
    ASSERT_EQ(rec.size(), 24u) << c.cause;
    EXPECT_EQ(rec[2], 1);
    EXPECT_EQ(uint8_t(rec[4]), c.cause);
    uint64_t tval;
    std::memcpy(&tval, rec.data() + 16, 8);
    EXPECT_EQ(tval, c.tval) << "cause " << c.cause;
  }
  for (uint64_t cause : {10, 14, 16, 63}) {
    et_insn_t in = make_insn(0x2000, 0x13, 0, "");
    in.trap = 1;
    in.cause = cause;
    std::ostringstream os;
    EXPECT_THROW(et_ingress_formatter_t(64).format(os, in), std::runtime_error) << cause;
    EXPECT_TRUE(os.str().empty());
  }
}

TEST(IngressFormatter, InterruptRecord) {
  et_insn_t in = make_insn(0x3000, 0x13, 0, "");
  in.interrupt = in.trap = 1;
  in.cause = 0x8000000000000007;
  et_ingress_formatter_t::ingress_op_t op;
  et_ingress_formatter_t(64).convert(op, in);
  EXPECT_EQ(op.itype, 2);
  EXPECT_EQ(op.cause, 7);
  EXPECT_EQ(op.tval, 0u);
  EXPECT_EQ(et_ingress_formatter_t::record_size(op), 24u);
}

// ---------------------------------------------------------------- pconly, raw

TEST(PcOnlyFormatter, UpperCaseHexLines) {
  std::ostringstream os;
  et_pconly_formatter_t f;
  f.format(os, make_insn(0x80000abc, 0x13, 0, ""));
  f.format(os, make_insn(0x0, 0x13, 0, ""));
  EXPECT_EQ(os.str(), "80000ABC\n0\n");
  EXPECT_TRUE(os.flags() & std::ios::uppercase);
}

TEST(RawFormatter, RecordTextLines) {
  et_insn_t in = make_insn(0x80000000, 0x13, 0, "");
  in.uiid = 12;
  in.insn_id = 8;
  std::ostringstream os;
  et_raw_formatter_t f;
  f.format(os, in);
  f.format(os, in);
  const std::string line = in.to_string() + "\n";
  EXPECT_EQ(os.str(), line + line);
  EXPECT_EQ(line.rfind("(      12.0) Mc [0000000080000000]  (008) |0000000000000013|", 0), 0u);
}

TEST(Formatters, OpenModes) {
  EXPECT_EQ(
      et_swt_formatter_t(64, 64, 40, false, false, false, false, false, "10ld", "08lx", "-30s")
          .get_openmode(),
      std::ios::out);
  EXPECT_EQ(et_ingress_formatter_t(64).get_openmode(), std::ios::openmode());
  EXPECT_EQ(et_pconly_formatter_t().get_openmode(), std::ios::openmode());
  EXPECT_EQ(et_raw_formatter_t().get_openmode(), std::ios::openmode());
}

// ---------------------------------------------------------------- hex digits

// The hexadecimal writers behind every column are printf's "%0*llx" (lower
// case) and, for pconly, "%llX"; every nibble value in every position.
TEST(HexDigits, MatchPrintf) {
  const uint64_t values[] = {0,
                             1,
                             0xf,
                             0x10,
                             0xab,
                             0x1234,
                             0xdeadbeef,
                             0x80000000,
                             0xffffffff,
                             0x100000000,
                             0x0123456789abcdef,
                             0xfedcba9876543210,
                             0x8000000000000000,
                             ~uint64_t(0)};
  et_pconly_formatter_t pconly;
  for (uint64_t v : values) {
    for (unsigned digits : {1u, 2u, 4u, 7u, 8u, 9u, 15u, 16u, 17u, 20u}) {
      char want[64], got[64];
      std::snprintf(want, sizeof want, "%0*llx", int(digits), (unsigned long long)v);
      const std::size_t n = std::size_t(et_text::put_hex(got, v, digits) - got);
      EXPECT_EQ(std::string(got, n), want) << v << " " << digits;
    }
    char want[32], got[et_buffered_formatter_t::max_record];
    std::snprintf(want, sizeof want, "%llX\n", (unsigned long long)v);
    et_insn_t in = make_insn(v, 0x13, 0, "");
    EXPECT_EQ(std::string(got, pconly.build_record(got, in)), want);
  }
}

// ---------------------------------------------------------------- interface

// The four formats as the formatter program makes them, the "swt" one with
// every column that can be switched on together.
struct all_formats_t {
  et_swt_formatter_t swt{64, 64, 40, true, true, true, true, false, "10ld", "08lx", "-30s"};
  et_swt_formatter_t profile{32, 32, 34, false, false, false, true, true, "10ld", "08lx", "-30s"};
  et_ingress_formatter_t ingress{64};
  et_pconly_formatter_t pconly;
  et_raw_formatter_t raw;
  et_buffered_formatter_t* all[5] = {&swt, &profile, &ingress, &pconly, &raw};
};

// Records that take the formats' different branches: registers, a store,
// a compressed and a fused word, a trap and an interrupt.
std::vector<et_insn_t> interface_records() {
  std::vector<et_insn_t> records;
  et_insn_t add = make_insn(0x80000000, 0x00c58533, RS1 | RS2 | RD, "add     a0, a1, a2");
  add.insn_id = insn_id("add");
  add.rs1 = reg(11, 0x10);
  add.rs2 = reg(12, 0x20);
  add.rd = reg(10, 0x30);
  add.commit_cycle = 1234567;
  add.uiid = 0x99;
  records.push_back(add);
  et_insn_t store = make_insn(0x80000010, 0x00b52223, RS1 | RS2 | MEM | STORE, "sw      a1, 4(a0)");
  store.insn_id = insn_id("sw");
  store.rs1 = reg(10, 0x80001000);
  store.sd_valid = store.ea_valid = store.pa_valid = 1;
  store.sd = 0x1234;
  store.ea = store.pa = 0x80001004;
  records.push_back(store);
  et_insn_t branch = make_insn(0xabc, 0xc119, RS1, "c.beqz  a0, 8");
  branch.insn_id = insn_id("c_beqz");
  records.push_back(branch);
  et_insn_t fused = make_insn(0x1000, 0x8000000000001b9f, RD, "lui.addi");
  fused.hart = 3;
  records.push_back(fused);
  et_insn_t trap = make_insn(0x2000, 0x00002503, RS1 | RD | MEM, "lw      a0, 0(zero)");
  trap.trap = 1;
  trap.cause = 5;
  trap.ea = 0x10;
  records.push_back(trap);
  et_insn_t intr = make_insn(0x3000, 0x13, 0, "nop");
  intr.interrupt = intr.trap = 1;
  intr.cause = 0x8000000000000007;
  records.push_back(intr);
  et_insn_t zero_pc = make_insn(0, 0x13, 0, "nop");
  zero_pc.pril = 1;
  records.push_back(zero_pc);
  return records;
}

// A stream buffer that counts its flushes.
class counting_buffer_t : public std::stringbuf {
public:
  int syncs = 0;

protected:
  int sync() override {
    ++syncs;
    return std::stringbuf::sync();
  }
};

// The buffer form, the stream form and the string form give the same bytes;
// only pconly and raw flush, once per record.
TEST(FormatterInterface, BufferStreamAndStringFormsAgree) {
  all_formats_t formats;
  const std::vector<et_insn_t> records = interface_records();
  for (et_buffered_formatter_t* f : formats.all) {
    counting_buffer_t stream_bytes;
    std::ostream os(&stream_bytes);
    std::string built;
    for (const et_insn_t& in : records) {
      char record[et_buffered_formatter_t::max_record];
      const std::size_t n = f->build_record(record, in);
      ASSERT_GT(n, 0u);
      ASSERT_LE(n, et_buffered_formatter_t::max_record);
      built.append(record, n);
      f->format(os, in);
      EXPECT_EQ(f->record_text(in), std::string(record, n));
    }
    EXPECT_TRUE(os.good());
    EXPECT_EQ(stream_bytes.str(), built);
    EXPECT_EQ(stream_bytes.syncs, f->flushes_every_record() ? int(records.size()) : 0);
  }
  EXPECT_FALSE(formats.swt.flushes_every_record());
  EXPECT_FALSE(formats.ingress.flushes_every_record());
  EXPECT_TRUE(formats.pconly.flushes_every_record());
  EXPECT_TRUE(formats.raw.flushes_every_record());
  EXPECT_EQ(formats.swt.format(records[0]), formats.swt.record_text(records[0]));
}

// A record that the format refuses leaves the stream untouched; a stream
// that has failed takes nothing more and stays failed.
TEST(FormatterInterface, RefusedRecordsAndFailedStreams) {
  et_insn_t refused = make_insn(0x2000, 0x13, 0, "");
  refused.trap = 1;
  refused.cause = 10;
  std::ostringstream os;
  EXPECT_THROW(et_ingress_formatter_t(64).format(os, refused), std::runtime_error);
  EXPECT_TRUE(os.str().empty());
  EXPECT_TRUE(os.good());

  all_formats_t formats;
  for (et_base_formatter_t* f : formats.all) {
    std::ostringstream failed;
    failed.setstate(std::ios::failbit);
    f->format(failed, interface_records()[0]);
    EXPECT_TRUE(failed.str().empty());
    EXPECT_TRUE(failed.bad());
  }
}

// Message lines: an optional time-stamp column in the user's conversion at
// the message's cycle, the kind's tag and the message text.
TEST(FormatterInterface, MessageLines) {
  et_object_t rvt{};
  rvt.kind = et_object_t::KIND_RVT;
  rvt.rvt.cycle = 42;
  rvt.rvt.data = 0xdeadbeef;
  et_object_t l2t{};
  l2t.kind = et_object_t::KIND_L2T;
  l2t.l2t.letter = 0x44;  // URL
  l2t.l2t.rl.id = 5;
  l2t.l2t.cycle = 7;
  et_object_t dct{};
  dct.kind = et_object_t::KIND_DCT;
  dct.dct.letter = 'R';  // WUP
  dct.dct.wup.gv = 1;
  dct.dct.cycle = 0x2d;

  const et_timestamp_column_t stamp(true, "#x");
  const et_timestamp_column_t hidden(false, "#x");
  const et_timestamp_column_t none;
  const std::string want =
      "< 0x2a > RVT D=00000000deadbeef\n"
      "< 0x7 > L2T " +
      l2t.l2t.to_string() +
      "\n"
      "< 0x2d > DCT " +
      dct.dct.to_string() + "\n";
  const std::string want_plain =
      "RVT D=00000000deadbeef\nL2T " + l2t.l2t.to_string() + "\nDCT " + dct.dct.to_string() + "\n";
  const std::pair<const et_timestamp_column_t*, const std::string*> cases[] = {
      {&stamp, &want}, {&hidden, &want_plain}, {&none, &want_plain}};
  for (const auto& [column, expected] : cases) {
    std::string lines;
    for (const et_object_t* m : {&rvt, &l2t, &dct}) append_message_line(lines, *column, *m);
    EXPECT_EQ(lines, *expected);
  }

  et_object_t insn{};
  insn.kind = et_object_t::KIND_INSN;
  std::string line;
  EXPECT_THROW(append_message_line(line, stamp, insn), std::logic_error);
}

// The interface holds nothing but its operations, so a format of one's own
// overrides format() alone (or with get_openmode()) and is used through it.
class pc_words_formatter_t : public et_base_formatter_t {
public:
  void format(std::ostream& os, const et_insn_t& insn) override { os << "pc " << insn.pc << ';'; }
};
static_assert(sizeof(et_base_formatter_t) == sizeof(void*), "the interface has no data");

TEST(FormatterInterface, AFormatOfOnesOwn) {
  pc_words_formatter_t words;
  et_base_formatter_t& f = words;
  std::ostringstream os;
  f.format(os, make_insn(12, 0x13, 0, ""));
  f.format(os, make_insn(34, 0x13, 0, ""));
  EXPECT_EQ(os.str(), "pc 12;pc 34;");
  EXPECT_EQ(f.get_openmode(), std::ios::openmode());
}

// The message time stamp and the "swt" column are one column.
TEST(FormatterInterface, TimestampColumn) {
  char out[et_timestamp_column_t::max_size];
  const et_timestamp_column_t none;
  EXPECT_EQ(none.put(out, 5), out);
  const et_timestamp_column_t hidden(false, "10ld");
  EXPECT_EQ(hidden.put(out, 5), out);
  const et_timestamp_column_t shown(true, "10ld");
  EXPECT_EQ(std::string(out, shown.put(out, 42)), "<         42 > ");
  EXPECT_EQ(std::string(out, shown.put(out, ~std::uint64_t(0))), "<         -1 > ");
  EXPECT_THROW(et_timestamp_column_t(false, "%n"), std::invalid_argument);

  et_insn_t in = make_insn(0x100, 0x13, 0, "nop");
  in.commit_cycle = 42;
  swt_switches_t s;
  s.ts = true;
  EXPECT_EQ(swt_line(in, s).rfind("<         42 > Mc", 0), 0u);
}

// ---------------------------------------------------------------- hot path

// An output stream over a fixed array: it never allocates.
class fixed_buffer_t : public std::streambuf {
public:
  fixed_buffer_t() { reset(); }
  void reset() { setp(data_, data_ + sizeof data_); }

private:
  char data_[1 << 16];
};

TEST(Formatters, FormattingARecordDoesNotAllocate) {
  et_insn_t in = make_insn(0x80000000, 0x00b52223, RS1 | RS2 | MEM | STORE, "sw      a1, 4(a0)");
  in.rs1 = reg(10, 0x80001000);
  in.rs2 = reg(11, 0x9999);
  in.ea_valid = in.pa_valid = in.sd_valid = 1;
  et_swt_formatter_t swt(64, 64, 40, true, true, true, true, false, "10ld", "08lx", "-30s");
  et_swt_formatter_t profile(64, 64, 40, true, true, true, true, true, "10ld", "08lx", "-30s");
  et_ingress_formatter_t ingress(64);
  et_pconly_formatter_t pconly;
  et_raw_formatter_t raw;
  et_base_formatter_t* formatters[] = {&swt, &profile, &ingress, &pconly, &raw};
  fixed_buffer_t buffer;
  std::ostream os(&buffer);
  for (et_base_formatter_t* f : formatters) {
    f->format(os, in);  // the raw formatter sizes its line buffer once
    buffer.reset();
    const uint64_t before = et_test::heap_allocations;
    for (int i = 0; i < 100; ++i) {
      in.commit_cycle = 1000 + i;
      f->format(os, in);
      buffer.reset();
    }
    EXPECT_EQ(et_test::heap_allocations - before, 0u);
    EXPECT_TRUE(os.good());
  }
}

}  // namespace
