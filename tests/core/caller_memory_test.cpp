// WritableCallerArea: the page-by-page check before plain stores into a
// caller's area.  Every page of the area must be writable; a bad page
// anywhere gives CallerMemoryFault, never a crash.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cstdint>
#include <vector>

#include "core/caller_memory.h"

namespace mirbax::testing {
namespace {

// Three pages, the middle one set to `protection`.
class ThreePages {
 public:
  explicit ThreePages(int protection) {
    memory_ = static_cast<uint8_t *>(
        mmap(nullptr, 3 * kPage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
    mprotect(memory_ + kPage, kPage, protection);
  }
  ~ThreePages() { munmap(memory_, 3 * kPage); }
  uint8_t *at(std::size_t offset) const { return memory_ + offset; }
  static constexpr std::size_t kPage = 4096;

 private:
  uint8_t *memory_;
};

TEST(WritableCallerArea, AWritableAreaIsGivenBackWhole) {
  std::vector<double> values(100'000, 1.5);  // many pages, more than one probe batch
  const std::span<double> area = WritableCallerArea(values.data(), values.size());
  EXPECT_EQ(area.data(), values.data());
  EXPECT_EQ(area.size(), values.size());
  EXPECT_EQ(WritableCallerArea<double>(nullptr, 0).size(), 0u);  // nothing to write
}

TEST(WritableCallerArea, ABadPageAnywhereIsRefused) {
  struct Case {
    int protection;
    std::size_t offset, bytes;
    bool writable;
  };
  constexpr std::size_t kPage = ThreePages::kPage;
  const Case cases[] = {
      {PROT_NONE, 0, kPage, true},               // the first page only
      {PROT_NONE, 0, kPage + 1, false},          // one byte into the bad page
      {PROT_NONE, kPage - 8, 16, false},         // a value across the boundary
      {PROT_NONE, kPage, 8, false},              // inside it
      {PROT_NONE, 2 * kPage, kPage, true},       // after it
      {PROT_NONE, 0, 3 * kPage, false},          // across it
      {PROT_READ, 0, 3 * kPage, false},          // readable, not writable
      {PROT_READ | PROT_WRITE, 0, 3 * kPage, true},
  };
  for (const Case &c : cases) {
    ThreePages pages(c.protection);
    const auto check = [&] { WritableCallerArea(pages.at(c.offset), c.bytes); };
    if (c.writable)
      EXPECT_NO_THROW(check()) << c.protection << " " << c.offset << " " << c.bytes;
    else
      EXPECT_THROW(check(), CallerMemoryFault) << c.protection << " " << c.offset << " " << c.bytes;
  }
}

TEST(WritableCallerArea, NullAndWrappingAreasAreRefused) {
  EXPECT_THROW(WritableCallerArea<double>(nullptr, 1), CallerMemoryFault);
  double value = 0;
  EXPECT_THROW(WritableCallerArea(&value, SIZE_MAX / 4), CallerMemoryFault);  // size overflows
  auto *top = reinterpret_cast<uint8_t *>(UINTPTR_MAX - 15);
  EXPECT_THROW(WritableCallerArea(top, 32), CallerMemoryFault);  // wraps round the address space
}

}  // namespace
}  // namespace mirbax::testing
