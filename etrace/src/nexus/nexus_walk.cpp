// The walk of nexus_decoder_t::decode: from the messages' instruction counts,
// branch history and addresses back to the executed instructions.
#include <sys/stat.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "disasm/disassembler.h"
#include "disasm/insn.h"
#include "disasm/insn_ids.h"
#include "etrace/mh_swt_reader.h"
#include "etrace/nexus/nexus_decoder.h"
#include "etrace/nexus/nexus_message.h"
#include "etrace/nexus/nexus_word_source.h"
#include "etrace/nexus/soc_accessor.h"
#include "etrace/records/et_annotator.h"
#include "etrace/records/et_object.h"
#include "etrace/records/et_text.h"

namespace {

// The compare-and-branch pairs keep the branch's offset in halfwords.
uint64_t fused_offset(uint64_t w) { return uint64_t(insn_t(w).fused_second_imm()) << 1; }

// Length in halfwords, from the low bits as the encodings define it.
uint64_t halfwords(uint64_t w) {
  if ((w & 3) != 3) return 1;
  if ((w & 0x1f) != 0x1f) return 2;
  return (w & 0x3f) == 0x3f ? 4 : 3;
}

// The first instruction of a fused word: 32-bit when its low bits are 11.
uint64_t fused_first_halfwords(uint64_t w) { return insn_t(w).fused_first().is_32bit() ? 2 : 1; }

enum class branch_t { none, conditional, jump, fused_conditional };

branch_t branch_kind(uint64_t id) {
  switch (id) {
    case insn_id("beq"):
    case insn_id("bge"):
    case insn_id("bgeu"):
    case insn_id("blt"):
    case insn_id("bltu"):
    case insn_id("bne"):
    case insn_id("c_beqz"):
    case insn_id("c_bnez"): return branch_t::conditional;
    case insn_id("c_j"):
    case insn_id("c_jal"):
    case insn_id("jal"): return branch_t::jump;
    case insn_id("fuse_and_beq"):
    case insn_id("fuse_and_c_beq"):
    case insn_id("fuse_andi_beq"):
    case insn_id("fuse_andi_c_beq"):
    case insn_id("fuse_c_and_beq"):
    case insn_id("fuse_c_and_c_beq"):
    case insn_id("fuse_c_andi_beq"):
    case insn_id("fuse_c_andi_c_beq"): return branch_t::fused_conditional;
    default: return branch_t::none;
  }
}

// The offset a taken branch or jump of that identifier adds to its address.
uint64_t branch_offset(uint64_t id, uint64_t w) {
  switch (id) {
    case insn_id("c_beqz"):
    case insn_id("c_bnez"): return uint64_t(insn_t(w).rvc_b_imm());
    case insn_id("c_j"):
    case insn_id("c_jal"): return uint64_t(insn_t(w).rvc_j_imm());
    case insn_id("jal"): return uint64_t(insn_t(w).uj_imm());
    default:
      return branch_kind(id) == branch_t::fused_conditional ? fused_offset(w)
                                                            : uint64_t(insn_t(w).sb_imm());
  }
}

std::string lower_hex(uint64_t v) {
  std::string text;
  et_text::hex(text, v);
  return text;
}

bool is_sync(uint8_t tcode) { return tcode == 9 || tcode == 11 || tcode == 12 || tcode == 29; }
bool is_indirect(uint8_t tcode) { return tcode == 4 || tcode == 28; }

constexpr uint8_t direct_branch = 3;
constexpr uint8_t repeat_branch = 30;
constexpr uint8_t resource_full = 27;
constexpr uint8_t error_message = 8;
// A block end that changes nothing (no message has this code).
constexpr uint8_t no_block_end = 0;

// What the block end of a message does, by the code it is handled as: a
// Repeat Branch repeats the branch of its source's last message, and after
// any message but a branch it leaves the program counter where the walk
// left it.
uint8_t block_end_of(uint8_t tcode, uint8_t last_tcode) {
  if (tcode != repeat_branch) return tcode;
  return last_tcode == direct_branch || is_indirect(last_tcode) ? last_tcode : no_block_end;
}

}  // namespace

// Program counters a walk has come to since it was last cleared. Clearing
// costs nothing (slots of an older generation count as empty), and the table
// only grows with the program counters it holds, never with the steps.
class pc_set_t {
public:
  void clear() {
    size_ = 0;
    if (++generation_ != 0) return;
    for (slot_t& slot : slots_) slot.generation = 0;
    generation_ = 1;
  }

