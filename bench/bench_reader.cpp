// Decoding speed of the stream reader, against the floor cost of clearing one
// ring slot per object.
//
// The trace is generated once per run with the stream writer, next to this
// program, and removed at exit: one million instructions, each with an issue
// record, two register reads (number and value), a register write (number and
// value), a virtual and a physical address and a commit record.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "stream/et_writer.h"
#include "mh_swt_reader.h"

namespace {

constexpr uint64_t trace_instructions = 1000000;
constexpr int xlen = 64, flen = 64, irf_width = 64, paddr_width = 56;
// The slot size the ring was laid out for; the floor cost per object.
constexpr std::size_t slot_bytes = 608;

// Clears as the reader does: through the C library's memset (its widest
// stores), not the string instruction the compiler inlines for a constant
// size.
void clear(unsigned char* p)
{
  std::size_t bytes = slot_bytes;
  asm("" : "+r"(bytes));
  std::memset(p, 0, bytes);
}

std::string program_dir()
{
  char path[4096];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return ".";
  const std::string exe(path, std::size_t(n));
  return exe.substr(0, exe.rfind('/'));
}

// The generated trace; written on first use, removed at exit.
class bench_trace_t {
 public:
  bench_trace_t() : path_(program_dir() + "/bench_reader_trace." + std::to_string(getpid()))
  {
    et_writer_t writer(path_, 0);
    writer.configure(xlen, flen, irf_width, xlen, paddr_width);
    uint64_t pc = 0x80000000;
    for (uint64_t uiid = 0; uiid < trace_instructions; ++uiid) {
      const auto piid = uint16_t(uiid);
      writer.record_tsd1(1);
      writer.record_swt_is(uiid, 3, 0x00b50533);  // add a0, a0, a1
      writer.record_swt_irfra(piid, 1, 10);
      writer.record_swt_irfrd(piid, 1, uiid * 3);
      writer.record_swt_irfra(piid, 2, 11);
      writer.record_swt_irfrd(piid, 2, uiid * 5);
      writer.record_swt_irfwa(piid, 10);
      writer.record_swt_irfwd(piid, uiid * 8);
      writer.record_swt_va(piid, 0x4000 + uiid * 8);
      writer.record_swt_pa(piid, 0x84000 + uiid * 8);
      writer.record_swt_cm(piid, pc, false, false, 0, false);
      pc += 4;
    }
  }
  ~bench_trace_t() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

  long size() const
  {
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

const bench_trace_t& trace()
{
  static const bench_trace_t generated;
  return generated;
}

// Opens the trace and reads every object, as the formatter's loop does.
void BM_ReadTrace(benchmark::State& state)
{
  const std::string& path = trace().path();
  uint64_t instructions = 0;
  for (auto _ : state) {
    mh_swt_reader_t reader(path, 1, true, true, true, xlen, flen, paddr_width, irf_width, 512, 1,
                           false);
    uint64_t checksum = 0;
    while (const et_object_t* object = reader.get_next_object()) {
      checksum += object->insn.pc + object->insn.committed;
      ++instructions;
    }
    benchmark::DoNotOptimize(checksum);
  }
  state.SetItemsProcessed(int64_t(instructions));
  state.SetBytesProcessed(int64_t(state.iterations()) * trace().size());
  state.counters["insn_per_s"] =
      benchmark::Counter(double(instructions), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReadTrace)->Unit(benchmark::kMillisecond)->UseRealTime();

// Clearing the same slot again and again: memset speed from the cache.
void BM_ClearOneSlot(benchmark::State& state)
{
  alignas(64) static unsigned char slot[slot_bytes];
  for (auto _ : state) {
    clear(slot);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
  state.SetBytesProcessed(int64_t(state.iterations() * slot_bytes));
}
BENCHMARK(BM_ClearOneSlot);

// Clearing slot after slot of a ring of the reader's size, as the reader does
// for each object it makes: memset bandwidth to memory.
void BM_ClearRingSlots(benchmark::State& state)
{
  const std::size_t slots = mh_swt_reader_t::ring_slots;
  std::unique_ptr<unsigned char[]> ring(new unsigned char[slots * slot_bytes]());
  std::size_t next = 0;
  for (auto _ : state) {
    clear(&ring[next * slot_bytes]);
    benchmark::ClobberMemory();
    next = next + 1 == slots ? 0 : next + 1;
  }
  state.SetItemsProcessed(int64_t(state.iterations()));
  state.SetBytesProcessed(int64_t(state.iterations() * slot_bytes));
}
BENCHMARK(BM_ClearRingSlots);

}  // namespace

BENCHMARK_MAIN();
