// Fault sweeps: every transfer of a multi-step operation fails in turn
// (MIRBAXSIM_FailTransfersAfter(board, step, 1, 31) for step = 0, 1, 2 ...
// until the operation completes with the fault unused).  Each run must end
// with success or the injected code, and the device must work again after
// MIRBAX_CloseDevice and a relink.  A board unplugged while a worker reads
// from it ends the worker, and the entry reports the removal.
#include <functional>
#include <set>
#include <thread>
#include <vector>

#include "common/sim_fixture.h"
#include "robustness/call_watchdog.h"

namespace mirbax::testing {
namespace {

constexpr uint32_t kInjected = 31;

struct Operation {
  const char *name;
  uint32_t pid;
  uint32_t driver;
  std::function<uint32_t()> run;  // on entry 0; returns the operation's code
  // Besides 0 and the injected code: the scan engine ignores the result of
  // its start request, so a failed start shows as the read's time-out (121).
  std::set<uint32_t> consequences = {};
};

// The first failing code of a sequence of steps.
uint32_t FirstFailure(std::initializer_list<std::function<uint32_t()>> steps) {
  for (const auto &step : steps)
    if (const uint32_t result = step()) return result;
  return 0;
}

// Waits for a bulk acquisition to end; its final code.
uint32_t WaitForBulkAcquisition() {
  for (;;) {
    uint32_t left = 0;
    if (const uint32_t result = ADC_BulkPoll(0, &left)) return result;
    if (left == 0) return 0;
    std::this_thread::yield();
  }
}

std::vector<uint16_t> gSamples(1 << 16);
std::vector<uint8_t> gBytes(1 << 16, 0x5A);

const std::vector<Operation> &Operations() {
  static const std::vector<Operation> operations = {
      {"CustomEEPROMWrite of 70 bytes", 0x8001, MIRBAXSIM_DRIVER_CYUSB3,
       [] { return CustomEEPROMWrite(0, 10, 70, gBytes.data()); }},
      {"MIRBAX_FlashWrite of 10000 bytes", 0x8070, MIRBAXSIM_DRIVER_WINUSB,
       [] { return MIRBAX_FlashWrite(0, 0, 10000, gBytes.data()); }},
      {"MIRBAX_FlashRead of 10000 bytes", 0x8070, MIRBAXSIM_DRIVER_CYUSB2,
       [] {
         uint32_t size = 10000;
         return MIRBAX_FlashRead(0, 0, &size, gBytes.data());
       }},
      {"CTR_StartOutputFreq", 0x8001, MIRBAXSIM_DRIVER_WINUSB,
       [] {
         double hz = 1000;
         return CTR_StartOutputFreq(0, 0, &hz);
       }},
      {"DIO_Configure then DIO_ReadAll", 0x8001, MIRBAXSIM_DRIVER_CYUSB3,
       [] {
         const uint8_t mask = 0x0F;
         uint8_t data[4] = {1, 2, 3, 4};
         return FirstFailure({[&] { return DIO_Configure(0, 0, &mask, data); },
                              [&] { return DIO_ReadAll(0, data); }});
       }},
      {"ADC_GetScanV", 0x8040, MIRBAXSIM_DRIVER_CYUSB3,
       [] {
         std::vector<double> volts(64);
         return ADC_GetScanV(0, volts.data());
       },
       {121}},
      {"ADC_BulkAcquire to the end", 0x8040, MIRBAXSIM_DRIVER_WINUSB,
       [] {
         return FirstFailure({[] { return ADC_BulkAcquire(0, 65536, gSamples.data()); }, WaitForBulkAcquisition});
       },
       {121}},
      {"continuous acquisition: start, one buffer, end", 0x8040, MIRBAXSIM_DRIVER_CYUSB3,
       [] {
         uint16_t *data = nullptr;
         uint32_t size = 0;
         const uint32_t started = ADC_BulkContinuousCallbackStart(0, 16384, 4, 0, nullptr);
         if (started) return started;
         const uint32_t got = ADC_GetBuf(0, &data, &size, nullptr, 5.0);
         uint32_t ioStatus = 0;  // a worker's failure shows here
         const uint32_t ended = ADC_BulkContinuousEnd(0, &ioStatus);
         return ioStatus ? ioStatus : got ? got : ended;
       },
       {121}},
      {"DACOutputOpen, frame, close", 0x4001, MIRBAXSIM_DRIVER_CYUSB3,
       [] {
         double hz = 10000;
         const uint32_t opened = DACOutputOpen(0, &hz);
         if (opened) return opened;
         const uint32_t framed = DACOutputFrame(0, 1000, gSamples.data());
         const uint32_t closed = DACOutputClose(0, 0);
         return framed ? framed : closed;
       }},
  };
  return operations;
}

class FaultSweep : public SimBoardsTest, public ::testing::WithParamInterface<std::size_t> {};

// The transfers an unfaulted run makes.
std::size_t TransfersOf(const Operation &operation, uint32_t board) {
  MIRBAXSIM_ClearLog(board);
  EXPECT_EQ(operation.run(), 0u) << operation.name << " fails without a fault";
  uint32_t size = 0;
  MIRBAXSIM_GetLog(board, nullptr, &size);
  std::string text(size, '\0');
  MIRBAXSIM_GetLog(board, text.data(), &size);
  return std::size_t(std::count(text.begin(), text.end(), '\n'));
}

TEST_P(FaultSweep, EveryStepFailsCleanly) {
  const Operation &operation = Operations().at(GetParam());
  CallWatchdog watchdog(std::chrono::seconds(30));
  const uint32_t board = AttachAndLink(operation.pid, operation.driver);
  MIRBAXSIM_SetOption(board, "bulk_timeout_ms", 2000);
  const std::size_t transfers = watchdog.Run(std::string("clean run of ") + operation.name,
                                             [&] { return TransfersOf(operation, board); });
  ASSERT_GT(transfers, 0u);
  std::size_t faulted = 0;
  for (uint32_t step = 0; step < transfers; ++step) {
    MIRBAX_CloseDevice(0);
    MIRBAX_ReloadDeviceLinks();
    uint8_t probe[4];
    uint32_t probeSize = sizeof probe;
    ASSERT_EQ(GenericVendorRead(0, 0xA2, 0, 0, &probeSize, probe), 0u) << "entry 0 opens before step " << step;
    ASSERT_EQ(MIRBAXSIM_FailTransfersAfter(board, step, 1, kInjected), 0u);
    const uint32_t result =
        watchdog.Run(std::string(operation.name) + " failing step " + std::to_string(step), operation.run);
    MIRBAXSIM_FailTransfers(board, 0, 0);
    EXPECT_TRUE(result == 0 || result == kInjected || operation.consequences.contains(result))
        << operation.name << " with step " << step << " failing gave " << result;
    faulted += result == kInjected;
    // Whatever the fault left behind, the device works after a close.
    watchdog.Run("cleanup", [] {
      ADC_BulkAbort(0);
      ADC_BulkContinuousEnd(0, nullptr);
      DACOutputClose(0, 0);
      return 0;
    });
    MIRBAX_CloseDevice(0);
    MIRBAX_ReloadDeviceLinks();
    probeSize = sizeof probe;
    EXPECT_EQ(GenericVendorRead(0, 0xA2, 0, 0, &probeSize, probe), 0u)
        << operation.name << ": the device does not work after step " << step;
  }
  EXPECT_GT(faulted, 0u) << operation.name << ": no injected fault was reported";
  RecordProperty("steps", int(transfers));
  std::printf("fault sweep: %s, %zu steps failed in turn, %zu reported the fault\n", operation.name, transfers, faulted);
}

std::string OperationName(const ::testing::TestParamInfo<std::size_t> &info) {
  std::string name;
  for (char c : std::string(Operations().at(info.param).name)) name += std::isalnum(uint8_t(c)) ? c : '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(MultiStepOperations, FaultSweep, ::testing::Range<std::size_t>(0, Operations().size()),
                         OperationName);

// A board unplugged while the acquisition worker reads from it: the worker
// ends, the end call returns, and the entry reports the removal until it is
// closed.
TEST_F(SimBoardsTest, DetachDuringContinuousAcquisitionEndsTheWorkers) {
  CallWatchdog watchdog(std::chrono::seconds(30));
  const uint32_t board = AttachAndLink(0x8040, MIRBAXSIM_DRIVER_WINUSB);
  ASSERT_EQ(ADC_BulkContinuousCallbackStart(0, 16384, 4, 0, nullptr), 0u);
  uint16_t *data = nullptr;
  uint32_t size = 0;
  ASSERT_EQ(ADC_GetBuf(0, &data, &size, nullptr, 5.0), 0u);
  ASSERT_EQ(MIRBAXSIM_Detach(board), 0u);
  const uint32_t ended = watchdog.Run("ADC_BulkContinuousEnd after a detach",
                                      [] { return ADC_BulkContinuousEnd(0, nullptr); });
  EXPECT_TRUE(ended == 0 || ended == 1617) << ended;
  uint8_t probe[4];
  uint32_t probeSize = sizeof probe;
  EXPECT_EQ(GenericVendorRead(0, 0xA2, 0, 0, &probeSize, probe), 1617u);
  EXPECT_EQ(MIRBAX_CloseDevice(0), 0u);
}

TEST_F(SimBoardsTest, DetachDuringBulkAcquisitionEndsTheWorker) {
  CallWatchdog watchdog(std::chrono::seconds(30));
  const uint32_t board = AttachAndLink(0x8040, MIRBAXSIM_DRIVER_CYUSB3);
  MIRBAXSIM_SetOption(board, "sample_rate", 1000);  // slow: the detach comes mid-block
  ASSERT_EQ(ADC_BulkAcquire(0, 65536, gSamples.data()), 0u);
  ASSERT_EQ(MIRBAXSIM_Detach(board), 0u);
  const uint32_t result = watchdog.Run("ADC_BulkPoll after a detach", WaitForBulkAcquisition);
  EXPECT_NE(result, 0u) << "a block cut short by a detach reports a failure";
  watchdog.Run("ADC_BulkAbort after a detach", [] { return ADC_BulkAbort(0); });
  EXPECT_EQ(MIRBAX_CloseDevice(0), 0u);
}

}  // namespace
}  // namespace mirbax::testing
