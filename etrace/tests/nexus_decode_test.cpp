// Instruction-flow reconstruction: the program counters, columns and errors
// that decode() writes for Nexus files walked through ELF images and HWT
// traces.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "disasm/disassembler.h"
#include "disasm/insn_ids.h"
#include "etrace/mh_swt_reader.h"
#include "etrace/nexus/nexus_decoder.h"
#include "support/elf_writer.h"
#include "support/heap_counter.h"  // this program's operator new
#include "support/nexus_encoder.h"
#include "support/trace_builder.h"

using et_test::fixed;
using et_test::nexus_encoder_t;
using et_test::temp_file_t;
using et_test::var;

namespace {

// --- A few encodings, by the instruction formats ---------------------------

uint32_t b_type(unsigned funct3, unsigned rs1, unsigned rs2, int32_t offset) {
  const uint32_t o = uint32_t(offset);
  return (o >> 12 & 1) << 31 | (o >> 5 & 0x3f) << 25 | rs2 << 20 | rs1 << 15 | funct3 << 12 |
         (o >> 1 & 0xf) << 8 | (o >> 11 & 1) << 7 | 0x63;
}
uint32_t beq(unsigned rs1, unsigned rs2, int32_t offset) { return b_type(0, rs1, rs2, offset); }
uint32_t bne(unsigned rs1, unsigned rs2, int32_t offset) { return b_type(1, rs1, rs2, offset); }

uint32_t jal(unsigned rd, int32_t offset) {
  const uint32_t o = uint32_t(offset);
  return (o >> 20 & 1) << 31 | (o >> 1 & 0x3ff) << 21 | (o >> 11 & 1) << 20 |
         (o >> 12 & 0xff) << 12 | rd << 7 | 0x6f;
}

uint32_t addi(unsigned rd, unsigned rs1, int32_t imm) {
  return uint32_t(imm) << 20 | rs1 << 15 | rd << 7 | 0x13;
}
uint32_t jalr(unsigned rd, unsigned rs1) { return rs1 << 15 | rd << 7 | 0x67; }

uint16_t c_j(int32_t offset) {
  const uint32_t o = uint32_t(offset);
  return uint16_t(5u << 13 | (o >> 11 & 1) << 12 | (o >> 4 & 1) << 11 | (o >> 8 & 3) << 9 |
                  (o >> 10 & 1) << 8 | (o >> 6 & 1) << 7 | (o >> 7 & 1) << 6 | (o >> 1 & 7) << 3 |
                  (o >> 5 & 1) << 2 | 1);
}

uint16_t c_branch(unsigned funct3, unsigned rs1c, int32_t offset) {
  const uint32_t o = uint32_t(offset);
  return uint16_t(funct3 << 13 | (o >> 8 & 1) << 12 | (o >> 3 & 3) << 10 | rs1c << 7 |
                  (o >> 6 & 3) << 5 | (o >> 1 & 3) << 3 | (o >> 5 & 1) << 2 | 1);
}

constexpr uint16_t c_nop = 0x0001;
constexpr uint16_t c_addi_x1_1 = 0x0085;
constexpr uint32_t unknown_word = 0xFFFFFFFB;  // custom opcode nothing decodes

// --- Program images ---------------------------------------------------------

struct program_t {
  uint64_t base;
  std::vector<uint8_t> bytes;

  explicit program_t(uint64_t base_address) : base(base_address) {}
  program_t& at(uint64_t address) {
    bytes.resize(address - base, 0);
    return *this;
  }
  program_t& w32(uint32_t w) {
    for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(w >> (8 * i)));
    return *this;
  }
  program_t& w16(uint16_t w) {
    bytes.push_back(uint8_t(w));
    bytes.push_back(uint8_t(w >> 8));
    return *this;
  }
};

// The ELF file of one program, removed with the object.
struct elf_file_t {
  temp_file_t file;
  explicit elf_file_t(const program_t& p) {
    et_test::elf_writer_t elf(ELFCLASS64);
    std::vector<uint8_t> bytes = p.bytes;
    bytes.resize(bytes.size() + 8, 0);
    const size_t text = elf.add_section(
        et_test::elf_section_t::progbits(".text", SHF_ALLOC | SHF_EXECINSTR, p.base, bytes));
    elf.add_segment(PT_LOAD, p.base, p.base, bytes.size());
    elf.add_symbol("_start", p.base, text);
    et_test::write_file(file.path(), elf.image());
  }
  const std::string& path() const { return file.path(); }
};

// The loop the walks below run through.
//   1000 addi x1,x0,2 ; 1004 addi x1,x1,-1 ; 1008 beq x2,x3,+8 ; 100C addi x4,x4,1
//   1010 bne x1,x0,-12 ; 1014 c.addi x1,1 ; 1016 jalr x0,0(x5)
//   1040 addi ; 1044 jal x0,+16 ; 1054 jalr x0,0(x1)
program_t loop_program() {
  program_t p(0x1000);
  p.w32(addi(1, 0, 2)).w32(addi(1, 1, -1)).w32(beq(2, 3, 8)).w32(addi(4, 4, 1)).w32(bne(1, 0, -12));
  p.w16(c_addi_x1_1).w32(jalr(0, 5));
  p.at(0x1040).w32(addi(6, 6, 1)).w32(jal(0, 16));
  p.at(0x1054).w32(jalr(0, 1));
  return p;
}

// --- Messages ---------------------------------------------------------------

struct messages_t {
  nexus_encoder_t enc;
  explicit messages_t(bool has_src = false, unsigned src_bits = 0) : enc(has_src, src_bits) {}

