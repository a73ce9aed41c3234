#include "core/links.h"

#include "core/frame.h"
#include "core/transport.h"

namespace mirbax {

bool bWinUSBLoaded = false;

namespace {

// The lowest entry that is neither linked nor reserved by a removed board,
// or kDeviceCount when the table is full.
uint32_t LowestFreeEntry() {
  for (uint32_t i = 0; i < kDeviceCount; ++i)
    if (!Dev[i].bGotHandle && !Dev[i].bDeviceWasHere) return i;
  return kDeviceCount;
}

bool IsLinkedCyUSBPath(const std::string &path) {
  for (TDeviceData &device : Dev) {
    if (!device.bGotHandle) continue;
    std::lock_guard lock(device.hHandleTableMutex);
    if (device.DevPath == path) return true;
  }
  return false;
}

// The state every new link starts from.  The probes of the firmware
// generation and the capability record belong to the board, not the entry:
// a new board is probed afresh.
void StartLink(TDeviceData &device, TUSBDriverType type) {
  device.USBDriverType = type;
  device.bOpen = false;
  device.bDACOpen = false;
  device.bDACClosing = false;
  device.bFirmware20 = false;
  device.PNPData = TPNPData{};
  device.bGotHandle = true;
}

}  // namespace

void LoadWinUSB() { bWinUSBLoaded = platform::LoadWinUsb(); }

std::vector<std::string> GetDevicePaths(DeviceClass ClassGUID) {
  return platform::ListDevicePaths(ClassGUID);
}

TUSBDriverType GetCyUSBDriverType(Handle hDevice) {
  uint32_t version = 0;
  uint32_t returned = 0;
  platform::DeviceIoControl(hDevice, platform::IOCTL_ADAPT_GET_DRIVER_VERSION, &version,
                            sizeof version, &version, sizeof version, &returned);
  return (version == 0x01020100 || version == 0x010303E7) ? dtCyUSB3 : dtCyUSB2;
}

void LoadCyUSBLinks(DeviceClass ByGUID) {
  for (const std::string &path : GetDevicePaths(ByGUID)) {
    if (IsLinkedCyUSBPath(path)) continue;
    const Handle handle = platform::OpenDevicePath(path, /*shared=*/true);
    if (handle == platform::kInvalidHandle) continue;
    const uint32_t di = LowestFreeEntry();
    if (di == kDeviceCount) {
      platform::CloseHandle(handle);
      return;
    }
    TDeviceData &device = Dev[di];
    const TUSBDriverType type = GetCyUSBDriverType(handle);
    {
      std::lock_guard lock(device.hHandleTableMutex);
      device.hWinUSBFile = 0;
      device.DevPath = path;
    }
    AddThreadHandleForDevice(di, handle);
    StartLink(device, type);
  }
}

void LoadWinUSBLinks(DeviceClass ByGUID) {
  if (!bWinUSBLoaded) return;
  for (const std::string &path : GetDevicePaths(ByGUID)) {
    // A linked board holds its file open, so this exclusive open fails.
    const Handle file = platform::OpenDevicePath(path, /*shared=*/false);
    if (file == platform::kInvalidHandle) continue;
    Handle interfaceHandle = 0;
    if (!platform::WinUsbInitialize(file, &interfaceHandle)) {
      platform::CloseHandle(file);
      continue;
    }
    const uint32_t di = LowestFreeEntry();
    if (di == kDeviceCount) {
      platform::WinUsbFree(interfaceHandle);
      platform::CloseHandle(file);
      return;
    }
    TDeviceData &device = Dev[di];
    {
      std::lock_guard lock(device.hHandleTableMutex);
      device.hWinUSBFile = file;
    }
    AddThreadHandleForDevice(di, interfaceHandle);
    StartLink(device, dtWinUSB);
  }
}

void LoadDriverLinks() {
  LoadCyUSBLinks(QELCyUSBClassGUID);
  LoadWinUSBLinks(QELWinUSBClassGUID);
}

uint32_t CloseDeviceEntry(uint32_t DeviceIndex) {
  TDeviceData &device = Dev[DeviceIndex];
  if (!device.bGotHandle) {
    if (!device.bDeviceWasHere) return ERROR_INVALID_HANDLE;
    device.bDeviceWasHere = false;
    return ERROR_SUCCESS;
  }
  device.bDeviceWasHere = false;
  uint32_t result = ERROR_SUCCESS;
  try {
    std::lock_guard lock(device.hHandleTableMutex);
    if (device.USBDriverType == dtWinUSB) {
      for (const THandleTableEntry &entry : device.HandleTable) platform::WinUsbFree(entry.hDevice);
      device.HandleTable.clear();
      platform::CloseHandle(device.hWinUSBFile);
    } else {
      for (const THandleTableEntry &entry : device.HandleTable) platform::CloseHandle(entry.hDevice);
      device.HandleTable.clear();
    }
    device.hWinUSBFile = 0;
  } catch (...) {
    result = platform::GetLastError();
    if (result == 0) result = ERROR_GEN_FAILURE;
  }
  device.bGotHandle = false;
  return result;
}

void MarkDeviceRemoved(uint32_t DeviceIndex) {
  TDeviceData &device = Dev[DeviceIndex];
  CloseDeviceEntry(DeviceIndex);
  device.bDeviceWasHere = true;
  device.bOpen = false;
  device.bDACOpen = false;
  device.bDACClosing = false;
}

}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t MIRBAX_CloseDevice(uint32_t DeviceIndex) {
  return Guarded([&]() -> uint32_t {
    uint32_t di = DeviceIndex;
    if (const uint32_t result = Validate(di)) return result;
    return CloseDeviceEntry(di);
  });
}

MIRBAX_EXPORT uint32_t MIRBAX_ReloadDeviceLinks(void) {
  return Guarded([]() -> uint32_t {
    for (uint32_t i = 0; i < kDeviceCount; ++i) CloseDeviceEntry(i);
    LoadDriverLinks();
    return ERROR_SUCCESS;
  });
}

MIRBAX_EXPORT uint32_t GetDevices(void) {
  // No exception may leave the library; a failure part-way gives the mask of
  // the entries opened so far.
  uint32_t mask = 0;
  try {
    LoadDriverLinks();
    for (uint32_t i = 0; i < kDeviceCount; ++i)
      if (EnsureOpen(i) == ERROR_SUCCESS) mask |= 1u << i;
  } catch (...) {
  }
  return mask;
}
