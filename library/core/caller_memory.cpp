#include "core/caller_memory.h"

#include <algorithm>
#include <string>

namespace mirbax {

std::string ReadCallerString(const char *callerString, std::size_t limit) {
  if (callerString == nullptr) throw CallerMemoryFault();
  std::string text;
  // Read in small steps: the string may end just before unreadable memory.
  constexpr std::size_t kStep = 64;
  char chunk[kStep];
  for (std::size_t offset = 0; offset < limit; offset += kStep) {
    // Never cross a page boundary in one read: a readable string that ends
    // just before an unreadable page must not fail.
    const auto address = reinterpret_cast<std::uintptr_t>(callerString + offset);
    const std::size_t toPageEnd = 4096 - (address % 4096);
    const std::size_t size = std::min(kStep, toPageEnd);
    if (!platform::SafeRead(chunk, callerString + offset, size)) throw CallerMemoryFault();
    for (std::size_t i = 0; i < size; ++i) {
      if (chunk[i] == '\0') return text;
      text.push_back(chunk[i]);
    }
    offset -= kStep - size;
  }
  throw std::length_error("string argument too long");
}

}  // namespace mirbax
