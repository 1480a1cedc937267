#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "disasm/arg.h"
#include "disasm/disasm_insn.h"
#include "disasm/disassembler.h"
#include "disasm/insn_ids.h"
#include "disasm/isa_parser.h"

namespace {

// A core with nothing but its base: only the always-present groups and the
// "(args unknown)" entries are in its table.
class nothing_enabled_t : public isa_parser_i {
public:
  bool extension_enabled(unsigned char) const override { return false; }
  bool extension_enabled(isa_extension_t) const override { return false; }
  uint32_t get_max_xlen() const override { return 64; }
  bool has_any_vector() const override { return false; }
};

std::string text_of(disasm_insn_t const& insn, uint64_t word) {
  return insn.to_string(insn_t(word));
}

// ---- Text builder -------------------------------------------------------

constexpr uint64_t a0_a1_a2 = (10u << 7) | (11u << 15) | (12u << 20);

TEST(text_builder, pads_the_mnemonic_to_8_columns_with_at_least_one_blank) {
  std::vector<arg_t const*> const r = {&int_rd_arg, &int_rs1_arg, &int_rs2_arg};
  struct {
    char const* name;
    char const* expected;
  } const cases[] = {
      {"add", "add     a0, a1, a2"},
      {"c_addiw", "c.addiw a0, a1, a2"},
      {"fcvt_s_w", "fcvt.s.w a0, a1, a2"},
      {"fcvt_s_wu", "fcvt.s.wu a0, a1, a2"},
  };
  for (auto const& c : cases) {
    disasm_insn_t insn(c.name, c.name, 0, 0, 2, 0xb, r);
    EXPECT_EQ(text_of(insn, a0_a1_a2), c.expected);
  }
}

TEST(text_builder, entry_without_operands_prints_the_bare_mnemonic) {
  disasm_insn_t insn("fence_i", "fence_i", 0x100f, 0xffffffff, 269, 0, {});
  EXPECT_EQ(text_of(insn, 0x100f), "fence.i");
}

TEST(text_builder, constructor_keeps_names_with_dots_and_the_low_32_bits_of_the_id) {
  disasm_insn_t insn("c_addi", "addi_x", 0x1, 0xe003, 0x100000059ul, 0x9, {&int_rd_arg});
  EXPECT_EQ(insn.name, "c.addi");
  EXPECT_EQ(insn.base_name, "addi.x");
  EXPECT_EQ(insn.insn_id, 0x59u);
  EXPECT_EQ(insn.match, 0x1u);
  EXPECT_EQ(insn.mask, 0xe003u);
  EXPECT_EQ(insn.insn_flags, 0x9u);
  EXPECT_TRUE(insn.print_name);
}

TEST(text_builder, without_print_name_only_the_operands_are_printed) {
  disasm_insn_t insn("fuse_x", "fuse_x", 0, 0, 0, 0, {&int_rd_arg});
  insn.print_name = false;
  EXPECT_EQ(text_of(insn, 10u << 7), "a0");
}

TEST(text_builder, optional_vector_mask_is_dropped_only_when_empty) {
  disasm_insn_t vadd("vadd_vv", "vadd_vv", 0x57, 0xfc00707f, 937, 0,
                     {&vec_rd_arg, &vec_rs2_arg, &vec_rs1_arg, nullptr, &vmask_arg});
  uint64_t const v1_v2_v3 = (1u << 7) | (3u << 15) | (2u << 20) | 0x57;
  EXPECT_EQ(text_of(vadd, v1_v2_v3 | (1u << 25)), "vadd.vv v1, v2, v3");
  EXPECT_EQ(text_of(vadd, v1_v2_v3), "vadd.vv v1, v2, v3, v0.t");

  // Without the marker an empty text still gets its separator.
  disasm_insn_t plain("x", "x", 0, 0, 0, 0, {&int_rd_arg, &vmask_arg});
  EXPECT_EQ(text_of(plain, (10u << 7) | (1u << 25)), "x       a0, ");
}

// ---- Chains, probing and lookup order ------------------------------------

TEST(chains, are_chosen_from_mask_and_match) {
  struct {
    uint64_t mask, match;
    unsigned long chain;
  } const cases[] = {
      {0x707f, 0x13, 0x13},                                  // major opcode
      {0xffffffff, 0xc0001073, 0x73},                        // unimp
      {0xffff, 0x0, 0},                                      // c.unimp: mask covers the opcode bits
      {0xffff, 0x9002, 2},                                   // c.ebreak sits in opcode chain 2
      {0xf003, 0x9002, 130},                                 // c.add: 32 x funct3 4 + quadrant 2
      {0xe003, 0x4001, 65},                                  // c.li
      {0xe003, 0xe002, 226},                                 // highest compressed chain
      {0xfff8000000003fffull, 0x8000000000001bbfull, 0x3f},  // fused pair marker
      {0xff00000000000000ull, 0x5a00000000000000ull, 255},   // neither
      {0x3f, 0x13, 255},                                     // opcode only partly fixed
  };
  for (auto const& c : cases)
    EXPECT_EQ(disassembler_t::chain_of(c.mask, c.match), c.chain)
        << std::hex << c.mask << " " << c.match;
}

// Entries added after construction are probed first in their chain, which
// lets these tests place hand-made entries whatever the table holds. The high
// bits they require keep them away from ordinary words.
class lookup_mechanics : public ::testing::Test {
protected:
  static constexpr uint64_t tag = 0x5a00000000000000ull;
  static constexpr uint64_t tag_mask = 0xff00000000000000ull;

