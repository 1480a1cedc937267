// Counts the program's heap allocations, so that a benchmark can show that
// its hot path makes none. Replaces the global operator new: include it in
// exactly one source file of a benchmark program.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

// GCC pairs the replaced operators below with their inlined callers and
// reports a mismatch that is not there.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

inline std::atomic<uint64_t> heap_allocations{0};

void* operator new(std::size_t size) {
  heap_allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
