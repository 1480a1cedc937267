// The walk of nexus_decoder_t::decode: from the messages' instruction counts,
// branch history and addresses back to the executed instructions.
#include <sys/stat.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>

#include "disassembler.h"
#include "insn.h"
#include "insn_ids.h"
#include "mh_swt_reader.h"
#include "nexus/nexus_decoder.h"
#include "nexus/soc_accessor.h"
#include "records/et_annotator.h"
#include "records/et_object.h"
#include "records/et_text.h"

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

class nexus_walker_t {
public:
  nexus_walker_t(nexus_decoder_t& nexus, std::ostream& out,
                 const std::vector<std::string>& elf_paths,
                 const std::unique_ptr<mh_swt_reader_t>& hwt_reader)
      : nx_(nexus),
        out_(out),
        use_elf_(!elf_paths.empty()),
        hwt_(hwt_reader),
        own_disasm_(nexus.disassembler_ ? nullptr
                                        : std::make_unique<disassembler_t>(int(nexus.xlen_))),
        disasm_(nexus.disassembler_ ? *nexus.disassembler_ : *own_disasm_) {
    for (const auto& path : elf_paths) sacc_.parse_elf(path);
  }

  // One selected message: its walks and block ends.
  void walk_message(uint8_t tcode) {
    source_t& s = source_[nx_.src_];
    const uint8_t kind = block_end_of(tcode, s.last_tcode);
    if (tcode == repeat_branch) nx_.icnt_ = nx_.sources_[nx_.src_].saved_icnt;
    const uint64_t count = nx_.icnt_;
    // HIST runs out only for a Resource Full that carries history.
    const bool stop_on_hist = tcode == resource_full && nx_.field(nexus_field_t::rcode) == 1;
    uint64_t steps = 0;
    for (uint64_t round = 0; round < nx_.bcnt_; ++round) {
      if (count == 0 && round > 0) {
        repeat_empty_block_ends(s, kind, nx_.bcnt_ - round);
        break;
      }
      // Without a program counter only a Sync block end changes anything: the
      // rounds after the first would repeat it unchanged, up to 2^32 times.
      if (!s.pc_known && !is_sync(kind) && round > 0) break;
      if (!(stop_on_hist && nx_.hist_ == 1)) walk(s, count, stop_on_hist, steps);
      end_block(s, kind);
      ++steps;
    }
  }

  uint64_t instructions() const { return instructions_; }

private:
  struct source_t {
    uint64_t pc = 0;
    uint8_t last_tcode = 0;
    bool pc_known = false;
    uint64_t word = 0;  // the last word fetched
  };

  void check_cap(const source_t& s, uint64_t steps) {
    if (steps >= nx_.walk_cap_)
      throw std::runtime_error("Nexus walk does not reach its block end after " +
                               std::to_string(nx_.walk_cap_) + " steps. pc = 0x" + lower_hex(s.pc));
  }

  void write_pc(uint64_t pc) { out_ << pc; }

  // False at the end of the HWT trace.
  bool fetch(source_t& s, uint64_t& count, bool& fused_moved) {
    fused_moved = false;
    if (use_elf_) {
      uint64_t word = 0;
      if (!sacc_.get_word(s.pc, word))
        throw std::runtime_error("Failed to get chunk from pc. pc = 0x" + lower_hex(s.pc));
      s.word = word;
      return true;
    }
    if (!hwt_)
      throw std::runtime_error(
          "Nexus walk has neither an ELF file nor an HWT trace to read instructions from");
    for (;;) {
      unsigned long word = 0;
      bool fused = false, exception = false;
      if (!nexus_decoder_t::get_next_hwt_insn(hwt_, word, fused, exception)) return false;
      s.word = word;
      if (!fused) return true;
      const uint64_t first = fused_first_halfwords(word);
      if (exception) {
        // Only the first half ran; the program counter stays for the next word.
        if (first >= count) return false;
        out_ << '\n';
        count -= first;
        write_pc(s.pc);
        continue;
      }
      s.pc += first * 2;
      out_ << '\n';
      write_pc(s.pc);
      fused_moved = true;
      return true;
    }
  }

