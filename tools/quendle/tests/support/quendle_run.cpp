#include "support/quendle_run.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "disasm/disassembler.h"
#include "disasm/isa_parser.h"

namespace quendle_test {

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool file_exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

run_result_t run_program(const std::string& exe, const std::vector<std::string>& args,
                         const std::string& stdout_path, const std::function<bool()>& in_child) {
  et_test::temp_file_t out_file, err_file;
  const std::string& out_path = stdout_path.empty() ? out_file.path() : stdout_path;
  std::vector<const char*> argv{exe.c_str()};
  for (const auto& a : args) argv.push_back(a.c_str());
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    int out = open(out_path.c_str(), O_WRONLY | O_TRUNC);
    int err = open(err_file.path().c_str(), O_WRONLY | O_TRUNC);
    int in = open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0) _exit(127);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (in_child && !in_child()) _exit(setup_failed_status);
    execv(exe.c_str(), const_cast<char* const*>(argv.data()));
    _exit(127);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  run_result_t r;
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  if (stdout_path.empty()) r.out = read_text(out_file.path());
  r.err = read_text(err_file.path());
  return r;
}

soc_config_t::soc_config_t(const et_test::trace_config_t& c, const std::string& isa,
                           const std::string& swt_override) {
  std::ofstream f(file_.path());
  f << "<soc>\n";
  if (!swt_override.empty()) {
    f << swt_override << "\n";
  } else {
    f << "  <swt>\n"
      << "    <XLEN>" << c.xlen << "</XLEN>\n"
      << "    <FLEN>" << c.flen << "</FLEN>\n"
      << "    <PADDR_WIDTH>" << c.paddr_width << "</PADDR_WIDTH>\n"
      << "    <IRF_DATA_WIDTH>" << c.irf_data_width << "</IRF_DATA_WIDTH>\n"
      << "    <CL_WIDTH>" << c.cl_width << "</CL_WIDTH>\n"
      << "    <CL_CHUNKS>" << c.cl_chunks << "</CL_CHUNKS>\n"
      << "    <POISON_ENABLE>" << (c.poison_enable ? 1 : 0) << "</POISON_ENABLE>\n"
      << "  </swt>\n";
  }
  f << "  <module id=\"cpu0\">\n"
    << "    <isa>" << isa << "</isa>\n"
    << "    <priv_modes>msu</priv_modes>\n"
    << "  </module>\n"
    << "</soc>\n";
}

output_path_t::output_path_t() {
  static std::atomic<unsigned> counter{0};
  path_ = ::testing::TempDir() + "quendle_out_" + std::to_string(getpid()) + "_" +
          std::to_string(counter++);
  std::remove(path_.c_str());
}

output_path_t::~output_path_t() { std::remove(path_.c_str()); }

std::string text_column(uint64_t word, const std::string& isa) {
  // One disassembler per ISA for the whole test program.
  struct table_t {
    isa_parser_t parser;
    std::unique_ptr<disassembler_t> disassembler;
  };
  static std::map<std::string, table_t> tables;
  table_t& t = tables[isa];
  if (!t.disassembler) {
    t.parser.init(isa, "msu");
    t.disassembler = std::make_unique<disassembler_t>(&t.parser);
  }
  std::string s = t.disassembler->disassemble(word);
  return s + std::string(s.size() < 30 ? 30 - s.size() : 0, ' ');
}

}  // namespace quendle_test
