// Decoding speed of the stream reader alone, in instructions per second, on
// the trace quendle's end-to-end benchmark reads (bench/quendle_formats.sh):
// two million instructions of the example generator's mix
// (examples/example_gen.cpp), read as quendle reads it by default (harts 0
// and 1, messages skipped, the geometry of examples/soc.xml). Beside it, the
// floor costs per object: clearing a window slot and the object handed out.
//
// The trace is generated once per run next to this program, with the
// generator program, and removed at exit.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "etrace/mh_swt_reader.h"
#include "etrace/stream/et_stream_geometry.h"

namespace {

constexpr uint64_t trace_instructions = 2000000;
// examples/soc.xml.
const et_stream_geometry_t geometry{64, 64, 40, 64, 512, 1, false};
constexpr unsigned long harts = 3;  // quendle's default hart mask

// Clears as the reader does: through the C library's memset (its widest
// stores), not the string instruction the compiler inlines for a constant
// size.
void clear(unsigned char* p, std::size_t bytes) {
  asm("" : "+r"(bytes));
  std::memset(p, 0, bytes);
}

std::string program_dir() {
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  const std::string exe(path, std::size_t(n));
  return exe.substr(0, exe.rfind('/'));
}

// The generated trace; written on first use, removed at exit.
class bench_trace_t {
public:
  bench_trace_t() : path_(program_dir() + "/bench_reader_trace." + std::to_string(getpid())) {
    const std::string command = std::string(QUENDLE_BIN_DIR) + "/quendle_example_gen '" + path_ +
                                "' " + std::to_string(trace_instructions);
    if (std::system(command.c_str()) != 0)
      throw std::runtime_error("bench_reader: cannot generate the trace: " + command);
  }
  ~bench_trace_t() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

  long size() const {
    FILE* f = std::fopen(path_.c_str(), "rb");
    if (f == nullptr) return 0;
    std::fseek(f, 0, SEEK_END);
    const long n = std::ftell(f);
    std::fclose(f);
    return n;
  }

private:
  std::string path_;
};

const bench_trace_t& trace() {
  static const bench_trace_t generated;
  return generated;
}

// Opens the trace and reads every object, as quendle's loop does; the
// reader's window is mapped afresh each time, as in a run of the program.
// Besides the mean rate, the best run's: on a shared machine the others wait
// for a processor or for the system to find huge pages.
void BM_ReadTrace(benchmark::State& state) {
  const std::string& path = trace().path();
  uint64_t instructions = 0, per_run = 0;
  double best_seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    mh_swt_reader_t reader(path, harts, true, true, true, geometry);
    uint64_t checksum = 0;
    per_run = 0;
    while (const et_object_t* object = reader.get_next_object()) {
      checksum += object->insn.pc + object->insn.committed;
      per_run += object->kind == et_object_t::KIND_INSN;
    }
    benchmark::DoNotOptimize(checksum);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (best_seconds == 0 || seconds < best_seconds) best_seconds = seconds;
    instructions += per_run;
  }
  state.SetItemsProcessed(int64_t(instructions));
  state.SetBytesProcessed(int64_t(state.iterations()) * trace().size());
  state.counters["insn_per_s"] =
      benchmark::Counter(double(instructions), benchmark::Counter::kIsRate);
  state.counters["best_insn_per_s"] = double(per_run) / best_seconds;
  state.counters["slot_bytes"] = double(mh_swt_reader_t::slot_bytes);
  state.counters["window_MiB"] =
      double(mh_swt_reader_t::slot_bytes * mh_swt_reader_t::ring_capacity) / (1 << 20);
}
BENCHMARK(BM_ReadTrace)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);

// Clearing the same memory again and again: memset speed from the cache, for
// a window slot (cleared when it is reused) and for the object handed out
// (cleared before it is filled from its slot).
void BM_ClearFromCache(benchmark::State& state) {
  const std::size_t bytes = std::size_t(state.range(0));
  alignas(64) static unsigned char memory[sizeof(et_object_t)];
  for (auto _ : state) {
    clear(memory, bytes);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
  state.SetBytesProcessed(int64_t(state.iterations() * bytes));
}
BENCHMARK(BM_ClearFromCache)
    ->Arg(int64_t(mh_swt_reader_t::slot_bytes))
    ->Arg(int64_t(sizeof(et_object_t)));

// Clearing slot after slot of a window, as the reader does for each object it
// makes: memset bandwidth to memory.
void BM_ClearWindowSlots(benchmark::State& state) {
  const std::size_t slots = mh_swt_reader_t::ring_slots;
  const std::size_t slot_bytes = mh_swt_reader_t::slot_bytes;
  std::unique_ptr<unsigned char[]> ring(new unsigned char[slots * slot_bytes]());
  std::size_t next = 0;
  for (auto _ : state) {
    clear(&ring[next * slot_bytes], slot_bytes);
    benchmark::ClobberMemory();
    next = next + 1 == slots ? 0 : next + 1;
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
  state.SetBytesProcessed(int64_t(state.iterations() * slot_bytes));
}
BENCHMARK(BM_ClearWindowSlots);

}  // namespace

BENCHMARK_MAIN();
