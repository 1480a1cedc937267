// quendle end to end: traces written with the stream writer, run through the
// program, output files checked for each output format and each option that
// changes the output.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "etrace/records/dct_object.h"
#include "etrace/records/l2t_object.h"
#include "support/quendle_run.h"
#include "support/trace_builder.h"

using namespace quendle_test;
using et_test::make_insn;

namespace {

const char* const isa = "rv64imafdc_zba_zbb";

// Instruction words used below.
constexpr uint64_t addi_a0_a0_1 = 0x00150513;
constexpr uint64_t add_a0_a0_a1 = 0x00b50533;
constexpr uint64_t sw_a1_4_a0 = 0x00b52223;
constexpr uint64_t lw_a0_0_a1 = 0x0005a503;
constexpr uint64_t beq_a0_a1_16 = 0x00b50863;
constexpr uint64_t fadd_s_fa0 = 0x00b57553;
constexpr uint64_t mret = 0x30200073;

et_reg_t reg(uint64_t addr, uint64_t data) { return et_reg_t{1, addr, 1, data}; }

class Quendle : public ::testing::Test {
protected:
  Quendle() {
    trace_config_.paddr_width = 40;
    trace_ = std::make_unique<et_test::trace_builder_t>(trace_config_);
    config_ = std::make_unique<soc_config_t>(trace_config_, isa);
  }

  et_test::trace_builder_t& trace() { return *trace_; }

  // Runs quendle on the trace built so far with the given extra options.
  run_result_t run(const std::vector<std::string>& extra) {
    std::vector<std::string> args{"-t", trace_->finish(), "-c", config_->path(), "-o", out_.path()};
    args.insert(args.end(), extra.begin(), extra.end());
    return run_program(built_program("quendle"), args);
  }
  // Runs and expects success; returns the output file.
  std::string output_of(const std::vector<std::string>& extra) {
    run_result_t r = run(extra);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    return read_text(out_.path());
  }

  // The disassembly column of a word, as the program's disassembler prints it.
  static std::string text_column(uint64_t word) { return quendle_test::text_column(word, isa); }

  et_test::trace_config_t trace_config_;
  std::unique_ptr<et_test::trace_builder_t> trace_;
  std::unique_ptr<soc_config_t> config_;
  output_path_t out_;
};

et_insn_t addi(uint64_t uiid, uint64_t pc) {
  et_insn_t in = make_insn(uiid, pc, addi_a0_a0_1);
  in.rs1 = reg(10, 5);
  in.rd = reg(10, 6);
  return in;
}

TEST_F(Quendle, SwtListingAndStandardOutput) {
  et_insn_t store = make_insn(1, 0x80000004, sw_a1_4_a0);
  store.rs1 = reg(10, 0x80001000);
  store.rs2 = reg(11, 0x77);
  store.sd_valid = 1;
  store.sd = 0x77;
  store.ea_valid = store.pa_valid = 1;
  store.ea = store.pa = 0x80001004;
  trace().insn(addi(0, 0x80000000)).insn(store);
  run_result_t r = run({});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "Load configuration from '" + config_->path() + "'\nSelected harts mask: 0x3\n");
  EXPECT_EQ(read_text(out_.path()),
            "Mc [80000000] " + text_column(addi_a0_a0_1) +
                " RS1[0a]=0000000000000005 RD[0a]=0000000000000006\n"
                "Mc [80000004] " +
                text_column(sw_a1_4_a0) +
                " RS1[0a]=0000000080001000 RS2[0b]=0000000000000077 EA=80001004 PA=0080001004\n");
}

