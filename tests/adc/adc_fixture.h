// Simulated ADC boards for the analog-input suites.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "adc/adc_codes.h"
#include "common/sim_fixture.h"
#include "core/device_table.h"

namespace mirbax::testing {

inline constexpr uint32_t kAdc16 = 0x8040;     // 16 inputs, 20-byte block
inline constexpr uint32_t kAdc64 = 0x8045;     // 64 inputs, 21-byte block, range shift 2
inline constexpr uint32_t kAdcMux32 = 0x804A;  // 32 inputs, range shift 3
inline constexpr uint32_t kAdcMux160 = 0x805E;
inline constexpr uint32_t kAdcDioStream = 0x8180;
inline constexpr uint32_t kImmediateAdc = 0x8036;  // two immediate inputs, post-scale 0.8192
inline constexpr uint32_t kDioOnly = 0x8001;

class AdcTest : public SimBoardsTest {
 protected:
  // A board that vanished keeps its entry until it is closed: close every
  // entry so that each test finds its board at index 0.
  void SetUp() override {
    CloseAll();
    SimBoardsTest::SetUp();
  }
  void TearDown() override {
    CloseAll();
    SimBoardsTest::TearDown();
  }
  // Ends what a test left running and drops its workers.
  static void CloseAll() {
    for (uint32_t i = 0; i < 32; ++i) {
      if (Dev[i].ADCContAcqWorker) ADC_BulkContinuousEnd(i, nullptr);
      Dev[i].ADCWorker.reset();
      Dev[i].FastITConfig.clear();
      Dev[i].FastITBakConfig.clear();
      Dev[i].CSA_FastConfig.clear();
      Dev[i].CSA_FastBakConfig.clear();
      MIRBAX_CloseDevice(i);
    }
  }
  // ForgetEverything for tests that plug several boards in turn.
  static void Replug() {
    CloseAll();
    ForgetEverything();
  }

  // Plugs in and links a board, opens it, and clears its log.
  uint32_t Plug(uint32_t pid, uint32_t driver = MIRBAXSIM_DRIVER_CYUSB3) {
    board_ = AttachAndLink(pid, driver);
    uint32_t pidSeen = 0;
    EXPECT_EQ(QueryDeviceInfo(0, &pidSeen, nullptr, nullptr, nullptr, nullptr), 0u);
    EXPECT_EQ(pidSeen, pid);
    MIRBAXSIM_ClearLog(board_);
    return board_;
  }

  std::vector<uint8_t> BoardBlock(uint32_t size) const {
    std::vector<uint8_t> block(size);
    EXPECT_EQ(MIRBAXSIM_Peek(board_, "adcconfig", 0, block.data(), size), 0u);
    return block;
  }
  void SetBoardBlock(const std::vector<uint8_t> &block) const {
    ASSERT_EQ(MIRBAXSIM_Poke(board_, "adcconfig", 0, block.data(), uint32_t(block.size())), 0u);
  }
  void SetOption(const char *name, uint64_t value) const {
    ASSERT_EQ(MIRBAXSIM_SetOption(board_, name, value), 0u);
  }
  // The table of the board: 0 bipolar, 1 unipolar.
  std::vector<uint16_t> BoardTable(int which) const {
    std::vector<uint16_t> table(65536);
    EXPECT_EQ(MIRBAXSIM_Peek(board_, "caltable", uint32_t(which) * 131072, table.data(), 131072),
              0u);
    return table;
  }
  // Log lines that start with `prefix`.
  std::vector<std::string> LinesStarting(const std::string &prefix) const {
    std::vector<std::string> lines;
    for (const std::string &line : Log(board_))
      if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    return lines;
  }

  uint32_t board_ = 0;
};

// A flag one thread raises and another waits for.
class Signal {
 public:
  void Raise() {
    {
      std::lock_guard lock(mutex_);
      raised_ = true;
    }
    changed_.notify_all();
  }
  void Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return raised_; });
  }
  bool IsRaised() {
    std::lock_guard lock(mutex_);
    return raised_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool raised_ = false;
};

}  // namespace mirbax::testing
