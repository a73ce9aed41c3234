// WritableCallerArea: the page-by-page check before plain stores into a
// caller's area.  Every page of the area must be writable; a bad page
// anywhere gives CallerMemoryFault, never a crash.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "common/protected_pages.h"
#include "core/caller_memory.h"

namespace mirbax::testing {
namespace {

TEST(WritableCallerArea, AWritableAreaIsGivenBackWhole) {
  std::vector<double> values(100'000, 1.5);  // many pages, more than one probe batch
  const std::span<double> area = WritableCallerArea(values.data(), values.size());
  EXPECT_EQ(area.data(), values.data());
  EXPECT_EQ(area.size(), values.size());
  EXPECT_EQ(WritableCallerArea<double>(nullptr, 0).size(), 0u);  // nothing to write
}

TEST(WritableCallerArea, ABadPageAnywhereIsRefused) {
  struct Case {
    PageAccess middle;  // the access of the middle one of three pages
    std::size_t offset, bytes;
    bool writable;
  };
  constexpr std::size_t kPage = ProtectedPages::kPage;
  const Case cases[] = {
      {PageAccess::None, 0, kPage, true},          // the first page only
      {PageAccess::None, 0, kPage + 1, false},     // one byte into the bad page
      {PageAccess::None, kPage - 8, 16, false},    // a value across the boundary
      {PageAccess::None, kPage, 8, false},         // inside it
      {PageAccess::None, 2 * kPage, kPage, true},  // after it
      {PageAccess::None, 0, 3 * kPage, false},     // across it
      {PageAccess::ReadOnly, 0, 3 * kPage, false}, // readable, not writable
      {PageAccess::ReadWrite, 0, 3 * kPage, true},
  };
  for (const Case &c : cases) {
    ProtectedPages pages(3);
    pages.Set(1, c.middle);
    const auto check = [&] { WritableCallerArea(pages.at(c.offset), c.bytes); };
    if (c.writable)
      EXPECT_NO_THROW(check()) << int(c.middle) << " " << c.offset << " " << c.bytes;
    else
      EXPECT_THROW(check(), CallerMemoryFault) << int(c.middle) << " " << c.offset << " " << c.bytes;
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
