#include "etrace/stream/mh_bit_reader.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "etrace/stream/et_chunk_ring.h"

const uint8_t mh_bit_reader_t::no_data_[16] = {};

mh_bit_reader_t::mh_bit_reader_t(FILE* input, std::string path)
    : input_(input), path_(std::move(path)) {
  // A stream handed over part-way reports positions in the whole file; a pipe
  // has no position and counts from 0.
  start_offset_ = std::max(0L, ftell(input));
  chunks_.reset(new et_chunk_ring_t(input_, path_, start_offset_));
}

void mh_bit_reader_t::start_read_ahead() { chunks_->start_read_ahead(); }

bool mh_bit_reader_t::reads_regular_file() const { return chunks_->reads_regular_file(); }

uint64_t mh_bit_reader_t::file_bytes() const { return chunks_->file_bytes(); }

void mh_bit_reader_t::rewind() {
  const bool reading_ahead = chunks_->reading_ahead();
  chunks_.reset();
  data_ = no_data_;
  pos_ = end_ = 0;
  buffer_start_ = 0;
  at_eof_ = holding_chunk_ = false;
  chunks_.reset(new et_chunk_ring_t(input_, path_, start_offset_));
  if (reading_ahead) chunks_->start_read_ahead();
}

mh_bit_reader_t::~mh_bit_reader_t() = default;

mh_bit_cursor_t mh_bit_reader_t::fill(mh_bit_cursor_t cursor, unsigned n) {
  // A chunk from a pipe holds what was there, which may be less than n bits.
  while (!at_eof_ && cursor.pos_ + n > cursor.end_) {
    // Carry the unread bytes (the current partial byte included) over to
    // the front of the next chunk.
    const std::size_t first = cursor.pos_ >> 3;
    const std::size_t kept = (cursor.end_ >> 3) - first;
    const et_chunk_ring_t::chunk_t chunk = chunks_->next();
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
