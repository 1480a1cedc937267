#include "disasm/isa_parser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

// Every code a parser reports as enabled, letters as their upper-case codes.
std::set<unsigned> enabled_codes(const isa_parser_i& isa) {
  std::set<unsigned> codes;
  for (unsigned code = 0; code < 256; ++code)
    if (isa.extension_enabled(static_cast<isa_extension_t>(code))) codes.insert(code);
  return codes;
}

// zicntr and zihpm come with every ISA string.
constexpr unsigned zicntr = 135, zihpm = 137;

struct accepted_case_t {
  const char* isa;
  const char* priv;
  uint32_t xlen;
  std::set<unsigned> codes;  // the complete enabled set, defaults included
  uint64_t vlen = 0;
  uint64_t elen = 0;
};

std::ostream& operator<<(std::ostream& os, const accepted_case_t& c) {
  return os << "isa '" << c.isa << "' priv '" << c.priv << "'";
}

class isa_parser_accepts : public ::testing::TestWithParam<accepted_case_t> {};

TEST_P(isa_parser_accepts, enables_exactly_the_expected_extensions) {
  const accepted_case_t& c = GetParam();
  isa_parser_t parser;
  ASSERT_TRUE(parser.init(c.isa, c.priv));
  EXPECT_EQ(parser.get_max_xlen(), c.xlen);
  std::set<unsigned> expected = c.codes;
  expected.insert({zicntr, zihpm});
  EXPECT_EQ(enabled_codes(parser), expected);
  EXPECT_EQ(parser.get_vlen(), c.vlen);
  EXPECT_EQ(parser.get_elen(), c.elen);
  EXPECT_EQ(parser.has_any_vector(), c.vlen != 0);

  // The misa-style word carries the base width and exactly the letters.
  uint64_t misa = c.xlen == 32 ? 0x40000000ull : 0x8000000000000000ull;
  for (unsigned code : expected)
    if (code >= 'A' && code <= 'Z') misa |= uint64_t{1} << (code - 'A');
  EXPECT_EQ(parser.get_max_isa(), misa);
}

