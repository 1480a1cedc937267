#include "stream/et_page_populator.h"

#include <sys/mman.h>

#include <algorithm>

#include "stream/et_huge_mapping.h"

void et_page_populator_t::start(char* memory, std::size_t from, std::size_t to) {
  if (from >= to) return;
  // Without a thread to be had, the first writer faults the pages in.
  thread_.start([this, memory, from, to] {
    constexpr std::size_t page = et_huge_mapping_t::huge_page;
    for (std::size_t offset = from; offset < to && !stopping_.load(std::memory_order_relaxed);
         offset += page)
      if (madvise(memory + offset, std::min(page, to - offset), MADV_POPULATE_WRITE) != 0)
        return;  // a system without it
  });
}

void et_page_populator_t::stop() {
  stopping_.store(true, std::memory_order_relaxed);
  thread_.join();
}
