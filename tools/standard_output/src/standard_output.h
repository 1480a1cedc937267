// Standard output of the programs. Its stream keeps a failed write to
// itself: a report lost on a full disk would end as if it had been written.
// While a watch lives, std::cout writes through it; it keeps the reason of
// the first write that fails and gives the program's exit status at the end.
#pragma once

#include <streambuf>

class standard_output_watch_t {
public:
  standard_output_watch_t();
  // std::cout writes to its own buffer again.
  ~standard_output_watch_t();
  standard_output_watch_t(const standard_output_watch_t&) = delete;
  standard_output_watch_t& operator=(const standard_output_watch_t&) = delete;

  // Flushes standard output and returns status when everything written
  // reached it; otherwise writes "ERROR: cannot write the report to standard
  // output: " and the reason on standard error and returns 1.
  int checked(int status);

private:
  // Passes every write on to std::cout's own buffer at once (lines written
  // through C stdio, such as the reader's notes, stay in order) and notes the
  // error of the first one that fails, while errno still holds it.
  class buffer_t : public std::streambuf {
  public:
    explicit buffer_t(std::streambuf* target) : target_(target) {}
    bool failed() const { return failed_; }
    int error() const { return error_; }  // 0 when the reason is not known
    void note(int error);

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize size) override;
    int sync() override;

  private:
    std::streambuf* target_;
    bool failed_ = false;
    int error_ = 0;
  };

  std::streambuf* const previous_;
  buffer_t buffer_;
};
