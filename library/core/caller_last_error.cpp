// The last error the index- and count-returning functions leave for their
// caller.
#include "core/frame.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <cerrno>
#endif

namespace mirbax {

void SetCallerLastError(uint32_t code) {
#if defined(_WIN32)
  ::SetLastError(code);
#else
  errno = int(code);
#endif
}

}  // namespace mirbax
