#include "platform/common/safe_memory.h"

#include <pthread.h>
#include <sys/uio.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>

namespace mirbax::platform {

namespace {

// The process's own ID for process_vm_*.  getpid() is a system call each
// time and every guarded copy needs the ID, so it is kept; a forked child
// (another ID) forgets it.
std::atomic<pid_t> cachedPid{0};

void ForgetPid() { cachedPid.store(0, std::memory_order_relaxed); }

pid_t SelfPid() {
  pid_t pid = cachedPid.load(std::memory_order_relaxed);
  if (pid == 0) {
    static std::once_flag registered;
    std::call_once(registered, [] { pthread_atfork(nullptr, nullptr, ForgetPid); });
    pid = getpid();
    cachedPid.store(pid, std::memory_order_relaxed);
  }
  return pid;
}

// process_vm_* may move fewer bytes than asked (a fault part-way, or very
// large requests); loop until done or a call fails.
template <typename Transfer>
bool CopyChecked(void *destination, const void *source, std::size_t size, Transfer transfer) {
  auto *to = static_cast<char *>(destination);
  auto *from = static_cast<const char *>(source);
  while (size > 0) {
    iovec local{};
    iovec remote{};
    const ssize_t moved = transfer(to, from, size, local, remote);
    if (moved <= 0) return false;
    to += moved;
    from += moved;
    size -= static_cast<std::size_t>(moved);
  }
  return true;
}

}  // namespace

bool SafeRead(void *destination, const void *source, std::size_t size) noexcept {
  if (size == 0) return true;
  if (source == nullptr || destination == nullptr) return false;
  return CopyChecked(destination, source, size,
                     [](char *to, const char *from, std::size_t n, iovec &local, iovec &remote) {
                       local = {to, n};
                       remote = {const_cast<char *>(from), n};
                       return process_vm_readv(SelfPid(), &local, 1, &remote, 1, 0);
                     });
}

bool SafeWrite(void *destination, const void *source, std::size_t size) noexcept {
  if (size == 0) return true;
  if (source == nullptr || destination == nullptr) return false;
  return CopyChecked(destination, source, size,
                     [](char *to, const char *from, std::size_t n, iovec &local, iovec &remote) {
                       local = {const_cast<char *>(from), n};
                       remote = {to, n};
                       return process_vm_writev(SelfPid(), &local, 1, &remote, 1, 0);
                     });
}

}  // namespace mirbax::platform
