#pragma once
// Stream reader: decodes a binary trace record stream into trace objects and
// hands them out oldest first. Before it hands out an object it decodes
// until a full window of objects waits undelivered (or the data ends), so
// that the records following an instruction's issue record have completed
// the instruction before anybody sees it.
//
// The window is a ring of compact slots (et_record_decoder.h, where the
// records are decoded); the object handed out is one et_object_t of the
// reader's, expanded from the oldest slot. Where the decoding runs, in the
// caller's thread or ahead of it in helper threads for a regular file, is
// the decode-ahead's business (et_decode_ahead.h): every call finds the
// stream where a reader decoding in the caller's thread would stand.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "etrace/records/et_object.h"
#include "etrace/stream/et_reader.h"
#include "etrace/stream/et_record_decoder.h"
#include "etrace/stream/et_stream_geometry.h"

class mh_swt_reader_t : public et_reader_t {
public:
  // Objects decoded ahead: the look-ahead window.
  static constexpr std::size_t ring_slots = et_record_decoder_t::window;
  // Room beyond the window for a decoder thread to run ahead of the caller;
  // object number k lives in ring slot k mod ring_capacity.
  static constexpr std::size_t slack_slots = et_record_decoder_t::slack;
  static constexpr std::size_t ring_capacity = et_record_decoder_t::capacity;
  // Harts 0 to max_harts-1 can be selected.
  static constexpr unsigned max_harts = et_record_decoder_t::max_harts;
  // piids are 10 bits: the low bits of an instruction's uiid.
  static constexpr unsigned piid_count = et_record_decoder_t::piid_count;
  // One object of the window, as stored: three cache lines.
  using slot_t = et_record_decoder_t::slot_t;
  static constexpr std::size_t slot_bytes = sizeof(slot_t);

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
  // stream itself; after a record the reader cannot take, each throws its
  // error.
  // Decodes records until ring_slots objects wait undelivered or the data
  // ends (std::underflow_error).
  void parse_more();
  // The next n bits (1 to 64) of the stream, least-significant first. Throws
  // std::underflow_error with an empty text when fewer than n bits are left,
  // and at every call after; std::invalid_argument for n outside 1 to 64.
  uint64_t get_bits(int n);

private:
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
  // The decode-ahead over the decoder (mh_swt_reader.cpp).
  class ahead_t;

  static et_stream_geometry_t checked(const et_stream_geometry_t& geometry);
  // Starts the decoding: ahead of the caller for a regular file.
  void start_decoding();

  // Declared in this order so that the geometry is checked before the file
  // is opened.
  const et_stream_geometry_t geometry_;
  input_t input_;
  et_record_decoder_t decoder_;
  std::unique_ptr<ahead_t> ahead_;

  // The delivering side, the caller's, on cache lines of its own: a decoder
  // thread writes the decoder's fields.
  alignas(64) uint64_t handed_ = 0;  // objects handed out
  uint64_t next_call_ = 0;           // handed_ at which the decode-ahead is asked again
  // How far a reader decoding in the caller's thread would have decoded
  // after the calls so far: to this many objects (or the end).
  uint64_t decoded_to_ = 0;
  slot_t* hand_at_;  // the slot of object handed_
  // The uiid of each hart's next instruction handed out: instructions are
  // made, and handed out, in uiid order, so slots need not keep it.
  uint64_t next_uiid_out_[max_harts] = {};
  // The object handed out, and the kind it was last filled as.
  uint8_t expanded_kind_ = et_object_t::KIND_NONE;
  et_object_t object_;
};
