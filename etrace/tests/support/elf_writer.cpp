#include "elf_writer.h"

#include <cstring>
#include <fstream>
#include <stdexcept>

namespace et_test {

namespace {

// Appends the object's bytes (host order: the tests run little-endian).
template <class T>
void put(std::vector<uint8_t>& out, const T& value) {
  const uint8_t* p = reinterpret_cast<const uint8_t*>(&value);
  out.insert(out.end(), p, p + sizeof value);
}

void align(std::vector<uint8_t>& out, size_t to) {
  while (out.size() % to != 0) out.push_back(0);
}

// Adds a name to a string table and gives its offset there.
uint32_t add_string(std::vector<uint8_t>& table, const std::string& text) {
  const uint32_t offset = static_cast<uint32_t>(table.size());
  table.insert(table.end(), text.begin(), text.end());
  table.push_back(0);
  return offset;
}

}  // namespace

elf_section_t elf_section_t::progbits(const std::string& name, uint64_t flags, uint64_t address,
                                      const std::vector<uint8_t>& bytes) {
  elf_section_t section;
  section.name = name;
  section.flags = flags;
  section.address = address;
  section.bytes = bytes;
  return section;
}

elf_section_t elf_section_t::nobits(const std::string& name, uint64_t address, uint64_t size) {
  elf_section_t section;
  section.name = name;
  section.type = SHT_NOBITS;
  section.flags = SHF_ALLOC | SHF_WRITE;
  section.address = address;
  section.nobits_size = size;
  return section;
}

elf_writer_t::elf_writer_t(int elf_class) : elf_class_(elf_class) {
  if (elf_class != ELFCLASS32 && elf_class != ELFCLASS64)
    throw std::invalid_argument("elf_writer_t: class must be ELFCLASS32 or ELFCLASS64");
}

size_t elf_writer_t::add_section(const elf_section_t& section) {
  sections_.push_back(section);
  return sections_.size();
}

void elf_writer_t::add_segment(uint32_t type, uint64_t vaddr, uint64_t paddr, uint64_t memsz) {
  segments_.push_back({type, vaddr, paddr, memsz});
}

void elf_writer_t::add_symbol(const std::string& name, uint64_t value, size_t section_index) {
  symbols_.push_back({name, value, section_index});
}

std::vector<uint8_t> elf_writer_t::image() const {
  if (elf_class_ == ELFCLASS32)
    return build<Elf32_Ehdr, Elf32_Phdr, Elf32_Shdr, Elf32_Sym>(ELFCLASS32);
  if (mixed_) return build<Elf32_Ehdr, Elf64_Phdr, Elf64_Shdr, Elf64_Sym>(ELFCLASS32);
  return build<Elf64_Ehdr, Elf64_Phdr, Elf64_Shdr, Elf64_Sym>(ELFCLASS64);
}

// Layout: header, program headers, section contents (8-byte aligned), section headers.
template <class Ehdr, class Phdr, class Shdr, class Sym>
std::vector<uint8_t> elf_writer_t::build(int header_class) const {
  // The sections as written: the null section, the added ones, then the tables.
  std::vector<elf_section_t> all(1);
  all.insert(all.end(), sections_.begin(), sections_.end());

  std::vector<uint8_t> strtab(1, 0);
  std::vector<uint8_t> symtab;
  put(symtab, Sym{});
  for (const symbol_t& s : symbols_) {
    Sym sym{};
    sym.st_name = add_string(strtab, s.name);
    sym.st_value = s.value;
    sym.st_info = ELF64_ST_INFO(STB_GLOBAL, STT_FUNC);
    sym.st_shndx = static_cast<uint16_t>(s.section_index);
    put(symtab, sym);
  }
  const size_t symtab_index = all.size();
  all.push_back(elf_section_t::progbits(".symtab", 0, 0, symtab));
  all.back().type = SHT_SYMTAB;
  all.push_back(elf_section_t::progbits(".strtab", 0, 0, strtab));
  all.back().type = SHT_STRTAB;
  const size_t shstrtab_index = all.size();
  all.push_back(elf_section_t::progbits(".shstrtab", 0, 0, {}));
  all.back().type = SHT_STRTAB;

  std::vector<uint8_t> names(1, 0);
  std::vector<uint32_t> name_offsets(1, 0);
  for (size_t i = 1; i < all.size(); ++i) name_offsets.push_back(add_string(names, all[i].name));
  all[shstrtab_index].bytes = names;

  std::vector<uint8_t> out(sizeof(Ehdr) + segments_.size() * sizeof(Phdr), 0);
  std::vector<uint64_t> offsets(all.size(), 0);
  for (size_t i = 1; i < all.size(); ++i) {
    align(out, 8);
    offsets[i] = out.size();
    out.insert(out.end(), all[i].bytes.begin(), all[i].bytes.end());
  }
  align(out, 8);
  const uint64_t shoff = out.size();
  for (size_t i = 0; i < all.size(); ++i) {
    const elf_section_t& s = all[i];
    Shdr sh{};
    if (i != 0) {
      sh.sh_name = name_offsets[i];
      sh.sh_type = s.type;
      sh.sh_flags = s.flags;
      sh.sh_addr = s.address;
      sh.sh_offset = s.forced_offset != 0 ? s.forced_offset : offsets[i];
      sh.sh_size = s.type == SHT_NOBITS ? s.nobits_size : s.bytes.size();
      sh.sh_addralign = 1;
    }
    if (i == symtab_index) {
      sh.sh_link = static_cast<uint32_t>(symtab_index + 1);
      sh.sh_info = 1;  // the first global symbol
      sh.sh_entsize = sizeof(Sym);
      sh.sh_addralign = 8;
    }
    put(out, sh);
  }

  for (size_t n = 0; n < segments_.size(); ++n) {
    const segment_t& seg = segments_[n];
    Phdr ph{};
    ph.p_type = seg.type;
    ph.p_vaddr = seg.vaddr;
    ph.p_paddr = seg.paddr;
    ph.p_memsz = seg.memsz;
    ph.p_flags = PF_R | PF_X;
    ph.p_align = 1;
    uint64_t first = 0, last = 0;
    for (size_t i = 1; i < all.size(); ++i) {
      const elf_section_t& s = all[i];
      if (s.type == SHT_NOBITS || s.address < seg.vaddr ||
          s.address - seg.vaddr >= seg.memsz)
        continue;
      if (first == 0) first = offsets[i];
      last = offsets[i] + s.bytes.size();
    }
    ph.p_offset = first;
    ph.p_filesz = last - first;
    std::memcpy(&out[sizeof(Ehdr) + n * sizeof(Phdr)], &ph, sizeof ph);
  }

  Ehdr eh{};
  std::memcpy(eh.e_ident, ELFMAG, SELFMAG);
  eh.e_ident[EI_CLASS] = static_cast<unsigned char>(header_class);
  eh.e_ident[EI_DATA] = ELFDATA2LSB;
  eh.e_ident[EI_VERSION] = EV_CURRENT;
  eh.e_type = ET_EXEC;
  eh.e_machine = EM_RISCV;
  eh.e_version = EV_CURRENT;
  eh.e_phoff = segments_.empty() ? 0 : sizeof(Ehdr);
  eh.e_shoff = shoff;
  eh.e_ehsize = sizeof(Ehdr);
  eh.e_phentsize = sizeof(Phdr);
  eh.e_phnum = static_cast<uint16_t>(segments_.size());
  eh.e_shentsize = sizeof(Shdr);
  eh.e_shnum = static_cast<uint16_t>(all.size());
  eh.e_shstrndx = static_cast<uint16_t>(shstrtab_index);
  std::memcpy(out.data(), &eh, sizeof eh);
  return out;
}

std::vector<uint8_t> pattern_bytes(size_t count, uint32_t seed) {
  std::vector<uint8_t> bytes(count);
  uint32_t x = seed * 2654435761u + 1;
  for (uint8_t& b : bytes) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<uint8_t>(x);
  }
  return bytes;
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace et_test
