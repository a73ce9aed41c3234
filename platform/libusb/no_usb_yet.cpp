// Backend of libmirbax.so until the libusb backend lands: a bus with no
// boards on it.  Every device call fails as a driver does for a bad handle.
#include "platform/platform.h"

#include <cstdio>

namespace mirbax::platform {

namespace {
constexpr uint32_t kErrorInvalidHandle = 6;

bool FailInvalidHandle() {
  SetLastError(kErrorInvalidHandle);
  return false;
}
}  // namespace

std::vector<std::string> ListDevicePaths(DeviceClass) { return {}; }

Handle OpenDevicePath(const std::string &, bool) {
  SetLastError(2);
  return kInvalidHandle;
}

bool CloseHandle(Handle) { return FailInvalidHandle(); }

bool DeviceIoControl(Handle, uint32_t, const void *, uint32_t, void *, uint32_t, uint32_t *) {
  return FailInvalidHandle();
}

bool LoadWinUsb() { return true; }
bool WinUsbInitialize(Handle, Handle *) { return FailInvalidHandle(); }
bool WinUsbFree(Handle) { return FailInvalidHandle(); }
bool WinUsbControlTransfer(Handle, const SetupPacket &, uint8_t *, uint32_t, uint32_t *) {
  return FailInvalidHandle();
}
bool WinUsbGetDescriptor(Handle, uint8_t, uint8_t, uint16_t, uint8_t *, uint32_t, uint32_t *) {
  return FailInvalidHandle();
}
bool WinUsbQueryInterfaceSettings(Handle, uint8_t, InterfaceDescriptor *) {
  return FailInvalidHandle();
}
bool WinUsbQueryPipe(Handle, uint8_t, uint8_t, PipeInformation *) { return FailInvalidHandle(); }
bool WinUsbReadPipe(Handle, uint8_t, uint8_t *, uint32_t, uint32_t *) { return FailInvalidHandle(); }
bool WinUsbWritePipe(Handle, uint8_t, const uint8_t *, uint32_t, uint32_t *) {
  return FailInvalidHandle();
}
bool WinUsbAbortPipe(Handle, uint8_t) { return FailInvalidHandle(); }

void MessageBox(std::string_view caption, std::string_view text, uint32_t) {
  std::fprintf(stderr, "%.*s: %.*s\n", int(caption.size()), caption.data(), int(text.size()),
               text.data());
}

}  // namespace mirbax::platform
