// quendle_dump end to end: the program is run as a process and its standard
// output, standard error and exit status are checked.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "disasm/disassembler.h"
#include "disasm/insn_ids.h"

namespace {

struct run_result_t {
  int status = -1;  // exit status, or -1 when the process did not exit normally
  std::string out;
  std::string err;
};

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs quendle_dump with the given arguments, its streams going to files
// (standard output to `stdout_path` when one is given).
run_result_t run_dump(const std::vector<std::string>& args, const char* stdout_path = nullptr) {
  std::string const program = QUENDLE_BIN_DIR "/quendle_dump";
  std::string const base = ::testing::TempDir() + "quendle_dump_test." + std::to_string(getpid());
  std::string const out_path = stdout_path ? stdout_path : base + ".out", err_path = base + ".err";

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);

  pid_t const pid = fork();
  if (pid == 0) {
    int const out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int const err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  run_result_t result;
  int wstatus = 0;
  if (pid > 0 && waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus))
    result.status = WEXITSTATUS(wstatus);
  if (!stdout_path) {
    result.out = read_file(out_path);
    unlink(out_path.c_str());
  }
  result.err = read_file(err_path);
  unlink(err_path.c_str());
  return result;
}

std::string log_line(const std::string& message) { return "[INFO]<DecodeChunk> " + message + "\n"; }

std::string dump_lines(const std::string& chunk_hex, const std::string& text, long id) {
  return log_line("chunk = 0x" + chunk_hex) + log_line("disasm: " + text) +
         log_line("topc: " + std::to_string(id));
}

// What the program must print for a word: the library's own answer.
std::string expected_dump(uint64_t word, int xlen) {
  disassembler_t const disasm(xlen);
  disasm_insn_t const* entry = disasm.get_disasm(word);
  std::ostringstream hex;
  hex << std::hex << word;
  return dump_lines(hex.str(), entry ? entry->to_string(insn_t(word)) : "unknown",
                    entry ? long(entry->insn_id) : -1);
}

TEST(quendle_dump, chunk_texts_are_read_as_hexadecimal) {
  // Prefix, case, leading blanks, a sign and trailing rubbish do not change the word.
  for (const char* chunk : {"0x13", "0X13", "13", "13zz", " 13", "+13", "0x0000000000000013"}) {
    run_result_t const r = run_dump({"-c", chunk});
    EXPECT_EQ(r.status, 0) << chunk;
    EXPECT_EQ(r.out, dump_lines("13", "nop", insn_id("addi"))) << chunk;
    EXPECT_EQ(r.err, "") << chunk;
  }
}

TEST(quendle_dump, prints_text_and_identifier_of_known_words) {
  struct case_t {
    const char* chunk;
    const char* xlen;  // null: option left out
    const char* hex;
    const char* text;
    long id;
  };
  const case_t cases[] = {
      {"0", nullptr, "0", "c.unimp", insn_id("c_unimp")},
      {"c0001073", nullptr, "c0001073", "unimp", insn_id("unimp")},
      {"4501", nullptr, "4501", "c.li    a0, 0", insn_id("c_li")},
      {"00a58533", "64", "a58533", "add     a0, a1, a0", insn_id("add")},
      // 0x2001 is c.addiw except on RV32, where it is c.jal.
      {"2001", nullptr, "2001", "c.addiw zero, zero, 0", insn_id("c_addiw")},
      {"2001", "32", "2001", "c.jal   pc + 0", insn_id("c_jal")},
      {"2001", "48", "2001", "c.addiw zero, zero, 0", insn_id("c_addiw")},
      // Every extension is enabled: vector, packed-SIMD, crypto, shadow-stack
      // and fused words print with their operands.
      {"02c58557", nullptr, "2c58557", "vadd.vv v10, v12, v11", insn_id("vadd_vv")},
      {"f0007007", nullptr, "f0007007", "vlseg8e1024.v v0, (zero), v0.t", insn_id("vle8_v")},
      {"48c58577", nullptr, "48c58577", "add8    a0, a1, a2", insn_id("add8")},
      {"e2c58533", "32", "e2c58533", "aes32esi a0, a1, a2, 3", insn_id("aes32esi")},
      {"6081", nullptr, "6081", "c.sspush ra", insn_id("c_sspush_x1")},
      {"800008091a2bdbbf", nullptr, "800008091a2bdbbf", "lui a5, 0x12345; addi a5, a5, 16",
       insn_id("fuse_lui_addi")},
  };
  for (const case_t& c : cases) {
    std::vector<std::string> args = {"--chunk", c.chunk};
    if (c.xlen) args.insert(args.end(), {"--xlen", c.xlen});
    run_result_t const r = run_dump(args);
    EXPECT_EQ(r.status, 0) << c.chunk;
    EXPECT_EQ(r.out, dump_lines(c.hex, c.text, c.id))
        << c.chunk << " xlen " << (c.xlen ? c.xlen : "-");
    EXPECT_EQ(r.err, "");
  }
}

