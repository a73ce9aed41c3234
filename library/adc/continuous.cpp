// Continuous acquisition: the callback starts, ADC_GetBuf, the end and the
// pool statistics.  The acquisition worker reads whole pool buffers from
// pipe 0x86; the buffer worker (buffer_pool.cpp) hands them to the callback.
#include "adc/continuous.h"

#include <mirbax.h>

#include <chrono>
#include <cmath>
#include <optional>

#include "adc/adc_codes.h"
#include "adc/deadline.h"
#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"
#include "dio/counter_divisors.h"

namespace mirbax {

void TADCContAcqWorker::SendStart() {
  if (BCStyle == bsDIO)
    _GenericVendorWrite(DI, VRQ_BC_CONTROL, 3, 0, 0, nullptr);
  else if (bCounterControl)
    _GenericVendorWrite(DI, VRQ_ADC_CLOCKED_START, DivisorA, DivisorB, 0, nullptr);
  else
    _GenericVendorWrite(DI, VRQ_BC_CONTROL, 0, 0, sizeof kStartContinuousRecord,
                        kStartContinuousRecord);
}

void TADCContAcqWorker::SendStop() {
  // A board that has gone gets no request: a transfer on its entry would
  // leave a dead handle for this thread in the entry's handle table.
  if (!Dev[DI].bGotHandle) return;
  if (BCStyle == bsDIO)
    _GenericVendorWrite(DI, VRQ_BC_CONTROL, 0x10, 0, 0, nullptr);
  else
    _GenericVendorWrite(DI, VRQ_BC_CONTROL, 0, 0, sizeof kStopContinuousRecord,
                        kStopContinuousRecord);
}

void TADCContAcqWorker::RecordFailure(uint32_t code) {
  IOStatus.store(code);
  SetReturnValue(code);
  MyBufThread->hKillSem.Release();
  MyBufThread->MarkStreamEnded();
}

void TADCContAcqWorker::DrainBoard() {
  uint8_t count[4] = {};
  uint32_t size = sizeof count;
  if (const uint32_t result = _GenericVendorRead(DI, VRQ_BC_CONTROL, 0, 0, size, count)) {
    RecordFailure(result);
    return;
  }
  const uint32_t bytesLeft = uint32_t(count[0]) | uint32_t(count[1]) << 8;
  if (bytesLeft != 0) {
    TContBuf *buffer = MyBufThread->GetBlankBuf(0);
    buffer->UsedSize = 0;
    const uint32_t request = std::min<uint32_t>(bytesLeft, uint32_t(buffer->ADBuf.size()));
    uint32_t transferred = 0;
    if (const uint32_t result =
            _GenericBulk(DI, TargetPipe, buffer->ADBuf.data(), request, transferred)) {
      MyBufThread->PutBlankBuf(buffer);
      RecordFailure(result);
      return;
    }
    buffer->UsedSize = transferred;
    if (buffer->UsedSize != 0)
      MyBufThread->PutDataBuf(buffer);
    else
      MyBufThread->PutBlankBuf(buffer);
  }
  SetReturnValue(ERROR_SUCCESS);
  MyBufThread->MarkStreamEnded();
}

void TADCContAcqWorker::Execute() {
  // Worker priority is best effort on this platform: default priority.
  IOStatus.store(ERROR_SUCCESS);
  SendStart();
  hStartEvent->Set();
  while (!Terminated()) {
    TContBuf *buffer = MyBufThread->GetBlankBuf(0);
    buffer->UsedSize = 0;
    uint32_t transferred = 0;
    if (const uint32_t result = _GenericBulk(DI, TargetPipe, buffer->ADBuf.data(),
                                             uint32_t(buffer->ADBuf.size()), transferred)) {
      // The end aborts the read it finds in progress: that is the orderly
      // stop, not a failure of the stream.
      if (Terminated() && result == ERROR_OPERATION_ABORTED) break;
      RecordFailure(result);
      SendStop();
      return;
    }
    buffer->UsedSize = transferred;
    if (buffer->UsedSize != 0)
      MyBufThread->PutDataBuf(buffer);
    else
      MyBufThread->PutBlankBuf(buffer);
  }
  SendStop();
  if (BCStyle == bsDIO) {
    ::MIRBAX_ClearFIFO(DI, 0);
    SetReturnValue(ERROR_SUCCESS);
    MyBufThread->MarkStreamEnded();
    return;
  }
  DrainBoard();
}

void StartContinuousWorkers(uint32_t DeviceIndex, TDeviceData &device, const TContStart &start) {
  auto bufWorker = std::make_shared<TADCContBufWorker>(start.BytesPerBuf, start.BaseBufCount);
  auto acqWorker = std::make_shared<TADCContAcqWorker>();
  device.ADCContBufWorker = bufWorker;
  device.ADCContAcqWorker = acqWorker;
  bufWorker->MyAcqThread = acqWorker.get();
  bufWorker->Callback = start.Callback;
  bufWorker->CallbackContext = start.Context;
  if (start.Callback == nullptr) bufWorker->Terminate();  // ADC_GetBuf consumes instead
  bufWorker->Start();

  acqWorker->MyBufThread = bufWorker.get();
  acqWorker->hStartEvent = std::make_shared<Event>();
  acqWorker->DI = DeviceIndex;
  acqWorker->TargetPipe = kTargetPipe;
  acqWorker->BCStyle = device.bADCDIOStream ? bsDIO : bsADC;
  acqWorker->bCounterControl = start.bCounterControl;
  acqWorker->DivisorA = start.DivisorA;
  acqWorker->DivisorB = start.DivisorB;
  const std::shared_ptr<Event> started = acqWorker->hStartEvent;
  acqWorker->Start();
  // Either the start request went out, or the thread ended without it.
  while (!started->WaitFor(std::chrono::milliseconds(10)) && !acqWorker->IsFinished()) {
  }
}

namespace {

// Stops the board, ends both workers and frees the pool and the ring.
void EndContinuous(uint32_t di, TDeviceData &device, uint32_t *pIOStatus) {
  std::shared_ptr<TADCContAcqWorker> acqWorker = std::move(device.ADCContAcqWorker);
  std::shared_ptr<TADCContBufWorker> bufWorker = std::move(device.ADCContBufWorker);
  const uint32_t ioStatus = acqWorker->IOStatus.load();  // before stopping
  acqWorker->Terminate();
  bufWorker->hKillSem.Release();
  bufWorker->hDataBufSem.Release();
  // The abort ends a read in progress.  A read the worker began just after
  // an abort would wait for a full buffer: abort again until it has ended.
  // A board that has gone has ended its reads already.
  do {
    if (device.bGotHandle) AbortPipe(di, kTargetPipe);
  } while (!acqWorker->WaitFor(std::chrono::milliseconds(100)));
  acqWorker->Join();
  bufWorker->Join();
  bufWorker->LastGetBuf = nullptr;
  device.pRingAcqData.reset();
  acqWorker.reset();
  bufWorker.reset();
  if (pIOStatus != nullptr) WriteCaller(pIOStatus, ioStatus);
}

// The most the initial buffer pool of a continuous acquisition may take.
constexpr uint64_t kMaxBasePoolBytes = uint64_t{1} << 30;

bool HasStreamInputs(const TDeviceData &device) { return device.bADCBulk || device.bADCDIOStream; }

uint32_t StartCallbackAcquisition(uint32_t di, TDeviceData &device, uint32_t BufSize,
                                  uint32_t BaseBufCount, uint32_t Context, PContCallback pCallback,
                                  double *pHz) {
  if (!HasStreamInputs(device)) return ERROR_BAD_TOKEN_TYPE;
  // A buffer of no bytes would make the acquisition spin on empty reads.
  if (BufSize == 0 || BufSize % 512 != 0 || BufSize < device.StreamingBlockSizeFloor)
    return ERROR_INVALID_USER_BUFFER;
  // The pool is allocated whole before the start: a count no memory can hold
  // would allocate until the process runs out instead of failing.
  if (uint64_t(BufSize) * BaseBufCount > kMaxBasePoolBytes) return ERROR_NOT_ENOUGH_MEMORY;
  if (AcquisitionRunning(device)) return ERROR_TOO_MANY_OPEN_FILES;
  std::shared_ptr<TADCWorker> oldWorker = device.ADCWorker;

  TContStart start{BufSize, BaseBufCount, pCallback, Context};
  if (pHz != nullptr && device.bADCBulk) {
    // The divisors are found before anything is sent: a rate the counters
    // cannot make is refused with nothing started.
    double hz = ReadCaller(pHz);
    if (const uint32_t result =
            CalcHzDivisors(&hz, &start.DivisorA, &start.DivisorB, device.RootClock))
      return result;
    ::CTR_8254Mode(di, 0, 1, 2);
    ::CTR_8254Mode(di, 0, 2, 3);
    start.bCounterControl = true;
    WriteCaller(pHz, hz);
  } else if (pHz != nullptr) {
    WriteCaller(pHz, device.RootClock);  // the DIO-stream board runs at its fixed rate
  }
  StartContinuousWorkers(di, device, start);
  if (oldWorker) {
    device.ADCWorker.reset();
    oldWorker.reset();
  }
  return ERROR_SUCCESS;
}

}  // namespace

}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t ADC_BulkContinuousCallbackStart(uint32_t DeviceIndex, uint32_t BufSize,
                                                       uint32_t BaseBufCount, uint32_t Context,
                                                       PContCallback pCallback) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) {
    return StartCallbackAcquisition(di, device, BufSize, BaseBufCount, Context, pCallback,
                                    nullptr);
  });
}

