// The call frame every exported function runs in: the exception guard,
// device index resolution and opening.
//
//   extern "C" uint32_t DIO_Write8(uint32_t DeviceIndex, ...) {
//     return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) {
//       ... capability checks, argument checks, transfers ...
//     });
//   }
//
// The guard turns any escaping exception into 1359; the resolved index is
// the frame's own copy, the caller's variable is never written.
#pragma once

#include <cstdint>
#include <exception>

#include "core/device_table.h"
#include "core/result_codes.h"

// Marks an exported function.  ELF builds hide every other symbol; the
// Windows DLL exports what its module definition (mirbax.def) lists.
#if defined(_WIN32)
#define MIRBAX_EXPORT extern "C"
#else
#define MIRBAX_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace mirbax {

// Resolves diFirst/diOnly/diLoadAndOnly in place and checks the index.
uint32_t Validate(uint32_t &DeviceIndex);

// Validate, then EnsureOpen on the resolved index.
uint32_t ValidateAndEnsureOpen(uint32_t &DeviceIndex);

// Runs `body` (returning a result code) inside the exception guard.
template <typename Body>
uint32_t Guarded(Body &&body) noexcept {
  try {
    return body();
  } catch (...) {
    return ERROR_INTERNAL_ERROR;
  }
}

// The frame of a function that works on one device.
template <typename Body>
uint32_t WithOpenDevice(uint32_t DeviceIndex, Body &&body) noexcept {
  return Guarded([&]() -> uint32_t {
    uint32_t di = DeviceIndex;
    if (const uint32_t result = ValidateAndEnsureOpen(di)) return result;
    return body(di, Dev[di]);
  });
}

// The calling thread's last error, as the index-returning functions report
// it: errno holds the Windows-style code on Linux; on Windows it is the
// thread's real last error (SetLastError).
void SetCallerLastError(uint32_t code);

}  // namespace mirbax