TEST(quendle_dump, an_unknown_word_shows_identifier_minus_one) {
  // -1 is all 64 bits set: the major opcode 0x7f belongs to no instruction.
  ASSERT_EQ(disassembler_t(64).get_disasm(~uint64_t{0}), nullptr);
  run_result_t const r = run_dump({"-c", "-1"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, dump_lines("ffffffffffffffff", "unknown", -1));
}

TEST(quendle_dump, agrees_with_the_library_for_every_width) {
  // Widths other than 32 and 64 take the table's "neither" branches; the
  // program must still build its table, decode and end normally.
  // Plain, compressed, width-dependent (c.addiw / c.jal, rev8) and fused words.
  const std::vector<uint64_t> words = {
      0x13,      0x4501,     0x2001,     0x6b805013,           0x8000000000001013ull,
      0xb0003bf, 0x02c58557, 0xa8c58577, 0x800008091a2bdbbfull};
  const std::vector<uint64_t> width_dependent = {0x2001, 0x6b805013, 0x0800403b};
  struct width_case_t {
    int xlen;
    const std::vector<uint64_t>& words;
  };
  const width_case_t cases[] = {
      {64, words},           {32, words},          {48, width_dependent}, {128, width_dependent},
      {16, width_dependent}, {0, width_dependent}, {-1, width_dependent}};
  for (const width_case_t& c : cases) {
    for (uint64_t word : c.words) {
      std::ostringstream hex;
      hex << std::hex << word;
      run_result_t const r = run_dump({"-x", std::to_string(c.xlen), "-c", hex.str()});
      EXPECT_EQ(r.status, 0) << hex.str() << " xlen " << c.xlen;
      EXPECT_EQ(r.out, expected_dump(word, c.xlen)) << hex.str() << " xlen " << c.xlen;
      EXPECT_EQ(r.err, "") << hex.str() << " xlen " << c.xlen;
    }
  }
}

TEST(quendle_dump, a_chunk_that_cannot_be_read_ends_with_status_1) {
  struct case_t {
    const char* chunk;
    const char* message;
  };
  const case_t cases[] = {
      {"zz", "quendle_dump: invalid chunk 'zz': not a hexadecimal number\n"},
      {"", "quendle_dump: invalid chunk '': not a hexadecimal number\n"},
      {"1ffffffffffffffff",
       "quendle_dump: invalid chunk '1ffffffffffffffff': value does not fit in 64 bits\n"},
  };
  for (const case_t& c : cases) {
    run_result_t const r = run_dump({"-c", c.chunk});
    EXPECT_EQ(r.status, 1) << c.chunk;
    EXPECT_EQ(r.out, "") << c.chunk;
    EXPECT_EQ(r.err, c.message);
  }
}

TEST(quendle_dump, output_that_cannot_be_written_ends_with_status_1) {
  run_result_t const r = run_dump({"-c", "13"}, "/dev/full");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "ERROR: cannot write the report to standard output: No space left on device\n");
}

TEST(quendle_dump, command_line_errors_end_with_status_1) {
  const std::vector<std::string> cases[] = {
      {},                         // the chunk is required
      {"-c", "13", "-x", "abc"},  // the width is not an integer
      {"-c", "13", "-x", "64abc"},
      {"-c", "13", "--bogus"},  // unknown argument
      {"-c"},                   // option without its value
  };
  for (const std::vector<std::string>& args : cases) {
    run_result_t const r = run_dump(args);
    EXPECT_EQ(r.status, 1) << ::testing::PrintToString(args);
    EXPECT_THAT(r.err, ::testing::HasSubstr("PARSE ERROR:")) << ::testing::PrintToString(args);
    EXPECT_EQ(r.out, "");
  }
  EXPECT_THAT(run_dump({}).err, ::testing::HasSubstr("Required argument missing: chunk"));
}

TEST(quendle_dump, help_and_version_end_with_status_0) {
  run_result_t const help = run_dump({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, ::testing::HasSubstr("Core trace dumper."));
  EXPECT_THAT(help.out, ::testing::HasSubstr("-c <string>,  --chunk <string>"));
  EXPECT_THAT(help.out, ::testing::HasSubstr("Chunk for decoding (in hex format)"));
  EXPECT_THAT(help.out, ::testing::HasSubstr("-x <int>,  --xlen <int>"));
  EXPECT_THAT(help.out, ::testing::HasSubstr("Xlen: 32 or 64"));

  run_result_t const version = run_dump({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.err, "");
}

}  // namespace
