// What the suites need from the operating system, kept out of the headers
// so that <windows.h> meets no test source.
#include "common/last_error.h"
#include "common/protected_pages.h"
#include "common/unreadable_page.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <sys/mman.h>

#include <cerrno>
#endif

namespace mirbax::testing {

#if defined(_WIN32)

int LastErrorValue() { return int(::GetLastError()); }
void SetLastErrorValue(int value) { ::SetLastError(DWORD(value)); }

void *MapUnreadablePage(std::size_t size) {
  return VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
}
void UnmapUnreadablePage(void *memory, std::size_t) { VirtualFree(memory, 0, MEM_RELEASE); }

void *MapPages(std::size_t bytes) {
  return VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}
void SetPageAccess(void *first, std::size_t bytes, PageAccess access) {
  const DWORD protection = access == PageAccess::None       ? PAGE_NOACCESS
                           : access == PageAccess::ReadOnly ? PAGE_READONLY
                                                            : PAGE_READWRITE;
  DWORD previous = 0;
  VirtualProtect(first, bytes, protection, &previous);
}
void UnmapPages(void *memory, std::size_t) { VirtualFree(memory, 0, MEM_RELEASE); }

#else

int LastErrorValue() { return errno; }
void SetLastErrorValue(int value) { errno = value; }

void *MapUnreadablePage(std::size_t size) {
  return mmap(nullptr, size, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
}
void UnmapUnreadablePage(void *memory, std::size_t size) { munmap(memory, size); }

void *MapPages(std::size_t bytes) {
  return mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
}
void SetPageAccess(void *first, std::size_t bytes, PageAccess access) {
  const int protection = access == PageAccess::None       ? PROT_NONE
                         : access == PageAccess::ReadOnly ? PROT_READ
                                                          : PROT_READ | PROT_WRITE;
  mprotect(first, bytes, protection);
}
void UnmapPages(void *memory, std::size_t bytes) { munmap(memory, bytes); }

#endif

}  // namespace mirbax::testing
