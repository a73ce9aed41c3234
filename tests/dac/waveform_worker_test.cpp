// The waveform worker: long waveforms queued through it arrive complete and
// in order, a close sends everything still queued, and the worker ends on
// its own when the board goes away or transfers fail.
#include <atomic>
#include <thread>

#include "core/device_table.h"
#include "dac/dac_fixture.h"
#include "dac/dac_worker.h"
#include "dac/waveform.h"

namespace mirbax::testing {
namespace {

constexpr uint32_t kChannels = 5;        // the board's DACsUsed
constexpr uint32_t kPointsPerFrame = 97;  // frames end inside buffers

class WaveformWorker : public DacBoardTest {
 protected:
  void SetUp() override {
    DacBoardTest::SetUp();
    OpenBoard(kWaveformBoard);
    double hz = 100'000;
    ASSERT_EQ(DACOutputOpen(0, &hz), 0u);
    MIRBAXSIM_ClearLog(board_);
  }

  // The count of sample s of frame f: distinct along the waveform (mod 4096).
  static uint16_t Count(uint32_t frame, uint32_t sample) {
    return uint16_t((frame * kPointsPerFrame * kChannels + sample) % 4096);
  }

  static std::vector<uint16_t> Frame(uint32_t f) {
    std::vector<uint16_t> samples(kPointsPerFrame * kChannels);
    for (uint32_t s = 0; s < samples.size(); ++s) samples[s] = uint16_t(Count(f, s) | 0xF000);
    return samples;
  }

  // The words the board must receive for frames [0, frames).
  static std::vector<uint16_t> Expected(uint32_t frames, bool bEndMark) {
    std::vector<uint16_t> words;
    for (uint32_t f = 0; f < frames; ++f)
      for (uint32_t s = 0; s < kPointsPerFrame * kChannels; ++s) {
        uint16_t word = Count(f, s);
        if (s % kChannels == kChannels - 1) word |= 0x2000;
        if (s == kPointsPerFrame * kChannels - 1) word |= 0x4000;
        words.push_back(word);
      }
    if (bEndMark) words.back() |= 0x8000;
    return words;
  }

  // Queues a frame, waiting while the queue is full: the worker makes room.
  static void QueueFrame(uint32_t f) {
    const std::vector<uint16_t> samples = Frame(f);
    uint32_t result;
    while ((result = DACOutputFrame(0, kPointsPerFrame, samples.data())) == ERROR_NOT_READY)
      std::this_thread::yield();
    ASSERT_EQ(result, 0u);
  }

