#pragma once
// Builds little-endian ELF images for tests from the <elf.h> structures:
// 32- or 64-bit, with program headers and sections, and always the
// .symtab, .strtab and .shstrtab sections after the ones added.
//
//   elf_writer_t elf(ELFCLASS64);
//   size_t text = elf.add_section(elf_section_t::progbits(".text", SHF_ALLOC | SHF_EXECINSTR,
//                                                          0x80000000, code));
//   elf.add_segment(PT_LOAD, 0x80000000, 0x80000000, 0x1000);
//   elf.add_symbol("_start", 0x80000000, text);
//   write_file(path, elf.image());
//
// Needs nothing but the C++ library, so that benchmarks can build images too.
#include <elf.h>

#include <cstdint>
#include <string>
#include <vector>

namespace et_test {

struct elf_section_t {
  std::string name;
  uint32_t type = SHT_PROGBITS;
  uint64_t flags = 0;
  uint64_t address = 0;
  std::vector<uint8_t> bytes;  // the file bytes; none for SHT_NOBITS
  uint64_t nobits_size = 0;    // the size of an SHT_NOBITS section
  uint64_t forced_offset = 0;  // when not 0, written as sh_offset in place of the real one

  static elf_section_t progbits(const std::string& name, uint64_t flags, uint64_t address,
                                const std::vector<uint8_t>& bytes);
  static elf_section_t nobits(const std::string& name, uint64_t address, uint64_t size);
};

class elf_writer_t {
public:
  explicit elf_writer_t(int elf_class);  // ELFCLASS32 or ELFCLASS64

  // The section's index in the section table (the null section is 0).
  size_t add_section(const elf_section_t& section);
  // File offset and size cover the file-backed sections inside [vaddr, vaddr + memsz).
  void add_segment(uint32_t type, uint64_t vaddr, uint64_t paddr, uint64_t memsz);
  // A global function symbol defined in the section of that index.
  void add_symbol(const std::string& name, uint64_t value, size_t section_index);
  // A header of the other class than the tables: a 32-bit header in front of
  // 64-bit program and section headers (ELFCLASS64 writers only).
  void mix_classes() { mixed_ = true; }

  std::vector<uint8_t> image() const;

private:
  struct segment_t {
    uint32_t type;
    uint64_t vaddr, paddr, memsz;
  };
  struct symbol_t {
    std::string name;
    uint64_t value;
    size_t section_index;
  };
  template <class Ehdr, class Phdr, class Shdr, class Sym>
  std::vector<uint8_t> build(int header_class) const;

  int elf_class_;
  bool mixed_ = false;
  std::vector<elf_section_t> sections_;
  std::vector<segment_t> segments_;
  std::vector<symbol_t> symbols_;
};

// `count` bytes from a fixed pseudo-random sequence of that seed.
std::vector<uint8_t> pattern_bytes(size_t count, uint32_t seed);

// Writes the bytes to the file at path, replacing it; throws std::runtime_error on failure.
void write_file(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace et_test
