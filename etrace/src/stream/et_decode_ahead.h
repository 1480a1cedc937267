#pragma once
// The helper threads of the stream reader, for a trace in a regular file:
// the read-ahead of input chunks (et_chunk_ring.h), the populator of the
// reader's window (et_page_populator.h) and the decoder that runs ahead of
// the caller (here). A pipe or a stream gets none of them: a thread blocked
// reading one could not be stopped.
//
// The threads and the caller meet only in progress counters
// (et_progress_counter.h): each side raises its own count and waits on the
// other's, and closing the count a thread waits on (or polls) stops it.
// Every thread belongs to one class, which its owner starts once it is
// built and which stops and joins it when destroyed, so that no thread
// outlives what it works on and no throwing constructor leaves one running;
// after fork() the child's copy forgets it (et_helper_thread.h).
#include <cstdint>
#include <exception>

#include "stream/et_helper_thread.h"
#include "stream/et_progress_counter.h"

// A decoder that runs ahead of its caller in a thread, making objects
// numbered from 0 into a ring of `capacity` objects: object k is released to
// the caller once `window` objects have been made from it on (object k +
// window - 1), which is how far a caller decoding in its own thread would
// have decoded when it takes object k; the rest of the ring, the slack, lets
// the decoder run on while the caller has not yet taken what it was given.
class et_decode_ahead_t {
public:
  // What the thread drives.
  class decoder_i {
  public:
    // Decodes until `target` objects have been made, the data ends
    // (std::underflow_error) or stopping() turns true.
    virtual void decode_until(uint64_t target) = 0;
    // Objects made so far.
    virtual uint64_t made() const = 0;
    // The decoding ended with this error (not the end of the data): called
    // in the thread before the caller learns that the decoding has ended.
    virtual void decoding_failed(std::exception_ptr error) = 0;

  protected:
    ~decoder_i() = default;
  };

  et_decode_ahead_t(uint64_t window, uint64_t capacity) : window_(window), capacity_(capacity) {}
  ~et_decode_ahead_t() { stop(); }
  et_decode_ahead_t(const et_decode_ahead_t&) = delete;
  et_decode_ahead_t& operator=(const et_decode_ahead_t&) = delete;

  // Objects released to the caller once `made` objects have been made.
  uint64_t released_at(uint64_t made) const { return made >= window_ ? made - window_ + 1 : 0; }

  // Starts the thread on decoder, which stands at 0 objects made; false
  // when no thread can be had (the caller then decodes itself).
  bool start(decoder_i& decoder);
  // The thread was started in a process this one was forked from: it is
  // not here, and what it left is unfinished.
  bool left_behind() const { return thread_.left_behind(); }
  // Stops the thread where it stands and joins it; the decoder is the
  // caller's again.
  void stop();
  // For the decoder's loop: the thread is being stopped.
  bool stopping() const { return handed_out_.closed(); }

  // The caller's side, with `handed` objects taken so far. Returns the
  // objects released, at least handed + 1 unless the decoding has ended;
  // then sets ended, and the count, and what decoding_failed left, are final.
  uint64_t wait_for_release(uint64_t handed, bool& ended);
  // Tells the decoder that `handed` objects have been taken: it may wait
  // for the room.
  void handed_out(uint64_t handed) {
    // A thread left behind by fork() waits on nothing here.
    if (thread_.running()) handed_out_.publish(handed);
  }

private:
  // Objects the decoder makes between two publications of its progress.
  static constexpr uint64_t decode_batch = 4096;

  void run(decoder_i& decoder);

  const uint64_t window_;
  const uint64_t capacity_;
  et_progress_counter_t released_;    // raised by the thread, closed at its end
  et_progress_counter_t handed_out_;  // raised by the caller, closed to stop the thread
  et_helper_thread_t thread_;
};
