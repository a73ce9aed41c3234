// Continuous acquisition: the acquisition worker and the start and end of a
// stream, shared by the callback starts and the ring start.
#pragma once

#include <mirbax.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "adc/bulk_acquire.h"
#include "adc/buffer_pool.h"
#include "adc/worker_thread.h"
#include "core/device_table.h"
#include "core/sync.h"

namespace mirbax {

// Fills blank pool buffers from the bulk-in pipe and queues them in arrival
// order; never waits for the consumer.
class TADCContAcqWorker : public WorkerThread {
 public:
  ~TADCContAcqWorker() override { Join(); }

  uint32_t DI = 0;
  uint32_t TargetPipe = 0x86;
  bool bCounterControl = false;
  uint16_t DivisorA = 0;
  uint16_t DivisorB = 0;
  std::atomic<uint32_t> IOStatus{0};
  TBCStyle BCStyle = bsADC;
  TADCContBufWorker *MyBufThread = nullptr;
  std::shared_ptr<Event> hStartEvent;

 protected:
  void Execute() override;

 private:
  void SendStart();
  void SendStop();
  // A transfer failed: the stream ends with `code`.
  void RecordFailure(uint32_t code);
  // The bytes the board still held after the stop, as one last buffer.
  void DrainBoard();
};

// How a stream is started.
struct TContStart {
  uint32_t BytesPerBuf = 0;
  uint32_t BaseBufCount = 0;
  PContCallback Callback = nullptr;
  uint32_t Context = 0;
  bool bCounterControl = false;
  uint16_t DivisorA = 0, DivisorB = 0;
};

// Creates both workers, attaches them to the device, starts them and waits
// until the board's start request has been sent.  The caller has done every
// check.
void StartContinuousWorkers(uint32_t DeviceIndex, TDeviceData &device, const TContStart &start);

}  // namespace mirbax
