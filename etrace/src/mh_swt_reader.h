#pragma once
// Stream reader: decodes a binary trace record stream into trace objects and
// hands them out oldest first. It decodes ahead until a full ring of objects
// waits undelivered, so that the records following an instruction's issue
// record have completed the instruction before anybody sees it.
#include <cstdint>
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "stream/et_reader.h"
#include "stream/mh_bit_reader.h"

class mh_swt_reader_t : public et_reader_t {
 public:
  // Objects decoded ahead; object number k lives in ring slot k mod ring_slots.
  static constexpr std::size_t ring_slots = 131072;
  // Harts 0 to max_harts-1 can be selected.
  static constexpr unsigned max_harts = 8;
  // piids are 10 bits: the low bits of an instruction's uiid.
  static constexpr unsigned piid_count = 1024;

  // Opens the trace file at path. hart_mask bit n selects hart n; the skip
  // flags drop RVT, L2T and DCT messages; the rest are the stream's widths and
  // cache-line geometry. Throws std::runtime_error for a configuration the
  // stream cannot have and when the file cannot be opened.
  mh_swt_reader_t(const std::string& path, unsigned long hart_mask, bool skip_rvt, bool skip_l2t,
                  bool skip_dct, int xlen, int flen, unsigned long paddr_width,
                  unsigned long irf_data_width, unsigned long cl_width, unsigned long cl_chunks,
                  bool poison_enable);
  // Reads an open stream, which stays the caller's.
  mh_swt_reader_t(FILE* file, unsigned long hart_mask, bool skip_rvt, bool skip_l2t, bool skip_dct,
                  int xlen, int flen, unsigned long paddr_width, unsigned long irf_data_width,
                  unsigned long cl_width, unsigned long cl_chunks, bool poison_enable);
  ~mh_swt_reader_t() override;

  // The oldest undelivered object, or null once the trace is exhausted. A
  // record the reader cannot take ends the parsing: the objects made before
  // it are handed out first, then every call throws its std::runtime_error.
  et_object_t* get_next_object() override;

 protected:
  // Allocates the piid tables of the selected harts and the zeroed ring.
  void init();
  // Decodes records until ring_slots objects wait undelivered or the data
  // ends (std::underflow_error).
  void parse_more();
  // The next n bits (1 to 64) of the stream.
  uint64_t get_bits(int n) { return bits_.get_bits(n); }

 private:
  // The stream's widths, checked before anything is opened.
  struct config_t {
    uint64_t xlen;
    uint64_t flen;
    uint64_t va_width;  // virtual addresses and program counters: XLEN
    uint64_t paddr_width;
    uint64_t irf_data_width;
    uint64_t std_width;  // store data: max(XLEN, FLEN)
    uint64_t cl_width;
    uint64_t cl_chunks;
    int cn_width;  // chunk-number bits: trailing zero bits of CL_CHUNKS
    unsigned wd_words;  // 64-bit words per cache-line chunk, 0 to 8
    bool poison_enable;
  };
  static config_t make_config(int xlen, int flen, unsigned long paddr_width,
                              unsigned long irf_data_width, unsigned long cl_width,
                              unsigned long cl_chunks, bool poison_enable);

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
  };

  // Where an open instruction of a hart lives: its slot and object number,
  // which tells whether the slot has been handed out (and reused) since.
  struct piid_entry_t {
    et_insn_t* insn;
    uint64_t object_number;
  };

  // The ring's memory is mapped, not allocated (see allocate_ring).
  struct ring_deleter_t {
    std::size_t bytes;
    void operator()(et_object_t* ring) const;
  };
  static std::unique_ptr<et_object_t[], ring_deleter_t> allocate_ring();

  // Objects ahead of the next one handed out whose slots are fetched into
  // the caches.
  static constexpr uint64_t prefetch_distance = 4;
  void prefetch_slot(uint64_t object_number) const;
  et_object_t& make_object(uint8_t kind);
  void select_hart(unsigned hart);

  // The longest record that decode_record reads unchecked, in bytes:
  // SWT_CM with a 64-bit program counter (8 + 10 + 64 + 10 bits).
  static constexpr std::size_t longest_fast_record = 12;

  // The records, decoded inside parse_more's loop from a checked cursor or
  // from unchecked bits (mh_bit_reader.h); false when the unchecked bits
  // leave the record to the cursor.
  template <class bits_t>
  bool decode_record(bits_t& in);
  template <class bits_t>
  void read_issue(bits_t& in);
  // Reads the piid of instruction record `code` and returns its open
  // instruction; throws when there is none or it has left the ring.
  template <class bits_t>
  et_insn_t& open_insn(bits_t& in, unsigned code);
  template <class bits_t>
  void read_insn_record(bits_t& in, unsigned code);
  [[noreturn]] void throw_non_sequential(uint64_t piid) const;
  [[noreturn]] void throw_missing_issue(unsigned code, uint64_t piid) const;
  [[noreturn]] void throw_left_window(unsigned code, uint64_t piid) const;
  [[noreturn]] void throw_unknown_header(unsigned code, const mh_bit_cursor_t& in) const;

  // The messages, out of the hot loop: they take the cursor and return it.
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

  // Declared in this order so that the configuration is checked before the
  // file is opened.
  const config_t config_;
  input_t input_;
  unsigned long hart_mask_;
  bool skip_rvt_;
  bool skip_l2t_;
  bool skip_dct_;
  mh_bit_reader_t bits_;

  // Payload bits after the header code of the instruction records 33 to 46,
  // consumed whole for a hart that is not selected.
  uint64_t insn_payload_bits_[14];

  uint8_t hart_ = 0;          // current hart
  bool hart_skipped_;         // the current hart is not selected
  uint8_t dct_hart_ = 0;      // current DCT hart
  uint64_t cycle_ = 0;        // running cycle
  int64_t last_uiid_[max_harts];
  std::unique_ptr<piid_entry_t[]> piid_tables_[max_harts];  // null for unselected harts

  std::unique_ptr<et_object_t[], ring_deleter_t> ring_;
  uint64_t made_ = 0;    // objects made
  uint64_t handed_ = 0;  // objects handed out
  // The error of the record that ended the parsing, thrown once the objects
  // before it are handed out.
  std::exception_ptr failure_;

  // Decoding scratch for messages that are skipped.
  et_object_t scratch_;
};
