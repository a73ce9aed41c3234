// Helpers for the tests of the simulated bus: attaching boards, reading their
// log, and speaking the CyUSB driver's I/O controls as the library does.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "mirbax_sim.h"
#include "platform/platform.h"

namespace sim_test {

namespace platform = mirbax::platform;

// Every test starts on an empty bus.
class SimTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(MIRBAXSIM_Reset(), 0u); }
  void TearDown() override { MIRBAXSIM_Reset(); }
};

inline uint32_t Attach(uint32_t pid, uint32_t driver) {
  uint32_t board = 0;
  EXPECT_EQ(MIRBAXSIM_Attach(pid, driver, &board), 0u);
  return board;
}

inline std::string DevicePath(uint32_t board) {
  uint32_t size = 0;
  EXPECT_EQ(MIRBAXSIM_GetDevicePath(board, nullptr, &size), 122u);
  std::string path(size, '\0');
  EXPECT_EQ(MIRBAXSIM_GetDevicePath(board, path.data(), &size), 0u);
  path.resize(size - 1);
  return path;
}

inline std::vector<std::string> LogLines(uint32_t board) {
  uint32_t size = 0;
  MIRBAXSIM_GetLog(board, nullptr, &size);
  std::string text(size, '\0');
  EXPECT_EQ(MIRBAXSIM_GetLog(board, text.data(), &size), 0u);
  std::vector<std::string> lines;
  std::istringstream stream(text.substr(0, size - 1));
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

inline platform::Handle Open(uint32_t board, bool shared) {
  return platform::OpenDevicePath(DevicePath(board), shared);
}

// The 38-byte CyUSB header as the library builds it.
inline std::vector<uint8_t> CyUsbHeader(uint8_t type, uint8_t request, uint16_t value,
                                        uint16_t index, uint16_t length, uint8_t endpoint) {
  std::vector<uint8_t> header(38, 0);
  header[0] = type;
  header[1] = request;
  header[2] = value & 0xFF;
  header[3] = value >> 8;
  header[4] = index & 0xFF;
  header[5] = index >> 8;
  header[6] = length & 0xFF;
  header[7] = length >> 8;
  header[8] = 42;  // time-out in seconds
  header[13] = endpoint;
  if (endpoint == 0) {
    header[30] = 38;  // buffer offset
    header[34] = length & 0xFF;
    header[35] = length >> 8;
  }
  return header;
}

struct CyResult {
  bool ok = false;
  uint32_t error = 0;  // last error after a failure
  uint32_t bytesReturned = 0;
  std::vector<uint8_t> data;  // the data stage of the block (after the header)
};

// An endpoint-0 control transfer through the CyUSB I/O control: header and
// data in one block, as input and output.
inline CyResult CyControl(platform::Handle handle, uint8_t type, uint8_t request, uint16_t value,
                          uint16_t index, std::vector<uint8_t> data) {
  std::vector<uint8_t> block =
      CyUsbHeader(type, request, value, index, static_cast<uint16_t>(data.size()), 0);
  block.resize(38 + data.size());
  std::copy(data.begin(), data.end(), block.begin() + 38);
  CyResult result;
  result.ok =
      platform::DeviceIoControl(handle, platform::IOCTL_ADAPT_SEND_EP0_CONTROL_TRANSFER,
                                block.data(), static_cast<uint32_t>(block.size()), block.data(),
                                static_cast<uint32_t>(block.size()), &result.bytesReturned);
  if (!result.ok) result.error = platform::GetLastError();
  result.data.assign(block.begin() + 38, block.end());
  return result;
}

inline CyResult CyRead(platform::Handle handle, uint8_t request, uint16_t value, uint16_t index,
                       uint16_t length, uint8_t type = 0xC0) {
  return CyControl(handle, type, request, value, index, std::vector<uint8_t>(length, 0xEE));
}

inline CyResult CyWrite(platform::Handle handle, uint8_t request, uint16_t value, uint16_t index,
                        std::vector<uint8_t> data) {
  return CyControl(handle, 0x40, request, value, index, std::move(data));
}

// A bulk transfer through the CyUSB direct I/O control: the header alone as
// input, the data as output in both directions.
inline CyResult CyBulk(platform::Handle handle, uint8_t endpoint, std::vector<uint8_t> data) {
  std::vector<uint8_t> header = CyUsbHeader(0, 0, 0, 0, 0, endpoint);
  CyResult result;
  result.ok = platform::DeviceIoControl(handle, platform::IOCTL_ADAPT_SEND_NON_EP0_DIRECT,
                                        header.data(), 38, data.data(),
                                        static_cast<uint32_t>(data.size()), &result.bytesReturned);
  if (!result.ok) result.error = platform::GetLastError();
  result.data = std::move(data);
  return result;
}

inline std::string Hex(std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (uint8_t byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 15];
  }
  return text;
}

}  // namespace sim_test
