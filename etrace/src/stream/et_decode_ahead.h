#pragma once
// The decode-ahead of the stream reader: when and where its decoder runs,
// and what each of the reader's calls finds.
//
// The reader's algorithm decodes in the caller's thread: before object k is
// handed out, objects are made until k + window of them exist or the data
// ends; a direct parse_more() decodes the same way, and get_bits() takes
// bits where that decoding stands. A pipe or a stream is decoded so, at each
// call. A trace in a regular file is decoded by a thread from the start,
// ahead of the caller, with its input read ahead by one thread more
// (et_chunk_ring.h) and the memory it decodes into faulted in by a third
// (et_page_populator.h): object k is released to the caller once the
// window after it is full (object k + window - 1 made), exactly as the
// caller's own decoding would have left it, and the rest of the ring, the
// slack, lets the thread run on while the caller has not yet taken what it
// was given.
// Records that reach an instruction after its release are treated as if it
// had been handed out.
//
// A direct call (parse_more, get_bits) takes the decoding over: the thread
// has run ahead of where the caller's thread would stand, so it is stopped
// and the stream is decoded again from the start up to that point (decoding
// the same bytes gives the same objects): a cost of the calls already made,
// paid once. The same happens when the thread is not there to wait for, in
// a process forked from the reader's (et_helper_thread.h).
//
// A record the decoder cannot take ends the decoding like the end of the
// data: the objects made before it are still handed out, then its error is
// thrown, and from the moment the caller's own decoding would have met it,
// every direct call throws it too. Its NOTE line goes to standard output at
// that moment, before the error leaves the reader, once.
//
// The threads and the caller meet only in progress counters
// (et_progress_counter.h): each side raises its own count and waits on the
// other's, and closing the count a thread waits on (or polls) stops it.
// Every thread belongs to one class, which stops and joins it when
// destroyed, so that no thread outlives what it works on.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "etrace/stream/et_helper_thread.h"
#include "etrace/stream/et_page_populator.h"
#include "etrace/stream/et_progress_counter.h"

class et_decode_ahead_t {
public:
  // The decoder it drives, one thread at a time.
  class decoder_i {
  public:
    // Decodes until `target` objects have been made, the data ends
    // (std::underflow_error) or about `rounds` runs of records have been
    // read; true when the target is reached. Any other exception is a
    // record that cannot be taken, after which the decoder is not used
    // until restart().
    virtual bool decode_until(uint64_t target, uint64_t rounds) = 0;
    // Objects made so far.
    virtual uint64_t made() const = 0;
    // The NOTE line of the error thrown last, once; empty for none.
    virtual std::string take_note() = 0;
    // Back to the start of the data, nothing made.
    virtual void restart() = 0;
    // Reads the input ahead in a thread of its own from now on.
    virtual void start_read_ahead() = 0;
    // The memory that decoding the input writes, from its start on a huge
    // page boundary as far as the input can fill it (et_page_populator.h).
    struct memory_t {
      char* data;
      std::size_t bytes;
    };
    virtual memory_t memory_to_fill() const = 0;

  protected:
    ~decoder_i() = default;
  };

  // Objects are made into a ring of `capacity`, handed out `window` behind.
  et_decode_ahead_t(decoder_i& decoder, uint64_t window, uint64_t capacity);
  ~et_decode_ahead_t();
  et_decode_ahead_t(const et_decode_ahead_t&) = delete;
  et_decode_ahead_t& operator=(const et_decode_ahead_t&) = delete;

  // For a regular file (any other input is decoded in the caller's
  // thread): starts the threads. The decoder stands at 0 objects made.
  void start(bool regular_file);

  // The step of get_next_object with `handed` objects handed out so far:
  // the count of objects that may be handed out now. When it is no more
  // than handed, the decoding has ended: rethrow_failure(), then the end.
  uint64_t ready(uint64_t handed);
  // After ready(): the objects handed out at which the next get_next_object
  // calls it again; the calls before hand out their objects without it.
  uint64_t next_call() const { return next_call_; }
  // Throws the error that ended the decoding, if one did.
  void rethrow_failure() const;
  // Before the caller takes bits: from now on the decoding is the caller's,
  // and stands where it would have stood in the caller's thread, which has
  // decoded up to `decoded_to` objects at the calls so far (the last
  // ready()'s handed + window, 0 before the first). Throws the error that
  // decoding has met.
  void take_over(uint64_t decoded_to);
  // parse_more: takes over, then decodes in the caller's thread until
  // handed + window objects have been made or the data ends
  // (std::underflow_error).
  void parse_more(uint64_t handed, uint64_t decoded_to);

  // Objects released to the caller once `made` objects have been made.
  uint64_t released_at(uint64_t made) const { return made >= window_ ? made - window_ + 1 : 0; }

private:
  // Objects the thread makes between two publications of its progress, and
  // the caller hands out between two of its own.
  static constexpr uint64_t decode_batch = 4096;
  static constexpr uint64_t hand_batch = 256;
  // Runs of records the thread reads between two looks at whether it is
  // being stopped.
  static constexpr uint64_t rounds_between_stops = 64;

  // The thread's loop.
  void run();
  void stop_thread();
  // Waits for objects past handed; sets ended_ when the thread has ended.
  uint64_t wait_for_release(uint64_t handed);
  // Stops the thread and decodes again from the start to caller_target_.
  void redecode_in_callers_thread();
  // Decodes in the caller's thread up to target; the end of the data or a
  // failure ends the decoding.
  void decode_in_callers_thread(uint64_t target);
  // A failure met with `made` objects made, kept for the calls that reach it.
  void fail(std::exception_ptr error);
  // Writes the NOTE line on standard output, once.
  void write_note();

  decoder_i& decoder_;
  const uint64_t window_;
  const uint64_t capacity_;

  // The caller's side.
  bool in_thread_ = false;      // the thread decodes, from start() to a take-over
  bool ended_ = false;          // the caller knows that the decoding has ended
  uint64_t released_seen_ = 0;  // objects released by the thread, as last seen
  // How far the caller's own decoding would have gone after the calls so
  // far: to this many objects (or the end).
  uint64_t caller_target_ = 0;
  uint64_t next_call_ = 0;
  bool note_written_ = false;

  // What ended the decoding: written by whoever decodes, and read by the
  // caller once it knows that the decoding has ended.
  std::exception_ptr failure_;
  // The failure's NOTE line, written once note_call_ objects have been
  // handed out: at the call that the caller's own decoding meets it in.
  std::string note_;
  uint64_t note_call_ = 0;

  et_progress_counter_t released_;    // raised by the thread, closed at its end
  et_progress_counter_t handed_out_;  // raised by the caller, closed to stop the thread
  et_page_populator_t populator_;
  et_helper_thread_t thread_;         // last: stopped before the rest goes
};
