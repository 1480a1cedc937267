#include "fuzz_support.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <ostream>
#include <stdexcept>
#include <streambuf>

namespace fuzz {

namespace {

class null_buffer_t : public std::streambuf {
protected:
  int_type overflow(int_type c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

null_buffer_t null_buffer;

}  // namespace

scratch_dir_t& scratch_dir_t::get() {
  static scratch_dir_t dir;
  return dir;
}

scratch_dir_t::scratch_dir_t() {
  // In memory when the system offers it: on a disk file system, replacing a
  // file's contents on every run waits for its write-back.
  std::error_code error;
  const std::filesystem::path shm = "/dev/shm";
  const std::filesystem::path base =
      std::filesystem::is_directory(shm, error) && access("/dev/shm", W_OK) == 0
          ? shm
          : std::filesystem::temp_directory_path();
  std::string pattern = (base / "quendle_fuzz_XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) fail("cannot create a scratch directory " + pattern);
  path_ = pattern + "/";
}

scratch_dir_t::~scratch_dir_t() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string scratch_dir_t::write(const std::string& name, const void* data, size_t size) const {
  const std::string path = path_ + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
    fail("cannot write " + path);
  return path;
}

quiet_streams_t::quiet_streams_t()
    : out_(std::cout.rdbuf(&null_buffer)), err_(std::cerr.rdbuf(&null_buffer)) {}

quiet_streams_t::~quiet_streams_t() {
  std::cout.rdbuf(out_);
  std::cerr.rdbuf(err_);
}

std::ostream& null_stream() {
  static std::ostream stream(&null_buffer);
  return stream;
}

void fail(const std::string& what) {
  std::fprintf(stderr, "fuzz target check failed: %s\n", what.c_str());
  std::abort();
}

}  // namespace fuzz
