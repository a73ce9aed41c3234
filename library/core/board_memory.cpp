// The custom EEPROM area and the flash of a board.
//
// The EEPROM functions have no call frame of their own: the range checks
// come first, then the exported GenericVendorRead/GenericVendorWrite resolve
// and open the device.  The flash functions run in the frame.
#include <algorithm>
#include <cstdint>

#include "core/board_memory.h"
#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"

namespace mirbax {

namespace {

// Caller memory `offset` bytes past `base`, computed without arithmetic on
// a null pointer (the transfer then reports the fault).
template <typename T>
T *Advance(T *base, uint32_t offset) {
  return reinterpret_cast<T *>(reinterpret_cast<uintptr_t>(base) + offset);
}

uint16_t FlashValue(uint32_t address) { return uint16_t(address / 2); }
uint16_t FlashIndex(uint32_t address) { return uint16_t(address / 131072); }

// The checks shared by the flash read and write: 1349, 25, 24.
uint32_t CheckFlashRange(const TDeviceData &device, uint32_t StartAddress, uint32_t DataSize) {
  if (device.FlashSectors == 0) return ERROR_BAD_TOKEN_TYPE;
  if (StartAddress >= kFlashSize) return ERROR_SEEK;
  if (DataSize > kFlashSize - StartAddress) return ERROR_BAD_LENGTH;
  return ERROR_SUCCESS;
}

uint32_t CheckCustomRange(uint32_t StartAddress, uint32_t DataSize) {
  if (StartAddress >= kCustomEEPROMSize) return ERROR_SEEK;
  if (DataSize > kCustomEEPROMSize - StartAddress) return ERROR_BAD_LENGTH;
  return ERROR_SUCCESS;
}

}  // namespace

}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t CustomEEPROMRead(uint32_t DeviceIndex, uint32_t StartAddress,
                                        uint32_t *DataSize, void *Data) {
  return Guarded([&]() -> uint32_t {
    if (const uint32_t result = CheckCustomRange(StartAddress, ReadCaller(DataSize))) return result;
    return GenericVendorRead(DeviceIndex, CUR_EEPROM_READWRITE,
                             uint16_t(kCustomEEPROMAddress + StartAddress), 0, DataSize, Data);
  });
}

MIRBAX_EXPORT uint32_t CustomEEPROMWrite(uint32_t DeviceIndex, uint32_t StartAddress,
                                         uint32_t DataSize, const void *Data) {
  return Guarded([&]() -> uint32_t {
    if (const uint32_t result = CheckCustomRange(StartAddress, DataSize)) return result;
    uint32_t address = StartAddress;
    uint32_t done = 0;
    while (DataSize - done > kCustomEEPROMBlockSize) {
      if (const uint32_t result =
              GenericVendorWrite(DeviceIndex, CUR_EEPROM_READWRITE,
                                 uint16_t(kCustomEEPROMAddress + address), 0,
                                 kCustomEEPROMBlockSize, Advance(Data, done)))
        return result;
      address += kCustomEEPROMBlockSize;
      done += kCustomEEPROMBlockSize;
    }
    return GenericVendorWrite(DeviceIndex, CUR_EEPROM_READWRITE,
                              uint16_t(kCustomEEPROMAddress + address), 0, DataSize - done,
                              Advance(Data, done));
  });
}

// DataSize is the room on entry (an odd count is cut to even) and the total
// of bytes received on return, also when a block fails (the bytes of the
// blocks before it).  A block that comes back short ends the read there.
MIRBAX_EXPORT uint32_t MIRBAX_FlashRead(uint32_t DeviceIndex, uint32_t StartAddress,
                                        uint32_t *DataSize, void *Data) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    // The capability comes first: a board without flash gives 1349 whatever
    // DataSize points at.
    if (device.FlashSectors == 0) return ERROR_BAD_TOKEN_TYPE;
    const uint32_t wanted = ReadCaller(DataSize);
    if (const uint32_t result = CheckFlashRange(device, StartAddress, wanted)) return result;
    const uint32_t size = wanted & ~1u;
    uint32_t total = 0;
    uint32_t result = ERROR_SUCCESS;
    do {
      const uint32_t address = StartAddress + total;
      const uint32_t asked = std::min(size - total, kFlashBlockSize);
      uint32_t got = asked;
      result = mirbax::_GenericVendorRead(di, VRQ_FLASH_READWRITE, FlashValue(address),
                                  FlashIndex(address), got, Advance(Data, total));
      if (result != ERROR_SUCCESS) break;
      total += got;
      if (got < asked) break;
    } while (total < size);
    WriteCaller(DataSize, total);
    return result;
  });
}

MIRBAX_EXPORT uint32_t MIRBAX_FlashWrite(uint32_t DeviceIndex, uint32_t StartAddress,
                                         uint32_t DataSize, const void *Data) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t result = CheckFlashRange(device, StartAddress, DataSize)) return result;
    const uint32_t size = DataSize & ~1u;
    uint32_t done = 0;
    while (size - done > kFlashBlockSize) {
      const uint32_t address = StartAddress + done;
      if (const uint32_t result =
              mirbax::_GenericVendorWrite(di, VRQ_FLASH_READWRITE, FlashValue(address),
                                  FlashIndex(address), kFlashBlockSize, Advance(Data, done)))
        return result;
      done += kFlashBlockSize;
    }
    const uint32_t address = StartAddress + done;
    return mirbax::_GenericVendorWrite(di, VRQ_FLASH_READWRITE, FlashValue(address), FlashIndex(address),
                               size - done, Advance(Data, done));
  });
}

// A sector outside 0 to FlashSectors - 1 gives ERROR_SEEK (25), a negative
// one included.
MIRBAX_EXPORT uint32_t MIRBAX_FlashEraseSector(uint32_t DeviceIndex, int32_t Sector) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (device.FlashSectors == 0) return ERROR_BAD_TOKEN_TYPE;
    if (Sector < 0 || Sector >= device.FlashSectors) return ERROR_SEEK;
    return mirbax::_GenericVendorWrite(di, VRQ_DEBUG_FLASH_ERASE, 0, uint16_t(Sector), 0, nullptr);
  });
}
