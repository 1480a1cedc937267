#include "stream/et_decode_ahead.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <system_error>

// ---------------------------------------------------------------------------
// Chunk read-ahead

et_chunk_ring_t::et_chunk_ring_t(FILE* input, const std::string& path, long start_offset)
    : input_(input),
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
  struct stat status;
  if (thread_.joinable() || taken_ != 0 || fstat(fileno(input_), &status) != 0 ||
      !S_ISREG(status.st_mode))
    return;
  try {
    thread_ = std::thread(&et_chunk_ring_t::read_ahead, this);
  } catch (const std::system_error&) {
    // No thread to be had: the chunks are read on demand.
  }
}

void et_chunk_ring_t::stop_read_ahead() {
  if (!thread_.joinable()) return;
  released_.close();
  thread_.join();
}

et_chunk_ring_t::chunk_t et_chunk_ring_t::next() {
  // Nothing follows the last chunk or a failed read.
  if (error_) std::rethrow_exception(error_);
  if (ended_) return chunk_t{buffer(taken_), 0, true};
  const uint64_t k = taken_++;
  if (thread_.joinable())
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
  if (thread_.joinable()) released_.publish(given_back_);
}

bool et_chunk_ring_t::read_chunk(uint64_t k) {
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

void et_chunk_ring_t::read_ahead() {
  for (uint64_t k = 0;; ++k) {
    // Chunk k goes into the buffer of chunk k - buffer_count: wait until
    // that one is given back.
    if (k >= buffer_count) released_.wait_for(k - buffer_count + 1);
    if (released_.closed()) return;
    const bool more = read_chunk(k);
    filled_.publish(k + 1);
    if (!more) return;
  }
}

// ---------------------------------------------------------------------------
// Page population

void et_page_populator_t::start(char* memory, std::size_t from, std::size_t to) {
  if (thread_.joinable() || from >= to) return;
  try {
    thread_ = std::thread([this, memory, from, to] {
      constexpr std::size_t page = et_huge_mapping_t::huge_page;
      for (std::size_t offset = from; offset < to && !stop_.closed(); offset += page)
        if (madvise(memory + offset, std::min(page, to - offset), MADV_POPULATE_WRITE) != 0)
          return;  // a system without it
    });
  } catch (const std::system_error&) {
    // No thread to be had: the first writer faults the pages in.
  }
}

void et_page_populator_t::stop() {
  if (!thread_.joinable()) return;
  stop_.close();
  thread_.join();
}

// ---------------------------------------------------------------------------
// Decoding ahead

bool et_decode_ahead_t::start(decoder_i& decoder) {
  if (thread_.joinable() || handed_out_.closed()) return false;
  try {
    thread_ = std::thread(&et_decode_ahead_t::run, this, std::ref(decoder));
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void et_decode_ahead_t::stop() {
  if (!thread_.joinable()) return;
  handed_out_.close();  // wakes a decoder waiting for room, and stops it
  thread_.join();
}

// Decodes in batches, publishing after each how far the caller may read;
// waits while the ring is full of objects the caller has not taken, until
// half the slack is free again.
void et_decode_ahead_t::run(decoder_i& decoder) {
  const uint64_t slack = capacity_ - window_;
  uint64_t handed_seen = 0;
  try {
    while (!stopping()) {
      const uint64_t made = decoder.made();
      if (made == handed_seen + capacity_) {
        handed_seen = handed_out_.wait_for(made - capacity_ + slack / 2);
        continue;
      }
      decoder.decode_until(std::min(handed_seen + capacity_, made + decode_batch));
      released_.publish(released_at(decoder.made()));
      handed_seen = handed_out_.load();
    }
    return;  // stopped: nobody reads on
  } catch (const std::underflow_error&) {
    // The end of the data: everything made is released.
  } catch (...) {
    decoder.decoding_failed(std::current_exception());
  }
  released_.close_at(decoder.made());
}

uint64_t et_decode_ahead_t::wait_for_release(uint64_t handed, bool& ended) {
  handed_out_.publish(handed);  // the decoder may be waiting for this room
  uint64_t released = released_.wait_for(handed + 1);
  // Once the decoder has ended, its last count is final, and what it left
  // is the caller's to read.
  if (released_.closed()) {
    released = released_.final_count();
    ended = true;
  }
  return released;
}
