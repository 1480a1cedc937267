// The fused instruction pairs: their 41 table entries and the texts their
// printers make of a fused word.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "disasm/disassembler.h"
#include "disasm/fuse_args.h"
#include "disasm/fused_pairs.h"
#include "disasm/isa_parser.h"

namespace {

using namespace insn_flag;

// Fusion kinds (bits 62..60) and length markers (bits 6..0) of a fused word.
enum kind_t : uint64_t {
  lui_addi = 0,
  add_load = 1,
  lui_load = 2,
  lui_jalr = 3,
  auipc_addi = 4,
  and_branch = 5,
  auipc_load = 6,
  auipc_jalr = 7,
};
enum marker_t : uint64_t { both_32 = 0x3f, one_16 = 0x1f, both_16 = 0x7b };

// The fused word of a pair: `first` is the first instruction's word, `funct3`
// and `imm` (12 bits, the halved offset for a branch) come from the second;
// `x0_first` marks a 32-bit branch whose first source is x0.
uint64_t fused(kind_t kind, uint32_t first, unsigned funct3, int imm, marker_t marker,
               bool x0_first = false) {
  return uint64_t(1) << 63 | uint64_t(kind) << 60 | uint64_t(x0_first) << 54 |
         uint64_t(funct3 & 7) << 51 | (uint64_t(imm) & 0xfff) << 39 | uint64_t(first) << 7 | marker;
}

// First instructions used below.
constexpr uint32_t lui_a5_12345 = 0x123457b7;
constexpr uint32_t lui_t0_12345 = 0x123452b7;
constexpr uint32_t lui_a0_12345 = 0x12345537;
constexpr uint32_t c_lui_a0_1 = 0x6505;
constexpr uint32_t c_lui_a0_m1 = 0x757d;
constexpr uint32_t auipc_t0_0 = 0x00000297;
constexpr uint32_t auipc_a0_fffff = 0xfffff517;
constexpr uint32_t add_a0_a0_a1 = 0x00b50533;
constexpr uint32_t add_uw_a0_a0_a1 = 0x08b5053b;
constexpr uint32_t sh1add_a0_a0_a1 = 0x20b52533;
constexpr uint32_t sh2add_a0_a0_a1 = 0x20b54533;
constexpr uint32_t sh3add_a0_a0_a1 = 0x20b56533;
constexpr uint32_t sh1add_uw_a0_a0_a1 = 0x20b5253b;
constexpr uint32_t sh2add_uw_a0_a0_a1 = 0x20b5453b;
constexpr uint32_t sh3add_uw_a0_a0_a1 = 0x20b5653b;
constexpr uint32_t c_add_t0_t1 = 0x929a;  // registers outside x8..x15
constexpr uint32_t andi_a0_a0_1 = 0x00157513;
constexpr uint32_t andi_a0_a0_m8 = 0xff857513;
constexpr uint32_t and_t0_t0_t1 = 0x0062f2b3;
constexpr uint32_t c_andi_a0_1 = 0x8905;
constexpr uint32_t c_andi_a0_m1 = 0x997d;
constexpr uint32_t c_and_a0_a1 = 0x8d6d;

// Enables nothing: the fused pairs are in every table regardless.
class nothing_enabled_t final : public isa_parser_i {
public:
  bool extension_enabled(unsigned char) const override { return false; }
  bool extension_enabled(isa_extension_t) const override { return false; }
  uint32_t get_max_xlen() const override { return 64; }
  bool has_any_vector() const override { return false; }
};

class Fused : public ::testing::Test {
protected:
  // Text of `word`, which every table must decode alike with the entry named
  // (dotted, as printed).
  std::string decode(uint64_t word, char const* expected_entry) {
    std::string const text = rv64_.disassemble(word);
    for (disassembler_t const* d : tables_) {
      disasm_insn_t const* e = d->get_disasm(word);
      if (e == nullptr) {
        ADD_FAILURE() << std::hex << "no entry for 0x" << word;
        continue;
      }
      EXPECT_EQ(e->name, expected_entry);
      EXPECT_EQ(d->disassemble(word), text);
    }
    return text;
  }