  // Closes on another thread while the board takes nothing, so that the
  // close finds a long queue; lets the board take data once the close has
  // begun.
  void CloseWithAFullQueue(bool bEndMark) {
    std::atomic<uint32_t> result{0xFFFFFFFF};
    std::thread closer([&] { result = bEndMark ? DACOutputClose(0, 0) : DACOutputCloseNoEnd(0, 0); });
    while (!Dev[0].bDACClosing && result == 0xFFFFFFFF) std::this_thread::yield();
    ASSERT_EQ(MIRBAXSIM_SetOption(board_, "dac_fifo_paused", 0), 0u);
    closer.join();
    EXPECT_EQ(result, 0u);
  }
};

TEST_F(WaveformWorker, HundredsOfFramesArriveCompleteAndInOrder) {
  constexpr uint32_t kFrames = 600;  // about 71 buffers of 8192 bytes
  for (uint32_t f = 0; f < kFrames; ++f) QueueFrame(f);
  ASSERT_EQ(DACOutputClose(0, 0), 0u);
  const std::vector<MIRBAXSIM_DACFifoEntry> fifo = Fifo();
  std::vector<uint16_t> words;
  for (const MIRBAXSIM_DACFifoEntry &entry : fifo) words.push_back(entry.Word);
  EXPECT_EQ(words, Expected(kFrames, true));
  // Started by the worker after 163,840 bytes.
  EXPECT_EQ(fifo[163'840 / 2 - 1].Started, 0);
  EXPECT_EQ(fifo.back().Started, 1);
  EXPECT_EQ(fifo.back().Divisor, 120);
}

TEST_F(WaveformWorker, ACloseRightAfterTheLastFrameSendsEveryQueuedBuffer) {
  for (const bool bEndMark : {true, false}) {
    ASSERT_EQ(MIRBAXSIM_SetOption(board_, "dac_fifo_paused", 1), 0u);
    constexpr uint32_t kFrames = 250;  // about 30 buffers: all fit in the queue
    for (uint32_t f = 0; f < kFrames; ++f) {
      const std::vector<uint16_t> samples = Frame(f);
      ASSERT_EQ(DACOutputFrame(0, kPointsPerFrame, samples.data()), 0u);
    }
    {
      std::lock_guard lock(Dev[0].hDACDataMutex);
      EXPECT_GT(Dev[0].DACData.size(), 25u);  // the worker holds at most one
    }
    CloseWithAFullQueue(bEndMark);
    EXPECT_EQ(FifoWords(), Expected(kFrames, bEndMark)) << "end mark " << bEndMark;
    EXPECT_EQ(Dev[0].WorkerThread, nullptr);
    double hz = 100'000;
    ASSERT_EQ(DACOutputOpen(0, &hz), 0u);
  }
  ASSERT_EQ(DACOutputCloseNoEnd(0, 0), 0u);
}

TEST_F(WaveformWorker, AFullQueueRefusesFramesAndKeepsWhatIsPending) {
  ASSERT_EQ(MIRBAXSIM_SetOption(board_, "dac_fifo_paused", 1), 0u);
  ASSERT_EQ(DACOutputSetCount(0, 1), 0u);
  const std::vector<uint16_t> frame(4100, 3);  // a buffer and 8 bytes each
  uint32_t accepted = 0;
  while (DACOutputFrame(0, 4100, frame.data()) == 0) ++accepted;
  // 32 buffers may wait; one more may be in the board's hands.
  EXPECT_GE(accepted, 32u);
  EXPECT_LE(accepted, 34u);
  const std::string pending = Dev[0].PendingDACData;
  EXPECT_EQ(DACOutputFrame(0, 4100, frame.data()), ERROR_NOT_READY);
  EXPECT_EQ(Dev[0].PendingDACData, pending);
  CloseWithAFullQueue(true);
  EXPECT_EQ(FifoWords().size(), accepted * 4100u);
}

TEST_F(WaveformWorker, FailedBuffersAreSkippedAndTheRestArrives) {
  ASSERT_EQ(DACOutputSetCount(0, 1), 0u);
  ASSERT_EQ(MIRBAXSIM_FailTransfersAfter(board_, 2, 3, 31), 0u);  // buffers 3, 4 and 5
  for (uint16_t b = 0; b < 8; ++b) {
    const std::vector<uint16_t> frame(4096, b);
    ASSERT_EQ(DACOutputFrame(0, 4096, frame.data()), 0u);
  }
  ASSERT_EQ(DACOutputCloseNoEnd(0, 0), 0u);
  const std::vector<uint16_t> words = FifoWords();
  ASSERT_EQ(words.size(), 5u * 4096);
  for (const auto &[index, count] : {std::pair{0, 0}, {4096, 1}, {2 * 4096, 5}, {4 * 4096, 7}})
    EXPECT_EQ(words[index] & 0x0FFF, count) << index;
}

// Each sent buffer is kept for the next frames (its memory reused), up to
// as many as can be queued: a running stream allocates no buffers.  The
// board takes nothing until the close, so no frame finds a spare and each
// of the eight buffers is a new one.
TEST_F(WaveformWorker, SentBuffersAreKeptForTheNextFrames) {
  ASSERT_EQ(MIRBAXSIM_SetOption(board_, "dac_fifo_paused", 1), 0u);
  ASSERT_EQ(DACOutputSetCount(0, 1), 0u);
  for (uint16_t b = 0; b < 8; ++b) {
    const std::vector<uint16_t> frame(4096, b);  // one buffer each
    ASSERT_EQ(DACOutputFrame(0, 4096, frame.data()), 0u);
  }
  std::shared_ptr<TDACWorker> worker = Dev[0].WorkerThread;
  ASSERT_NE(worker, nullptr);
  CloseWithAFullQueue(false);  // returns once all eight have gone
  for (int i = 0; i < 8; ++i) {
    const std::string spare = worker->SpareBuffer();
    EXPECT_TRUE(spare.empty()) << i;
    EXPECT_GE(spare.capacity(), FrameBufferSize) << i;
  }
  EXPECT_LT(worker->SpareBuffer().capacity(), FrameBufferSize);  // none left: a new one
  EXPECT_EQ(FifoWords().size(), 8u * 4096);
}

TEST_F(WaveformWorker, EndsByItselfWhenTheBoardGoesAway) {
  ASSERT_EQ(MIRBAXSIM_SetOption(board_, "dac_fifo_paused", 1), 0u);
  for (uint32_t f = 0; f < 40; ++f) {
    const std::vector<uint16_t> samples = Frame(f);
    ASSERT_EQ(DACOutputFrame(0, kPointsPerFrame, samples.data()), 0u);
  }
  std::shared_ptr<TDACWorker> worker = Dev[0].WorkerThread;
  ASSERT_NE(worker, nullptr);
  ASSERT_EQ(MIRBAXSIM_Detach(board_), 0u);
  worker->WaitFor();  // the transfer under way fails, the rest is dropped
  EXPECT_TRUE(worker->Finished());
  EXPECT_TRUE(Dev[0].DACData.empty());
  EXPECT_EQ(DACOutputClose(0, 0), ERROR_DEVICE_REMOVED);

  // The entry is taken by a new board: a new stream starts cleanly.
  ASSERT_EQ(MIRBAX_CloseDevice(0), 0u);
  OpenBoard(kWaveformBoard);
  double hz = 100'000;
  ASSERT_EQ(DACOutputOpen(0, &hz), 0u);
  ASSERT_EQ(DACOutputClose(0, 0), 0u);
  EXPECT_EQ(FifoWords(), std::vector<uint16_t>{0xE000});
}

}  // namespace
}  // namespace mirbax::testing