INSTANTIATE_TEST_SUITE_P(
    isa_strings, isa_parser_accepts,
    ::testing::Values(
        // g expands to imafd; C brings zca and, with D, zcd; A brings zaamo/zalrsc.
        accepted_case_t{"RV64GC",
                        "",
                        64,
                        {'I', 'M', 'A', 'F', 'D', 'C', EXT_ZCA, EXT_ZCD, EXT_ZAAMO, EXT_ZALRSC}},
        // On RV32 C with F brings zcf.
        accepted_case_t{"rv32imafc",
                        "",
                        32,
                        {'I', 'M', 'A', 'F', 'C', EXT_ZCA, EXT_ZCF, EXT_ZAAMO, EXT_ZALRSC}},
        accepted_case_t{
            "rv32imafc_zcmp",
            "",
            32,
            {'I', 'M', 'A', 'F', 'C', EXT_ZCA, EXT_ZCF, EXT_ZAAMO, EXT_ZALRSC, EXT_ZCMP}},
        accepted_case_t{"rv32ic", "", 32, {'I', 'C', EXT_ZCA}},
        accepted_case_t{"rv64e", "", 64, {'E'}},
        // A letter may repeat while the order cursor is on it.
        accepted_case_t{"rv64imm", "", 64, {'I', 'M'}},
        // A version and the "_" after a letter are skipped.
        accepted_case_t{"rv64im2p0_a", "", 64, {'I', 'M', 'A', EXT_ZAAMO, EXT_ZALRSC}},
        accepted_case_t{"rv64im_a1", "", 64, {'I', 'M', 'A', EXT_ZAAMO, EXT_ZALRSC}},
        // A trailing "_" ends the text.
        accepted_case_t{"rv64i_", "", 64, {'I'}}, accepted_case_t{"rv64im_", "", 64, {'I', 'M'}},
        accepted_case_t{"rv64i_zba_", "", 64, {'I', EXT_ZBA}},
        accepted_case_t{"rv64iq", "", 64, {'I', 'Q', 'D', 'F'}},
        accepted_case_t{
            "rv64ip", "", 64, {'I', 'P', EXT_ZMMUL, EXT_ZBPBO, EXT_ZPN, EXT_ZPSFOPERAND}},
        accepted_case_t{"rv32i_zbpbo_zpn_zmmul", "", 32, {'I', EXT_ZBPBO, EXT_ZPN, EXT_ZMMUL}},
        // The Zpn conflict with zvkg and friends exists only on RV64.
        accepted_case_t{"rv32ip_zvkg",
                        "",
                        32,
                        {'I', 'P', EXT_ZMMUL, EXT_ZBPBO, EXT_ZPN, EXT_ZPSFOPERAND, EXT_ZVKG}},
        accepted_case_t{"rv64ib", "", 64, {'I', 'B', EXT_ZBA, EXT_ZBB, EXT_ZBS}},
        accepted_case_t{"rv64i_zba_zbb_zbs", "", 64, {'I', 'B', EXT_ZBA, EXT_ZBB, EXT_ZBS}},
        accepted_case_t{"rv64i_zba_zbb", "", 64, {'I', EXT_ZBA, EXT_ZBB}},
        accepted_case_t{"rv64i_zaamo_zalrsc", "", 64, {'I', 'A', EXT_ZAAMO, EXT_ZALRSC}},
        accepted_case_t{"rv64i_zalrsc_zawrs", "", 64, {'I', EXT_ZALRSC, EXT_ZAWRS}},
        accepted_case_t{"rv64i_zaamo_zacas_zabha", "", 64, {'I', EXT_ZAAMO, EXT_ZACAS, EXT_ZABHA}},
        // Letters and names may follow one another without "_".
        accepted_case_t{"rv64imzba", "", 64, {'I', 'M', EXT_ZBA}},
        accepted_case_t{
            "rv64i_zicsr_zifencei_zihintpause_zihintntl_zkt_zicbop_zvkt", "", 64, {'I'}},
        accepted_case_t{
            "rv64if_zfh", "", 64, {'I', 'F', EXT_ZFH, EXT_ZFHMIN, EXT_HALF_FP_TRANSFER}},
        accepted_case_t{"rv64if_zfhmin", "", 64, {'I', 'F', EXT_ZFHMIN, EXT_HALF_FP_TRANSFER}},
        accepted_case_t{"rv64if_zfbfmin", "", 64, {'I', 'F', EXT_ZFBFMIN, EXT_HALF_FP_TRANSFER}},
        accepted_case_t{
            "rv32if_zce", "", 32, {'I', 'F', EXT_ZCA, EXT_ZCB, EXT_ZCMP, EXT_ZCMT, EXT_ZCF}},
        accepted_case_t{"rv64if_zce", "", 64, {'I', 'F', EXT_ZCA, EXT_ZCB, EXT_ZCMP, EXT_ZCMT}},
        accepted_case_t{"rv32i_zce", "", 32, {'I', EXT_ZCA, EXT_ZCB, EXT_ZCMP, EXT_ZCMT}},
        accepted_case_t{"rv32i_zca_zilsd_zcmlsd", "", 32, {'I', EXT_ZCA, EXT_ZILSD, EXT_ZCMLSD}},
        accepted_case_t{"rv64i_zdinx", "", 64, {'I', EXT_ZDINX, EXT_ZFINX}},
        accepted_case_t{"rv64i_zhinx", "", 64, {'I', EXT_ZFINX, EXT_ZHINX, EXT_ZHINXMIN}},
        accepted_case_t{"rv64i_zhinxmin", "", 64, {'I', EXT_ZFINX, EXT_ZHINXMIN}},
        accepted_case_t{"rv64i_zk",
                        "",
                        64,
                        {'I', EXT_ZBKB, EXT_ZBKC, EXT_ZBKX, EXT_ZKND, EXT_ZKNE, EXT_ZKNH, EXT_ZKR}},
        accepted_case_t{
            "rv64i_zkn", "", 64, {'I', EXT_ZBKB, EXT_ZBKC, EXT_ZBKX, EXT_ZKND, EXT_ZKNE, EXT_ZKNH}},
        accepted_case_t{
            "rv64i_zks", "", 64, {'I', EXT_ZBKB, EXT_ZBKC, EXT_ZBKX, EXT_ZKSED, EXT_ZKSH}},
        accepted_case_t{"rv64i_zvkn", "", 64, {'I', EXT_ZVBB, EXT_ZVKNED, EXT_ZVKNHB}},
        accepted_case_t{"rv64i_zvknc", "", 64, {'I', EXT_ZVBB, EXT_ZVBC, EXT_ZVKNED, EXT_ZVKNHB}},
        accepted_case_t{"rv64i_zvkng", "", 64, {'I', EXT_ZVBB, EXT_ZVKG, EXT_ZVKNED, EXT_ZVKNHB}},
        accepted_case_t{"rv64i_zvks", "", 64, {'I', EXT_ZVBB, EXT_ZVKSED, EXT_ZVKSH}},
        accepted_case_t{"rv64i_zvksc", "", 64, {'I', EXT_ZVBB, EXT_ZVBC, EXT_ZVKSED, EXT_ZVKSH}},
        accepted_case_t{"rv64i_zvksg", "", 64, {'I', EXT_ZVBB, EXT_ZVKG, EXT_ZVKSED, EXT_ZVKSH}},
        accepted_case_t{"rv64i_smaia", "", 64, {'I', EXT_SMAIA, EXT_SMCSRIND, EXT_SSCSRIND}},
        accepted_case_t{"rv64i_ssaia", "", 64, {'I', EXT_SSAIA, EXT_SSCSRIND}},
        accepted_case_t{"rv64i_zimop_zicfiss", "", 64, {'I', EXT_ZIMOP, EXT_ZICFISS}},
        accepted_case_t{"rv64ic_zimop_zcmop_zicfiss",
                        "",
                        64,
                        {'I', 'C', EXT_ZCA, EXT_ZIMOP, EXT_ZCMOP, EXT_ZICFISS}},
        accepted_case_t{"rv64i_xkgostk", "", 64, {'I', 'X', EXT_XKGOSTK}},
        accepted_case_t{"rv64i_xkgostm_xkgosts", "", 64, {'I', 'X', EXT_XKGOSTM, EXT_XKGOSTS}},
        // Vector configurations.
        accepted_case_t{
            "rv64gcv",
            "",
            64,
            {'I', 'M', 'A', 'F', 'D', 'C', 'V', EXT_ZCA, EXT_ZCD, EXT_ZAAMO, EXT_ZALRSC},
            128,
            64},
        accepted_case_t{"rv64gc_zvl256b_zve64d",
                        "",
                        64,
                        {'I', 'M', 'A', 'F', 'D', 'C', EXT_ZCA, EXT_ZCD, EXT_ZAAMO, EXT_ZALRSC},
                        256,
                        64},
        // The larger of several zvl / zve values wins.
        accepted_case_t{"rv64i_zvl512b_zvl64b_zve64x_zve32x", "", 64, {'I'}, 512, 64},
        accepted_case_t{"rv64i_zve32x_zvl32b", "", 64, {'I'}, 32, 32},
        accepted_case_t{"rv64i_zvl4096b_zve64x", "", 64, {'I'}, 4096, 64},
        accepted_case_t{"rv64if_zvl64b_zve32f_zvfhmin", "", 64, {'I', 'F', EXT_ZVFHMIN}, 64, 32},
        accepted_case_t{"rv64gv_zvfh",
                        "",
                        64,
                        {'I', 'M', 'A', 'F', 'D', 'V', EXT_ZAAMO, EXT_ZALRSC, EXT_ZVFH, EXT_ZVFHMIN,
                         EXT_ZFHMIN, EXT_HALF_FP_TRANSFER},
                        128,
                        64},
        accepted_case_t{"rv64gv_zvfbfmin_zvfbfwma",
                        "",
                        64,
                        {'I', 'M', 'A', 'F', 'D', 'V', EXT_ZAAMO, EXT_ZALRSC, EXT_ZVFBFMIN,
                         EXT_ZVFBFWMA, EXT_HALF_FP_TRANSFER},
                        128,
                        64},
        // Privilege modes: only u and s count, in any case.
        accepted_case_t{"rv64i", "MSU", 64, {'I', 'S', 'U'}},
        accepted_case_t{"rv64i", "mu", 64, {'I', 'U'}}, accepted_case_t{"rv64i", "M", 64, {'I'}},
        accepted_case_t{"rv64imafdh",
                        "msu",
                        64,
                        {'I', 'M', 'A', 'F', 'D', 'H', 'S', 'U', EXT_ZAAMO, EXT_ZALRSC}}));

