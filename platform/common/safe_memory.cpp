#include "platform/common/safe_memory.h"

#include <sys/uio.h>
#include <unistd.h>

#include <cstring>

namespace mirbax::platform {

namespace {

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
                       return process_vm_readv(getpid(), &local, 1, &remote, 1, 0);
                     });
}

bool SafeWrite(void *destination, const void *source, std::size_t size) noexcept {
  if (size == 0) return true;
  if (source == nullptr || destination == nullptr) return false;
  return CopyChecked(destination, source, size,
                     [](char *to, const char *from, std::size_t n, iovec &local, iovec &remote) {
                       local = {const_cast<char *>(from), n};
                       remote = {to, n};
                       return process_vm_writev(getpid(), &local, 1, &remote, 1, 0);
                     });
}

}  // namespace mirbax::platform
