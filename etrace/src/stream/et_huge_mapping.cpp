#include "etrace/stream/et_huge_mapping.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

et_huge_mapping_t::et_huge_mapping_t(std::size_t bytes)
    : size_((bytes + huge_page - 1) / huge_page * huge_page) {
  // One huge page more than needed, trimmed to a huge-page boundary.
  void* mapped =
      mmap(nullptr, size_ + huge_page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const uintptr_t first = reinterpret_cast<uintptr_t>(mapped);
  const uintptr_t start = (first + huge_page - 1) / huge_page * huge_page;
  if (start != first) munmap(mapped, start - first);
  const uintptr_t tail = first + size_ + huge_page - (start + size_);
  if (tail != 0) munmap(reinterpret_cast<void*>(start + size_), tail);
  data_ = reinterpret_cast<char*>(start);
  madvise(data_, size_, MADV_HUGEPAGE);  // only a hint: the system may refuse
}

et_huge_mapping_t::~et_huge_mapping_t() { munmap(data_, size_); }
