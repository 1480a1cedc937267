#pragma once
// One helper thread of the stream reader, joined by its owner, that knows
// whether it exists in the running process: after fork() the child has only
// the thread that forked, so a helper started before is not there to be
// waited on or joined. Its owner asks left_behind() before it waits on the
// thread, and then carries on without it.
#include <new>
#include <system_error>
#include <thread>
#include <utility>

class et_helper_thread_t {
public:
  et_helper_thread_t() = default;
  ~et_helper_thread_t() { join(); }
  et_helper_thread_t(const et_helper_thread_t&) = delete;
  et_helper_thread_t& operator=(const et_helper_thread_t&) = delete;

  // Runs f in a new thread; false when no thread can be had (or one was
  // started already).
  template <class function_t>
  bool start(function_t&& f) {
    if (started_) return false;
    try {
      new (storage_) std::thread(std::forward<function_t>(f));
    } catch (const std::system_error&) {
      return false;
    }
    started_ = true;
    generation_ = fork_generation();
    return true;
  }

  // Started, and running (or ended) in this process: it can be waited for.
  bool running() const { return started_ && generation_ == fork_generation(); }
  // Started in a process that this one was forked from: it is not here.
  bool left_behind() const { return started_ && generation_ != fork_generation(); }

  // Waits for a running thread to end; forgets one left behind. The owner
  // has told it to end first.
  void join() {
    if (!started_) return;
    if (running()) {
      thread().join();
      thread().~thread();
    }
    // A thread left behind is no thread of this process: its std::thread
    // is dropped without its destructor, which would end the program.
    started_ = false;
  }

private:
  // Raised in the child at every fork().
  static unsigned fork_generation();

  std::thread& thread() { return *std::launder(reinterpret_cast<std::thread*>(storage_)); }

  alignas(std::thread) unsigned char storage_[sizeof(std::thread)];
  bool started_ = false;
  unsigned generation_ = 0;
};
