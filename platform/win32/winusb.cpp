// The WinUSB calls: WinUSB.dll is loaded by name and its entry points looked
// up, so the library loads (with the WinUSB path off) where it is missing.

#include "platform/platform.h"
#include "platform/win32/handles.h"
#include "platform/win32/windows_api.h"
// After <windows.h>, which it needs.
#include <winusb.h>

namespace mirbax::platform {

namespace {

struct WinUsbEntryPoints {
  decltype(&::WinUsb_Initialize) Initialize = nullptr;
  decltype(&::WinUsb_Free) Free = nullptr;
  decltype(&::WinUsb_ControlTransfer) ControlTransfer = nullptr;
  decltype(&::WinUsb_GetDescriptor) GetDescriptor = nullptr;
  decltype(&::WinUsb_QueryInterfaceSettings) QueryInterfaceSettings = nullptr;
  decltype(&::WinUsb_QueryPipe) QueryPipe = nullptr;
  decltype(&::WinUsb_WritePipe) WritePipe = nullptr;
  decltype(&::WinUsb_ReadPipe) ReadPipe = nullptr;
  decltype(&::WinUsb_AbortPipe) AbortPipe = nullptr;
};

// Written once, at library load, before any other thread can call in.
WinUsbEntryPoints winUsb;

template <typename Function>
bool Find(HMODULE module, const char *name, Function &function) {
  function = reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(module, name)));
  return function != nullptr;
}

// The interface behind a handle, or null with last error 6.
WINUSB_INTERFACE_HANDLE Interface(Handle handle) { return win32::FindInterfaceHandle(handle); }

}  // namespace

bool LoadWinUsb() {
  const HMODULE module = LoadLibraryA("WinUSB.dll");
  if (module == nullptr) return false;
  WinUsbEntryPoints found;
  const bool complete =
      Find(module, "WinUsb_Initialize", found.Initialize) && Find(module, "WinUsb_Free", found.Free) &&
      Find(module, "WinUsb_ControlTransfer", found.ControlTransfer) &&
      Find(module, "WinUsb_GetDescriptor", found.GetDescriptor) &&
      Find(module, "WinUsb_QueryInterfaceSettings", found.QueryInterfaceSettings) &&
      Find(module, "WinUsb_QueryPipe", found.QueryPipe) &&
      Find(module, "WinUsb_WritePipe", found.WritePipe) &&
      Find(module, "WinUsb_ReadPipe", found.ReadPipe) &&
      Find(module, "WinUsb_AbortPipe", found.AbortPipe);
  if (!complete) return false;  // the module stays loaded, as the library never unloads it
  winUsb = found;
  return true;
}

bool WinUsbInitialize(Handle file, Handle *interfaceHandle) {
  WINUSB_INTERFACE_HANDLE opened = nullptr;
  if (!winUsb.Initialize || !winUsb.Initialize(win32::FileHandle(file), &opened)) return false;
  *interfaceHandle = win32::AddInterfaceHandle(opened);
  return true;
}

bool WinUsbFree(Handle interfaceHandle) {
  const WINUSB_INTERFACE_HANDLE freed = win32::RemoveInterfaceHandle(interfaceHandle);
  return freed != nullptr && winUsb.Free && winUsb.Free(freed);
}

bool WinUsbControlTransfer(Handle interfaceHandle, const SetupPacket &setup, uint8_t *buffer,
                           uint32_t bufferLength, uint32_t *lengthTransferred) {
  const WINUSB_INTERFACE_HANDLE usb = Interface(interfaceHandle);
  if (usb == nullptr || !winUsb.ControlTransfer) return false;
  const WINUSB_SETUP_PACKET packet{setup.requestType, setup.request, setup.value, setup.index,
                                   setup.length};
  ULONG transferred = 0;
  const BOOL done =
      winUsb.ControlTransfer(usb, packet, buffer, bufferLength, &transferred, nullptr);
  if (lengthTransferred != nullptr) *lengthTransferred = transferred;
  return done != FALSE;
}

bool WinUsbGetDescriptor(Handle interfaceHandle, uint8_t descriptorType, uint8_t index,
                         uint16_t languageId, uint8_t *buffer, uint32_t bufferLength,
                         uint32_t *lengthTransferred) {
  const WINUSB_INTERFACE_HANDLE usb = Interface(interfaceHandle);
  if (usb == nullptr || !winUsb.GetDescriptor) return false;
  ULONG transferred = 0;
  const BOOL done = winUsb.GetDescriptor(usb, descriptorType, index, languageId, buffer,
                                         bufferLength, &transferred);
  if (lengthTransferred != nullptr) *lengthTransferred = transferred;
  return done != FALSE;
}

bool WinUsbQueryInterfaceSettings(Handle interfaceHandle, uint8_t alternateSetting,
                                  InterfaceDescriptor *descriptor) {
  const WINUSB_INTERFACE_HANDLE usb = Interface(interfaceHandle);
  if (usb == nullptr || !winUsb.QueryInterfaceSettings) return false;
  USB_INTERFACE_DESCRIPTOR found{};
  if (!winUsb.QueryInterfaceSettings(usb, alternateSetting, &found)) return false;
  *descriptor = {found.bInterfaceNumber, found.bAlternateSetting, found.bNumEndpoints};
  return true;
}

bool WinUsbQueryPipe(Handle interfaceHandle, uint8_t alternateSetting, uint8_t pipeIndex,
                     PipeInformation *information) {
  const WINUSB_INTERFACE_HANDLE usb = Interface(interfaceHandle);
  if (usb == nullptr || !winUsb.QueryPipe) return false;
  WINUSB_PIPE_INFORMATION found{};
  if (!winUsb.QueryPipe(usb, alternateSetting, pipeIndex, &found)) return false;
  *information = {static_cast<PipeType>(found.PipeType), found.PipeId,
                  found.MaximumPacketSize, found.Interval};
  return true;
}

// Bulk transfers without an OVERLAPPED record: WinUSB completes them
// before returning, or fails them when the pipe is aborted.
bool WinUsbReadPipe(Handle interfaceHandle, uint8_t pipeId, uint8_t *buffer, uint32_t bufferLength,
                    uint32_t *lengthTransferred) {
  const WINUSB_INTERFACE_HANDLE usb = Interface(interfaceHandle);
  if (usb == nullptr || !winUsb.ReadPipe) return false;
  ULONG transferred = 0;
  const BOOL done = winUsb.ReadPipe(usb, pipeId, buffer, bufferLength, &transferred, nullptr);
  if (lengthTransferred != nullptr) *lengthTransferred = transferred;
  return done != FALSE;
}

bool WinUsbWritePipe(Handle interfaceHandle, uint8_t pipeId, const uint8_t *buffer,
                     uint32_t bufferLength, uint32_t *lengthTransferred) {
  const WINUSB_INTERFACE_HANDLE usb = Interface(interfaceHandle);
  if (usb == nullptr || !winUsb.WritePipe) return false;
  ULONG transferred = 0;
  const BOOL done = winUsb.WritePipe(usb, pipeId, const_cast<uint8_t *>(buffer), bufferLength,
                                     &transferred, nullptr);
  if (lengthTransferred != nullptr) *lengthTransferred = transferred;
  return done != FALSE;
}

bool WinUsbAbortPipe(Handle interfaceHandle, uint8_t pipeId) {
  const WINUSB_INTERFACE_HANDLE usb = Interface(interfaceHandle);
  return usb != nullptr && winUsb.AbortPipe && winUsb.AbortPipe(usb, pipeId);
}

}  // namespace mirbax::platform
