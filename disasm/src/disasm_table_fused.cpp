#include "tables/groups.h"

// The fused pairs are not in the table yet; their names and identifiers are
// still known through the "(args unknown)" entries.
void add_fused_groups(disassembler_t&, isa_parser_i const*) {}