  messages_t& sync(uint64_t pc, uint64_t icnt = 0, unsigned src = 0) {
    enc.message(9, src, {fixed(1, 4), var(icnt), var(pc >> 1)});
    return *this;
  }
  messages_t& direct(uint64_t icnt, unsigned src = 0) {
    enc.message(3, src, {var(icnt)});
    return *this;
  }
  messages_t& indirect(uint64_t icnt, uint64_t uaddr, unsigned src = 0) {
    enc.message(4, src, {fixed(0, 2), var(icnt), var(uaddr >> 1)});
    return *this;
  }
  // hist as the encoder sends it: the first outcome in the highest bit.
  messages_t& history(uint64_t icnt, uint64_t uaddr, uint64_t hist, unsigned src = 0) {
    enc.message(28, src, {fixed(0, 2), var(icnt), var(uaddr >> 1), var(hist)});
    return *this;
  }
  messages_t& repeat(uint64_t bcnt, unsigned src = 0) {
    enc.message(30, src, {var(bcnt)});
    return *this;
  }
  messages_t& resource_full(unsigned rcode, uint64_t value, unsigned src = 0) {
    enc.message(27, src, {fixed(rcode, 4), var(value)});
    return *this;
  }
  messages_t& ownership(uint64_t value, unsigned src = 0) {
    enc.message(2, src, {var(value)});
    return *this;
  }
  messages_t& error(unsigned src = 0) {
    enc.message(8, src, {fixed(1, 4), var(2)});
    return *this;
  }
};

// One decoding run: its output, and the error text when it threw.
struct run_t {
  std::string out;
  std::string error;
};

struct decoder_setup_t {
  bool has_src = false;
  unsigned long src_bits = 0;
  unsigned long src_mask = 1;
  bool nexus_log = false;
  bool disasm_log = false;
  bool stop_on_error = true;
  uint64_t walk_cap = nexus_decoder_t::default_walk_cap;
  const disassembler_t* disassembler = nullptr;  // the decoder's own when null
};

run_t decode_bytes(const std::string& bytes, const std::vector<std::string>& elfs,
                   const decoder_setup_t& setup = {},
                   const std::unique_ptr<mh_swt_reader_t>& hwt = nullptr) {
  temp_file_t nx;
  std::ofstream(nx.path(), std::ios::binary) << bytes;
  nexus_decoder_t nexus(64, setup.has_src, setup.src_bits);
  if (setup.nexus_log) nexus.enable_nexus_log();
  if (setup.disasm_log) nexus.enable_disasm_log();
  nexus.set_walk_cap(setup.walk_cap);
  nexus.use_disassembler(setup.disassembler);
  std::ostringstream out;
  run_t run;
  try {
    nexus.decode(setup.src_mask, out, nx.path(), elfs, hwt, setup.stop_on_error);
  } catch (const std::runtime_error& e) {
    run.error = e.what();
  }
  run.out = out.str();
  return run;
}

run_t decode_loop(const messages_t& m, const decoder_setup_t& setup = {}) {
  const elf_file_t elf(loop_program());
  return decode_bytes(m.enc.str(), {elf.path()}, setup);
}

// --- Walks through the loop program ------------------------------------------

TEST(NexusDecode, WalksTheLoopProgramMessageByMessage) {
  struct case_t {
    const char* what;
    std::function<void(messages_t&)> build;
    std::string listing;
    std::string error;
  };
  const case_t cases[] = {
      {"a Synchronization walks nothing and sets the address",
       [](messages_t& m) { m.sync(0x1004); }, "", ""},
      {"a Direct Branch ends on its taken bne",
       [](messages_t& m) { m.sync(0x1004).direct(8).resource_full(0, 2); },
       "1004\n1008\n100C\n1010\n1004\n", ""},
      {"a Repeat Branch walks the saved count B-CNT times",
       [](messages_t& m) { m.sync(0x1004).direct(8).repeat(3); },
       "1004\n1008\n100C\n1010\n1004\n1008\n100C\n1010\n1004\n1008\n100C\n1010\n1004\n1008\n100C\n1"
       "010\n",
       ""},
      {"a Repeat Branch of 0 walks nothing",
       [](messages_t& m) { m.sync(0x1004).direct(8).repeat(0).resource_full(0, 2); },
       "1004\n1008\n100C\n1010\n1004\n", ""},
      {"HIST 101: the beq is taken, the bne not, then the indirect target",
       [](messages_t& m) { m.sync(0x1004).history(9, 0x1040 ^ 0x1004, 0b110).resource_full(0, 2); },
       "1004\n1008\n1010\n1014\n1016\n1040\n", ""},
      {"HIST 1: every conditional branch falls through",
       [](messages_t& m) { m.sync(0x1004).history(11, 0x1040 ^ 0x1004, 1); },
       "1004\n1008\n100C\n1010\n1014\n1016\n", ""},
      {"an indirect branch XORs the unique address into the last full one",
       [](messages_t& m) {
         m.sync(0x1040)
             .indirect(6, 0x1000 ^ 0x1040)
             .indirect(0, 0x1040 ^ 0x1000)
             .resource_full(0, 2);
       },
       "1040\n1044\n1054\n1040\n", ""},
      {"a Resource Full with RCODE 0 walks its whole count with HIST 1",
       [](messages_t& m) { m.sync(0x1004).resource_full(0, 8); }, "1004\n1008\n100C\n1010\n", ""},
      {"a Resource Full with RCODE 1 stops when HIST runs out",
       [](messages_t& m) { m.sync(0x1004).resource_full(1, 0b110).resource_full(0, 1); },
       "1004\n1008\n1010\n1014\n", ""},
      {"a Resource Full with RCODE 1 and HIST 1 walks nothing",
       [](messages_t& m) { m.sync(0x1004).resource_full(1, 1).resource_full(0, 2); }, "1004\n", ""},
      {"a count ending inside an instruction ends the block",
       [](messages_t& m) { m.sync(0x1000).resource_full(0, 3).ownership(0x1C); }, "1000\n1004\n",
       ""},
      {"no walk before the first synchronisation",
       [](messages_t& m) { m.direct(8).resource_full(0, 4).sync(0x1004).resource_full(0, 2); },
       "1004\n", ""},
      {"an Ownership or Error message after a block walks nothing",
       [](messages_t& m) { m.sync(0x1004).direct(8).ownership(0x1C).resource_full(2, 0); },
       "1004\n1008\n100C\n1010\n", ""},
      {"a Repeat Branch of 2^32-1 block ends over a count of 0 after a sync",
       [](messages_t& m) { m.sync(0x1004).repeat(0xFFFFFFFF).resource_full(0, 2); }, "1004\n", ""},
      {"a Repeat Branch of 2^32-1 taken branches over a count of 0",
       [](messages_t& m) {
         m.sync(0x1004).direct(8).direct(0).repeat(0xFFFFFFFF).resource_full(0, 2);
       },
       "1004\n1008\n100C\n1010\nFFFFFFF400001004",
       // 0x1004 - 12 - 12 * (2^32 - 1)
       "Failed to get chunk from pc. pc = 0xfffffff400001004"},
      {"the walk leaves the image", [](messages_t& m) { m.sync(0x2000).resource_full(0, 2); },
       "2000", "Failed to get chunk from pc. pc = 0x2000"},
      {"a Direct Branch ending on an instruction that is no branch",
       [](messages_t& m) { m.sync(0x1000).direct(2); }, "1000\n",
       "Taken direct branch failed! topc=0x" +
           [] {
             std::ostringstream s;
             s << std::hex << insn_id("addi");
             return s.str();
           }() +
           " pc=0x1000 chunk=0x200093\n"},
      {"a Direct Branch ending on a jump is refused",
       [](messages_t& m) { m.sync(0x1044).direct(2); }, "1044\n",
       "Taken direct branch failed! topc=0x" +
           [] {
             std::ostringstream s;
             s << std::hex << insn_id("jal");
             return s.str();
           }() +
           " pc=0x1044 chunk=0x100006f\n"},
      {"an unknown TCODE",
       [](messages_t& m) { m.sync(0x1004).direct(8).enc.message(5, 0, {var(1)}); },
       "1004\n1008\n100C\n1010\n", "Unknown tcode: 0x5\n"},
      {"an Error message stops the run",
       [](messages_t& m) { m.sync(0x1004).direct(8).error().direct(8); },
       "1004\n1008\n100C\n1010\n", "Detected Nexus Error message"},
      {"a file that ends inside a message",
       [](messages_t& m) { m.sync(0x1004).direct(8).enc.tcode(3).put(fixed(1, 4)); },
       "1004\n1008\n100C\n1010\n", "Nexus trace ends inside a message"},
  };
  for (const auto& c : cases) {
    messages_t m;
    c.build(m);
    const run_t run = decode_loop(m);
    EXPECT_EQ(run.out, c.listing) << c.what;
    EXPECT_EQ(run.error, c.error) << c.what;
  }
}

