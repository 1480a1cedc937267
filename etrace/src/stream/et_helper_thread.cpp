#include "etrace/stream/et_helper_thread.h"

#include <pthread.h>

namespace {

unsigned generation = 0;

void count_fork_in_child() { ++generation; }

// Before main: every fork() after it is counted.
[[maybe_unused]] const int registered = pthread_atfork(nullptr, nullptr, &count_fork_in_child);

}  // namespace

unsigned et_helper_thread_t::fork_generation() { return generation; }
