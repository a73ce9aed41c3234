// A watchdog for calls that must return: arm it with a description before
// the call, disarm it after.  If a call is still running when its time is
// up, the watchdog names the call on stderr and ends the test program with
// a failure (a hung call cannot be abandoned safely: it may hold the
// library's state).  In the normal case nothing sleeps: the watchdog thread
// waits on a condition variable that the disarm wakes.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace mirbax::testing {

class CallWatchdog {
 public:
  explicit CallWatchdog(std::chrono::milliseconds limit) : limit_(limit), thread_([this] { Watch(); }) {}
  ~CallWatchdog() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  CallWatchdog(const CallWatchdog &) = delete;
  CallWatchdog &operator=(const CallWatchdog &) = delete;

  void Arm(std::string description) {
    std::lock_guard lock(mutex_);
    description_ = std::move(description);
    deadline_ = std::chrono::steady_clock::now() + limit_;
    armed_ = true;
    ++generation_;
    changed_.notify_all();
  }

  void Disarm() {
    std::lock_guard lock(mutex_);
    armed_ = false;
    changed_.notify_all();
  }

  // Runs `call` under the watchdog and returns what it returns.
  template <typename Call>
  auto Run(std::string description, Call &&call) {
    Arm(std::move(description));
    struct DisarmOnExit {
      CallWatchdog &watchdog;
      ~DisarmOnExit() { watchdog.Disarm(); }
    } disarm{*this};
    return call();
  }

 private:
  void Watch() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
      if (!armed_) {
        changed_.wait(lock);
        continue;
      }
      const auto generation = generation_;
      const auto deadline = deadline_;
      if (changed_.wait_until(lock, deadline, [&] { return stopping_ || !armed_ || generation_ != generation; }))
        continue;
      std::fprintf(stderr, "\nHUNG: %s did not return within %lld ms\n", description_.c_str(),
                   static_cast<long long>(limit_.count()));
      std::fflush(stderr);
      std::_Exit(EXIT_FAILURE);
    }
  }

  const std::chrono::milliseconds limit_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool armed_ = false;
  bool stopping_ = false;
  unsigned long generation_ = 0;
  std::string description_;
  std::chrono::steady_clock::time_point deadline_;
  std::thread thread_;
};

}  // namespace mirbax::testing
