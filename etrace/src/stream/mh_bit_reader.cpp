#include "stream/mh_bit_reader.h"

#include <algorithm>
#include <cerrno>

mh_bit_reader_t::mh_bit_reader_t(FILE* input, std::string path)
    : input_(input),
      path_(std::move(path)),
      buffer_(new uint8_t[buffer_bytes + slack_bytes]())
{
  // A stream handed over part-way reports positions in the whole file; a pipe
  // has no position and counts from 0.
  start_offset_ = std::max(0L, ftell(input_));
}

mh_bit_cursor_t mh_bit_reader_t::fill(mh_bit_cursor_t cursor, unsigned n)
{
  if (!at_eof_) {
    // Keep the unread bytes (the current partial byte included) and top the
    // buffer up behind them.
    const std::size_t first = cursor.pos_ >> 3;
    const std::size_t kept = (cursor.end_ >> 3) - first;
    std::memmove(buffer_.get(), buffer_.get() + first, kept);
    buffer_start_ += first;
    cursor.pos_ &= 7;
    const std::size_t wanted = buffer_bytes - kept;
    errno = 0;
    const std::size_t got = fread(buffer_.get() + kept, 1, wanted, input_);
    if (got < wanted) {
      // A failing read is no end of the data: the rest of the trace is lost.
      if (ferror(input_))
        throw std::runtime_error("Error: fail to read trace file: " + path_ + " at position " +
                                 std::to_string(start_offset_ + long(buffer_start_ + kept + got)) +
                                 ": " + std::strerror(errno != 0 ? errno : EIO));
      at_eof_ = true;
    }
    cursor.end_ = (kept + got) * 8;
    std::memset(buffer_.get() + kept + got, 0, slack_bytes);
    store(cursor);
  }
  if (cursor.pos_ + n > cursor.end_) {
    ended_ = true;
    throw std::underflow_error("");
  }
  return cursor;
}

long mh_bit_reader_t::block_position(const mh_bit_cursor_t& cursor) const
{
  const uint64_t bits_used = buffer_start_ * 8 + cursor.pos_;
  const uint64_t blocks = (bits_used + block_bytes * 8 - 1) / (block_bytes * 8);
  const uint64_t bytes_read = buffer_start_ + cursor.end_ / 8;
  return start_offset_ + long(std::min<uint64_t>(blocks * block_bytes, bytes_read));
}
