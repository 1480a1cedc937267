// Speed of the ELF image accessor: word lookups over an image of a few
// hundred sections, and loading a multi-megabyte image.
//
// The images are built with the test tree's ELF writer and written next to
// the program; they are removed at exit.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "etrace/nexus/soc_accessor.h"
#include "support/elf_writer.h"

namespace {

constexpr size_t lookup_sections = 400;
constexpr uint64_t lookup_section_size = 0x400;
constexpr uint64_t lookup_base = 0x80000000;
constexpr size_t big_sections = 16;
constexpr size_t big_section_size = 512 * 1024;  // 8 MiB in all

std::string beside_program(const std::string& stem) {
  char exe[4096];
  const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
  const std::string dir = n > 0 ? std::string(exe, size_t(n)) : std::string("./x");
  return dir.substr(0, dir.rfind('/')) + "/" + stem + "." + std::to_string(getpid()) + ".elf";
}

// A temporary ELF file beside the program, removed with the object.
class bench_file_t {
public:
  bench_file_t(const std::string& stem, const et_test::elf_writer_t& elf)
      : path_(beside_program(stem)) {
    et_test::write_file(path_, elf.image());
  }
  ~bench_file_t() { std::remove(path_.c_str()); }
  const std::string& path() const { return path_; }

private:
  std::string path_;
};

// Sections of the same size with a gap after each, so that lookups also miss.
et_test::elf_writer_t many_sections() {
  et_test::elf_writer_t elf(ELFCLASS64);
  for (size_t i = 0; i < lookup_sections; ++i)
    elf.add_section(et_test::elf_section_t::progbits(
        ".text." + std::to_string(i), SHF_ALLOC | SHF_EXECINSTR,
        lookup_base + 2 * i * lookup_section_size,
        et_test::pattern_bytes(lookup_section_size, static_cast<uint32_t>(i))));
  elf.add_segment(PT_LOAD, lookup_base, lookup_base, 2 * lookup_sections * lookup_section_size);
  return elf;
}

et_test::elf_writer_t big_image() {
  et_test::elf_writer_t elf(ELFCLASS64);
  for (size_t i = 0; i < big_sections; ++i)
    elf.add_section(et_test::elf_section_t::progbits(
        ".text." + std::to_string(i), SHF_ALLOC | SHF_EXECINSTR, lookup_base + i * big_section_size,
        et_test::pattern_bytes(big_section_size, static_cast<uint32_t>(i))));
  elf.add_segment(PT_LOAD, lookup_base, lookup_base, big_sections * big_section_size);
  return elf;
}

void BM_word_lookup(benchmark::State& state) {
  bench_file_t file("bench_soc_accessor_lookup", many_sections());
  soc_accessor_t sacc;
  sacc.parse_elf(file.path());
  // Addresses spread over all sections and gaps, in no order the map could exploit.
  std::vector<uint64_t> pcs(4096);
  uint64_t x = 88172645463325252ull;
  for (uint64_t& pc : pcs) {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    pc = lookup_base + (x % (2 * lookup_sections * lookup_section_size)) / 2 * 2;
  }
  size_t found = 0;
  for (auto _ : state) {
    for (uint64_t pc : pcs) {
      uint64_t word;
      found += sacc.get_word(pc, word);
      benchmark::DoNotOptimize(word);
    }
  }
  benchmark::DoNotOptimize(found);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * pcs.size()));
}
BENCHMARK(BM_word_lookup);

void BM_parse_elf(benchmark::State& state) {
  bench_file_t file("bench_soc_accessor_parse", big_image());
  for (auto _ : state) {
    soc_accessor_t sacc;
    sacc.parse_elf(file.path());
    benchmark::DoNotOptimize(sacc.address_map.size());
  }
  state.SetBytesProcessed(
      static_cast<int64_t>(state.iterations() * big_sections * big_section_size));
}
BENCHMARK(BM_parse_elf)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
