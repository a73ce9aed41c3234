// Stream housekeeping, the chip reset and the debug entry points on
// simulated boards of every driver path.
#include <cstring>

#include "common/sim_fixture.h"
#include "common/unreadable_page.h"
#include "core/device_table.h"

namespace mirbax::testing {
namespace {

constexpr uint32_t kAdcBoard = 0x8040;        // bulk ADC, FIFO
constexpr uint32_t kDioStreamBoard = 0x8008;  // digital stream, FIFO
constexpr uint32_t kDioBoard = 0x8001;        // neither

class Maintenance : public SimBoardsTest, public ::testing::WithParamInterface<uint32_t> {
 protected:
  uint32_t Board(uint32_t pid) {
    const uint32_t board = AttachAndLink(pid, GetParam());
    EXPECT_EQ(GetDevices(), 1u);
    MIRBAXSIM_ClearLog(board);
    return board;
  }
};

// ---- FIFO and stream status -------------------------------------------------

TEST_P(Maintenance, ClearFIFOMethodsAndTheirRequests) {
  const uint32_t board = Board(kAdcBoard);
  EXPECT_EQ(MIRBAX_ClearFIFO(0, 0), 0u);
  EXPECT_EQ(MIRBAX_ClearFIFO(0, 1), 0u);
  EXPECT_EQ(MIRBAX_ClearFIFO(0, 5), 0u);
  EXPECT_EQ(MIRBAX_ClearFIFO(0, 86), 0u);
  EXPECT_EQ(Log(board), (std::vector<std::string>{
                            "C 40 35 0000 0000 0000",
                            "C 40 34 0000 0000 0000",
                            "C 40 38 0000 0000 0000",
                            "C 40 36 0000 0000 0000",
                        }));
}

TEST_P(Maintenance, ClearFIFOWithAnotherMethodSendsNothing) {
  const uint32_t board = Board(kAdcBoard);
  for (uint32_t method : {2u, 3u, 4u, 6u, 85u, 87u, 0xFFFFFFFFu})
    EXPECT_EQ(MIRBAX_ClearFIFO(0, method), MIRBAX_ERROR_INVALID_PARAMETER) << method;
  EXPECT_TRUE(Log(board).empty());
}

TEST_P(Maintenance, ClearFIFODropsWhatTheBoardHasQueued) {
  const uint32_t board = Board(kAdcBoard);
  ASSERT_EQ(MIRBAXSIM_SetOption(board, "bulk_timeout_ms", 50), 0u);
  const uint8_t queued[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_EQ(MIRBAXSIM_WriteBulkIn(board, 0x86, queued, sizeof queued), 0u);
  ASSERT_EQ(MIRBAX_ClearFIFO(0, 0), 0u);
  uint8_t buffer[8] = {};
  uint32_t read = 0;
  EXPECT_NE(AWU_GenericBulkIn(0, 0x86, buffer, sizeof buffer, &read), 0u)
      << "nothing left to read: the read times out";
  EXPECT_EQ(read, 0u);
}

TEST_P(Maintenance, FIFOFunctionsNeedABoardWithAFIFO) {
  const uint32_t board = Board(kDioBoard);
  uint32_t status = 0xDEADBEEF;
  EXPECT_EQ(MIRBAX_ClearFIFO(0, 0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(MIRBAX_ClearFIFO(0, 2), MIRBAX_ERROR_BAD_TOKEN_TYPE) << "capability before method";
  EXPECT_EQ(MIRBAX_GetStreamStatus(0, &status), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(status, 0xDEADBEEFu);
  EXPECT_TRUE(Log(board).empty());
}

TEST_P(Maintenance, StreamStatusIsLittleEndian) {
  const uint32_t board = Board(kDioStreamBoard);
  ASSERT_EQ(MIRBAXSIM_SetOption(board, "stream_status", 0x12345678), 0u);
  uint32_t status = 0;
  EXPECT_EQ(MIRBAX_GetStreamStatus(0, &status), 0u);
  EXPECT_EQ(status, 0x12345678u);
  EXPECT_EQ(Log(board), (std::vector<std::string>{"C c0 b4 0000 0000 0004 78563412"}));
}

TEST_P(Maintenance, AShortStreamStatusReadsTheMissingBytesAsZero) {
  const uint32_t board = Board(kAdcBoard);
  ASSERT_EQ(MIRBAXSIM_SetOption(board, "stream_status", 0x12345678), 0u);
  ASSERT_EQ(MIRBAXSIM_SetOption(board, "stream_status_bytes", 2), 0u);
  uint32_t status = 0xFFFFFFFF;
  EXPECT_EQ(MIRBAX_GetStreamStatus(0, &status), 0u);
  EXPECT_EQ(status, 0x5678u);
  ASSERT_EQ(MIRBAXSIM_SetOption(board, "stream_status_bytes", 0), 0u);
  status = 0xFFFFFFFF;
  EXPECT_EQ(MIRBAX_GetStreamStatus(0, &status), 0u);
  EXPECT_EQ(status, 0u);
}

TEST_P(Maintenance, AFailedStreamStatusLeavesTheCallersValue) {
  const uint32_t board = Board(kAdcBoard);
  ASSERT_EQ(MIRBAXSIM_FailTransfers(board, 1, 31), 0u);
  uint32_t status = 0xDEADBEEF;
  EXPECT_EQ(MIRBAX_GetStreamStatus(0, &status), MIRBAX_ERROR_GEN_FAILURE);
  EXPECT_EQ(status, 0xDEADBEEFu);
  EXPECT_EQ(MIRBAX_GetStreamStatus(0, nullptr), MIRBAX_ERROR_INTERNAL_ERROR);
}

// ---- Streaming block size -----------------------------------------------------

TEST_P(Maintenance, BlockSizeOfAnADCBoardRoundsUpTo512) {
  const uint32_t board = Board(kAdcBoard);
  EXPECT_EQ(MIRBAX_SetStreamingBlockSize(0, 1000), 0u);
  EXPECT_EQ(Dev[0].StreamingBlockSize, 1024u);
  EXPECT_EQ(MIRBAX_SetStreamingBlockSize(0, 1024), 0u);
  EXPECT_EQ(Dev[0].StreamingBlockSize, 1024u) << "a multiple stays";
  EXPECT_EQ(MIRBAX_SetStreamingBlockSize(0, 1025), 0u);
  EXPECT_EQ(Dev[0].StreamingBlockSize, 1536u);
  EXPECT_EQ(MIRBAX_SetStreamingBlockSize(0, 0x1F00000), 0u);
  EXPECT_EQ(Dev[0].StreamingBlockSize, 0x1F00000u);
  EXPECT_TRUE(Log(board).empty()) << "nothing is sent";
}

TEST_P(Maintenance, BlockSizeOfADigitalStreamBoardRoundsUpTo256) {
  Board(kDioStreamBoard);
  EXPECT_EQ(MIRBAX_SetStreamingBlockSize(0, 1000), 0u);
  EXPECT_EQ(Dev[0].StreamingBlockSize, 1024u);
  EXPECT_EQ(MIRBAX_SetStreamingBlockSize(0, 1), 0u);
  EXPECT_EQ(Dev[0].StreamingBlockSize, 256u);
}

TEST_P(Maintenance, BlockSizeIsRaisedToTheFloor) {
  Board(kAdcBoard);
  Dev[0].StreamingBlockSizeFloor = 4000;
  EXPECT_EQ(MIRBAX_SetStreamingBlockSize(0, 10), 0u);
  EXPECT_EQ(Dev[0].StreamingBlockSize, 4096u) << "the floor, then the multiple";
}

TEST_P(Maintenance, BlockSizeOutOfRange) {
  Board(kAdcBoard);
  const uint32_t before = Dev[0].StreamingBlockSize;
  EXPECT_EQ(MIRBAX_SetStreamingBlockSize(0, 0), MIRBAX_ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MIRBAX_SetStreamingBlockSize(0, 0x1F00001), MIRBAX_ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MIRBAX_SetStreamingBlockSize(0, 0xFFFFFFFF), MIRBAX_ERROR_INVALID_PARAMETER);
  EXPECT_EQ(Dev[0].StreamingBlockSize, before);
}

TEST_P(Maintenance, BlockSizeNeedsAStreamingBoard) {
  Board(kDioBoard);
  EXPECT_EQ(MIRBAX_SetStreamingBlockSize(0, 1000), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(MIRBAX_SetStreamingBlockSize(0, 0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
}

// ---- Chip reset ---------------------------------------------------------------------

TEST_P(Maintenance, ResetChipHoldsTheCPUThenLetsItRun) {
  const uint32_t board = Board(kDioBoard);
  EXPECT_EQ(MIRBAX_ResetChip(0), 0u);
  EXPECT_EQ(Log(board), (std::vector<std::string>{
                            "C 40 a0 e600 0000 0001 01",
                            "C 40 a0 e600 0000 0001 00",
                        }));
  uint8_t cpu = 0xFF;
  ASSERT_EQ(MIRBAXSIM_Peek(board, "ram", 0xE600, &cpu, 1), 0u);
  EXPECT_EQ(cpu, 0);
}

TEST_P(Maintenance, ResetChipStopsWhenTheHoldFails) {
  const uint32_t board = Board(kDioBoard);
  ASSERT_EQ(MIRBAXSIM_FailTransfers(board, 1, 31), 0u);
  EXPECT_EQ(MIRBAX_ResetChip(0), MIRBAX_ERROR_GEN_FAILURE);
  EXPECT_LE(Log(board).size(), 1u) << "no second write";
}

TEST_P(Maintenance, ResetChipOfAGoneBoard) {
  const uint32_t board = Board(kDioBoard);
  ASSERT_EQ(MIRBAXSIM_Detach(board), 0u);
  EXPECT_EQ(MIRBAX_ResetChip(0), MIRBAX_ERROR_DEVICE_REMOVED);
  EXPECT_EQ(MIRBAX_ResetChip(0), MIRBAX_ERROR_DEVICE_REMOVED);
  EXPECT_EQ(MIRBAX_ResetChip(1), MIRBAX_ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(MIRBAX_ResetChip(32), MIRBAX_ERROR_INVALID_INDEX);
}

TEST_P(Maintenance, ResetChipResolvesSpecialIndexes) {
  const uint32_t board = Board(kDioBoard);
  EXPECT_EQ(MIRBAX_ResetChip(diOnly), 0u);
  EXPECT_EQ(Log(board).size(), 2u);
}

// ---- Debug and no-op entries ------------------------------------------------------------

TEST_P(Maintenance, EntriesWithoutFunction) {
  const uint32_t board = Board(kDioBoard);
  uint16_t sample = 0x1234;
  EXPECT_EQ(MIRBAX_OfflineWrite1(0, 0, 1), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(MIRBAX_OfflineRead1(0, 0, &sample), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(MIRBAX_OfflineRead1(99, 0, nullptr), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(sample, 0x1234);
  EXPECT_EQ(DEB_BulkIn(0), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(DEB_BulkIn(99), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(DEB_SetInterface(0, 1), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(DEB_SetInterface(5, 1), MIRBAX_ERROR_FILE_NOT_FOUND) << "after the call frame";
  EXPECT_EQ(DEB_SetInterface(99, 1), MIRBAX_ERROR_INVALID_INDEX);
  EXPECT_TRUE(Log(board).empty());
}

TEST_P(Maintenance, DebugBulkOutWritesToTheOutPipe) {
  const uint32_t board = Board(kDioBoard);
  const uint8_t data[5] = {9, 8, 7, 6, 5};
  EXPECT_EQ(DEB_BulkOut(0, 0x86, data, sizeof data), 0u) << "bit 7 is cleared: pipe 0x06";
  uint8_t back[16] = {};
  uint32_t size = sizeof back;
  ASSERT_EQ(MIRBAXSIM_ReadBulkOut(board, 0x06, back, &size), 0u);
  ASSERT_EQ(size, 5u);
  EXPECT_EQ(std::memcmp(back, data, 5), 0);
  EXPECT_EQ(Log(board), (std::vector<std::string>{"B 06 00000005 00000005"}));
}

TEST_P(Maintenance, DebugBufTest) {
  Board(kDioBoard);
  const uint8_t data[64] = {};
  UnreadablePage page;
  const bool cyusb = GetParam() != MIRBAXSIM_DRIVER_WINUSB;
  EXPECT_EQ(DEB_BufTest(0, 0x10, 0, data, sizeof data),
            cyusb ? MIRBAX_ERROR_NOT_SUPPORTED : MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DEB_BufTest(0, 0x10, 0, page.get(), 4),
            cyusb ? MIRBAX_ERROR_NOACCESS : MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DEB_BufTest(0, 0x10, 0, nullptr, 0),
            cyusb ? MIRBAX_ERROR_NOT_SUPPORTED : MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DEB_BufTest(7, 0x10, 0, data, sizeof data), MIRBAX_ERROR_FILE_NOT_FOUND);
}

TEST_P(Maintenance, DebugBufTestLinksTheBoardsWaitingForFirmware) {
  Board(kDioBoard);
  uint32_t loader = 0;
  ASSERT_EQ(MIRBAXSIM_AttachLoader("vid_0000&pid_0001", &loader), 0u);
  const uint8_t data[4] = {};
  DEB_BufTest(0, 0, 0, data, sizeof data);
  EXPECT_TRUE(Dev[1].bGotHandle.load()) << "the waiting board takes the next free entry";
  EXPECT_EQ(Dev[1].USBDriverType.load() == dtCyUSB2 || Dev[1].USBDriverType.load() == dtCyUSB3,
            true);
}

INSTANTIATE_TEST_SUITE_P(Drivers, Maintenance,
                         ::testing::Values(MIRBAXSIM_DRIVER_CYUSB3, MIRBAXSIM_DRIVER_CYUSB2,
                                           MIRBAXSIM_DRIVER_WINUSB));

}  // namespace
}  // namespace mirbax::testing
