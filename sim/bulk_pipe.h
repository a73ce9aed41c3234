// The bulk pipes of a board: IN pipes (0x82, 0x86) hand the host what was
// queued or what a family model's source produces; OUT pipes (0x02, 0x06)
// keep what the host wrote, or give it to a family model's sink.
//
// A transfer ends when it completes, when its pipe is aborted (995), when the
// board is unplugged (1167), or at its deadline (121).  Each pipe has its own
// mutex and condition variable; the board's lock is never taken while a
// pipe's is held, so a transfer that waits never blocks control requests.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "sim/control_request.h"

namespace mirbax::sim {

using Clock = std::chrono::steady_clock;
// When a transfer gives up with a time-out; none: it waits without limit.
using Deadline = std::optional<Clock::time_point>;

// The signals every pipe shares with the transfers waiting on it.
struct PipeSignal {
  std::mutex mutex;
  std::condition_variable changed;
  uint64_t aborts = 0;  // number of aborts so far; a transfer ends at the next one
  uint64_t wakes = 0;   // bumped whenever a source or sink may have progress
  bool unplugged = false;
};

// Handed to a source or sink while it runs for one transfer: lets it pace
// itself in real time and notice that the transfer has ended.
class BulkWait {
 public:
  BulkWait(PipeSignal &signal, Deadline deadline);

  // Waits until `when`.  False when the transfer ended first: the pipe was
  // aborted, the board unplugged or the transfer's deadline passed.
  bool WaitUntil(Clock::time_point when);
  // True once the transfer has ended as above.
  bool Ended();

  // With the signal's mutex held: the code the transfer ends with, 0 while
  // it may go on (deadline not included).
  uint32_t EndCodeLocked() const;
  const Deadline &deadline() const { return deadline_; }

 private:
  PipeSignal &signal_;
  uint64_t abortsAtStart_;
  Deadline deadline_;
};

// Produces data for one IN transfer into `buffer`; returns the bytes
// produced.  0 means nothing now: the transfer then waits for queued data or
// for Wake() and asks again.  Runs with no lock held; a source takes the
// board's lock itself (briefly) to read board state.
using BulkSource = std::function<uint32_t(std::span<uint8_t> buffer, BulkWait &wait)>;
// Takes the data of one OUT transfer; returns the bytes accepted.  Runs with
// no lock held, like a source.
using BulkSink = std::function<uint32_t(std::span<const uint8_t> data, BulkWait &wait)>;

class BulkInPipe {
 public:
  explicit BulkInPipe(uint8_t endpoint) : endpoint_(endpoint) {}
  uint8_t endpoint() const { return endpoint_; }

  // Appends data the board sends; wakes a waiting transfer.
  void Queue(std::span<const uint8_t> data);
  // Drops queued data that no transfer has taken yet.
  void ClearQueue();
  // Installs (or, with an empty function, removes) the pipe's source.
  void SetSource(BulkSource source);
  // Tells a waiting transfer that its source may have data now.
  void Wake();
  void Abort();
  void Unplug();

  // One IN transfer: queued data first, then the source.
  Outcome Read(std::span<uint8_t> buffer, Deadline deadline);

 private:
  uint32_t TakeQueued(std::span<uint8_t> buffer);

  const uint8_t endpoint_;
  PipeSignal signal_;
  std::deque<uint8_t> queue_;
  std::shared_ptr<const BulkSource> source_;
};

class BulkOutPipe {
 public:
  explicit BulkOutPipe(uint8_t endpoint) : endpoint_(endpoint) {}
  uint8_t endpoint() const { return endpoint_; }

  // Installs (or removes) the pipe's sink; without one, writes are recorded.
  void SetSink(BulkSink sink);
  void Abort();
  void Unplug();

  // One OUT transfer.
  Outcome Write(std::span<const uint8_t> data, Deadline deadline);

  // Takes the recorded data when it fits in `room` bytes; otherwise leaves
  // it and returns nothing.  `recorded` gets the size of the record.
  std::optional<std::vector<uint8_t>> TakeRecord(std::size_t room, std::size_t &recorded);

 private:
  const uint8_t endpoint_;
  PipeSignal signal_;
  std::vector<uint8_t> record_;
  std::shared_ptr<const BulkSink> sink_;
};

}  // namespace mirbax::sim
