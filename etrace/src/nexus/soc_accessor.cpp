#include "etrace/nexus/soc_accessor.h"

#include <elf.h>
#include <fcntl.h>
#include <gelf.h>
#include <libelf.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>
#include <stdexcept>

namespace {

struct bad_file_t {};  // any reason the file cannot be loaded

void require(bool condition) {
  if (!condition) throw bad_file_t();
}

// [offset, offset + size) lies within a file of file_size bytes.
bool within(uint64_t offset, uint64_t size, uint64_t file_size) {
  return offset <= file_size && size <= file_size - offset;
}

// Its last byte would lie past 2^64. One that ends exactly there is fine.
bool wraps(const soc_accessor_t::section_t& section) {
  return section.size != 0 && section.size - 1 > ~uint64_t(0) - section.address;
}

// An allocated, file-backed section whose addresses the segment covers.
bool covers(const soc_accessor_t::segment_t& segment, const soc_accessor_t::section_t& section) {
  if (segment.type != PT_LOAD) return false;
  if ((section.flags & SHF_ALLOC) == 0 || section.type == SHT_NOBITS) return false;
  if (section.address < segment.vaddr) return false;
  const uint64_t start = section.address - segment.vaddr;
  return start <= segment.memory_size && section.size <= segment.memory_size - start;
}

// Mapped: covered, and with an end address (2^64 at most).
bool maps(const soc_accessor_t::segment_t& segment, const soc_accessor_t::section_t& section) {
  return covers(segment, section) && !wraps(section);
}

class file_t {
public:
  explicit file_t(const std::string& path) : fd_(open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
  ~file_t() {
    if (fd_ >= 0) close(fd_);
  }
  file_t(const file_t&) = delete;
  file_t& operator=(const file_t&) = delete;
  int fd() const { return fd_; }

private:
  int fd_;
};

class elf_handle_t {
public:
  explicit elf_handle_t(int fd) : elf_(elf_begin(fd, ELF_C_READ, nullptr)) {}
  ~elf_handle_t() {
    if (elf_ != nullptr) elf_end(elf_);
  }
  elf_handle_t(const elf_handle_t&) = delete;
  elf_handle_t& operator=(const elf_handle_t&) = delete;
  Elf* get() const { return elf_; }

private:
  Elf* elf_;
};

// Header sizes and table extents agree with the class and the file size, so
// that no table is read from past the end of the file or with the wrong layout.
void check_layout(const GElf_Ehdr& header, int elf_class, uint64_t file_size, size_t section_count,
                  size_t segment_count) {
  const bool is64 = elf_class == ELFCLASS64;
  require(header.e_ehsize == (is64 ? sizeof(Elf64_Ehdr) : sizeof(Elf32_Ehdr)));
  // Extended numbering keeps the real counts in the first section header.
  require(header.e_shnum == 0 || section_count == header.e_shnum);
  require(header.e_phnum == PN_XNUM || segment_count == header.e_phnum);
  if (segment_count != 0) {
    require(header.e_phentsize == (is64 ? sizeof(Elf64_Phdr) : sizeof(Elf32_Phdr)));
    require(within(header.e_phoff, uint64_t(segment_count) * header.e_phentsize, file_size));
  }
  if (section_count != 0) {
    require(header.e_shentsize == (is64 ? sizeof(Elf64_Shdr) : sizeof(Elf32_Shdr)));
    require(within(header.e_shoff, uint64_t(section_count) * header.e_shentsize, file_size));
  }
}

void read_headers(Elf* elf, size_t section_count, size_t segment_count, uint64_t file_size,
                  soc_accessor_t::image_t& image) {
  size_t names_index = 0;
  require(elf_getshdrstrndx(elf, &names_index) == 0);

  for (size_t i = 0; i < segment_count; ++i) {
    GElf_Phdr ph;
    require(gelf_getphdr(elf, static_cast<int>(i), &ph) != nullptr);
    image.segments.push_back({ph.p_type, ph.p_vaddr, ph.p_paddr, ph.p_memsz});
  }

  image.sections.resize(section_count);
  for (size_t i = 0; i < section_count; ++i) {
    Elf_Scn* scn = elf_getscn(elf, i);
    GElf_Shdr sh;
    require(scn != nullptr && gelf_getshdr(scn, &sh) != nullptr);
    soc_accessor_t::section_t& section = image.sections[i];
    if (names_index != SHN_UNDEF) {
      const char* name = elf_strptr(elf, names_index, sh.sh_name);
      require(name != nullptr);
      section.name = name;
    }
    section.type = sh.sh_type;
    section.flags = sh.sh_flags;
    section.address = sh.sh_addr;
    section.size = sh.sh_size;
    section.offset = sh.sh_offset;
    section.link = sh.sh_link;
    section.entry_size = sh.sh_entsize;
    // A file-backed section that reaches past the end means a truncated file.
    if (sh.sh_type != SHT_NOBITS && sh.sh_type != SHT_NULL)
      require(within(sh.sh_offset, sh.sh_size, file_size));
  }
}

// Copies the raw file bytes of every section a loadable segment maps.
void read_mapped_bytes(Elf* elf, soc_accessor_t::image_t& image) {
  for (size_t i = 0; i < image.sections.size(); ++i) {
    soc_accessor_t::section_t& section = image.sections[i];
    bool mapped = false;
    for (const soc_accessor_t::segment_t& segment : image.segments)
      mapped = mapped || maps(segment, section);
    if (!mapped || section.size == 0) continue;
    Elf_Data* data = elf_rawdata(elf_getscn(elf, i), nullptr);
    require(data != nullptr && data->d_buf != nullptr && data->d_size == section.size);
    const uint8_t* bytes = static_cast<const uint8_t*>(data->d_buf);
    section.bytes.assign(bytes, bytes + data->d_size);
  }
}

void load_image(const std::string& path, soc_accessor_t::image_t& image) {
  require(elf_version(EV_CURRENT) != EV_NONE);
  file_t file(path);
  require(file.fd() >= 0);
  struct stat status;
  require(fstat(file.fd(), &status) == 0 && S_ISREG(status.st_mode));
  const uint64_t file_size = static_cast<uint64_t>(status.st_size);

  elf_handle_t elf(file.fd());
  require(elf.get() != nullptr && elf_kind(elf.get()) == ELF_K_ELF);
  const int elf_class = gelf_getclass(elf.get());
  require(elf_class == ELFCLASS32 || elf_class == ELFCLASS64);
  GElf_Ehdr header;
  require(gelf_getehdr(elf.get(), &header) != nullptr);
  size_t section_count = 0, segment_count = 0;
  require(elf_getshdrnum(elf.get(), &section_count) == 0);
  require(elf_getphdrnum(elf.get(), &segment_count) == 0);
  check_layout(header, elf_class, file_size, section_count, segment_count);

  soc_accessor_t::image_t loaded;
  loaded.elf_class = elf_class == ELFCLASS64 ? 64 : 32;
  read_headers(elf.get(), section_count, segment_count, file_size, loaded);
  read_mapped_bytes(elf.get(), loaded);
  image = std::move(loaded);
}

}  // namespace

soc_accessor_t::soc_accessor_t(const std::string& name, logger_unit_t* parent)
    : logger_unit_t(name, parent) {}

soc_accessor_t::~soc_accessor_t() = default;

void soc_accessor_t::parse_elf(const std::string& elf_path) {
  images.emplace_back(new image_t(), elf_path);
  image_t& image = *images.back().first;
  try {
    load_image(elf_path, image);
  } catch (const bad_file_t&) {
    throw std::runtime_error("Can't find or process ELF file: " + elf_path);
  }

  const bool debug = level > zarn_logger_t::LOG_STACKTRACE;
  auto log_debug = [this](const std::string& message) {
    logger->log(zarn_logger_t::LOG_DEBUG,
                logger->print_unit_path ? this->path.c_str() : name.c_str(), message.c_str());
  };
  const section_t* wrapping = nullptr;  // the first one a loadable segment holds
  for (const segment_t& segment : image.segments) {
    if (segment.type != PT_LOAD) continue;
    if (debug) {
      std::ostringstream line;
      line << std::hex << "Segment: vma = 0x" << segment.vaddr << ", lma = 0x" << segment.paddr;
      log_debug(line.str());
    }
    for (const section_t& section : image.sections) {
      if (wrapping == nullptr && wraps(section) && covers(segment, section)) wrapping = &section;
      if (!maps(segment, section)) continue;
      if (debug) {
        std::ostringstream line;
        line << "Section " << section.name << ": size " << section.size << " address 0x" << std::hex
             << section.address << std::dec << " flags " << section.flags;
        log_debug(line.str());
      }
      mapped_sections.push_back({segment.vaddr, segment.paddr, &section});
      // An empty section is not mapped: its key would hide the section that ends there.
      // A section that ends at 2^64 gets the key 0, which orders last.
      if (section.size != 0)
        address_map.emplace(section.address + section.size,
                            std::make_pair(section.address, section.bytes.data()));
    }
  }

  for (const section_t& section : image.sections)
    if (section.type == SHT_SYMTAB) symbol_tables.push_back({&image, &section});
  // Its end would be no address: the file's other sections stay mapped.
  if (wrapping != nullptr)
    throw std::runtime_error("ELF section wraps past the end of the address space: " + elf_path +
                             " section " + wrapping->name);
}

bool soc_accessor_t::get_word(uint64_t pc, uint64_t& word) const {
  // The first section whose last byte is not below pc (pc + 1 wraps to the end 2^64).
  const auto found = address_map.lower_bound(pc + 1);
  if (found == address_map.end() || pc < found->second.first) return false;
  const uint64_t offset = pc - found->second.first;
  const uint64_t left = found->first - pc;
  const uint8_t* bytes = found->second.second + offset;
  word = 0;
  for (uint64_t i = 0; i < 4 && i < left; ++i) word |= uint64_t(bytes[i]) << (8 * i);
  return true;
}
