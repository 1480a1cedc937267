// The Nexus decoder walking a message file through a small fixed ELF image.
#include <elf.h>

#include "nexus_fuzz.h"
#include "support/elf_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string elf = [] {
    et_test::elf_writer_t writer(ELFCLASS64);
    writer.add_section(et_test::elf_section_t::progbits(
        ".text", SHF_ALLOC | SHF_EXECINSTR, fuzz::program_base,
        et_test::pattern_bytes(fuzz::program_size, fuzz::program_seed)));
    writer.add_segment(PT_LOAD, fuzz::program_base, fuzz::program_base, fuzz::program_size);
    return fuzz::scratch_dir_t::get().write("program.elf", writer.image());
  }();
  fuzz::input_t in(data, size);
  fuzz::decode_messages(in, {elf}, nullptr);
  return 0;
}
