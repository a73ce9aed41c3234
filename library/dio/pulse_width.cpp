// Pulse-width measurement on the board's counters through the monitor
// worker TCtrMonitorThread; one monitor at most per device.
//
// The worker compares each reading of all counters with the one before it,
// alternating two arrays, and (re)records every counter that did not
// change, 0 included.  Fetching a measurement consumes it; a counter that
// holds still produces it again on the next pass.  There is no pause
// between readings.
#include "dio/pulse_width.h"

#include <mirbax.h>

#include "core/caller_memory.h"
#include "core/frame.h"
#include "dio/counters.h"

namespace mirbax {

TCtrMonitorThread::TCtrMonitorThread(uint32_t DI, std::size_t counters)
    : DI(DI), MeasuredPulseWidth(counters, 0) {}

TCtrMonitorThread::~TCtrMonitorThread() { Stop(); }

void TCtrMonitorThread::Start() {
  thread_ = std::jthread([this](std::stop_token stop) { Execute(stop); });
}

void TCtrMonitorThread::Stop() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  thread_.join();
}

uint16_t TCtrMonitorThread::TakeMeasurement(std::size_t entry) {
  std::lock_guard lock(hListMutex);
  const uint16_t value = MeasuredPulseWidth.at(entry);
  MeasuredPulseWidth[entry] = 0;
  return value;
}

void TCtrMonitorThread::RecordStableCounts(const std::vector<uint16_t> &A,
                                           const std::vector<uint16_t> &B) {
  std::lock_guard lock(hListMutex);
  for (std::size_t i = 0; i < MeasuredPulseWidth.size(); ++i)
    if (A[i] == B[i]) MeasuredPulseWidth[i] = A[i];
}

namespace {

// The board has gone (or its link was dropped): no reading will succeed.
bool BoardGone(uint32_t result) {
  return result == ERROR_DEVICE_REMOVED || result == ERROR_FILE_NOT_FOUND ||
         result == ERROR_DEVICE_NOT_CONNECTED;
}

}  // namespace

void TCtrMonitorThread::Execute(std::stop_token stop) {
  // Other read failures are ignored: a failed read leaves its array as it
  // was.
  std::vector<uint16_t> A(MeasuredPulseWidth.size()), B(MeasuredPulseWidth.size());
  std::vector<uint16_t> *current = &A, *other = &B;
  if (!BoardGone(::CTR_8254ReadAll(DI, B.data()))) {
    do {
      if (BoardGone(::CTR_8254ReadAll(DI, current->data()))) break;
      std::swap(current, other);
      RecordStableCounts(A, B);
    } while (!stop.stop_requested());
  }
  ended_.Set();
}

namespace {

// Ends the device's monitor, if any, and waits for it.
void StopMonitor(TDeviceData &device) {
  if (const auto monitor = std::move(device.CtrMonitorThread)) monitor->Stop();
}

}  // namespace
}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t CTR_StartMeasuringPulseWidth(uint32_t DeviceIndex) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (device.Counters == 0) return ERROR_BAD_TOKEN_TYPE;
    StopMonitor(device);
    try {
      auto monitor = std::make_shared<TCtrMonitorThread>(di, kCountersPerBlock * device.Counters);
      monitor->Start();
      device.CtrMonitorThread = std::move(monitor);
    } catch (...) {
      return ERROR_INTERNAL_ERROR;  // the half-made monitor is freed, none recorded
    }
    return ERROR_SUCCESS;
  });
}

MIRBAX_EXPORT uint32_t CTR_StopMeasuringPulseWidth(uint32_t DeviceIndex) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t, TDeviceData &device) -> uint32_t {
    if (device.Counters == 0) return ERROR_BAD_TOKEN_TYPE;
    if (!device.CtrMonitorThread) return ERROR_FILE_NOT_FOUND;
    StopMonitor(device);
    return ERROR_SUCCESS;
  });
}

MIRBAX_EXPORT uint32_t CTR_GetPulseWidthMeasurement(uint32_t DeviceIndex, uint32_t BlockIndex,
                                                    uint32_t CounterIndex, uint16_t *pReadValue) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t, TDeviceData &device) -> uint32_t {
    if (device.Counters == 0) return ERROR_BAD_TOKEN_TYPE;
    if (const uint32_t result = MapCounterBlock(device, BlockIndex, CounterIndex)) return result;
    const std::shared_ptr<TCtrMonitorThread> monitor = device.CtrMonitorThread;
    if (!monitor) return ERROR_FILE_NOT_FOUND;

    const uint16_t none = 0;
    if (const uint32_t fault = CopyToCaller(pReadValue, &none, sizeof none)) return fault;
    const uint16_t value = monitor->TakeMeasurement(BlockIndex * kCountersPerBlock + CounterIndex);
    WriteCaller(pReadValue, value);
    return value == 0 ? ERROR_NO_DATA_DETECTED : ERROR_SUCCESS;
  });
}
