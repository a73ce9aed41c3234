// The ring of a ring acquisition: every filled pool buffer is copied into it
// by BGRingContCallback, and ADC_ReadData takes whole scans out of it.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

namespace mirbax {

// A semaphore with a maximum count of 1: a signal that is already set stays
// set.  It only wakes the reader.
class TBinarySemaphore {
 public:
  void Release() {
    {
      std::lock_guard lock(mutex_);
      set_ = true;
    }
    changed_.notify_one();
  }
  // True when the signal was taken within the time-out.
  bool AcquireFor(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    if (!changed_.wait_for(lock, timeout, [&] { return set_; })) return false;
    set_ = false;
    return true;
  }
  void Acquire() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return set_; });
    set_ = false;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool set_ = false;
};

// The ring of one device.  The writer (the buffer worker, through the
// callback) and the reader (the ADC_ReadData caller) each move their own
// index; the totals count every sample written and read since the start,
// so a writer that laps the reader is noticed.  hRingMutex guards the
// samples and the indexes for the moment of one copy in or out.
class TRingAcqData {
 public:
  explicit TRingAcqData(uint32_t samples) : RingBuffer(samples, 0) {}

  std::vector<uint16_t> RingBuffer;
  uint32_t iNextRead = 0;
  uint32_t iNextWrite = 0;
  TBinarySemaphore hSem;

  // Appends samples (at most one ring length) after the last ones written.
  void Write(std::span<const uint16_t> samples);

  // The stream has ended (the end-stream call): no sample will follow.
  void MarkEnded();

  // What the reader finds.
  struct Waiting {
    uint64_t samples = 0;  // readable samples (at most one ring length)
    bool overrun = false;  // the writer has overwritten unread samples
    bool ended = false;    // nothing more will come
  };
  Waiting SamplesWaiting();
  // Hands `count` waiting samples to `consume` where they lie, as two
  // contiguous spans (the second empty unless the samples wrap round the end
  // of the ring), under the ring's mutex, then consumes them.  False (nothing
  // consumed, `consume` not called) when the writer has overwritten some of
  // them first.
  template <typename Consume>
  bool ReadRingSpans(uint64_t count, Consume &&consume);
  // After an overrun: drops everything overwritten and moves the reader to
  // the oldest whole scan of `scanSamples` samples still in the ring.
  void SkipOverrun(uint64_t scanSamples);

 private:
  std::mutex hRingMutex;
  uint64_t totalWritten_ = 0;
  uint64_t totalRead_ = 0;
  bool ended_ = false;
};

template <typename Consume>
bool TRingAcqData::ReadRingSpans(uint64_t count, Consume &&consume) {
  std::lock_guard lock(hRingMutex);
  if (totalWritten_ - totalRead_ > RingBuffer.size()) return false;
  const std::span<const uint16_t> ring(RingBuffer);
  const uint32_t n = uint32_t(count);
  const uint32_t toEnd = uint32_t(ring.size()) - iNextRead;
  if (n < toEnd) {
    consume(ring.subspan(iNextRead, n), std::span<const uint16_t>());
    iNextRead += n;
  } else {
    consume(ring.subspan(iNextRead, toEnd), ring.first(n - toEnd));
    iNextRead = n - toEnd;
  }
  totalRead_ += n;
  return true;
}

}  // namespace mirbax

// The callback of the ring acquisition (a PContCallback): copies each block
// into the ring of device Context.
extern "C" void BGRingContCallback(uint16_t *pBuf, uint32_t BufSize, uint32_t Flags,
                                   uint32_t Context);
