// Several threads driving one board at once, on the CyUSB path (a driver
// handle per thread) and on the WinUSB path (one shared interface handle):
// control writes and reads of each thread's own EEPROM block, counter reads
// and digital reads, all succeeding, each thread reading back what it wrote.
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "common/sim_fixture.h"

namespace mirbax::testing {
namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 200;

class ThreadsOnOneBoard : public SimBoardsTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(ThreadsOnOneBoard, TransfersOfEveryThreadSucceedAndKeepTheirData) {
  AttachAndLink(0x8001, GetParam());
  std::atomic<int> failures{0};
  std::atomic<int> mismatches{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures, &mismatches] {
      const uint16_t address = uint16_t(0x1000 + 64 * t);  // each thread's own EEPROM block
      for (int round = 0; round < kRounds; ++round) {
        uint8_t written[16], read[16] = {};
        for (int i = 0; i < 16; ++i) written[i] = uint8_t(t * 16 + round + i);
        uint32_t size = sizeof read;
        uint8_t inputs[4];
        uint16_t counters[9];
        if (GenericVendorWrite(0, 0xA2, address, 0, sizeof written, written) != 0) ++failures;
        if (GenericVendorRead(0, 0xA2, address, 0, &size, read) != 0) ++failures;
        if (size != sizeof read || std::memcmp(read, written, sizeof read) != 0) ++mismatches;
        if (DIO_ReadAll(0, inputs) != 0) ++failures;
        if (CTR_8254ReadAll(0, counters) != 0) ++failures;
      }
    });
  }
  for (std::thread &thread : threads) thread.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(mismatches.load(), 0);
  // Every thread that transferred holds a handle on the CyUSB path; closing
  // the device releases them all.
  EXPECT_EQ(MIRBAX_CloseDevice(0), 0u);
}

INSTANTIATE_TEST_SUITE_P(BothDriverPaths, ThreadsOnOneBoard,
                         ::testing::Values(MIRBAXSIM_DRIVER_CYUSB3, MIRBAXSIM_DRIVER_WINUSB));

}  // namespace
}  // namespace mirbax::testing