TEST_F(Quendle, SwtColumnsFromSwitchesAndFormats) {
  et_insn_t in = addi(0, 0x80000000);
  in.fr = 1;
  in.frcm = 1;
  trace().advance(7).insn(in);
  const std::string rest = "Mc [80000000] |00150513| " + text_column(addi_a0_a0_1) +
                           " RS1[0a]=0000000000000005 RD[0a]=0000000000000006 FRE0 FRCM\n";
  EXPECT_EQ(output_of({"--ts", "--uiid", "--cc", "--fr"}), "<          7 > ( 00000000.0 ) " + rest);
  EXPECT_EQ(output_of({"--ts", "--uiid", "--cc", "--fr", "--swt-ts-format", "x",
                       "--swt-uiid-format", "-4lu"}),
            "< 7 > ( 0   .0 ) " + rest);
  // Text around the conversion, and "%%", as sprintf writes them.
  EXPECT_EQ(output_of({"--ts", "--uiid", "--cc", "--fr", "--swt-ts-format", "ld cycles",
                       "--swt-uiid-format", "%uiid %lx%%"}),
            "< 7 cycles > ( %uiid 0%.0 ) " + rest);
  EXPECT_EQ(output_of({"--ts", "--cc", "--fr", "--swt-ts-format", "d%%"}), "< 7% > " + rest);
  EXPECT_EQ(output_of({"--cc"}), "Mc [80000000] |00150513| " + text_column(addi_a0_a0_1) +
                                     " RS1[0a]=0000000000000005 RD[0a]=0000000000000006\n");
}

TEST_F(Quendle, ProfileColumns) {
  trace().advance(42).insn(addi(0, 0x80000000));
  std::string cols(100, '.');
  cols[42] = 'r';  // issue, read, write and commit share one cycle; commit wins
  EXPECT_EQ(output_of({"--profile"}),
            "Mc [80000000]\t\t\t" + cols + "   " + text_column(addi_a0_a0_1) + "\n");
}

TEST_F(Quendle, PcOnlyAndRawFormats) {
  trace().insn(addi(0, 0x80000000)).insn(addi(1, 0x80000abc));
  EXPECT_EQ(output_of({"-f", "pconly"}), "80000000\n80000ABC\n");
  const std::string raw = output_of({"--format", "raw"});
  EXPECT_EQ(raw,
            "(       0.0) Mc [0000000080000000]  (008) |0000000000150513|"
            " RS1[0a]=0000000000000005 RD[0a]=0000000000000006\n"
            "(       1.0) Mc [0000000080000abc]  (008) |0000000000150513|"
            " RS1[0a]=0000000000000005 RD[0a]=0000000000000006\n");
}

TEST_F(Quendle, IngressFormat) {
  et_insn_t add = make_insn(0, 0x80000000, add_a0_a0_a1);
  et_insn_t beq = make_insn(1, 0x80000004, beq_a0_a1_16);
  beq.rs1 = reg(10, 3);
  beq.rs2 = reg(11, 3);
  et_insn_t load = make_insn(2, 0x80000014, lw_a0_0_a1);
  load.trap = 1;
  load.cause = 5;
  load.ea_valid = 1;
  load.ea = 0x1234;
  trace().insn(add).insn(beq).insn(load);
  const std::string bin = output_of({"-f", "ingress"});
  ASSERT_EQ(bin.size(), 16u + 16u + 24u);
  auto u64 = [&](std::size_t at) {
    uint64_t v;
    std::memcpy(&v, bin.data() + at, 8);
    return v;
  };
  EXPECT_EQ(bin.substr(0, 8), std::string("\0\0\0\3\0\0\0\2", 8));  // hart 0, itype 0, M, 32-bit
  EXPECT_EQ(u64(8), 0x80000000u);
  EXPECT_EQ(bin[16 + 2], 5);  // beq taken
  EXPECT_EQ(bin[32 + 2], 1);  // exception
  EXPECT_EQ(bin[32 + 4], 5);
  EXPECT_EQ(u64(32 + 8), 0x80000014u);
  EXPECT_EQ(u64(32 + 16), 0x1234u);  // tval: the faulting address
}

