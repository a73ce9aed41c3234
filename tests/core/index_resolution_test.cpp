// Resolving device indexes: the special values, refusals and the last error
// of ResolveDeviceIndex.
#include <algorithm>
#include "common/last_error.h"

#include "common/sim_fixture.h"

namespace mirbax::testing {
namespace {

constexpr uint32_t kDio = 0x8001;

class IndexResolution : public SimBoardsTest {
 protected:
  // Links `count` boards in entries 0..count-1, then closes the entries not
  // in `keep`, leaving exactly those linked.
  void LinkOnly(std::initializer_list<uint32_t> keep, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) Attach(kDio);
    ASSERT_EQ(MIRBAX_ReloadDeviceLinks(), 0u);
    for (uint32_t i = 0; i < count; ++i)
      if (std::find(keep.begin(), keep.end(), i) == keep.end()) {
        ASSERT_EQ(MIRBAX_CloseDevice(i), 0u);
      }
  }

  // A device function through the whole frame (QueryDeviceInfo would link
  // boards first): the result of resolving and opening.
  static uint32_t Open(uint32_t index) {
    uint32_t handle = 0;
    return GetDeviceHandle(index, &handle);
  }
};

TEST_F(IndexResolution, RefusesIndexesFrom32UpThatAreNotSpecial) {
  for (uint32_t index : {32u, 33u, 0x7FFFFFFFu, diNone, 0xFFFFFFFBu}) {
    SCOPED_TRACE(index);
    EXPECT_EQ(Open(index), MIRBAX_ERROR_INVALID_INDEX);
    SetLastErrorValue(0);
    EXPECT_EQ(ResolveDeviceIndex(index), diNone);
    EXPECT_EQ(LastErrorValue(), int(MIRBAX_ERROR_INVALID_INDEX));
  }
}

TEST_F(IndexResolution, AnEntryWithoutABoardGivesFileNotFound) {
  EXPECT_EQ(Open(31), MIRBAX_ERROR_FILE_NOT_FOUND);
  uint32_t received = 1;
  uint8_t byte = 0;
  EXPECT_EQ(GenericVendorRead(31, 0x11, 0, 0, &received, &byte), MIRBAX_ERROR_FILE_NOT_FOUND);
}

TEST_F(IndexResolution, NoBoardAtAll) {
  for (uint32_t index : {diFirst, diOnly}) {
    EXPECT_EQ(Open(index), MIRBAX_ERROR_FILE_NOT_FOUND);
    SetLastErrorValue(0);
    EXPECT_EQ(ResolveDeviceIndex(index), diNone);
    EXPECT_EQ(LastErrorValue(), int(MIRBAX_ERROR_FILE_NOT_FOUND));
  }
}

TEST_F(IndexResolution, BoardsInEntries3And5) {
  LinkOnly({3, 5}, 6);
  SetLastErrorValue(-1);
  EXPECT_EQ(ResolveDeviceIndex(diFirst), 3u);
  EXPECT_EQ(LastErrorValue(), 0);
  EXPECT_EQ(Open(diOnly), MIRBAX_ERROR_DUP_NAME);
  SetLastErrorValue(0);
  EXPECT_EQ(ResolveDeviceIndex(diOnly), diNone);
  EXPECT_EQ(LastErrorValue(), int(MIRBAX_ERROR_DUP_NAME));
}

TEST_F(IndexResolution, OneBoardInEntry7) {
  LinkOnly({7}, 8);
  for (uint32_t index : {diFirst, diOnly}) {
    SetLastErrorValue(-1);
    EXPECT_EQ(ResolveDeviceIndex(index), 7u);
    EXPECT_EQ(LastErrorValue(), 0);
    uint32_t pid = 0;
    EXPECT_EQ(QueryDeviceInfo(index, &pid, nullptr, nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(pid, kDio);
  }
}

TEST_F(IndexResolution, LoadAndOnlyRelinksABoardTheApplicationClosed) {
  AttachAndLink(kDio);
  ASSERT_EQ(MIRBAX_CloseDevice(0), 0u);
  EXPECT_EQ(Open(0), MIRBAX_ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ResolveDeviceIndex(diLoadAndOnly), 0u);
  EXPECT_EQ(Open(diLoadAndOnly), 0u);
}

TEST_F(IndexResolution, ResolvingDoesNotOpenOrTouchTheBoard) {
  const uint32_t board = AttachAndLink(kDio);
  MIRBAXSIM_ClearLog(board);
  EXPECT_EQ(ResolveDeviceIndex(diFirst), 0u);
  EXPECT_TRUE(Log(board).empty()) << "resolution must not touch the board";
}

TEST_F(IndexResolution, ARemovedEntryGives1617Not2) {
  const uint32_t board = AttachAndLink(kDio);
  ASSERT_EQ(Open(0), 0u);
  ASSERT_EQ(MIRBAXSIM_Detach(board), 0u);
  const uint8_t data = 0;
  EXPECT_EQ(GenericVendorWrite(0, 0x10, 0, 0, 1, &data), MIRBAX_ERROR_DEVICE_REMOVED);
  EXPECT_EQ(Open(0), MIRBAX_ERROR_DEVICE_REMOVED);
  EXPECT_EQ(MIRBAX_CloseDevice(0), 0u);
  EXPECT_EQ(Open(0), MIRBAX_ERROR_FILE_NOT_FOUND);
}

TEST_F(IndexResolution, SelectDeviceViaUIIsNotAvailableAndWritesNothing) {
  uint32_t selected = 1234;
  const uint32_t pids[] = {0x8001};
  EXPECT_EQ(SelectDeviceViaUI(1, pids, "c", "m", "1", "n", &selected), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(selected, 1234u);
  EXPECT_EQ(SelectDeviceViaUI(0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr),
            MIRBAX_ERROR_NOT_SUPPORTED);
}

}  // namespace
}  // namespace mirbax::testing
