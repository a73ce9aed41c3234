// Opening an entry (EnsureOpen) and the cached probes of the board: its
// firmware generation, its capability record and its bus speed.
#include <array>
#include <cstddef>
#include <new>

#include "core/device_table.h"
#include "core/links.h"
#include "core/result_codes.h"
#include "core/transport.h"
#include "platform/platform.h"

namespace mirbax {

namespace {
using DeviceArray = std::array<TDeviceData, kDeviceCount>;
alignas(DeviceArray) unsigned char deviceStorage[sizeof(DeviceArray)];
}  // namespace

std::array<TDeviceData, kDeviceCount> &Dev = *::new (deviceStorage) DeviceArray();

// Library load: the WinUSB entry points, then every attached board is linked
// (none is opened).  Runs right after the table exists.
[[maybe_unused]] static const bool libraryLoaded = [] {
  LoadWinUSB();
  LoadDriverLinks();
  return true;
}();

namespace {

constexpr uint32_t kDeviceDescriptorSize = 18;
constexpr uint32_t kOpening = 0xFFFFFFFF;

// Reads the 18-byte device descriptor through the entry's driver path and
// takes idProduct from it.
uint32_t ReadProductId(uint32_t DeviceIndex, uint32_t &pid) {
  TDeviceData &device = Dev[DeviceIndex];
  std::array<uint8_t, kDeviceDescriptorSize> descriptor{};
  switch (device.USBDriverType.load()) {
    case dtWinUSB: {
      const Handle handle = GetThreadHandleForDevice(DeviceIndex);
      uint32_t received = 0;
      if (!platform::WinUsbGetDescriptor(handle, 1, 0, 0x0409, descriptor.data(),
                                         kDeviceDescriptorSize, &received))
        return GetMappedFailure(DeviceIndex);
      if (received < kDeviceDescriptorSize) return ERROR_READ_FAULT;
      break;
    }
    case dtCyUSB2:
    case dtCyUSB3: {
      uint32_t size = kDeviceDescriptorSize;
      // The standard GET_DESCRIPTOR request, device descriptor.
      if (const uint32_t result =
              _Cy_GenericRead(DeviceIndex, 0x80, 6, 0x0100, 0, size, descriptor.data()))
        return result;
      if (size < kDeviceDescriptorSize) return ERROR_READ_FAULT;
      break;
    }
    default:
      pid = 0;
      return ERROR_SUCCESS;
  }
  pid = uint32_t(descriptor[10]) | uint32_t(descriptor[11]) << 8;
  return ERROR_SUCCESS;
}

// Step 4 of the open: every capability back to "none".  Worker references
// are kept: dropping one here would lose the only way to stop a worker that
// still runs; the family functions that end workers release them.
void ResetCapabilities(TDeviceData &d) {
  d.DIOBytes = d.DIOConfigBits = d.Counters = d.Tristates = 0;
  d.ConfigBytes = d.ImmDACs = d.ImmADCs = d.ADCChannels = d.ADCMUXChannels = 0;
  d.RangeShift = 0;
  d.StreamingBlockSizeFloor = 0;
  d.FlashSectors = 0;
  d.WDGBytes = 0;
  d.RootClock = 0.0;
  d.ImmADCPostScale = 1.0;
  d.StreamingBlockSize = 0x7C00;
  d.bGetName = d.bGateSelectable = false;
  d.bDACBoardRange = d.bDACChannelCal = d.bDACStream = false;
  d.bDACDIOStream = d.bDACSlowWaveStream = false;
  d.bADCBulk = d.bADCDIOStream = false;
  d.bDIOStream = d.bDIODebounce = d.bDIOSPI = d.bSetCustomClocks = d.bClearFIFO = false;
  d.USBSpeed = usUnknown;
}

}  // namespace

uint32_t EnsureOpen(uint32_t DeviceIndex) {
  TDeviceData &device = Dev[DeviceIndex];
  if (!device.bGotHandle) return device.bDeviceWasHere ? ERROR_DEVICE_REMOVED : ERROR_FILE_NOT_FOUND;
  if (device.bOpen) return ERROR_SUCCESS;

  std::lock_guard lock(device.hOpenMutex);
  if (device.bOpen) return ERROR_SUCCESS;  // another thread finished the open
  device.PID = kOpening;
  uint32_t pid = 0;
  if (const uint32_t result = ReadProductId(DeviceIndex, pid)) return result;
  device.PID = pid;

  ResetCapabilities(device);
  ApplyProductTable(device, pid);
  if (device.DIOConfigBits == 0) device.DIOConfigBits = device.DIOBytes;
  device.LastDIOData.resize(device.DIOBytes, 0);
  if (device.bGetName) CheckPNPData(DeviceIndex);
  device.bOpen = true;
  return ERROR_SUCCESS;
}

uint32_t CheckFirmware20(uint32_t DeviceIndex) {
  TDeviceData &device = Dev[DeviceIndex];
  if (device.bFirmware20) return ERROR_SUCCESS;
  std::array<uint8_t, 3> reply{};
  uint32_t size = uint32_t(reply.size());
  if (const uint32_t result =
          _GenericControlRead(DeviceIndex, 0xC0, CUR_RAM_READ, 0x8000, 1, size, reply.data()))
    return result;
  const bool newer = size >= 3 && reply[0] != 0xFF && reply[0] >= 3 && (reply[2] & 2) != 0;
  if (!newer) return ERROR_NOT_SUPPORTED;
  device.bFirmware20 = true;
  return ERROR_SUCCESS;
}

uint32_t CheckPNPData(uint32_t DeviceIndex) {
  TDeviceData &device = Dev[DeviceIndex];
  device.PNPData.PNPSize = 0;
  if (const uint32_t result = CheckFirmware20(DeviceIndex)) return result;
  TPNPData record{};
  uint32_t size = sizeof record;
  const uint32_t result = _GenericControlRead(DeviceIndex, 0xC0, VRQ_PNP_DATA, 0, 0, size, &record);
  // PNPSize as the board sent it is what counts, not the bytes received.
  if (result != ERROR_SUCCESS || record.PNPSize == 0xFF) record.PNPSize = 0;
  device.PNPData = record;
  return result;
}

TUSBSpeed CheckUSBSpeed(uint32_t DeviceIndex) {
  TDeviceData &device = Dev[DeviceIndex];
  if (device.USBSpeed != usUnknown) return device.USBSpeed;
  const Handle handle = GetThreadHandleForDevice(DeviceIndex);
  uint32_t speed = 0;
  uint32_t returned = 0;
  if (platform::DeviceIoControl(handle, platform::IOCTL_ADAPT_GET_DEVICE_SPEED, &speed,
                                sizeof speed, &speed, sizeof speed, &returned) &&
      returned == sizeof speed) {
    if (speed == 1) device.USBSpeed = usLowFull;
    if (speed == 2) device.USBSpeed = usHigh;
  }
  return device.USBSpeed;
}

bool bDevHasPNPByte(const TDeviceData &device, std::size_t offset) {
  return offset < device.PNPData.PNPSize;
}

}  // namespace mirbax