TEST_F(Quendle, HartMaskSelectsHarts) {
  trace().hart(0).insn(addi(0, 0x100)).hart(1).insn(addi(0, 0x200)).hart(0).insn(addi(1, 0x104));
  EXPECT_EQ(output_of({"-f", "pconly"}), "100\n200\n104\n");
  EXPECT_EQ(output_of({"-f", "pconly", "--hmask", "1"}), "100\n104\n");
  EXPECT_EQ(output_of({"-f", "pconly", "--hmask", "2"}), "200\n");
  run_result_t r = run({"--hmask", "2"});
  EXPECT_EQ(r.out.substr(r.out.find("Selected")), "Selected harts mask: 0x2\n");
}

TEST_F(Quendle, ModeMaskSelectsPrivilegeLevels) {
  trace().insn(make_insn(0, 0x3, 0x13, 3)).insn(make_insn(1, 0x1, 0x13, 1));
  trace().insn(make_insn(2, 0x0, 0x13, 0)).insn(make_insn(3, 0x2, 0x13, 2));
  EXPECT_EQ(output_of({"-f", "pconly"}), "3\n1\n0\n2\n");
  EXPECT_EQ(output_of({"-f", "pconly", "-m", "M"}), "3\n2\n");
  EXPECT_EQ(output_of({"-f", "pconly", "--mode", "su"}), "1\n0\n2\n");
  EXPECT_EQ(output_of({"-f", "pconly", "-m", "msu"}), "3\n1\n0\n2\n");
  EXPECT_EQ(output_of({"-f", "pconly", "-m", "x"}), "2\n");
}

TEST_F(Quendle, UncommittedInstructionsAreNotWritten) {
  et_insn_t pending = make_insn(1, 0x104, 0x13);
  pending.committed = 0;
  trace().insn(make_insn(0, 0x100, 0x13)).insn(pending);
  EXPECT_EQ(output_of({"-f", "pconly"}), "100\n");
}

TEST_F(Quendle, DisableInterruptsDropsTheHandler) {
  et_insn_t intr = make_insn(1, 0x104, 0x13);
  intr.trap = intr.interrupt = 1;
  intr.cause = 7;
  trace().insn(make_insn(0, 0x100, 0x13)).insn(intr);
  trace().insn(make_insn(2, 0x800, 0x13)).insn(make_insn(3, 0x804, mret));
  trace().insn(make_insn(4, 0x104, 0x13)).insn(make_insn(5, 0x108, mret));
  EXPECT_EQ(output_of({"-f", "pconly"}), "100\n104\n800\n804\n104\n108\n");
  // The mret after the handler's return, at depth 0, is written.
  EXPECT_EQ(output_of({"-f", "pconly", "--disable-interrupts"}), "100\n104\n108\n");
  EXPECT_NE(output_of({}).find("Mc [        ] " + std::string("intr") + std::string(26, ' ') +
                               " CAUSE=8000000000000007\n"),
            std::string::npos);
}

TEST_F(Quendle, HwtInputDerivesDestinations) {
  et_insn_t a = make_insn(0, 0x100, addi_a0_a0_1);
  a.rs1 = reg(10, 5);
  a.rd.data_valid = 1;  // an FPGA trace has the value but not the number
  a.rd.data = 6;
  et_insn_t f = make_insn(1, 0x104, fadd_s_fa0);
  f.frd.data_valid = 1;
  f.frd.data = 0x40;
  et_insn_t s = make_insn(2, 0x108, sw_a1_4_a0);
  s.rs1 = reg(10, 0x1000);
  trace().insn(a).insn(f).insn(s);
  EXPECT_EQ(output_of({"--iformat", "hwt"}),
            "Mc [100] " + text_column(addi_a0_a0_1) + " RD[0a]=0000000000000006\n" + "Mc [104] " +
                text_column(fadd_s_fa0) + " FRD[0a]=0000000000000040\n" + "Mc [108] " +
                text_column(sw_a1_4_a0) + "\n");
  // The same trace as "swt" input keeps the operand fields it has.
  EXPECT_NE(output_of({}).find("RS1[0a]=0000000000000005 RD[??]=0000000000000006"),
            std::string::npos);
}

