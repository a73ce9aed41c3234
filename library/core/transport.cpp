#include "core/transport.h"

#include <algorithm>
#include <vector>

#include "core/caller_memory.h"
#include "core/cyusb_header.h"
#include "core/links.h"
#include "core/result_codes.h"
#include "platform/platform.h"

namespace mirbax {

namespace platform_ = mirbax::platform;

namespace {

constexpr uint8_t kVendorRead = 0xC0;
constexpr uint8_t kVendorWrite = 0x40;

bool IsCyUSB(TUSBDriverType type) { return type == dtCyUSB2 || type == dtCyUSB3; }

// The driver's last error, or 31 when the driver gave none.
uint32_t DriverErrorOrGenFailure() {
  const uint32_t error = platform_::GetLastError();
  return error != 0 ? error : ERROR_GEN_FAILURE;
}

// A removal-type error: the board (or its handle) has gone.
bool IsRemovalError(uint32_t error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_HANDLE:
    case ERROR_NO_SUCH_DEVICE:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
      return true;
    default:
      return false;
  }
}

// An endpoint-0 transfer through the CyUSB driver on `handle`: the header
// followed by `data`, one block as input and output.  On success `received`
// is the number of data bytes the driver returned after the header.
bool CyControlTransfer(Handle handle, uint8_t requestType, uint8_t request, uint16_t value,
                       uint16_t index, std::vector<uint8_t> &data, uint32_t &received) {
  const CyHeader header = MakeCyControlHeader(requestType, request, value, index,
                                              uint32_t(data.size()));
  std::vector<uint8_t> block(header.begin(), header.end());
  block.insert(block.end(), data.begin(), data.end());
  uint32_t returned = 0;
  const uint32_t blockSize = uint32_t(block.size());
  if (!platform_::DeviceIoControl(handle, platform_::IOCTL_ADAPT_SEND_EP0_CONTROL_TRANSFER,
                                  block.data(), blockSize, block.data(), blockSize, &returned))
    return false;
  returned = std::min(returned, blockSize);
  received = returned > kCyHeaderSize ? returned - kCyHeaderSize : 0;
  std::copy_n(block.begin() + kCyHeaderSize, received, data.begin());
  return true;
}

// The CyUSB control read shared by _GenericVendorRead's CyUSB branch and
// _Cy_GenericRead: failures are the driver's code, never mapped.
uint32_t CyControlRead(uint32_t DeviceIndex, uint8_t requestType, uint8_t Request, uint16_t Value,
                       uint16_t Index, uint32_t &DataSize, void *pData) {
  std::vector<uint8_t> work;
  if (const uint32_t fault = CopyCallerBuffer(work, pData, DataSize)) return fault;
  const Handle handle = GetThreadHandleForDevice(DeviceIndex);
  uint32_t received = 0;
  if (!CyControlTransfer(handle, requestType, Request, Value, Index, work, received))
    return DriverErrorOrGenFailure();
  DataSize = received;
  return CopyToCaller(pData, work.data(), received);
}

// A WinUSB control read; failures are left for the caller to map or not.
bool WinUsbControlRead(uint32_t DeviceIndex, uint8_t requestType, uint8_t Request, uint16_t Value,
                       uint16_t Index, std::vector<uint8_t> &work, uint32_t &received) {
  const Handle handle = GetThreadHandleForDevice(DeviceIndex);
  const platform_::SetupPacket setup{requestType, Request, Value, Index, uint16_t(work.size())};
  uint32_t transferred = 0;
  if (!platform_::WinUsbControlTransfer(handle, setup, work.data(), uint32_t(work.size()),
                                        &transferred))
    return false;
  received = std::min<uint32_t>(transferred, uint32_t(work.size()));
  return true;
}

}  // namespace

// ---- Handles and failures ---------------------------------------------------

