// Shared helpers of the digital and counter suites: boards on every driver
// path, and the expected lines of the transfer log.
#pragma once

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/sim_fixture.h"
#include "core/device_table.h"

namespace mirbax::testing {

inline constexpr uint32_t kAllDrivers[] = {MIRBAXSIM_DRIVER_WINUSB, MIRBAXSIM_DRIVER_CYUSB2,
                                           MIRBAXSIM_DRIVER_CYUSB3};

inline std::string Hex(const std::vector<uint8_t> &bytes) {
  std::string text;
  char digits[3];
  for (const uint8_t byte : bytes) {
    std::snprintf(digits, sizeof digits, "%02x", byte);
    text += digits;
  }
  return text;
}

// The log line of a vendor write ("C 40 ...") with its data stage.
inline std::string WriteLine(uint8_t request, uint16_t value, uint16_t index,
                             const std::vector<uint8_t> &data = {}) {
  char head[40];
  std::snprintf(head, sizeof head, "C 40 %02x %04x %04x %04x", request, value, index,
                unsigned(data.size()));
  return data.empty() ? std::string(head) : std::string(head) + " " + Hex(data);
}

// The start of the log line of a vendor read ("C c0 ..."), without the data.
inline std::string ReadHead(uint8_t request, uint16_t value, uint16_t index, uint16_t length) {
  char head[40];
  std::snprintf(head, sizeof head, "C c0 %02x %04x %04x %04x", request, value, index, length);
  return head;
}

// The head of a log line: the part before the data stage.
inline std::string Head(const std::string &line) { return line.substr(0, 22); }

// A board of one product on one driver path, opened as entry 0 with an
// empty log.  Parameterized over the driver.
class DioBoardTest : public SimBoardsTest, public ::testing::WithParamInterface<uint32_t> {
 protected:
  // `prepare` runs on the board before the library opens it (options, the
  // capability record the open reads).
  void Plug(uint32_t pid, const std::function<void(uint32_t board)> &prepare = {}) {
    board_ = Attach(pid, GetParam());
    // The output mirror outlives links (an entry keeps it across opens):
    // start every test from a fresh one.
    Dev[0].LastDIOData.clear();
    if (prepare) prepare(board_);
    MIRBAX_ReloadDeviceLinks();
    ASSERT_EQ(GetDevices(), 1u);
    MIRBAXSIM_ClearLog(board_);
  }
  uint32_t board_ = 0;
};

// Sets the capability record a board reports (15 bytes, the rest 0).
inline void SetCapabilityRecord(uint32_t board, std::initializer_list<uint8_t> record) {
  std::vector<uint8_t> bytes(record);
  bytes.resize(15, 0);
  ASSERT_EQ(MIRBAXSIM_Poke(board, "pnp", 0, bytes.data(), uint32_t(bytes.size())), 0u);
}

inline std::string DriverName(const ::testing::TestParamInfo<uint32_t> &info) {
  switch (info.param) {
    case MIRBAXSIM_DRIVER_WINUSB: return "WinUSB";
    case MIRBAXSIM_DRIVER_CYUSB2: return "CyUSB2";
    default: return "CyUSB3";
  }
}

#define MIRBAX_ON_EVERY_DRIVER(Suite) \
  INSTANTIATE_TEST_SUITE_P(Drivers, Suite, ::testing::ValuesIn(kAllDrivers), DriverName)

}  // namespace mirbax::testing
