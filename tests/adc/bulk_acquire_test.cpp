// One-block background acquisitions: the wire records, the read sizes, the
// worker's states, and a board that fails or vanishes on the way.
#include <chrono>

#include "adc/bulk_acquire.h"
#include "adc_fixture.h"
#include "core/device_table.h"

namespace mirbax::testing {
namespace {

class BulkAcquire : public AdcTest {
 protected:
  // Waits for the device's bulk worker to end; returns its status.
  static uint32_t WaitForWorker() {
    const std::shared_ptr<TADCWorker> worker = Dev[0].ADCWorker;
    EXPECT_TRUE(worker);
    if (!worker) return 0;
    worker->Join();
    return worker->ReturnValue();
  }
  // A block that starts converting at once.
  void FreeRunning() { SetBoardBlock(std::vector<uint8_t>(BlockBytes(), 0)); }
  // A block that waits for a software start that nobody gives.
  void WaitingForAStart() {
    std::vector<uint8_t> block(BlockBytes(), 0);
    block[17] = 0x04;
    SetBoardBlock(block);
  }
  uint32_t BlockBytes() const { return Dev[0].ConfigBytes; }
};

TEST_F(BulkAcquire, ReadSizesAndArmingRecords) {
  struct Case {
    uint32_t bufSize;
    const char *arm;
    std::vector<std::string> reads;
  };
  const Case cases[] = {
      {1000, "C 40 bc 0000 01f4 0004 05000000", {"B 86 000003e8 000003e8"}},
      {300, "C 40 bc 0000 0096 0004 05000000", {"B 86 00000200 0000012c"}},
      {100000,
       "C 40 bc 0000 c350 0004 05000000",
       {"B 86 00007c00 00007c00", "B 86 00007c00 00007c00", "B 86 00007c00 00007c00",
        "B 86 000012a0 000012a0"}},
      {0x30000, "C 40 bc 0001 8000 0004 05000000", std::vector<std::string>(6, "B 86 00007c00 00007c00")},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.bufSize);
    Replug();
    Plug(kAdc16);
    SetOption("adc_pattern", 1);
    FreeRunning();
    MIRBAXSIM_ClearLog(board_);
    std::vector<uint16_t> buf(c.bufSize / 2 + 8, 0xA5A5);
    ASSERT_EQ(ADC_BulkAcquire(0, c.bufSize, buf.data()), 0u);
    ASSERT_EQ(WaitForWorker(), 0u);
    EXPECT_EQ(ControlLines(board_, 0xBC),
              (std::vector<std::string>{c.arm, "C 40 bc 0000 0000 0000"}));
    std::vector<std::string> expected = c.reads;
    if (c.bufSize == 0x30000) expected.push_back("B 86 00001800 00001800");
    EXPECT_EQ(LinesStarting("B 86"), expected);
    for (uint32_t i = 0; i < c.bufSize / 2; ++i) ASSERT_EQ(buf[i], uint16_t(i)) << i;
    for (std::size_t i = c.bufSize / 2; i < buf.size(); ++i) ASSERT_EQ(buf[i], 0xA5A5) << i;
    uint32_t left = 1;
    EXPECT_EQ(ADC_BulkPoll(0, &left), 0u);
    EXPECT_EQ(left, 0u);
    EXPECT_EQ(ADC_BulkAbort(0), 0u);  // a finished worker reports its status
  }
}

TEST_F(BulkAcquire, DioStreamBoardRaisesItsBlockSize) {
  Plug(kAdcDioStream);
  Dev[0].StreamingBlockSize = 768;
  std::vector<uint16_t> buf(2048);
  ASSERT_EQ(ADC_BulkAcquire(0, 4096, buf.data()), 0u);
  ASSERT_EQ(WaitForWorker(), 0u);
  EXPECT_EQ(Dev[0].ADCWorker->BlockSize, 1024u);
  EXPECT_EQ(ControlLines(board_, 0xBC),
            (std::vector<std::string>{"C 40 bc 0003 0000 0000", "C 40 bc 0000 0000 0000"}));
  EXPECT_EQ(LinesStarting("B 86"), std::vector<std::string>(4, "B 86 00000400 00000400"));
}

TEST_F(BulkAcquire, PollAbortAndBusyWhileRunning) {
  Plug(kAdc16);
  WaitingForAStart();
  std::vector<uint16_t> buf(31744);
  uint32_t left = 0;
  EXPECT_EQ(ADC_BulkPoll(0, &left), MIRBAX_ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(ADC_BulkAbort(0), MIRBAX_ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(ADC_BulkAcquire(0, 2 * 31744, buf.data()), 0u);
  ASSERT_EQ(ADC_BulkPoll(0, &left), 0u);
  EXPECT_EQ(left, 2u * 31744);
  std::vector<uint16_t> other(16);
  EXPECT_EQ(ADC_BulkAcquire(0, 32, other.data()), MIRBAX_ERROR_TOO_MANY_OPEN_FILES);
  uint16_t value;
  EXPECT_EQ(ADC_GetImmediate(0, 0, &value), MIRBAX_ERROR_TOO_MANY_OPEN_FILES);
  EXPECT_EQ(ADC_BulkAbort(0), 0u);  // noticed before the next read
  ASSERT_EQ(GenericVendorWrite(0, 0xBF, 0, 0, 0, nullptr), 0u);  // the start comes
  EXPECT_EQ(WaitForWorker(), ERROR_OPERATION_ABORTED);
  EXPECT_EQ(ADC_BulkPoll(0, &left), ERROR_OPERATION_ABORTED);
  EXPECT_EQ(ADC_BulkAbort(0), ERROR_OPERATION_ABORTED);
  EXPECT_EQ(ControlLines(board_, 0xBC).size(), 1u);  // no stop after an abort
  // A finished worker does not make the device busy; the next one replaces it.
  const TADCWorker *first = Dev[0].ADCWorker.get();
  FreeRunning();
  ASSERT_EQ(ADC_BulkAcquire(0, 32, other.data()), 0u);
  EXPECT_NE(Dev[0].ADCWorker.get(), first);
  EXPECT_EQ(WaitForWorker(), 0u);
}

TEST_F(BulkAcquire, AFailedReadEndsTheWorkerWithItsCode) {
  Plug(kAdc16);
  FreeRunning();
  std::vector<uint16_t> buf(512);
  ASSERT_EQ(MIRBAXSIM_FailTransfersAfter(board_, 1, 1, 31), 0u);  // the arming passes
  ASSERT_EQ(ADC_BulkAcquire(0, 1024, buf.data()), 0u);
  EXPECT_EQ(WaitForWorker(), MIRBAX_ERROR_GEN_FAILURE);
  uint32_t left = 7;
  EXPECT_EQ(ADC_BulkPoll(0, &left), MIRBAX_ERROR_GEN_FAILURE);
  EXPECT_EQ(left, 7u);
  EXPECT_EQ(ControlLines(board_, 0xBC).size(), 1u);  // the board is not told to stop
}

TEST_F(BulkAcquire, AnUnplugEndsAWaitingRead) {
  Plug(kAdc16);
  WaitingForAStart();
  std::vector<uint16_t> buf(512);
  ASSERT_EQ(ADC_BulkAcquire(0, 1024, buf.data()), 0u);
  ASSERT_EQ(MIRBAXSIM_Detach(board_), 0u);
  EXPECT_EQ(WaitForWorker(), MIRBAX_ERROR_DEVICE_REMOVED);
  uint32_t left = 0;
  EXPECT_EQ(ADC_BulkPoll(0, &left), MIRBAX_ERROR_DEVICE_REMOVED);
}

TEST_F(BulkAcquire, AnUnwritableBufferEndsTheWorkerSafely) {
  Plug(kAdc16);
  FreeRunning();
  ASSERT_EQ(ADC_BulkAcquire(0, 1024, nullptr), 0u);
  EXPECT_EQ(WaitForWorker(), MIRBAX_ERROR_NOACCESS);
}

TEST_F(BulkAcquire, PlaceholdersAndSetup) {
  for (uint32_t index : {0u, 99u}) {
    EXPECT_EQ(ADC_BulkMode(index, 1), MIRBAX_ERROR_NOT_SUPPORTED);
    EXPECT_EQ(ADC_Start(index), MIRBAX_ERROR_NOT_SUPPORTED);
    EXPECT_EQ(ADC_Stop(index), MIRBAX_ERROR_NOT_SUPPORTED);
  }
  Plug(kAdcDioStream);
  std::vector<uint16_t> buf(8);
  EXPECT_EQ(ADC_BulkAcquire(99, 16, buf.data()), MIRBAX_ERROR_INVALID_INDEX);
  uint8_t block[2] = {1, 2};
  uint32_t size = 2;
  EXPECT_EQ(ADC_Initialize(0, block, &size, nullptr), 0u);
  EXPECT_EQ(BoardBlock(2), (std::vector<uint8_t>{1, 2}));
  EXPECT_EQ(ADC_Initialize(0, nullptr, &size, ":NONE:"), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  Replug();
  Plug(kImmediateAdc);
  EXPECT_EQ(ADC_BulkAcquire(0, 16, buf.data()), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(ADC_BulkPoll(0, &size), MIRBAX_ERROR_BAD_TOKEN_TYPE);
  EXPECT_EQ(ADC_BulkAbort(0), MIRBAX_ERROR_BAD_TOKEN_TYPE);
}

}  // namespace
}  // namespace mirbax::testing