  nothing_enabled_t nothing_;
  disassembler_t const rv64_{64};
  disassembler_t const rv32_{32};
  disassembler_t const bare_{&nothing_};
  std::vector<disassembler_t const*> const tables_{&rv64_, &rv32_, &bare_};
};

// The builder lays the fields out as the trace library fuses lui a5, 0x12345
// and addi a5, a5, 16.
TEST(FusedWord, BuilderMakesTheTraceLibrarysWord) {
  EXPECT_EQ(fused(lui_addi, lui_a5_12345, 0, 16, both_32), 0x800008091a2bdbbfull);
}

// A known word of every pair: the entry it decodes to, with its identifier,
// operand flags and text.
struct known_word_t {
  uint64_t word;
  char const* entry;
  unsigned long id;
  unsigned long flags;
  char const* text;
};

TEST_F(Fused, KnownWordsOfEveryPair) {
  unsigned long const load_flags = RD | MEM, add_load_flags = RS1 | RS2 | RD | MEM;
  known_word_t const cases[] = {
      // lui / c.lui with addi: the lui immediate as a plain lui prints it.
      {fused(lui_addi, lui_a5_12345, 0, 16, both_32), "fuse.lui.addi", 406, RD,
       "lui a5, 0x12345; addi a5, a5, 16"},
      {fused(lui_addi, lui_a0_12345, 0, -1, one_16), "fuse.lui.c.addi", 407, RD,
       "lui a0, 0x12345; c.addi a0, a0, -1"},
      {fused(lui_addi, c_lui_a0_m1, 0, 4, one_16), "fuse.c.lui.addi", 401, RD,
       "c.lui a0, 0xfffff; addi a0, a0, 4"},
      {fused(lui_addi, c_lui_a0_1, 0, 4, both_16), "fuse.c.lui.c.addi", 402, RD,
       "c.lui a0, 0x00001; c.addi a0, a0, 4"},
      // lui with jalr: the lui-addi printer with another second mnemonic.
      {fused(lui_jalr, lui_t0_12345, 0, 16, both_32), "fuse.lui.jalr", 409, RD,
       "lui t0, 0x12345; jalr t0, t0, 16"},
      {fused(lui_jalr, c_lui_a0_1, 0, -2048, one_16), "fuse.c.lui.jalr", 404, RD,
       "c.lui a0, 0x00001; jalr a0, a0, -2048"},
      // auipc with addi or jalr.
      {fused(auipc_addi, auipc_t0_0, 0, 16, both_32), "fuse.auipc.addi", 390, RD,
       "auipc t0, 0x00000; addi t0, t0, 16"},
      {fused(auipc_addi, auipc_a0_fffff, 0, 4, one_16), "fuse.auipc.c.addi", 391, RD,
       "auipc a0, 0xfffff; c.addi a0, a0, 4"},
      {fused(auipc_jalr, auipc_a0_fffff, 0, -16, both_32), "fuse.auipc.jalr", 393, RD,
       "auipc a0, 0xfffff; jalr a0, a0, -16"},
      // lui / auipc with a load.
      {fused(lui_load, lui_t0_12345, 2, 8, both_32), "fuse.lui.lx", 410, load_flags,
       "lui t0, 0x12345; lw t0, 8(t0)"},
      {fused(lui_load, lui_t0_12345, 2, 8, one_16), "fuse.lui.c.lx", 408, load_flags,
       "lui t0, 0x12345; c.lw t0, 8(t0)"},
      {fused(lui_load, c_lui_a0_m1, 4, -4, one_16), "fuse.c.lui.lx", 405, load_flags,
       "c.lui a0, 0xfffff; lbu a0, -4(a0)"},
      {fused(lui_load, c_lui_a0_1, 3, 192, both_16), "fuse.c.lui.c.lx", 403, load_flags,
       "c.lui a0, 0x00001; c.ld a0, 192(a0)"},
      {fused(auipc_load, auipc_t0_0, 3, 16, both_32), "fuse.auipc.lx", 394, load_flags,
       "auipc t0, 0x00000; ld t0, 16(t0)"},
      {fused(auipc_load, auipc_a0_fffff, 2, 124, one_16), "fuse.auipc.c.lx", 392, load_flags,
       "auipc a0, 0xfffff; c.lw a0, 124(a0)"},
      // Address adds with a load: the load offset is always 0.
      {fused(add_load, add_a0_a0_a1, 3, 0, both_32), "fuse.add.lx", 383, add_load_flags,
       "add a0, a0, a1; ld a0, 0(a0)"},
      {fused(add_load, add_a0_a0_a1, 3, 0, one_16), "fuse.add.c.lx", 382, add_load_flags,
       "add a0, a0, a1; c.ld a0, 0(a0)"},
      {fused(add_load, add_uw_a0_a0_a1, 0, 0, both_32), "fuse.add.uw.lx", 385, add_load_flags,
       "add.uw a0, a0, a1; lb a0, 0(a0)"},
      {fused(add_load, add_uw_a0_a0_a1, 2, 0, one_16), "fuse.add.uw.c.lx", 384, add_load_flags,
       "add.uw a0, a0, a1; c.lw a0, 0(a0)"},
      {fused(add_load, sh1add_a0_a0_a1, 1, 0, both_32), "fuse.sh1add.lx", 412, add_load_flags,
       "sh1add a0, a0, a1; lh a0, 0(a0)"},
      {fused(add_load, sh1add_a0_a0_a1, 2, 0, one_16), "fuse.sh1add.c.lx", 411, add_load_flags,
       "sh1add a0, a0, a1; c.lw a0, 0(a0)"},
      {fused(add_load, sh1add_uw_a0_a0_a1, 4, 0, both_32), "fuse.sh1add.uw.lx", 414, add_load_flags,
       "sh1add.uw a0, a0, a1; lbu a0, 0(a0)"},
      {fused(add_load, sh1add_uw_a0_a0_a1, 3, 0, one_16), "fuse.sh1add.uw.c.lx", 413,
       add_load_flags, "sh1add.uw a0, a0, a1; c.ld a0, 0(a0)"},
      {fused(add_load, sh2add_a0_a0_a1, 5, 0, both_32), "fuse.sh2add.lx", 416, add_load_flags,
       "sh2add a0, a0, a1; lhu a0, 0(a0)"},
      {fused(add_load, sh2add_a0_a0_a1, 2, 0, one_16), "fuse.sh2add.c.lx", 415, add_load_flags,
       "sh2add a0, a0, a1; c.lw a0, 0(a0)"},
      {fused(add_load, sh2add_uw_a0_a0_a1, 6, 0, both_32), "fuse.sh2add.uw.lx", 418, add_load_flags,
       "sh2add.uw a0, a0, a1; lwu a0, 0(a0)"},
      {fused(add_load, sh2add_uw_a0_a0_a1, 2, 0, one_16), "fuse.sh2add.uw.c.lx", 417,
       add_load_flags, "sh2add.uw a0, a0, a1; c.lw a0, 0(a0)"},
      {fused(add_load, sh3add_a0_a0_a1, 3, 0, both_32), "fuse.sh3add.lx", 420, add_load_flags,
       "sh3add a0, a0, a1; ld a0, 0(a0)"},
      {fused(add_load, sh3add_a0_a0_a1, 3, 0, one_16), "fuse.sh3add.c.lx", 419, add_load_flags,
       "sh3add a0, a0, a1; c.ld a0, 0(a0)"},
      {fused(add_load, sh3add_uw_a0_a0_a1, 3, 0, both_32), "fuse.sh3add.uw.lx", 422, add_load_flags,
       "sh3add.uw a0, a0, a1; ld a0, 0(a0)"},
      {fused(add_load, sh3add_uw_a0_a0_a1, 2, 0, one_16), "fuse.sh3add.uw.c.lx", 421,
       add_load_flags, "sh3add.uw a0, a0, a1; c.lw a0, 0(a0)"},
      {fused(add_load, c_add_t0_t1, 2, 0, one_16), "fuse.c.add.lx", 396, add_load_flags,
       "c.add t0, t0, t1; lw t0, 0(t0)"},
      {fused(add_load, c_add_t0_t1, 3, 0, both_16), "fuse.c.add.c.lx", 395, add_load_flags,
       "c.add t0, t0, t1; c.ld t0, 0(t0)"},
      // and / andi and their compressed forms with a branch on the result.
      {fused(and_branch, andi_a0_a0_1, 0, 4, both_32), "fuse.andi.beq", 388, RS1 | RD,
       "andi a0, a0, 1; beq a0, zero, pc + 8"},
      {fused(and_branch, andi_a0_a0_m8, 6, 4, one_16), "fuse.andi.c.beq", 389, RS1 | RD,
       "andi a0, a0, -8; c.beqz a0, zero, pc + 8"},
      {fused(and_branch, and_t0_t0_t1, 1, 4, both_32), "fuse.and.beq", 386, RS1 | RS2 | RD,
       "and t0, t0, t1; bne t0, zero, pc + 8"},
      {fused(and_branch, and_t0_t0_t1, 1, 4, both_32, true), "fuse.and.beq", 386, RS1 | RS2 | RD,
       "and t0, t0, t1; bne zero, t0, pc + 8"},
      {fused(and_branch, and_t0_t0_t1, 7, -2, one_16), "fuse.and.c.beq", 387, RS1 | RS2 | RD,
       "and t0, t0, t1; c.bnez t0, zero, pc - 4"},
      {fused(and_branch, c_andi_a0_m1, 4, -4, one_16), "fuse.c.andi.beq", 399, RS1 | RD,
       "c.andi a0, a0, -1; blt a0, zero, pc - 8"},
      {fused(and_branch, c_andi_a0_1, 7, -2048, both_16), "fuse.c.andi.c.beq", 400, RS1 | RD,
       "c.andi a0, a0, 1; c.bnez a0, zero, pc - 4096"},
      {fused(and_branch, c_and_a0_a1, 5, 0, one_16), "fuse.c.and.beq", 397, RS1 | RS2 | RD,
       "c.and a0, a0, a1; bge a0, zero, pc + 0"},
      {fused(and_branch, c_and_a0_a1, 6, 2047, both_16), "fuse.c.and.c.beq", 398, RS1 | RS2 | RD,
       "c.and a0, a0, a1; c.beqz a0, zero, pc + 4094"},
  };
  std::set<std::string> entries;
  for (known_word_t const& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(decode(c.word, c.entry), c.text);
    for (disassembler_t const* d : tables_) {
      disasm_insn_t const* e = d->get_disasm(c.word);
      if (e == nullptr) continue;  // reported by decode
      EXPECT_EQ(e->insn_id, c.id);
      EXPECT_EQ(e->insn_flags, c.flags);
      EXPECT_EQ(e->base_name, c.entry);
      EXPECT_FALSE(e->print_name);
    }
    entries.insert(c.entry);
  }
  EXPECT_EQ(entries.size(), 41u);
}

TEST_F(Fused, LoadMnemonicFollowsTheSecondFunct3) {
  // Funct3 7 is no load: the mnemonic is left empty.
  char const* const plain[8] = {"lb", "lh", "lw", "ld", "lbu", "lhu", "lwu", ""};
  char const* const compressed[8] = {"lb", "lh", "c.lw", "c.ld", "lbu", "lhu", "lwu", ""};
  for (unsigned funct3 = 0; funct3 < 8; ++funct3) {
    SCOPED_TRACE(funct3);
    EXPECT_EQ(decode(fused(lui_load, lui_t0_12345, funct3, 8, both_32), "fuse.lui.lx"),
              std::string("lui t0, 0x12345; ") + plain[funct3] + " t0, 8(t0)");
    EXPECT_EQ(decode(fused(lui_load, lui_t0_12345, funct3, 8, one_16), "fuse.lui.c.lx"),
              std::string("lui t0, 0x12345; ") + compressed[funct3] + " t0, 8(t0)");
    EXPECT_EQ(decode(fused(add_load, add_a0_a0_a1, funct3, 0, one_16), "fuse.add.c.lx"),
              std::string("add a0, a0, a1; ") + compressed[funct3] + " a0, 0(a0)");
  }
}

TEST_F(Fused, BranchMnemonicFollowsTheSecondFunct3) {
  // Funct3 2 and 3 are no branch: the mnemonic is left empty.
  char const* const plain[8] = {"beq", "bne", "", "", "blt", "bge", "bltu", "bgeu"};
  char const* const compressed[8] = {"beq", "bne", "", "", "blt", "bge", "c.beqz", "c.bnez"};
  for (unsigned funct3 = 0; funct3 < 8; ++funct3) {
    SCOPED_TRACE(funct3);
    EXPECT_EQ(decode(fused(and_branch, andi_a0_a0_1, funct3, 4, both_32), "fuse.andi.beq"),
              std::string("andi a0, a0, 1; ") + plain[funct3] + " a0, zero, pc + 8");
    EXPECT_EQ(decode(fused(and_branch, c_and_a0_a1, funct3, -4, both_16), "fuse.c.and.c.beq"),
              std::string("c.and a0, a0, a1; ") + compressed[funct3] + " a0, zero, pc - 8");
  }
}

// The three printers no entry uses still pick their compressed jalr, and the
// branch printer reads c.add and c.addi with 5-bit register fields.
TEST(FusedPrinters, UnusedShapesPrintAsTheirConstructorsSay) {
  struct {
    arg_t const& printer;
    uint64_t word;
    char const* text;
  } const cases[] = {
      {fuse_auipc_c_jalr_arg, fused(auipc_jalr, auipc_t0_0, 0, 0, one_16),
       "auipc t0, 0x00000; c.jalr t0, t0, 0"},
      {fuse_lui_c_jalr_arg, fused(lui_jalr, lui_t0_12345, 0, 0, one_16),
       "lui t0, 0x12345; c.jalr t0, t0, 0"},
      {fuse_c_lui_c_jalr_arg, fused(lui_jalr, c_lui_a0_1, 0, 0, both_16),
       "c.lui a0, 0x00001; c.jalr a0, a0, 0"},
  };
  for (auto const& c : cases) EXPECT_EQ(c.printer.to_string(insn_t(c.word)), c.text);

  fuse_alu_beq_arg_t const c_add("c.add", true, false);
  fuse_alu_beq_arg_t const c_addi("c.addi", true, false);
  uint32_t const c_addi_t0_m1 = 0x12fd;
  EXPECT_EQ(c_add.to_string(insn_t(fused(and_branch, c_add_t0_t1, 0, 4, one_16))),
            "c.add t0, t0, t1; beq t0, zero, pc + 8");
  EXPECT_EQ(c_addi.to_string(insn_t(fused(and_branch, c_addi_t0_m1, 0, 4, one_16))),
            "c.addi t0, t0, -1; beq t0, zero, pc + 8");
}

// ---- The rows ----------------------------------------------------------

// Each row is found for its own match word, and for that word with every
// bit its mask leaves free set, in every table; never a catch-all in its
// place, and its whole text is its printer's.
TEST_F(Fused, EveryRowIsInEveryTable) {
  for (fused_pair_t const& row : fused_pairs) {
    SCOPED_TRACE(row.name);
    for (disassembler_t const* d : tables_) {
      for (uint64_t word : {row.match, row.match | ~row.mask}) {
        disasm_insn_t const* e = d->get_disasm(word);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->match, row.match);
        EXPECT_EQ(e->mask, row.mask);
        EXPECT_EQ(e->args, std::vector<arg_t const*>{row.printer});
        EXPECT_EQ(d->disassemble(word), row.printer->to_string(insn_t(word)));
      }
    }
  }
}

