#include "etrace/stream/et_record_decoder.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>
#include <stdexcept>

#include "etrace/et_always_inline.h"
#include "etrace/records/et_text.h"
#include "etrace/stream/et_record.h"

namespace {

// The operands of an instruction, by their index in a slot.
enum operand_t : unsigned { RS1, RS2, RS3, RSD, RD, FRS1, FRS2, FRS3, FRD, operand_count };

// The bits of a slot's state word.
constexpr unsigned state_hart_bits = 3;  // harts 0 to 7
constexpr unsigned state_pril_at = 3;
constexpr uint32_t state_pril_mask = 3;      // two bits
constexpr unsigned state_addr_valid_at = 5;  // one bit per operand
constexpr unsigned state_data_valid_at = state_addr_valid_at + operand_count;
constexpr unsigned state_ea_valid_at = state_data_valid_at + operand_count;
constexpr uint32_t state_ea_valid = uint32_t(1) << state_ea_valid_at;
constexpr uint32_t state_pa_valid = state_ea_valid << 1;
constexpr uint32_t state_sd_valid = state_ea_valid << 2;
constexpr uint32_t state_fr = state_ea_valid << 3;
constexpr uint32_t state_committed = state_ea_valid << 4;
static_assert(state_ea_valid_at + 5 <= 32, "the state bits fit their word");
static_assert(1u << state_hart_bits == et_record_decoder_t::max_harts,
              "a selected hart fits its bits");
static_assert((uint32_t(1) << et_wire::is_pril.width.fixed) - 1 == state_pril_mask &&
                  state_pril_at + et_wire::is_pril.width.fixed == state_addr_valid_at,
              "a pril fits its bits");
static_assert(et_wire::rf_reg.width.fixed <= 8, "a register number fits a byte");
static_assert(et_wire::cm_flag_bits <= 16, "the commit flags fit the slot's word");
static_assert(sizeof(et_record_decoder_t::slot_t) == 192, "a slot is three cache lines");

// Source operands by selector: integer register-read records, and the
// floating-point ones (whose selector 1 names the integer source 1);
// operand index + 1, 0 for a selector without an operand.
struct selector_table_t {
  uint8_t operand[16];
};

constexpr selector_table_t make_int_sources() {
  selector_table_t t{};
  t.operand[MH_SEL_RS1] = RS1 + 1;
  t.operand[MH_SEL_RS2] = RS2 + 1;
  t.operand[MH_SEL_RS3] = RS3 + 1;
  t.operand[MH_SEL_RSD] = RSD + 1;
  return t;
}

constexpr selector_table_t make_fp_sources() {
  selector_table_t t{};
  t.operand[MH_SEL_RS1] = RS1 + 1;
  t.operand[MH_SEL_FRS1] = FRS1 + 1;
  t.operand[MH_SEL_FRS2] = FRS2 + 1;
  t.operand[MH_SEL_FRS3] = FRS3 + 1;
  return t;
}

constexpr selector_table_t int_sources = make_int_sources();
constexpr selector_table_t fp_sources = make_fp_sources();
static_assert(et_wire::rf_selector.width.fixed == 4, "a selector indexes the tables");

// Clears memory through the C library's memset, which uses the widest
// stores of the machine. For a constant size the compiler would inline a
// string instruction instead, several times slower on current processors;
// the empty asm hides the size from it.
void clear_bytes(void* p, std::size_t bytes) {
  asm("" : "+r"(bytes));
  std::memset(p, 0, bytes);
}

// Clears a slot with plain vector stores, three cache lines of them; as a
// memset of constant size the compiler would make it a string instruction.
void clear_slot(et_record_decoder_t::slot_t& slot) {
  typedef uint64_t chunk_t __attribute__((vector_size(16)));
  static_assert(sizeof slot == 12 * sizeof(chunk_t), "a slot is twelve chunks");
  chunk_t* p = reinterpret_cast<chunk_t*>(&slot);
  const chunk_t zero = {0, 0};
  p[0] = zero, p[1] = zero, p[2] = zero, p[3] = zero, p[4] = zero, p[5] = zero;
  p[6] = zero, p[7] = zero, p[8] = zero, p[9] = zero, p[10] = zero, p[11] = zero;
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

et_record_decoder_t::et_record_decoder_t(FILE* input, const std::string& path,
                                         const et_stream_geometry_t& geometry,
                                         unsigned long hart_mask, bool skip_rvt, bool skip_l2t,
                                         bool skip_dct)
    : geometry_(geometry),
      wire_(geometry_),
      hart_mask_(hart_mask),
      skip_rvt_(skip_rvt),
      skip_l2t_(skip_l2t),
      skip_dct_(skip_dct),
      bits_(input, path) {
  for (unsigned code = MH_SWT_IS; code <= MH_SWT_CM; ++code)
    insn_payload_bits_[code - MH_SWT_IS] = wire_.payload_bits(*et_wire::find(code));
  for (const et_wire_record_t& record : et_wire::records) {
    const std::size_t bytes = wire_.record_bytes(record.code);
    if (record.shape == MH_SHAPE_NONE)
      longest_fast_record_ = std::max(longest_fast_record_, bytes);
    // An issue record, an RVT record or a message makes an object.
    if (record.code == MH_SWT_IS || record.group == et_wire_group_t::RVT ||
        record.shape != MH_SHAPE_NONE)
      shortest_object_record_ = std::min(shortest_object_record_, bytes);
  }
  for (unsigned h = 0; h < max_harts; ++h)
    if ((hart_mask_ >> h) & 1) piid_tables_[h].reset(new piid_entry_t[piid_count]());
  // 26 MB of plain data, mapped zeroed and filled on demand: the window's
  // twelve huge pages and one for the slack.
  constexpr std::size_t huge_page = et_huge_mapping_t::huge_page;
  static_assert(window * sizeof(slot_t) % huge_page == 0 && slack * sizeof(slot_t) <= huge_page,
                "the slack takes one huge page");
  ring_memory_ = std::make_unique<et_huge_mapping_t>(capacity * sizeof(slot_t));
  ring_ = reinterpret_cast<slot_t*>(ring_memory_->data());
  reset();
}

et_record_decoder_t::~et_record_decoder_t() = default;

std::size_t et_record_decoder_t::ring_bytes_to_fill() const {
  const uint64_t objects = bits_.file_bytes() / shortest_object_record_;
  return std::size_t(std::min<uint64_t>(objects, capacity)) * sizeof(slot_t);
}

void et_record_decoder_t::reset() {
  hart_ = 0;
  dct_hart_ = 0;
  cycle_ = 0;
  for (unsigned h = 0; h < max_harts; ++h) {
    last_uiid_[h] = -1;
    if (piid_tables_[h]) std::fill_n(piid_tables_[h].get(), piid_count, piid_entry_t{});
  }
  piid_table_ = piid_tables_[0].get();
  // make_slot takes the first round of slots as all zero.
  clear_bytes(ring_, std::size_t(std::min<uint64_t>(made_, capacity)) * sizeof(slot_t));
  made_ = 0;
  make_at_ = ring_;
  note_.clear();
}

// Decoding the same bytes again gives the same objects.
void et_record_decoder_t::restart() {
  bits_.rewind();
  reset();
}

std::string et_record_decoder_t::take_note() {
  std::string note;
  note.swap(note_);
  return note;
}

// Writes every field of the instruction, which expand has cleared but for
// the disassembly fields.
MH_ALWAYS_INLINE void et_record_decoder_t::expand_insn(const slot_t& slot, et_insn_t& insn) const {
  const slot_t::insn_t& in = slot.insn;
  const uint32_t state = slot.state;
  const unsigned hart = hart_of(slot);
  insn.hart = uint16_t(hart);
  insn.issue_cycle = in.issue_cycle;
  insn.read_cycle = in.read_cycle;
  insn.write_cycle = in.write_cycle;
  insn.commit_cycle = in.commit_cycle;
  insn.pc = in.pc;
  insn.chunk = in.chunk;
  insn.pril = (state >> state_pril_at) & state_pril_mask;
  // Each operand, without a branch: the slot's absent halves are zero.
  auto operand = [&](et_reg_t& reg, unsigned i) {
    reg.addr_valid = uint8_t((state >> (state_addr_valid_at + i)) & 1);
    reg.addr = slot.addr[i];
    reg.data_valid = uint8_t((state >> (state_data_valid_at + i)) & 1);
    reg.data = in.data[i];
  };
  operand(insn.rs1, RS1);
  operand(insn.rs2, RS2);
  operand(insn.rs3, RS3);
  operand(insn.rsd, RSD);
  operand(insn.rd, RD);
  operand(insn.frs1, FRS1);
  operand(insn.frs2, FRS2);
  operand(insn.frs3, FRS3);
  operand(insn.frd, FRD);
  insn.ea_valid = (state & state_ea_valid) != 0;
  insn.ea = in.ea;
  insn.va_cycle = in.va_cycle;
  insn.pa_valid = (state & state_pa_valid) != 0;
  insn.pa = in.pa;
  insn.pa_cycle = in.pa_cycle;
  insn.sd_valid = (state & state_sd_valid) != 0;
  insn.sd = in.sd;
  insn.sd_cycle = in.sd_cycle;
  insn.fr = (state & state_fr) != 0;
  insn.fr_cycle = in.fr_cycle;
  insn.committed = (state & state_committed) != 0;
  // The commit flags; all zero before the commit record.
  using namespace et_wire;
  const uint64_t flags = slot.cm;
  insn.frcm = uint8_t(cm_flag(flags, CM_FRCM));
  insn.trap = uint8_t(cm_flag(flags, CM_TRAP));
  insn.interrupt = insn.trap && cm_flag(flags, CM_INTERRUPT);
  insn.cause = cm_flag(flags, CM_CAUSE);
  if (insn.interrupt) insn.cause |= uint64_t(1) << (geometry_.xlen - 1);
  insn.trig = uint8_t(cm_flag(flags, CM_TRIG));
}

// The object is cleared whole, disassembly fields included, and filled with
// what the slot holds. After an instruction, expand_insn writes every field
// of the next but the disassembly fields (the caller may have set them),
// cleared alone; the padding between the fields stays as the first clear
// left it.
void et_record_decoder_t::expand(const slot_t& slot, uint64_t uiid, et_object_t& object,
                                 uint8_t& expanded_kind) const {
  static_assert(sizeof(et_insn_t) == 592 && offsetof(et_insn_t, disasm_known) == 466,
                "expand_insn writes every field of et_insn_t before the disassembly ones: "
                "keep it up to date with et_insn_t");
  if (slot.kind == et_object_t::KIND_INSN && expanded_kind == et_object_t::KIND_INSN) {
    char* const disasm_fields = reinterpret_cast<char*>(&object.insn.disasm_known);
    clear_bytes(disasm_fields, sizeof(et_insn_t) - offsetof(et_insn_t, disasm_known));
    object.kind = et_object_t::KIND_INSN;
    expand_insn(slot, object.insn);
    object.insn.uiid = uiid;
    return;
  }
  clear_bytes(&object, sizeof object);
  object.kind = slot.kind;
  expanded_kind = slot.kind;
  switch (slot.kind) {
    case et_object_t::KIND_INSN:
      expand_insn(slot, object.insn);
      object.insn.uiid = uiid;
      break;
    case et_object_t::KIND_RVT: object.rvt = slot.rvt; break;
    case et_object_t::KIND_L2T: object.l2t = slot.l2t; break;
    case et_object_t::KIND_DCT: object.dct = slot.dct; break;
    default: break;
  }
}

et_record_decoder_t::slot_t& et_record_decoder_t::make_slot(uint8_t kind) {
  slot_t& slot = *make_at_;
  // The first round of slots is still as the system mapped it: all zero.
  if (made_ >= capacity) clear_slot(slot);
  // The slots made next were last read by the caller: fetch them for writing.
  prefetch_ahead<1>(make_at_);
  slot.kind = kind;
  ++made_;
  make_at_ = slot_after(make_at_, 1);
  return slot;
}

// ---------------------------------------------------------------------------
// Decoding. The read position lives in the local cursor `in` throughout;
// the field widths come from the wire format (et_wire_format.h).

void et_record_decoder_t::select_hart(unsigned hart) {
  const bool selected = (hart_mask_ >> (hart % 64)) & 1;
  if (selected && hart >= max_harts)
    throw std::runtime_error("Hart #" + std::to_string(hart) +
                             " is found, but trace reader is compiled to read up to " +
                             std::to_string(max_harts) + " harts only");
  hart_ = uint8_t(hart);
  piid_table_ = selected ? piid_tables_[hart].get() : nullptr;
}

template <class bits_t>
MH_ALWAYS_INLINE void et_record_decoder_t::read_issue(bits_t& in) {
  const uint64_t piid = field(in, et_wire::piid);
  const uint64_t uiid = uint64_t(last_uiid_[hart_]) + 1;
  if (__builtin_expect((uiid & (piid_count - 1)) != piid, 0)) throw_non_sequential(piid);
  last_uiid_[hart_] = int64_t(uiid);
  slot_t& slot = make_slot(et_object_t::KIND_INSN);
  slot.state = hart_;
  slot.insn.issue_cycle = cycle_;
  piid_table_[piid] = piid_entry_t{&slot, made_ - 1};
  // A record cut in the chunk leaves the instruction with its pril.
  slot.state |= uint32_t(field(in, et_wire::is_pril)) << state_pril_at;
  slot.insn.chunk = field(in, et_wire::is_chunk);
}

template <class bits_t>
MH_ALWAYS_INLINE et_record_decoder_t::slot_t& et_record_decoder_t::open_insn(bits_t& in,
                                                                             unsigned code) {
  const uint64_t piid = field(in, et_wire::piid);
  const piid_entry_t& entry = piid_table_[piid];
  if (__builtin_expect(entry.slot == nullptr, 0)) throw_missing_issue(code, piid);
  if (__builtin_expect(entry.object_number + window <= made_, 0)) {
    // Once the window after the instruction has filled up, a record
    // arriving this late must not complete the wrong instruction.
    if (entry.object_number + window < made_) throw_left_window(code, piid);
    // Just filled: the instruction has been handed out (or released) as it
    // was, and the record no longer reaches it.
    return scratch_;
  }
  return *entry.slot;
}

template <unsigned code, class bits_t>
MH_ALWAYS_INLINE void et_record_decoder_t::read_insn_record(bits_t& in) {
  using namespace et_wire;
  slot_t& slot = open_insn(in, code);
  slot_t::insn_t& insn = slot.insn;
  // Every field is read before the instruction changes, so a record cut by
  // the end of the data has no effect.
  if constexpr (code == MH_SWT_IRFRA || code == MH_SWT_FRFRA) {
    const unsigned selector = unsigned(field(in, rf_selector));
    const uint64_t reg = field(in, rf_reg);
    const selector_table_t& sources = code == MH_SWT_IRFRA ? int_sources : fp_sources;
    if (const unsigned operand = sources.operand[selector]) {
      slot.addr[operand - 1] = uint8_t(reg);
      slot.state |= uint32_t(1) << (state_addr_valid_at + operand - 1);
    }
  } else if constexpr (code == MH_SWT_IRFRD || code == MH_SWT_FRFRD) {
    constexpr bool integer = code == MH_SWT_IRFRD;
    const unsigned selector = unsigned(field(in, rf_selector));
    const uint64_t value = field(in, integer ? irf_value : frf_value);
    const selector_table_t& sources = integer ? int_sources : fp_sources;
    if (const unsigned operand = sources.operand[selector]) {
      insn.data[operand - 1] = value;
      slot.state |= uint32_t(1) << (state_data_valid_at + operand - 1);
    }
    insn.read_cycle = cycle_;
  } else if constexpr (code == MH_SWT_IRFWA || code == MH_SWT_FRFWA) {
    constexpr unsigned operand = code == MH_SWT_IRFWA ? RD : FRD;
    slot.addr[operand] = uint8_t(field(in, rf_reg));
    slot.state |= uint32_t(1) << (state_addr_valid_at + operand);
  } else if constexpr (code == MH_SWT_IRFWD || code == MH_SWT_FRFWD) {
    constexpr bool integer = code == MH_SWT_IRFWD;
    constexpr unsigned operand = integer ? RD : FRD;
    insn.data[operand] = field(in, integer ? irf_value : frf_value);
    slot.state |= uint32_t(1) << (state_data_valid_at + operand);
    insn.write_cycle = cycle_;
  } else if constexpr (code == MH_SWT_FR) {
    const uint32_t fr = uint32_t(field(in, fr_bit));
    slot.state = (slot.state & ~state_fr) | (fr ? state_fr : 0);
    insn.fr_cycle = cycle_;
  } else if constexpr (code == MH_SWT_VA) {
    insn.ea = field(in, va_address);
    slot.state |= state_ea_valid;
    insn.va_cycle = cycle_;
  } else if constexpr (code == MH_SWT_PA) {
    insn.pa = field(in, pa_address);
    slot.state |= state_pa_valid;
    insn.pa_cycle = cycle_;
  } else if constexpr (code == MH_SWT_STD) {
    insn.sd = field(in, std_data);
    slot.state |= state_sd_valid;
    insn.sd_cycle = cycle_;
  } else {
    static_assert(code == MH_SWT_CM, "an instruction record");
    const uint64_t pc = field(in, cm_pc);
    const uint64_t flags = in.get(int(cm_flag_bits));
    insn.pc = pc;
    insn.commit_cycle = cycle_;
    slot.cm = uint16_t(flags);
    slot.state |= state_committed;
  }
}

// An instruction record: read, or skipped whole for a hart not selected.
template <unsigned code, class bits_t>
MH_ALWAYS_INLINE et_record_decoder_t::decoded_t et_record_decoder_t::insn_record(bits_t& in) {
  if (piid_table_ == nullptr) {
    in.skip(insn_payload_bits_[code - MH_SWT_IS]);
  } else if constexpr (code == MH_SWT_IS) {
    read_issue(in);
    return decoded_t::object;
  } else {
    read_insn_record<code>(in);
  }
  return decoded_t::record;
}

// One record, header code included, and the padding after it. The unchecked
// bits take only the frequent records, whose fields follow the header
// directly; for the messages and for a code that is not known they return
// decoded_t::left before changing anything, and the checked cursor decodes
// the record again from its header.
template <class bits_t>
MH_ALWAYS_INLINE et_record_decoder_t::decoded_t et_record_decoder_t::decode_record(bits_t& in) {
  const unsigned code = unsigned(in.get(et_wire::header_bits));
  decoded_t decoded = decoded_t::record;
  switch (code) {
    case MH_TSD1: cycle_ += field(in, et_wire::tsd1_delta); break;
    case MH_SWT_RVT:
      if (skip_rvt_) {
        field(in, et_wire::rvt_data);
      } else {
        slot_t& slot = make_slot(et_object_t::KIND_RVT);
        slot.rvt.cycle = cycle_;
        slot.rvt.data = field(in, et_wire::rvt_data);
        decoded = decoded_t::object;
      }
      break;
    case MH_SWT_HART: select_hart(unsigned(field(in, et_wire::hart_id))); break;
    // One case each, so that the code dispatches in one jump.
    case MH_SWT_IS: decoded = insn_record<MH_SWT_IS>(in); break;
    case MH_SWT_IRFRA: decoded = insn_record<MH_SWT_IRFRA>(in); break;
    case MH_SWT_IRFRD: decoded = insn_record<MH_SWT_IRFRD>(in); break;
    case MH_SWT_IRFWA: decoded = insn_record<MH_SWT_IRFWA>(in); break;
    case MH_SWT_IRFWD: decoded = insn_record<MH_SWT_IRFWD>(in); break;
    case MH_SWT_FRFRA: decoded = insn_record<MH_SWT_FRFRA>(in); break;
    case MH_SWT_FRFRD: decoded = insn_record<MH_SWT_FRFRD>(in); break;
    case MH_SWT_FRFWA: decoded = insn_record<MH_SWT_FRFWA>(in); break;
    case MH_SWT_FRFWD: decoded = insn_record<MH_SWT_FRFWD>(in); break;
    case MH_SWT_FR: decoded = insn_record<MH_SWT_FR>(in); break;
    case MH_SWT_VA: decoded = insn_record<MH_SWT_VA>(in); break;
    case MH_SWT_PA: decoded = insn_record<MH_SWT_PA>(in); break;
    case MH_SWT_STD: decoded = insn_record<MH_SWT_STD>(in); break;
    case MH_SWT_CM: decoded = insn_record<MH_SWT_CM>(in); break;
    case MH_SWT_DCT_HART: dct_hart_ = uint8_t(field(in, et_wire::hart_id)); break;
    default:
      if constexpr (!bits_t::checked) {
        return decoded_t::left;
      } else {
        if (code >= MH_SWT_L2T_URQ && code <= MH_SWT_L2T_HM2)
          in = read_l2t(in, code);
        else if (code >= MH_SWT_DCT_BRQ && code <= MH_SWT_DCT_DSR)
          in = read_dct(in, code);
        else
          throw_unknown_header(code, in);
      }
      break;
  }
  in.align_to_byte();
  return decoded;
}

bool et_record_decoder_t::decode_until(uint64_t target, uint64_t rounds) {
  mh_bit_cursor_t in = bits_.cursor();
  const std::size_t longest = longest_fast_record_;
  while (made_ != target) {
    // Records that make no object can run on for long: a caller that wants
    // control back gets it after so many runs of them.
    if (rounds-- == 0) break;
    // While the buffer holds the longest record, records are read without
    // the end checks, and records in a row without storing the position;
    // from a byte boundary, where the caller's own bits may not have left it.
    if (in.bytes_ahead() >= longest && in.at_byte_boundary()) {
      const uint8_t* const first = in.next_byte();
      // The last byte from which the longest record is loaded.
      const uint8_t* const last = first + (in.bytes_ahead() - longest);
      const uint8_t* next = first;
      for (;;) {
        mh_unchecked_bits_t record(next);
        const decoded_t decoded = decode_record(record);
        if (decoded == decoded_t::left) break;
        next += record.bytes();
        // Only an object can fill the window: in steady state every one does.
        if ((decoded == decoded_t::object && made_ == target) || next > last) break;
      }
      in.advance_bytes(std::size_t(next - first));
      if (next != first) continue;
    }
    decode_record(in);
  }
  bits_.store(in);
  return made_ == target;
}

void et_record_decoder_t::throw_non_sequential(uint64_t piid) const {
  std::string text = "Non-sequential uiids: cycle: " + std::to_string(cycle_) +
                     ", hart: " + std::to_string(hart_) + ", last issued uiid: 0x";
  et_text::hex(text, uint64_t(last_uiid_[hart_]));
  text += ", current piid: 0x";
  et_text::hex(text, piid);
  throw std::runtime_error(text);
}

void et_record_decoder_t::throw_missing_issue(unsigned code, uint64_t piid) {
  // Written on standard output by the reader, before the error leaves it.
  // The source place in the text is fixed on purpose: the line keeps the
  // text the trace tools have always written, wherever the code moves.
  char note[160];
  std::snprintf(note, sizeof note,
                "NOTE etrace/src/mh_swt_reader:270: %s: cycle: %llu, hid: %u, missing issue "
                "record for piid 0x%llx\n",
                mh_record_to_string(code).c_str(), static_cast<unsigned long long>(cycle_),
                unsigned(hart_), static_cast<unsigned long long>(piid));
  note_ = note;
  throw std::runtime_error("Missing issue record for piid: current record: " +
                           mh_record_to_string(code) + ", cycle: " + std::to_string(cycle_) +
                           ", hart: " + std::to_string(hart_) + ", piid: " + std::to_string(piid) +
                           ", last issued uiid: " + std::to_string(uint64_t(last_uiid_[hart_])));
}

void et_record_decoder_t::throw_left_window(unsigned code, uint64_t piid) const {
  throw std::runtime_error(
      "Record for an instruction that has left the look-ahead window: "
      "current record: " +
      mh_record_to_string(code) + ", cycle: " + std::to_string(cycle_) +
      ", hart: " + std::to_string(hart_) + ", piid: " + std::to_string(piid) +
      ", window: " + std::to_string(window) + " objects");
}

void et_record_decoder_t::throw_unknown_header(unsigned code, const mh_bit_cursor_t& in) const {
  throw std::runtime_error("Unknown header: " + std::to_string(code) +
                           " approximately at position " +
                           std::to_string(bits_.block_position(in)) + "!");
}