MIRBAX_EXPORT uint32_t ADC_BulkContinuousCallbackStartClocked(uint32_t DeviceIndex,
                                                              uint32_t BufSize,
                                                              uint32_t BaseBufCount,
                                                              uint32_t Context,
                                                              PContCallback pCallback, double *Hz) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) {
    ReadCaller(Hz);  // the rate is a reference: a bad address is refused first
    return StartCallbackAcquisition(di, device, BufSize, BaseBufCount, Context, pCallback, Hz);
  });
}

MIRBAX_EXPORT uint32_t ADC_BulkContinuousEnd(uint32_t DeviceIndex, uint32_t *pIOStatus) {
  return Guarded([&]() -> uint32_t {
    uint32_t di = DeviceIndex;
    const uint32_t opened = ValidateAndEnsureOpen(di);
    // A board that has gone still has its workers: end and free them, and
    // report the removal.
    if (opened == ERROR_DEVICE_REMOVED && di < kDeviceCount && Dev[di].ADCContAcqWorker &&
        Dev[di].ADCContBufWorker) {
      EndContinuous(di, Dev[di], pIOStatus);
      return opened;
    }
    if (opened != ERROR_SUCCESS) return opened;
    TDeviceData &device = Dev[di];
    if (!HasStreamInputs(device)) return ERROR_BAD_TOKEN_TYPE;
    if (!device.ADCContAcqWorker || !device.ADCContBufWorker) return ERROR_HANDLE_EOF;
    EndContinuous(di, device, pIOStatus);
    return ERROR_SUCCESS;
  });
}

