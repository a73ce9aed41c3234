// Board housekeeping: the capability record, the defaults table, the global
// tick, the FIFO and stream status, the streaming block size and the reset
// of the board's USB controller.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/board_memory.h"
#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"

namespace mirbax {

namespace {

constexpr uint32_t kMaxStreamingBlockSize = 0x1F00000;

uint32_t RoundUpTo(uint32_t value, uint32_t multiple) {
  return (value + multiple - 1) / multiple * multiple;
}

uint32_t WriteDefaultsRegister(uint32_t di, uint16_t operation) {
  return _GenericVendorWrite(di, VRQ_GEN_REGISTER, kDefaultsMagic, operation, 0, nullptr);
}

}  // namespace

uint32_t WriteGlobalTick(uint32_t DeviceIndex, double &Hz) {
  double divisor;
  double rate;
  if (Hz == 0.0) {
    divisor = 65535;
    rate = 0.0;
  } else {
    // A negative or infinite rate would leave no divisor to divide by.
    if (!std::isfinite(Hz) || Hz < 0.0) return ERROR_INVALID_PARAMETER;
    const double f = kCPUHz / Hz;
    // Ties to even, as the default rounding mode does; a rate above 24 MHz
    // would round to 0 and is given the fastest tick instead.
    divisor = f >= 65535 ? 65535 : std::max(1.0, std::nearbyint(f));
    rate = kCPUHz / divisor;
  }
  Hz = rate;
  return _GenericVendorWrite(DeviceIndex, VRQ_GEN_REGISTER, uint16_t(65535 - uint32_t(divisor)),
                             kGenRegGlobalTick, 0, nullptr);
}

}  // namespace mirbax

using namespace mirbax;

// The record as read when the device was opened; PNPSize counts its own
// byte, so the caller gets PNPSize - 1 bytes from Rev on (at most the 14 the
// record holds, whatever size the board claims).
MIRBAX_EXPORT uint32_t MIRBAX_QuerySimplePNPData(uint32_t DeviceIndex, void *pPNPData,
                                                 uint32_t *pPNPDataBytes) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    uint8_t record[sizeof(TPNPData)];
    std::memcpy(record, &device.PNPData, sizeof record);
    const uint32_t valid = std::min<uint32_t>(record[0], sizeof record);
    if (valid == 0) {
      WriteCaller(pPNPDataBytes, 0u);
      return ERROR_SUCCESS;
    }
    const uint32_t copied = std::min(ReadCaller(pPNPDataBytes), valid - 1);
    WriteCaller(pPNPDataBytes, valid - 1);
    return CopyToCaller(pPNPData, record + 1, copied);
  });
}

MIRBAX_EXPORT uint32_t MIRBAX_SaveStateAsDefaults(uint32_t DeviceIndex) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    return WriteDefaultsRegister(di, kGenRegSaveDefaults);
  });
}

MIRBAX_EXPORT uint32_t MIRBAX_RestoreFactoryDefaults(uint32_t DeviceIndex) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    return WriteDefaultsRegister(di, kGenRegRestoreDefaults);
  });
}

MIRBAX_EXPORT uint32_t MIRBAX_SetDefaultsTable(uint32_t DeviceIndex, const void *pDefTable,
                                               uint32_t *pDefTableBytes) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    const uint32_t size = ReadCaller(pDefTableBytes);
    if (size > kDefaultsTableMaxSize) return ERROR_BAD_LENGTH;
    // The transfer copies the caller's table itself (a fault gives 998).
    return mirbax::_GenericVendorWrite(di, VRQ_GEN_REGISTER, kDefaultsMagic, kGenRegWriteDefaults,
                                       size, pDefTable);
  });
}