  void walk(source_t& s, uint64_t count, bool stop_on_hist, uint64_t& steps) {
    // Without a known program counter there is nothing to walk from.
    if (!s.pc_known) return;
    while (count != 0) {
      check_cap(s, steps);
      write_pc(s.pc);
      bool fused_moved = false;
      if (!fetch(s, count, fused_moved)) {
        out_ << '\n';
        return;
      }
      const uint64_t word = s.word;
      const uint64_t id = et_insn_id_of(disasm_.get_disasm(word));
      if (nx_.disasm_log_) {
        out_ << nexus_decoder_t::get_pc_disasm(word, disasm_);
        if (nx_.nexus_log_) out_ << "\t\t| ICNT=0x" << count << ", HIST=0x" << nx_.hist_;
      }
      out_ << '\n';
      out_.flush();
      ++instructions_;
      ++steps;
      const uint64_t length = halfwords(word);
      // The last instruction of the block; one longer than the count ends it too.
      if (length >= count) return;
      count -= length;
      switch (branch_kind(id)) {
        case branch_t::conditional: {
          const bool taken = nx_.hist_ > 1 && (nx_.hist_ & 1) != 0;
          s.pc += taken ? branch_offset(id, word) : length * 2;
          nx_.hist_ >>= 1;
          break;
        }
        case branch_t::jump: s.pc += branch_offset(id, word); break;
        default: s.pc += length * 2 - (fused_moved ? fused_first_halfwords(word) * 2 : 0); break;
      }
      if (stop_on_hist && nx_.hist_ == 1) return;
    }
  }

  void end_block(source_t& s, uint8_t kind) {
    nx_.icnt_ = 0;
    nexus_decoder_t::source_state_t& nexus = nx_.sources_[nx_.src_];
    if (is_sync(kind)) {
      s.pc = nexus.full_address;
      s.pc_known = true;
      return;
    }
    if (!s.pc_known) return;
    if (is_indirect(kind)) {
      s.pc = nexus.unique_address ^ nexus.full_address;
      nexus.full_address = s.pc;
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
  void repeat_empty_block_ends(source_t& s, uint8_t kind, uint64_t n) {
    if (kind == direct_branch) {
      end_block(s, kind);  // throws when the last word is no branch
      const disasm_insn_t* entry = disasm_.get_disasm(s.word);
      if (s.pc_known && entry) s.pc += branch_offset(entry->insn_id, s.word) * (n - 1);
    } else if (is_indirect(kind) && n % 2 == 1) {
      // Two XOR steps give the address back.
      end_block(s, kind);
    }
    nx_.icnt_ = 0;
  }

  nexus_decoder_t& nx_;
  std::ostream& out_;
  bool use_elf_;
  const std::unique_ptr<mh_swt_reader_t>& hwt_;
  soc_accessor_t sacc_{"sacc"};
  std::unique_ptr<disassembler_t> own_disasm_;  // when the caller gave none
  const disassembler_t& disasm_;
  nexus_source_table_t<source_t> source_;
  uint64_t instructions_ = 0;

  friend class nexus_decoder_t;
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
  nexus_walker_t walker(*this, out, elf_paths, hwt_reader);
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
    const uint64_t hist_before = hist_;
    read_message();
    const uint8_t tcode = tcode_;
    if (tcode == error_message && stop_on_error)
      throw std::runtime_error("Detected Nexus Error message");
    auto& source = walker.source_[src_];
    if (tcode != repeat_branch) {
      sources_[src_].saved_icnt = static_cast<uint32_t>(icnt_);
      source.last_tcode = tcode;
    }
    const bool selected = src_ < 31 && src_ < 8 * sizeof src_mask && ((src_mask >> src_) & 1) != 0;
    if (!selected) {
      // The message never reaches a block end here; its count and history
      // must not feed the next selected message.
      icnt_ = 0;
      hist_ = hist_before;
      continue;
    }
    if (nexus_log_) out << log_;
    walker.walk_message(tcode);
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
