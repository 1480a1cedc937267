#include "support/diff_run.h"

#include <cstdio>

namespace diff_test {

std::string text_column(uint64_t word) { return quendle_test::text_column(word, isa); }

std::string text_start(uint64_t pc, uint64_t word, char mode) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%cc [%lx] ", mode, static_cast<unsigned long>(pc));
  return buf + text_column(word);
}

et_insn_t addi(uint64_t pc, unsigned rd, unsigned imm, uint64_t value) {
  et_insn_t insn =
      et_test::make_insn(0, pc, 0x13 | uint64_t(rd & 31) << 7 | uint64_t(imm & 0xfff) << 20);
  insn.rs1 = reg(0, 0);
  insn.rd = reg(rd, value);
  return insn;
}

std::vector<et_insn_t> straight_line(unsigned n, uint64_t pc) {
  std::vector<et_insn_t> insns;
  insns.reserve(n);
  for (unsigned i = 0; i < n; ++i)
    insns.push_back(addi(pc + 4 * uint64_t(i), 1 + i % 31, i & 0x7ff, i));
  return insns;
}

trace_t::trace_t(const et_test::trace_config_t& config) : builder_(config) {}

trace_t& trace_t::hart(uint8_t hart) {
  builder_.hart(hart);
  hart_ = hart;
  return *this;
}

et_insn_t trace_t::numbered(et_insn_t insn) {
  insn.uiid = next_uiid_[hart_]++;
  return insn;
}

trace_t& trace_t::add(et_insn_t insn) {
  builder_.insn(numbered(insn));
  return *this;
}

trace_t& trace_t::add(const std::vector<et_insn_t>& insns) {
  for (const et_insn_t& insn : insns) add(insn);
  return *this;
}

trace_t& trace_t::issue_only(et_insn_t insn) {
  insn.committed = 0;
  builder_.insn(numbered(insn));
  return *this;
}

report_t split_report(const std::string& out) {
  report_t report;
  const std::string tag = "[INFO]<TDT> ";
  std::size_t end = out.find('\n');
  if (end == std::string::npos) {
    report.malformed = out;
    return report;
  }
  report.config_line = out.substr(0, end);
  std::size_t pos = end + 1;
  while (pos < out.size()) {
    if (out.compare(pos, tag.size(), tag) != 0) {
      report.malformed = out.substr(pos);
      return report;
    }
    pos += tag.size();
    // The message runs up to the next line that starts with the tag.
    std::size_t next = out.find("\n" + tag, pos);
    next = next == std::string::npos ? out.size() : next + 1;
    std::string message = out.substr(pos, next - pos);
    if (message.empty() || message.back() != '\n') {
      report.malformed = message;
      return report;
    }
    message.pop_back();
    report.messages.push_back(message);
    pos = next;
  }
  return report;
}

std::vector<std::string> verdict_messages(const report_t& report) {
  if (report.messages.size() < 2) return {};
  return std::vector<std::string>(report.messages.begin() + 2, report.messages.end());
}

}  // namespace diff_test
