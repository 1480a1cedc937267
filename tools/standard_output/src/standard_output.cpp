#include "standard_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

standard_output_watch_t::standard_output_watch_t()
    : previous_(std::cout.rdbuf()), buffer_(previous_) {
  std::cout.rdbuf(&buffer_);
}

standard_output_watch_t::~standard_output_watch_t() {
  std::cout.flush();
  std::cout.rdbuf(previous_);
}

int standard_output_watch_t::checked(int status) {
  std::cout.flush();
  errno = 0;
  if (std::fflush(stdout) != 0) buffer_.note(errno);
  if (std::ferror(stdout)) buffer_.note(0);
  if (!std::cout) buffer_.note(0);
  if (!buffer_.failed()) return status;
  std::cerr << "ERROR: cannot write the report to standard output: "
            << (buffer_.error() != 0 ? std::strerror(buffer_.error()) : "unknown error")
            << std::endl;
  return 1;
}

void standard_output_watch_t::buffer_t::note(int error) {
  if (failed_) return;
  failed_ = true;
  error_ = error;
}

standard_output_watch_t::buffer_t::int_type standard_output_watch_t::buffer_t::overflow(
    int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof()))
    return sync() == 0 ? traits_type::not_eof(c) : traits_type::eof();
  errno = 0;
  const int_type written = target_->sputc(traits_type::to_char_type(c));
  if (traits_type::eq_int_type(written, traits_type::eof())) note(errno);
  return written;
}

std::streamsize standard_output_watch_t::buffer_t::xsputn(const char* text, std::streamsize size) {
  errno = 0;
  const std::streamsize written = target_->sputn(text, size);
  if (written != size) note(errno);
  return written;
}

int standard_output_watch_t::buffer_t::sync() {
  errno = 0;
  const int result = target_->pubsync();
  if (result != 0) note(errno);
  return result;
}
