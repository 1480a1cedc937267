#include "output_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "support/trace_builder.h"

namespace {

using et_test::temp_file_t;

// A record of pc bytes, each the low byte of the uiid.
class sized_formatter_t : public et_buffered_formatter_t {
public:
  std::size_t build_record(char* out, const et_insn_t& insn) override {
    if (insn.pc > max_record) throw std::runtime_error("too long");
    std::memset(out, char('a' + insn.uiid % 26), insn.pc);
    return insn.pc;
  }
};

std::string file_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

long file_size(const std::string& path) {
  struct stat status;
  return stat(path.c_str(), &status) == 0 ? long(status.st_size) : -1;
}

// In the caller's thread, and by the writer thread.
class OutputFile : public ::testing::TestWithParam<bool> {
protected:
  bool background() const { return GetParam(); }
};

constexpr std::size_t block = output_file_t::block_bytes;

}  // namespace

// Records and plain writes of every size around the block boundaries come
// out whole and in order, however they fall across the blocks.
TEST_P(OutputFile, EverythingArrivesInOrder) {
  const std::size_t sizes[] = {0, 1, 7, et_buffered_formatter_t::max_record, 100};
  const std::size_t writes[] = {0, 1, block - 1, block, block + 1, 3 * block + 7};
  for (const std::size_t write_size : writes) {
    temp_file_t file;
    std::string want;
    {
      output_file_t out(file.path(), std::ios::out, background());
      sized_formatter_t formatter;
      for (unsigned k = 0; k < 3000; ++k) {
        et_insn_t insn{};
        insn.uiid = k;
        insn.pc = sizes[k % 5];
        out.write_record(formatter, insn);
        want.append(insn.pc, char('a' + k % 26));
        if (k % 1000 == 0) {
          const std::string data(write_size, char('A' + k % 26));
          out.write(data.data(), data.size());
          want += data;
        }
      }
      out.close();
    }
    const std::string got = file_text(file.path());
    ASSERT_EQ(got.size(), want.size()) << write_size;
    EXPECT_TRUE(got == want) << write_size;
  }
}

// A flush puts everything written so far into the file at once.
TEST_P(OutputFile, FlushReachesTheFile) {
  temp_file_t file;
  output_file_t out(file.path(), std::ios::out, background());
  const std::string line = "one line\n";
  out.write(line.data(), line.size());
  out.flush();
  EXPECT_EQ(file_size(file.path()), long(line.size()));
  const std::string big(2 * block + 3, 'x');
  out.write(big.data(), big.size());
  out.flush();
  EXPECT_EQ(file_size(file.path()), long(line.size() + big.size()));
  out.close();
}

// Dropped without close (an error on the way out), the file keeps what
// was written.
TEST_P(OutputFile, DestructionKeepsWhatWasWritten) {
  temp_file_t file;
  const std::string data(5 * block + 11, 'y');
  {
    output_file_t out(file.path(), std::ios::out, background());
    out.write(data.data(), data.size());
  }
  EXPECT_EQ(file_text(file.path()), data);
}

// Opening truncates, or appends when asked to.
TEST_P(OutputFile, TruncatesOrAppends) {
  temp_file_t file;
  { std::ofstream(file.path()) << "old contents"; }
  {
    output_file_t out(file.path(), std::ios::out, background());
    out.write("new", 3);
    out.close();
  }
  EXPECT_EQ(file_text(file.path()), "new");
  {
    output_file_t out(file.path(), std::ios::out | std::ios::app, background());
    out.write("er", 2);
    out.close();
  }
  EXPECT_EQ(file_text(file.path()), "newer");
}

// A full disk is reported by close, not taken for success; the records after
// the failure are still built (a refused one still throws) and nothing hangs.
TEST_P(OutputFile, FailedWritesAreReported) {
  if (file_size("/dev/full") < 0) GTEST_SKIP() << "no /dev/full";
  output_file_t out("/dev/full", std::ios::out, background());
  sized_formatter_t formatter;
  et_insn_t insn{};
  insn.pc = 1000;
  for (unsigned k = 0; k < 10 * block / 1000; ++k) out.write_record(formatter, insn);
  out.flush();
  insn.pc = et_buffered_formatter_t::max_record + 1;
  EXPECT_THROW(out.write_record(formatter, insn), std::runtime_error);
  try {
    out.close();
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "cannot write output file '/dev/full': No space left on device");
  }
}

TEST_P(OutputFile, UnopenableFile) {
  try {
    output_file_t out("/nonexistent/dir/out.txt", std::ios::out, background());
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(),
                 "cannot open output file '/nonexistent/dir/out.txt': No such file or directory");
  }
}

INSTANTIATE_TEST_SUITE_P(Writers, OutputFile, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Background" : "InTheCallersThread";
                         });
