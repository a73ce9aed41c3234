// TDACWorker: the thread that feeds a waveform-FIFO board.
//
// The application's frame calls cut the waveform into 8192-byte buffers and
// queue them in the entry's DACData under hDACDataMutex, releasing
// hDACDataSem once per buffer.  The worker takes the buffers oldest first and
// sends each to bulk OUT pipe 0x02; once 163,840 bytes have gone it starts
// the output by itself.  A close queues the end of the waveform, sets
// bDACClosing and releases the semaphore once more than it queued: the worker
// sends every buffer still queued, then finds the queue empty while closing
// and ends.
//
// The worker also ends, discarding what is queued, when it is asked to stop
// (a new open finds a worker left over from a board that went away) and by
// itself when the entry loses its driver link (the board was removed or
// closed): nothing queued could reach the board then.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/sync.h"

namespace mirbax {

class TDACWorker {
 public:
  // Created suspended: nothing runs until Start.
  explicit TDACWorker(int32_t Index) : Index(Index) {}
  ~TDACWorker();
  TDACWorker(const TDACWorker &) = delete;
  TDACWorker &operator=(const TDACWorker &) = delete;

  void Start();
  // Ends the worker after the buffer it is sending; what is queued is dropped.
  void RequestStop();
  // Waits until the thread has ended (also when it was never started).
  void WaitFor();
  // True once the worker has left its loop and cleaned up.
  bool Finished() const { return finished_.IsSet(); }

  // An empty buffer to fill for the queue: one the worker has sent when it
  // has one spare (its memory kept), else a new one.
  std::string SpareBuffer();

  const int32_t Index;  // the device index served

 private:
  void Execute();
  void SendBuffers();
  void KeepSpare(std::string &&buffer);

  // Sent buffers, kept for the next frames (at most as many as can be queued).
  std::mutex spareMutex_;
  std::vector<std::string> spare_;

  std::atomic<bool> stopRequested_{false};
  Event finished_;
  std::thread thread_;
};

}  // namespace mirbax
