// The buffer pool of a continuous acquisition and the worker that hands the
// filled buffers to the application.
//
// The acquisition worker takes blank buffers (never waiting: when none is
// free it adds a buffer to the pool), fills them from the bulk-in pipe and
// queues them as data; the buffer worker, or ADC_GetBuf, takes the queued
// buffers strictly in arrival order and gives them back blank.  One mutex
// guards the pool and is held only for short updates, never while waiting,
// reading USB or calling the callback.
#pragma once

#include <mirbax.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "adc/worker_thread.h"
#include "core/sync.h"

namespace mirbax {

// Callback flags.
inline constexpr uint32_t CallbackFlag_BeginBC = 1;    // defined, never set
inline constexpr uint32_t CallbackFlag_EndStream = 2;  // the final call, no buffer
inline constexpr uint32_t CallbackFlag_Inserted = 4;   // added because no blank buffer was free

enum TBufState : uint8_t { bsBlank = 0, bsAccessing = 1, bsGotData = 2 };

struct TContBuf {
  std::vector<uint8_t> ADBuf;
  TBufState BufState = bsBlank;
  int32_t Index = 0;      // arrival sequence number, given when queued as data
  uint32_t UsedSize = 0;  // bytes of valid data
  uint32_t Flags = 0;     // callback flags delivered with the buffer

  uint16_t *Samples() { return reinterpret_cast<uint16_t *>(ADBuf.data()); }
};

class TADCContAcqWorker;

// Counts of the pool's buffers by state.
struct TPoolStats {
  uint32_t Blanks = 0, Accessings = 0, GotDatas = 0;
};

class TADCContBufWorker : public WorkerThread {
 public:
  static constexpr uint32_t kSemaphoreMax = 16777215;

  TADCContBufWorker(uint32_t bytesPerBuf, uint32_t baseBufCount);
  ~TADCContBufWorker() override { Join(); }

  uint32_t BytesPerBuf;
  std::mutex hBufMutex;
  Semaphore hBlankBufSem;
  Semaphore hDataBufSem;
  Semaphore hKillSem;
  TADCContAcqWorker *MyAcqThread = nullptr;
  PContCallback Callback = nullptr;
  uint32_t CallbackContext = 0;

  // The buffer ADC_GetBuf lent last, given back at the next ADC_GetBuf; it
  // belongs to this pool and goes with it.  Used by ADC_GetBuf's callers only.
  TContBuf *LastGetBuf = nullptr;

  // Pool operations (each takes hBufMutex for its work on the pool).
  TContBuf *GetBlankBuf(uint32_t Flags);
  TContBuf *ExtraBuf();
  void PutDataBuf(TContBuf *buffer);
  void PutBlankBuf(TContBuf *buffer);
  // Waits up to `timeout` (none: without limit) for a queued buffer; null on
  // a time-out or a wake-up without data.
  TContBuf *GetDataBuf(std::optional<std::chrono::milliseconds> timeout);
  TContBuf *GetDataBufOrKilled();
  TPoolStats GetDebugStats();

  // The acquisition has ended: wake-ups without data stay signalled from now
  // on, so every later wait for data returns at once.
  void MarkStreamEnded();

 protected:
  void Execute() override;

 private:
  TContBuf *NewBuffer(TBufState state);
  // The next buffer in arrival order, now bsAccessing, or null.
  TContBuf *TakeNextData();
  void DeliverSafely(uint16_t *pBuf, uint32_t size, uint32_t flags);

  std::vector<std::unique_ptr<TContBuf>> BufBuf;  // the pool, in creation order
  std::deque<TContBuf *> queued_;                 // data buffers in arrival order
  int32_t NextIndexIn = 0;
  int32_t NextIndexOut = 0;
  std::atomic<bool> streamEnded_{false};
};

}  // namespace mirbax