// Each name of the extension-code table enables the code the table gives it.
struct named_code_t {
  const char* isa;  // a base that satisfies the name's dependencies, then the name
  unsigned code;
};

TEST(isa_parser, every_table_name_enables_its_code) {
  const named_code_t cases[] = {
      {"rv64if_zfh", 91},       {"rv64if_zfhmin", 92},
      {"rv64i_zba", 93},        {"rv64i_zbb", 94},
      {"rv64i_zbc", 95},        {"rv64i_zbs", 96},
      {"rv64i_zbkb", 97},       {"rv64i_zbkc", 98},
      {"rv64i_zbkx", 99},       {"rv64i_zca", 100},
      {"rv64i_zca_zcb", 101},   {"rv64ifd_zca_zcd", 102},
      {"rv32if_zca_zcf", 103},  {"rv32i_zca_zilsd_zcmlsd", 104},
      {"rv64i_zca_zcmp", 105},  {"rv64i_zca_zcmt", 106},
      {"rv64i_zknd", 107},      {"rv64i_zkne", 108},
      {"rv64i_zknh", 109},      {"rv64i_zksed", 110},
      {"rv64i_zksh", 111},      {"rv64i_zkr", 112},
      {"rv64i_zmmul", 113},     {"rv64ip", 114},
      {"rv64ip", 115},          {"rv64ip_zpsfoperand", 116},
      {"rv64gv_zvfh", 117},     {"rv64gv_zvfhmin", 118},
      {"rv64i_smepmp", 119},    {"rv64i_smstateen", 120},
      {"rv64i_smrnmi", 121},    {"rv64i_sscofpmf", 122},
      {"rv64i_svadu", 123},     {"rv64i_svnapot", 124},
      {"rv64i_svpbmt", 125},    {"rv64i_svinval", 126},
      {"rv64i_zdinx", 127},     {"rv64i_zfa", 128},
      {"rv64if_zfbfmin", 129},  {"rv64i_zfinx", 130},
      {"rv64i_zhinx", 131},     {"rv64i_zhinxmin", 132},
      {"rv64i_zicbom", 133},    {"rv64i_zicboz", 134},
      {"rv64i_zicntr", 135},    {"rv64i_zicond", 136},
      {"rv64i_zihpm", 137},     {"rv32i_zilsd", 138},
      {"rv64i_zvbb", 139},      {"rv64i_zvbc", 140},
      {"rv64gv_zvfbfmin", 141}, {"rv64gv_zvfbfwma", 142},
      {"rv64i_xkgostk", 143},   {"rv64i_xkgostm", 144},
      {"rv64i_xkgosts", 145},   {"rv64i_zvkg", 146},
      {"rv64i_zvkned", 147},    {"rv64i_zvknha", 148},
      {"rv64i_zvknhb", 149},    {"rv64i_zvksed", 150},
      {"rv64i_zvksh", 151},     {"rv64i_sstc", 160},
      {"rv64i_zaamo", 161},     {"rv64i_zalrsc", 162},
      {"rv64ia_zacas", 163},    {"rv64ia_zabha", 164},
      {"rv64ia_zawrs", 165},    {"rv64i_smcsrind", 167},
      {"rv64i_sscsrind", 168},  {"rv64i_smcntrpmf", 169},
      {"rv64i_zimop", 170},     {"rv64i_zcmop", 171},
      {"rv64i_zalasr", 172},    {"rv64i_ssqosid", 173},
      {"rv64i_zicfilp", 174},   {"rv64i_zimop_zicfiss", 175},
      {"rv64i_ssdbltrp", 176},  {"rv64i_smmpm", 177},
      {"rv64i_smnpm", 178},     {"rv64i_ssnpm", 179},
      {"rv64i_smaia", 180},     {"rv64i_ssaia", 181},
  };
  for (const named_code_t& c : cases) {
    isa_parser_t parser;
    parser.init(c.isa, "");
    EXPECT_TRUE(parser.extension_enabled(static_cast<isa_extension_t>(c.code)))
        << c.isa << " code " << c.code;
  }
  // The named codes of the header keep the values every table gate relies on.
  EXPECT_EQ(EXT_ZFH, 91u);
  EXPECT_EQ(EXT_ZCA, 100u);
  EXPECT_EQ(EXT_XKGOSTK, 143u);
  EXPECT_EQ(EXT_ZVKSH, 151u);
  EXPECT_EQ(EXT_SSTC, 160u);
  EXPECT_EQ(EXT_HALF_FP_TRANSFER, 166u);
  EXPECT_EQ(EXT_SSAIA, 181u);
}

