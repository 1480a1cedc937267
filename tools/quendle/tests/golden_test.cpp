// Golden outputs: quendle and quendle_diff run over several generated traces
// with every output format and the options that change the output, and each
// result (exit status, output file, standard error; the diff's report and
// errors with their temporary paths replaced) is compared by size and hash with the table
// in golden/outputs.txt. The table was recorded from a build whose output was
// checked by the other tests; any change to an output byte fails here.
//
// A failure writes the produced output next to the build (golden/produced/
// under the build directory) and shows the first line that differs from the
// last output that matched the table, kept there (golden/matched/) for every
// output of up to 2 MiB.
//
// To record the table again after an intended output change:
//   QUENDLE_GOLDEN_RECORD=/tmp/golden ctest -R Golden
//   sort /tmp/golden > tools/quendle/tests/golden/outputs.txt
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "etrace/records/dct_object.h"
#include "etrace/records/l2t_object.h"
#include "support/quendle_run.h"
#include "support/trace_builder.h"

using namespace quendle_test;

namespace {

uint64_t fnv1a(const std::string& bytes) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (unsigned char c : bytes) h = (h ^ c) * 0x100000001b3ull;
  return h;
}

// Deterministic pseudo-random numbers, the same on every machine.
class lcg_t {
public:
  explicit lcg_t(uint64_t seed) : state_(seed) {}
  uint64_t next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return state_ ^ (state_ >> 29);
  }
  unsigned below(unsigned n) { return unsigned((next() >> 16) % n); }
  bool one_in(unsigned n) { return below(n) == 0; }

private:
  uint64_t state_;
};

// Words of every kind the listings treat apart: integer, compressed, loads
// and stores, floating point, branches and jumps, CSR accesses, the returns
// from traps, and words the disassembler does not know.
const uint64_t words[] = {
    0x00150513, 0x00b50533, 0x00b52223, 0x0005a503, 0x00b50863, 0x00b57553, 0x30200073,
    0x10200073, 0x00200073, 0x0000006f, 0x000080e7, 0x34102573, 0x00008067, 0x4505,
    0x952e,     0x4188,     0xc18c,     0xa001,     0x8082,     0x0005b507, 0x00a5b027,
    0x02b50533, 0x00053503, 0x00a53023, 0x12345537, 0x00000517, 0x0000000b, 0xffffffff,
    0x20b50533, 0x60b51513, 0xd0057553, 0x00000000, 0x0000,     0xe0050553,
};

et_reg_t maybe_reg(lcg_t& rng, unsigned one_in) {
  et_reg_t r{};
  if (!rng.one_in(one_in)) return r;
  r.addr_valid = !rng.one_in(8);
  r.addr = rng.below(32);
  r.data_valid = !rng.one_in(8);
  r.data = rng.next();
  return r;
}

// A message record of the given code with every payload byte random; the
// builder writes each field at its width.
template <class message_t>
message_t random_message(lcg_t& rng, unsigned code) {
  message_t m{};
  unsigned char* bytes = reinterpret_cast<unsigned char*>(&m);
  for (std::size_t i = 0; i < sizeof m; ++i) bytes[i] = static_cast<unsigned char>(rng.next());
  m.letter = uint8_t(code);
  return m;
}

