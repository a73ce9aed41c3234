// The calling thread's ID as the per-thread driver handles are keyed by it,
// shared by every backend.
#include "platform/platform.h"

#include <atomic>

namespace mirbax::platform {

namespace {
uint32_t NextThreadId() {
  static std::atomic<uint32_t> next{1};
  return next.fetch_add(1, std::memory_order_relaxed);
}
}  // namespace

uint32_t GetCurrentThreadId() {
  // Small, never-reused numbers: a new thread never inherits the handle of a
  // thread that ended, as could happen with recycled kernel thread IDs.
  thread_local const uint32_t id = NextThreadId();
  return id;
}

}  // namespace mirbax::platform