// The caller's bytes beyond what the board returns, and all of them when
// the read fails, are left as they were.
MIRBAX_EXPORT uint32_t MIRBAX_GetDefaultsTable(uint32_t DeviceIndex, void *pDefTable,
                                               uint32_t *pDefTableBytes) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    const uint32_t size = ReadCaller(pDefTableBytes);
    if (size > kDefaultsTableMaxSize) return ERROR_BAD_LENGTH;
    std::vector<uint8_t> table(size);
    if (const uint32_t fault = CopyFromCaller(table.data(), pDefTable, size)) return fault;
    uint32_t received = size;
    const uint32_t result = mirbax::_GenericVendorRead(di, VRQ_GEN_REGISTER, 0,
                                                       kGenRegReadDefaults, received,
                                                       table.data());
    received = std::min(received, size);
    if (const uint32_t fault = CopyToCaller(pDefTable, table.data(), received)) return fault;
    WriteCaller(pDefTableBytes, received);
    return result;
  });
}

MIRBAX_EXPORT uint32_t MIRBAX_SetGlobalTickRate(uint32_t DeviceIndex, double *pHz) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    double hz = ReadCaller(pHz);
    const uint32_t result = WriteGlobalTick(di, hz);
    if (result != ERROR_INVALID_PARAMETER) WriteCaller(pHz, hz);
    return result;
  });
}

MIRBAX_EXPORT uint32_t MIRBAX_ClearFIFO(uint32_t DeviceIndex, uint32_t TimeMethod) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!device.bClearFIFO) return ERROR_BAD_TOKEN_TYPE;
    uint8_t request;
    switch (TimeMethod) {
      case 0: request = VRQ_GEN_CLEAR_FIFO; break;
      case 1: request = VRQ_GEN_CLEAR_FIFO_NEXT; break;
      case 5: request = VRQ_GEN_ABORT_AND_CLEAR; break;
      case 86: request = VRQ_GEN_CLEAR_FIFO_WAIT; break;
      default: return ERROR_INVALID_PARAMETER;
    }
    return mirbax::_GenericVendorWrite(di, request, 0, 0, 0, nullptr);
  });
}

// Bytes of the status word that the board does not send read as 0.
MIRBAX_EXPORT uint32_t MIRBAX_GetStreamStatus(uint32_t DeviceIndex, uint32_t *Status) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!device.bClearFIFO) return ERROR_BAD_TOKEN_TYPE;
    uint8_t bytes[4] = {};
    uint32_t size = sizeof bytes;
    const uint32_t result =
        mirbax::_GenericVendorRead(di, VRQ_GEN_STREAM_STATUS, 0, 0, size, bytes);
    if (result != ERROR_SUCCESS) return result;
    WriteCaller(Status, uint32_t(bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t(bytes[3]) << 24));
    return ERROR_SUCCESS;
  });
}

MIRBAX_EXPORT uint32_t MIRBAX_SetStreamingBlockSize(uint32_t DeviceIndex, uint32_t BlockSize) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t, TDeviceData &device) -> uint32_t {
    if (!device.bDIOStream && !device.bADCBulk) return ERROR_BAD_TOKEN_TYPE;
    if (BlockSize == 0 || BlockSize > kMaxStreamingBlockSize) return ERROR_INVALID_PARAMETER;
    uint32_t size = std::max(BlockSize, device.StreamingBlockSizeFloor);
    if (device.bADCBulk) size = RoundUpTo(size, 512);
    if (device.bDIOStream) size = RoundUpTo(size, 256);
    device.StreamingBlockSize = size;
    return ERROR_SUCCESS;
  });
}

// No frame of its own: the exported GenericVendorWrite resolves and opens.
MIRBAX_EXPORT uint32_t MIRBAX_ResetChip(uint32_t DeviceIndex) {
  return Guarded([&]() -> uint32_t {
    const uint8_t hold = 1, run = 0;
    if (const uint32_t result =
            GenericVendorWrite(DeviceIndex, CUR_RAM_WRITE, kCpuControlRegister, 0, 1, &hold))
      return result;
    return GenericVendorWrite(DeviceIndex, CUR_RAM_WRITE, kCpuControlRegister, 0, 1, &run);
  });
}
