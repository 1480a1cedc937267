// Disassembler speed: building the table, looking words up, building texts.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "disasm/disassembler.h"
#include "support/heap_counter.h"  // this program's operator new

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

// Encodings of a vector loop body: configuration, loads and stores of several
// widths and addressing modes (segment forms included), integer and
// floating-point arithmetic, reductions, moves, slides and widening forms,
// between a few scalar words for the loop control.
encoding_t const vector_mix[] = {
    {0x00007057, 0x8000707f, false},  // vsetvli
    {0x00007057, 0x8000707f, false},
    {0xc0007057, 0xc000707f, false},  // vsetivli
    {0x80007057, 0xfe00707f, false},  // vsetvl
    // unit-stride, strided and indexed loads and stores
    {0x00000007, 0x1df0707f, false},  // vle8.v
    {0x00005007, 0x1df0707f, false},  // vle16.v
    {0x00006007, 0x1df0707f, false},  // vle32.v
    {0x00006007, 0x1df0707f, false},
    {0x00007007, 0x1df0707f, false},  // vle64.v
    {0x00000027, 0x1df0707f, false},  // vse8.v
    {0x00006027, 0x1df0707f, false},  // vse32.v
    {0x00006027, 0x1df0707f, false},
    {0x00007027, 0x1df0707f, false},  // vse64.v
    {0x01006007, 0x1df0707f, false},  // vle32ff.v
    {0x08006007, 0x1c00707f, false},  // vlse32.v
    {0x08007007, 0x1c00707f, false},  // vlse64.v
    {0x08006027, 0x1c00707f, false},  // vsse32.v
    {0x04006007, 0x1c00707f, false},  // vluxei32.v
    {0x0c007007, 0x1c00707f, false},  // vloxei64.v
    {0x04006027, 0x1c00707f, false},  // vsuxei32.v
    {0x0c000027, 0x1c00707f, false},  // vsoxei8.v
    {0x02806007, 0xfff0707f, false},  // vl1re32.v
    {0x02800027, 0xfff0707f, false},  // vs1r.v
    // segment forms: the field count in bits 31..29
    {0x60005007, 0xfdf0707f, false},  // vlseg4e16.v
    {0x20006027, 0xfdf0707f, false},  // vsseg2e32.v
    {0x48007007, 0xfc00707f, false},  // vlsseg3e64.v
    {0x24006007, 0xfc00707f, false},  // vluxseg2ei32.v
    // integer arithmetic
    {0x00000057, 0xfc00707f, false},  // vadd.vv
    {0x00000057, 0xfc00707f, false},
    {0x00004057, 0xfc00707f, false},  // vadd.vx
    {0x00003057, 0xfc00707f, false},  // vadd.vi
    {0x08000057, 0xfc00707f, false},  // vsub.vv
    {0x08004057, 0xfc00707f, false},  // vsub.vx
    {0x94002057, 0xfc00707f, false},  // vmul.vv
    {0x94006057, 0xfc00707f, false},  // vmul.vx
    {0xb4002057, 0xfc00707f, false},  // vmacc.vv
    {0xb4006057, 0xfc00707f, false},  // vmacc.vx
    {0x24000057, 0xfc00707f, false},  // vand.vv
    {0x94003057, 0xfc00707f, false},  // vsll.vi
    {0xb0003057, 0xfc00707f, false},  // vnsrl.wi
    {0x5c000057, 0xfe00707f, false},  // vmerge.vvm
    {0x60000057, 0xfc00707f, false},  // vmseq.vv
    {0x60004057, 0xfc00707f, false},  // vmseq.vx
    {0x60003057, 0xfc00707f, false},  // vmseq.vi
    // floating point
    {0x00001057, 0xfc00707f, false},  // vfadd.vv
    {0x00005057, 0xfc00707f, false},  // vfadd.vf
    {0x90001057, 0xfc00707f, false},  // vfmul.vv
    {0x90005057, 0xfc00707f, false},  // vfmul.vf
    {0xb0001057, 0xfc00707f, false},  // vfmacc.vv
    {0xb0005057, 0xfc00707f, false},  // vfmacc.vf
    {0x48019057, 0xfc0ff07f, false},  // vfcvt.f.x.v
    // reductions, moves, slides
    {0x00002057, 0xfc00707f, false},  // vredsum.vs
    {0x04001057, 0xfc00707f, false},  // vfredusum.vs
    {0x5e000057, 0xfff0707f, false},  // vmv.v.v
    {0x5e004057, 0xfff0707f, false},  // vmv.v.x
    {0x5e003057, 0xfff0707f, false},  // vmv.v.i
    {0x42002057, 0xfe0ff07f, false},  // vmv.x.s
    {0x42006057, 0xfff0707f, false},  // vmv.s.x
    {0x42001057, 0xfe0ff07f, false},  // vfmv.f.s
    {0x9e003057, 0xfe0ff07f, false},  // vmv1r.v
    {0x5008a057, 0xfdfff07f, false},  // vid.v
    {0x38004057, 0xfc00707f, false},  // vslideup.vx
    {0x3c003057, 0xfc00707f, false},  // vslidedown.vi
    {0x3c006057, 0xfc00707f, false},  // vslide1down.vx
    // widening
    {0xc4002057, 0xfc00707f, false},  // vwadd.vv
    {0xec006057, 0xfc00707f, false},  // vwmul.vx
    {0xf4006057, 0xfc00707f, false},  // vwmacc.vx
    {0xc0005057, 0xfc00707f, false},  // vfwadd.vf
    {0xf0001057, 0xfc00707f, false},  // vfwmacc.vv
    // loop control
    {0x00000013, 0x0000707f, false},  // addi
    {0x00000033, 0xfe00707f, false},  // add
    {0x00001063, 0x0000707f, false},  // bne
    {0x00001013, 0xfc00707f, false},  // slli
    {0x0001, 0xe003, true},           // c.addi
    {0x9002, 0xf003, true},           // c.add
};