  disasm_insn_t* add(char const* name, uint64_t mask, uint64_t match) {
    auto* insn = new disasm_insn_t(name, name, match, mask, 7, 0, {});
    d.add_insn(insn);
    return insn;
  }
  // A low word that no entry of the table knows.
  uint64_t unknown_low_word() const {
    for (uint64_t funct3 = 8; funct3-- > 0;)
      for (uint64_t opcode = 0x7f;; opcode -= 4) {
        uint64_t word = 0xffff8000u | (funct3 << 12) | 0xf80 | opcode;
        if (!d.get_disasm(word)) return word;
        if (opcode < 4) break;
      }
    ADD_FAILURE() << "every candidate word is known";
    return 0;
  }

  disassembler_t d{64};
};

TEST_F(lookup_mechanics, added_entry_is_found_in_its_chain_only) {
  uint64_t word = tag | 0x13;
  auto* insn = add("tagged", tag_mask | 0x7f, word);
  EXPECT_EQ(d.probe_once(insn_t(word), 0x13), insn);
  EXPECT_NE(d.probe_once(insn_t(word), 0x33), insn);
  EXPECT_NE(d.probe_once(insn_t(word), 255), insn);
  EXPECT_EQ(d.probe_once(insn_t(word), 256), nullptr);
  EXPECT_EQ(d.get_disasm(word), insn);
}

TEST_F(lookup_mechanics, probe_runs_from_the_back_of_the_chain) {
  uint64_t word = tag | 0x33;
  add("front", tag_mask | 0x7f, word);
  auto* back = add("back", tag_mask | 0x7f, word);
  EXPECT_EQ(d.probe_once(insn_t(word), 0x33), back);
}

TEST_F(lookup_mechanics, opcode_chain_then_compressed_chain_then_chain_255) {
  uint64_t const low = unknown_low_word();
  uint64_t const bit55 = 1ull << 55, bit54 = 1ull << 54;
  auto* other = add("other", tag_mask, tag);
  auto* compressed = add("compressed", tag_mask | bit54 | 0xe003, tag | bit54 | (low & 0xe003));
  auto* opcode = add("opcode", tag_mask | bit55 | bit54 | 0x7f, tag | bit55 | bit54 | (low & 0x7f));
  ASSERT_EQ(disassembler_t::chain_of(other->mask, other->match), 255u);
  ASSERT_NE(disassembler_t::chain_of(compressed->mask, compressed->match), 255u);

  EXPECT_EQ(d.get_disasm(tag | bit55 | bit54 | low), opcode);
  EXPECT_EQ(d.get_disasm(tag | bit54 | low), compressed);
  EXPECT_EQ(d.get_disasm(tag | low), other);
  EXPECT_EQ(d.get_disasm(low), nullptr);
}

TEST_F(lookup_mechanics, unknown_word_has_no_entry_and_prints_unknown) {
  uint64_t const low = unknown_low_word();
  EXPECT_EQ(d.get_disasm(low), nullptr);
  EXPECT_EQ(d.disassemble(low), "unknown");
  EXPECT_EQ(d.get_name(low), "unknown");
}

TEST(lookup, disassembler_built_from_a_parser_keeps_no_reference_to_it) {
  auto parser = std::make_unique<enable_all_exts>(64);
  disassembler_t d(parser.get());
  parser.reset();
  EXPECT_EQ(d.disassemble(0x00000013), "nop");
}

// ---- Table order: the first entry added wins ------------------------------

struct table_case_t {
  uint64_t word;
  char const* text;
  char const* id_name;  // underscore name whose identifier the entry carries
};

void expect_table(disassembler_t const& d, std::vector<table_case_t> const& cases) {
  for (auto const& c : cases) {
    disasm_insn_t const* insn = d.get_disasm(c.word);
    ASSERT_NE(insn, nullptr) << std::hex << c.word;
    EXPECT_EQ(insn->to_string(insn_t(c.word)), c.text) << std::hex << c.word;
    EXPECT_EQ(insn->insn_id, insn_id(c.id_name)) << std::hex << c.word;
    EXPECT_EQ(d.disassemble(c.word), c.text);
  }
}

TEST(table_order, fixed_entries_and_pseudo_instructions_come_first) {
  disassembler_t d(64);
  expect_table(d, {
                      {0x00000000, "c.unimp", "c_unimp"},  // not the c.addi4spn that shares chain 0
                      {0xc0001073, "unimp", "unimp"},      // not csrw / csrrw
                      {0x00000013, "nop", "addi"},
                      {0x00100093, "li      ra, 1", "addi"},
                      {0x00050593, "mv      a1, a0", "addi"},
                      {0x00150513, "addi    a0, a0, 1", "addi"},
                      {0x00008067, "ret", "jalr"},
                      {0x0000006f, "j       pc + 0x00000", "jal"},
                      {0xc0002573, "csrr    a0, cycle", "csrrs"},
                  });
}

TEST(table_order, compressed_opcode_chain_entries_precede_the_compressed_chains) {
  disassembler_t d(64);
  expect_table(d, {
                      {0x9002, "c.ebreak", "c_add"},  // id of the encoding c.ebreak is a case of
                      {0x9082, "c.jalr  ra", "c_jalr"},
                      {0x8082, "c.ret", "c_jr"},
                      {0x9096, "c.add   ra, ra, t0", "c_add"},
                      {0x8096, "c.mv    ra, t0", "c_mv"},
                      {0x7101, "c.addi  sp, sp, -512", "c_addi16sp"},
                      {0x0001, "c.nop", "c_addi"},
                  });
  EXPECT_EQ(d.get_name(0x7101), "c.addi");
  EXPECT_EQ(d.get_name(0x00000013), "nop");
}

TEST(table_order, high_bits_do_not_stop_ordinary_entries_matching) {
  disassembler_t d(64);
  EXPECT_EQ(d.disassemble(0x1234567800000013ull), "nop");
}

TEST(table_order, catch_all_entries_are_found_only_when_nothing_else_matches) {
  uint64_t const mul_a0_a0_a1 = 0x02b50533;
  nothing_enabled_t nothing;
  disassembler_t bare(&nothing);
  disasm_insn_t const* unknown_args = bare.get_disasm(mul_a0_a0_a1);
  ASSERT_NE(unknown_args, nullptr);
  EXPECT_EQ(unknown_args->to_string(insn_t(mul_a0_a0_a1)), "mul (args unknown)");
  EXPECT_EQ(unknown_args->insn_id, insn_id("mul"));
  EXPECT_EQ(unknown_args->insn_flags, 0u);
  EXPECT_EQ(bare.disassemble(0x00000013), "nop");  // always-present groups stay

  disassembler_t full(64);
  EXPECT_EQ(full.disassemble(mul_a0_a0_a1), "mul     a0, a0, a1");
  EXPECT_EQ(full.get_disasm(mul_a0_a0_a1)->insn_flags,
            insn_flag::RS1 | insn_flag::RS2 | insn_flag::RD);
}

// ---- Lookup index: exactly the result of scanning the chains --------------

// The plain probe: the chain from its last element to its first.
disasm_insn_t const* scan(disassembler_t const& d, unsigned long chain, uint64_t word) {
  auto const& entries = d.chain(chain);
  for (auto it = entries.rbegin(); it != entries.rend(); ++it)
    if ((word & (*it)->mask) == (*it)->match) return *it;
  return nullptr;
}

unsigned long opcode_chain(uint64_t word) { return word & 0x7f; }
unsigned long compressed_chain(uint64_t word) { return (word & 0xe003) % 255; }

// The chains that lookup probes, in its order.
std::array<unsigned long, 3> probed_chains(uint64_t word) {
  return {opcode_chain(word), compressed_chain(word), disassembler_t::other_chain};
}

disasm_insn_t const* scan_lookup(disassembler_t const& d, uint64_t word) {
  for (unsigned long chain : probed_chains(word))
    if (auto found = scan(d, chain, word)) return found;
  return nullptr;
}

std::string describe(disasm_insn_t const* insn) {
  return insn ? insn->name + " (id " + std::to_string(insn->insn_id) + ")" : "null";
}

// Compares lookup and each probe that lookup makes with the plain scans.
void expect_same_as_scan(disassembler_t const& d, std::vector<uint64_t> const& words) {
  std::size_t mismatches = 0;
  for (uint64_t w : words) {
    disasm_insn_t const* expected = scan_lookup(d, w);
    disasm_insn_t const* found = d.get_disasm(w);
    if (found != expected && ++mismatches <= 10)
      ADD_FAILURE() << std::hex << "word 0x" << w << ": " << describe(found) << ", scan gives "
                    << describe(expected);
    for (unsigned long chain : probed_chains(w))
      if (d.probe_once(insn_t(w), chain) != scan(d, chain, w) && ++mismatches <= 10)
        ADD_FAILURE() << std::hex << "word 0x" << w << " in chain " << std::dec << chain;
  }
  EXPECT_EQ(mismatches, 0u) << "of " << words.size() << " words";
}

// Each entry's own match word and that word with random free bits within
// the 16-bit, 32-bit and 64-bit widths.
std::vector<uint64_t> entry_words(disassembler_t const& d, std::mt19937_64& rng, int fills = 2) {
  std::vector<uint64_t> words;
  for (unsigned long c = 0; c < disassembler_t::chain_count; ++c)
    for (disasm_insn_t const* e : d.chain(c)) {
      words.push_back(e->match);
      for (uint64_t width : {0xffffull, 0xffffffffull, ~0ull})
        for (int i = 0; i < fills; ++i) words.push_back(e->match | (rng() & ~e->mask & width));
    }
  return words;
}

// Random 16-bit, 32-bit and 64-bit words.
std::vector<uint64_t> random_words(std::mt19937_64& rng, int count) {
  std::vector<uint64_t> words;
  for (int i = 0; i < count; ++i) {
    words.push_back(rng() & 0xffff);
    words.push_back(rng() & 0xffffffff);
    words.push_back(rng());
  }
  return words;
}

TEST(lookup_index, gives_the_scan_result_for_the_built_tables) {
  nothing_enabled_t nothing;
  disassembler_t const rv32(32), rv64(64), bare(&nothing);
  struct {
    char const* name;
    disassembler_t const& d;
  } const tables[] = {{"xlen 32", rv32}, {"xlen 64", rv64}, {"nothing enabled", bare}};
  for (auto const& t : tables) {
    SCOPED_TRACE(t.name);
    std::mt19937_64 rng(1);
    expect_same_as_scan(t.d, entry_words(t.d, rng));
    expect_same_as_scan(t.d, random_words(rng, 20000));
  }
}

TEST(lookup_index, probes_of_any_chain_match_the_scan) {
  disassembler_t const d(64);
  std::mt19937_64 rng(2);
  std::vector<uint64_t> words = entry_words(d, rng, 0);
  std::size_t mismatches = 0;
  for (std::size_t i = 0; i < words.size(); i += 7)
    for (unsigned long chain = 0; chain < disassembler_t::chain_count; ++chain)
      mismatches += d.probe_once(insn_t(words[i]), chain) != scan(d, chain, words[i]);
  EXPECT_EQ(mismatches, 0u);
}

// Hand-made entries, added after construction. They all require `tag` in
// bits 40..47, which keeps the table's own entries from mattering.
class added_entries : public ::testing::Test {
protected:
  static constexpr uint64_t tag = 0xa5ull << 40;
  static constexpr uint64_t tag_mask = 0xffull << 40;
  static constexpr uint64_t opcode = 0x0b;

