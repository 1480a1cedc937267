// The groups of entries from which disassembler_t::init builds its instruction
// table, declared in the order init adds them. Within a chain the first entry
// added wins, so the order of the groups (and of the entries inside each) is
// part of the behaviour.
#pragma once

class disassembler_t;
class isa_parser_i;

// tables/scalar.cpp: from "unimp" up to, not including, the vector group.
void add_scalar_groups(disassembler_t& d, isa_parser_i const* isa);
// tables/vector.cpp: the vector extension (gated by has_any_vector()) with its
// generated load and store families, then the vector BF16 conversions.
void add_vector_groups(disassembler_t& d, isa_parser_i const* isa);
// tables/small_extensions.cpp: the groups after the vector ones in their
// order: multiply-only, packed SIMD, cache-block management, conditional zero,
// may-be-operations, scalar and vector crypto, load-acquire/store-release, the
// shadow stack and the ungated packed multiplies.
void add_later_groups(disassembler_t& d, isa_parser_i const* isa);
// tables/packed_simd.cpp: zbpbo, zpsfoperand and zpn, which add_later_groups
// adds after multiply-only; and the ungated packed multiplies, added last.
void add_packed_simd_groups(disassembler_t& d, isa_parser_i const* isa);
void add_packed_multiplies(disassembler_t& d, isa_parser_i const* isa);
// tables/crypto.cpp: the scalar and vector crypto groups.
void add_crypto_groups(disassembler_t& d, isa_parser_i const* isa);
// The fused instruction pairs (not gated).
void add_fused_groups(disassembler_t& d, isa_parser_i const* isa);
// tables/catch_all.cpp: one "(args unknown)" entry per known encoding name,
// in id order, after every real entry.
void add_catch_all_entries(disassembler_t& d, isa_parser_i const* isa);
