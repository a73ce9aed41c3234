// Whole caller buffers copied in and out for the digital functions, where an
// unreadable or unwritable buffer is a failure of the call (the guard turns
// the fault into ERROR_INTERNAL_ERROR) rather than a guarded 998.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/caller_memory.h"

namespace mirbax {

// The `size` bytes at a caller pointer; throws CallerMemoryFault when they
// cannot be read (a null pointer included, unless size is 0).
inline std::vector<uint8_t> ReadCallerBytes(const void *callerSource, std::size_t size) {
  std::vector<uint8_t> bytes(size);
  if (size > 0 && CopyFromCaller(bytes.data(), callerSource, size) != ERROR_SUCCESS)
    throw CallerMemoryFault();
  return bytes;
}

// Stores bytes at a caller pointer; throws CallerMemoryFault when it cannot.
inline void WriteCallerBytes(void *callerDestination, std::span<const uint8_t> bytes) {
  if (!bytes.empty() && CopyToCaller(callerDestination, bytes.data(), bytes.size()) != ERROR_SUCCESS)
    throw CallerMemoryFault();
}

}  // namespace mirbax