TEST(NexusDecode, ErrorMessagesPassWithoutStopOnError) {
  messages_t m;
  m.sync(0x1004).error().direct(8);
  decoder_setup_t setup;
  setup.stop_on_error = false;
  const run_t run = decode_loop(m, setup);
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.out, "1004\n1008\n100C\n1010\n");
}

TEST(NexusDecode, WalkCapThrowsWithTheProgramCounter) {
  // A count of 100 halfwords over a jal to itself takes 50 steps.
  program_t spin(0x3000);
  spin.w32(jal(0, 0));
  const elf_file_t elf(spin);
  messages_t m;
  m.sync(0x3000).direct(100);
  decoder_setup_t setup;
  setup.walk_cap = 5;
  const run_t run = decode_bytes(m.enc.str(), {elf.path()}, setup);
  EXPECT_EQ(run.out, "3000\n3000\n3000\n3000\n3000\n");
  EXPECT_EQ(run.error, "Nexus walk does not reach its block end after 5 steps. pc = 0x3000");

  // The cap counts block ends too: saved count 2 and B-CNT 4 make 8 steps.
  messages_t r;
  r.sync(0x1004).resource_full(0, 2).repeat(4);
  setup.walk_cap = 6;
  const run_t repeated = decode_loop(r, setup);
  EXPECT_EQ(repeated.out, "1004\n1004\n1004\n1004\n");
  EXPECT_EQ(repeated.error, "Nexus walk does not reach its block end after 6 steps. pc = 0x1004");
}

// A Resource Full that carries history walks until HIST runs out. Over a loop
// with no conditional branch that never happens: the walk comes back to a
// program counter with the same HIST, and must stop there at once.
TEST(NexusDecode, ResourceFullWalkThatCannotEndThrowsAtOnce) {
  //   3000 addi x1,x1,1 ; 3004 j .-4 ; 3008 jal x0,-8
  program_t spin(0x3000);
  spin.w32(addi(1, 1, 1)).w32(jal(0, -4)).w32(jal(0, -8));
  //   3000 addi x1,x1,1 ; 3004 bne x1,x0,-4 ; 3008 addi x1,x1,2
  program_t branchy(0x3000);
  branchy.w32(addi(1, 1, 1)).w32(bne(1, 0, -4)).w32(addi(1, 1, 2));
  struct case_t {
    const char* what;
    const program_t& program;
    uint64_t pc;
    std::string listing;
    std::string error;
  };
  const case_t cases[] = {
      {"addi and a jump back, no history bit used", spin, 0x3000, "3000\n3004\n",
       "Nexus walk loops without using its history. pc = 0x3000"},
      {"the pc named is the one the walk comes back to", spin, 0x3008, "3008\n3000\n3004\n",
       "Nexus walk loops without using its history. pc = 0x3000"},
      // HIST 101: the bne is taken, then falls through, and HIST is out.
      {"a loop whose branch uses history bits ends", branchy, 0x3000,
       "3000\n3004\n3000\n3004\n", ""},
  };
  for (const auto& c : cases) {
    const elf_file_t elf(c.program);
    messages_t m;
    m.sync(c.pc).resource_full(1, 0b110);
    decoder_setup_t setup;
    setup.walk_cap = 1000;  // without the check the walk lists up to the cap
    const run_t run = decode_bytes(m.enc.str(), {elf.path()}, setup);
    EXPECT_EQ(run.out, c.listing) << c.what;
    EXPECT_EQ(run.error, c.error) << c.what;
  }
}