MIRBAX_EXPORT uint32_t ADC_BulkContinuousDebug(uint32_t DeviceIndex, uint32_t *Blanks,
                                               uint32_t *Accessings, uint32_t *GotDatas) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t, TDeviceData &device) -> uint32_t {
    if (!device.bADCBulk) return ERROR_BAD_TOKEN_TYPE;
    if (!device.ADCContAcqWorker || !device.ADCContBufWorker) return ERROR_HANDLE_EOF;
    const TPoolStats stats = device.ADCContBufWorker->GetDebugStats();
    WriteCaller(Blanks, stats.Blanks);
    WriteCaller(Accessings, stats.Accessings);
    WriteCaller(GotDatas, stats.GotDatas);
    return ERROR_SUCCESS;
  });
}

MIRBAX_EXPORT uint32_t ADC_GetBuf(uint32_t DeviceIndex, uint16_t **pData, uint32_t *BufSize,
                                  void *, double Timeout) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t, TDeviceData &device) -> uint32_t {
    uint16_t *const noData = nullptr;
    const uint32_t noSize = 0;
    if (const uint32_t fault = CopyToCaller(pData, &noData, sizeof noData)) return fault;
    if (const uint32_t fault = CopyToCaller(BufSize, &noSize, sizeof noSize)) return fault;
    if (!HasStreamInputs(device)) return ERROR_BAD_TOKEN_TYPE;
    const std::shared_ptr<TADCContBufWorker> pool = device.ADCContBufWorker;
    if (pool && pool->LastGetBuf) {
      pool->PutBlankBuf(pool->LastGetBuf);
      pool->LastGetBuf = nullptr;
    }
    if (!device.ADCContAcqWorker || !pool) return ERROR_NOT_SUPPORTED;
    if (std::isnan(Timeout)) return ERROR_INVALID_PARAMETER;
    const Deadline deadline = DeadlineAfter(Timeout);
    for (;;) {
      TContBuf *buffer = pool->GetDataBuf(RemainingTime(deadline));
      if (buffer == nullptr) return ERROR_NO_DATA;
      if (buffer->UsedSize == 0) {
        pool->PutBlankBuf(buffer);
        continue;
      }
      pool->LastGetBuf = buffer;
      uint16_t *const samples = buffer->Samples();
      CopyToCaller(pData, &samples, sizeof samples);
      CopyToCaller(BufSize, &buffer->UsedSize, sizeof buffer->UsedSize);
      return ERROR_SUCCESS;
    }
  });
}
