#include "etrace/stream/et_decode_ahead.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

et_decode_ahead_t::et_decode_ahead_t(decoder_i& decoder, uint64_t window, uint64_t capacity)
    : decoder_(decoder), window_(window), capacity_(capacity) {}

et_decode_ahead_t::~et_decode_ahead_t() { stop_thread(); }

// Only for a regular file: a read from it always returns, so the threads can
// always be stopped.
void et_decode_ahead_t::start(bool regular_file) {
  if (!regular_file || thread_.running()) return;
  decoder_.start_read_ahead();
  const decoder_i::memory_t memory = decoder_.memory_to_fill();
  populator_.start(memory.data, memory.bytes);
  // Decoding from now on, while the program sets up, is a head start.
  in_thread_ = thread_.start([this] { run(); });
}

void et_decode_ahead_t::stop_thread() {
  // Wakes a decoder waiting for room, and stops it; one left behind by
  // fork() waits on nothing here.
  if (thread_.running()) handed_out_.close();
  thread_.join();
}

// Decodes in batches, publishing after each how far the caller may read;
// waits while the ring is full of objects the caller has not taken, until
// half the slack is free again.
void et_decode_ahead_t::run() {
  const uint64_t slack = capacity_ - window_;
  uint64_t handed_seen = 0;
  try {
    while (!handed_out_.closed()) {
      const uint64_t made = decoder_.made();
      if (made == handed_seen + capacity_) {
        handed_seen = handed_out_.wait_for(made - capacity_ + slack / 2);
        continue;
      }
      decoder_.decode_until(std::min(handed_seen + capacity_, made + decode_batch),
                            rounds_between_stops);
      released_.publish(released_at(decoder_.made()));
      handed_seen = handed_out_.load();
    }
    return;  // stopped: nobody reads on
  } catch (const std::underflow_error&) {
    // The end of the data: everything made is released.
  } catch (...) {
    fail(std::current_exception());
  }
  released_.close_at(decoder_.made());
}

uint64_t et_decode_ahead_t::wait_for_release(uint64_t handed) {
  handed_out_.publish(handed);  // the thread may be waiting for this room
  uint64_t released = released_.wait_for(handed + 1);
  // Once the thread has ended, its last count is final, and what it left is
  // the caller's to read.
  if (released_.closed()) {
    released = released_.final_count();
    ended_ = true;
  }
  return released;
}

uint64_t et_decode_ahead_t::ready(uint64_t handed) {
  if (in_thread_) {
    caller_target_ = handed + window_;
    if (handed == released_seen_ && !ended_) {
      // In a process forked from the reader's the thread is not there to
      // wait for: the decoding goes on in this thread.
      if (thread_.left_behind())
        redecode_in_callers_thread();
      else
        released_seen_ = wait_for_release(handed);
    } else if (handed % hand_batch == 0 && thread_.running()) {
      handed_out_.publish(handed);
    }
  }
  uint64_t available = released_seen_;
  if (!in_thread_) {
    if (!ended_) decode_in_callers_thread(handed + window_);
    available = decoder_.made();
  }
  if (ended_ && handed >= note_call_) write_note();
  // The caller's own decoding runs at every call; the thread's released
  // objects are handed out without one, up to the next publication of the
  // caller's progress or the NOTE line's call.
  if (available <= handed) {
    next_call_ = handed;
  } else if (!in_thread_) {
    next_call_ = handed + 1;
  } else {
    next_call_ = std::min(available, (handed / hand_batch + 1) * hand_batch);
    // The thread's failure is the caller's to read once the decoding ended.
    if (ended_ && !note_.empty())
      next_call_ = std::min(next_call_, std::max(note_call_, handed + 1));
  }
  return available;
}

void et_decode_ahead_t::rethrow_failure() const {
  if (failure_) std::rethrow_exception(failure_);
}

void et_decode_ahead_t::parse_more(uint64_t handed, uint64_t decoded_to) {
  take_over(decoded_to);
  try {
    decoder_.decode_until(handed + window_, ~uint64_t(0));
  } catch (const std::underflow_error&) {
    ended_ = true;
    throw;
  } catch (...) {
    fail(std::current_exception());
    ended_ = true;
    write_note();
    throw;
  }
}

// In the caller's thread an error is met when it is decoded: it stands for
// every direct call from then on, and nothing is decoded past it.
void et_decode_ahead_t::take_over(uint64_t decoded_to) {
  if (in_thread_) {
    caller_target_ = decoded_to;
    redecode_in_callers_thread();
  }
  rethrow_failure();
}

// The objects handed out so far and the caller's count of them stay as they
// are.
void et_decode_ahead_t::redecode_in_callers_thread() {
  stop_thread();
  in_thread_ = false;
  decoder_.restart();
  failure_ = nullptr;
  note_.clear();
  ended_ = false;
  decode_in_callers_thread(caller_target_);
  if (note_written_) note_.clear();  // the calls so far have written it
}

void et_decode_ahead_t::decode_in_callers_thread(uint64_t target) {
  try {
    decoder_.decode_until(target, ~uint64_t(0));
  } catch (const std::underflow_error&) {
    // The end of the data: what the ring holds is still handed out.
    ended_ = true;
  } catch (...) {
    fail(std::current_exception());
    ended_ = true;
  }
}

// The NOTE line belongs to the call that the caller's own decoding finds
// the record in: the one that hands out object made - window + 1.
void et_decode_ahead_t::fail(std::exception_ptr error) {
  failure_ = error;
  note_ = decoder_.take_note();
  note_call_ = released_at(decoder_.made());
}

void et_decode_ahead_t::write_note() {
  if (note_.empty()) return;
  std::fputs(note_.c_str(), stdout);
  std::fflush(stdout);
  note_.clear();
  note_written_ = true;
}
