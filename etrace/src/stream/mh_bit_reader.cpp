#include "stream/mh_bit_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "stream/et_huge_mapping.h"

// The input in a ring of chunk buffers, filled in order: by a helper thread
// for a regular file, on demand in the caller's thread for anything else (a
// pipe can block for good, and a thread blocked in it could not be stopped).
//
// Each buffer has room before its bytes for the unread rest of the chunk
// before (a decoder asks for at most 64 bits at a time, so that is less than
// head_bytes), and zero bytes after them, so that a 64-bit load (plus one
// byte) never leaves the buffer.
class mh_bit_reader_t::chunks_t {
public:
  static constexpr std::size_t head_bytes = 64;
  static constexpr std::size_t slack_bytes = 64;
  static constexpr std::size_t buffer_count = 3;
  static constexpr std::size_t stride = head_bytes + chunk_bytes + slack_bytes;

  struct chunk_t {
    uint8_t* data;     // the chunk's first byte, head_bytes into its buffer
    std::size_t size;  // bytes; fewer than chunk_bytes only in the last
    bool last;
  };

  chunks_t(FILE* input, const std::string& path, long start_offset)
      : input_(input),
        path_(path),
        start_offset_(start_offset),
        // One huge page where the system grants it: one page fault instead
        // of hundreds, each dearer than decoding a page of input.
        mapping_(buffer_count * stride),
        buffers_(reinterpret_cast<uint8_t*>(mapping_.data())) {
    static_assert(buffer_count * stride <= et_huge_mapping_t::huge_page,
                  "the buffers fit a huge page");
    struct stat status;
    if (fstat(fileno(input_), &status) == 0 && S_ISREG(status.st_mode)) {
      try {
        thread_ = std::thread(&chunks_t::read_ahead, this);
      } catch (const std::system_error&) {
        // No thread to be had: the chunks are read on demand.
      }
    }
  }

  ~chunks_t() {
    if (thread_.joinable()) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
      }
      changed_.notify_all();
      thread_.join();
    }
  }

  chunks_t(const chunks_t&) = delete;
  chunks_t& operator=(const chunks_t&) = delete;

  // The next chunk, in order; its buffer stays the caller's until release().
  // Throws the std::runtime_error of a failed read for the chunk it hit.
  chunk_t next() {
    // Nothing follows the last chunk or a failed read.
    if (error_) std::rethrow_exception(error_);
    if (ended_) return chunk_t{buffer(taken_), 0, true};
    const uint64_t k = taken_++;
    if (!thread_.joinable()) {
      read_chunk(k);
    } else {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return filled_ > k; });
    }
    const state_t& state = states_[k % buffer_count];
    ended_ = state.last;
    error_ = state.error;
    if (error_) std::rethrow_exception(error_);
    return chunk_t{buffer(k), state.size, state.last};
  }

  // Gives the oldest chunk taken back for reading into.
  void release() {
    if (!thread_.joinable()) {
      ++released_;
      return;
    }
    {
      std::lock_guard<std::mutex> lock(mutex_);
      ++released_;
    }
    changed_.notify_all();
  }

