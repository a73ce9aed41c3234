// Access to caller memory that never crashes the library.
//
// Two kinds, as the exported functions need them:
//   - CopyFromCaller/CopyToCaller return 998 (ERROR_NOACCESS) when the
//     caller's buffer cannot be read or written: the guarded copies of
//     buffers.
//   - ReadCaller/WriteCaller throw CallerMemoryFault, which the exception
//     guard of the exported function turns into 1359: the plain reads and
//     writes of arguments passed by address (sizes, rates, results).
// A null pointer counts as unreadable.  A size of 0 never touches memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

#include "core/result_codes.h"
#include "platform/common/safe_memory.h"

namespace mirbax {

struct CallerMemoryFault : std::runtime_error {
  CallerMemoryFault() : std::runtime_error("caller memory is not accessible") {}
};

inline uint32_t CopyFromCaller(void *destination, const void *callerSource, std::size_t size) {
  return platform::SafeRead(destination, callerSource, size) ? ERROR_SUCCESS : ERROR_NOACCESS;
}

inline uint32_t CopyToCaller(void *callerDestination, const void *source, std::size_t size) {
  return platform::SafeWrite(callerDestination, source, size) ? ERROR_SUCCESS : ERROR_NOACCESS;
}

// Copies `size` caller bytes into `work` (resized to hold them); 998 when
// they cannot be read.  The buffer grows as the copy goes, so a size far
// beyond the caller's memory fails at its first unreadable page instead of
// allocating and zeroing the whole size first.
inline uint32_t CopyCallerBuffer(std::vector<uint8_t> &work, const void *callerSource,
                                 std::size_t size) {
  constexpr std::size_t kStep = std::size_t{1} << 20;
  work.clear();
  const auto *from = static_cast<const uint8_t *>(callerSource);
  for (std::size_t done = 0; done < size;) {
    const std::size_t step = size - done < kStep ? size - done : kStep;
    work.resize(done + step);
    if (!platform::SafeRead(work.data() + done, from + done, step)) return ERROR_NOACCESS;
    done += step;
  }
  return ERROR_SUCCESS;
}

template <typename T>
T ReadCaller(const T *callerPointer) {
  static_assert(std::is_trivially_copyable_v<T>);
  T value;
  if (!platform::SafeRead(&value, callerPointer, sizeof(T))) throw CallerMemoryFault();
  return value;
}

template <typename T>
void WriteCaller(T *callerPointer, const T &value) {
  static_assert(std::is_trivially_copyable_v<T>);
  if (!platform::SafeWrite(callerPointer, &value, sizeof(T))) throw CallerMemoryFault();
}

// The caller's area of `count` T, checked writable page by page (throws
// CallerMemoryFault otherwise), for code that fills it with plain stores: a
// large result converted straight into it needs no second, guarded copy.
template <typename T>
std::span<T> WritableCallerArea(T *callerPointer, std::size_t count) {
  static_assert(std::is_trivially_copyable_v<T>);
  if (count > SIZE_MAX / sizeof(T) || !platform::ProbeWritable(callerPointer, count * sizeof(T)))
    throw CallerMemoryFault();
  return std::span<T>(callerPointer, count);
}

// Reads a NUL-terminated caller string (at most `limit` bytes before the NUL).
std::string ReadCallerString(const char *callerString, std::size_t limit = 1u << 20);

}  // namespace mirbax
