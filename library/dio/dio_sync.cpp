// The synchronization function and per-line debounce of the boards with
// custom clocks, and the repeated read of every digital byte into one
// buffer.
//
// Synchronization runs from a 3000 Hz root clock: the base rate is 3000 Hz
// divided by an 8-bit divisor, and the durations A, B and C are counted in
// ticks of 1/3 ms, at most 255 each.
#include <algorithm>
#include <cmath>

#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"

namespace mirbax {
namespace {

constexpr double RootSyncClock = 3000.0;  // Hz
constexpr double kTicksPerMs = RootSyncClock / 1000.0;
constexpr uint32_t kMaxSyncCount = 255;   // divisor and ticks are 8-bit
constexpr uint16_t kDebounceSetIndex = 0x0100, kDebounceReadIndex = 0x0101;

// 0 (synchronization off) below 3000 / 255.5 Hz, where the divisor would
// round past 255; 1 from 3000 Hz up; else the nearest divisor.
uint32_t SyncDivisor(double baseRateHz) {
  if (baseRateHz < RootSyncClock / (kMaxSyncCount + 0.5)) return 0;
  if (baseRateHz >= RootSyncClock) return 1;
  return std::min<uint32_t>(uint32_t(std::nearbyint(RootSyncClock / baseRateHz)), kMaxSyncCount);
}

// A duration in ms as whole ticks, at most 255.  The duration is known to
// be a number of at least 0.
uint32_t SyncTicks(double durationMs) {
  const double ticks = std::nearbyint(durationMs * kTicksPerMs);
  return ticks >= kMaxSyncCount ? kMaxSyncCount : uint32_t(ticks);
}

bool IsDuration(double ms) { return !std::isnan(ms) && ms >= 0; }

uint32_t CheckDebounce(const TDeviceData &device) {
  return device.DIOBytes == 0 || !device.bDIODebounce ? ERROR_BAD_TOKEN_TYPE : ERROR_SUCCESS;
}

}  // namespace
}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t DIO_CSA_DoSync(uint32_t DeviceIndex, double *BaseRateHz, double *DurAms,
                                      double *DurBms, double *DurCms) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!device.bSetCustomClocks) return ERROR_BAD_TOKEN_TYPE;
    double *const durations[] = {DurAms, DurBms, DurCms};
    const double rate = ReadCaller(BaseRateHz);
    double ms[3];
    for (int i = 0; i < 3; ++i) ms[i] = ReadCaller(durations[i]);
    // A negative or not-a-number duration has no tick count: refuse it
    // rather than send the low bits of a negative one.
    if (std::isnan(rate) || !std::all_of(std::begin(ms), std::end(ms), IsDuration))
      return ERROR_INVALID_PARAMETER;

    const uint32_t divisor = SyncDivisor(rate);
    uint32_t ticks[3] = {0, 0, 0};
    WriteCaller(BaseRateHz, divisor == 0 ? 0.0 : RootSyncClock / divisor);
    for (int i = 0; i < 3; ++i) {
      if (divisor != 0) ticks[i] = SyncTicks(ms[i]);
      WriteCaller(durations[i], ticks[i] / kTicksPerMs);
    }
    return mirbax::_GenericVendorWrite(di, VRQ_SET_CUSTOM_CLOCKS, uint16_t((ticks[0] << 8) | divisor),
                                       uint16_t((ticks[2] << 8) | ticks[1]), 0, nullptr);
  });
}

MIRBAX_EXPORT uint32_t DIO_CSA_DebounceSet(uint32_t DeviceIndex, uint32_t DebounceCounts) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t result = CheckDebounce(device)) return result;
    return mirbax::_GenericVendorWrite(di, VRQ_DIO_ADVANCED, uint16_t(DebounceCounts),
                                       kDebounceSetIndex, 0, nullptr);
  });
}

MIRBAX_EXPORT uint32_t DIO_CSA_DebounceReadAll(uint32_t DeviceIndex, void *pData) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t result = CheckDebounce(device)) return result;
    uint32_t size = 2 * device.DIOBytes;  // two bytes per digital byte
    return mirbax::_GenericVendorRead(di, VRQ_DIO_ADVANCED, 0, kDebounceReadIndex, size, pData);
  });
}

namespace {

// Successive whole readings of every digital byte, as many as fit.  A
// failed read ends with its code; a short reply ends without counting it.
uint32_t ReadAllInto(uint32_t di, uint32_t D, uint8_t *buffer, uint32_t room, uint32_t &stored) {
  stored = 0;
  while (room >= D) {
    uint32_t size = D;
    if (const uint32_t result = mirbax::_GenericVendorRead(di, VRQ_DIO_READ, 0, 0, size, buffer + stored))
      return result;
    if (size < D) break;
    stored += D;
    room -= D;
  }
  return ERROR_SUCCESS;
}

}  // namespace

MIRBAX_EXPORT uint32_t DIO_CSA_ReadAllString(uint32_t DeviceIndex, void *pData,
                                             uint32_t *pDataBytes) {
  // Every way out stores the byte count, 0 when nothing was read.
  const auto storeNothing = [&] {
    const uint32_t none = 0;
    CopyToCaller(pDataBytes, &none, sizeof none);
  };
  return Guarded([&]() -> uint32_t {
    try {
      uint32_t di = DeviceIndex;
      if (const uint32_t result = ValidateAndEnsureOpen(di)) {
        storeNothing();
        return result;
      }
      const uint32_t D = Dev[di].DIOBytes;
      if (D == 0) {
        storeNothing();
        return ERROR_BAD_TOKEN_TYPE;
      }
      uint32_t stored = 0;
      const uint32_t result =
          ReadAllInto(di, D, static_cast<uint8_t *>(pData), ReadCaller(pDataBytes), stored);
      WriteCaller(pDataBytes, stored);
      return result;
    } catch (...) {
      storeNothing();
      return ERROR_INTERNAL_ERROR;
    }
  });
}