// Instructions of three harts, interleaved, with some issued before the
// previous ones complete (records arriving late), uncommitted ones, traps,
// interrupts, every privilege level, and RVT messages between them; with
// cache_messages every kind of L2T and DCT message too.
void write_mixed(et_test::trace_builder_t& trace, unsigned count, uint64_t seed,
                 bool cache_messages) {
  lcg_t rng(seed);
  uint64_t next_uiid[3] = {0, 0, 0};
  std::vector<et_insn_t> open;
  const uint64_t pc_mask = trace.config().xlen == 64 ? ~0ull : 0xffffffffull;
  uint64_t pc[3] = {0x80000000, 0x80100000, 0x80200000};
  auto complete_open = [&] {
    for (const et_insn_t& insn : open) trace.hart(uint8_t(insn.hart)).complete(insn);
    open.clear();
  };
  for (unsigned i = 0; i < count; ++i) {
    const unsigned hart = rng.below(3);
    et_insn_t insn{};
    insn.hart = uint16_t(hart);
    insn.uiid = next_uiid[hart]++;
    insn.chunk = words[rng.below(sizeof words / sizeof words[0])];
    if (rng.one_in(50)) insn.chunk = rng.next();
    insn.pril = uint8_t(rng.below(4));
    pc[hart] = (pc[hart] + (rng.one_in(10) ? rng.next() % 4096 : 4)) & pc_mask;
    insn.pc = pc[hart];
    insn.committed = !rng.one_in(40);
    insn.rs1 = maybe_reg(rng, 2);
    insn.rs2 = maybe_reg(rng, 3);
    insn.rs3 = maybe_reg(rng, 20);
    insn.rsd = maybe_reg(rng, 20);
    insn.rd = maybe_reg(rng, 2);
    insn.frs1 = maybe_reg(rng, 6);
    insn.frs2 = maybe_reg(rng, 8);
    insn.frs3 = maybe_reg(rng, 20);
    insn.frd = maybe_reg(rng, 6);
    if (rng.one_in(4)) {
      insn.ea_valid = 1;
      insn.ea = rng.next() & pc_mask;
    }
    if (rng.one_in(5)) {
      insn.pa_valid = 1;
      insn.pa = rng.next();
    }
    if (rng.one_in(6)) {
      insn.sd_valid = 1;
      insn.sd = rng.next();
    }
    insn.fr = rng.one_in(12);
    insn.frcm = rng.one_in(12);
    insn.trig = rng.one_in(30);
    if (rng.one_in(25)) {
      insn.trap = 1;
      static const unsigned causes[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 15};
      insn.cause = causes[rng.below(sizeof causes / sizeof causes[0])];
      insn.interrupt = rng.one_in(2);
    }
    trace.advance(rng.below(6));
    if (rng.one_in(4)) {
      // Issued now, completed after the next instruction.
      trace.hart(uint8_t(hart)).issue(insn);
      open.push_back(insn);
      continue;
    }
    trace.hart(uint8_t(hart)).insn(insn);
    complete_open();
    if (rng.one_in(15)) trace.rvt(rng.next());
    if (!cache_messages) continue;
    if (rng.one_in(12)) {
      const unsigned code = 64 + rng.below(13);
      trace.l2t(random_message<l2t_object_t>(rng, code));
    }
    if (rng.one_in(12)) {
      if (rng.one_in(3)) trace.dct_hart(uint8_t(rng.below(4)));
      trace.dct(random_message<dct_object_t>(rng, 81 + rng.below(8)));
    }
  }
  complete_open();
}

struct trace_case_t {
  const char* name;
  std::string path;
  std::string config;
};

// The traces, written once per test program.
class traces_t {
public:
  traces_t() {
    const std::string source = QUENDLE_SOURCE_DIR;
    const std::string soc = source + "/examples/soc.xml";
    add("sample", source + "/examples/sample.trace", soc);

    // More objects than the reader's look-ahead window holds.
    auto generated = std::make_unique<et_test::temp_file_t>();
    const run_result_t gen =
        run_program(built_program("quendle_example_gen"), {generated->path(), "200000"});
    if (gen.status != 0) throw std::runtime_error("quendle_example_gen failed: " + gen.err);
    add("generated", generated->path(), soc);
    files_.push_back(std::move(generated));

    et_test::trace_config_t wide;
    wide.paddr_width = 44;
    wide.cl_width = 1024;
    wide.cl_chunks = 4;
    wide.poison_enable = true;
    add_mixed("mixed64", wide, "rv64imafdc_zba_zbb", 6000, 1, true, false);

    et_test::trace_config_t narrow;
    narrow.xlen = 32;
    narrow.flen = 32;
    narrow.irf_data_width = 32;
    narrow.paddr_width = 34;
    narrow.cl_width = 512;
    narrow.cl_chunks = 2;
    add_mixed("mixed32", narrow, "rv32imafc", 3000, 2, false, false);

    // Good records, then a header code that is no record.
    add_mixed("bad", wide, "rv64imafdc_zba_zbb", 700, 3, true, true);
  }

  const trace_case_t& operator[](const std::string& name) const {
    for (const trace_case_t& t : cases_)
      if (name == t.name) return t;
    throw std::runtime_error("no golden trace " + name);
  }

private:
  void add(const char* name, const std::string& path, const std::string& config) {
    cases_.push_back(trace_case_t{name, path, config});
  }
  void add_mixed(const char* name, const et_test::trace_config_t& config, const char* isa,
                 unsigned count, uint64_t seed, bool cache_messages, bool bad_end) {
    auto trace = std::make_unique<et_test::trace_builder_t>(config);
    write_mixed(*trace, count, seed, cache_messages);
    if (bad_end) trace->record(99, {{0x1234, 16}});
    auto soc = std::make_unique<soc_config_t>(config, isa);
    add(name, trace->finish(), soc->path());
    builders_.push_back(std::move(trace));
    configs_.push_back(std::move(soc));
  }

  std::vector<trace_case_t> cases_;
  std::vector<std::unique_ptr<et_test::temp_file_t>> files_;
  std::vector<std::unique_ptr<et_test::trace_builder_t>> builders_;
  std::vector<std::unique_ptr<soc_config_t>> configs_;
};

