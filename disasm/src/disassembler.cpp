#include "disassembler.h"

#include <algorithm>
#include <memory>

#include "tables/groups.h"
#include "isa_parser.h"

namespace {

constexpr uint64_t opcode_mask = 0x7f;
// Quadrant (bits 1..0) and funct3 (bits 15..13) of a compressed instruction;
// (value AND this) modulo 255 is 32 x funct3 + quadrant.
constexpr uint64_t compressed_mask = 0xe003;

}  // namespace

disassembler_t::disassembler_t(isa_parser_i const* isa) { init(isa); }

disassembler_t::disassembler_t(int xlen) {
  enable_all_exts all{static_cast<uint32_t>(xlen)};
  init(&all);
}

disassembler_t::~disassembler_t() { delete_all(); }

void disassembler_t::delete_all() {
  for (auto& chain : chains_) {
    for (disasm_insn_t const* insn : chain) delete insn;
    chain.clear();
  }
}

void disassembler_t::init(isa_parser_i const* isa) {
  try {
    add_scalar_groups(*this, isa);
    add_vector_groups(*this, isa);
    add_later_groups(*this, isa);
    add_fused_groups(*this, isa);
    add_catch_all_entries(*this, isa);
  } catch (...) {
    // The destructor does not run for a constructor that throws.
    delete_all();
    throw;
  }
  // The probe runs back to front; reversed, it meets the entries in the
  // order they were added, so the first added wins.
  for (auto& chain : chains_) std::reverse(chain.begin(), chain.end());
}

unsigned long disassembler_t::chain_of(uint64_t mask, uint64_t match) {
  if ((mask & opcode_mask) == opcode_mask) return match & opcode_mask;
  if ((mask & compressed_mask) == compressed_mask) return (match & compressed_mask) % 255;
  return other_chain;
}

void disassembler_t::add_insn(disasm_insn_t* insn) {
  std::unique_ptr<disasm_insn_t> owned(insn);  // freed if the chain cannot grow
  chains_[chain_of(insn->mask, insn->match)].push_back(insn);
  owned.release();
}

disasm_insn_t const* disassembler_t::probe_once(insn_t const& insn, unsigned long chain) const {
  if (chain >= chain_count) return nullptr;
  auto const& entries = chains_[chain];
  uint64_t word = insn.bits();
  for (auto it = entries.rbegin(); it != entries.rend(); ++it)
    if ((*it)->matches(word)) return *it;
  return nullptr;
}

disasm_insn_t const* disassembler_t::lookup(insn_t const& insn) const {
  uint64_t word = insn.bits();
  if (auto found = probe_once(insn, word & opcode_mask)) return found;
  if (auto found = probe_once(insn, (word & compressed_mask) % 255)) return found;
  return probe_once(insn, other_chain);
}

std::string disassembler_t::disassemble(unsigned long word) const {
  insn_t insn(word);
  disasm_insn_t const* found = lookup(insn);
  return found ? found->to_string(insn) : std::string("unknown");
}

std::string disassembler_t::get_name(unsigned long word) const {
  std::string text = disassemble(word);
  return text.substr(0, text.find(' '));
}
