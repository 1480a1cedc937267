#pragma once
// Stream reader: decodes a binary trace record stream into trace objects and
// hands them out oldest first. It decodes ahead until a full window of
// objects waits undelivered, so that the records following an instruction's
// issue record have completed the instruction before anybody sees it.
//
// The window is a ring of compact slots (slot_t, 192 bytes: an instruction
// without its disassembly fields and with its register numbers in bytes, or
// a message); the object handed out is one et_object_t of the reader's,
// expanded from the oldest slot.
//
// A regular file is decoded by a thread of the reader's, ahead of the caller,
// from the reader's construction on (et_decode_ahead.h, where the reader's
// helper threads live): object k is released to the caller once the window
// after it is full, that is once object k + ring_slots - 1 has been made,
// exactly as the caller would have found it decoding in its own thread, and
// the ring has room for slack_slots objects more so that the decoder need
// not wait for every object handed out. Records that reach an instruction
// after its release are treated as if it had been handed out. Any other
// input (a pipe, a stream in memory) is decoded in the caller's thread at
// each call: a thread blocked in a pipe could not be stopped.
//
// A caller that takes bits or parses itself (get_bits, parse_more) finds the
// stream exactly where a reader decoding in the caller's thread would stand,
// and the reader decodes in the caller's thread from then on. The decoder
// thread has run ahead by then, so the reader stops it and reads the file
// again from the start up to that point: a cost of the calls already made,
// paid once (next to nothing before the first get_next_object()).
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "records/et_object.h"
#include "stream/et_decode_ahead.h"
#include "stream/et_huge_mapping.h"
#include "stream/et_page_populator.h"
#include "stream/et_reader.h"
#include "stream/et_stream_geometry.h"
#include "stream/et_wire_format.h"
#include "stream/mh_bit_reader.h"

class mh_swt_reader_t : public et_reader_t, private et_decode_ahead_t::decoder_i {
public:
  // Objects decoded ahead: the look-ahead window.
  static constexpr std::size_t ring_slots = 131072;
  // Room beyond the window for a decoder thread to run ahead of the caller;
  // object number k lives in ring slot k mod ring_capacity.
  static constexpr std::size_t slack_slots = 10240;
  static constexpr std::size_t ring_capacity = ring_slots + slack_slots;
  // Harts 0 to max_harts-1 can be selected.
  static constexpr unsigned max_harts = 8;
  // piids are 10 bits: the low bits of an instruction's uiid.
  static constexpr unsigned piid_count = 1024;

  // Opens the trace file at path. hart_mask bit n selects hart n; the skip
  // flags drop RVT, L2T and DCT messages. Throws std::runtime_error for a
  // geometry the stream cannot have (et_stream_geometry_t::check), before
  // the file is opened, and when the file cannot be opened.
  mh_swt_reader_t(const std::string& path, unsigned long hart_mask, bool skip_rvt, bool skip_l2t,
                  bool skip_dct, const et_stream_geometry_t& geometry);
  // Reads an open stream, which stays the caller's.
  mh_swt_reader_t(FILE* file, unsigned long hart_mask, bool skip_rvt, bool skip_l2t, bool skip_dct,
                  const et_stream_geometry_t& geometry);
  // The same with the geometry's values one by one.
  mh_swt_reader_t(const std::string& path, unsigned long hart_mask, bool skip_rvt, bool skip_l2t,
                  bool skip_dct, int xlen, int flen, unsigned long paddr_width,
                  unsigned long irf_data_width, unsigned long cl_width, unsigned long cl_chunks,
                  bool poison_enable);
  mh_swt_reader_t(FILE* file, unsigned long hart_mask, bool skip_rvt, bool skip_l2t, bool skip_dct,
                  int xlen, int flen, unsigned long paddr_width, unsigned long irf_data_width,
                  unsigned long cl_width, unsigned long cl_chunks, bool poison_enable);
  ~mh_swt_reader_t() override;

