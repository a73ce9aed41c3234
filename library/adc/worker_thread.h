// The thread object of the analog-input workers: created suspended, started
// once, asked to terminate through a flag its Execute tests, and read for a
// return value once it has ended.  A finished worker can be told apart from
// a running one without blocking (IsFinished).
//
// A derived class must call Join() in its destructor: the thread runs the
// derived Execute, which must end before the derived members go.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <thread>

#include "core/sync.h"

namespace mirbax {

class WorkerThread {
 public:
  WorkerThread() = default;
  WorkerThread(const WorkerThread &) = delete;
  WorkerThread &operator=(const WorkerThread &) = delete;
  virtual ~WorkerThread() { Join(); }

  void Start() {
    thread_ = std::thread([this] {
      Execute();
      finished_.Set();
    });
  }
  void Terminate() { terminated_.store(true); }
  bool Terminated() const { return terminated_.load(); }

  // The handle's signalled state: true once Execute has returned.
  bool IsFinished() const { return finished_.IsSet(); }
  // Waits up to `timeout` for the end; true when the worker has ended.
  bool WaitFor(std::chrono::milliseconds timeout) const { return finished_.WaitFor(timeout); }
  // Waits for the end and releases the thread; a worker never started or
  // joined already returns at once.  Safe from several threads.
  void Join() {
    std::lock_guard lock(joinMutex_);
    if (thread_.joinable()) thread_.join();
  }

  // Meaningful once IsFinished().
  uint32_t ReturnValue() const { return returnValue_.load(); }

 protected:
  virtual void Execute() = 0;
  void SetReturnValue(uint32_t value) { returnValue_.store(value); }

 private:
  std::thread thread_;
  std::mutex joinMutex_;
  std::atomic<bool> terminated_{false};
  std::atomic<uint32_t> returnValue_{0};
  mutable Event finished_;
};

}  // namespace mirbax