TEST(isa_parser, keeps_the_lower_cased_expanded_text) {
  isa_parser_t parser;
  parser.init("RV64GC_Zba", "");
  EXPECT_EQ(parser.get_isa_string(), "rv64imafdc_zba");
}

TEST(isa_parser, letter_and_code_queries_agree) {
  isa_parser_t parser;
  parser.init("rv64imc", "");
  EXPECT_TRUE(parser.extension_enabled('M'));
  EXPECT_TRUE(parser.extension_enabled(static_cast<isa_extension_t>('M')));
  EXPECT_FALSE(parser.extension_enabled('F'));
  EXPECT_TRUE(parser.extension_enabled(EXT_ZCA));
  // Codes beyond the set are simply not enabled.
  EXPECT_FALSE(parser.extension_enabled(static_cast<isa_extension_t>(200)));
}

TEST(isa_parser, an_unparsed_parser_enables_nothing) {
  isa_parser_t parser;
  EXPECT_TRUE(enabled_codes(parser).empty());
  EXPECT_FALSE(parser.has_any_vector());
}

TEST(enable_all_exts, answers_yes_to_everything) {
  enable_all_exts all(32);
  EXPECT_EQ(all.get_max_xlen(), 32u);
  EXPECT_TRUE(all.has_any_vector());
  for (unsigned char letter = 'A'; letter <= 'Z'; ++letter)
    EXPECT_TRUE(all.extension_enabled(letter));
  for (unsigned code = 0; code < 192; ++code)
    EXPECT_TRUE(all.extension_enabled(static_cast<isa_extension_t>(code))) << code;
  EXPECT_EQ(enable_all_exts(64).get_max_xlen(), 64u);
}