  // False when pc is there already.
  bool insert(uint64_t pc) {
    if (2 * (size_ + 1) > slots_.size()) grow();
    if (!place(pc)) return false;
    ++size_;
    return true;
  }

private:
  struct slot_t {
    uint64_t pc = 0;
    uint32_t generation = 0;
  };

  bool place(uint64_t pc) {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = std::size_t((pc >> 1) * 0x9E3779B97F4A7C15ull >> 32) & mask;;
         i = (i + 1) & mask) {
      slot_t& slot = slots_[i];
      if (slot.generation != generation_) {
        slot = {pc, generation_};
        return true;
      }
      if (slot.pc == pc) return false;
    }
  }

  void grow() {
    std::vector<slot_t> old(slots_.empty() ? 64 : 2 * slots_.size());
    old.swap(slots_);
    for (const slot_t& slot : old)
      if (slot.generation == generation_) place(slot.pc);
  }

  std::vector<slot_t> slots_;
  uint32_t generation_ = 1;
  std::size_t size_ = 0;
};

// The words of an HWT trace, in the order the core ran them.
class hwt_word_source_t : public nexus_word_source_t {
public:
  explicit hwt_word_source_t(const std::unique_ptr<mh_swt_reader_t>& reader) : reader_(reader) {}

  bool next_word(uint64_t, nexus_word_t& word) override {
    if (!reader_)
      throw std::runtime_error(
          "Nexus walk has neither an ELF file nor an HWT trace to read instructions from");
    unsigned long w = 0;
    if (!nexus_decoder_t::get_next_hwt_insn(reader_, w, word.fused, word.exception)) return false;
    word.word = w;
    return true;
  }
  bool follows_pc() const override { return false; }

private:
  const std::unique_ptr<mh_swt_reader_t>& reader_;
};

// The walk of the selected sources' messages, with its own state per source.
class nexus_walker_t {
public:
  struct options_t {
    uint64_t walk_cap;
    bool disasm_log;
    bool nexus_log;
  };

  nexus_walker_t(std::ostream& out, nexus_word_source_t& words, const disassembler_t& disasm,
                 const options_t& options)
      : out_(out), words_(words), disasm_(disasm), options_(options) {}

  // One message of a selected source: its walks and block ends. Returns the
  // source's last full address after them (an indirect branch's target).
  uint64_t walk_message(const nexus_message_t& m) {
    source_t& s = source_[m.src];
    s.hist = m.history_after(s.hist);
    const uint8_t kind = block_end_of(m.tcode, s.last_tcode);
    if (m.tcode != repeat_branch) s.last_tcode = m.tcode;
    uint64_t full_address = m.full_address;
    const uint64_t count = m.icnt;
    // HIST runs out only for a Resource Full that carries history.
    const bool stop_on_hist = m.tcode == resource_full && m.field(nexus_field_t::rcode) == 1;
    uint64_t steps = 0;
    for (uint64_t round = 0; round < m.bcnt; ++round) {
      if (count == 0 && round > 0) {
        repeat_empty_block_ends(s, kind, m, full_address, m.bcnt - round);
        break;
      }
      // Without a program counter only a Sync block end changes anything: the
      // rounds after the first would repeat it unchanged, up to 2^32 times,
      // unless each has trace words to use up.
      if (!s.pc_known && !is_sync(kind) && round > 0 && (words_.follows_pc() || words_out_))
        break;
      if (!(stop_on_hist && s.hist == 1)) walk(s, count, stop_on_hist, steps);
      end_block(s, kind, m, full_address);
      ++steps;
    }
    return full_address;
  }

  uint64_t instructions() const { return instructions_; }

private:
  struct source_t {
    uint64_t pc = 0;
    uint64_t hist = 0;
    uint64_t word = 0;  // the last word fetched
    uint8_t last_tcode = 0;
    bool pc_known = false;
  };

  void check_cap(const source_t& s, uint64_t steps) const {
    if (steps >= options_.walk_cap)
      throw std::runtime_error("Nexus walk does not reach its block end after " +
                               std::to_string(options_.walk_cap) +
                               " steps. pc = 0x" + lower_hex(s.pc));
  }

  // False when the words have run out. A fused pair's first half is listed
  // here, and one that raised an exception is used up with it. Lists
  // nothing unless `listing`.
  bool fetch(source_t& s, uint64_t& count, bool& fused_moved, bool listing) {
    fused_moved = false;
    for (;;) {
      nexus_word_t w;
      if (!words_.next_word(s.pc, w)) {
        if (words_.follows_pc())
          throw std::runtime_error("Failed to get chunk from pc. pc = 0x" + lower_hex(s.pc));
        words_out_ = true;
        return false;
      }
      s.word = w.word;
      if (!w.fused) return true;
      const uint64_t first = fused_first_halfwords(w.word);
      if (w.exception) {
        // Only the first half ran; the program counter stays for the next word.
        if (first >= count) return false;
        if (listing) out_ << '\n' << s.pc;
        count -= first;
        continue;
      }
      s.pc += first * 2;
      if (listing) out_ << '\n' << s.pc;
      fused_moved = true;
      return true;
    }
  }

