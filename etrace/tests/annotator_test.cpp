// The annotation step: destination registers from the instruction word, the
// disassembly fields, and the annotator's cache and modes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "disasm/arg.h"
#include "disasm/disasm_insn.h"
#include "disasm/disassembler.h"
#include "disasm/insn_ids.h"
#include "etrace/records/et_annotator.h"
#include "etrace/records/et_insn.h"

using namespace insn_flag;

namespace {

// ---------------------------------------------------------------- destinations

TEST(InsnDestination, IntegerAndFloatingPoint) {
  struct {
    const char* what;
    unsigned long id;
    unsigned long word;
    unsigned long irda, frda;
  } cases[] = {
      {"add a0", insn_id("add"), 0x00b50533, 10, 10},
      {"unknown", ~0ul, 0x00000f80, 31, 31},
      {"c.and", insn_id("c_and"), 0x8d6d, 8 + 2, 26},
      {"c.srli", insn_id("c_srli"), 0x8105, 8 + 2, 2},
      {"c.zext.w", insn_id("c_zext_w"), 0x9d71, 8 + 2, 26},
      {"c.lw", insn_id("c_lw"), 0x4148, 8 + 2, 2},
      {"c.addi4spn", insn_id("c_addi4spn"), 0x0020, 8 + 0, 0},
      {"c.ld", insn_id("c_ld"), 0x6508, 8 + 2, 10},
      {"c.jal", insn_id("c_jal"), 0x2001, 1, 0},
      {"c.jalr", insn_id("c_jalr"), 0x9502, 1, 10},
      {"c.flw", insn_id("c_flw"), 0x6108, 2, 8 + 2},
      {"c.fld", insn_id("c_fld"), 0x2108, 2, 8 + 2},
      {"fused lui.addi", insn_id("fuse_lui_addi"), (0x123452b7ul << 7) | 0x3f, 5, 0x17},
      {"fused c.and.beq", insn_id("fuse_c_and_beq"), (0x8d6dul << 7) | 0x1f, 8 + 2, 0x0d},
      {"fused c.andi.c.beq", insn_id("fuse_c_andi_c_beq"), (0x8905ul << 7) | 0x7b, 8 + 2, 0x05},
      {"fused c.andi.beq", insn_id("fuse_c_andi_beq"), (0x8905ul << 7) | 0x1f, 8 + 2, 0x05},
      {"fused c.and.c.beq", insn_id("fuse_c_and_c_beq"), (0x8d6dul << 7) | 0x7b, 8 + 2, 0x0d},
      {"fused c.add.c.lx", insn_id("fuse_c_add_c_lx"), (0x952eul << 7) | 0x7b, 10, 0x0e},
      {"fused sh3add.uw.lx", insn_id("fuse_sh3add_uw_lx"), (0x20b5653bul << 7) | 0x3f, 10, 0x1b},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(et_insn_t::get_irda(c.id, c.word), c.irda) << c.what;
    EXPECT_EQ(et_insn_t::get_frda(c.id, c.word), c.frda) << c.what;
    et_insn_t in{};
    in.insn_id = c.id;
    in.chunk = c.word;
    EXPECT_EQ(in.get_irda(), c.irda) << c.what;
    EXPECT_EQ(in.get_frda(), c.frda) << c.what;
  }
}

// ---------------------------------------------------------------- destinations against the
// disassembler

// The register the disassembly text names first ("c.and a0, a1" gives "a0"),
// or the empty text when the text names no operand.
std::string first_operand(const std::string& text) {
  const std::size_t blank = text.find(' ');
  if (blank == std::string::npos) return "";
  const std::size_t start = text.find_first_not_of(' ', blank);
  const std::size_t end = text.find_first_of(",(", start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// Every word of the given forms whose entry writes a register and names it
// first: get_irda / get_frda give the register the disassembler prints.
// Words: all compressed ones, and the 32-bit entries with rd set to a4 / fa4.
TEST(InsnDestination, AgreesWithTheDisassemblyText) {
  const disassembler_t d(64);
  std::vector<uint64_t> words;
  for (uint64_t w = 0; w < 0x10000; ++w)
    if ((w & 3) != 3) words.push_back(w);
  for (unsigned long chain = 0; chain < disassembler_t::chain_count; ++chain)
    for (const disasm_insn_t* e : d.chain(chain))
      if ((e->match & 3) == 3 && e->mask <= 0xffffffff && (e->mask & 0xf80) == 0)
        words.push_back(e->match | (14 << 7));
  unsigned checked = 0;
  for (uint64_t w : words) {
    const disasm_insn_t* e = d.get_disasm(w);
    if (e == nullptr || (e->insn_flags & (RD | FRD)) == 0) continue;
    const bool fp = (e->insn_flags & RD) == 0;
    // Jumps that link into ra print their target, not ra.
    if (e->insn_id == insn_id("c_jal") || e->insn_id == insn_id("c_jalr")) {
      EXPECT_EQ(et_insn_t::get_irda(e->insn_id, w), 1u) << e->name;
      continue;
    }
    const std::string named = first_operand(e->to_string(insn_t(w)));
    const unsigned long reg =
        fp ? et_insn_t::get_frda(e->insn_id, w) : et_insn_t::get_irda(e->insn_id, w);
    ASSERT_LT(reg, 32u);
    const char* const* names = fp ? fpr_name : xpr_name;
    if (named != names[reg])
      ADD_FAILURE() << e->name << std::hex << " 0x" << w << ": " << named << " vs " << names[reg];
    ++checked;
  }
  EXPECT_GT(checked, 10000u);
}

// ---------------------------------------------------------------- disassembly fields

class DisasmFields : public ::testing::Test {
protected:
  static void SetUpTestSuite() { disassembler = new disassembler_t(64); }
  static void TearDownTestSuite() { delete disassembler; }
  static disassembler_t* disassembler;
};
disassembler_t* DisasmFields::disassembler = nullptr;

TEST_F(DisasmFields, KnownWordWithAndWithoutText) {
  et_insn_t in{};
  in.chunk = 0x00b50533;  // add a0, a0, a1
  in.fill_disasm_fields(*disassembler, true);
  const disasm_insn_t* entry = disassembler->get_disasm(in.chunk);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(in.disasm_known, 1);
  EXPECT_EQ(in.insn_id, uint64_t(insn_id("add")));
  EXPECT_EQ(in.flags, entry->insn_flags);
  EXPECT_EQ(std::string(in.disasm), entry->to_string(insn_t(in.chunk)));

  in.fill_disasm_fields(*disassembler, false);
  EXPECT_EQ(in.disasm_known, 1);
  EXPECT_EQ(in.insn_id, uint64_t(insn_id("add")));
  EXPECT_STREQ(in.disasm, "");
}

TEST_F(DisasmFields, UnknownWord) {
  et_insn_t in{};
  in.chunk = 0xffffffff;
  in.flags = 0x123;
  ASSERT_EQ(disassembler->get_disasm(in.chunk), nullptr);
  in.fill_disasm_fields(*disassembler, true);
  EXPECT_EQ(in.disasm_known, 0);
  EXPECT_EQ(in.insn_id, ~uint64_t(0));
  EXPECT_EQ(in.flags, 0u);
  EXPECT_STREQ(in.disasm, "unknown");
  in.fill_disasm_fields(*disassembler, false);
  EXPECT_STREQ(in.disasm, "");
}

TEST(DisasmFieldsText, LongTextIsCutTo99Characters) {
  // A one-entry disassembler whose text is longer than the record's field.
  disassembler_t d(64);
  static const std::string long_name(120, 'x');
  d.add_insn(new disasm_insn_t(long_name.c_str(), long_name.c_str(),
                               0x0000000b | (uint64_t(1) << 40), ~uint64_t(0), 7, 0, {}));
  et_insn_t in{};
  in.chunk = 0x0000000b | (uint64_t(1) << 40);
  in.fill_disasm_fields(d, true);
  ASSERT_EQ(in.insn_id, 7u);
  EXPECT_EQ(std::string(in.disasm), std::string(99, 'x'));
}
// ---------------------------------------------------------------- the annotator

// Words that hit the cache on their second visit, one unknown among them, and
// two words that share a slot of the cache.
const uint64_t annotated_words[] = {
    0x00b50533,  // add a0, a0, a1
    0x4148,      // c.lw a0, 4(a0)
    0x2108,      // c.fld fa0, 0(a0)
    0x00b53823,  // sd a1, 16(a0)
    0xffffffff,  // unknown
    0x00000013,  // nop
    0x00110013,  // addi zero, sp, 1: in the slot of the add
};

// A record whose disassembly and destination fields hold leftovers, so that
// a field the annotator forgets shows.
et_insn_t stale_record(uint64_t word) {
  et_insn_t in{};
  in.chunk = word;
  in.disasm_known = 7;
  in.flags = 0xdead;
  in.insn_id = 1234;
  std::memset(in.disasm, 'x', sizeof in.disasm);
  return in;
}

void expect_same_fields(const et_insn_t& a, const et_insn_t& b, const char* what) {
  EXPECT_EQ(a.disasm_known, b.disasm_known) << what;
  EXPECT_EQ(a.flags, b.flags) << what;
  EXPECT_EQ(a.insn_id, b.insn_id) << what;
  EXPECT_STREQ(a.disasm, b.disasm) << what;
  EXPECT_EQ(a.rd.addr_valid, b.rd.addr_valid) << what;
  EXPECT_EQ(a.rd.addr, b.rd.addr) << what;
  EXPECT_EQ(a.frd.addr_valid, b.frd.addr_valid) << what;
  EXPECT_EQ(a.frd.addr, b.frd.addr) << what;
}

// With or without text, a cached annotation equals an uncached fill, on the
// first visit of a word and on every later one.
TEST(Annotator, CachedFieldsEqualAFreshFill) {
  const disassembler_t d(64);
  for (bool with_text : {false, true}) {
    et_annotator_t annotator(d, {with_text, false});
    for (int pass = 0; pass < 3; ++pass) {
      for (uint64_t word : annotated_words) {
        et_insn_t cached = stale_record(word), fresh = stale_record(word);
        annotator.annotate(cached);
        fresh.fill_disasm_fields(d, with_text);
        expect_same_fields(cached, fresh, with_text ? "with text" : "without text");
      }
    }
  }
}

// FPGA traces: the flags keep only the destination and store bits, and the
// destination register number comes from the word; other traces keep what
// the stream delivered.
TEST(Annotator, HwtDestinations) {
  const disassembler_t d(64);
  struct {
    const char* what;
    uint64_t word;
    uint64_t flags;  // after the cut
    bool rd_valid;
    uint64_t rd;
    bool frd_valid;
    uint64_t frd;
  } cases[] = {
      {"add a0", 0x00b50533, RD, true, 10, false, 0},
      {"c.lw a0", 0x4148, RD, true, 10, false, 0},
      {"c.fld fa0", 0x2108, FRD, false, 0, true, 10},
      {"sd: only the store flag", 0x00b53823, STORE, false, 0, false, 0},
      {"unknown", 0xffffffff, 0, false, 0, false, 0},
  };
  et_annotator_t hwt(d, {false, true});
  et_annotator_t swt(d, {false, false});
  for (int pass = 0; pass < 2; ++pass) {
    for (const auto& c : cases) {
      et_insn_t in{};
      in.chunk = c.word;
      hwt.annotate(in);
      EXPECT_EQ(in.flags, c.flags) << c.what;
      EXPECT_EQ(in.rd.addr_valid, c.rd_valid) << c.what;
      EXPECT_EQ(in.rd.addr, c.rd) << c.what;
      EXPECT_EQ(in.frd.addr_valid, c.frd_valid) << c.what;
      EXPECT_EQ(in.frd.addr, c.frd) << c.what;

      et_insn_t plain{};
      plain.chunk = c.word;
      swt.annotate(plain);
      const disasm_insn_t* entry = d.get_disasm(c.word);
      EXPECT_EQ(plain.flags, entry ? entry->insn_flags : 0) << c.what;
      EXPECT_EQ(plain.rd.addr_valid, 0) << c.what;
      EXPECT_EQ(plain.frd.addr_valid, 0) << c.what;
    }
  }
}

TEST(Annotator, UnknownIdentifier) {
  const disassembler_t d(64);
  EXPECT_EQ(et_insn_id_of(d.get_disasm(0x00b50533)), insn_id("add"));
  EXPECT_EQ(et_insn_id_of(nullptr), et_unknown_insn_id);
  EXPECT_EQ(et_unknown_insn_id, ~uint64_t(0));
}

}  // namespace
