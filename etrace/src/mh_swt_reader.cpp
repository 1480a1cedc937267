#include "etrace/mh_swt_reader.h"

#include <stdexcept>

#include "etrace/stream/et_decode_ahead.h"

// The decode-ahead, and the decoder as it drives it.
class mh_swt_reader_t::ahead_t final : private et_decode_ahead_t::decoder_i {
public:
  explicit ahead_t(et_record_decoder_t& decoder)
      : decoder_(decoder), ahead(*this, ring_slots, ring_capacity) {}

private:
  et_record_decoder_t& decoder_;  // before ahead, which starts on it

public:
  et_decode_ahead_t ahead;

private:
  bool decode_until(uint64_t target, uint64_t rounds) override {
    return decoder_.decode_until(target, rounds);
  }
  uint64_t made() const override { return decoder_.made(); }
  std::string take_note() override { return decoder_.take_note(); }
  void restart() override { decoder_.restart(); }
  void start_read_ahead() override { decoder_.start_read_ahead(); }
  memory_t memory_to_fill() const override {
    return {reinterpret_cast<char*>(decoder_.ring()), decoder_.ring_bytes_to_fill()};
  }
};

// ---------------------------------------------------------------------------
// Construction

mh_swt_reader_t::input_t::input_t(const std::string& path)
    : file(open_trace(path, fd)), owned(true) {}

mh_swt_reader_t::input_t::input_t(FILE* stream) : file(stream) {
  if (file == nullptr) throw std::invalid_argument("mh_swt_reader_t: null trace stream");
}

mh_swt_reader_t::input_t::~input_t() {
  if (owned) fclose(file);  // closes fd too
}

et_stream_geometry_t mh_swt_reader_t::checked(const et_stream_geometry_t& geometry) {
  geometry.check();
  return geometry;
}

mh_swt_reader_t::mh_swt_reader_t(const std::string& path, unsigned long hart_mask, bool skip_rvt,
                                 bool skip_l2t, bool skip_dct, const et_stream_geometry_t& geometry)
    : et_reader_t(path),
      geometry_(checked(geometry)),
      input_(path),
      decoder_(input_.file, path, geometry_, hart_mask, skip_rvt, skip_l2t, skip_dct),
      ahead_(std::make_unique<ahead_t>(decoder_)),
      hand_at_(decoder_.ring()) {
  start_decoding();
}

mh_swt_reader_t::mh_swt_reader_t(FILE* file, unsigned long hart_mask, bool skip_rvt, bool skip_l2t,
                                 bool skip_dct, const et_stream_geometry_t& geometry)
    : et_reader_t("unknown"),
      geometry_(checked(geometry)),
      input_(file),
      decoder_(input_.file, "unknown", geometry_, hart_mask, skip_rvt, skip_l2t, skip_dct),
      ahead_(std::make_unique<ahead_t>(decoder_)),
      hand_at_(decoder_.ring()) {
  start_decoding();
}

mh_swt_reader_t::mh_swt_reader_t(const std::string& path, unsigned long hart_mask, bool skip_rvt,
                                 bool skip_l2t, bool skip_dct, int xlen, int flen,
                                 unsigned long paddr_width, unsigned long irf_data_width,
                                 unsigned long cl_width, unsigned long cl_chunks,
                                 bool poison_enable)
    : mh_swt_reader_t(path, hart_mask, skip_rvt, skip_l2t, skip_dct,
                      et_stream_geometry_t{xlen, flen, paddr_width, irf_data_width, cl_width,
                                           cl_chunks, poison_enable}) {}

mh_swt_reader_t::mh_swt_reader_t(FILE* file, unsigned long hart_mask, bool skip_rvt, bool skip_l2t,
                                 bool skip_dct, int xlen, int flen, unsigned long paddr_width,
                                 unsigned long irf_data_width, unsigned long cl_width,
                                 unsigned long cl_chunks, bool poison_enable)
    : mh_swt_reader_t(file, hart_mask, skip_rvt, skip_l2t, skip_dct,
                      et_stream_geometry_t{xlen, flen, paddr_width, irf_data_width, cl_width,
                                           cl_chunks, poison_enable}) {}

// A constructor's last step: nothing throws after it.
void mh_swt_reader_t::start_decoding() { ahead_->ahead.start(decoder_.reads_regular_file()); }

// The decode-ahead's threads stop before the decoder they work on goes.
mh_swt_reader_t::~mh_swt_reader_t() { ahead_.reset(); }

// ---------------------------------------------------------------------------
// The calls

et_object_t* mh_swt_reader_t::get_next_object() {
  decoded_to_ = handed_ + ring_slots;
  if (handed_ == next_call_) {
    et_decode_ahead_t& ahead = ahead_->ahead;
    const uint64_t available = ahead.ready(handed_);
    next_call_ = ahead.next_call();
    if (handed_ == available) {
      ahead.rethrow_failure();
      return nullptr;
    }
  }
  const slot_t& slot = *hand_at_;
  const uint64_t uiid = slot.kind == et_object_t::KIND_INSN
                            ? next_uiid_out_[et_record_decoder_t::hart_of(slot)]++
                            : 0;
  decoder_.expand(slot, uiid, object_, expanded_kind_);
  ++handed_;
  hand_at_ = decoder_.slot_after(hand_at_, 1);
  // A slot is handed out long after it was made, a whole window (24 MB) of
  // writes later, so it has left the caches. Fetching it a few objects ahead
  // hides the memory latency from expand.
  decoder_.prefetch_ahead<0>(hand_at_);
  return &object_;
}

// A direct call may take the decoding over: the next get_next_object asks
// the decode-ahead again.
void mh_swt_reader_t::parse_more() {
  next_call_ = handed_;
  ahead_->ahead.parse_more(handed_, decoded_to_);
}

uint64_t mh_swt_reader_t::get_bits(int n) {
  if (n < 1 || n > 64)
    throw std::invalid_argument("mh_swt_reader_t::get_bits: " + std::to_string(n) +
                                " bits asked for, 1 to 64 can be had");
  next_call_ = handed_;
  ahead_->ahead.take_over(decoded_to_);
  return decoder_.get_bits(n);
}
