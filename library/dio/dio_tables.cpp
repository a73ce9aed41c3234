// The tables of the newer firmware's digital features: debounce, automap
// (a board-side mapping of input bits to output bits) and pulse-width
// modulated outputs.  The library checks their sizes and packs them; the
// meaning of the entries is the board's.
#include <vector>

#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"
#include "dio/registers.h"

namespace mirbax {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t kMaxDebounceTableBytes = 1024;
constexpr uint32_t kMaxAutomapTableBytes = 64;  // 32 entries of 2 bytes
constexpr uint32_t kMaxPWMTableBytes = 16;      // 8 entries of 2 bytes

// PWM record: a leading 0x64, the table zero-filled to 16 bytes, the entry
// count.
constexpr uint8_t kPWMRecordTag = 0x64;
constexpr uint32_t kPWMRecordBytes = 1 + kMaxPWMTableBytes + 1;

// The size of a table of 2-byte entries: above the limit gives
// ERROR_BAD_LENGTH; an odd size loses its last byte and is written back.
uint32_t EntryTableSize(uint32_t *pTableBytes, uint32_t limit, uint32_t &size) {
  size = ReadCaller(pTableBytes);
  if (size > limit) return ERROR_BAD_LENGTH;
  if (size % 2 != 0) {
    size -= 1;
    WriteCaller(pTableBytes, size);
  }
  return ERROR_SUCCESS;
}

}  // namespace
}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t DIO_Deb_SetConfig(uint32_t DeviceIndex, const void *pDebTable,
                                         uint32_t *pDebTableBytes) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    const uint32_t size = ReadCaller(pDebTableBytes);
    if (size > kMaxDebounceTableBytes) return ERROR_BAD_LENGTH;
    Bytes table;
    if (const uint32_t fault = CopyCallerTable(table, pDebTable, size)) return fault;
    return WriteRegister(di, kRegDebounceTable, table);
  });
}

MIRBAX_EXPORT uint32_t DIO_Deb_ReadAll(uint32_t DeviceIndex, void *pDebData) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    const uint32_t D = device.DIOBytes;
    // The caller's buffer must take the reply before it is asked for: write
    // its own bytes back to prove it.
    Bytes inputs(D);
    if (const uint32_t fault = CopyFromCaller(inputs.data(), pDebData, D)) return fault;
    if (const uint32_t fault = CopyToCaller(pDebData, inputs.data(), D)) return fault;
    uint32_t received = D;
    const uint32_t result =
        mirbax::_GenericVendorRead(di, VRQ_DIO_DEB_READ, 0, 0, received, inputs.data());
    if (result != ERROR_SUCCESS) return result;
    return CopyToCaller(pDebData, inputs.data(), received);
  });
}

MIRBAX_EXPORT uint32_t DIO_Automap_ClearTable(uint32_t DeviceIndex) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    return WriteRegister(di, kRegAutomapClear, {});
  });
}

MIRBAX_EXPORT uint32_t DIO_Automap_SetTable(uint32_t DeviceIndex, const void *pMapTable,
                                            uint32_t *pMapTableBytes) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    uint32_t size = 0;
    if (const uint32_t result = EntryTableSize(pMapTableBytes, kMaxAutomapTableBytes, size))
      return result;
    Bytes table;
    if (const uint32_t fault = CopyCallerTable(table, pMapTable, size)) return fault;
    return WriteRegister(di, kRegAutomapTable, table);
  });
}

MIRBAX_EXPORT uint32_t DIO_Automap_AddEntry(uint32_t DeviceIndex, const uint16_t *pMapEntry) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    uint16_t entry = 0;
    if (const uint32_t fault = CopyFromCaller(&entry, pMapEntry, sizeof entry)) return fault;
    const uint8_t littleEndian[] = {uint8_t(entry), uint8_t(entry >> 8)};
    return WriteRegister(di, kRegAutomapEntry, littleEndian);
  });
}

// The board sets its automap tick itself; there is nothing to send.
MIRBAX_EXPORT uint32_t DIO_Automap_SetTickDivisor(uint32_t, const uint8_t *) {
  return ERROR_NOT_SUPPORTED;
}

MIRBAX_EXPORT uint32_t DIO_PWM_Start(uint32_t DeviceIndex, const void *pPWMTable,
                                     uint32_t *pPWMTableBytes) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    uint32_t size = 0;
    if (const uint32_t result = EntryTableSize(pPWMTableBytes, kMaxPWMTableBytes, size))
      return result;
    Bytes record(kPWMRecordBytes, 0);
    record.front() = kPWMRecordTag;
    if (const uint32_t fault = CopyFromCaller(record.data() + 1, pPWMTable, size)) return fault;
    record.back() = uint8_t(size / 2);
    return WriteRegister(di, kRegPWMTable, record);
  });
}
