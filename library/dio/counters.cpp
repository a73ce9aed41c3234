// The 8254 counter blocks: mode, load and read requests, the read of all
// counters, and the frequency output of one block.
//
// The 8254 stays on the board; the library packs control words and counts
// into vendor requests.  Value field of the single-counter requests: the
// high byte selects the counter (as an 8254 control word or selector), the
// low byte the block.
#include <array>

#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"
#include "dio/counter_divisors.h"
#include "dio/counters.h"

namespace mirbax {

uint32_t MapCounterBlock(const TDeviceData &device, uint32_t &BlockIndex, uint32_t &CounterIndex) {
  if (BlockIndex == 0) {
    BlockIndex = CounterIndex / kCountersPerBlock;
    CounterIndex %= kCountersPerBlock;
  } else if (CounterIndex >= kCountersPerBlock) {
    return ERROR_INVALID_ADDRESS;
  }
  return BlockIndex < device.Counters ? ERROR_SUCCESS : ERROR_INVALID_ADDRESS;
}

namespace {

constexpr uint32_t kModes = 6;  // 8254 modes 0 to 5

// Control word: counter in bits 7-6, load LSB then MSB (bits 5-4 = 11), the
// mode in bits 3-1, binary counting (bit 0 clear).
constexpr uint8_t ControlWord(uint32_t counter, uint32_t mode) {
  return uint8_t((counter << 6) | (mode << 1) | 0x30);
}
// The bare counter selector of a plain load.
constexpr uint8_t CounterSelector(uint32_t counter) { return uint8_t(counter << 6); }

constexpr uint16_t RequestValue(uint8_t high, uint32_t block) {
  return uint16_t((uint32_t(high) << 8) | (block & 0xFF));
}

// The checks of every single-counter function, in order: counters present,
// address on the board, then (for the functions that take one) the mode.
uint32_t CheckCounter(const TDeviceData &device, uint32_t &block, uint32_t &counter) {
  if (device.Counters == 0) return ERROR_BAD_TOKEN_TYPE;
  return MapCounterBlock(device, block, counter);
}

uint32_t CheckCounterAndMode(const TDeviceData &device, uint32_t &block, uint32_t &counter,
                             uint32_t mode) {
  if (const uint32_t result = CheckCounter(device, block, counter)) return result;
  return mode < kModes ? ERROR_SUCCESS : ERROR_INVALID_ADDRESS;
}

uint32_t SendMode(uint32_t di, uint32_t block, uint32_t counter, uint32_t mode) {
  return _GenericVendorWrite(di, VRQ_CTR_MODE, RequestValue(ControlWord(counter, mode), block), 0, 0,
                             nullptr);
}

uint32_t SendModeLoad(uint32_t di, uint32_t block, uint32_t counter, uint32_t mode,
                      uint16_t load) {
  return _GenericVendorWrite(di, VRQ_CTR_MODELOAD, RequestValue(ControlWord(counter, mode), block),
                             load, 0, nullptr);
}

// Reads a 2-byte count into the caller's word.  The word is read first, so a
// bad pointer fails (1359) before anything is sent and a short reply leaves
// its other byte as it was.
uint32_t ReadCount(uint32_t di, uint8_t request, uint16_t value, uint16_t index,
                   uint16_t *pReadValue) {
  uint16_t count = ReadCaller(pReadValue);
  uint32_t size = sizeof count;
  const uint32_t result = _GenericVendorRead(di, request, value, index, size, &count);
  if (result == ERROR_SUCCESS) WriteCaller(pReadValue, count);
  return result;
}

// Counter 1 of the block divides the root clock by A (rate generator, mode
// 2), counter 2 divides again by B (square wave, mode 3).
constexpr uint32_t kFirstDivider = 1, kSecondDivider = 2;
constexpr uint32_t kRateGenerator = 2, kSquareWave = 3;

}  // namespace
}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t CTR_8254Mode(uint32_t DeviceIndex, uint32_t BlockIndex,
                                    uint32_t CounterIndex, uint32_t Mode) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t result = CheckCounterAndMode(device, BlockIndex, CounterIndex, Mode))
      return result;
    return SendMode(di, BlockIndex, CounterIndex, Mode);
  });
}

MIRBAX_EXPORT uint32_t CTR_8254Load(uint32_t DeviceIndex, uint32_t BlockIndex,
                                    uint32_t CounterIndex, uint16_t LoadValue) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t result = CheckCounter(device, BlockIndex, CounterIndex)) return result;
    return mirbax::_GenericVendorWrite(di, VRQ_CTR_LOAD,
                                       RequestValue(CounterSelector(CounterIndex), BlockIndex),
                                       LoadValue, 0, nullptr);
  });
}

