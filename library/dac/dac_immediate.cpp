// Immediate DAC output (one channel or many in one request), the board's
// output range and the EEPROM range-limit block.
#include <algorithm>
#include <array>
#include <vector>

#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"
#include "dac/dac_kinds.h"
#include "dac/load_process.h"

namespace mirbax {

namespace {

constexpr uint32_t kChannelsPerGroup = 8;
constexpr uint32_t kGroupBytes = 1 + 2 * kChannelsPerGroup;  // mask byte, eight counts
constexpr uint16_t kRangeLimitAddress = 0x1D00;
constexpr uint32_t kRangeLimitBytes = 32;

// Immediate writes would mix with the application's own waveform stream.
uint32_t CheckImmediateAllowed(const TDeviceData &device) {
  if (device.ImmDACs == 0) return ERROR_BAD_TOKEN_TYPE;
  if (HasDACStreamKind(device) && DACStreamBusy(device)) return ERROR_TOO_MANY_OPEN_FILES;
  return ERROR_SUCCESS;
}

// A DAC-through-stream board outputs a count as a stream of two identical
// samples; the channel is not sent (these boards have one DAC).
uint32_t OutputThroughStream(uint32_t DeviceIndex, TDeviceData &device, uint16_t Value) {
  const std::array<uint16_t, 2> samples{Value, Value};
  double rate = kDACDIOStreamImmHz;
  return OutputProcess(DeviceIndex, device, rate, samples.size(), samples.data());
}

uint32_t ImmediateWrite(uint32_t DeviceIndex, TDeviceData &device, uint16_t Channel,
                        uint16_t Value) {
  if (const uint32_t result = CheckImmediateAllowed(device)) return result;
  if (Channel >= device.ImmDACs) return ERROR_INVALID_ADDRESS;
  if (DACKind(device) == TDACKind::DIOStream) return OutputThroughStream(DeviceIndex, device, Value);
  return _GenericVendorWrite(DeviceIndex, VRQ_DAC_IMMEDIATE, Value, Channel, 0, nullptr);
}

// The multi-channel record: groups of eight channels, each a mask byte and
// eight little-endian counts.
class MultiDirectRecord {
 public:
  explicit MultiDirectRecord(uint32_t channels)
      : bytes_(((channels + kChannelsPerGroup - 1) / kChannelsPerGroup) * kGroupBytes, 0) {}

  // A channel named twice keeps the later value.
  void Set(const TDACEntry &entry) {
    uint8_t *group = &bytes_[(entry.Channel / kChannelsPerGroup) * kGroupBytes];
    const uint32_t k = entry.Channel % kChannelsPerGroup;
    group[0] |= uint8_t(1u << k);
    group[1 + 2 * k] = uint8_t(entry.Value);
    group[2 + 2 * k] = uint8_t(entry.Value >> 8);
  }

  // The record ends with the group of the highest channel named.
  std::vector<uint8_t> &UpTo(uint16_t highest) {
    bytes_.resize((highest / kChannelsPerGroup + 1) * kGroupBytes);
    return bytes_;
  }

