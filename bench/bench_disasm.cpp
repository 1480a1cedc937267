// Disassembler speed: building the table, looking words up, building texts.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "disassembler.h"

// GCC pairs the replaced operators below with their inlined callers and
// reports a mismatch that is not there.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

// Counts heap allocations so that the lookup benchmark can show it makes none.
static std::atomic<uint64_t> allocations{0};

void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

// Encodings of a typical integer/floating-point program mix (match, mask and
// the instruction width); operand fields are filled with pseudo-random bits.
struct encoding_t {
  uint32_t match, mask;
  bool compressed;
};

encoding_t const mix[] = {
    // base integer
    {0x00000013, 0x0000707f, false},  // addi (also nop, li, mv)
    {0x00000013, 0x0000707f, false},
    {0x00000033, 0xfe00707f, false},  // add
    {0x40000033, 0xfe00707f, false},  // sub
    {0x00002003, 0x0000707f, false},  // lw
    {0x00003003, 0x0000707f, false},  // ld
    {0x00002023, 0x0000707f, false},  // sw
    {0x00003023, 0x0000707f, false},  // sd
    {0x00000063, 0x0000707f, false},  // beq
    {0x00001063, 0x0000707f, false},  // bne
    {0x0000006f, 0x0000007f, false},  // jal
    {0x00000067, 0x0000707f, false},  // jalr
    {0x00000037, 0x0000007f, false},  // lui
    {0x00000017, 0x0000007f, false},  // auipc
    {0x00001013, 0xfc00707f, false},  // slli
    {0x0000001b, 0x0000707f, false},  // addiw
    // M
    {0x02000033, 0xfe00707f, false},  // mul
    {0x02004033, 0xfe00707f, false},  // div
    // A
    {0x0000202f, 0xf800707f, false},  // amoadd.w
    {0x1000202f, 0xf9f0707f, false},  // lr.w
    {0x1800202f, 0xf800707f, false},  // sc.w
    // F and D
    {0x00000053, 0xfe00007f, false},  // fadd.s
    {0x02000053, 0xfe00007f, false},  // fadd.d
    {0x00002007, 0x0000707f, false},  // flw
    {0x00003007, 0x0000707f, false},  // fld
    {0x00003027, 0x0000707f, false},  // fsd
    {0x00000043, 0x0600007f, false},  // fmadd.s
    // C
    {0x0001, 0xe003, true},  // c.addi
    {0x4001, 0xe003, true},  // c.li
    {0x4000, 0xe003, true},  // c.lw
    {0xc000, 0xe003, true},  // c.sw
    {0x6002, 0xe003, true},  // c.ldsp
    {0xe002, 0xe003, true},  // c.sdsp
    {0xa001, 0xe003, true},  // c.j
    {0xc001, 0xe003, true},  // c.beqz
    {0x8002, 0xf003, true},  // c.mv / c.jr
    {0x9002, 0xf003, true},  // c.add / c.jalr
    {0x2001, 0xe003, true},  // c.addiw
    {0x8c01, 0xfc63, true},  // c.sub
};

std::vector<uint64_t> const& word_mix() {
  static std::vector<uint64_t> const words = [] {
    std::vector<uint64_t> w;
    uint32_t state = 12345;
    for (int i = 0; i < 4096; ++i) {
      state = state * 1664525u + 1013904223u;
      encoding_t const& e = mix[(state >> 8) % (sizeof mix / sizeof mix[0])];
      state = state * 1664525u + 1013904223u;
      uint32_t width_mask = e.compressed ? 0xffffu : 0xffffffffu;
      w.push_back(e.match | (state & ~e.mask & width_mask));
    }
    return w;
  }();
  return words;
}

void build_all_extensions(benchmark::State& state) {
  for (auto _ : state) {
    disassembler_t d(64);
    benchmark::DoNotOptimize(&d);
  }
}
BENCHMARK(build_all_extensions)->Unit(benchmark::kMicrosecond);

void get_disasm(benchmark::State& state) {
  disassembler_t const d(64);
  auto const& words = word_mix();
  uint64_t unknown = 0;
  uint64_t allocations_before = allocations.load();
  for (auto _ : state)
    for (uint64_t w : words) {
      disasm_insn_t const* insn = d.get_disasm(w);
      unknown += insn == nullptr;
      benchmark::DoNotOptimize(insn);
    }
  uint64_t lookups = uint64_t(state.iterations()) * words.size();
  state.SetItemsProcessed(int64_t(lookups));
  state.counters["allocs_per_lookup"] = double(allocations.load() - allocations_before) / double(lookups);
  state.counters["unknown_share"] = double(unknown) / double(lookups);
}
BENCHMARK(get_disasm);

void to_string(benchmark::State& state) {
  disassembler_t const d(64);
  auto const& words = word_mix();
  std::vector<disasm_insn_t const*> entries;
  for (uint64_t w : words) entries.push_back(d.get_disasm(w));
  size_t length = 0;
  for (auto _ : state)
    for (size_t i = 0; i < words.size(); ++i)
      if (entries[i]) length += entries[i]->to_string(insn_t(words[i])).size();
  benchmark::DoNotOptimize(length);
  state.SetItemsProcessed(int64_t(state.iterations() * words.size()));
}
BENCHMARK(to_string);

}  // namespace

BENCHMARK_MAIN();
