#pragma once
// A count that one thread raises and another waits on: how far a producer
// has come, for a consumer that may not pass it (or the other way round).
//
// Raising it is a store and a load when nobody waits, so it can be published
// often. A waiter that finds the count short sleeps at once until it reaches
// what it asked for: the reader's threads outnumber the processors a run may
// be given, and a spinning waiter takes one from the side it waits for. It
// asks for as much as it needs to be worth waking, so that a fast side does
// not wake for every step of a slow one.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <new>

// On cache lines of its own: the other side's writes do not disturb it.
class alignas(64) et_progress_counter_t {
public:
  et_progress_counter_t() { new (changed_storage_) std::condition_variable(); }
  // A waiter still asleep here can only be a thread that fork() left behind
  // (an owner joins its threads before their counters go): destroying the
  // condition would wait for it for ever, so it is left as it is.
  ~et_progress_counter_t() {
    if (wanted_.load(std::memory_order_relaxed) == nobody) changed().~condition_variable();
  }
  et_progress_counter_t(const et_progress_counter_t&) = delete;
  et_progress_counter_t& operator=(const et_progress_counter_t&) = delete;

  // The count as last published.
  uint64_t load() const { return value_.load(std::memory_order_acquire); }

  // Raises the count to value; wakes the waiter once it reaches its target.
  void publish(uint64_t value) {
    // Sequentially consistent, as the waiter's store of its target and load
    // of the count: one of the two sees the other, so no wake-up is lost.
    value_.store(value, std::memory_order_seq_cst);
    if (value >= wanted_.load(std::memory_order_seq_cst)) wake();
  }

  // Waits until the count reaches target or the counter is closed; returns
  // the count, which is final when it falls short of target.
  uint64_t wait_for(uint64_t target) {
    const uint64_t now = load();
    if (now >= target) return now;
    std::unique_lock<std::mutex> lock(mutex_);
    wanted_.store(target, std::memory_order_seq_cst);
    for (;;) {
      const uint64_t value = value_.load(std::memory_order_seq_cst);
      if (value >= target || closed_.load(std::memory_order_acquire)) {
        wanted_.store(nobody, std::memory_order_relaxed);
        return value;
      }
      changed().wait(lock);
    }
  }

  // Wakes the waiter for good: every wait returns at once from now on. Only
  // the thread that publishes may close.
  void close() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      closed_.store(true, std::memory_order_seq_cst);
    }
    changed().notify_all();
  }
  // Publishes the final count and closes: whoever sees the count also sees
  // the counter closed.
  void close_at(uint64_t value) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      closed_.store(true, std::memory_order_seq_cst);
      value_.store(value, std::memory_order_seq_cst);
    }
    changed().notify_all();
  }
  bool closed() const { return closed_.load(std::memory_order_acquire); }
  // The count of a closed counter: final once closed() has been seen (the
  // lock waits out a close_at still under way).
  uint64_t final_count() {
    std::lock_guard<std::mutex> lock(mutex_);
    return value_.load(std::memory_order_relaxed);
  }

private:
  static constexpr uint64_t nobody = ~uint64_t(0);

  void wake() {
    { std::lock_guard<std::mutex> lock(mutex_); }
    changed().notify_all();
  }

  std::atomic<uint64_t> value_{0};
  std::atomic<uint64_t> wanted_{nobody};  // the sleeping waiter's target
  std::atomic<bool> closed_{false};
  std::mutex mutex_;
  std::condition_variable& changed() {
    return *std::launder(reinterpret_cast<std::condition_variable*>(changed_storage_));
  }
  alignas(std::condition_variable) unsigned char changed_storage_[sizeof(std::condition_variable)];
};