// The check above keeps the program counters a walk has come to: their room
// grows with the program, not with the steps.
TEST(NexusDecode, ResourceFullWalkAllocatesNothingPerStep) {
  //   3000 addi x1,x1,1 ; 3004 bne x1,x0,-4 ; 3008 addi x1,x1,2
  program_t p(0x3000);
  p.w32(addi(1, 1, 1)).w32(bne(1, 0, -4)).w32(addi(1, 1, 2));
  const elf_file_t elf(p);
  const disassembler_t disassembler(64);
  struct discard_t : std::streambuf {
    int overflow(int c) override { return c; }
  };
  // HIST of `taken` outcomes, all taken: 2 * taken steps.
  const auto allocations = [&](unsigned taken) {
    messages_t m;
    m.sync(0x3000).resource_full(1, (uint64_t(2) << taken) - 1);
    temp_file_t nx;
    std::ofstream(nx.path(), std::ios::binary) << m.enc.str();
    discard_t discard;
    std::ostream out(&discard);
    nexus_decoder_t nexus(64, false, 0);
    nexus.use_disassembler(&disassembler);
    const uint64_t before = et_test::heap_allocations.load();
    nexus.decode(1, out, nx.path(), {elf.path()}, nullptr, true);
    return et_test::heap_allocations.load() - before;
  };
  EXPECT_EQ(allocations(62), allocations(2));
}

