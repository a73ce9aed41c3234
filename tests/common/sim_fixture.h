// A test fixture over the simulated bus: every test starts with no boards
// and an empty device table, and can attach boards, relink and read the
// transfer log of a board.
#pragma once

#include <gtest/gtest.h>
#include <mirbax.h>
#include <mirbax_sim.h>

#include <sstream>
#include <string>
#include <vector>

namespace mirbax::testing {

class SimBoardsTest : public ::testing::Test {
 protected:
  void SetUp() override { ForgetEverything(); }
  void TearDown() override { ForgetEverything(); }

  static void ForgetEverything() {
    MIRBAXSIM_Reset();
    MIRBAX_ReloadDeviceLinks();
  }

  // Plugs in a board; it is linked at the next linking pass.
  static uint32_t Attach(uint32_t pid, uint32_t driver = MIRBAXSIM_DRIVER_CYUSB3) {
    uint32_t board = 0;
    EXPECT_EQ(MIRBAXSIM_Attach(pid, driver, &board), 0u);
    return board;
  }

  // Plugs in a board and links it; returns its board handle.
  static uint32_t AttachAndLink(uint32_t pid, uint32_t driver = MIRBAXSIM_DRIVER_CYUSB3) {
    const uint32_t board = Attach(pid, driver);
    MIRBAX_ReloadDeviceLinks();
    return board;
  }

  static std::vector<std::string> Log(uint32_t board) {
    uint32_t size = 0;
    MIRBAXSIM_GetLog(board, nullptr, &size);
    std::string text(size, '\0');
    EXPECT_EQ(MIRBAXSIM_GetLog(board, text.data(), &size), 0u);
    text.resize(size > 0 ? size - 1 : 0);
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
      if (!line.empty()) lines.push_back(line);
    return lines;
  }

  // The log lines of the board's control transfers with the given request.
  static std::vector<std::string> ControlLines(uint32_t board, uint8_t request) {
    char tag[8];
    std::snprintf(tag, sizeof tag, "%02x", request);
    std::vector<std::string> lines;
    for (const std::string &line : Log(board))
      if (line.size() > 6 && line[0] == 'C' && line.compare(5, 2, tag) == 0) lines.push_back(line);
    return lines;
  }

  static std::vector<std::string> Messages() {
    uint32_t size = 0;
    MIRBAXSIM_GetMessages(nullptr, &size);
    std::string text(size, '\0');
    EXPECT_EQ(MIRBAXSIM_GetMessages(text.data(), &size), 0u);
    text.resize(size > 0 ? size - 1 : 0);
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
      if (!line.empty()) lines.push_back(line);
    return lines;
  }
};

}  // namespace mirbax::testing
