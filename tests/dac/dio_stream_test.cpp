// The digital stream: opening, clocks, frames in blocks, closing.
#include <cmath>
#include <limits>
#include <numeric>

#include "common/unreadable_page.h"
#include "core/device_table.h"
#include "dac/dac_fixture.h"

namespace mirbax::testing {
namespace {

constexpr uint32_t kBlockWords = 31744;  // StreamingBlockSize after open

class DigitalStream : public DacBoardTest {
 protected:
  void SetUp() override {
    DacBoardTest::SetUp();
    OpenBoard(kStreamBoard);
  }

  // Opens the stream with a fast clock in that direction.
  void OpenFast(bool bRead) {
    double readHz = bRead ? 40e6 : 0, writeHz = bRead ? 0 : 40e6;
    ASSERT_EQ(DIO_StreamSetClocks(0, &readHz, &writeHz), 0u);
    ASSERT_EQ(DIO_StreamOpen(0, bRead), 0u);
    MIRBAXSIM_ClearLog(board_);
  }

  static std::vector<uint16_t> Ramp(uint32_t words, uint16_t first = 0) {
    std::vector<uint16_t> data(words);
    std::iota(data.begin(), data.end(), first);
    return data;
  }
};

TEST_F(DigitalStream, OpenSendsTheRequestOfItsDirection) {
  ASSERT_EQ(DIO_StreamOpen(0, 1), 0u);
  EXPECT_EQ(Controls(), std::vector<std::string>{"C 40 bc 0000 0000 0000"});
  EXPECT_TRUE(Dev[0].bDIORead);
  ASSERT_EQ(DIO_StreamClose(0), 0u);
  MIRBAXSIM_ClearLog(board_);
  ASSERT_EQ(DIO_StreamOpen(0, 0), 0u);
  EXPECT_EQ(Controls(), std::vector<std::string>{"C 40 bb 0000 0000 0000"});
  EXPECT_FALSE(Dev[0].bDIORead);
}

TEST_F(DigitalStream, OpenWhileOpenGives4AndSendsNothing) {
  ASSERT_EQ(DIO_StreamOpen(0, 0), 0u);
  MIRBAXSIM_ClearLog(board_);
  EXPECT_EQ(DIO_StreamOpen(0, 1), ERROR_TOO_MANY_OPEN_FILES);
  EXPECT_TRUE(Log(board_).empty());
  EXPECT_FALSE(Dev[0].bDIORead);
}

TEST_F(DigitalStream, AFailedOpenStaysClosedWithItsDirectionSet) {
  MIRBAXSIM_FailTransfers(board_, 1, 31);
  EXPECT_EQ(DIO_StreamOpen(0, 1), 31u);
  EXPECT_FALSE(Dev[0].bDIOOpen);
  EXPECT_TRUE(Dev[0].bDIORead);
}

TEST_F(DigitalStream, SetClocksSendsTheRecordAndReportsTheRates) {
  double readHz = 0, writeHz = 1'000'000;
  ASSERT_EQ(DIO_StreamSetClocks(0, &readHz, &writeHz), 0u);
  EXPECT_EQ(Controls(), std::vector<std::string>{"C 40 bd 0000 0000 0005 029efc0000"});
  EXPECT_NEAR(writeHz, 1'000'432.01, 0.01);
  EXPECT_EQ(readHz, 0.0);
  MIRBAXSIM_DigitalStreamState state{};
  ASSERT_EQ(MIRBAXSIM_GetDigitalStreamState(board_, &state), 0u);
  EXPECT_EQ(state.Disables, 2u);
  EXPECT_NEAR(state.WriteHz, writeHz, 1e-6);
  EXPECT_EQ(state.ReadHz, 0.0);
}

TEST_F(DigitalStream, SetClocksRefusesRatesThatAreNoNumbers) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (const auto &[read, write] : std::vector<std::pair<double, double>>{
           {nan, 1e6}, {1e6, nan}, {-1, 0}, {0, -5}, {inf, 1e6}}) {
    double readHz = read, writeHz = write;
    EXPECT_EQ(DIO_StreamSetClocks(0, &readHz, &writeHz), ERROR_INTERNAL_ERROR);
    EXPECT_TRUE(Log(board_).empty());
    EXPECT_EQ(std::isnan(read), std::isnan(readHz));
    if (!std::isnan(read)) EXPECT_EQ(readHz, read);
  }
  double hz = 1e6;
  UnreadablePage page;
  EXPECT_EQ(DIO_StreamSetClocks(0, page.get<double>(), &hz), ERROR_INTERNAL_ERROR);
  EXPECT_EQ(DIO_StreamSetClocks(0, &hz, nullptr), ERROR_INTERNAL_ERROR);
  EXPECT_TRUE(Log(board_).empty());
}

struct BlockCase {
  uint32_t words;
  std::vector<std::string> bulks;
};

class DigitalStreamBlocks : public DigitalStream, public ::testing::WithParamInterface<BlockCase> {};

TEST_P(DigitalStreamBlocks, AFrameGoesInBlocksAndArrivesWhole) {
  OpenFast(false);
  const std::vector<uint16_t> data = Ramp(GetParam().words, 7);
  uint32_t transferred = 0xFFFF;
  ASSERT_EQ(DIO_StreamFrame(0, GetParam().words, const_cast<uint16_t *>(data.data()), &transferred),
            0u);
  EXPECT_EQ(transferred, GetParam().words * 2);
  EXPECT_EQ(Bulks(), GetParam().bulks);
  EXPECT_EQ(StreamWords(), data);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, DigitalStreamBlocks,
    ::testing::Values(BlockCase{1, {"B 02 00000002 00000002"}},
                      BlockCase{kBlockWords, {"B 02 0000f800 0000f800"}},
                      BlockCase{kBlockWords + 1, {"B 02 0000f800 0000f800", "B 02 00000002 00000002"}},
                      BlockCase{2 * kBlockWords + 5,
                                {"B 02 0000f800 0000f800", "B 02 0000f800 0000f800",
                                 "B 02 0000000a 0000000a"}}));

TEST_F(DigitalStream, AReadFrameTakesTheBoardsWordsInOrder) {
  OpenFast(true);
  const uint16_t queued[] = {0xAAAA, 0xBBBB};
  ASSERT_EQ(MIRBAXSIM_WriteBulkIn(board_, 0x86, queued, sizeof queued), 0u);
  std::vector<uint16_t> data(2);
  uint32_t transferred = 0;
  ASSERT_EQ(DIO_StreamFrame(0, 2, data.data(), &transferred), 0u);
  EXPECT_EQ(data, (std::vector<uint16_t>{0xAAAA, 0xBBBB}));
  // Then the board's running count, across a block boundary.
  data.assign(kBlockWords + 3, 0);
  ASSERT_EQ(DIO_StreamFrame(0, kBlockWords + 3, data.data(), &transferred), 0u);
  EXPECT_EQ(transferred, (kBlockWords + 3) * 2);
  EXPECT_EQ(data, Ramp(kBlockWords + 3));
  EXPECT_EQ(Bulks(), (std::vector<std::string>{"B 86 00000004 00000004", "B 86 0000f800 0000f800",
                                               "B 86 00000006 00000006"}));
}

TEST_F(DigitalStream, AShortFullBlockGives38AndCountsWhatMoved) {
  OpenFast(false);
  ASSERT_EQ(MIRBAXSIM_SetOption(board_, "stream_out_limit", 1000), 0u);
  const std::vector<uint16_t> data = Ramp(kBlockWords + 1);
  uint32_t transferred = 0;
  EXPECT_EQ(DIO_StreamFrame(0, kBlockWords + 1, const_cast<uint16_t *>(data.data()), &transferred),
            ERROR_HANDLE_EOF);
  EXPECT_EQ(transferred, 1000u);
  EXPECT_EQ(Bulks(), std::vector<std::string>{"B 02 0000f800 000003e8"});
  EXPECT_TRUE(Dev[0].bDIOOpen);
}

TEST_F(DigitalStream, AShortLastPieceIsNoError) {
  OpenFast(false);
  ASSERT_EQ(MIRBAXSIM_SetOption(board_, "stream_out_limit", 1000), 0u);
  const std::vector<uint16_t> data = Ramp(600);
  uint32_t transferred = 0;
  EXPECT_EQ(DIO_StreamFrame(0, 600, const_cast<uint16_t *>(data.data()), &transferred), 0u);
  EXPECT_EQ(transferred, 1000u);
}

TEST_F(DigitalStream, ATransferFailureCountsTheBlocksMovedBeforeIt) {
  OpenFast(false);
  const std::vector<uint16_t> data = Ramp(2 * kBlockWords + 1);
  for (const uint32_t failing : {1u, 2u}) {  // the second full block, the last piece
    MIRBAXSIM_FailTransfersAfter(board_, failing, 1, 31);
    uint32_t transferred = 0;
    EXPECT_EQ(DIO_StreamFrame(0, 2 * kBlockWords + 1, const_cast<uint16_t *>(data.data()),
                              &transferred),
              31u);
    EXPECT_EQ(transferred, failing * kBlockWords * 2);
  }
}

TEST_F(DigitalStream, FrameChecksComeInOrderAndResetTheCount) {
  uint32_t transferred = 77;
  uint16_t word = 0;
  EXPECT_EQ(DIO_StreamFrame(0, 1, &word, &transferred), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(transferred, 0u);
  ASSERT_EQ(DIO_StreamOpen(0, 0), 0u);
  MIRBAXSIM_ClearLog(board_);
  transferred = 77;
  EXPECT_EQ(DIO_StreamFrame(0, 0, &word, &transferred), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(transferred, 0u);
  EXPECT_EQ(DIO_StreamFrame(0, 1, &word, nullptr), ERROR_INTERNAL_ERROR);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_F(DigitalStream, UnreachableFrameMemoryGives998) {
  OpenFast(false);
  UnreadablePage page;
  uint32_t transferred = 77;
  EXPECT_EQ(DIO_StreamFrame(0, 4, page.get<uint16_t>(), &transferred), ERROR_NOACCESS);
  EXPECT_EQ(transferred, 0u);
  EXPECT_TRUE(Bulks().empty());  // nothing could be read to send
  ASSERT_EQ(DIO_StreamClose(0), 0u);
  OpenFast(true);
  EXPECT_EQ(DIO_StreamFrame(0, 4, page.get<uint16_t>(), &transferred), ERROR_NOACCESS);
}

TEST_F(DigitalStream, CloseSendsNothingAndTwiceGives2) {
  ASSERT_EQ(DIO_StreamOpen(0, 0), 0u);
  MIRBAXSIM_ClearLog(board_);
  EXPECT_EQ(DIO_StreamClose(0), 0u);
  EXPECT_EQ(DIO_StreamClose(0), ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(Log(board_).empty());
}

class NoDigitalStream : public DacBoardTest {};

TEST_F(NoDigitalStream, EveryCallGives1349AndSendsNothing) {
  OpenBoard(kNoDacBoard);
  double hz = 1e6;
  uint16_t word = 0;
  uint32_t transferred = 5;
  EXPECT_EQ(DIO_StreamOpen(0, 1), ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DIO_StreamSetClocks(0, &hz, &hz), ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DIO_StreamFrame(0, 1, &word, &transferred), ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(transferred, 0u);
  EXPECT_EQ(DIO_StreamClose(0), ERROR_BAD_TOKEN_TYPE);
  EXPECT_TRUE(Log(board_).empty());
}

}  // namespace
}  // namespace mirbax::testing
