#include "output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

output_file_t::output_file_t(const std::string& path, std::ios::openmode mode, bool background)
    : path_(path), blocks_(block_count * block_bytes) {
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | ((mode & std::ios::app) ? O_APPEND : O_TRUNC);
  fd_ = ::open(path.c_str(), flags, 0666);
  if (fd_ < 0)
    throw std::runtime_error("cannot open output file '" + path + "': " + std::strerror(errno));
  if (!background) return;
  try {
    writer_ = std::thread(&output_file_t::write_blocks, this);
  } catch (const std::system_error&) {
    // No thread to be had: the blocks are written in the caller's thread.
  }
}

output_file_t::~output_file_t() {
  if (fd_ < 0) return;
  flush();
  stop_writer();
  ::close(fd_);
}

void output_file_t::write_record(et_buffered_formatter_t& formatter, const et_insn_t& insn) {
  char* const at = room(et_buffered_formatter_t::max_record);
  if (at == nullptr) {
    char discarded[et_buffered_formatter_t::max_record];
    formatter.build_record(discarded, insn);
    return;
  }
  used_ += formatter.build_record(at, insn);
}

void output_file_t::write(const char* data, std::size_t n) {
  while (n != 0) {
    const std::size_t part = std::min(n, block_bytes);
    char* const at = room(part);
    if (at == nullptr) return;
    std::memcpy(at, data, part);
    used_ += part;
    data += part;
    n -= part;
  }
}

char* output_file_t::room(std::size_t n) {
  if (block_bytes - used_ < n) hand_over();
  return failed_.load(std::memory_order_relaxed) ? nullptr : block(current_) + used_;
}

void output_file_t::hand_over() {
  if (!writer_.joinable()) {
    write_block(block(current_), used_);
    used_ = 0;
    return;
  }
  sizes_[current_ % block_count] = used_;
  handed_.publish(++current_);
  used_ = 0;
  // The block to fill next must have been written out.
  if (current_ >= block_count) written_.wait_for(current_ - block_count + 1);
}

void output_file_t::flush() {
  if (used_ != 0) hand_over();
  if (writer_.joinable()) written_.wait_for(current_);
}

void output_file_t::close() {
  flush();
  stop_writer();
  if (::close(fd_) != 0 && !failed_.load(std::memory_order_relaxed)) fail(errno);
  fd_ = -1;
  if (failed_.load(std::memory_order_relaxed))
    throw std::runtime_error("cannot write output file '" + path_ + "': " +
                             std::strerror(failure_));
}

void output_file_t::fail(int error) {
  // A write that takes nothing and gives no reason: the device is full.
  failure_ = error != 0 ? error : ENOSPC;
  failed_.store(true, std::memory_order_relaxed);
}

void output_file_t::write_block(const char* data, std::size_t n) {
  while (n != 0 && !failed_.load(std::memory_order_relaxed)) {
    const ssize_t done = ::write(fd_, data, n);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) {
      fail(done < 0 ? errno : 0);
      return;
    }
    data += done;
    n -= std::size_t(done);
  }
}

// Writes the blocks in the order they are handed over.
void output_file_t::write_blocks() {
  for (uint64_t k = 0;; ++k) {
    if (handed_.wait_for(k + 1) < k + 1) return;  // closed, and every block written
    write_block(block(k), sizes_[k % block_count]);
    written_.publish(k + 1);
  }
}

void output_file_t::stop_writer() {
  if (!writer_.joinable()) return;
  handed_.close();
  writer_.join();
}

output_file_stream_t::output_file_stream_t(output_file_t& file)
    : std::ostream(nullptr), buffer_(file) {
  rdbuf(&buffer_);
}

// No put area: every character goes to the file as it comes, so that the
// stream holds nothing back from what is written to the file directly.
output_file_stream_t::buffer_t::int_type output_file_stream_t::buffer_t::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  const char ch = traits_type::to_char_type(c);
  file_.write(&ch, 1);
  return c;
}

std::streamsize output_file_stream_t::buffer_t::xsputn(const char* s, std::streamsize n) {
  file_.write(s, std::size_t(n));
  return n;
}

int output_file_stream_t::buffer_t::sync() {
  file_.flush();
  return 0;
}
