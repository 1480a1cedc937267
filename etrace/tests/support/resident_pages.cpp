#include "support/resident_pages.h"

#include <sys/mman.h>
#include <unistd.h>

#include <chrono>
#include <thread>
#include <vector>

namespace et_test {

std::size_t resident_pages(const char* data, std::size_t bytes) {
  const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
  std::vector<unsigned char> flags((bytes + page - 1) / page);
  if (mincore(const_cast<char*>(data), bytes, flags.data()) != 0) return 0;
  std::size_t resident = 0;
  for (const unsigned char f : flags) resident += f & 1;
  return resident;
}

bool wait_until_resident(const char* data, std::size_t bytes) {
  const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (resident_pages(data, bytes) < (bytes + page - 1) / page) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

bool can_populate() {
#ifdef MADV_POPULATE_WRITE
  const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
  void* probe = mmap(nullptr, page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (probe == MAP_FAILED) return false;
  const bool ok = madvise(probe, page, MADV_POPULATE_WRITE) == 0;
  munmap(probe, page);
  return ok;
#else
  return false;
#endif
}

}  // namespace et_test