  // The oldest undelivered object, or null once the trace is exhausted. A
  // record the reader cannot take ends the parsing: the objects made before
  // it are handed out first, then every call throws its std::runtime_error.
  // The object is the reader's and stays valid until the next call; every
  // field the stream did not deliver is zero.
  et_object_t* get_next_object() override;

  // The steps beneath get_next_object(), for a caller that takes part of the
  // stream itself (see above).
  // Decodes records until ring_slots objects wait undelivered or the data
  // ends (std::underflow_error).
  void parse_more();
  // The next n bits (1 to 64) of the stream, least-significant first. Throws
  // std::underflow_error with an empty text when fewer than n bits are left,
  // and at every call after; std::invalid_argument for n outside 1 to 64.
  uint64_t get_bits(int n);

  // One object of the window, as stored: the payload of a message as it is
  // handed out, or an instruction in the fields below. An instruction's uiid
  // is not stored: each hart's instructions are made, and handed out, in uiid
  // order, so the reader counts them as it hands them out.
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
  // Three cache lines.
  static constexpr std::size_t slot_bytes = sizeof(slot_t);

protected:
  // Allocates the piid tables of the selected harts and the zeroed ring.
  void init();

private:
  // Decodes records until `target` objects have been made, the data ends
  // (std::underflow_error) or the decoder thread is being stopped.
  void parse_until(uint64_t target);
  // What the decoder thread drives.
  void decode_until(uint64_t target) override { parse_until(target); }
  uint64_t made() const override { return made_; }
  void decoding_failed(std::exception_ptr error) override { fail(error); }

  // The file and its descriptor; closed on destruction when owned.
  struct input_t {
    explicit input_t(const std::string& path);  // opens and owns
    explicit input_t(FILE* stream);             // borrows
    ~input_t();
    input_t(const input_t&) = delete;
    input_t& operator=(const input_t&) = delete;

    int fd = -1;
    FILE* file = nullptr;
    bool owned = false;
    // The size of a regular file; -1 for anything else (a pipe, a stream in
    // memory), which is read in the caller's thread.
    long long regular_size = -1;
  };

  // Where an open instruction of a hart lives: its slot and object number,
  // which tells whether the slot has been handed out (and reused) since.
  struct piid_entry_t {
    slot_t* slot;
    uint64_t object_number;
  };

  // The helper threads of a regular file, started as the constructor's last
  // step: the read-ahead of its chunks, the populator of the ring's pages
  // that the trace can fill (see the definition), and the decoder.
  void start_helper_threads();
  // Objects the caller hands out between two publications of its progress.
  static constexpr uint64_t hand_batch = 256;
  // A failure met while decoding, kept for the call that reaches it.
  void fail(std::exception_ptr error);
  // Writes the NOTE line of the failure on standard output, once.
  void write_note();
  // After a failure that the calls so far have met, throws it.
  void rethrow_failure_met() const;
  // Before a step of the caller's own: from now on the decoding is the
  // caller's, and stands where it would have stood in the caller's thread.
  void take_over_decoding();
  // Stops the decoder thread and decodes the stream again from its start up
  // to caller_target_.
  void redecode_in_callers_thread();

  static et_stream_geometry_t checked(const et_stream_geometry_t& geometry);

  // Objects ahead of the next one handed out, or made, whose slots are
  // fetched into the caches.
  static constexpr uint64_t prefetch_distance = 8;
  // The slot of the object n after the one in slot `at`; a pointer each for
  // the next object made and handed out walks the ring, instead of a
  // division per object.
  slot_t* slot_after(slot_t* at, std::size_t n) const {
    at += n;
    return at >= ring_ + ring_capacity ? at - ring_capacity : at;
  }
  // Fetches the slot prefetch_distance after `at` into the caches, for
  // reading or for writing.
  template <int for_writing>
  void prefetch_ahead(slot_t* at) const;
  slot_t& make_slot(uint8_t kind);
  // Fills object_ from a slot.
  void expand(const slot_t& slot);
  void expand_insn(const slot_t& slot);
  void select_hart(unsigned hart);

