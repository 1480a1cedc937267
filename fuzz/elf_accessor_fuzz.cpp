// The ELF accessor: the input is an ELF file. A loaded file's sections are
// read back at their edges; a refused one must leave the
// accessor as it was.
#include <stdexcept>
#include <string>

#include "etrace/nexus/soc_accessor.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::quiet_streams_t quiet;
  const std::string path = fuzz::scratch_dir_t::get().write("image.elf", data, size);
  soc_accessor_t sacc("sacc");
  try {
    sacc.parse_elf(path);
  } catch (const std::runtime_error& e) {
    // A section past 2^64 is refused alone; the file's other sections stay.
    const std::string wrap = "ELF section wraps past the end of the address space: " + path;
    if (std::string(e.what()).compare(0, wrap.size(), wrap) != 0) {
      if (e.what() != "Can't find or process ELF file: " + path)
        fuzz::fail(std::string("error text: ") + e.what());
      if (!sacc.address_map.empty() || !sacc.mapped_sections.empty() ||
          !sacc.symbol_tables.empty())
        fuzz::fail("a refused file left sections behind");
      return 0;
    }
  }
  // Every word that touches a section's edges; sanitizers catch a read past
  // its bytes.
  uint64_t word = 0;
  for (const auto& [end, start_bytes] : sacc.address_map)
    for (const uint64_t pc :
         {start_bytes.first - 1, start_bytes.first, end - 4, end - 3, end - 1, end})
      sacc.get_word(pc, word);
  return 0;
}
