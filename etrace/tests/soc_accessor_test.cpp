// The ELF image accessor: which sections are mapped, the word at an address,
// the debug log and the refusal of broken files.
#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "etrace/nexus/soc_accessor.h"
#include "logger/zarn_logger.h"
#include "support/elf_writer.h"
#include "support/trace_builder.h"

namespace {

using et_test::elf_section_t;
using et_test::elf_writer_t;
using et_test::temp_file_t;

constexpr uint64_t text_address = 0x80000000;
constexpr uint64_t data_address = 0x80001000;
constexpr uint64_t bss_address = 0x80002000;
constexpr uint64_t outside_address = 0x90000000;  // allocated, but in no loadable segment

const std::vector<uint8_t> text_bytes = et_test::pattern_bytes(0x100, 1);
const std::vector<uint8_t> data_bytes = et_test::pattern_bytes(0x40, 2);

uint32_t le32(const std::vector<uint8_t>& bytes, size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t(bytes[at + 3]) << 24;
}

// A program as a linker lays it out: code and data in one loadable segment,
// .bss after them, a note segment, a comment section and a section that no
// loadable segment covers.
elf_writer_t program(int elf_class) {
  elf_writer_t elf(elf_class);
  const size_t text = elf.add_section(
      elf_section_t::progbits(".text", SHF_ALLOC | SHF_EXECINSTR, text_address, text_bytes));
  elf.add_section(
      elf_section_t::progbits(".data", SHF_ALLOC | SHF_WRITE, data_address, data_bytes));
  elf.add_section(elf_section_t::nobits(".bss", bss_address, 0x100));
  elf.add_section(elf_section_t::progbits(".comment", 0, 0, {'c', 'c', 0}));
  elf.add_section(elf_section_t::progbits(".outside", SHF_ALLOC, outside_address, {1, 2, 3, 4}));
  elf.add_section(elf_section_t::progbits(".note", SHF_ALLOC, 0x70000000, {5, 6, 7, 8}));
  elf.add_segment(PT_NOTE, 0x70000000, 0x70000000, 4);
  elf.add_segment(PT_LOAD, text_address, 0x20000000, 0x3000);
  elf.add_symbol("_start", text_address, text);
  return elf;
}

// The image in a temporary file, removed with the object.
struct elf_file_t {
  temp_file_t file;
  explicit elf_file_t(const std::vector<uint8_t>& bytes) {
    et_test::write_file(file.path(), bytes);
  }
  const std::string& path() const { return file.path(); }
};

std::vector<std::string> mapped_names(const soc_accessor_t& sacc) {
  std::vector<std::string> names;
  for (const auto& m : sacc.mapped_sections) names.push_back(m.section->name);
  return names;
}

class Classes : public ::testing::TestWithParam<int> {};

TEST_P(Classes, MapsLoadableAllocatedFileBackedSections) {
  elf_file_t file(program(GetParam()).image());
  soc_accessor_t sacc;
  sacc.parse_elf(file.path());

  ASSERT_EQ(sacc.images.size(), 1u);
  EXPECT_EQ(sacc.images[0].first->elf_class, GetParam() == ELFCLASS64 ? 64 : 32);
  EXPECT_EQ(sacc.images[0].second, file.path());
  EXPECT_EQ(mapped_names(sacc), (std::vector<std::string>{".text", ".data"}));
  for (const auto& m : sacc.mapped_sections) {
    EXPECT_EQ(m.vaddr, text_address);
    EXPECT_EQ(m.paddr, 0x20000000u);
  }
  ASSERT_EQ(sacc.address_map.size(), 2u);
  EXPECT_EQ(sacc.address_map.begin()->first, text_address + 0x100);
  EXPECT_EQ(sacc.address_map.rbegin()->first, data_address + 0x40);

  ASSERT_EQ(sacc.symbol_tables.size(), 1u);
  EXPECT_EQ(sacc.symbol_tables[0].image, sacc.images[0].first.get());
  EXPECT_EQ(sacc.symbol_tables[0].section->name, ".symtab");
  EXPECT_EQ(sacc.symbol_tables[0].section->entry_size,
            GetParam() == ELFCLASS64 ? sizeof(Elf64_Sym) : sizeof(Elf32_Sym));
  EXPECT_EQ(sacc.symbol_tables[0].section->size, 2 * sacc.symbol_tables[0].section->entry_size);
}

TEST_P(Classes, WordLookup) {
  elf_file_t file(program(GetParam()).image());
  soc_accessor_t sacc;
  sacc.parse_elf(file.path());

  struct lookup_case_t {
    uint64_t pc;
    bool found;
    uint64_t word;
  };
  const lookup_case_t cases[] = {
      {text_address, true, le32(text_bytes, 0)},
      {text_address + 0x42, true, le32(text_bytes, 0x42)},
      {text_address + 0xFC, true, le32(text_bytes, 0xFC)},
      // The last bytes: what exists, zero above.
      {text_address + 0xFE, true, uint64_t(text_bytes[0xFE] | text_bytes[0xFF] << 8)},
      {text_address + 0xFF, true, text_bytes[0xFF]},
      {text_address + 0x100, false, 0},
      {text_address - 1, false, 0},
      {data_address + 0x3C, true, le32(data_bytes, 0x3C)},
      {bss_address, false, 0},
      {outside_address, false, 0},
      {0x70000000, false, 0},  // the note segment's section
      {0, false, 0},
      {~uint64_t(0), false, 0},
  };
  for (const lookup_case_t& c : cases) {
    uint64_t word = 0xDEAD;
    EXPECT_EQ(sacc.get_word(c.pc, word), c.found) << std::hex << c.pc;
    if (c.found) {
      EXPECT_EQ(word, c.word) << std::hex << c.pc;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(SocAccessor, Classes, ::testing::Values(ELFCLASS32, ELFCLASS64),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return info.param == ELFCLASS64 ? std::string("Elf64")
                                                           : std::string("Elf32");
                         });

TEST(SocAccessor, EmptySectionDoesNotHideTheOneEndingThere) {
  elf_writer_t elf(ELFCLASS64);
  elf.add_section(elf_section_t::progbits(".empty_start", SHF_ALLOC, 0x1000, {}));
  elf.add_section(elf_section_t::progbits(".empty_end", SHF_ALLOC, 0x1010, {}));
  elf.add_section(
      elf_section_t::progbits(".text", SHF_ALLOC, 0x1000, et_test::pattern_bytes(0x10, 3)));
  elf.add_segment(PT_LOAD, 0x1000, 0x1000, 0x10);
  elf_file_t file(elf.image());
  soc_accessor_t sacc;
  sacc.parse_elf(file.path());

  EXPECT_EQ(mapped_names(sacc), (std::vector<std::string>{".empty_start", ".empty_end", ".text"}));
  uint64_t word = 0;
  EXPECT_TRUE(sacc.get_word(0x1000, word));
  EXPECT_TRUE(sacc.get_word(0x100C, word));
}

TEST(SocAccessor, SectionInTwoSegmentsIsListedTwiceMappedOnce) {
  elf_writer_t elf(ELFCLASS32);
  elf.add_section(
      elf_section_t::progbits(".text", SHF_ALLOC, 0x1000, et_test::pattern_bytes(0x10, 4)));
  elf.add_segment(PT_LOAD, 0x1000, 0x5000, 0x10);
  elf.add_segment(PT_LOAD, 0x0, 0x6000, 0x2000);
  elf_file_t file(elf.image());
  soc_accessor_t sacc;
  sacc.parse_elf(file.path());

  ASSERT_EQ(sacc.mapped_sections.size(), 2u);
  EXPECT_EQ(sacc.mapped_sections[0].paddr, 0x5000u);
  EXPECT_EQ(sacc.mapped_sections[1].paddr, 0x6000u);
  EXPECT_EQ(sacc.mapped_sections[0].section, sacc.mapped_sections[1].section);
  EXPECT_EQ(sacc.address_map.size(), 1u);
}

TEST(SocAccessor, FirstImageWinsTheSameEndAddress) {
  const std::vector<uint8_t> first_bytes(0x100, 0x11), second_bytes(0x80, 0x22);
  elf_writer_t first(ELFCLASS32), second(ELFCLASS64);
  first.add_section(elf_section_t::progbits(".text", SHF_ALLOC, 0x1000, first_bytes));
  first.add_segment(PT_LOAD, 0x1000, 0x1000, 0x100);
  second.add_section(elf_section_t::progbits(".text", SHF_ALLOC, 0x1080, second_bytes));
  second.add_section(elf_section_t::progbits(".data", SHF_ALLOC, 0x3000, second_bytes));
  second.add_segment(PT_LOAD, 0x1000, 0x1000, 0x3000);
  elf_file_t first_file(first.image()), second_file(second.image());

  soc_accessor_t sacc;
  sacc.parse_elf(first_file.path());
  sacc.parse_elf(second_file.path());

  EXPECT_EQ(sacc.images.size(), 2u);
  EXPECT_EQ(sacc.mapped_sections.size(), 3u);
  EXPECT_EQ(sacc.symbol_tables.size(), 2u);
  uint64_t word = 0;
  ASSERT_TRUE(sacc.get_word(0x1090, word));
  EXPECT_EQ(word, 0x11111111u);
  ASSERT_TRUE(sacc.get_word(0x1000, word));
  EXPECT_EQ(word, 0x11111111u);
  ASSERT_TRUE(sacc.get_word(0x3000, word));
  EXPECT_EQ(word, 0x22222222u);

  // A file that fails later leaves what the earlier ones mapped.
  EXPECT_THROW(sacc.parse_elf(first_file.path() + ".missing"), std::runtime_error);
  EXPECT_EQ(sacc.images.size(), 3u);
  EXPECT_EQ(sacc.address_map.size(), 2u);
  EXPECT_TRUE(sacc.get_word(0x1000, word));
}

// The debug lines as a logger with the given set-up writes them.
std::string logged(const std::string& pattern, bool attach, bool print_unit_path) {
  std::ostringstream out;
  zarn_logger_t logger("log");
  logger.out = &out;
  logger.print_unit_path = print_unit_path;
  logger.patterns.add_log_pattern(pattern);
  elf_writer_t elf = program(ELFCLASS64);
  elf.add_segment(PT_LOAD, 0x1000, 0x2000, 0x10);  // contains nothing
  elf_file_t file(elf.image());
  soc_accessor_t sacc("sacc");
  if (attach) sacc.set_logger(&logger);
  sacc.parse_elf(file.path());
  return out.str();
}

TEST(SocAccessor, DebugLog) {
  const std::string lines =
      "[log : DEBUG]</sacc> Segment: vma = 0x80000000, lma = 0x20000000\n"
      "[log : DEBUG]</sacc> Section .text: size 256 address 0x80000000 flags 6\n"
      "[log : DEBUG]</sacc> Section .data: size 64 address 0x80001000 flags 3\n"
      "[log : DEBUG]</sacc> Segment: vma = 0x1000, lma = 0x2000\n";
  EXPECT_EQ(logged("sacc:DEBUG", true, true), lines);
  EXPECT_EQ(logged("UNKNOWN", true, true), lines) << "levels above DEBUG log too";

  std::string by_name = lines;
  for (size_t at; (at = by_name.find("</sacc>")) != std::string::npos;)
    by_name.replace(at, 7, "<sacc>");
  EXPECT_EQ(logged("sacc:DEBUG", true, false), by_name);

  EXPECT_EQ(logged("sacc:STACKTRACE", true, true), "");
  EXPECT_EQ(logged("other:DEBUG", true, true), "");
  EXPECT_EQ(logged("DEBUG", false, true), "") << "a detached unit logs nothing";
}

// Broken files, each made from a good image.
struct bad_case_t {
  const char* what;
  std::vector<uint8_t> bytes;
};

std::vector<bad_case_t> bad_cases() {
  const std::vector<uint8_t> good = program(ELFCLASS64).image();
  const std::vector<uint8_t> good32 = program(ELFCLASS32).image();
  std::vector<bad_case_t> cases;
  auto cut = [&](const char* what, const std::vector<uint8_t>& image, size_t size) {
    cases.push_back({what, std::vector<uint8_t>(image.begin(), image.begin() + size)});
  };
  cut("empty", good, 0);
  cut("inside the identification", good, 10);
  cut("inside the header", good, 40);
  cut("inside the program headers", good, sizeof(Elf64_Ehdr) + 60);
  cut("inside .text", good, sizeof(Elf64_Ehdr) + 2 * sizeof(Elf64_Phdr) + 0x80);
  cut("inside the section headers", good, good.size() - 3 * sizeof(Elf64_Shdr));
  cut("one byte short", good, good.size() - 1);
  cut("one byte short, 32-bit", good32, good32.size() - 1);

  cases.push_back({"garbage", et_test::pattern_bytes(4096, 9)});
  std::vector<uint8_t> bad_class = good;
  bad_class[EI_CLASS] = 3;
  cases.push_back({"unknown class", bad_class});
  std::vector<uint8_t> flipped = good;
  flipped[EI_CLASS] = ELFCLASS32;
  cases.push_back({"64-bit image marked 32-bit", flipped});

  elf_writer_t mixed = program(ELFCLASS64);
  mixed.mix_classes();
  cases.push_back({"32-bit header with 64-bit tables", mixed.image()});

  for (uint64_t offset : {uint64_t(good.size() + 0x1000), ~uint64_t(0) - 8}) {
    elf_writer_t past_end(ELFCLASS64);
    elf_section_t text = elf_section_t::progbits(".text", SHF_ALLOC, 0x1000, text_bytes);
    text.forced_offset = offset;
    past_end.add_section(text);
    past_end.add_segment(PT_LOAD, 0x1000, 0x1000, 0x1000);
    cases.push_back({"section offset past the end", past_end.image()});
  }

  return cases;
}

TEST(SocAccessor, BrokenFilesThrow) {
  for (const bad_case_t& c : bad_cases()) {
    elf_file_t file(c.bytes);
    soc_accessor_t sacc;
    try {
      sacc.parse_elf(file.path());
      ADD_FAILURE() << c.what << ": no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), "Can't find or process ELF file: " + file.path()) << c.what;
    }
    EXPECT_EQ(sacc.images.size(), 1u) << c.what;
    EXPECT_TRUE(sacc.mapped_sections.empty()) << c.what;
    EXPECT_TRUE(sacc.address_map.empty()) << c.what;
  }
}

// A section may end exactly at 2^64; one that would run past it is refused
// alone, and the file's other sections stay mapped.
TEST(SocAccessor, SectionsAtTheTopOfTheAddressSpace) {
  constexpr uint64_t top = 0xffffffffffffff00;
  const std::vector<uint8_t> top_bytes = et_test::pattern_bytes(0x200, 5);
  const auto image = [&](uint64_t top_size) {
    elf_writer_t elf(ELFCLASS64);
    elf.add_section(
        elf_section_t::progbits(".text2", SHF_ALLOC | SHF_EXECINSTR, text_address, text_bytes));
    elf.add_section(elf_section_t::progbits(
        ".text", SHF_ALLOC | SHF_EXECINSTR, top,
        std::vector<uint8_t>(top_bytes.begin(), top_bytes.begin() + long(top_size))));
    elf.add_segment(PT_LOAD, text_address, text_address, 0x100);
    elf.add_segment(PT_LOAD, top, top, top_size);
    return elf.image();
  };
  uint64_t word = 0;

  elf_file_t ends_at_top(image(0x100));
  soc_accessor_t sacc;
  sacc.parse_elf(ends_at_top.path());
  EXPECT_EQ(sacc.address_map.size(), 2u);
  ASSERT_TRUE(sacc.get_word(text_address, word));
  EXPECT_EQ(word, le32(text_bytes, 0));
  ASSERT_TRUE(sacc.get_word(top, word));
  EXPECT_EQ(word, le32(top_bytes, 0));
  ASSERT_TRUE(sacc.get_word(~uint64_t(0) - 3, word));
  EXPECT_EQ(word, le32(top_bytes, 0xfc));
  ASSERT_TRUE(sacc.get_word(~uint64_t(0), word));
  EXPECT_EQ(word, top_bytes[0xff]);
  EXPECT_FALSE(sacc.get_word(top - 1, word));
  EXPECT_FALSE(sacc.get_word(0, word));

  elf_file_t wraps(image(0x200));
  soc_accessor_t refused;
  try {
    refused.parse_elf(wraps.path());
    ADD_FAILURE() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(e.what(), "ELF section wraps past the end of the address space: " + wraps.path() +
                            " section .text");
  }
  ASSERT_EQ(refused.mapped_sections.size(), 1u);
  EXPECT_EQ(refused.mapped_sections[0].section->name, ".text2");
  ASSERT_TRUE(refused.get_word(text_address, word));
  EXPECT_EQ(word, le32(text_bytes, 0));
  EXPECT_FALSE(refused.get_word(top, word));
  EXPECT_FALSE(refused.get_word(0, word));
}

TEST(SocAccessor, MissingFileOrDirectoryThrows) {
  temp_file_t file;
  for (const std::string& path : {file.path() + ".missing", ::testing::TempDir()}) {
    soc_accessor_t sacc;
    try {
      sacc.parse_elf(path);
      ADD_FAILURE() << path << ": no exception";
    } catch (const std::runtime_error& e) {
      EXPECT_EQ(e.what(), "Can't find or process ELF file: " + path);
    }
  }
}

}  // namespace
