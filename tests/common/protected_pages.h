// Pages of memory whose access a test sets page by page: caller areas that
// end, or have a hole, exactly where the test wants.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mirbax::testing {

enum class PageAccess { None, ReadOnly, ReadWrite };

void *MapPages(std::size_t bytes);  // readable and writable
void SetPageAccess(void *first, std::size_t bytes, PageAccess access);
void UnmapPages(void *memory, std::size_t bytes);

class ProtectedPages {
 public:
  static constexpr std::size_t kPage = 4096;

  explicit ProtectedPages(std::size_t pages)
      : bytes_(pages * kPage), memory_(static_cast<uint8_t *>(MapPages(bytes_))) {}
  ~ProtectedPages() { UnmapPages(memory_, bytes_); }
  ProtectedPages(const ProtectedPages &) = delete;
  ProtectedPages &operator=(const ProtectedPages &) = delete;

  void Set(std::size_t page, PageAccess access) { SetPageAccess(memory_ + page * kPage, kPage, access); }
  uint8_t *at(std::size_t offset) const { return memory_ + offset; }

 private:
  std::size_t bytes_;
  uint8_t *memory_;
};

}  // namespace mirbax::testing