  // The records, decoded inside parse_more's loop from a checked cursor or
  // from unchecked bits (mh_bit_reader.h).
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
  // instruction handed out (or released) already gets scratch_, where the
  // record is dropped.
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

  // The L2T and DCT messages, out of the hot loop (mh_swt_messages.cpp):
  // they take the cursor and return it. An RVT record is one field, read in
  // the hot loop.
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

  // Three groups of fields, each on cache lines of its own: with a decoder
  // thread, the decoding and the delivering side each write theirs alone.
  //
  // Set up by the constructor and only read afterwards; declared in this
  // order so that the geometry is checked before the file is opened.
  const et_stream_geometry_t geometry_;
  const et_wire_format_t wire_;
  input_t input_;
  unsigned long hart_mask_;
  bool skip_rvt_;
  bool skip_l2t_;
  bool skip_dct_;
  // Where the decoding runs: in the decoder thread for a regular file, until
  // a step of the caller's own; in the caller's thread for anything else.
  enum class decoding_t : uint8_t { callers_thread, decoder_thread };
  decoding_t decoding_ = decoding_t::callers_thread;
  // Payload bits of the instruction records 33 to 46, consumed whole for a
  // hart that is not selected.
  uint64_t insn_payload_bits_[14];
  // The longest record that decode_record reads unchecked, in bytes: the
  // longest that is not a message (SWT_CM with a 64-bit program counter).
  std::size_t longest_fast_record_;
  std::unique_ptr<et_huge_mapping_t> ring_memory_;
  slot_t* ring_ = nullptr;
  et_page_populator_t populator_;  // of ring_memory_

  // The decoding side.
  alignas(64) mh_bit_reader_t bits_;
  uint8_t hart_ = 0;           // current hart
  uint8_t dct_hart_ = 0;       // current DCT hart
  uint64_t cycle_ = 0;         // running cycle
  uint64_t made_ = 0;          // objects made
  slot_t* make_at_ = nullptr;  // the slot of object made_
  int64_t last_uiid_[max_harts];
  std::unique_ptr<piid_entry_t[]> piid_tables_[max_harts];  // null for unselected harts
  piid_entry_t* piid_table_;  // the current hart's; null when it is not selected
  // The error of the record that ended the parsing, thrown once the objects
  // before it are handed out.
  std::exception_ptr failure_;
  bool note_written_ = false;  // the NOTE line is on standard output
  // The NOTE line of a missing issue record, written at the start of the
  // call that decoded the record (or would have, without the decoder
  // thread): once note_call_ objects have been handed out.
  std::string note_;
  uint64_t note_call_ = 0;
  // Decoding scratch for messages that are skipped and records that come
  // too late.
  slot_t scratch_;

  // The delivering side: the caller's.
  alignas(64) uint64_t handed_ = 0;  // objects handed out
  slot_t* hand_at_ = nullptr;        // the slot of object handed_
  // The uiid of each hart's next instruction handed out: instructions are
  // made, and handed out, in uiid order, so slots need not keep it.
  uint64_t next_uiid_out_[max_harts];
  uint64_t released_seen_ = 0;  // objects released by the decoder thread, as last seen
  // How far a reader decoding in the caller's thread would have decoded
  // after the calls so far: to this many objects (or the end).
  uint64_t caller_target_ = 0;
  // The caller knows that the decoding has ended (the data, or a record
  // that failed).
  bool ended_ = false;
  // The object handed out, and the kind it was last filled as.
  uint8_t expanded_kind_ = et_object_t::KIND_NONE;
  et_object_t object_;

  // The decoder thread; last, so that it is stopped before anything it
  // works on goes.
  et_decode_ahead_t decode_ahead_{ring_slots, ring_capacity};
};