TEST_F(Quendle, MessageLines) {
  l2t_object_t l2t{};
  l2t.letter = 0x44;  // URL
  l2t.rl.id = 5;
  dct_object_t dct{};
  dct.letter = 'R';  // WUP
  dct.wup.gv = 1;
  trace().advance(42).rvt(0xdeadbeef).insn(addi(0, 0x100)).advance(3).l2t(l2t).dct(dct);
  trace().rvt(1);

  EXPECT_EQ(output_of({"-f", "pconly"}), "100\n");
  const std::string rvt = "RVT D=00000000deadbeef\n";
  EXPECT_EQ(output_of({"-f", "pconly", "--show-rvt"}), rvt + "100\nRVT D=0000000000000001\n");
  l2t.cycle = dct.cycle = 45;
  EXPECT_EQ(output_of({"-f", "pconly", "--show-l2t", "--show-dct", "--ts"}),
            "100\n<         45 > L2T " + l2t.to_string() + "\n<         45 > DCT " +
                dct.to_string() + "\n");
  EXPECT_EQ(output_of({"-f", "pconly", "--show-rvt", "--ts", "--swt-ts-format", "#x"}),
            "< 0x2a > " + rvt + "100\n< 0x2d > RVT D=0000000000000001\n");
  EXPECT_EQ(output_of({"-f", "raw", "--show-rvt", "--ts", "--swt-ts-format", "ld cycles"})
                .rfind("< 42 cycles > " + rvt, 0),
            0u);
}

TEST_F(Quendle, RvtExtraction) {
  trace().rvt(0x0102030405060708).insn(addi(0, 0x100)).tsd1(1).rvt(0x1112131415161718);
  const std::string bin = output_of({"--iformat", "rvt"});
  EXPECT_EQ(bin,
            std::string("\x08\x07\x06\x05\x04\x03\x02\x01\x18\x17\x16\x15\x14\x13\x12\x11", 16));

  // Extraction makes no formatter: the output format and the message
  // switches change nothing, the ingress one included.
  const std::vector<std::string> switches[] = {
      {"--show-rvt"},
      {"-f", "ingress", "--show-rvt", "--show-l2t", "--show-dct"},
      {"-f", "ingress", "--show-dct"},
      {"-f", "pconly", "--show-l2t", "--ts"},
  };
  for (const auto& extra : switches) {
    std::vector<std::string> args{"--iformat", "rvt"};
    args.insert(args.end(), extra.begin(), extra.end());
    EXPECT_EQ(output_of(args), bin) << extra[0] << " " << extra.back();
  }
}

// A trace read from a pipe is decoded in the program's own thread, one from
// a file in a thread of the reader's: the listings are the same, across the
// look-ahead window and with messages between the instructions.
TEST_F(Quendle, TraceFromAPipeGivesTheSameListing) {
  for (unsigned i = 0; i < 140000; ++i) {
    if (i % 1000 == 0) trace().rvt(i);
    trace().advance(1).insn(addi(i, 0x1000 + 4 * i));
  }
  const std::vector<std::string> options{"-f", "swt", "--ts", "--uiid", "--cc", "--show-rvt"};
  const std::string from_file = output_of(options);
  ASSERT_GT(from_file.size(), 140000u * 60);

  char dir[] = "/tmp/quendle_fifo_XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string fifo = std::string(dir) + "/trace.bin";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string bytes = read_text(trace().finish());
  std::thread writer([&] { std::ofstream(fifo, std::ios::binary) << bytes; });
  std::vector<std::string> args{"-t", fifo, "-c", config_->path(), "-o", out_.path()};
  args.insert(args.end(), options.begin(), options.end());
  const run_result_t r = run_program(built_program("quendle"), args);
  writer.join();
  unlink(fifo.c_str());
  rmdir(dir);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(read_text(out_.path()) == from_file);
}

TEST_F(Quendle, EmptyTraceGivesEmptyOutput) {
  EXPECT_EQ(output_of({}), "");
  EXPECT_TRUE(file_exists(out_.path()));
  EXPECT_EQ(output_of({"--iformat", "rvt"}), "");
}

}  // namespace
