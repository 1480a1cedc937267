// Speed of Nexus decoding: instructions walked per second through an ELF
// image, with the logs off and with the disassembly log on. The listing goes
// to a file, flushed per instruction as decode() does.
//
// BM_NexusDecodeSrcWidth walks the same program behind SRC fields of growing
// width, one selected source and one unselected at the top of the field: the
// heap a run takes must not grow with the width, and no instruction may
// allocate (heap_allocs_per_run stays far below insns_per_run).
//
// The Nexus file and the image are built with the test tree's writers and
// written next to the program; they are removed at exit.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "etrace/nexus/nexus_decoder.h"
#include "support/elf_writer.h"
#include "support/heap_counter.h"  // this program's operator new
#include "support/nexus_encoder.h"

namespace {

constexpr uint64_t base = 0x80000000;
constexpr unsigned body = 15;     // addi instructions before the loop's bne
constexpr unsigned loops = 1000;  // Direct Branch messages
constexpr unsigned repeats = 63;  // Repeat Branch after each
constexpr uint64_t insns_per_run = uint64_t(loops) * (1 + repeats) * (body + 1);

std::string beside_program(const std::string& name) {
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  const std::string dir = n > 0 ? std::string(exe, size_t(n)) : std::string("./x");
  return dir.substr(0, dir.rfind('/')) + "/" + name + "." + std::to_string(getpid());
}

// A file beside the program, removed with the object.
class bench_file_t {
public:
  bench_file_t(const std::string& stem, const std::vector<uint8_t>& bytes)
      : path_(beside_program(stem)) {
    et_test::write_file(path_, bytes);
  }
  ~bench_file_t() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

private:
  std::string path_;
};

void put32(std::vector<uint8_t>& bytes, uint32_t w) {
  for (int i = 0; i < 4; ++i) bytes.push_back(uint8_t(w >> (8 * i)));
}

// A loop of `body` addi and a bne back to its head.
std::vector<uint8_t> loop_image() {
  std::vector<uint8_t> code;
  for (unsigned i = 0; i < body; ++i) put32(code, 0x00108093);  // addi x1,x1,1
  const uint32_t back = uint32_t(-int32_t(4 * body));
  put32(code, (back >> 12 & 1) << 31 | (back >> 5 & 0x3f) << 25 | 1 << 15 | 1 << 12 |
                  (back >> 1 & 0xf) << 8 | (back >> 11 & 1) << 7 | 0x63);  // bne x1,x0,-4*body
  code.resize(code.size() + 8, 0);
  et_test::elf_writer_t elf(ELFCLASS64);
  const size_t text = elf.add_section(
      et_test::elf_section_t::progbits(".text", SHF_ALLOC | SHF_EXECINSTR, base, code));
  elf.add_segment(PT_LOAD, base, base, code.size());
  elf.add_symbol("_start", base, text);
  return elf.image();
}

// With a SRC field of src_bits (none when 0), the loop's messages come from
// source 0; each is followed by one of the highest source, never selected.
std::vector<uint8_t> trace_bytes(unsigned src_bits = 0) {
  et_test::nexus_encoder_t enc(src_bits != 0, src_bits);
  const unsigned other = src_bits == 0 ? 0 : unsigned((uint64_t(1) << src_bits) - 1);
  const auto sync = [&](unsigned src) {
    enc.message(9, src, {et_test::fixed(1, 4), et_test::var(0), et_test::var(base >> 1)});
  };
  sync(0);
  if (src_bits != 0) sync(other);
  for (unsigned i = 0; i < loops; ++i) {
    enc.message(3, 0, {et_test::var(2 * (body + 1))});
    enc.message(30, 0, {et_test::var(repeats)});
    if (src_bits != 0) enc.message(3, other, {et_test::var(2 * (body + 1))});
  }
  return enc.bytes();
}

void decode_run(benchmark::State& state, bool disasm_log, unsigned src_bits = 0) {
  const bench_file_t elf("bench_nexus.elf", loop_image());
  const bench_file_t nexus("bench_nexus.nx", trace_bytes(src_bits));
  const std::string listing = beside_program("bench_nexus.out");
  uint64_t allocations = 0, bytes = 0;
  for (auto _ : state) {
    const uint64_t allocations_before = et_test::heap_allocations.load();
    const uint64_t bytes_before = et_test::heap_bytes.load();
    nexus_decoder_t decoder(64, src_bits != 0, src_bits);
    if (disasm_log) decoder.enable_disasm_log();
    std::ofstream out(listing);
    decoder.decode(1, out, nexus.path(), {elf.path()}, nullptr, true);
    allocations = et_test::heap_allocations.load() - allocations_before;
    bytes = et_test::heap_bytes.load() - bytes_before;
  }
  std::remove(listing.c_str());
  state.SetItemsProcessed(int64_t(state.iterations() * insns_per_run));
  state.counters["insns_per_run"] = double(insns_per_run);
  state.counters["heap_allocs_per_run"] = double(allocations);
  state.counters["heap_bytes_per_run"] = double(bytes);
}

void BM_NexusDecodeLogsOff(benchmark::State& state) { decode_run(state, false); }
void BM_NexusDecodeDisasmLog(benchmark::State& state) { decode_run(state, true); }

void BM_NexusDecodeSrcWidth(benchmark::State& state) {
  decode_run(state, false, unsigned(state.range(0)));
}

BENCHMARK(BM_NexusDecodeLogsOff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NexusDecodeDisasmLog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NexusDecodeSrcWidth)->Arg(1)->Arg(8)->Arg(16)->Arg(27)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
