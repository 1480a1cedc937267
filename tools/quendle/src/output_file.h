#pragma once
// quendle's output file. Records are built in place, straight into a block
// of the file's buffer, and the blocks are written out whole: by a thread of
// the file's own, beside the formatting, unless the format asks for every
// record to reach the file at once (then each flush writes in the caller's
// thread). Copying a listing into the system's file cache is a good part of
// the time it takes to make it.
//
// A failed write (a full disk) is remembered: what follows is built but goes
// nowhere, and close() reports the failure.
#include <atomic>
#include <cstddef>
#include <ios>
#include <ostream>
#include <streambuf>
#include <string>
#include <thread>

#include "etrace/formatters/et_buffered_formatter.h"
#include "etrace/stream/et_huge_mapping.h"
#include "etrace/stream/et_progress_counter.h"

class output_file_t {
public:
  // Opens (creates or truncates) the file at path; throws std::runtime_error
  // "cannot open output file '<path>': <reason>". Appends for std::ios::app.
  // With background, a thread writes the blocks.
  output_file_t(const std::string& path, std::ios::openmode mode, bool background);
  // Writes out what is left, without reporting; close() reports.
  ~output_file_t();
  output_file_t(const output_file_t&) = delete;
  output_file_t& operator=(const output_file_t&) = delete;

  // One record, built by the formatter in place. Once the file has failed
  // the record is still built, so that a record the formatter refuses is
  // reported as such, but goes nowhere.
  void write_record(et_buffered_formatter_t& formatter, const et_insn_t& insn);
  void write(const char* data, std::size_t n);
  // Everything so far reaches the file before this returns.
  void flush();
  // Flushes and closes the file; a write that failed is an error, not
  // success: std::runtime_error "cannot write output file '<path>': <reason>".
  void close();

  // The size of a block, written out with one system call.
  static constexpr std::size_t block_bytes = 512 * 1024;

private:
  static constexpr std::size_t block_count = 4;

  // Room for n more bytes in the current block, handing it over when it has
  // less; null once the file has failed.
  char* room(std::size_t n);
  char* block(uint64_t k) const { return blocks_.data() + (k % block_count) * block_bytes; }
  // Hands the current block over to be written and starts the next.
  void hand_over();
  // Writes a block of n bytes to the file, unless a write has failed
  // before (so that the file holds no gap); remembers a failure.
  void write_block(const char* data, std::size_t n);
  void write_blocks();  // the writer thread
  void stop_writer();

  const std::string path_;
  int fd_ = -1;
  const et_huge_mapping_t blocks_;
  uint64_t current_ = 0;  // the block being filled
  std::size_t used_ = 0;  // bytes in it
  // Remembers the first failure and its reason (an errno value).
  void fail(int error);

  // A write failed, in whichever thread writes; the reason is read only
  // once that thread has ended.
  std::atomic<bool> failed_{false};
  int failure_ = 0;
  // With the writer thread: blocks handed over, and blocks written, and the
  // sizes of the blocks handed over.
  std::size_t sizes_[block_count] = {};
  et_progress_counter_t handed_;
  et_progress_counter_t written_;
  std::thread writer_;
};

// A standard output stream onto an output file, for a formatter that writes
// to a stream: what it writes goes into the file's blocks at once, in order
// with what is written to the file directly, and a flush of the stream
// flushes the file.
class output_file_stream_t : public std::ostream {
public:
  explicit output_file_stream_t(output_file_t& file);

private:
  class buffer_t : public std::streambuf {
  public:
    explicit buffer_t(output_file_t& file) : file_(file) {}

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

  private:
    output_file_t& file_;
  };

  buffer_t buffer_;
};
