#include "etrace/stream/et_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

std::runtime_error et_reader_t::open_error(const std::string& path, int error) {
  return std::runtime_error("Error: fail to open trace file: " + path + ": " +
                            std::strerror(error != 0 ? error : EIO));
}

std::runtime_error et_reader_t::read_error(const std::string& path, uint64_t position,
                                           int error) {
  return std::runtime_error("Error: fail to read trace file: " + path + " at position " +
                            std::to_string(position) + ": " +
                            std::strerror(error != 0 ? error : EIO));
}

void et_reader_t::check_readable(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) == 0 &&
      (S_ISFIFO(status.st_mode) || S_ISCHR(status.st_mode) || S_ISSOCK(status.st_mode)))
    return;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw open_error(path, errno);
  char head[16];
  const ssize_t got = pread(fd, head, sizeof head, 0);
  const int error = errno;
  close(fd);
  if (got < 0) throw read_error(path, 0, error);
}

FILE* et_reader_t::open_trace(const std::string& path, int& fd) {
  fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) throw open_error(path, errno);
  FILE* file = fdopen(fd, "rb");
  if (file == nullptr) {
    const int error = errno;
    close(fd);
    fd = -1;
    throw std::runtime_error(std::string("Error: fdopen failed: ") + std::strerror(error));
  }
  return file;
}
