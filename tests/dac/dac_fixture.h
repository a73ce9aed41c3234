// The fixture of the analog-output suites: one simulated board opened as
// device 0 with an empty transfer log, and readers for what the board saw.
#pragma once

#include <string>
#include <vector>

#include "common/sim_fixture.h"
#include "core/device_table.h"
#include "core/result_codes.h"

namespace mirbax::testing {

// Product IDs of the board kinds.
inline constexpr uint32_t kWaveformBoard = 0x4001;   // waveform FIFO, 8 DACs, 5 used
inline constexpr uint32_t kImmediateBoard = 0x4003;  // 8 immediate DACs
inline constexpr uint32_t kStreamDacBoard = 0x800C;  // 1 DAC through the digital stream
inline constexpr uint32_t kStreamBoard = 0x8008;     // digital stream, no DAC
inline constexpr uint32_t kSlowWaveBoard = 0x8070;   // 16 DACs, flash, range, slow waveform
inline constexpr uint32_t kRangeAdcBoard = 0x8140;   // ADC board with 4 DACs and a range
inline constexpr uint32_t kNoDacBoard = 0x8001;      // digital I/O and counters only

class DacBoardTest : public SimBoardsTest {
 protected:
  // Stream flags live in the device entry and outlast the boards of earlier
  // tests; every test starts with them clear.
  void SetUp() override {
    SimBoardsTest::SetUp();
    for (TDeviceData &device : Dev) {
      device.bDIOOpen = false;
      device.bDACOpen = false;
      device.bDACClosing = false;
    }
  }

  // Attaches a board, opens it as device 0 and empties its log.
  uint32_t OpenBoard(uint32_t pid, uint32_t driver = MIRBAXSIM_DRIVER_CYUSB3) {
    board_ = AttachAndLink(pid, driver);
    EXPECT_EQ(GetDevices(), 1u);
    MIRBAXSIM_ClearLog(board_);
    return board_;
  }

  std::vector<std::string> LogOf(char kind) const {
    std::vector<std::string> lines;
    for (const std::string &line : Log(board_))
      if (line[0] == kind) lines.push_back(line);
    return lines;
  }
  std::vector<std::string> Controls() const { return LogOf('C'); }
  std::vector<std::string> Bulks() const { return LogOf('B'); }

  std::vector<MIRBAXSIM_DACFifoEntry> Fifo() const {
    uint32_t count = 0;
    MIRBAXSIM_ReadDACFifo(board_, nullptr, &count);  // asks for the count
    std::vector<MIRBAXSIM_DACFifoEntry> entries(count);
    EXPECT_EQ(MIRBAXSIM_ReadDACFifo(board_, entries.data(), &count), 0u);
    entries.resize(count);
    return entries;
  }

  std::vector<uint16_t> FifoWords() const {
    std::vector<uint16_t> words;
    for (const MIRBAXSIM_DACFifoEntry &entry : Fifo()) words.push_back(entry.Word);
    return words;
  }

  std::vector<uint16_t> StreamWords() const {
    uint32_t count = 0;
    MIRBAXSIM_ReadDigitalStream(board_, nullptr, &count);  // asks for the count
    std::vector<uint16_t> words(count);
    EXPECT_EQ(MIRBAXSIM_ReadDigitalStream(board_, words.data(), &count), 0u);
    words.resize(count);
    return words;
  }

  MIRBAXSIM_DACState DacState() const {
    MIRBAXSIM_DACState state{};
    EXPECT_EQ(MIRBAXSIM_GetDACState(board_, &state), 0u);
    return state;
  }

  uint16_t Output(uint32_t channel) const {
    uint16_t counts = 0xDEAD;
    EXPECT_EQ(MIRBAXSIM_GetDACOutput(board_, channel, &counts), 0u);
    return counts;
  }

  uint32_t board_ = 0;
};

}  // namespace mirbax::testing
