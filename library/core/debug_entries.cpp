// Entry points kept for debugging and for older applications; most perform
// no operation.
#include <algorithm>
#include <cstdint>

#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/links.h"

using namespace mirbax;

MIRBAX_EXPORT uint32_t MIRBAX_OfflineWrite1(uint32_t, uint32_t, uint16_t) {
  return ERROR_NOT_SUPPORTED;
}

MIRBAX_EXPORT uint32_t MIRBAX_OfflineRead1(uint32_t, uint32_t, uint16_t *) {
  return ERROR_NOT_SUPPORTED;
}

MIRBAX_EXPORT uint32_t DEB_BulkIn(uint32_t) { return ERROR_NOT_SUPPORTED; }

MIRBAX_EXPORT uint32_t DEB_SetInterface(uint32_t DeviceIndex, uint16_t) {
  return WithOpenDevice(DeviceIndex, [](uint32_t, TDeviceData &) { return ERROR_NOT_SUPPORTED; });
}

MIRBAX_EXPORT uint32_t DEB_BulkOut(uint32_t DeviceIndex, uint32_t TargetPipe, const void *pBuf,
                                   uint32_t BufLen) {
  return AWU_GenericBulkOut(DeviceIndex, TargetPipe, pBuf, BufLen, &BufLen);
}

// Links the boards waiting for firmware too, then reads the caller's buffer
// on a CyUSB-bound board (998 when it cannot be read) and does nothing more.
MIRBAX_EXPORT uint32_t DEB_BufTest(uint32_t DeviceIndex, uint8_t, uint32_t, const void *pData,
                                   uint32_t DataSize) {
  return Guarded([&]() -> uint32_t {
    LoadCyUSBLinks(D15LoClassGUID);
    return WithOpenDevice(DeviceIndex, [&](uint32_t, TDeviceData &device) -> uint32_t {
      const TUSBDriverType type = device.USBDriverType;
      if (type != dtCyUSB2 && type != dtCyUSB3) return ERROR_BAD_TOKEN_TYPE;
      // Read in pieces: the size is the caller's and may be anything.
      uint8_t piece[4096];
      for (uint32_t done = 0; done < DataSize;) {
        const uint32_t size = std::min<uint32_t>(DataSize - done, sizeof piece);
        const void *from = reinterpret_cast<const void *>(reinterpret_cast<uintptr_t>(pData) + done);
        if (const uint32_t fault = CopyFromCaller(piece, from, size)) return fault;
        done += size;
      }
      return ERROR_NOT_SUPPORTED;
    });
  });
}
