// quendle_diff end to end on two equal traces, beside quendle -f ingress on one
// of them in the same run: compared pairs per second, the formatter's
// instructions per second, and the peak memory of the process.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "diff_app.h"
#include "etrace/stream/et_writer.h"
#include "quendle_app.h"
#include "quendle_options.h"
#include "support/heap_counter.h"  // this program's operator new

namespace {

constexpr uint64_t instructions = 2000000;

// A one-hart trace of a loop body of register, immediate, load, store, branch
// and compressed instructions, with every operand and address recorded.
void write_trace(const std::string& path) {
  et_writer_t w(path, 0);
  w.configure(64, 64, 64, 64, 40);
  w.record_swt_hart(0);
  const uint32_t words[] = {0x00c58533, 0x00150513, 0x00853583, 0x00b53823, 0x00b50463, 0x0505};
  uint64_t pc = 0x80000000;
  for (uint64_t uiid = 0; uiid < instructions; ++uiid) {
    const uint16_t piid = uint16_t(uiid & 1023);
    const uint32_t word = words[uiid % 6];
    w.record_tsd1(1);
    w.record_swt_is(uiid, 3, word);
    w.record_swt_irfra(piid, 1, 10);
    w.record_swt_irfrd(piid, 1, uiid * 3);
    if (word != 0x00150513 && word != 0x0505 && word != 0x00853583) {
      w.record_swt_irfra(piid, 2, 11);
      w.record_swt_irfrd(piid, 2, uiid * 5);
    }
    if (word == 0x00853583 || word == 0x00b53823) {
      w.record_swt_va(piid, 0x80001000 + (uiid & 0xff) * 8);
      w.record_swt_pa(piid, 0x80001000 + (uiid & 0xff) * 8);
      if (word == 0x00b53823) w.record_swt_std(piid, uiid * 5);
    }
    if (word != 0x00b53823 && word != 0x00b50463) {
      w.record_swt_irfwa(piid, 10);
      w.record_swt_irfwd(piid, uiid * 7);
    }
    w.record_swt_cm(piid, pc, false, false, 0, false);
    pc += word == 0x0505 ? 2 : 4;
  }
  w.close();
}

struct files_t {
  std::string dir, trace0, trace1, config, output;
  files_t() {
    char pattern[] = "/tmp/bench_diff.XXXXXX";
    dir = mkdtemp(pattern);
    trace0 = dir + "/0.trace";
    trace1 = dir + "/1.trace";
    config = dir + "/soc.xml";
    output = dir + "/out.ingress";
    write_trace(trace0);
    write_trace(trace1);
    std::ofstream(config) << "<soc><swt><XLEN>64</XLEN><FLEN>64</FLEN><PADDR_WIDTH>40</PADDR_WIDTH>"
                             "<IRF_DATA_WIDTH>64</IRF_DATA_WIDTH><CL_WIDTH>512</CL_WIDTH>"
                             "<CL_CHUNKS>1</CL_CHUNKS><POISON_ENABLE>0</POISON_ENABLE></swt>"
                             "<module id=\"cpu0\"><isa>rv64imafdc</isa><priv_modes>msu</priv_modes>"
                             "</module></soc>";
  }
  ~files_t() {
    for (const std::string& f : {trace0, trace1, config, output}) std::remove(f.c_str());
    rmdir(dir.c_str());
  }
};

files_t& files() {
  static files_t f;
  return f;
}

// The programs' own lines on standard output are not part of the figures.
struct quiet_stdout_t {
  std::ostringstream sink;
  std::streambuf* saved = std::cout.rdbuf(sink.rdbuf());
  ~quiet_stdout_t() { std::cout.rdbuf(saved); }
};

double peak_rss_mb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_maxrss) / 1024.0;
}

void quendle_diff_equal_traces(benchmark::State& state) {
  files_t& f = files();
  const char* argv[] = {"quendle_diff",   "--tr0", f.trace0.c_str(), "--tr1",
                        f.trace1.c_str(), "-c",    f.config.c_str()};
  const uint64_t allocations_before = et_test::heap_allocations.load();
  for (auto _ : state) {
    quiet_stdout_t quiet;
    if (quendle_diff_main(7, argv) != 0) state.SkipWithError("traces reported different");
  }
  state.SetItemsProcessed(int64_t(state.iterations() * instructions));  // compared pairs
  // The set-up (configuration, readers, the disassembler) allocates some
  // thousand blocks; the comparison of equal pairs none.
  state.counters["allocs_per_run"] =
      double(et_test::heap_allocations.load() - allocations_before) / double(state.iterations());
  state.counters["peak_rss_MB"] = peak_rss_mb();
}
BENCHMARK(quendle_diff_equal_traces)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

void quendle_ingress_one_trace(benchmark::State& state) {
  files_t& f = files();
  quendle_options_t o;
  o.trace = f.trace0;
  o.output = f.output;
  o.config = f.config;
  o.format = "ingress";
  for (auto _ : state) {
    quiet_stdout_t quiet;
    if (run_quendle(o) != 0) state.SkipWithError("quendle failed");
  }
  state.SetItemsProcessed(int64_t(state.iterations() * instructions));  // instructions written
}
BENCHMARK(quendle_ingress_one_trace)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
