// Runs the built quendle program in a child process for end-to-end tests,
// with a configuration file written to match the test's trace.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "support/trace_builder.h"

namespace quendle_test {

struct run_result_t {
  int status = -1;  // exit status, or -1 when the program did not exit normally
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs the program at path exe with args. Standard output goes to
// `stdout_path` when one is given (run_result_t::out stays empty). `in_child`
// runs in the child process before the program starts; when it returns false
// the child ends with setup_failed_status instead.
run_result_t run_program(const std::string& exe, const std::vector<std::string>& args,
                         const std::string& stdout_path = "",
                         const std::function<bool()>& in_child = nullptr);
constexpr int setup_failed_status = 126;

#ifdef QUENDLE_BIN_DIR
// A program built by the project (tests get QUENDLE_BIN_DIR).
inline std::string built_program(const std::string& name) {
  return std::string(QUENDLE_BIN_DIR) + "/" + name;
}
#endif

// The disassembly column of an "swt" line for a word: the text of the
// disassembler built for `isa` (privilege modes "msu"), padded to 30 columns.
std::string text_column(uint64_t word, const std::string& isa);

// The contents of a file ("" when missing) and whether it exists.
std::string read_text(const std::string& path);
bool file_exists(const std::string& path);

// A configuration file for a trace written with `config`, removed on
// destruction. `swt_override` replaces the whole "swt" node when not empty.
class soc_config_t {
public:
  explicit soc_config_t(const et_test::trace_config_t& config = {},
                        const std::string& isa = "rv64imafdc_zba_zbb",
                        const std::string& swt_override = "");
  const std::string& path() const { return file_.path(); }

private:
  et_test::temp_file_t file_;
};

// A fresh output path (the file does not exist yet), removed on destruction.
class output_path_t {
public:
  output_path_t();
  ~output_path_t();
  const std::string& path() const { return path_; }

private:
  std::string path_;
};

}  // namespace quendle_test
