// Load-and-process output: a whole waveform in one call.
#include <limits>

#include "common/unreadable_page.h"
#include "dac/dac_fixture.h"

namespace mirbax::testing {
namespace {

std::vector<uint16_t> Samples(uint32_t count) {
  std::vector<uint16_t> samples(count);
  for (uint32_t i = 0; i < count; ++i) samples[i] = uint16_t(i * 3 + 1);
  return samples;
}

struct LoadCase {
  uint32_t samples;
  std::vector<std::string> bulks;
};

class LoadWaveformMemory : public DacBoardTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadWaveformMemory, SendsBlocksOf15872Samples) {
  OpenBoard(kWaveformBoard);
  const std::vector<uint16_t> samples = Samples(GetParam().samples);
  double hz = 100'000;
  ASSERT_EQ(DACOutputLoadProcess(0, &hz, GetParam().samples, samples.data()), 0u);
  EXPECT_EQ(Controls(), (std::vector<std::string>{"C 40 b0 0080 0000 0000", "C 40 b1 0000 0000 0000",
                                                  "C 40 b2 0000 0078 0000"}));
  EXPECT_EQ(Bulks(), GetParam().bulks);
  EXPECT_EQ(FifoWords(), samples);  // sent unchanged
  EXPECT_EQ(DacState().Started, 0u);
  EXPECT_FALSE(Dev[0].bDACOpen);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, LoadWaveformMemory,
    ::testing::Values(LoadCase{0, {"B 02 00000000 00000000"}},
                      LoadCase{15872, {"B 02 00007c00 00007c00"}},
                      LoadCase{15873, {"B 02 00007c00 00007c00", "B 02 00000002 00000002"}},
                      LoadCase{131071, {"B 02 00007c00 00007c00", "B 02 00007c00 00007c00",
                                        "B 02 00007c00 00007c00", "B 02 00007c00 00007c00",
                                        "B 02 00007c00 00007c00", "B 02 00007c00 00007c00",
                                        "B 02 00007c00 00007c00", "B 02 00007c00 00007c00",
                                        "B 02 00001ffe 00001ffe"}}));

class LoadProcess : public DacBoardTest {};

TEST_F(LoadProcess, TooManySamplesGive14AndSendNothing) {
  OpenBoard(kWaveformBoard);
  double hz = 1000;
  EXPECT_EQ(DACOutputLoadProcess(0, &hz, 131072, nullptr), ERROR_OUTOFMEMORY);
  UnreadablePage page;
  EXPECT_EQ(DACOutputLoadProcess(0, &hz, 10, page.get<uint16_t>()), ERROR_NOACCESS);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_F(LoadProcess, ProcessStartsTheOutputOfAWaveformMemory) {
  OpenBoard(kWaveformBoard);
  const std::vector<uint16_t> samples = Samples(10);
  double hz = 7'000'000;
  ASSERT_EQ(DACOutputProcess(0, &hz, 10, samples.data()), 0u);
  EXPECT_EQ(hz, 6'000'000.0);
  EXPECT_EQ(Controls().back(), "C 40 b0 0001 0000 0000");
  EXPECT_EQ(DacState().Started, 1u);
  EXPECT_FALSE(Dev[0].bDACStarted);
}

TEST_F(LoadProcess, ARateWithoutADivisorGives1359AfterThePreparation) {
  OpenBoard(kWaveformBoard);
  const std::vector<uint16_t> samples = Samples(10);
  double hz = 0;
  EXPECT_EQ(DACOutputProcess(0, &hz, 10, samples.data()), ERROR_INTERNAL_ERROR);
  EXPECT_EQ(Controls(),
            (std::vector<std::string>{"C 40 b0 0080 0000 0000", "C 40 b1 0000 0000 0000"}));
  EXPECT_TRUE(Bulks().empty());
}

TEST_F(LoadProcess, AFailingBlockEndsTheLoad) {
  OpenBoard(kWaveformBoard);
  const std::vector<uint16_t> samples = Samples(40000);
  MIRBAXSIM_FailTransfersAfter(board_, 4, 1, 31);  // the second block
  double hz = 1000;
  EXPECT_EQ(DACOutputProcess(0, &hz, 40000, samples.data()), 31u);
  EXPECT_EQ(Bulks().size(), 1u);
  EXPECT_EQ(DacState().Started, 0u);
}

TEST_F(LoadProcess, AnOpenStreamRefusesTheLoad) {
  OpenBoard(kWaveformBoard);
  double hz = 100'000;
  ASSERT_EQ(DACOutputOpen(0, &hz), 0u);
  MIRBAXSIM_ClearLog(board_);
  const std::vector<uint16_t> samples = Samples(10);
  EXPECT_EQ(DACOutputLoadProcess(0, &hz, 10, samples.data()), ERROR_TOO_MANY_OPEN_FILES);
  EXPECT_EQ(DACOutputProcess(0, &hz, 10, samples.data()), ERROR_TOO_MANY_OPEN_FILES);
  EXPECT_TRUE(Log(board_).empty());
  ASSERT_EQ(DACOutputCloseNoEnd(0, 0), 0u);
}

TEST_F(LoadProcess, ThroughTheDigitalStreamTheSamplesPlayAsTheyGo) {
  OpenBoard(kStreamDacBoard);
  const std::vector<uint16_t> samples = Samples(40000);
  double hz = 40e6;
  ASSERT_EQ(DACOutputProcess(0, &hz, 40000, samples.data()), 0u);
  EXPECT_EQ(Controls(), (std::vector<std::string>{"C 40 bb 0000 0000 0000",
                                                  "C 40 bd 0000 0000 0005 00f4c40000"}));
  EXPECT_EQ(StreamWords(), samples);
  EXPECT_EQ(Output(0), samples.back());
  EXPECT_FALSE(Dev[0].bDIOOpen);
}

TEST_F(LoadProcess, ThroughTheDigitalStreamChecksAndFailuresCloseTheStream) {
  OpenBoard(kStreamDacBoard);
  double hz = 40e6;
  EXPECT_EQ(DACOutputLoadProcess(0, &hz, 0, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(Dev[0].bDIOOpen);
  EXPECT_TRUE(Log(board_).empty());  // refused before the stream is opened
  const std::vector<uint16_t> samples = Samples(10);
  MIRBAXSIM_FailTransfersAfter(board_, 2, 1, 31);  // the samples
  EXPECT_EQ(DACOutputLoadProcess(0, &hz, 10, samples.data()), 31u);
  EXPECT_FALSE(Dev[0].bDIOOpen);
  ASSERT_EQ(DIO_StreamOpen(0, 0), 0u);
  MIRBAXSIM_ClearLog(board_);
  EXPECT_EQ(DACOutputLoadProcess(0, &hz, 10, samples.data()), ERROR_TOO_MANY_OPEN_FILES);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_F(LoadProcess, OnASlowWaveBoardOneChannelIsSentAndTheCountRestored) {
  OpenBoard(kSlowWaveBoard);
  ASSERT_EQ(Dev[0].DACsUsed, 16);
  const std::vector<uint16_t> samples = Samples(100);
  double hz = 1000;
  ASSERT_EQ(DACOutputProcess(0, &hz, 100, samples.data()), 0u);
  EXPECT_EQ(hz, 1000.0);
  EXPECT_EQ(Controls(), (std::vector<std::string>{"C 40 c7 0001 0000 0000", "C 40 3c d11f 8001 0000"}));
  EXPECT_EQ(Bulks(), std::vector<std::string>{"B 06 000000c8 000000c8"});
  std::vector<uint16_t> sent(100);
  uint32_t size = 200;
  ASSERT_EQ(MIRBAXSIM_ReadBulkOut(board_, 0x06, sent.data(), &size), 0u);
  EXPECT_EQ(size, 200u);
  EXPECT_EQ(sent, samples);
  EXPECT_EQ(Dev[0].DACsUsed, 16);
  EXPECT_FALSE(Dev[0].bDACOpen);
  // Also when the frame fails.
  MIRBAXSIM_FailTransfersAfter(board_, 2, 1, 31);
  EXPECT_EQ(DACOutputLoadProcess(0, &hz, 100, samples.data()), 31u);
  EXPECT_EQ(Dev[0].DACsUsed, 16);
  EXPECT_FALSE(Dev[0].bDACOpen);
  MIRBAXSIM_ClearLog(board_);
  EXPECT_EQ(DACOutputLoadProcess(0, &hz, 0, samples.data()), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_F(LoadProcess, NeedsAStreamKind) {
  OpenBoard(kImmediateBoard);
  double hz = 1000;
  EXPECT_EQ(DACOutputLoadProcess(0, &hz, 1, nullptr), ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DACOutputProcess(0, nullptr, 1, nullptr), ERROR_BAD_TOKEN_TYPE);
  EXPECT_TRUE(Log(board_).empty());
}

}  // namespace
}  // namespace mirbax::testing
