// Helpers for the end-to-end tests of quendle_diff: traces numbered per hart,
// runs of the built program with a configuration file for the traces, and the
// report split into its messages.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/quendle_run.h"
#include "support/trace_builder.h"

namespace diff_test {

// The ISA of the tests' configuration files and of the report's texts.
constexpr const char* isa = "rv64imafdc_zba_zbb";

// The report's disassembly column of a word under that ISA.
std::string text_column(uint64_t word);
// The start of the report's text of an instruction: privilege, pc, word.
std::string text_start(uint64_t pc, uint64_t word, char mode = 'M');

// A register operand with both halves present.
inline et_reg_t reg(uint64_t number, uint64_t value) { return et_reg_t{1, number, 1, value}; }

// A committed "addi x<rd>, x0, imm" at pc writing value.
et_insn_t addi(uint64_t pc, unsigned rd, unsigned imm, uint64_t value);

// n such instructions from pc on, four bytes apart, each writing its index.
std::vector<et_insn_t> straight_line(unsigned n, uint64_t pc = 0x80000000);

// A trace file under construction. Records get sequential uiids per hart.
class trace_t {
public:
  explicit trace_t(const et_test::trace_config_t& config = {});
  // The records that follow belong to this hart.
  trace_t& hart(uint8_t hart);
  trace_t& add(et_insn_t insn);
  trace_t& add(const std::vector<et_insn_t>& insns);
  // An instruction that is issued and never committed.
  trace_t& issue_only(et_insn_t insn);
  et_test::trace_builder_t& builder() { return builder_; }
  // Completes the file and returns its path.
  const std::string& path() { return builder_.finish(); }

private:
  et_insn_t numbered(et_insn_t insn);

  et_test::trace_builder_t builder_;
  uint8_t hart_ = 0;
  uint64_t next_uiid_[256] = {};
};

// Standard output of a run: the configuration line first, then one log
// message per "[INFO]<TDT> " line (a message may span several lines).
struct report_t {
  std::string config_line;
  std::vector<std::string> messages;
  std::string malformed;  // what could not be split, empty when all could
};
report_t split_report(const std::string& out);

// The messages after "trace0: ..." and "trace1: ...".
std::vector<std::string> verdict_messages(const report_t& report);

// Runs quendle_diff on two traces with a configuration file and extra options.
// Only the test programs know where the program was built.
#ifdef QUENDLE_BIN_DIR
inline quendle_test::run_result_t run_diff(const std::string& tr0, const std::string& tr1,
                                           const std::string& config,
                                           const std::vector<std::string>& extra = {}) {
  std::vector<std::string> args{"--tr0", tr0, "--tr1", tr1, "-c", config};
  args.insert(args.end(), extra.begin(), extra.end());
  return quendle_test::run_program(quendle_test::built_program("quendle_diff"), args);
}
#endif

}  // namespace diff_test
