#pragma once
// The record decoder of the stream reader: decodes the binary trace record
// stream, record by record, into the compact slots of a ring of objects,
// completing each instruction in its slot as its records arrive, and expands
// a slot into the et_object_t that a caller is handed. Single-threaded: the
// stream reader drives it (mh_swt_reader.h), in its caller's thread or in the
// thread of its decode-ahead (et_decode_ahead.h), one at a time.
//
// Objects are numbered from 0 in the order they are made; object k lives in
// slot k mod capacity. A record for an instruction reaches its slot until
// the window from it on is full (object k + window - 1 made); then the
// instruction counts as handed out: a record for it arriving just then is
// dropped, and one arriving later fails.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "etrace/records/et_object.h"
#include "etrace/stream/et_huge_mapping.h"
#include "etrace/stream/et_stream_geometry.h"
#include "etrace/stream/et_wire_format.h"
#include "etrace/stream/mh_bit_reader.h"

class et_record_decoder_t {
public:
  // Objects decoded ahead: the look-ahead window.
  static constexpr std::size_t window = 131072;
  // Room beyond the window for a decoder thread to run ahead of the caller.
  static constexpr std::size_t slack = 10240;
  static constexpr std::size_t capacity = window + slack;
  // Harts 0 to max_harts-1 can be selected.
  static constexpr unsigned max_harts = 8;
  // piids are 10 bits: the low bits of an instruction's uiid.
  static constexpr unsigned piid_count = 1024;

  // One object of the ring, as stored: the payload of a message as it is
  // handed out, or an instruction in the fields below. An instruction's uiid
  // is not stored: each hart's instructions are made, and handed out, in uiid
  // order, so whoever hands them out counts them.
  struct alignas(64) slot_t {
    // The eight-byte fields of an instruction, with the register values by
    // operand (rs1, rs2, rs3, rsd, rd, frs1, frs2, frs3, frd).
    struct insn_t {
      uint64_t issue_cycle, read_cycle, write_cycle, commit_cycle;
      uint64_t pc, chunk;
      uint64_t ea, va_cycle, pa, pa_cycle, sd, sd_cycle, fr_cycle;
      uint64_t data[9];
    };
    union {
      insn_t insn;
      rvt_object_t rvt;
      l2t_object_t l2t;
      dct_object_t dct;
    };
    uint32_t state;   // instruction: hart, pril and the valid bits (state_* in the source)
    uint16_t cm;      // instruction: the commit flags, as in the stream
    uint8_t addr[9];  // instruction: the register numbers by operand
    uint8_t kind;     // et_object_t::kind_t
  };

  // Decodes input from where it stands; path names it in error texts. The
  // geometry has been checked (et_stream_geometry_t::check). hart_mask bit n
  // selects hart n; the skip flags drop RVT, L2T and DCT messages.
  et_record_decoder_t(FILE* input, const std::string& path, const et_stream_geometry_t& geometry,
                      unsigned long hart_mask, bool skip_rvt, bool skip_l2t, bool skip_dct);
  ~et_record_decoder_t();
  et_record_decoder_t(const et_record_decoder_t&) = delete;
  et_record_decoder_t& operator=(const et_record_decoder_t&) = delete;

  // Decodes records until `target` objects have been made, the data ends
  // (std::underflow_error) or about `rounds` runs of records have been read
  // (a run: the records of one loaded stretch of input, or one message);
  // true when the target is reached. A record it cannot take throws its
  // std::runtime_error, with the NOTE line of a missing issue record kept
  // for take_note(); the decoder is not to be used further then.
  bool decode_until(uint64_t target, uint64_t rounds = ~uint64_t(0));
  uint64_t made() const { return made_; }
  // The next n bits (1 to 64) of the stream, as get_bits of the reader.
  uint64_t get_bits(int n) { return bits_.get_bits(n); }
  // The NOTE line of the failure thrown last, once; empty for none.
  std::string take_note();
  // Back to the start of the stream with nothing made, for a regular file.
  void restart();
  // Reads a regular file ahead in a helper thread from now on.
  void start_read_ahead() { bits_.start_read_ahead(); }
  // The input is a regular file: it can be decoded ahead, and again.
  bool reads_regular_file() const { return bits_.reads_regular_file(); }
  // The ring's bytes from its start that decoding a regular file can fill:
  // each object takes at least the shortest record that makes one. 0 for
  // other inputs.
  std::size_t ring_bytes_to_fill() const;

  // The ring, walked by a pointer: the slot of the object n after the one in
  // slot `at`, without a division per object.
  slot_t* ring() const { return ring_; }
  slot_t* slot_after(slot_t* at, std::size_t n) const {
    at += n;
    return at >= ring_ + capacity ? at - capacity : at;
  }
  // Fetches the slot a few objects after `at` into the caches, for reading
  // or for writing.
  template <int for_writing>
  void prefetch_ahead(slot_t* at) const {
    const char* slot = reinterpret_cast<const char*>(slot_after(at, prefetch_distance));
    for (std::size_t offset = 0; offset < sizeof(slot_t); offset += 64)
      __builtin_prefetch(slot + offset, for_writing);
  }

