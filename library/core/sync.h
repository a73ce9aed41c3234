// Small synchronization objects built on the standard library, as the
// workers use them: a counting semaphore and a manual-reset event, both with
// millisecond time-outs.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace mirbax {

// A counting semaphore whose count can be read and reset, and whose waits
// take a time-out (std::counting_semaphore offers neither).
class Semaphore {
 public:
  explicit Semaphore(uint32_t initial = 0) : count_(initial) {}

  void Release(uint32_t n = 1) {
    {
      std::lock_guard lock(mutex_);
      count_ += n;
    }
    if (n == 1) changed_.notify_one(); else changed_.notify_all();
  }

  void Acquire() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return count_ > 0; });
    --count_;
  }

  // True when a unit was taken within the time-out.
  template <typename Rep, typename Period>
  bool AcquireFor(std::chrono::duration<Rep, Period> timeout) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, timeout, [&] { return count_ > 0; })) return false;
    --count_;
    return true;
  }

  bool TryAcquire() {
    std::lock_guard lock(mutex_);
    if (count_ == 0) return false;
    --count_;
    return true;
  }

  uint32_t Count() const {
    std::lock_guard lock(mutex_);
    return count_;
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  uint32_t count_;
};

// A manual-reset event: once set, every wait returns until it is reset.
class Event {
 public:
  void Set() {
    {
      std::lock_guard lock(mutex_);
      set_ = true;
    }
    changed_.notify_all();
  }

  void Reset() {
    std::lock_guard lock(mutex_);
    set_ = false;
  }

  bool IsSet() const {
    std::lock_guard lock(mutex_);
    return set_;
  }

  void Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return set_; });
  }

  template <typename Rep, typename Period>
  bool WaitFor(std::chrono::duration<Rep, Period> timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return set_; });
  }

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool set_ = false;
};

}  // namespace mirbax
