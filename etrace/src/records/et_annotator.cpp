#include "etrace/records/et_annotator.h"

#include <array>
#include <string>
#include <string_view>

#include "disasm/disassembler.h"
#include "disasm/insn.h"
#include "disasm/insn_ids.h"

namespace {

// Where an integer destination register number sits in the word.
enum class int_destination_t : std::uint8_t {
  rd,                    // bits 11..7, the 32-bit formats and most compressed ones
  rvc_rs1s,              // x8 + bits 9..7
  rvc_rs2s,              // x8 + bits 4..2
  ra,                    // x1, implied by the encoding
  fused_first_rd,        // the first instruction's rd inside a fused word
  fused_first_rvc_rs1s,  // ... its x8 + 3-bit form (c.and, c.andi)
};

struct int_destination_row_t {
  std::string_view name;
  int_destination_t where;
};

constexpr int_destination_row_t int_destination_rows[] = {
    {"c_addw", int_destination_t::rvc_rs1s},
    {"c_and", int_destination_t::rvc_rs1s},
    {"c_andi", int_destination_t::rvc_rs1s},
    {"c_mul", int_destination_t::rvc_rs1s},
    {"c_not", int_destination_t::rvc_rs1s},
    {"c_or", int_destination_t::rvc_rs1s},
    {"c_sext_b", int_destination_t::rvc_rs1s},
    {"c_sext_h", int_destination_t::rvc_rs1s},
    {"c_srai", int_destination_t::rvc_rs1s},
    {"c_srli", int_destination_t::rvc_rs1s},
    {"c_sub", int_destination_t::rvc_rs1s},
    {"c_subw", int_destination_t::rvc_rs1s},
    {"c_xor", int_destination_t::rvc_rs1s},
    {"c_zext_b", int_destination_t::rvc_rs1s},
    {"c_zext_h", int_destination_t::rvc_rs1s},
    {"c_zext_w", int_destination_t::rvc_rs1s},
    {"c_addi4spn", int_destination_t::rvc_rs2s},
    {"c_lbu", int_destination_t::rvc_rs2s},
    {"c_ld", int_destination_t::rvc_rs2s},
    {"c_lh", int_destination_t::rvc_rs2s},
    {"c_lhu", int_destination_t::rvc_rs2s},
    {"c_lw", int_destination_t::rvc_rs2s},
    {"c_jal", int_destination_t::ra},
    {"c_jalr", int_destination_t::ra},
    {"fuse_c_and_beq", int_destination_t::fused_first_rvc_rs1s},
    {"fuse_c_and_c_beq", int_destination_t::fused_first_rvc_rs1s},
    {"fuse_c_andi_beq", int_destination_t::fused_first_rvc_rs1s},
    {"fuse_c_andi_c_beq", int_destination_t::fused_first_rvc_rs1s},
};

// By identifier; the fused pairs (one run of names) default to the first
// instruction's rd, everything else to the rd field.
constexpr auto int_destination_by_id = [] {
  std::array<int_destination_t, insn_id_count> table{};
  for (auto id = insn_id("fuse_add_c_lx"); id <= insn_id("fuse_sh3add_uw_lx"); ++id)
    table[id] = int_destination_t::fused_first_rd;
  for (const auto& row : int_destination_rows) table[insn_id(row.name)] = row.where;
  return table;
}();

}  // namespace

std::uint64_t et_insn_id_of(const disasm_insn_t* entry) {
  return entry != nullptr ? entry->insn_id : et_unknown_insn_id;
}

unsigned long et_insn_t::get_irda(unsigned long id, unsigned long word) {
  const insn_t insn(word);
  const int_destination_t where =
      id < insn_id_count ? int_destination_by_id[id] : int_destination_t::rd;
  switch (where) {
    case int_destination_t::rvc_rs1s: return insn.rvc_rs1s();
    case int_destination_t::rvc_rs2s: return insn.rvc_rs2s();
    case int_destination_t::ra: return 1;
    case int_destination_t::fused_first_rd: return insn.fused_first().rd();
    case int_destination_t::fused_first_rvc_rs1s: return insn.fused_first().rvc_rs1s();
    case int_destination_t::rd: break;
  }
  return insn.rd();
}

unsigned long et_insn_t::get_irda() const { return get_irda(insn_id, chunk); }

unsigned long et_insn_t::get_frda(unsigned long id, unsigned long word) {
  const insn_t insn(word);
  constexpr unsigned long c_fld = ::insn_id("c_fld"), c_flw = ::insn_id("c_flw");
  if (id == c_fld || id == c_flw) return insn.rvc_rs2s();
  return insn.rd();
}

unsigned long et_insn_t::get_frda() const { return get_frda(insn_id, chunk); }

void et_insn_t::fill_disasm_fields(const disassembler_t& disassembler, bool with_text) {
  et_annotator_t::fill(disassembler, *this, with_text);
}

et_annotator_t::et_annotator_t(const disassembler_t& disassembler, options_t options)
    : disassembler_(disassembler), options_(options), slots_(new slot_t[slot_count]()) {}

void et_annotator_t::fill(const disassembler_t& disassembler, et_insn_t& insn, bool with_text) {
  const disasm_insn_t* entry = disassembler.get_disasm(insn.chunk);
  insn.disasm_known = entry != nullptr;
  insn.insn_id = et_insn_id_of(entry);
  insn.flags = entry != nullptr ? entry->insn_flags : 0;
  insn.disasm[0] = '\0';
  if (!with_text) return;
  if (entry == nullptr) {
    std::memcpy(insn.disasm, "unknown", sizeof "unknown");
    return;
  }
  const std::string text = entry->to_string(insn_t(insn.chunk));
  const std::size_t n = text.size() < sizeof insn.disasm - 1 ? text.size() : sizeof insn.disasm - 1;
  std::memcpy(insn.disasm, text.data(), n);
  insn.disasm[n] = '\0';
}

void et_annotator_t::annotate_and_remember(et_insn_t& insn) {
  fill(disassembler_, insn, options_.with_text);
  slot_t& s = slots_[index(insn.chunk)];
  s.used = true;
  s.chunk = insn.chunk;
  s.known = insn.disasm_known;
  s.flags = insn.flags;
  s.insn_id = insn.insn_id;
  s.disasm_size = strnlen(insn.disasm, sizeof insn.disasm - 1) + 1;
  std::memcpy(s.disasm, insn.disasm, s.disasm_size);
}

void et_annotator_t::derive_destination(et_insn_t& insn) {
  using namespace insn_flag;
  const std::uint64_t before = insn.flags;
  insn.flags &= RD | FRD | STORE | RDH;
  if (before & RD) {
    insn.rd.addr_valid = 1;
    insn.rd.addr = insn.get_irda();
  } else if (before & FRD) {
    insn.frd.addr_valid = 1;
    insn.frd.addr = insn.get_frda();
  }
}
