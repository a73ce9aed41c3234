#include "platform/common/safe_memory.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/uio.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstdint>
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

constexpr std::uintptr_t kPageSize = 4096;  // the smallest page size: probing more often is harmless

// /dev/zero, kept open: a read from it writes zeros with the kernel's
// checked user copy, which fails on a bad page (and pins nothing).  -1 when
// it cannot be opened.
int ZeroDevice() {
  static const int fd = open("/dev/zero", O_RDONLY | O_CLOEXEC);
  return fd;
}

// One byte at the start of each page of [begin, end) (the first at begin),
// read from /dev/zero in calls of up to kBatch pages.
bool ProbeWithZeroDevice(int fd, std::uintptr_t begin, std::uintptr_t end) {
  constexpr std::size_t kBatch = 256;
  std::array<iovec, kBatch> bytes;
  for (std::uintptr_t at = begin; at < end;) {
    std::size_t count = 0;
    for (; count < kBatch && at < end; ++count) {
      bytes[count] = {reinterpret_cast<void *>(at), 1};
      at = (at | (kPageSize - 1)) + 1;
    }
    if (readv(fd, bytes.data(), int(count)) != ssize_t(count)) return false;
  }
  return true;
}

}  // namespace

bool ProbeWritable(void *destination, std::size_t size) noexcept {
  if (size == 0) return true;
  const auto begin = reinterpret_cast<std::uintptr_t>(destination);
  if (destination == nullptr || begin + size < begin) return false;
  const std::uintptr_t end = begin + size;
  if (const int fd = ZeroDevice(); fd >= 0) return ProbeWithZeroDevice(fd, begin, end);
  // Without /dev/zero: the same byte per page through the guarded copy.
  const char zero = 0;
  for (std::uintptr_t at = begin; at < end; at = (at | (kPageSize - 1)) + 1)
    if (!SafeWrite(reinterpret_cast<void *>(at), &zero, 1)) return false;
  return true;
}

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