Handle GetThreadHandleForDevice(uint32_t DeviceIndex) {
  TDeviceData &device = Dev[DeviceIndex];
  // An entry without a link (closed or removed) hands out no handle and
  // records none: a handle stored now would outlive the next link.
  if (!device.bGotHandle) return platform::kInvalidHandle;
  const TUSBDriverType type = device.USBDriverType;
  if (type == dtWinUSB) {
    std::lock_guard lock(device.hHandleTableMutex);
    if (device.HandleTable.empty()) {
      // Emptied by a close: the interface is initialized again for the file.
      device.HandleTable.push_back({0, 0});
      Handle interfaceHandle = 0;
      if (platform_::WinUsbInitialize(device.hWinUSBFile, &interfaceHandle))
        device.HandleTable[0].hDevice = interfaceHandle;
    }
    return device.HandleTable[0].hDevice;
  }
  if (!IsCyUSB(type)) return platform_::kInvalidHandle;

  const uint32_t threadId = platform_::GetCurrentThreadId();
  std::lock_guard lock(device.hHandleTableMutex);
  for (const THandleTableEntry &entry : device.HandleTable)
    if (entry.ThreadID == threadId) return entry.hDevice;
  // A failed open is kept as the invalid handle, so this thread's transfers
  // fail with the driver's invalid-handle error until the device is closed.
  const Handle handle = platform_::OpenDevicePath(device.DevPath, /*shared=*/true);
  device.HandleTable.push_back({threadId, handle});
  return handle;
}

void AddThreadHandleForDevice(uint32_t DeviceIndex, Handle hDevice) {
  TDeviceData &device = Dev[DeviceIndex];
  std::lock_guard lock(device.hHandleTableMutex);
  device.HandleTable.push_back({platform_::GetCurrentThreadId(), hDevice});
}

uint32_t GetMappedFailure(uint32_t DeviceIndex) {
  const uint32_t error = platform_::GetLastError();
  if (error == 0) return ERROR_GEN_FAILURE;
  if (!IsRemovalError(error)) return error;
  MarkDeviceRemoved(DeviceIndex);
  return ERROR_DEVICE_REMOVED;
}

// ---- Control transfers -------------------------------------------------------

uint32_t _GenericVendorRead(uint32_t DeviceIndex, uint8_t Request, uint16_t Value, uint16_t Index,
                            uint32_t &DataSize, void *pData) {
  const TUSBDriverType type = Dev[DeviceIndex].USBDriverType;
  if (IsCyUSB(type))
    return CyControlRead(DeviceIndex, kVendorRead, Request, Value, Index, DataSize, pData);
  if (type != dtWinUSB) return ERROR_NOT_SUPPORTED;

  std::vector<uint8_t> work;
  if (const uint32_t fault = CopyCallerBuffer(work, pData, DataSize)) return fault;
  uint32_t received = 0;
  if (!WinUsbControlRead(DeviceIndex, kVendorRead, Request, Value, Index, work, received))
    return GetMappedFailure(DeviceIndex);
  DataSize = received;
  return CopyToCaller(pData, work.data(), received);
}

uint32_t _GenericVendorWrite(uint32_t DeviceIndex, uint8_t Request, uint16_t Value, uint16_t Index,
                             uint32_t DataSize, const void *pData) {
  const TUSBDriverType type = Dev[DeviceIndex].USBDriverType;
  if (type != dtWinUSB && !IsCyUSB(type)) return ERROR_NOT_SUPPORTED;
  std::vector<uint8_t> work;
  if (const uint32_t fault = CopyCallerBuffer(work, pData, DataSize)) return fault;

  const Handle handle = GetThreadHandleForDevice(DeviceIndex);
  bool ok;
  if (type == dtWinUSB) {
    const platform_::SetupPacket setup{kVendorWrite, Request, Value, Index, uint16_t(DataSize)};
    uint32_t transferred = 0;
    ok = platform_::WinUsbControlTransfer(handle, setup, work.data(), DataSize, &transferred);
  } else {
    uint32_t received = 0;
    ok = CyControlTransfer(handle, kVendorWrite, Request, Value, Index, work, received);
  }
  return ok ? ERROR_SUCCESS : GetMappedFailure(DeviceIndex);
}

