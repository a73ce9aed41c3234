// The pulse-width monitor: a worker that reads every counter of a board
// over and over and records, per counter, the value it held in two
// successive readings.  The application programs the counters itself; the
// monitor only watches them.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

#include "core/sync.h"

namespace mirbax {

class TCtrMonitorThread {
 public:
  // A monitor of device DI with `counters` entries (3 per block), all 0.
  TCtrMonitorThread(uint32_t DI, std::size_t counters);
  // Asks the worker to stop and waits for it to finish its pass.
  ~TCtrMonitorThread();
  TCtrMonitorThread(const TCtrMonitorThread &) = delete;
  TCtrMonitorThread &operator=(const TCtrMonitorThread &) = delete;

  void Start();
  void Stop();
  // True once the worker has left its loop (asked to stop, or the board has
  // gone) within the time given.
  template <typename Rep, typename Period>
  bool WaitUntilEnded(std::chrono::duration<Rep, Period> timeout) {
    return ended_.WaitFor(timeout);
  }

  // The latest stable value of counter `entry` (block * 3 + counter), or 0
  // when none is pending; the entry is 0 afterwards.
  uint16_t TakeMeasurement(std::size_t entry);

 private:
  void Execute(std::stop_token stop);
  void RecordStableCounts(const std::vector<uint16_t> &A, const std::vector<uint16_t> &B);

  const uint32_t DI;
  std::mutex hListMutex;                    // guards MeasuredPulseWidth
  std::vector<uint16_t> MeasuredPulseWidth;  // 0 = no measurement pending
  Event ended_;
  std::jthread thread_;
};

}  // namespace mirbax
