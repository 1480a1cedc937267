#pragma once
// Faults in the pages of a fresh mapping ahead of its first writer, in a
// thread: the system zeroes each page at its first touch, which on a
// virtual machine costs more than filling it.
#include <atomic>
#include <cstddef>

#include "stream/et_helper_thread.h"

class et_page_populator_t {
public:
  et_page_populator_t() = default;
  ~et_page_populator_t() { stop(); }
  et_page_populator_t(const et_page_populator_t&) = delete;
  et_page_populator_t& operator=(const et_page_populator_t&) = delete;

  // Populates bytes [from, to) of memory, a huge page at a time; does
  // nothing without a thread to be had or on a system that cannot.
  void start(char* memory, std::size_t from, std::size_t to);
  // Stops between two pages and joins.
  void stop();

private:
  std::atomic<bool> stopping_{false};
  et_helper_thread_t thread_;
};
