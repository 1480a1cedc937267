#include "stream/et_decode_ahead.h"

#include <algorithm>
#include <stdexcept>

// ---------------------------------------------------------------------------
// Decoding ahead

bool et_decode_ahead_t::start(decoder_i& decoder) {
  if (handed_out_.closed()) return false;
  return thread_.start([this, &decoder] { run(decoder); });
}

void et_decode_ahead_t::stop() {
  // Wakes a decoder waiting for room, and stops it.
  if (thread_.running()) handed_out_.close();
  thread_.join();
}

// Decodes in batches, publishing after each how far the caller may read;
// waits while the ring is full of objects the caller has not taken, until
// half the slack is free again.
void et_decode_ahead_t::run(decoder_i& decoder) {
  const uint64_t slack = capacity_ - window_;
  uint64_t handed_seen = 0;
  try {
    while (!stopping()) {
      const uint64_t made = decoder.made();
      if (made == handed_seen + capacity_) {
        handed_seen = handed_out_.wait_for(made - capacity_ + slack / 2);
        continue;
      }
      decoder.decode_until(std::min(handed_seen + capacity_, made + decode_batch));
      released_.publish(released_at(decoder.made()));
      handed_seen = handed_out_.load();
    }
    return;  // stopped: nobody reads on
  } catch (const std::underflow_error&) {
    // The end of the data: everything made is released.
  } catch (...) {
    decoder.decoding_failed(std::current_exception());
  }
  released_.close_at(decoder.made());
}

uint64_t et_decode_ahead_t::wait_for_release(uint64_t handed, bool& ended) {
  handed_out_.publish(handed);  // the decoder may be waiting for this room
  uint64_t released = released_.wait_for(handed + 1);
  // Once the decoder has ended, its last count is final, and what it left
  // is the caller's to read.
  if (released_.closed()) {
    released = released_.final_count();
    ended = true;
  }
  return released;
}
