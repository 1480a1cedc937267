// The pieces from which disassembler_t::init builds its instruction table, in
// the order init calls them. Within a chain the first entry added wins, so the
// order of the groups (and of the entries inside each) is part of the behaviour.
#pragma once

class disassembler_t;
class isa_parser_i;

// Groups from "unimp" up to, not including, the vector group.
void add_scalar_groups(disassembler_t& d, isa_parser_i const* isa);
// From the vector group (gated by has_any_vector()) up to the fused pairs.
void add_vector_groups(disassembler_t& d, isa_parser_i const* isa);
// The fused instruction pairs.
void add_fused_groups(disassembler_t& d, isa_parser_i const* isa);
// One "(args unknown)" entry per known encoding name, added after all others.
void add_catch_all_entries(disassembler_t& d, isa_parser_i const* isa);
