#include "mh_swt_reader.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>
#include <sstream>
#include <stdexcept>

#include "stream/et_record.h"

namespace {

// Bits of the piid that opens every instruction record's payload.
constexpr int piid_bits = 10;

// Source operands by selector: integer register-read records, and the
// floating-point ones (whose selector 1 names the integer source 1).
struct selector_table_t {
  et_reg_t et_insn_t::*reg[16];
};

constexpr selector_table_t make_int_sources()
{
  selector_table_t t{};
  t.reg[MH_SEL_RS1] = &et_insn_t::rs1;
  t.reg[MH_SEL_RS2] = &et_insn_t::rs2;
  t.reg[MH_SEL_RS3] = &et_insn_t::rs3;
  t.reg[MH_SEL_RSD] = &et_insn_t::rsd;
  return t;
}

constexpr selector_table_t make_fp_sources()
{
  selector_table_t t{};
  t.reg[MH_SEL_RS1] = &et_insn_t::rs1;
  t.reg[MH_SEL_FRS1] = &et_insn_t::frs1;
  t.reg[MH_SEL_FRS2] = &et_insn_t::frs2;
  t.reg[MH_SEL_FRS3] = &et_insn_t::frs3;
  return t;
}

constexpr selector_table_t int_sources = make_int_sources();
constexpr selector_table_t fp_sources = make_fp_sources();

// Fixed widths of the L2T and DCT fields.
constexpr int rid_bits = 3;
constexpr int id_bits = 8;  // RQ ID, RS MID, RL ID
constexpr int sid_bits = 8;
constexpr int sr_m_bits = 8;
constexpr int sr_id_bits = 8;
constexpr int address_bits = 40;
constexpr int u_bits = 20;
constexpr int hm2_id_bits = 8;
constexpr int data_word_bits = 64;

// Clears one ring slot through the C library's memset, which uses the widest
// stores of the machine. For a constant size the compiler would inline a
// string instruction instead, several times slower on current processors;
// the empty asm hides the size from it.
void clear_slot(et_object_t* slot)
{
  std::size_t bytes = sizeof *slot;
  asm("" : "+r"(bytes));
  std::memset(static_cast<void*>(slot), 0, bytes);
}

std::string hex(uint64_t value)
{
  std::ostringstream out;
  out << std::hex << value;
  return out.str();
}

}  // namespace

// ---------------------------------------------------------------------------
// Construction

mh_swt_reader_t::input_t::input_t(const std::string& path)
    : file(open_trace(path, fd)), owned(true)
{
}

mh_swt_reader_t::input_t::input_t(FILE* stream) : file(stream)
{
  if (file == nullptr) throw std::invalid_argument("mh_swt_reader_t: null trace stream");
}

mh_swt_reader_t::input_t::~input_t()
{
  if (owned) fclose(file);  // closes fd too
}

mh_swt_reader_t::config_t mh_swt_reader_t::make_config(int xlen, int flen,
                                                       unsigned long paddr_width,
                                                       unsigned long irf_data_width,
                                                       unsigned long cl_width,
                                                       unsigned long cl_chunks, bool poison_enable)
{
  check_width("XLEN", xlen);
  check_width("FLEN", flen);
  check_width("PADDR_WIDTH", paddr_width);
  check_width("IRF_DATA_WIDTH", irf_data_width);
  if (cl_chunks == 0)
    throw std::runtime_error("Invalid CL_CHUNKS: 0 (a cache line needs at least one chunk)");
  const uint64_t words = cl_width / cl_chunks / 64;
  if (words > 8)
    throw std::runtime_error("Invalid cache-line geometry: CL_WIDTH " + std::to_string(cl_width) +
                             " in CL_CHUNKS " + std::to_string(cl_chunks) + " gives " +
                             std::to_string(words) + " data words per chunk (at most 8)");
  config_t c{};
  c.xlen = uint64_t(xlen);
  c.flen = uint64_t(flen);
  c.va_width = c.xlen;
  c.paddr_width = paddr_width;
  c.irf_data_width = irf_data_width;
  c.std_width = std::max(c.xlen, c.flen);
  c.cl_width = cl_width;
  c.cl_chunks = cl_chunks;
  c.cn_width = __builtin_ctzl(cl_chunks);
  c.wd_words = unsigned(words);
  c.poison_enable = poison_enable;
  return c;
}