  disasm_insn_t const* add(std::string const& name, uint64_t mask, uint64_t match) {
    auto* insn = new disasm_insn_t(name.c_str(), name.c_str(), match, mask, 7, 0, {});
    d.add_insn(insn);
    by_name[name] = insn;
    return insn;
  }
  // An R-type-like word of the made-up opcode.
  static uint64_t r_word(uint64_t funct3, uint64_t funct7) {
    return tag | funct7 << 25 | funct3 << 12 | opcode;
  }
  void add_regular(int i) { add("r" + std::to_string(i), tag_mask | 0xfe00707f, r_word(i % 8, i)); }
  void expect_entry(uint64_t word, char const* name) {
    EXPECT_EQ(describe(d.get_disasm(word)), describe(by_name.at(name))) << std::hex << word;
  }
  // Words around the added entries: each entry's match with random free
  // bits, and random words of the made-up opcode and tag.
  std::vector<uint64_t> words_near_added(std::mt19937_64& rng, uint64_t fixed_mask,
                                         uint64_t fixed) {
    std::vector<uint64_t> words;
    for (auto const& named : by_name)
      for (int i = 0; i < 64; ++i)
        words.push_back(named.second->match | (rng() & ~named.second->mask));
    for (int i = 0; i < 20000; ++i) words.push_back(fixed | (rng() & ~fixed_mask));
    return words;
  }

