#pragma once
// Counts a program's heap allocations and the bytes they ask for, so that a
// test or a benchmark can weigh what a piece of code allocates. Replaces the
// global operator new: include it in exactly one source file of a program.
#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

// GCC pairs the replaced operators below with their inlined callers and
// reports a mismatch that is not there.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace et_test {
inline std::atomic<uint64_t> heap_allocations{0};
inline std::atomic<uint64_t> heap_bytes{0};
}  // namespace et_test

void* operator new(std::size_t size) {
  et_test::heap_allocations.fetch_add(1, std::memory_order_relaxed);
  et_test::heap_bytes.fetch_add(size, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