// Errors: one line on standard error, then the process ends with a failure.
struct rejected_case_t {
  const char* isa;
  const char* priv;
  const char* message;
};

std::ostream& operator<<(std::ostream& os, const rejected_case_t& c) {
  return os << "isa '" << c.isa << "' priv '" << c.priv << "'";
}

class isa_parser_rejects : public ::testing::TestWithParam<rejected_case_t> {};

TEST_P(isa_parser_rejects, prints_the_rule_message_and_exits) {
  const rejected_case_t& c = GetParam();
  std::string const line =
      std::string("error: bad --isa option '") + c.isa + "'. " + c.message + "\n";
  EXPECT_EXIT(
      {
        isa_parser_t parser;
        parser.init(c.isa, c.priv);
      },
      ::testing::ExitedWithCode(EXIT_FAILURE), ::testing::Eq(line));
}

// A handler that throws the line lets the caller carry on; taking it away
// again restores the stop.
struct isa_error_line_t {
  std::string line;
};

[[noreturn]] void throw_isa_error(const std::string& line) { throw isa_error_line_t{line}; }

TEST_P(isa_parser_rejects, hands_the_line_to_an_error_handler_instead) {
  const rejected_case_t& c = GetParam();
  std::string const line =
      std::string("error: bad --isa option '") + c.isa + "'. " + c.message + "\n";
  EXPECT_EQ(isa_parser_t::set_error_handler(throw_isa_error), nullptr);
  std::string caught;
  try {
    isa_parser_t parser;
    parser.init(c.isa, c.priv);
  } catch (const isa_error_line_t& e) {
    caught = e.line;
  }
  EXPECT_EQ(isa_parser_t::set_error_handler(nullptr), &throw_isa_error);
  EXPECT_EQ(caught, line);
  EXPECT_EXIT(
      {
        isa_parser_t parser;
        parser.init(c.isa, c.priv);
      },
      ::testing::ExitedWithCode(EXIT_FAILURE), ::testing::Eq(line));
}

