#pragma once
// What the fuzz programs share. Each program defines LLVMFuzzerTestOneInput;
// it is linked either with libFuzzer's driver (the clang fuzz build) or with
// replay_main.cpp, which runs it once on every file of a corpus directory.
//
// A target catches exactly the errors its library documents. Anything else
// (another exception, an exit, a sanitizer report) ends the run as a finding.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fuzz {

// The input consumed from the front; reads past its end give zeros.
class input_t {
public:
  input_t(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  // The bytes not yet consumed.
  std::string rest() const {
    return std::string(reinterpret_cast<const char*>(data_) + pos_, size_ - pos_);
  }
  const uint8_t* rest_data() const { return data_ + pos_; }
  size_t rest_size() const { return size_ - pos_; }

private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// A directory of this process (in /dev/shm, else the temporary directory), removed with
// everything in it at exit. Files get fixed names, so that an input can name
// them (an include, say).
class scratch_dir_t {
public:
  static scratch_dir_t& get();
  // "<dir>/"
  const std::string& path() const { return path_; }
  // Writes the bytes to <dir>/name, replacing it, and returns the path.
  std::string write(const std::string& name, const void* data, size_t size) const;
  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    return write(name, bytes.data(), bytes.size());
  }
  ~scratch_dir_t();

private:
  scratch_dir_t();
  std::string path_;
};

// Sends std::cout and std::cerr to nowhere for the life of the object: the
// libraries report some errors as text, which would only slow the runs down.
class quiet_streams_t {
public:
  quiet_streams_t();
  ~quiet_streams_t();
  quiet_streams_t(const quiet_streams_t&) = delete;
  quiet_streams_t& operator=(const quiet_streams_t&) = delete;

private:
  std::streambuf* out_;
  std::streambuf* err_;
};

// A std::ostream that drops what is written to it.
std::ostream& null_stream();

// Fails the run (abort, which both drivers report) with the text.
[[noreturn]] void fail(const std::string& what);

}  // namespace fuzz