  // Without a program counter the block lists nothing; the words of a trace
  // that its count covers are used up all the same.
  void walk(source_t& s, uint64_t count, bool stop_on_hist, uint64_t& steps) {
    const bool listing = s.pc_known;
    if (!listing && words_.follows_pc()) return;
    // Through an image a walk repeats once it comes back to a program counter
    // with the same history: only a Resource Full would never end.
    const bool guard_loop = stop_on_hist && listing && words_.follows_pc();
    if (guard_loop) seen_.clear();
    while (count != 0) {
      check_cap(s, steps);
      if (guard_loop && !seen_.insert(s.pc))
        throw std::runtime_error("Nexus walk loops without using its history. pc = 0x" +
                                 lower_hex(s.pc));
      if (listing) out_ << s.pc;
      bool fused_moved = false;
      if (!fetch(s, count, fused_moved, listing)) {
        if (listing) out_ << '\n';
        return;
      }
      const uint64_t word = s.word;
      const uint64_t id = et_insn_id_of(disasm_.get_disasm(word));
      if (listing) {
        if (options_.disasm_log) {
          out_ << nexus_decoder_t::get_pc_disasm(word, disasm_);
          if (options_.nexus_log) out_ << "\t\t| ICNT=0x" << count << ", HIST=0x" << s.hist;
        }
        out_ << '\n';
        out_.flush();
        ++instructions_;
      }
      ++steps;
      const uint64_t length = halfwords(word);
      // The last instruction of the block; one longer than the count ends it too.
      if (length >= count) return;
      count -= length;
      switch (branch_kind(id)) {
        case branch_t::conditional: {
          const bool taken = s.hist > 1 && (s.hist & 1) != 0;
          s.pc += taken ? branch_offset(id, word) : length * 2;
          s.hist >>= 1;
          if (guard_loop) seen_.clear();
          break;
        }
        case branch_t::jump: s.pc += branch_offset(id, word); break;
        default: s.pc += length * 2 - (fused_moved ? fused_first_halfwords(word) * 2 : 0); break;
      }
      if (stop_on_hist && s.hist == 1) return;
    }
  }

  void end_block(source_t& s, uint8_t kind, const nexus_message_t& m, uint64_t& full_address) {
    if (is_sync(kind)) {
      s.pc = full_address;
      s.pc_known = true;
      return;
    }
    if (!s.pc_known) return;
    if (is_indirect(kind)) {
      s.pc = m.unique_address ^ full_address;
      full_address = s.pc;
    } else if (kind == direct_branch) {
      const uint64_t id = et_insn_id_of(disasm_.get_disasm(s.word));
      const branch_t branch = branch_kind(id);
      if (branch != branch_t::conditional && branch != branch_t::fused_conditional)
        throw std::runtime_error("Taken direct branch failed! topc=0x" + lower_hex(id) + " pc=0x" +
                                 lower_hex(s.pc) + " chunk=0x" + lower_hex(s.word) + "\n");
      s.pc += branch_offset(id, s.word);
    }
  }

  // Block ends with nothing walked between them: the same step n times.
  void repeat_empty_block_ends(source_t& s, uint8_t kind, const nexus_message_t& m,
                               uint64_t& full_address, uint64_t n) {
    if (kind == direct_branch) {
      end_block(s, kind, m, full_address);  // throws when the last word is no branch
      const disasm_insn_t* entry = disasm_.get_disasm(s.word);
      if (s.pc_known && entry) s.pc += branch_offset(entry->insn_id, s.word) * (n - 1);
    } else if (is_indirect(kind) && n % 2 == 1) {
      // Two XOR steps give the address back.
      end_block(s, kind, m, full_address);
    }
  }

  std::ostream& out_;
  nexus_word_source_t& words_;
  const disassembler_t& disasm_;
  const options_t options_;
  nexus_source_table_t<source_t> source_;
  pc_set_t seen_;  // of a Resource Full walk, since its last history bit
  bool words_out_ = false;  // a trace's words have run out
  uint64_t instructions_ = 0;
};

