// libusb errors as the Windows codes the library's failure mapping reads.
//
// The backend translates once, here, at its edge: the transport then sees
// the codes a Windows driver gives (1167 for a board that has gone, which
// marks its entry removed; 31 for a stalled request; 995 for an aborted
// pipe; 121 for a time-out).  The raw libusb value of the calling thread's
// last failure is kept beside the Windows code for diagnostics.
#pragma once

#include <cstdint>
#include <span>

namespace mirbax::platform::usb {

struct ErrorMapping {
  int libusbError;       // LIBUSB_ERROR_*
  const char *name;      // the libusb name, for messages
  uint32_t windowsError; // what GetLastError gives after the failure
};

// Every libusb error code with its Windows code.
std::span<const ErrorMapping> ErrorTable();

// The Windows code of a libusb error; codes outside the table (newer libusb
// versions) give 31, ERROR_GEN_FAILURE.
uint32_t WindowsErrorOf(int libusbError);

// Records a failure for the calling thread: SetLastError(WindowsErrorOf(e))
// and the raw value for LastLibusbError.  Returns false, for `return Fail(e);`.
bool Fail(int libusbError);

// The raw libusb value of the calling thread's last failure recorded by Fail
// (0 when the last error was set otherwise).
int LastLibusbError();

// Sets a Windows code that has no libusb origin (bad handle, no such path).
bool FailWith(uint32_t windowsError);

}  // namespace mirbax::platform::usb