  disassembler_t d{64};
  std::map<std::string, disasm_insn_t const*> by_name;
};

TEST_F(added_entries, newest_entry_wins_over_the_table_and_older_additions) {
  struct {
    uint64_t word;
    uint64_t mask;  // of the entries added for it
  } const cases[] = {
      {0x00150513, 0x0000707f},         // addi
      {0x02b50533, 0xfe00707f},         // mul
      {0x0001, 0xe003},                 // c.nop / c.addi, compressed chain
      {0x9002, 0xffff},                 // c.ebreak, opcode chain 2
      {0x022080d7, 0xfc00707f},         // vadd.vv
      {0x0205e087, 0x1df0707f},         // vle32.v
      {0xc0001073, 0xffffffff},         // unimp
      {0x1234567800000013ull, 0x707f},  // addi with high bits set
  };
  for (auto const& c : cases) {
    SCOPED_TRACE(std::to_string(c.word));
    auto const* same = add("same", c.mask, c.word & c.mask);
    EXPECT_EQ(d.get_disasm(c.word), same);
    // An entry that fixes only the bits that choose its chain now wins for
    // the whole chain, in every bucket. The words keep their opcode bits, so
    // that lookup probes no other chain first.
    uint64_t const chain_bits = (c.mask & 0x7f) == 0x7f ? 0x7f : 0xe003;
    auto const* broad = add("broad", chain_bits, c.word & chain_bits);
    EXPECT_EQ(d.get_disasm(c.word), broad);
    std::mt19937_64 rng(c.word);
    uint64_t const kept = chain_bits | 0x7f;
    for (int i = 0; i < 200; ++i) {
      uint64_t w = (c.word & kept) | (rng() & ~kept);
      EXPECT_EQ(d.get_disasm(w), broad) << std::hex << w;
    }
  }
  std::mt19937_64 rng(3);
  expect_same_as_scan(d, entry_words(d, rng, 1));
}

TEST_F(added_entries, entries_with_free_key_bits_are_found_in_every_bucket) {
  // Most entries fix funct3 and funct7 (likely key bits); a few leave some of
  // them free, in several combinations, between the others in the order.
  for (int i = 0; i < 16; ++i) add_regular(i);
  add("any_funct7", tag_mask | 0x707f, r_word(3, 0));
  for (int i = 16; i < 32; ++i) add_regular(i);
  add("any_key", tag_mask | 0x7f, tag | opcode);
  // funct7 bits 6 and 4 and funct3 bits 2 and 0 fixed, the rest free
  add("half", tag_mask | 0xa000507f, tag | 0x8000400b);
  add("any_funct3", tag_mask | 0xfe00007f, r_word(0, 0x11));
  add("never", tag_mask | 0x7f, tag | 0x100b);  // match outside its mask
  for (int i = 32; i < 48; ++i) add_regular(i);
  add("r3_again", tag_mask | 0xfe00707f, r_word(3, 3));

  struct {
    uint64_t word;
    char const* expected;
  } const cases[] = {
      {r_word(3, 3), "r3_again"},       // newest of two equal entries
      {r_word(0, 40), "r40"},           // added after any_key
      {r_word(4, 20), "any_key"},       // r20 is older than any_key
      {r_word(5, 0x11), "any_funct3"},  // over any_key, whatever funct3
      {r_word(1, 0x11), "any_funct3"},
      {r_word(4, 0x40), "half"},
      {r_word(6, 0x60), "half"},
      {r_word(3, 0x7f), "any_key"},                    // any_funct7 is older
      {tag | 0x100b, "any_key"},                       // never is never found
      {0xffff00ff00000000ull | r_word(2, 34), "r34"},  // high bits beside the tag
  };
  for (auto const& c : cases) expect_entry(c.word, c.expected);
  // Without the tag none of the added entries applies.
  for (auto const& named : by_name)
    EXPECT_NE(d.get_disasm(r_word(3, 3) & ~tag_mask), named.second) << named.first;

  std::mt19937_64 rng(4);
  expect_same_as_scan(d, words_near_added(rng, tag_mask | 0x7f, tag | opcode));
}

TEST_F(added_entries, entries_keyed_on_high_bits_are_found) {
  // Entries that, like fused pairs, fix bit 63 and a field in the high bits
  // besides the low bits of their chain; a few leave high fields free.
  uint64_t const low_mask = 0x3fff, high_mask = 0xfff8000000000000ull, bit63 = 1ull << 63;
  for (unsigned long chain : {0x3ful, 0x1ful, 0x7bul}) {
    by_name.clear();
    uint64_t const low = 0x1b80 | chain;
    for (uint64_t i = 0; i < 40; ++i)
      add("pair" + std::to_string(i), high_mask | low_mask, bit63 | i << 51 | low);
    add("any_pair", bit63 | low_mask, bit63 | low);
    for (uint64_t i = 40; i < 60; ++i)
      add("pair" + std::to_string(i), high_mask | low_mask, bit63 | i << 51 | low);
    add("odd_pairs", bit63 | 1ull << 51 | low_mask, bit63 | 1ull << 51 | low);
    ASSERT_EQ(disassembler_t::chain_of(high_mask | low_mask, bit63 | low), chain);

    struct {
      uint64_t word;
      char const* expected;
    } const cases[] = {
        {bit63 | 50ull << 51 | low, "pair50"},
        {bit63 | 51ull << 51 | low, "odd_pairs"},
        {bit63 | 4001ull << 51 | low, "odd_pairs"},
        {bit63 | 10ull << 51 | low, "any_pair"},  // pair10 is older
        {bit63 | 4000ull << 51 | low, "any_pair"},
        {bit63 | 0x1234ull << 20 | 12ull << 51 | low, "any_pair"},
    };
    for (auto const& c : cases) expect_entry(c.word, c.expected);
    // Without bit 63 none of them applies.
    for (auto const& named : by_name) EXPECT_NE(d.get_disasm(50ull << 51 | low), named.second);

    std::mt19937_64 rng(chain);
    expect_same_as_scan(d, words_near_added(rng, low_mask, low));
    expect_same_as_scan(d, words_near_added(rng, bit63 | low_mask, bit63 | low));
  }
}

}  // namespace
