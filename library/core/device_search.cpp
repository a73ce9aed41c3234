// Finding boards by what they hold: the serial number in EEPROM, the custom
// EEPROM area, and ClearDevices, which forgets boards that went away and
// notices the ones that have gone since.
#include <cstring>
#include <vector>

#include "core/board_memory.h"
#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/links.h"
#include "core/transport.h"

namespace mirbax {

namespace {

constexpr uint64_t kNoSerialNumber = ~uint64_t{0};

// The serial number of an open board: 0 or 50 (none programmed, the value
// is all ones) or the mapped failure of the read.
uint32_t ReadSerialNumber(uint32_t di, uint64_t &serial) {
  uint8_t bytes[8] = {};
  uint32_t size = sizeof bytes;
  // A read that succeeds short of 8 bytes is mapped on the error the driver
  // left; clear it first so a stale removal error cannot mark a live board.
  platform::SetLastError(ERROR_SUCCESS);
  const uint32_t result = mirbax::_GenericVendorRead(di, CUR_EEPROM_READWRITE, kSerialNumberAddress, 0,
                                             size, bytes);
  if (result != ERROR_SUCCESS || size != sizeof bytes) return GetMappedFailure(di);
  serial = 0;
  for (int i = 7; i >= 0; --i) serial = serial << 8 | bytes[i];
  if (serial == 0) serial = kNoSerialNumber;
  return serial == kNoSerialNumber ? ERROR_NOT_SUPPORTED : ERROR_SUCCESS;
}

// The search of GetDeviceByEEPROMByte and GetDeviceByEEPROMData: the first
// entry whose custom EEPROM bytes at `address` equal `wanted`.  The last
// error: 0 for one match, 52 for more, 2 for none.
uint32_t FindByCustomEEPROM(uint32_t address, const std::vector<uint8_t> &wanted) {
  uint32_t found = diNone;
  uint32_t pending = ERROR_FILE_NOT_FOUND;
  std::vector<uint8_t> data(wanted.size());
  for (uint32_t i = 0; i < kDeviceCount; ++i) {
    uint32_t size = uint32_t(data.size());
    if (CustomEEPROMRead(i, address, &size, data.data()) != ERROR_SUCCESS) continue;
    if (size != wanted.size() || data != wanted) continue;
    if (found == diNone) {
      found = i;
      pending = ERROR_SUCCESS;
    } else {
      pending = ERROR_DUP_NAME;
    }
  }
  SetCallerLastError(pending);
  return found;
}

}  // namespace

}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t GetDeviceSerialNumber(uint32_t DeviceIndex, uint64_t *pSerialNumber) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    uint64_t serial = 0;
    const uint32_t result = ReadSerialNumber(di, serial);
    if (result == ERROR_SUCCESS || result == ERROR_NOT_SUPPORTED)
      WriteCaller(pSerialNumber, serial);
    return result;
  });
}

MIRBAX_EXPORT uint32_t GetDeviceUniqueStr(uint32_t DeviceIndex, uint32_t *pIIDSize, void *pIID) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    uint64_t serial = 0;
    if (const uint32_t result = ReadSerialNumber(di, serial)) return result;
    uint8_t bytes[8];
    for (int i = 0; i < 8; ++i) bytes[i] = uint8_t(serial >> (8 * i));
    const uint32_t size = std::min<uint32_t>(ReadCaller(pIIDSize), sizeof bytes);
    if (CopyToCaller(pIID, bytes, size) != ERROR_SUCCESS) throw CallerMemoryFault();
    return ERROR_SUCCESS;
  });
}

MIRBAX_EXPORT uint32_t GetDeviceBySerialNumber(uint64_t SerialNumber) {
  for (uint32_t i = 0; i < kDeviceCount; ++i) {
    uint64_t serial = 0;
    if (GetDeviceSerialNumber(i, &serial) == ERROR_SUCCESS && serial == SerialNumber) return i;
  }
  return diNone;
}

MIRBAX_EXPORT uint32_t GetDeviceByEEPROMByte(uint8_t Data) {
  try {
    return FindByCustomEEPROM(0, {Data});
  } catch (...) {
    SetCallerLastError(ERROR_INTERNAL_ERROR);
    return diNone;
  }
}

MIRBAX_EXPORT uint32_t GetDeviceByEEPROMData(uint32_t StartAddress, uint32_t DataSize,
                                             const void *pData) {
  try {
    if (DataSize > kCustomEEPROMSize) {
      SetCallerLastError(ERROR_BAD_LENGTH);
      return diNone;
    }
    if (DataSize == 0) return ResolveDeviceIndex(diFirst);
    std::vector<uint8_t> wanted(DataSize);
    if (CopyFromCaller(wanted.data(), pData, DataSize) != ERROR_SUCCESS) throw CallerMemoryFault();
    return FindByCustomEEPROM(StartAddress, wanted);
  } catch (...) {
    SetCallerLastError(ERROR_INTERNAL_ERROR);
    return diNone;
  }
}

MIRBAX_EXPORT uint32_t ClearDevices(void) {
  try {
    for (uint32_t i = kDeviceCount; i-- > 0;) {
      TDeviceData &device = Dev[i];
      if (!device.bGotHandle) {
        device.bDeviceWasHere = false;
        continue;
      }
      // bGetName as the entry's last open left it, tested before the open.
      if (!device.bGetName || EnsureOpen(i) != ERROR_SUCCESS) continue;
      std::vector<uint8_t> name(514);
      uint32_t size = uint32_t(name.size());
      if (mirbax::_GenericVendorRead(i, VRQ_GET_DESCRIPTOR, 0x0302, 0, size, name.data()) != ERROR_SUCCESS)
        GetMappedFailure(i);
    }
  } catch (...) {
  }
  return ERROR_SUCCESS;
}