// 4096 words drawn from `encodings`, operand fields filled with
// pseudo-random bits.
template <std::size_t n>
std::vector<uint64_t> words_from(encoding_t const (&encodings)[n]) {
  std::vector<uint64_t> w;
  uint32_t state = 12345;
  for (int i = 0; i < 4096; ++i) {
    state = state * 1664525u + 1013904223u;
    encoding_t const& e = encodings[(state >> 8) % n];
    state = state * 1664525u + 1013904223u;
    uint32_t width_mask = e.compressed ? 0xffffu : 0xffffffffu;
    w.push_back(e.match | (state & ~e.mask & width_mask));
  }
  return w;
}

std::vector<uint64_t> const& word_mix() {
  static std::vector<uint64_t> const words = words_from(mix);
  return words;
}

std::vector<uint64_t> const& vector_word_mix() {
  static std::vector<uint64_t> const words = words_from(vector_mix);
  return words;
}

void build_all_extensions(benchmark::State& state) {
  for (auto _ : state) {
    disassembler_t d(64);
    benchmark::DoNotOptimize(&d);
  }
  disassembler_t const d(64);
  state.counters["entries"] = double(d.entry_count());
  state.counters["index_bytes"] = double(d.index_bytes());
}
BENCHMARK(build_all_extensions)->Unit(benchmark::kMicrosecond);

// Looks every word of `words` up per iteration; reports lookups per second,
// heap allocations per lookup and the share of words without an entry.
void run_lookups(benchmark::State& state, std::vector<uint64_t> const& words) {
  disassembler_t const d(64);
  uint64_t unknown = 0;
  uint64_t allocations_before = et_test::heap_allocations.load();
  for (auto _ : state)
    for (uint64_t w : words) {
      disasm_insn_t const* insn = d.get_disasm(w);
      unknown += insn == nullptr;
      benchmark::DoNotOptimize(insn);
    }
  uint64_t lookups = uint64_t(state.iterations()) * words.size();
  state.SetItemsProcessed(int64_t(lookups));
  state.counters["allocs_per_lookup"] =
      double(et_test::heap_allocations.load() - allocations_before) / double(lookups);
  state.counters["unknown_share"] = double(unknown) / double(lookups);
}

void get_disasm(benchmark::State& state) { run_lookups(state, word_mix()); }
BENCHMARK(get_disasm);

void get_disasm_vector(benchmark::State& state) { run_lookups(state, vector_word_mix()); }
BENCHMARK(get_disasm_vector);

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
