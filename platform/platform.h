// The platform interface: what the library needs from the operating system
// and the USB drivers.  Exactly one backend is linked into each build
// (platform/sim, platform/libusb, later platform/win32).
//
// The operations mirror the Windows calls the library was designed around, so
// the device layer reads the same on every platform:
//   - listing the device paths of a device-interface class (SetupAPI);
//   - opening a path shared or exclusive, closing a handle (CreateFile);
//   - the CyUSB driver's I/O controls with its 38-byte header (DeviceIoControl);
//   - the WinUSB calls;
//   - the calling thread's last driver error and thread ID; the message box.
//
// Contract for backend authors:
//   - Every call may be made from any thread at any time; backends keep their
//     own state thread-safe.  The library holds no lock of its own around
//     these calls except the entry's handle-table mutex around Open/Close and
//     WinUsbInitialize/WinUsbFree.
//   - A call that fails returns false (or kInvalidHandle) and sets the
//     calling thread's last error (SetLastError) to a Windows-style code:
//     2 no such path, 5 already opened exclusively, 6 bad handle,
//     31 the device refused the request (stall), 995 aborted,
//     1167 the device is no longer connected, 121 a time-out.  A backend that
//     translates native errors (libusb, errno) does so here, at its edge.
//   - Bulk reads and writes block until the device completes them, the pipe is
//     aborted or the device vanishes.  Everything else returns promptly.
//   - A failed open leaves nothing to close.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mirbax::platform {

// A driver handle.  32 bits wide because applications receive it as such.
using Handle = uint32_t;
inline constexpr Handle kInvalidHandle = 0xFFFFFFFFu;

// The device-interface classes the maker's boards appear under.
enum class DeviceClass : uint8_t {
  CyUSB,    // boards bound to the CyUSB kernel driver
  WinUSB,   // boards bound to WinUSB
  Loader,   // boards waiting for firmware
};

// ---- Enumeration and files ---------------------------------------------

// The paths of the present interfaces of a class, in enumeration order.
std::vector<std::string> ListDevicePaths(DeviceClass deviceClass);

// Opens a device path for reading and writing.  `shared` lets other opens of
// the same path coexist (CyUSB); an exclusive open fails while the path is
// open anywhere else (WinUSB).
Handle OpenDevicePath(const std::string &path, bool shared);
bool CloseHandle(Handle handle);

// ---- CyUSB driver --------------------------------------------------------

inline constexpr uint32_t IOCTL_ADAPT_GET_DRIVER_VERSION = 0x220000;
inline constexpr uint32_t IOCTL_ADAPT_SELECT_INTERFACE = 0x22000C;
inline constexpr uint32_t IOCTL_ADAPT_SEND_EP0_CONTROL_TRANSFER = 0x220020;
inline constexpr uint32_t IOCTL_ADAPT_ABORT_PIPE = 0x220044;
inline constexpr uint32_t IOCTL_ADAPT_SEND_NON_EP0_DIRECT = 0x22004B;
inline constexpr uint32_t IOCTL_ADAPT_GET_DEVICE_SPEED = 0x22004C;

// DeviceIoControl on a CyUSB file handle.  `input` and `output` may be the
// same memory (the control transfer uses one block for both).
bool DeviceIoControl(Handle handle, uint32_t code, const void *input, uint32_t inputSize,
                     void *output, uint32_t outputSize, uint32_t *bytesReturned);

// ---- WinUSB ----------------------------------------------------------------

struct SetupPacket {
  uint8_t requestType;
  uint8_t request;
  uint16_t value;
  uint16_t index;
  uint16_t length;
};

struct InterfaceDescriptor {
  uint8_t bInterfaceNumber;
  uint8_t bAlternateSetting;
  uint8_t bNumEndpoints;
};

enum class PipeType : uint32_t { Control = 0, Isochronous = 1, Bulk = 2, Interrupt = 3 };

struct PipeInformation {
  PipeType pipeType;
  uint8_t pipeId;
  uint16_t maximumPacketSize;
  uint8_t interval;
};

// Loads the WinUSB entry points; false leaves the WinUSB path off.
bool LoadWinUsb();

bool WinUsbInitialize(Handle file, Handle *interfaceHandle);
bool WinUsbFree(Handle interfaceHandle);
bool WinUsbControlTransfer(Handle interfaceHandle, const SetupPacket &setup, uint8_t *buffer,
                           uint32_t bufferLength, uint32_t *lengthTransferred);
bool WinUsbGetDescriptor(Handle interfaceHandle, uint8_t descriptorType, uint8_t index,
                         uint16_t languageId, uint8_t *buffer, uint32_t bufferLength,
                         uint32_t *lengthTransferred);
bool WinUsbQueryInterfaceSettings(Handle interfaceHandle, uint8_t alternateSetting,
                                  InterfaceDescriptor *descriptor);
bool WinUsbQueryPipe(Handle interfaceHandle, uint8_t alternateSetting, uint8_t pipeIndex,
                     PipeInformation *information);
bool WinUsbReadPipe(Handle interfaceHandle, uint8_t pipeId, uint8_t *buffer, uint32_t bufferLength,
                    uint32_t *lengthTransferred);
bool WinUsbWritePipe(Handle interfaceHandle, uint8_t pipeId, const uint8_t *buffer,
                     uint32_t bufferLength, uint32_t *lengthTransferred);
bool WinUsbAbortPipe(Handle interfaceHandle, uint8_t pipeId);

// ---- Threads, errors, user messages -------------------------------------

// The calling thread's last driver error (kept per thread by the library).
uint32_t GetLastError();
void SetLastError(uint32_t error);
uint32_t GetCurrentThreadId();

// A message box for the user; the backend decides how to show it.
void MessageBox(std::string_view caption, std::string_view text, uint32_t type);

}  // namespace mirbax::platform