 private:
  std::vector<uint8_t> bytes_;
};

uint32_t MultiWrite(uint32_t DeviceIndex, TDeviceData &device, const TDACEntry *pDACData,
                    uint32_t DACDataCount) {
  if (const uint32_t result = CheckImmediateAllowed(device)) return result;
  if (DACDataCount == 0) return ERROR_SUCCESS;

  // The caller's array is read in slices through a guarded copy, never held
  // whole; entries for channels the board lacks only decide the 487.
  constexpr uint32_t kSlice = 1024;
  std::array<TDACEntry, kSlice> slice;
  MultiDirectRecord record(device.ImmDACs);
  uint16_t highest = 0;
  uint16_t lastValue = 0;
  for (uint32_t done = 0; done < DACDataCount;) {
    const uint32_t count = std::min(kSlice, DACDataCount - done);
    if (const uint32_t result =
            CopyFromCaller(slice.data(), pDACData + done, count * sizeof(TDACEntry)))
      return result;
    for (uint32_t i = 0; i < count; ++i) {
      highest = std::max(highest, slice[i].Channel);
      if (slice[i].Channel < device.ImmDACs) record.Set(slice[i]);
    }
    lastValue = slice[count - 1].Value;
    done += count;
  }
  if (highest >= device.ImmDACs) return ERROR_INVALID_ADDRESS;

  if (DACKind(device) == TDACKind::DIOStream)  // only the last entry counts
    return OutputThroughStream(DeviceIndex, device, lastValue);
  const std::vector<uint8_t> &bytes = record.UpTo(highest);
  return _GenericVendorWrite(DeviceIndex, VRQ_DAC_IMMEDIATE, 0, 0, bytes.size(), bytes.data());
}

uint32_t SetBoardRange(uint32_t DeviceIndex, TDeviceData &device, uint32_t RangeCode) {
  if (DACKind(device) == TDACKind::DIOStream) {
    // These boards report their range in two bytes; a board that needs it
    // gets its output set to the range's zero first.  RangeCode is not used.
    std::array<uint8_t, 2> range{};
    uint32_t size = range.size();
    if (const uint32_t result =
            _GenericVendorRead(DeviceIndex, VRQ_DAC_RANGE, 0, 0, size, range.data()))
      return result;
    if (range[0] >= 2) {
      if (const uint32_t result =
              ImmediateWrite(DeviceIndex, device, 0, range[1] != 0 ? 0x8000 : 0))
        return result;
    }
    return _GenericVendorWrite(DeviceIndex, VRQ_DAC_RANGE, 0, 0, 0, nullptr);
  }
  if (!device.bDACBoardRange) return ERROR_BAD_TOKEN_TYPE;
  return _GenericVendorWrite(DeviceIndex, VRQ_DAC_RANGE, uint16_t(RangeCode), 0, 0, nullptr);
}

// The range-limit block goes through the exported GenericVendorWrite, which
// resolves and opens the device itself; no capability is tested.
uint32_t SetRangeLimits(uint32_t DeviceIndex, const void *pData) {
  std::array<uint8_t, 1 + kRangeLimitBytes> block{1};  // 1: limits present
  if (const uint32_t result = CopyFromCaller(&block[1], pData, kRangeLimitBytes)) return result;
  return ::GenericVendorWrite(DeviceIndex, CUR_EEPROM_READWRITE, kRangeLimitAddress, 0,
                              block.size(), block.data());
}

uint32_t ClearRangeLimits(uint32_t DeviceIndex) {
  const uint8_t cleared = 0;  // only the flag byte is written
  return ::GenericVendorWrite(DeviceIndex, CUR_EEPROM_READWRITE, kRangeLimitAddress, 0, 1,
                              &cleared);
}

}  // namespace

}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t DACDirect(uint32_t DeviceIndex, uint16_t Channel, uint16_t Value) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) {
    return ImmediateWrite(di, device, Channel, Value);
  });
}

MIRBAX_EXPORT uint32_t DACMultiDirect(uint32_t DeviceIndex, const TDACEntry *pDACData,
                                      uint32_t DACDataCount) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) {
    return MultiWrite(di, device, pDACData, DACDataCount);
  });
}

MIRBAX_EXPORT uint32_t DACSetBoardRange(uint32_t DeviceIndex, uint32_t RangeCode) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) {
    return SetBoardRange(di, device, RangeCode);
  });
}

MIRBAX_EXPORT uint32_t DAC_CSA_SetRangeLimits(uint32_t DeviceIndex, const void *pData) {
  return Guarded([&] { return SetRangeLimits(DeviceIndex, pData); });
}

MIRBAX_EXPORT uint32_t DAC_CSA_ClearRangeLimits(uint32_t DeviceIndex) {
  return Guarded([&] { return ClearRangeLimits(DeviceIndex); });
}
