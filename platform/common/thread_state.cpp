// The calling thread's last driver error and thread ID, shared by every
// backend.  The error is the one the failure mapping of the transport reads.
#include "platform/platform.h"

#include <atomic>

namespace mirbax::platform {

namespace {
thread_local uint32_t lastError = 0;

uint32_t NextThreadId() {
  static std::atomic<uint32_t> next{1};
  return next.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

uint32_t GetLastError() { return lastError; }

void SetLastError(uint32_t error) { lastError = error; }

uint32_t GetCurrentThreadId() {
  // Small, never-reused numbers: a new thread never inherits the handle of a
  // thread that ended, as could happen with recycled kernel thread IDs.
  thread_local const uint32_t id = NextThreadId();
  return id;
}

}  // namespace mirbax::platform
