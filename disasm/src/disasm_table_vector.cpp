#include "disasm_table.h"

// The vector, packed-SIMD and later groups are not in the table yet; their
// encodings are still named by the "(args unknown)" entries.
void add_vector_groups(disassembler_t&, isa_parser_i const*) {}