mh_swt_reader_t::mh_swt_reader_t(const std::string& path, unsigned long hart_mask, bool skip_rvt,
                                 bool skip_l2t, bool skip_dct, int xlen, int flen,
                                 unsigned long paddr_width, unsigned long irf_data_width,
                                 unsigned long cl_width, unsigned long cl_chunks,
                                 bool poison_enable)
    : et_reader_t(path),
      config_(make_config(xlen, flen, paddr_width, irf_data_width, cl_width, cl_chunks,
                          poison_enable)),
      input_(path),
      hart_mask_(hart_mask),
      skip_rvt_(skip_rvt),
      skip_l2t_(skip_l2t),
      skip_dct_(skip_dct),
      bits_(input_.file, path)
{
  init();
}

mh_swt_reader_t::mh_swt_reader_t(FILE* file, unsigned long hart_mask, bool skip_rvt, bool skip_l2t,
                                 bool skip_dct, int xlen, int flen, unsigned long paddr_width,
                                 unsigned long irf_data_width, unsigned long cl_width,
                                 unsigned long cl_chunks, bool poison_enable)
    : et_reader_t("unknown"),
      config_(make_config(xlen, flen, paddr_width, irf_data_width, cl_width, cl_chunks,
                          poison_enable)),
      input_(file),
      hart_mask_(hart_mask),
      skip_rvt_(skip_rvt),
      skip_l2t_(skip_l2t),
      skip_dct_(skip_dct),
      bits_(input_.file, "unknown")
{
  init();
}

mh_swt_reader_t::~mh_swt_reader_t() = default;

void mh_swt_reader_t::init()
{
  const uint64_t p = piid_bits;
  const uint64_t payload_bits[14] = {
      p + 2 + 64,                      // SWT_IS: pril, chunk
      p + 4 + 5,                       // SWT_IRFRA: selector, register
      p + 4 + config_.irf_data_width,  // SWT_IRFRD: selector, value
      p + 5,                           // SWT_IRFWA: register
      p + config_.irf_data_width,      // SWT_IRFWD: value
      p + 4 + 5,                       // SWT_FRFRA
      p + 4 + config_.flen,            // SWT_FRFRD
      p + 5,                           // SWT_FRFWA
      p + config_.flen,                // SWT_FRFWD
      p + 1,                           // SWT_FR: bit
      p + config_.va_width,            // SWT_VA: address
      p + config_.paddr_width,         // SWT_PA: address
      p + config_.std_width,           // SWT_STD: data
      p + config_.va_width + 10,       // SWT_CM: pc, flags
  };
  std::copy(std::begin(payload_bits), std::end(payload_bits), insn_payload_bits_);

  hart_ = 0;
  hart_skipped_ = (hart_mask_ & 1) == 0;
  dct_hart_ = 0;
  cycle_ = 0;
  for (unsigned h = 0; h < max_harts; ++h) {
    last_uiid_[h] = -1;
    piid_tables_[h].reset();
    if ((hart_mask_ >> h) & 1) piid_tables_[h].reset(new piid_entry_t[piid_count]());
  }

  ring_ = allocate_ring();
  made_ = 0;
  handed_ = 0;
}

