// A page of memory that can be neither read nor written: a caller buffer
// that must give an error, never a crash.
#pragma once

#include <cstddef>

namespace mirbax::testing {

void *MapUnreadablePage(std::size_t size);
void UnmapUnreadablePage(void *memory, std::size_t size);

class UnreadablePage {
 public:
  UnreadablePage() : memory_(MapUnreadablePage(kSize)) {}
  ~UnreadablePage() { UnmapUnreadablePage(memory_, kSize); }
  UnreadablePage(const UnreadablePage &) = delete;
  UnreadablePage &operator=(const UnreadablePage &) = delete;

  template <typename T = void>
  T *get() const { return static_cast<T *>(memory_); }

  static constexpr std::size_t kSize = 4096;

 private:
  void *memory_;
};

}  // namespace mirbax::testing