const traces_t& traces() {
  static const traces_t all;
  return all;
}

// name -> "status size hash hash" as recorded.
std::map<std::string, std::string> recorded() {
  std::map<std::string, std::string> table;
  std::ifstream in(std::string(QUENDLE_SOURCE_DIR) + "/tools/quendle/tests/golden/outputs.txt");
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t blank = line.find(' ');
    if (blank != std::string::npos) table[line.substr(0, blank)] = line.substr(blank + 1);
  }
  return table;
}

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

// "size hash" of an output, as the table holds them after the status.
std::string size_and_hash(const std::string& output) {
  std::ostringstream text;
  text << output.size() << " " << std::hex << fnv1a(output);
  return text.str();
}

// Where the outputs of a key are kept: golden/<kind>/<key> in the build
// directory.
std::string kept_path(const char* kind, const std::string& key) {
  return (std::filesystem::path(QUENDLE_BIN_DIR) / ".." / "golden" / kind / key)
      .lexically_normal()
      .string();
}

void keep(const std::string& path, const std::string& output) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  const std::string partial = path + ".partial";  // a reader never sees half a file
  std::ofstream(partial, std::ios::binary) << output;
  std::filesystem::rename(partial, path);
}

// The first line (numbered from 1) in which produced differs from expected,
// both versions shown, each cut to 300 bytes.
std::string first_difference(const std::string& expected, const std::string& produced) {
  std::size_t line = 1, start = 0;
  for (std::size_t at = 0;; ++at) {
    const bool expected_ends = at == expected.size(), produced_ends = at == produced.size();
    if (expected_ends || produced_ends || expected[at] != produced[at]) {
      auto line_of = [&](const std::string& text) {
        if (start >= text.size()) return std::string("(end of output)");
        const std::size_t end = text.find('\n', start);
        return "'" + text.substr(start, std::min(end, text.size()) - start).substr(0, 300) + "'";
      };
      if (expected_ends && produced_ends) return "no line differs";
      return "first differing line " + std::to_string(line) + ":\n  expected " + line_of(expected) +
             "\n  produced " + line_of(produced);
    }
    if (expected[at] == '\n') {
      ++line;
      start = at + 1;
    }
  }
}

// What a failure shows beyond the hashes: where the produced output is, and
// its first differing line against the kept output, when that output is the
// one the table holds (`recorded`: "status size hash hash").
std::string difference(const std::string& key, const std::string& output,
                       const std::string& recorded) {
  const std::string produced = kept_path("produced", key);
  keep(produced, output);
  std::string text = "the produced output is in " + produced + "\n";
  const std::string matched = kept_path("matched", key);
  const std::string expected = read_text(matched);
  const std::string fields = recorded.substr(recorded.find(' ') + 1);
  if (file_exists(matched) && fields.rfind(size_and_hash(expected) + " ", 0) == 0)
    return text + first_difference(expected, output);
  return text + "no output that matched the table is kept in " + matched +
         " to compare it with (kept after a run that passes, up to 2 MiB)";
}

constexpr std::size_t kept_size_limit = 2 << 20;

// Checks one result against the table, or appends it to the file named by
// QUENDLE_GOLDEN_RECORD.
void check(const std::string& key, const run_result_t& r, const std::string& output) {
  std::ostringstream summary;
  summary << r.status << " " << size_and_hash(output) << " " << std::hex << fnv1a(r.err);
  if (const char* record = std::getenv("QUENDLE_GOLDEN_RECORD")) {
    std::ofstream(record, std::ios::app) << key << " " << summary.str() << "\n";
    return;
  }
  static const std::map<std::string, std::string> table = recorded();
  const auto it = table.find(key);
  ASSERT_NE(it, table.end()) << "no recorded output for " << key;
  if (summary.str() == it->second) {
    const std::string matched = kept_path("matched", key);
    if (output.size() <= kept_size_limit && !file_exists(matched)) keep(matched, output);
    std::filesystem::remove(kept_path("produced", key));  // of an earlier failure
    return;
  }
  EXPECT_EQ(summary.str(), it->second)
      << key << ": the output differs from the recorded one\n"
      << difference(key, output, it->second) << "\nstderr: " << r.err.substr(0, 400);
}

// The writers themselves: the traces above are the same bytes every time.
TEST(GoldenTraces, WrittenBytesAreUnchanged) {
  for (const char* name : {"generated", "mixed64", "mixed32", "bad"}) {
    const std::vector<uint8_t> bytes = et_test::read_file(traces()[name].path);
    check(std::string("trace/") + name, run_result_t{0, "", ""},
          std::string(bytes.begin(), bytes.end()));
  }
}

struct quendle_case_t {
  const char* trace;
  const char* variant;
  std::vector<std::string> options;
};