// The ring is some 80 MB of plain data: mapped zeroed and filled on demand.
// Beyond its first 2 MB it asks for huge pages, because first touching twenty
// thousand small pages costs more than decoding the objects; a short trace
// only touches a few small ones.
std::unique_ptr<et_object_t[], mh_swt_reader_t::ring_deleter_t> mh_swt_reader_t::allocate_ring()
{
  constexpr std::size_t huge_page = std::size_t(2) << 20;
  const std::size_t bytes =
      (ring_slots * sizeof(et_object_t) + huge_page - 1) / huge_page * huge_page;
  // Map one huge page more than needed and trim to a huge-page boundary.
  void* mapped = mmap(nullptr, bytes + huge_page, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const uintptr_t first = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t start = (first + huge_page - 1) / huge_page * huge_page;
  if (start != first) munmap(mapped, start - first);
  const uintptr_t tail = first + bytes + huge_page - (start + bytes);
  if (tail != 0) munmap(reinterpret_cast<void*>(start + bytes), tail);
  // Only a hint: the system may refuse.
  madvise(reinterpret_cast<void*>(start + huge_page), bytes - huge_page, MADV_HUGEPAGE);
  return std::unique_ptr<et_object_t[], ring_deleter_t>(reinterpret_cast<et_object_t*>(start),
                                                        ring_deleter_t{bytes});
}

void mh_swt_reader_t::ring_deleter_t::operator()(et_object_t* ring) const { munmap(ring, bytes); }

// ---------------------------------------------------------------------------
// Delivery

et_object_t* mh_swt_reader_t::get_next_object()
{
  if (!bits_.ended() && !failure_) {
    try {
      parse_more();
    } catch (const std::underflow_error&) {
      // The end of the data: what the ring holds is still handed out.
    } catch (...) {
      // A bad record ends the parsing like the end of the data: the objects
      // made before it are still handed out, and the error follows them.
      failure_ = std::current_exception();
    }
  }
  if (handed_ == made_) {
    if (failure_) std::rethrow_exception(failure_);
    return nullptr;
  }
  et_object_t* object = &ring_[handed_ % ring_slots];
  ++handed_;
  prefetch_slot(handed_ + prefetch_distance);
  return object;
}

// An object is handed out long after it was made, a whole ring (some 80 MB)
// of writes later, so its slot has left the caches. Fetching it a few objects
// ahead hides the memory latency both from the consumer, which reads it, and
// from make_object, which clears the slot again right after.
void mh_swt_reader_t::prefetch_slot(uint64_t object_number) const
{
  const char* slot = reinterpret_cast<const char*>(&ring_[object_number % ring_slots]);
  for (std::size_t offset = 0; offset < sizeof(et_object_t); offset += 64)
    __builtin_prefetch(slot + offset, 1);
  __builtin_prefetch(slot + sizeof(et_object_t) - 1, 1);
}

et_object_t& mh_swt_reader_t::make_object(uint8_t kind)
{
  et_object_t& object = ring_[made_ % ring_slots];
  // The first round of slots is still as the system mapped it: all zero.
  if (made_ >= ring_slots) clear_slot(&object);
  object.kind = kind;
  ++made_;
  return object;
}

// ---------------------------------------------------------------------------
// Decoding. The read position lives in the local cursor `in` throughout.

#define MH_ALWAYS_INLINE inline __attribute__((always_inline))

void mh_swt_reader_t::select_hart(unsigned hart)
{
  const bool selected = (hart_mask_ >> (hart % 64)) & 1;
  if (selected && hart >= max_harts)
    throw std::runtime_error("Hart #" + std::to_string(hart) +
                             " is found, but trace reader is compiled to read up to " +
                             std::to_string(max_harts) + " harts only");
  hart_ = uint8_t(hart);
  hart_skipped_ = !selected;
}

template <class bits_t>
MH_ALWAYS_INLINE void mh_swt_reader_t::read_issue(bits_t& in)
{
  const uint64_t piid = in.get(piid_bits);
  const uint64_t uiid = uint64_t(last_uiid_[hart_]) + 1;
  if (__builtin_expect((uiid & (piid_count - 1)) != piid, 0)) throw_non_sequential(piid);
  last_uiid_[hart_] = int64_t(uiid);
  et_object_t& object = make_object(et_object_t::KIND_INSN);
  et_insn_t& insn = object.insn;
  insn.hart = hart_;
  insn.uiid = uiid;
  insn.issue_cycle = cycle_;
  piid_tables_[hart_][piid] = piid_entry_t{&insn, made_ - 1};
  insn.pril = in.get(2);
  insn.chunk = in.get(64);
}

template <class bits_t>
MH_ALWAYS_INLINE et_insn_t& mh_swt_reader_t::open_insn(bits_t& in, unsigned code)
{
  const uint64_t piid = in.get(piid_bits);
  const piid_entry_t& entry = piid_tables_[hart_][piid];
  if (__builtin_expect(entry.insn == nullptr, 0)) throw_missing_issue(code, piid);
  // Once a newer object has been made in the instruction's slot, a record
  // arriving this late must not complete the wrong instruction.
  if (__builtin_expect(entry.object_number + ring_slots < made_, 0)) throw_left_window(code, piid);
  return *entry.insn;
}

template <class bits_t>
MH_ALWAYS_INLINE void mh_swt_reader_t::read_insn_record(bits_t& in, unsigned code)
{
  et_insn_t& insn = open_insn(in, code);
  // Every field is read before the instruction changes, so a record cut by
  // the end of the data has no effect.
  switch (code) {
    case MH_SWT_IRFRA:
    case MH_SWT_FRFRA: {
      const unsigned selector = unsigned(in.get(4));
      const uint64_t reg = in.get(5);
      const selector_table_t& sources = code == MH_SWT_IRFRA ? int_sources : fp_sources;
      if (et_reg_t et_insn_t::*operand = sources.reg[selector]) {
        (insn.*operand).addr = reg;
        (insn.*operand).addr_valid = 1;
      }
      break;
    }
    case MH_SWT_IRFRD:
    case MH_SWT_FRFRD: {
      const unsigned selector = unsigned(in.get(4));
      const bool integer = code == MH_SWT_IRFRD;
      const uint64_t value = in.get(int(integer ? config_.irf_data_width : config_.flen));
      const selector_table_t& sources = integer ? int_sources : fp_sources;
      if (et_reg_t et_insn_t::*operand = sources.reg[selector]) {
        (insn.*operand).data = value;
        (insn.*operand).data_valid = 1;
      }
      insn.read_cycle = cycle_;
      break;
    }
    case MH_SWT_IRFWA:
    case MH_SWT_FRFWA: {
      et_reg_t& dest = code == MH_SWT_IRFWA ? insn.rd : insn.frd;
      dest.addr = in.get(5);
      dest.addr_valid = 1;
      break;
    }
    case MH_SWT_IRFWD:
    case MH_SWT_FRFWD: {
      const bool integer = code == MH_SWT_IRFWD;
      const uint64_t value = in.get(int(integer ? config_.irf_data_width : config_.flen));
      et_reg_t& dest = integer ? insn.rd : insn.frd;
      dest.data = value;
      dest.data_valid = 1;
      insn.write_cycle = cycle_;
      break;
    }
    case MH_SWT_FR:
      insn.fr = uint8_t(in.get(1));
      insn.fr_cycle = cycle_;
      break;
    case MH_SWT_VA:
      insn.ea = in.get(int(config_.va_width));
      insn.ea_valid = 1;
      insn.va_cycle = cycle_;
      break;
    case MH_SWT_PA:
      insn.pa = in.get(int(config_.paddr_width));
      insn.pa_valid = 1;
      insn.pa_cycle = cycle_;
      break;
    case MH_SWT_STD:
      insn.sd = in.get(int(config_.std_width));
      insn.sd_valid = 1;
      insn.sd_cycle = cycle_;
      break;
    case MH_SWT_CM: {
      const uint64_t pc = in.get(int(config_.va_width));
      const uint64_t flags = in.get(10);
      insn.pc = pc;
      insn.commit_cycle = cycle_;
      insn.committed = 1;
      insn.frcm = flags & 1;
      insn.trap = (flags >> 1) & 1;
      insn.interrupt = (flags & 6) == 6;
      insn.cause = (flags >> 3) & 0x3f;
      if (insn.interrupt) insn.cause |= uint64_t(1) << (config_.xlen - 1);
      insn.trig = (flags >> 9) & 1;
      break;
    }
  }
}

// One record, header code included, and the padding after it. The unchecked
// bits take only the frequent records, whose fields follow the header
// directly; for the messages and for a code that is not known they return
// false before changing anything, and the checked cursor decodes the record
// again from its header.
template <class bits_t>
MH_ALWAYS_INLINE bool mh_swt_reader_t::decode_record(bits_t& in)
{
  const unsigned code = unsigned(in.get(8));
  switch (code) {
    case MH_TSD1:
      cycle_ += in.get(8);
      break;
    case MH_SWT_RVT:
      if (skip_rvt_) {
        in.get(64);
      } else {
        et_object_t& object = make_object(et_object_t::KIND_RVT);
        object.rvt.cycle = cycle_;
        object.rvt.data = in.get(64);
      }
      break;
    case MH_SWT_HART:
      select_hart(unsigned(in.get(8)));
      break;
    case MH_SWT_IS:
    case MH_SWT_IRFRA:
    case MH_SWT_IRFRD:
    case MH_SWT_IRFWA:
    case MH_SWT_IRFWD:
    case MH_SWT_FRFRA:
    case MH_SWT_FRFRD:
    case MH_SWT_FRFWA:
    case MH_SWT_FRFWD:
    case MH_SWT_FR:
    case MH_SWT_VA:
    case MH_SWT_PA:
    case MH_SWT_STD:
    case MH_SWT_CM:
      if (hart_skipped_)
        in.skip(insn_payload_bits_[code - MH_SWT_IS]);
      else if (code == MH_SWT_IS)
        read_issue(in);
      else
        read_insn_record(in, code);
      break;
    case MH_SWT_DCT_HART:
      dct_hart_ = uint8_t(in.get(8));
      break;
    default:
      if constexpr (!bits_t::checked) {
        return false;
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
  return true;
}

void mh_swt_reader_t::parse_more()
{
  mh_bit_cursor_t in = bits_.cursor();
  while (made_ != handed_ + ring_slots) {
    // While the buffer holds the longest record, records are read without
    // the end checks, and records in a row without storing the position.
    if (in.bytes_ahead() >= longest_fast_record) {
      mh_unchecked_bits_t bits = in.unchecked();
      std::size_t left = in.bytes_ahead();
      bool decoded = false;
      do {
        mh_unchecked_bits_t next = bits;
        if (!decode_record(next)) break;
        left -= std::size_t(next.position() - bits.position()) >> 3;
        bits = next;
        decoded = true;
      } while (left >= longest_fast_record && made_ != handed_ + ring_slots);
      in.advance_to(bits);
      if (decoded) continue;
    }
    decode_record(in);
  }
  bits_.store(in);
}

void mh_swt_reader_t::throw_non_sequential(uint64_t piid) const
{
  throw std::runtime_error("Non-sequential uiids: cycle: " + std::to_string(cycle_) +
                           ", hart: " + std::to_string(hart_) + ", last issued uiid: 0x" +
                           hex(uint64_t(last_uiid_[hart_])) + ", current piid: 0x" + hex(piid));
}

void mh_swt_reader_t::throw_missing_issue(unsigned code, uint64_t piid) const
{
  std::printf("NOTE etrace/src/mh_swt_reader:270: %s: cycle: %llu, hid: %u, missing issue record "
              "for piid 0x%llx\n",
              mh_record_to_string(code).c_str(), static_cast<unsigned long long>(cycle_),
              unsigned(hart_), static_cast<unsigned long long>(piid));
  std::fflush(stdout);
  throw std::runtime_error("Missing issue record for piid: current record: " +
                           mh_record_to_string(code) + ", cycle: " + std::to_string(cycle_) +
                           ", hart: " + std::to_string(hart_) + ", piid: " + std::to_string(piid) +
                           ", last issued uiid: " + std::to_string(uint64_t(last_uiid_[hart_])));
}

void mh_swt_reader_t::throw_left_window(unsigned code, uint64_t piid) const
{
  throw std::runtime_error("Record for an instruction that has left the look-ahead window: "
                           "current record: " + mh_record_to_string(code) +
                           ", cycle: " + std::to_string(cycle_) +
                           ", hart: " + std::to_string(hart_) +
                           ", piid: " + std::to_string(piid) + ", window: " +
                           std::to_string(ring_slots) + " objects");
}

void mh_swt_reader_t::throw_unknown_header(unsigned code, const mh_bit_cursor_t& in) const
{
  throw std::runtime_error("Unknown header: " + std::to_string(code) +
                           " approximately at position " +
                           std::to_string(bits_.block_position(in)) + "!");
}

// ---------------------------------------------------------------------------
// Messages. A skipped message is decoded into scratch storage: that consumes
// exactly its fields.

// The shapes that L2T and DCT messages share, into either kind of message.
template <class message_t>
void mh_swt_reader_t::read_shared_shape(mh_bit_cursor_t& in, unsigned code, message_t& message)
{
  switch (mh_message_shape(code)) {
    case MH_SHAPE_RQ: read_rq(in, message.rq); break;
    case MH_SHAPE_WD: read_wd(in, message.wd); break;
    case MH_SHAPE_RS: read_rs(in, message.rs); break;
    case MH_SHAPE_RL: read_rl(in, message.rl); break;
    case MH_SHAPE_SR: read_sr(in, message.sr); break;
    default: break;
  }
}

mh_bit_cursor_t mh_swt_reader_t::read_l2t(mh_bit_cursor_t in, unsigned code)
{
  l2t_object_t* l2t = &scratch_.l2t;
  if (!skip_l2t_) l2t = &make_object(et_object_t::KIND_L2T).l2t;
  l2t->letter = uint8_t(code);  // the record letter is the header code
  l2t->cycle = cycle_;
  if (code == MH_SWT_L2T_HM2)
    read_hm2(in, l2t->hm2);
  else
    read_shared_shape(in, code, *l2t);
  return in;
}

mh_bit_cursor_t mh_swt_reader_t::read_dct(mh_bit_cursor_t in, unsigned code)
{
  dct_object_t* dct = &scratch_.dct;
  if (!skip_dct_) dct = &make_object(et_object_t::KIND_DCT).dct;
  dct->letter = uint8_t(code);
  dct->cycle = cycle_;
  if (code == MH_SWT_DCT_BRQ)
    read_brq(in, dct->brq);
  else if (code == MH_SWT_DCT_WUP)
    read_wup(in, dct->wup);
  else
    read_shared_shape(in, code, *dct);
  return in;
}

void mh_swt_reader_t::read_rq(mh_bit_cursor_t& in, l2t_rq_t& rq)
{
  rq.rid = uint8_t(in.get(rid_bits));
  rq.id = uint8_t(in.get(id_bits));
  rq.t = uint8_t(in.get(5));
  rq.a = in.get(address_bits);
  rq.f = uint8_t(in.get(7));
  rq.u = uint32_t(in.get(u_bits));
}

void mh_swt_reader_t::read_wd(mh_bit_cursor_t& in, l2t_wd_t& wd)
{
  wd.count = uint8_t(config_.wd_words);
  for (unsigned i = 0; i < config_.wd_words; ++i) wd.d[i] = in.get(data_word_bits);
  if (config_.poison_enable && config_.wd_words != 0)
    wd.psn = uint8_t(in.get(int(config_.wd_words)));
  if (config_.cn_width != 0) wd.cn = uint8_t(in.get(config_.cn_width));
}

void mh_swt_reader_t::read_rs(mh_bit_cursor_t& in, l2t_rs_t& rs)
{
  rs.rid = uint8_t(in.get(rid_bits));
  rs.mid = uint8_t(in.get(id_bits));
  rs.sid = uint8_t(in.get(sid_bits));
  rs.f = uint8_t(in.get(5));
}

void mh_swt_reader_t::read_rl(mh_bit_cursor_t& in, l2t_rl_t& rl)
{
  rl.id = uint8_t(in.get(id_bits));
}

void mh_swt_reader_t::read_sr(mh_bit_cursor_t& in, l2t_sr_t& sr)
{
  sr.m = uint8_t(in.get(sr_m_bits));
  sr.id = uint8_t(in.get(sr_id_bits));
  sr.t = uint8_t(in.get(3));
  sr.a = in.get(address_bits);
}

void mh_swt_reader_t::read_hm2_group(mh_bit_cursor_t& in, l2t_hm2_group_t& group)
{
  group.value4 = uint8_t(in.get(4));
  group.bit_a = uint8_t(in.get(1));
  group.bit_b = uint8_t(in.get(1));
  group.value8 = uint8_t(in.get(8));
}

void mh_swt_reader_t::read_hm2(mh_bit_cursor_t& in, l2t_hm2_t& hm2)
{
  hm2.id = uint8_t(in.get(hm2_id_bits));
  hm2.a = in.get(address_bits);
  hm2.op = uint16_t(in.get(13));
  hm2.ser = uint8_t(in.get(1));
  hm2.hv = uint8_t(in.get(1));
  read_hm2_group(in, hm2.hv_group);
  hm2.iv = uint8_t(in.get(1));
  read_hm2_group(in, hm2.iv_group);
  hm2.vca = in.get(address_bits);
  hm2.we0 = uint16_t(in.get(16));
  hm2.we1 = uint16_t(in.get(16));
  for (uint8_t& bit : hm2.fen) bit = uint8_t(in.get(1));
  hm2.fl[0] = uint8_t(in.get(1));
  hm2.fl[1] = uint8_t(in.get(1));
  hm2.fl[2] = uint8_t(in.get(8));
}

void mh_swt_reader_t::read_brq(mh_bit_cursor_t& in, dct_brq_t& brq)
{
  brq.hid = dct_hart_;
  brq.kl = uint8_t(in.get(1));
  brq.stlb = uint8_t(in.get(1));
  brq.op = uint8_t(in.get(3));
  brq.f = uint8_t(in.get(8));
  brq.a = in.get(address_bits);
  brq.wrd = in.get(data_word_bits);
  brq.wrm = uint8_t(in.get(8));
  brq.ldd = in.get(data_word_bits);
  brq.psn = uint8_t(in.get(2));
  brq.scf = uint8_t(in.get(1));
  brq.fs = uint8_t(in.get(3));
  brq.blk_valid = uint8_t(in.get(1));
  brq.blk_kind = uint8_t(in.get(2));
  brq.blk_id = uint8_t(in.get(6));
}

void mh_swt_reader_t::read_wup(mh_bit_cursor_t& in, dct_wup_t& wup)
{
  wup.hid = dct_hart_;
  wup.gv = uint8_t(in.get(1));
  wup.v = uint8_t(in.get(1));
  wup.v_data = uint8_t(in.get(6));
  wup.fs = uint8_t(in.get(3));
}