private:
  struct state_t {
    std::size_t size = 0;
    bool last = false;
    std::exception_ptr error;  // the read failed
  };

  uint8_t* buffer(uint64_t k) const { return buffers_ + (k % buffer_count) * stride + head_bytes; }

  // Reads chunk k into its buffer; true when more may follow.
  bool read_chunk(uint64_t k) {
    state_t& state = states_[k % buffer_count];
    uint8_t* data = buffer(k);
    state = state_t();
    errno = 0;
    const std::size_t got = fread(data, 1, chunk_bytes, input_);
    bytes_read_ += got;
    std::memset(data + got, 0, slack_bytes);
    state.size = got;
    if (got == chunk_bytes) return true;
    state.last = true;
    // A failing read is no end of the data: the rest of the trace is lost.
    if (ferror(input_)) {
      try {
        throw std::runtime_error("Error: fail to read trace file: " + path_ + " at position " +
                                 std::to_string(start_offset_ + long(bytes_read_)) + ": " +
                                 std::strerror(errno != 0 ? errno : EIO));
      } catch (...) {
        state.error = std::current_exception();
      }
    }
    return false;
  }

  // The helper thread: fills the buffers ahead of the decoder until the last
  // chunk or the reader goes away.
  void read_ahead() {
    for (uint64_t k = 0;; ++k) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return stopping_ || k < released_ + buffer_count; });
        if (stopping_) return;
      }
      const bool more = read_chunk(k);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        filled_ = k + 1;
      }
      changed_.notify_all();
      if (!more) return;
    }
  }

  FILE* const input_;
  const std::string path_;
  const long start_offset_;
  const et_huge_mapping_t mapping_;
  uint8_t* const buffers_;
  state_t states_[buffer_count];
  uint64_t bytes_read_ = 0;  // by read_chunk
  // The caller's thread only:
  uint64_t taken_ = 0;        // chunks handed out by next()
  bool ended_ = false;        // the last chunk has been handed out
  std::exception_ptr error_;  // the failed read

  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable changed_;
  uint64_t filled_ = 0;    // chunks read
  uint64_t released_ = 0;  // chunks given back
  bool stopping_ = false;
};

const uint8_t mh_bit_reader_t::no_data_[16] = {};

mh_bit_reader_t::mh_bit_reader_t(FILE* input, std::string path)
    : input_(input), path_(std::move(path)) {
  // A stream handed over part-way reports positions in the whole file; a pipe
  // has no position and counts from 0.
  start_offset_ = std::max(0L, ftell(input));
  chunks_.reset(new chunks_t(input_, path_, start_offset_));
}

void mh_bit_reader_t::rewind() {
  chunks_.reset();  // no read ahead while the stream moves
  clearerr(input_);
  if (fseek(input_, start_offset_, SEEK_SET) != 0)
    throw std::runtime_error("Error: fail to read trace file: " + path_ + " at position " +
                             std::to_string(start_offset_) + ": " + std::strerror(errno));
  data_ = no_data_;
  pos_ = end_ = 0;
  buffer_start_ = 0;
  at_eof_ = ended_ = holding_chunk_ = false;
  chunks_.reset(new chunks_t(input_, path_, start_offset_));
}

mh_bit_reader_t::~mh_bit_reader_t() = default;

mh_bit_cursor_t mh_bit_reader_t::fill(mh_bit_cursor_t cursor, unsigned n) {
  if (!at_eof_) {
    // Carry the unread bytes (the current partial byte included) over to
    // the front of the next chunk.
    const std::size_t first = cursor.pos_ >> 3;
    const std::size_t kept = (cursor.end_ >> 3) - first;
    const chunks_t::chunk_t chunk = chunks_->next();
    uint8_t* const data = chunk.data - kept;
    std::memcpy(data, cursor.data_ + first, kept);
    if (holding_chunk_) chunks_->release();  // the chunk before
    holding_chunk_ = true;
    buffer_start_ += first;
    cursor.data_ = data;
    cursor.pos_ &= 7;
    cursor.end_ = (kept + chunk.size) * 8;
    at_eof_ = chunk.last;
    store(cursor);
  }
  if (cursor.pos_ + n > cursor.end_) {
    // The bits left are lost: the data has ended for every read after this
    // one too, from whatever position it starts.
    cursor.pos_ = cursor.end_;
    store(cursor);
    ended_ = true;
    throw std::underflow_error("");
  }
  return cursor;
}

long mh_bit_reader_t::block_position(const mh_bit_cursor_t& cursor) const {
  const uint64_t bits_used = buffer_start_ * 8 + cursor.pos_;
  const uint64_t blocks = (bits_used + block_bytes * 8 - 1) / (block_bytes * 8);
  const uint64_t bytes_read = buffer_start_ + cursor.end_ / 8;
  return start_offset_ + long(std::min<uint64_t>(blocks * block_bytes, bytes_read));
}