std::string nexus_decoder_t::get_pc_disasm(unsigned long word, const disassembler_t& disassembler) {
  char hex[24];
  *et_text::put_hex(hex, word, 8) = '\0';
  const disasm_insn_t* entry = disassembler.get_disasm(word);
  return std::string("\t|") + hex + "|\t " +
         (entry ? entry->to_string(insn_t(word)) : std::string("unknown"));
}

bool nexus_decoder_t::get_next_hwt_insn(const std::unique_ptr<mh_swt_reader_t>& reader,
                                        unsigned long& word, bool& fused, bool& exception) {
  for (;;) {
    const et_object_t* object = reader->get_next_object();
    if (object == nullptr) return false;
    if (object->kind != et_object_t::KIND_INSN) continue;
    const et_insn_t& insn = object->insn;
    if (!insn.committed) continue;
    const uint64_t cause = insn.cause;
    // Environment calls and breakpoints complete the instruction.
    exception = insn.trap && cause != 3 && cause != 8 && cause != 9 && cause != 11;
    word = insn.chunk;
    if (insn.is_fused()) {
      fused = true;
      return true;
    }
    if (!insn.interrupt && !insn.trig && !exception) {
      fused = false;
      return true;
    }
  }
}

void nexus_decoder_t::decode(unsigned long src_mask, std::ostream& out,
                             const std::string& nexus_path,
                             const std::vector<std::string>& elf_paths,
                             const std::unique_ptr<mh_swt_reader_t>& hwt_reader,
                             bool stop_on_error) {
  open(nexus_path);
  soc_accessor_t sacc("sacc");
  for (const auto& path : elf_paths) sacc.parse_elf(path);
  hwt_word_source_t hwt(hwt_reader);
  nexus_word_source_t& words = elf_paths.empty() ? static_cast<nexus_word_source_t&>(hwt) : sacc;
  const std::unique_ptr<disassembler_t> own_disasm =
      disassembler_ ? nullptr : std::make_unique<disassembler_t>(int(xlen_));
  nexus_walker_t walker(out, words, disassembler_ ? *disassembler_ : *own_disasm,
                        {walk_cap_, disasm_log_, nexus_log_});
  std::streambuf& in = *in_;
  using traits = std::char_traits<char>;
  const auto no_position = std::streampos(std::streamoff(-1));
  if (nexus_log_ && in.pubseekoff(0, std::ios::cur, std::ios::in) == no_position)
    throw std::runtime_error(
        "Nexus trace file is not seekable, which the raw-byte listing needs: " + nexus_path);
  uint64_t file_bytes = 0;
  if (metrics_log_) {
    struct stat st;
    if (::stat(nexus_path.c_str(), &st) == 0) file_bytes = uint64_t(st.st_size);
  }
  out << std::hex << std::uppercase;
  uint64_t messages = 0;

  for (;;) {
    try {
      if (nexus_log_) {
        const auto start = in.pubseekoff(0, std::ios::cur, std::ios::in);
        bool any = false;
        for (;;) {
          const auto c = in.sbumpc();
          if (c == traits::eof()) break;
          any = true;
          char text[16];
          std::snprintf(text, sizeof text, "0x%02X ", unsigned(c));
          out << text;
          if ((c & 3) == 3) break;
        }
        if (!any) break;
        // A message cut off by the end of the file fails in its parser below.
        in.pubseekpos(start, std::ios::in);
      }
      const auto c = in.sgetc();
      if (c == traits::eof()) break;
      if (c == 0xFF) {
        in.sbumpc();
        continue;
      }
      ++messages;
      read_message();
    } catch (const std::ios_base::failure&) {
      throw std::runtime_error("Failed to read Nexus trace file: " + nexus_path);
    }
    const nexus_message_t& m = message_;
    if (m.tcode == error_message && stop_on_error)
      throw std::runtime_error("Detected Nexus Error message");
    const bool selected = m.src < 31 && m.src < 8 * sizeof src_mask && ((src_mask >> m.src) & 1) != 0;
    if (!selected) continue;
    if (nexus_log_) out << log_;
    sources_[m.src].full_address = walker.walk_message(m);
    if (nexus_log_) out << '\n';
  }

  if (metrics_log_) {
    std::ostringstream m;
    const uint64_t insns = walker.instructions();
    m << "Decoding done:\n"
      << "Bytes: " << file_bytes << '\n'
      << "Messages: " << messages << '\n'
      << "Bytes/msg: " << float(file_bytes) / float(messages) << '\n'
      << "Instructions: " << insns << '\n'
      << "Bit/instr: " << float(8 * file_bytes) / float(insns) << '\n';
    std::cout << m.str();
  }
}
