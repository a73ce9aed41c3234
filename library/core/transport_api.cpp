// The exported transfer functions: the call frame around the primitives.
#include <algorithm>

#include "core/caller_memory.h"
#include "core/frame.h"
#include "core/transport.h"

using namespace mirbax;

MIRBAX_EXPORT uint32_t GenericVendorRead(uint32_t DeviceIndex, uint8_t Request, uint16_t Value,
                                         uint16_t Index, uint32_t *DataSize, void *pData) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    uint32_t size = ReadCaller(DataSize);
    const uint32_t result = mirbax::_GenericVendorRead(di, Request, Value, Index, size, pData);
    if (result == ERROR_SUCCESS) WriteCaller(DataSize, size);
    return result;
  });
}

MIRBAX_EXPORT uint32_t GenericVendorWrite(uint32_t DeviceIndex, uint8_t Request, uint16_t Value,
                                          uint16_t Index, uint32_t DataSize, const void *pData) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) {
    return mirbax::_GenericVendorWrite(di, Request, Value, Index, DataSize, pData);
  });
}

MIRBAX_EXPORT uint32_t AWU_GenericBulkIn(uint32_t DeviceIndex, uint32_t PipeID, void *pData,
                                         uint32_t DataSize, uint32_t *BytesRead) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) {
    uint32_t transferred = 0;
    const uint32_t result = _GenericBulk(di, PipeID | 0x80, pData, DataSize, transferred);
    WriteCaller(BytesRead, transferred);
    return result;
  });
}

MIRBAX_EXPORT uint32_t AWU_GenericBulkOut(uint32_t DeviceIndex, uint32_t PipeID,
                                          const void *pData, uint32_t DataSize,
                                          uint32_t *BytesWritten) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) {
    uint32_t transferred = 0;
    const uint32_t result =
        _GenericBulk(di, PipeID & ~0x80u, const_cast<void *>(pData), DataSize, transferred);
    WriteCaller(BytesWritten, transferred);
    return result;
  });
}

MIRBAX_EXPORT uint32_t MIRBAX_AbortPipe(uint32_t DeviceIndex, uint8_t PipeID) {
  return WithOpenDevice(DeviceIndex,
                        [&](uint32_t di, TDeviceData &) { return AbortPipe(di, PipeID); });
}

MIRBAX_EXPORT uint32_t GetPipes(uint32_t DeviceIndex, uint32_t *PipeCount, uint32_t *pPipeData) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    const TUSBDriverType type = device.USBDriverType;
    if (type == dtCyUSB2 || type == dtCyUSB3) return ERROR_NOT_SUPPORTED;
    if (type != dtWinUSB) return ERROR_SUCCESS;

    const Handle handle = GetThreadHandleForDevice(di);
    platform::SetLastError(ERROR_GEN_FAILURE);
    platform::InterfaceDescriptor descriptor{};
    if (!platform::WinUsbQueryInterfaceSettings(handle, 0, &descriptor)) {
      WriteCaller(PipeCount, 0u);
      return GetMappedFailure(di);
    }
    const uint32_t endpoints = descriptor.bNumEndpoints;
    const uint32_t room = std::min(ReadCaller(PipeCount), endpoints);
    WriteCaller(PipeCount, endpoints);
    for (uint32_t i = 0; i < room; ++i) WriteCaller(pPipeData + i, 0xFFFFFFFFu);
    for (uint32_t i = 0; i < room; ++i) {
      platform::PipeInformation pipe{};
      platform::SetLastError(ERROR_GEN_FAILURE);
      if (!platform::WinUsbQueryPipe(handle, 0, uint8_t(i), &pipe)) return GetMappedFailure(di);
      WriteCaller(pPipeData + i, uint32_t(pipe.pipeId) + uint32_t(pipe.pipeType) * 256);
    }
    return ERROR_SUCCESS;
  });
}

MIRBAX_EXPORT uint32_t GetDeviceHandle(uint32_t DeviceIndex, uint32_t *pData) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &) -> uint32_t {
    WriteCaller(pData, GetThreadHandleForDevice(di));
    return ERROR_SUCCESS;
  });
}
