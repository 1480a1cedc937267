#include "stream/et_reader.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

FILE* et_reader_t::open_trace(const std::string& path, int& fd) {
  fd = open(path.c_str(), O_RDONLY);
  if (fd < 0)
    throw std::runtime_error("Error: fail to open trace file: " + path + ": " +
                             std::strerror(errno));
  FILE* file = fdopen(fd, "rb");
  if (file == nullptr) {
    const int error = errno;
    close(fd);
    fd = -1;
    throw std::runtime_error(std::string("Error: fdopen failed: ") + std::strerror(error));
  }
  return file;
}
