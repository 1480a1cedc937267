#include "etrace/stream/et_chunk_ring.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "etrace/stream/et_reader.h"

namespace {

// Whether fd is a regular file, and then its size past start_offset.
bool is_regular_file(int fd, long start_offset, uint64_t& bytes) {
  struct stat status;
  if (fd < 0 || fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) return false;
  bytes = status.st_size > start_offset ? uint64_t(status.st_size - start_offset) : 0;
  return true;
}

// The bytes that a stdio stream has taken from its descriptor and not yet
// handed out: read from the descriptor, they would be skipped.
std::size_t stdio_buffered(FILE* input) {
#ifdef __GLIBC__
  return std::size_t(input->_IO_read_end - input->_IO_read_ptr);
#else
  (void)input;
  return 0;
#endif
}

}  // namespace

et_chunk_ring_t::et_chunk_ring_t(FILE* input, const std::string& path, long start_offset)
    : input_(input),
      fd_(fileno(input)),
      source_(is_regular_file(fd_, start_offset, file_bytes_) ? source_t::regular_file
              : fd_ >= 0           ? source_t::pipe
                                   : source_t::stdio_stream),
      path_(path),
      start_offset_(start_offset),
      // One huge page where the system grants it: one page fault instead of
      // hundreds, each dearer than decoding a page of input.
      mapping_(buffer_count * stride),
      buffers_(reinterpret_cast<uint8_t*>(mapping_.data())) {
  static_assert(buffer_count * stride <= et_huge_mapping_t::huge_page,
                "the buffers fit a huge page");
}

void et_chunk_ring_t::start_read_ahead() {
  if (source_ != source_t::regular_file || taken_ != 0) return;
  // Without a thread to be had the chunks are read on demand.
  thread_.start([this] { read_ahead(); });
}

void et_chunk_ring_t::stop_read_ahead() {
  if (thread_.running()) given_back_count_.close();
  thread_.join();
}

et_chunk_ring_t::chunk_t et_chunk_ring_t::next() {
  // Nothing follows the last chunk or a failed read.
  if (error_) std::rethrow_exception(error_);
  if (ended_) return chunk_t{buffer(taken_), 0, true};
  // In a process forked from the one that read ahead, the chunks after those
  // taken are read again here: a regular file's chunks are whole, so chunk
  // k starts at byte k * chunk_bytes.
  if (thread_.left_behind()) {
    thread_.join();
    bytes_read_ = taken_ * chunk_bytes;
  }
  const uint64_t k = taken_++;
  if (thread_.running())
    filled_.wait_for(k + 1);
  else
    read_chunk(k);
  const state_t& state = states_[k % buffer_count];
  ended_ = state.last;
  error_ = state.error;
  if (error_) std::rethrow_exception(error_);
  return chunk_t{buffer(k), state.size, state.last};
}

void et_chunk_ring_t::release() {
  ++given_back_;
  if (thread_.running()) given_back_count_.publish(given_back_);
}

std::size_t et_chunk_ring_t::read_some(uint8_t* data, std::size_t n) {
  errno = 0;
  failed_ = false;
  switch (source_) {
    case source_t::regular_file: {
      // Whole chunks: as many bytes as asked for, up to the end of the file.
      std::size_t got = 0;
      while (got < n) {
        const ssize_t r =
            pread(fd_, data + got, n - got, off_t(start_offset_) + off_t(bytes_read_ + got));
        if (r > 0) {
          got += std::size_t(r);
        } else if (r == 0) {
          break;
        } else if (errno != EINTR) {
          failed_ = true;
          break;
        }
      }
      return got;
    }
    case source_t::pipe: {
      // What the caller's stdio stream already took from the pipe comes first.
      if (const std::size_t buffered = stdio_buffered(input_))
        return fread(data, 1, std::min(n, buffered), input_);
      for (;;) {
        const ssize_t r = read(fd_, data, n);
        if (r >= 0) return std::size_t(r);
        if (errno != EINTR) {
          failed_ = true;
          return 0;
        }
      }
    }
    case source_t::stdio_stream: {
      const std::size_t got = fread(data, 1, n, input_);
      failed_ = got < n && ferror(input_);
      return got;
    }
  }
  return 0;
}

bool et_chunk_ring_t::read_chunk(uint64_t k) {
  state_t& state = states_[k % buffer_count];
  uint8_t* data = buffer(k);
  state = state_t();
  const std::size_t got = read_some(data, chunk_bytes);
  const int read_errno = errno;
  bytes_read_ += got;
  std::memset(data + got, 0, slack_bytes);
  state.size = got;
  // A short chunk of a regular file or a stream is its last, as is an empty
  // one from a pipe.
  state.last = source_ == source_t::pipe ? got == 0 : got < chunk_bytes;
  if (!state.last) return true;
  // A failing read is no end of the data: the rest of the trace is lost.
  if (failed_) {
    try {
      throw et_reader_t::read_error(path_, uint64_t(start_offset_ + long(bytes_read_)),
                                    read_errno);
    } catch (...) {
      state.error = std::current_exception();
    }
  }
  return false;
}

void et_chunk_ring_t::read_ahead() {
  for (uint64_t k = 0;; ++k) {
    // Chunk k goes into the buffer of chunk k - buffer_count: wait until
    // that one is given back.
    if (k >= buffer_count) given_back_count_.wait_for(k - buffer_count + 1);
    if (given_back_count_.closed()) return;
    const bool more = read_chunk(k);
    filled_.publish(k + 1);
    if (!more) return;
  }
}
