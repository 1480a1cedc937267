#pragma once
// The program images a traced core executed, loaded from ELF files, and the
// instruction word that lies at an address of them.
//
//   soc_accessor_t sacc("sacc");
//   sacc.parse_elf("boot.elf");
//   uint64_t word;
//   if (sacc.get_word(pc, word)) ...
//
// Only loadable, allocated, file-backed sections are mapped; their bytes are
// copied out of the file and owned by the accessor. Nothing is written back.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "etrace/nexus/nexus_word_source.h"
#include "logger/logger_unit.h"

class soc_accessor_t : public logger_unit_t, public nexus_word_source_t {
public:
  // A section as its section header gives it. `bytes` holds the raw file
  // bytes of a section that some loadable segment maps, and is empty for
  // every other section.
  struct section_t {
    std::string name;
    uint32_t type = 0;
    uint64_t flags = 0;
    uint64_t address = 0;
    uint64_t size = 0;
    uint64_t offset = 0;
    uint32_t link = 0;
    uint64_t entry_size = 0;
    std::vector<uint8_t> bytes;
  };

  // A program header.
  struct segment_t {
    uint32_t type = 0;
    uint64_t vaddr = 0;
    uint64_t paddr = 0;
    uint64_t memory_size = 0;
  };

  // One ELF file. Left empty (class 0) when the file could not be loaded.
  struct image_t {
    int elf_class = 0;                // 32 or 64
    std::vector<segment_t> segments;  // program-header order
    std::vector<section_t> sections;  // section-table order, the null section first
  };

  struct mapped_section_t {
    uint64_t vaddr;  // of the segment the section was found in
    uint64_t paddr;
    const section_t* section;
  };

  struct symbol_table_t {
    const image_t* image;
    const section_t* section;
  };

  // Section ends in address order, where 0 stands for 2^64: the end of a
  // section whose last byte is the last address.
  struct end_order_t {
    bool operator()(uint64_t a, uint64_t b) const { return a - 1 < b - 1; }
  };
  // Section end address (exclusive) -> (section start address, section bytes).
  using address_map_t = std::map<uint64_t, std::pair<uint64_t, const uint8_t*>, end_order_t>;

  // (image, path of its file), in load order; a failed load leaves its empty image here.
  std::vector<std::pair<std::unique_ptr<image_t>, std::string>> images;
  // One entry per section per loadable segment that contains it, in load order.
  std::vector<mapped_section_t> mapped_sections;
  // Every SHT_SYMTAB section of every loaded image.
  std::vector<symbol_table_t> symbol_tables;
  // Keys are unique: the first section with a given end address wins, also across images.
  address_map_t address_map;

  explicit soc_accessor_t(const std::string& name = "sacc", logger_unit_t* parent = nullptr);
  virtual ~soc_accessor_t();

  // Loads one ELF file and adds its sections to the map. A missing, truncated
  // or malformed file throws std::runtime_error
  // "Can't find or process ELF file: " + path and leaves the map as it was.
  // A section that would run past 2^64 is not mapped: the file's other
  // sections are, then std::runtime_error names the file and that section.
  void parse_elf(const std::string& path);

  // The 32-bit little-endian word at pc, from the first section whose end lies
  // above pc, when pc is not below that section's start. Bytes past the
  // section's end read as zero. False when no section holds pc.
  bool get_word(uint64_t pc, uint64_t& word) const;

  // The walk's words: get_word's, never fused.
  bool next_word(uint64_t pc, nexus_word_t& word) override {
    word.fused = word.exception = false;
    return get_word(pc, word.word);
  }
  bool follows_pc() const override { return true; }
};