  // The hart of an instruction's slot: the low bits of its state.
  static unsigned hart_of(const slot_t& slot) { return slot.state & (max_harts - 1); }
  // Fills object from a slot; an instruction gets uiid. expanded_kind is the
  // kind object was last filled as (KIND_NONE at first), kept by the caller:
  // after an instruction only the fields an instruction has are rewritten.
  void expand(const slot_t& slot, uint64_t uiid, et_object_t& object, uint8_t& expanded_kind) const;

private:
  // Where an open instruction of a hart lives: its slot and object number,
  // which tells whether the slot has been handed out (and reused) since.
  struct piid_entry_t {
    slot_t* slot;
    uint64_t object_number;
  };

  // Objects ahead of the next one handed out, or made, whose slots are
  // fetched into the caches.
  static constexpr uint64_t prefetch_distance = 8;

  // Nothing decoded yet.
  void reset();
  slot_t& make_slot(uint8_t kind);
  void expand_insn(const slot_t& slot, et_insn_t& insn) const;
  void select_hart(unsigned hart);

  // The records, decoded inside decode_until's loop from a checked cursor
  // or from unchecked bits (mh_bit_reader.h).
  enum class decoded_t {
    left,    // the unchecked bits leave the record to the cursor
    record,  // decoded
    object,  // decoded, and an object made
  };
  template <class bits_t>
  decoded_t decode_record(bits_t& in);
  template <class bits_t>
  uint64_t field(bits_t& in, const et_wire_field_t& f) const {
    return in.get(int(wire_.bits(f)));
  }
  template <class bits_t>
  void read_issue(bits_t& in);
  // Reads the piid of instruction record `code` and returns its open
  // instruction; throws when there is none or it has left the window. An
  // instruction handed out already gets scratch_, where the record is
  // dropped.
  template <class bits_t>
  slot_t& open_insn(bits_t& in, unsigned code);
  template <unsigned code, class bits_t>
  void read_insn_record(bits_t& in);
  template <unsigned code, class bits_t>
  decoded_t insn_record(bits_t& in);
  [[noreturn]] void throw_non_sequential(uint64_t piid) const;
  [[noreturn]] void throw_missing_issue(unsigned code, uint64_t piid);
  [[noreturn]] void throw_left_window(unsigned code, uint64_t piid) const;
  [[noreturn]] void throw_unknown_header(unsigned code, const mh_bit_cursor_t& in) const;

  // The L2T and DCT messages, out of the hot loop
  // (et_record_decoder_messages.cpp): they take the cursor and return it.
  // An RVT record is one field, read in the hot loop.
  mh_bit_cursor_t read_l2t(mh_bit_cursor_t in, unsigned code);
  mh_bit_cursor_t read_dct(mh_bit_cursor_t in, unsigned code);
  template <class message_t>
  void read_shared_shape(mh_bit_cursor_t& in, unsigned code, message_t& message);
  void read_rq(mh_bit_cursor_t& in, l2t_rq_t& rq);
  void read_wd(mh_bit_cursor_t& in, l2t_wd_t& wd);
  void read_rs(mh_bit_cursor_t& in, l2t_rs_t& rs);
  void read_rl(mh_bit_cursor_t& in, l2t_rl_t& rl);
  void read_sr(mh_bit_cursor_t& in, l2t_sr_t& sr);
  void read_hm2(mh_bit_cursor_t& in, l2t_hm2_t& hm2);
  void read_hm2_group(mh_bit_cursor_t& in, l2t_hm2_group_t& group);
  void read_brq(mh_bit_cursor_t& in, dct_brq_t& brq);
  void read_wup(mh_bit_cursor_t& in, dct_wup_t& wup);

  // Two groups of fields, each on cache lines of its own: a decoder thread
  // writes the decoding's while the caller reads the first group (the ring)
  // at every object it hands out.
  //
  // Set up by the constructor and only read afterwards.
  const et_stream_geometry_t geometry_;
  const et_wire_format_t wire_;
  const unsigned long hart_mask_;
  const bool skip_rvt_;
  const bool skip_l2t_;
  const bool skip_dct_;
  // Payload bits of the instruction records 33 to 46, consumed whole for a
  // hart that is not selected.
  uint64_t insn_payload_bits_[14];
  // The longest record that decode_record reads unchecked, in bytes: the
  // longest that is not a message (SWT_CM with a 64-bit program counter).
  std::size_t longest_fast_record_ = 0;
  // The shortest record that makes an object, in bytes.
  std::size_t shortest_object_record_ = ~std::size_t(0);
  std::unique_ptr<et_huge_mapping_t> ring_memory_;
  slot_t* ring_ = nullptr;

  // The decoding.
  alignas(64) mh_bit_reader_t bits_;
  uint8_t hart_ = 0;           // current hart
  uint8_t dct_hart_ = 0;       // current DCT hart
  uint64_t cycle_ = 0;         // running cycle
  uint64_t made_ = 0;          // objects made
  slot_t* make_at_ = nullptr;  // the slot of object made_
  int64_t last_uiid_[max_harts];
  std::unique_ptr<piid_entry_t[]> piid_tables_[max_harts];  // null for unselected harts
  piid_entry_t* piid_table_;  // the current hart's; null when it is not selected
  // The NOTE line of a missing issue record, for take_note().
  std::string note_;
  // Decoding scratch for messages that are skipped and records that come
  // too late.
  slot_t scratch_;
};
