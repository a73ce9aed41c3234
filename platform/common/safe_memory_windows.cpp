// The fault-safe copies on Windows.  The address range is first checked
// against the pages' protection (VirtualQuery): WriteProcessMemory would
// otherwise make a read-only page writable for the copy, and some Windows
// layers let ReadProcessMemory read a no-access page of the own process.
// The copy itself then goes through Read/WriteProcessMemory on the own
// process, which fails instead of faulting if the pages vanish meanwhile.
#include "platform/common/safe_memory.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdint>

namespace mirbax::platform {

namespace {

constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                            PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
constexpr DWORD kWritable =
    PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;

// True when every page of [address, address + size) is committed and allows
// the access (`allowed`: kReadable or kWritable).
bool RangeAllows(const void *address, std::size_t size, DWORD allowed) {
  auto at = reinterpret_cast<std::uintptr_t>(address);
  if (at + size < at) return false;  // wraps around the address space
  const std::uintptr_t end = at + size;
  while (at < end) {
    MEMORY_BASIC_INFORMATION region{};
    if (VirtualQuery(reinterpret_cast<const void *>(at), &region, sizeof region) == 0) return false;
    if (region.State != MEM_COMMIT) return false;
    if ((region.Protect & PAGE_GUARD) != 0 || (region.Protect & allowed) == 0) return false;
    at = reinterpret_cast<std::uintptr_t>(region.BaseAddress) + region.RegionSize;
  }
  return true;
}

}  // namespace

bool SafeRead(void *destination, const void *source, std::size_t size) noexcept {
  if (size == 0) return true;
  if (source == nullptr || destination == nullptr) return false;
  if (!RangeAllows(source, size, kReadable)) return false;
  SIZE_T moved = 0;
  return ReadProcessMemory(GetCurrentProcess(), source, destination, size, &moved) &&
         moved == size;
}

bool SafeWrite(void *destination, const void *source, std::size_t size) noexcept {
  if (size == 0) return true;
  if (source == nullptr || destination == nullptr) return false;
  if (!RangeAllows(destination, size, kWritable)) return false;
  SIZE_T moved = 0;
  return WriteProcessMemory(GetCurrentProcess(), destination, source, size, &moved) &&
         moved == size;
}

bool ProbeWritable(void *destination, std::size_t size) noexcept {
  if (size == 0) return true;
  if (destination == nullptr) return false;
  return RangeAllows(destination, size, kWritable);
}

}  // namespace mirbax::platform