MIRBAX_EXPORT uint32_t CTR_8254ModeLoad(uint32_t DeviceIndex, uint32_t BlockIndex,
                                        uint32_t CounterIndex, uint32_t Mode,
                                        uint16_t LoadValue) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t result = CheckCounterAndMode(device, BlockIndex, CounterIndex, Mode))
      return result;
    return SendModeLoad(di, BlockIndex, CounterIndex, Mode, LoadValue);
  });
}

MIRBAX_EXPORT uint32_t CTR_8254ReadModeLoad(uint32_t DeviceIndex, uint32_t BlockIndex,
                                            uint32_t CounterIndex, uint32_t Mode,
                                            uint16_t LoadValue, uint16_t *pReadValue) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t result = CheckCounterAndMode(device, BlockIndex, CounterIndex, Mode))
      return result;
    return ReadCount(di, VRQ_CTR_MODELOAD,
                     RequestValue(ControlWord(CounterIndex, Mode), BlockIndex), LoadValue,
                     pReadValue);
  });
}

MIRBAX_EXPORT uint32_t CTR_8254Read(uint32_t DeviceIndex, uint32_t BlockIndex,
                                    uint32_t CounterIndex, uint16_t *pReadValue) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t result = CheckCounter(device, BlockIndex, CounterIndex)) return result;
    // The read names the counter by its number, not as a selector.
    return ReadCount(di, VRQ_CTR_READ, RequestValue(uint8_t(CounterIndex), BlockIndex), 0,
                     pReadValue);
  });
}

MIRBAX_EXPORT uint32_t CTR_8254ReadStatus(uint32_t DeviceIndex, uint32_t BlockIndex,
                                          uint32_t CounterIndex, uint16_t *pReadValue,
                                          uint8_t *pStatus) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t result = CheckCounter(device, BlockIndex, CounterIndex)) return result;
    // Count (2 bytes, least significant first), then the 8254 status byte;
    // delivered whatever the read returned.
    std::array<uint8_t, 3> reply{};
    uint32_t size = reply.size();
    const uint32_t result = mirbax::_GenericVendorRead(
        di, VRQ_CTR_READ, RequestValue(uint8_t(CounterIndex), BlockIndex), 0, size, reply.data());
    WriteCaller(pReadValue, uint16_t(reply[0] | (reply[1] << 8)));
    WriteCaller(pStatus, reply[2]);
    return result;
  });
}

MIRBAX_EXPORT uint32_t CTR_8254ReadAll(uint32_t DeviceIndex, uint16_t *pData) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (device.Counters == 0) return ERROR_BAD_TOKEN_TYPE;
    // One 2-byte count per counter, counter i of the reply being counter
    // i mod 3 of block i div 3.
    uint32_t size = 2 * kCountersPerBlock * device.Counters;
    return mirbax::_GenericVendorRead(di, VRQ_CTR_READALL, 0, 0, size, pData);
  });
}

MIRBAX_EXPORT uint32_t CTR_8254ReadLatched(uint32_t DeviceIndex, void *pData) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (device.Counters == 0) return ERROR_BAD_TOKEN_TYPE;
    // The counts latched together, then one byte of the board's own.
    uint32_t size = 2 * kCountersPerBlock * device.Counters + 1;
    return mirbax::_GenericVendorRead(di, VRQ_CTR_READLATCHED, 0, 0, size, pData);
  });
}

MIRBAX_EXPORT uint32_t CTR_StartOutputFreq(uint32_t DeviceIndex, uint32_t BlockIndex,
                                           double *pHz) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (device.Counters == 0) return ERROR_BAD_TOKEN_TYPE;
    if (BlockIndex >= device.Counters) return ERROR_INVALID_ADDRESS;
    if (pHz == nullptr) return ERROR_INVALID_PARAMETER;

    double Hz = ReadCaller(pHz);
    if (Hz <= 0) {
      // Stop: set both modes without loading either counter.
      SendMode(di, BlockIndex, kFirstDivider, kRateGenerator);
      return SendMode(di, BlockIndex, kSecondDivider, kSquareWave);
    }
    uint16_t A = 0, B = 0;
    if (const uint32_t result = CalcHzDivisors(&Hz, &A, &B, device.RootClock)) return result;
    WriteCaller(pHz, Hz);
    SendModeLoad(di, BlockIndex, kFirstDivider, kRateGenerator, A);
    return SendModeLoad(di, BlockIndex, kSecondDivider, kSquareWave, B);
  });
}
