#include "disasm/insn_ids.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <stdexcept>
#include <string>

// Usable where the table needs it: in constant expressions.
static_assert(insn_id("c_unimp") == 0);
static_assert(insn_id("mret") == 631);
static_assert(insn_id("zunpkd832") == 1363);

TEST(InsnIds, ListHasEveryNameOnceInAsciiOrderAfterTheTwoUnimps) {
  ASSERT_EQ(insn_names.size(), 1364u);
  EXPECT_EQ(insn_names[0], "c_unimp");
  EXPECT_EQ(insn_names[1], "unimp");
  for (std::size_t id = first_sorted_insn_id + 1; id < insn_names.size(); ++id)
    EXPECT_LT(std::string(insn_names[id - 1]), std::string(insn_names[id])) << "id " << id;
  std::set<std::string_view> unique(insn_names.begin(), insn_names.end());
  EXPECT_EQ(unique.size(), insn_names.size());
}

TEST(InsnIds, NamesAreInUnderscoreFormAndLowerCaseButForTheNForms) {
  std::set<std::string_view> upper;
  for (std::string_view name : insn_names) {
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(name.find('.'), std::string_view::npos) << name;
    for (char c : name) {
      if (std::isupper(static_cast<unsigned char>(c))) upper.insert(name);
      EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == '_') << name;
    }
  }
  EXPECT_EQ(upper, (std::set<std::string_view>{"c_mop_N", "mop_r_N", "mop_rr_N"}));
}

// Ids that other parts of the system test by number.
TEST(InsnIds, FixedIdsOfOtherUsers) {
  struct case_t {
    char const* name;
    unsigned long id;
  };
  static const case_t cases[] = {
      {"c_unimp", 0},       {"unimp", 1},        {"add", 2},           {"add16", 3},
      {"add_uw", 7},        {"addi", 8},         {"addiw", 9},         {"auipc", 66},
      {"beq", 74},          {"bge", 79},         {"bgeu", 80},         {"blt", 83},
      {"bltu", 84},         {"bne", 85},         {"c_add", 88},        {"c_addi", 89},
      {"c_addi16sp", 90},   {"c_addi4spn", 91},  {"c_addw", 93},       {"c_beqz", 96},
      {"c_bnez", 97},       {"c_ebreak", 98},    {"c_fld", 99},        {"c_flw", 101},
      {"c_j", 107},         {"c_jal", 108},      {"c_jalr", 109},      {"c_jr", 110},
      {"c_lw", 118},        {"c_lwsp", 119},     {"c_nop", 131},       {"c_sspopchk_x5", 143},
      {"c_sspush_x1", 144}, {"c_zext_w", 152},   {"cm_jalt", 168},     {"csrrc", 192},
      {"csrrs", 194},       {"csrrw", 196},      {"csrrwi", 197},      {"fcvtmod_w_d", 263},
      {"fence", 268},       {"gorci", 424},      {"grevi", 428},       {"jal", 449},
      {"jalr", 450},        {"kuzn64esx", 563},  {"lui", 577},         {"mop_r_N", 621},
      {"mop_rr_N", 630},    {"mret", 631},       {"mul", 633},         {"pack", 643},
      {"packw", 647},       {"prefetch_i", 657}, {"sltiu", 755},       {"sltu", 756},
      {"srai_u", 819},      {"sret", 823},       {"sspopchk_x1", 843}, {"sspush_x5", 846},
      {"uret", 919},        {"vl1re8_v", 1077},  {"vle16_v", 1090},    {"vle8_v", 1096},
      {"vle8ff_v", 1097},   {"vloxei8_v", 1102}, {"vlse8_v", 1106},    {"vluxei8_v", 1110},
      {"vror_vi", 1232},    {"vse8_v", 1252},    {"vsoxei8_v", 1282},  {"vsse8_v", 1292},
      {"vsuxei8_v", 1308},  {"xori", 1354},      {"zunpkd832", 1363},
  };
  for (case_t const& c : cases) {
    EXPECT_EQ(insn_id(c.name), c.id) << c.name;
    EXPECT_EQ(insn_names[c.id], c.name);
  }
}

TEST(InsnIds, FusedPairsFillIds382To422) {
  EXPECT_EQ(insn_id("fuse_add_c_lx"), 382u);
  EXPECT_EQ(insn_id("fuse_lui_addi"), 406u);
  EXPECT_EQ(insn_id("fuse_sh3add_uw_lx"), 422u);
  for (std::size_t id = 0; id < insn_names.size(); ++id) {
    bool fused = insn_names[id].substr(0, 5) == "fuse_";
    EXPECT_EQ(fused, id >= 382 && id <= 422) << insn_names[id];
  }
}

// "_" sorts after digits and capitals and before lower-case letters.
TEST(InsnIds, UnderscoreSortsBetweenCapitalsAndLowerCase) {
  EXPECT_EQ(insn_id("c_mop_N"), insn_id("c_mop_9") + 1);
  EXPECT_EQ(insn_id("c_mul"), insn_id("c_mop_N") + 1);
  EXPECT_EQ(insn_id("mop_r_N"), insn_id("mop_r_9") + 1);
  EXPECT_EQ(insn_id("mop_rr_0"), insn_id("mop_r_N") + 1);
  EXPECT_EQ(insn_id("mop_rr_N"), insn_id("mop_rr_7") + 1);
  EXPECT_LT(insn_id("fuse_add_c_lx"), insn_id("fuse_add_lx"));
  EXPECT_LT(insn_id("add_uw"), insn_id("addi"));
}

TEST(InsnIds, LookupFindsEveryNameAtItsPosition) {
  for (std::size_t id = 0; id < insn_names.size(); ++id)
    EXPECT_EQ(insn_id(insn_names[id]), id) << insn_names[id];
}

TEST(InsnIds, UnknownNameThrowsAtRunTime) {
  for (char const* name : {"", "fcvt.s.w", "ADD", "add ", "zunpkd833", "a", "zzz"})
    EXPECT_THROW(insn_id(name), std::invalid_argument) << '"' << name << '"';
}
