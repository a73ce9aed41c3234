// The calling thread's last driver error, for the backends whose operating
// system keeps none the library could use (the simulated bus, libusb).  It
// is the error the failure mapping of the transport reads.
#include "platform/platform.h"

namespace mirbax::platform {

namespace {
thread_local uint32_t lastError = 0;
}  // namespace

uint32_t GetLastError() { return lastError; }

void SetLastError(uint32_t error) { lastError = error; }

}  // namespace mirbax::platform
