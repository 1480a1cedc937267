#pragma once
// The helper threads of the stream reader, for a trace in a regular file:
// the read-ahead of input chunks, the populator of the reader's window and
// the decoder that runs ahead of the caller. A pipe or a stream gets none of
// them: a thread blocked reading one could not be stopped.
//
// The threads and the caller meet only in progress counters
// (et_progress_counter.h): each side raises its own count and waits on the
// other's, and closing the count a thread waits on (or polls) stops it.
// Every thread belongs to one of the classes below, which its owner starts
// once it is built and which stops and joins it when destroyed, so that no
// thread outlives what it works on and no throwing constructor leaves one
// running.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>

#include "stream/et_huge_mapping.h"
#include "stream/et_progress_counter.h"

// The input in a ring of chunk buffers, taken in order: read ahead by a
// thread of its own once start_read_ahead() has run, else read on demand in
// the caller's thread.
//
// Each buffer has room before its bytes for the unread rest of the chunk
// before (less than head_bytes: a decoder asks for at most 64 bits at a
// time), and zero bytes after them, so that a 64-bit load (plus one byte)
// never leaves the buffer.
class et_chunk_ring_t {
public:
  static constexpr std::size_t chunk_bytes = 512 * 1024;
  static constexpr std::size_t head_bytes = 64;
  static constexpr std::size_t slack_bytes = 64;
  static constexpr std::size_t buffer_count = 3;
  static constexpr std::size_t stride = head_bytes + chunk_bytes + slack_bytes;

  struct chunk_t {
    uint8_t* data;     // the chunk's first byte, head_bytes into its buffer
    std::size_t size;  // bytes; fewer than chunk_bytes only in the last
    bool last;
  };

  // Reads input from where it stands; path and start_offset name the file
  // and the position where reading began in error texts.
  et_chunk_ring_t(FILE* input, const std::string& path, long start_offset);
  ~et_chunk_ring_t() { stop_read_ahead(); }
  et_chunk_ring_t(const et_chunk_ring_t&) = delete;
  et_chunk_ring_t& operator=(const et_chunk_ring_t&) = delete;

  // Reads ahead in a thread, for a regular file; nothing taken yet. Without
  // a thread to be had the chunks are read on demand.
  void start_read_ahead();
  bool reading_ahead() const { return thread_.joinable(); }

  // The next chunk, in order; its buffer stays the caller's until release().
  // Throws the std::runtime_error of a failed read for the chunk it hit.
  chunk_t next();
  // Gives the oldest chunk taken back for reading into.
  void release();

private:
  struct state_t {
    std::size_t size = 0;
    bool last = false;
    std::exception_ptr error;  // the read failed
  };

  uint8_t* buffer(uint64_t k) const { return buffers_ + (k % buffer_count) * stride + head_bytes; }
  // Reads chunk k into its buffer; true when more may follow.
  bool read_chunk(uint64_t k);
  // The thread: fills the buffers ahead of the caller until the last chunk
  // or until it is stopped.
  void read_ahead();
  void stop_read_ahead();

  FILE* const input_;
  const std::string path_;
  const long start_offset_;
  const et_huge_mapping_t mapping_;
  uint8_t* const buffers_;
  // Chunk k's state: written by whoever reads the chunk, before it counts
  // the chunk filled.
  state_t states_[buffer_count];
  uint64_t bytes_read_ = 0;  // by read_chunk

  // The side that takes the chunks: the decoder, whichever thread it runs
  // in (one at a time, handed over by a join).
  uint64_t taken_ = 0;        // chunks handed out by next()
  uint64_t given_back_ = 0;   // chunks released
  bool ended_ = false;        // the last chunk has been handed out
  std::exception_ptr error_;  // the failed read

  et_progress_counter_t filled_;    // chunks read, raised by the thread
  et_progress_counter_t released_;  // raised by the caller; closed to stop the thread
  std::thread thread_;
};

// Faults in the pages of a fresh mapping ahead of its first writer, in a
// thread: the system zeroes each page at its first touch, which on a
// virtual machine costs more than filling it.
class et_page_populator_t {
public:
  et_page_populator_t() = default;
  ~et_page_populator_t() { stop(); }
  et_page_populator_t(const et_page_populator_t&) = delete;
  et_page_populator_t& operator=(const et_page_populator_t&) = delete;

  // Populates bytes [from, to) of memory, a huge page at a time; does
  // nothing without a thread to be had or on a system that cannot.
  void start(char* memory, std::size_t from, std::size_t to);
  // Stops between two pages and joins.
  void stop();

private:
  et_progress_counter_t stop_;  // closed to stop
  std::thread thread_;
};

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
  bool running() const { return thread_.joinable(); }
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
  void handed_out(uint64_t handed) { handed_out_.publish(handed); }

private:
  // Objects the decoder makes between two publications of its progress.
  static constexpr uint64_t decode_batch = 4096;

  void run(decoder_i& decoder);

  const uint64_t window_;
  const uint64_t capacity_;
  et_progress_counter_t released_;    // raised by the thread, closed at its end
  et_progress_counter_t handed_out_;  // raised by the caller, closed to stop the thread
  std::thread thread_;
};
