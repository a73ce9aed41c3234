// The 32-bit handles of the platform interface and the Windows handles
// behind them.
//
// File handles are kernel handles: Windows keeps their value within 32 bits
// (sign-extended on 64-bit Windows), so the value itself is the Handle, and
// INVALID_HANDLE_VALUE is kInvalidHandle.  WinUSB interface handles are
// pointers: on 32-bit Windows the value itself, as applications that take it
// from GetDeviceHandle expect; on 64-bit Windows a number the backend hands
// out and keeps, never reused.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "platform/win32/windows_api.h"

namespace mirbax::platform::win32 {

inline HANDLE FileHandle(Handle handle) {
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(static_cast<int32_t>(handle)));
}

inline Handle FromFileHandle(HANDLE handle) {
  return static_cast<Handle>(reinterpret_cast<uintptr_t>(handle));
}

// WinUSB interface handles (WINUSB_INTERFACE_HANDLE is a void pointer).
Handle AddInterfaceHandle(void *interfaceHandle);
// The interface behind `handle`, or null (last error 6) for an unknown one.
void *FindInterfaceHandle(Handle handle);
// Forgets `handle` and returns its interface, or null (last error 6).
void *RemoveInterfaceHandle(Handle handle);

}  // namespace mirbax::platform::win32
