// A page of memory that can be neither read nor written: a caller buffer
// that must give an error, never a crash.
#pragma once

#include <sys/mman.h>

#include <cstddef>

namespace mirbax::testing {

class UnreadablePage {
 public:
  UnreadablePage() {
    memory_ = mmap(nullptr, kSize, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  }
  ~UnreadablePage() { munmap(memory_, kSize); }
  UnreadablePage(const UnreadablePage &) = delete;
  UnreadablePage &operator=(const UnreadablePage &) = delete;

  template <typename T = void>
  T *get() const { return static_cast<T *>(memory_); }

  static constexpr std::size_t kSize = 4096;

 private:
  void *memory_;
};

}  // namespace mirbax::testing