INSTANTIATE_TEST_SUITE_P(
    isa_strings, isa_parser_rejects,
    ::testing::Values(
        rejected_case_t{"rv128i", "", "ISA strings must begin with RV32 or RV64"},
        rejected_case_t{"", "", "ISA strings must begin with RV32 or RV64"},
        rejected_case_t{"rv6", "", "ISA strings must begin with RV32 or RV64"},
        rejected_case_t{"rv64", "", "'rv64' must be followed by I, E, or G"},
        // The message shows the text as passed, the rule's part lower-cased.
        rejected_case_t{"RV32X", "", "'rv32' must be followed by I, E, or G"},
        rejected_case_t{"rv64imafdm", "", "Extension 'm' appears too late in ISA string"},
        rejected_case_t{"rv64ik", "", "Unsupported extension 'k'"},
        rejected_case_t{"rv64ie", "", "Unsupported extension 'e'"},
        rejected_case_t{"rv64i2p0m", "", "can't parse: 2p0m"},
        rejected_case_t{"rv64im#a", "", "can't parse: #a"},
        rejected_case_t{"rv64i_m", "", "unsupported extension: m"},
        rejected_case_t{"rv64i_zfoo", "", "unsupported extension: zfoo"},
        rejected_case_t{"rv64i__zba", "", "unsupported extension: "},
        rejected_case_t{"rv64i_zfh", "", "'zfh' extension requires 'F'"},
        rejected_case_t{"rv64i_zfhmin", "", "'zfhmin' extension requires 'F'"},
        rejected_case_t{"rv64i_zcf", "", "'Zcf' requires RV32"},
        rejected_case_t{"rv64i_zilsd", "", "'Zilsd' requires RV32"},
        rejected_case_t{"rv64gc_zvl48b_zve64d", "", "Invalid Zvl string: zvl48b"},
        rejected_case_t{"rv64gc_zvl16b", "", "Invalid Zvl string: zvl16b"},
        rejected_case_t{"rv64gc_zvl", "", "Invalid Zvl string: zvl"},
        rejected_case_t{"rv64gc_zvlb", "", "Invalid Zvl string: zvlb"},
        rejected_case_t{"rv64gc_zvl99999999999999999999b", "",
                        "Invalid Zvl string: zvl99999999999999999999b"},
        rejected_case_t{"rv64gc_zve", "", "Invalid Zve string: zve"},
        rejected_case_t{"rv64gc_zvl128b_zve64q", "", "Invalid Zve string: zve64q"},
        rejected_case_t{"rv64gc_zvl128b_zve16x", "", "Invalid Zve string: zve16x"},
        rejected_case_t{"rv64gc_zvl128b_zvex", "", "Invalid Zve string: zvex"},
        rejected_case_t{"rv64i_x", "", "single 'X' is not a proper name"},
        rejected_case_t{"rv64i_xfoo", "", "unsupported custom extension: xfoo"},
        // Closing rules.
        rejected_case_t{"rv64i_zpn", "", "Illegal p-ext combination"},
        rejected_case_t{"rv64i_zbpbo", "", "Illegal p-ext combination"},
        rejected_case_t{"rv64i_zbpbo_zpn_zmmul", "", "Illegal p-ext combination"},
        rejected_case_t{"rv32i_zbpbo_zpn", "", "Illegal p-ext combination"},
        rejected_case_t{"rv32if_zca_zcf_zilsd_zcmlsd", "",
                        "'Zcmlsd' extension conflicts with 'Zcf' extensions"},
        rejected_case_t{"rv32ifc_zilsd_zcmlsd", "",
                        "'Zcmlsd' extension conflicts with 'Zcf' extensions"},
        rejected_case_t{"rv32i_zilsd_zcmlsd", "",
                        "'Zcmlsd' extension requires 'Zca' and 'Zilsd' extensions"},
        rejected_case_t{"rv32i_zca_zcmlsd", "",
                        "'Zcmlsd' extension requires 'Zca' and 'Zilsd' extensions"},
        rejected_case_t{"rv64i_zfbfmin", "", "'Zfbfmin' extension requires 'F' extension"},
        rejected_case_t{"rv64gc_zvfbfmin", "",
                        "'Zvfbfmin/Zvfbfwma' extension requires 'V' extension"},
        rejected_case_t{"rv64gc_zvfbfwma", "",
                        "'Zvfbfmin/Zvfbfwma' extension requires 'V' extension"},
        rejected_case_t{
            "rv64if_zfinx", "",
            "Zfinx/Zdinx/Zhinx{min} extensions conflict with 'F/D/Q/Zfh{min}' extensions"},
        rejected_case_t{
            "rv64if_zdinx", "",
            "Zfinx/Zdinx/Zhinx{min} extensions conflict with 'F/D/Q/Zfh{min}' extensions"},
        rejected_case_t{"rv32i_zca_zcf", "", "'Zcf' extension requires 'F' extension"},
        rejected_case_t{"rv64i_zca_zcd", "", "'Zcd' extension requires 'D' extension"},
        rejected_case_t{"rv64imafdc_zcmp", "",
                        "Zcmp' and 'Zcmt' extensions are incompatible with 'Zcd' extension"},
        rejected_case_t{"rv64gc_zcmt", "",
                        "Zcmp' and 'Zcmt' extensions are incompatible with 'Zcd' extension"},
        rejected_case_t{"rv64i_zcb", "",
                        "'Zcf/Zcd/Zcb/Zcmp/Zcmt' extensions require 'Zca' extension"},
        rejected_case_t{"rv64i_zcmt", "",
                        "'Zcf/Zcd/Zcb/Zcmp/Zcmt' extensions require 'Zca' extension"},
        rejected_case_t{"rv64ifd_zcd", "",
                        "'Zcf/Zcd/Zcb/Zcmp/Zcmt' extensions require 'Zca' extension"},
        rejected_case_t{"rv64i_zacas", "",
                        "'Zacas' extension requires either the 'A' or the 'Zaamo' extension"},
        rejected_case_t{"rv64i_zabha", "",
                        "'Zabha' extension requires either the 'A' or the 'Zaamo' extension"},
        rejected_case_t{"rv64i_zawrs", "",
                        "'Zawrs' extension requires either the 'A' or the 'Zalrsc' extension"},
        rejected_case_t{"rv64ip_zvknha", "",
                        "'Zvkna' and 'Zvknhb' extensions are incompatible with 'Zpn' extension"},
        rejected_case_t{"rv32ip_zvknhb", "",
                        "'Zvkna' and 'Zvknhb' extensions are incompatible with 'Zpn' extension"},
        rejected_case_t{"rv64ip_zvkg", "",
                        "'Zvkg', 'Zvkned', and 'Zvksh' extensions are incompatible with 'Zpn' "
                        "extension in rv64"},
        rejected_case_t{"rv64ip_zvksh", "",
                        "'Zvkg', 'Zvkned', and 'Zvksh' extensions are incompatible with 'Zpn' "
                        "extension in rv64"},
        rejected_case_t{"rv64i_zicfiss", "", "'Zicfiss' extension requires 'Zimop' extension"},
        rejected_case_t{"rv64ic_zimop_zicfiss", "",
                        "'Zicfiss' extension requires 'Zcmop' extension when `Zca` is supported"},
        rejected_case_t{"rv64gc_zvl8192b_zve64d", "",
                        "Tamrin does not currently support VLEN > 4096b"},
        rejected_case_t{"rv64gc_zve64d", "", "Invalid Zvl/Zve configuration"},
        rejected_case_t{"rv64gc_zvl128b", "", "Invalid Zvl/Zve configuration"},
        rejected_case_t{"rv64i_zvfhmin", "", "'Zvfhmin' extension requires Zve32f"},
        rejected_case_t{"rv64i_zvl128b_zve32x_zvfhmin", "", "'Zvfhmin' extension requires Zve32f"},
        rejected_case_t{"rv64i_zvl128b_zve32d", "", "'ZveXXd' extension requires D"},
        rejected_case_t{"rv64i_zvl128b_zve64d", "", "'ZveXXf' extension requires F"},
        rejected_case_t{"rv64i_zvl128b_zve32f", "", "'ZveXXf' extension requires F"},
        rejected_case_t{"rv64imafdh", "MU", "'H' extension requires S mode"},
        rejected_case_t{"rv64ih", "", "'H' extension requires S mode"},
        // The first failing rule in order is the one reported.
        rejected_case_t{"rv32i_zilsd_zcmlsd_zcb", "",
                        "'Zcmlsd' extension requires 'Zca' and 'Zilsd' extensions"},
        rejected_case_t{"rv64i_zcb_zacas", "",
                        "'Zcf/Zcd/Zcb/Zcmp/Zcmt' extensions require 'Zca' extension"}));

}  // namespace
