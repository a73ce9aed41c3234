// Continuous acquisition through the buffer pool: callbacks, ADC_GetBuf,
// clocked starts, and streams that end by failure or unplug.
#include <atomic>
#include <cmath>
#include <thread>

#include "adc/buffer_pool.h"
#include "adc/continuous.h"
#include "adc_fixture.h"
#include "core/device_table.h"

namespace mirbax::testing {
namespace {

// What the callback of a test sees; one acquisition at a time.
struct CallbackRecord {
  std::mutex mutex;
  std::vector<uint32_t> sizes;
  std::vector<uint32_t> flags;
  uint64_t samples = 0;
  uint64_t disorder = 0;   // samples that did not carry n mod 65536
  uint64_t breaks = 0;     // buffers that did not continue the previous one
  uint64_t target = 0;     // raise `reached` once this many samples arrived
  Signal reached;
  Signal ended;            // the end-stream call came
  Signal releaseFirst;     // the first call waits for it when holdFirst
  bool holdFirst = false;
  bool throwEach = false;
};
CallbackRecord *gRecord = nullptr;

void RecordingCallback(uint16_t *pBuf, uint32_t BufSize, uint32_t Flags, uint32_t) {
  CallbackRecord &r = *gRecord;
  bool first;
  {
    std::lock_guard lock(r.mutex);
    first = r.sizes.empty();
    r.sizes.push_back(BufSize);
    r.flags.push_back(Flags);
  }
  if (Flags & CallbackFlag_EndStream) {
    r.ended.Raise();
    return;
  }
  if (first && r.holdFirst) r.releaseFirst.Wait();
  uint64_t n = r.samples;
  uint64_t bad = 0;
  uint16_t expected = uint16_t(n);
  const bool broken = BufSize >= 2 && pBuf[0] != expected;
  if (broken) expected = pBuf[0];
  for (uint32_t i = 0; i < BufSize / 2; ++i, ++n, ++expected) bad += pBuf[i] != expected;
  {
    std::lock_guard lock(r.mutex);
    r.samples = n;
    r.disorder += bad + (broken ? 1 : 0);
    r.breaks += broken ? 1 : 0;
  }
  if (r.target && n >= r.target) r.reached.Raise();
  if (r.throwEach) throw std::runtime_error("callback failure");
}

class Continuous : public AdcTest {
 protected:
  void SetUp() override {
    AdcTest::SetUp();
    gRecord = &record_;
  }
  void TearDown() override {
    if (Dev[0].ADCContAcqWorker) ADC_BulkContinuousEnd(0, nullptr);
    gRecord = nullptr;
    AdcTest::TearDown();
  }
  static TPoolStats Pool() {
    TPoolStats stats;
    EXPECT_EQ(ADC_BulkContinuousDebug(0, &stats.Blanks, &stats.Accessings, &stats.GotDatas), 0u);
    return stats;
  }
  CallbackRecord record_;
};

TEST_F(Continuous, ASlowCallbackGrowsThePoolAndLosesNothing) {
  Plug(kAdc16);
  SetOption("adc_pattern", 1);
  record_.holdFirst = true;
  record_.target = 10'000'000;
  ASSERT_EQ(ADC_BulkContinuousCallbackStart(0, 16384, 4, 7, RecordingCallback), 0u);
  // The first call holds the buffer worker while the board keeps sending.
  for (TPoolStats stats = Pool(); stats.GotDatas < 32; stats = Pool()) std::this_thread::yield();
  const TPoolStats grown = Pool();
  EXPECT_GT(grown.Blanks + grown.Accessings + grown.GotDatas, 32u);  // from 4
  record_.releaseFirst.Raise();
  record_.reached.Wait();
  uint32_t ioStatus = 99;
  ASSERT_EQ(ADC_BulkContinuousEnd(0, &ioStatus), 0u);
  EXPECT_EQ(ioStatus, 0u);
  EXPECT_TRUE(record_.ended.IsRaised());
  std::lock_guard lock(record_.mutex);
  EXPECT_GE(record_.samples, 10'000'000u);
  EXPECT_EQ(record_.disorder, 0u);
  uint64_t inserted = 0;
  for (std::size_t i = 0; i + 1 < record_.flags.size(); ++i) {
    EXPECT_LE(record_.sizes[i], 16384u);
    inserted += (record_.flags[i] & CallbackFlag_Inserted) != 0;
  }
  // Every filled buffer seen while the callback was held is delivered; all
  // but the 4 the pool started with were inserted for the slow callback.
  EXPECT_GE(inserted, uint64_t(grown.GotDatas) - 4);
  EXPECT_EQ(record_.flags.back(), CallbackFlag_EndStream);
  EXPECT_EQ(record_.sizes.back(), 0u);
  EXPECT_FALSE(Dev[0].ADCContAcqWorker);
  EXPECT_FALSE(Dev[0].ADCContBufWorker);
}

TEST_F(Continuous, BufferSizesAndTheWireOfAnUnclockedStream) {
  Plug(kAdc16);
  EXPECT_EQ(ADC_BulkContinuousCallbackStart(0, 1000, 4, 0, RecordingCallback),
            MIRBAX_ERROR_INVALID_USER_BUFFER);
  EXPECT_EQ(ADC_BulkContinuousCallbackStart(0, 0, 4, 0, RecordingCallback),
            MIRBAX_ERROR_INVALID_USER_BUFFER);
  EXPECT_TRUE(Log(board_).empty());
  SetOption("adc_pattern", 1);
  SetOption("adc_held_bytes", 1000);
  record_.target = 100'000;
  ASSERT_EQ(ADC_BulkContinuousCallbackStart(0, 4096, 0, 0, RecordingCallback), 0u);
  record_.reached.Wait();
  ASSERT_EQ(ADC_BulkContinuousEnd(0, nullptr), 0u);
  EXPECT_EQ(ADC_BulkContinuousEnd(0, nullptr), MIRBAX_ERROR_HANDLE_EOF);
  {
    std::lock_guard lock(record_.mutex);
    EXPECT_EQ(record_.flags.front() & CallbackFlag_Inserted, CallbackFlag_Inserted);  // pool of 0
    // The read the end aborts loses what it held; the board's held bytes
    // follow that gap, in order.
    EXPECT_LE(record_.breaks, 1u);
    EXPECT_EQ(record_.disorder, record_.breaks);
    for (uint32_t size : record_.sizes) EXPECT_LE(size, 4096u);
    EXPECT_EQ(record_.flags.back(), CallbackFlag_EndStream);
  }
  const std::vector<std::string> bc = ControlLines(board_, 0xBC);
  ASSERT_EQ(bc.size(), 3u);
  EXPECT_EQ(bc[0], "C 40 bc 0000 0000 0004 07000001");
  EXPECT_EQ(bc[1], "C 40 bc 0000 0000 0004 02000200");
  EXPECT_EQ(bc[2], "C c0 bc 0000 0000 0004 e8030000");  // the bytes the board still held
  EXPECT_EQ(LinesStarting("B 86").back(), "B 86 000003e8 000003e8");
  EXPECT_FALSE(LinesStarting("A 86").empty());
}

TEST_F(Continuous, CallbackExceptionsAreSwallowed) {
  Plug(kAdc16);
  SetOption("adc_pattern", 1);
  record_.throwEach = true;
  record_.target = 50'000;
  ASSERT_EQ(ADC_BulkContinuousCallbackStart(0, 8192, 2, 0, RecordingCallback), 0u);
  record_.reached.Wait();
  ASSERT_EQ(ADC_BulkContinuousEnd(0, nullptr), 0u);
  EXPECT_EQ(record_.disorder, 0u);
  EXPECT_TRUE(record_.ended.IsRaised());
}

TEST_F(Continuous, ClockedStartsChooseTheirDivisors) {
  struct Case {
    double hz;
    const char *start;
    double achieved;
  };
  const Case cases[] = {
      {1000, "C 40 c5 0064 0064 0000", 1000},
      {7000, "C 40 c5 002a 0022 0000", 10e6 / (42 * 34)},
      {12345, "C 40 c5 001e 001b 0000", 10e6 / (30 * 27)},
      {1, "C 40 c5 0c80 0c35 0000", 1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.hz);
    Replug();
    Plug(kAdc16);
    double hz = c.hz;
    ASSERT_EQ(ADC_BulkContinuousCallbackStartClocked(0, 4096, 2, 0, RecordingCallback, &hz), 0u);
    EXPECT_DOUBLE_EQ(hz, c.achieved);
    ASSERT_EQ(ADC_BulkContinuousEnd(0, nullptr), 0u);  // the log is read once it stops growing
    EXPECT_EQ(ControlLines(board_, 0xC5), std::vector<std::string>{c.start});
  }
}

TEST_F(Continuous, RatesTheCountersCannotMakeStartNothing) {
  Plug(kAdc16);
  for (double hz : {0.0, -5.0, 0.001, std::nan("")}) {
    double rate = hz;
    EXPECT_EQ(ADC_BulkContinuousCallbackStartClocked(0, 4096, 2, 0, RecordingCallback, &rate),
              MIRBAX_ERROR_INVALID_DATA);
  }
  EXPECT_TRUE(Log(board_).empty());
  EXPECT_FALSE(Dev[0].ADCContAcqWorker);
}

TEST_F(Continuous, DioStreamBoardRunsAtItsOwnClock) {
  Plug(kAdcDioStream);
  double hz = 5000;
  ASSERT_EQ(ADC_BulkContinuousCallbackStartClocked(0, 4096, 2, 0, RecordingCallback, &hz), 0u);
  EXPECT_EQ(hz, 1e6);
  uint32_t blanks, accessings, gotDatas;
  EXPECT_EQ(ADC_BulkContinuousDebug(0, &blanks, &accessings, &gotDatas),
            MIRBAX_ERROR_BAD_TOKEN_TYPE);
  ASSERT_EQ(ADC_BulkContinuousEnd(0, nullptr), 0u);
  const std::vector<std::string> bc = ControlLines(board_, 0xBC);
  ASSERT_EQ(bc.size(), 2u);
  EXPECT_EQ(bc[0], "C 40 bc 0003 0000 0000");
  EXPECT_EQ(bc[1], "C 40 bc 0010 0000 0000");
}

TEST_F(Continuous, GetBufHandsOutBuffersInOrder) {
  Plug(kAdc64);
  SetOption("adc_pattern", 1);
  uint16_t *data = nullptr;
  uint32_t size = 0;
  EXPECT_EQ(ADC_GetBuf(0, &data, &size, nullptr, 0), MIRBAX_ERROR_NOT_SUPPORTED);
  ASSERT_EQ(ADC_BulkContinuousCallbackStart(0, 65536, 8, 0, nullptr), 0u);
  std::vector<uint16_t> other(16);
  EXPECT_EQ(ADC_BulkAcquire(0, 32, other.data()), MIRBAX_ERROR_TOO_MANY_OPEN_FILES);
  EXPECT_EQ(ADC_GetImmediate(0, 0, other.data()), MIRBAX_ERROR_TOO_MANY_OPEN_FILES);
  EXPECT_EQ(ADC_BulkContinuousCallbackStart(0, 4096, 2, 0, nullptr), MIRBAX_ERROR_TOO_MANY_OPEN_FILES);
  uint64_t n = 0, disorder = 0;
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(ADC_GetBuf(0, &data, &size, nullptr, INFINITY), 0u);
    ASSERT_NE(data, nullptr);
    ASSERT_GT(size, 0u);
    for (uint32_t k = 0; k < size / 2; ++k, ++n) disorder += data[k] != uint16_t(n);
  }
  EXPECT_EQ(disorder, 0u);
  ASSERT_EQ(ADC_BulkContinuousEnd(0, nullptr), 0u);
  EXPECT_EQ(ADC_GetBuf(0, &data, &size, nullptr, 0), MIRBAX_ERROR_NOT_SUPPORTED);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(size, 0u);
}

TEST_F(Continuous, GetBufTimesOutAtOnceWithNothingQueued) {
  Plug(kAdc16);
  SetOption("sample_rate", 1);  // the first samples are minutes away
  ASSERT_EQ(ADC_BulkContinuousCallbackStart(0, 4096, 2, 0, nullptr), 0u);
  uint16_t *data = reinterpret_cast<uint16_t *>(1);
  uint32_t size = 5;
  EXPECT_EQ(ADC_GetBuf(0, &data, &size, nullptr, 0), ERROR_NO_DATA);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(ADC_GetBuf(0, &data, &size, nullptr, std::nan("")), MIRBAX_ERROR_INVALID_PARAMETER);
  EXPECT_EQ(ADC_GetBuf(0, nullptr, &size, nullptr, 0), MIRBAX_ERROR_NOACCESS);
  ASSERT_EQ(ADC_BulkContinuousEnd(0, nullptr), 0u);  // the abort ends the waiting read
}

TEST_F(Continuous, AFailedReadEndsTheStreamAndEveryWait) {
  Plug(kAdc16);
  SetOption("adc_pattern", 1);
  ASSERT_EQ(MIRBAXSIM_FailTransfersAfter(board_, 20, 0xFFFFFFFF, 31), 0u);
  ASSERT_EQ(ADC_BulkContinuousCallbackStart(0, 4096, 2, 0, nullptr), 0u);
  uint16_t *data = nullptr;
  uint32_t size = 0;
  uint32_t result;
  while ((result = ADC_GetBuf(0, &data, &size, nullptr, INFINITY)) == 0) {
  }
  EXPECT_EQ(result, ERROR_NO_DATA);
  EXPECT_EQ(ADC_GetBuf(0, &data, &size, nullptr, INFINITY), ERROR_NO_DATA);  // still ended
  MIRBAXSIM_FailTransfers(board_, 0, 0);
  uint32_t ioStatus = 0;
  ASSERT_EQ(ADC_BulkContinuousEnd(0, &ioStatus), 0u);
  EXPECT_EQ(ioStatus, MIRBAX_ERROR_GEN_FAILURE);
}

TEST_F(Continuous, AnUnplugEndsTheStreamWithoutAHang) {
  Plug(kAdc16);
  SetOption("sample_rate", 100000);
  record_.target = 1000;
  ASSERT_EQ(ADC_BulkContinuousCallbackStart(0, 1024, 2, 0, RecordingCallback), 0u);
  record_.reached.Wait();
  ASSERT_EQ(MIRBAXSIM_Detach(board_), 0u);
  record_.ended.Wait();  // the buffer worker delivers the end
  uint32_t ioStatus = 0;
  EXPECT_EQ(ADC_BulkContinuousEnd(0, &ioStatus), MIRBAX_ERROR_DEVICE_REMOVED);
  EXPECT_EQ(ioStatus, MIRBAX_ERROR_DEVICE_REMOVED);
  EXPECT_FALSE(Dev[0].ADCContAcqWorker);
  EXPECT_FALSE(Dev[0].ADCContBufWorker);
}

}  // namespace
}  // namespace mirbax::testing