std::vector<quendle_case_t> quendle_cases() {
  const std::vector<std::pair<const char*, std::vector<std::string>>> variants = {
      {"swt", {"-f", "swt"}},
      {"swt_all_columns", {"-f", "swt", "--ts", "--uiid", "--cc", "--fr", "--hmask", "7"}},
      {"swt_profile_formats",
       {"--profile", "--ts", "--uiid", "--swt-ts-format", "08lx", "--swt-uiid-format", "6ld"}},
      {"swt_modes_interrupts", {"-m", "MU", "--disable-interrupts", "--hmask", "2"}},
      {"swt_messages", {"--show-rvt", "--show-l2t", "--show-dct", "--ts", "--hmask", "255"}},
      {"raw_messages", {"-f", "raw", "--hmask", "7", "--show-rvt", "--show-l2t", "--show-dct"}},
      {"pconly", {"-f", "pconly", "--hmask", "7", "--show-dct"}},
      {"ingress", {"-f", "ingress", "--hmask", "7"}},
      {"hwt_swt", {"--iformat", "hwt", "--cc", "--uiid", "--hmask", "5"}},
      {"hwt_raw", {"--iformat", "hwt", "-f", "raw"}},
      {"rvt", {"--iformat", "rvt"}},
  };
  std::vector<quendle_case_t> cases;
  for (const char* trace : {"sample", "generated", "mixed64", "mixed32", "bad"})
    for (const auto& v : variants) cases.push_back(quendle_case_t{trace, v.first, v.second});
  return cases;
}

void PrintTo(const quendle_case_t& c, std::ostream* os) { *os << c.trace << "/" << c.variant; }

class GoldenQuendle : public ::testing::TestWithParam<quendle_case_t> {};

TEST_P(GoldenQuendle, OutputIsUnchanged) {
  const quendle_case_t& c = GetParam();
  const trace_case_t& trace = traces()[c.trace];
  output_path_t out;
  std::vector<std::string> args{"-t", trace.path, "-c", trace.config, "-o", out.path()};
  args.insert(args.end(), c.options.begin(), c.options.end());
  const run_result_t r = run_program(built_program("quendle"), args);
  check(std::string("quendle/") + c.trace + "/" + c.variant, r, read_text(out.path()));
}

INSTANTIATE_TEST_SUITE_P(Golden, GoldenQuendle, ::testing::ValuesIn(quendle_cases()),
                         [](const ::testing::TestParamInfo<quendle_case_t>& info) {
                           return std::string(info.param.trace) + "_" + info.param.variant;
                         });

struct diff_case_t {
  const char* name;
  const char* trace0;
  const char* trace1;
  std::vector<std::string> options;
};

void PrintTo(const diff_case_t& c, std::ostream* os) { *os << c.name; }

class GoldenDiff : public ::testing::TestWithParam<diff_case_t> {};

// The report, with the temporary paths that it names replaced.
TEST_P(GoldenDiff, ReportIsUnchanged) {
  const diff_case_t& c = GetParam();
  const trace_case_t& t0 = traces()[c.trace0];
  const trace_case_t& t1 = traces()[c.trace1];
  std::vector<std::string> args{"--tr0", t0.path, "--tr1", t1.path, "-c", t0.config};
  args.insert(args.end(), c.options.begin(), c.options.end());
  run_result_t r = run_program(built_program("quendle_diff"), args);
  // Errors name the traces too.
  for (std::string* text : {&r.out, &r.err}) {
    *text = replace_all(*text, t0.path, "<trace0>");
    *text = replace_all(*text, t1.path, "<trace1>");
    *text = replace_all(*text, t0.config, "<config>");
  }
  check(std::string("diff/") + c.name, r, r.out);
}

INSTANTIATE_TEST_SUITE_P(
    Golden, GoldenDiff,
    ::testing::ValuesIn(std::vector<diff_case_t>{
        {"generated_equal", "generated", "generated", {"--ts", "--uiid", "--cc", "--fr"}},
        {"sample_ends_first", "sample", "generated", {"--ts", "--uiid"}},
        {"harts_differ", "mixed64", "mixed64", {"--th0", "0", "--th1", "1", "--cc", "--fr"}},
        {"same_hart_skipping",
         "mixed64",
         "mixed64",
         {"--th0", "2", "--th1", "2", "--skip-range", "0x80000000:0x80000400"}},
        {"narrow_harts", "mixed32", "mixed32", {"--th0", "1", "--th1", "2", "--ts"}},
        {"bad_trace", "bad", "bad", {"--uiid"}},
    }),
    [](const ::testing::TestParamInfo<diff_case_t>& info) { return std::string(info.param.name); });

}  // namespace
