#pragma once
// One executed instruction of one hart, as decoded from the trace stream.
// Plain data: copied by value; a reader clears a whole record before it fills
// it, so every field that the stream did not deliver is zero.
#include <cstdint>
#include <string>

#include "etrace/records/et_reg.h"

class disassembler_t;

struct et_insn_t {
  uint16_t hart;          // hart (core) number
  uint64_t uiid;          // unique id, from 0 per hart in issue order; low 10 bits = piid
  uint64_t issue_cycle;   // running cycle at the issue record
  uint64_t read_cycle;    // ... at the last register-read data record
  uint64_t write_cycle;   // ... at the last register-write data record
  uint64_t commit_cycle;  // ... at the commit record
  uint64_t pc;            // program counter (commit record)
  uint64_t chunk;         // instruction word (issue record), or a fused word
  uint64_t pril;          // privilege level: 0 user, 1 supervisor, 3 machine

  et_reg_t rs1, rs2, rs3;
  et_reg_t rsd;  // integer operand of stream selector 13; not part of the text
  et_reg_t rd;
  et_reg_t frs1, frs2, frs3;
  et_reg_t frd;

  uint8_t ea_valid;
  uint64_t ea;  // memory (virtual) address
  uint64_t va_cycle;
  uint8_t trap;    // trapped at commit
  uint64_t cause;  // 6-bit cause code, bit XLEN-1 set for an interrupt
  uint8_t interrupt;
  uint8_t pa_valid;
  uint64_t pa;  // physical address
  uint64_t pa_cycle;
  uint8_t sd_valid;
  uint64_t sd;  // store data
  uint64_t sd_cycle;
  uint8_t committed;  // commit record seen
  uint8_t fr;         // fetch-redirect bit
  uint64_t fr_cycle;
  uint8_t frcm;  // commit flags bit 0
  uint8_t trig;  // commit flags bit 9

  // Filled by fill_disasm_fields, not by the stream.
  uint8_t disasm_known;
  uint64_t flags;    // operand flags of the matching instruction-table entry
  uint64_t insn_id;  // instruction identifier; all bits set when unknown
  char disasm[100];  // NUL-terminated text, at most 99 characters

  // One line: "(      12.0) Mc [pc]  (id) |chunk|" and the present operands.
  std::string to_string() const;
  void append_text(std::string& out) const;

  // --- Comparison, fusion and disassembly fields: declared with the record,
  // defined beside their logic in the sources of the headers named below. ---
  // 0 when the records agree, else the code of the first failed check
  // (records/et_insn_compare.h).
  unsigned compare(const et_insn_t& other, uint64_t xlen) const;
  // Fusion, records/et_insn_fuse.h: 0 after merging first and second into
  // this record, else a failure code (this record unchanged).
  bool is_fused() const;
  unsigned fuse(const et_insn_t& first, const et_insn_t& second);
  // Destination register numbers from the identifier and the word, and the
  // disassembly fields: the annotation step, records/et_annotator.h.
  static unsigned long get_irda(unsigned long insn_id, unsigned long word);
  unsigned long get_irda() const;
  static unsigned long get_frda(unsigned long insn_id, unsigned long word);
  unsigned long get_frda() const;
  void fill_disasm_fields(const disassembler_t& disassembler, bool with_text);
  // --- end of the comparison block ---
};