TEST(NexusDecode, BlockEndsBeforeTheFirstSyncTakeOneStep) {
  // Before a Sync the source has no program counter, so the 2^32 - 1 block
  // ends of the Repeat Branch walk nothing; they must not take a round each.
  messages_t m;
  m.direct(5).repeat(0xffffffff).sync(0x1004).direct(8).resource_full(0, 2);
  EXPECT_EXIT(
      {
        alarm(10);
        const run_t run = decode_loop(m);
        std::exit(run.out == "1004\n1008\n100C\n1010\n1004\n" && run.error.empty() ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(NexusDecode, CompressedInstructionsAndTheirOffsets) {
  //   2000 c.beqz x8,+6 ; 2002 c.nop ; 2004 c.j +4 ; 2006 c.nop ; 2008 c.bnez x8,-8
  program_t p(0x2000);
  p.w16(c_branch(6, 0, 6)).w16(c_nop).w16(c_j(4)).w16(c_nop).w16(c_branch(7, 0, -8));
  const elf_file_t elf(p);
  struct case_t {
    const char* what;
    std::function<void(messages_t&)> build;
    std::string listing;
  };
  const case_t cases[] = {
      {"c.beqz not taken, c.j inside, c.bnez taken at the end",
       [](messages_t& m) { m.sync(0x2000).direct(4).resource_full(0, 1); },
       "2000\n2002\n2004\n2008\n2000\n"},
      {"c.beqz taken by HIST",
       [](messages_t& m) { m.sync(0x2000).history(3, 0x2000 ^ 0x2002, 0b11).resource_full(0, 1); },
       "2000\n2006\n2008\n2002\n"},
  };
  for (const auto& c : cases) {
    messages_t m;
    c.build(m);
    const run_t run = decode_bytes(m.enc.str(), {elf.path()});
    EXPECT_EQ(run.error, "") << c.what;
    EXPECT_EQ(run.out, c.listing) << c.what;
  }
}

TEST(NexusDecode, WordsAreLookedUpInTheCallersDisassembler) {
  // 2000 holds c.jal +8 for RV32, c.addiw for RV64: a jump only for a
  // 32-bit disassembler.
  const uint16_t c_jal = uint16_t((c_j(8) & 0x1fff) | 1u << 13);
  program_t p(0x2000);
  p.w16(c_jal).w16(c_nop).w16(c_nop).w16(c_nop).w16(c_nop);
  const elf_file_t elf(p);
  messages_t m;
  m.sync(0x2000).resource_full(0, 2);
  const disassembler_t rv32(32);
  decoder_setup_t setup;
  EXPECT_EQ(decode_bytes(m.enc.str(), {elf.path()}, setup).out, "2000\n2002\n");
  setup.disassembler = &rv32;
  EXPECT_EQ(decode_bytes(m.enc.str(), {elf.path()}, setup).out, "2000\n2008\n");
}

TEST(NexusDecode, UnknownWordsHaveALengthAndNoBranch) {
  program_t p(0x1000);
  p.w32(unknown_word).w32(addi(1, 1, 1));
  const elf_file_t elf(p);
  messages_t m;
  m.sync(0x1000).resource_full(0, 4).sync(0x1000).direct(2);
  decoder_setup_t setup;
  setup.disasm_log = true;
  const run_t run = decode_bytes(m.enc.str(), {elf.path()}, setup);
  EXPECT_EQ(run.out,
            "1000\t|fffffffb|\t unknown\n1004\t|00108093|\t " +
                disassembler_t(64).get_disasm(addi(1, 1, 1))->to_string(insn_t(addi(1, 1, 1))) +
                "\n1000\t|fffffffb|\t unknown\n");
  EXPECT_EQ(run.error,
            "Taken direct branch failed! topc=0xffffffffffffffff pc=0x1000 chunk=0xfffffffb\n");
}

TEST(NexusDecode, PcDisasmColumn) {
  const disassembler_t disasm(64);
  const uint32_t branch = bne(1, 0, -8);
  EXPECT_EQ(nexus_decoder_t::get_pc_disasm(branch, disasm),
            "\t|" + std::string("fe009ce3") + "|\t " +
                disasm.get_disasm(branch)->to_string(insn_t(branch)));
  EXPECT_EQ(disasm.get_disasm(branch)->insn_id, insn_id("bne"));
  EXPECT_EQ(nexus_decoder_t::get_pc_disasm(0x85, disasm).substr(0, 13), "\t|00000085|\t ");
  EXPECT_EQ(nexus_decoder_t::get_pc_disasm(unknown_word, disasm), "\t|fffffffb|\t unknown");
  EXPECT_EQ(nexus_decoder_t::get_pc_disasm(0x123456789ul, disasm).substr(0, 12), "\t|123456789|");
}

// The edge case of the text: sync to 0x80000000, then a Direct Branch of two
// 32-bit instructions ending in bne -8.
TEST(NexusDecode, DirectBranchBackFromTheSyncAddress) {
  program_t p(0x7FFFFFF0);
  p.at(0x7FFFFFFC).w32(beq(0, 0, 12)).w32(addi(1, 1, 1)).w32(bne(1, 0, -8)).w32(addi(1, 1, 2));
  const elf_file_t elf(p);
  messages_t m;
  m.sync(0x80000000).direct(4).direct(2).resource_full(0, 2);
  const run_t run = decode_bytes(m.enc.str(), {elf.path()});
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.out, "80000000\n80000004\n7FFFFFFC\n80000008\n");
}

// A Repeat Branch repeats a branch; after a message with Sync it repeats the
// walk alone, and the program counter stays on the block's last instruction.
TEST(NexusDecode, RepeatBranchAfterASyncFormLeavesThePcWhereTheWalkEnds) {
  program_t p(0x80000180);
  p.w32(addi(1, 1, 1)).w32(jalr(0, 1));
  p.at(0x80000200).w32(addi(1, 1, 1)).w32(jalr(0, 1));
  const elf_file_t elf(p);
  const uint64_t target = 0x80000200;
  const struct {
    unsigned tcode;
    std::vector<et_test::nexus_value_t> fields;  // I-CNT 4, F-ADDR for target
  } forms[] = {
      {9, {fixed(1, 4), var(4), var(target >> 1)}},
      {11, {fixed(1, 4), var(4), var(target >> 1)}},
      {12, {fixed(1, 4), fixed(0, 2), var(4), var(target >> 1)}},
      {29, {fixed(1, 4), fixed(0, 2), var(4), var(target >> 1), var(1)}},
  };
  for (const auto& form : forms) {
    messages_t m;
    m.sync(0x80000180);
    m.enc.tcode(form.tcode);
    for (const auto& f : form.fields) m.enc.put(f);
    m.enc.end();
    m.repeat(1).indirect(2, 0);
    const run_t run = decode_bytes(m.enc.str(), {elf.path()});
    EXPECT_EQ(run.error, "") << form.tcode;
    EXPECT_EQ(run.out, "80000180\n80000184\n80000200\n80000204\n80000204\n") << form.tcode;
  }
}

TEST(NexusDecode, LogColumnsAndRawBytes) {
  messages_t m;
  m.sync(0x1004).enc.idle(1);
  m.direct(8);
  decoder_setup_t setup;
  setup.nexus_log = true;
  setup.disasm_log = true;
  const run_t run = decode_loop(m, setup);
  ASSERT_EQ(run.error, "");

  messages_t sync_only, direct_only;
  sync_only.sync(0x1004);
  direct_only.direct(8);
  const auto raw = [](const std::vector<uint8_t>& bytes) {
    std::string s;
    for (uint8_t b : bytes) {
      char t[8];
      std::snprintf(t, sizeof t, "0x%02X ", b);
      s += t;
    }
    return s;
  };
  const disassembler_t disasm(64);
  const auto line = [&](const char* pc, uint32_t w, const char* nexus) {
    return std::string(pc) + nexus_decoder_t::get_pc_disasm(w, disasm) + nexus + "\n";
  };
  const std::string expected =
      raw(sync_only.enc.bytes()) +
      "\nSynchronization msg:  SRC = 0x0  SYNC = 0x1 I-CNT = 0x0 F-ADDR = 0x1004 GLOBAL TSTAMP = "
      "0x0\n\n" +
      "0xFF " + raw(direct_only.enc.bytes()) +
      "\nDirect Branch msg: SRC = 0x0 I-CNT = 0x8 TSTAMP = 0x0 (GLOBAL TSTAMP = 0x0)\n" +
      line("1004", addi(1, 1, -1), "\t\t| ICNT=0x8, HIST=0x0") +
      line("1008", beq(2, 3, 8), "\t\t| ICNT=0x6, HIST=0x0") +
      line("100C", addi(4, 4, 1), "\t\t| ICNT=0x4, HIST=0x0") +
      line("1010", bne(1, 0, -12), "\t\t| ICNT=0x2, HIST=0x0") + "\n";
  EXPECT_EQ(run.out, expected);
}

TEST(NexusDecode, RawListingNeedsASeekableFile) {
  char dir[] = "/tmp/nexus_fifo_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string fifo = std::string(dir) + "/trace.nx";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  messages_t m;
  m.sync(0x1004);
  const std::string bytes = m.enc.str();
  // The reader may close before the writer writes.
  std::signal(SIGPIPE, SIG_IGN);
  std::thread writer([&] { std::ofstream(fifo, std::ios::binary) << bytes; });
  nexus_decoder_t nexus(64, false, 0);
  nexus.enable_nexus_log();
  std::ostringstream out;
  std::string error;
  try {
    nexus.decode(1, out, fifo, {}, nullptr, true);
  } catch (const std::runtime_error& e) {
    error = e.what();
  }
  writer.join();
  unlink(fifo.c_str());
  rmdir(dir);
  EXPECT_EQ(error, "Nexus trace file is not seekable, which the raw-byte listing needs: " + fifo);
}

// --- Sources ---------------------------------------------------------------

TEST(NexusDecode, SourcesAreSelectedByTheMask) {
  struct case_t {
    const char* what;
    unsigned long mask;
    std::function<void(messages_t&)> build;
    std::string listing;
  };
  const case_t cases[] = {
      {"both sources keep their own program counters", 3,
       [](messages_t& m) {
         m.sync(0x1004, 0, 0).sync(0x1040, 0, 1).direct(8, 0).indirect(6, 0x1000 ^ 0x1040, 1);
       },
       "1004\n1008\n100C\n1010\n1040\n1044\n1054\n"},
      {"an unselected source prints nothing", 1,
       [](messages_t& m) {
         m.sync(0x1004, 0, 0).sync(0x1040, 0, 1).direct(8, 0).indirect(6, 0x1000 ^ 0x1040, 1);
       },
       "1004\n1008\n100C\n1010\n"},
      {"the other source alone", 2,
       [](messages_t& m) {
         m.sync(0x1004, 0, 0).sync(0x1040, 0, 1).direct(8, 0).indirect(6, 0x1000 ^ 0x1040, 1);
       },
       "1040\n1044\n1054\n"},
      {"an unselected message's count does not reach the next selected one", 1,
       [](messages_t& m) {
         m.sync(0x1004, 0, 0).sync(0x1040, 0, 1).direct(8, 1).ownership(0x1C, 0);
       },
       ""},
      {"an unselected message's history does not steer the walk", 1,
       [](messages_t& m) { m.sync(0x1004, 0, 0).history(0, 0, 0b110, 1).direct(8, 0); },
       "1004\n1008\n100C\n1010\n"},
      {"a Repeat Branch follows its own source's last message", 3,
       [](messages_t& m) {
         m.sync(0x1004, 0, 0).sync(0x1040, 0, 1).direct(8, 0).indirect(0, 0, 1).repeat(1, 0);
       },
       "1004\n1008\n100C\n1010\n1004\n1008\n100C\n1010\n"},
  };
  const elf_file_t elf(loop_program());
  for (const auto& c : cases) {
    messages_t m(true, 2);
    c.build(m);
    decoder_setup_t setup;
    setup.has_src = true;
    setup.src_bits = 2;
    setup.src_mask = c.mask;
    const run_t run = decode_bytes(m.enc.str(), {elf.path()}, setup);
    EXPECT_EQ(run.error, "") << c.what;
    EXPECT_EQ(run.out, c.listing) << c.what;
  }
}

// Each source has its own branch history: a message sets its own source's
// HIST and its walk uses that, so a selected source lists the same walk
// whatever else is selected.
TEST(NexusDecode, EachSourceWalksWithItsOwnHistory) {
  //   80000000 c.nop ; 02 c.beqz x8,+8 ; 04..08 c.nop ; 0A c.nop ; 0C addi
  //   80000010 c.bnez x8,+6 ; 12 c.j +14 ; 20 c.nop ; 22 bne x1,x0,-0x22
  program_t p(0x80000000);
  p.w16(c_nop).w16(c_branch(6, 0, 8)).w16(c_nop).w16(c_nop).w16(c_nop).w16(c_nop);
  p.w32(addi(1, 1, 1)).w16(c_branch(7, 0, 6)).w16(c_j(14));
  p.at(0x80000020).w16(c_nop).w32(bne(1, 0, -0x22));
  const elf_file_t elf(p);
  messages_t m(true, 1);
  // HIST 110 from the encoder: c.beqz taken, c.bnez not; source 1's HIST 10
  // would make the c.beqz fall through.
  m.enc.message(29, 0, {fixed(1, 4), fixed(0, 2), var(0), var(0x40000000), var(0b110)});
  m.history(0, 0, 0b10, 1);
  m.direct(10, 0);
  for (unsigned long mask : {1ul, 3ul}) {
    decoder_setup_t setup;
    setup.has_src = true;
    setup.src_bits = 1;
    setup.src_mask = mask;
    const run_t run = decode_bytes(m.enc.str(), {elf.path()}, setup);
    EXPECT_EQ(run.error, "") << "mask " << mask;
    EXPECT_EQ(run.out,
              "80000000\n80000002\n8000000A\n8000000C\n80000010\n80000012\n80000020\n80000022\n")
        << "mask " << mask;
  }
}

// Two sources, 5 and 9, behind SRC fields as wide as the format allows them.
TEST(NexusDecode, WideSrcFieldsSelectTheirSources) {
  const elf_file_t elf(loop_program());
  const struct {
    unsigned long mask;
    std::string listing;
  } masks[] = {
      {1ul << 5, "1004\n1008\n100C\n1010\n"},
      {1ul << 9, "1040\n1044\n1054\n"},
      {1ul << 5 | 1ul << 9, "1004\n1008\n100C\n1010\n1040\n1044\n1054\n"},
  };
  for (unsigned bits : {20u, 27u}) {
    messages_t m(true, bits);
    m.sync(0x1004, 0, 5).sync(0x1040, 0, 9).direct(8, 5).indirect(6, 0x1000 ^ 0x1040, 9);
    for (const auto& c : masks) {
      decoder_setup_t setup;
      setup.has_src = true;
      setup.src_bits = bits;
      setup.src_mask = c.mask;
      const run_t run = decode_bytes(m.enc.str(), {elf.path()}, setup);
      EXPECT_EQ(run.error, "") << bits << " bits, mask " << c.mask;
      EXPECT_EQ(run.out, c.listing) << bits << " bits, mask " << c.mask;
    }
  }
}

// A source's state is made when the source first appears, so the memory a
// decoder takes does not depend on how many sources the SRC field could name.
TEST(NexusDecode, SourceStateCostsNothingForSourcesThatDoNotAppear) {
  const elf_file_t elf(loop_program());
  const disassembler_t disassembler(64);
  struct measure_t {
    uint64_t heap_bytes;
    std::size_t sources_seen;
  };
  const auto decode_two_sources = [&](unsigned bits) {
    const uint32_t top = uint32_t((uint64_t(1) << bits) - 1);  // 31 and above: never selected
    messages_t m(true, bits);
    m.sync(0x1004, 0, 5).sync(0x1040, 0, top).direct(8, 5).indirect(6, 0x1000 ^ 0x1040, top);
    temp_file_t nx;
    std::ofstream(nx.path(), std::ios::binary) << m.enc.str();
    std::ostringstream out;
    const uint64_t before = et_test::heap_bytes.load();
    nexus_decoder_t nexus(64, true, bits);
    nexus.use_disassembler(&disassembler);
    nexus.decode(~0ul, out, nx.path(), {elf.path()}, nullptr, true);
    const measure_t measure{et_test::heap_bytes.load() - before, nexus.sources_seen()};
    EXPECT_EQ(out.str(), "1004\n1008\n100C\n1010\n") << bits;
    EXPECT_EQ(nexus.full_address(top), 0x1040u) << bits;
    EXPECT_EQ(nexus.unique_address(top), 0x1000u ^ 0x1040u) << bits;
    EXPECT_EQ(nexus.full_address(9), 0u) << bits;
    EXPECT_THROW(nexus.full_address(std::size_t(top) + 1), std::out_of_range) << bits;
    return measure;
  };
  const measure_t narrow = decode_two_sources(5);
  EXPECT_EQ(narrow.sources_seen, 2u);
  for (unsigned bits : {16u, 20u, 27u}) {
    const measure_t wide = decode_two_sources(bits);
    EXPECT_EQ(wide.sources_seen, 2u) << bits;
    // Longer messages, the same state: a table per possible source would
    // take 2^bits entries.
    EXPECT_LT(wide.heap_bytes, narrow.heap_bytes + 4096) << bits;
  }
}

TEST(NexusDecode, SourcesAbove30AreNeverSelectedButKeepTheirState) {
  const elf_file_t elf(loop_program());
  for (unsigned src : {31u, 32u, 63u}) {
    messages_t m(true, 6);
    m.sync(0x1004, 0, src).direct(8, src);
    temp_file_t nx;
    std::ofstream(nx.path(), std::ios::binary) << m.enc.str();
    nexus_decoder_t nexus(64, true, 6);
    std::ostringstream out;
    nexus.decode(~0ul, out, nx.path(), {elf.path()}, nullptr, true);
    EXPECT_EQ(out.str(), "") << src;
    EXPECT_EQ(nexus.full_address(src), 0x1004u) << src;
    EXPECT_EQ(nexus.saved_icnt(src), 8u) << src;
  }
}

// --- Words from an HWT trace -----------------------------------------------

et_insn_t with_regs(et_insn_t insn, unsigned rd, unsigned rs1) {
  insn.rd.addr_valid = 1;
  insn.rd.addr = uint8_t(rd);
  insn.rs1.addr_valid = 1;
  insn.rs1.addr = uint8_t(rs1);
  return insn;
}

// lui x5 and addi x5,x5 fused into one record at 0x100.
et_insn_t fused_pair(bool trap) {
  const et_insn_t lui = with_regs(et_test::make_insn(0, 0x100, 0x123452b7), 5, 0);
  et_insn_t add = with_regs(et_test::make_insn(1, 0x104, addi(5, 5, 0x678)), 5, 5);
  et_insn_t fused{};
  EXPECT_EQ(fused.fuse(lui, add), 0u);
  fused.uiid = 0;
  fused.trap = trap;
  fused.cause = trap ? 5 : 0;
  return fused;
}

std::unique_ptr<mh_swt_reader_t> reader_of(et_test::trace_builder_t& trace) {
  return std::make_unique<mh_swt_reader_t>(trace.finish(), 1, true, true, true,
                                           trace.config().geometry());
}

TEST(NexusDecode, WordsFromAnHwtTrace) {
  struct case_t {
    const char* what;
    std::vector<et_insn_t> records;
    uint64_t icnt;
    std::string listing;
  };
  std::vector<et_insn_t> skipped_then_plain;
  {
    et_insn_t trapped = et_test::make_insn(0, 0x100, addi(1, 1, 1));
    trapped.trap = 1;
    trapped.cause = 2;
    et_insn_t uncommitted = et_test::make_insn(1, 0x100, addi(1, 1, 1));
    uncommitted.committed = 0;
    skipped_then_plain = {trapped, uncommitted, et_test::make_insn(2, 0x100, addi(1, 1, 1))};
  }
  et_insn_t ecall = et_test::make_insn(0, 0x100, 0x00000073);
  ecall.trap = 1;
  ecall.cause = 11;
  const case_t cases[] = {
      {"a fused pair of two 32-bit instructions moves on to 0x108",
       {fused_pair(false), et_test::make_insn(1, 0x108, addi(1, 1, 1))},
       6,
       "100\n104\n108\n"},
      {"a fused pair that trapped gives back its first half",
       {fused_pair(true), et_test::make_insn(1, 0x100, addi(1, 1, 1))},
       4,
       "100\n100\n"},
      {"the end of the trace ends the block", {}, 4, "100\n"},
      {"trapped and uncommitted records are skipped", skipped_then_plain, 2, "100\n"},
      {"an environment call is no exception", {ecall}, 2, "100\n"},
  };
  for (const auto& c : cases) {
    et_test::trace_builder_t trace;
    trace.hart(0);
    for (const auto& r : c.records) trace.insn(r);
    const auto reader = reader_of(trace);
    messages_t m;
    m.sync(0x100).resource_full(0, c.icnt);
    const run_t run = decode_bytes(m.enc.str(), {}, {}, reader);
    EXPECT_EQ(run.error, "") << c.what;
    EXPECT_EQ(run.out, c.listing) << c.what;
  }
}

// Before the first Sync the source has no program counter and lists nothing,
// but the instructions its blocks cover ran: their HWT words are used up, so
// that the next block lists its own words.
TEST(NexusDecode, BlocksBeforeTheFirstSyncUseUpTheirHwtWords) {
  const uint32_t li1 = addi(1, 0, 1), li2 = addi(2, 0, 2), li3 = addi(3, 0, 3),
                 li4 = addi(4, 0, 4);
  const auto plain = [](uint64_t uiid, uint32_t word) {
    return et_test::make_insn(uiid, 0x100, word);
  };
  et_insn_t c_addi = et_test::make_insn(0, 0x100, c_addi_x1_1);
  struct case_t {
    const char* what;
    std::vector<et_insn_t> skipped;  // the words the first block covers
    uint64_t icnt;
  };
  const case_t cases[] = {
      {"two 32-bit words", {plain(0, li1), plain(1, li2)}, 4},
      {"two 16-bit words", {c_addi, plain(1, c_nop)}, 2},
      {"a 16-bit and a 32-bit word", {c_addi, plain(1, li1)}, 3},
      {"a fused pair covers both its halves", {fused_pair(false)}, 4},
      {"a fused pair that trapped covers its first half", {fused_pair(true), plain(1, li1)}, 4},
  };
  const disassembler_t disasm(64);
  for (const auto& c : cases) {
    et_test::trace_builder_t trace;
    trace.hart(0);
    uint64_t uiid = 0;
    for (et_insn_t r : c.skipped) {
      r.uiid = uiid++;
      trace.insn(r);
    }
    trace.insn(plain(uiid, li3)).insn(plain(uiid + 1, li4));
    const auto reader = reader_of(trace);
    messages_t m;
    m.sync(0x100, c.icnt).sync(0x100, 4);
    decoder_setup_t setup;
    setup.disasm_log = true;
    const run_t run = decode_bytes(m.enc.str(), {}, setup, reader);
    EXPECT_EQ(run.error, "") << c.what;
    EXPECT_EQ(run.out, "100" + nexus_decoder_t::get_pc_disasm(li3, disasm) + "\n104" +
                           nexus_decoder_t::get_pc_disasm(li4, disasm) + "\n")
        << c.what;
  }
}

TEST(NexusDecode, FusedPairWithItsDisassembly) {
  et_test::trace_builder_t trace;
  trace.hart(0).insn(fused_pair(false));
  const auto reader = reader_of(trace);
  messages_t m;
  m.sync(0x100).resource_full(0, 4);
  decoder_setup_t setup;
  setup.disasm_log = true;
  const run_t run = decode_bytes(m.enc.str(), {}, setup, reader);
  const uint64_t word = fused_pair(false).chunk;
  EXPECT_EQ(run.error, "");
  EXPECT_EQ(run.out, "100\n104" + nexus_decoder_t::get_pc_disasm(word, disassembler_t(64)) + "\n");
  EXPECT_EQ(disassembler_t(64).get_disasm(word)->insn_id, insn_id("fuse_lui_addi"));
}

TEST(NexusDecode, NeitherElfNorHwtTraceThrows) {
  messages_t m;
  m.sync(0x100).resource_full(0, 2);
  const run_t run = decode_bytes(m.enc.str(), {});
  EXPECT_EQ(run.out, "100");
  EXPECT_EQ(run.error,
            "Nexus walk has neither an ELF file nor an HWT trace to read instructions from");
  messages_t no_walk;
  no_walk.sync(0x100);
  EXPECT_EQ(decode_bytes(no_walk.enc.str(), {}).error, "");
}

TEST(NexusDecode, FilesThatCannotBeRead) {
  nexus_decoder_t nexus(64, false, 0);
  std::ostringstream out;
  std::string error;
  try {
    nexus.decode(1, out, "/nonexistent/trace.nx", {}, nullptr, true);
  } catch (const std::runtime_error& e) {
    error = e.what();
  }
  EXPECT_EQ(error, "Failed to read Nexus trace file: /nonexistent/trace.nx");
  // A directory opens, but cannot be read.
  const std::string dir = ::testing::TempDir();
  error.clear();
  try {
    nexus.decode(1, out, dir, {}, nullptr, true);
  } catch (const std::runtime_error& e) {
    error = e.what();
  }
  EXPECT_EQ(error, "Failed to read Nexus trace file: " + dir);
  error.clear();
  try {
    nexus.open(dir);
  } catch (const std::runtime_error& e) {
    error = e.what();
  }
  EXPECT_EQ(error, "Failed to read Nexus trace file: " + dir);
  messages_t m;
  m.sync(0x1004);
  temp_file_t not_elf;
  std::ofstream(not_elf.path()) << "text";
  EXPECT_EQ(decode_bytes(m.enc.str(), {not_elf.path()}).error,
            "Can't find or process ELF file: " + not_elf.path());
}

// --- Metrics ---------------------------------------------------------------

std::string metrics_of(const std::string& bytes, const std::vector<std::string>& elfs) {
  temp_file_t nx;
  std::ofstream(nx.path(), std::ios::binary) << bytes;
  nexus_decoder_t nexus(64, false, 0);
  nexus.enable_metrics_log();
  std::ostringstream out;
  // A caller's standard output left in hexadecimal must not change the counts.
  std::cout << std::hex;
  testing::internal::CaptureStdout();
  nexus.decode(1, out, nx.path(), elfs, nullptr, true);
  const std::string text = testing::internal::GetCapturedStdout();
  std::cout << std::dec;
  return text;
}

TEST(NexusDecode, MetricsLines) {
  // Not a number as the division gives it at run time, sign included.
  volatile float zero = 0;
  std::ostringstream nan;
  nan << zero / zero;
  EXPECT_EQ(metrics_of("", {}), "Decoding done:\nBytes: 0\nMessages: 0\nBytes/msg: " + nan.str() +
                                    "\nInstructions: 0\nBit/instr: " + nan.str() + "\n");
  EXPECT_EQ(
      metrics_of(std::string(3, '\xFF'), {}),
      "Decoding done:\nBytes: 3\nMessages: 0\nBytes/msg: inf\nInstructions: 0\nBit/instr: inf\n");

  messages_t m;
  m.sync(0x1004).direct(8).repeat(2);
  const elf_file_t elf(loop_program());
  const std::string bytes = m.enc.str();
  std::ostringstream expected;
  expected << "Decoding done:\nBytes: " << bytes.size()
           << "\nMessages: 3\nBytes/msg: " << float(bytes.size()) / 3.0f
           << "\nInstructions: 12\nBit/instr: " << float(8 * bytes.size()) / 12.0f << "\n";
  EXPECT_EQ(metrics_of(bytes, {elf.path()}), expected.str());
}

// --- A whole program ---------------------------------------------------------

TEST(NexusDecode, EndToEndProgramListing) {
  messages_t m;
  m.sync(0x1004)                           // loop head
      .direct(8)                           // one turn, bne taken
      .repeat(3)                           // three more turns
      .history(9, 0x1040 ^ 0x1004, 0b110)  // beq taken, bne falls through, jalr
      .indirect(6, 0x1000 ^ 0x1040)        // addi, jal inside, jalr back
      .resource_full(0, 4);                // from the program start
  const run_t run = decode_loop(m);
  EXPECT_EQ(run.error, "");
  const std::string turn = "1004\n1008\n100C\n1010\n";
  EXPECT_EQ(run.out, turn + turn + turn + turn + "1004\n1008\n1010\n1014\n1016\n" +
                         "1040\n1044\n1054\n" + "1000\n1004\n");
}

}  // namespace
