#include "etrace/stream/et_page_populator.h"

#include <sys/mman.h>

#include <algorithm>

#include "etrace/stream/et_huge_mapping.h"

namespace {
constexpr std::size_t page = et_huge_mapping_t::huge_page;
}  // namespace

void et_page_populator_t::start(char* data, std::size_t bytes) {
#ifdef MADV_POPULATE_WRITE
  if (bytes <= page) return;
  thread_.start([this, data, bytes] {
    for (std::size_t offset = page; offset < bytes; offset += page) {
      if (stopping_.load(std::memory_order_relaxed)) return;
      // A system without it leaves the pages to their first touch.
      if (madvise(data + offset, std::min(page, bytes - offset), MADV_POPULATE_WRITE) != 0) return;
    }
  });
#else
  (void)data;
  (void)bytes;
#endif
}

void et_page_populator_t::stop() {
  stopping_.store(true, std::memory_order_relaxed);
  thread_.join();
}
