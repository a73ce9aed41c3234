// Waveform streaming: open, clock, channel count, frames and their flag bits,
// start, interlock and the two closes, on the waveform-FIFO and the
// DAC-through-stream boards.
#include <cmath>
#include <limits>

#include "common/unreadable_page.h"
#include "dac/dac_fixture.h"

namespace mirbax::testing {
namespace {

class WaveformFifo : public DacBoardTest {
 protected:
  void SetUp() override {
    DacBoardTest::SetUp();
    OpenBoard(kWaveformBoard);
  }

  void Open(double hz = 100'000) {
    ASSERT_EQ(DACOutputOpen(0, &hz), 0u);
    MIRBAXSIM_ClearLog(board_);
  }

  static std::vector<uint16_t> Filled(std::size_t samples, uint16_t value) {
    return std::vector<uint16_t>(samples, value);
  }
};

TEST_F(WaveformFifo, OpenPreparesTheFifoAndSetsTheDivisor) {
  double hz = 100'000;
  ASSERT_EQ(DACOutputOpen(0, &hz), 0u);
  EXPECT_EQ(Controls(), (std::vector<std::string>{"C 40 b0 0080 0000 0000", "C 40 b1 0000 0000 0000",
                                                  "C 40 b2 0000 0078 0000"}));
  EXPECT_EQ(hz, 100'000.0);
  EXPECT_EQ(Dev[0].CtrDivisor, 120);
  EXPECT_TRUE(Dev[0].bDACOpen);
  EXPECT_EQ(DACOutputOpen(0, &hz), ERROR_TOO_MANY_OPEN_FILES);
  ASSERT_EQ(DACOutputCloseNoEnd(0, 0), 0u);
}

struct RateCase {
  double requested;
  uint16_t divisor;
  double obtained;
};

class WaveformRates : public WaveformFifo, public ::testing::WithParamInterface<RateCase> {};

TEST_P(WaveformRates, GiveTheRoundedDivisorAndReportItsRate) {
  double hz = GetParam().requested;
  ASSERT_EQ(DACOutputOpen(0, &hz), 0u);
  EXPECT_EQ(DacState().Divisor, GetParam().divisor);
  EXPECT_NEAR(hz, GetParam().obtained, 0.001);
  ASSERT_EQ(DACOutputCloseNoEnd(0, 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Divisors, WaveformRates,
    ::testing::Values(RateCase{100'000, 120, 100'000}, RateCase{7'000'000, 2, 6'000'000},
                      RateCase{16'000'000, 1, 12'000'000},
                      RateCase{12'000'000.0 / 2.5, 2, 6'000'000},  // 2.5: ties to even
                      RateCase{12'000'000.0 / 3.5, 4, 3'000'000},
                      // Too slow for the 16-bit divisor: the slowest rate instead.
                      RateCase{183.2, 65502, 12'000'000.0 / 65502},
                      RateCase{100, 65535, 12'000'000.0 / 65535},
                      RateCase{1e-9, 65535, 12'000'000.0 / 65535}));

TEST_F(WaveformFifo, ARateWithoutADivisorGives1359AfterThePreparation) {
  for (const double bad : {0.0, 24e6, 1e9, -5.0, std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity()}) {
    double hz = bad;
    MIRBAXSIM_ClearLog(board_);
    EXPECT_EQ(DACOutputOpen(0, &hz), ERROR_INTERNAL_ERROR) << bad;
    EXPECT_EQ(Controls(),
              (std::vector<std::string>{"C 40 b0 0080 0000 0000", "C 40 b1 0000 0000 0000"}));
    EXPECT_FALSE(Dev[0].bDACOpen);
    EXPECT_EQ(Dev[0].WorkerThread, nullptr);
  }
}

TEST_F(WaveformFifo, AFailedRequestLeavesTheStreamClosed) {
  for (const uint32_t failing : {0u, 1u, 2u}) {
    MIRBAXSIM_FailTransfersAfter(board_, failing, 1, 31);
    double hz = 100'000;
    EXPECT_EQ(DACOutputOpen(0, &hz), 31u);
    EXPECT_FALSE(Dev[0].bDACOpen);
  }
}

TEST_F(WaveformFifo, AnUnusableRateArgumentSendsNothing) {
  UnreadablePage page;
  EXPECT_EQ(DACOutputOpen(0, page.get<double>()), ERROR_INTERNAL_ERROR);
  EXPECT_EQ(DACOutputOpen(0, nullptr), ERROR_INTERNAL_ERROR);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_F(WaveformFifo, SetClockSendsOnlyTheDivisor) {
  double hz = 50'000;
  ASSERT_EQ(DACOutputSetClock(0, &hz), 0u);
  EXPECT_EQ(Controls(), std::vector<std::string>{"C 40 b2 0000 00f0 0000"});
  EXPECT_EQ(hz, 50'000.0);
}

TEST_F(WaveformFifo, FramesCarryPointAndFrameFlags) {
  Open();
  ASSERT_EQ(DACOutputSetCount(0, 2), 0u);
  const std::vector<uint16_t> frame = Filled(6, 0xFFFF);
  ASSERT_EQ(DACOutputFrame(0, 3, frame.data()), 0u);
  ASSERT_EQ(DACOutputCloseNoEnd(0, 0), 0u);
  EXPECT_EQ(FifoWords(), (std::vector<uint16_t>{0x0FFF, 0x2FFF, 0x0FFF, 0x2FFF, 0x0FFF, 0x6FFF}));
}

TEST_F(WaveformFifo, RawFramesGoUnchanged) {
  Open();
  ASSERT_EQ(DACOutputSetCount(0, 1), 0u);
  const std::vector<uint16_t> frame{0xFFFF, 0x1234, 0x8000};
  ASSERT_EQ(DACOutputFrameRaw(0, 3, frame.data()), 0u);
  ASSERT_EQ(DACOutputCloseNoEnd(0, 0), 0u);
  EXPECT_EQ(FifoWords(), frame);
}

TEST_F(WaveformFifo, FramesAreCutIntoWholeBuffers) {
  Open();
  ASSERT_EQ(DACOutputSetCount(0, 1), 0u);
  const std::vector<uint16_t> frame = Filled(4097, 1);
  ASSERT_EQ(DACOutputFrame(0, 4096, frame.data()), 0u);
  EXPECT_EQ(Dev[0].PendingDACData.size(), 0u);
  ASSERT_EQ(DACOutputFrame(0, 4097, frame.data()), 0u);
  EXPECT_EQ(Dev[0].PendingDACData.size(), 2u);
  ASSERT_EQ(DACOutputCloseNoEnd(0, 0), 0u);
  EXPECT_EQ(Bulks(), (std::vector<std::string>{"B 02 00002000 00002000", "B 02 00002000 00002000",
                                               "B 02 00000002 00000002"}));
}

TEST_F(WaveformFifo, ATailStaysPendingUntilABufferIsFull) {
  Open();
  ASSERT_EQ(DACOutputSetCount(0, 1), 0u);
  const std::vector<uint16_t> frame = Filled(3000, 1);
  ASSERT_EQ(DACOutputFrame(0, 3000, frame.data()), 0u);
  EXPECT_EQ(Dev[0].PendingDACData.size(), 6000u);
  ASSERT_EQ(DACOutputFrame(0, 3000, frame.data()), 0u);
  EXPECT_EQ(Dev[0].PendingDACData.size(), 3808u);
  ASSERT_EQ(DACOutputClose(0, 0), 0u);
  std::vector<uint16_t> words = FifoWords();
  ASSERT_EQ(words.size(), 6000u);
  EXPECT_EQ(words[0], 0x2001);     // one channel: every sample ends a point
  EXPECT_EQ(words[2999], 0x6001);  // the end of the first frame
  EXPECT_EQ(words[5999], 0xE001);  // the end of the waveform
}

TEST_F(WaveformFifo, CloseRightAfterOpenSendsTheEndWord) {
  Open();
  ASSERT_EQ(DACOutputClose(0, 1), 0u);
  EXPECT_EQ(FifoWords(), std::vector<uint16_t>{0xE000});
  EXPECT_FALSE(Dev[0].bDACOpen);
  EXPECT_FALSE(Dev[0].bDACClosing);
  EXPECT_EQ(Dev[0].WorkerThread, nullptr);
}

TEST_F(WaveformFifo, CloseMarksTheLastQueuedSample) {
  Open();
  ASSERT_EQ(DACOutputSetCount(0, 1), 0u);
  const std::vector<uint16_t> frame = Filled(4096, 5);
  ASSERT_EQ(DACOutputFrame(0, 4096, frame.data()), 0u);  // a whole buffer, nothing pending
  ASSERT_EQ(DACOutputClose(0, 0), 0u);
  const std::vector<uint16_t> words = FifoWords();
  ASSERT_FALSE(words.empty());
  // Marked in the queued buffer when the worker had not taken it yet, else
  // sent as the end word after it.
  if (words.size() == 4096) {
    EXPECT_EQ(words.back(), 0xE005);
  } else {
    ASSERT_EQ(words.size(), 4097u);
    EXPECT_EQ(words[4095], 0x6005);
    EXPECT_EQ(words.back(), 0xE000);
  }
}

TEST_F(WaveformFifo, CloseNoEndWithNothingQueuedSendsNothing) {
  Open();
  ASSERT_EQ(DACOutputCloseNoEnd(0, 1), 0u);
  EXPECT_TRUE(FifoWords().empty());
  EXPECT_EQ(Dev[0].WorkerThread, nullptr);
  EXPECT_EQ(Dev[0].hDACDataSem.Count(), 0u);
}

TEST_F(WaveformFifo, ChannelCountChecks) {
  EXPECT_EQ(DACOutputSetCount(0, 2), ERROR_FILE_NOT_FOUND);
  Open();
  EXPECT_EQ(DACOutputSetCount(0, 0), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(DACOutputSetCount(0, 9), ERROR_OUTOFMEMORY);
  EXPECT_EQ(DACOutputSetCount(0, 8), 0u);
  EXPECT_EQ(Dev[0].DACsUsed, 8);
  EXPECT_TRUE(Log(board_).empty());
  ASSERT_EQ(DACOutputCloseNoEnd(0, 0), 0u);
}

TEST_F(WaveformFifo, FrameChecks) {
  const std::vector<uint16_t> frame = Filled(6401 * 5, 0);
  EXPECT_EQ(DACOutputFrame(0, 1, frame.data()), ERROR_FILE_NOT_FOUND);
  Open();
  EXPECT_EQ(DACOutputFrame(0, 0, frame.data()), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(DACOutputFrame(0, 6401, frame.data()), ERROR_OUTOFMEMORY);
  EXPECT_EQ(DACOutputFrameRaw(0, 6401, frame.data()), ERROR_OUTOFMEMORY);
  UnreadablePage page;
  EXPECT_EQ(DACOutputFrame(0, 10, page.get<uint16_t>()), ERROR_NOACCESS);
  EXPECT_EQ(DACOutputFrame(0, 10, nullptr), ERROR_NOACCESS);
  EXPECT_TRUE(Dev[0].PendingDACData.empty());
  ASSERT_EQ(DACOutputCloseNoEnd(0, 0), 0u);
  EXPECT_TRUE(FifoWords().empty());
}

TEST_F(WaveformFifo, StartTwiceGives183) {
  Open();
  ASSERT_EQ(DACOutputStart(0), 0u);
  EXPECT_EQ(DACOutputStart(0), ERROR_ALREADY_EXISTS);
  EXPECT_EQ(Controls(), std::vector<std::string>{"C 40 b0 0001 0000 0000"});
  const std::vector<uint16_t> frame = Filled(5, 0x0123);
  ASSERT_EQ(DACOutputFrame(0, 1, frame.data()), 0u);
  ASSERT_EQ(DACOutputClose(0, 0), 0u);
  for (const MIRBAXSIM_DACFifoEntry &entry : Fifo()) EXPECT_EQ(entry.Started, 1);
  EXPECT_FALSE(Dev[0].bDACStarted);
  // The board has played the point: one count per channel.
  for (uint32_t channel = 0; channel < 5; ++channel) EXPECT_EQ(Output(channel), 0x0123);
}

TEST_F(WaveformFifo, AFailedStartCanBeRepeated) {
  Open();
  MIRBAXSIM_FailTransfers(board_, 1, 31);
  EXPECT_EQ(DACOutputStart(0), 31u);
  EXPECT_EQ(DACOutputStart(0), 0u);
  ASSERT_EQ(DACOutputCloseNoEnd(0, 0), 0u);
}

TEST_F(WaveformFifo, InterlockSetsAndClears) {
  EXPECT_EQ(DACOutputSetInterlock(0, 1), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(DACOutputStart(0), ERROR_FILE_NOT_FOUND);
  Open();
  ASSERT_EQ(DACOutputSetInterlock(0, 7), 0u);
  EXPECT_EQ(DacState().Interlock, 1u);
  ASSERT_EQ(DACOutputSetInterlock(0, 0), 0u);
  EXPECT_EQ(Controls(), (std::vector<std::string>{"C 40 b0 0020 0000 0000", "C 40 b0 0000 0000 0000"}));
  ASSERT_EQ(DACOutputCloseNoEnd(0, 0), 0u);
}

// 163,840 bytes are 20 full buffers: the worker starts the output by itself
// after sending the 20th, also when the application has closed already.
TEST_F(WaveformFifo, TheWorkerStartsTheOutputAfter20Buffers) {
  for (const uint32_t buffers : {19u, 20u, 21u}) {
    Open();
    ASSERT_EQ(DACOutputSetCount(0, 1), 0u);
    const std::vector<uint16_t> frame = Filled(4096, 9);
    for (uint32_t i = 0; i < buffers; ++i) ASSERT_EQ(DACOutputFrame(0, 4096, frame.data()), 0u);
    ASSERT_EQ(DACOutputCloseNoEnd(0, 0), 0u);
    const std::vector<std::string> log = Log(board_);
    const auto start = std::find(log.begin(), log.end(), "C 40 b0 0001 0000 0000");
    if (buffers < 20) {
      EXPECT_EQ(start, log.end());
    } else {
      ASSERT_NE(start, log.end()) << buffers;
      EXPECT_EQ(std::count_if(log.begin(), start, [](const std::string &l) { return l[0] == 'B'; }),
                20);
    }
    const std::vector<MIRBAXSIM_DACFifoEntry> fifo = Fifo();
    ASSERT_EQ(fifo.size(), buffers * 4096u);
    EXPECT_EQ(fifo.back().Started, buffers > 20 ? 1 : 0);
  }
}

TEST_F(WaveformFifo, AbortAndStatusAreNotSupported) {
  EXPECT_EQ(DACOutputAbort(0), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(DACOutputStatus(0), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(DACOutputAbort(99), ERROR_NOT_SUPPORTED);
  EXPECT_EQ(DACOutputStatus(diOnly), ERROR_NOT_SUPPORTED);
  EXPECT_TRUE(Log(board_).empty());
}

class NoWaveform : public DacBoardTest {};

TEST_F(NoWaveform, EveryStreamCallGives1349) {
  OpenBoard(kImmediateBoard);
  double hz = 1000;
  const uint16_t frame[1] = {};
  EXPECT_EQ(DACOutputOpen(0, &hz), ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DACOutputSetClock(0, &hz), ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DACOutputSetCount(0, 1), ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DACOutputFrame(0, 1, frame), ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DACOutputFrameRaw(0, 1, frame), ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DACOutputStart(0), ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DACOutputSetInterlock(0, 1), ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DACOutputClose(0, 0), ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DACOutputCloseNoEnd(0, 0), ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DACOutputOpen(0, nullptr), ERROR_BAD_TOKEN_TYPE);  // capability before arguments
  EXPECT_TRUE(Log(board_).empty());
}

// ---- DAC-through-stream boards ----------------------------------------------

class StreamWaveform : public DacBoardTest {
 protected:
  void SetUp() override {
    DacBoardTest::SetUp();
    OpenBoard(kStreamDacBoard);
  }
};

TEST_F(StreamWaveform, OpenHoldsTheDigitalStreamAtTheWriteClock) {
  double hz = 1'000'000;
  ASSERT_EQ(DACOutputOpen(0, &hz), 0u);
  EXPECT_EQ(Controls(), (std::vector<std::string>{"C 40 bb 0000 0000 0000",
                                                  "C 40 bd 0000 0000 0005 009efc0000"}));
  EXPECT_NEAR(hz, 1'000'432.01, 0.01);
  EXPECT_TRUE(Dev[0].bDIOOpen);
  EXPECT_EQ(DACOutputSetCount(0, 2), ERROR_OUTOFMEMORY);
  EXPECT_EQ(DACOutputSetCount(0, 1), 0u);
  EXPECT_EQ(DACOutputStart(0), ERROR_BAD_TOKEN_TYPE);
  std::vector<uint16_t> frame(40000);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = uint16_t(i * 7);
  MIRBAXSIM_ClearLog(board_);
  ASSERT_EQ(DACOutputFrame(0, uint32_t(frame.size()), frame.data()), 0u);  // unchanged samples
  EXPECT_EQ(Bulks(), (std::vector<std::string>{"B 02 0000f800 0000f800", "B 02 00004080 00004080"}));
  EXPECT_EQ(StreamWords(), frame);
  EXPECT_EQ(Output(0), frame.back());
  MIRBAXSIM_ClearLog(board_);
  ASSERT_EQ(DACOutputClose(0, 0), 0u);
  EXPECT_TRUE(Log(board_).empty());
  EXPECT_FALSE(Dev[0].bDIOOpen);
  EXPECT_FALSE(Dev[0].bDACOpen);
}

TEST_F(StreamWaveform, AnOpenDigitalStreamRefusesTheOpen) {
  ASSERT_EQ(DIO_StreamOpen(0, 1), 0u);
  MIRBAXSIM_ClearLog(board_);
  double hz = 1e6;
  EXPECT_EQ(DACOutputOpen(0, &hz), ERROR_TOO_MANY_OPEN_FILES);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_F(StreamWaveform, AFailedClockRecordClosesTheDigitalStreamAgain) {
  MIRBAXSIM_FailTransfersAfter(board_, 1, 1, 31);
  double hz = 1e6;
  EXPECT_EQ(DACOutputOpen(0, &hz), 31u);
  EXPECT_FALSE(Dev[0].bDIOOpen);
  EXPECT_FALSE(Dev[0].bDACOpen);
  hz = std::numeric_limits<double>::quiet_NaN();
  MIRBAXSIM_ClearLog(board_);
  EXPECT_EQ(DACOutputOpen(0, &hz), ERROR_INTERNAL_ERROR);
  EXPECT_TRUE(Log(board_).empty());
}

TEST_F(StreamWaveform, AFailedFrameStillLetsTheStreamBeClosed) {
  double hz = 40e6;
  ASSERT_EQ(DACOutputOpen(0, &hz), 0u);
  MIRBAXSIM_FailTransfers(board_, 1, 31);
  const std::vector<uint16_t> frame(10, 1);
  EXPECT_EQ(DACOutputFrame(0, 10, frame.data()), 31u);
  EXPECT_FALSE(Dev[0].bDIOOpen);
  EXPECT_EQ(DACOutputFrame(0, 10, frame.data()), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(DACOutputClose(0, 0), 0u);
  EXPECT_FALSE(Dev[0].bDACOpen);
  EXPECT_EQ(DACDirect(0, 0, 5), 0u);  // the board is free again
}

TEST_F(StreamWaveform, ABoardThatTakesNothingEndsTheFrameWith38) {
  double hz = 40e6;
  ASSERT_EQ(DACOutputOpen(0, &hz), 0u);
  ASSERT_EQ(MIRBAXSIM_SetOption(board_, "stream_out_limit", 1), 0u);  // less than a word
  const std::vector<uint16_t> frame(10, 1);
  EXPECT_EQ(DACOutputFrameRaw(0, 10, frame.data()), ERROR_HANDLE_EOF);
  EXPECT_FALSE(Dev[0].bDIOOpen);
  EXPECT_EQ(DACOutputClose(0, 0), 0u);
}

TEST_F(StreamWaveform, AShortFrameIsSentOnFromWhereItStopped) {
  double hz = 40e6;
  ASSERT_EQ(DACOutputOpen(0, &hz), 0u);
  ASSERT_EQ(MIRBAXSIM_SetOption(board_, "stream_out_limit", 6), 0u);
  std::vector<uint16_t> frame(10);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = uint16_t(100 + i);
  ASSERT_EQ(DACOutputFrameRaw(0, 10, frame.data()), 0u);
  EXPECT_EQ(StreamWords(), frame);
  EXPECT_EQ(Bulks().size(), 4u);  // 3 + 3 + 3 + 1 words
  ASSERT_EQ(DACOutputClose(0, 0), 0u);
}

TEST_F(StreamWaveform, SetClockSendsTheClockRecord) {
  double hz = 1'048'576;
  ASSERT_EQ(DACOutputSetClock(0, &hz), 0u);
  EXPECT_EQ(Controls(), std::vector<std::string>{"C 40 bd 0000 0000 0005 009fc40000"});
  EXPECT_EQ(hz, 1'048'576.0);
}

// ---- Slow-waveform boards ---------------------------------------------------

class SlowWave : public DacBoardTest {
 protected:
  void SetUp() override {
    DacBoardTest::SetUp();
    OpenBoard(kSlowWaveBoard);
  }
};

TEST_F(SlowWave, OpenSetsUpTheBoardAndItsTick) {
  double hz = 1000;
  ASSERT_EQ(DACOutputOpen(0, &hz), 0u);
  EXPECT_EQ(Controls(), (std::vector<std::string>{"C 40 c7 0001 0000 0000", "C 40 3c d11f 8001 0000"}));
  EXPECT_EQ(DacState().SlowWaveSetup, 1u);
  EXPECT_EQ(DACOutputSetCount(0, 17), ERROR_OUTOFMEMORY);  // ImmDACs is the most
  ASSERT_EQ(DACOutputSetCount(0, 3), 0u);
  EXPECT_EQ(DACOutputStart(0), ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(DACOutputSetInterlock(0, 1), ERROR_BAD_TOKEN_TYPE);
  const std::vector<uint16_t> frame{1, 2, 3, 4, 5, 6};
  MIRBAXSIM_ClearLog(board_);
  ASSERT_EQ(DACOutputFrame(0, 2, frame.data()), 0u);  // unchanged samples, to pipe 0x06
  EXPECT_EQ(Bulks(), std::vector<std::string>{"B 06 0000000c 0000000c"});
  std::vector<uint16_t> sent(6);
  uint32_t size = 12;
  ASSERT_EQ(MIRBAXSIM_ReadBulkOut(board_, 0x06, sent.data(), &size), 0u);
  EXPECT_EQ(sent, frame);
  ASSERT_EQ(DACOutputClose(0, 0), 0u);
  EXPECT_FALSE(Dev[0].bDACOpen);
  EXPECT_EQ(DACOutputClose(0, 0), ERROR_FILE_NOT_FOUND);
}

TEST_F(SlowWave, ARateThatIsNoNumberIsRefusedBeforeAnythingIsSent) {
  for (const double bad : {-1.0, std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity()}) {
    double hz = bad;
    EXPECT_EQ(DACOutputOpen(0, &hz), ERROR_INVALID_PARAMETER) << bad;
    EXPECT_EQ(DACOutputSetClock(0, &hz), ERROR_INVALID_PARAMETER) << bad;
  }
  EXPECT_TRUE(Log(board_).empty());
  EXPECT_FALSE(Dev[0].bDACOpen);
}

TEST_F(SlowWave, SetClockSetsTheTick) {
  double hz = 7;
  ASSERT_EQ(DACOutputSetClock(0, &hz), 0u);
  EXPECT_NEAR(hz, 12'000'000.0 / 65535, 1e-9);
  EXPECT_EQ(Controls(), std::vector<std::string>{"C 40 3c 0000 8001 0000"});
}

}  // namespace
}  // namespace mirbax::testing
