// The shipped sample trace: the generator reproduces it byte for byte, and
// the demo's command line formats it.
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/quendle_run.h"
#include "support/trace_builder.h"

using namespace quendle_test;

namespace {

const std::string examples = std::string(QUENDLE_SOURCE_DIR) + "/examples/";

TEST(Example, GeneratorReproducesTheSampleTrace) {
  et_test::temp_file_t trace;
  run_result_t r = run_program(built_program("quendle_example_gen"), {trace.path()});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string sample = read_text(examples + "sample.trace");
  ASSERT_FALSE(sample.empty());
  EXPECT_TRUE(read_text(trace.path()) == sample) << "regenerate examples/sample.trace";
}

// A negative count would wrap to one without end and fill the disk; an option
// is no output file name. Nothing is written for any of them.
TEST(Example, GeneratorArguments) {
  const std::string usage = "usage: quendle_example_gen <output> [instructions]\n";
  output_path_t out;
  struct {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err_start;
  } const cases[] = {
      {{"-h"}, 0, usage, ""},
      {{"--help"}, 0, usage, ""},
      {{}, 1, "", usage},
      {{"--bogus"}, 1, "", usage},
      {{out.path(), "1", "2"}, 1, "", usage},
      {{out.path(), "-5"}, 1, "", "quendle_example_gen: the instruction count must be a number"},
      {{out.path(), "0"}, 1, "", "quendle_example_gen: the instruction count must be a number"},
      {{out.path(), "+5"}, 1, "", "quendle_example_gen: the instruction count must be a number"},
      {{out.path(), "12q"}, 1, "", "quendle_example_gen: the instruction count must be a number"},
      {{out.path(), "18446744073709551616"},
       1,
       "",
       "quendle_example_gen: the instruction count must be a number"},
  };
  for (const auto& c : cases) {
    std::string joined;
    for (const std::string& a : c.args) joined += a + " ";
    run_result_t r = run_program(built_program("quendle_example_gen"), c.args);
    EXPECT_EQ(r.status, c.status) << joined;
    EXPECT_EQ(r.out, c.out) << joined;
    EXPECT_EQ(r.err.rfind(c.err_start, 0), 0u) << joined << r.err;
    EXPECT_FALSE(file_exists(out.path())) << joined;
    EXPECT_FALSE(file_exists("--help")) << joined;
  }
  run_result_t r = run_program(built_program("quendle_example_gen"), {out.path(), "7"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(file_exists(out.path()));
}

// A file system of one page (4 KiB) at dir, seen only by the calling process
// and what it starts: a mount namespace of its own, and without privileges a
// user namespace too, where the caller is root.
bool mount_small_file_system(const std::string& dir) {
  if (unshare(CLONE_NEWNS) != 0) {
    const std::string uid = std::to_string(getuid()), gid = std::to_string(getgid());
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
    auto put = [](const char* file, const std::string& text) {
      const int fd = open(file, O_WRONLY);
      const bool written = fd >= 0 && write(fd, text.data(), text.size()) == ssize_t(text.size());
      if (fd >= 0) close(fd);
      return written;
    };
    if (!put("/proc/self/setgroups", "deny") || !put("/proc/self/uid_map", "0 " + uid + " 1") ||
        !put("/proc/self/gid_map", "0 " + gid + " 1"))
      return false;
  }
  return mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
         mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=4k") == 0;
}

// A trace that cannot be written whole ends with the writer's message and
// status 1: on a device that takes nothing, and on a file system that fills
// up with the last staged bytes (written when the stream is closed) or in
// the middle of the stream.
TEST(Example, GeneratorReportsAFailedWrite) {
  const std::string prefix = "quendle_example_gen: Error: fail to write trace file: ";
  const std::string full = ": No space left on device\n";
  run_result_t r = run_program(built_program("quendle_example_gen"), {"/dev/full", "10"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, prefix + "/dev/full" + full);

  std::string dir = ::testing::TempDir() + "example_gen_XXXXXX";
  ASSERT_NE(mkdtemp(&dir[0]), nullptr);
  const std::string trace = dir + "/sample.trace";
  bool mounted = true;
  for (const char* count : {"100", "1000"}) {  // some 6.6 KB and 66 KB of trace
    r = run_program(built_program("quendle_example_gen"), {trace, count}, "",
                    [&] { return mount_small_file_system(dir); });
    if (r.status == setup_failed_status) {
      mounted = false;
      break;
    }
    EXPECT_EQ(r.status, 1) << count;
    EXPECT_EQ(r.err, prefix + trace + full) << count;
  }
  rmdir(dir.c_str());
  if (!mounted)
    GTEST_SKIP() << "no small file system can be mounted here (neither root nor user "
                    "namespaces); only /dev/full was tried";
}

TEST(Example, DemoListing) {
  output_path_t out;
  run_result_t r = run_program(built_program("quendle"),
                               {"-c", examples + "soc.xml", "-t", examples + "sample.trace", "-o",
                                out.path(), "-f", "swt", "--ts", "--uiid", "--cc"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string listing = read_text(out.path());
  EXPECT_EQ(listing.rfind("<          3 > ( 00000000.0 ) Mc [80000000] |00001617| auipc", 0), 0u)
      << listing.substr(0, 200);
  // Both harts, compressed, floating-point and memory instructions, the
  // interrupt and its return.
  for (const char* part : {".1 ) Mc", "|    952e| c.add", " fadd.s ", " EA=", " FRD[",
                           "Mc [        ] |        | intr", " mret", " CAUSE=8000000000000007"})
    EXPECT_NE(listing.find(part), std::string::npos) << part;
  EXPECT_EQ(listing.find("(args unknown)"), std::string::npos);
  EXPECT_EQ(listing.find("unknown"), std::string::npos);
}

}  // namespace
