#pragma once
// Faults in the pages of a large zeroed mapping ahead of their first use, in
// a helper thread of the stream reader.
//
// The system zeroes a page at its first touch. On a virtual machine whose
// host has taken the memory back, that costs more than decoding into the
// page, and how much more changes from run to run with what the host is
// doing. Left to the decoder, it holds the decoding up while the caller
// waits for its first window; done by a helper, it takes a processor that is
// otherwise idle then (the program setting up, the caller waiting), and the
// decoder finds its pages there.
#include <atomic>
#include <cstddef>

#include "etrace/stream/et_helper_thread.h"

class et_page_populator_t {
public:
  et_page_populator_t() = default;
  ~et_page_populator_t() { stop(); }
  et_page_populator_t(const et_page_populator_t&) = delete;
  et_page_populator_t& operator=(const et_page_populator_t&) = delete;

  // Faults in the huge pages of [data, data + bytes) after the first, which
  // whoever fills the memory touches at once; nothing when there is no
  // second page or no thread to be had. A page that both touch is faulted in
  // once.
  void start(char* data, std::size_t bytes);
  // Ends the thread at its next page and waits for it.
  void stop();

private:
  std::atomic<bool> stopping_{false};
  et_helper_thread_t thread_;
};
