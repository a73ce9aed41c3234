// Input latches of the newer firmware: the lines that saw a low level, a
// high level, or neither since the last read.  Reading them (request 0x14)
// also clears them on the board.
//
// Latch reply, 3 * D bytes: no-latch bytes, then low latches, then high
// latches, D bytes each.
#include <algorithm>
#include <vector>

#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"
#include "dio/registers.h"

namespace mirbax {
namespace {

using Bytes = std::vector<uint8_t>;

uint32_t ReadLatches(uint32_t di, uint32_t D, Bytes &reply, uint32_t &received) {
  reply.assign(3 * D, 0);
  received = uint32_t(reply.size());
  return _GenericVendorRead(di, VRQ_DIO_LATCH_READ, 0, 0, received, reply.data());
}

}  // namespace
}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t DIO_Latch_SetDivisor(uint32_t DeviceIndex, const uint8_t *pDivisor) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    uint8_t divisor = 0;
    if (const uint32_t fault = CopyFromCaller(&divisor, pDivisor, 1)) return fault;
    return WriteRegister(di, kRegLatchDivisor, std::span(&divisor, 1));
  });
}

MIRBAX_EXPORT uint32_t DIO_Latch_Reset(uint32_t DeviceIndex) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    Bytes discarded;
    uint32_t received = 0;
    return ReadLatches(di, device.DIOBytes, discarded, received);
  });
}

MIRBAX_EXPORT uint32_t DIO_Latch_Read(uint32_t DeviceIndex, void *pLowLatches, void *pHighLatches,
                                      void *pNoLatches, uint32_t *pLatchesBytes) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (const uint32_t result = CheckFirmware20(di)) return result;
    const uint32_t D = device.DIOBytes;
    const uint32_t n = std::min(ReadCaller(pLatchesBytes), D);

    // Check the caller's buffers before the read: the read clears the
    // latches, so a fault after it would lose them.
    Bytes probe(n);
    for (const void *buffer : {pLowLatches, pHighLatches, pNoLatches})
      if (const uint32_t fault = CopyFromCaller(probe.data(), buffer, n)) return fault;

    Bytes reply;
    uint32_t received = 0;
    if (const uint32_t result = ReadLatches(di, D, reply, received)) return result;
    if (received < 3 * D) return ERROR_INVALID_DATA;
    const struct {
      void *destination;
      uint32_t offset;
    } copies[] = {{pLowLatches, D}, {pHighLatches, 2 * D}, {pNoLatches, 0}};
    for (const auto &copy : copies)
      if (const uint32_t fault = CopyToCaller(copy.destination, reply.data() + copy.offset, n))
        return fault;
    WriteCaller(pLatchesBytes, D);
    return ERROR_SUCCESS;
  });
}
