// The disassembler: every 8 bytes of the input are one word, looked up and
// written out as text by a 32-bit and a 64-bit disassembler.
#include <cstring>
#include <string>

#include "disasm/disassembler.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const disassembler_t rv32(32);
  static const disassembler_t rv64(64);
  for (size_t at = 0; at < size; at += 8) {
    uint64_t word = 0;
    std::memcpy(&word, data + at, size - at < 8 ? size - at : 8);
    for (const disassembler_t* d : {&rv32, &rv64}) {
      const disasm_insn_t* entry = d->get_disasm(word);
      const std::string text = d->disassemble(word);
      const std::string name = d->get_name(word);
      if (entry == nullptr ? text != "unknown" : text != entry->to_string(insn_t(word)))
        fuzz::fail("disassemble disagrees with the entry's text: " + text);
      if (text.compare(0, name.size(), name) != 0) fuzz::fail("name " + name + " of " + text);
    }
  }
  return 0;
}