uint32_t _Cy_GenericRead(uint32_t DeviceIndex, uint8_t RequestType, uint8_t Request,
                         uint16_t Value, uint16_t Index, uint32_t &DataSize, void *pData) {
  return CyControlRead(DeviceIndex, uint8_t(RequestType | 0x80), Request, Value, Index, DataSize,
                       pData);
}

uint32_t _GenericControlRead(uint32_t DeviceIndex, uint8_t RequestType, uint8_t Request,
                             uint16_t Value, uint16_t Index, uint32_t &DataSize, void *pData) {
  if (Dev[DeviceIndex].USBDriverType != dtWinUSB)
    return _Cy_GenericRead(DeviceIndex, RequestType, Request, Value, Index, DataSize, pData);
  std::vector<uint8_t> work;
  if (const uint32_t fault = CopyCallerBuffer(work, pData, DataSize)) return fault;
  uint32_t received = 0;
  if (!WinUsbControlRead(DeviceIndex, uint8_t(RequestType | 0x80), Request, Value, Index, work,
                         received))
    return DriverErrorOrGenFailure();
  DataSize = received;
  return CopyToCaller(pData, work.data(), received);
}

uint32_t _hCy_GenericVendorWriteStr(Handle hDevice, uint8_t Request, uint16_t Value,
                                    uint16_t Index, std::string_view Data) {
  std::vector<uint8_t> work(Data.begin(), Data.end());
  uint32_t received = 0;
  if (!CyControlTransfer(hDevice, kVendorWrite, Request, Value, Index, work, received))
    return DriverErrorOrGenFailure();
  return ERROR_SUCCESS;
}

// ---- Bulk --------------------------------------------------------------------

uint32_t _GenericBulk(uint32_t DeviceIndex, uint32_t PipeID, void *pData, uint32_t DataSize,
                      uint32_t &BytesTransferred) {
  const TUSBDriverType type = Dev[DeviceIndex].USBDriverType;
  const uint8_t pipe = uint8_t(PipeID);
  const bool in = (pipe & 0x80) != 0;
  if (type == dtWinUSB) {
    const Handle handle = GetThreadHandleForDevice(DeviceIndex);
    platform_::SetLastError(ERROR_GEN_FAILURE);
    auto *data = static_cast<uint8_t *>(pData);
    const bool ok = in ? platform_::WinUsbReadPipe(handle, pipe, data, DataSize, &BytesTransferred)
                       : platform_::WinUsbWritePipe(handle, pipe, data, DataSize, &BytesTransferred);
    return ok ? ERROR_SUCCESS : GetMappedFailure(DeviceIndex);
  }
  if (!IsCyUSB(type)) return ERROR_NOT_SUPPORTED;

  const Handle handle = GetThreadHandleForDevice(DeviceIndex);
  const CyHeader header = MakeCyBulkHeader(pipe, DataSize, type == dtCyUSB3);
  if (!platform_::DeviceIoControl(handle, platform_::IOCTL_ADAPT_SEND_NON_EP0_DIRECT,
                                  header.data(), kCyHeaderSize, pData, DataSize,
                                  &BytesTransferred))
    return GetMappedFailure(DeviceIndex);
  BytesTransferred = std::min(BytesTransferred, DataSize);
  return ERROR_SUCCESS;
}

uint32_t AbortPipe(uint32_t DeviceIndex, uint8_t PipeID) {
  const TUSBDriverType type = Dev[DeviceIndex].USBDriverType;
  const Handle handle = GetThreadHandleForDevice(DeviceIndex);
  bool ok;
  if (type == dtWinUSB) {
    platform_::SetLastError(ERROR_GEN_FAILURE);
    ok = platform_::WinUsbAbortPipe(handle, PipeID);
  } else if (IsCyUSB(type)) {
    ok = platform_::DeviceIoControl(handle, platform_::IOCTL_ADAPT_ABORT_PIPE, &PipeID, 1, nullptr,
                                    0, nullptr);
  } else {
    return ERROR_NOT_SUPPORTED;
  }
  return ok ? ERROR_SUCCESS : GetMappedFailure(DeviceIndex);
}

}  // namespace mirbax
