// Presence marker of the disassembler library: nothing calls it.
extern "C" void libdisasm_is_present() {}
