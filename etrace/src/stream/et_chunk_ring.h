#pragma once
// The input of the stream reader in a ring of chunk buffers, taken in order.
//
// A regular file is read by position (pread), in whole chunks, and can be
// read ahead by a thread of its own once start_read_ahead() has run: copying
// a trace out of the system's file cache is a good part of the time it takes
// to decode it. Reading by position leaves the file offset, which a process
// forked from the reader's shares, alone. A pipe or FIFO is read for what it
// holds: a chunk may be short, and a read waits only when nothing is there,
// so a reader of a live producer gets the records as they come. A stream
// without a descriptor (in memory) is read through stdio.
//
// Each buffer has room before its bytes for the unread rest of the chunk
// before (less than head_bytes: a decoder asks for at most 64 bits at a
// time), and zero bytes after them, so that a 64-bit load (plus one byte)
// never leaves the buffer.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#include "etrace/stream/et_helper_thread.h"
#include "etrace/stream/et_huge_mapping.h"
#include "etrace/stream/et_progress_counter.h"

class et_chunk_ring_t {
public:
  static constexpr std::size_t chunk_bytes = 512 * 1024;
  static constexpr std::size_t head_bytes = 64;
  static constexpr std::size_t slack_bytes = 64;
  static constexpr std::size_t buffer_count = 3;
  static constexpr std::size_t stride = head_bytes + chunk_bytes + slack_bytes;

  struct chunk_t {
    uint8_t* data;     // the chunk's first byte, head_bytes into its buffer
    std::size_t size;  // bytes; fewer than chunk_bytes in the last, or from a pipe
    bool last;         // nothing follows
  };

  // Reads input from start_offset, where it stands; path names the file in
  // error texts.
  et_chunk_ring_t(FILE* input, const std::string& path, long start_offset);
  ~et_chunk_ring_t() { stop_read_ahead(); }
  et_chunk_ring_t(const et_chunk_ring_t&) = delete;
  et_chunk_ring_t& operator=(const et_chunk_ring_t&) = delete;

  // Reads ahead in a thread, for a regular file; nothing taken yet. Without
  // a thread to be had the chunks are read on demand.
  void start_read_ahead();
  // A thread of this process reads ahead.
  bool reading_ahead() const { return thread_.running(); }
  // The input is a regular file: it can be read ahead, and read again.
  bool reads_regular_file() const { return source_ == source_t::regular_file; }
  // A regular file's bytes from where it is read on, as it stood when the
  // ring was made; 0 for other inputs.
  uint64_t file_bytes() const { return file_bytes_; }

  // The next chunk, in order; its buffer stays the caller's until release().
  // Throws the std::runtime_error of a failed read for the chunk it hit.
  chunk_t next();
  // Gives the oldest chunk taken back for reading into.
  void release();

private:
  // How the input is read (see above).
  enum class source_t { regular_file, pipe, stdio_stream };

  struct state_t {
    std::size_t size = 0;
    bool last = false;
    std::exception_ptr error;  // the read failed
  };

  uint8_t* buffer(uint64_t k) const { return buffers_ + (k % buffer_count) * stride + head_bytes; }
  // Reads chunk k into its buffer; true when more may follow.
  bool read_chunk(uint64_t k);
  // Up to n bytes into data as the source gives them: 0 only at the end of
  // the data, or after a failed read (errno set).
  std::size_t read_some(uint8_t* data, std::size_t n);
  // The thread: fills the buffers ahead of the caller until the last chunk
  // or until it is stopped.
  void read_ahead();
  void stop_read_ahead();

  FILE* const input_;
  const int fd_;
  uint64_t file_bytes_ = 0;  // before source_, which finds it
  const source_t source_;
  const std::string path_;
  const long start_offset_;
  const et_huge_mapping_t mapping_;
  uint8_t* const buffers_;
  // Chunk k's state: written by whoever reads the chunk, before it counts
  // the chunk filled.
  state_t states_[buffer_count];
  uint64_t bytes_read_ = 0;  // by read_chunk
  bool failed_ = false;      // by read_some: the last read failed

  // The side that takes the chunks: the decoder, whichever thread it runs
  // in (one at a time, handed over by a join).
  uint64_t taken_ = 0;        // chunks handed out by next()
  uint64_t given_back_ = 0;   // chunks released
  bool ended_ = false;        // the last chunk has been handed out
  std::exception_ptr error_;  // the failed read

  et_progress_counter_t filled_;            // chunks read, raised by the thread
  et_progress_counter_t given_back_count_;  // raised by the caller; closed to stop the thread
  et_helper_thread_t thread_;
};