// A word that looks like a fused word in its low 32 bits is still an
// ordinary word: only bit 63 makes a fused one.
TEST_F(Fused, OrdinaryWordsNeverReachAFusedEntry) {
  for (fused_pair_t const& row : fused_pairs) {
    for (uint64_t word : {row.match & 0xffffffff, (row.match | ~row.mask) & 0x7fffffffffffffff}) {
      for (disassembler_t const* d : tables_) {
        disasm_insn_t const* e = d->get_disasm(word);
        EXPECT_TRUE(e == nullptr || e->name.rfind("fuse.", 0) != 0) << std::hex << word;
      }
    }
  }
}

// All 44 printer objects are distinct; every entry uses one, and exactly the
// three jalr printers with a compressed second half are left over.
TEST_F(Fused, OnlyTheThreeCompressedJalrPrintersAreUnused) {
  std::map<arg_t const*, std::string> objects;
#define X(cls, name, ...) objects.emplace(&name, #name);
  DISASM_FUSED_PRINTERS(X)
#undef X
  ASSERT_EQ(objects.size(), 44u);
  for (fused_pair_t const& row : fused_pairs)
    objects.erase(rv64_.get_disasm(row.match)->args.at(0));
  std::set<std::string> unused;
  for (auto const& o : objects) unused.insert(o.second);
  EXPECT_EQ(unused, (std::set<std::string>{"fuse_auipc_c_jalr_arg", "fuse_lui_c_jalr_arg",
                                           "fuse_c_lui_c_jalr_arg"}));
}

}  // namespace
